import QtQuick
import "../components"
import "../ShellLogic.js" as Logic

// The toasts, newest on top; each one goes away after its time-out or on its close mark.
Column {
    id: stack

    property var shell: null
    property alias model: repeater.model

    spacing: 10

    Repeater {
        id: repeater
        delegate: GlassPanel {
            id: toast
            required property string toastId
            required property string kind
            required property string title
            required property string message
            required property int timeoutMs
            readonly property var style: Logic.toastStyle(kind)

            width: stack.width
            height: Math.max(76, texts.implicitHeight + 28)
            panelRadius: 9
            contentMargin: 0
            fillColor: style.fill
            strokeColor: style.stroke
            accentColor: style.accent
            showAccent: true

            Timer {
                interval: toast.timeoutMs
                running: true
                onTriggered: stack.shell.dismissToast(toast.toastId)
            }

            IconMark {
                x: 16
                y: 14
                width: 22
                height: 22
                name: toast.kind
                color: toast.style.stroke
            }

            Column {
                id: texts
                x: 50
                y: 14
                width: parent.width - 50 - 46
                spacing: 4
                Text {
                    width: parent.width
                    text: toast.title
                    font.pixelSize: 14
                    font.bold: true
                    color: "#F4F8FF"
                    wrapMode: Text.Wrap
                }
                Text {
                    width: parent.width
                    text: toast.message
                    font.pixelSize: 12
                    color: "#C8D7EC"
                    lineHeight: 1.12
                    wrapMode: Text.Wrap
                }
            }

            Item {
                anchors.top: parent.top
                anchors.right: parent.right
                anchors.topMargin: 6
                anchors.rightMargin: 6
                width: 28
                height: 28
                IconMark {
                    anchors.centerIn: parent
                    width: closeMouse.containsMouse ? 17 : 15
                    height: width
                    name: "close"
                    color: closeMouse.containsMouse ? "#FFFFFF" : toast.style.stroke
                }
                MouseArea {
                    id: closeMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: Qt.PointingHandCursor
                    onClicked: stack.shell.dismissToast(toast.toastId)
                }
            }
        }
    }
}
