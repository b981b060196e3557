#include "DevServer.h"

#include "DemoData.h"
#include "routes/ArtifactRoutes.h"
#include "routes/DevToolRoutes.h"
#include "routes/EventRoutes.h"
#include "routes/FeedRoutes.h"
#include "routes/IssueDevRoutes.h"
#include "routes/NewMaketsRoutes.h"
#include "routes/OnboardingRoutes.h"
#include "routes/ProductionRoutes.h"
#include "routes/ScriptRoutes.h"
#include "routes/SnapshotRoutes.h"
#include "routes/StockRoutes.h"
#include "routes/StaffRoutes.h"

#include <QDateTime>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QLoggingCategory>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <exception>

Q_LOGGING_CATEGORY(lcDevServer, "vorn.devserver")

namespace {

QString methodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get: return QStringLiteral("GET");
    case QHttpServerRequest::Method::Put: return QStringLiteral("PUT");
    case QHttpServerRequest::Method::Delete: return QStringLiteral("DELETE");
    case QHttpServerRequest::Method::Post: return QStringLiteral("POST");
    case QHttpServerRequest::Method::Head: return QStringLiteral("HEAD");
    case QHttpServerRequest::Method::Options: return QStringLiteral("OPTIONS");
    case QHttpServerRequest::Method::Patch: return QStringLiteral("PATCH");
    default: return QStringLiteral("OTHER");
    }
}

// The responder looks status texts up in a fixed table and throws on codes it
// does not know, so only these are ever written.
QHttpServerResponder::StatusCode knownStatus(int status)
{
    static const int known[] = {200, 201, 202, 204, 301, 302, 304, 400, 401, 403, 404, 405, 408,
                                409, 410, 413, 415, 422, 429, 500, 501, 502, 503, 504};
    for (int code : known) {
        if (code == status)
            return static_cast<QHttpServerResponder::StatusCode>(status);
    }
    return QHttpServerResponder::StatusCode::InternalServerError;
}

// Writes a file in chunks on a timer, then deletes itself; a cut closes the connection early.
class FileStreamer : public QObject
{
public:
    FileStreamer(QHttpServerResponder &&responder, const DevFileStream &stream, const QByteArray &contentType)
        : m_responder(std::move(responder))
        , m_stream(stream)
        , m_file(stream.filePath)
    {
        QTcpSocket *socket = m_responder.socket();
        setParent(socket);
        if (!m_file.open(QIODevice::ReadOnly)) {
            m_responder.write(QByteArray("{\"ok\":false,\"error\":\"file_missing\"}"),
                              {{"Content-Type", "application/json"}},
                              QHttpServerResponder::StatusCode::NotFound);
            deleteLater();
            return;
        }
        m_responder.writeStatusLine(QHttpServerResponder::StatusCode::Ok);
        m_responder.writeHeaders({{"Content-Type", contentType},
                                  {"Content-Length", QByteArray::number(m_file.size())}});
        m_timer.setInterval(std::max(0, stream.chunkDelayMs));
        connect(&m_timer, &QTimer::timeout, this, &FileStreamer::next);
        m_timer.start();
    }

private:
    void next()
    {
        QTcpSocket *socket = m_responder.socket();
        if (!socket || socket->state() != QAbstractSocket::ConnectedState) {
            m_timer.stop();
            deleteLater();
            return;
        }
        qint64 want = std::max<qint64>(1, m_stream.chunkBytes);
        if (m_stream.cutAfter >= 0)
            want = std::min(want, m_stream.cutAfter - m_sent);
        const QByteArray chunk = want > 0 ? m_file.read(want) : QByteArray();
        if (!chunk.isEmpty()) {
            m_responder.writeBody(chunk);
            m_sent += chunk.size();
        }
        const bool cut = m_stream.cutAfter >= 0 && m_sent >= m_stream.cutAfter && !m_file.atEnd();
        if (cut) {
            m_timer.stop();
            socket->flush();
            socket->disconnectFromHost();
            deleteLater();
        } else if (m_file.atEnd() || chunk.isEmpty()) {
            m_timer.stop();
            deleteLater();
        }
    }

    QHttpServerResponder m_responder;
    DevFileStream m_stream;
    QFile m_file;
    QTimer m_timer;
    qint64 m_sent = 0;
};

void streamFile(QHttpServerResponder &&responder, const DevFileStream &stream, const QByteArray &contentType)
{
    new FileStreamer(std::move(responder), stream, contentType);
}

bool isDevPath(const QString &path)
{
    return path == QLatin1String("/__dev") || path.startsWith(QLatin1String("/__dev/"));
}

} // namespace

