// Canonical keys, slugs, wall QR payloads, stock readers and summaries: pure functions
// in data-driven tables.
#include "common/ConsumableKey.h"
#include "consumables/ConsumableStock.h"
#include "consumables/WallPayload.h"

#include <QJsonDocument>
#include <QtTest>

namespace {

QVariant parse(const char *json)
{
    return QJsonDocument::fromJson(json).toVariant();
}

} // namespace

class ConsumableKeysTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void slugs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("slug");
        QTest::newRow("documented example") << "Фреска белая 2" << "freska_belaya_2";
        QTest::newRow("yo and soft sign") << "Зелёный Лён, рулон" << "zelenyy_len_rulon";
        QTest::newRow("hard sign dropped") << "Объём" << "obem";
        QTest::newRow("digraphs") << "Щётка Жёлтая Чехол Шило Юла Яма Цех"
                                  << "schetka_zheltaya_chehol_shilo_yula_yama_ceh";
        QTest::newRow("no leading or double underscores") << "  --Холст  50×70!! " << "holst_50_70";
        QTest::newRow("latin kept lower") << "Canvas PRO-3" << "canvas_pro_3";
        QTest::newRow("only symbols") << "%%% !!" << "";
        QTest::newRow("empty") << "" << "";
    }
    void slugs()
    {
        QFETCH(QString, text);
        QFETCH(QString, slug);
        QCOMPARE(slugifyConsumable(text), slug);
    }

    void canonicalKeys_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::newRow("colour") << " Cyan " << "cyan";
        QTest::newRow("wallpaper ru") << "ОБОИ" << "wallpaper";
        QTest::newRow("wallpaper en") << "Wallpaper" << "wallpaper";
        QTest::newRow("sand") << "песок" << "sand";
        QTest::newRow("fresco") << "Фреска" << "fresco";
        QTest::newRow("canvas") << "холст" << "canvas";
        QTest::newRow("tape") << "Скотч" << "tape";
        QTest::newRow("box") << "Шкатулка" << "box";
        QTest::newRow("boxes") << "коробки" << "box";
        QTest::newRow("small box, blanks collapsed") << "Маленькая   шкатулка" << "small_box";
        QTest::newRow("small box other order") << "коробка маленькая" << "small_box";
        QTest::newRow("large box") << "Большая коробка" << "large_box";
        QTest::newRow("large box yo") << "шкатулка большая" << "large_box";
        QTest::newRow("other text slugged") << "Фреска белая 2" << "freska_belaya_2";
    }
    void canonicalKeys()
    {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QCOMPARE(canonicalConsumableKey(text), key);
    }

    void wallJsonExtraction_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("json");
        const QString object = QStringLiteral("{\"item_key\":\"tape\",\"amount\":2}");
        QTest::newRow("prefix") << "VORN_WALL:" + object << object;
        QTest::newRow("prefix lower case, blanks") << "  vorn_wall:  " + object + "  " << object;
        QTest::newRow("prefix mixed case") << "Vorn_Wall:" + object << object;
        QTest::newRow("percent-encoded") << "vorn_wall:%7B%22item_key%22%3A%22tape%22%2C%22amount%22%3A2%7D" << object;
        QTest::newRow("percent-encoded without prefix")
            << "%7B%22item_key%22%3A%22tape%22%2C%22amount%22%3A2%7D" << object;
        QTest::newRow("inside other text") << "https://wall.example/?q=" + object + "#end" << object;
        QTest::newRow("no json") << " ROLL:R-1042 " << "ROLL:R-1042";
        QTest::newRow("braces in wrong order") << "}{" << "}{";
    }
    void wallJsonExtraction()
    {
        QFETCH(QString, raw);
        QFETCH(QString, json);
        QCOMPARE(WallPayload::extractJson(raw), json);
    }

    void wallWriteoffPayload_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("item");
        QTest::addColumn<double>("amount");
        QTest::addColumn<bool>("wall");
        // The binding payload the settings print on the wall.
        QTest::newRow("binding payload")
            << R"(VORN_WALL:{"kind":"consumable_wall","tab_id":"tab_boxes","type_key":"small_box","server_type":"box","item_key":"small_box","item_name":"Маленькая шкатулка","amount":1,"measure":"count"})"
            << "small_box" << "small_box" << 1.0 << true;
        QTest::newRow("type from the tab, item from its text")
            << R"(vorn_wall:{"kind":"consumable_wall","tab_id":"tab_tape","item_text":"Скотч прозрачный","amount":"2,5"})"
            << "tape" << "skotch_prozrachnyy" << 2.5 << true;
        QTest::newRow("type from the title")
            << R"({"title":"Фреска белая","item_id":"f1"})" << "freska_belaya" << "f1" << 0.0 << false;
        QTest::newRow("percent-encoded values")
            << R"(VORN_WALL:{"kind":"consumable_wall","item_text":"%D0%9E%D0%B1%D0%BE%D0%B8","type_id":"material"})"
            << "material" << "wallpaper" << 0.0 << true;
        QTest::newRow("garbage json") << "VORN_WALL:{kind: consumable_wall" << "" << "" << 0.0 << false;
    }
    void wallWriteoffPayload()
    {
        QFETCH(QString, raw);
        QFETCH(QString, type);
        QFETCH(QString, item);
        QFETCH(double, amount);
        QFETCH(bool, wall);
        const auto serverType = [](const QString &tabId) {
            return tabId == u"tab_tape" ? QStringLiteral("tape") : QString();
        };
        const WallPayload::Writeoff w = WallPayload::buildWriteoff(raw, serverType);
        QCOMPARE(w.type, type);
        QCOMPARE(w.item, item);
        QCOMPARE(w.amount, amount);
        QCOMPARE(WallPayload::isConsumableWall(raw), wall);
        QCOMPARE(w.payload.value("raw").toString(), raw.trimmed());
        for (const char *key : {"type_id", "server_type", "type_key", "type_en", "title_slug"})
            QCOMPARE(w.payload.value(QLatin1String(key)).toString(), type);
        for (const char *key : {"item_key", "item_en", "item_id", "item_slug", "item_code", "name"})
            QCOMPARE(w.payload.value(QLatin1String(key)).toString(), item);
        // Keys outside the wall vocabulary never travel.
        QVERIFY(!w.payload.contains("itemName"));
    }

    void stockReaders_data()
    {
        QTest::addColumn<QVariant>("boxes");
        QTest::addColumn<QVariant>("inks");
        QTest::addColumn<QString>("boxesSummary");
        QTest::addColumn<QString>("inksSummary");
        QTest::newRow("maps") << parse(R"({"Короб":148,"Маленькая шкатулка":"36"})")
                              << parse(R"({"counts":{"Black":6,"Cyan":4}})")
                              << "Типов коробок: 2 | Всего пачек: 184" << "Цветов: 2 | Всего единиц: 10";
        QTest::newRow("lists with fallbacks")
            << parse(R"({"stock":[{"box_type":"Короб","qty":3},{"name":"Шкатулка","count":2},{"count":9}]})")
            << parse(R"([{"name":"Black","qty":1},{"color":"Cyan","count":2},{"color":"Yellow"}])")
            << "Типов коробок: 2 | Всего пачек: 5" << "Цветов: 3 | Всего единиц: 3";
        QTest::newRow("empty") << QVariant() << QVariant() << "Типов коробок: 0 | Всего пачек: 0"
                               << "Цветов: 0 | Всего единиц: 0";
    }
    void stockReaders()
    {
        QFETCH(QVariant, boxes);
        QFETCH(QVariant, inks);
        QFETCH(QString, boxesSummary);
        QFETCH(QString, inksSummary);
        QCOMPARE(ConsumableStock::boxesSummary(ConsumableStock::readBoxes(boxes)), boxesSummary);
        QCOMPARE(ConsumableStock::inksSummary(ConsumableStock::readInks(inks)), inksSummary);
    }

    void materialsAndDynamic()
    {
        const QVariantList rolls = ConsumableStock::readMaterials(parse(
            R"({"rows":[{"material_id":"R1","type":"Обои","length":"48,5"},{"mat_type":"Холст","length_m":30},)"
            R"({"mat_type":"Обои","length_m":1.25,"cell_qr":"ROLL:R3"}]})"));
        QCOMPARE(rolls.size(), 3);
        QCOMPARE(rolls.at(0).toMap().value("mat_type").toString(), QStringLiteral("Обои"));
        QCOMPARE(rolls.at(0).toMap().value("material_id").toString(), QStringLiteral("R1"));
        QCOMPARE(ConsumableStock::materialsSummary(rolls),
                 QStringLiteral("Итого по типам: Обои: 49.75 м | Холст: 30.00 м"));
        QCOMPARE(ConsumableStock::materialsSummary({}), QStringLiteral("Итого по типам: (пусто)"));
        QCOMPARE(ConsumableStock::materialTypeOptions(rolls), (QStringList{"Обои", "Холст"}));

        const auto dynamic = ConsumableStock::readDynamic(parse(
            R"({"tape":{"title":"Скотч","items":[{"name":"Прозрачный","count":24},{"title":"Бумажный","qty":3}]},)"
            R"("film":{"measure":"length","rows":[{"name":"Плёнка","length":"12,5"}]},)"
            R"("glue":{"items":{"ПВА":4,"Момент":"2"}}})"));
        QCOMPARE(ConsumableStock::dynamicSummary(dynamic.value("tape")), QStringLiteral("Позиций: 2 | Всего: 27"));
        QCOMPARE(ConsumableStock::dynamicSummary(dynamic.value("film")), QStringLiteral("Позиций: 1 | Итого: 12.50 м"));
        QCOMPARE(ConsumableStock::dynamicSummary(dynamic.value("glue")), QStringLiteral("Позиций: 2 | Всего: 6"));

        // A write-off never takes a figure below zero and skips empty entries.
        QVariantList boxes = ConsumableStock::readBoxes(parse(R"({"Маленькая шкатулка":2,"Короб":0})"));
        QVERIFY(ConsumableStock::takeFrom(boxes, {"boxType"}, "count", "small_box", 5));
        QVERIFY(!ConsumableStock::takeFrom(boxes, {"boxType"}, "count", "box", 1));
        QCOMPARE(ConsumableStock::boxesSummary(boxes), QStringLiteral("Типов коробок: 2 | Всего пачек: 0"));
    }
};

QTEST_GUILESS_MAIN(ConsumableKeysTest)
#include "ConsumableKeysTest.moc"
