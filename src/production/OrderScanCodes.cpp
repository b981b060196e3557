#include "production/OrderScanCodes.h"

#include "common/ProductionCode.h"

#include <QRegularExpression>

OrderScanCodes OrderScanCodes::derive(const QString &raw)
{
    static const QRegularExpression legacyPattern(
        QStringLiteral("^(\\d{3,})(?:[-_\\s]+\\d{1,2})?$"));
    static const QRegularExpression codeStripPattern(
        QStringLiteral("^P\\d{2}[23456789ABCDEFGHJKLMNPQRSTUVWXYZ]{7}[-_\\s]?(\\d{1,2})$"));
    static const QRegularExpression legacyStripPattern(
        QStringLiteral("^\\d{3,}[-_\\s]+(\\d{1,2})$"));

    OrderScanCodes codes;
    const QString trimmed = raw.trimmed();
    const QString upper = trimmed.toUpper();
    codes.productionCode = extractProductionCode(trimmed);

    const QRegularExpressionMatch legacy = legacyPattern.match(trimmed);
    if (legacy.hasMatch())
        codes.legacyUid = legacy.captured(1);

    QRegularExpressionMatch strip = codeStripPattern.match(upper);
    if (!strip.hasMatch())
        strip = legacyStripPattern.match(trimmed);
    if (strip.hasMatch())
        codes.stripNo = strip.captured(1).toInt();
    return codes;
}

QString OrderScanCodes::productionCodeIn(const QString &text)
{
    return extractProductionCode(text);
}
