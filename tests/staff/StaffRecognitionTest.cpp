#include "staff/EmployeeIdentity.h"
#include "staff/EmployeeWorkspaceStore.h"
#include "staff/StaffReply.h"
#include "staff/WorkplaceKeys.h"

#include <QJsonDocument>
#include <QtTest>

namespace {

QVariantMap employee(const QString &id, const QString &name, const QString &uid = QString())
{
    return {{QStringLiteral("emp_id"), id}, {QStringLiteral("name"), name}, {QStringLiteral("rfid_uid"), uid}};
}

// A store without settings: it recognises but never sends.
void loadDemo(EmployeeWorkspaceStore &store)
{
    store.applyServerSnapshot({employee("E7", "Иванова", "04:a1:b2"), employee("a-17", "Петров"),
                               employee("42", "Сидоров", "DEAD BEEF")},
                              {}, {}, {});
}

} // namespace

class StaffRecognitionTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void extractEmployeeId_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("id");
        QTest::newRow("json emp, blanks") << R"({"kind":"emp","employee_id":"  E7  "})" << "E7";
        QTest::newRow("json employee type") << R"({"type":"Employee","emp_id":"E8"})" << "E8";
        QTest::newRow("json сотрудник") << R"({"kind":"сотрудник","id":"9"})" << "9";
        QTest::newRow("other kind, quoted value") << R"({"kind":"order","employee_id":"E7"})" << "E7";
        QTest::newRow("unquoted value") << "employee_id=E7" << "";
        QTest::newRow("tag upper") << "EMP: a-17" << "a-17";
        QTest::newRow("tag lower") << "emp:a-17" << "a-17";
        QTest::newRow("tag cyrillic") << "сотрудник#42" << "42";
        QTest::newRow("tag cyrillic upper") << "СОТРУДНИК: 43" << "43";
        QTest::newRow("tag pipe") << "employee|E9" << "E9";
        QTest::newRow("no separator") << "emp 42" << "";
        QTest::newRow("inside a word") << "temp:5" << "";
        QTest::newRow("single quotes") << "id = 'Z_1'" << "Z_1";
        QTest::newRow("broken json") << R"({"kind":"emp","employee_id":)" << "";
        QTest::newRow("order code") << "P01A7K3M9Q" << "";
        QTest::newRow("control characters") << QStringLiteral("\x01\x02emp:\x03") << "";
        QTest::newRow("empty") << "   " << "";
    }

    void extractEmployeeId()
    {
        QFETCH(QString, text);
        QFETCH(QString, id);
        QCOMPARE(EmployeeIdentity::extractEmployeeId(text), id);
    }

    void parsePayloadWritesEverySpelling()
    {
        QVariantMap map = EmployeeIdentity::parseEmployeePayload(R"({"kind":"emp","emp_id":" E5 ","x":1})");
        QCOMPARE(map.value("employee_id").toString(), QStringLiteral("E5"));
        QCOMPARE(map.value("emp_id").toString(), QStringLiteral("E5"));
        QCOMPARE(map.value("id").toString(), QStringLiteral("E5"));
        QCOMPARE(map.value("x").toInt(), 1);

        map = EmployeeIdentity::parseEmployeePayload("EMP: a-17");
        QCOMPARE(map.value("kind").toString(), QStringLiteral("emp"));
        QCOMPARE(map.value("emp_id").toString(), QStringLiteral("a-17"));

        // Another JSON object stays what it is, with no id invented.
        map = EmployeeIdentity::parseEmployeePayload(R"({"kind":"wall","code":"W1"})");
        QCOMPARE(map.value("kind").toString(), QStringLiteral("wall"));
        QVERIFY(!map.contains("employee_id"));
        QVERIFY(EmployeeIdentity::parseEmployeePayload("[1,2]").isEmpty());
    }

    void hugeTextNamesNobody()
    {
        const QString huge = QStringLiteral("emp:") + QString(500000, u'x');
        QVERIFY(EmployeeIdentity::extractEmployeeId(huge).isEmpty());
        EmployeeWorkspaceStore store(nullptr);
        loadDemo(store);
        QVERIFY(store.employeeIdFromHardwareScan(huge).isEmpty());
        QVERIFY(!store.processHardwareScan(huge));
    }

    void cardUids_data()
    {
        QTest::addColumn<QString>("uid");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("id");
        QTest::newRow("colons, mixed case") << "04:A1:b2" << "" << "E7";
        QTest::newRow("plain lower") << "04a1B2" << "" << "E7";
        QTest::newRow("separators and junk") << "04-a1 b2 zz" << "" << "E7";
        QTest::newRow("spaces in stored uid") << "deadbeef" << "" << "42";
        QTest::newRow("prefix only") << "04A1" << "" << "";
        QTest::newRow("tag names a record") << "FFFF" << "a-17|Петров" << "a-17";
        QTest::newRow("tag names nobody, uid decides") << "04A1B2" << "E99|Кто-то" << "E7";
        QTest::newRow("tag without pipe") << "FFFF" << "a-17" << "";
        QTest::newRow("empty") << "" << "" << "";
    }

    void cardUids()
    {
        QFETCH(QString, uid);
        QFETCH(QString, tag);
        QFETCH(QString, id);
        EmployeeWorkspaceStore store(nullptr);
        loadDemo(store);
        QCOMPARE(store.employeeIdFromRfid(uid, tag), id);
    }

    void hardwareScans_data()
    {
        QTest::addColumn<QString>("scan");
        QTest::addColumn<QString>("id");
        QTest::newRow("plain id") << "  a-17 " << "a-17";
        QTest::newRow("numeric id") << "42" << "42";
        QTest::newRow("card uid") << "04:a1:b2" << "E7";
        QTest::newRow("unknown plain") << "nobody" << "";
        QTest::newRow("wall qr") << R"(VORN_WALL:{"tab":"inks"})" << "";
    }

    void hardwareScans()
    {
        QFETCH(QString, scan);
        QFETCH(QString, id);
        EmployeeWorkspaceStore store(nullptr);
        loadDemo(store);
        QCOMPARE(store.employeeIdFromHardwareScan(scan), id);
        // Without a server nothing is posted and the status stays for the router.
        const QString status = store.lastStatus();
        QVERIFY(!store.processHardwareScan(scan));
        QCOMPARE(store.lastStatus(), status);
    }

    void workplaceKeys_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("label");
        QTest::newRow("1") << "1" << "cutter_1" << "Резак 1";
        QTest::newRow("02") << "02" << "cutter_2" << "Резак 2";
        QTest::newRow("Резак 2") << "Резак 2" << "cutter_2" << "Резак 2";
        QTest::newRow("scanner-2") << "scanner-2" << "cutter_2" << "Резак 2";
        QTest::newRow("cut-007") << "cut-007" << "cutter_7" << "Резак 7";
        QTest::newRow("Сканер #3") << "Сканер #3" << "cutter_3" << "Резак 3";
        QTest::newRow("other") << " Стол A " << "_a" << "_a";
        QTest::newRow("all zeros") << "cut-000" << "cutter_0" << "Резак 0";
        QTest::newRow("longer than any integer")
            << "cutter_000123456789012345678901234567890" << "cutter_123456789012345678901234567890"
            << "Резак 123456789012345678901234567890";
        QTest::newRow("word joined by a deleted character") << "scan\u200bner" << "cutter" << "cutter";
        QTest::newRow("empty") << "  " << "" << "";
    }

    void workplaceKeys()
    {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(QString, label);
        QCOMPARE(WorkplaceKeys::normalizeWorkplaceKey(text), key);
        QCOMPARE(WorkplaceKeys::workplaceLabelForKey(text), label);
    }

    void workplaceLookup()
    {
        EmployeeWorkspaceStore store(nullptr);
        loadDemo(store);
        store.rememberActiveCutterForWorkplace(QStringLiteral("Резак 2"), QStringLiteral("E7"),
                                               {{"scanner_id", "scanner2"}});
        for (const QString &workplace : {QStringLiteral("cutter_2"), QStringLiteral("2"), QStringLiteral("scanner-2")})
            QCOMPARE(store.activeCutterIdForWorkplace(workplace), QStringLiteral("E7"));
        const QVariantMap entry = store.activeCutters().value("cutter_2").toMap();
        QCOMPARE(entry.value("cutterLabel").toString(), QStringLiteral("Резак 2"));
        QCOMPARE(entry.value("scanner_id").toString(), QStringLiteral("scanner2"));
        QCOMPARE(store.activeCutterNameForWorkplace("2"), QStringLiteral("Иванова"));

        // Another workplace falls back to the PC-wide cutter (the last scan).
        store.rememberActiveCutterForWorkplace(QString(), QStringLiteral("a-17"), {{"workplaceId", "1"}});
        QCOMPARE(store.activeCutterIdForWorkplace("cutter_1"), QStringLiteral("a-17"));
        QCOMPARE(store.activeCutterIdForWorkplace("cutter_5"), QStringLiteral("a-17"));
        QCOMPARE(store.activeCutterIdForWorkplace("cutter_2"), QStringLiteral("E7"));
        QCOMPARE(store.activeEmployeeReason(), QStringLiteral("qr"));
        QCOMPARE(store.employeeActive(), 2);

        // A workplace without any key does nothing.
        store.rememberActiveCutterForWorkplace(QString(), QStringLiteral("42"));
        QCOMPARE(store.activeCutterId(), QStringLiteral("a-17"));
    }

    void uniqueIds()
    {
        EmployeeWorkspaceStore store(nullptr);
        loadDemo(store);
        quint64 next = 0xabcd000000000000ULL;
        store.setRandomSource([&] { return next += 0x0001000000000000ULL; });
        QVERIFY(!store.addEmployee(QStringLiteral("  ")));
        QCOMPARE(store.lastStatus(), QStringLiteral("Сотрудники: имя обязательно"));
        QCOMPARE(store.employeeTotal(), 3);

        // Without a server the edit stays local and the send reports false.
        QVERIFY(!store.addEmployee(QStringLiteral(" Новая "), QStringLiteral("E7")));
        QCOMPARE(store.records().constLast().toMap().value("id").toString(), QStringLiteral("E7_abce"));
        QCOMPARE(store.selectedEmployeeId(), QStringLiteral("E7_abce"));
        QCOMPARE(store.selectedEmployee().value("name").toString(), QStringLiteral("Новая"));
        QCOMPARE(store.records().constLast().toMap().value("sort_order").toInt(), 3);
        store.addEmployee(QStringLiteral("Без номера"));
        QCOMPARE(store.records().constLast().toMap().value("id").toString(), QStringLiteral("emp_abcf00"));
    }

    void qrPayload()
    {
        EmployeeWorkspaceStore store(nullptr);
        QVERIFY(store.makeEmployeeQrPayload().isEmpty());
        QCOMPARE(store.makeEmployeeQrPayload(QStringLiteral(" E7 ")),
                 QStringLiteral(R"({"employee_id":"E7","id":"E7","kind":"emp","tenant_id":"default"})"));
        store.setSelectedEmployeeId(QStringLiteral("a-17"));
        // The badge reads back as the same employee.
        loadDemo(store);
        QCOMPARE(store.employeeIdFromHardwareScan(store.makeEmployeeQrPayload()), QStringLiteral("a-17"));
    }

    void snapshotMergeKeepsLocalEdits()
    {
        EmployeeWorkspaceStore store(nullptr);
        loadDemo(store);
        store.addEmployee(QStringLiteral("Локальный"), QStringLiteral("L1"), QString(), QStringLiteral("0A0B"));
        store.applyServerSnapshot({QVariantMap{{"employee_id", "E7"}, {"display_name", "Иванова-Смирнова"}},
                                   QVariantMap{{"id", "42"}, {"rfid", "CAFE"}, {"card_data", "42|Сидоров"}}},
                                  {}, {}, {});
        QCOMPARE(store.records().size(), 4);
        const QVariantMap e7 = store.records().at(0).toMap();
        QCOMPARE(e7.value("name").toString(), QStringLiteral("Иванова-Смирнова"));
        QCOMPARE(e7.value("rfid_uid").toString(), QStringLiteral("04:a1:b2")); // kept from the local record
        QCOMPARE(store.records().at(1).toMap().value("rfid_data").toString(), QStringLiteral("42|Сидоров"));
        QCOMPARE(store.employeeIdFromRfid("cafe"), QStringLiteral("42"));
        // Records the server did not send stay behind its own.
        QStringList ids;
        for (const QVariant &r : store.records())
            ids << r.toMap().value("id").toString();
        QCOMPARE(ids, (QStringList{"E7", "42", "a-17", "L1"}));

        // An empty list changes nothing.
        store.applyServerSnapshot({}, {}, {}, {});
        QCOMPARE(store.records().size(), 4);
    }

    void viewSort_data()
    {
        QTest::addColumn<QVariantList>("records");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("numeric ids") << QVariantList{QVariantMap{{"id", "10"}, {"name", "Яна"}, {"sort_order", 1}},
                                                     QVariantMap{{"id", "9"}, {"name", "Юрий"}, {"sort_order", 2}},
                                                     QVariantMap{{"id", "2"}, {"name", "Борис"}}}
                                     << QStringList{"2", "9", "10"};
        QTest::newRow("position, then name")
            << QVariantList{QVariantMap{{"id", "b"}, {"name", "борис"}, {"sort_order", 2}},
                            QVariantMap{{"id", "a"}, {"name", "Анна"}, {"sort_order", 5}},
                            QVariantMap{{"id", "c"}, {"name", "Вера"}, {"sort_order", 1}},
                            QVariantMap{{"id", "d"}, {"name", "Галина"}},
                            QVariantMap{{"id", "e"}, {"name", "алла"}}}
            << QStringList{"e", "c", "b", "a", "d"};
    }

    void viewSort()
    {
        QFETCH(QVariantList, records);
        QFETCH(QStringList, order);
        EmployeeWorkspaceStore store(nullptr);
        store.applyServerSnapshot(records, {}, {}, {});
        QStringList ids;
        for (const QVariant &v : store.employees())
            ids << v.toMap().value("id").toString();
        QCOMPARE(ids, order);
    }

    void viewMeta()
    {
        EmployeeWorkspaceStore store(nullptr);
        store.applyServerSnapshot({QVariantMap{{"id", "c"}, {"name", "Вера"}, {"role", "Резчик"}, {"defaultShift", "10-22"}},
                                   QVariantMap{{"id", "d"}, {"name", "Галина"}, {"active", true}}},
                                  {}, {}, {});
        QCOMPARE(store.employees().at(0).toMap().value("meta").toString(), QStringLiteral("10-22 · Резчик"));
        QCOMPARE(store.employees().at(1).toMap().value("meta").toString(), QStringLiteral("смена не задана · без роли"));
        QCOMPARE(store.employeeActive(), 1);
    }

    void replyWithWrongTypesKeepsValidState()
    {
        EmployeeWorkspaceStore store(nullptr);
        loadDemo(store);
        const QJsonObject good = QJsonDocument::fromJson(R"({
            "attendance": [{"emp_id":"E7","type":"in","ts":"2026-03-02T09:05:00"}],
            "active_cutters": {"cutter_1": "E7"},
            "active_employee": {"emp_id":"E7"}
        })").object();
        QVERIFY(store.applySnapshotRoot(good));
        QCOMPARE(store.lastStatus(), QStringLiteral("Сотрудники: синхронизация применена"));
        QCOMPARE(store.activeCutterIdForWorkplace("1"), QStringLiteral("E7"));
        // A snapshot without active_cutter makes the active employee the cutter.
        QCOMPARE(store.activeCutterId(), QStringLiteral("E7"));
        QCOMPARE(store.activeCutterName(), QStringLiteral("Иванова"));

        const QJsonObject bad = QJsonDocument::fromJson(R"({
            "employees": "oops", "schedule": [1], "attendance": 5, "archive": "x",
            "active_cutters": [1], "active_employee": {"emp_id":"E7"}
        })").object();
        QVERIFY(store.applySnapshotRoot(bad));
        QCOMPARE(store.records().size(), 3);
        QCOMPARE(store.activeCutterIdForWorkplace("1"), QStringLiteral("E7"));
        store.setAttendanceDate("02.03.2026");
        QCOMPARE(store.attendanceInCount(), 1);

        const QJsonObject rejected = QJsonDocument::fromJson(R"({"ok":false,"error":"tenant_blocked"})").object();
        QVERIFY(!store.applySnapshotRoot(rejected));
        QVERIFY(store.lastStatus().startsWith(QStringLiteral("Сотрудники: синхронизация не применена: ")));
    }

    void replySpellings()
    {
        // Staff nested under "employees" with its own lists.
        const QJsonObject nested = QJsonDocument::fromJson(R"({"snapshot":{"employees":{
            "staff":[{"emp_id":"S1"}], "schedule":{"months":{"2026-03":{}}}, "activity":[{"emp_id":"S1"}]}}})").object();
        const StaffReply reply = StaffReply::read(nested);
        QCOMPARE(reply.employees.size(), 1);
        QVERIFY(reply.schedule.contains("months"));
        QCOMPARE(reply.attendance.size(), 1);
        QVERIFY(reply.hasActiveCutters); // absent: the server has none
        QVERIFY(!reply.hasArchive);

        const QJsonObject wrapped = QJsonDocument::fromJson(
            R"({"employees":{"items":[{"id":"W1"},{"id":"W2"}]},"archive":{"events":[{"type":"print"}]}})").object();
        const StaffReply second = StaffReply::read(wrapped);
        QCOMPARE(second.employees.size(), 2);
        QCOMPARE(second.archive.size(), 1);
    }
};

QTEST_GUILESS_MAIN(StaffRecognitionTest)
#include "StaffRecognitionTest.moc"
