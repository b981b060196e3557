import QtQuick
import QtQuick.Layouts
import "../components"
import "../ShellLogic.js" as Logic

// Brand, navigation rows and the device block.
ColumnLayout {
    id: sidebar

    property var shell: null

    spacing: 16

    Item {
        Layout.fillWidth: true
        Layout.preferredHeight: 78
        Text {
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            leftPadding: 6
            text: sidebar.shell ? sidebar.shell.brandName() : ""
            font.pixelSize: 25
            font.bold: true
            color: "#F5F8FF"
            elide: Text.ElideRight
        }
    }

    ListView {
        id: navigation
        Layout.fillWidth: true
        Layout.fillHeight: true
        clip: true
        spacing: 5
        boundsBehavior: Flickable.StopAtBounds
        model: appSettings.sidebarItems
        delegate: SidebarNavButton {
            required property var modelData
            width: ListView.view.width
            text: Logic.trimmed(modelData.title).length > 0 ? modelData.title : appSettings.pageTitle(modelData.key)
            iconName: Logic.navIconName(modelData.key)
            active: sidebar.shell !== null && modelData.key === sidebar.shell.pageKey
            locked: modelData.enabled === false
            onClicked: sidebar.shell.openPage(modelData.key, modelData.restriction)
        }
    }

    DeviceBlock {
        shell: sidebar.shell
        Layout.fillWidth: true
        Layout.preferredHeight: 178
    }
}
