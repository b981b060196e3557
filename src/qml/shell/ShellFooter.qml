import QtQuick
import "../components"

// Version and the bug report button.
Row {
    id: footer

    property var shell: null

    spacing: 14

    Text {
        anchors.verticalCenter: parent.verticalCenter
        text: appSettings.appVersion
        font.pixelSize: 12
        color: "#8FA3C4"
    }
    GlassActionButton {
        width: 164
        height: 40
        text: "Нашёл баг"
        iconName: "bug"
        onClicked: footer.shell.openBugPortal()
    }
}
