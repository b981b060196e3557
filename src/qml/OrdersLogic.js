.pragma library
.import "PageLogic.js" as PageLogic

// Pure helpers of the orders page and its dialogs: reading rows, dates, the form
// buffers and the payloads sent to ordersApi. No context properties, so Qt Quick Test
// can call every function.

function text(value) {
    return PageLogic.text(value)
}

function trimmed(value) {
    return PageLogic.trimmed(value)
}

// The first non-empty value among the given keys, as trimmed text; else the fallback.
function orderValue(row, names, fallback) {
    var v = PageLogic.firstText(row, names)
    return v.length > 0 ? v : text(fallback)
}

function pad2(n) {
    return (n < 10 ? "0" : "") + n
}

function validDayTime(day, month, hours, minutes) {
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return false
    return hours === undefined || (hours < 24 && minutes < 60)
}

function dottedDate(day, month, year, hours, minutes) {
    var s = pad2(day) + "." + pad2(month) + "." + year
    return hours === undefined ? s : s + " " + pad2(hours) + ":" + pad2(minutes)
}

// ISO and dotted dates become day.month.year (with hours:minutes when a time was given);
// other dates the engine can read become day.month.year hours:minutes in local time;
// empty gives "—"; anything else is shown as it came.
function formatOrderDate(value) {
    var s = trimmed(value)
    if (s.length === 0)
        return "—"
    var m = /^(\d{4})-(\d{1,2})-(\d{1,2})(?:[T ](\d{1,2}):(\d{2})(?::\d{2}(?:[.,]\d+)?)?(?:Z|[+-]\d{2}(?::?\d{2})?)?)?$/.exec(s)
    if (m) {
        var h = m[4] === undefined ? undefined : Number(m[4])
        var min = m[5] === undefined ? undefined : Number(m[5])
        if (validDayTime(Number(m[3]), Number(m[2]), h, min))
            return dottedDate(Number(m[3]), Number(m[2]), m[1], h, min)
        return text(value)
    }
    m = /^(\d{1,2})\.(\d{1,2})\.(\d{4})(?:[ T,]+(\d{1,2}):(\d{2})(?::\d{2})?)?$/.exec(s)
    if (m) {
        var dh = m[4] === undefined ? undefined : Number(m[4])
        var dmin = m[5] === undefined ? undefined : Number(m[5])
        if (validDayTime(Number(m[1]), Number(m[2]), dh, dmin))
            return dottedDate(Number(m[1]), Number(m[2]), m[3], dh, dmin)
        return text(value)
    }
    // Bare numbers are not dates here (order numbers look like that).
    if (/^\d+$/.test(s))
        return text(value)
    var d = new Date(s)
    if (!isNaN(d.getTime()))
        return dottedDate(d.getDate(), d.getMonth() + 1, d.getFullYear(), d.getHours(), d.getMinutes())
    return text(value)
}

var paintingTypes = ["picture", "pos", "kartiny", "картины"]
var paintingPrefixes = ["К_", "ПОС_", "POS_"]

function orderIsPainting(row) {
    var type = orderValue(row, ["source_type", "sourceType"], "").toLowerCase()
    var sheet = orderValue(row, ["sheet", "worksheet"], "").toLowerCase()
    if (paintingTypes.indexOf(type) >= 0 || paintingTypes.indexOf(sheet) >= 0)
        return true
    var article = orderValue(row, ["sku", "article"], "").toUpperCase()
    for (var i = 0; i < paintingPrefixes.length; ++i) {
        if (article.indexOf(paintingPrefixes[i]) === 0)
            return true
    }
    return false
}

// --- tabs ---

var ordersTabs = [
    { key: "orders", title: "Заказы" },
    { key: "paintings", title: "Картины" },
    { key: "fbo", title: "FBO" },
    { key: "queue", title: "Очередь" },
    { key: "reprints", title: "Перепечать" },
    { key: "stock", title: "Склад" }
]

var stockTabs = [
    { key: "local", title: "Склад", warehouse: "Склад" },
    { key: "wb", title: "Склад WB", warehouse: "Склад WB" },
    { key: "ozon", title: "Склад OZON", warehouse: "Склад OZON" }
]

function stockWarehouse(stockTab) {
    for (var i = 0; i < stockTabs.length; ++i) {
        if (stockTabs[i].key === stockTab)
            return stockTabs[i].warehouse
    }
    return stockTabs[0].warehouse
}

var emptyStates = {
    orders: { title: "Данных пока нет", hint: "Данные появятся после фоновой синхронизации сервера или первого скана." },
    paintings: { title: "Картин пока нет", hint: "Сюда попадают заказы с артикулами К_ и ПОС_, как на листе «Картины» в GS." },
    fbo: { title: "FBO пока пуст", hint: "FBO обновляется отдельным серверным процессом и не связан с автоимпортом новых заказов." },
    queue: { title: "Очередь пуста", hint: "Очередь печати появится после формирования заданий." },
    reprints: { title: "Перепечатей нет", hint: "Перепечати здесь создаются вручную. Нажмите «Новая перепечать» и заполните артикул, полосу, принтер и причину." },
    stock: { title: "Склад пуст", hint: "Остатки считаются по строкам прихода, расхода и возврата в заказах." }
}

