import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "../components"
import "orders"
import "../ShellLogic.js" as Logic
import "../OrdersLogic.js" as OrdersLogic

// Orders, pictures, the FBO plan, the print queue, reprints and stock of the last
// snapshot. The lists are ordersView's models, filtered there by tab and search; a
// snapshot updates them in place, so the scroll position and the current row stay.
Item {
    id: page

    property var shell: null
    readonly property string tab: shell ? shell.ordersTab : "orders"
    readonly property string stockTab: shell ? shell.ordersStockTab : "local"
    readonly property string search: shell ? shell.ordersSearch : ""
    readonly property bool ordersLike: tab === "orders" || tab === "paintings"
    readonly property var summary: ordersModel.summary
    // Bumped on every change of the orders model, for figures read through invokables.
    property int ordersRevision: 0
    Connections {
        target: ordersModel
        function onChanged() { page.ordersRevision += 1 }
    }
    readonly property int shownCount: {
        switch (tab) {
        case "fbo": return ordersView.fbo.count
        case "queue": return ordersView.printQueue.count
        case "reprints": return ordersView.reprints.count
        case "stock": return ordersView.stock.count
        }
        return ordersView.orders.count
    }

    Binding { target: ordersView.orders; property: "group"; value: page.tab === "paintings" ? "paintings" : "orders" }
    Binding { target: ordersView.orders; property: "search"; value: page.search }
    Binding { target: ordersView.stock; property: "warehouse"; value: OrdersLogic.stockWarehouse(page.stockTab) }
    Binding { target: ordersView.stock; property: "search"; value: page.search }

    // The journal lines an operation writes while it runs; a refusal the shell does not
    // toast by itself is shown with the backend's own words. Returns the operation's result.
    property var captured: []
    function runReporting(title, operation) {
        captured = []
        capture.enabled = true
        var result = operation()
        capture.enabled = false
        for (var i = 0; i < captured.length; ++i) {
            var e = captured[i]
            if ((e.level === "warn" || e.level === "error") && !Logic.eventToast(e.level, e.message, "") && shell)
                shell.pushToast(e.level === "error" ? "error" : "warning", title, e.message, 6500)
        }
        return result
    }
    Connections {
        id: capture
        enabled: false
        target: eventLogModel
        function onEntryAdded(level, message, timestamp) {
            page.captured.push({ level: String(level), message: String(message) })
        }
    }

    // Edit replies come back later: a refusal becomes a toast unless the journal's own
    // toast already says it.
    Connections {
        target: ordersApi
        function onScanHandled(raw, ok, message) {
            if (raw !== "" || ok || !page.shell)
                return
            if (!Logic.eventToast("warn", message, ""))
                page.shell.pushToast("error", "Заказы", message, 6500)
        }
    }

    function setTab(key) {
        if (shell)
            shell.ordersTab = key
    }

    function refreshNow() {
        if (!snapshotSync.busy)
            snapshotSync.refresh()
    }

    function askDeleteOrder(row) {
        orderDeleteDialog.ask(OrdersLogic.orderDisplayName(row), OrdersLogic.orderKey(row))
    }

    function askDeleteReprint(row) {
        reprintDeleteDialog.ask(OrdersLogic.reprintDisplayName(row), OrdersLogic.reprintKey(row))
    }

    function saveFboPlan(plan, priority, inProduction, localStock) {
        runReporting("FBO", function () {
            ordersApi.updateFboPlan(plan.planKey, plan.marketplace, plan.sku, true, priority, inProduction, localStock)
        })
    }

    // The root's flags say which dialog is open; the dialogs report closing back.
    function syncOrderDialog() {
        if (shell && shell.orderEditorOpen && page.visible) {
            orderDialog.load(shell.orderForm)
            orderDialog.open()
        } else {
            orderDialog.close()
        }
    }

    function syncReprintDialog() {
        if (shell && shell.reprintEditorOpen && page.visible) {
            reprintDialog.load(shell.reprintForm)
            reprintDialog.open()
        } else {
            reprintDialog.close()
        }
    }

    Connections {
        target: page.shell
        function onOrderEditorOpenChanged() { page.syncOrderDialog() }
        function onReprintEditorOpenChanged() { page.syncReprintDialog() }
    }

    onVisibleChanged: {
        if (visible) {
            syncOrderDialog()
            syncReprintDialog()
            return
        }
        orderDeleteDialog.close()
        reprintDeleteDialog.close()
        if (shell) {
            shell.orderEditorOpen = false
            shell.reprintEditorOpen = false
        }
    }

    component ColumnCaption: Text {
        font.pixelSize: 11
        font.bold: true
        color: "#71829A"
        elide: Text.ElideRight
    }

    component MarketChip: Rectangle {
        property string market: ""
        implicitWidth: 58
        implicitHeight: 24
        radius: 6
        color: "transparent"
        border.color: OrdersLogic.marketplaceAccent(market)
        Text {
            anchors.centerIn: parent
            width: parent.width - 6
            horizontalAlignment: Text.AlignHCenter
            text: OrdersLogic.trimmed(parent.market) || "—"
            font.pixelSize: 11
            font.bold: true
            color: parent.border.color
            elide: Text.ElideRight
        }
    }

    component CellText: Text {
        font.pixelSize: 13
        color: "#DDE7F7"
        elide: Text.ElideRight
        verticalAlignment: Text.AlignVCenter
    }

    Component {
        id: summaryPills
        Row {
            spacing: 10
            StatusPill {
                label: "Всего"
                value: OrdersLogic.orderValue(page.summary, ["total"], String(ordersModel.count))
                iconName: "orders"
                accent: "#7ECFFF"
            }
            StatusPill {
                label: "Открыто"
                value: OrdersLogic.orderValue(page.summary, ["open"], "0")
                iconName: "printer"
                accent: "#F4C16D"
            }
            StatusPill {
                label: "Упаковано сегодня"
                value: OrdersLogic.orderValue(page.summary, ["todayPacked", "today_packed"], "0")
                iconName: "box"
                accent: "#8EE3BF"
                labelMaxWidth: 140
            }
            StatusPill {
                label: "Не распознано сегодня"
                value: OrdersLogic.orderValue(page.summary, ["todayUnknown", "today_unknown"], "0")
                iconName: "warning"
                accent: "#FF9CB1"
                labelMaxWidth: 150
            }
        }
    }

    Component {
        id: rowCountPill
        StatusPill {
            label: "Строк"
            value: String(page.shownCount)
            iconName: "orders"
            accent: "#7ECFFF"
        }
    }

    Component {
        id: stockTabsBar
        Row {
            spacing: 4
            Repeater {
                // Three fixed sub-tabs.
                model: OrdersLogic.stockTabs
                delegate: InlineTabButton {
                    required property var modelData
                    objectName: "ordersStockTab_" + modelData.key
                    compact: true
                    text: modelData.title + "  "
                          + (page.ordersRevision, ordersModel.stockCountForWarehouse(modelData.warehouse, page.search))
                    active: page.stockTab === modelData.key
                    onClicked: if (page.shell) page.shell.ordersStockTab = modelData.key
                }
            }
        }
    }

    Component {
        id: addOrderAction
        GlassActionButton {
            objectName: "ordersAddButton"
            primary: true
            iconName: "plus"
            text: "Добавить"
            onClicked: if (page.shell) page.shell.openNewOrderEditor()
        }
    }

    Component {
        id: addReprintAction
        GlassActionButton {
            objectName: "reprintAddButton"
            primary: true
            iconName: "plus"
            text: "Новая перепечать"
            onClicked: if (page.shell) page.shell.openNewReprintEditor()
        }
    }

    Component {
        id: stockActions
        Row {
            spacing: 8
            GlassActionButton {
                objectName: "stockInButton"
                primary: true
                iconName: "download"
                text: "Приход"
                onClicked: if (page.shell) page.shell.openStockOrderEditor("Склад", "Приход")
            }
            GlassActionButton {
                objectName: "stockWbButton"
                text: "WB"
                onClicked: if (page.shell) page.shell.openStockOrderEditor("Склад WB", "Приход")
            }
            GlassActionButton {
                objectName: "stockOzonButton"
                text: "Ozon"
                onClicked: if (page.shell) page.shell.openStockOrderEditor("Склад OZON", "Приход")
            }
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 12

        // Tabs, search and refresh.
        RowLayout {
            Layout.fillWidth: true
            spacing: 10
            Row {
                spacing: 4
                Repeater {
                    // Six fixed tabs.
                    model: OrdersLogic.ordersTabs
                    delegate: InlineTabButton {
                        required property var modelData
                        objectName: "ordersTab_" + modelData.key
                        text: modelData.title
                        active: page.tab === modelData.key
                        onClicked: page.setTab(modelData.key)
                    }
                }
            }
            Item { Layout.fillWidth: true }
            GlassTextField {
                id: searchField
                objectName: "ordersSearchField"
                Layout.preferredWidth: 300
                placeholderText: "Поиск: заказ, артикул, UID, баркод"
                text: page.search
                onTextEdited: if (page.shell) page.shell.ordersSearch = text
            }
            GlassActionButton {
                compact: true
                iconName: "refresh"
                text: snapshotSync.busy ? "Обновляется…" : "Обновить"
                enabled: !snapshotSync.busy
                onClicked: page.refreshNow()
            }
        }

        // Figures and the tab's actions. Each tab's set is a Loader of positioners: a
        // RowLayout whose children switch visibility is not laid out again reliably here.
        RowLayout {
            Layout.fillWidth: true
            Layout.preferredHeight: 42
            spacing: 10

            Loader {
                Layout.alignment: Qt.AlignVCenter
                sourceComponent: page.ordersLike ? summaryPills : (page.tab === "stock" ? stockTabsBar : rowCountPill)
            }
            Text {
                Layout.fillWidth: true
                text: ordersApi.statusText
                font.pixelSize: 12
                color: ordersApi.busy ? "#F4C16D" : "#8FA3C4"
                elide: Text.ElideRight
            }
            Loader {
                Layout.alignment: Qt.AlignVCenter
                sourceComponent: page.ordersLike ? addOrderAction
                               : page.tab === "reprints" ? addReprintAction
                               : page.tab === "stock" ? stockActions : null
            }
        }

        GlassPanel {
            Layout.fillWidth: true
            Layout.fillHeight: true
            contentMargin: 8

            // --- Заказы / Картины ---
            Item {
                anchors.fill: parent
                visible: page.ordersLike

                RowLayout {
                    id: ordersHeader
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.leftMargin: 12
                    anchors.rightMargin: 18
                    height: 26
                    spacing: 10
                    ColumnCaption { Layout.preferredWidth: 58; text: "МП" }
                    ColumnCaption { Layout.fillWidth: true; text: "Заказ" }
                    ColumnCaption { Layout.preferredWidth: 120; text: "UID" }
                    ColumnCaption { Layout.preferredWidth: 140; text: "Статус" }
                    ColumnCaption { Layout.preferredWidth: 44; text: "Шт." }
                    ColumnCaption { Layout.preferredWidth: 116; text: "Создан" }
                    Item { Layout.preferredWidth: 150 }
                }

                ListView {
                    id: ordersList
                    objectName: "ordersList"
                    anchors.fill: parent
                    anchors.topMargin: ordersHeader.height + 2
                    clip: true
                    spacing: 4
                    model: ordersView.orders
                    boundsBehavior: Flickable.StopAtBounds
                    // The current row is the operator's; the view must not scroll on its own.
                    highlightFollowsCurrentItem: false
                    keyNavigationEnabled: false
                    ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

                    delegate: Rectangle {
                        id: orderRow
                        objectName: "orderRow"
                        required property int index
                        required property string marketplace
                        required property string sourceType
                        required property string sku
                        required property string title
                        required property string orderId
                        required property string barcode
                        required property string scanUid
                        required property string status
                        required property string workStatus
                        required property var qty
                        required property string createdAt
                        readonly property bool current: ListView.isCurrentItem
                        width: ListView.view.width - 10
                        height: 52
                        radius: 8
                        color: current ? "#142237" : (index % 2 === 0 ? "#0D1522" : "#101A2A")
                        border.width: current ? 1 : 0
                        border.color: "#3A5A86"

                        TapHandler { onTapped: ordersList.currentIndex = orderRow.index }

                        RowLayout {
                            anchors.fill: parent
                            anchors.leftMargin: 12
                            anchors.rightMargin: 8
                            spacing: 10
                            MarketChip { market: orderRow.marketplace }
                            ColumnLayout {
                                Layout.fillWidth: true
                                spacing: 2
                                RowLayout {
                                    Layout.fillWidth: true
                                    spacing: 6
                                    CellText {
                                        Layout.fillWidth: true
                                        text: orderRow.title || orderRow.sku || "—"
                                        font.bold: true
                                        color: "#F1F6FF"
                                    }
                                    Text {
                                        visible: OrdersLogic.orderIsPainting({ source_type: orderRow.sourceType, sku: orderRow.sku })
                                        text: "картина"
                                        font.pixelSize: 10
                                        color: "#F4C16D"
                                    }
                                }
                                CellText {
                                    Layout.fillWidth: true
                                    text: OrdersLogic.orderDetailLine(orderRow.sku, orderRow.orderId, orderRow.barcode)
                                    font.family: "Consolas"
                                    font.pixelSize: 11
                                    color: "#8FA3C4"
                                }
                            }
                            CellText {
                                Layout.preferredWidth: 120
                                text: orderRow.scanUid || "—"
                                font.family: "Consolas"
                                font.pixelSize: 12
                            }
                            CellText {
                                Layout.preferredWidth: 140
                                text: orderRow.workStatus || orderRow.status || "—"
                                color: "#C9D7EC"
                            }
                            CellText {
                                Layout.preferredWidth: 44
                                text: OrdersLogic.text(orderRow.qty)
                                font.bold: true
                            }
                            CellText {
                                Layout.preferredWidth: 116
                                text: OrdersLogic.formatOrderDate(orderRow.createdAt)
                                font.pixelSize: 12
                                color: "#8FA3C4"
                            }
                            GlassActionButton {
                                compact: true
                                iconName: "open"
                                text: "Править"
                                onClicked: {
                                    ordersList.currentIndex = orderRow.index
                                    if (page.shell)
                                        page.shell.openOrderEditor(ordersView.orders.rowAt(orderRow.index))
                                }
                            }
                            GlassActionButton {
                                compact: true
                                iconOnly: true
                                iconName: "trash"
                                onClicked: page.askDeleteOrder(ordersView.orders.rowAt(orderRow.index))
                            }
                        }
                    }
                }
            }

            // --- FBO ---
            ListView {
                id: fboList
                objectName: "fboList"
                anchors.fill: parent
                visible: page.tab === "fbo"
                clip: true
                spacing: 6
                model: ordersView.fbo
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

                delegate: Rectangle {
                    id: fboRow
                    required property int index
                    required property var row
                    readonly property var plan: OrdersLogic.fboPlan(row)
                    width: ListView.view.width - 10
                    height: 64
                    radius: 8
                    color: index % 2 === 0 ? "#0D1522" : "#101A2A"

                    RowLayout {
                        anchors.fill: parent
                        anchors.leftMargin: 12
                        anchors.rightMargin: 8
                        spacing: 10
                        MarketChip { market: fboRow.plan.marketplace }
                        ColumnLayout {
                            Layout.fillWidth: true
                            spacing: 2
                            CellText {
                                Layout.fillWidth: true
                                text: fboRow.plan.sku || "—"
                                font.family: "Consolas"
                                font.bold: true
                                color: "#F1F6FF"
                            }
                            CellText {
                                Layout.fillWidth: true
                                text: OrdersLogic.orderDetailLine(
                                          OrdersLogic.orderValue(fboRow.row, ["warehouse", "warehouse_name"], ""),
                                          "план " + OrdersLogic.orderValue(fboRow.row, ["planned", "plan", "need"], "0"),
                                          "готово " + OrdersLogic.orderValue(fboRow.row, ["done", "ready"], "0"))
                                font.pixelSize: 12
                                color: "#8FA3C4"
                            }
                        }
                        Text { text: "Приоритет"; font.pixelSize: 11; color: "#71829A" }
                        GlassSpinBox { id: prioSpin; from: 0; to: 999; value: fboRow.plan.manualPriority }
                        Text { text: "В работе"; font.pixelSize: 11; color: "#71829A" }
                        GlassSpinBox { id: inProdSpin; from: 0; to: 99999; value: fboRow.plan.inProduction }
                        Text { text: "На складе"; font.pixelSize: 11; color: "#71829A" }
                        GlassSpinBox { id: stockSpin; from: 0; to: 99999; value: fboRow.plan.localStock }
                        GlassActionButton {
                            objectName: "fboSave"
                            compact: true
                            iconOnly: true
                            iconName: "save"
                            enabled: fboRow.plan.planKey.length > 0 || fboRow.plan.sku.length > 0
                            onClicked: page.saveFboPlan(fboRow.plan, prioSpin.value, inProdSpin.value, stockSpin.value)
                        }
                    }
                }
            }

            // --- Очередь ---
            ListView {
                id: queueList
                objectName: "queueList"
                anchors.fill: parent
                visible: page.tab === "queue"
                clip: true
                spacing: 4
                model: ordersView.printQueue
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

                delegate: Rectangle {
                    id: queueRow
                    required property int index
                    required property var row
                    width: ListView.view.width - 10
                    height: 46
                    radius: 8
                    color: index % 2 === 0 ? "#0D1522" : "#101A2A"

                    RowLayout {
                        anchors.fill: parent
                        anchors.leftMargin: 12
                        anchors.rightMargin: 12
                        spacing: 10
                        MarketChip { market: OrdersLogic.orderValue(queueRow.row, ["marketplace", "source"], "") }
                        CellText {
                            Layout.fillWidth: true
                            text: OrdersLogic.orderValue(queueRow.row, ["title", "name", "sku"], "—")
                            font.bold: true
                        }
                        CellText {
                            Layout.preferredWidth: 130
                            text: OrdersLogic.orderValue(queueRow.row, ["uid", "scan_uid", "production_code", "unique_no"], "—")
                            font.family: "Consolas"
                            font.pixelSize: 12
                        }
                        CellText {
                            Layout.preferredWidth: 140
                            text: OrdersLogic.orderValue(queueRow.row, ["printer", "status"], "")
                            color: "#C9D7EC"
                        }
                        CellText {
                            Layout.preferredWidth: 60
                            text: OrdersLogic.orderValue(queueRow.row, ["qty", "count"], "1") + " шт."
                        }
                        CellText {
                            Layout.preferredWidth: 150
                            text: OrdersLogic.orderValue(queueRow.row, ["order_key", "orderKey"], "")
                            font.family: "Consolas"
                            font.pixelSize: 11
                            color: "#71829A"
                        }
                    }
                }
            }

            // --- Перепечать ---
            ListView {
                id: reprintList
                objectName: "reprintList"
                anchors.fill: parent
                visible: page.tab === "reprints"
                clip: true
                spacing: 4
                model: ordersView.reprints
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

                delegate: Rectangle {
                    id: reprintRow
                    required property int index
                    required property var row
                    width: ListView.view.width - 10
                    height: 52
                    radius: 8
                    color: index % 2 === 0 ? "#0D1522" : "#101A2A"

                    RowLayout {
                        anchors.fill: parent
                        anchors.leftMargin: 12
                        anchors.rightMargin: 8
                        spacing: 10
                        MarketChip { market: OrdersLogic.orderValue(reprintRow.row, ["marketplace", "source"], "") }
                        ColumnLayout {
                            Layout.fillWidth: true
                            spacing: 2
                            CellText {
                                Layout.fillWidth: true
                                text: OrdersLogic.reprintDisplayName(reprintRow.row) || "—"
                                font.bold: true
                                color: "#F1F6FF"
                            }
                            CellText {
                                Layout.fillWidth: true
                                text: OrdersLogic.orderValue(reprintRow.row, ["reason"], "")
                                font.pixelSize: 12
                                color: "#8FA3C4"
                            }
                        }
                        CellText {
                            Layout.preferredWidth: 150
                            text: OrdersLogic.orderValue(reprintRow.row, ["source_order_key", "sourceOrderKey", "order_key"], "—")
                            font.family: "Consolas"
                            font.pixelSize: 12
                        }
                        CellText {
                            Layout.preferredWidth: 80
                            text: "полоса " + OrdersLogic.orderValue(reprintRow.row, ["strip_no", "stripNo", "strip"], "—")
                            font.pixelSize: 12
                        }
                        CellText {
                            Layout.preferredWidth: 110
                            text: OrdersLogic.orderValue(reprintRow.row, ["printer"], "")
                            color: "#C9D7EC"
                        }
                        CellText {
                            Layout.preferredWidth: 116
                            text: OrdersLogic.formatOrderDate(OrdersLogic.orderValue(reprintRow.row, ["created_at", "createdAt", "ts"], ""))
                            font.pixelSize: 12
                            color: "#8FA3C4"
                        }
                        GlassActionButton {
                            compact: true
                            iconName: "open"
                            text: "Править"
                            onClicked: if (page.shell) page.shell.openReprintEditor(ordersView.reprints.get(reprintRow.index))
                        }
                        GlassActionButton {
                            compact: true
                            iconOnly: true
                            iconName: "trash"
                            onClicked: page.askDeleteReprint(ordersView.reprints.get(reprintRow.index))
                        }
                    }
                }
            }

            // --- Склад ---
            ListView {
                id: stockList
                objectName: "stockList"
                anchors.fill: parent
                visible: page.tab === "stock"
                clip: true
                spacing: 4
                model: ordersView.stock
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

                delegate: Rectangle {
                    id: stockRow
                    required property int index
                    required property var row
                    width: ListView.view.width - 10
                    height: 46
                    radius: 8
                    color: index % 2 === 0 ? "#0D1522" : "#101A2A"

                    RowLayout {
                        anchors.fill: parent
                        anchors.leftMargin: 12
                        anchors.rightMargin: 12
                        spacing: 10
                        MarketChip { market: OrdersLogic.orderValue(stockRow.row, ["marketplace", "source"], "") }
                        CellText {
                            Layout.fillWidth: true
                            text: OrdersLogic.orderValue(stockRow.row, ["sku", "article"], "—")
                            font.family: "Consolas"
                            font.bold: true
                        }
                        CellText {
                            Layout.preferredWidth: 120
                            text: OrdersLogic.orderValue(stockRow.row, ["status", "movement", "type"], "")
                            color: "#C9D7EC"
                        }
                        CellText {
                            Layout.preferredWidth: 80
                            text: OrdersLogic.orderValue(stockRow.row, ["qty", "quantity", "balance", "count"], "0") + " шт."
                            font.bold: true
                        }
                        CellText {
                            Layout.preferredWidth: 150
                            text: OrdersLogic.orderValue(stockRow.row, ["order_key", "orderKey"], "")
                            font.family: "Consolas"
                            font.pixelSize: 11
                            color: "#71829A"
                        }
                    }
                }
            }

            EmptyState {
                objectName: "ordersEmptyState"
                anchors.centerIn: parent
                width: parent.width - 40
                visible: page.shownCount === 0
                iconName: page.tab === "stock" ? "warehouse" : (page.tab === "queue" ? "printer" : "orders")
                title: OrdersLogic.emptyState(page.tab).title
                hint: OrdersLogic.emptyState(page.tab).hint
            }
        }
    }

    OrderEditorDialog {
        id: orderDialog
        report: page.runReporting
        onSaved: function (form) { if (page.shell) page.shell.orderForm = form }
        onClosed: if (page.shell) page.shell.orderEditorOpen = false
    }

    ReprintEditorDialog {
        id: reprintDialog
        report: page.runReporting
        onSaved: function (form) { if (page.shell) page.shell.reprintForm = form }
        onClosed: if (page.shell) page.shell.reprintEditorOpen = false
    }

    OrdersDeleteDialog {
        id: orderDeleteDialog
        objectName: "orderDeleteDialog"
        title: "Удалить строку заказа"
        message: "Строка будет удалена. FBO и очередь печати от этого не пересчитываются автоматически."
        onConfirmed: function (key) {
            page.runReporting("Заказы", function () { ordersApi.deleteOrder(key) })
        }
    }

    OrdersDeleteDialog {
        id: reprintDeleteDialog
        objectName: "reprintDeleteDialog"
        title: "Удалить перепечать"
        message: "Строка перепечати будет удалена."
        onConfirmed: function (key) {
            page.runReporting("Перепечать", function () { ordersApi.deleteReprint(key) })
        }
    }
}
