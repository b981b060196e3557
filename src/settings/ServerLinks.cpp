#include "settings/ServerLinks.h"

#include "common/JsonRead.h"

#include <QRegularExpression>

QString ServerLinks::resolve(const QVariantMap &links, const QString &key, const QString &serverUrl)
{
    const QString k = key.trimmed();
    if (k.isEmpty())
        return {};
    QString value = variantToText(links.value(k));
    // Some server versions prefix the absolute link with their own address.
    static const QRegularExpression doubled(QStringLiteral("^(https?://[^/\\s]+)(https?://.+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = doubled.match(value);
    if (match.hasMatch())
        value = match.captured(2).trimmed();
    if (value.isEmpty())
        return {};
    if (value.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || value.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)
        || value.startsWith(QLatin1String("data:"), Qt::CaseInsensitive))
        return value;
    QString base = serverUrl.trimmed();
    if (base.isEmpty())
        return value;
    while (base.endsWith(u'/'))
        base.chop(1);
    if (!value.startsWith(u'/'))
        value.prepend(u'/');
    return base + value;
}
