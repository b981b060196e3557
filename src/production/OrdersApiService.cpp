#include "production/OrdersApiService.h"

#include "common/Journal.h"
#include "common/IsoTime.h"
#include "common/JsonRead.h"
#include "common/LogCategories.h"
#include "production/OrderScanCodes.h"
#include "production/OrdersModel.h"
#include "production/ScanReplyJudge.h"
#include "serverlink/ClientEvent.h"
#include "serverlink/ServerRequest.h"
#include "settings/AppSettings.h"

#include <QJsonArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

const QString kEndpointMissing = QStringLiteral("Заказы: адрес обмена не настроен");
const QString kBadReply = QStringLiteral("Заказы: пришёл некорректный ответ");

// Only replies that carry orders may replace the model; a bare acknowledgement
// must not empty it.
bool carriesOrders(const QJsonObject &reply)
{
    for (const char *key : {"snapshot", "orders", "items", "summary"}) {
        if (reply.contains(QLatin1String(key)))
            return true;
    }
    return false;
}

} // namespace

OrdersApiService::OrdersApiService(AppSettings *settings, Journal *eventLog,
                                   OrdersModel *ordersModel, QObject *parent)
    : QObject(parent), m_settings(settings), m_eventLog(eventLog), m_ordersModel(ordersModel),
      m_network(new QNetworkAccessManager(this))
{
    setStatus(QStringLiteral("Заказы: готовы"), true);
}

void OrdersApiService::setStatus(const QString &text, bool logged, Level level)
{
    const QString trimmed = text.trimmed();
    if (trimmed != m_statusText) {
        m_statusText = trimmed;
        Q_EMIT changed();
    }
    if (!logged || !m_eventLog || trimmed.isEmpty())
        return;
    if (level == Level::Error)
        m_eventLog->addWarn(trimmed);
    else
        m_eventLog->addInfo(trimmed);
}

void OrdersApiService::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    Q_EMIT changed();
}

void OrdersApiService::refresh()
{
    setStatus(QStringLiteral("Заказы обновляются общей синронизацией"), true);
}

void OrdersApiService::applySnapshot(const QVariantMap &snapshot)
{
    if (m_ordersModel)
        m_ordersModel->applySnapshot(snapshot);
}

void OrdersApiService::applySnapshot(const QJsonObject &snapshot, const SnapshotItems &items)
{
    // The common snapshot can hold tens of thousands of orders: the difference is
    // worked out off the main thread.
    if (m_ordersModel)
        m_ordersModel->applySnapshotInBackground(snapshot, items);
}

bool OrdersApiService::post(const QString &eventType, const QJsonObject &fields,
                            std::function<void(const ServerReply &)> onReply)
{
    if (!m_settings)
        return false;
    const QUrl url = resolveEndpointUrl(m_settings, m_settings->eventEndpoint());
    if (!url.isValid() || url.isEmpty() || url.isRelative()) {
        setStatus(kEndpointMissing, true, Level::Error);
        return false;
    }
    QNetworkRequest request(url);
    applyRequestHeaders(request, m_settings, true);
    const QByteArray body = compactJson(clientEventEnvelope(m_settings, eventType, fields));
    setBusy(true);
    QNetworkReply *reply = m_network->post(request, body);
    handleServerReply(reply, this, m_settings,
                      [this, onReply = std::move(onReply)](const ServerReply &r) {
                          setBusy(false);
                          onReply(r);
                      });
    return true;
}

void OrdersApiService::takeWallBindings(const QJsonObject &reply)
{
    if (!m_settings)
        return;
    const QJsonValue bindings = reply.value(QLatin1String("wallBindings"));
    if (!bindings.isArray())
        return;
    QVariantMap patch;
    patch.insert(QStringLiteral("wallBindings"), bindings.toArray().toVariantList());
    m_settings->applyServerPayload(patch);
}

// ---- Edits -------------------------------------------------------------------

