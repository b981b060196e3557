.pragma library
.import "PageLogic.js" as PageLogic

// Pure helpers of the consumables page: the receive form by the tab's measure and the
// lines of the stock list.

var defaultColors = ["Black", "Cyan", "Magenta", "Yellow"]
var defaultLength = "30"

function text(value) {
    return PageLogic.text(value)
}

function trimmed(value) {
    return PageLogic.trimmed(value)
}

// "color_count", "count" or "length"; inks count colours, materials measure metres.
function measureOf(measure, mode) {
    var m = trimmed(measure).toLowerCase()
    if (m === "color_count" || m === "count" || m === "length")
        return m
    var md = trimmed(mode).toLowerCase()
    if (md === "inks")
        return "color_count"
    if (md === "materials")
        return "length"
    return "count"
}

// The choices of the name chooser: the tab's options, for inks the four colours.
function nameOptions(measure, options, materialTypes) {
    var out = []
    var list = options || []
    for (var i = 0; i < list.length; ++i) {
        var t = trimmed(list[i])
        if (t.length > 0 && out.indexOf(t) < 0)
            out.push(t)
    }
    if (measure === "length") {
        var types = materialTypes || []
        for (var j = 0; j < types.length; ++j) {
            var mt = trimmed(types[j])
            if (mt.length > 0 && out.indexOf(mt) < 0)
                out.push(mt)
        }
    }
    if (out.length === 0 && measure === "color_count")
        return defaultColors.slice()
    return out
}

function amountLabel(measure) {
    return measure === "length" ? "Длина, м" : "Количество"
}

function defaultAmount(measure) {
    return measure === "length" ? defaultLength : "1"
}

// The amount typed in the form: metres with a dot or a comma for "length", whole
// pieces otherwise; NaN when it cannot be received.
function parsedAmount(measure, value) {
    var t = trimmed(value).replace(",", ".")
    if (!/^\d+(\.\d+)?$/.test(t) && !/^\d*\.\d+$/.test(t))
        return NaN
    var n = Number(t)
    if (measure === "length")
        return n > 0 ? n : NaN
    if (n !== Math.floor(n) || n < 1)
        return NaN
    return n
}

// What "Приход" would send, or why it cannot.
function receiveRequest(measure, name, amountText) {
    var n = trimmed(name)
    var amount = parsedAmount(measure, amountText)
    if (n.length === 0)
        return { ok: false, error: measure === "color_count" ? "Расходники: выбери цвет"
                                 : measure === "length" ? "Расходники: укажи тип материала"
                                 : "Расходники: укажи позицию" }
    if (isNaN(amount))
        return { ok: false, error: measure === "length" ? "Расходники: длина должна быть больше нуля"
                                                        : "Расходники: количество — целое число от 1" }
    return { ok: true, name: n, amount: amount }
}

// Name of a stock line, whatever list it came from.
function itemName(item) {
    var v = PageLogic.firstText(item, ["mat_type", "type", "color", "boxType", "name", "title"])
    return v.length > 0 ? v : "—"
}

function isLengthItem(item) {
    return !!item && item.length_m !== undefined && item.length_m !== null && trimmed(item.length_m).length > 0
}

// Quantity, or the length with two decimals and " м".
function itemAmountText(item) {
    if (isLengthItem(item))
        return (Number(item.length_m) || 0).toFixed(2) + " м"
    var i = item || {}
    var c = i.count !== undefined ? i.count : i.qty
    var n = Number(c)
    return isNaN(n) ? "0" : String(n)
}

// A material roll has an id the QR label can carry.
function rollId(item) {
    return trimmed((item || {}).material_id)
}

// Arguments of localTools.generateMaterialQrPdf for a roll, after tab and id.
function rollLabelType(item, tabTitle) {
    var i = item || {}
    var keys = ["mat_type", "type", "name"]
    for (var k = 0; k < keys.length; ++k) {
        var v = trimmed(i[keys[k]])
        if (v.length > 0)
            return v
    }
    return trimmed(tabTitle)
}

function rollQrPayload(item) {
    var i = item || {}
    return trimmed(i.cell_qr) || trimmed(i.qr)
}
