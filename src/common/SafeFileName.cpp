#include "common/SafeFileName.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

constexpr int kMaxKeptExtensionBytes = 16;

bool isUnsafeCodePoint(char32_t ucs)
{
    switch (ucs) {
    case u'<': case u'>': case u':': case u'"': case u'/': case u'\\': case u'|': case u'?': case u'*':
    // Look-alike slashes: tools that convert names to a code page map them to real ones.
    case 0x2044: case 0x2215: case 0x29F8: case 0x29F9: case 0xFF0F: case 0xFF3C:
    case 0xFFFE: case 0xFFFF:
        return true;
    default:
        break;
    }
    switch (QChar::category(ucs)) {
    case QChar::Other_Control:
    case QChar::Other_Format:      // direction overrides disguise the real extension
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

// Every run of unsafe characters (lone surrogates included) becomes one "_".
QString replaceUnsafeRuns(const QString &text)
{
    QString out;
    out.reserve(text.size());
    bool inRun = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        char32_t ucs = c.unicode();
        qsizetype width = 1;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ucs = QChar::surrogateToUcs4(c, text.at(i + 1));
            width = 2;
        }
        if (isUnsafeCodePoint(ucs)) {
            if (!inRun)
                out += QLatin1Char('_');
            inRun = true;
        } else {
            out += text.mid(i, width);
            inRun = false;
        }
        i += width - 1;
    }
    return out;
}

// ".." never appears in a result, not even inside a name.
QString collapseDots(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('.') && out.endsWith(QLatin1Char('.')))
            continue;
        out += c;
    }
    return out;
}

// Windows drops trailing dots and blanks, so "a.pdf." and "a.pdf" are one file there.
QString chopTrailingDotsAndBlanks(QString text)
{
    while (!text.isEmpty() && (text.back() == QLatin1Char('.') || text.back().isSpace()))
        text.chop(1);
    return text;
}

int utf8Size(const QString &text)
{
    return int(text.toUtf8().size());
}

// Shortens the part before the extension, whole code points at a time.
QString fitLength(const QString &name)
{
    if (utf8Size(name) <= kMaxSafeFileNameBytes)
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    QString extension;
    QString stem = name;
    if (dot > 0 && utf8Size(name.mid(dot)) <= kMaxKeptExtensionBytes) {
        extension = name.mid(dot);
        stem = name.left(dot);
    }
    const int room = kMaxSafeFileNameBytes - utf8Size(extension);
    while (!stem.isEmpty() && utf8Size(stem) > room) {
        const bool pair = stem.size() >= 2 && stem.back().isLowSurrogate()
                          && stem.at(stem.size() - 2).isHighSurrogate();
        stem.chop(pair ? 2 : 1);
    }
    stem = chopTrailingDotsAndBlanks(stem);
    return stem.isEmpty() && extension.size() < 2 ? QString() : stem + extension;
}

} // namespace

bool isReservedDeviceName(const QString &name)
{
    QString base = name.section(QLatin1Char('.'), 0, 0);
    while (!base.isEmpty() && base.back().isSpace())
        base.chop(1);
    base = base.toUpper();
    static const QStringList devices{QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                     QStringLiteral("NUL"), QStringLiteral("CONIN$"), QStringLiteral("CONOUT$")};
    if (devices.contains(base))
        return true;
    if (base.size() != 4 || !(base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT"))))
        return false;
    const QChar digit = base.at(3);
    return (digit >= QLatin1Char('0') && digit <= QLatin1Char('9')) || digit == QChar(0x00B9)
           || digit == QChar(0x00B2) || digit == QChar(0x00B3);
}

QString safeFileName(const QString &name)
{
    QString out = replaceUnsafeRuns(name.trimmed());
    out = chopTrailingDotsAndBlanks(collapseDots(out).trimmed());
    out = fitLength(out);
    if (out.isEmpty())
        return {};
    if (isReservedDeviceName(out))
        out = fitLength(QLatin1Char('_') + out);
    return out;
}

bool isSafeFileName(const QString &name)
{
    return !name.isEmpty() && safeFileName(name) == name;
}

QString pathInsideFolder(const QString &folder, const QString &name)
{
    if (!isSafeFileName(name) || folder.trimmed().isEmpty())
        return {};
    const QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty() || !QFileInfo(root).isDir())
        return {};
    const QString path = QDir(root).filePath(name);
    const QFileInfo info(path);
    // An atomic write follows a link to its target, wherever that lies.
    if (info.isSymLink() || info.isJunction())
        return {};
    if (info.exists()) {
        if (!info.isFile())
            return {};
        if (QDir(QFileInfo(info.canonicalFilePath()).absolutePath()) != QDir(root))
            return {};
    }
    if (QDir(info.absolutePath()) != QDir(root))
        return {};
    return path;
}
