import QtQuick
import QtTest
import "qrc:/qt/qml/VornClient/ShellLogic.js" as Logic

TestCase {
    name: "Navigation"

    function test_absolute_url_data() {
        return [
            { tag: "empty", value: "  ", base: "http://h", url: "" },
            { tag: "absolute http", value: "http://x/y", base: "http://h", url: "http://x/y" },
            { tag: "absolute https", value: " HTTPS://x/y ", base: "http://h", url: "HTTPS://x/y" },
            { tag: "no base", value: "bugs/new", base: "", url: "bugs/new" },
            { tag: "neither slash", value: "bugs", base: "http://h:8787", url: "http://h:8787/bugs" },
            { tag: "base slash", value: "bugs", base: "http://h:8787/", url: "http://h:8787/bugs" },
            { tag: "value slash", value: "/bugs", base: "http://h:8787", url: "http://h:8787/bugs" },
            { tag: "both slashes", value: "/bugs", base: "http://h:8787/", url: "http://h:8787/bugs" },
            { tag: "base path", value: "a/b?c=1", base: "http://h/api/", url: "http://h/api/a/b?c=1" }
        ]
    }

    function test_absolute_url(data) {
        compare(Logic.absoluteServerUrl(data.value, data.base), data.url)
    }

    function test_brand_name() {
        compare(Logic.brandName("  Мастерская ", "Vorn"), "Мастерская")
        compare(Logic.brandName(" ", " Vorn Client "), "Vorn Client")
        compare(Logic.brandName("", ""), "VornClient")
    }

    function test_open_page_data() {
        return [
            { tag: "empty key", key: "", restriction: "", blocked: false, action: "none" },
            { tag: "free row", key: "help", restriction: "", blocked: false, action: "navigate" },
            { tag: "locked by vorn", key: "help", restriction: "vorn", blocked: false, action: "restricted" },
            { tag: "locked by tenant", key: "help", restriction: "tenant", blocked: false, action: "restricted" },
            { tag: "blocked free row", key: "help", restriction: "", blocked: true, action: "none" },
            { tag: "other restriction", key: "help", restriction: "x", blocked: false, action: "navigate" }
        ]
    }

    function test_open_page(data) {
        compare(Logic.openPageAction(data.key, data.restriction, data.blocked), data.action)
    }

    function test_first_available_data() {
        return [
            { tag: "no rows", rows: [], key: "home" },
            { tag: "first enabled", rows: [{ key: "help", enabled: false }, { key: "bugs", enabled: true }], key: "bugs" },
            { tag: "missing flag counts as enabled", rows: [{ key: "bugs" }], key: "bugs" },
            { tag: "all locked", rows: [{ key: "help", enabled: false }, { key: "bugs", enabled: false }], key: "help" },
            { tag: "empty key", rows: [{ key: "", enabled: true }], key: "home" }
        ]
    }

    function test_first_available(data) {
        compare(Logic.firstAvailablePageKey(data.rows), data.key)
    }

    function test_page_guard() {
        var rows = [{ key: "home", enabled: false }, { key: "help", enabled: true }]
        compare(Logic.guardedPageKey("bugs", true, true, rows), "bugs")
        compare(Logic.guardedPageKey("bugs", false, true, rows), "help")
        compare(Logic.guardedPageKey("bugs", true, false, rows), "help")
    }

    function test_page_index() {
        compare(Logic.pageIndex("home"), 0)
        compare(Logic.pageIndex("help"), 10)
        compare(Logic.pageIndex("settings"), 9)
        compare(Logic.pageIndex("unknown"), 0)
    }

    function test_header_texts() {
        compare(Logic.pageTitle("bugs", "x"), "Баг-трекер")
        compare(Logic.pageTitle("help", "Инструкции цеха"), "Инструкции цеха")
        compare(Logic.pageTitle("nope", ""), "Главная")
        compare(Logic.navIconName("bugs"), "bug")
        compare(Logic.navIconName("orders"), "orders")
    }

    function test_scanner_tabs_data() {
        return [
            { tag: "none", ports: [], count: 2 },
            { tag: "three", ports: [{}, {}, {}], count: 3 },
            { tag: "nine", ports: [{}, {}, {}, {}, {}, {}, {}, {}, {}], count: 6 }
        ]
    }

    function test_scanner_tabs(data) {
        compare(Logic.scannerTabCount(data.ports), data.count)
    }

    function test_onboarding_step() {
        compare(Logic.syncedOnboardingStep(0, true), 3)
        compare(Logic.syncedOnboardingStep(4, true), 4)
        compare(Logic.syncedOnboardingStep(4, false), 2)
        compare(Logic.syncedOnboardingStep(1, false), 1)
    }
}
