#include "common/ProductionCode.h"

const QRegularExpression &productionCodePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("(P\\d{2}[23456789ABCDEFGHJKLMNPQRSTUVWXYZ]{7})"));
    return pattern;
}

QString extractProductionCode(const QString &scan)
{
    const QRegularExpressionMatch match =
        productionCodePattern().match(scan.trimmed().toUpper());
    return match.hasMatch() ? match.captured(1) : QString();
}
