import QtQuick
import QtTest
import "qrc:/qt/qml/VornClient/PageLogic.js" as PageLogic

TestCase {
    name: "PageLogic"

    function test_issue_accent_data() {
        return [
            { tag: "new", state: "Новый", color: "#7FD6FF" },
            { tag: "in work", state: "В работе", color: "#F4C16D" },
            { tag: "testing", state: "Тестирование", color: "#CDA4FF" },
            { tag: "fixed", state: "Исправлен", color: "#8EE3BF" },
            { tag: "rejected", state: "Отклонён", color: "#FF9CB1" },
            // The first rule wins: a reopened fix is new again.
            { tag: "new beats fixed", state: "новый (исправлен)", color: "#7FD6FF" },
            { tag: "unknown", state: "пауза", color: "#9FC0FF" },
            { tag: "empty", state: undefined, color: "#9FC0FF" }
        ]
    }

    function test_issue_accent(data) {
        compare(PageLogic.issueAccent(data.state), data.color)
    }

    function test_selection_data() {
        return [
            { tag: "empty list", index: 3, count: 0, result: -1 },
            { tag: "nothing selected yet", index: -1, count: 4, result: 0 },
            { tag: "kept", index: 2, count: 4, result: 2 },
            { tag: "last kept", index: 3, count: 4, result: 3 },
            { tag: "out of range", index: 4, count: 4, result: 0 },
            { tag: "undefined count", index: 1, count: undefined, result: -1 }
        ]
    }

    function test_selection(data) {
        compare(PageLogic.syncedSelection(data.index, data.count), data.result)
    }

    function test_issue_link_data() {
        return [
            { tag: "open url first", row: { openUrl: "http://a", browserUrl: "http://b" }, link: "http://a" },
            { tag: "browser url", row: { openUrl: " ", browserUrl: "http://b", pageUrl: "http://c" }, link: "http://b" },
            { tag: "page url", row: { pageUrl: "/bugs/7" }, link: "/bugs/7" },
            { tag: "fallback", row: { title: "x" }, link: "http://portal" },
            { tag: "no row", row: null, link: "http://portal" }
        ]
    }

    function test_issue_link(data) {
        compare(PageLogic.issueLink(data.row, " http://portal "), data.link)
    }

    function test_photos_data() {
        return [
            { tag: "texts", row: { photos: ["a.jpg", " b.jpg ", ""] }, links: ["a.jpg", "b.jpg"] },
            { tag: "objects", row: { photos: [{ url: "u" }, { public_url: "p" }, { photo_url: "ph" },
                                              { image_url: "i" }, { attachment_url: "at" }, { path: "/f" }] },
              links: ["u", "p", "ph", "i", "at", "/f"] },
            { tag: "first key wins", row: { photos: [{ path: "/f", url: "u" }] }, links: ["u"] },
            { tag: "attachments when no photos", row: { photos: [], attachments: [{ url: "x" }] }, links: ["x"] },
            { tag: "photos before attachments", row: { photos: ["p"], attachments: ["a"] }, links: ["p"] },
            { tag: "repeated once", row: { photos: ["a", "a"] }, links: ["a"] },
            { tag: "object without link", row: { photos: [{ name: "n" }] }, links: [] },
            { tag: "text instead of list", row: { photos: "a.jpg" }, links: [] },
            { tag: "nothing", row: {}, links: [] }
        ]
    }

    function test_photos(data) {
        compare(PageLogic.issuePhotos(data.row), data.links)
    }

    function test_long_text() {
        compare(PageLogic.longText("Заказ: 1 • Причина: пятно;второй;третий"),
                "Заказ: 1\nПричина: пятно\nвторой\nтретий")
        compare(PageLogic.longText("a•b"), "a•b")
        compare(PageLogic.longText(undefined), "")
    }

    function test_status_line() {
        compare(PageLogic.issueStatusLine(" ", "bug"), "Баги обновляются автоматически.")
        compare(PageLogic.issueStatusLine("", "defect"), "Брак обновляется автоматически.")
        compare(PageLogic.issueStatusLine("Баги и брак обновлены с сервера", "bug"), "Баги и брак обновлены с сервера")
    }

    function test_delta_color_data() {
        return [
            { tag: "arrow up", text: "↑ 2", color: "#8FE3C5" },
            { tag: "arrow down", text: "↓ 2", color: "#FF9CB1" },
            { tag: "same", text: "→ без изменений к вчера", color: "#93A8C7" },
            { tag: "empty", text: "", color: "#93A8C7" }
        ]
    }

    function test_delta_color(data) {
        compare(PageLogic.dashboardDeltaColor(data.text), data.color)
    }

    function test_recent_printed() {
        compare(PageLogic.recentPrintedText([], 5), "Печатей сегодня ещё нет")
        compare(PageLogic.recentPrintedText(undefined, 5), "Печатей сегодня ещё нет")
        var list = []
        for (var i = 1; i <= 7; ++i)
            list.push({ line: "печать " + i, title: "t" })
        compare(PageLogic.recentPrintedText(list, 5), "печать 1\nпечать 2\nпечать 3\nпечать 4\nпечать 5")
        compare(PageLogic.recentPrintedText([{ line: "" , title: "макет" }, "  текст "], 5), "макет\nтекст")
    }

    function test_builtin_help() {
        compare(PageLogic.helpSections([]).length, 9)
        // Sections without any content do not hide the built-in ones.
        compare(PageLogic.helpSections([{ title: " ", cards: [] }]).length, 9)
        compare(PageLogic.helpSections(undefined).length, 9)
    }

    function test_server_help() {
        var sections = PageLogic.helpSections([
            { title: " Печать ", bullets: ["Сначала скан", " "], body: "Общее",
              cards: [{ title: "Резак", bullets: ["QR резака", "Потом сотрудник"] }, { title: "", bullets: [] }] }
        ])
        compare(sections.length, 1)
        compare(sections[0].title, "Печать")
        compare(sections[0].cards.length, 2)
        compare(sections[0].cards[0].title, "")
        compare(sections[0].cards[0].body, "Общее")
        compare(sections[0].cards[0].lines, ["• Сначала скан"])
        compare(sections[0].cards[1].lines, ["• QR резака", "• Потом сотрудник"])
    }

    function test_script_helpers() {
        compare(PageLogic.launchModeIndex(" Python "), 1)
        compare(PageLogic.launchModeIndex("bash"), 0)
        compare(PageLogic.scriptIndex(5, 3), 2)
        compare(PageLogic.scriptIndex(-1, 3), 0)
        compare(PageLogic.scriptIndex(1, 0), 0)
        compare(PageLogic.scriptStateAccent({ running: true, status: "запущен" }), "#22C55E")
        compare(PageLogic.scriptStateAccent({ running: false, status: "упал (1)" }), "#FF7F9C")
        compare(PageLogic.scriptStateAccent({ running: false, status: "готов" }), "#7ECFFF")
        compare(PageLogic.scriptStateAccent(null), "#64748B")
    }
}
