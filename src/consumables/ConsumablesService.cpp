#include "consumables/ConsumablesService.h"

#include "common/ConsumableKey.h"
#include "common/Journal.h"
#include "common/JsonRead.h"
#include "common/LogCategories.h"
#include "consumables/ConsumableEventPost.h"
#include "consumables/ConsumablesOutboxPass.h"
#include "consumables/OutboxBuffer.h"
#include "consumables/WallPayload.h"
#include "settings/AppSettings.h"

#include <QNetworkAccessManager>

namespace {

const QString kWallWriteoff = QStringLiteral("wall_writeoff");

QString twoDecimals(double value)
{
    return QString::number(value, 'f', 2);
}

bool isDynamicMode(const QString &mode)
{
    return mode != u"inks" && mode != u"boxes" && mode != u"materials";
}

} // namespace

ConsumablesService::ConsumablesService(AppSettings *settings, Journal *eventLog, QObject *parent)
    : QObject(parent), m_settings(settings), m_eventLog(eventLog),
      m_network(new QNetworkAccessManager(this)),
      m_outbox(std::make_unique<OutboxBuffer>(settings))
{
    m_pass = new ConsumablesOutboxPass(m_outbox.get(), m_network, m_settings, this);
    connect(m_pass, &ConsumablesOutboxPass::stockReceived, this, &ConsumablesService::applySnapshotRoot);
    connect(m_pass, &ConsumablesOutboxPass::rowDropped, this,
            [this](const QString &eventType, const QString &failure) {
        if (m_eventLog)
            m_eventLog->addWarn(QStringLiteral("Расходники: сервер окончательно отклонил %1 (%2), "
                                               "событие снято с очереди")
                                    .arg(eventType, failure));
    });
    connect(m_pass, &ConsumablesOutboxPass::finished, this, &ConsumablesService::onPassFinished);
    m_pendingCount = m_outbox->countOfTypes(ConsumableEvent::eventTypes());
    rebuildSummaries();
}

ConsumablesService::~ConsumablesService() = default;

QStringList ConsumablesService::materialTypeOptions() const
{
    return ConsumableStock::materialTypeOptions(m_materials);
}

// ---- State -------------------------------------------------------------------------

void ConsumablesService::setStatus(const QString &status, Level level)
{
    m_lastStatus = status;
    if (m_eventLog) {
        switch (level) {
        case Level::Info: m_eventLog->addInfo(status); break;
        case Level::Warn: m_eventLog->addWarn(status); break;
        case Level::Error: m_eventLog->addError(status); break;
        }
    }
    Q_EMIT changed();
}

void ConsumablesService::rereadPending()
{
    const int pending = m_outbox->countOfTypes(ConsumableEvent::eventTypes());
    if (pending == m_pendingCount)
        return;
    m_pendingCount = pending;
    Q_EMIT changed();
}

void ConsumablesService::beginBusy()
{
    if (m_busyCount++ == 0)
        Q_EMIT changed();
}

void ConsumablesService::endBusy()
{
    if (m_busyCount > 0 && --m_busyCount == 0)
        Q_EMIT changed();
}

void ConsumablesService::rebuildSummaries()
{
    m_boxesSummary = ConsumableStock::boxesSummary(m_boxes);
    m_inksSummary = ConsumableStock::inksSummary(m_inks);
    m_materialsSummary = ConsumableStock::materialsSummary(m_materials);
}

// ---- Tabs --------------------------------------------------------------------------

QString ConsumablesService::tabMode(const QString &tabId) const
{
    return m_settings ? m_settings->consumableTabMode(tabId.trimmed()) : QString();
}

QString ConsumablesService::tabTitle(const QString &tabId) const
{
    const QString title = m_settings ? m_settings->consumableTabTitle(tabId.trimmed()) : QString();
    return title.isEmpty() ? tabId.trimmed() : title;
}

ConsumableStock::DynamicStock ConsumablesService::dynamicForTab(const QString &tabId) const
{
    const QString type = m_settings ? m_settings->consumableTabServerType(tabId.trimmed()) : QString();
    ConsumableStock::DynamicStock stock = m_dynamic.value(type);
    if (stock.measure.isEmpty() || !m_dynamic.contains(type)) {
        const QString measure = m_settings ? m_settings->consumableTabMeasure(tabId.trimmed()) : QString();
        stock.measure = measure.isEmpty() ? QStringLiteral("count") : measure;
    }
    return stock;
}

QVariantList ConsumablesService::itemsForTab(const QString &tabId) const
{
    const QString mode = tabMode(tabId);
    if (mode == u"inks")
        return m_inks;
    if (mode == u"materials")
        return m_materials;
    if (mode == u"boxes")
        return m_boxes;
    return dynamicForTab(tabId).items;
}

