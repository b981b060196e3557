#pragma once

#include "consumables/OutboxBuffer.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>

class AppSettings;
class QNetworkAccessManager;

// One pass over the consumables' rows of the outbox: the oldest rows, one at a time,
// the next only after the previous reply. Delivered rows and write-offs the server
// rejects for good are removed; any other failure is written into the row and ends the
// pass, so the remaining rows keep their order.
class ConsumablesOutboxPass : public QObject
{
    Q_OBJECT
public:
    static constexpr int kBatch = 100;

    ConsumablesOutboxPass(OutboxBuffer *outbox, QNetworkAccessManager *network,
                          AppSettings *settings, QObject *parent = nullptr);

    bool running() const { return m_running; }
    // Starts a pass; false (and nothing emitted) while one runs.
    bool start();

Q_SIGNALS:
    // A delivered row's reply carried stock figures.
    void stockReceived(const QJsonObject &reply);
    // A write-off dropped because the server will never take it.
    void rowDropped(const QString &eventType, const QString &failure);
    // failureText is empty when the pass went through every fetched row.
    void finished(bool failed, const QString &failureText);

private:
    void sendNext();
    void finish(bool failed, const QString &failureText);

    OutboxBuffer *m_outbox = nullptr;
    QNetworkAccessManager *m_network = nullptr;
    AppSettings *m_settings = nullptr;
    QList<OutboxRow> m_rows;
    int m_next = 0;
    bool m_running = false;
};
