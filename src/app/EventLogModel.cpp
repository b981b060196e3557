#include "app/EventLogModel.h"

#include "common/AtomicFile.h"
#include "common/SecretRedaction.h"
#include "common/WriteFailureMonitor.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>

EventLogModel::EventLogModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

int EventLogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant EventLogModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Entry &entry = m_entries.at(m_entries.size() - 1 - index.row());
    switch (role) {
    case LevelRole:
        return entry.level;
    case MessageRole:
    case Qt::DisplayRole:
        return entry.message;
    case TimestampRole:
        return entry.timestamp;
    default:
        return {};
    }
}

QHash<int, QByteArray> EventLogModel::roleNames() const
{
    return {
        {LevelRole, "level"},
        {MessageRole, "message"},
        {TimestampRole, "timestamp"},
    };
}

QString EventLogModel::currentLogFilePath() const
{
    if (m_logDirectory.isEmpty())
        return {};
    return QDir(m_logDirectory)
        .filePath(QStringLiteral("client-%1.log")
                      .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
}

void EventLogModel::clear()
{
    beginResetModel();
    m_entries.clear();
    endResetModel();
}

void EventLogModel::addInfo(const QString &message) { add(QStringLiteral("info"), message); }
void EventLogModel::addSuccess(const QString &message) { add(QStringLiteral("success"), message); }
void EventLogModel::addWarn(const QString &message) { add(QStringLiteral("warn"), message); }
void EventLogModel::addError(const QString &message) { add(QStringLiteral("error"), message); }

void EventLogModel::setLogDirectory(const QString &path)
{
    m_logDirectory = path.trimmed();
}

QString EventLogModel::cleanMessage(const QString &message)
{
    QString text;
    const QString head = message.left(kMaxMessageChars * 2);
    text.reserve(head.size());
    for (const QChar c : head) {
        if (c == u'\n' || c == u'\r' || c == u'\t')
            text.append(u' ');
        else if (c.category() != QChar::Other_Control && c != QChar::ReplacementCharacter)
            text.append(c);
    }
    text = SecretRedaction::redactSecrets(text);
    if (text.size() > kMaxMessageChars || message.size() > head.size()) {
        text.truncate(kMaxMessageChars - 1);
        text.append(QChar(0x2026));
    }
    return text;
}

void EventLogModel::add(const QString &level, const QString &message)
{
    const Entry entry{level, cleanMessage(message),
                      QDateTime::currentDateTime().toString(QStringLiteral("dd.MM HH:mm:ss"))};
    // The oldest rows leave the model once it is full (they stay in the file).
    if (m_entries.size() >= kMaxEntries) {
        const int drop = int(m_entries.size()) - kMaxEntries + 1;
        const int rows = int(m_entries.size());
        beginRemoveRows(QModelIndex(), rows - drop, rows - 1);
        m_entries.remove(0, drop);
        endRemoveRows();
    }
    beginInsertRows(QModelIndex(), 0, 0);
    m_entries.append(entry);
    endInsertRows();
    appendToFile(entry);
    Q_EMIT entryAdded(entry.level, entry.message, entry.timestamp);
}

void EventLogModel::appendToFile(const Entry &entry) const
{
    // An unwritable log folder only costs the disk copy; the journal row stays and
    // the operator hears of the folder once.
    if (m_logDirectory.isEmpty())
        return;
    QFile file(currentLogFilePath());
    const bool created = !file.exists();
    const QByteArray line =
        QStringLiteral("[%1] [%2] %3\n").arg(entry.timestamp, entry.level, entry.message).toUtf8();
    if (!QDir().mkpath(m_logDirectory) || !file.open(QIODevice::Append | QIODevice::Text)
        || file.write(line) != line.size()) {
        WriteFailureMonitor::global().noteFailure(file.fileName());
        return;
    }
    if (created)
        file.setPermissions(kOwnerOnlyPermissions);
    if (WriteFailureMonitor::global().failing())
        WriteFailureMonitor::global().noteSuccess(file.fileName());
}
