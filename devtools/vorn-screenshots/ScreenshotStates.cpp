#include "ScreenshotStates.h"

#include "DemoData.h"
#include "DevServer.h"
#include "settings/AppSettings.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>

QString screenshotResetScript()
{
    return QStringLiteral(
        "appSettings.onboardingCompleted = true;"
        "if (releaseNotes.visible) releaseNotes.markSeen();"
        "showDisabledTabDialog = false; disabledTabKey = ''; disabledTabSource = '';"
        "pageKey = 'home'; sideDeviceMode = 'scanner'; settingsTab = 'client';"
        "suppliesTab = 'supply'; suppliesMarket = 'wb'; scriptTabIndex = 0;"
        "onboardingStep = 0; onboardingAccountMode = '';"
        "employeeEditorOpen = false;"
        "toastModel.clear();");
}

void resetScreenshotBackend(ScreenshotBackend &backend)
{
    if (DevTenant *tenant = backend.server.store().tenantById(QString::fromLatin1(Demo::kTenantId)))
        tenant->blocked = false;
    backend.settings.setServiceBlockNotice(QString());
    // Onboarding states take the identity away; every other state has the demo device.
    backend.settings.setTenantId(QString::fromLatin1(Demo::kTenantId));
    backend.settings.setDeviceId(QString::fromLatin1(Demo::kDeviceId));
    backend.settings.setApiKey(QString::fromLatin1(Demo::kApiKey));
}

namespace {

void forgetIdentity(ScreenshotBackend &backend)
{
    backend.settings.setTenantId(QString());
    backend.settings.setDeviceId(QString());
    backend.settings.setApiKey(QString());
}

// Onboarding is shown again for a connected device whose set-up was never finished.
QString onboardingScript(int step, const QString &mode)
{
    return QStringLiteral("appSettings.apiKey = ''; appSettings.onboardingCompleted = false;"
                          "onboardingAccountMode = '%1'; onboardingStep = %2")
        .arg(mode)
        .arg(step);
}

// The scene object with this objectName, found among the window's children (dialogs
// and pages are not reachable by id from the root).
QString sceneObject(const char *objectName)
{
    return QStringLiteral("(function find(o) { if (!o) return null; if (o.objectName === '%1') return o;"
                          " var d = o.data || []; for (var i = 0; i < d.length; ++i) { var r = find(d[i]);"
                          " if (r) return r; } return null; })(contentItem)")
        .arg(QLatin1String(objectName));
}

// The staff pages show the first employee when none is selected yet.
const char kSelectFirstEmployee[] = "if (!employeeWorkspace.selectedEmployeeId && employeeWorkspace.employeeTotal > 0)"
                                    " employeeWorkspace.selectedEmployeeId = employeeWorkspace.employees[0].id;";

} // namespace

