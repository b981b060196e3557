#pragma once

#include <QRegularExpression>
#include <QString>

// Production codes (UIDs) look like "P01" + 7 characters of an alphabet without
// easily confused letters and digits; the first match anywhere in the trimmed,
// upper-cased scan counts.
const QRegularExpression &productionCodePattern();
QString extractProductionCode(const QString &scan);