function emptyState(tab) {
    return emptyStates[tab] || emptyStates.orders
}

// --- order dialog ---

var marketplaces = ["WB", "OZON", "YM"]

function isWholeNumber(value) {
    return /^\d+$/.test(trimmed(value))
}

function atLeast(value, minimum) {
    var n = parseInt(trimmed(value), 10)
    return isNaN(n) || n < minimum ? minimum : n
}

function newOrderForm(tab) {
    return {
        editing: false,
        stock: false,
        key: "",
        marketplace: "WB",
        sourceType: tab === "paintings" ? "picture" : "wallpaper",
        sku: "",
        title: "",
        orderNo: "",
        externalOrderId: "",
        postingNumber: "",
        barcode: "",
        scanUid: "",
        status: "печать",
        workStatus: "печать",
        warehouse: "",
        uniqueNo: "",
        comment: "",
        note: "",
        qty: "1"
    }
}

// A stock movement: no marketplace and no UID, only a warehouse and what happened.
function stockOrderForm(warehouse, status) {
    var form = newOrderForm("orders")
    form.stock = true
    form.marketplace = ""
    form.sourceType = "stock"
    form.warehouse = trimmed(warehouse)
    form.status = trimmed(status) || "Приход"
    form.workStatus = form.status
    return form
}

function isStockRow(row) {
    return orderValue(row, ["source_type", "sourceType"], "").toLowerCase() === "stock"
        || orderValue(row, ["type"], "").toLowerCase() === "stock"
}

function orderFormFromRow(row) {
    var status = orderValue(row, ["status"], "")
    var scanUid = orderValue(row, ["scan_uid", "scanUid", "production_code", "productionCode"], "")
    return {
        editing: true,
        stock: isStockRow(row),
        key: orderValue(row, ["order_key", "key"], ""),
        marketplace: orderValue(row, ["marketplace", "source"], ""),
        sourceType: orderValue(row, ["source_type", "sourceType"], ""),
        sku: orderValue(row, ["sku", "article"], ""),
        title: orderValue(row, ["title", "name"], ""),
        orderNo: orderValue(row, ["order_no", "orderNo"], ""),
        externalOrderId: orderValue(row, ["external_order_id", "externalOrderId", "order_id"], ""),
        postingNumber: orderValue(row, ["posting_number", "postingNumber"], ""),
        barcode: orderValue(row, ["barcode"], ""),
        scanUid: scanUid,
        status: status,
        workStatus: orderValue(row, ["work_status", "workStatus"], status),
        warehouse: orderValue(row, ["warehouse_target", "warehouseTarget", "writeoff_source", "writeoffSource"], ""),
        uniqueNo: orderValue(row, ["unique_no", "uniqueNo"], scanUid),
        comment: orderValue(row, ["comment"], ""),
        note: orderValue(row, ["note", "remark"], ""),
        qty: String(atLeast(orderValue(row, ["qty", "count"], ""), 1))
    }
}

// Why the form cannot be sent, or "" when it can.
function orderFormError(form) {
    var f = form || {}
    if (f.stock === true) {
        if (trimmed(f.sku).length === 0)
            return "Укажи артикул."
        if (trimmed(f.warehouse).length === 0)
            return "Укажи склад."
    } else {
        if (trimmed(f.marketplace).length === 0)
            return "Выбери маркетплейс."
        if (!/^[A-Za-zА-Яа-яЁё]+$/.test(trimmed(f.marketplace)))
            return "Маркетплейс — одно слово из букв, например WB."
        if (trimmed(f.sku).length === 0 && trimmed(f.title).length === 0)
            return "Укажи артикул или название."
    }
    if (!isWholeNumber(f.qty))
        return "Количество — целое число."
    return ""
}

function orderPayload(form) {
    var f = form || {}
    var stock = f.stock === true
    var status = trimmed(f.status) || "печать"
    var workStatus = trimmed(f.workStatus) || status
    var warehouse = trimmed(f.warehouse)
    var row = {
        marketplace: trimmed(f.marketplace).toUpperCase(),
        source_type: trimmed(f.sourceType) || "wallpaper",
        sku: trimmed(f.sku),
        title: trimmed(f.title),
        order_no: stock ? "" : trimmed(f.orderNo),
        external_order_id: trimmed(f.externalOrderId),
        posting_number: trimmed(f.postingNumber),
        barcode: trimmed(f.barcode),
        status: status,
        work_status: workStatus,
        workStatus: workStatus,
        warehouse_target: warehouse,
        warehouseTarget: warehouse,
        writeoff_source: warehouse,
        writeoffSource: warehouse,
        manual_work_status: true,
        manualWorkStatus: true,
        manual_writeoff_source: true,
        manualWriteoffSource: true,
        comment: trimmed(f.comment),
        note: trimmed(f.note),
        qty: atLeast(f.qty, 1)
    }
    if (stock) {
        row.assign_uid = false
        row.assignUid = false
        row.type = "stock"
    }
    if (f.editing === true) {
        var scanUid = trimmed(f.scanUid)
        var uniqueNo = trimmed(f.uniqueNo)
        var key = trimmed(f.key)
        if (scanUid.length > 0) {
            row.scan_uid = scanUid
            row.scanUid = scanUid
        }
        if (uniqueNo.length > 0) {
            row.unique_no = uniqueNo
            row.uniqueNo = uniqueNo
        }
        if (key.length > 0) {
            row.order_key = key
            row.key = key
        }
    }
    return row
}

