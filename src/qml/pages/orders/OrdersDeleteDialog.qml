import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "../../components"

// Asks before a row is deleted; `confirmed` carries the key the dialog was opened for.
OrdersDialogFrame {
    id: dialog

    property string title: ""
    property string message: ""
    property string rowName: ""
    property string rowKey: ""

    signal confirmed(string key)

    maxWidth: 500
    fillColor: "#241520"
    strokeColor: "#FF9CB1"
    accentColor: "#FF7F9C"

    function ask(name, key) {
        rowName = name
        rowKey = key
        open()
    }

    ColumnLayout {
        width: parent.width
        spacing: 12

        Text {
            Layout.fillWidth: true
            text: dialog.title
            font.pixelSize: 20
            font.bold: true
            color: "#F6FAFF"
        }
        Text {
            Layout.fillWidth: true
            text: "«" + dialog.rowName + "»"
            font.pixelSize: 14
            font.bold: true
            color: "#FFE3EA"
            elide: Text.ElideMiddle
        }
        Text {
            Layout.fillWidth: true
            text: dialog.message
            font.pixelSize: 13
            color: "#FFCAD4"
            wrapMode: Text.Wrap
        }
        RowLayout {
            Layout.alignment: Qt.AlignRight
            Layout.topMargin: 6
            spacing: 10
            GlassActionButton { text: "Отмена"; onClicked: dialog.close() }
            GlassActionButton {
                objectName: dialog.objectName + "Confirm"
                tone: "danger"
                iconName: "trash"
                text: "Удалить"
                onClicked: {
                    dialog.confirmed(dialog.rowKey)
                    dialog.close()
                }
            }
        }
    }
}
