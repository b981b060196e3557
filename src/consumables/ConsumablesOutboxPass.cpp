#include "consumables/ConsumablesOutboxPass.h"

#include "consumables/ConsumableEventPost.h"

#include <QTimer>

ConsumablesOutboxPass::ConsumablesOutboxPass(OutboxBuffer *outbox, QNetworkAccessManager *network,
                                             AppSettings *settings, QObject *parent)
    : QObject(parent), m_outbox(outbox), m_network(network), m_settings(settings)
{
}

bool ConsumablesOutboxPass::start()
{
    if (m_running)
        return false;
    m_running = true;
    m_rows = m_outbox->fetchOfTypes(ConsumableEvent::eventTypes(), kBatch);
    m_next = 0;
    // Always report from the event loop, also for an empty queue.
    QTimer::singleShot(0, this, &ConsumablesOutboxPass::sendNext);
    return true;
}

void ConsumablesOutboxPass::sendNext()
{
    if (m_next >= m_rows.size()) {
        finish(false, QString());
        return;
    }
    const OutboxRow row = m_rows.at(m_next);
    ConsumableEvent::post(m_network, m_settings, this, row.eventType, row.payload,
                          [this, row](const ConsumableEventResult &result) {
        if (result.ok) {
            m_outbox->remove(row.id);
            if (ConsumableEvent::replyHasStock(result.reply))
                Q_EMIT stockReceived(result.reply);
        } else if (result.finalRejectionOf(row.eventType)) {
            m_outbox->remove(row.id);
            Q_EMIT rowDropped(row.eventType, result.failure);
        } else {
            m_outbox->markError(row.id, result.failureText);
            finish(true, result.failureText);
            return;
        }
        ++m_next;
        sendNext();
    });
}

void ConsumablesOutboxPass::finish(bool failed, const QString &failureText)
{
    m_rows.clear();
    m_next = 0;
    m_running = false;
    Q_EMIT finished(failed, failureText);
}
