.pragma library
.import "PageLogic.js" as PageLogic

// Pure helpers of the staff page: no scene objects, so they can be tested alone.

var defaultShift = "09:00-21:00"
var weekdayNames = ["Вс", "Пн", "Вт", "Ср", "Чт", "Пт", "Сб"]

function text(value) {
    return PageLogic.text(value)
}

function trimmed(value) {
    return PageLogic.trimmed(value)
}

// "<day>:<shift>", the way a day of the schedule is written in one word.
function scheduleToken(day, shift) {
    return String(Number(day)) + ":" + trimmed(shift)
}

// Weekday label of a day of a month (month 1..12); "" for a day that does not exist.
function weekdayLabel(year, month, day) {
    var y = Number(year), m = Number(month), d = Number(day)
    if (!(m >= 1 && m <= 12) || !(d >= 1) || d > daysInMonth(y, m))
        return ""
    return weekdayNames[new Date(y, m - 1, d).getDay()]
}

function daysInMonth(year, month) {
    return new Date(Number(year), Number(month), 0).getDate()
}

// A day off (red), an empty day (grey) or a shift (green).
function shiftKind(value) {
    var v = trimmed(value).toLowerCase()
    if (v.indexOf("вых") >= 0 || v.indexOf("off") >= 0 || v.indexOf("отгул") >= 0)
        return "off"
    if (v.length === 0 || v === "—")
        return "empty"
    return "shift"
}

function shiftTextColor(value) {
    switch (shiftKind(value)) {
    case "off": return "#FF9CB1"
    case "empty": return "#7B8799"
    }
    return "#8EE3BF"
}

function shiftFillColor(value) {
    switch (shiftKind(value)) {
    case "off": return "#26161E"
    case "empty": return "#111A28"
    }
    return "#12221C"
}

// The month arrows: stay within January..December, the year does not roll over.
function steppedMonth(month, delta) {
    var m = Math.round(Number(month))
    if (!(m >= 1))
        m = 1
    return Math.max(1, Math.min(12, m + Math.round(Number(delta) || 0)))
}

// What "По умолчанию" writes onto a card: "id|name", never starting with "|".
function defaultCardData(id, name) {
    var data = trimmed(id) + "|" + trimmed(name)
    while (data.charAt(0) === "|")
        data = data.substring(1)
    return data
}

// The dialog's form for a new employee or for editing an existing one.
function newEmployeeForm(bulkDefaultShift) {
    return {
        editing: false,
        id: "",
        name: "",
        role: "",
        rfid: "",
        rfidData: "",
        defaultShift: trimmed(bulkDefaultShift) || defaultShift
    }
}

function employeeForm(employee) {
    var e = employee || {}
    return {
        editing: true,
        id: trimmed(e.id),
        name: trimmed(e.name),
        role: trimmed(e.role),
        rfid: trimmed(e.rfid),
        rfidData: trimmed(e.rfidData),
        defaultShift: trimmed(e.defaultShift)
    }
}

// The arguments of addEmployee / updateEmployee, or the reason the form cannot be saved.
function employeeDialogPayload(form) {
    var f = form || {}
    var result = {
        ok: false,
        error: "",
        editing: f.editing === true,
        id: trimmed(f.id),
        name: trimmed(f.name),
        role: trimmed(f.role),
        rfid: trimmed(f.rfid).toUpperCase(),
        defaultShift: trimmed(f.defaultShift),
        rfidData: trimmed(f.rfidData)
    }
    if (result.editing && result.id.length === 0)
        result.error = "Сотрудники: у карточки нет ID"
    else if (result.name.length === 0)
        result.error = "Сотрудники: укажи имя"
    else
        result.ok = true
    return result
}

// The date field of the attendance and archive tabs.
function isoDate(date) {
    var d = date instanceof Date ? date : new Date()
    function two(n) { return (n < 10 ? "0" : "") + n }
    return d.getFullYear() + "-" + two(d.getMonth() + 1) + "-" + two(d.getDate())
}
