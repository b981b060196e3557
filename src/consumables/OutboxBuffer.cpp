#include "consumables/OutboxBuffer.h"

#include "common/IsoTime.h"
#include "common/JsonRead.h"
#include "common/LogCategories.h"
#include "settings/AppSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const char kCreateTable[] =
    "CREATE TABLE IF NOT EXISTS outbox_events (id INTEGER PRIMARY KEY AUTOINCREMENT,"
    "event_type TEXT NOT NULL,payload_json TEXT NOT NULL,created_at TEXT NOT NULL,"
    "last_error TEXT)";
const char kCreateIndex[] =
    "CREATE INDEX IF NOT EXISTS idx_outbox_events_created ON outbox_events(id ASC)";

QString nameFor(const void *object)
{
    return QStringLiteral("outbox_%1").arg(reinterpret_cast<quintptr>(object));
}

bool execPlain(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    const bool ok = query.exec(sql);
    if (!ok)
        qCWarning(lcConsumables) << "outbox:" << sql << query.lastError().text();
    query.finish();
    return ok;
}

QStringList trimmedTypes(const QStringList &types)
{
    QStringList out;
    for (const QString &type : types)
        out.append(type.trimmed());
    return out;
}

// " WHERE event_type IN (?, ?)" with one placeholder per type; empty for no types.
QString typeFilter(const QStringList &types)
{
    if (types.isEmpty())
        return {};
    QStringList marks;
    for (qsizetype i = 0; i < types.size(); ++i)
        marks.append(QStringLiteral("?"));
    return QStringLiteral(" WHERE event_type IN (%1)").arg(marks.join(QStringLiteral(", ")));
}

} // namespace

OutboxBuffer::OutboxBuffer(AppSettings *settings)
    : m_settings(settings), m_connectionName(nameFor(this))
{
    ensureSchema();
}

OutboxBuffer::OutboxBuffer(const QString &databasePath)
    : m_explicitPath(databasePath), m_connectionName(nameFor(this))
{
    ensureSchema();
}

