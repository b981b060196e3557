#pragma once

// What services wrote to the operator's journal, for tests. Either hand the probe itself to
// a service as its Journal, or let it follow an EventLogModel that the service writes to.
// Lines are "level: message", oldest first.

#include "app/EventLogModel.h"
#include "common/Journal.h"

#include <QObject>
#include <QStringList>

#include <algorithm>

// The messages an EventLogModel holds now, newest first; only one level's when given.
inline QStringList journalMessages(const EventLogModel &log, const QString &level = QString())
{
    QStringList messages;
    for (int row = 0; row < log.rowCount(); ++row) {
        const QModelIndex index = log.index(row);
        if (level.isEmpty() || index.data(EventLogModel::LevelRole).toString() == level)
            messages << index.data(EventLogModel::MessageRole).toString();
    }
    return messages;
}

class JournalProbe : public Journal
{
public:
    JournalProbe() = default;
    explicit JournalProbe(EventLogModel &log)
    {
        m_follow = QObject::connect(&log, &EventLogModel::entryAdded,
                                    [this](const QString &level, const QString &message, const QString &) {
                                        lines << level + QStringLiteral(": ") + message;
                                    });
    }
    ~JournalProbe() override { QObject::disconnect(m_follow); }
    JournalProbe(const JournalProbe &) = delete;
    JournalProbe &operator=(const JournalProbe &) = delete;

    void addInfo(const QString &m) override { lines << QStringLiteral("info: ") + m; }
    void addSuccess(const QString &m) override { lines << QStringLiteral("success: ") + m; }
    void addWarn(const QString &m) override { lines << QStringLiteral("warn: ") + m; }
    void addError(const QString &m) override { lines << QStringLiteral("error: ") + m; }

    QString last() const { return lines.isEmpty() ? QString() : lines.constLast(); }
    void clear() { lines.clear(); }

    // The messages without their level, oldest first; only one level's when given.
    QStringList messages(const QString &level = QString()) const
    {
        QStringList result;
        const QString prefix = level + QStringLiteral(": ");
        for (const QString &line : lines) {
            if (level.isEmpty() || line.startsWith(prefix))
                result << line.section(QStringLiteral(": "), 1);
        }
        return result;
    }
    int count(const QString &message) const { return int(messages().count(message)); }
    bool has(const QString &message) const { return count(message) > 0; }
    bool hasPrefix(const QString &start) const
    {
        const QStringList all = messages();
        return std::any_of(all.cbegin(), all.cend(), [&](const QString &m) { return m.startsWith(start); });
    }

    QStringList lines;

private:
    QMetaObject::Connection m_follow;
};
