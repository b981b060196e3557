import QtQuick
import QtQuick.Layouts
import "../../components"

// A captioned text field of the order and reprint dialogs.
ColumnLayout {
    id: field

    property string label: ""
    property alias text: input.text
    property alias placeholderText: input.placeholderText
    property alias input: input
    property bool mono: false

    spacing: 4
    Layout.fillWidth: true

    Text {
        text: field.label
        font.pixelSize: 12
        color: "#8FA3C4"
    }
    GlassTextField {
        id: input
        objectName: field.objectName.length > 0 ? field.objectName + "Input" : ""
        Layout.fillWidth: true
        font.family: field.mono ? "Consolas" : Qt.application.font.family
    }
}
