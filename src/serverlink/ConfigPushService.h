#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>

class AppSettings;
class Journal;
struct ServerReply;

// Sends the locally edited tenant-wide collections (consumable tabs, wall
// bindings, scripts catalogue, help sections) to the server as client events,
// each only when it differs from what was last sent successfully. Run by the
// object graph's 900 ms single-shot push timer.
class ConfigPushService : public QObject
{
    Q_OBJECT
public:
    enum Collection { ConsumableTabs, WallBindings, ScriptsCatalog, HelpSections, CollectionCount };
    Q_ENUM(Collection)

    ConfigPushService(AppSettings *settings, Journal *eventLog, QObject *parent = nullptr);

    // Start-up baselines: the current tabs, catalogue and help sections count as
    // sent; wall bindings do not, so they go out after every start.
    void recordBaselines();
    // One push run.
    Q_INVOKABLE void run();

    QString lastSent(Collection collection) const { return m_lastSent[collection]; }
    QString currentSignature(Collection collection) const;

    // The catalogue items sent for the script entries.
    static QJsonArray scriptsCatalog(const QVariantList &entries);

Q_SIGNALS:
    // One collection's reply was handled (for diagnostics and tests).
    void pushFinished(ConfigPushService::Collection collection, bool accepted);

private:
    QJsonArray collectionArray(Collection collection) const;
    void send(const QUrl &url, Collection collection, const QString &signature);
    void onReply(Collection collection, const QString &signature, const ServerReply &reply);

    QPointer<AppSettings> m_settings;
    Journal *m_eventLog = nullptr;
    QNetworkAccessManager m_network;
    QString m_lastSent[CollectionCount];
};
