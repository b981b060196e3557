.pragma library

// Puts the shared settings object back to an unconfigured installation.
function clear(settings) {
    var fields = ["tenantId", "deviceId", "serverUrl", "apiKey", "franchiseName", "wbPath", "ozonPath",
                  "warehousePath", "ymPath", "uidSearchRoot1", "yandexLabelsPath", "labelPrinterName",
                  "yandexLabelPrinterName"]
    for (var i = 0; i < fields.length; ++i)
        settings[fields[i]] = ""
    settings.onboardingCompleted = false
    while (settings.scriptEntries.length > 0)
        settings.removeScriptEntry(0)
    while (settings.wallBindings.length > 0)
        settings.removeWallBinding(0)
}

function connect(settings) {
    settings.serverUrl = "http://127.0.0.1:9"
    settings.tenantId = "tenant-test"
    settings.deviceId = "device-test"
}