OutboxBuffer::~OutboxBuffer()
{
    // Close our own connection; the file stays for the next run.
    if (QSqlDatabase::contains(m_connectionName)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

QString OutboxBuffer::databasePath() const
{
    if (!m_explicitPath.isEmpty())
        return m_explicitPath;
    return m_settings ? m_settings->clientBufferPath() : QString();
}

bool OutboxBuffer::ensureOpen()
{
    QSqlDatabase db;
    if (QSqlDatabase::contains(m_connectionName)) {
        db = QSqlDatabase::database(m_connectionName, false);
    } else {
        const QString path = databasePath();
        if (path.isEmpty())
            return false;
        QDir().mkpath(QFileInfo(path).absolutePath());
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    }
    if (db.isOpen())
        return true;
    if (!db.open()) {
        qCWarning(lcConsumables) << "outbox: cannot open" << db.databaseName()
                                 << db.lastError().text();
        return false;
    }
    // WAL with synchronous=FULL: every autocommit INSERT is fsynced to the WAL
    // before it returns, so a row whose enqueue returned true survives a kill
    // and a power loss; readers and the other owner's writer do not block.
    execPlain(db, QStringLiteral("PRAGMA journal_mode=WAL"));
    execPlain(db, QStringLiteral("PRAGMA synchronous=FULL"));
    m_schemaReady = false;
    return true;
}

void OutboxBuffer::ensureSchema()
{
    if (!ensureOpen())
        return;
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    m_schemaReady = execPlain(db, QString::fromLatin1(kCreateTable))
                    && execPlain(db, QString::fromLatin1(kCreateIndex));
}

bool OutboxBuffer::ready()
{
    if (!ensureOpen())
        return false;
    if (!m_schemaReady)
        ensureSchema();
    return m_schemaReady;
}

bool OutboxBuffer::enqueue(const QString &eventType, const QJsonObject &payload,
                           const QString &lastError)
{
    if (!ready())
        return false;
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.prepare(QStringLiteral("INSERT INTO outbox_events (event_type, payload_json, "
                                 "created_at, last_error) VALUES (?, ?, ?, ?)"));
    query.addBindValue(eventType.trimmed());
    query.addBindValue(compactJsonText(payload));
    query.addBindValue(isoLocalNowMs());
    query.addBindValue(lastError.isEmpty() ? QVariant(QMetaType::fromType<QString>())
                                           : QVariant(lastError));
    const bool ok = query.exec();
    if (!ok)
        qCWarning(lcConsumables) << "outbox: insert failed" << query.lastError().text();
    query.finish();
    return ok;
}

int OutboxBuffer::count()
{
    if (!ready())
        return 0;
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    int result = 0;
    if (query.exec(QStringLiteral("SELECT COUNT(*) FROM outbox_events")) && query.next())
        result = query.value(0).toInt();
    query.finish();
    return result;
}

QList<OutboxRow> OutboxBuffer::fetch(int limit)
{
    return select(QStringList(), limit);
}

QList<OutboxRow> OutboxBuffer::fetchOfType(const QString &eventType, int limit)
{
    return select(QStringList{eventType.trimmed()}, limit);
}

QList<OutboxRow> OutboxBuffer::fetchOfTypes(const QStringList &eventTypes, int limit)
{
    if (eventTypes.isEmpty())
        return {};
    return select(trimmedTypes(eventTypes), limit);
}

QList<OutboxRow> OutboxBuffer::select(const QStringList &eventTypes, int limit)
{
    QList<OutboxRow> rows;
    if (!ready() || limit <= 0)
        return rows;
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id, event_type, payload_json, created_at, last_error "
                                 "FROM outbox_events%1 ORDER BY id ASC LIMIT ?")
                      .arg(typeFilter(eventTypes)));
    for (const QString &type : eventTypes)
        query.addBindValue(type);
    query.addBindValue(limit);
    if (!query.exec()) {
        qCWarning(lcConsumables) << "outbox: fetch failed" << query.lastError().text();
        return rows;
    }
    while (query.next()) {
        OutboxRow row;
        row.id = query.value(0).toLongLong();
        row.eventType = query.value(1).toString();
        const QJsonDocument doc = QJsonDocument::fromJson(query.value(2).toString().toUtf8());
        row.payload = doc.isObject() ? doc.object() : QJsonObject();
        row.createdAt = query.value(3).toString();
        row.lastError = query.value(4).toString();
        rows.append(row);
    }
    query.finish();
    return rows;
}

bool OutboxBuffer::remove(qint64 id)
{
    if (!ready())
        return false;
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.prepare(QStringLiteral("DELETE FROM outbox_events WHERE id = ?"));
    query.addBindValue(id);
    const bool ok = query.exec();
    query.finish();
    return ok;
}

bool OutboxBuffer::markError(qint64 id, const QString &error)
{
    if (!ready())
        return false;
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.prepare(QStringLiteral("UPDATE outbox_events SET last_error = ? WHERE id = ?"));
    query.addBindValue(error);
    query.addBindValue(id);
    const bool ok = query.exec();
    query.finish();
    return ok;
}

bool OutboxBuffer::clear()
{
    if (!ready())
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    return execPlain(db, QStringLiteral("DELETE FROM outbox_events"));
}

int OutboxBuffer::countOfType(const QString &eventType)
{
    return countOfTypes({eventType});
}

bool OutboxBuffer::clearOfType(const QString &eventType)
{
    return clearOfTypes({eventType});
}

int OutboxBuffer::countOfTypes(const QStringList &eventTypes)
{
    if (eventTypes.isEmpty() || !ready())
        return 0;
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.prepare(QStringLiteral("SELECT COUNT(*) FROM outbox_events%1").arg(typeFilter(eventTypes)));
    for (const QString &type : trimmedTypes(eventTypes))
        query.addBindValue(type);
    int result = 0;
    if (query.exec() && query.next())
        result = query.value(0).toInt();
    query.finish();
    return result;
}

bool OutboxBuffer::clearOfTypes(const QStringList &eventTypes)
{
    if (eventTypes.isEmpty() || !ready())
        return false;
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    query.prepare(QStringLiteral("DELETE FROM outbox_events%1").arg(typeFilter(eventTypes)));
    for (const QString &type : trimmedTypes(eventTypes))
        query.addBindValue(type);
    const bool ok = query.exec();
    query.finish();
    return ok;
}
