#include "staff/AttendanceArchiveViews.h"
#include "staff/EmployeeWorkspaceStore.h"
#include "staff/StaffParsing.h"
#include "staff/WorkSchedule.h"
#include "tools/StaffCsv.h"

#include <QtTest>

class StaffScheduleTest : public QObject
{
    Q_OBJECT

private:
    // A store without settings holding one employee, on a fixed month.
    static void prepare(EmployeeWorkspaceStore &store, int year, int month)
    {
        store.applyServerSnapshot({QVariantMap{{"id", "E1"}, {"name", "Анна"}, {"default_shift", "08:00-20:00"}},
                                   QVariantMap{{"id", "E2"}, {"name", "Борис"}}},
                                  {}, {}, {});
        store.setScheduleYear(year);
        store.setScheduleMonth(month);
        store.setSelectedEmployeeId(QStringLiteral("E1"));
    }

private Q_SLOTS:
    void shiftHours_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("hours");
        QTest::newRow("day") << "09:00-21:00" << 12;
        QTest::newRow("night across midnight") << "20-8" << 12;
        QTest::newRow("night with minutes") << "21:30 — 06:00" << 9; // 8.5 rounds up
        QTest::newRow("half hour") << "9:30-18:00" << 9;
        QTest::newRow("en dash, spaces") << "10 – 22" << 12;
        QTest::newRow("same time") << "09:00-09:00" << 0;
        QTest::newRow("comma hours") << "7,5 ч" << 8;
        QTest::newRow("point hours") << "6.4ч" << 6;
        QTest::newRow("word hours") << "8 час" << 8;
        QTest::newRow("latin h") << "11H" << 11;
        QTest::newRow("day off") << "ВЫХ" << 0;
        QTest::newRow("off") << " off " << 0;
        QTest::newRow("dash") << "-" << 0;
        QTest::newRow("vacation with numbers") << "Отпуск до 20" << 0;
        QTest::newRow("sick") << "больничный 10-22" << 0;
        QTest::newRow("text") << "по звонку" << 0;
        QTest::newRow("empty") << "" << 0;
    }

    void shiftHours()
    {
        QFETCH(QString, text);
        QFETCH(int, hours);
        QCOMPARE(WorkSchedule::shiftHours(text), hours);
    }

    void hoursText_data()
    {
        QTest::addColumn<double>("hours");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0 ч";
        QTest::newRow("whole") << 12.0 << "12 ч";
        QTest::newRow("half") << 7.5 << "7,5 ч";
        QTest::newRow("rounded") << 9.1666 << "9,2 ч";
    }

    void hoursText()
    {
        QFETCH(double, hours);
        QFETCH(QString, text);
        QCOMPARE(StaffParsing::hoursText(hours), text);
    }

    void monthSelection_data()
    {
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("expected");
        QTest::newRow("13") << 13 << 12;
        QTest::newRow("0") << 0 << 1;
        QTest::newRow("6") << 6 << 6;
    }

    void monthSelection()
    {
        QFETCH(int, month);
        QFETCH(int, expected);
        EmployeeWorkspaceStore store(nullptr);
        store.setScheduleMonth(month);
        QCOMPARE(store.scheduleMonth(), expected);
        store.setScheduleYear(0);
        QCOMPARE(store.scheduleYear(), QDate::currentDate().year());
    }

    void monthEdges_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<bool>("inside");
        QTest::newRow("31 in April") << 2026 << 4 << 31 << false;
        QTest::newRow("30 in April") << 2026 << 4 << 30 << true;
        QTest::newRow("29 Feb leap") << 2028 << 2 << 29 << true;
        QTest::newRow("29 Feb common") << 2026 << 2 << 29 << false;
        QTest::newRow("day 0") << 2026 << 1 << 0 << false;
        QTest::newRow("31 December") << 2026 << 12 << 31 << true;
    }

    void monthEdges()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(bool, inside);
        EmployeeWorkspaceStore store(nullptr);
        prepare(store, year, month);
        // Without a server the send fails, but a day inside the month is stored.
        QVERIFY(!store.setScheduleValue(day, QStringLiteral(" 10-22 ")));
        if (inside) {
            QCOMPARE(store.scheduleDays().at(day - 1).toMap().value("value").toString(), QStringLiteral("10-22"));
            QCOMPARE(store.schedule().value("months").toMap()
                         .value(WorkSchedule::monthKey(year, month)).toMap()
                         .value("E1").toMap().value(QString::number(day)).toString(),
                     QStringLiteral("10-22"));
        } else {
            QCOMPARE(store.lastStatus(), QStringLiteral("Сотрудники: день вне диапазона"));
            QVERIFY(store.schedule().value("months").toMap().isEmpty());
        }
        QCOMPARE(store.scheduleDays().size(), QDate(year, month, 1).daysInMonth());
    }

    void editsAndViews()
    {
        EmployeeWorkspaceStore store(nullptr);
        // March 2026 starts on a Sunday: 9 weekend days.
        prepare(store, 2026, 3);
        QCOMPARE(store.scheduleDays().first().toMap().value("label").toString(), QStringLiteral("1 вс"));
        QVERIFY(store.scheduleDays().first().toMap().value("weekend").toBool());
        QVERIFY(store.scheduleMonthLabel().endsWith(QStringLiteral(" 2026")));

        store.setScheduleValue(7, QStringLiteral("10-22")); // a Saturday
        store.setScheduleValue(16, QStringLiteral("20-8"));
        store.fillWeekendsOff();
        QCOMPARE(store.scheduleDays().at(6).toMap().value("value").toString(), QStringLiteral("10-22"));
        QCOMPARE(store.scheduleDays().at(7).toMap().value("value").toString(), QStringLiteral("ВЫХ"));
        QCOMPARE(store.selectedFilledDays(), 10);
        QCOMPARE(store.selectedFirstHalfHoursText(), QStringLiteral("12 ч"));
        QCOMPARE(store.selectedSecondHalfHoursText(), QStringLiteral("12 ч"));
        QCOMPARE(store.selectedMonthHoursText(), QStringLiteral("24 ч"));

        // The employee's own default shift fills the rest.
        store.fillEmptyDefault(QString());
        QCOMPARE(store.selectedFilledDays(), 31);
        QCOMPARE(store.scheduleDays().at(1).toMap().value("value").toString(), QStringLiteral("08:00-20:00"));
        QCOMPARE(store.scheduleDays().at(1).toMap().value("hours").toInt(), 12);

        // Blanks remove a day.
        store.setScheduleValue(2, QStringLiteral("   "));
        QCOMPARE(store.selectedFilledDays(), 30);

        QCOMPARE(store.commonFirstHalf().size(), 1);
        const QVariantMap entry = store.commonFirstHalf().first().toMap();
        QCOMPARE(entry.value("employeeId").toString(), QStringLiteral("E1"));
        QCOMPARE(entry.value("name").toString(), QStringLiteral("Анна"));
        QVERIFY(entry.contains("visitMinutes") && entry.contains("printCount"));
        QVERIFY(store.commonFirstHalfSummaryText().startsWith(QStringLiteral("1 сотрудников • ")));

        store.clearSelectedMonth();
        QCOMPARE(store.selectedFilledDays(), 0);
        QCOMPARE(store.commonSecondHalfSummaryText(), QStringLiteral("Нет смен во второй половине"));
    }

    void editsNeedSelection()
    {
        EmployeeWorkspaceStore store(nullptr);
        QVERIFY(!store.fillWeekendsOff());
        QCOMPARE(store.lastStatus(), QStringLiteral("Сотрудники: сначала выбери сотрудника"));
        QVERIFY(store.schedule().isEmpty());
    }

    void removeEmployeeCleansSchedule()
    {
        EmployeeWorkspaceStore store(nullptr);
        prepare(store, 2026, 3);
        store.setScheduleValue(3, QStringLiteral("10-22"));
        QVERIFY(!store.removeEmployee(QStringLiteral("nobody")));
        QCOMPARE(store.lastStatus(), QStringLiteral("Сотрудники: сотрудник не найден"));
        store.removeEmployee(QStringLiteral("E1"));
        QVERIFY(store.selectedEmployeeId().isEmpty());
        const QVariantMap month = store.schedule().value("months").toMap().value("2026-03").toMap();
        QVERIFY(!month.contains("E1"));
        QCOMPARE(store.employeeTotal(), 1);
    }

    void attendanceDay()
    {
        EmployeeWorkspaceStore store(nullptr);
        const QVariantList attendance{
            QVariantMap{{"emp_id", "E1"}, {"type", "in"}, {"ts", "2026-03-02T09:05:00"}, {"late_min", 5}, {"uid", "04AA"}},
            QVariantMap{{"emp_id", "E2"}, {"kind", "in"}, {"ts", "2026-03-02 08:58:00"}},
            QVariantMap{{"emp_id", "E1"}, {"type", "out"}, {"ts", "2026-03-02T18:35:00"}},
            QVariantMap{{"emp_id", "E2"}, {"type", "active"}, {"ts", "2026-03-02T10:00:00"}},
            QVariantMap{{"emp_id", "E2"}, {"type", "out"}, {"ts", "2026-03-02T17:00:00"}, {"worked_min", 480}},
            QVariantMap{{"emp_id", "E1"}, {"type", "in"}, {"ts", "05.03.2026 09:00:00"}},
            QVariantMap{{"emp_id", "E1"}, {"type", "in"}, {"ts", "never"}},
        };
        const QVariantList archive{
            QVariantMap{{"type", "print"}, {"emp_id", "E1"}, {"printed_at", "2026-03-02T11:00:00"}, {"file", "a.jpg"},
                        {"area_m2", 1.5}, {"printer", "Mimaki"}},
            QVariantMap{{"type", "print"}, {"emp_id", "E2"}, {"date", "2026-03-02T12:00:00"}, {"area_m2", 0.25}},
            QVariantMap{{"type", "idle_timeout"}, {"emp_id", "E1"}, {"ts", "2026-03-02T22:00:00"}},
            QVariantMap{{"type", "order_roll_add"}, {"ts", "2026-02-27T10:00:00"}},
        };
        store.applyServerSnapshot({QVariantMap{{"id", "E1"}, {"name", "Анна"}}, QVariantMap{{"id", "E2"}, {"name", "Борис"}}},
                                  {}, attendance, archive);
        store.setAttendanceDate(QStringLiteral("2026-03-02"));
        QCOMPARE(store.attendanceDate(), QStringLiteral("2026-03-02"));
        QCOMPARE(store.attendanceEvents().size(), 5);
        QCOMPARE(store.attendanceInCount(), 2);
        QCOMPARE(store.attendanceOutCount(), 2);
        QCOMPARE(store.attendanceLateCount(), 1);
        // 09:05 to 18:35 is 570 minutes, plus the server's 480 for E2.
        QCOMPARE(store.attendanceWorkedHoursText(), QStringLiteral("17,5 ч"));
        const QVariantMap first = store.attendanceEvents().first().toMap();
        QCOMPARE(first.value("name").toString(), QStringLiteral("Борис"));
        QCOMPARE(first.value("time").toString(), QStringLiteral("08:58:00"));
        QCOMPARE(first.value("typeLabel").toString(), QStringLiteral("Вход"));
        const QVariantMap late = store.attendanceEvents().at(1).toMap();
        QCOMPARE(late.value("detail").toString(), QStringLiteral("UID 04AA • опоздание 5 мин"));
        QCOMPARE(store.attendanceEvents().at(2).toMap().value("typeLabel").toString(), QStringLiteral("Событие"));
        QCOMPARE(store.attendanceAvailableDates(), (QVariantList{"2026-03-02", "2026-03-05"}));

        // The day exported as the operator sees it: every column filled from the views.
        const QStringList attendanceCsv = QString::fromUtf8(
            StaffCsv::attendance(QStringLiteral("2026-03-02"), store.attendanceEvents())).split(u'\n');
        QVERIFY2(attendanceCsv.contains(QStringLiteral(
                     "2026-03-02;09:05:00;Анна;E1;Вход;UID 04AA • опоздание 5 мин;04AA;5;0;")),
                 qPrintable(attendanceCsv.join(u'\n')));
        QVERIFY(attendanceCsv.contains(QStringLiteral("2026-03-02;17:00:00;Борис;E2;Выход;отработано 8 ч;;0;480;8 ч")));

        store.setSelectedEmployeeId(QStringLiteral("E1"));
        store.setAttendanceOnlySelected(true);
        QCOMPARE(store.attendanceEvents().size(), 2);
        QVERIFY(store.selectedAttendanceSummaryText().contains(QStringLiteral("Вход 09:05")));

        store.shiftAttendanceDateByAvailable(1);
        QCOMPARE(store.attendanceDate(), QStringLiteral("2026-03-05"));
        store.shiftAttendanceDateByAvailable(1); // no later day: stays
        QCOMPARE(store.attendanceDate(), QStringLiteral("2026-03-05"));
        store.setAttendanceDate(QStringLiteral("2026-03-04"));
        QCOMPARE(store.selectedAttendanceSummaryText(), QStringLiteral("Нет событий посещений по сотруднику"));
        store.setAttendanceDate(QStringLiteral("не дата"));
        QCOMPARE(store.attendanceDate(), QStringLiteral("2026-03-04"));

        store.setArchiveDate(QStringLiteral("02.03.2026"));
        QCOMPARE(store.archiveEvents().size(), 3);
        QCOMPARE(store.archivePrintCount(), 2);
        QCOMPARE(store.archiveActiveCount(), 2);
        QCOMPARE(store.archiveAreaText(), QStringLiteral("1,75 м²"));
        QCOMPARE(store.archiveEvents().constLast().toMap().value("typeLabel").toString(), QStringLiteral("Таймаут"));
        QCOMPARE(store.selectedArchiveSummaryText(), QStringLiteral("Печать 1 • 1,50 м² • визит 0 ч"));
        // The day's archive exported: one summary line per employee, then the feed.
        const QStringList archiveCsv = QString::fromUtf8(StaffCsv::archive(
            store.archiveDate(), store.archiveSummary().value("rows").toList(), store.archiveEvents())).split(u'\n');
        QVERIFY2(archiveCsv.contains(QStringLiteral("2026-03-02;Анна;E1;0;0;1,50 м²;0 ч")), qPrintable(archiveCsv.join(u'\n')));
        QVERIFY(archiveCsv.contains(QStringLiteral("2026-03-02;Борис;E2;0;0;0,25 м²;0 ч")));
        QVERIFY(archiveCsv.contains(QStringLiteral("2026-03-02;11:00:00;Анна;E1;Печать;Mimaki • 1,50 м²;Mimaki;a.jpg;1.5;0;")));

        store.shiftArchiveDateByAvailable(-1);
        QCOMPARE(store.archiveDate(), QStringLiteral("2026-02-27"));
        QCOMPARE(store.archiveEvents().first().toMap().value("typeLabel").toString(), QStringLiteral("Рулон"));
        QCOMPARE(store.selectedArchiveSummaryText(), QStringLiteral("Нет архивных событий по сотруднику"));
        store.shiftArchiveDate(3);
        QCOMPARE(store.archiveDate(), QStringLiteral("2026-03-02"));

        // Half-month figures come from the same lists.
        store.setScheduleYear(2026);
        store.setScheduleMonth(3);
        store.setScheduleValue(2, QStringLiteral("09:00-18:00"));
        const QVariantMap half = store.commonFirstHalf().first().toMap();
        QCOMPARE(half.value("visitMinutes").toLongLong(), 570);
        QCOMPARE(half.value("lateMin").toLongLong(), 5);
        QCOMPARE(half.value("printCount").toInt(), 1);
        QVERIFY(half.value("worked").toBool());
    }

    void neighbourDayWithoutData()
    {
        const QDate day(2026, 1, 1);
        QCOMPARE(AttendanceArchiveViews::neighbourDay({}, day, -3), QDate(2025, 12, 31));
        QCOMPARE(AttendanceArchiveViews::neighbourDay({}, day, 2), QDate(2026, 1, 2));
        QCOMPARE(AttendanceArchiveViews::neighbourDay({"2025-12-01"}, day, 0), day);
    }

    void dateParsing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        QTest::newRow("iso") << "2026-03-02" << QDate(2026, 3, 2);
        QTest::newRow("dots") << "02.03.2026" << QDate(2026, 3, 2);
        QTest::newRow("dashes") << "02-03-2026" << QDate(2026, 3, 2);
        QTest::newRow("slashes") << "02/03/2026" << QDate(2026, 3, 2);
        QTest::newRow("year slashes") << "2026/03/02" << QDate(2026, 3, 2);
        QTest::newRow("date-time") << "2026-03-02T23:59:59" << QDate(2026, 3, 2);
        QTest::newRow("feb 30") << "30.02.2026" << QDate();
        QTest::newRow("junk") << "вчера" << QDate();
    }

    void dateParsing()
    {
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QCOMPARE(StaffParsing::parseDate(text), date);
    }
};

QTEST_GUILESS_MAIN(StaffScheduleTest)
#include "StaffScheduleTest.moc"
