import QtQuick
import QtTest
import "qrc:/qt/qml/VornClient/ShellLogic.js" as Logic
import "qrc:/qt/qml/VornClient/IconData.js" as IconData

TestCase {
    name: "Notices"

    function test_icon_name_data() {
        return [
            { tag: "empty", key: "", icon: "info" },
            { tag: "tabler alert", key: "tabler_alert", icon: "warning" },
            { tag: "tabler alert in capitals", key: "TABLER_ALERT", icon: "warning" },
            { tag: "tabler alert with blank", key: " Tabler alert ", icon: "warning" },
            { tag: "gear with yo behind a prefix", key: "icons/шестерёнка.svg", icon: "settings" },
            { tag: "qrc prefix", key: "qrc:/icons/bell.svg", icon: "bell" },
            { tag: "icon prefix", key: "icon-lock", icon: "lock" },
            { tag: "blanks become dashes", key: "paint roller", icon: "roller" },
            { tag: "russian alias", key: "Склад", icon: "warehouse" },
            { tag: "alias beats direct name", key: "danger", icon: "error" },
            { tag: "direct name", key: "play", icon: "play" },
            { tag: "unknown", key: "unicorn", icon: "info" }
        ]
    }

    function test_icon_name(data) {
        compare(Logic.clientNoticeIconName(data.key), data.icon)
    }

    function test_every_answer_has_a_drawing() {
        var keys = ["", "alert", "ok", "cog", "print", "e-mail", "email", "trash", "delete", "скрипты"]
        for (var i = 0; i < Logic.directIconNames.length; ++i)
            keys.push(Logic.directIconNames[i])
        for (var j = 0; j < keys.length; ++j) {
            var icon = Logic.clientNoticeIconName(keys[j])
            verify(IconData.has(icon), keys[j] + " -> " + icon)
        }
    }

    function test_icon_key_fields_data() {
        return [
            { tag: "icon_key", notice: { icon_key: "bell", icon: "mail" }, key: "bell" },
            { tag: "empty icon_key", notice: { icon_key: " ", icon: "mail" }, key: "mail" },
            { tag: "icon_name", notice: { icon_name: "chat" }, key: "chat" },
            { tag: "icon_slug", notice: { icon_slug: "key" }, key: "key" },
            { tag: "none", notice: { title: "x" }, key: "" }
        ]
    }

    function test_icon_key_fields(data) {
        compare(Logic.noticeIconKey(data.notice), data.key)
    }

    function test_tone_data() {
        return [
            { tag: "amber", tone: "amber", fill: "#2B2110", stroke: "#F4C16D" },
            { tag: "red", tone: "red", fill: "#241520", stroke: "#FF9CB1" },
            { tag: "teal in capitals", tone: "TEAL", fill: "#10232A", stroke: "#7EE7E0" },
            { tag: "unknown", tone: "warning", fill: "#2B2110", stroke: "#F4C16D" },
            { tag: "missing", tone: undefined, fill: "#2B2110", stroke: "#F4C16D" },
            { tag: "inherited name", tone: "constructor", fill: "#2B2110", stroke: "#F4C16D" }
        ]
    }

    function test_tone(data) {
        var tone = Logic.noticeTone(data.tone)
        compare(tone.fill, data.fill)
        compare(tone.stroke, data.stroke)
    }
}
