#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

struct DevRequest;

// Every request the server received (development endpoints excepted), for
// tests and for watching a running client: method, path, query, headers, body.
class DevJournal
{
public:
    // Returns the sequence number of the entry.
    qint64 record(const DevRequest &request);
    void setStatus(qint64 seq, int status, const QString &outcome = QString());
    void clear();

    // Entries after seq "since", optionally only for one path, oldest first.
    QJsonArray entries(qint64 since = 0, const QString &path = QString(), int limit = 0) const;
    qint64 lastSeq() const { return m_nextSeq - 1; }
    int size() const { return int(m_entries.size()); }

private:
    QList<QJsonObject> m_entries;
    qint64 m_nextSeq = 1;
};
