#include "DemoData.h"
#include "DemoStaffCards.h"

#include <QDate>
#include <QDateTime>

namespace {

using DemoEmployee = Demo::StaffMember;
const auto &kEmployees = Demo::kStaff;

QString at(const QDate &day, int hour, int minute)
{
    return QDateTime(day, QTime(hour, minute)).toString(Qt::ISODate);
}

QJsonObject attendanceRow(const DemoEmployee &e, const char *type, const QString &ts, int lateMin = 0,
                          int workedMin = -1)
{
    QJsonObject row{{"emp_id", e.id}, {"employee_id", e.id}, {"name", e.name}, {"type", type},
                    {"ts", ts}, {"uid", e.cardUid}};
    if (lateMin > 0)
        row.insert("late_min", lateMin);
    if (workedMin >= 0)
        row.insert("worked_min", workedMin);
    return row;
}

} // namespace

QJsonObject demoStaffSection()
{
    const QDate today = QDate::currentDate();
    const QDate yesterday = today.addDays(-1);
    QJsonArray employees;
    QJsonObject month;
    int n = 0;
    for (const DemoEmployee &e : kEmployees) {
        employees.append(QJsonObject{
            {"emp_id", e.id}, {"employee_id", e.id}, {"id", e.id}, {"name", e.name}, {"role", e.role},
            {"rfid_uid", e.cardUid}, {"default_shift", e.shift},
            {"rfid_data", QStringLiteral("%1|%2").arg(QLatin1String(e.id), QString::fromUtf8(e.name))},
            {"sort_order", n + 1},
        });
        // Two days on, two days off, shifted per person; the shift master keeps weekends off.
        QJsonObject days;
        for (int day = 1; day <= today.daysInMonth(); ++day) {
            const QDate date(today.year(), today.month(), day);
            if (n == 4 && date.dayOfWeek() >= 6)
                days.insert(QString::number(day), "ВЫХ");
            else if ((day + n) % 4 < 2)
                days.insert(QString::number(day), QString::fromUtf8(e.shift));
        }
        month.insert(QLatin1String(e.id), days);
        ++n;
    }
    const QString monthKey = QStringLiteral("%1-%2").arg(today.year()).arg(today.month(), 2, 10, QLatin1Char('0'));

    // E001-E003 came in today (E003 late); E005 and E006 have not arrived yet.
    const QJsonArray attendance{
        attendanceRow(kEmployees[0], "in", at(yesterday, 8, 57)),
        attendanceRow(kEmployees[1], "in", at(yesterday, 9, 12), 12),
        attendanceRow(kEmployees[0], "out", at(yesterday, 21, 3), 0, 726),
        attendanceRow(kEmployees[1], "out", at(yesterday, 21, 0), 0, 708),
        attendanceRow(kEmployees[0], "in", at(today, 8, 55)),
        attendanceRow(kEmployees[1], "in", at(today, 8, 59)),
        attendanceRow(kEmployees[2], "in", at(today, 10, 7), 7),
    };
    return QJsonObject{
        {"employees", employees},
        {"schedule", QJsonObject{{"months", QJsonObject{{monthKey, month}}}, {"fines", QJsonObject()}}},
        {"attendance", attendance},
        {"active_employee", QJsonObject{{"emp_id", "E001"}, {"name", "Ирина Соколова"}, {"ts", at(today, 9, 2)},
                                        {"state", "in"}}},
        {"active_cutters", QJsonObject{{"cutter_1", QJsonObject{{"emp_id", "E002"}, {"name", "Алексей Морозов"},
                                                                {"ts", at(today, 9, 15)}}}}},
    };
}
