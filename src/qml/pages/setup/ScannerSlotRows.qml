import QtQuick
import QtQuick.Layouts
import "../../components"
import "SetupRules.js" as Rules

// The scanner slots (port and speed saved on choice), "Добавить сканер" and the RFID row.
ColumnLayout {
    id: slots
    property bool showRfid: true
    property int labelWidth: 150
    readonly property int slotCount: Rules.configuredScannerCount(appSettings)
    readonly property var baudRates: ["9600", "115200"]
    spacing: 10

    function serviceFor(number) {
        switch (number) {
        case 2: return scannerService2
        case 3: return scannerService3
        case 4: return scannerService4
        case 5: return scannerService5
        case 6: return scannerService6
        default: return scannerService
        }
    }

    Repeater {
        model: slots.slotCount
        delegate: RowLayout {
            id: slotRow
            required property int index
            readonly property int number: index + 1
            readonly property var service: slots.serviceFor(number)
            readonly property string savedPort: {
                appSettings.scannerPorts // re-read on every slot change
                return appSettings.scannerPort(number)
            }
            readonly property var ports: Rules.portChoices(service ? service.availablePorts : [], savedPort)
            Layout.fillWidth: true
            spacing: 10

            Text {
                Layout.preferredWidth: slots.labelWidth
                text: "COM сканер " + slotRow.number
                color: "#C9D7EC"
                font.pixelSize: 13
            }
            GlassComboBox {
                Layout.fillWidth: true
                model: Rules.portModel(slotRow.ports)
                enabled: slotRow.ports.length > 0
                currentIndex: Rules.portIndex(slotRow.ports, slotRow.savedPort)
                onActivated: function(chosen) { appSettings.setScannerPort(slotRow.number, Rules.portAt(slotRow.ports, chosen)) }
            }
            GlassComboBox {
                Layout.preferredWidth: 120
                model: slots.baudRates
                currentIndex: {
                    appSettings.scannerPorts
                    return Rules.baudIndex(appSettings.scannerBaudRate(slotRow.number))
                }
                onActivated: function(chosen) {
                    appSettings.setScannerBaudRate(slotRow.number, Number(slots.baudRates[chosen]))
                }
            }
            GlassActionButton {
                compact: true
                iconOnly: true
                iconName: "trash"
                enabled: slotRow.number > 2 || slotRow.savedPort.length > 0
                onClicked: appSettings.removeScannerSlot(slotRow.number)
            }
        }
    }

    GlassActionButton {
        compact: true
        text: "Добавить сканер"
        iconName: "plus"
        enabled: slots.slotCount < 6
        onClicked: appSettings.addScannerSlot()
    }

    RowLayout {
        id: rfidRow
        visible: slots.showRfid
        Layout.fillWidth: true
        spacing: 10
        readonly property var ports: Rules.portChoices(rfidService.availablePorts, appSettings.rfidPort)

        Text {
            Layout.preferredWidth: slots.labelWidth
            text: "RFID"
            color: "#C9D7EC"
            font.pixelSize: 13
        }
        GlassComboBox {
            Layout.fillWidth: true
            model: Rules.portModel(rfidRow.ports)
            enabled: rfidRow.ports.length > 0
            currentIndex: Rules.portIndex(rfidRow.ports, appSettings.rfidPort)
            onActivated: function(chosen) { appSettings.rfidPort = Rules.portAt(rfidRow.ports, chosen) }
        }
        GlassComboBox {
            Layout.preferredWidth: 120
            model: slots.baudRates
            currentIndex: Rules.baudIndex(appSettings.rfidBaudRate)
            onActivated: function(chosen) { appSettings.rfidBaudRate = Number(slots.baudRates[chosen]) }
        }
        Item { Layout.preferredWidth: 36 }
    }
}
