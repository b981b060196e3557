import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "../components"
import "../ShellLogic.js" as Logic
import "../PageLogic.js" as PageLogic

// Supplies: the local scan buffer of a WB or OZON supply, and the sticker PDFs.
Item {
    id: page

    property var shell: null
    readonly property string tab: shell ? shell.suppliesTab : "supply"
    readonly property string market: shell ? shell.suppliesMarket : "wb"

    // The journal lines an operation writes while it runs; a refusal the shell does not
    // toast by itself is shown here with the backend's own words.
    property var captured: []
    function runReporting(title, operation) {
        captured = []
        capture.enabled = true
        var result = operation()
        capture.enabled = false
        for (var i = 0; i < captured.length; ++i) {
            var e = captured[i]
            if ((e.level === "warn" || e.level === "error") && !Logic.eventToast(e.level, e.message, "") && shell)
                shell.pushToast(e.level === "error" ? "error" : "warning", title, e.message, 6500)
        }
        return result
    }
    Connections {
        id: capture
        enabled: false
        target: eventLogModel
        function onEntryAdded(level, message, timestamp) {
            page.captured.push({ level: String(level), message: String(message) })
        }
    }

    function addBarcode() {
        var before = suppliesModel.totalCount
        runReporting("Поставки", function () {
            suppliesModel.addMarketplaceBarcode(barcodeField.text, page.market, qtySpin.value)
        })
        if (suppliesModel.totalCount !== before) {
            barcodeField.text = ""
            qtySpin.value = 1
        }
        barcodeField.forceActiveFocus()
    }

    function createLabel(printAfter) {
        var path = runReporting("Наклейки", function () {
            return supplyLabels.createLabelPdf(labelBarcode.text, labelSku.text, labelArticle.text, printAfter)
        })
        if (PageLogic.trimmed(path).length > 0) {
            labelBarcode.text = ""
            labelSku.text = ""
            labelArticle.text = ""
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 14

        RowLayout {
            Layout.fillWidth: true
            spacing: 4
            InlineTabButton {
                text: "Поставка"
                active: page.tab === "supply"
                onClicked: if (page.shell) page.shell.suppliesTab = "supply"
            }
            InlineTabButton {
                objectName: "suppliesLabelsTab"
                text: "Наклейки"
                active: page.tab === "labels"
                onClicked: if (page.shell) page.shell.suppliesTab = "labels"
            }
            Item { Layout.fillWidth: true }
        }

        // --- Поставка ---
        ColumnLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            visible: page.tab !== "labels"
            spacing: 14

            GlassPanel {
                Layout.fillWidth: true
                contentMargin: 14
                RowLayout {
                    width: parent.width
                    spacing: 10
                    InlineTabButton {
                        compact: true
                        text: "WB"
                        accent: "#CDB7FF"
                        active: page.market !== "ozon"
                        onClicked: if (page.shell) page.shell.suppliesMarket = "wb"
                    }
                    InlineTabButton {
                        compact: true
                        text: "OZON"
                        accent: "#7FD6FF"
                        active: page.market === "ozon"
                        onClicked: if (page.shell) page.shell.suppliesMarket = "ozon"
                    }
                    GlassTextField {
                        id: barcodeField
                        objectName: "supplyBarcodeField"
                        Layout.fillWidth: true
                        font.family: "Consolas"
                        placeholderText: "Баркод (скан или вручную)"
                        onAccepted: page.addBarcode()
                    }
                    GlassSpinBox {
                        id: qtySpin
                        from: 1
                        to: 9999
                        value: 1
                    }
                    GlassActionButton {
                        primary: true
                        iconName: "plus"
                        text: "Добавить"
                        onClicked: page.addBarcode()
                    }
                }
            }

            RowLayout {
                Layout.fillWidth: true
                spacing: 10
                StatusPill { label: "Позиций"; value: String(suppliesModel.uniqueCount); iconName: "box"; accent: "#7ECFFF" }
                StatusPill { label: "Всего, шт."; value: String(suppliesModel.totalCount); iconName: "supplies"; accent: "#8EE3BF" }
                Item { Layout.fillWidth: true }
                GlassActionButton {
                    iconName: "download"
                    text: "Экспорт CSV"
                    enabled: suppliesModel.uniqueCount > 0
                    onClicked: page.runReporting("Поставки", function () { return suppliesModel.exportDefaultCsv() })
                }
                GlassActionButton {
                    tone: "danger"
                    iconName: "trash"
                    text: "Очистить буфер"
                    enabled: suppliesModel.uniqueCount > 0
                    onClicked: clearDialog.open()
                }
            }

            GlassPanel {
                Layout.fillWidth: true
                Layout.fillHeight: true
                contentMargin: 8

                ListView {
                    id: supplyList
                    objectName: "supplyList"
                    anchors.fill: parent
                    clip: true
                    spacing: 4
                    model: suppliesModel
                    boundsBehavior: Flickable.StopAtBounds
                    ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
                    delegate: Rectangle {
                        id: supplyRow
                        required property int index
                        required property string barcode
                        required property int qty
                        required property string marketplace
                        required property string marketplaceTitle
                        width: ListView.view.width - 10
                        height: 46
                        radius: 8
                        color: index % 2 === 0 ? "#0D1522" : "#101A2A"
                        RowLayout {
                            anchors.fill: parent
                            anchors.leftMargin: 12
                            anchors.rightMargin: 8
                            spacing: 10
                            Rectangle {
                                implicitWidth: 58
                                implicitHeight: 24
                                radius: 6
                                color: "transparent"
                                border.color: supplyRow.marketplace === "ozon" ? "#7FD6FF" : "#CDB7FF"
                                Text {
                                    anchors.centerIn: parent
                                    text: supplyRow.marketplaceTitle
                                    font.pixelSize: 11
                                    font.bold: true
                                    color: parent.border.color
                                }
                            }
                            Text {
                                Layout.fillWidth: true
                                text: supplyRow.barcode
                                font.family: "Consolas"
                                font.pixelSize: 14
                                color: "#E8EEF8"
                                elide: Text.ElideRight
                            }
                            GlassActionButton {
                                compact: true
                                text: "-1"
                                enabled: supplyRow.qty > 1
                                onClicked: suppliesModel.changeQty(supplyRow.index, -1)
                            }
                            Text {
                                Layout.preferredWidth: 56
                                horizontalAlignment: Text.AlignHCenter
                                text: supplyRow.qty + " шт."
                                font.pixelSize: 14
                                font.bold: true
                                color: "#F6FAFF"
                            }
                            GlassActionButton {
                                compact: true
                                text: "+1"
                                onClicked: suppliesModel.changeQty(supplyRow.index, 1)
                            }
                            GlassActionButton {
                                compact: true
                                iconOnly: true
                                iconName: "trash"
                                onClicked: suppliesModel.removeRow(supplyRow.index)
                            }
                        }
                    }
                }

                EmptyState {
                    anchors.centerIn: parent
                    width: parent.width - 40
                    visible: supplyList.count === 0
                    iconName: "supplies"
                    title: "Буфер поставки пуст"
                    hint: "Выбери WB или OZON и сканируй баркоды поставки - они будут добавляться сюда локально."
                }
            }
        }

        // --- Наклейки ---
        RowLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            visible: page.tab === "labels"
            spacing: 16

            GlassPanel {
                Layout.fillWidth: true
                Layout.fillHeight: true
                contentMargin: 16

                ColumnLayout {
                    anchors.fill: parent
                    spacing: 10
                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 8
                        Text {
                            text: "Готовая PDF"
                            font.pixelSize: 16
                            font.bold: true
                            color: "#F6FAFF"
                        }
                        InlineTabButton {
                            objectName: "labelsWbTab"
                            compact: true
                            text: "WB"
                            accent: "#CDB7FF"
                            active: supplyLabels.selectedMarketplace !== "ozon"
                            onClicked: supplyLabels.setSelectedMarketplace("wb")
                        }
                        InlineTabButton {
                            objectName: "labelsOzonTab"
                            compact: true
                            text: "OZON"
                            accent: "#7FD6FF"
                            active: supplyLabels.selectedMarketplace === "ozon"
                            onClicked: supplyLabels.setSelectedMarketplace("ozon")
                        }
                        Item { Layout.fillWidth: true }
                        Text { text: "Копий"; font.pixelSize: 12; color: "#8FA3C4" }
                        GlassSpinBox {
                            id: copiesSpin
                            from: 1
                            to: 99
                            value: 2
                        }
                        GlassActionButton {
                            compact: true
                            iconOnly: true
                            iconName: "folder"
                            onClicked: page.runReporting("Наклейки", function () { return supplyLabels.openFolder() })
                        }
                        GlassActionButton {
                            compact: true
                            iconOnly: true
                            iconName: "refresh"
                            onClicked: supplyLabels.reload()
                        }
                    }
                    Text {
                        Layout.fillWidth: true
                        text: supplyLabels.labelsDir + "  ·  файлов: " + supplyLabels.labelCount
                        font.family: "Consolas"
                        font.pixelSize: 11
                        color: "#71829A"
                        elide: Text.ElideMiddle
                    }
                    ListView {
                        id: labelList
                        objectName: "labelList"
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        clip: true
                        spacing: 4
                        model: supplyLabels.labelFiles
                        boundsBehavior: Flickable.StopAtBounds
                        ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
                        delegate: Rectangle {
                            id: labelRow
                            required property int index
                            required property var modelData
                            readonly property string fileName: PageLogic.text(modelData.name)
                            width: ListView.view.width - 10
                            height: 46
                            radius: 8
                            color: index % 2 === 0 ? "#0D1522" : "#101A2A"
                            RowLayout {
                                anchors.fill: parent
                                anchors.leftMargin: 12
                                anchors.rightMargin: 8
                                spacing: 10
                                IconMark { name: "open"; color: "#8FA3C4"; width: 16; height: 16 }
                                Text {
                                    Layout.fillWidth: true
                                    text: labelRow.fileName
                                    font.pixelSize: 13
                                    color: "#E8EEF8"
                                    elide: Text.ElideMiddle
                                }
                                Text {
                                    text: PageLogic.text(labelRow.modelData.modified)
                                    font.pixelSize: 11
                                    color: "#71829A"
                                }
                                GlassActionButton {
                                    compact: true
                                    iconOnly: true
                                    iconName: "open"
                                    onClicked: page.runReporting("Наклейки", function () {
                                        return supplyLabels.openFile(labelRow.fileName)
                                    })
                                }
                                GlassActionButton {
                                    compact: true
                                    iconOnly: true
                                    iconName: "printer"
                                    onClicked: page.runReporting("Наклейки", function () {
                                        return supplyLabels.printFile(labelRow.fileName, copiesSpin.value)
                                    })
                                }
                            }
                        }

                        EmptyState {
                            anchors.centerIn: parent
                            width: parent.width - 40
                            visible: labelList.count === 0
                            iconName: "printer"
                            title: "PDF-наклеек нет"
                            hint: "Созданные наклейки появятся в этой папке."
                        }
                    }
                }
            }

            GlassPanel {
                Layout.preferredWidth: 420
                Layout.alignment: Qt.AlignTop
                contentMargin: 18

                ColumnLayout {
                    width: parent.width
                    spacing: 10
                    Text {
                        text: "Новая наклейка"
                        font.pixelSize: 16
                        font.bold: true
                        color: "#F6FAFF"
                    }
                    Text {
                        text: "58 × 40 мм, Code 128 · " + (supplyLabels.selectedMarketplace === "ozon" ? "OZON" : "WB")
                        font.pixelSize: 12
                        color: "#8FA3C4"
                    }
                    GlassTextField {
                        id: labelBarcode
                        Layout.fillWidth: true
                        font.family: "Consolas"
                        placeholderText: "Баркод"
                    }
                    GlassTextField {
                        id: labelSku
                        Layout.fillWidth: true
                        placeholderText: "SKU"
                    }
                    GlassTextField {
                        id: labelArticle
                        Layout.fillWidth: true
                        placeholderText: supplyLabels.selectedMarketplace === "ozon" ? "Артикул OZON" : "Артикул WB"
                    }
                    ColumnLayout {
                        Layout.fillWidth: true
                        Layout.topMargin: 4
                        spacing: 8
                        GlassActionButton {
                            Layout.fillWidth: true
                            iconName: "save"
                            text: "Сохранить PDF"
                            onClicked: page.createLabel(false)
                        }
                        GlassActionButton {
                            Layout.fillWidth: true
                            primary: true
                            iconName: "printer"
                            text: "Сохранить и печать"
                            onClicked: page.createLabel(true)
                        }
                    }
                }
            }
        }
    }

    onVisibleChanged: {
        if (!visible)
            clearDialog.close()
    }

    // Clearing loses the whole buffer: ask first.
    Popup {
        id: clearDialog
        objectName: "clearSupplyDialog"
        parent: Overlay.overlay
        modal: true
        focus: true
        z: 86
        anchors.centerIn: parent
        width: Math.min(460, (parent ? parent.width : 460) - 72)
        padding: 0
        Overlay.modal: Rectangle { color: "#B3081019" }
        background: Item {}
        contentItem: GlassPanel {
            implicitHeight: 176
            fillColor: "#241520"
            strokeColor: "#FF9CB1"
            accentColor: "#FF7F9C"
            showAccent: true
            contentMargin: 22
            ColumnLayout {
                anchors.fill: parent
                spacing: 12
                Text {
                    text: "Очистить буфер поставки?"
                    font.pixelSize: 20
                    font.bold: true
                    color: "#F6FAFF"
                }
                Text {
                    Layout.fillWidth: true
                    text: "Позиций: " + suppliesModel.uniqueCount + ", всего " + suppliesModel.totalCount
                          + " шт. Экспортируй CSV заранее, если список ещё нужен."
                    font.pixelSize: 13
                    color: "#FFCAD4"
                    wrapMode: Text.Wrap
                }
                Item { Layout.fillHeight: true }
                RowLayout {
                    Layout.alignment: Qt.AlignRight
                    spacing: 10
                    GlassActionButton { text: "Отмена"; onClicked: clearDialog.close() }
                    GlassActionButton {
                        tone: "danger"
                        text: "Очистить"
                        onClicked: {
                            suppliesModel.clearAll()
                            clearDialog.close()
                        }
                    }
                }
            }
        }
    }
}
