#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <functional>

// The attendance and shift-archive views: what a shift manager reads at a glance
// for one day.
//
// Design. Both views are built only from the `attendance` and `archive` lists the
// server sends (replies and snapshots); nothing is counted locally. A row belongs
// to the day of its time (ts, time, date, printed_at, created_at, updated_at, in
// local time). Rows of the chosen day are sorted by time; with "only selected" they
// are narrowed to the selected employee. The available dates are the distinct days
// of all rows, oldest first, and drive the day navigation.
//
// Attendance rows: type "in" (Вход), "out" (Выход), anything else "active"
// (Событие). Counts: arrivals, departures, late arrivals (late minutes > 0).
// Worked time is the server's worked minutes when it sends them, else the time
// from each arrival to the next departure of the same employee that day.
// Archive rows: type labels as the operator knows them; counts: layouts printed,
// employees active that day, printed area in m² and visit time.
class AttendanceArchiveViews
{
public:
    using NameLookup = std::function<QString(const QString &employeeId)>;
    // A row with its time and employee, read once when the lists arrive: the views
    // and every employee's figures look rows up by day and employee many times per
    // snapshot.
    struct TimedRow
    {
        QDateTime time;
        QString employeeId;
        QVariantMap row;
    };
    // A list as received, and its rows with a readable time, oldest first. Reading
    // a big list takes a while, so a snapshot reads it off the main thread.
    struct TimedList
    {
        QVariantList rows;
        QList<TimedRow> byTime;
    };
    static TimedList readAttendance(const QVariantList &rows);
    static TimedList readArchive(const QVariantList &rows);

    AttendanceArchiveViews();

    // Lists as last received (already in list form).
    void setLists(const QVariantList &attendance, const QVariantList &archive);
    void setLists(TimedList attendance, TimedList archive);
    const QVariantList &attendance() const { return m_attendance.rows; }
    const QVariantList &archive() const { return m_archive.rows; }
    const TimedList &timedAttendance() const { return m_attendance; }
    const TimedList &timedArchive() const { return m_archive; }

    QString attendanceDate() const { return m_attendanceDate.toString(Qt::ISODate); }
    QString archiveDate() const { return m_archiveDate.toString(Qt::ISODate); }
    QDate attendanceDay() const { return m_attendanceDate; }
    QDate archiveDay() const { return m_archiveDate; }
    // Unreadable text changes nothing; returns whether the date changed.
    bool setAttendanceDate(const QString &text);
    bool setArchiveDate(const QString &text);
    bool setAttendanceDay(const QDate &date);
    bool setArchiveDay(const QDate &date);
    bool attendanceOnlySelected() const { return m_attendanceOnlySelected; }
    bool archiveOnlySelected() const { return m_archiveOnlySelected; }
    void setAttendanceOnlySelected(bool value) { m_attendanceOnlySelected = value; }
    void setArchiveOnlySelected(bool value) { m_archiveOnlySelected = value; }

    // The neighbouring available day in the step's direction; with no available
    // days one day back or forward.
    static QDate neighbourDay(const QVariantList &available, const QDate &current, int step);

    void rebuildAttendance(const QString &selectedId, const NameLookup &name);
    void rebuildArchive(const QString &selectedId, const NameLookup &name);

    QVariantList attendanceEvents() const { return m_attendanceEvents; }
    QVariantList attendanceAvailableDates() const { return m_attendanceDates; }
    int attendanceInCount() const { return m_inCount; }
    int attendanceOutCount() const { return m_outCount; }
    int attendanceLateCount() const { return m_lateCount; }
    QString attendanceWorkedHoursText() const { return m_workedText; }
    QString selectedAttendanceSummaryText() const { return m_selectedAttendanceText; }

    QVariantMap archiveSummary() const { return m_archiveSummary; }
    QVariantList archiveEvents() const { return m_archiveEvents; }
    QVariantList archiveAvailableDates() const { return m_archiveDates; }
    int archivePrintCount() const { return m_printCount; }
    int archiveActiveCount() const { return m_activeCount; }
    QString archiveAreaText() const { return m_areaText; }
    QString archiveVisitHoursText() const { return m_visitText; }
    QString selectedArchiveSummaryText() const { return m_selectedArchiveText; }

    // Figures of one employee over a date range (the schedule's half-month entries):
    // visitMinutes, visitLabel, lateMin, printCount, area, worked.
    QVariantMap employeeFigures(const QString &employeeId, const QDate &from, const QDate &to) const;

    static QString attendanceType(const QVariantMap &row);
    static QString archiveTypeLabel(const QString &type);
    static QString areaText(double squareMetres);

private:
    TimedList m_attendance;
    TimedList m_archive;
    QDate m_attendanceDate;
    QDate m_archiveDate;
    bool m_attendanceOnlySelected = false;
    bool m_archiveOnlySelected = false;

    QVariantList m_attendanceEvents;
    QVariantList m_attendanceDates;
    int m_inCount = 0;
    int m_outCount = 0;
    int m_lateCount = 0;
    QString m_workedText;
    QString m_selectedAttendanceText;

    QVariantMap m_archiveSummary;
    QVariantList m_archiveEvents;
    QVariantList m_archiveDates;
    int m_printCount = 0;
    int m_activeCount = 0;
    QString m_areaText;
    QString m_visitText;
    QString m_selectedArchiveText;
};
