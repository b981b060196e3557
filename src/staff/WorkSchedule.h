#pragma once

#include <QDate>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <functional>

// The monthly work schedule: {months: {"2026-03": {employee id: {"1": "09:00-21:00"}}},
// fines: {same month keys}}, the selected month and the hours arithmetic.
class WorkSchedule
{
public:
    static inline const QString kDefaultShift = QStringLiteral("09:00-21:00");
    static inline const QString kDayOffMark = QStringLiteral("ВЫХ");

    WorkSchedule();

    static QString monthKey(int year, int month);
    static bool isDayOff(const QString &text);
    // Whole hours of a shift text, never negative: "20-8" is a 12-hour night shift,
    // "7,5 ч" gives 8.
    static int shiftHours(const QString &text);

    const QVariantMap &map() const { return m_schedule; }
    // A non-empty map replaces the schedule; an empty one changes nothing.
    bool replace(const QVariantMap &schedule);
    // The map as sent and cached: months and fines present, empty entries dropped.
    QVariantMap cleaned() const;

    int month() const { return m_month; }
    int year() const { return m_year; }
    // Clamped to 1-12; returns whether it changed.
    bool setMonth(int month);
    // A value below 1 means the current year.
    bool setYear(int year);
    int daysInMonth() const { return QDate(m_year, m_month, 1).daysInMonth(); }
    QString monthLabel() const;

    // The day map (day number -> shift text) of one employee in the selected month.
    QVariantMap dayMap(const QString &employeeId) const;
    QString value(const QString &employeeId, int day) const;

    // Edits of the selected month; false when nothing could be done.
    bool setValue(const QString &employeeId, int day, const QString &value);
    void fillEmpty(const QString &employeeId, const QString &shift);
    void fillWeekendsOff(const QString &employeeId);
    void clearMonth(const QString &employeeId);
    // Drops the employee from every month of months and fines.
    void removeEmployee(const QString &employeeId);

    // One entry per day: day, label ("6 сб"), value, hours, weekend.
    QVariantList scheduleDays(const QString &employeeId) const;
    int hours(const QString &employeeId, int fromDay, int toDay) const;
    int filledDays(const QString &employeeId) const;

    // Figures of one employee over a date range taken from attendance and archive.
    using HalfFigures = std::function<QVariantMap(const QString &employeeId, const QDate &from,
                                                  const QDate &to)>;
    // Entries of every employee with a shift in the first (1-15) or second half.
    QVariantList commonHalf(const QVariantList &records, bool firstHalf,
                            const HalfFigures &figures) const;
    static QString halfSummaryText(const QVariantList &entries, bool firstHalf);

private:
    void writeDayMap(const QString &employeeId, const QVariantMap &days);

    QVariantMap m_schedule;
    int m_month;
    int m_year;
};
