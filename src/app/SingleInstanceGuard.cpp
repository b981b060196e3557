#include "app/SingleInstanceGuard.h"

#include "common/LogCategories.h"
#include "platform/InstanceMutex.h"
#include "platform/NativeStringQt.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

SingleInstanceGuard::SingleInstanceGuard(const QString &appDataDir, QObject *parent)
    : QObject(parent), m_appDataDir(appDataDir), m_serverName(serverNameFor(appDataDir))
{
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    release();
}

QString SingleInstanceGuard::instanceKey(const QString &appDataDir)
{
    const QByteArray digest =
        QCryptographicHash::hash(appDataDir.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QString::fromLatin1(digest.left(24));
}

QString SingleInstanceGuard::serverNameFor(const QString &appDataDir)
{
    return QStringLiteral("VornClientDesktop-%1").arg(instanceKey(appDataDir));
}

bool SingleInstanceGuard::claim()
{
    const QString key = instanceKey(m_appDataDir);
    // The POSIX lock file lives in the data folder, which may not exist on a first run.
    QDir().mkpath(m_appDataDir);
    const platform::InstanceMutexResult lock = platform::acquireInstanceMutex(
        platform::toNativeText(key), platform::toNativePath(m_appDataDir));

    if (lock == platform::InstanceMutexResult::OtherInstance) {
        const bool delivered = sendShowRequest();
        qCInfo(lcPlatform) << "another instance holds" << key
                           << (delivered ? "- show request sent" : "- its server did not answer");
        return false;
    }
    m_ownsLock = lock == platform::InstanceMutexResult::Owned;
    if (lock == platform::InstanceMutexResult::Failed)
        qCWarning(lcPlatform) << "instance lock unavailable in" << m_appDataDir
                              << "- continuing without it";

    // An instance may still answer (e.g. one that started without the lock).
    if (sendShowRequest()) {
        qCInfo(lcPlatform) << "a running instance answered on" << m_serverName;
        release();
        return false;
    }

    m_server = new QLocalServer(this);
    // Nobody answered on the name just now, so a socket file there is stale (left by a
    // killed instance): clear it whenever we are about to listen, lock or no lock.
    QLocalServer::removeServer(m_serverName);
    if (!m_server->listen(m_serverName)) {
        const QString error = m_server->errorString();
        delete m_server;
        m_server = nullptr;
        if (sendShowRequest()) {
            release();
            return false;
        }
        qCWarning(lcPlatform) << "cannot listen on" << m_serverName << ":" << error;
        return true;
    }
    connect(m_server, &QLocalServer::newConnection, this,
            &SingleInstanceGuard::takePendingConnections);
    qCDebug(lcPlatform) << "listening on" << m_serverName;
    return true;
}

void SingleInstanceGuard::release()
{
    // Close the server before the lock: once the lock is free a new holder may create
    // a socket of the same name, which our close must not remove.
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    if (m_ownsLock) {
        m_ownsLock = false;
        platform::releaseInstanceMutex();
    }
}

bool SingleInstanceGuard::isListening() const
{
    return m_server && m_server->isListening();
}

bool SingleInstanceGuard::sendShowRequest() const
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(kHandOverWaitMs))
        return false;
    socket.write("show\n", 5);
    socket.flush();
    // The running instance may already have taken and closed the connection.
    if (socket.state() == QLocalSocket::ConnectedState && socket.bytesToWrite() > 0)
        socket.waitForBytesWritten(kHandOverWaitMs);
    socket.disconnectFromServer();
    return true;
}

void SingleInstanceGuard::takePendingConnections()
{
    bool any = false;
    while (m_server && m_server->hasPendingConnections()) {
        QLocalSocket *socket = m_server->nextPendingConnection();
        if (!socket)
            break;
        any = true;
        // Any content, or none, asks for the window.
        socket->readAll();
        socket->disconnectFromServer();
        socket->deleteLater();
    }
    if (any)
        Q_EMIT showRequested();
}
