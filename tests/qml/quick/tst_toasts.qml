import QtQuick
import QtTest
import "qrc:/qt/qml/VornClient/ShellLogic.js" as Logic

TestCase {
    name: "Toasts"

    ListModel { id: toasts }

    function push(kind, title, message, timeoutMs) {
        Logic.insertToast(toasts, {
            toastId: Logic.newToastId(),
            kind: kind,
            title: title,
            message: message,
            timeoutMs: Logic.toastTimeout(kind, timeoutMs)
        }, 3)
    }

    function init() {
        toasts.clear()
    }

    function test_filter_data() {
        return [
            { tag: "empty", message: "", shown: false },
            { tag: "scan echo", message: "Скан: P01A7K3M9Q", shown: false },
            { tag: "prefix wins over a word", message: "Склады — локальные папки печати", shown: false },
            { tag: "no telling word", message: "Смена началась", shown: false },
            { tag: "scanner", message: "Сканер 2 подключён к COM4", shown: true },
            { tag: "failure", message: "Не удалось открыть файл", shown: true },
            { tag: "qr with blank", message: "QR создан", shown: true },
            { tag: "qr glued", message: "QRкод", shown: false },
            { tag: "upper case", message: "ОШИБКА отправки", shown: true }
        ]
    }

    function test_filter(data) {
        compare(Logic.shouldToastMessage(data.message), data.shown)
    }

    function test_kind_data() {
        return [
            { tag: "error level", level: "error", message: "всё хорошо", kind: "error" },
            { tag: "warn level", level: "warn", message: "ошибка", kind: "warning" },
            { tag: "success level", level: "success", message: "ошибка", kind: "success" },
            { tag: "failure text", level: "info", message: "Печать не удалось", kind: "error" },
            { tag: "error before success", level: "info", message: "Сохранение: ошибка", kind: "error" },
            { tag: "new defect", level: "info", message: "Новый брак по заказу", kind: "warning" },
            { tag: "connected", level: "info", message: "Сканер подключён", kind: "success" },
            { tag: "plain", level: "info", message: "Сканер ждёт", kind: "info" }
        ]
    }

    function test_kind(data) {
        compare(Logic.toastKind(data.level, data.message), data.kind)
    }

    function test_title_data() {
        return [
            { tag: "scanner first", message: "Сканер: печать не удалась", kind: "error", title: "Сканер" },
            { tag: "rfid", message: "RFID считыватель подключён", kind: "success", title: "RFID" },
            { tag: "sheets", message: "Подтверждение в таблице", kind: "info", title: "Google Sheets" },
            { tag: "print", message: "UID 12345 найден", kind: "info", title: "Печать" },
            { tag: "sync", message: "Синхронизация: снимок получен", kind: "info", title: "Синхронизация" },
            { tag: "saving", message: "Настройки сохранены", kind: "success", title: "Сохранение" },
            { tag: "paths", message: "Скрипты: путь не найден", kind: "error", title: "Пути и скрипты" },
            { tag: "bugs", message: "Новый баг", kind: "info", title: "Баги" },
            { tag: "defects", message: "Новый брак", kind: "warning", title: "Брак" },
            { tag: "fallback error", message: "Не удалось", kind: "error", title: "Ошибка" },
            { tag: "fallback warning", message: "Внимание", kind: "warning", title: "Предупреждение" },
            { tag: "fallback success", message: "Готово", kind: "success", title: "Успешно" },
            { tag: "fallback info", message: "Привет", kind: "info", title: "Информация" }
        ]
    }

    function test_title(data) {
        compare(Logic.toastTitle(data.message, data.kind), data.title)
    }

    // The scene test covers a timed error entry; without a time no line break is added.
    function test_journal_entry_without_time() {
        compare(Logic.eventToast("info", "Сканер 1 подключён", "").message, "Сканер 1 подключён")
    }

    function test_timeouts_data() {
        return [
            { tag: "error short", kind: "error", requested: 4000, timeout: 12000 },
            { tag: "error long", kind: "error", requested: 20000, timeout: 20000 },
            { tag: "warning", kind: "warning", requested: 4200, timeout: 9000 },
            { tag: "success", kind: "success", requested: 100, timeout: 5200 },
            { tag: "info", kind: "info", requested: 6000, timeout: 6000 },
            { tag: "no request", kind: "info", requested: undefined, timeout: 5200 }
        ]
    }

    function test_timeouts(data) {
        compare(Logic.toastTimeout(data.kind, data.requested), data.timeout)
    }

    function test_four_leave_three_newest() {
        push("info", "Один", "a", 0)
        push("info", "Два", "b", 0)
        push("info", "Три", "c", 0)
        push("info", "Четыре", "d", 0)
        compare(toasts.count, 3)
        compare(toasts.get(0).title, "Четыре")
        compare(toasts.get(1).title, "Три")
        compare(toasts.get(2).title, "Два")
    }

    function test_same_key_replaces_at_top() {
        push("error", "Сканер", "Порт занят\n10:00:01", 0)
        push("info", "Печать", "Готово", 0)
        push("error", " Сканер ", "Порт занят \n10:00:09", 0)
        compare(toasts.count, 2)
        compare(toasts.get(0).message, "Порт занят \n10:00:09")
        compare(toasts.get(1).title, "Печать")
        // Another kind with the same text is another toast.
        push("warning", "Сканер", "Порт занят", 0)
        compare(toasts.count, 3)
    }

    function test_dismiss_removes_that_toast() {
        push("info", "Один", "a", 0)
        push("info", "Два", "b", 0)
        var id = toasts.get(1).toastId
        verify(Logic.removeToast(toasts, id))
        compare(toasts.count, 1)
        compare(toasts.get(0).title, "Два")
        verify(!Logic.removeToast(toasts, id))
    }
}