DevServer::DevServer(QObject *parent)
    : QAbstractHttpServer(parent)
{
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(300);
    connect(&m_saveTimer, &QTimer::timeout, this, &DevServer::saveState);

    addRouteSet(std::make_unique<OnboardingRoutes>());
    addRouteSet(std::make_unique<SnapshotRoutes>());
    addRouteSet(std::make_unique<EventRoutes>());
    addRouteSet(std::make_unique<FeedRoutes>());
    addRouteSet(std::make_unique<DevToolRoutes>());
    addRouteSet(std::make_unique<ProductionRoutes>());
    addRouteSet(std::make_unique<StockRoutes>());
    addRouteSet(std::make_unique<StaffRoutes>());
    addRouteSet(std::make_unique<ScriptRoutes>());
    addRouteSet(std::make_unique<ArtifactRoutes>());
    addRouteSet(std::make_unique<IssueDevRoutes>());
    addRouteSet(std::make_unique<NewMaketsRoutes>());
    seed();
}

DevServer::~DevServer()
{
    if (m_saveTimer.isActive())
        saveState();
}

quint16 DevServer::listenOn(const QHostAddress &address, quint16 port)
{
    auto *tcp = new QTcpServer(this);
    // Room for bursts of simultaneous connections (the default backlog is 50).
    tcp->setListenBacklogSize(1024);
    tcp->setMaxPendingConnections(1024);
    if (!tcp->listen(address, port)) {
        qCWarning(lcDevServer) << "listen failed:" << tcp->errorString();
        delete tcp;
        return 0;
    }
    bind(tcp);
    m_port = tcp->serverPort();
    return m_port;
}

QUrl DevServer::baseUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_port));
}

void DevServer::setStatePath(const QString &path)
{
    m_statePath = path;
    if (!path.isEmpty() && QFile::exists(path)) {
        if (m_store.loadFrom(path)) {
            qCInfo(lcDevServer) << "state loaded from" << path;
            return;
        }
        qCWarning(lcDevServer) << "state file unreadable, starting fresh:" << path;
    }
    markChanged();
}

void DevServer::reset()
{
    m_journal.clear();
    m_faults.clear();
    m_issueDrift.reset();
    seed();
    markChanged();
}

void DevServer::seed()
{
    m_store.clear();
    m_store.setRelease(demoRelease());
    if (m_demo)
        seedDemoTenant(m_store);
}

void DevServer::markChanged()
{
    if (!m_statePath.isEmpty())
        m_saveTimer.start();
}

void DevServer::saveState()
{
    if (!m_statePath.isEmpty() && !m_store.saveTo(m_statePath))
        qCWarning(lcDevServer) << "could not write state to" << m_statePath;
}

void DevServer::addRoute(const QString &method, const QString &path, DevAuth auth, DevHandler handler)
{
    m_routes[path].push_back(Route{method.toUpper(), auth, std::move(handler)});
}

void DevServer::addRouteSet(std::unique_ptr<DevRouteSet> routes)
{
    if (!routes)
        return;
    routes->registerRoutes(*this);
    m_routeSets.push_back(std::move(routes));
}

void DevServer::addEventHandler(const QString &eventType, DevEventHandler handler)
{
    m_eventHandlers.insert(eventType, std::move(handler));
}

const DevEventHandler *DevServer::eventHandler(const QString &eventType) const
{
    const auto it = m_eventHandlers.constFind(eventType);
    return it == m_eventHandlers.constEnd() ? nullptr : &it.value();
}

bool DevServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    DevRequest dev;
    dev.method = methodName(request.method());
    dev.path = request.url().path();
    dev.query = request.query();
    dev.headers = request.headers();
    dev.body = request.body();
    dev.remote = request.remoteAddress().toString();

    QHttpServerResponder responder = makeResponder(request, socket);
    if (isDevPath(dev.path)) {
        dev.hasJson = false;
        const QJsonDocument document = QJsonDocument::fromJson(dev.body);
        if (document.isObject()) {
            dev.hasJson = true;
            dev.json = document.object();
        }
        send(responder, route(dev), 0);
        return true;
    }

    const qint64 seq = m_journal.record(dev);
    DevFault fault;
    const bool faulty = m_faults.take(dev.method, dev.path, &fault);
    const int delayMs = faulty ? fault.pickDelayMs() : 0;
    if (faulty && fault.drop && delayMs <= 0) {
        m_journal.setStatus(seq, 0, QStringLiteral("dropped"));
        socket->abort();
        return true;
    }

    // A delayed answer keeps the responder until the timer fires; the socket
    // may be gone by then (the client gave up), which simply ends the request.
    auto shared = std::make_shared<QHttpServerResponder>(std::move(responder));
    QPointer<QTcpSocket> guard(socket);
    auto run = [this, dev, seq, shared, guard, faulty, fault]() mutable {
        if (!guard || guard->state() != QAbstractSocket::ConnectedState) {
            m_journal.setStatus(seq, 0, QStringLiteral("client_gone"));
            return;
        }
        if (faulty && fault.drop) {
            m_journal.setStatus(seq, 0, QStringLiteral("dropped"));
            guard->abort();
            return;
        }
        // An answer made up by a fault is marked in the journal: the request was not handled.
        const auto injected = [](DevResponse response) {
            response.outcome = QStringLiteral("injected");
            return response;
        };
        if (faulty && !fault.block.isEmpty()) {
            send(*shared, injected(DevResponse::failure(403, fault.block, fault.message)), seq);
            return;
        }
        if (faulty && fault.status > 0) {
            if (fault.hasJsonBody)
                send(*shared, injected(DevResponse::json(fault.jsonBody, fault.status)), seq);
            else if (!fault.rawBody.isEmpty())
                send(*shared, injected(DevResponse::raw(fault.rawBody, fault.status)), seq);
            else
                send(*shared, injected(DevResponse::failure(fault.status, QStringLiteral("injected_fault"),
                                                            QStringLiteral("Сбой включён через /__dev/faults"))),
                     seq);
            return;
        }
        if (faulty && fault.dropAfter) {
            const DevResponse lost = handle(dev);
            m_journal.setStatus(seq, 0, QStringLiteral("dropped after %1").arg(lost.status));
            guard->abort();
            return;
        }
        process(dev, seq, *shared);
    };

    if (delayMs > 0)
        QTimer::singleShot(delayMs, this, std::move(run));
    else
        run();
    return true;
}

void DevServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    send(responder, DevResponse::failure(404, QStringLiteral("not_found")), 0);
}

void DevServer::process(DevRequest &request, qint64 seq, QHttpServerResponder &responder)
{
    send(responder, handle(request), seq);
}

DevResponse DevServer::handle(DevRequest &request)
{
    if (request.body.size() > kMaxBodyBytes)
        return DevResponse::failure(413, QStringLiteral("payload_too_large"),
                                    QStringLiteral("Тело запроса больше 10 МБ"));
    if (!request.body.trimmed().isEmpty()) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(request.body, &error);
        if (error.error != QJsonParseError::NoError || !document.isObject())
            return DevResponse::failure(400, QStringLiteral("bad_json"),
                                        QStringLiteral("Тело запроса не является JSON-объектом"));
        request.hasJson = true;
        request.json = document.object();
    }
    return route(request);
}

DevResponse DevServer::route(DevRequest &request)
{
    const auto it = m_routes.find(request.path);
    if (it == m_routes.end())
        return DevResponse::failure(404, QStringLiteral("not_found"),
                                    QStringLiteral("Нет такого адреса: %1").arg(request.path));
    const Route *match = nullptr;
    for (const Route &candidate : it.value()) {
        if (candidate.method == request.method || candidate.method == QLatin1String("*")) {
            match = &candidate;
            break;
        }
    }
    if (!match)
        return DevResponse::failure(405, QStringLiteral("method_not_allowed"));

    if (match->auth == DevAuth::Tenant) {
        bool passed = false;
        DevResponse refusal = authenticate(request, &passed);
        if (!passed)
            return refusal;
    }

    // A handler that throws answers 500; the server keeps running.
    try {
        return match->handler(request);
    } catch (const std::exception &error) {
        qCWarning(lcDevServer) << "handler failed:" << request.path << error.what();
    } catch (...) {
        qCWarning(lcDevServer) << "handler failed:" << request.path;
    }
    return DevResponse::failure(500, QStringLiteral("server_error"),
                                QStringLiteral("Внутренняя ошибка обработчика"));
}

DevResponse DevServer::authenticate(DevRequest &request, bool *passed)
{
    *passed = false;
    const QString key = request.apiKey();
    if (key.isEmpty())
        return DevResponse::failure(401, QStringLiteral("unauthorized"),
                                    QStringLiteral("Нужен ключ API: X-Api-Key или Authorization: Bearer"));
    DevTenant *tenant = m_store.tenantByKey(key);
    if (!tenant)
        return DevResponse::failure(401, QStringLiteral("invalid_api_key"),
                                    QStringLiteral("Ключ API не подходит ни к одному tenant"));
    const QString claimedTenant = QString::fromUtf8(request.header("X-Tenant-Id")).trimmed();
    if (!claimedTenant.isEmpty() && claimedTenant != tenant->id)
        return DevResponse::failure(403, QStringLiteral("forbidden"),
                                    QStringLiteral("Ключ API выдан другому tenant"));
    if (tenant->blocked)
        return DevResponse::failure(403, QStringLiteral("tenant_blocked"));

    QString deviceId = QString::fromUtf8(request.header("X-Device-Id")).trimmed();
    if (deviceId.isEmpty())
        deviceId = request.queryValue(QStringLiteral("device_id"));
    if (DevDevice *device = tenant->device(deviceId)) {
        if (device->blocked)
            return DevResponse::failure(403, QStringLiteral("device_blocked"));
        device->lastSeenAt = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    }
    request.tenant = tenant;
    *passed = true;
    return DevResponse();
}

void DevServer::send(QHttpServerResponder &responder, const DevResponse &response, qint64 seq)
{
    if (seq > 0)
        m_journal.setStatus(seq, response.status, response.outcome);
    QTcpSocket *socket = responder.socket();
    if (!socket || socket->state() != QAbstractSocket::ConnectedState)
        return;
    if (response.stream) {
        streamFile(std::move(responder), *response.stream, response.contentType);
        return;
    }
    responder.write(response.body, {{"Content-Type", response.contentType}},
                    knownStatus(response.status));
}
