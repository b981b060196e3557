import QtQuick
import QtQuick.Controls

CheckBox {
    id: control

    spacing: 10
    padding: 0
    font.pixelSize: 14

    indicator: Rectangle {
        x: control.leftPadding
        anchors.verticalCenter: parent.verticalCenter
        width: 22
        height: 22
        radius: 4
        color: control.checked ? "#F4F8FF" : "#0E1726"
        border.width: control.checked ? 0 : 1
        border.color: "#6E86AE"
        Text {
            anchors.centerIn: parent
            visible: control.checked
            text: "✓"
            font.pixelSize: 15
            font.bold: true
            color: "#0B1422"
        }
    }

    contentItem: Text {
        leftPadding: control.indicator.width + control.spacing
        text: control.text
        font: control.font
        color: control.enabled ? "#F4F8FF" : "#6F819D"
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
}
