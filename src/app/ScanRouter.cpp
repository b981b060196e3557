#include "app/ScanRouter.h"

#include "app/ScanRecognizers.h"
#include "common/IsoTime.h"
#include "common/Journal.h"
#include "common/JsonRead.h"
#include "common/LogCategories.h"
#include "consumables/ConsumablesService.h"
#include "production/OrdersApiService.h"
#include "production/UidPrintService.h"
#include "settings/AppSettings.h"
#include "staff/EmployeeWorkspaceStore.h"
#include "supplies/SupplyListModel.h"
#include "supplies/WarehouseFileModel.h"
#include "tools/LocalToolsService.h"

#include <QList>

namespace {

// The first two scanners start on the two cutting tables of a usual workstation.
QVariantMap initialWorkplaces()
{
    return {{QStringLiteral("scanner"), QStringLiteral("cutter_1")},
            {QStringLiteral("scanner2"), QStringLiteral("cutter_2")}};
}

bool assignTrimmed(QString &field, const QString &value)
{
    const QString trimmed = value.trimmed();
    if (field == trimmed)
        return false;
    field = trimmed;
    return true;
}

} // namespace

ScanRouter::ScanRouter(const Services &services, QObject *parent)
    : QObject(parent)
    , m_services(services)
    , m_scannerWorkplaces(initialWorkplaces())
{
}

// ---- Scene state -----------------------------------------------------------------------

QVariantMap ScanRouter::pendingWarehousePrints() const
{
    QVariantMap out;
    for (auto it = m_pendingWarehousePrints.cbegin(); it != m_pendingWarehousePrints.cend(); ++it) {
        out.insert(it.key(), QVariantMap{{QStringLiteral("model"), QVariant::fromValue<QObject *>(it->model.data())},
                                         {QStringLiteral("printCode"), it->printCode}});
    }
    return out;
}

void ScanRouter::setPageKey(const QString &value)
{
    if (assignTrimmed(m_pageKey, value))
        Q_EMIT pageKeyChanged();
}

void ScanRouter::setSuppliesMarket(const QString &value)
{
    if (assignTrimmed(m_suppliesMarket, value))
        Q_EMIT suppliesMarketChanged();
}

void ScanRouter::setConsumablesTab(const QString &value)
{
    if (assignTrimmed(m_consumablesTab, value))
        Q_EMIT consumablesTabChanged();
}

void ScanRouter::setWarehouseTab(const QString &value)
{
    if (assignTrimmed(m_warehouseTab, value))
        Q_EMIT warehouseTabChanged();
}

void ScanRouter::setEmployeeEditorOpen(bool value)
{
    if (m_employeeEditorOpen == value)
        return;
    m_employeeEditorOpen = value;
    Q_EMIT employeeEditorOpenChanged();
}

// ---- Scanners and workplaces -----------------------------------------------------------

int ScanRouter::scannerIndexFromKey(const QString &key) const
{
    return ScanRecognizers::scannerIndexFromKey(key);
}

QString ScanRouter::scannerKeyForIndex(int index) const
{
    return ScanRecognizers::scannerKeyForIndex(index);
}

QString ScanRouter::normalizeScannerKey(const QString &key) const
{
    return ScanRecognizers::normalizeScannerKey(key);
}

QString ScanRouter::scannerLabelForKey(const QString &key) const
{
    return ScanRecognizers::scannerLabelForKey(key);
}

int ScanRouter::configuredScannerCount() const
{
    return ScanRecognizers::scannerCountForPorts(
        m_services.settings ? m_services.settings->scannerPorts().size() : 0);
}

QString ScanRouter::normalizeWorkplace(const QString &value) const
{
    return ScanRecognizers::normalizeWorkplace(value);
}

QString ScanRouter::workplaceLabel(const QString &id) const
{
    return ScanRecognizers::workplaceLabel(id);
}

QString ScanRouter::cutterQrPayload(const QVariant &number) const
{
    return ScanRecognizers::cutterQrPayload(number);
}

QString ScanRouter::workplaceForScanner(const QString &key) const
{
    const QString scannerKey = normalizeScannerKey(key);
    const QString workplace = normalizeWorkplace(variantToText(m_scannerWorkplaces.value(scannerKey)));
    return workplace.isEmpty() ? QStringLiteral("cutter_%1").arg(scannerIndexFromKey(scannerKey)) : workplace;
}

bool ScanRouter::setScannerWorkplace(const QString &key, const QString &workplace)
{
    const QString scannerKey = normalizeScannerKey(key);
    const QString workplaceId = normalizeWorkplace(workplace);
    if (workplaceId.isEmpty())
        return false;
    if (m_scannerWorkplaces.value(scannerKey).toString() != workplaceId) {
        QVariantMap next = m_scannerWorkplaces;
        next.insert(scannerKey, workplaceId);
        m_scannerWorkplaces = next;
        Q_EMIT scannerWorkplacesChanged();
    }
    info(scannerLabelForKey(scannerKey) + QStringLiteral(": выбран ") + workplaceLabel(workplaceId));
    return true;
}

