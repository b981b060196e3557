.pragma library

// Pure helpers of the work pages: no context properties, so Qt Quick Test can call them.

function text(value) {
    return value === undefined || value === null ? "" : String(value)
}

function trimmed(value) {
    return text(value).trim()
}

// The first non-empty value among the given keys, as trimmed text. A nested object
// or list is not a text.
function firstText(row, names) {
    if (!row || typeof row !== "object")
        return ""
    for (var i = 0; i < names.length; ++i) {
        var v = row[names[i]]
        if (v === undefined || v === null || typeof v === "object")
            continue
        var t = String(v).trim()
        if (t.length > 0)
            return t
    }
    return ""
}

// Colour of a change line on the home page.
function dashboardDeltaColor(value) {
    var t = text(value)
    if (t.indexOf("+") >= 0 || t.indexOf("↑") >= 0)
        return "#8FE3C5"
    if (t.indexOf("-") >= 0 || t.indexOf("↓") >= 0)
        return "#FF9CB1"
    return "#93A8C7"
}

// The first `limit` prints as lines, or the "none yet" line.
function recentPrintedText(entries, limit) {
    var lines = []
    var list = entries || []
    for (var i = 0; i < list.length && lines.length < limit; ++i) {
        var e = list[i]
        var line = typeof e === "object" && e !== null
            ? firstText(e, ["line", "title", "time"]) : trimmed(e)
        if (line.length > 0)
            lines.push(line)
    }
    return lines.length > 0 ? lines.join("\n") : "Печатей сегодня ещё нет"
}

// --- issue feeds ---

function issueAccent(state) {
    var s = text(state).toLowerCase()
    function has(words) {
        for (var i = 0; i < words.length; ++i) {
            if (s.indexOf(words[i]) >= 0)
                return true
        }
        return false
    }
    if (has(["нов", "open", "рассмотр"]))
        return "#7FD6FF"
    if (has(["работ", "progress"]))
        return "#F4C16D"
    if (has(["test", "тест"]))
        return "#CDA4FF"
    if (has(["исправ", "fixed", "принят", "готов", "done", "closed"]))
        return "#8EE3BF"
    if (has(["отклон", "reject"]))
        return "#FF9CB1"
    return "#9FC0FF"
}

// The selected row after the list changed: nothing in an empty list, the first row
// when the old index fell out of it.
function syncedSelection(index, count) {
    var n = Number(count) || 0
    if (n <= 0)
        return -1
    var i = Number(index)
    if (isNaN(i) || i < 0 || i >= n)
        return 0
    return Math.floor(i)
}

function issueLink(row, fallback) {
    var link = firstText(row, ["openUrl", "browserUrl", "pageUrl"])
    return link.length > 0 ? link : trimmed(fallback)
}

function mediaLink(item) {
    if (item === undefined || item === null)
        return ""
    if (typeof item !== "object")
        return trimmed(item)
    return firstText(item, ["url", "public_url", "photo_url", "image_url", "attachment_url", "path"])
}

// Links of the row's photos: `photos`, else `attachments`; texts as they are, objects by
// their link fields. Empty and repeated links are dropped.
function issuePhotos(row) {
    if (!row)
        return []
    var list = row.photos
    if (!list || list.length === undefined || list.length === 0)
        list = row.attachments
    if (!list || typeof list === "string" || list.length === undefined)
        return []
    var links = []
    for (var i = 0; i < list.length; ++i) {
        var link = mediaLink(list[i])
        if (link.length > 0 && links.indexOf(link) < 0)
            links.push(link)
    }
    return links
}

// Long server texts: every ";" and " • " starts a new line.
function longText(value) {
    return text(value).split(" • ").join("\n").split(";").join("\n")
}

function issueStatusLine(status, kind) {
    var s = trimmed(status)
    if (s.length > 0)
        return s
    return kind === "bug" ? "Баги обновляются автоматически." : "Брак обновляется автоматически."
}

