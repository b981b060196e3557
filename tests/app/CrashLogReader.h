#pragma once

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

// Reads "logs/crash-*.log" of a data folder. Each line must be
// "<local yyyy-MM-ddTHH:mm:ss.zzz> <reason>"; a malformed line comes back as "BAD:<line>"
// so a comparison of the reasons shows it.
struct CrashLogReader {
    QStringList reasons;
    QList<QDateTime> times;

    explicit CrashLogReader(const QString &dataFolder)
    {
        static const QRegularExpression layout(QStringLiteral(
            "^(\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}) (\\S.*)$"));
        const QDir logs(QDir(dataFolder).filePath(QStringLiteral("logs")));
        const QStringList files = logs.entryList({QStringLiteral("crash-*.log")}, QDir::Files, QDir::Name);
        for (const QString &name : files) {
            QFile file(logs.filePath(name));
            if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
                continue;
            const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            for (const QString &line : lines) {
                const QRegularExpressionMatch match = layout.match(line);
                if (!match.hasMatch()) {
                    reasons.append(QStringLiteral("BAD:") + line);
                    times.append(QDateTime());
                    continue;
                }
                reasons.append(match.captured(2));
                times.append(QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")));
            }
        }
    }

    // True when every line's local time lies within slackSecs of now (checks the offset
    // the signal handler computes by hand).
    bool timesNear(const QDateTime &now, int slackSecs) const
    {
        for (const QDateTime &time : times) {
            if (!time.isValid() || qAbs(time.secsTo(now)) > slackSecs)
                return false;
        }
        return !times.isEmpty();
    }
};
