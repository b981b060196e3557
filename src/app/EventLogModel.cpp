#include "app/EventLogModel.h"

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

void EventLogModel::add(const QString &level, const QString &message)
{
    const Entry entry{level, message,
                      QDateTime::currentDateTime().toString(QStringLiteral("dd.MM HH:mm:ss"))};
    beginInsertRows(QModelIndex(), 0, 0);
    m_entries.append(entry);
    endInsertRows();
    appendToFile(entry);
    Q_EMIT entryAdded(entry.level, entry.message, entry.timestamp);
}

void EventLogModel::appendToFile(const Entry &entry) const
{
    // An unwritable log folder only costs the disk copy; the journal row stays.
    if (m_logDirectory.isEmpty() || !QDir().mkpath(m_logDirectory))
        return;
    QFile file(currentLogFilePath());
    if (!file.open(QIODevice::Append | QIODevice::Text))
        return;
    file.write(QStringLiteral("[%1] [%2] %3\n")
                   .arg(entry.timestamp, entry.level, entry.message)
                   .toUtf8());
}