QString ConsumablesService::summaryForTab(const QString &tabId) const
{
    const QString mode = tabMode(tabId);
    if (mode == u"inks")
        return m_inksSummary;
    if (mode == u"materials")
        return m_materialsSummary;
    if (mode == u"boxes")
        return m_boxesSummary;
    return ConsumableStock::dynamicSummary(dynamicForTab(tabId));
}

// ---- Receipts ----------------------------------------------------------------------

void ConsumablesService::receiveBoxes(const QString &boxType, int count)
{
    const QString type = boxType.trimmed();
    const int n = std::max(1, count);
    if (type.isEmpty()) {
        setStatus(QStringLiteral("Коробки: укажи тип коробки"), Level::Error);
        return;
    }
    sendOrQueue(QStringLiteral("box_receive"), {{"box_type", type}, {"count", n}},
                QStringLiteral("Коробки: отправлен приход %1 пач. (%2)").arg(n).arg(type));
}

void ConsumablesService::receiveInk(const QString &color, int count)
{
    const QString name = color.trimmed();
    const int n = std::max(1, count);
    if (name.isEmpty()) {
        setStatus(QStringLiteral("Чернила: укажи цвет"), Level::Error);
        return;
    }
    sendOrQueue(QStringLiteral("ink_receive"), {{"color", name}, {"count", n}},
                QStringLiteral("Чернила: отправлен приход %1 ед. (%2)").arg(n).arg(name));
}

void ConsumablesService::receiveMaterial(const QString &matType, double lengthM)
{
    const QString type = matType.trimmed();
    const double length = lengthM > 0.0 ? lengthM : 1.0;
    if (type.isEmpty()) {
        setStatus(QStringLiteral("Материал: укажи тип"), Level::Error);
        return;
    }
    sendOrQueue(QStringLiteral("material_receive"), {{"mat_type", type}, {"length_m", length}},
                QStringLiteral("Материал: отправлен приход рулона (%1, %2 м)").arg(type, twoDecimals(length)));
}

void ConsumablesService::receiveForTab(const QString &tabId, const QString &nameOrType, double amount)
{
    const QString mode = tabMode(tabId);
    if (mode == u"inks") {
        receiveInk(nameOrType, int(std::lround(amount)));
        return;
    }
    if (mode == u"boxes") {
        receiveBoxes(nameOrType, int(std::lround(amount)));
        return;
    }
    if (mode == u"materials") {
        receiveMaterial(nameOrType, amount);
        return;
    }
    const QString title = tabTitle(tabId);
    const QString serverType = m_settings ? m_settings->consumableTabServerType(tabId.trimmed()).trimmed()
                                          : QString();
    if (serverType.isEmpty()) {
        setStatus(QStringLiteral("%1: сервер пока не поддерживает запись для динамических расходников без "
                                 "отдельного события. Работаем только чтением сервера.").arg(title),
                  Level::Error);
        return;
    }
    QString measure = m_settings ? m_settings->consumableTabMeasure(tabId.trimmed()).trimmed() : QString();
    if (measure.isEmpty())
        measure = QStringLiteral("count");
    QJsonObject fields{{"type_id", serverType}, {"title", title}, {"measure", measure},
                       {"name", nameOrType.trimmed()}};
    if (measure == u"length")
        fields.insert(QStringLiteral("length_m"), amount > 0.0 ? amount : 1.0);
    else
        fields.insert(QStringLiteral("count"), amount);
    sendOrQueue(QStringLiteral("consumable_receive"), fields, QStringLiteral("%1: отправлен приход").arg(title));
}

// ---- Write-offs --------------------------------------------------------------------

void ConsumablesService::writeoffWallQr(const QString &raw)
{
    const QString scan = raw.trimmed();
    if (scan.isEmpty()) {
        setStatus(QStringLiteral("Списание QR: скан пустой"), Level::Error);
        return;
    }
    const WallPayload::Writeoff writeoff = WallPayload::buildWriteoff(scan, [this](const QString &tabId) {
        return m_settings ? m_settings->consumableTabServerType(tabId) : QString();
    });
    sendOrQueue(kWallWriteoff, writeoff.payload, QStringLiteral("QR стены: отправлено списание"));
}

void ConsumablesService::writeoffMaterialQr(const QString &raw)
{
    const QString scan = raw.trimmed();
    if (scan.isEmpty()) {
        setStatus(QStringLiteral("Материал QR: скан пустой"), Level::Error);
        return;
    }
    sendOrQueue(QStringLiteral("material_writeoff_qr"), {{"raw", scan}},
                QStringLiteral("Материал: отправлено списание рулона"));
}

