#include "feeds/TiffFile.h"

#include <tiffio.h>

#include <cstdio>

namespace {

QFile *fileOf(thandle_t handle)
{
    return static_cast<QFile *>(handle);
}

tmsize_t readProc(thandle_t handle, void *data, tmsize_t size)
{
    return tmsize_t(fileOf(handle)->read(static_cast<char *>(data), qint64(size)));
}

tmsize_t writeProc(thandle_t handle, void *data, tmsize_t size)
{
    return tmsize_t(fileOf(handle)->write(static_cast<const char *>(data), qint64(size)));
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence)
{
    QFile *file = fileOf(handle);
    qint64 target = qint64(offset);
    if (whence == SEEK_CUR)
        target += file->pos();
    else if (whence == SEEK_END)
        target += file->size();
    if (target < 0)
        return toff_t(-1);
    // Writing may seek past the end; the gap is filled when the data comes.
    if (!file->seek(target))
        return toff_t(-1);
    return toff_t(target);
}

int closeProc(thandle_t)
{
    return 0;
}

toff_t sizeProc(thandle_t handle)
{
    return toff_t(fileOf(handle)->size());
}

int mapProc(thandle_t, void **, toff_t *)
{
    return 0;
}

void unmapProc(thandle_t, void *, toff_t)
{
}

int errorHandler(TIFF *, void *userData, const char *module, const char *format, va_list args)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    auto *owner = static_cast<TiffFile *>(userData);
    owner->noteError(module && *module ? QStringLiteral("%1: %2").arg(QString::fromUtf8(module),
                                                                      QString::fromUtf8(text))
                                       : QString::fromUtf8(text));
    return 1;
}

int warningHandler(TIFF *, void *, const char *, const char *, va_list)
{
    return 1; // unknown tags and the like: not the operator's business
}

} // namespace

TiffFile::~TiffFile()
{
    if (m_tiff)
        TIFFClose(m_tiff);
}

bool TiffFile::open(const QString &path, const char *mode)
{
    const bool writing = mode[0] == 'w';
    m_writing = writing;
    m_file.setFileName(path);
    if (!m_file.open(writing ? QIODevice::ReadWrite | QIODevice::Truncate : QIODevice::ReadOnly)) {
        m_error = m_file.errorString();
        return false;
    }
    TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, errorHandler, this);
    TIFFOpenOptionsSetWarningHandlerExtR(options, warningHandler, this);
    const QByteArray fullMode = QByteArray(mode) + 'm';
    m_tiff = TIFFClientOpenExt(QFile::encodeName(path).constData(), fullMode.constData(), &m_file,
                               readProc, writeProc, seekProc, closeProc, sizeProc, mapProc, unmapProc,
                               options);
    TIFFOpenOptionsFree(options);
    if (!m_tiff) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("не TIFF");
        m_file.close();
        return false;
    }
    return true;
}

bool TiffFile::close()
{
    if (!m_tiff)
        return m_error.isEmpty();
    const bool writing = m_writing;
    const bool flushed = !writing || TIFFFlush(m_tiff) == 1;
    TIFFClose(m_tiff);
    m_tiff = nullptr;
    bool ok = flushed && m_file.error() == QFileDevice::NoError;
    if (writing && !m_file.flush())
        ok = false;
    if (!ok && m_error.isEmpty())
        m_error = m_file.errorString();
    m_file.close();
    return ok;
}

QString TiffFile::errorText() const
{
    if (!m_error.isEmpty())
        return m_error;
    return m_file.errorString();
}
