#pragma once

#include <QString>

// The codes an order scan carries: a production code (P01… anywhere in the
// scan), a legacy numeric UID, and the strip number that may follow either.
struct OrderScanCodes
{
    QString productionCode;
    QString legacyUid;
    int stripNo = 0;

    static OrderScanCodes derive(const QString &raw);
    // The production code in text, or empty.
    static QString productionCodeIn(const QString &text);
};
