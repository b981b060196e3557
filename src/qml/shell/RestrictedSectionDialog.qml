import QtQuick
import QtQuick.Layouts
import "../components"

// Says why a locked sidebar row does not open; the platform's lock offers a contact button.
OverlayVeil {
    id: dialog

    property var shell: null

    readonly property bool byVorn: shell !== null && shell.disabledTabSource === "vorn"
    readonly property string sectionTitle: shell ? appSettings.pageTitle(shell.disabledTabKey) : ""

    color: "#B3081019"
    panel: card
    onOutsideClicked: shell.showDisabledTabDialog = false

    GlassPanel {
        id: card
        anchors.centerIn: parent
        width: Math.min(640, dialog.width - 72)
        height: dialog.byVorn ? 330 : 280
        fillColor: dialog.byVorn ? "#241520" : "#101B2C"
        strokeColor: dialog.byVorn ? "#FF9CB1" : "#46617F"
        accentColor: dialog.byVorn ? "#FF7F9C" : "#7ECFFF"
        showAccent: true
        panelRadius: 10
        contentMargin: 22

        ColumnLayout {
            anchors.fill: parent
            spacing: 12
            RowLayout {
                spacing: 10
                IconMark {
                    Layout.preferredWidth: 24
                    Layout.preferredHeight: 24
                    name: "lock"
                    color: card.strokeColor
                }
                Text {
                    Layout.fillWidth: true
                    text: dialog.byVorn ? "Раздел ограничен Ворном" : "Раздел отключён"
                    font.pixelSize: 22
                    font.bold: true
                    color: "#F6FAFF"
                }
            }
            Text {
                Layout.fillWidth: true
                text: dialog.byVorn
                      ? "Раздел «" + dialog.sectionTitle + "» ограничен Администратором Ворна."
                      : "Раздел «" + dialog.sectionTitle + "» отключен вашим Администратором."
                font.pixelSize: 14
                color: "#DDE8F8"
                wrapMode: Text.Wrap
            }
            Rectangle {
                Layout.fillWidth: true
                Layout.preferredHeight: boxText.implicitHeight + 24
                radius: 8
                color: dialog.byVorn ? "#1A0F17" : "#132234"
                border.width: 1
                border.color: card.strokeColor
                Text {
                    id: boxText
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    anchors.margins: 12
                    text: dialog.byVorn
                          ? "Администратор Ворна ограничил вам доступ в этот раздел. Для доступа свяжитесь с Администратором."
                          : "Доступ к этой вкладке ограничен настройками кабинета. Включение выполняется Вашим Администратором."
                    font.pixelSize: 13
                    color: "#C9D7EC"
                    wrapMode: Text.Wrap
                }
            }
            Item { Layout.fillHeight: true }
            RowLayout {
                Layout.fillWidth: true
                spacing: 10
                Item { Layout.fillWidth: true }
                GlassActionButton {
                    visible: dialog.byVorn
                    text: "Связаться"
                    iconName: "chat"
                    onClicked: dialog.shell.openSupportContact()
                }
                GlassActionButton {
                    primary: true
                    text: "Понятно"
                    onClicked: dialog.shell.showDisabledTabDialog = false
                }
            }
        }
    }
}
