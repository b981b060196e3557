#pragma once

// A fresh data folder, an in-process vorn-devserver on 127.0.0.1 (free port)
// and a settings store pointing at it with the demo tenant's identity.

#include "DemoData.h"
#include "DevServer.h"
#include "JournalProbe.h"
#include "app/EventLogModel.h"
#include "common/JsonRead.h"
#include "settings/AppSettings.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

struct ServerLinkSandbox
{
    QTemporaryDir dir;
    DevServer server;
    std::unique_ptr<AppSettings> settings;
    EventLogModel eventLog;

    ServerLinkSandbox()
    {
        AppSettings::setDataDirectoryOverride(dir.filePath(QStringLiteral("VornClient/VornClient")));
        server.listenOn(QHostAddress::LocalHost, 0);
        settings = std::make_unique<AppSettings>();
    }

    ~ServerLinkSandbox() { AppSettings::setDataDirectoryOverride(QString()); }

    QString url() const { return server.baseUrl().toString(); }

    void setUpDemoDevice()
    {
        settings->setServerUrl(url());
        settings->setTenantId(QString::fromLatin1(Demo::kTenantId));
        settings->setDeviceId(QString::fromLatin1(Demo::kDeviceId));
        settings->setApiKey(QString::fromLatin1(Demo::kApiKey));
    }

    QJsonArray requests(const QString &path) const
    {
        return const_cast<DevServer &>(server).journal().entries(0, path);
    }

    void fault(const QJsonObject &definition) { server.faults().add(DevFault::fromJson(definition)); }

    DevTenant &demoTenant() { return *server.store().tenantById(QString::fromLatin1(Demo::kTenantId)); }

    bool hasLogEntry(const QString &message) const
    {
        return journalMessages(eventLog).contains(message);
    }
};
