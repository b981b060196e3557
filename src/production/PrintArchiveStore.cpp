#include "production/PrintArchiveStore.h"

#include "common/Journal.h"
#include "common/JsonRead.h"
#include "common/LogCategories.h"
#include "consumables/OutboxBuffer.h"
#include "production/PrintArchiveEvent.h"
#include "production/PrintArchiveStats.h"
#include "serverlink/ClientEvent.h"
#include "serverlink/ServerRequest.h"
#include "settings/AppSettings.h"

#include <QJsonArray>

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>

namespace {

const QString kEventType = QStringLiteral("archive_event");
const QString kDayFormat = QStringLiteral("yyyy-MM-dd");

bool serverDropsEvent(const QString &rejection)
{
    const QString code = rejection.trimmed().toLower();
    return code == u"unsupported" || code == u"ignored";
}

QJsonArray eventsFrom(const QJsonValue &value)
{
    if (value.isArray())
        return value.toArray();
    if (value.isObject())
        return value.toObject().value(QLatin1String("events")).toArray();
    return {};
}

} // namespace

struct PrintArchiveStore::QueuePass
{
    QList<OutboxRow> rows;
    int next = 0;
};

PrintArchiveStore::PrintArchiveStore(AppSettings *settings, Journal *eventLog,
                                     QObject *parent)
    : QObject(parent), m_settings(settings), m_eventLog(eventLog),
      m_outbox(std::make_unique<OutboxBuffer>(settings)),
      m_network(new QNetworkAccessManager(this))
{
    m_pendingCount = m_outbox->countOfType(kEventType);
}

PrintArchiveStore::~PrintArchiveStore() = default;

QVariantList PrintArchiveStore::recentEvents() const
{
    return m_events.mid(0, 120);
}

QString PrintArchiveStore::selectedDate() const
{
    return (m_selectedDate.isValid() ? m_selectedDate : QDate::currentDate()).toString(kDayFormat);
}

void PrintArchiveStore::logInfo(const QString &message)
{
    if (m_eventLog)
        m_eventLog->addInfo(message);
}

void PrintArchiveStore::logWarn(const QString &message)
{
    if (m_eventLog)
        m_eventLog->addWarn(message);
}

void PrintArchiveStore::setStatus(const QString &status)
{
    if (m_lastStatus == status)
        return;
    m_lastStatus = status;
    Q_EMIT changed();
}

void PrintArchiveStore::updatePendingCount()
{
    const int pending = m_outbox->countOfType(kEventType);
    if (pending == m_pendingCount)
        return;
    m_pendingCount = pending;
    Q_EMIT changed();
}

// ---- Recording a print ---------------------------------------------------------

bool PrintArchiveStore::recordPrint(const QString &filePath, const QString &printerName,
                                    bool printed, const QString &uid, const QVariantMap &details)
{
    if (!printed)
        return false;
    const QVariantMap event = PrintArchiveEvent::build(filePath, printerName, uid, details,
                                                       QDateTime::currentDateTime());
    if (PrintArchiveEvent::isWarehouseLayout(event)) {
        logInfo(QStringLiteral("Архив печати: складской макет не учитывается в квадратуре"));
        return false;
    }

    const QString day = PrintArchiveEvent::dayOf(event).toString(kDayFormat);
    const QString key = PrintArchiveEvent::duplicateKey(event);
    // Server events are compared by UID and by layout, so a layout printed
    // under another UID still counts for the day.
    bool knownByServer = false;
    for (const QVariant &item : m_eventsByDay.value(day)) {
        const QVariantMap known = item.toMap();
        const QString knownKey = PrintArchiveEvent::isUidKey(key)
                                     ? PrintArchiveEvent::duplicateKey(known)
                                     : PrintArchiveEvent::layoutKey(known);
        if (knownKey == key) {
            knownByServer = true;
            break;
        }
    }
    const QString localKey = day + u'#' + key;
    if (knownByServer || m_localKeys.contains(localKey)) {
        if (PrintArchiveEvent::isUidKey(key))
            logInfo(QStringLiteral("Архив печати: такой код уже есть, дубль не отправлен"));
        else if (knownByServer)
            logInfo(QStringLiteral("Архив печати: такой макет уже есть за сегодня, дубль не отправлен"));
        else
            logInfo(QStringLiteral("Архив печати: дубль макета за день пропущен"));
        return false;
    }
    m_localKeys.insert(localKey);
    sendEvent(event);
    return true;
}