function orderDialogTitle(form) {
    return form && form.editing === true ? "Строка заказа" : "Новая строка заказа"
}

function orderDialogSubtitle(form) {
    return form && form.stock === true
        ? "Складская строка создаёт приход, расход или возврат без UID."
        : "UID выдаётся заказам автоматически, сканер затем закрывает строку по этому UID."
}

function orderKey(row) {
    return orderValue(row, ["order_key", "key"], "")
}

// What the delete dialog names: the title, else the key.
function orderDisplayName(row) {
    return orderValue(row, ["title", "name"], orderKey(row))
}

// --- reprint dialog ---

function newReprintForm() {
    return {
        editing: false,
        key: "",
        marketplace: "WB",
        sku: "",
        title: "",
        sourceOrderKey: "",
        stripNo: "1",
        printer: "",
        status: "Печать",
        reason: ""
    }
}

function reprintKey(row) {
    return orderValue(row, ["reprint_key", "reprintKey", "key"], "")
}

function reprintFormFromRow(row) {
    return {
        editing: true,
        key: reprintKey(row),
        marketplace: orderValue(row, ["marketplace", "source"], ""),
        sku: orderValue(row, ["sku", "article"], ""),
        title: orderValue(row, ["title", "name"], ""),
        sourceOrderKey: orderValue(row, ["source_order_key", "sourceOrderKey", "order_key"], ""),
        stripNo: String(atLeast(orderValue(row, ["strip_no", "stripNo", "strip"], ""), 0)),
        printer: orderValue(row, ["printer"], ""),
        status: orderValue(row, ["status"], "Печать"),
        reason: orderValue(row, ["reason"], "")
    }
}

function reprintFormError(form) {
    var f = form || {}
    if (trimmed(f.marketplace).length === 0)
        return "Выбери маркетплейс."
    if (trimmed(f.sku).length === 0 && trimmed(f.sourceOrderKey).length === 0)
        return "Укажи артикул или исходный заказ."
    if (!isWholeNumber(f.stripNo))
        return "Полоса — целое число от 0."
    return ""
}

function reprintPayload(form) {
    var f = form || {}
    var sourceOrderKey = trimmed(f.sourceOrderKey)
    var stripNo = atLeast(f.stripNo, 0)
    var row = {
        marketplace: trimmed(f.marketplace).toUpperCase(),
        sku: trimmed(f.sku),
        title: trimmed(f.title),
        source_order_key: sourceOrderKey,
        sourceOrderKey: sourceOrderKey,
        strip_no: stripNo,
        stripNo: stripNo,
        printer: trimmed(f.printer),
        status: trimmed(f.status) || "Печать",
        reason: trimmed(f.reason)
    }
    var key = trimmed(f.key)
    if (f.editing === true && key.length > 0) {
        row.reprint_key = key
        row.reprintKey = key
        row.key = key
    }
    return row
}

function reprintDisplayName(row) {
    return orderValue(row, ["title", "sku", "article"], reprintKey(row) || orderValue(row, ["order_key"], ""))
}

// --- FBO plan ---

// The values a plan row's editors start from; numbers never below 0.
function fboPlan(row) {
    return {
        planKey: orderValue(row, ["plan_key", "planKey", "key"], ""),
        marketplace: orderValue(row, ["marketplace", "source"], ""),
        sku: orderValue(row, ["sku", "article"], ""),
        manualPriority: atLeast(orderValue(row, ["manual_prio", "manualPrio", "manual_priority"], ""), 0),
        inProduction: atLeast(orderValue(row, ["in_prod", "inProd", "in_production"], ""), 0),
        localStock: atLeast(orderValue(row, ["local_stock", "localStock"], ""), 0)
    }
}

// --- row looks ---

function marketplaceAccent(marketplace) {
    switch (trimmed(marketplace).toUpperCase()) {
    case "WB": return "#CDB7FF"
    case "OZON": return "#7FD6FF"
    case "YM": return "#F4C16D"
    }
    return "#8FA3C4"
}

// Secondary line of an order row: what identifies it besides the title.
function orderDetailLine(sku, orderId, barcode) {
    var parts = []
    var list = [sku, orderId, barcode]
    for (var i = 0; i < list.length; ++i) {
        var t = trimmed(list[i])
        if (t.length > 0)
            parts.push(t)
    }
    return parts.join("  ·  ")
}
