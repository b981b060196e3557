import QtQuick
import QtQuick.Layouts
import "../components"
import "../ShellLogic.js" as Logic

// Shown while the platform blocks this client; only the settings can lift it.
OverlayVeil {
    id: overlay

    property var shell: null

    color: "#C0081018"
    panel: card

    GlassPanel {
        id: card
        anchors.centerIn: parent
        width: Math.min(760, overlay.width - 72)
        height: Math.min(320, overlay.height - 72)
        fillColor: "#101B2C"
        strokeColor: "#FF9CB1"
        accentColor: "#FF7F9C"
        showAccent: true
        panelRadius: 8
        contentMargin: 24

        ColumnLayout {
            anchors.fill: parent
            spacing: 12
            Text {
                Layout.fillWidth: true
                text: "Клиент заблокирован"
                font.pixelSize: 26
                font.bold: true
                color: "#F6FAFF"
            }
            Text {
                Layout.fillWidth: true
                text: Logic.trimmed(appSettings.serviceBlockNotice).length > 0
                      ? appSettings.serviceBlockNotice
                      : "Работа клиента временно ограничена настройками Ворна."
                font.pixelSize: 14
                color: "#FFCAD4"
                wrapMode: Text.Wrap
                maximumLineCount: 3
                elide: Text.ElideRight
            }
            Rectangle {
                Layout.fillWidth: true
                Layout.preferredHeight: 68
                radius: 8
                color: "#241520"
                border.width: 1
                border.color: "#FF9CB1"
                Text {
                    anchors.fill: parent
                    anchors.margins: 12
                    verticalAlignment: Text.AlignVCenter
                    text: "Доступ к разделам приостановлен до снятия блокировки в Ворне. Клиент остаётся на связи, но рабочие страницы отключены."
                    font.pixelSize: 13
                    color: "#F6FAFF"
                    wrapMode: Text.Wrap
                }
            }
            Item { Layout.fillHeight: true }
            RowLayout {
                Layout.fillWidth: true
                spacing: 10
                Item { Layout.fillWidth: true }
                GlassActionButton {
                    text: "Связаться"
                    iconName: "chat"
                    Layout.preferredWidth: 160
                    onClicked: overlay.shell.openSupportContact()
                }
                GlassActionButton {
                    text: "Статус"
                    iconName: "refresh"
                    primary: true
                    onClicked: identityService.refreshClientConfig()
                }
            }
        }
    }
}
