import QtQuick
import QtTest
import "../setup"
import "../setup/SettingsReset.js" as Reset

// The whole first start against vorn-devserver: account, folders, devices, enter.
// A finished set-up starts the server link for the rest of the process, so ctest
// runs each case in a process of its own.
TestCase {
    id: test
    name: "OnboardingFlow"
    width: 1520
    height: 960
    visible: true
    when: windowShown

    property var shell: null
    property var page: null

    Component { id: shellComponent; StubShell {} }

    function init() {
        failOnWarning(/.*/)
        Reset.clear(appSettings)
        shell = shellComponent.createObject(test)
        var component = Qt.createComponent("qrc:/qt/qml/VornClient/pages/OnboardingPage.qml")
        verify(component.status === Component.Ready, component.errorString())
        page = component.createObject(test, { shell: shell, width: test.width, height: test.height })
    }

    function cleanup() {
        page.destroy()
        shell.destroy()
        Reset.clear(appSettings)
    }

    function walkToEnter() {
        page.setFboFolder(testDataDir)
        compare(page.fboFolder(), testDataDir)
        page.runPrimary(3)
        compare(shell.onboardingStep, 4)
        page.runPrimary(4)
        compare(shell.onboardingStep, 6)
        verify(page.primaryEnabled(6))
        page.runPrimary(6)
        verify(!appSettings.onboardingRequired)
        compare(shell.lastToast().title, "Первичная настройка завершена")
    }

    function test_newAccount() {
        page.runPrimary(0)
        compare(shell.onboardingStep, 1)
        page.chooseAccountMode("new")
        compare(shell.onboardingStep, 2)
        compare(page.primaryText(2), "Создать клиента")
        appSettings.serverUrl = devServerUrl
        appSettings.franchiseName = "Мастерская на Литейном"
        page.runPrimary(2)
        tryCompare(shell, "onboardingStep", 3, 20000)
        verify(appSettings.tenantId.length > 0)
        verify(appSettings.deviceId.length > 0)
        compare(page.primaryText(2), "Дальше")
        compare(identityService.lastError, "")
        walkToEnter()
    }

    function test_existingAccount() {
        page.chooseAccountMode("existing")
        appSettings.serverUrl = devServerUrl
        appSettings.tenantId = demoTenantId
        appSettings.apiKey = demoApiKey
        page.runPrimary(2)
        tryCompare(shell, "onboardingStep", 3, 20000)
        compare(appSettings.tenantId, demoTenantId)
        verify(appSettings.deviceId.length > 0)
        walkToEnter()
    }

    function test_wrongKeyStaysOnConnection() {
        page.chooseAccountMode("existing")
        appSettings.serverUrl = devServerUrl
        appSettings.tenantId = demoTenantId
        appSettings.apiKey = "not-the-key"
        page.runPrimary(2)
        tryVerify(function() { return !identityService.busy && identityService.lastError.length > 0 }, 20000)
        compare(shell.onboardingStep, 2)
        verify(appSettings.onboardingRequired)
        verify(!page.primaryEnabled(6))
    }
}