void PrintArchiveStore::queueEvent(const QJsonObject &payload, const QString &reason)
{
    if (!m_outbox->enqueue(kEventType, payload, reason))
        qCWarning(lcProduction) << "print archive: outbox refused an event";
    setStatus(QStringLiteral("Синхронизация архива печати отложена: %1").arg(reason));
    logWarn(m_lastStatus);
    updatePendingCount();
}

void PrintArchiveStore::sendEvent(const QVariantMap &event)
{
    QJsonObject fields;
    fields.insert(QStringLiteral("event"), QJsonObject::fromVariantMap(event));
    const QJsonObject body = clientEventEnvelope(m_settings, kEventType, fields);
    const QJsonObject payload = body.value(QStringLiteral("payload")).toObject();

    const QUrl url = m_settings ? resolveEndpointUrl(m_settings, m_settings->eventEndpoint()) : QUrl();
    if (!url.isValid() || url.isEmpty() || url.isRelative()) {
        queueEvent(payload, QStringLiteral("event endpoint невалиден"));
        return;
    }
    QNetworkRequest request(url);
    applyRequestHeaders(request, m_settings, true);
    QNetworkReply *reply = m_network->post(request, compactJson(body));
    handleServerReply(reply, this, m_settings, [this, payload](const ServerReply &r) {
        if (r.networkFailed()) {
            queueEvent(payload, describeNetworkError(r.errorText));
        } else if (!r.isObject) {
            queueEvent(payload, QStringLiteral("невалидный JSON"));
        } else if (!r.accepted && serverDropsEvent(r.rejection)) {
            logWarn(QStringLiteral("Архив печати: сервер не принимает archive_event. "
                                   "Ждём поддержку серверного события."));
        } else if (!r.accepted) {
            queueEvent(payload, describeServerStatus(r.rejection));
        } else {
            logInfo(QStringLiteral("Архив печати: событие отправлено"));
            // The server is reachable again: older events may go now.
            if (m_pendingCount > 0)
                refresh();
        }
    });
}

// ---- The outbox pass -------------------------------------------------------------

void PrintArchiveStore::refresh()
{
    if (m_pass)
        return;
    updatePendingCount();
    if (m_outbox->countOfType(kEventType) <= 0)
        return;
    m_pass = std::make_unique<QueuePass>();
    m_pass->rows = m_outbox->fetchOfType(kEventType, kOutboxBatch);
    m_busy = true;
    Q_EMIT changed();
    sendNextQueued();
}

void PrintArchiveStore::retryPending()
{
    if (m_pass)
        return;
    setStatus(QStringLiteral("Синхронизация архива печати: отправляем очередь изменений..."));
    logInfo(m_lastStatus);
    if (m_outbox->countOfType(kEventType) <= 0) {
        updatePendingCount();
        finishQueuePass(false);
        return;
    }
    refresh();
}

