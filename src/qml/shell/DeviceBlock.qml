import QtQuick
import QtQuick.Layouts
import "../components"
import "../ShellLogic.js" as Logic

// The sidebar's device block: pick a scanner or the RFID reader, its port and speed, connect.
GlassPanel {
    id: block

    property var shell: null

    readonly property var tabs: {
        var list = []
        var count = Logic.scannerTabCount(appSettings.scannerPorts)
        for (var i = 1; i <= count; ++i)
            list.push({ key: i === 1 ? "scanner" : "scanner" + i, label: "Сканер " + i, index: i })
        list.push({ key: "rfid", label: "RFID", index: 0 })
        return list
    }
    readonly property var tab: {
        var mode = shell ? shell.sideDeviceMode : "scanner"
        for (var i = 0; i < tabs.length; ++i) {
            if (tabs[i].key === mode)
                return tabs[i]
        }
        return tabs[0]
    }
    readonly property bool isRfid: tab.index === 0
    readonly property var device: !shell ? null : isRfid ? rfidService : shell.scannerServiceForIndex(tab.index)
    readonly property var ports: device ? device.availablePorts : []
    // scannerPorts is read so the binding follows every settings change.
    readonly property var slotRows: appSettings.scannerPorts
    readonly property string savedPort: slotRows && isRfid ? appSettings.rfidPort : appSettings.scannerPort(tab.index)
    readonly property int savedBaud: slotRows && isRfid ? appSettings.rfidBaudRate : appSettings.scannerBaudRate(tab.index)

    function savePort(port) {
        var p = Logic.trimmed(port)
        if (p.length === 0)
            return
        if (isRfid)
            appSettings.rfidPort = p
        else
            appSettings.setScannerPort(tab.index, p)
    }

    function saveBaud(rate) {
        if (isRfid)
            appSettings.rfidBaudRate = rate
        else
            appSettings.setScannerBaudRate(tab.index, rate)
    }

    // Unframed: the sidebar's full width is needed for the speed chooser and the button.
    framed: false
    fillColor: "transparent"
    contentMargin: 0

    ColumnLayout {
        anchors.fill: parent
        spacing: 6

        ListView {
            id: tabRow
            Layout.fillWidth: true
            Layout.preferredHeight: 26
            orientation: ListView.Horizontal
            spacing: 4
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: block.tabs
            delegate: Rectangle {
                required property var modelData
                readonly property bool selected: modelData.key === block.tab.key
                width: tabLabel.implicitWidth + 14
                height: 26
                radius: 7
                color: selected ? "#1C3154" : tabMouse.containsMouse ? "#142237" : "transparent"
                Text {
                    id: tabLabel
                    anchors.centerIn: parent
                    text: modelData.label
                    font.pixelSize: 12
                    font.bold: parent.selected
                    color: parent.selected ? "#FFFFFF" : "#9EB0CC"
                }
                MouseArea {
                    id: tabMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: block.shell.sideDeviceMode = modelData.key
                }
            }
        }

        Text {
            Layout.fillWidth: true
            text: block.isRfid ? "Порт RFID" : "Порт сканера " + block.tab.index
            font.pixelSize: 12
            color: "#8FA3C4"
            elide: Text.ElideRight
        }

        GlassComboBox {
            id: portBox
            Layout.fillWidth: true
            model: block.ports
            enabled: block.ports.length > 0
            displayText: block.ports.length > 0 ? currentText : "COM-порты не найдены"
            currentIndex: block.ports.length === 0 ? -1 : Math.max(0, block.ports.indexOf(block.savedPort))
            onPressedChanged: if (pressed) block.shell.refreshAllPorts()
            onActivated: (index) => block.savePort(textAt(index))
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 4
            GlassComboBox {
                Layout.preferredWidth: 98
                model: ["9600", "115200"]
                currentIndex: block.savedBaud === 115200 ? 1 : 0
                onActivated: (index) => block.saveBaud(Number(textAt(index)))
            }
            GlassActionButton {
                Layout.fillWidth: true
                primary: true
                compact: true
                // Narrower sides so "Подключить" fits beside the speed chooser in the sidebar.
                leftPadding: 12
                rightPadding: 12
                text: block.device && block.device.running ? "Отключить" : "Подключить"
                onClicked: {
                    block.savePort(portBox.currentText)
                    if (block.device)
                        block.device.toggle()
                }
            }
        }

        Text {
            Layout.fillWidth: true
            text: block.device ? block.device.statusText : ""
            font.pixelSize: 12
            color: block.device && block.device.running ? "#8EE3BF" : "#F4C16D"
            elide: Text.ElideRight
            maximumLineCount: 1
        }
    }
}
