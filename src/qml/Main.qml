import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "components"
import "pages"
import "shell"
import "ShellLogic.js" as Logic
import "PageLogic.js" as PageLogic
import "OrdersLogic.js" as OrdersLogic

ApplicationWindow {
    id: root

    width: 1520
    height: 960
    minimumWidth: 1260
    minimumHeight: 780
    visible: true
    color: "#0B1018"
    title: brandName()

    // Navigation and dialogs.
    property string pageKey: "home"
    property bool showDisabledTabDialog: false
    property string disabledTabKey: ""
    property string disabledTabSource: ""
    property int onboardingStep: 0
    property string onboardingAccountMode: ""
    property string sideDeviceMode: "scanner"
    property string settingsTab: "client"

    // Page state kept across page switches (reset at start).
    property string ordersTab: "orders"
    property string ordersStockTab: "local"
    property string ordersSearch: ""
    property string warehouseTab: "wb"
    property string warehouseSearch: ""
    property string consumablesTab: appSettings.firstConsumableTabId
    property int consumablesRevision: 0
    property int scriptTabIndex: 0
    property string suppliesTab: "supply"
    property string suppliesMarket: "wb"
    property string suppliesSearch: ""
    property string employeeTab: "schedule"
    property string employeeSearch: ""
    property string employeeBulkDefaultShift: "09:00-21:00"
    property bool employeeEditorOpen: false
    property int selectedDefectIndex: -1
    property int selectedBugIndex: -1

    property ListModel toastModel: ListModel {}
    readonly property int toastLimit: 3

    // The scan router lives in C++; the scene mirrors its state and forwards to it.
    readonly property bool hasScanRouter: typeof scanRouter !== "undefined" && scanRouter !== null
    readonly property var scannerWorkplaces: hasScanRouter ? scanRouter.scannerWorkplaces : ({})
    readonly property var localActiveCutters: hasScanRouter ? scanRouter.localActiveCutters : ({})
    readonly property var pendingWarehousePrints: hasScanRouter ? scanRouter.pendingWarehousePrints : ({})

    Binding { target: root.hasScanRouter ? scanRouter : null; property: "pageKey"; value: root.pageKey }
    Binding { target: root.hasScanRouter ? scanRouter : null; property: "suppliesMarket"; value: root.suppliesMarket }
    Binding { target: root.hasScanRouter ? scanRouter : null; property: "consumablesTab"; value: root.consumablesTab }
    Binding { target: root.hasScanRouter ? scanRouter : null; property: "warehouseTab"; value: root.warehouseTab }
    Binding { target: root.hasScanRouter ? scanRouter : null; property: "employeeEditorOpen"; value: root.employeeEditorOpen }

    // --- shell functions the pages call ---

    function brandName() {
        return Logic.brandName(appSettings.franchiseName, appSettings.displayAppName)
    }

    function hasServerIdentity() {
        return Logic.hasServerIdentity(appSettings.tenantId, appSettings.deviceId, appSettings.serverUrl)
    }

    function absoluteServerUrl(value) {
        return Logic.absoluteServerUrl(value, appSettings.serverUrl)
    }

    function openSettingsUrl(value) {
        var url = absoluteServerUrl(value)
        if (url.length > 0)
            localTools.openUrl(url)
    }

    function openPage(key, restriction) {
        var action = Logic.openPageAction(key, restriction, appSettings.serviceBlocked)
        if (action === "restricted") {
            disabledTabKey = Logic.trimmed(key)
            disabledTabSource = Logic.trimmed(restriction)
            showDisabledTabDialog = true
        } else if (action === "navigate") {
            pageKey = Logic.trimmed(key)
        }
    }

    function firstAvailablePageKey() {
        return Logic.firstAvailablePageKey(appSettings.sidebarItems)
    }

    function guardPage() {
        pageKey = Logic.guardedPageKey(pageKey, appSettings.pageVisible(pageKey),
                                       appSettings.pageEnabled(pageKey), appSettings.sidebarItems)
    }

    function pushToast(kind, title, message, timeoutMs) {
        var k = Logic.trimmed(kind) || "info"
        Logic.insertToast(toastModel, {
            toastId: Logic.newToastId(),
            kind: k,
            title: Logic.text(title),
            message: Logic.text(message),
            timeoutMs: Logic.toastTimeout(k, timeoutMs)
        }, toastLimit)
    }

    function dismissToast(toastId) {
        Logic.removeToast(toastModel, toastId)
    }

    function syncOnboardingStepFromState() {
        if (appSettings.onboardingRequired)
            onboardingStep = Logic.syncedOnboardingStep(onboardingStep, hasServerIdentity())
    }

    // The issue pages' selection stays on a row that exists.
    function syncIssueSelection() {
        selectedDefectIndex = PageLogic.syncedSelection(selectedDefectIndex, issuesLive.defectsRows.count)
        selectedBugIndex = PageLogic.syncedSelection(selectedBugIndex, issuesLive.bugsRows.count)
    }

    function syncConsumablesTab() {
        var tabs = appSettings.consumableTabs
        if (!tabs || tabs.length === 0)
            return
        for (var i = 0; i < tabs.length; ++i) {
            if (tabs[i].id === consumablesTab)
                return
        }
        consumablesTab = appSettings.firstConsumableTabId
    }

    function openSupportContact() {
        localTools.openUrl(Logic.firstNonEmpty([appSettings.serverLink("support_url")], Logic.supportContactUrl))
    }

    function openBugPortal() {
        localTools.openUrl(Logic.firstNonEmpty([appSettings.serverLink("staff_bugs_url"),
                                                appSettings.serverLink("manager_bugs_url"),
                                                appSettings.serverLink("manager_url")],
                                               Logic.fallbackBugPortalUrl))
    }

    function syncArtifacts() {
        if (typeof artifactSync !== "undefined" && artifactSync !== null)
            artifactSync.syncNow()
    }

    // --- orders page dialogs: the form buffers live here, the page shows the dialogs ---
    // (each open goes through false, so the page reloads the dialog even when it was open)

    property var orderForm: OrdersLogic.newOrderForm("orders")
    property bool orderEditorOpen: false
    property var reprintForm: OrdersLogic.newReprintForm()
    property bool reprintEditorOpen: false

    function openNewOrderEditor() {
        orderEditorOpen = false
        orderForm = OrdersLogic.newOrderForm(ordersTab)
        orderEditorOpen = true
    }

    function openOrderEditor(row) {
        orderEditorOpen = false
        orderForm = OrdersLogic.orderFormFromRow(row)
        orderEditorOpen = true
    }

    function openStockOrderEditor(warehouse, status) {
        orderEditorOpen = false
        orderForm = OrdersLogic.stockOrderForm(warehouse, status)
        orderEditorOpen = true
    }

    function openNewReprintEditor() {
        reprintEditorOpen = false
        reprintForm = OrdersLogic.newReprintForm()
        reprintEditorOpen = true
    }

    function openReprintEditor(row) {
        reprintEditorOpen = false
        reprintForm = OrdersLogic.reprintFormFromRow(row)
        reprintEditorOpen = true
    }

    // --- devices ---

    function scannerServiceForIndex(i) {
        switch (Number(i)) {
        case 2: return scannerService2
        case 3: return scannerService3
        case 4: return scannerService4
        case 5: return scannerService5
        case 6: return scannerService6
        }
        return scannerService
    }

    function refreshAllPorts() {
        var count = Logic.scannerTabCount(appSettings.scannerPorts)
        for (var i = 1; i <= count; ++i)
            scannerServiceForIndex(i).refreshAvailablePorts()
        rfidService.refreshAvailablePorts()
    }

    // --- scan routing (scanRouter) ---

    function scannerIndexFromKey(key) { return scanRouter.scannerIndexFromKey(key) }
    function scannerKeyForIndex(i) { return scanRouter.scannerKeyForIndex(i) }
    function normalizeScannerKey(key) { return scanRouter.normalizeScannerKey(key) }
    function scannerLabelForKey(key) { return scanRouter.scannerLabelForKey(key) }
    function configuredScannerCount() { return scanRouter.configuredScannerCount() }
    function normalizeWorkplace(value) { return scanRouter.normalizeWorkplace(value) }
    function workplaceLabel(id) { return scanRouter.workplaceLabel(id) }
    function cutterQrPayload(n) { return scanRouter.cutterQrPayload(n) }
    function workplaceForScanner(key) { return scanRouter.workplaceForScanner(key) }
    function setScannerWorkplace(key, workplace) { return scanRouter.setScannerWorkplace(key, workplace) }
    function rememberActiveCutter(key, employeeId) { return scanRouter.rememberActiveCutter(key, employeeId) }
    function scanContext(key) { return scanRouter.scanContext(key) }
    function activeScanEmployeeId(key) { return scanRouter.activeScanEmployeeId(key) }
    function rfidUidFromHardwareScan(raw) { return scanRouter.rfidUidFromHardwareScan(raw) }
    function cutterFromScan(raw) { return scanRouter.cutterFromScan(raw) }
    function isConsumableWallPayload(raw) { return scanRouter.isConsumableWallPayload(raw) }
    function isStructuredScanPayload(raw) { return scanRouter.isStructuredScanPayload(raw) }
    function isPlainOrderOrWarehouseScan(raw) { return scanRouter.isPlainOrderOrWarehouseScan(raw) }
    function handleHardwareScan(raw, key) { return scanRouter.handleHardwareScan(raw, key) }
    function submitOrderScan(scan, key) { return scanRouter.submitOrderScan(scan, key) }
    function submitWarehouseScan(scan, currentOnly, key) { return scanRouter.submitWarehouseScan(scan, currentOnly, key) }
    function requestWarehouseServerPrint(model, scan, key) { return scanRouter.requestWarehouseServerPrint(model, scan, key) }
    function orderScanResultAllowsPrint(result, message, details) { return scanRouter.orderScanResultAllowsPrint(result, message, details) }
    function handleOrderScanResult(raw, result, ok, message, details) { return scanRouter.handleOrderScanResult(raw, result, ok, message, details) }
    function currentWarehouseModel() { return scanRouter.currentWarehouseModel() }

    // --- backend signals ---

    Connections {
        target: appSettings
        function onChanged() {
            root.syncOnboardingStepFromState()
            root.syncConsumablesTab()
            root.guardPage()
        }
    }

    Connections {
        target: eventLogModel
        function onEntryAdded(level, message, timestamp) {
            var toast = Logic.eventToast(level, message, timestamp)
            if (toast)
                root.pushToast(toast.kind, toast.title, toast.message, toast.timeoutMs)
        }
    }

    Connections {
        target: issuesLive
        function onChanged() { root.syncIssueSelection() }
    }

    Connections {
        target: typeof consumablesService !== "undefined" ? consumablesService : null
        function onChanged() { root.consumablesRevision += 1 }
    }

    Timer {
        interval: 300000
        repeat: true
        running: root.hasServerIdentity() && !appSettings.onboardingRequired
        onTriggered: root.syncArtifacts()
    }

    Component.onCompleted: {
        syncIssueSelection()
        syncOnboardingStepFromState()
        guardPage()
        if (hasServerIdentity())
            syncArtifacts()
    }

    // --- layout ---

    RowLayout {
        id: mainRow
        objectName: "mainRow"
        visible: !appSettings.onboardingRequired
        anchors.fill: parent
        anchors.leftMargin: 22
        anchors.rightMargin: 22
        anchors.topMargin: 20
        anchors.bottomMargin: 58
        spacing: 16

        Sidebar {
            shell: root
            Layout.preferredWidth: 228
            Layout.maximumWidth: 228
            Layout.fillHeight: true
        }

        ColumnLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 16

            PageHeader {
                shell: root
                Layout.fillWidth: true
                Layout.preferredHeight: 72
            }

            NoticeBanners {
                Layout.fillWidth: true
                visible: count > 0
            }

            StackLayout {
                Layout.fillWidth: true
                Layout.fillHeight: true
                currentIndex: Logic.pageIndex(root.pageKey)

                HomePage { shell: root }
                OrdersPage { shell: root }
                WarehousesPage { shell: root }
                ConsumablesPage { shell: root }
                ScriptsPage { shell: root }
                SuppliesPage { shell: root }
                DefectsPage { shell: root }
                BugsPage { shell: root }
                EmployeesPage { shell: root }
                SettingsPage { shell: root }
                HelpPage { shell: root }
            }
        }
    }

    RestrictedSectionDialog {
        objectName: "restrictedSectionDialog"
        z: 85
        shell: root
        visible: root.showDisabledTabDialog
    }

    ShellFooter {
        objectName: "shellFooter"
        z: 900
        shell: root
        visible: !appSettings.onboardingRequired
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.rightMargin: 24
        anchors.bottomMargin: 14
    }

    ServiceBlockOverlay {
        objectName: "serviceBlock"
        z: 970
        shell: root
        visible: !appSettings.onboardingRequired && appSettings.serviceBlocked
    }

    ReleaseNotesOverlay {
        z: 980
        visible: releaseNotes.visible
    }

    OverlayVeil {
        id: onboardingGate
        objectName: "onboardingGate"
        z: 999
        visible: appSettings.onboardingRequired
        color: "#E6080F17"

        OnboardingPage {
            anchors.fill: parent
            shell: root
        }
    }

    ToastStack {
        z: 1005
        shell: root
        model: root.toastModel
        width: Math.min(440, Math.max(360, root.width - 36))
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.rightMargin: 18
        anchors.bottomMargin: 76
    }
}
