#pragma once

// A workstation as the client wires it for scans: the in-process devserver with the demo
// tenant, label folders, the staff, consumables, supply, warehouse, orders and UID print
// services, and the scan router over them. The printers are stand-ins recording their
// calls unless a printer name is given.

#include "DemoScanOrders.h"
#include "JournalProbe.h"
#include "serverlink/ServerLinkSandbox.h"

#include "app/ScanRouter.h"
#include "consumables/ConsumablesService.h"
#include "production/OrdersApiService.h"
#include "production/OrdersModel.h"
#include "production/PrintArchiveStore.h"
#include "production/UidPrintService.h"
#include "staff/EmployeeWorkspaceStore.h"
#include "supplies/SupplyListModel.h"
#include "supplies/WarehouseFileModel.h"
#include "tools/LocalToolsService.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>

#include <memory>

struct PrintCall
{
    QString path;
    QString printer;
};

struct ScanStation
{
    ServerLinkSandbox box;
    QTemporaryDir folders;
    QString uidRoot, wb, ozon, ym;
    JournalProbe journal{box.eventLog};
    QList<PrintCall> uidPrints;
    QList<PrintCall> warehousePrints;
    bool warehousePrintOk = true;

    std::unique_ptr<EmployeeWorkspaceStore> employees;
    std::unique_ptr<ConsumablesService> consumables;
    std::unique_ptr<SupplyListModel> supplies;
    std::unique_ptr<PrintArchiveStore> archive;
    std::unique_ptr<WarehouseFileModel> warehouseWb, warehouseOzon, warehouseYm;
    std::unique_ptr<OrdersModel> orders;
    std::unique_ptr<OrdersApiService> ordersApi;
    std::unique_ptr<UidPrintService> uidPrint;
    std::unique_ptr<LocalToolsService> localTools;
    std::unique_ptr<ScanRouter> router;

    // An empty printer name keeps the stand-in printers.
    explicit ScanStation(const QString &printerName = QString())
    {
        box.setUpDemoDevice();
        for (auto [field, name] : {std::pair{&uidRoot, "uid"}, {&wb, "wb"}, {&ozon, "ozon"}, {&ym, "ym"}}) {
            *field = folders.filePath(QLatin1String(name));
            QDir().mkpath(*field);
        }
        AppSettings *s = box.settings.get();
        s->setUidSearchRoot1(uidRoot);
        s->setWbPath(wb);
        s->setOzonPath(ozon);
        s->setYmPath(ym);
        s->setLabelPrinterName(printerName.isEmpty() ? QStringLiteral("Этикетки") : printerName);

        Journal *log = &box.eventLog;
        employees = std::make_unique<EmployeeWorkspaceStore>(s, log);
        employees->applySnapshotRoot(box.demoTenant().data);
        consumables = std::make_unique<ConsumablesService>(s, log);
        supplies = std::make_unique<SupplyListModel>(s, log);
        archive = std::make_unique<PrintArchiveStore>(s, log);
        warehouseWb = std::make_unique<WarehouseFileModel>(s, log, nullptr, archive.get(), QStringLiteral("wb"));
        warehouseOzon = std::make_unique<WarehouseFileModel>(s, log, nullptr, archive.get(), QStringLiteral("ozon"));
        warehouseYm = std::make_unique<WarehouseFileModel>(s, log, nullptr, archive.get(), QStringLiteral("ym"));
        orders = std::make_unique<OrdersModel>();
        ordersApi = std::make_unique<OrdersApiService>(s, log, orders.get());
        uidPrint = std::make_unique<UidPrintService>(s, log, nullptr, archive.get());
        localTools = std::make_unique<LocalToolsService>(s, log);
        if (printerName.isEmpty()) {
            uidPrint->setPrintFunction([this](const QString &path, const QString &printer, QString *, int) {
                uidPrints.append({path, printer});
                return true;
            });
            for (WarehouseFileModel *model : {warehouseWb.get(), warehouseOzon.get(), warehouseYm.get()}) {
                model->setPrintFunction([this](const QString &path, const QString &printer, QString *error, int) {
                    warehousePrints.append({path, printer});
                    if (!warehousePrintOk && error)
                        *error = QStringLiteral("принтер недоступен");
                    return warehousePrintOk;
                });
            }
        }
        router = std::make_unique<ScanRouter>(ScanRouter::Services{
            s, log, localTools.get(), employees.get(), consumables.get(), supplies.get(), warehouseWb.get(),
            warehouseOzon.get(), warehouseYm.get(), ordersApi.get(), uidPrint.get()});
        QObject::connect(ordersApi.get(), &OrdersApiService::scanResultDetailed, router.get(),
                         &ScanRouter::handleOrderScanResult);
    }

    // A small label picture; `folder` is one of the folders above.
    static QString label(const QString &folder, const QString &name)
    {
        const QString path = QDir(folder).filePath(name);
        QImage image(240, 160, QImage::Format_RGB32);
        image.fill(Qt::white);
        image.setPixel(8, 8, qRgb(0, 0, 0));
        image.save(path);
        return path;
    }

    // The payloads of the client events of one type the server received, oldest first.
    QList<QJsonObject> events(const QString &type) const
    {
        QList<QJsonObject> out;
        for (const QJsonValue &entry : box.requests(QStringLiteral("/api/client-event"))) {
            const QJsonObject body = entry.toObject().value("body").toObject();
            if (body.value("event_type").toString() == type)
                out << body.value("payload").toObject();
        }
        return out;
    }
    QList<QJsonObject> orderScans() const { return events(QStringLiteral("order_scan")); }

    // A demo order the server judges "packed" for this barcode.
    void addServerOrder(const QString &barcode) { addNewWbOrder(box.demoTenant(), barcode); }
};
