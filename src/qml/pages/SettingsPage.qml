import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "../components"
import "setup"
import "setup/SetupRules.js" as Rules

// Later changes of everything the first start asked for, in seven tabs. Every edit
// goes straight into appSettings, which saves it.
Item {
    id: page
    property var shell: null
    // The shell keeps the tab across page switches when it has a place for it.
    readonly property bool shellKeepsTab: !!shell && shell.settingsTab !== undefined
    property string settingsTab: shellKeepsTab ? shell.settingsTab : "client"
    // Installed printers; read when the devices tab opens and on its refresh button.
    property var printerList: []

    readonly property var tabs: [
        { key: "client", label: "Клиент" },
        { key: "paths", label: "Папки" },
        { key: "devices", label: "Оборудование" },
        { key: "cutters", label: "QR резаков" },
        { key: "server", label: "Сервер" },
        { key: "scripts", label: "Скрипты" },
        { key: "qrwall", label: "QR списания" }
    ]
    readonly property int scannerCount: Rules.configuredScannerCount(appSettings)

    // ---- rules ----

    function fboFolder() { return Rules.fboFolder(appSettings) }
    function setFboFolder(path) { Rules.setFboFolder(appSettings, path) }
    function cutterQrPayload(number) { return Rules.cutterQrPayload(number) }
    function machinePathState(path, exists) { return Rules.machinePathState(path, exists) }

    function selectTab(key) {
        if (shellKeepsTab)
            shell.settingsTab = key
        else
            settingsTab = key
    }

    function toast(kind, title, message) {
        if (shell)
            shell.pushToast(kind, title, message, kind === "error" ? 6500 : 4200)
    }

    function copy(text) {
        localTools.copyText(Rules.text(text))
    }

    function refreshPrinters() {
        printerList = localTools.availablePrinters()
    }

    // "По умолчанию" first; it stands for an empty printer name.
    function printerChoices() {
        return ["По умолчанию"].concat(printerList)
    }

    function printerChoiceIndex(name) {
        var value = Rules.text(name)
        if (value.length === 0)
            return 0
        var found = printerList.indexOf(value)
        return found < 0 ? -1 : found + 1
    }

    function printerNameForChoice(index) {
        return index <= 0 ? "" : Rules.text(printerChoices()[index])
    }

    function chooseLabelPrinter(index) { appSettings.labelPrinterName = printerNameForChoice(index) }
    function chooseYandexPrinter(index) { appSettings.yandexLabelPrinterName = printerNameForChoice(index) }

    function scannerServiceAt(number) {
        return [scannerService, scannerService2, scannerService3, scannerService4, scannerService5,
                scannerService6][number - 1] || scannerService
    }

    function clearQueues() {
        var consumables = consumablesService.clearPending()
        var archive = printArchiveStore.clearPending()
        return consumables && archive
    }

    function makeCutterQr(number, printAfter) {
        var payload = cutterQrPayload(number)
        var path = localTools.generateCutterQrPdf("cutter_" + number, "Резак " + number, payload, printAfter)
        if (Rules.text(path).length === 0)
            toast("error", "QR резака", "Не удалось создать QR.")
        else
            toast("success", "QR резака", printAfter ? "QR создан и отправлен на печать." : "QR создан: " + path)
        return path
    }

    // Choosing a tab also preselects its first item, so a fresh binding is printable at once.
    function chooseWallTab(index, tabId) {
        appSettings.setWallBindingTabId(index, tabId)
        var options = appSettings.consumableTabOptions(tabId)
        if (options.length > 0)
            appSettings.setWallBindingItemName(index, String(options[0]))
    }

    function wallAmountFromText(value) {
        var amount = Number(String(value).trim().replace(",", "."))
        return isFinite(amount) && amount > 0 ? amount : NaN
    }

    function setWallAmount(index, value) {
        var amount = wallAmountFromText(value)
        if (isNaN(amount)) {
            toast("warning", "QR привязки", "Количество должно быть положительным числом.")
            return false
        }
        appSettings.setWallBindingAmount(index, amount)
        return true
    }

    function makeWallQr(index, printAfter) {
        var binding = appSettings.wallBindings[index]
        if (!binding)
            return ""
        var tabId = Rules.text(binding.tabId)
        var tabLabel = appSettings.consumableTabTitle(tabId)
        var item = Rules.text(binding.itemName)
        var path = localTools.generateConsumableWallQrPdf(tabId, tabLabel, item.length > 0 ? item : tabLabel,
                                                          appSettings.wallBindingPayload(index), printAfter)
        if (Rules.text(path).length === 0)
            toast("error", "QR привязки", "Не удалось создать QR.")
        else
            toast("success", "QR привязки", printAfter ? "QR создан и отправлен на печать." : "QR создан: " + path)
        return path
    }

    onSettingsTabChanged: if (settingsTab === "devices") refreshPrinters()
    Component.onCompleted: if (settingsTab === "devices") refreshPrinters()

    // ---- look ----

    component Heading: ColumnLayout {
        property string title
        property string hint
        Layout.fillWidth: true
        spacing: 3
        Text { text: parent.title; color: "#F6FAFF"; font.pixelSize: 17; font.bold: true }
        Text {
            Layout.fillWidth: true
            visible: text.length > 0
            text: parent.hint
            color: "#8FA3C4"
            font.pixelSize: 13
            wrapMode: Text.WordWrap
        }
    }

    // A labelled value with the usual actions on it.
    component InfoRow: RowLayout {
        id: info
        property string label
        property string value
        property bool mono: false
        property bool canOpen: false
        property bool canOpenFolder: false
        property bool canCopy: true
        property string copyValue: value
        Layout.fillWidth: true
        spacing: 10
        Text {
            Layout.preferredWidth: 190
            text: info.label
            color: "#8FA3C4"
            font.pixelSize: 13
            elide: Text.ElideRight
        }
        Text {
            Layout.fillWidth: true
            text: info.value
            color: "#E8EEF8"
            font.pixelSize: 13
            font.family: info.mono ? "Consolas" : font.family
            elide: Text.ElideMiddle
        }
        GlassActionButton {
            visible: info.canOpen
            compact: true
            iconOnly: true
            iconName: "open"
            enabled: Rules.text(info.value).length > 0
            onClicked: localTools.openPath(info.value)
        }
        GlassActionButton {
            visible: info.canOpenFolder
            compact: true
            iconOnly: true
            iconName: "folder"
            enabled: Rules.text(info.value).length > 0
            onClicked: localTools.openContainingFolder(info.value)
        }
        GlassActionButton {
            visible: info.canCopy
            compact: true
            iconOnly: true
            iconName: "copy"
            enabled: Rules.text(info.copyValue).length > 0
            onClicked: page.copy(info.copyValue)
        }
    }

    component Card: GlassPanel {
        Layout.fillWidth: true
        contentMargin: 18
    }

    component OnOff: StatusPill {
        property bool good: false
        accent: good ? "#22C55E" : "#F4C16D"
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 14

        Flow {
            Layout.fillWidth: true
            spacing: 6
            Repeater {
                model: page.tabs
                delegate: InlineTabButton {
                    required property var modelData
                    text: modelData.label
                    active: page.settingsTab === modelData.key
                    onClicked: page.selectTab(modelData.key)
                }
            }
        }

        Flickable {
            id: flick
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            contentWidth: width
            contentHeight: tabLoader.item ? tabLoader.item.implicitHeight + 8 : 0
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar {}

            Loader {
                id: tabLoader
                width: flick.width - 14
                sourceComponent: {
                    switch (page.settingsTab) {
                    case "paths": return pathsTab
                    case "devices": return devicesTab
                    case "cutters": return cuttersTab
                    case "server": return serverTab
                    case "scripts": return scriptsTab
                    case "qrwall": return qrwallTab
                    }
                    return clientTab
                }
            }
        }
    }

    Component {
        id: clientTab
        ColumnLayout {
            spacing: 14
            Card {
                ColumnLayout {
                    width: parent.width
                    spacing: 10
                    Heading {
                        title: "Обновления и локальные данные"
                        hint: "Пользовательские данные хранятся отдельно от папки программы."
                    }
                    InfoRow { label: "Версия клиента"; value: appSettings.appVersion }
                    InfoRow { label: "Папка данных"; value: appSettings.appDataDir; mono: true; canOpen: true }
                    InfoRow { label: "Локальные папки"; value: appSettings.settingsPath; mono: true; canOpenFolder: true }
                    InfoRow { label: "Буфер данных"; value: appSettings.clientBufferPath; mono: true; canOpenFolder: true }
                    InfoRow { label: "Данные подключения"; value: appSettings.identityCachePath; mono: true; canOpenFolder: true }
                }
            }
        }
    }

    Component {
        id: serverTab
        ColumnLayout {
            spacing: 14
            Card {
                ColumnLayout {
                    width: parent.width
                    spacing: 10
                    Heading { title: "Подключение клиента"; hint: "Адрес сервера и имя клиента." }
                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 10
                        Text { Layout.preferredWidth: 190; text: "Адрес сервера"; color: "#8FA3C4"; font.pixelSize: 13 }
                        Text {
                            Layout.fillWidth: true
                            text: Rules.text(appSettings.serverUrl).length > 0 ? appSettings.serverUrl : "не задан"
                            color: "#7ECFFF"
                            font.pixelSize: 13
                            font.underline: serverLinkArea.containsMouse
                            elide: Text.ElideRight
                            MouseArea {
                                id: serverLinkArea
                                anchors.fill: parent
                                hoverEnabled: true
                                cursorShape: Qt.PointingHandCursor
                                onClicked: if (page.shell) page.shell.openSettingsUrl(appSettings.serverUrl)
                            }
                        }
                    }
                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 10
                        Text { Layout.preferredWidth: 190; text: "Название клиента"; color: "#8FA3C4"; font.pixelSize: 13 }
                        GlassTextField {
                            Layout.fillWidth: true
                            placeholderText: "Название клиента"
                            text: appSettings.franchiseName
                            onEditingFinished: appSettings.franchiseName = text
                        }
                    }
                    InfoRow { label: "Имя устройства"; value: appSettings.deviceName; canCopy: false }
                    InfoRow {
                        label: "ID клиента"
                        value: Rules.text(appSettings.tenantId).length > 0 ? appSettings.tenantId : "не выдан"
                        copyValue: appSettings.tenantId
                        mono: true
                    }
                    InfoRow { label: "device_id"; value: appSettings.deviceId; mono: true }
                    InfoRow {
                        label: "Ключ подключения к Vorn"
                        value: Rules.text(appSettings.apiKey).length > 0 ? "задан, скрыт" : "—"
                        copyValue: appSettings.apiKey
                    }
                }
            }
            Card {
                ColumnLayout {
                    width: parent.width
                    spacing: 10
                    Heading {
                        title: "Буфер данных"
                        hint: "Если сеть недоступна, действия дождутся отправки после восстановления соединения."
                    }
                    Flow {
                        Layout.fillWidth: true
                        spacing: 8
                        OnOff {
                            label: "Расходники"
                            value: Rules.queueText(consumablesService.pendingCount)
                            good: consumablesService.pendingCount === 0
                            iconName: "consumables"
                        }
                        OnOff {
                            label: "Архив печати"
                            value: Rules.queueText(printArchiveStore.pendingCount)
                            good: printArchiveStore.pendingCount === 0
                            iconName: "printer"
                        }
                    }
                    Flow {
                        Layout.fillWidth: true
                        spacing: 8
                        GlassActionButton {
                            compact: true
                            iconName: "refresh"
                            text: "Повторить расходники"
                            enabled: consumablesService.pendingCount > 0 && !consumablesService.busy
                            onClicked: consumablesService.retryPending()
                        }
                        GlassActionButton {
                            compact: true
                            iconName: "refresh"
                            text: "Повторить архив"
                            enabled: printArchiveStore.pendingCount > 0 && !printArchiveStore.busy
                            onClicked: printArchiveStore.retryPending()
                        }
                        GlassActionButton {
                            compact: true
                            tone: "danger"
                            iconName: "trash"
                            text: "Очистить"
                            enabled: consumablesService.pendingCount + printArchiveStore.pendingCount > 0
                            onClicked: page.clearQueues()
                        }
                    }
                    InfoRow {
                        label: "Файл очереди"
                        value: appSettings.clientBufferPath
                        mono: true
                        canOpen: true
                        canOpenFolder: true
                    }
                }
            }
        }
    }

    Component {
        id: pathsTab
        ColumnLayout {
            spacing: 14
            Card {
                ColumnLayout {
                    width: parent.width
                    spacing: 12
                    Heading { title: "Рабочие папки"; hint: "Локальные папки для этикеток, рулонов и складских файлов." }
                    FolderRows {
                        Layout.fillWidth: true
                        rows: Rules.folderRows.concat([Rules.marelaPicturesRow])
                    }
                }
            }
            Card {
                ColumnLayout {
                    width: parent.width
                    spacing: 10
                    Heading { title: "Локальные данные"; hint: "Папки и файлы." }
                    Flow {
                        Layout.fillWidth: true
                        spacing: 8
                        StatusPill {
                            readonly property int filled: Rules.filledCount(appSettings, Rules.pathFolderKeys)
                            label: "Пути"
                            value: filled + " / 3"
                            iconName: "folder"
                            accent: filled === 3 ? "#22C55E" : "#F4C16D"
                        }
                        StatusPill {
                            readonly property var stats: Rules.scriptStats(appSettings.scriptEntries, scriptRuntime.entries)
                            label: "Скрипты"
                            value: stats.existing + " / " + stats.configured
                            iconName: "scripts"
                            accent: stats.unbound ? "#F4C16D" : "#22C55E"
                        }
                    }
                    InfoRow { label: "Файл настроек"; value: appSettings.settingsPath; mono: true; canOpenFolder: true }
                    InfoRow { label: "Данные подключения"; value: appSettings.identityCachePath; mono: true; canOpenFolder: true }
                    InfoRow { label: "Буфер данных"; value: appSettings.clientBufferPath; mono: true; canOpenFolder: true }
                }
            }
        }
    }

    Component {
        id: devicesTab
        ColumnLayout {
            spacing: 14
            Card {
                ColumnLayout {
                    width: parent.width
                    spacing: 12
                    Heading { title: "Сканер" }
                    ScannerSlotRows { Layout.fillWidth: true; showRfid: false; labelWidth: 190 }
                }
            }
            Card {
                ColumnLayout {
                    width: parent.width
                    spacing: 12
                    Heading { title: "RFID и принтеры" }
                    RowLayout {
                        id: rfidPortRow
                        readonly property var ports: Rules.portChoices(rfidService.availablePorts, appSettings.rfidPort)
                        Layout.fillWidth: true
                        spacing: 10
                        Text { Layout.preferredWidth: 190; text: "RFID порт"; color: "#8FA3C4"; font.pixelSize: 13 }
                        GlassComboBox {
                            Layout.fillWidth: true
                            model: Rules.portModel(rfidPortRow.ports)
                            enabled: rfidPortRow.ports.length > 0
                            currentIndex: Rules.portIndex(rfidPortRow.ports, appSettings.rfidPort)
                            onActivated: function(chosen) { appSettings.rfidPort = Rules.portAt(rfidPortRow.ports, chosen) }
                        }
                        GlassActionButton {
                            compact: true
                            iconOnly: true
                            iconName: "refresh"
                            onClicked: rfidService.refreshAvailablePorts()
                        }
                    }
                    RowLayout {
                        Layout.fillWidth: true
                        spacing: 10
                        Text { Layout.preferredWidth: 190; text: "Скорость RFID"; color: "#8FA3C4"; font.pixelSize: 13 }
                        GlassComboBox {
                            Layout.preferredWidth: 160
                            model: ["9600", "115200"]
                            currentIndex: Rules.baudIndex(appSettings.rfidBaudRate)
                            onActivated: function(chosen) { appSettings.rfidBaudRate = chosen === 1 ? 115200 : 9600 }
                        }
                        Item { Layout.fillWidth: true }
                    }
                    Repeater {
                        model: [
                            { label: "Принтер этикеток", field: "labelPrinterName" },
                            { label: "Принтер Яндекс Маркета", field: "yandexLabelPrinterName" }
                        ]
                        delegate: RowLayout {
                            id: printerRow
                            required property var modelData
                            Layout.fillWidth: true
                            spacing: 10
                            Text {
                                Layout.preferredWidth: 190
                                text: printerRow.modelData.label
                                color: "#8FA3C4"
                                font.pixelSize: 13
                            }
                            GlassComboBox {
                                Layout.fillWidth: true
                                model: page.printerChoices()
                                currentIndex: page.printerChoiceIndex(appSettings[printerRow.modelData.field])
                                onActivated: function(chosen) {
                                    if (printerRow.modelData.field === "labelPrinterName")
                                        page.chooseLabelPrinter(chosen)
                                    else
                                        page.chooseYandexPrinter(chosen)
                                }
                            }
                            GlassActionButton {
                                compact: true
                                iconOnly: true
                                iconName: "refresh"
                                onClicked: page.refreshPrinters()
                            }
                        }
                    }
                    InfoRow {
                        label: "Режим входа/выхода"
                        value: Rules.text(appSettings.employeeInoutMode).length > 0 ? appSettings.employeeInoutMode : "—"
                        copyValue: appSettings.employeeInoutMode
                    }
                }
            }
            Card {
                ColumnLayout {
                    width: parent.width
                    spacing: 12
                    Heading { title: "Состояние устройств" }
                    Flow {
                        Layout.fillWidth: true
                        spacing: 10
                        Repeater {
                            model: page.scannerCount
                            delegate: RowLayout {
                                id: deviceState
                                required property int index
                                readonly property var service: page.scannerServiceAt(index + 1)
                                readonly property bool running: !!service && service.running
                                spacing: 6
                                OnOff {
                                    label: "Сканер " + (deviceState.index + 1)
                                    value: deviceState.running ? "включён" : "выключен"
                                    good: deviceState.running
                                    iconName: "search"
                                }
                                GlassActionButton {
                                    compact: true
                                    iconOnly: true
                                    iconName: deviceState.running ? "stop" : "play"
                                    onClicked: if (deviceState.service) deviceState.service.toggle()
                                }
                            }
                        }
                        RowLayout {
                            spacing: 6
                            OnOff {
                                label: "RFID"
                                value: rfidService.running ? "включён" : "выключен"
                                good: rfidService.running
                                iconName: "key"
                            }
                            GlassActionButton {
                                compact: true
                                iconOnly: true
                                iconName: rfidService.running ? "stop" : "play"
                                onClicked: rfidService.toggle()
                            }
                        }
                    }
                }
            }
        }
    }

    Component {
        id: cuttersTab
        ColumnLayout {
            spacing: 14
            Card {
                ColumnLayout {
                    width: parent.width
                    spacing: 8
                    Heading {
                        title: "QR резаков"
                        hint: "Перед сменой сотрудник сканирует QR своего резака, затем свой QR. После этого сканы макетов этого сканера привязываются к выбранному резаку и сотруднику."
                    }
                }
            }
            RowLayout {
                Layout.fillWidth: true
                spacing: 14
                Repeater {
                    model: 2
                    delegate: Card {
                        id: cutterCard
                        required property int index
                        readonly property int number: index + 1
                        readonly property string payload: page.cutterQrPayload(number)
                        Layout.alignment: Qt.AlignTop
                        showAccent: true
                        accentColor: "#7ECFFF"
                        ColumnLayout {
                            width: parent.width
                            spacing: 10
                            RowLayout {
                                spacing: 10
                                IconMark { name: "scissors"; color: "#7ECFFF" }
                                Text {
                                    text: "Резак " + cutterCard.number
                                    color: "#F6FAFF"
                                    font.pixelSize: 17
                                    font.bold: true
                                }
                            }
                            Text {
                                text: "Сканер " + cutterCard.number + " по умолчанию"
                                color: "#8FA3C4"
                                font.pixelSize: 13
                            }
                            RowLayout {
                                Layout.fillWidth: true
                                spacing: 10
                                Rectangle {
                                    Layout.fillWidth: true
                                    Layout.preferredHeight: 38
                                    radius: 9
                                    color: "#101827"
                                    border.color: "#243551"
                                    Text {
                                        anchors.verticalCenter: parent.verticalCenter
                                        x: 12
                                        text: cutterCard.payload
                                        color: "#E8EEF8"
                                        font.family: "Consolas"
                                        font.pixelSize: 14
                                    }
                                }
                                GlassActionButton {
                                    compact: true
                                    iconOnly: true
                                    iconName: "copy"
                                    onClicked: page.copy(cutterCard.payload)
                                }
                            }
                            RowLayout {
                                spacing: 10
                                GlassActionButton {
                                    compact: true
                                    primary: true
                                    iconName: "search"
                                    text: "Открыть QR"
                                    onClicked: {
                                        var path = page.makeCutterQr(cutterCard.number, false)
                                        if (path.length > 0)
                                            localTools.openPath(path)
                                    }
                                }
                                GlassActionButton {
                                    compact: true
                                    iconName: "printer"
                                    text: "Печать"
                                    onClicked: page.makeCutterQr(cutterCard.number, true)
                                }
                            }
                        }
                    }
                }
            }
        }
    }

    Component {
        id: scriptsTab
        ColumnLayout {
            spacing: 14
            Heading { title: "Скрипты"; hint: "Список и режимы обновляются автоматически." }
            Text {
                visible: appSettings.scriptEntries.length === 0
                text: "Скриптов пока нет."
                color: "#8FA3C4"
                font.pixelSize: 13
            }
            Repeater {
                model: appSettings.scriptEntries
                delegate: Card {
                    id: scriptCard
                    required property var modelData
                    required property int index
                    readonly property var runtime: scriptRuntime.entries[index] || ({})
                    readonly property string path: Rules.text(modelData.path)
                    ColumnLayout {
                        width: parent.width
                        spacing: 10
                        Text {
                            text: Rules.text(scriptCard.modelData.name).length > 0 ? scriptCard.modelData.name
                                                                                   : "Скрипт " + (scriptCard.index + 1)
                            color: "#F6FAFF"
                            font.pixelSize: 16
                            font.bold: true
                        }
                        Flow {
                            Layout.fillWidth: true
                            spacing: 8
                            OnOff {
                                label: "Включен"
                                good: scriptCard.modelData.enabled !== false
                                value: good ? "да" : "нет"
                            }
                            OnOff {
                                label: "Автостарт"
                                good: !!scriptCard.modelData.autoStart
                                value: good ? "да" : "нет"
                            }
                            StatusPill {
                                label: "Режим"
                                value: Rules.text(scriptCard.modelData.launchMode).length > 0
                                       ? scriptCard.modelData.launchMode : "auto"
                                accent: "#7ECFFF"
                            }
                            OnOff {
                                label: "Путь"
                                good: !!scriptCard.runtime.exists
                                value: page.machinePathState(scriptCard.path, scriptCard.runtime.exists)
                            }
                        }
                        RowLayout {
                            Layout.fillWidth: true
                            spacing: 8
                            GlassTextField {
                                id: scriptPathField
                                Layout.fillWidth: true
                                placeholderText: "Локальный путь"
                                text: scriptCard.path
                                onEditingFinished: appSettings.setScriptEntryPath(scriptCard.index, text)
                            }
                            GlassActionButton {
                                compact: true
                                text: "Выбрать файл"
                                iconName: "folder"
                                onClicked: {
                                    var chosen = localTools.pickFile(scriptCard.path, "Путь скрипта",
                                        "Скрипты (*.py *.bat *.cmd *.exe *.ps1);;Все файлы (*.*)")
                                    if (Rules.text(chosen).length > 0)
                                        appSettings.setScriptEntryPath(scriptCard.index, chosen)
                                }
                            }
                            GlassActionButton {
                                compact: true
                                iconOnly: true
                                iconName: "folder"
                                enabled: !!scriptCard.runtime.exists
                                onClicked: scriptRuntime.openFolder(scriptCard.index)
                            }
                            GlassActionButton {
                                compact: true
                                iconOnly: true
                                iconName: "open"
                                enabled: !!scriptCard.runtime.exists
                                onClicked: localTools.openPath(scriptCard.runtime.resolvedPath || scriptCard.path)
                            }
                            GlassActionButton {
                                compact: true
                                iconOnly: true
                                iconName: "copy"
                                enabled: scriptCard.path.length > 0
                                onClicked: page.copy(scriptCard.path)
                            }
                        }
                        GlassTextField {
                            Layout.fillWidth: true
                            placeholderText: "Аргументы запуска, например: wb_orders --config config.json"
                            text: Rules.text(scriptCard.modelData.arguments)
                            onEditingFinished: appSettings.setScriptEntryArguments(scriptCard.index, text)
                        }
                        CompactCheckBox {
                            text: "Запускать вместе с приложением"
                            checked: !!scriptCard.modelData.autoStart
                            onToggled: appSettings.setScriptEntryAutoStart(scriptCard.index, checked)
                        }
                    }
                }
            }
        }
    }

    Component {
        id: qrwallTab
        ColumnLayout {
            spacing: 14
            RowLayout {
                Layout.fillWidth: true
                spacing: 14
                Heading {
                    title: "QR стены для списания"
                    hint: "QR списывает выбранный расходник. Вкладки берутся из настроек клиента."
                }
                GlassActionButton {
                    primary: true
                    iconName: "plus"
                    text: "Добавить QR"
                    onClicked: appSettings.addWallBinding()
                }
            }
            Card {
                visible: appSettings.wallBindings.length === 0
                Text {
                    width: parent.width
                    text: "Привязок пока нет. Добавь QR и распечатай его для списания расходников."
                    color: "#8FA3C4"
                    font.pixelSize: 13
                    wrapMode: Text.WordWrap
                }
            }
            Repeater {
                model: appSettings.wallBindings
                delegate: Card {
                    id: wallCard
                    required property var modelData
                    required property int index
                    readonly property string tabId: Rules.text(modelData.tabId)
                    readonly property var options: appSettings.consumableTabOptions(tabId)
                    readonly property string measure: Rules.text(appSettings.consumableTabMeasure(tabId))
                    ColumnLayout {
                        width: parent.width
                        spacing: 10
                        Flow {
                            Layout.fillWidth: true
                            spacing: 4
                            Repeater {
                                model: appSettings.consumableTabs
                                delegate: InlineTabButton {
                                    required property var modelData
                                    compact: true
                                    text: modelData.title
                                    active: wallCard.tabId === modelData.id
                                    onClicked: page.chooseWallTab(wallCard.index, modelData.id)
                                }
                            }
                        }
                        RowLayout {
                            Layout.fillWidth: true
                            spacing: 10
                            GlassComboBox {
                                visible: wallCard.options.length > 0
                                Layout.fillWidth: true
                                model: wallCard.options
                                currentIndex: wallCard.options.indexOf(Rules.text(wallCard.modelData.itemName))
                                onActivated: function(chosen) {
                                    appSettings.setWallBindingItemName(wallCard.index, String(wallCard.options[chosen]))
                                }
                            }
                            GlassTextField {
                                visible: wallCard.options.length === 0
                                Layout.fillWidth: true
                                placeholderText: "Название / позиция"
                                text: Rules.text(wallCard.modelData.itemName)
                                onEditingFinished: appSettings.setWallBindingItemName(wallCard.index, text)
                            }
                            GlassTextField {
                                Layout.preferredWidth: 110
                                placeholderText: "1"
                                text: String(wallCard.modelData.amount === undefined ? 1 : wallCard.modelData.amount)
                                onEditingFinished: page.setWallAmount(wallCard.index, text)
                            }
                            Text {
                                text: "Ед.: " + (wallCard.measure.length > 0 ? wallCard.measure : "шт")
                                color: "#8FA3C4"
                                font.pixelSize: 13
                            }
                        }
                        RowLayout {
                            spacing: 10
                            GlassActionButton {
                                compact: true
                                primary: true
                                iconName: "search"
                                text: "Открыть QR"
                                onClicked: {
                                    var path = page.makeWallQr(wallCard.index, false)
                                    if (path.length > 0)
                                        localTools.openPath(path)
                                }
                            }
                            GlassActionButton {
                                compact: true
                                iconName: "printer"
                                text: "Печать"
                                onClicked: page.makeWallQr(wallCard.index, true)
                            }
                            Item { Layout.fillWidth: true }
                            GlassActionButton {
                                compact: true
                                tone: "danger"
                                iconName: "trash"
                                text: "Удалить"
                                onClicked: appSettings.removeWallBinding(wallCard.index)
                            }
                        }
                    }
                }
            }
        }
    }
}
