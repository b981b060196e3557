import QtQuick
import QtQuick.Controls

TextField {
    id: control

    implicitHeight: 38
    leftPadding: 12
    rightPadding: 12
    font.pixelSize: 13
    color: "#E8EEF8"
    placeholderTextColor: "#71829A"
    selectionColor: "#5865F2"
    selectedTextColor: "#FFFFFF"
    hoverEnabled: true
    verticalAlignment: TextInput.AlignVCenter

    background: Rectangle {
        implicitWidth: 200
        implicitHeight: 38
        radius: 9
        color: control.activeFocus ? "#121D30" : control.hovered ? "#151F31" : "#101827"
        border.width: 1
        border.color: control.activeFocus ? "#6E8EF5" : control.hovered ? "#344763" : "#243551"
    }
}
