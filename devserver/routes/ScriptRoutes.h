#pragma once

#include "DevServer.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>

// "/api/client-scripts": a queue of script commands per device, handed out by
// the client's poll, and the status reports the client posts back.
// Commands are queued through "POST /__dev/scripts/command"; "GET /__dev/scripts"
// shows queues, the last report and the command results of every device.
class ScriptRoutes : public DevRouteSet
{
public:
    void registerRoutes(DevServer &server) override;

private:
    struct DeviceScripts
    {
        QJsonArray queue;      // commands not yet handed out, oldest first
        QJsonObject lastReport;
        QJsonArray results;    // command results as reported, newest last (capped)
        int reports = 0;
    };

    static QString deviceKey(const QString &tenantId, const QString &deviceId);
    DevResponse poll(DevRequest &request);
    DevResponse report(DevRequest &request);
    DevResponse queueCommands(DevServer &server, DevRequest &request);
    DevResponse show(DevRequest &request) const;

    QHash<QString, DeviceScripts> m_devices;
    int m_nextCommand = 1;
};
