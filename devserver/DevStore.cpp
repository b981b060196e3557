#include "DevStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QUuid>

namespace {

constexpr int kMaxTenantEvents = 2000;
constexpr int kMaxAnsweredEvents = 5000;

QString nowUtc()
{
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

} // namespace

QJsonObject DevDevice::toJson() const
{
    return QJsonObject{
        {QStringLiteral("id"), id},
        {QStringLiteral("name"), name},
        {QStringLiteral("client_id"), clientId},
        {QStringLiteral("app_version"), appVersion},
        {QStringLiteral("operator_name"), operatorName},
        {QStringLiteral("blocked"), blocked},
        {QStringLiteral("registered_at"), registeredAt},
        {QStringLiteral("last_seen_at"), lastSeenAt},
        {QStringLiteral("last_heartbeat"), lastHeartbeat},
        {QStringLiteral("heartbeats"), heartbeats},
    };
}

DevDevice DevDevice::fromJson(const QJsonObject &object)
{
    DevDevice device;
    device.id = object.value(QStringLiteral("id")).toString();
    device.name = object.value(QStringLiteral("name")).toString();
    device.clientId = object.value(QStringLiteral("client_id")).toString();
    device.appVersion = object.value(QStringLiteral("app_version")).toString();
    device.operatorName = object.value(QStringLiteral("operator_name")).toString();
    device.blocked = object.value(QStringLiteral("blocked")).toBool();
    device.registeredAt = object.value(QStringLiteral("registered_at")).toString();
    device.lastSeenAt = object.value(QStringLiteral("last_seen_at")).toString();
    device.lastHeartbeat = object.value(QStringLiteral("last_heartbeat")).toObject();
    device.heartbeats = object.value(QStringLiteral("heartbeats")).toInt();
    return device;
}

DevDevice *DevTenant::device(const QString &deviceId)
{
    const auto it = devices.find(deviceId);
    return it == devices.end() ? nullptr : &it->second;
}

void DevTenant::recordEvent(const QString &type, const QJsonObject &payload, const QString &deviceId)
{
    events.append(QJsonObject{
        {QStringLiteral("received_at"), nowUtc()},
        {QStringLiteral("event_type"), type},
        {QStringLiteral("device_id"), deviceId},
        {QStringLiteral("payload"), payload},
    });
    while (events.size() > kMaxTenantEvents)
        events.removeFirst();
}

void DevTenant::rememberAnswer(const QByteArray &key, const QJsonObject &reply)
{
    if (!answeredEvents.contains(key))
        answeredOrder.append(key);
    answeredEvents.insert(key, reply);
    while (answeredOrder.size() > kMaxAnsweredEvents)
        answeredEvents.remove(answeredOrder.takeFirst());
}

QJsonObject DevTenant::toJson() const
{
    QJsonArray deviceList;
    for (const auto &entry : devices)
        deviceList.append(entry.second.toJson());
    return QJsonObject{
        {QStringLiteral("id"), id},
        {QStringLiteral("name"), name},
        {QStringLiteral("api_key"), apiKey},
        {QStringLiteral("blocked"), blocked},
        {QStringLiteral("revision"), revision},
        {QStringLiteral("config"), config},
        {QStringLiteral("data"), data},
        {QStringLiteral("notices"), notices},
        {QStringLiteral("devices"), deviceList},
        {QStringLiteral("events"), events},
    };
}

DevTenant DevTenant::fromJson(const QJsonObject &object)
{
    DevTenant tenant;
    tenant.id = object.value(QStringLiteral("id")).toString();
    tenant.name = object.value(QStringLiteral("name")).toString();
    tenant.apiKey = object.value(QStringLiteral("api_key")).toString();
    tenant.blocked = object.value(QStringLiteral("blocked")).toBool();
    tenant.revision = qMax<qint64>(1, object.value(QStringLiteral("revision")).toInteger(1));
    tenant.config = object.value(QStringLiteral("config")).toObject();
    tenant.data = object.value(QStringLiteral("data")).toObject();
    tenant.notices = object.value(QStringLiteral("notices")).toArray();
    tenant.events = object.value(QStringLiteral("events")).toArray();
    const QJsonArray deviceList = object.value(QStringLiteral("devices")).toArray();
    for (const QJsonValue &value : deviceList) {
        DevDevice device = DevDevice::fromJson(value.toObject());
        if (!device.id.isEmpty())
            tenant.devices[device.id] = device;
    }
    return tenant;
}

DevTenant *DevStore::tenantById(const QString &id)
{
    const auto it = m_tenants.find(id.trimmed());
    return it == m_tenants.end() ? nullptr : &it->second;
}

DevTenant *DevStore::tenantByKey(const QString &apiKey)
{
    const QString key = apiKey.trimmed();
    if (key.isEmpty())
        return nullptr;
    for (auto &entry : m_tenants) {
        if (entry.second.apiKey == key)
            return &entry.second;
    }
    return nullptr;
}

DevTenant &DevStore::createTenant(const QString &name, const QString &id)
{
    DevTenant tenant;
    tenant.id = id.trimmed().isEmpty() ? newId(QStringLiteral("t_")) : id.trimmed();
    tenant.name = name;
    tenant.apiKey = QStringLiteral("vk_") + QUuid::createUuid().toString(QUuid::Id128);
    return putTenant(tenant);
}

DevTenant &DevStore::putTenant(const DevTenant &tenant)
{
    m_tenants[tenant.id] = tenant;
    return m_tenants[tenant.id];
}

void DevStore::clear()
{
    m_tenants.clear();
    m_release = QJsonObject();
}

QJsonObject DevStore::toJson() const
{
    QJsonArray list;
    for (const auto &entry : m_tenants)
        list.append(entry.second.toJson());
    return QJsonObject{
        {QStringLiteral("schema"), QStringLiteral("vorn_devserver_state_v1")},
        {QStringLiteral("tenants"), list},
        {QStringLiteral("release"), m_release},
    };
}

void DevStore::fromJson(const QJsonObject &object)
{
    m_tenants.clear();
    const QJsonArray list = object.value(QStringLiteral("tenants")).toArray();
    for (const QJsonValue &value : list) {
        DevTenant tenant = DevTenant::fromJson(value.toObject());
        if (!tenant.id.isEmpty())
            m_tenants[tenant.id] = tenant;
    }
    m_release = object.value(QStringLiteral("release")).toObject();
}

bool DevStore::saveTo(const QString &path) const
{
    if (path.isEmpty())
        return false;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(toJson()).toJson(QJsonDocument::Indented));
    return file.commit();
}

bool DevStore::loadFrom(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject())
        return false;
    fromJson(document.object());
    return true;
}

QString DevStore::newId(const QString &prefix)
{
    return prefix + QUuid::createUuid().toString(QUuid::Id128).left(10);
}
