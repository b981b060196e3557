import QtQuick
import QtQuick.Layouts
import "../components"
import "../ShellLogic.js" as Logic

// Title and description of the page shown; on the home page two status chips on the right.
Item {
    id: header

    property var shell: null

    readonly property string key: shell ? shell.pageKey : "home"
    readonly property bool serverBusy: typeof issuesLive !== "undefined" && issuesLive !== null && issuesLive.busy === true
    readonly property bool dataError: Logic.trimmed(identityService.lastError).length > 0

    RowLayout {
        anchors.fill: parent
        spacing: 16

        Column {
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignVCenter
            spacing: 4
            Text {
                width: parent.width
                text: Logic.pageTitle(header.key, appSettings.helpTitle)
                font.pixelSize: 30
                font.bold: true
                color: "#F6FAFF"
                elide: Text.ElideRight
            }
            Text {
                width: parent.width
                text: Logic.pageDescription(header.key)
                font.pixelSize: 13
                color: "#8FA3C4"
                elide: Text.ElideRight
                maximumLineCount: 1
            }
        }

        Row {
            visible: header.key === "home"
            Layout.alignment: Qt.AlignVCenter
            spacing: 10
            HeaderChip {
                width: 146
                iconName: header.serverBusy ? "sync" : "server"
                tint: header.serverBusy ? "#F4C16D" : "#8EE3BF"
                text: header.serverBusy ? "Сервер занят" : "Сервер онлайн"
            }
            HeaderChip {
                width: 118
                iconName: header.dataError ? "warning" : "check"
                tint: header.dataError ? "#FF8FA3" : "#8EE3BF"
                text: header.dataError ? "Данные: ошибка" : "Данные: ок"
            }
        }
    }

    component HeaderChip: Rectangle {
        id: chip
        property string iconName
        property color tint
        property string text
        height: 32
        radius: 8
        color: "#101827"
        border.width: 1
        border.color: "#233653"
        Row {
            anchors.centerIn: parent
            spacing: 7
            IconMark {
                anchors.verticalCenter: parent.verticalCenter
                width: 16
                height: 16
                name: chip.iconName
                color: chip.tint
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: chip.text
                font.pixelSize: 11
                color: "#E8EEF8"
            }
        }
    }
}
