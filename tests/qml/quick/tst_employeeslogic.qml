import QtQuick
import QtTest
import "qrc:/qt/qml/VornClient/EmployeesLogic.js" as ELogic

TestCase {
    name: "EmployeesLogic"

    function test_month_step_data() {
        return [
            { tag: "back from March", month: 3, delta: -1, result: 2 },
            { tag: "forward from March", month: 3, delta: 1, result: 4 },
            { tag: "January stays", month: 1, delta: -1, result: 1 },
            { tag: "December stays", month: 12, delta: 1, result: 12 },
            { tag: "big jump clamps", month: 6, delta: 20, result: 12 },
            { tag: "broken month starts at January", month: undefined, delta: 1, result: 2 }
        ]
    }

    function test_month_step(data) {
        compare(ELogic.steppedMonth(data.month, data.delta), data.result)
    }

    function test_schedule_token_data() {
        return [
            { tag: "shift", day: 5, shift: "09:00-21:00", token: "5:09:00-21:00" },
            { tag: "trimmed", day: "12", shift: "  вых ", token: "12:вых" },
            { tag: "no shift", day: 1, shift: undefined, token: "1:" }
        ]
    }

    function test_schedule_token(data) {
        compare(ELogic.scheduleToken(data.day, data.shift), data.token)
    }

    function test_weekday_label_data() {
        return [
            { tag: "Sunday", year: 2026, month: 3, day: 1, label: "Вс" },
            { tag: "Thursday", year: 2026, month: 1, day: 1, label: "Чт" },
            { tag: "Saturday", year: 2026, month: 3, day: 7, label: "Сб" },
            { tag: "leap day", year: 2028, month: 2, day: 29, label: "Вт" },
            { tag: "no 29 February", year: 2026, month: 2, day: 29, label: "" },
            { tag: "month 13", year: 2026, month: 13, day: 1, label: "" },
            { tag: "day 0", year: 2026, month: 5, day: 0, label: "" }
        ]
    }

    function test_weekday_label(data) {
        compare(ELogic.weekdayLabel(data.year, data.month, data.day), data.label)
    }

    function test_shift_colors_data() {
        return [
            { tag: "day off", value: "вых", text: "#FF9CB1", fill: "#26161E" },
            { tag: "day off capital", value: "Выходной", text: "#FF9CB1", fill: "#26161E" },
            { tag: "off", value: "OFF", text: "#FF9CB1", fill: "#26161E" },
            { tag: "empty", value: "", text: "#7B8799", fill: "#111A28" },
            { tag: "blank", value: "   ", text: "#7B8799", fill: "#111A28" },
            { tag: "dash", value: "—", text: "#7B8799", fill: "#111A28" },
            { tag: "undefined", value: undefined, text: "#7B8799", fill: "#111A28" },
            { tag: "shift", value: "09:00-21:00", text: "#8EE3BF", fill: "#12221C" }
        ]
    }

    function test_shift_colors(data) {
        compare(ELogic.shiftTextColor(data.value), data.text)
        compare(ELogic.shiftFillColor(data.value), data.fill)
    }

    function test_card_data_default_data() {
        return [
            { tag: "id and name", id: "E006", name: "Сергей Лебедев", data: "E006|Сергей Лебедев" },
            { tag: "trimmed", id: " 7 ", name: " Анна ", data: "7|Анна" },
            { tag: "no id: leading bar removed", id: "", name: "Анна", data: "Анна" },
            { tag: "no name", id: "7", name: "", data: "7|" },
            { tag: "name starting with bars", id: "", name: "||Анна", data: "Анна" }
        ]
    }

    function test_card_data_default(data) {
        compare(ELogic.defaultCardData(data.id, data.name), data.data)
    }

    function test_new_form_default_shift_data() {
        return [
            { tag: "bulk shift", bulk: "08:00-20:00", shift: "08:00-20:00" },
            { tag: "empty bulk", bulk: "  ", shift: "09:00-21:00" },
            { tag: "no bulk", bulk: undefined, shift: "09:00-21:00" }
        ]
    }

    function test_new_form_default_shift(data) {
        var form = ELogic.newEmployeeForm(data.bulk)
        compare(form.editing, false)
        compare(form.defaultShift, data.shift)
        compare(form.name, "")
    }

    function test_dialog_payload_data() {
        return [
            { tag: "new with name", form: { editing: false, name: " Анна ", id: "", rfid: "04aa55", role: "резчик" },
              ok: true, name: "Анна", id: "", rfid: "04AA55", error: "" },
            { tag: "new without name", form: { editing: false, name: "  ", id: "7" },
              ok: false, name: "", id: "7", rfid: "", error: "Сотрудники: укажи имя" },
            { tag: "edit without id", form: { editing: true, name: "Анна", id: " " },
              ok: false, name: "Анна", id: "", rfid: "", error: "Сотрудники: у карточки нет ID" },
            { tag: "edit", form: { editing: true, name: "Анна", id: "3", rfidData: " 3|Анна " },
              ok: true, name: "Анна", id: "3", rfid: "", error: "" },
            { tag: "no form", form: null, ok: false, name: "", id: "", rfid: "", error: "Сотрудники: укажи имя" }
        ]
    }

    function test_dialog_payload(data) {
        var p = ELogic.employeeDialogPayload(data.form)
        compare(p.ok, data.ok)
        compare(p.error, data.error)
        compare(p.name, data.name)
        compare(p.id, data.id)
        compare(p.rfid, data.rfid)
    }

    function test_edit_form_loads_employee() {
        var form = ELogic.employeeForm({ id: "3", name: "Анна", role: "резчик", rfid: "04AA", rfidData: "3|Анна",
                                         defaultShift: "10:00-22:00", meta: "x" })
        compare(form.editing, true)
        compare(form.id, "3")
        compare(form.rfidData, "3|Анна")
        compare(form.defaultShift, "10:00-22:00")
        var p = ELogic.employeeDialogPayload(form)
        compare(p.ok, true)
        compare(p.editing, true)
        compare(p.rfidData, "3|Анна")
    }

    function test_iso_date() {
        compare(ELogic.isoDate(new Date(2026, 0, 5)), "2026-01-05")
    }
}
