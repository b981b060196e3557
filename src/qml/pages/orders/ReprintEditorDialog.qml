import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "../../components"
import "../../OrdersLogic.js" as OrdersLogic

// A reprint row, made by hand; the server recounts nothing for it.
OrdersDialogFrame {
    id: dialog
    objectName: "reprintEditorDialog"

    property var report: null
    property var form: OrdersLogic.newReprintForm()
    property string marketplace: "WB"
    property string error: ""
    property bool sending: false

    signal saved(var form)

    maxWidth: 720

    function load(value) {
        form = value || OrdersLogic.newReprintForm()
        marketplace = OrdersLogic.trimmed(form.marketplace)
        skuField.text = OrdersLogic.text(form.sku)
        titleField.text = OrdersLogic.text(form.title)
        sourceField.text = OrdersLogic.text(form.sourceOrderKey)
        stripField.text = OrdersLogic.text(form.stripNo)
        printerField.text = OrdersLogic.text(form.printer)
        statusField.text = OrdersLogic.text(form.status)
        reasonField.text = OrdersLogic.text(form.reason)
        error = ""
        sending = false
    }

    function collect() {
        return {
            editing: form.editing === true,
            key: OrdersLogic.text(form.key),
            marketplace: marketplace,
            sku: skuField.text,
            title: titleField.text,
            sourceOrderKey: sourceField.text,
            stripNo: stripField.text,
            printer: printerField.text,
            status: statusField.text,
            reason: reasonField.text
        }
    }

    function save() {
        if (sending)
            return
        var value = collect()
        error = OrdersLogic.reprintFormError(value)
        if (error.length > 0)
            return
        dialog.saved(value)
        sending = true
        var payload = OrdersLogic.reprintPayload(value)
        var sent = report ? report("Перепечать", function () {
            ordersApi.upsertReprint(payload)
            return ordersApi.busy
        }) : false
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
            text: dialog.form.editing === true ? "Перепечать" : "Новая перепечать"
            font.pixelSize: 22
            font.bold: true
            color: "#F6FAFF"
        }
        Text {
            Layout.fillWidth: true
            text: "Ручная строка для повторной печати. Никаких автопересчётов здесь нет."
            font.pixelSize: 13
            color: "#9AB0D1"
            wrapMode: Text.Wrap
        }

        Row {
            spacing: 6
            Text {
                anchors.verticalCenter: parent.verticalCenter
                width: 104
                text: "Маркетплейс"
                font.pixelSize: 12
                color: "#8FA3C4"
            }
            Repeater {
                model: OrdersLogic.marketplaces
                delegate: InlineTabButton {
                    required property string modelData
                    objectName: "reprintMarket" + modelData
                    compact: true
                    text: modelData
                    active: dialog.marketplace.toUpperCase() === modelData
                    onClicked: dialog.marketplace = modelData
                }
            }
        }

        GridLayout {
            Layout.fillWidth: true
            columns: 2
            columnSpacing: 12
            rowSpacing: 8

            OrdersField { id: skuField; objectName: "reprintSku"; label: "Артикул"; mono: true }
            OrdersField { id: titleField; label: "Название" }
            OrdersField { id: sourceField; objectName: "reprintSource"; label: "Исходный заказ"; mono: true }
            OrdersField {
                id: stripField
                objectName: "reprintStrip"
                label: "Полоса"
                input.inputMethodHints: Qt.ImhDigitsOnly
            }
            OrdersField { id: printerField; label: "Принтер" }
            OrdersField { id: statusField; label: "Статус" }
        }
        OrdersField { id: reasonField; objectName: "reprintReason"; label: "Причина" }

        Text {
            objectName: "reprintEditorError"
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
                objectName: "reprintEditorSave"
                primary: true
                iconName: dialog.form.editing === true ? "save" : "plus"
                text: dialog.sending ? "Сохраняем…" : (dialog.form.editing === true ? "Сохранить" : "Создать")
                enabled: !dialog.sending
                onClicked: dialog.save()
            }
        }
    }
}
