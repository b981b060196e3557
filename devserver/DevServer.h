#pragma once

#include "DemoIssueDrift.h"
#include "DevFaults.h"
#include "DevHttp.h"
#include "DevJournal.h"
#include "DevStore.h"

#include <QAbstractHttpServer>
#include <QHash>
#include <QHostAddress>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <vector>

class DevServer;
class QHttpServerResponder;

// A feature area of the stand-in platform: a class that adds its endpoints
// (and client-event handlers) to the server. New areas live in their own
// files under routes/ and are added in DevServer's constructor or by the embedder.
class DevRouteSet
{
public:
    virtual ~DevRouteSet() = default;
    virtual void registerRoutes(DevServer &server) = 0;
};

// Handles one client event type posted to "/api/client-event"; returns the
// keys of the reply ("ok" true is added when missing). The tenant is known.
using DevEventHandler =
    std::function<QJsonObject(DevTenant &tenant, const QString &deviceId, const QJsonObject &payload)>;

// vorn-devserver: the local stand-in for the Vorn platform. Built on
// QAbstractHttpServer rather than QHttpServer's router, because every request
// must be journaled and may be delayed, dropped or answered by a fault switch
// before routing - which needs the socket and an answer after the handler returns.
class DevServer : public QAbstractHttpServer
{
    Q_OBJECT
public:
    static constexpr qint64 kMaxBodyBytes = 10 * 1024 * 1024;

    explicit DevServer(QObject *parent = nullptr);
    ~DevServer() override;

    // Listens on address:port (0 picks a free port); returns the port or 0.
    quint16 listenOn(const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0);
    quint16 port() const { return m_port; }
    QUrl baseUrl() const;

    // Seeding: with demo on, reset() (and the first start without a state file)
    // creates the demo tenant.
    void setDemoEnabled(bool enabled) { m_demo = enabled; }
    bool demoEnabled() const { return m_demo; }
    // With a state path, tenants are loaded from it when it exists and written
    // back shortly after every change.
    void setStatePath(const QString &path);
    // Clears journal, faults and tenants and seeds again.
    void reset();
    // Persist soon (tenant data changed).
    void markChanged();

    void addRoute(const QString &method, const QString &path, DevAuth auth, DevHandler handler);
    void addRouteSet(std::unique_ptr<DevRouteSet> routes);
    void addEventHandler(const QString &eventType, DevEventHandler handler);
    const DevEventHandler *eventHandler(const QString &eventType) const;

    DevStore &store() { return m_store; }
    DevJournal &journal() { return m_journal; }
    DevFaults &faults() { return m_faults; }
    // Moves the tenants' bugs and defects on (off until setEvery or "/__dev/issues").
    DemoIssueDrift &issueDrift() { return m_issueDrift; }

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    struct Route
    {
        QString method;
        DevAuth auth = DevAuth::None;
        DevHandler handler;
    };

    void seed();
    void saveState();
    // Faults, size and JSON checks, routing, authentication, the handler.
    void process(DevRequest &request, qint64 seq, QHttpServerResponder &responder);
    DevResponse handle(DevRequest &request);
    DevResponse route(DevRequest &request);
    DevResponse authenticate(DevRequest &request, bool *passed);
    void send(QHttpServerResponder &responder, const DevResponse &response, qint64 seq);

    DevStore m_store;
    DevJournal m_journal;
    DevFaults m_faults;
    DemoIssueDrift m_issueDrift;
    QHash<QString, std::vector<Route>> m_routes;
    QHash<QString, DevEventHandler> m_eventHandlers;
    std::vector<std::unique_ptr<DevRouteSet>> m_routeSets;
    QString m_statePath;
    QTimer m_saveTimer;
    bool m_demo = true;
    quint16 m_port = 0;
};
