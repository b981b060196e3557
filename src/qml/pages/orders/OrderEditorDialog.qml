import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "../../components"
import "../../OrdersLogic.js" as OrdersLogic

// A new, edited or stock order row. Nothing is sent while a field is empty or not a
// number where one is needed; a refusal of the server keeps the dialog open.
OrdersDialogFrame {
    id: dialog
    objectName: "orderEditorDialog"

    // function (title, operation): runs an ordersApi call, toasts what the journal would not.
    property var report: null
    property var form: OrdersLogic.newOrderForm("orders")
    property string marketplace: "WB"
    property string error: ""
    property bool sending: false
    readonly property bool stock: form.stock === true

    signal saved(var form)

    maxWidth: 820

    function load(value) {
        form = value || OrdersLogic.newOrderForm("orders")
        marketplace = OrdersLogic.trimmed(form.marketplace)
        skuField.text = OrdersLogic.text(form.sku)
        titleField.text = OrdersLogic.text(form.title)
        qtyField.text = OrdersLogic.text(form.qty)
        sourceTypeField.text = OrdersLogic.text(form.sourceType)
        orderNoField.text = OrdersLogic.text(form.orderNo)
        externalIdField.text = OrdersLogic.text(form.externalOrderId)
        postingField.text = OrdersLogic.text(form.postingNumber)
        barcodeField.text = OrdersLogic.text(form.barcode)
        scanUidField.text = OrdersLogic.text(form.scanUid)
        uniqueNoField.text = OrdersLogic.text(form.uniqueNo)
        statusField.text = OrdersLogic.text(form.status)
        workStatusField.text = OrdersLogic.text(form.workStatus)
        warehouseField.text = OrdersLogic.text(form.warehouse)
        commentField.text = OrdersLogic.text(form.comment)
        noteField.text = OrdersLogic.text(form.note)
        error = ""
        sending = false
    }

    function collect() {
        return {
            editing: form.editing === true,
            stock: stock,
            key: OrdersLogic.text(form.key),
            marketplace: stock ? "" : marketplace,
            sourceType: sourceTypeField.text,
            sku: skuField.text,
            title: titleField.text,
            orderNo: stock ? "" : orderNoField.text,
            externalOrderId: externalIdField.text,
            postingNumber: postingField.text,
            barcode: barcodeField.text,
            scanUid: scanUidField.text,
            status: statusField.text,
            workStatus: workStatusField.text,
            warehouse: warehouseField.text,
            uniqueNo: uniqueNoField.text,
            comment: commentField.text,
            note: noteField.text,
            qty: qtyField.text
        }
    }

    function save() {
        if (sending)
            return
        var value = collect()
        error = OrdersLogic.orderFormError(value)
        if (error.length > 0)
            return
        dialog.saved(value)
        sending = true
        var payload = OrdersLogic.orderPayload(value)
        var sent = report ? report("Заказы", function () {
            ordersApi.upsertOrder(payload)
            return ordersApi.busy
        }) : false
        // Nothing went out (no exchange address): the journal line says why.
        if (!sent)
            sending = false
    }

    Connections {
        target: ordersApi
        function onScanHandled(raw, ok, message) {
            if (!dialog.sending || raw !== "")
                return
            dialog.sending = false
            if (ok)
                dialog.close()
            else
                dialog.error = message
        }
    }

    ColumnLayout {
        width: parent.width
        spacing: 12

        Text {
            Layout.fillWidth: true
            text: OrdersLogic.orderDialogTitle(dialog.form)
            font.pixelSize: 22
            font.bold: true
            color: "#F6FAFF"
        }
        Text {
            Layout.fillWidth: true
            text: OrdersLogic.orderDialogSubtitle(dialog.form)
            font.pixelSize: 13
            color: "#9AB0D1"
            wrapMode: Text.Wrap
        }

        Row {
            visible: !dialog.stock
            spacing: 6
            Text {
                anchors.verticalCenter: parent.verticalCenter
                width: 104
                text: "Маркетплейс"
                font.pixelSize: 12
                color: "#8FA3C4"
            }
            Repeater {
                // Three fixed choices.
                model: OrdersLogic.marketplaces
                delegate: InlineTabButton {
                    required property string modelData
                    objectName: "orderMarket" + modelData
                    compact: true
                    text: modelData
                    active: dialog.marketplace.toUpperCase() === modelData
                    onClicked: dialog.marketplace = modelData
                }
            }
        }

        GridLayout {
            Layout.fillWidth: true
            columns: 3
            columnSpacing: 12
            rowSpacing: 8

            OrdersField { id: skuField; objectName: "orderSku"; label: "Артикул"; mono: true }
            OrdersField { id: titleField; objectName: "orderTitle"; label: "Название" }
            OrdersField {
                id: qtyField
                objectName: "orderQty"
                label: "Количество"
                input.inputMethodHints: Qt.ImhDigitsOnly
            }
            OrdersField { id: warehouseField; objectName: "orderWarehouse"; label: "Склад" }
            OrdersField { id: statusField; objectName: "orderStatus"; label: "Статус" }
            OrdersField { id: workStatusField; label: "Рабочий статус" }
            OrdersField { id: orderNoField; visible: !dialog.stock; label: "Номер заказа"; mono: true }
            OrdersField { id: externalIdField; label: "Внешний ID"; mono: true }
            OrdersField { id: postingField; label: "Номер отправления"; mono: true }
            OrdersField { id: barcodeField; label: "Баркод"; mono: true }
            OrdersField { id: scanUidField; visible: !dialog.stock; label: "UID скана"; mono: true }
            OrdersField { id: uniqueNoField; visible: !dialog.stock; label: "Уникальный номер"; mono: true }
            OrdersField { id: sourceTypeField; visible: !dialog.stock; label: "Тип"; placeholderText: "wallpaper" }
            OrdersField { id: commentField; label: "Комментарий" }
            OrdersField { id: noteField; label: "Примечание" }
        }

        Text {
            objectName: "orderEditorError"
            Layout.fillWidth: true
            visible: dialog.error.length > 0
            text: dialog.error
            font.pixelSize: 13
            color: "#FF9CB1"
            wrapMode: Text.Wrap
        }

        RowLayout {
            Layout.alignment: Qt.AlignRight
            spacing: 10
            GlassActionButton { text: "Отмена"; onClicked: dialog.close() }
            GlassActionButton {
                objectName: "orderEditorSave"
                primary: true
                iconName: "save"
                text: dialog.sending ? "Сохраняем…" : "Сохранить"
                enabled: !dialog.sending
                onClicked: dialog.save()
            }
        }
    }
}
