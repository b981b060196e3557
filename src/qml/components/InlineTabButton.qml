import QtQuick
import QtQuick.Controls

// A tab of an inline tab row; the active one is bold and underlined.
Button {
    id: control

    property bool active: false
    property bool compact: false
    property color accent: "#7ECFFF"
    property color textColor: active ? "#F6FAFF" : "#91A6C9"
    property color hoverColor: "#111B2C"

    TextMetrics {
        id: label
        font.pixelSize: control.font.pixelSize
        font.bold: true
        text: control.text
    }

    implicitWidth: Math.max(compact ? 72 : 96, Math.ceil(label.advanceWidth) + (compact ? 26 : 34))
    implicitHeight: compact ? 34 : 38
    padding: 0
    hoverEnabled: true
    opacity: enabled ? 1 : 0.55
    font.pixelSize: compact ? 13 : 14
    font.bold: active

    background: Item {
        Rectangle {
            anchors.fill: parent
            radius: 8
            visible: !control.active && control.hovered
            color: control.hoverColor
            opacity: 0.9
        }
        Rectangle {
            visible: control.active
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.leftMargin: 9
            anchors.rightMargin: 9
            height: 2
            radius: 1
            color: control.accent
        }
    }

    contentItem: Text {
        text: control.text
        font: control.font
        color: control.textColor
        elide: Text.ElideRight
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
}
