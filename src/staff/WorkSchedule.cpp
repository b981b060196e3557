#include "staff/WorkSchedule.h"

#include "common/JsonRead.h"
#include "staff/StaffParsing.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace {

// The schedule's day keys "1" to "31", made once: every view reads them per employee and day.
QString dayKey(int day)
{
    static const QStringList keys = [] {
        QStringList list;
        for (int d = 0; d <= 31; ++d)
            list.append(QString::number(d));
        return list;
    }();
    return day >= 0 && day <= 31 ? keys.at(day) : dayKey(day);
}

const QString kMonths = QStringLiteral("months");
const QString kFines = QStringLiteral("fines");

const char *const kWeekdays[] = {"пн", "вт", "ср", "чт", "пт", "сб", "вс"};

QVariantMap withoutEmptyEntries(const QVariantMap &months)
{
    QVariantMap out;
    for (auto month = months.cbegin(); month != months.cend(); ++month) {
        QVariantMap employees;
        const QVariantMap source = month.value().toMap();
        for (auto employee = source.cbegin(); employee != source.cend(); ++employee) {
            if (employee.key().trimmed().isEmpty())
                continue;
            const QVariant days = employee.value();
            if (days.typeId() == QMetaType::QVariantMap && days.toMap().isEmpty())
                continue;
            employees.insert(employee.key(), days);
        }
        if (!employees.isEmpty())
            out.insert(month.key(), employees);
    }
    return out;
}

} // namespace

WorkSchedule::WorkSchedule()
    : m_month(QDate::currentDate().month())
    , m_year(QDate::currentDate().year())
{
}

QString WorkSchedule::monthKey(int year, int month)
{
    return QStringLiteral("%1-%2").arg(year).arg(month, 2, 10, QLatin1Char('0'));
}

bool WorkSchedule::isDayOff(const QString &text)
{
    const QString t = text.trimmed().toLower();
    return t == u"вых" || t == u"off" || t == u"-" || t.contains(QStringLiteral("отгул"))
           || t.contains(QStringLiteral("отпуск")) || t.contains(QStringLiteral("больн"));
}

int WorkSchedule::shiftHours(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || isDayOff(t))
        return 0;
    static const QRegularExpression range(
        QStringLiteral("(\\d{1,2})(?::(\\d{2}))?\\s*[-–—]\\s*(\\d{1,2})(?::(\\d{2}))?"));
    QRegularExpressionMatch match = range.match(t);
    if (match.hasMatch()) {
        const int start = match.captured(1).toInt() * 60 + match.captured(2).toInt();
        int end = match.captured(3).toInt() * 60 + match.captured(4).toInt();
        if (end < start)
            end += 1440; // a night shift ends the next morning
        return qMax(0, qRound((end - start) / 60.0));
    }
    static const QRegularExpression plain(QStringLiteral("(\\d{1,2}(?:[\\.,]\\d+)?)\\s*(?:ч|час|h)"),
                                          QRegularExpression::CaseInsensitiveOption);
    match = plain.match(t);
    if (match.hasMatch()) {
        QString number = match.captured(1);
        number.replace(u',', u'.');
        // Half hours round up: "7,5 ч" is 8, as qRound does for positive halves.
        return qMax(0, static_cast<int>(std::floor(number.toDouble() + 0.5)));
    }
    return 0;
}

bool WorkSchedule::replace(const QVariantMap &schedule)
{
    if (schedule.isEmpty())
        return false;
    m_schedule = schedule;
    return true;
}

QVariantMap WorkSchedule::cleaned() const
{
    return {{kMonths, withoutEmptyEntries(m_schedule.value(kMonths).toMap())},
            {kFines, withoutEmptyEntries(m_schedule.value(kFines).toMap())}};
}

bool WorkSchedule::setMonth(int month)
{
    const int clamped = qBound(1, month, 12);
    if (clamped == m_month)
        return false;
    m_month = clamped;
    return true;
}

bool WorkSchedule::setYear(int year)
{
    const int value = year < 1 ? QDate::currentDate().year() : year;
    if (value == m_year)
        return false;
    m_year = value;
    return true;
}

QString WorkSchedule::monthLabel() const
{
    const QLocale locale;
    QString name = locale.standaloneMonthName(m_month);
    if (name.isEmpty())
        name = locale.monthName(m_month);
    if (name.isEmpty())
        name = QString::number(m_month);
    return QStringLiteral("%1 %2").arg(name).arg(m_year);
}

QVariantMap WorkSchedule::dayMap(const QString &employeeId) const
{
    const QVariantMap months = m_schedule.value(kMonths).toMap();
    return months.value(monthKey(m_year, m_month)).toMap().value(employeeId).toMap();
}

QString WorkSchedule::value(const QString &employeeId, int day) const
{
    return variantToText(dayMap(employeeId).value(dayKey(day)));
}

void WorkSchedule::writeDayMap(const QString &employeeId, const QVariantMap &days)
{
    QVariantMap months = m_schedule.value(kMonths).toMap();
    const QString key = monthKey(m_year, m_month);
    QVariantMap month = months.value(key).toMap();
    if (days.isEmpty())
        month.remove(employeeId);
    else
        month.insert(employeeId, days);
    if (month.isEmpty())
        months.remove(key);
    else
        months.insert(key, month);
    m_schedule.insert(kMonths, months);
    if (!m_schedule.contains(kFines))
        m_schedule.insert(kFines, QVariantMap());
}

