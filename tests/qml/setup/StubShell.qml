import QtQuick

// The root state and functions a page reaches through `shell`, recording the toasts.
QtObject {
    property int onboardingStep: 0
    property string onboardingAccountMode: ""
    property string settingsTab: "client"
    property var toasts: []
    property var openedUrls: []

    function pushToast(kind, title, message, timeoutMs) {
        toasts = toasts.concat([{ kind: kind, title: title, message: message, timeoutMs: timeoutMs }])
    }
    function lastToast() { return toasts.length > 0 ? toasts[toasts.length - 1] : null }
    function brandName() { return "VornClient" }
    function hasServerIdentity() {
        return appSettings.tenantId.trim() !== "" && appSettings.deviceId.trim() !== ""
            && appSettings.serverUrl.trim() !== ""
    }
    function absoluteServerUrl(value) { return String(value).trim() }
    function openSettingsUrl(value) { openedUrls = openedUrls.concat([value]) }
}
