#include "FuzzSupport.h"

#include "common/SafeFileName.h"

#include <QDir>
#include <QFileInfo>

#include <cstdlib>

namespace {

bool isPlainName(const QString &name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))
        || name.contains(QLatin1String("..")) || name.contains(QLatin1Char(':')) || name == QLatin1String("."))
        return false;
    if (name.back() == QLatin1Char('.') || name.back().isSpace() || name.front().isSpace())
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return !isReservedDeviceName(name) && name.toUtf8().size() <= kMaxSafeFileNameBytes;
}

// The folder every name is placed in; nothing is ever written to it.
const QString &folder()
{
    static const QString path = QFileInfo(fuzzScratchDir()).canonicalFilePath();
    return path;
}

} // namespace

// A server-given name becomes nothing or a plain name that stays in its folder.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString raw = fuzzText(data, size);
    const QString name = safeFileName(raw);
    if (name.isEmpty())
        return 0;
    if (!isPlainName(name) || !isSafeFileName(name) || safeFileName(name) != name)
        abort();

    const QString path = pathInsideFolder(folder(), name);
    if (path != folder() + QLatin1Char('/') + name)
        abort();
    if (QDir::cleanPath(path) != path || QFileInfo(path).absolutePath() != folder())
        abort();

    // The raw text itself is only ever accepted when it already is such a name.
    const QString rawPath = pathInsideFolder(folder(), raw);
    if (!rawPath.isEmpty() && raw != name)
        abort();
    return 0;
}