bool WorkSchedule::setValue(const QString &employeeId, int day, const QString &value)
{
    if (employeeId.isEmpty() || day < 1 || day > daysInMonth())
        return false;
    QVariantMap days = dayMap(employeeId);
    const QString text = value.trimmed();
    if (text.isEmpty())
        days.remove(dayKey(day));
    else
        days.insert(dayKey(day), text);
    writeDayMap(employeeId, days);
    return true;
}

void WorkSchedule::fillEmpty(const QString &employeeId, const QString &shift)
{
    QVariantMap days = dayMap(employeeId);
    for (int day = 1; day <= daysInMonth(); ++day) {
        if (variantToText(days.value(dayKey(day))).isEmpty())
            days.insert(dayKey(day), shift);
    }
    writeDayMap(employeeId, days);
}

void WorkSchedule::fillWeekendsOff(const QString &employeeId)
{
    QVariantMap days = dayMap(employeeId);
    for (int day = 1; day <= daysInMonth(); ++day) {
        if (QDate(m_year, m_month, day).dayOfWeek() < 6)
            continue;
        if (variantToText(days.value(dayKey(day))).isEmpty())
            days.insert(dayKey(day), kDayOffMark);
    }
    writeDayMap(employeeId, days);
}

void WorkSchedule::clearMonth(const QString &employeeId)
{
    writeDayMap(employeeId, {});
}

void WorkSchedule::removeEmployee(const QString &employeeId)
{
    for (const QString &section : {kMonths, kFines}) {
        if (!m_schedule.contains(section))
            continue;
        QVariantMap months = m_schedule.value(section).toMap();
        for (auto month = months.begin(); month != months.end(); ++month) {
            QVariantMap employees = month.value().toMap();
            if (employees.remove(employeeId) > 0)
                month.value() = employees;
        }
        m_schedule.insert(section, months);
    }
}

QVariantList WorkSchedule::scheduleDays(const QString &employeeId) const
{
    QVariantList out;
    const QVariantMap days = dayMap(employeeId);
    for (int day = 1; day <= daysInMonth(); ++day) {
        const QDate date(m_year, m_month, day);
        const QString value = variantToText(days.value(dayKey(day)));
        out.append(QVariantMap{
            {QStringLiteral("day"), day},
            {QStringLiteral("label"), QStringLiteral("%1 %2").arg(day).arg(QString::fromUtf8(kWeekdays[date.dayOfWeek() - 1]))},
            {QStringLiteral("value"), value},
            {QStringLiteral("hours"), shiftHours(value)},
            {QStringLiteral("weekend"), date.dayOfWeek() >= 6},
        });
    }
    return out;
}

int WorkSchedule::hours(const QString &employeeId, int fromDay, int toDay) const
{
    const QVariantMap days = dayMap(employeeId);
    int total = 0;
    for (int day = fromDay; day <= qMin(toDay, daysInMonth()); ++day)
        total += shiftHours(variantToText(days.value(dayKey(day))));
    return total;
}

int WorkSchedule::filledDays(const QString &employeeId) const
{
    const QVariantMap days = dayMap(employeeId);
    int count = 0;
    for (int day = 1; day <= daysInMonth(); ++day) {
        if (!variantToText(days.value(dayKey(day))).isEmpty())
            ++count;
    }
    return count;
}

QVariantList WorkSchedule::commonHalf(const QVariantList &records, bool firstHalf,
                                      const HalfFigures &figures) const
{
    const int from = firstHalf ? 1 : 16;
    const int to = firstHalf ? qMin(15, daysInMonth()) : daysInMonth();
    QVariantList out;
    for (const QVariant &item : records) {
        const QVariantMap record = item.toMap();
        const QString id = variantFirstText(record, {"id", "employee_id", "emp_id"});
        if (id.isEmpty())
            continue;
        const QVariantMap days = dayMap(id);
        QVariantList filled;
        int worked = 0;
        int hoursTotal = 0;
        for (int day = from; day <= to; ++day) {
            const QString value = variantToText(days.value(dayKey(day)));
            if (value.isEmpty())
                continue;
            filled.append(day);
            const int dayHours = shiftHours(value);
            hoursTotal += dayHours;
            if (dayHours > 0)
                ++worked;
        }
        if (filled.isEmpty())
            continue;
        QVariantMap entry{
            {QStringLiteral("employeeId"), id},
            {QStringLiteral("name"), variantFirstText(record, {"name", "display_name"}, id)},
            {QStringLiteral("days"), filled},
            {QStringLiteral("filledDays"), filled.size()},
            {QStringLiteral("workedDays"), worked},
            {QStringLiteral("hours"), hoursTotal},
        };
        if (figures) {
            const QVariantMap extra = figures(id, QDate(m_year, m_month, from), QDate(m_year, m_month, to));
            for (auto it = extra.cbegin(); it != extra.cend(); ++it)
                entry.insert(it.key(), it.value());
        }
        out.append(entry);
    }
    return out;
}

QString WorkSchedule::halfSummaryText(const QVariantList &entries, bool firstHalf)
{
    if (entries.isEmpty())
        return firstHalf ? QStringLiteral("Нет смен в первой половине")
                         : QStringLiteral("Нет смен во второй половине");
    int shifts = 0;
    int hours = 0;
    for (const QVariant &entry : entries) {
        shifts += entry.toMap().value(QStringLiteral("workedDays")).toInt();
        hours += entry.toMap().value(QStringLiteral("hours")).toInt();
    }
    return QStringLiteral("%1 сотрудников • %2 смен • %3")
        .arg(entries.size())
        .arg(shifts)
        .arg(StaffParsing::hoursText(hours));
}