void PrintArchiveStore::sendNextQueued()
{
    if (!m_pass)
        return;
    if (m_pass->next >= m_pass->rows.size()) {
        finishQueuePass(false);
        return;
    }
    const OutboxRow row = m_pass->rows.at(m_pass->next);
    const QUrl url = m_settings ? resolveEndpointUrl(m_settings, m_settings->eventEndpoint()) : QUrl();
    if (!url.isValid() || url.isEmpty() || url.isRelative()) {
        m_outbox->markError(row.id, QStringLiteral("event endpoint невалиден"));
        finishQueuePass(true);
        return;
    }
    QJsonObject body;
    body.insert(QStringLiteral("event_type"), row.eventType);
    body.insert(QStringLiteral("payload"), row.payload);
    QNetworkRequest request(url);
    applyRequestHeaders(request, m_settings, true);
    QNetworkReply *reply = m_network->post(request, compactJson(body));
    handleServerReply(reply, this, m_settings, [this, id = row.id](const ServerReply &r) {
        if (r.networkFailed() || !r.isObject || (!r.accepted && !serverDropsEvent(r.rejection))) {
            const QString error = r.networkFailed() ? describeNetworkError(r.errorText)
                                  : !r.isObject     ? QStringLiteral("невалидный JSON")
                                                    : describeServerStatus(r.rejection);
            m_outbox->markError(id, error);
            finishQueuePass(true);
            return;
        }
        if (!r.accepted)
            logWarn(QStringLiteral("Архив печати: сервер пока не поддерживает queued "
                                   "archive_event, элемент снят из очереди"));
        m_outbox->remove(id);
        ++m_pass->next;
        sendNextQueued();
    });
}

void PrintArchiveStore::finishQueuePass(bool brokeOff)
{
    m_pass.reset();
    m_busy = false;
    m_pendingCount = m_outbox->countOfType(kEventType);
    QString status;
    if (m_pendingCount == 0) {
        status = QStringLiteral("Синхронизация архива печати завершена. Данные обновятся общим snapshot");
        logInfo(status);
    } else if (brokeOff) {
        status = QStringLiteral("Синхронизация архива печати не завершена");
        logWarn(status);
    } else {
        status = QStringLiteral("Синхронизация архива печати: часть очереди ещё ждёт отправки (%1)")
                     .arg(m_pendingCount);
        logWarn(status);
    }
    m_lastStatus = status;
    Q_EMIT changed();
}

bool PrintArchiveStore::clearPending()
{
    const bool ok = m_outbox->clearOfType(kEventType);
    if (ok) {
        setStatus(QStringLiteral("Очередь архива печати очищена"));
        logInfo(m_lastStatus);
    } else {
        setStatus(QStringLiteral("Не удалось очистить очередь архива печати"));
        logWarn(m_lastStatus);
    }
    updatePendingCount();
    return ok;
}

// ---- Snapshot and dates ------------------------------------------------------------

void PrintArchiveStore::applySnapshotRoot(const QJsonObject &root)
{
    m_queue.cancelPending();
    commit(prepare(root, m_prepared, m_stats));
}

void PrintArchiveStore::applySnapshotRootInBackground(const QJsonObject &root)
{
    m_queue.cancelPending();
    const quint64 base = m_snapshotVersion;
    m_queue.submit<Prepared>([root, previous = m_prepared, stats = m_stats] { return prepare(root, previous, stats); },
                             [this, base](Prepared prepared) {
                                 // Every apply cancels the pending one, so nothing came between.
                                 if (base == m_snapshotVersion)
                                     commit(std::move(prepared));
                             });
}

