#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One running client per data folder. The first process holds the instance lock (a named
// mutex on Windows, a lock file on POSIX) and listens on a local socket; a later start
// sends "show\n" there and leaves.
class SingleInstanceGuard : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstanceGuard(const QString &appDataDir, QObject *parent = nullptr);
    ~SingleInstanceGuard() override;

    // First 24 lower-case hex characters of the SHA-1 of the UTF-8 path.
    static QString instanceKey(const QString &appDataDir);
    static QString serverNameFor(const QString &appDataDir);

    // Returns false when another instance runs (it has been asked to show itself);
    // the caller then leaves with exit code 0.
    bool claim();
    // Stops listening and closes the lock; idempotent.
    void release();

    bool isListening() const;
    QString serverName() const { return m_serverName; }

    // A later instance's connection attempt and hand-over wait this long.
    static constexpr int kHandOverWaitMs = 250;

Q_SIGNALS:
    void showRequested();

private:
    bool sendShowRequest() const;
    void takePendingConnections();

    QString m_appDataDir;
    QString m_serverName;
    QLocalServer *m_server = nullptr;
    bool m_ownsLock = false;
};