void OrdersApiService::sendEdit(const QString &eventType, const QJsonObject &fields,
                                const QString &sendingText, const QString &successText)
{
    if (!m_settings)
        return;
    const bool sent = post(eventType, fields, [this, successText](const ServerReply &r) {
        handleEditReply(r, successText);
    });
    if (sent)
        setStatus(sendingText, true);
}

void OrdersApiService::handleEditReply(const ServerReply &r, const QString &successText)
{
    if (r.networkFailed()) {
        setStatus(QStringLiteral("Заказы: не удалось обновить данные: %1")
                      .arg(describeNetworkError(r.errorText)),
                  true, Level::Error);
        Q_EMIT scanHandled(QString(), false, m_statusText);
        return;
    }
    if (!r.isObject) {
        setStatus(kBadReply, true, Level::Error);
        Q_EMIT scanHandled(QString(), false, m_statusText);
        return;
    }
    takeWallBindings(r.object);
    if (!r.accepted) {
        setStatus(QStringLiteral("Заказы: операция отклонена: %1")
                      .arg(describeServerStatus(r.rejection)),
                  true, Level::Error);
        Q_EMIT scanHandled(QString(), false, m_statusText);
        return;
    }
    if (m_ordersModel && carriesOrders(r.object))
        m_ordersModel->applySnapshot(r.object);
    if (!successText.isEmpty())
        setStatus(successText, false);
    Q_EMIT scanHandled(QString(), true, m_statusText);
}

void OrdersApiService::upsertOrder(const QVariantMap &order)
{
    sendEdit(QStringLiteral("order_upsert"),
             {{QStringLiteral("order"), QJsonObject::fromVariantMap(order)}},
             QStringLiteral("Заказы: сохраняем строку..."),
             QStringLiteral("Заказы: строка сохранена"));
}

void OrdersApiService::deleteOrder(const QString &orderKey)
{
    const QString key = orderKey.trimmed();
    if (key.isEmpty()) {
        setStatus(QStringLiteral("Заказы: не выбрана строка для удаления"), true, Level::Error);
        return;
    }
    sendEdit(QStringLiteral("order_delete"),
             {{QStringLiteral("order_key"), key}, {QStringLiteral("key"), key}},
             QStringLiteral("Заказы: удаляем строку..."), QStringLiteral("Заказы: строка удалена"));
}

void OrdersApiService::upsertReprint(const QVariantMap &reprint)
{
    sendEdit(QStringLiteral("reprint_upsert"),
             {{QStringLiteral("reprint"), QJsonObject::fromVariantMap(reprint)}},
             QStringLiteral("Перепечать: сохраняем строку..."),
             QStringLiteral("Перепечать: строка сохранена"));
}

void OrdersApiService::deleteReprint(const QString &reprintKey)
{
    const QString key = reprintKey.trimmed();
    if (key.isEmpty()) {
        setStatus(QStringLiteral("Перепечать: не выбрана строка для удаления"), true, Level::Error);
        return;
    }
    sendEdit(QStringLiteral("reprint_delete"),
             {{QStringLiteral("reprint_key"), key}, {QStringLiteral("key"), key}},
             QStringLiteral("Перепечать: удаляем строку..."),
             QStringLiteral("Перепечать: строка удалена"));
}

void OrdersApiService::upsertPrintQueue(const QVariantMap &queueItem)
{
    sendEdit(QStringLiteral("print_queue_upsert"),
             {{QStringLiteral("queue"), QJsonObject::fromVariantMap(queueItem)}},
             QStringLiteral("Очередь: сохраняем задание..."),
             QStringLiteral("Очередь: задание сохранено"));
}

void OrdersApiService::deletePrintQueue(const QString &queueKey)
{
    const QString key = queueKey.trimmed();
    if (key.isEmpty()) {
        setStatus(QStringLiteral("Очередь: не выбрано задание для удаления"), true, Level::Error);
        return;
    }
    sendEdit(QStringLiteral("print_queue_delete"),
             {{QStringLiteral("queue_key"), key}, {QStringLiteral("key"), key}},
             QStringLiteral("Очередь: удаляем задание..."),
             QStringLiteral("Очередь: задание удалено"));
}

