// Cutting the orders' items out of a snapshot body gives what a plain parse
// gives, or falls back to the plain parse.
#include "common/SnapshotItems.h"

#include <QJsonDocument>
#include <QtTest>

class SnapshotItemsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matchesThePlainParse_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("cutItems"); // -1: not cut

        QTest::newRow("reply") << QByteArray("{\"ok\":true,\"snapshot\":{\"orders\":{\"items\":[{\"key\":\"a\"},{\"key\":\"b\"}],\"summary\":{}},\"employees\":[]},\"revision\":\"3\"}") << 2;
        QTest::newRow("orders at the top") << QByteArray("{\"orders\":{\"summary\":{\"n\":1},\"items\":[{\"key\":\"a\"}]}}") << 1;
        QTest::newRow("whitespace everywhere") << QByteArray(" \n{ \"snapshot\" :\t{ \"orders\" : { \"items\" : [ {\"key\" : \"a\"} ,\r\n {\"key\":\"b\"} ] } } }\n ") << 2;
        QTest::newRow("strings with brackets and quotes") << QByteArray("{\"snapshot\":{\"orders\":{\"items\":[{\"key\":\"a]}\\\"[{\",\"t\":\"\\\\\"},{\"key\":\"}\"}]}}}") << 2;
        QTest::newRow("no items") << QByteArray("{\"snapshot\":{\"orders\":{\"items\":[]}}}") << 0;
        QTest::newRow("an empty item") << QByteArray("{\"snapshot\":{\"orders\":{\"items\":[{},{\"key\":\"a\"}]}}}") << 2;
        QTest::newRow("orders without items") << QByteArray("{\"snapshot\":{\"orders\":{\"summary\":{}}}}") << -1;
        QTest::newRow("items not a list") << QByteArray("{\"snapshot\":{\"orders\":{\"items\":{\"key\":\"a\"}}}}") << -1;
        QTest::newRow("snapshot not an object") << QByteArray("{\"snapshot\":[],\"orders\":{\"items\":[{\"key\":\"a\"}]}}") << -1;
        QTest::newRow("snapshot given twice") << QByteArray("{\"snapshot\":{\"orders\":{\"items\":[{\"key\":\"a\"}]}},\"snapshot\":{}}") << -1;
        QTest::newRow("items given twice") << QByteArray("{\"orders\":{\"items\":[{\"key\":\"a\"}],\"items\":[]}}") << -1;
        QTest::newRow("key spelled with an escape") << QByteArray("{\"orders\":{\"items\":[{\"key\":\"a\"}],\"it\\u0065ms\":[]}}") << -1;
        QTest::newRow("an item that is not an object") << QByteArray("{\"orders\":{\"items\":[{\"key\":\"a\"},7]}}") << -1;
        QTest::newRow("an item that does not parse") << QByteArray("{\"orders\":{\"items\":[{\"key\":\"a\"},{\"key\":}]}}") << -1;
        QTest::newRow("broken outside the items") << QByteArray("{\"orders\":{\"items\":[{\"key\":\"a\"}]},\"x\":tru}") << -1;
        QTest::newRow("trailing garbage") << QByteArray("{\"orders\":{\"items\":[{\"key\":\"a\"}]}} x") << -1;
        QTest::newRow("cut short") << QByteArray("{\"orders\":{\"items\":[{\"key\":\"a\"},{\"ke") << -1;
        QTest::newRow("trailing comma") << QByteArray("{\"orders\":{\"items\":[{\"key\":\"a\"},]}}") << -1;
        QTest::newRow("a list at the top") << QByteArray("[{\"orders\":{\"items\":[]}}]") << -1;
        QTest::newRow("not JSON") << QByteArray("<html>502</html>") << -1;
        QTest::newRow("empty body") << QByteArray() << -1;
        QByteArray deep = "{\"orders\":{\"items\":[" + QByteArray(300, '[') + QByteArray(300, ']') + "]}}";
        QTest::newRow("deeper than the cut goes") << deep << -1;
    }

    void matchesThePlainParse()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, cutItems);
        QJsonParseError error;
        const QJsonDocument plain = QJsonDocument::fromJson(body, &error);

        SnapshotItems items;
        bool isJson = false, isObject = false;
        const QJsonObject root = SnapshotItems::read(body, {}, &items, &isJson, &isObject);
        QCOMPARE(isJson, error.error == QJsonParseError::NoError);
        QCOMPARE(isObject, plain.isObject());
        QCOMPARE(items.isCut(), cutItems >= 0);
        if (cutItems >= 0)
            QCOMPARE(items.items().size(), cutItems);
        QCOMPARE(items.withItems(root), plain.object());
    }

    // Items whose bytes the previous body had are not parsed again, yet read the same.
    void knownItemsAreNotParsedAgain()
    {
        const QByteArray first = "{\"snapshot\":{\"orders\":{\"items\":[{\"key\":\"a\",\"n\":1},{\"key\":\"b\",\"n\":2}]}}}";
        const QByteArray second = "{\"snapshot\":{\"orders\":{\"items\":[{\"key\":\"a\",\"n\":1},{\"key\":\"b\",\"n\":3}]}}}";
        SnapshotItems before;
        SnapshotItems::read(first, {}, &before);
        QVERIFY(before.isCut());
        QVERIFY(before.items().at(0).parsed && before.items().at(1).parsed);

        SnapshotItems after;
        const QJsonObject root = SnapshotItems::read(second, before.digests(), &after);
        QVERIFY(after.isCut());
        QVERIFY(!after.items().at(0).parsed); // same bytes as before
        QVERIFY(after.items().at(1).parsed);  // changed
        QCOMPARE(after.items().at(0).digest, before.items().at(0).digest);
        QVERIFY(after.items().at(1).digest != before.items().at(1).digest);
        QCOMPARE(after.objectOf(after.items().at(0)), QJsonObject({{"key", "a"}, {"n", 1}}));
        QCOMPARE(after.withItems(root), QJsonDocument::fromJson(second).object());
    }
};

QTEST_GUILESS_MAIN(SnapshotItemsTest)
#include "SnapshotItemsTest.moc"
