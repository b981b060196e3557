#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

class AppSettings;
class Journal;
class QNetworkAccessManager;

// Asks the server which warehouse and storage section the orders behind label files
// come from ("/api/order-warehouse-lookup.php"). Answers are kept for the object's life;
// one request at a time, and only for UIDs not asked about yet.
class WarehouseLookup : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 20000;

    struct Place
    {
        QString warehouse;
        QString section;
    };

    WarehouseLookup(AppSettings *settings, Journal *eventLog, QObject *parent = nullptr);

    bool running() const { return m_running; }
    bool knows(const QString &uid) const { return m_places.contains(uid); }
    Place place(const QString &uid) const { return m_places.value(uid); }

    // Requests the UIDs that are neither known nor asked already; false when nothing
    // was sent (nothing new, a request running, or the device not set up).
    bool request(const QStringList &uids);

Q_SIGNALS:
    // New places arrived.
    void answered();

private:
    AppSettings *m_settings = nullptr;
    Journal *m_eventLog = nullptr;
    QNetworkAccessManager *m_network = nullptr;
    QHash<QString, Place> m_places;
    QSet<QString> m_asked;
    bool m_running = false;
};
