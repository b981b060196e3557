.pragma library

// Pure helpers of the window shell: no context properties, so Qt Quick Test can call them.

var supportContactUrl = "https://vorn.app/support"
var fallbackBugPortalUrl = "https://vorn.app/bugs"

var pageKeys = ["home", "orders", "warehouses", "consumables", "scripts", "supplies",
                "defects", "bugs", "employees", "settings", "help"]

function text(value) {
    return value === undefined || value === null ? "" : String(value)
}

function trimmed(value) {
    return text(value).trim()
}

function brandName(franchiseName, displayAppName) {
    var franchise = trimmed(franchiseName)
    if (franchise.length > 0)
        return franchise
    var display = trimmed(displayAppName)
    return display.length > 0 ? display : "VornClient"
}

function hasServerIdentity(tenantId, deviceId, serverUrl) {
    return trimmed(tenantId).length > 0 && trimmed(deviceId).length > 0 && trimmed(serverUrl).length > 0
}

function absoluteServerUrl(value, serverUrl) {
    var v = trimmed(value)
    if (v.length === 0)
        return ""
    if (/^https?:\/\//i.test(v))
        return v
    var base = trimmed(serverUrl)
    if (base.length === 0)
        return v
    return base.replace(/\/+$/, "") + "/" + v.replace(/^\/+/, "")
}

function pageIndex(key) {
    var i = pageKeys.indexOf(text(key))
    return i < 0 ? 0 : i
}

function pageTitle(key, helpTitle) {
    switch (text(key)) {
    case "orders": return "Заказы"
    case "warehouses": return "Склады"
    case "consumables": return "Расходники"
    case "scripts": return "Скрипты"
    case "supplies": return "Поставки"
    case "defects": return "Брак"
    case "bugs": return "Баг-трекер"
    case "employees": return "Сотрудники"
    case "settings": return "Настройки"
    case "help": return text(helpTitle)
    }
    return "Главная"
}

function pageDescription(key) {
    switch (text(key)) {
    case "orders": return "Заказы, FBO, очередь печати, склад и перепечать."
    case "warehouses": return "Печать по скану; вручную — только позиции без этикеток."
    case "consumables": return "Приход, остатки и списание."
    case "scripts": return "Локальные пути скриптов."
    case "supplies": return "Сбор поставок и печать наклеек."
    case "defects": return "Учёт брака."
    case "bugs": return "Учет багов."
    case "employees": return "Расписание, общий график, активность и архив."
    case "settings": return "Подключение, COM, пути и параметры клиента."
    case "help": return "Раздел для Ваших инструкций."
    }
    return "Дашборд со статистикой."
}

function navIconName(key) {
    var k = text(key)
    if (k === "bugs")
        return "bug"
    return pageKeys.indexOf(k) >= 0 ? k : ""
}

// The page a sidebar click or a guard leads to; rows are appSettings.sidebarItems.
function firstAvailablePageKey(rows) {
    var list = rows || []
    for (var i = 0; i < list.length; ++i) {
        if (list[i] && list[i].enabled !== false)
            return trimmed(list[i].key) || "home"
    }
    if (list.length > 0 && list[0])
        return trimmed(list[0].key) || "home"
    return "home"
}

// "none", "restricted" (the restricted-section dialog opens) or "navigate".
function openPageAction(key, restriction, serviceBlocked) {
    if (trimmed(key).length === 0 || serviceBlocked)
        return "none"
    var r = trimmed(restriction)
    if (r === "vorn" || r === "tenant")
        return "restricted"
    return "navigate"
}

function guardedPageKey(pageKey, visible, enabled, rows) {
    return visible && enabled ? pageKey : firstAvailablePageKey(rows)
}

// Onboarding never goes back to registration once connected, nor past it without a connection.
function syncedOnboardingStep(step, hasIdentity) {
    if (hasIdentity && step < 3)
        return 3
    if (!hasIdentity && step > 2)
        return 2
    return step
}

function scannerTabCount(scannerPorts) {
    var n = scannerPorts ? scannerPorts.length : 0
    return Math.max(2, Math.min(6, n))
}

var tones = {
    amber: { fill: "#2B2110", stroke: "#F4C16D" },
    red: { fill: "#241520", stroke: "#FF9CB1" },
    green: { fill: "#10241C", stroke: "#8EE3BF" },
    blue: { fill: "#101B2C", stroke: "#7ECFFF" },
    slate: { fill: "#151E2D", stroke: "#8FA3C4" },
    violet: { fill: "#1D1830", stroke: "#CDB7FF" },
    cyan: { fill: "#0F2027", stroke: "#7FE8FF" },
    pink: { fill: "#2A1624", stroke: "#FF9AD8" },
    teal: { fill: "#10232A", stroke: "#7EE7E0" }
}

function noticeTone(toneKey) {
    var key = trimmed(toneKey).toLowerCase()
    return tones.hasOwnProperty(key) ? tones[key] : tones.amber
}

function noticeIconKey(notice) {
    var names = ["icon_key", "icon", "icon_name", "iconKey", "icon_slug"]
    for (var i = 0; i < names.length; ++i) {
        var v = notice ? trimmed(notice[names[i]]) : ""
        if (v.length > 0)
            return v
    }
    return ""
}

var iconAliases = (function () {
    var groups = {
        warning: ["внимание", "предупреждение", "тревога", "alert", "warn"],
        info: ["информация", "инфо", "information"],
        success: ["успех", "готово", "ок", "ok", "done", "check"],
        error: ["ошибка", "error", "danger", "авария"],
        refresh: ["обновление", "update"],
        sync: ["синхронизация", "sync"],
        server: ["сервер", "server"],
        cloud: ["облако", "облачко", "клауд", "cloud"],
        lock: ["замок", "lock"],
        settings: ["шестеренка", "шестерёнка", "настройки", "параметры", "gear", "cog"],
        bolt: ["молния", "bolt", "lightning"],
        brush: ["кисточка", "brush"],
        roller: ["валик", "roller", "paint-roller"],
        printer: ["принтер", "печать", "printer", "print"],
        box: ["коробка", "box"],
        warehouse: ["склад", "warehouse"],
        warehouses: ["warehouses"],
        roll: ["рулон", "roll"],
        scissors: ["ножницы", "scissors"],
        ruler: ["линейка", "ruler"],
        palette: ["палитра", "palette"],
        ink: ["чернила", "ink"],
        droplet: ["капля", "droplet"],
        bug: ["баг", "bug"],
        bugs: ["bugs"],
        message: ["сообщение", "message"],
        bell: ["колокол", "уведомление", "bell"],
        megaphone: ["мегафон", "megaphone"],
        chat: ["чат", "chat"],
        mail: ["письмо", "mail", "email"],
        phone: ["телефон", "phone"],
        upload: ["загрузка", "upload"],
        download: ["скачивание", "download"],
        key: ["ключ", "key"],
        shield: ["щит", "shield"],
        eye: ["глаз", "eye"],
        fire: ["огонь", "fire", "flame"],
        star: ["звезда", "star"],
        flag: ["флаг", "flag"],
        folder: ["папка", "folder"],
        link: ["ссылка", "link"],
        search: ["поиск", "search"],
        open: ["открыть", "open"],
        "delete": ["удалить", "delete"],
        trash: ["trash"],
        save: ["сохранить", "save"],
        copy: ["копия", "copy"],
        plus: ["плюс", "plus"],
        home: ["home", "главная"],
        orders: ["orders", "заказы", "заказ"],
        consumables: ["consumables", "расходники"],
        scripts: ["scripts", "скрипты", "script"],
        supplies: ["supplies", "поставки", "поставка"],
        defects: ["defects", "брак"],
        employees: ["employees", "сотрудники"],
        help: ["help", "помощь"]
    }
    var table = {}
    for (var icon in groups) {
        for (var i = 0; i < groups[icon].length; ++i)
            table[groups[icon][i]] = icon
    }
    return table
})()

var directIconNames = ["warning", "info", "success", "error", "danger", "refresh", "sync", "server",
    "cloud", "lock", "settings", "bolt", "brush", "roller", "printer", "box", "warehouse", "warehouses",
    "roll", "scissors", "ruler", "palette", "ink", "droplet", "bug", "bugs", "message", "bell",
    "megaphone", "chat", "mail", "phone", "upload", "download", "key", "shield", "eye", "fire", "flame",
    "star", "flag", "home", "orders", "consumables", "scripts", "supplies", "defects", "employees", "help",
    "folder", "link", "search", "open", "trash", "delete", "plus", "play", "stop", "save", "copy"]

function clientNoticeIconName(value) {
    var v = trimmed(value).toLowerCase()
    if (v.length === 0)
        return "info"
    v = v.replace(/^qrc:\/icons\//, "")
    v = v.replace(/^icons\//, "")
    v = v.replace(/\.svg$/, "")
    v = v.replace(/^tabler[-_ ]/, "")
    v = v.replace(/^icon[-_ ]/, "")
    v = v.replace(/ё/g, "е")
    v = v.replace(/[\s_]+/g, "-")
    if (iconAliases.hasOwnProperty(v))
        return iconAliases[v]
    if (directIconNames.indexOf(v) >= 0)
        return v
    return "info"
}

// --- toasts ---

var toastFilterPrefixes = ["скан:", "rfid raw:", "клиент запущен", "сервер — единственный источник данных",
    "баги и брак обновлены", "поставки: буфер баркодов", "архив печати читается",
    "архив печати: данные обновлены", "архив печати: сервер обнов", "заказы — в разработке",
    "склады — локальные папки"]
var toastFilterWords = ["сканер", "rfid", "gs", "таблиц", "печат", "наклей", "tenant", "серв", "синк",
    "синхро", "сохран", "сброс", "путь", "скрипт", "папк", "баг", "брак", "ошибка", "не удалось",
    "не найден", "отправлен", "подтверд", "подключ", "отключ", "выключ", "qr ", "csv "]

function containsAny(haystack, needles) {
    for (var i = 0; i < needles.length; ++i) {
        if (haystack.indexOf(needles[i]) >= 0)
            return true
    }
    return false
}

function shouldToastMessage(message) {
    var m = text(message).toLowerCase()
    if (m.length === 0)
        return false
    for (var i = 0; i < toastFilterPrefixes.length; ++i) {
        if (m.indexOf(toastFilterPrefixes[i]) === 0)
            return false
    }
    return containsAny(m, toastFilterWords)
}

function toastKind(level, message) {
    var l = text(level)
    if (l === "error")
        return "error"
    if (l === "warn")
        return "warning"
    if (l === "success")
        return "success"
    var m = text(message).toLowerCase()
    if (containsAny(m, ["ошибка", "не удалось", "не найден", "отклон"]))
        return "error"
    if (containsAny(m, ["новый брак", "предуп", "не выбран", "выключ"]))
        return "warning"
    if (containsAny(m, ["подключён", "сохран", "создан", "заверш", "напечат", "подтверд", "отправлен"]))
        return "success"
    return "info"
}

function toastTitle(message, kind) {
    var m = text(message).toLowerCase()
    if (m.indexOf("сканер") >= 0)
        return "Сканер"
    if (m.indexOf("rfid") >= 0)
        return "RFID"
    if (containsAny(m, ["gs", "таблиц"]))
        return "Google Sheets"
    if (containsAny(m, ["склады", "uid", "печат", "наклей"]))
        return "Печать"
    if (containsAny(m, ["client-config", "серв", "tenant", "синхро", "синк"]))
        return "Синхронизация"
    if (containsAny(m, ["сохран", "перечит", "сброс"]))
        return "Сохранение"
    if (containsAny(m, ["путь", "скрипт", "папк"]))
        return "Пути и скрипты"
    if (m.indexOf("баг") >= 0)
        return "Баги"
    if (m.indexOf("брак") >= 0)
        return "Брак"
    switch (text(kind)) {
    case "error": return "Ошибка"
    case "warning": return "Предупреждение"
    case "success": return "Успешно"
    }
    return "Информация"
}

function toastMinimumTimeout(kind) {
    return kind === "error" ? 12000 : kind === "warning" ? 9000 : 5200
}

function toastTimeout(kind, requested) {
    var r = Number(requested)
    return Math.max(isNaN(r) ? 0 : r, toastMinimumTimeout(kind))
}

function toastKey(kind, title, message) {
    return text(kind) + "|" + trimmed(title) + "|" + text(message).split("\n")[0].trim()
}

function newToastId() {
    return String(Date.now()) + Math.random().toString(16).slice(2)
}

// The toast a journal entry becomes, or null when it is filtered out.
function eventToast(level, message, timestamp) {
    if (!shouldToastMessage(message))
        return null
    var kind = toastKind(level, message)
    var stamp = trimmed(timestamp)
    return {
        kind: kind,
        title: toastTitle(message, kind),
        message: text(message) + (stamp.length > 0 ? "\n" + stamp : ""),
        timeoutMs: kind === "error" ? 6500 : 4200
    }
}

// Puts a toast on top of a ListModel: same key replaces, at most `limit` stay (oldest go).
function insertToast(model, toast, limit) {
    var key = toastKey(toast.kind, toast.title, toast.message)
    for (var i = model.count - 1; i >= 0; --i) {
        var shown = model.get(i)
        if (toastKey(shown.kind, shown.title, shown.message) === key)
            model.remove(i)
    }
    model.insert(0, toast)
    while (model.count > limit)
        model.remove(model.count - 1)
}

function removeToast(model, toastId) {
    for (var i = 0; i < model.count; ++i) {
        if (model.get(i).toastId === toastId) {
            model.remove(i)
            return true
        }
    }
    return false
}

var toastColors = {
    error: { fill: "#241520", stroke: "#FF9CB1", accent: "#FF7F9C" },
    warning: { fill: "#2B2110", stroke: "#F4C16D", accent: "#F4C16D" },
    success: { fill: "#10241C", stroke: "#8EE3BF", accent: "#8EE3BF" },
    info: { fill: "#101B2C", stroke: "#7ECFFF", accent: "#7ECFFF" }
}

function toastStyle(kind) {
    return toastColors.hasOwnProperty(kind) ? toastColors[kind] : toastColors.info
}

function firstNonEmpty(values, fallback) {
    for (var i = 0; i < values.length; ++i) {
        var v = trimmed(values[i])
        if (v.length > 0)
            return v
    }
    return fallback
}