void ScanRouter::rememberActiveCutter(const QString &key, const QString &employeeId)
{
    const QString id = employeeId.trimmed();
    if (id.isEmpty())
        return;
    const QString name = m_services.employees ? m_services.employees->employeeNameById(id, id) : id;
    QVariantMap next = m_localActiveCutters;
    next.insert(workplaceForScanner(key), QVariantMap{{QStringLiteral("id"), id},
                                                      {QStringLiteral("name"), name},
                                                      {QStringLiteral("ts"), isoUtcNowMs()}});
    m_localActiveCutters = next;
    Q_EMIT localActiveCuttersChanged();
}

QVariantMap ScanRouter::scanContext(const QString &key) const
{
    return ScanRecognizers::scanContext(key, workplaceForScanner(key));
}

QString ScanRouter::activeScanEmployeeId(const QString &key) const
{
    const QString workplace = workplaceForScanner(key);
    const QString local =
        variantToText(m_localActiveCutters.value(workplace).toMap().value(QStringLiteral("id")));
    if (!local.isEmpty())
        return local;
    if (!m_services.employees)
        return {};
    const QString serverCutter = m_services.employees->activeCutterIdForWorkplace(workplace).trimmed();
    if (!serverCutter.isEmpty())
        return serverCutter;
    return m_services.employees->activeEmployeeId().trimmed();
}

// ---- Recognisers -----------------------------------------------------------------------

QString ScanRouter::rfidUidFromHardwareScan(const QString &raw) const
{
    return ScanRecognizers::rfidUidFromHardwareScan(raw);
}

QString ScanRouter::cutterFromScan(const QString &raw) const
{
    return ScanRecognizers::cutterFromScan(raw);
}

bool ScanRouter::isConsumableWallPayload(const QString &raw) const
{
    return ScanRecognizers::isConsumableWallPayload(raw);
}

bool ScanRouter::isStructuredScanPayload(const QString &raw) const
{
    return ScanRecognizers::isStructuredScanPayload(raw);
}

bool ScanRouter::isPlainOrderOrWarehouseScan(const QString &raw) const
{
    return ScanRecognizers::isPlainOrderOrWarehouseScan(raw);
}

bool ScanRouter::orderScanResultAllowsPrint(const QString &result, const QString &message,
                                            const QVariantMap &details) const
{
    return ScanRecognizers::orderScanResultAllowsPrint(result, message, details);
}

// ---- Routing ---------------------------------------------------------------------------

void ScanRouter::handleHardwareScan(const QString &raw, const QString &key)
{
    const QString scan = raw.trimmed();
    if (scan.isEmpty())
        return;
    beep();
    EmployeeWorkspaceStore *employees = m_services.employees;

    const QString uid = rfidUidFromHardwareScan(scan);
    if (!uid.isEmpty()) {
        qCDebug(lcApp) << "scan routed to the RFID card" << uid;
        if (employees)
            employees->processRfidCard(uid, QString(), raw);
        return;
    }
    const QString workplace = cutterFromScan(scan);
    if (!workplace.isEmpty()) {
        setScannerWorkplace(key, workplace);
        return;
    }
    if (isConsumableWallPayload(scan)) {
        if (m_services.consumables)
            m_services.consumables->writeoffWallQr(scan);
        return;
    }
    if (employees) {
        // The id is read before the registry handles the scan, which may change its state.
        const QString employeeId = employees->employeeIdFromHardwareScan(scan);
        if (employees->processHardwareScanWithContext(scan, scanContext(key))) {
            rememberActiveCutter(key, employeeId);
            return;
        }
    }

    qCDebug(lcApp) << "scan routed by page" << m_pageKey << scan;
    if (m_pageKey == u"warehouses") {
        if (!submitWarehouseScan(scan, false, key) && !isStructuredScanPayload(scan))
            submitOrderScan(scan, key);
    } else if (m_pageKey == u"supplies") {
        if (m_services.supplies)
            m_services.supplies->addMarketplaceBarcode(scan, m_suppliesMarket);
    } else if (m_pageKey == u"consumables") {
        if (isPlainOrderOrWarehouseScan(scan)) {
            if (!submitWarehouseScan(scan, false, key))
                submitOrderScan(scan, key);
        } else if (m_services.consumables) {
            m_services.consumables->writeoffQrForTab(m_consumablesTab, scan);
        }
    } else {
        submitOrderScan(scan, key);
    }
}

void ScanRouter::handleRfidCard(const QString &uid, const QString &tagText, const QString &raw)
{
    beep();
    if (!m_employeeEditorOpen && m_services.employees)
        m_services.employees->processRfidCard(uid, tagText, raw);
}

