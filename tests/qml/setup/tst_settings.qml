import QtQuick
import QtTest
import "SettingsReset.js" as Reset
import "qrc:/qt/qml/VornClient/pages/setup/SetupRules.js" as Rules

TestCase {
    id: test
    name: "SettingsPage"
    width: 1240
    height: 800
    visible: true
    when: windowShown

    property var shell: null
    property var page: null

    Component { id: shellComponent; StubShell {} }

    function createPage() {
        shell = shellComponent.createObject(test)
        var component = Qt.createComponent("qrc:/qt/qml/VornClient/pages/SettingsPage.qml")
        verify(component.status === Component.Ready, component.errorString())
        page = component.createObject(test, { shell: shell, width: test.width, height: test.height })
        verify(page !== null)
        return page
    }

    function init() {
        failOnWarning(/.*/)
        Reset.clear(appSettings)
        createPage()
    }

    function cleanup() {
        page.destroy()
        page = null
        shell.destroy()
        shell = null
    }

    function test_tabs_data() {
        return [
            { tag: "client" }, { tag: "paths" }, { tag: "devices" }, { tag: "cutters" },
            { tag: "server" }, { tag: "scripts" }, { tag: "qrwall" }
        ]
    }

    // Every tab builds against the real services, with and without rows to show.
    function test_tabs(data) {
        compare(page.settingsTab, "client")
        appSettings.addScriptEntry()
        appSettings.addWallBinding()
        page.selectTab(data.tag)
        compare(page.settingsTab, data.tag)
        wait(20)
        appSettings.removeWallBinding(0)
        appSettings.removeScriptEntry(0)
        wait(20)
    }

    function test_printerChoice_data() {
        return [
            { tag: "default stores an empty name", choice: 0, expected: "" },
            { tag: "first printer", choice: 1, expected: "Этикетки" },
            { tag: "second printer", choice: 2, expected: "Yandex 58" }
        ]
    }

    function test_printerChoice(data) {
        appSettings.labelPrinterName = "Старый"
        appSettings.yandexLabelPrinterName = "Старый"
        page.printerList = ["Этикетки", "Yandex 58"]
        compare(page.printerChoices()[0], "По умолчанию")
        page.chooseLabelPrinter(data.choice)
        page.chooseYandexPrinter(data.choice)
        compare(appSettings.labelPrinterName, data.expected)
        compare(appSettings.yandexLabelPrinterName, data.expected)
        compare(page.printerChoiceIndex(appSettings.labelPrinterName), data.choice)
    }

    function test_unknownPrinterIsNotShownAsDefault() {
        page.printerList = ["Этикетки"]
        compare(page.printerChoiceIndex("Отключённый"), -1)
    }

    function test_installedPrintersAreListed() {
        page.selectTab("devices")
        compare(page.printerList, localTools.availablePrinters())
    }

    function test_cutterPayload_data() {
        return [
            { tag: "cutter 2", number: 2, expected: "CUTTER:2" },
            { tag: "cutter 12", number: 12, expected: "CUTTER:12" },
            { tag: "zero", number: 0, expected: "CUTTER:1" },
            { tag: "fraction", number: 2.5, expected: "CUTTER:1" },
            { tag: "text", number: "два", expected: "CUTTER:1" }
        ]
    }

    function test_cutterPayload(data) {
        compare(page.cutterQrPayload(data.number), data.expected)
    }

    function test_cutterQrDocument() {
        var path = page.makeCutterQr(2, false)
        verify(path.length > 0)
        verify(localTools.pathExists(path))
        verify(path.toLowerCase().endsWith(".pdf"))
        compare(shell.lastToast().title, "QR резака")
        compare(shell.lastToast().message, "QR создан: " + path)
    }

    function test_wallBinding() {
        appSettings.addWallBinding()
        compare(appSettings.wallBindings.length, 1)
        var tab = appSettings.consumableTabs[1]
        var options = appSettings.consumableTabOptions(tab.id)
        verify(options.length > 0)
        page.chooseWallTab(0, tab.id)
        compare(appSettings.wallBindings[0].tabId, tab.id)
        compare(appSettings.wallBindings[0].itemName, options[0])

        verify(!page.setWallAmount(0, "много"))
        compare(shell.lastToast().kind, "warning")
        verify(!page.setWallAmount(0, "0"))
        compare(appSettings.wallBindings[0].amount, 1)
        verify(page.setWallAmount(0, "2,5"))
        compare(appSettings.wallBindings[0].amount, 2.5)

        var path = page.makeWallQr(0, false)
        verify(path.length > 0)
        verify(localTools.pathExists(path))
        compare(shell.lastToast().title, "QR привязки")
        compare(shell.lastToast().message, "QR создан: " + path)
        compare(page.makeWallQr(5, false), "")
    }

    function test_machinePathState_data() {
        return [
            { tag: "blank path", path: "  ", exists: true, expected: "не задан" },
            { tag: "found", path: "C:/s/run.py", exists: true, expected: "найден" },
            { tag: "missing", path: "C:/s/run.py", exists: false, expected: "не найден" }
        ]
    }

    function test_machinePathState(data) {
        compare(page.machinePathState(data.path, data.exists), data.expected)
    }

    // A saved port the machine no longer lists stays visible; the first row means no port.
    function test_portChooser_data() {
        return [
            { tag: "nothing listed", available: [], saved: "", model: ["COM-порты не найдены"], index: 0, port: "" },
            { tag: "nothing saved", available: ["COM3", "COM4"], saved: "", model: ["Не выбран", "COM3", "COM4"],
              index: 0, port: "" },
            { tag: "saved and listed", available: ["COM3", "COM4"], saved: "COM4",
              model: ["Не выбран", "COM3", "COM4"], index: 2, port: "COM4" },
            { tag: "saved but unplugged", available: ["COM3"], saved: " COM7 ",
              model: ["Не выбран", "COM7", "COM3"], index: 1, port: "COM7" }
        ]
    }

    function test_portChooser(data) {
        var ports = Rules.portChoices(data.available, data.saved)
        compare(Rules.portModel(ports), data.model)
        compare(Rules.portIndex(ports, data.saved), data.index)
        compare(Rules.portAt(ports, data.index), data.port)
    }
}
