#include "feeds/MaketNames.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace MaketNames {

QString designKey(const QString &fileName)
{
    static const QRegularExpression extension(QStringLiteral("\\.[A-Za-z0-9]{1,5}$"));
    static const QRegularExpression maketWord(QStringLiteral("\\s+макет\\s*$"),
                                              QRegularExpression::CaseInsensitiveOption
                                                  | QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression spaces(QStringLiteral("\\s+"),
                                           QRegularExpression::UseUnicodePropertiesOption);
    QString key = fileName.trimmed();
    key.remove(extension);
    key.remove(maketWord);
    for (QChar &c : key) {
        if (c == u'x' || c == u'X' || c == u'Х')
            c = u'х';
    }
    key.replace(spaces, QStringLiteral(" "));
    return key.trimmed();
}

QString cleanFileName(const QString &name)
{
    static const QRegularExpression bad(QStringLiteral("[\\x00-\\x1F\\x7F<>:\"/\\\\|?*]+"));
    QString clean = name.trimmed();
    clean.replace(bad, QStringLiteral("_"));
    clean = clean.trimmed();
    // "." and ".." are not names a file can take.
    if (clean.isEmpty() || clean == QLatin1String(".") || clean == QLatin1String(".."))
        return QStringLiteral("maket");
    return clean;
}

QString extensionOf(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix.isEmpty() ? QString() : u'.' + suffix;
}

bool isAcceptedExtension(const QString &extension)
{
    static const QStringList accepted{QStringLiteral(".tif"), QStringLiteral(".tiff"), QStringLiteral(".jpg"),
                                      QStringLiteral(".jpeg"), QStringLiteral(".png"), QStringLiteral(".pdf"),
                                      QStringLiteral(".bmp"), QStringLiteral(".psb")};
    return accepted.contains(extension.toLower());
}

bool isCuttableExtension(const QString &extension)
{
    static const QStringList cuttable{QStringLiteral(".tif"), QStringLiteral(".tiff"), QStringLiteral(".jpg"),
                                      QStringLiteral(".jpeg"), QStringLiteral(".png"), QStringLiteral(".bmp")};
    return cuttable.contains(extension.toLower());
}

QString orderNumber(const QString &fileName)
{
    static const QRegularExpression mark(QStringLiteral("^\\s*ЗАК[_\\s-]*(\\d+)"),
                                         QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch match = mark.match(fileName);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString orderFolderName(const QString &orderNumber)
{
    return QStringLiteral("ЗАК_%1").arg(orderNumber);
}

QString stripFileName(const QString &layoutName, int number, const QString &extension)
{
    return QStringLiteral("%1 %2-я полоса%3").arg(layoutName).arg(number).arg(extension);
}

bool isStripOf(const QString &stripFileName, const QString &designKeyOfLayout)
{
    static const QRegularExpression stripSuffix(QStringLiteral("\\s+\\d+\\s*-\\s*я\\s*полоса\\s*$"),
                                                QRegularExpression::UseUnicodePropertiesOption);
    QString base = QFileInfo(stripFileName).completeBaseName();
    base.remove(stripSuffix);
    return !designKeyOfLayout.isEmpty() && designKey(base) == designKeyOfLayout;
}

int passesFor(const QString &key)
{
    const QString upper = key.toUpper();
    for (const char *prefix : {"ЛОФ_01", "АБС_17"}) {
        if (upper.startsWith(QString::fromUtf8(prefix)))
            return 8;
    }
    for (const char *prefix : {"ЛОФ_03", "ЦВЕ_08", "ГЕО_20"}) {
        if (upper.startsWith(QString::fromUtf8(prefix)))
            return 6;
    }
    return 4;
}

} // namespace MaketNames