void ConsumablesService::writeoffQrForTab(const QString &tabId, const QString &raw)
{
    if (WallPayload::isConsumableWall(raw)) {
        writeoffWallQr(raw);
        return;
    }
    const QString mode = tabMode(tabId);
    const QString title = tabTitle(tabId);
    if (mode == u"materials") {
        writeoffMaterialQr(raw);
        return;
    }
    if (!isDynamicMode(mode)) {
        setStatus(QStringLiteral("%1: сервер пока не поддерживает списание для этой вкладки").arg(title),
                  Level::Error);
        return;
    }
    const QString scan = raw.trimmed();
    if (scan.isEmpty()) {
        setStatus(QStringLiteral("%1: QR пустой").arg(title), Level::Error);
        return;
    }
    const ConsumableStock::DynamicStock stock = dynamicForTab(tabId);
    QJsonObject fields{{"type_id", m_settings ? m_settings->consumableTabServerType(tabId.trimmed()) : QString()},
                       {"raw", scan},
                       {"measure", stock.measure}};
    if (stock.measure != u"length")
        fields.insert(QStringLiteral("count"), 1);
    sendOrQueue(QStringLiteral("consumable_writeoff_qr"), fields,
                QStringLiteral("%1: отправлено списание").arg(title));
}

// ---- Sending -----------------------------------------------------------------------

void ConsumablesService::sendOrQueue(const QString &eventType, const QJsonObject &fields,
                                     const QString &okMessage)
{
    const QJsonObject payload = ConsumableEvent::payloadFor(m_settings, fields);
    beginBusy();
    ConsumableEvent::post(m_network, m_settings, this, eventType, payload,
                          [this, eventType, payload, okMessage](const ConsumableEventResult &result) {
        handleSent(eventType, payload, okMessage, result);
    });
}

void ConsumablesService::handleSent(const QString &eventType, const QJsonObject &payload,
                                    const QString &okMessage, const ConsumableEventResult &result)
{
    endBusy();
    if (!result.ok) {
        if (!m_outbox->enqueue(eventType, payload, result.failureText))
            qCWarning(lcConsumables) << "outbox refused" << eventType;
        rereadPending();
        setStatus(QStringLiteral("Синхронизация расходников отложена: %1").arg(result.failureText), Level::Error);
        return;
    }
    // The server answers again: events that waited in the outbox go now, so an
    // unattended workstation does not depend on someone pressing refresh.
    if (m_pendingCount > 0 && !m_pass->running())
        flushPending([](bool) {});
    const QJsonObject resultBlock = result.reply.value(QLatin1String("result")).toObject();
    if (eventType == kWallWriteoff && jsonToBool(resultBlock.value(QLatin1String("empty")), false)) {
        const QString key = jsonFirstText(payload, {"item_key", "item_id", "item_slug", "item_code",
                                                    "item_name", "name"});
        if (result.reply.value(QLatin1String("snapshot")).isObject())
            applySnapshotRoot(result.reply);
        setStatus(key.isEmpty()
                      ? QStringLiteral("QR стены: расходник не найден на сервере или остаток уже 0")
                      : QStringLiteral("QR стены: %1 не найден на сервере или остаток уже 0").arg(displayNameOf(key)),
                  Level::Warn);
        return;
    }
    if (ConsumableEvent::replyHasStock(result.reply))
        applySnapshotRoot(result.reply);
    else if (eventType == kWallWriteoff)
        applyLocalWriteoff(payload);
    setStatus(okMessage, Level::Info);
}

QString ConsumablesService::displayNameOf(const QString &itemKey) const
{
    const QString key = canonicalConsumableKey(itemKey);
    const auto search = [&key](const QVariantList &entries, JsonKeys names) -> QString {
        for (const QVariant &item : entries) {
            const QString name = variantFirstText(item.toMap(), names);
            if (!name.isEmpty() && canonicalConsumableKey(name) == key)
                return name;
        }
        return {};
    };
    for (const QString &found : {search(m_boxes, {"boxType"}), search(m_inks, {"color"}),
                                 search(m_materials, {"mat_type"})}) {
        if (!found.isEmpty())
            return found;
    }
    for (const ConsumableStock::DynamicStock &stock : m_dynamic) {
        const QString found = search(stock.items, {"title", "name"});
        if (!found.isEmpty())
            return found;
    }
    return itemKey;
}

