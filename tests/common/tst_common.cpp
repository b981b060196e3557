#include "common/AtomicFile.h"
#include "common/CardUid.h"
#include "common/IsoTime.h"
#include "common/JsonRead.h"
#include "common/ProductionCode.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

class TestCommon : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstNonEmptyKeyWins();
    void boolsAndNumbersFromLooseJson();
    void objectFilesReadAsEmptyWhenBroken();
    void atomicWriteReplacesWholeOrNothing();
    void productionCodeIsFoundAnywhere();
    void cardUidKeepsOnlyHexDigits();
    void serverTimesInSeveralShapes();
};

void TestCommon::firstNonEmptyKeyWins()
{
    const QJsonObject object{{"tenant_id", "  "},
                             {"tenantId", " t-42 "},
                             {"count", 3},
                             {"ratio", 2.5},
                             {"nothing", QJsonValue::Null},
                             {"list", QJsonArray{1}}};
    QCOMPARE(jsonFirstText(object, {"tenant_id", "tenantId"}), QStringLiteral("t-42"));
    QCOMPARE(jsonFirstText(object, {"missing", "nothing"}, "fallback"), QStringLiteral("fallback"));
    QCOMPARE(jsonFirstText(object, {"count"}), QStringLiteral("3"));
    QCOMPARE(jsonFirstText(object, {"ratio"}), QStringLiteral("2.5"));
    // An array is a value for jsonFirstValue but has no text form.
    QVERIFY(jsonFirstValue(object, {"nothing", "list"}).isArray());
    QCOMPARE(jsonFirstText(object, {"list"}), QString());

    const QVariantMap map = object.toVariantMap();
    QCOMPARE(variantFirstText(map, {"tenant_id", "tenantId"}), QStringLiteral("t-42"));
    QCOMPARE(variantFirstText(map, {"count"}), QStringLiteral("3"));
    QVERIFY(!variantFirstValue(map, {"tenant_id", "nothing"}).isValid());
}

void TestCommon::boolsAndNumbersFromLooseJson()
{
    QCOMPARE(jsonToBool(QJsonValue("Да"), false), true);
    QCOMPARE(jsonToBool(QJsonValue(" false "), true), false);
    QCOMPARE(jsonToBool(QJsonValue(0), true), false);
    QCOMPARE(jsonToBool(QJsonValue("maybe"), true), true);
    QCOMPARE(jsonToBool(QJsonValue(QJsonValue::Null), true), true);
    QCOMPARE(variantToBool(QVariant(QStringLiteral("1")), false), true);
    QCOMPARE(variantToBool(QVariant(0.0), true), false);
    QCOMPARE(variantToBool(QVariant(), true), true);

    QCOMPARE(jsonToNumber(QJsonValue("12,5")), 12.5);
    QCOMPARE(jsonToNumber(QJsonValue("x"), -1.0), -1.0);
    QCOMPARE(variantToNumber(QVariant(QStringLiteral(" 3 ")), 0.0), 3.0);
    QCOMPARE(variantToNumber(QVariant(), 7.0), 7.0);
}

void TestCommon::objectFilesReadAsEmptyWhenBroken()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write("array.json", "[1,2]");
    write("broken.json", "{\"a\": ");
    write("good.json", "{\"a\": 1}");
    QVERIFY(readJsonObjectFile(dir.filePath("missing.json")).isEmpty());
    QVERIFY(readJsonObjectFile(dir.filePath("array.json")).isEmpty());
    QVERIFY(readJsonObjectFile(dir.filePath("broken.json")).isEmpty());
    QVERIFY(readJsonObjectFile(dir.path()).isEmpty());
    QCOMPARE(readJsonObjectFile(dir.filePath("good.json")).value("a").toInt(), 1);
    QCOMPARE(compactJson(QJsonObject{{"b", 1}, {"a", "x"}}), QByteArray("{\"a\":\"x\",\"b\":1}"));
}

void TestCommon::atomicWriteReplacesWholeOrNothing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("sub/deeper/state.json");
    QVERIFY(writeFileAtomically(path, "first"));
    QVERIFY(writeFileAtomically(path, "second"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("second"));
    file.close();
    // No temporary files are left beside the target.
    QCOMPARE(QDir(dir.filePath("sub/deeper")).entryList(QDir::Files), QStringList{"state.json"});

    // A folder where the file should be: the write fails and the folder stays.
    QVERIFY(QDir().mkpath(dir.filePath("taken")));
    QVERIFY(!writeFileAtomically(dir.filePath("taken"), "x"));
    QVERIFY(QFileInfo(dir.filePath("taken")).isDir());
    // A file where the parent folder should be.
    QVERIFY(!writeFileAtomically(path + "/child.json", "x"));
}

void TestCommon::productionCodeIsFoundAnywhere()
{
    QCOMPARE(extractProductionCode(" p01abcdefg "), QStringLiteral("P01ABCDEFG"));
    QCOMPARE(extractProductionCode("WB-12345 P17XYZ2345-2"), QStringLiteral("P17XYZ2345"));
    // I, O, 0 and 1 are not in the alphabet after the two digits.
    QCOMPARE(extractProductionCode("P01ABCDEF0"), QString());
    QCOMPARE(extractProductionCode("P01ABCIEFG"), QString());
    QCOMPARE(extractProductionCode("P1ABCDEFGH"), QString());
    QCOMPARE(extractProductionCode("123456"), QString());
    // First match wins.
    QCOMPARE(extractProductionCode("P02BBBBBBB P03CCCCCCC"), QStringLiteral("P02BBBBBBB"));
}

void TestCommon::cardUidKeepsOnlyHexDigits()
{
    QCOMPARE(normalizeCardUid("04:a1 b2-ff"), QStringLiteral("04A1B2FF"));
    QCOMPARE(normalizeCardUid("zz"), QString());
    QCOMPARE(normalizeCardUid("RFID:0A0b"), QStringLiteral("FD0A0B"));
}

void TestCommon::serverTimesInSeveralShapes()
{
    const QDateTime reference(QDate(2026, 3, 1), QTime(10, 20, 30, 400), Qt::UTC);
    QCOMPARE(parseServerTime("2026-03-01T10:20:30.400Z"), reference);
    QCOMPARE(parseServerTime("2026-03-01T10:20:30Z").toSecsSinceEpoch(), reference.toSecsSinceEpoch());
    QCOMPARE(parseServerTime(QString::number(reference.toSecsSinceEpoch())).toSecsSinceEpoch(),
             reference.toSecsSinceEpoch());
    QCOMPARE(parseServerTime(QString::number(reference.toMSecsSinceEpoch())), reference);
    QVERIFY(parseServerTime("2026-03-01 10:20:30").isValid());
    QVERIFY(!parseServerTime("вчера").isValid());
    QVERIFY(!parseServerTime("").isValid());

    const QString now = isoUtcNowMs();
    QVERIFY2(QRegularExpression("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}\\.\\d{3}Z$").match(now).hasMatch(),
             qPrintable(now));
    const QString local = isoLocalNowMs();
    QVERIFY2(QRegularExpression("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}\\.\\d{3}$").match(local).hasMatch(),
             qPrintable(local));
}

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
