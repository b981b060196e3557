#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVariantList>

class AppSettings;
class Journal;
struct ServerReply;

// The tenant's notice banners, fetched every minute; the window shell shows
// them above the pages. Context property "clientNoticesService".
class ClientNoticesService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantList notices READ notices NOTIFY changed)
    Q_PROPERTY(bool busy READ busy NOTIFY changed)

public:
    static constexpr int kDefaultIntervalMs = 60000;
    static constexpr int kDefaultTimeoutMs = 20000;

    ClientNoticesService(AppSettings *settings, Journal *eventLog, QObject *parent = nullptr);

    QVariantList notices() const { return m_notices; }
    bool busy() const { return m_busy; }
    void setIntervalMs(int ms) { m_timer.setInterval(ms); }
    bool isRunning() const { return m_timer.isActive(); }
    void setRequestTimeoutMs(int ms) { m_timeoutMs = ms; }

    Q_INVOKABLE void refresh();
    Q_INVOKABLE void start();
    Q_INVOKABLE void stop();

Q_SIGNALS:
    void changed();

private:
    void onReply(const ServerReply &reply);
    void warnOnce(const QString &message);

    QPointer<AppSettings> m_settings;
    Journal *m_eventLog = nullptr;
    QNetworkAccessManager m_network;
    QTimer m_timer;
    QVariantList m_notices;
    QString m_lastItemsText;
    int m_timeoutMs = kDefaultTimeoutMs;
    bool m_busy = false;      // a request is open; refresh() starts no second one
    bool m_failing = false;   // an outage is logged once, not on every tick
};
