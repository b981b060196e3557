#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QVector>

#include "common/Journal.h"

// The operator's journal: short Russian messages, newest first, each also
// appended to the day's "client-yyyy-MM-dd.log" in the log directory. The model
// keeps the newest kMaxEntries (the daily file keeps them all). Every message is
// stripped of control characters, capped and has its secrets masked before it
// is kept, written or announced.
class EventLogModel : public QAbstractListModel, public Journal
{
    Q_OBJECT
public:
    enum Role {
        LevelRole = Qt::UserRole + 1,
        MessageRole,
        TimestampRole,
    };
    Q_ENUM(Role)

    static constexpr int kMaxEntries = 5000;
    static constexpr int kMaxMessageChars = 1000;

    explicit EventLogModel(QObject *parent = nullptr);

    // The form a message is kept in (see the class comment).
    static QString cleanMessage(const QString &message);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    QString logDirectory() const { return m_logDirectory; }
    // The file an entry written now goes to; empty without a log directory.
    QString currentLogFilePath() const;

    Q_INVOKABLE void clear();
    Q_INVOKABLE void addInfo(const QString &message) override;
    Q_INVOKABLE void addSuccess(const QString &message) override;
    Q_INVOKABLE void addWarn(const QString &message) override;
    Q_INVOKABLE void addError(const QString &message) override;
    Q_INVOKABLE void setLogDirectory(const QString &path);

Q_SIGNALS:
    void entryAdded(const QString &level, const QString &message, const QString &timestamp);

private:
    struct Entry
    {
        QString level;
        QString message;
        QString timestamp;
    };

    void add(const QString &level, const QString &message);
    void appendToFile(const Entry &entry) const;

    // Stored oldest first so adding is an append; rows are served reversed.
    QVector<Entry> m_entries;
    QString m_logDirectory;
};
