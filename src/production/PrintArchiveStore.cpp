#include "production/PrintArchiveStore.h"

#include "app/EventLogModel.h"
#include "consumables/OutboxBuffer.h"
#include "settings/AppSettings.h"

struct PrintArchiveStore::QueuePass
{
};

PrintArchiveStore::PrintArchiveStore(AppSettings *settings, EventLogModel *eventLog,
                                     QObject *parent)
    : QObject(parent), m_settings(settings), m_eventLog(eventLog),
      m_outbox(std::make_unique<OutboxBuffer>(settings))
{
    m_pendingCount = m_outbox->count();
}

PrintArchiveStore::~PrintArchiveStore() = default;

QVariantList PrintArchiveStore::recentEvents() const { return m_events.mid(0, 120); }
QString PrintArchiveStore::selectedDate() const
{
    return (m_selectedDate.isValid() ? m_selectedDate : QDate::currentDate())
        .toString(QStringLiteral("yyyy-MM-dd"));
}
bool PrintArchiveStore::recordPrint(const QString &, const QString &, bool, const QString &,
                                    const QVariantMap &)
{
    return false;
}
void PrintArchiveStore::refresh() {}
void PrintArchiveStore::retryPending() {}
bool PrintArchiveStore::clearPending() { return false; }
void PrintArchiveStore::setSelectedDate(const QVariant &) {}
void PrintArchiveStore::shiftSelectedDate(int) {}
void PrintArchiveStore::applySnapshotRoot(const QVariantMap &) {}
void PrintArchiveStore::setStatus(const QString &) {}
void PrintArchiveStore::updatePendingCount() {}
void PrintArchiveStore::rebuildDayIndex() {}
void PrintArchiveStore::rebuildSelectedDateEvents() {}
void PrintArchiveStore::sendNextQueued() {}
void PrintArchiveStore::finishQueuePass(bool) {}