void ConsumablesService::applyLocalWriteoff(const QJsonObject &payload)
{
    double amount = jsonToNumber(payload.value(QLatin1String("amount")), 0.0);
    if (amount <= 0.0)
        amount = jsonToNumber(payload.value(QLatin1String("delta")), 0.0);
    const QString item = jsonFirstText(payload, {"item_key", "item_id", "item_slug", "item_code", "name"});
    if (amount <= 0.0 || item.isEmpty())
        return;
    using ConsumableStock::takeFrom;
    const QString type = jsonFirstText(payload, {"type_id", "server_type"});
    bool taken = false;
    if (m_dynamic.contains(type)) {
        ConsumableStock::DynamicStock &stock = m_dynamic[type];
        taken = takeFrom(stock.items, {QStringLiteral("name"), QStringLiteral("title")},
                         stock.measure == u"length" ? QStringLiteral("length_m") : QStringLiteral("count"),
                         item, amount);
    }
    taken = taken || takeFrom(m_inks, {QStringLiteral("color")}, QStringLiteral("count"), item, amount)
            || takeFrom(m_boxes, {QStringLiteral("boxType")}, QStringLiteral("count"), item, amount)
            || takeFrom(m_materials, {QStringLiteral("mat_type")}, QStringLiteral("length_m"), item, amount);
    if (!taken) {
        for (ConsumableStock::DynamicStock &stock : m_dynamic) {
            if (takeFrom(stock.items, {QStringLiteral("name"), QStringLiteral("title")},
                         stock.measure == u"length" ? QStringLiteral("length_m") : QStringLiteral("count"),
                         item, amount)) {
                taken = true;
                break;
            }
        }
    }
    if (taken) {
        rebuildSummaries();
        Q_EMIT changed();
    }
}

// ---- The outbox ----------------------------------------------------------------------

void ConsumablesService::flushPending(std::function<void(bool failed)> done)
{
    if (!m_pass->running() && m_outbox->countOfTypes(ConsumableEvent::eventTypes()) == 0) {
        rereadPending();
        done(false);
        return;
    }
    m_flushWaiters.append(std::move(done));
    m_pass->start();
}

void ConsumablesService::onPassFinished(bool failed, const QString &failureText)
{
    rereadPending();
    if (failed)
        setStatus(QStringLiteral("Синхронизация расходников не завершена: %1").arg(failureText), Level::Error);
    const QList<std::function<void(bool)>> waiters = std::exchange(m_flushWaiters, {});
    for (const auto &waiter : waiters)
        waiter(failed);
}

void ConsumablesService::refresh()
{
    beginBusy();
    flushPending([this](bool failed) {
        endBusy();
        if (!failed)
            setStatus(QStringLiteral("Расходники: ожидание общей синхронизации"), Level::Info);
    });
}

void ConsumablesService::retryPending()
{
    beginBusy();
    setStatus(QStringLiteral("Синхронизация расходников: отправляем очередь изменений..."), Level::Info);
    flushPending([this](bool failed) {
        endBusy();
        if (failed)
            return;
        rereadPending();
        if (m_pendingCount == 0)
            setStatus(QStringLiteral("Синхронизация расходников завершена"), Level::Info);
        else
            setStatus(QStringLiteral("Синхронизация расходников: часть очереди ещё ждёт отправки (%1)")
                          .arg(m_pendingCount),
                      Level::Info);
    });
}

bool ConsumablesService::clearPending()
{
    const bool ok = m_outbox->clearOfTypes(ConsumableEvent::eventTypes());
    rereadPending();
    if (ok)
        setStatus(QStringLiteral("Очередь расходников очищена"), Level::Info);
    else
        setStatus(QStringLiteral("Не удалось очистить очередь расходников"), Level::Error);
    return ok;
}

// ---- Stock figures -------------------------------------------------------------------

void ConsumablesService::applySnapshotRoot(const QJsonObject &root)
{
    const QJsonValue wrapped = root.value(QLatin1String("snapshot"));
    const QJsonObject data = wrapped.isObject() && !wrapped.toObject().isEmpty() ? wrapped.toObject() : root;
    // Only the stock keys become variants; the snapshot also holds every order.
    const auto stock = [&data](const char *key) { return data.value(QLatin1String(key)).toVariant(); };

    if (data.contains(QLatin1String("boxes")))
        m_boxes = ConsumableStock::readBoxes(stock("boxes"));
    if (data.contains(QLatin1String("inks")))
        m_inks = ConsumableStock::readInks(stock("inks"));
    if (data.contains(QLatin1String("materials")))
        m_materials = ConsumableStock::readMaterials(stock("materials"));
    if (data.contains(QLatin1String("consumables"))) {
        const auto dynamic = ConsumableStock::readDynamic(stock("consumables"));
        for (auto it = dynamic.constBegin(); it != dynamic.constEnd(); ++it)
            m_dynamic.insert(it.key(), it.value());
    }
    rebuildSummaries();
    Q_EMIT changed();
}
