import QtQuick

// The owner decides the state: a click only announces the wanted one through toggled().
Item {
    id: control

    property bool checked: false
    property string text: ""
    signal toggled(bool checked)

    implicitWidth: track.width + (label.text.length > 0 ? 10 + label.implicitWidth : 0)
    implicitHeight: 24
    opacity: enabled ? 1 : 0.55

    Rectangle {
        id: track
        width: 46
        height: 24
        radius: 12
        anchors.verticalCenter: parent.verticalCenter
        color: control.checked ? "#5865F2" : "#101827"
        border.width: 1
        border.color: control.checked ? "#8EA0FF" : "#30415E"

        Rectangle {
            width: 18
            height: 18
            radius: 9
            y: 3
            x: control.checked ? track.width - width - 3 : 3
            color: "#F6FAFF"
            Behavior on x {
                NumberAnimation { duration: 120; easing.type: Easing.OutCubic }
            }
        }
    }

    Text {
        id: label
        anchors.left: track.right
        anchors.leftMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        text: control.text
        font.pixelSize: 14
        color: control.enabled ? "#F4F8FF" : "#6F819D"
    }

    MouseArea {
        anchors.fill: parent
        cursorShape: Qt.PointingHandCursor
        onClicked: control.toggled(!control.checked)
    }
}
