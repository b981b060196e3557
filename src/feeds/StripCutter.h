#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Cuts a layout into printable strips of 104 cm (see StripGeometry) in one pass over its
// rows: every strip file is written row by row at the same time, so memory stays a few
// rows deep however high the layout is. Blocking: run it on a worker thread.
struct StripCutJob
{
    QString layoutPath;
    QString stripsFolder;
    QString layoutName;    // the strip files are named after it
    QString designKey;     // strips of an earlier run with this key are replaced
};

struct StripCutOutcome
{
    bool ok = false;
    QString error;         // the operator's words
    int expected = 0;
    int done = 0;
    QStringList files;
};

struct StripCutHooks
{
    // The strip count once known, then after each finished strip.
    std::function<void(int done, int total)> progress;
    // Asked between rows; true abandons the cut (nothing half-written is left).
    std::function<bool()> canceled;
};

StripCutOutcome cutLayoutIntoStrips(const StripCutJob &job, const StripCutHooks &hooks = {});
