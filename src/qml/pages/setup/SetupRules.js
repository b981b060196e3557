.pragma library
.import "../../ShellLogic.js" as ShellLogic

// Rules shared by the first-start overlay and the settings page. Every function
// takes the settings object (and the services it needs) as arguments, so the
// pages stay thin and the rules can be exercised on their own.

// Work folders shown in the first-start folder step and on the settings page.
// "fbo" is the one folder stored under three names (see fboFolder).
var folderRows = [
    { key: "wbPath", label: "WB", title: "Папка WB" },
    { key: "ozonPath", label: "Ozon", title: "Папка Ozon" },
    { key: "fbo", label: "FBO/Склад", title: "Папка FBO/Склад" },
    { key: "yandexLabelsPath", label: "Яндекс Маркет", title: "Папка Яндекс Маркет" },
    { key: "wbLabelsDir", label: "WB labels", title: "Папка поставок WB" },
    { key: "ozonLabelsDir", label: "Ozon labels", title: "Папка поставок Ozon" },
    { key: "marelaRollsDir", label: "Marela TXT", title: "Папка TXT Marela" },
    { key: "ivraRollsDir", label: "Ivra TXT", title: "Папка TXT Ivra" }
]

var marelaPicturesRow = { key: "picturesMarelaDir", label: "Marela картины", title: "Папка TXT картин Marela" }

function text(value) {
    return value === undefined || value === null ? "" : String(value).trim()
}

// Older versions kept the FBO/warehouse folder under three names; the first set one wins.
function fboFolder(settings) {
    if (!settings)
        return ""
    var names = ["warehousePath", "ymPath", "uidSearchRoot1"]
    for (var i = 0; i < names.length; ++i) {
        var value = text(settings[names[i]])
        if (value.length > 0)
            return value
    }
    return ""
}

// Writing the FBO folder keeps all three names equal, so older readers see the same folder.
function setFboFolder(settings, path) {
    if (!settings)
        return
    var value = text(path)
    settings.warehousePath = value
    settings.ymPath = value
    settings.uidSearchRoot1 = value
}

function folderValue(settings, key) {
    if (!settings)
        return ""
    return key === "fbo" ? fboFolder(settings) : text(settings[key])
}

function setFolderValue(settings, key, path) {
    if (!settings)
        return
    if (key === "fbo")
        setFboFolder(settings, path)
    else
        settings[key] = text(path)
}

function filledCount(settings, keys) {
    var count = 0
    for (var i = 0; i < keys.length; ++i) {
        if (folderValue(settings, keys[i]).length > 0)
            ++count
    }
    return count
}

// The four folders labels are printed from.
var workFolderKeys = ["wbPath", "ozonPath", "fbo", "yandexLabelsPath"]
// The folders counted on the settings page's local data block.
var pathFolderKeys = ["wbPath", "ozonPath", "fbo"]

// The number of scanner slots and the step rule are the shell's (ShellLogic.js).
function configuredScannerCount(settings) {
    return ShellLogic.scannerTabCount(settings ? settings.scannerPorts : [])
}

function baudIndex(baud) {
    return Number(baud) === 115200 ? 1 : 0
}

// The ports a chooser offers: the service's list, with the saved port first when the
// machine does not list it (an unplugged adapter must still show what is stored).
function portChoices(available, saved) {
    var list = []
    var ports = available || []
    for (var i = 0; i < ports.length; ++i)
        list.push(String(ports[i]))
    var current = text(saved)
    if (current.length > 0 && list.indexOf(current) < 0)
        list.unshift(current)
    return list
}

// What a port chooser shows: "Не выбран" and the ports, or one line saying there are none.
var noPortChoice = "Не выбран"

function portModel(ports) {
    return ports.length > 0 ? [noPortChoice].concat(ports) : ["COM-порты не найдены"]
}

function portIndex(ports, saved) {
    var value = text(saved)
    return value.length > 0 ? ports.indexOf(value) + 1 : 0
}

// The port behind a chooser row; the first row stands for no port.
function portAt(ports, index) {
    return index > 0 && index <= ports.length ? String(ports[index - 1]) : ""
}

// The cutter QR text: ASCII only so every scanner reads it; a bad number means cutter 1.
function cutterQrPayload(number) {
    var n = Number(number)
    if (!isFinite(n) || n < 1 || Math.floor(n) !== n)
        n = 1
    return "CUTTER:" + n
}

function machinePathState(path, exists) {
    if (text(path).length === 0)
        return "не задан"
    return exists ? "найден" : "не найден"
}

// Script entries joined with what the runtime found on this machine.
function scriptStats(settingsEntries, runtimeEntries) {
    var entries = settingsEntries || []
    var runtime = runtimeEntries || []
    var existing = 0
    var unbound = false
    for (var i = 0; i < entries.length; ++i) {
        var entry = entries[i] || {}
        var found = !!(runtime[i] && runtime[i].exists)
        if (found)
            ++existing
        var enabled = entry.enabled === undefined ? true : !!entry.enabled
        if (enabled && (text(entry.path).length === 0 || !found))
            unbound = true
    }
    return { existing: existing, configured: entries.length, unbound: unbound }
}

// What the final check lists as still missing, in the order an operator fixes it.
// state: { identity, workFolders, scannerRunning, scriptsUnbound, fboFolder }
function warnings(state) {
    var out = []
    if (!state.identity)
        out.push("Не завершено подключение этого клиента.")
    if (state.workFolders === 0)
        out.push("Не привязана ни одна рабочая папка WB/Ozon/FBO/Яндекс.")
    if (!state.scannerRunning)
        out.push("Сканер пока не подключён у этого клиента.")
    if (state.scriptsUnbound)
        out.push("Часть локальных скриптов этого клиента ещё не привязана.")
    if (text(state.fboFolder).length === 0)
        out.push("Не задана папка FBO/Склад.")
    return out
}

function queueText(count) {
    var n = Number(count) || 0
    return n > 0 ? n + " в очереди" : "очередь пуста"
}
