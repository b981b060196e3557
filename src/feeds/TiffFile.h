#pragma once

#include <QFile>
#include <QString>

#include <memory>

typedef struct tiff TIFF;

// libtiff on a QFile: Unicode paths on every system, and no memory mapping, so reading a
// large layout never maps the whole file into the process. libtiff's messages are kept
// per file instead of going to stderr.
class TiffFile
{
public:
    TiffFile() = default;
    ~TiffFile();
    TiffFile(const TiffFile &) = delete;
    TiffFile &operator=(const TiffFile &) = delete;

    // mode "r" reads; "w" writes a classic TIFF, "w8" a BigTIFF. False with errorText set.
    bool open(const QString &path, const char *mode);
    // Flushes a written file; false when the data did not reach the disk.
    bool close();

    TIFF *handle() const { return m_tiff; }
    // The last libtiff error, else the file's own.
    QString errorText() const;
    void noteError(const QString &text) { m_error = text; }

private:
    QFile m_file;
    TIFF *m_tiff = nullptr;
    QString m_error;
    bool m_writing = false;
};
