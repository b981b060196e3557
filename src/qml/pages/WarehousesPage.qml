import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "../components"
import "../PageLogic.js" as PageLogic

// Warehouses: the ready label files of WB, OZON and Yandex Market that may be printed
// by hand (pictures and posters); everything else prints from a scan the server confirms.
Item {
    id: page

    property var shell: null
    readonly property string tab: shell ? shell.warehouseTab : "wb"
    readonly property var currentModel: tab === "ozon" ? warehouseOzonModel
                                      : tab === "ym" ? warehouseYmModel : warehouseWbModel

    function setTab(key) {
        if (shell)
            shell.warehouseTab = key
    }

    function modeText(selfbuy, mode) {
        if (selfbuy)
            return "самовыкуп"
        return PageLogic.trimmed(mode) || "расход"
    }

    function printBarcode(barcode) {
        if (!shell)
            return
        capture.run("Склады", function () {
            return shell.requestWarehouseServerPrint(shell.currentWarehouseModel(), barcode, "scanner")
        })
    }

    function reload() {
        if (!shell)
            return
        var model = shell.currentWarehouseModel()
        if (model)
            capture.run("Склады", function () { model.reload() })
    }

    JournalCapture { id: capture; shell: page.shell }

    Binding { target: warehouseManualFiles; property: "sourceModel"; value: page.currentModel }
    Binding { target: warehouseManualFiles; property: "search"; value: page.shell ? page.shell.warehouseSearch : "" }

    ColumnLayout {
        anchors.fill: parent
        spacing: 14

        RowLayout {
            Layout.fillWidth: true
            spacing: 4
            InlineTabButton {
                objectName: "warehouseWbTab"
                text: "WB"
                accent: "#CDB7FF"
                active: page.tab !== "ozon" && page.tab !== "ym"
                onClicked: page.setTab("wb")
            }
            InlineTabButton {
                objectName: "warehouseOzonTab"
                text: "OZON"
                accent: "#7FD6FF"
                active: page.tab === "ozon"
                onClicked: page.setTab("ozon")
            }
            InlineTabButton {
                objectName: "warehouseYmTab"
                text: "ЯМ"
                accent: "#F4C16D"
                active: page.tab === "ym"
                onClicked: page.setTab("ym")
            }
            Item { Layout.fillWidth: true }
            StatusPill {
                label: "Файлов"
                value: String(page.currentModel.entryCount)
                iconName: "warehouse"
                accent: "#7ECFFF"
            }
            StatusPill {
                label: "Вручную"
                value: String(page.currentModel.manualEntryCount)
                iconName: "printer"
                accent: "#8EE3BF"
            }
        }

        GlassPanel {
            Layout.fillWidth: true
            contentMargin: 14
            RowLayout {
                width: parent.width
                spacing: 10
                GlassTextField {
                    id: searchField
                    objectName: "warehouseSearchField"
                    Layout.fillWidth: true
                    font.family: "Consolas"
                    placeholderText: "Поиск по штрихкоду, артикулу или имени файла"
                    text: page.shell ? page.shell.warehouseSearch : ""
                    onTextEdited: if (page.shell) page.shell.warehouseSearch = text
                }
                GlassActionButton {
                    compact: true
                    iconOnly: true
                    iconName: "close"
                    text: "Очистить поиск"
                    enabled: searchField.text.length > 0
                    onClicked: if (page.shell) page.shell.warehouseSearch = ""
                }
                GlassActionButton {
                    objectName: "warehouseReloadButton"
                    iconName: "refresh"
                    text: "Обновить"
                    enabled: !page.currentModel.busy
                    onClicked: page.reload()
                }
            }
        }

        Text {
            Layout.fillWidth: true
            text: page.currentModel.busy ? page.currentModel.busyLabel : page.currentModel.marketHint()
            font.pixelSize: 12
            color: page.currentModel.busy ? "#F4C16D" : "#8FA3C4"
            wrapMode: Text.Wrap
        }

        GlassPanel {
            Layout.fillWidth: true
            Layout.fillHeight: true
            contentMargin: 8

            ListView {
                id: fileList
                objectName: "warehouseFileList"
                anchors.fill: parent
                clip: true
                spacing: 4
                model: warehouseManualFiles
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }
                delegate: Rectangle {
                    id: fileRow
                    required property int index
                    required property string fileName
                    required property string article
                    required property string barcode
                    required property string mode
                    required property bool selfbuy
                    required property string sourceWarehouse
                    required property string sourceSection
                    readonly property bool pending: page.shell
                        && page.shell.pendingWarehousePrints[PageLogic.trimmed(barcode)] !== undefined
                    width: ListView.view.width - 10
                    height: 62
                    radius: 8
                    color: index % 2 === 0 ? "#0D1522" : "#101A2A"
                    RowLayout {
                        anchors.fill: parent
                        anchors.leftMargin: 12
                        anchors.rightMargin: 8
                        spacing: 12
                        ColumnLayout {
                            Layout.fillWidth: true
                            spacing: 3
                            Text {
                                Layout.fillWidth: true
                                text: PageLogic.trimmed(fileRow.article) || fileRow.fileName
                                font.pixelSize: 14
                                font.bold: true
                                color: "#E8EEF8"
                                elide: Text.ElideRight
                            }
                            Text {
                                Layout.fillWidth: true
                                text: "UID " + fileRow.barcode + "  ·  " + fileRow.fileName
                                font.family: "Consolas"
                                font.pixelSize: 11
                                color: "#71829A"
                                elide: Text.ElideMiddle
                            }
                        }
                        Text {
                            Layout.preferredWidth: 220
                            text: [fileRow.sourceWarehouse, fileRow.sourceSection]
                                      .filter(function (s) { return PageLogic.trimmed(s).length > 0 }).join(" · ") || "—"
                            font.pixelSize: 12
                            color: "#B9C7DD"
                            elide: Text.ElideRight
                        }
                        Rectangle {
                            implicitWidth: modeLabel.implicitWidth + 16
                            implicitHeight: 24
                            radius: 6
                            color: "transparent"
                            border.color: fileRow.selfbuy ? "#F4C16D" : "#7FD6FF"
                            Text {
                                id: modeLabel
                                anchors.centerIn: parent
                                text: page.modeText(fileRow.selfbuy, fileRow.mode)
                                font.pixelSize: 11
                                font.bold: true
                                color: parent.border.color
                            }
                        }
                        GlassActionButton {
                            compact: true
                            primary: true
                            iconName: "printer"
                            text: fileRow.pending ? "Ждёт сервер" : "Печать"
                            enabled: !fileRow.pending && !page.currentModel.busy
                            onClicked: page.printBarcode(fileRow.barcode)
                        }
                    }
                }
            }

            EmptyState {
                objectName: "warehouseEmptyState"
                anchors.centerIn: parent
                width: parent.width - 40
                visible: fileList.count === 0
                iconName: "warehouses"
                title: "Нет файлов для ручной печати"
                hint: PageLogic.trimmed(page.shell ? page.shell.warehouseSearch : "").length > 0
                      ? "По этому поиску ничего не нашлось."
                      : "Вручную печатаются только К_, ПОС_ и КОМ_01; остальные этикетки печатаются по скану."
            }
        }
    }
}
