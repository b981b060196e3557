import QtQuick
import QtTest
import "SettingsReset.js" as Reset
import "qrc:/qt/qml/VornClient/pages/setup/SetupRules.js" as Rules

TestCase {
    id: test
    name: "OnboardingPage"
    width: 1520
    height: 960
    visible: true
    when: windowShown

    property var shell: null
    property var page: null

    Component { id: shellComponent; StubShell {} }

    function createPage(step) {
        shell = shellComponent.createObject(test, { onboardingStep: step === undefined ? 0 : step })
        var component = Qt.createComponent("qrc:/qt/qml/VornClient/pages/OnboardingPage.qml")
        verify(component.status === Component.Ready, component.errorString())
        page = component.createObject(test, { shell: shell, width: test.width, height: test.height })
        verify(page !== null)
        return page
    }

    function init() {
        failOnWarning(/.*/)
        Reset.clear(appSettings)
    }

    function cleanup() {
        if (page)
            page.destroy()
        page = null
        if (shell)
            shell.destroy()
        shell = null
    }

    function test_connectedInstallationOpensAtFolders() {
        Reset.connect(appSettings)
        createPage(0)
        compare(shell.onboardingStep, 3)
    }

    function test_clearingTenantSendsBackToConnection() {
        Reset.connect(appSettings)
        createPage(4)
        compare(shell.onboardingStep, 4)
        appSettings.tenantId = ""
        compare(shell.onboardingStep, 2)
    }

    function test_noSyncOnceOnboardingIsDone() {
        Reset.connect(appSettings)
        appSettings.onboardingCompleted = true
        verify(!appSettings.onboardingRequired)
        createPage(1)
        page.syncOnboardingStepFromState()
        compare(shell.onboardingStep, 1)
    }

    function test_fboFolder_data() {
        return [
            { tag: "warehouse first", warehouse: "/w", ym: "/y", root: "/r", expected: "/w" },
            { tag: "ym when no warehouse", warehouse: "", ym: "/y", root: "/r", expected: "/y" },
            { tag: "search root last", warehouse: "", ym: "", root: "/r", expected: "/r" },
            { tag: "none", warehouse: "", ym: "", root: "", expected: "" }
        ]
    }

    function test_fboFolder(data) {
        createPage(0)
        appSettings.warehousePath = data.warehouse
        appSettings.ymPath = data.ym
        appSettings.uidSearchRoot1 = data.root
        compare(page.fboFolder(), data.expected)
    }

    function test_fboFolderWritesAllThreeNames() {
        createPage(0)
        appSettings.ymPath = "/old/ym"
        page.setFboFolder("  /new/fbo  ")
        compare(appSettings.warehousePath, "/new/fbo")
        compare(appSettings.ymPath, "/new/fbo")
        compare(appSettings.uidSearchRoot1, "/new/fbo")
        compare(page.fboFolder(), "/new/fbo")
    }

    function test_warnings_data() {
        var identity = "Не завершено подключение этого клиента."
        var folders = "Не привязана ни одна рабочая папка WB/Ozon/FBO/Яндекс."
        var scanner = "Сканер пока не подключён у этого клиента."
        var scripts = "Часть локальных скриптов этого клиента ещё не привязана."
        var fbo = "Не задана папка FBO/Склад."
        return [
            { tag: "nothing set", connect: false, wb: "", fbo: "", script: "", expected: [identity, folders, scanner, fbo] },
            { tag: "connected with WB only", connect: true, wb: "/wb", fbo: "", script: "", expected: [scanner, fbo] },
            { tag: "FBO counts as a work folder", connect: true, wb: "", fbo: "/fbo", script: "", expected: [scanner] },
            { tag: "script without a path", connect: true, wb: "", fbo: "/fbo", script: "empty", expected: [scanner, scripts] },
            { tag: "script with a missing file", connect: true, wb: "", fbo: "/fbo", script: "/no/such/script.py",
              expected: [scanner, scripts] }
        ]
    }

    function test_warnings(data) {
        if (data.connect)
            Reset.connect(appSettings)
        appSettings.wbPath = data.wb
        if (data.fbo.length > 0)
            Rules.setFboFolder(appSettings, data.fbo)
        if (data.script.length > 0) {
            appSettings.addScriptEntry()
            appSettings.setScriptEntryPath(0, data.script === "empty" ? "" : data.script)
        }
        createPage(0)
        compare(page.onboardingWarnings(), data.expected)
        compare(page.warningList, data.expected)
    }

    // An empty server address falls back to the platform's own, so only tenant and device can be missing.
    function test_enterNeedsTheWholeIdentity_data() {
        return [
            { tag: "all set", server: "http://127.0.0.1:9", tenant: "t", device: "d", enabled: true },
            { tag: "no tenant", server: "http://127.0.0.1:9", tenant: "", device: "d", enabled: false },
            { tag: "no device", server: "http://127.0.0.1:9", tenant: "t", device: "", enabled: false }
        ]
    }

    function test_enterNeedsTheWholeIdentity(data) {
        appSettings.serverUrl = data.server
        appSettings.tenantId = data.tenant
        appSettings.deviceId = data.device
        createPage(6)
        shell.onboardingStep = 6
        compare(page.primaryText(6), "Войти в приложение")
        compare(page.primaryEnabled(6), data.enabled)
    }

    function test_connectionButton_data() {
        return [
            { tag: "new account", mode: "new", connect: false, text: "Создать клиента" },
            { tag: "existing account", mode: "existing", connect: false, text: "Подключить" },
            { tag: "already connected", mode: "existing", connect: true, text: "Дальше" }
        ]
    }

    function test_connectionButton(data) {
        if (data.connect)
            Reset.connect(appSettings)
        createPage(2)
        shell.onboardingAccountMode = data.mode
        compare(page.connectionButtonText(), data.text)
        compare(page.onboardingStepTitle(2), data.mode === "existing" ? "Подключение клиента" : "Мастер клиента")
    }

    function test_connectingWithoutKeyStaysAndSaysWhy() {
        createPage(2)
        shell.onboardingAccountMode = "existing"
        appSettings.serverUrl = "http://127.0.0.1:9"
        appSettings.tenantId = "tenant-x"
        page.submitConnection()
        compare(identityService.lastError, "Для подключения клиента нужен ключ подключения к Vorn.")
        compare(shell.onboardingStep, 2)
    }

    function test_setupCompletedMovesToFolders() {
        Reset.connect(appSettings)
        createPage(2)
        identityService.setupCompleted()
        compare(shell.onboardingStep, 3)
        compare(shell.lastToast().title, "Подключение готово")
        compare(shell.lastToast().kind, "success")
    }

    function test_finishing() {
        Reset.connect(appSettings)
        appSettings.apiKey = ""
        createPage(6)
        verify(appSettings.onboardingRequired)
        page.finishOnboardingFlow()
        verify(appSettings.onboardingCompleted)
        verify(!appSettings.onboardingRequired)
        verify(!appSettings.dirty)
        var toast = shell.lastToast()
        compare(toast.kind, "success")
        compare(toast.title, "Первичная настройка завершена")
        compare(toast.message, "Клиент готов к работе. Вы можете входить в приложение.")
        compare(toast.timeoutMs, 5200)
    }

    // Text typed but not yet confirmed still reaches the settings when the button is pressed.
    function test_connectionButtonTakesTheVisibleFields_data() {
        return [
            { tag: "new account", mode: "new", field: "tenantNameField", setting: "franchiseName" },
            { tag: "existing account", mode: "existing", field: "tenantIdField", setting: "tenantId" }
        ]
    }

    function test_connectionButtonTakesTheVisibleFields(data) {
        createPage(2)
        shell.onboardingAccountMode = data.mode
        appSettings.serverUrl = "http://127.0.0.1:9"
        var field = findChild(page, data.field)
        verify(field !== null)
        field.text = "  Цех на Обводном  "
        findChild(page, "deviceNameField").text = "ПК резчика"
        page.runPrimary(2)
        compare(appSettings[data.setting], "Цех на Обводном")
        compare(appSettings.deviceName, "ПК резчика")
        tryVerify(function() { return !identityService.busy }, 20000)
    }
}
