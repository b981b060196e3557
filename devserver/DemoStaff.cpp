#include "DemoData.h"

#include <QDate>

namespace {

struct DemoEmployee
{
    const char *id;
    const char *name;
    const char *role;
    const char *cardUid;
    const char *shift;
};

const DemoEmployee kEmployees[] = {
    {"E001", "Ирина Соколова", "Печатник", "04A1B2C3D4", "09:00-21:00"},
    {"E002", "Алексей Морозов", "Резчик", "04B7E21A9F", "09:00-21:00"},
    {"E003", "Марина Кузнецова", "Упаковщик", "0455AC19E0", "10:00-19:00"},
    {"E004", "Дмитрий Волков", "Резчик", "04C3D9F1A2", "21:00-09:00"},
    {"E005", "Ольга Павлова", "Мастер смены", "04F0E1D2C3", "09:00-18:00"},
    {"E006", "Сергей Лебедев", "Натяжка холстов", "04AA55CC33", "10:00-19:00"},
};

} // namespace

QJsonObject demoStaffSection()
{
    QJsonArray employees;
    QJsonObject schedule;
    QJsonArray attendance;
    const QDate today = QDate::currentDate();
    int n = 0;
    for (const DemoEmployee &e : kEmployees) {
        ++n;
        employees.append(QJsonObject{
            {"emp_id", e.id}, {"id", e.id}, {"name", e.name}, {"role", e.role},
            {"card_uid", e.cardUid},
            {"qr", QStringLiteral("{\"emp_id\":\"%1\",\"name\":\"%2\"}").arg(QLatin1String(e.id), QString::fromUtf8(e.name))},
            {"active", true},
        });
        QJsonObject days;
        for (int d = 0; d < 14; ++d) {
            const QDate date = today.addDays(d - 3);
            // Two days on, two days off, shifted per person.
            if ((d + n) % 4 < 2)
                days.insert(date.toString(Qt::ISODate), QString::fromUtf8(e.shift));
        }
        schedule.insert(QLatin1String(e.id), days);
        if (n <= 4)
            attendance.append(QJsonObject{{"emp_id", e.id}, {"name", e.name}, {"kind", "in"},
                                          {"ts", demoDaysAgo(0, 8 + n / 2, 50 + n)}});
    }
    return QJsonObject{
        {"employees", employees},
        {"schedule", schedule},
        {"attendance", attendance},
        {"active_employee", QJsonObject{{"emp_id", "E001"}, {"name", "Ирина Соколова"}, {"ts", demoDaysAgo(0, 9, 2)}}},
        {"active_cutters", QJsonObject{{"cutter_1", QJsonObject{{"emp_id", "E002"}, {"name", "Алексей Морозов"},
                                                                {"ts", demoDaysAgo(0, 9, 15)}}}}},
    };
}
