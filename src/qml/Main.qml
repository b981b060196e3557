import QtQuick
import QtQuick.Controls
import QtQuick.Layouts

ApplicationWindow {
    id: window
    width: 1100
    height: 720
    visible: true
    title: appSettings.displayAppName

    header: ToolBar {
        Label {
            anchors.verticalCenter: parent.verticalCenter
            leftPadding: 12
            text: window.title + " " + appSettings.appVersion
            font.pixelSize: 18
            font.bold: true
        }
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 12
        spacing: 8

        Label {
            text: "Журнал событий"
            font.pixelSize: 16
        }

        ListView {
            id: journal
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: eventLogModel
            delegate: ItemDelegate {
                required property string level
                required property string message
                required property string timestamp
                width: ListView.view.width
                contentItem: RowLayout {
                    spacing: 10
                    Label {
                        text: timestamp
                        color: "#6b7280"
                    }
                    Label {
                        Layout.fillWidth: true
                        text: message
                        wrapMode: Text.WordWrap
                        color: level === "error" ? "#b91c1c"
                             : level === "warn" ? "#b45309"
                             : level === "success" ? "#15803d" : "#111827"
                    }
                }
            }
            ScrollBar.vertical: ScrollBar {}
        }
    }
}
