import QtQuick
import QtQuick.Controls

// One navigation row of the sidebar.
Button {
    id: control

    property bool active: false
    property bool locked: false
    property string subtitle: ""
    property string iconName: ""

    readonly property color iconColor: active ? "#7ECFFF" : locked ? "#64748B" : "#9EB0CC"
    readonly property color labelColor: active ? "#F7FAFF" : locked ? "#64748B" : "#D8E2F2"

    implicitHeight: 44
    implicitWidth: 200
    hoverEnabled: true
    padding: 0
    font.pixelSize: 13
    font.bold: active

    background: Rectangle {
        radius: 12
        color: control.active ? "#142237" : control.hovered ? "#111C2E" : "transparent"
        Rectangle {
            visible: control.active
            x: 0
            width: 3
            height: parent.height - 18
            anchors.verticalCenter: parent.verticalCenter
            radius: 1.5
            color: "#7ECFFF"
        }
    }

    contentItem: Item {
        IconMark {
            id: glyph
            x: 12
            anchors.verticalCenter: parent.verticalCenter
            width: 17
            height: 17
            name: control.iconName
            color: control.iconColor
        }
        Column {
            anchors.left: glyph.right
            anchors.leftMargin: 10
            anchors.right: parent.right
            anchors.rightMargin: 10
            anchors.verticalCenter: parent.verticalCenter
            spacing: 1
            Text {
                width: parent.width
                text: control.text
                font: control.font
                color: control.labelColor
                elide: Text.ElideRight
            }
            Text {
                visible: control.subtitle.length > 0
                width: parent.width
                text: control.subtitle
                font.pixelSize: 11
                color: "#64748B"
                elide: Text.ElideRight
            }
        }
    }
}
