#pragma once

#include "common/SnapshotItems.h"

#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <functional>

class AppSettings;
class Journal;
class OrdersModel;
class QNetworkAccessManager;
struct ServerReply;

// Carries every production operation to the server as one client event: order
// scans (the server judges them) and the edits of the orders pages. Accepted
// replies bring a fresh orders snapshot for the orders model.
class OrdersApiService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool busy READ busy NOTIFY changed)
    Q_PROPERTY(QString statusText READ statusText NOTIFY changed)

public:
    explicit OrdersApiService(AppSettings *settings, Journal *eventLog,
                              OrdersModel *ordersModel, QObject *parent = nullptr);

    bool busy() const { return m_busy; }
    QString statusText() const { return m_statusText; }

    Q_INVOKABLE void refresh();
    Q_INVOKABLE void processScan(const QString &raw, const QString &employeeId,
                                 const QVariantMap &context);
    Q_INVOKABLE void applySnapshot(const QVariantMap &snapshot);
    void applySnapshot(const QJsonObject &snapshot, const SnapshotItems &items = {});
    Q_INVOKABLE void upsertOrder(const QVariantMap &order);
    Q_INVOKABLE void deleteOrder(const QString &orderKey);
    Q_INVOKABLE void upsertReprint(const QVariantMap &reprint);
    Q_INVOKABLE void deleteReprint(const QString &reprintKey);
    Q_INVOKABLE void upsertPrintQueue(const QVariantMap &queueItem);
    Q_INVOKABLE void deletePrintQueue(const QString &queueKey);
    Q_INVOKABLE void updateOrderField(const QString &orderKey, const QString &field,
                                      const QVariant &value);
    Q_INVOKABLE void syncProductReference();
    Q_INVOKABLE void rebuildProduction(bool forceStats);
    Q_INVOKABLE void rebuildPrintQueue(const QString &printer);
    Q_INVOKABLE void updateFboPlan(const QString &planKey, const QString &marketplace,
                                   const QString &sku, bool manualNeed, int manualPriority,
                                   int inProduction, int localStock);

    // The scan event's payload fields after the identity (exposed for tests).
    static QJsonObject scanPayload(const QString &raw, const QString &employeeId,
                                   const QVariantMap &context);

Q_SIGNALS:
    void changed();
    void scanHandled(const QString &raw, bool ok, const QString &message);
    void scanResult(const QString &raw, const QString &result, bool ok, const QString &message);
    void scanResultDetailed(const QString &raw, const QString &result, bool ok,
                            const QString &message, const QVariantMap &details);

private:
    enum class Level { Info, Error };
    void setStatus(const QString &text, bool logged, Level level = Level::Info);
    void setBusy(bool busy);
    // Posts one event; false (with the status set) when no endpoint is configured.
    bool post(const QString &eventType, const QJsonObject &fields,
              std::function<void(const ServerReply &)> onReply);
    void sendEdit(const QString &eventType, const QJsonObject &fields,
                  const QString &sendingText, const QString &successText);
    void handleEditReply(const ServerReply &reply, const QString &successText);
    void handleScanReply(const ServerReply &reply, const QString &raw, const QString &employeeId,
                         const QVariantMap &context);
    void failScan(const QString &raw, const QString &status);
    void takeWallBindings(const QJsonObject &reply);

    AppSettings *m_settings = nullptr;
    Journal *m_eventLog = nullptr;
    QPointer<OrdersModel> m_ordersModel;
    QNetworkAccessManager *m_network = nullptr;
    bool m_busy = false;
    QString m_statusText;
};
