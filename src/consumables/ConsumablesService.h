#pragma once

#include "common/HeartbeatFigures.h"
#include "consumables/ConsumableStock.h"

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <memory>

class AppSettings;
class ConsumablesOutboxPass;
class Journal;
class OutboxBuffer;
class QNetworkAccessManager;
struct ConsumableEventResult;

// The workstation's view of the stock of consumables (inks, boxes, material rolls and
// the configured "dynamic" tabs) and every stock movement sent to the server: receipts
// and QR write-offs. The server owns the stock; figures come back in replies and in the
// common snapshot. A movement the server did not get waits in the client outbox and is
// sent again, in order, by retryPending() or refresh().
class ConsumablesService : public QObject, public PendingEventsSource
{
    Q_OBJECT
    Q_PROPERTY(QVariantList boxes READ boxes NOTIFY changed)
    Q_PROPERTY(QVariantList inks READ inks NOTIFY changed)
    Q_PROPERTY(QVariantList materials READ materials NOTIFY changed)
    Q_PROPERTY(QStringList materialTypeOptions READ materialTypeOptions NOTIFY changed)
    Q_PROPERTY(QString boxesSummary READ boxesSummary NOTIFY changed)
    Q_PROPERTY(QString inksSummary READ inksSummary NOTIFY changed)
    Q_PROPERTY(QString materialsSummary READ materialsSummary NOTIFY changed)
    Q_PROPERTY(QString lastStatus READ lastStatus NOTIFY changed)
    Q_PROPERTY(bool busy READ busy NOTIFY changed)
    Q_PROPERTY(int pendingCount READ pendingCount NOTIFY changed)

public:
    ConsumablesService(AppSettings *settings, Journal *eventLog, QObject *parent = nullptr);
    ~ConsumablesService() override;

    QVariantList boxes() const { return m_boxes; }
    QVariantList inks() const { return m_inks; }
    QVariantList materials() const { return m_materials; }
    QStringList materialTypeOptions() const;
    QString boxesSummary() const { return m_boxesSummary; }
    QString inksSummary() const { return m_inksSummary; }
    QString materialsSummary() const { return m_materialsSummary; }
    QString lastStatus() const { return m_lastStatus; }
    bool busy() const { return m_busyCount > 0; }
    int pendingCount() const override { return m_pendingCount; }

    Q_INVOKABLE void refresh();
    Q_INVOKABLE QVariantList itemsForTab(const QString &tabId) const;
    Q_INVOKABLE QString summaryForTab(const QString &tabId) const;
    Q_INVOKABLE void receiveForTab(const QString &tabId, const QString &nameOrType, double amount);
    Q_INVOKABLE void writeoffQrForTab(const QString &tabId, const QString &raw);
    Q_INVOKABLE void receiveBoxes(const QString &boxType, int count);
    Q_INVOKABLE void receiveInk(const QString &color, int count);
    Q_INVOKABLE void receiveMaterial(const QString &matType, double lengthM);
    Q_INVOKABLE void writeoffWallQr(const QString &raw);
    Q_INVOKABLE void writeoffMaterialQr(const QString &raw);
    Q_INVOKABLE void retryPending();
    Q_INVOKABLE bool clearPending();
    Q_INVOKABLE void applySnapshotRoot(const QJsonObject &root);

Q_SIGNALS:
    void changed();

private:
    enum class Level { Info, Warn, Error };

    void sendOrQueue(const QString &eventType, const QJsonObject &fields, const QString &okMessage);
    void handleSent(const QString &eventType, const QJsonObject &payload, const QString &okMessage,
                    const ConsumableEventResult &result);
    void flushPending(std::function<void(bool failed)> done);
    void onPassFinished(bool failed, const QString &failureText);
    void applyLocalWriteoff(const QJsonObject &payload);
    QString displayNameOf(const QString &itemKey) const;
    QString tabMode(const QString &tabId) const;
    QString tabTitle(const QString &tabId) const;
    ConsumableStock::DynamicStock dynamicForTab(const QString &tabId) const;

    void setStatus(const QString &status, Level level);
    void rereadPending();
    void rebuildSummaries();
    void beginBusy();
    void endBusy();

    AppSettings *m_settings = nullptr;
    Journal *m_eventLog = nullptr;
    QNetworkAccessManager *m_network = nullptr;
    std::unique_ptr<OutboxBuffer> m_outbox;
    ConsumablesOutboxPass *m_pass = nullptr;
    QList<std::function<void(bool)>> m_flushWaiters;

    QVariantList m_boxes;
    QVariantList m_inks;
    QVariantList m_materials;
    QHash<QString, ConsumableStock::DynamicStock> m_dynamic; // by server type
    QString m_boxesSummary;
    QString m_inksSummary;
    QString m_materialsSummary;
    QString m_lastStatus;
    int m_busyCount = 0;
    int m_pendingCount = 0;
};
