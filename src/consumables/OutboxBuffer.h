#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

class AppSettings;

// One queued event read back from the outbox.
struct OutboxRow
{
    qint64 id = 0;
    QString eventType;
    QJsonObject payload;
    QString createdAt;
    QString lastError;
};

// Durable queue of client events the server did not receive, one row per event
// in "client_buffer.sqlite". It only stores and lists rows; the owning service
// decides when and how they are sent. Several owners may each hold an instance
// on the same file: every instance has its own connection name.
class OutboxBuffer
{
public:
    explicit OutboxBuffer(AppSettings *settings);
    // Same queue on an explicit file (tools and tests without a settings store).
    explicit OutboxBuffer(const QString &databasePath);
    ~OutboxBuffer();

    OutboxBuffer(const OutboxBuffer &) = delete;
    OutboxBuffer &operator=(const OutboxBuffer &) = delete;

    QString connectionName() const { return m_connectionName; }
    QString databasePath() const;

    bool ensureOpen();
    void ensureSchema();

    bool enqueue(const QString &eventType, const QJsonObject &payload,
                 const QString &lastError = {});
    int count();
    QList<OutboxRow> fetch(int limit);
    bool remove(qint64 id);
    bool markError(qint64 id, const QString &error);
    bool clear();

    // The same operations limited to one event type, for an owner that shares
    // the file with others (the print archive and the consumables do).
    int countOfType(const QString &eventType);
    QList<OutboxRow> fetchOfType(const QString &eventType, int limit);
    bool clearOfType(const QString &eventType);
    // Several event types at once (an owner with more than one event); rows keep
    // their queue order across the types.
    int countOfTypes(const QStringList &eventTypes);
    QList<OutboxRow> fetchOfTypes(const QStringList &eventTypes, int limit);
    bool clearOfTypes(const QStringList &eventTypes);

private:
    bool ready();
    QList<OutboxRow> select(const QStringList &eventTypes, int limit);

    AppSettings *m_settings = nullptr;
    QString m_explicitPath;
    QString m_connectionName;
    bool m_schemaReady = false;
};
