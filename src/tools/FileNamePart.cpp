#include "tools/FileNamePart.h"

#include <QRegularExpression>

namespace {
constexpr int kMaxFileNamePart = 80;
}

QString fileNamePart(const QString &text)
{
    static const QRegularExpression other(QStringLiteral("[^A-Za-zА-Яа-яЁё0-9_\\-. ]+"));
    QString part = text.trimmed();
    part.replace(other, QStringLiteral("_"));
    part = part.simplified();
    part.replace(QLatin1Char(' '), QLatin1Char('_'));
    if (part.isEmpty())
        part = QStringLiteral("employee");
    return part.left(kMaxFileNamePart);
}

QString consumablesTabFolder(const QString &tabId)
{
    const QString id = tabId.trimmed();
    return id.isEmpty() ? QStringLiteral("consumables") : fileNamePart(id).toLower();
}