PrintArchiveStore::Prepared PrintArchiveStore::prepare(const QJsonObject &root, const QList<PreparedEvent> &previous,
                                                       const QVariantMap &previousStats)
{
    // Only the archive part is turned into variants for the scene, never the whole root.
    QJsonObject data = root;
    const QJsonValue wrapped = root.value(QLatin1String("snapshot"));
    if (wrapped.isObject())
        data = wrapped.toObject();

    QJsonArray raw = eventsFrom(data.value(QLatin1String("archive")));
    if (raw.isEmpty())
        raw = eventsFrom(data.value(QLatin1String("employees")));

    Prepared out;
    out.prepared.reserve(raw.size());
    qsizetype cursor = 0;
    for (const QJsonValue &item : std::as_const(raw)) {
        const QJsonObject object = item.toObject();
        if (cursor < previous.size() && previous.at(cursor).raw == object) {
            out.prepared.append(previous.at(cursor++));
            continue;
        }
        PreparedEvent next{object, {}, object.toVariantMap()};
        next.time = PrintArchiveEvent::timeOf(next.event);
        if (next.time.isValid()) {
            // Formatted by hand: thousands of events per snapshot, and format strings are slow.
            const QDate date = next.time.date();
            const QTime clock = next.time.time();
            const QString details = QString::asprintf("%02d.%02d.%04d %02d:%02d:%02d", date.day(), date.month(),
                                                      date.year(), clock.hour(), clock.minute(), clock.second());
            next.event.insert(QStringLiteral("day"),
                              QString::asprintf("%04d-%02d-%02d", date.year(), date.month(), date.day()));
            next.event.insert(QStringLiteral("timeText"), details.left(16));
            next.event.insert(QStringLiteral("timeDetailsText"), details);
        }
        out.prepared.append(std::move(next));
    }

    QJsonValue stats = data.value(QLatin1String("archive_stats"));
    if (!stats.isObject())
        stats = data.value(QLatin1String("archiveStats"));
    out.stats = PrintArchiveStats::read(stats.toObject().toVariantMap());
    // The same events and figures as last time: nothing to show anew.
    out.unchanged = cursor == previous.size() && out.prepared.size() == previous.size()
                    && out.stats == previousStats && !previous.isEmpty();
    if (out.unchanged)
        return out;

    QList<const PreparedEvent *> timed;
    timed.reserve(out.prepared.size());
    for (const PreparedEvent &event : std::as_const(out.prepared)) {
        if (!event.event.isEmpty())
            timed.append(&event);
    }
    std::stable_sort(timed.begin(), timed.end(),
                     [](const PreparedEvent *a, const PreparedEvent *b) { return a->time > b->time; });
    out.events.reserve(timed.size());
    for (const PreparedEvent *t : std::as_const(timed))
        out.events.append(t->event);
    return out;
}

void PrintArchiveStore::commit(Prepared prepared)
{
    ++m_snapshotVersion;
    if (prepared.unchanged)
        return;
    m_prepared = std::move(prepared.prepared);
    m_events = std::move(prepared.events);
    m_stats = std::move(prepared.stats);
    rebuildDayIndex();
    rebuildSelectedDateEvents();
    Q_EMIT changed();
}

void PrintArchiveStore::rebuildDayIndex()
{
    m_eventsByDay.clear();
    for (const QVariant &item : std::as_const(m_events)) {
        const QString day = item.toMap().value(QStringLiteral("day")).toString();
        if (!day.isEmpty())
            m_eventsByDay[day].append(item);
    }
    QStringList days = m_eventsByDay.keys();
    std::sort(days.begin(), days.end(), std::greater<QString>());
    m_availableDates.clear();
    for (const QString &day : days)
        m_availableDates.append(day);
}

void PrintArchiveStore::rebuildSelectedDateEvents()
{
    m_selectedDateEvents = m_eventsByDay.value(selectedDate());
}

void PrintArchiveStore::setSelectedDate(const QVariant &value)
{
    QDate date;
    if (value.typeId() == QMetaType::QDate)
        date = value.toDate();
    else if (value.typeId() == QMetaType::QDateTime)
        date = value.toDateTime().date();
    else {
        const QString text = value.toString().trimmed();
        for (const char *format : {"yyyy-MM-dd", "dd.MM.yyyy", "dd-MM-yyyy", "dd/MM/yyyy",
                                   "yyyy/MM/dd"}) {
            date = QDate::fromString(text, QLatin1String(format));
            if (date.isValid())
                break;
        }
    }
    if (!date.isValid())
        date = QDate::currentDate();
    const QDate current = m_selectedDate.isValid() ? m_selectedDate : QDate::currentDate();
    if (date == current && m_selectedDate.isValid())
        return;
    m_selectedDate = date;
    if (date == current)
        return;
    rebuildSelectedDateEvents();
    Q_EMIT changed();
}

void PrintArchiveStore::shiftSelectedDate(int days)
{
    const QDate current = m_selectedDate.isValid() ? m_selectedDate : QDate::currentDate();
    setSelectedDate(current.addDays(days));
}