void OrdersApiService::updateOrderField(const QString &orderKey, const QString &field,
                                        const QVariant &value)
{
    const QString key = orderKey.trimmed();
    const QString name = field.trimmed();
    if (key.isEmpty() || name.isEmpty()) {
        setStatus(QStringLiteral("Заказы: не выбрана ячейка для изменения"), true, Level::Error);
        return;
    }
    QJsonObject patch;
    patch.insert(name, QJsonValue::fromVariant(value));
    sendEdit(QStringLiteral("order_patch"),
             {{QStringLiteral("order_key"), key}, {QStringLiteral("key"), key},
              {QStringLiteral("patch"), patch}},
             QStringLiteral("Заказы: сохраняем ячейку..."),
             QStringLiteral("Заказы: ячейка сохранена"));
}

void OrdersApiService::syncProductReference()
{
    sendEdit(QStringLiteral("fbo_products_sync"), {},
             QStringLiteral("FBO: обновляем серверный справочник артикулов..."),
             QStringLiteral("FBO: справочник артикулов обновлен"));
}

void OrdersApiService::rebuildProduction(bool forceStats)
{
    sendEdit(QStringLiteral("orders_rebuild_production"),
             {{QStringLiteral("force"), forceStats}, {QStringLiteral("forceStats"), forceStats}},
             QStringLiteral("Заказы: запускаем серверный пересчет FBO..."),
             QStringLiteral("Заказы: FBO пересчитан на сервере"));
}

void OrdersApiService::rebuildPrintQueue(const QString &printer)
{
    const QString name = printer.trimmed();
    if (name.isEmpty()) {
        setStatus(QStringLiteral("Очередь: не выбран принтер"), true, Level::Error);
        return;
    }
    sendEdit(QStringLiteral("print_queue_rebuild"), {{QStringLiteral("printer"), name}},
             QStringLiteral("Очередь: собираем рулон %1 на сервере...").arg(name),
             QStringLiteral("Очередь: рулон собран на сервере"));
}

void OrdersApiService::updateFboPlan(const QString &planKey, const QString &marketplace,
                                     const QString &sku, bool manualNeed, int manualPriority,
                                     int inProduction, int localStock)
{
    const int prio = qMax(0, manualPriority);
    const int inProd = qMax(0, inProduction);
    const int stock = qMax(0, localStock);
    sendEdit(QStringLiteral("fbo_plan_patch"),
             {{QStringLiteral("plan_key"), planKey.trimmed()},
              {QStringLiteral("marketplace"), marketplace.trimmed().toUpper()},
              {QStringLiteral("sku"), sku.trimmed()},
              {QStringLiteral("manual_need"), manualNeed},
              {QStringLiteral("manualNeed"), manualNeed},
              {QStringLiteral("manual_prio"), prio},
              {QStringLiteral("manualPrio"), prio},
              {QStringLiteral("in_prod"), inProd},
              {QStringLiteral("inProd"), inProd},
              {QStringLiteral("local_stock"), stock},
              {QStringLiteral("localStock"), stock}},
             QStringLiteral("Заказы: сохраняем ручные параметры FBO..."),
             QStringLiteral("Заказы: ручные параметры FBO сохранены"));
}

// ---- Scans -------------------------------------------------------------------

