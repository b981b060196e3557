#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QHash>
#include <QMap>
#include <QString>

#include <map>

struct DevDevice
{
    QString id;
    QString name;
    QString clientId;
    QString appVersion;
    QString operatorName;
    bool blocked = false;
    QString registeredAt;
    QString lastSeenAt;
    QJsonObject lastHeartbeat;     // payload of the last "client_heartbeat"
    int heartbeats = 0;

    QJsonObject toJson() const;
    static DevDevice fromJson(const QJsonObject &object);
};

// One tenant of the platform with everything the client can pull.
struct DevTenant
{
    QString id;
    QString name;
    QString apiKey;
    bool blocked = false;
    qint64 revision = 1;

    // Configuration the client reads through client-config and the snapshot:
    // consumableTabs, wallBindings, scripts_catalog, help_sections, ui, links, ...
    QJsonObject config;
    // Working data, one snapshot key each: orders, employees, archive, archive_stats,
    // bugs, defects, boxes, inks, materials, ...
    QJsonObject data;
    QJsonArray notices;
    std::map<QString, DevDevice> devices;
    // Client events as received, newest last (capped).
    QJsonArray events;
    // Replies to events a client may send again (a lost reply, then its outbox):
    // keyed by the event's content, which carries the client's own timestamp.
    QHash<QByteArray, QJsonObject> answeredEvents;
    QList<QByteArray> answeredOrder;

    // Every change the snapshot shows must bump the revision.
    void touch() { ++revision; }
    QString revisionText() const { return QString::number(revision); }
    DevDevice *device(const QString &deviceId);
    void recordEvent(const QString &type, const QJsonObject &payload, const QString &deviceId);
    void rememberAnswer(const QByteArray &key, const QJsonObject &reply);

    QJsonObject toJson() const;
    static DevTenant fromJson(const QJsonObject &object);
};

// The tenants in memory, optionally persisted to one JSON file.
class DevStore
{
public:
    DevTenant *tenantById(const QString &id);
    DevTenant *tenantByKey(const QString &apiKey);
    // A fresh tenant with a generated id (when none is given) and key.
    DevTenant &createTenant(const QString &name, const QString &id = QString());
    DevTenant &putTenant(const DevTenant &tenant);
    void clear();
    const std::map<QString, DevTenant> &tenants() const { return m_tenants; }

    // Release information answered by "/api/version".
    QJsonObject release() const { return m_release; }
    void setRelease(const QJsonObject &release) { m_release = release; }

    QJsonObject toJson() const;
    void fromJson(const QJsonObject &object);
    bool saveTo(const QString &path) const;
    bool loadFrom(const QString &path);

    static QString newId(const QString &prefix);

private:
    std::map<QString, DevTenant> m_tenants;
    QJsonObject m_release;
};
