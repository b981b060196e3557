// What a scan is, from its text alone: card prefixes, cutter QR codes (plain and JSON),
// wall QR codes, structured payloads, plain order and warehouse codes, workplace ids,
// scanner keys and the reading of the server's verdict.
#include "app/ScanRecognizers.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

QString repeated(const QString &piece, int count)
{
    QString out;
    for (int i = 0; i < count; ++i)
        out += piece;
    return out;
}

} // namespace

class ScanRecognizersTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rfidText_data()
    {
        QTest::addColumn<QString>("scan");
        QTest::addColumn<QString>("uid");
        QTest::newRow("prefix") << "RFID:04A1B2C3D4" << "04A1B2C3D4";
        QTest::newRow("lower-case prefix and a blank") << "rfid: 04a1b2c3d4" << "04a1b2c3d4";
        QTest::newRow("blanks around") << "  RFID:  ABC  " << "ABC";
        QTest::newRow("colon in the rest stays") << "RFID:12:34" << "12:34";
        QTest::newRow("prefix alone") << "RFID:" << "";
        QTest::newRow("tag with text") << "TAG:04A1B2C3D4:E001|Ирина" << "04A1B2C3D4";
        QTest::newRow("tag, number and more") << "tag: 123 :x:y" << "123";
        QTest::newRow("tag without text") << "Tag:777" << "777";
        QTest::newRow("tag alone") << "TAG:" << "";
        QTest::newRow("production code") << "P01PACK2WB" << "";
        QTest::newRow("legacy uid") << "512345" << "";
        QTest::newRow("prefix not at the start") << "XRFID:1" << "";
        QTest::newRow("no colon") << "RFID 123" << "";
        QTest::newRow("control character first") << "\x01RFID:1" << "";
        QTest::newRow("Cyrillic look-alike prefix") << "TАG:1" << "";
        QTest::newRow("512 characters") << "RFID:" + repeated("A", 507) << repeated("A", 507);
    }
    void rfidText()
    {
        QFETCH(QString, scan);
        QFETCH(QString, uid);
        QCOMPARE(ScanRecognizers::rfidUidFromHardwareScan(scan), uid);
    }

    void cutterQr_data()
    {
        QTest::addColumn<QString>("scan");
        QTest::addColumn<QString>("workplace");
        QTest::newRow("cutter 1") << "CUTTER:1" << "cutter_1";
        QTest::newRow("cutter 3 keeps its number") << "cutter:3" << "3";
        QTest::newRow("leading zero") << "CUTTER:01" << "cutter_1";
        QTest::newRow("cut and hash") << "CUT#2" << "cutter_2";
        QTest::newRow("latin rezak") << "REZAK_2" << "cutter_2";
        QTest::newRow("Cyrillic word, blank, hash") << "РЕЗАК #1" << "cutter_1";
        QTest::newRow("Cyrillic lower case") << "резак 2" << "cutter_2";
        QTest::newRow("Cyrillic scanner word") << "Сканер - 1" << "cutter_1";
        QTest::newRow("pipe") << "СКАНЕР|2" << "cutter_2";
        QTest::newRow("blanks around") << "  CUTTER : 2  " << "cutter_2";
        QTest::newRow("two separators") << "CUTTER::1" << "";
        QTest::newRow("letters after the number") << "CUTTER:1a" << "";
        QTest::newRow("no number") << "CUTTER:" << "";
        QTest::newRow("latin scanner word is no cutter") << "SCANNER:1" << "";
        QTest::newRow("Cyrillic С in CUTTER") << "СUTTER:1" << "";
        QTest::newRow("mixed-script rezak") << "PЕЗAK:1" << "";
        QTest::newRow("full-width digit") << "CUTTER:１" << "";
        QTest::newRow("control character inside") << "CUTTER:\x01" "1" << "";
        QTest::newRow("512 characters") << "CUTTER:" + repeated("1", 505) << repeated("1", 505);
        QTest::newRow("json kind") << R"({"kind":"cutter","id":2})" << "cutter_2";
        QTest::newRow("json type when kind is absent") << R"({"type":"резак","number":"1"})" << "cutter_1";
        QTest::newRow("json kind blank, type decides") << R"({"kind":" ","type":"cutter","workplaceId":"3"})"
                                                        << "3";
        QTest::newRow("json kind upper case, label id") << R"({"kind":" CUTTER ","cutter_id":"Резак 2"})"
                                                         << "cutter_2";
        QTest::newRow("json first id key wins") << R"({"kind":"cutter","id":"1","cutter_id":"cut-7"})"
                                                << "cutter_7";
        QTest::newRow("json without id") << R"({"kind":"cutter"})" << "";
        QTest::newRow("json with blank id") << R"({"kind":"cutter","id":"  "})" << "";
        QTest::newRow("json of another kind") << R"({"kind":"emp","id":"2"})" << "";
        QTest::newRow("broken json") << R"({"kind":"cutter","id":2)" << "";
        QTest::newRow("json array") << R"(["cutter",1])" << "";
    }
    void cutterQr()
    {
        QFETCH(QString, scan);
        QFETCH(QString, workplace);
        QCOMPARE(ScanRecognizers::cutterFromScan(scan), workplace);
    }

    void wallQr_data()
    {
        QTest::addColumn<QString>("scan");
        QTest::addColumn<bool>("wall");
        QTest::newRow("prefix and object") << R"(VORN_WALL:{"kind":"consumable_wall","tab_id":"ink"})" << true;
        QTest::newRow("lower-case prefix decides") << "vorn_wall:anything" << true;
        QTest::newRow("prefix alone") << "  VORN_WALL:" << true;
        QTest::newRow("bare object") << R"({"kind":"consumable_wall","item_key":"box_s"})" << true;
        QTest::newRow("object inside text") << R"(see {"kind":"CONSUMABLE_WALL"} here)" << true;
        QTest::newRow("link with encoded object") << "https://x/?q=%7B%22kind%22%3A%22consumable_wall%22%7D" << true;
        QTest::newRow("material object") << R"({"kind":"material","id":"R1"})" << false;
        QTest::newRow("broken object") << R"({"kind":"consumable_wall")" << false;
        QTest::newRow("braces reversed") << R"(}"kind":"consumable_wall"{)" << false;
        QTest::newRow("production code") << "P01PACK2WB" << false;
        QTest::newRow("prefix not at the start") << "X VORN_WALL:{}" << false;
    }
    void wallQr()
    {
        QFETCH(QString, scan);
        QFETCH(bool, wall);
        QCOMPARE(ScanRecognizers::isConsumableWallPayload(scan), wall);
    }

    void structured_data()
    {
        QTest::addColumn<QString>("scan");
        QTest::addColumn<bool>("structured");
        QTest::newRow("empty object") << "{}" << true;
        QTest::newRow("braces in text") << "a{b}c" << true;
        QTest::newRow("nested opening") << "{{}" << true;
        QTest::newRow("closing first") << "}{" << false;
        QTest::newRow("opening only") << "{" << false;
        QTest::newRow("closing only") << "x}" << false;
        QTest::newRow("plain") << "P01PACK2WB" << false;
    }
    void structured()
    {
        QFETCH(QString, scan);
        QFETCH(bool, structured);
        QCOMPARE(ScanRecognizers::isStructuredScanPayload(scan), structured);
    }

    void plainCode_data()
    {
        QTest::addColumn<QString>("scan");
        QTest::addColumn<bool>("plain");
        QTest::newRow("empty") << "   " << false;
        QTest::newRow("production code") << "P01PACK2WB" << true;
        QTest::newRow("production code, lower case") << "p01pack2wb" << true;
        QTest::newRow("strip after dash") << "P01PACK2WB-1" << true;
        QTest::newRow("strip after underscore") << "P01PACK2WB_12" << true;
        QTest::newRow("strip after blank") << "P01PACK2WB 3" << true;
        QTest::newRow("three-digit strip") << "P01PACK2WB-123" << false;
        QTest::newRow("letter O not in the alphabet") << "P01OACK2WB" << false;
        QTest::newRow("Cyrillic Р first") << "Р01PACK2WB" << false;
        QTest::newRow("five digits") << "12345" << true;
        QTest::newRow("four digits") << "1234" << false;
        QTest::newRow("five digits inside text") << "ab12345cd" << true;
        QTest::newRow("digits apart") << "12 345" << false;
        QTest::newRow("marketplace number") << "WB-ABC" << true;
        QTest::newRow("marketplace with colon, lower case") << "ozon:12a" << true;
        QTest::newRow("marketplace with blank") << "YM 1A-2" << true;
        QTest::newRow("marketplace word alone") << "WB" << false;
        QTest::newRow("marketplace, too short") << "WBX" << false;
        QTest::newRow("article") << "Пионы_60х40_мат" << true;
        QTest::newRow("latin article with x") << "ab_1_x" << true;
        QTest::newRow("article with ё") << "Ёлка_60_40" << false;
        QTest::newRow("article, one letter first") << "a_1_2" << false;
        QTest::newRow("wall QR with digits") << "VORN_WALL:12345" << false;
        QTest::newRow("structured with digits") << R"({"id":12345})" << false;
        QTest::newRow("control character") << "\x01P01PACK2WB" << false;
        QTest::newRow("512 digits") << repeated("7", 512) << true;
        QTest::newRow("512 letters") << repeated("x", 512) << false;
    }
    void plainCode()
    {
        QFETCH(QString, scan);
        QFETCH(bool, plain);
        QCOMPARE(ScanRecognizers::isPlainOrderOrWarehouseScan(scan), plain);
    }

    void workplaces_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("label");
        QTest::newRow("1") << "1" << "cutter_1" << "Резак 1";
        QTest::newRow("01") << "01" << "cutter_1" << "Резак 1";
        QTest::newRow("2") << " 2 " << "cutter_2" << "Резак 2";
        QTest::newRow("bare 3 stays") << "3" << "3" << "3";
        QTest::newRow("Cyrillic cutter 2") << "Резак 2" << "cutter_2" << "Резак 2";
        QTest::newRow("id") << "cutter_1" << "cutter_1" << "Резак 1";
        QTest::newRow("scanner word") << "scanner-2" << "cutter_2" << "Резак 2";
        QTest::newRow("Cyrillic scanner, hash") << "Сканер #3" << "cutter_3" << "cutter_3";
        QTest::newRow("leading zeros") << "cut-007" << "cutter_7" << "cutter_7";
        QTest::newRow("latin rezak") << "REZAK5" << "cutter_5" << "cutter_5";
        QTest::newRow("two digits") << "CUTTER 12" << "cutter_12" << "cutter_12";
        QTest::newRow("other text") << " Стол A " << "_a" << "_a";
        QTest::newRow("empty") << "" << "" << "Резак";
        QTest::newRow("blank") << "   " << "" << "Резак";
        QTest::newRow("control characters only") << "\x01\x02" << "" << "Резак";
        QTest::newRow("first match wins") << "cutter1 cutter2" << "cutter_1" << "Резак 1";
        QTest::newRow("digits longer than any integer")
            << "cutter_" + repeated("9", 40) << "cutter_" + repeated("9", 40) << "cutter_" + repeated("9", 40);
    }
    void workplaces()
    {
        QFETCH(QString, value);
        QFETCH(QString, id);
        QFETCH(QString, label);
        QCOMPARE(ScanRecognizers::normalizeWorkplace(value), id);
        QCOMPARE(ScanRecognizers::workplaceLabel(value), label);
        // Normalising twice changes nothing, and only [a-z0-9_-] is left.
        QCOMPARE(ScanRecognizers::normalizeWorkplace(id), id);
        static const QRegularExpression clean(QStringLiteral("^[a-z0-9_-]*$"));
        QVERIFY(clean.match(id).hasMatch());
    }

    void scannerKeys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("normalized");
        QTest::newRow("first") << "scanner" << 1 << "scanner";
        QTest::newRow("second, upper case with blanks") << " SCANNER2 " << 2 << "scanner2";
        QTest::newRow("sixth") << "scanner6" << 6 << "scanner6";
        QTest::newRow("seventh is kept") << "scanner7" << 7 << "scanner7";
        QTest::newRow("leading zero") << "scanner02" << 2 << "scanner2";
        QTest::newRow("zero") << "scanner0" << 1 << "scanner";
        QTest::newRow("dash") << "scanner-2" << 1 << "scanner";
        QTest::newRow("empty") << "" << 1 << "scanner";
        QTest::newRow("other device") << "rfid" << 1 << "scanner";
        QTest::newRow("number too large") << "scanner99999999999999" << 1 << "scanner";
        QTest::newRow("Arabic-Indic digit") << "scanner٣" << 1 << "scanner";
    }
    void scannerKeys()
    {
        QFETCH(QString, key);
        QFETCH(int, index);
        QFETCH(QString, normalized);
        QCOMPARE(ScanRecognizers::scannerIndexFromKey(key), index);
        QCOMPARE(ScanRecognizers::normalizeScannerKey(key), normalized);
        QCOMPARE(ScanRecognizers::scannerLabelForKey(key), QStringLiteral("Сканер %1").arg(index));
    }

    void scannerIndexes()
    {
        QCOMPARE(ScanRecognizers::scannerKeyForIndex(-3), QStringLiteral("scanner"));
        QCOMPARE(ScanRecognizers::scannerKeyForIndex(0), QStringLiteral("scanner"));
        QCOMPARE(ScanRecognizers::scannerKeyForIndex(1), QStringLiteral("scanner"));
        QCOMPARE(ScanRecognizers::scannerKeyForIndex(2), QStringLiteral("scanner2"));
        QCOMPARE(ScanRecognizers::scannerCountForPorts(0), 2);
        QCOMPARE(ScanRecognizers::scannerCountForPorts(3), 3);
        QCOMPARE(ScanRecognizers::scannerCountForPorts(9), 6);
    }

    void cutterPayloads_data()
    {
        QTest::addColumn<QVariant>("number");
        QTest::addColumn<QString>("payload");
        QTest::newRow("1") << QVariant(1) << "CUTTER:1";
        QTest::newRow("text 3") << QVariant(QStringLiteral(" 3 ")) << "CUTTER:3";
        QTest::newRow("zero") << QVariant(0) << "CUTTER:1";
        QTest::newRow("negative") << QVariant(-2) << "CUTTER:1";
        QTest::newRow("fraction") << QVariant(2.5) << "CUTTER:1";
        QTest::newRow("word") << QVariant(QStringLiteral("два")) << "CUTTER:1";
        QTest::newRow("nothing") << QVariant() << "CUTTER:1";
        QTest::newRow("huge") << QVariant(1e20) << "CUTTER:1";
    }
    void cutterPayloads()
    {
        QFETCH(QVariant, number);
        QFETCH(QString, payload);
        QCOMPARE(ScanRecognizers::cutterQrPayload(number), payload);
        // What the settings page prints, the router reads back.
        const QString workplace = ScanRecognizers::cutterFromScan(payload);
        QVERIFY(!workplace.isEmpty());
    }

    void contexts()
    {
        const QVariantMap context = ScanRecognizers::scanContext(QStringLiteral("Scanner2"), QStringLiteral("1"));
        QCOMPARE(context.size(), 12);
        for (const char *key : {"scanner_id", "scannerId"})
            QCOMPARE(context.value(key).toString(), QStringLiteral("scanner_2"));
        for (const char *key : {"scanner_key", "scannerKey"})
            QCOMPARE(context.value(key).toString(), QStringLiteral("scanner2"));
        for (const char *key : {"workplace_id", "workplaceId", "cutter_key", "cutterKey"})
            QCOMPARE(context.value(key).toString(), QStringLiteral("cutter_1"));
        for (const char *key : {"cutter_label", "cutterLabel", "workplace_label", "workplaceLabel"})
            QCOMPARE(context.value(key).toString(), QStringLiteral("Резак 1"));
    }

    void verdicts_data()
    {
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QVariantMap>("details");
        QTest::addColumn<bool>("allowed");
        const QVariantMap none;
        QTest::newRow("packed") << "packed" << "" << none << true;
        QTest::newRow("duplicate") << "duplicate" << "" << none << true;
        QTest::newRow("stock in") << "stock_in" << "" << none << true;
        QTest::newRow("already closed") << "already_closed" << "" << none << true;
        QTest::newRow("already packed") << "already_packed" << "" << none << true;
        QTest::newRow("cancelled") << "cancelled" << "" << none << false;
        QTest::newRow("canceled") << "canceled" << "" << none << false;
        QTest::newRow("packed, but the message cancels") << "packed" << "Заказ ОТМЕНЁН" << none << false;
        QTest::newRow("message: closed before") << "" << "Этот скан уже был закрыт ранее" << none << true;
        QTest::newRow("message: already packed") << "" << "Already PACKED" << none << true;
        QTest::newRow("message: already seen") << "" << "already seen" << none << false;
        QTest::newRow("not found") << "not_found" << "" << none << false;
        QTest::newRow("nothing") << "" << "" << none << false;
        QTest::newRow("server says no despite packed")
            << "packed" << "" << QVariantMap{{"labelPrintAllowed", false}} << false;
        QTest::newRow("server says yes despite cancelled")
            << "cancelled" << "" << QVariantMap{{"labelPrintAllowed", true}} << true;
        QTest::newRow("snake case, as text")
            << "error" << "" << QVariantMap{{"label_print_allowed", QStringLiteral("true")}} << true;
        QTest::newRow("Russian no") << "packed" << "" << QVariantMap{{"labelPrintAllowed", QStringLiteral("нет")}}
                                    << false;
        QTest::newRow("camel case first")
            << "packed" << "" << QVariantMap{{"labelPrintAllowed", false}, {"label_print_allowed", true}} << false;
        QTest::newRow("number one") << "" << "" << QVariantMap{{"labelPrintAllowed", 1}} << true;
        QTest::newRow("list is not an answer")
            << "packed" << "" << QVariantMap{{"labelPrintAllowed", QVariantList{true}}} << false;
        QTest::newRow("map is not an answer")
            << "packed" << "" << QVariantMap{{"labelPrintAllowed", QVariantMap{{"x", 1}}}} << false;
        QTest::newRow("unknown word") << "packed" << "" << QVariantMap{{"labelPrintAllowed", QStringLiteral("maybe")}}
                                      << false;
        QTest::newRow("null") << "packed" << "" << QVariantMap{{"labelPrintAllowed", QVariant()}} << false;
    }
    void verdicts()
    {
        QFETCH(QString, result);
        QFETCH(QString, message);
        QFETCH(QVariantMap, details);
        QFETCH(bool, allowed);
        QCOMPARE(ScanRecognizers::orderScanResultAllowsPrint(result, message, details), allowed);
    }

    void printCodes_data()
    {
        QTest::addColumn<QVariantMap>("details");
        QTest::addColumn<QString>("code");
        QTest::newRow("no details") << QVariantMap() << "P01PACK2WB";
        QTest::newRow("print code first") << QVariantMap{{"printCode", "A1"}, {"productionCode", "B2"}} << "A1";
        QTest::newRow("blank print code") << QVariantMap{{"printCode", "  "}, {"production_code", "B2"}} << "B2";
        QTest::newRow("list is skipped")
            << QVariantMap{{"printCode", QVariantList{"A1"}}, {"legacy_uid", "512345"}} << "512345";
        QTest::newRow("number") << QVariantMap{{"scan_uid", 77}} << "77";
        QTest::newRow("raw scan before uid") << QVariantMap{{"rawScan", "R"}, {"scanUid", "U"}} << "R";
    }
    void printCodes()
    {
        QFETCH(QVariantMap, details);
        QFETCH(QString, code);
        QCOMPARE(ScanRecognizers::orderPrintCode(QStringLiteral(" P01PACK2WB "), details), code);
    }

    void warehouseCodes()
    {
        const QString scan = QStringLiteral("204598765432");
        QCOMPARE(ScanRecognizers::warehousePrintCode(scan, QStringLiteral("R"), {{"printCode", "S"}}),
                 QStringLiteral("S"));
        QCOMPARE(ScanRecognizers::warehousePrintCode(scan, QStringLiteral("R"), {{"printCode", QVariantMap()}}),
                 QStringLiteral("R"));
        QCOMPARE(ScanRecognizers::warehousePrintCode(scan, QString(), {}), scan);
    }
};

QTEST_GUILESS_MAIN(ScanRecognizersTest)
#include "ScanRecognizersTest.moc"
