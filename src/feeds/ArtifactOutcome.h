#pragma once

#include <QList>
#include <QString>

// What carrying out one server task came to: the journal lines it produced,
// whether the server may be told it is done, and how many files it wrote or changed.
struct ArtifactOutcome
{
    enum class Level { Success, Warn };
    struct Line
    {
        Level level;
        QString message;
    };

    QList<Line> lines;
    // A task that failed for a reason that may pass (an unreachable folder, a
    // failed write) is not confirmed, so the server offers it again.
    bool done = false;
    int changedFiles = 0;

    void success(const QString &message) { lines.append({Level::Success, message}); }
    void warn(const QString &message) { lines.append({Level::Warn, message}); }
};
