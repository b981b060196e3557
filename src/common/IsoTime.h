#pragma once

#include <QDateTime>
#include <QString>

// Current UTC time as ISO 8601 with milliseconds, e.g. "2026-12-05T09:30:00.123Z".
QString isoUtcNowMs();
// Current local time as ISO 8601 with milliseconds (no zone suffix).
QString isoLocalNowMs();
QString isoLocalMs(const QDateTime &time);
// Server times come as ISO 8601 with or without milliseconds and zone, as
// "yyyy-MM-dd HH:mm:ss", or as Unix seconds or milliseconds. Invalid when none fits.
QDateTime parseServerTime(const QString &text);
