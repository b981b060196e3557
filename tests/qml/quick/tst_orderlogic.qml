import QtQuick
import QtTest
import "qrc:/qt/qml/VornClient/OrdersLogic.js" as OrdersLogic

TestCase {
    name: "OrdersLogic"

    function merged(base, changes) {
        var out = {}
        for (var k in base)
            out[k] = base[k]
        for (var c in changes)
            out[c] = changes[c]
        return out
    }

    // --- order payload ---

    function test_order_payload_data() {
        var fresh = OrdersLogic.newOrderForm("orders")
        var stock = OrdersLogic.stockOrderForm(" Склад WB ", "Приход")
        return [
            { tag: "new order", form: merged(fresh, { marketplace: "ozon", sku: " OB-ROSE ", qty: "2" }),
              expect: { marketplace: "OZON", source_type: "wallpaper", sku: "OB-ROSE", status: "печать",
                        work_status: "печать", workStatus: "печать", qty: 2, manual_work_status: true,
                        manualWorkStatus: true, manual_writeoff_source: true, manualWriteoffSource: true },
              absent: ["assign_uid", "assignUid", "type", "scan_uid", "unique_no", "order_key", "key"] },
            { tag: "qty 0 becomes 1", form: merged(fresh, { sku: "A", qty: "0" }), expect: { qty: 1 }, absent: [] },
            { tag: "empty status and type take defaults",
              form: merged(fresh, { sku: "A", status: " ", workStatus: "", sourceType: "" }),
              expect: { status: "печать", work_status: "печать", source_type: "wallpaper" }, absent: [] },
            { tag: "work status defaults to status", form: merged(fresh, { sku: "A", status: "упакован", workStatus: "" }),
              expect: { status: "упакован", work_status: "упакован", workStatus: "упакован" }, absent: [] },
            { tag: "warehouse under four keys", form: merged(fresh, { sku: "A", warehouse: " Склад " }),
              expect: { warehouse_target: "Склад", warehouseTarget: "Склад", writeoff_source: "Склад",
                        writeoffSource: "Склад" }, absent: [] },
            { tag: "stock row", form: merged(stock, { sku: "OB-LOFT", orderNo: "should not go", qty: "5" }),
              expect: { marketplace: "", source_type: "stock", order_no: "", assign_uid: false, assignUid: false,
                        type: "stock", status: "Приход", warehouse_target: "Склад WB", qty: 5 },
              absent: ["scan_uid", "order_key"] },
            { tag: "edited stock row keeps its key but no order number",
              form: merged(stock, { editing: true, key: "st-9", sku: "X", orderNo: "123" }),
              expect: { order_no: "", assign_uid: false, assignUid: false, order_key: "st-9", key: "st-9" },
              absent: ["scan_uid", "unique_no"] },
            { tag: "edit sends non-empty identifiers",
              form: merged(fresh, { editing: true, key: " wb-1 ", sku: "A", scanUid: "P01ABCDEFG", uniqueNo: "480123" }),
              expect: { order_key: "wb-1", key: "wb-1", scan_uid: "P01ABCDEFG", scanUid: "P01ABCDEFG",
                        unique_no: "480123", uniqueNo: "480123" }, absent: [] },
            { tag: "edit leaves out empty identifiers",
              form: merged(fresh, { editing: true, key: " ", sku: "A", scanUid: "", uniqueNo: "  " }),
              expect: {}, absent: ["order_key", "key", "scan_uid", "scanUid", "unique_no", "uniqueNo"] },
            { tag: "a new row never sends identifiers",
              form: merged(fresh, { key: "wb-1", sku: "A", scanUid: "P01ABCDEFG", uniqueNo: "1" }),
              expect: {}, absent: ["order_key", "key", "scan_uid", "unique_no"] }
        ]
    }

    function test_order_payload(data) {
        var payload = OrdersLogic.orderPayload(data.form)
        for (var k in data.expect)
            compare(payload[k], data.expect[k], k)
        for (var i = 0; i < data.absent.length; ++i)
            verify(!payload.hasOwnProperty(data.absent[i]), data.absent[i] + " must not be sent")
    }

    function test_new_forms_data() {
        return [
            { tag: "orders tab", tab: "orders", sourceType: "wallpaper" },
            { tag: "paintings tab", tab: "paintings", sourceType: "picture" }
        ]
    }

    function test_new_forms(data) {
        var form = OrdersLogic.newOrderForm(data.tab)
        compare(form.marketplace, "WB")
        compare(form.sourceType, data.sourceType)
        compare(form.qty, "1")
    }

    // What a stock form sends is in the "stock row" payload case.
    function test_stock_form_subtitle() {
        var form = OrdersLogic.stockOrderForm("Склад OZON", "Приход")
        compare(OrdersLogic.orderDialogSubtitle(form), "Складская строка создаёт приход, расход или возврат без UID.")
        compare(OrdersLogic.orderDialogSubtitle(OrdersLogic.newOrderForm("orders")),
                "UID выдаётся заказам автоматически, сканер затем закрывает строку по этому UID.")
    }

    function test_order_form_errors_data() {
        var fresh = OrdersLogic.newOrderForm("orders")
        var stock = OrdersLogic.stockOrderForm("Склад", "Приход")
        return [
            { tag: "valid", form: merged(fresh, { sku: "A", qty: "3" }), error: false },
            { tag: "title alone", form: merged(fresh, { title: "Пионы" }), error: false },
            { tag: "no article nor title", form: merged(fresh, { sku: " ", title: "" }), error: true },
            { tag: "no marketplace", form: merged(fresh, { sku: "A", marketplace: " " }), error: true },
            { tag: "marketplace with digits", form: merged(fresh, { sku: "A", marketplace: "WB1" }), error: true },
            { tag: "qty fraction", form: merged(fresh, { sku: "A", qty: "1.5" }), error: true },
            { tag: "qty empty", form: merged(fresh, { sku: "A", qty: "" }), error: true },
            { tag: "stock valid", form: merged(stock, { sku: "A" }), error: false },
            { tag: "stock without article", form: merged(stock, { title: "Пионы" }), error: true },
            { tag: "stock without warehouse", form: merged(stock, { sku: "A", warehouse: " " }), error: true }
        ]
    }

    function test_order_form_errors(data) {
        var error = OrdersLogic.orderFormError(data.form)
        compare(error.length > 0, data.error, error)
    }

    function test_order_form_from_row_data() {
        return [
            { tag: "snake case", row: { order_key: "wb-1", marketplace: "WB", source_type: "picture", sku: "К_МОРЕ",
                                        title: "Море", order_no: "77", external_order_id: "ext", posting_number: "p-1",
                                        barcode: "460", scan_uid: "P01ABCDEFG", status: "new", work_status: "печать",
                                        warehouse_target: "Склад", unique_no: "4801", comment: "c", note: "n", qty: 3 },
              expect: { key: "wb-1", marketplace: "WB", sourceType: "picture", sku: "К_МОРЕ", title: "Море",
                        orderNo: "77", externalOrderId: "ext", postingNumber: "p-1", barcode: "460",
                        scanUid: "P01ABCDEFG", status: "new", workStatus: "печать", warehouse: "Склад",
                        uniqueNo: "4801", comment: "c", note: "n", qty: "3", editing: true, stock: false } },
            { tag: "camel case and fallbacks", row: { key: "oz-2", source: "OZON", article: "X", name: "Икс",
                                                      orderNo: "9", order_id: "ord", status: "packed",
                                                      writeoffSource: "Склад WB", scanUid: "P01HJKLMNP", remark: "r" },
              expect: { key: "oz-2", marketplace: "OZON", sku: "X", title: "Икс", orderNo: "9",
                        externalOrderId: "ord", workStatus: "packed", warehouse: "Склад WB",
                        uniqueNo: "P01HJKLMNP", note: "r", qty: "1" } },
            { tag: "qty below one", row: { key: "a", qty: 0 }, expect: { qty: "1" } },
            { tag: "qty from count", row: { key: "a", count: 4 }, expect: { qty: "4" } },
            { tag: "stock row", row: { key: "s", source_type: "stock", warehouse_target: "Склад" },
              expect: { stock: true, warehouse: "Склад" } }
        ]
    }

    function test_order_form_from_row(data) {
        var form = OrdersLogic.orderFormFromRow(data.row)
        for (var k in data.expect)
            compare(form[k], data.expect[k], k)
        // What the form reads back must survive a save unchanged.
        var payload = OrdersLogic.orderPayload(form)
        compare(payload.key, form.key.length > 0 ? form.key : undefined)
    }

    // --- reprint payload ---

    function test_reprint_payload_data() {
        var fresh = OrdersLogic.newReprintForm()
        return [
            { tag: "new", form: merged(fresh, { marketplace: "wb", sku: " OB-1 ", sourceOrderKey: "wb-9", printer: "Mimaki",
                                                reason: "Полосы" }),
              expect: { marketplace: "WB", sku: "OB-1", source_order_key: "wb-9", sourceOrderKey: "wb-9", strip_no: 1,
                        stripNo: 1, printer: "Mimaki", status: "Печать", reason: "Полосы" },
              absent: ["reprint_key", "reprintKey", "key"] },
            { tag: "strip 0 kept", form: merged(fresh, { sku: "A", stripNo: "0" }), expect: { strip_no: 0, stripNo: 0 }, absent: [] },
            { tag: "blank strip becomes 0", form: merged(fresh, { sku: "A", stripNo: "" }), expect: { strip_no: 0 }, absent: [] },
            { tag: "empty status takes default", form: merged(fresh, { sku: "A", status: " " }), expect: { status: "Печать" }, absent: [] },
            { tag: "edit sends the key three times", form: merged(fresh, { editing: true, key: " r-1 ", sku: "A" }),
              expect: { reprint_key: "r-1", reprintKey: "r-1", key: "r-1" }, absent: [] },
            { tag: "edit without key", form: merged(fresh, { editing: true, key: "", sku: "A" }),
              expect: {}, absent: ["reprint_key", "reprintKey", "key"] }
        ]
    }

    function test_reprint_payload(data) {
        var payload = OrdersLogic.reprintPayload(data.form)
        for (var k in data.expect)
            compare(payload[k], data.expect[k], k)
        for (var i = 0; i < data.absent.length; ++i)
            verify(!payload.hasOwnProperty(data.absent[i]), data.absent[i] + " must not be sent")
    }

    function test_reprint_form_errors_data() {
        var fresh = OrdersLogic.newReprintForm()
        return [
            { tag: "valid", form: merged(fresh, { sku: "A" }), error: false },
            { tag: "source order alone", form: merged(fresh, { sourceOrderKey: "wb-1" }), error: false },
            { tag: "nothing to reprint", form: fresh, error: true },
            { tag: "strip negative", form: merged(fresh, { sku: "A", stripNo: "-1" }), error: true },
            { tag: "no marketplace", form: merged(fresh, { sku: "A", marketplace: "" }), error: true }
        ]
    }

    function test_reprint_form_errors(data) {
        compare(OrdersLogic.reprintFormError(data.form).length > 0, data.error)
    }

    function test_reprint_form_from_row() {
        var form = OrdersLogic.reprintFormFromRow({ reprintKey: "r-5", source: "OZON", article: "К_1", order_key: "oz-1",
                                                    strip: "-4", printer: "Epson", reason: "Брак" })
        compare(form.editing, true)
        compare(form.key, "r-5")
        compare(form.marketplace, "OZON")
        compare(form.sku, "К_1")
        compare(form.sourceOrderKey, "oz-1")
        compare(form.stripNo, "0")
        compare(form.status, "Печать")
        compare(OrdersLogic.reprintPayload(form).reprint_key, "r-5")
    }

    // --- dates ---

    function test_format_order_date_data() {
        return [
            { tag: "iso date", value: "2026-12-05", text: "05.12.2026" },
            { tag: "iso date and time", value: "2026-12-05T08:07:33", text: "05.12.2026 08:07" },
            { tag: "iso with zone", value: "2026-12-05T23:59:00.123Z", text: "05.12.2026 23:59" },
            { tag: "iso with offset", value: "2026-03-01T09:30:00+03:00", text: "01.03.2026 09:30" },
            { tag: "iso with blank", value: "2026-1-2 7:05", text: "02.01.2026 07:05" },
            { tag: "dotted", value: "5.12.2026", text: "05.12.2026" },
            { tag: "dotted with time", value: "05.1.2026 8:09", text: "05.01.2026 08:09" },
            { tag: "dotted with seconds", value: " 31.12.2026 23:59:59 ", text: "31.12.2026 23:59" },
            { tag: "empty", value: "", text: "—" },
            { tag: "null", value: null, text: "—" },
            { tag: "free text", value: "вчера", text: "вчера" },
            { tag: "bad month", value: "2026-13-05", text: "2026-13-05" },
            { tag: "bad hour", value: "05.12.2026 25:00", text: "05.12.2026 25:00" },
            { tag: "order number", value: "2489117300", text: "2489117300" }
        ]
    }

    function test_format_order_date(data) {
        compare(OrdersLogic.formatOrderDate(data.value), data.text)
    }

    // A date the engine reads in another form becomes local day.month.year hours:minutes.
    function test_format_other_parseable_date() {
        var value = "Sat, 05 Dec 2026 10:07:00 GMT"
        var d = new Date(Date.UTC(2026, 11, 5, 10, 7, 0))
        function two(n) { return (n < 10 ? "0" : "") + n }
        var expected = two(d.getDate()) + "." + two(d.getMonth() + 1) + "." + d.getFullYear()
                + " " + two(d.getHours()) + ":" + two(d.getMinutes())
        compare(OrdersLogic.formatOrderDate(value), expected)
    }

    // --- paintings ---

    function test_order_is_painting_data() {
        return [
            { tag: "type picture", row: { source_type: "picture", sku: "OB-1" }, painting: true },
            { tag: "type pos upper", row: { sourceType: "POS" }, painting: true },
            { tag: "type kartiny", row: { source_type: "Kartiny" }, painting: true },
            { tag: "sheet картины", row: { sheet: "Картины" }, painting: true },
            { tag: "worksheet picture", row: { worksheet: " picture " }, painting: true },
            { tag: "cyrillic К_", row: { sku: "к_море_50х70" }, painting: true },
            { tag: "ПОС_", row: { article: "ПОС_ЛЕВ" }, painting: true },
            { tag: "POS_", row: { sku: "pos_lion" }, painting: true },
            { tag: "latin K_ is not", row: { sku: "K_SEA" }, painting: false },
            { tag: "wallpaper", row: { source_type: "wallpaper", sku: "OB-ROSE" }, painting: false },
            { tag: "prefix inside", row: { sku: "OB-К_1" }, painting: false },
            { tag: "empty row", row: {}, painting: false },
            { tag: "no row", row: null, painting: false }
        ]
    }

    function test_order_is_painting(data) {
        compare(OrdersLogic.orderIsPainting(data.row), data.painting)
    }

    // --- reading rows ---

    function test_order_value_data() {
        return [
            { tag: "first non-empty", row: { a: " ", b: "x", c: "y" }, names: ["a", "b", "c"], result: "x" },
            { tag: "number as text", row: { qty: 0 }, names: ["qty"], result: "0" },
            { tag: "trimmed", row: { a: "  k  " }, names: ["a"], result: "k" },
            { tag: "objects skipped", row: { a: { x: 1 }, b: "v" }, names: ["a", "b"], result: "v" },
            { tag: "fallback", row: { a: null }, names: ["a", "b"], result: "—" },
            { tag: "no row", row: undefined, names: ["a"], result: "—" }
        ]
    }

    function test_order_value(data) {
        compare(OrdersLogic.orderValue(data.row, data.names, "—"), data.result)
    }

    function test_fbo_plan() {
        var plan = OrdersLogic.fboPlan({ plan_key: "p-1", source: "wb", sku: "OB-1", manualPrio: "-5", in_prod: 3 })
        compare(plan.planKey, "p-1")
        compare(plan.marketplace, "wb")
        compare(plan.sku, "OB-1")
        compare(plan.manualPriority, 0)
        compare(plan.inProduction, 3)
        compare(plan.localStock, 0)
    }

    function test_stock_warehouse_data() {
        return [
            { tag: "local", key: "local", warehouse: "Склад" },
            { tag: "wb", key: "wb", warehouse: "Склад WB" },
            { tag: "ozon", key: "ozon", warehouse: "Склад OZON" },
            { tag: "unknown", key: "ym", warehouse: "Склад" }
        ]
    }

    function test_stock_warehouse(data) {
        compare(OrdersLogic.stockWarehouse(data.key), data.warehouse)
    }
}
