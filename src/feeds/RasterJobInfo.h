#pragma once

#include <QString>

// The RIP's report of one job ("JobInfo.ini"): ink used per colour and the device profile.
struct RasterJobInfo
{
    bool hasInks = false;
    // Amounts in the order the RIP lists them: cyan, magenta, yellow, black.
    double cyan = 0;
    double magenta = 0;
    double yellow = 0;
    double black = 0;
    double total = 0;
    QString profile;
};

RasterJobInfo parseRasterJobInfo(const QByteArray &content);
// Empty (hasInks false) when the file is missing or unreadable.
RasterJobInfo readRasterJobInfo(const QString &path);
