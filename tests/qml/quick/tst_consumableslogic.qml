import QtQuick
import QtTest
import "qrc:/qt/qml/VornClient/ConsumablesLogic.js" as CLogic

TestCase {
    name: "ConsumablesLogic"

    function test_measure_data() {
        return [
            { tag: "explicit length", measure: "length", mode: "count", result: "length" },
            { tag: "explicit colours", measure: "COLOR_COUNT", mode: "generic", result: "color_count" },
            { tag: "inks default", measure: "", mode: "inks", result: "color_count" },
            { tag: "materials default", measure: "", mode: "materials", result: "length" },
            { tag: "unknown measure", measure: "kg", mode: "generic", result: "count" }
        ]
    }

    function test_measure(data) {
        compare(CLogic.measureOf(data.measure, data.mode), data.result)
    }

    function test_form_defaults() {
        compare(CLogic.defaultAmount("length"), "30")
        compare(CLogic.defaultAmount("count"), "1")
        compare(CLogic.defaultAmount("color_count"), "1")
    }

    function test_name_options_data() {
        return [
            { tag: "inks without options", measure: "color_count", options: [], types: [],
              result: ["Black", "Cyan", "Magenta", "Yellow"] },
            { tag: "inks with options", measure: "color_count", options: ["White", " Black "], types: [],
              result: ["White", "Black"] },
            { tag: "count without options: a field", measure: "count", options: undefined, types: ["x"], result: [] },
            { tag: "materials add known types", measure: "length", options: ["Флизелин"],
              types: ["Винил", "Флизелин", ""], result: ["Флизелин", "Винил"] }
        ]
    }

    function test_name_options(data) {
        compare(CLogic.nameOptions(data.measure, data.options, data.types), data.result)
    }

    function test_receive_request_data() {
        return [
            { tag: "roll", measure: "length", name: " Винил ", amount: "30", ok: true, value: 30 },
            { tag: "roll with comma", measure: "length", name: "Винил", amount: "12,5", ok: true, value: 12.5 },
            { tag: "roll zero", measure: "length", name: "Винил", amount: "0", ok: false, value: NaN },
            { tag: "roll without type", measure: "length", name: " ", amount: "30", ok: false, value: NaN },
            { tag: "boxes", measure: "count", name: "60x40", amount: "5", ok: true, value: 5 },
            { tag: "boxes fraction", measure: "count", name: "60x40", amount: "2.5", ok: false, value: NaN },
            { tag: "ink text", measure: "color_count", name: "Cyan", amount: "два", ok: false, value: NaN },
            { tag: "ink", measure: "color_count", name: "Cyan", amount: " 2 ", ok: true, value: 2 }
        ]
    }

    function test_receive_request(data) {
        var r = CLogic.receiveRequest(data.measure, data.name, data.amount)
        compare(r.ok, data.ok)
        if (data.ok) {
            compare(r.amount, data.value)
            compare(r.name, data.name.trim())
        } else {
            verify(r.error.indexOf("Расходники: ") === 0, r.error)
        }
    }

    function test_amount_text_data() {
        return [
            { tag: "count", item: { name: "Коробка", count: 7 }, text: "7" },
            { tag: "qty", item: { name: "Коробка", qty: "3" }, text: "3" },
            { tag: "roll", item: { mat_type: "Винил", length_m: 12.5 }, text: "12.50 м" },
            { tag: "roll text", item: { mat_type: "Винил", length_m: "30" }, text: "30.00 м" },
            { tag: "nothing", item: {}, text: "0" }
        ]
    }

    function test_amount_text(data) {
        compare(CLogic.itemAmountText(data.item), data.text)
    }

    function test_roll_label_arguments() {
        var roll = { material_id: " R-17 ", type: "Винил", length_m: 30, qr: "{\"kind\":\"material\"}" }
        compare(CLogic.rollId(roll), "R-17")
        compare(CLogic.rollLabelType(roll, "Материалы"), "Винил")
        compare(CLogic.rollLabelType({ material_id: "R" }, "Материалы"), "Материалы")
        compare(CLogic.rollLabelType({ mat_type: "Флизелин", name: "x" }, "Материалы"), "Флизелин")
        compare(CLogic.rollQrPayload(roll), "{\"kind\":\"material\"}")
        compare(CLogic.rollQrPayload({ cell_qr: "A1", qr: "B" }), "A1")
        compare(CLogic.rollId({ name: "Black", count: 2 }), "")
    }

    function test_item_name() {
        compare(CLogic.itemName({ color: "Cyan", count: 2 }), "Cyan")
        compare(CLogic.itemName({ boxType: "60x40" }), "60x40")
        compare(CLogic.itemName({ mat_type: "Винил", name: "R1" }), "Винил")
        compare(CLogic.itemName({}), "—")
    }
}
