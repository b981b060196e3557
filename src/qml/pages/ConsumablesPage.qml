import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "../components"
import "../ConsumablesLogic.js" as CLogic
import "../OrdersLogic.js" as OLogic

// Consumables: one tab per configured consumable tab, a receive form by the tab's
// measure and the stock the server reports. Write-offs come from scans (QR).
Item {
    id: page

    property var shell: null
    readonly property string tabId: shell ? shell.consumablesTab : ""
    readonly property int revision: shell ? shell.consumablesRevision : 0
    readonly property var tabs: appSettings.consumableTabs
    readonly property string tabTitle: CLogic.trimmed(appSettings.consumableTabTitle(tabId)) || tabId
    readonly property string mode: appSettings.consumableTabMode(tabId)
    readonly property string measure: CLogic.measureOf(appSettings.consumableTabMeasure(tabId), mode)
    readonly property var nameOptions: {
        page.revision
        return CLogic.nameOptions(measure, appSettings.consumableTabOptions(tabId),
                                  mode === "materials" ? consumablesService.materialTypeOptions : [])
    }
    readonly property var items: {
        page.revision
        return tabId.length > 0 ? consumablesService.itemsForTab(tabId) : []
    }
    readonly property string summary: {
        page.revision
        return tabId.length > 0 ? consumablesService.summaryForTab(tabId) : ""
    }

    // A new tab starts with a fresh form.
    onTabIdChanged: resetForm()
    onMeasureChanged: resetForm()
    function resetForm() {
        amountField.text = CLogic.defaultAmount(measure)
        nameField.text = ""
        nameChooser.currentIndex = nameOptions.length > 0 ? 0 : -1
    }

    function currentName() {
        return nameOptions.length > 0 ? nameChooser.currentText : nameField.text
    }

    function receive() {
        var request = CLogic.receiveRequest(measure, currentName(), amountField.text)
        if (!request.ok) {
            capture.refuse(tabTitle, request.error)
            return
        }
        capture.run(tabTitle, function () {
            consumablesService.receiveForTab(page.tabId, request.name, request.amount)
        })
        amountField.text = CLogic.defaultAmount(measure)
    }

    function rollLabel(item, printAfter) {
        var path = capture.run("QR материала", function () {
            return localTools.generateMaterialQrPdf(page.tabId, CLogic.rollId(item),
                                                    CLogic.rollLabelType(item, page.tabTitle),
                                                    Number(item.length_m) || 0, CLogic.rollQrPayload(item), printAfter)
        })
        if (!printAfter && CLogic.trimmed(path).length > 0)
            localTools.openPath(path)
    }

    JournalCapture { id: capture; shell: page.shell }

    ColumnLayout {
        anchors.fill: parent
        spacing: 14

        RowLayout {
            Layout.fillWidth: true
            spacing: 10
            ListView {
                id: tabStrip
                objectName: "consumableTabs"
                Layout.fillWidth: true
                Layout.preferredHeight: 40
                orientation: ListView.Horizontal
                spacing: 4
                clip: true
                model: page.tabs
                boundsBehavior: Flickable.StopAtBounds
                delegate: InlineTabButton {
                    required property var modelData
                    readonly property string key: CLogic.trimmed(modelData.id)
                    text: CLogic.trimmed(modelData.title) || key
                    active: key === page.tabId
                    onClicked: if (page.shell) page.shell.consumablesTab = key
                }
            }
            GlassActionButton {
                objectName: "consumablesRefresh"
                iconName: "refresh"
                text: "Обновить"
                enabled: !snapshotSync.busy
                onClicked: snapshotSync.refresh()
            }
        }

        GlassPanel {
            Layout.fillWidth: true
            contentMargin: 14
            visible: page.tabId.length > 0
            RowLayout {
                width: parent.width
                spacing: 10
                Text {
                    text: "Приход"
                    font.pixelSize: 15
                    font.bold: true
                    color: "#F6FAFF"
                }
                GlassComboBox {
                    id: nameChooser
                    objectName: "consumableNameChooser"
                    Layout.preferredWidth: 240
                    visible: page.nameOptions.length > 0
                    model: page.nameOptions
                }
                GlassTextField {
                    id: nameField
                    objectName: "consumableNameField"
                    Layout.preferredWidth: 240
                    visible: page.nameOptions.length === 0
                    placeholderText: page.measure === "length" ? "Тип материала" : "Позиция"
                    onAccepted: amountField.forceActiveFocus()
                }
                Text {
                    text: CLogic.amountLabel(page.measure)
                    font.pixelSize: 12
                    color: "#8FA3C4"
                }
                GlassTextField {
                    id: amountField
                    objectName: "consumableAmountField"
                    Layout.preferredWidth: 110
                    text: CLogic.defaultAmount(page.measure)
                    inputMethodHints: Qt.ImhFormattedNumbersOnly
                    onAccepted: page.receive()
                }
                GlassActionButton {
                    objectName: "consumableReceiveButton"
                    primary: true
                    iconName: "plus"
                    text: "Приход"
                    enabled: !consumablesService.busy
                    onClicked: page.receive()
                }
                Item { Layout.fillWidth: true }
            }
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 10
            Text {
                text: "Остатки"
                font.pixelSize: 16
                font.bold: true
                color: "#F6FAFF"
            }
            StatusPill {
                label: "Позиций"
                value: String(stockList.count)
                iconName: "box"
                accent: "#7ECFFF"
            }
            StatusPill {
                label: "В буфере"
                value: String(consumablesService.pendingCount)
                iconName: "upload"
                accent: consumablesService.pendingCount > 0 ? "#F4C16D" : "#8EE3BF"
            }
            Text {
                Layout.fillWidth: true
                text: page.summary
                font.pixelSize: 12
                color: "#8FA3C4"
                elide: Text.ElideRight
            }
        }

        GlassPanel {
            Layout.fillWidth: true
            Layout.fillHeight: true
            contentMargin: 8

            ListView {
                id: stockList
                objectName: "consumableStockList"
                anchors.fill: parent
                clip: true
                spacing: 4
                model: page.items
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
                delegate: Rectangle {
                    id: stockRow
                    required property int index
                    required property var modelData
                    readonly property bool isRoll: CLogic.rollId(modelData).length > 0
                    width: ListView.view.width - 10
                    height: 48
                    radius: 8
                    color: index % 2 === 0 ? "#0D1522" : "#101A2A"
                    RowLayout {
                        anchors.fill: parent
                        anchors.leftMargin: 12
                        anchors.rightMargin: 8
                        spacing: 10
                        ColumnLayout {
                            Layout.fillWidth: true
                            spacing: 2
                            Text {
                                Layout.fillWidth: true
                                text: CLogic.itemName(stockRow.modelData)
                                font.pixelSize: 14
                                color: "#E8EEF8"
                                elide: Text.ElideRight
                            }
                            Text {
                                Layout.fillWidth: true
                                visible: stockRow.isRoll
                                text: "Рулон " + CLogic.rollId(stockRow.modelData)
                                      + (CLogic.trimmed(stockRow.modelData.created_at).length > 0
                                         ? "  ·  " + OLogic.formatOrderDate(stockRow.modelData.created_at) : "")
                                font.family: "Consolas"
                                font.pixelSize: 11
                                color: "#71829A"
                                elide: Text.ElideRight
                            }
                        }
                        Text {
                            Layout.preferredWidth: 110
                            horizontalAlignment: Text.AlignRight
                            text: CLogic.itemAmountText(stockRow.modelData)
                            font.pixelSize: 14
                            font.bold: true
                            color: "#F6FAFF"
                        }
                        GlassActionButton {
                            compact: true
                            visible: stockRow.isRoll
                            iconName: "eye"
                            text: "QR"
                            onClicked: page.rollLabel(stockRow.modelData, false)
                        }
                        GlassActionButton {
                            compact: true
                            visible: stockRow.isRoll
                            iconName: "printer"
                            text: "Печать"
                            onClicked: page.rollLabel(stockRow.modelData, true)
                        }
                    }
                }
            }

            EmptyState {
                objectName: "consumablesEmptyState"
                anchors.centerIn: parent
                width: parent.width - 40
                visible: stockList.count === 0
                iconName: "consumables"
                title: "Остатки пока пусты"
                hint: "После первой синхронизации или прихода позиции появятся здесь."
            }
        }

        Text {
            Layout.fillWidth: true
            visible: CLogic.trimmed(consumablesService.lastStatus).length > 0
            text: consumablesService.lastStatus
            font.pixelSize: 12
            color: "#8FA3C4"
            elide: Text.ElideRight
        }
    }
}
