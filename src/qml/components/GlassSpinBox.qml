import QtQuick
import QtQuick.Controls

SpinBox {
    id: control

    editable: true
    implicitWidth: 104
    implicitHeight: 38
    leftPadding: 10
    rightPadding: 34
    font.pixelSize: 13
    hoverEnabled: true

    contentItem: TextInput {
        text: control.displayText
        font: control.font
        color: "#E8EEF8"
        selectionColor: "#5865F2"
        selectedTextColor: "#FFFFFF"
        horizontalAlignment: Qt.AlignHCenter
        verticalAlignment: Qt.AlignVCenter
        readOnly: !control.editable
        validator: control.validator
        inputMethodHints: Qt.ImhFormattedNumbersOnly
        selectByMouse: true
    }

    up.indicator: Rectangle {
        x: control.width - width - 1
        y: 1
        width: 30
        height: control.height / 2 - 1
        radius: 8
        color: control.up.pressed ? "#22304A" : control.up.hovered ? "#18243A" : "transparent"
        Text {
            anchors.centerIn: parent
            text: "+"
            font.pixelSize: 14
            color: control.enabled && control.value < control.to ? "#9FB0C9" : "#5E6A7E"
        }
    }

    down.indicator: Rectangle {
        x: control.width - width - 1
        y: control.height / 2
        width: 30
        height: control.height / 2 - 1
        radius: 8
        color: control.down.pressed ? "#22304A" : control.down.hovered ? "#18243A" : "transparent"
        Text {
            anchors.centerIn: parent
            text: "-"
            font.pixelSize: 14
            color: control.enabled && control.value > control.from ? "#9FB0C9" : "#5E6A7E"
        }
    }

    background: Rectangle {
        implicitWidth: 104
        implicitHeight: 38
        radius: 9
        color: control.activeFocus ? "#121D30" : control.hovered ? "#151F31" : "#101827"
        border.width: 1
        border.color: control.activeFocus ? "#6E8EF5" : control.hovered ? "#344763" : "#243551"
    }
}
