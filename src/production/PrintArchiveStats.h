#pragma once

#include <QVariantMap>

// The server's print statistics ("archive_stats") under one spelling:
// todayCount, yesterdayCount, monthCount, prevMonthCount, todayArea,
// yesterdayArea, monthArea, prevMonthArea and, for today per marketplace,
// wbCount, wbArea, ozonCount, ozonArea, ymCount, ymArea, fboCount, fboArea.
// Every value is a number (0 when the server sent none); "raw" keeps the original.
class PrintArchiveStats
{
public:
    static QVariantMap read(const QVariantMap &stats);
};