// --- help ---

var builtinHelpSections = [
    { title: "Главная", cards: [{ title: "Сводка", bullets: ["Сводка за день: активный сотрудник, макеты, квадратура, баги и брак."] }] },
    { title: "Склады", cards: [{ title: "Печать", bullets: ["Обычные складские позиции печатаются по скану. Вручную остаются только К_, ПОС_ и КОМ_01 — у них пока нет этикеток для сканирования."] }] },
    { title: "Расходники", cards: [{ title: "Учёт", bullets: ["Приход, остатки и списание через общий сканер или QR."] }] },
    { title: "Поставки", cards: [{ title: "Буфер", bullets: ["Локальный буфер WB/OZON-баркодов и печать наклеек для поставки."] }] },
    { title: "Сотрудники", cards: [{ title: "Рабочее место", bullets: ["Карточки, RFID UID, бейджи, личный график, общий график и архив активности."] }] },
    { title: "Скрипты", cards: [{ title: "Процессы", bullets: ["Локальные процессы клиента."] }] },
    { title: "Брак", cards: [{ title: "Записи", bullets: ["Новые карточки появляются автоматически."] }] },
    { title: "Баг-трекер", cards: [{ title: "Обратная связь", bullets: ["Новые баги появляются автоматически."] }] },
    { title: "Настройки", cards: [{ title: "Параметры", bullets: ["Название клиента, COM/RFID, рабочие папки, папка склада и служебные пути."] }] }
]

function textList(value) {
    var out = []
    if (!value || typeof value === "string" || value.length === undefined)
        return out
    for (var i = 0; i < value.length; ++i) {
        var t = trimmed(value[i])
        if (t.length > 0)
            out.push(t)
    }
    return out
}

// One section as the page draws it: a title and cards of bullet lines. A section's own
// bullets and body become a first card without a title.
function normalizedHelpSection(section) {
    var s = section || {}
    var cards = []
    var own = textList(s.bullets)
    var body = trimmed(s.body)
    if (own.length > 0 || body.length > 0)
        cards.push({ title: "", body: body, lines: own.map(function (b) { return "• " + b }) })
    var given = s.cards && s.cards.length !== undefined ? s.cards : []
    for (var i = 0; i < given.length; ++i) {
        var c = given[i] || {}
        var lines = textList(c.bullets).map(function (b) { return "• " + b })
        if (trimmed(c.title).length > 0 || lines.length > 0)
            cards.push({ title: trimmed(c.title), body: "", lines: lines })
    }
    return { title: trimmed(s.title), cards: cards }
}

// The settings' sections when there are any with content, else the built-in ones.
function helpSections(sections) {
    var out = []
    var list = sections && sections.length !== undefined ? sections : []
    for (var i = 0; i < list.length; ++i) {
        var n = normalizedHelpSection(list[i])
        if (n.title.length > 0 || n.cards.length > 0)
            out.push(n)
    }
    if (out.length > 0)
        return out
    return builtinHelpSections.map(normalizedHelpSection)
}

// --- scripts ---

var launchModes = ["auto", "python", "exe", "cmd", "powershell"]

function launchModeIndex(mode) {
    var i = launchModes.indexOf(trimmed(mode).toLowerCase())
    return i < 0 ? 0 : i
}

// The script chip to show after the list changed.
function scriptIndex(index, count) {
    var n = Number(count) || 0
    if (n <= 0)
        return 0
    var i = Number(index) || 0
    return Math.max(0, Math.min(n - 1, Math.floor(i)))
}

function scriptStateAccent(entry) {
    if (!entry)
        return "#64748B"
    if (entry.running)
        return "#22C55E"
    var s = text(entry.status)
    if (s.indexOf("упал") === 0 || s.indexOf("ошибка") === 0 || s === "нет пути")
        return "#FF7F9C"
    if (s === "выключен" || s === "не задан")
        return "#64748B"
    return "#7ECFFF"
}