// Add a row to get a picture build/screenshots/<name>.png.
QList<ScreenshotState> screenshotStates()
{
    QList<ScreenshotState> states;
    const QStringList pages{QStringLiteral("home"), QStringLiteral("orders"), QStringLiteral("warehouses"),
                            QStringLiteral("consumables"), QStringLiteral("scripts"), QStringLiteral("supplies"),
                            QStringLiteral("defects"), QStringLiteral("bugs"), QStringLiteral("employees"),
                            QStringLiteral("settings"), QStringLiteral("help")};
    for (const QString &page : pages)
        states.append({QStringLiteral("page-") + page, QStringLiteral("pageKey = '%1'").arg(page), {}, {}});

    // Work pages in their states.
    states.append({QStringLiteral("page-defects-selected"), QStringLiteral("pageKey = 'defects'; selectedDefectIndex = 0"),
                   QStringLiteral("issuesLive.defectsRows.count > 1"), {}});
    states.append({QStringLiteral("page-bugs-selected"), QStringLiteral("pageKey = 'bugs'; selectedBugIndex = 0"),
                   QStringLiteral("issuesLive.bugsRows.count > 0"), {}});
    states.append({QStringLiteral("page-supplies-buffer"),
                   QStringLiteral("suppliesModel.clearAll();"
                                  "suppliesModel.addMarketplaceBarcode('4600000000017', 'wb', 3);"
                                  "suppliesModel.addMarketplaceBarcode('0460123456789', 'ozon', 1);"
                                  "suppliesModel.addMarketplaceBarcode('2039447810221', 'wb', 12);"
                                  "pageKey = 'supplies'"),
                   {}, {}});
    states.append({QStringLiteral("page-supplies-clear-dialog"),
                   QStringLiteral("suppliesModel.addMarketplaceBarcode('4600000000017', 'wb', 1);"
                                  "pageKey = 'supplies';")
                       + sceneObject("clearSupplyDialog") + QStringLiteral(".open()"),
                   {}, {}});
    states.append({QStringLiteral("page-supplies-labels"),
                   QStringLiteral("supplyLabels.setSelectedMarketplace('wb');"
                                  "supplyLabels.createLabelPdf('4600000000017', 'OBOI-FLORA-01', '123456789', false);"
                                  "pageKey = 'supplies'; suppliesTab = 'labels'"),
                   {}, {}});
    states.append({QStringLiteral("page-scripts-entry"),
                   QStringLiteral("if (scriptRuntime.entries.length === 0) appSettings.addScriptEntry();"
                                  "scriptRuntime.refresh(); pageKey = 'scripts'"),
                   {}, {}});

    // A real child process whose output fills the log and keeps running.
    states.append({QStringLiteral("page-scripts-running"),
                   QStringLiteral("scriptRuntime.refresh(); scriptTabIndex = scriptRuntime.entries.length - 1;"
                                  "scriptRuntime.start(scriptTabIndex); pageKey = 'scripts'"),
                   QStringLiteral("scriptRuntime.entryLog(scriptRuntime.entries.length - 1).indexOf('строка 60') >= 0"),
                   [](ScreenshotBackend &backend) {
                       const QString path = QDir(backend.settings.appDataDir()).filePath(QStringLiteral("tick.py"));
                       QFile file(path);
                       if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                           file.write("import time\n"
                                      "for i in range(1, 61):\n"
                                      "    print(f'12:04:{i % 60:02d} выгрузка: строка {i}, отправлено {i * 3} шт.')\n"
                                      "time.sleep(60)\n");
                       file.close();
                       backend.settings.addScriptEntry();
                       const int index = int(backend.settings.scriptEntries().size()) - 1;
                       backend.settings.setScriptEntryName(index, QStringLiteral("Выгрузка остатков"));
                       backend.settings.setScriptEntryPath(index, path);
                   }});

    // The orders page: every tab over the demo tenant's snapshot, then each dialog.
    const QString ordersReady = QStringLiteral("ordersModel.count > 0");
    const struct
    {
        const char *name;
        const char *script;
    } ordersStates[] = {
        {"page-orders-paintings", "ordersTab = 'paintings'"},
        {"page-orders-search", "ordersTab = 'orders'; ordersSearch = 'ob-'"},
        {"page-orders-fbo", "ordersTab = 'fbo'"},
        {"page-orders-queue", "ordersTab = 'queue'"},
        {"page-orders-reprints", "ordersTab = 'reprints'"},
        {"page-orders-stock", "ordersTab = 'stock'; ordersStockTab = 'local'"},
        {"page-orders-stock-wb", "ordersTab = 'stock'; ordersStockTab = 'wb'"},
        {"dialog-order-new", "ordersTab = 'orders'; openNewOrderEditor()"},
        {"dialog-order-edit", "ordersTab = 'orders'; openOrderEditor(ordersView.orders.rowAt(0))"},
        {"dialog-order-stock", "ordersTab = 'stock'; openStockOrderEditor('Склад WB', 'Приход')"},
        {"dialog-reprint-new", "ordersTab = 'reprints'; openNewReprintEditor()"},
        {"dialog-reprint-edit", "ordersTab = 'reprints'; openReprintEditor(ordersView.reprints.get(0))"},
    };
    for (const auto &row : ordersStates)
        states.append({QString::fromLatin1(row.name),
                       QStringLiteral("pageKey = 'orders'; ordersSearch = ''; ") + QString::fromUtf8(row.script),
                       ordersReady, {}});
    states.append({QStringLiteral("dialog-order-delete"),
                   QStringLiteral("pageKey = 'orders'; ordersSearch = ''; ordersTab = 'orders';")
                       + sceneObject("orderDeleteDialog")
                       + QStringLiteral(".ask(ordersView.orders.rowAt(0).title, 'wb-1')"),
                   ordersReady, {}});

    // Warehouses, consumables and staff with the demo tenant's data.
    states.append({QStringLiteral("page-warehouses-files"),
                   QStringLiteral("warehouseTab = 'wb'; warehouseSearch = ''; warehouseWbModel.reload();"
                                  "pageKey = 'warehouses'"),
                   QStringLiteral("warehouseWbModel.entryCount > 0"), [](ScreenshotBackend &backend) {
                       // Label files as the outside process drops them; only К_/ПОС_/КОМ_01 are listed.
                       const QString dir = QDir(backend.settings.appDataDir()).filePath(QStringLiteral("demo-wb"));
                       QDir().mkpath(dir);
                       for (const char *name : {"К_Пионы-в-вазе_204598765432.pdf", "ПОС_Закат-над-морем_204598765433.pdf",
                                                "КОМ_01_Набор-кухня_204598765434.png",
                                                "самовыкуп_К_Маки_204598765437.pdf", "OBOI_Flora_204598765435.pdf"}) {
                           QFile file(QDir(dir).filePath(QString::fromUtf8(name)));
                           if (file.open(QIODevice::WriteOnly))
                               file.write("label");
                       }
                       backend.settings.setWbPath(dir);
                   }});
    states.append({QStringLiteral("page-warehouses-search-empty"),
                   QStringLiteral("warehouseTab = 'wb'; warehouseSearch = '204598765435'; pageKey = 'warehouses'"),
                   {}, {}});
    for (const char *tab : {"tab_inks", "tab_boxes", "tab_materials"})
        states.append({QStringLiteral("page-consumables-") + QString::fromLatin1(tab).mid(4),
                       QStringLiteral("consumablesTab = '%1'; pageKey = 'consumables'").arg(QLatin1String(tab)),
                       QStringLiteral("consumablesService.materials.length > 0"), {}});
    for (const char *tab : {"schedule", "common", "attendance", "archive"})
        states.append({QStringLiteral("page-employees-") + QLatin1String(tab),
                       QStringLiteral("employeeSearch = ''; employeeTab = '%1';").arg(QLatin1String(tab))
                           + QLatin1String(kSelectFirstEmployee) + QStringLiteral("pageKey = 'employees'"),
                       QStringLiteral("employeeWorkspace.employeeTotal > 0"), {}});
    states.append({QStringLiteral("page-employees-dialog"),
                   QStringLiteral("employeeTab = 'schedule'; pageKey = 'employees';")
                       + QLatin1String(kSelectFirstEmployee) + sceneObject("employeesPage")
                       + QStringLiteral(".openEditEmployee()"),
                   QStringLiteral("employeeWorkspace.employeeTotal > 0"), {}});

    states.append({QStringLiteral("device-scanner2"), QStringLiteral("sideDeviceMode = 'scanner2'"), {}, {}});
    states.append({QStringLiteral("device-rfid"), QStringLiteral("sideDeviceMode = 'rfid'"), {}, {}});

    states.append({QStringLiteral("toasts"),
                   QStringLiteral(
                       "pushToast('info', 'Синхронизация', 'Снимок данных обновлён.\\n12:04:10', 4200);"
                       "pushToast('success', 'Печать', 'Заказ P01A7K3M9Q напечатан на VornPDF.', 4200);"
                       "pushToast('warning', 'Сканер', 'Сканер 2 выключен: порт не найден.', 4200);"
                       "pushToast('error', 'Синхронизация', 'Не удалось отправить событие: сервер не ответил "
                       "за 20 секунд. Событие ждёт в буфере и уйдёт при следующей попытке.', 4000);"),
                   {}, {}});

    states.append({QStringLiteral("overlay-restricted-vorn"),
                   QStringLiteral("disabledTabKey = 'orders'; disabledTabSource = 'vorn'; showDisabledTabDialog = true"),
                   {}, {}});
    states.append({QStringLiteral("overlay-restricted-tenant"),
                   QStringLiteral("disabledTabKey = 'supplies'; disabledTabSource = 'tenant'; showDisabledTabDialog = true"),
                   {}, {}});
    // The platform blocks the demo tenant; the next reply carries the block.
    states.append({QStringLiteral("overlay-service-block"), QStringLiteral("identityService.refreshClientConfig()"),
                   QStringLiteral("appSettings.serviceBlocked"), [](ScreenshotBackend &backend) {
                       if (DevTenant *tenant = backend.server.store().tenantById(QString::fromLatin1(Demo::kTenantId)))
                           tenant->blocked = true;
                   }});
    states.append({QStringLiteral("overlay-release-notes"), QStringLiteral("releaseNotes.refreshFromServer()"),
                   QStringLiteral("releaseNotes.visible"), [](ScreenshotBackend &backend) {
                       // Shown once per version: forget that an earlier state confirmed it.
                       QFile::remove(QDir(backend.settings.appDataDir()).filePath(
                           QStringLiteral("release_notes_state.json")));
                       backend.server.store().setRelease(QJsonObject{
                           {QStringLiteral("version"), backend.settings.appVersion()},
                           {QStringLiteral("title"), QStringLiteral("Резаки и сотрудники")},
                           {QStringLiteral("notes"),
                            QStringLiteral("• Скан QR резака привязывает сканер к рабочему месту.\n"
                                           "• Сотрудник, отсканированный после резака, закрывает заказы "
                                           "этого сканера.\n• Новые уведомления сервера показываются "
                                           "баннером над страницей.")}});
                   }});
    states.append({QStringLiteral("overlay-onboarding"), QStringLiteral("appSettings.onboardingCompleted = false"),
                   {}, {}});

    // The first start: steps 0 to 2 before the device has an identity, then connected.
    const struct
    {
        const char *name;
        int step;
        const char *mode;
        bool connected;
    } onboardingSteps[] = {
        {"onboarding-0-greeting", 0, "", false},
        {"onboarding-1-mode", 1, "", false},
        {"onboarding-2-new", 2, "new", false},
        {"onboarding-2-existing", 2, "existing", false},
        {"onboarding-2-connected", 2, "existing", true},
        {"onboarding-3-folders", 3, "new", true},
        {"onboarding-4-devices", 4, "new", true},
        {"onboarding-5-folder-check", 5, "new", true},
        {"onboarding-6-final", 6, "new", true},
    };
    for (const auto &row : onboardingSteps) {
        ScreenshotState state{QString::fromLatin1(row.name),
                              onboardingScript(row.step, QString::fromLatin1(row.mode)), {}, {}};
        if (!row.connected)
            state.prepare = forgetIdentity;
        states.append(state);
    }

    const QStringList settingsTabs{QStringLiteral("client"),  QStringLiteral("paths"),
                                   QStringLiteral("devices"), QStringLiteral("cutters"),
                                   QStringLiteral("server"),  QStringLiteral("scripts"),
                                   QStringLiteral("qrwall")};
    for (const QString &tab : settingsTabs)
        states.append({QStringLiteral("settings-") + tab,
                       QStringLiteral("if ('%1' === 'qrwall' && appSettings.wallBindings.length === 0)"
                                      " appSettings.addWallBinding();"
                                      "pageKey = 'settings'; settingsTab = '%1'")
                           .arg(tab),
                       {}, {}});
    return states;
}