void ScanRouter::submitOrderScan(const QString &scan, const QString &key)
{
    const QString text = scan.trimmed();
    if (text.isEmpty() || !m_services.ordersApi)
        return;
    m_services.ordersApi->processScan(text, activeScanEmployeeId(key), scanContext(key));
}

QObject *ScanRouter::currentWarehouseModel() const
{
    const QString tab = m_warehouseTab.toLower();
    if (tab == u"ozon")
        return m_services.warehouseOzon;
    if (tab == u"ym")
        return m_services.warehouseYm;
    return m_services.warehouseWb;
}

bool ScanRouter::submitWarehouseScan(const QString &scan, bool currentOnly, const QString &key)
{
    const QString text = scan.trimmed();
    if (text.isEmpty() || isStructuredScanPayload(text))
        return false;
    QList<QObject *> models{currentWarehouseModel()};
    if (!currentOnly) {
        for (QObject *model : {static_cast<QObject *>(m_services.warehouseWb),
                               static_cast<QObject *>(m_services.warehouseOzon),
                               static_cast<QObject *>(m_services.warehouseYm)}) {
            if (!models.contains(model))
                models << model;
        }
    }
    for (QObject *model : std::as_const(models)) {
        if (requestWarehouseServerPrint(model, text, key))
            return true;
    }
    return false;
}

bool ScanRouter::requestWarehouseServerPrint(QObject *model, const QString &scan, const QString &key)
{
    auto *warehouse = qobject_cast<WarehouseFileModel *>(model);
    const QString text = scan.trimmed();
    if (!warehouse || text.isEmpty())
        return false;
    const QVariantMap found = warehouse->findBarcode(text);
    if (found.isEmpty() || !variantToBool(found.value(QStringLiteral("ok")), false))
        return false;
    const QString printCode = variantFirstText(found, {"barcode"}, text);
    if (printCode.isEmpty())
        return false;
    if (!hasServerIdentity()) {
        warn(QStringLiteral("Склады: сервер не подключён, печать остановлена."));
        return true;
    }
    m_pendingWarehousePrints.insert(text, PendingPrint{warehouse, printCode});
    Q_EMIT pendingWarehousePrintsChanged();
    info(QStringLiteral("Склады: DM %1 отправлен на сервер, жду подтверждение...").arg(text));
    if (m_services.ordersApi)
        m_services.ordersApi->processScan(text, activeScanEmployeeId(key), scanContext(key));
    return true;
}

// ---- The server's answer ---------------------------------------------------------------

void ScanRouter::handleOrderScanResult(const QString &raw, const QString &result, bool ok,
                                       const QString &message, const QVariantMap &details)
{
    const QString scan = raw.trimmed();
    if (scan.isEmpty())
        return;
    const bool allowed = orderScanResultAllowsPrint(result, message, details);
    if (handlePendingWarehousePrint(scan, ok, allowed, details))
        return;
    // The server is the judge here; its "ok" describes the scan, not the label.
    if (allowed && m_services.uidPrint)
        m_services.uidPrint->printOnlyWithDetails(ScanRecognizers::orderPrintCode(scan, details), details);
    // The answer does not name its scanner: the retry speaks for scanner 1. It records a
    // pending print, so a second "not_found" ends above instead of coming back here.
    if (result.trimmed() == u"not_found")
        submitWarehouseScan(scan, false, QStringLiteral("scanner"));
}

bool ScanRouter::handlePendingWarehousePrint(const QString &scan, bool ok, bool allowed,
                                             const QVariantMap &details)
{
    const auto it = m_pendingWarehousePrints.constFind(scan);
    if (it == m_pendingWarehousePrints.constEnd())
        return false;
    const PendingPrint pending = *it;
    m_pendingWarehousePrints.erase(it);
    Q_EMIT pendingWarehousePrintsChanged();

    if (!ok || !allowed) {
        warn(QStringLiteral("Склады: сервер не подтвердил %1. Печать остановлена.").arg(scan));
        return true;
    }
    const QString code = ScanRecognizers::warehousePrintCode(scan, pending.printCode, details);
    const QVariantMap printed = pending.model ? pending.model->printBarcode(code, false) : QVariantMap();
    if (printed.isEmpty() || !variantToBool(printed.value(QStringLiteral("ok")), false))
        warn(QStringLiteral("Склады: сервер подтвердил %1, но локальный файл не распечатан.").arg(scan));
    return true;
}

// ---- Helpers ---------------------------------------------------------------------------

bool ScanRouter::hasServerIdentity() const
{
    return m_services.settings && m_services.settings->hasServerIdentity();
}

void ScanRouter::beep()
{
    if (m_services.localTools)
        m_services.localTools->beep();
}

void ScanRouter::info(const QString &message)
{
    journalInfo(m_services.journal, message);
}

void ScanRouter::warn(const QString &message)
{
    journalWarn(m_services.journal, message);
}
