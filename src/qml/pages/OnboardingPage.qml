import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import "../components"
import "setup"
import "setup/SetupRules.js" as Rules
import "../ShellLogic.js" as ShellLogic

// The first start of a workstation, step by step: greeting, account mode, connection,
// folders, scanners and RFID, folder check, final check. The step lives in the shell
// (shell.onboardingStep) so the overlay keeps it while the window rebuilds.
Item {
    id: page
    property var shell: null

    readonly property int step: shell ? shell.onboardingStep : 0
    readonly property bool existingMode: shell ? shell.onboardingAccountMode === "existing" : false
    readonly property bool identityReady: hasIdentity()
    readonly property int scannerCount: Rules.configuredScannerCount(appSettings)
    readonly property var warningList: onboardingWarnings()

    // ---- state and rules ----

    function hasIdentity() {
        return !!shell && !!shell.hasServerIdentity()
    }

    function onboardingStepTitle(index) {
        switch (index) {
        case 0: return "Привет"
        case 1: return "Первичная настройка"
        case 2: return existingMode ? "Подключение клиента" : "Мастер клиента"
        case 3: return "Привязки локальных папок"
        case 4: return "COM / RFID"
        case 5: return "Проверка папок"
        case 6: return "Готово"
        }
        return ""
    }

    function onboardingStepHint(index) {
        switch (index) {
        case 0: return "Коротко покажем, как дальше пойдёт первый запуск этого клиента."
        case 1: return "Выбери сценарий: новый клиент или подключение существующего."
        case 2: return existingMode ? "Подключаем уже созданного клиента." : "Создаём нового клиента через мастер."
        case 3: return "Привязываем локальные папки печати и каталоги для этого клиента."
        case 4: return "Настраиваем сканер и RFID."
        case 5: return "Проверяем, что рабочие папки заданы корректно."
        case 6: return "Проверяем итог и только потом заходим в рабочее приложение."
        }
        return ""
    }

    function setStep(index) {
        if (shell)
            shell.onboardingStep = Math.max(0, Math.min(6, index))
    }

    function syncOnboardingStepFromState() {
        if (!shell || !appSettings.onboardingRequired)
            return
        var next = ShellLogic.syncedOnboardingStep(shell.onboardingStep, hasIdentity())
        if (next !== shell.onboardingStep)
            shell.onboardingStep = next
    }

    function chooseAccountMode(mode) {
        if (!shell)
            return
        shell.onboardingAccountMode = mode === "existing" ? "existing" : "new"
        setStep(2)
    }

    function fboFolder() { return Rules.fboFolder(appSettings) }
    function setFboFolder(path) { Rules.setFboFolder(appSettings, path) }

    function scannerServiceAt(number) {
        return [scannerService, scannerService2, scannerService3, scannerService4, scannerService5,
                scannerService6][number - 1] || scannerService
    }

    function anyScannerRunning() {
        for (var n = 1; n <= scannerCount; ++n) {
            var service = scannerServiceAt(n)
            if (service && service.running)
                return true
        }
        return false
    }

    function scriptStats() {
        return Rules.scriptStats(appSettings.scriptEntries, scriptRuntime.entries)
    }

    function pendingCount() {
        return consumablesService.pendingCount + printArchiveStore.pendingCount
    }

    function onboardingWarnings() {
        return Rules.warnings({
            identity: hasIdentity(),
            workFolders: Rules.filledCount(appSettings, Rules.workFolderKeys),
            scannerRunning: anyScannerRunning(),
            scriptsUnbound: scriptStats().unbound,
            fboFolder: fboFolder()
        })
    }

    function connectionButtonText() {
        if (identityReady)
            return "Дальше"
        if (identityService.busy)
            return existingMode ? "Подключаем..." : "Создаём..."
        return existingMode ? "Подключить" : "Создать клиента"
    }

    // The connection step's form while it is shown; the primary button sits outside it.
    property var connectionForm: null

    function commitConnectionFields() {
        if (connectionForm)
            connectionForm.commit()
    }

    function submitConnection() {
        commitConnectionFields()
        if (hasIdentity()) {
            setStep(3)
            return
        }
        if (identityService.busy)
            return
        if (existingMode)
            identityService.connectExistingAccount()
        else
            identityService.createNewAccount()
    }

    function finishOnboardingFlow() {
        appSettings.save()
        appSettings.onboardingCompleted = true
        appSettings.save()
        for (var n = 1; n <= scannerCount; ++n) {
            var service = scannerServiceAt(n)
            if (service && !service.running && Rules.text(appSettings.scannerPort(n)).length > 0)
                service.start()
        }
        snapshotSync.loadCachedSnapshot()
        snapshotSync.refresh()
        if (shell)
            shell.pushToast("success", "Первичная настройка завершена",
                            "Клиент готов к работе. Вы можете входить в приложение.", 5200)
    }

    // Back target and primary action of each step's navigation row.
    function backStep(index) {
        switch (index) {
        case 1: return 0
        case 2: return 1
        case 3: return 2
        case 4: return 3
        case 5: return 4
        case 6: return 4
        }
        return -1
    }

    function primaryText(index) {
        switch (index) {
        case 0: return "Начать"
        case 2: return connectionButtonText()
        case 3: case 4: case 5: return "Дальше"
        case 6: return "Войти в приложение"
        }
        return ""
    }

    function primaryEnabled(index) {
        if (index === 2)
            return identityReady || !identityService.busy
        if (index === 6)
            return identityReady
        return true
    }

    function runPrimary(index) {
        switch (index) {
        case 0: setStep(1); break
        case 2: submitConnection(); break
        case 3: setStep(4); break
        case 4: setStep(6); break
        case 5: setStep(6); break
        case 6: finishOnboardingFlow(); break
        }
    }

    Component.onCompleted: syncOnboardingStepFromState()

    Connections {
        target: appSettings
        function onChanged() { page.syncOnboardingStepFromState() }
        function onOnboardingRequiredChanged() { page.syncOnboardingStepFromState() }
    }

    Connections {
        target: identityService
        function onSetupCompleted() {
            page.setStep(3)
            if (page.shell)
                page.shell.pushToast("success", "Подключение готово", "Теперь можно указать папки и оборудование.", 5200)
        }
    }

    // ---- look ----

    component SectionText: Text {
        color: "#8FA3C4"
        font.pixelSize: 13
        wrapMode: Text.WordWrap
        Layout.fillWidth: true
    }

    component FieldLabel: Text {
        color: "#C9D7EC"
        font.pixelSize: 13
        Layout.preferredWidth: 170
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.leftMargin: 40
        anchors.rightMargin: 40
        anchors.topMargin: 32
        anchors.bottomMargin: 32
        spacing: 18

        RowLayout {
            Layout.fillWidth: true
            spacing: 16
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 4
                Text {
                    text: "Первичный запуск"
                    color: "#F6FAFF"
                    font.pixelSize: 30
                    font.bold: true
                }
                Text {
                    Layout.fillWidth: true
                    text: "Настройка проходит по шагам: клиент, папки, сканер, RFID и вход в приложение."
                    color: "#8FA3C4"
                    font.pixelSize: 13
                    elide: Text.ElideRight
                }
            }
            BusyIndicator {
                Layout.preferredWidth: 40
                Layout.preferredHeight: 40
                running: identityService.busy
                visible: running
            }
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 16

            RowLayout {
                id: stepBar
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop
                spacing: 8
                Repeater {
                    model: 7
                    delegate: Rectangle {
                        id: chip
                        required property int index
                        readonly property bool current: index === page.step
                        readonly property bool done: index < page.step
                        Layout.fillWidth: true
                        Layout.preferredHeight: 58
                        radius: 9
                        color: current ? "#1D3552" : (done ? "#132B23" : "#101A29")
                        border.width: 1
                        border.color: current ? "#89DFFF" : (done ? "#8EE3BF" : "#304764")
                        Text {
                            anchors.fill: parent
                            anchors.leftMargin: 10
                            anchors.rightMargin: 8
                            verticalAlignment: Text.AlignVCenter
                            text: (chip.index + 1) + ". " + page.onboardingStepTitle(chip.index)
                            color: chip.index <= page.step ? "#F4F8FF" : "#71829A"
                            font.pixelSize: 12
                            font.bold: chip.current
                            wrapMode: Text.WordWrap
                            maximumLineCount: 2
                            elide: Text.ElideRight
                        }
                        MouseArea {
                            anchors.fill: parent
                            enabled: chip.index <= page.step
                            cursorShape: enabled ? Qt.PointingHandCursor : Qt.ArrowCursor
                            onClicked: page.setStep(chip.index)
                        }
                    }
                }
            }

            GlassPanel {
                id: statusBox
                readonly property bool failed: Rules.text(identityService.lastError).length > 0
                Layout.preferredWidth: 340
                Layout.preferredHeight: 58
                contentMargin: 10
                strokeColor: failed ? "#FF9CB1" : "#1F2D45"
                ColumnLayout {
                    anchors.fill: parent
                    spacing: 2
                    Text {
                        text: statusBox.failed ? "Статус подключения" : "Текущее состояние"
                        color: "#8FA3C4"
                        font.pixelSize: 11
                    }
                    Text {
                        Layout.fillWidth: true
                        text: statusBox.failed ? identityService.lastError
                              : (Rules.text(identityService.lastSuccess).length > 0 ? identityService.lastSuccess
                                                                                     : identityService.statusText)
                        color: statusBox.failed ? "#FF9CB1" : "#E8EEF8"
                        font.pixelSize: 12
                        elide: Text.ElideRight
                    }
                }
            }
        }

        GlassPanel {
            Layout.fillWidth: true
            Layout.fillHeight: true
            contentMargin: 24
            ColumnLayout {
                anchors.fill: parent
                spacing: 14

                Text {
                    text: page.onboardingStepTitle(page.step)
                    color: "#F6FAFF"
                    font.pixelSize: 22
                    font.bold: true
                }
                SectionText { text: page.onboardingStepHint(page.step) }

                // Only the current step exists, so nothing hidden keeps stale rows.
                Loader {
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    sourceComponent: [step0, step1, step2, step3, step4, step5, step6][page.step] || step0
                }

                RowLayout {
                    Layout.fillWidth: true
                    spacing: 10
                    GlassActionButton {
                        visible: page.backStep(page.step) >= 0
                        text: "Назад"
                        onClicked: page.setStep(page.backStep(page.step))
                    }
                    Item { Layout.fillWidth: true }
                    GlassActionButton {
                        visible: page.primaryText(page.step).length > 0
                        primary: true
                        text: page.primaryText(page.step)
                        enabled: page.primaryEnabled(page.step)
                        onClicked: page.runPrimary(page.step)
                    }
                }
            }
        }
    }

    // 0. Greeting
    Component {
        id: step0
        ColumnLayout {
            spacing: 16
            Rectangle {
                Layout.preferredWidth: 72
                Layout.preferredHeight: 72
                radius: 18
                color: "#5865F2"
                Text {
                    anchors.centerIn: parent
                    text: "C"
                    color: "#FFFFFF"
                    font.pixelSize: 38
                    font.bold: true
                }
            }
            Text {
                Layout.fillWidth: true
                text: "Добро пожаловать в " + (page.shell ? page.shell.brandName() : appSettings.displayAppName)
                color: "#F6FAFF"
                font.pixelSize: 24
                font.bold: true
                elide: Text.ElideRight
            }
            SectionText { text: "Сейчас настроим клиента, рабочие папки и оборудование." }
            GlassPanel {
                Layout.preferredWidth: Math.min(640, parent.width)
                fillColor: "#101B2C"
                showAccent: true
                accentColor: "#7ECFFF"
                ColumnLayout {
                    width: parent.width
                    spacing: 6
                    Text { text: "Сценарий"; color: "#F4F8FF"; font.pixelSize: 14; font.bold: true }
                    Text {
                        Layout.fillWidth: true
                        text: "Приветствие → клиент → папки → сканер/RFID → папка склада → готово"
                        color: "#C9D7EC"
                        font.pixelSize: 13
                        wrapMode: Text.WordWrap
                    }
                }
            }
            Item { Layout.fillHeight: true }
        }
    }

    // 1. Account mode
    Component {
        id: step1
        RowLayout {
            spacing: 18
            Repeater {
                model: [
                    { mode: "new", title: "Новый клиент", icon: "plus", button: "Открыть мастер",
                      text: "Создаём нового клиента и продолжаем настройку этого рабочего места." },
                    { mode: "existing", title: "Подключить клиента", icon: "link", button: "Подключить",
                      text: "Для подключения текущего клиента на новом ПК." }
                ]
                delegate: GlassPanel {
                    id: card
                    required property var modelData
                    Layout.fillWidth: true
                    Layout.preferredHeight: 230
                    Layout.alignment: Qt.AlignTop
                    contentMargin: 22
                    fillColor: cardArea.containsMouse ? "#132034" : "#0F1726"
                    strokeColor: page.shell && page.shell.onboardingAccountMode === modelData.mode
                                 ? "#89DFFF" : "#1F2D45"
                    MouseArea {
                        id: cardArea
                        anchors.fill: parent
                        hoverEnabled: true
                        cursorShape: Qt.PointingHandCursor
                        onClicked: page.chooseAccountMode(card.modelData.mode)
                    }
                    ColumnLayout {
                        anchors.fill: parent
                        spacing: 12
                        IconMark {
                            name: card.modelData.icon
                            color: "#7ECFFF"
                            Layout.preferredWidth: 30
                            Layout.preferredHeight: 30
                        }
                        Text {
                            text: card.modelData.title
                            color: "#F6FAFF"
                            font.pixelSize: 20
                            font.bold: true
                        }
                        SectionText { text: card.modelData.text; color: "#C9D7EC"; font.pixelSize: 14 }
                        Item { Layout.fillHeight: true }
                        GlassActionButton {
                            primary: true
                            text: card.modelData.button
                            onClicked: page.chooseAccountMode(card.modelData.mode)
                        }
                    }
                }
            }
        }
    }

    // 2. Connection
    Component {
        id: step2
        RowLayout {
            id: connectionForm
            spacing: 24

            function commit() {
                appSettings.serverUrl = serverField.text
                appSettings.deviceName = deviceNameField.text
                if (page.existingMode) {
                    appSettings.tenantId = tenantIdField.text
                    appSettings.apiKey = apiKeyField.text
                } else {
                    appSettings.franchiseName = tenantNameField.text
                }
            }

            Component.onCompleted: page.connectionForm = connectionForm
            Component.onDestruction: if (page.connectionForm === connectionForm) page.connectionForm = null

            ColumnLayout {
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop
                spacing: 10
                RowLayout {
                    FieldLabel { text: "Адрес Ворна" }
                    GlassTextField {
                        id: serverField
                        objectName: "serverField"
                        Layout.fillWidth: true
                        placeholderText: "Адрес Ворна"
                        text: appSettings.serverUrl
                        onEditingFinished: appSettings.serverUrl = text
                    }
                }
                RowLayout {
                    FieldLabel { text: "Имя клиента" }
                    GlassTextField {
                        id: deviceNameField
                        objectName: "deviceNameField"
                        Layout.fillWidth: true
                        placeholderText: "Имя клиента"
                        text: appSettings.deviceName
                        onEditingFinished: appSettings.deviceName = text
                    }
                }
                RowLayout {
                    visible: !page.existingMode
                    FieldLabel { text: "Название клиента" }
                    GlassTextField {
                        id: tenantNameField
                        objectName: "tenantNameField"
                        Layout.fillWidth: true
                        placeholderText: "Название клиента"
                        text: appSettings.franchiseName
                        onEditingFinished: appSettings.franchiseName = text
                    }
                }
                RowLayout {
                    visible: page.existingMode
                    FieldLabel { text: "ID клиента" }
                    GlassTextField {
                        id: tenantIdField
                        objectName: "tenantIdField"
                        Layout.fillWidth: true
                        placeholderText: "ID клиента"
                        text: appSettings.tenantId
                        onEditingFinished: appSettings.tenantId = text
                    }
                }
                RowLayout {
                    visible: page.existingMode
                    FieldLabel { text: "Ключ подключения" }
                    GlassTextField {
                        id: apiKeyField
                        objectName: "apiKeyField"
                        Layout.fillWidth: true
                        placeholderText: "Ключ подключения"
                        echoMode: TextInput.Password
                        text: appSettings.apiKey
                        onEditingFinished: appSettings.apiKey = text
                    }
                }
                Item { Layout.fillHeight: true }
            }
            GlassPanel {
                Layout.preferredWidth: 360
                Layout.alignment: Qt.AlignTop
                fillColor: page.identityReady ? "#10241C" : "#101B2C"
                strokeColor: page.identityReady ? "#8EE3BF" : "#46617F"
                showAccent: true
                accentColor: page.identityReady ? "#8EE3BF" : "#7ECFFF"
                ColumnLayout {
                    width: parent.width
                    spacing: 6
                    Text {
                        text: page.identityReady ? "Клиент подключён" : "Подключение"
                        color: "#F4F8FF"
                        font.pixelSize: 15
                        font.bold: true
                    }
                    Text {
                        Layout.fillWidth: true
                        text: page.identityReady
                              ? "Клиент подключён.\nДальше осталось настроить папки и оборудование."
                              : (page.existingMode ? "Подключаем существующего клиента."
                                                   : "Создаём нового клиента.")
                        color: "#C9D7EC"
                        font.pixelSize: 13
                        wrapMode: Text.WordWrap
                    }
                }
            }
        }
    }

    // 3. Folders
    Component {
        id: step3
        Flickable {
            clip: true
            contentHeight: folderColumn.implicitHeight
            boundsBehavior: Flickable.StopAtBounds
            ColumnLayout {
                id: folderColumn
                width: parent.width
                spacing: 10
                Text { text: "Локальные папки клиента"; color: "#F4F8FF"; font.pixelSize: 16; font.bold: true }
                SectionText { text: "Укажи папки, из которых этот клиент печатает макеты и наклейки." }
                FolderRows { Layout.fillWidth: true }
            }
        }
    }

    // 4. Devices
    Component {
        id: step4
        Flickable {
            clip: true
            contentHeight: deviceColumn.implicitHeight
            boundsBehavior: Flickable.StopAtBounds
            ColumnLayout {
                id: deviceColumn
                width: parent.width
                spacing: 12
                ScannerSlotRows { Layout.fillWidth: true }
                Flow {
                    Layout.fillWidth: true
                    spacing: 8
                    Repeater {
                        model: page.scannerCount
                        delegate: GlassActionButton {
                            required property int index
                            readonly property var service: page.scannerServiceAt(index + 1)
                            compact: true
                            iconName: service && service.running ? "stop" : "play"
                            text: "Сканер " + (index + 1) + (service && service.running ? " выкл" : " вкл")
                            onClicked: if (service) service.toggle()
                        }
                    }
                    GlassActionButton {
                        compact: true
                        iconName: rfidService.running ? "stop" : "play"
                        text: rfidService.running ? "RFID выкл" : "RFID вкл"
                        onClicked: rfidService.toggle()
                    }
                }
                SectionText { text: "Порт можно изменить сейчас или позже в сайдбаре." }
            }
        }
    }

    // 5. Folder check
    Component {
        id: step5
        ColumnLayout {
            spacing: 12
            Text { text: "Проверка рабочих папок"; color: "#F4F8FF"; font.pixelSize: 16; font.bold: true }
            Flow {
                Layout.fillWidth: true
                spacing: 8
                Repeater {
                    model: Rules.folderRows
                    delegate: StatusPill {
                        required property var modelData
                        readonly property bool filled: Rules.folderValue(appSettings, modelData.key).length > 0
                        label: modelData.label
                        value: filled ? "задан" : "не задан"
                        accent: filled ? "#22C55E" : "#F4C16D"
                        iconName: "folder"
                    }
                }
            }
            Item { Layout.fillHeight: true }
        }
    }

    // 6. Final check
    Component {
        id: step6
        Flickable {
            clip: true
            contentHeight: finalColumn.implicitHeight
            boundsBehavior: Flickable.StopAtBounds
            ColumnLayout {
                id: finalColumn
                width: parent.width
                spacing: 12
                Text { text: "Проверка перед входом"; color: "#F4F8FF"; font.pixelSize: 16; font.bold: true }
                Flow {
                    Layout.fillWidth: true
                    spacing: 8
                    StatusPill {
                        label: "Клиент"
                        value: page.identityReady ? "готов" : "не подключён"
                        accent: page.identityReady ? "#22C55E" : "#FF7F9C"
                    }
                    StatusPill {
                        label: "device_id"
                        value: Rules.text(appSettings.deviceId).length > 0 ? appSettings.deviceId : "не получен"
                        accent: Rules.text(appSettings.deviceId).length > 0 ? "#22C55E" : "#FF7F9C"
                    }
                    StatusPill {
                        readonly property int filled: Rules.filledCount(appSettings, Rules.workFolderKeys)
                        label: "Папки"
                        value: filled + " / 4"
                        accent: filled > 0 ? "#22C55E" : "#F4C16D"
                    }
                    Repeater {
                        model: page.scannerCount
                        delegate: StatusPill {
                            required property int index
                            readonly property var service: page.scannerServiceAt(index + 1)
                            readonly property bool running: !!service && service.running
                            label: "Сканер " + (index + 1)
                            value: running ? "включён" : "выключен"
                            accent: running ? "#22C55E" : "#F4C16D"
                        }
                    }
                    StatusPill {
                        label: "RFID"
                        value: rfidService.running ? "включён" : "выключен"
                        accent: rfidService.running ? "#22C55E" : "#F4C16D"
                    }
                    StatusPill {
                        readonly property var stats: page.scriptStats()
                        label: "Скрипты"
                        value: stats.existing + " / " + stats.configured
                        accent: stats.unbound ? "#F4C16D" : "#22C55E"
                    }
                    StatusPill {
                        readonly property int waiting: page.pendingCount()
                        label: "Буфер"
                        value: waiting > 0 ? waiting + " ждут" : ""
                        accent: waiting > 0 ? "#F4C16D" : "#22C55E"
                    }
                }
                SectionText {
                    text: "После входа откроется полный доступ к приложению. Если что-то не готово, проверь подсказки ниже."
                    color: "#C9D7EC"
                }
                SectionText { text: "После входа эти параметры можно изменить в настройках." }
                GlassPanel {
                    visible: page.warningList.length > 0
                    Layout.fillWidth: true
                    fillColor: "#2B2110"
                    strokeColor: "#F4C16D"
                    showAccent: true
                    accentColor: "#F4C16D"
                    ColumnLayout {
                        width: parent.width
                        spacing: 6
                        Text {
                            text: "Что ещё стоит добавить у этого клиента"
                            color: "#F4F8FF"
                            font.pixelSize: 14
                            font.bold: true
                        }
                        Repeater {
                            model: page.warningList
                            delegate: Text {
                                required property string modelData
                                Layout.fillWidth: true
                                text: "• " + modelData
                                color: "#F4C16D"
                                font.pixelSize: 13
                                wrapMode: Text.WordWrap
                            }
                        }
                    }
                }
            }
        }
    }
}
