import QtQuick
import "../ShellLogic.js" as Logic

// Runs a backend operation and shows the warnings and errors it wrote to the journal as
// toasts, unless the shell toasts those lines by itself: a refusal always reaches the
// operator in the backend's own words.
Connections {
    id: capture

    property var shell: null
    property var captured: []

    enabled: false
    target: typeof eventLogModel !== "undefined" ? eventLogModel : null

    function onEntryAdded(level, message, timestamp) {
        captured.push({ level: String(level), message: String(message) })
    }

    function run(title, operation) {
        captured = []
        enabled = true
        var result
        try {
            result = operation()
        } finally {
            enabled = false
        }
        for (var i = 0; i < captured.length; ++i) {
            var e = captured[i]
            if ((e.level === "warn" || e.level === "error") && !Logic.eventToast(e.level, e.message, "") && shell)
                shell.pushToast(e.level === "error" ? "error" : "warning", title, e.message, 6500)
        }
        return result
    }

    // A refusal found by the scene itself (an empty required field).
    function refuse(title, message) {
        if (shell)
            shell.pushToast("warning", title, message, 6500)
    }
}