QJsonObject OrdersApiService::scanPayload(const QString &raw, const QString &employeeId,
                                          const QVariantMap &context)
{
    const QString scan = raw.trimmed();
    QJsonObject payload;
    for (const char *key : {"raw_scan", "rawScan", "raw", "scan", "uid", "barcode"})
        payload.insert(QLatin1String(key), scan);

    for (auto it = context.constBegin(); it != context.constEnd(); ++it) {
        const QString key = it.key().trimmed();
        const QVariant &value = it.value();
        if (key.isEmpty() || !value.isValid() || value.isNull())
            continue;
        if (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty())
            continue;
        payload.insert(key, QJsonValue::fromVariant(value));
    }

    const OrderScanCodes codes = OrderScanCodes::derive(scan);
    if (!codes.productionCode.isEmpty()) {
        for (const char *key : {"production_code", "productionCode", "datamatrix", "dataMatrix",
                                "scan_uid", "scanUid"})
            payload.insert(QLatin1String(key), codes.productionCode);
    } else if (!codes.legacyUid.isEmpty()) {
        for (const char *key : {"legacy_uid", "legacyUid", "scan_uid", "scanUid"})
            payload.insert(QLatin1String(key), codes.legacyUid);
    }
    if (codes.stripNo > 0) {
        payload.insert(QStringLiteral("strip_no"), codes.stripNo);
        payload.insert(QStringLiteral("stripNo"), codes.stripNo);
    }

    const QString employee = employeeId.trimmed();
    if (!employee.isEmpty()) {
        QVariantMap keys;
        ScanReplyJudge::putEmployeeKeys(keys, employee);
        for (auto it = keys.constBegin(); it != keys.constEnd(); ++it)
            payload.insert(it.key(), it.value().toString());
    }
    payload.insert(QStringLiteral("ts"), isoUtcNowMs());
    return payload;
}

void OrdersApiService::processScan(const QString &raw, const QString &employeeId,
                                   const QVariantMap &context)
{
    const QString scan = raw.trimmed();
    if (scan.isEmpty() || !m_settings)
        return;
    const QString employee = employeeId.trimmed();
    const bool sent = post(QStringLiteral("order_scan"), scanPayload(scan, employee, context),
                           [this, scan, employee, context](const ServerReply &r) {
                               handleScanReply(r, scan, employee, context);
                           });
    if (!sent) {
        Q_EMIT scanHandled(scan, false, m_statusText);
        Q_EMIT scanResult(scan, QStringLiteral("error"), false, m_statusText);
        return;
    }
    setStatus(QStringLiteral("Заказы: скан отправлен на сервер, жду подтверждение…"), true);
    if (m_eventLog)
        m_eventLog->addInfo(QStringLiteral("Заказы: raw_scan=%1").arg(scan));
}

void OrdersApiService::failScan(const QString &raw, const QString &status)
{
    setStatus(status, true, Level::Error);
    Q_EMIT scanHandled(raw, false, m_statusText);
    QVariantMap details;
    details.insert(QStringLiteral("rawScan"), raw);
    Q_EMIT scanResultDetailed(raw, QStringLiteral("error"), false, m_statusText, details);
}

void OrdersApiService::handleScanReply(const ServerReply &r, const QString &raw,
                                       const QString &employeeId, const QVariantMap &context)
{
    if (r.networkFailed()) {
        failScan(raw, QStringLiteral("Заказы: нет ответа от сервера. Этикетка не напечатана: %1")
                          .arg(describeNetworkError(r.errorText)));
        return;
    }
    if (!r.isObject) {
        failScan(raw, kBadReply);
        return;
    }
    takeWallBindings(r.object);
    if (!r.accepted) {
        failScan(raw, QStringLiteral("Заказы: скан отклонён: %1")
                          .arg(describeServerStatus(r.rejection)));
        return;
    }
    if (m_ordersModel && carriesOrders(r.object))
        m_ordersModel->applySnapshot(r.object);

    const ScanVerdict verdict = ScanReplyJudge::judge(r.object, raw, employeeId, context);
    if (m_eventLog)
        m_eventLog->addInfo(QStringLiteral("Заказы: %1").arg(verdict.diagnosticLine));
    qCDebug(lcProduction) << "order scan" << raw << verdict.result << verdict.labelPrintAllowed;
    setStatus(verdict.message, true, verdict.ok ? Level::Info : Level::Error);
    Q_EMIT scanHandled(raw, verdict.ok, verdict.message);
    Q_EMIT scanResult(raw, verdict.result, verdict.ok, verdict.message);
    Q_EMIT scanResultDetailed(raw, verdict.result, verdict.ok, verdict.message, verdict.details);
}
