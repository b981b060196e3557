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
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
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

    // How many requests the server has seen from the code under test. A request of our
    // own goes first and is waited for, so one the code sent earlier has arrived by then:
    // "nothing was sent" is proven without a fixed sleep.
    int requestsSoFar()
    {
        QNetworkAccessManager network;
        QNetworkRequest request(server.baseUrl().resolved(QUrl(QStringLiteral("/__barrier"))));
        QNetworkReply *reply = network.get(request);
        if (!QTest::qWaitFor([reply] { return reply->isFinished(); }, 10000))
            reply->abort();
        reply->deleteLater();
        return int(server.journal().entries(0, QString()).size()) - 1;
    }

    // Posts to one of the devserver's control routes (tasks, files, issues) and
    // returns its JSON answer; empty when it does not answer in time.
    QJsonObject devPost(const QString &path, const QJsonObject &body)
    {
        QNetworkAccessManager network;
        QNetworkRequest request(server.baseUrl().resolved(QUrl(path)));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        QNetworkReply *reply = network.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
        if (!QTest::qWaitFor([reply] { return reply->isFinished(); }, 10000))
            reply->abort();
        const QJsonObject answer = QJsonDocument::fromJson(reply->readAll()).object();
        delete reply;
        return answer;
    }

    bool hasLogEntry(const QString &message) const
    {
        return journalMessages(eventLog).contains(message);
    }
};
