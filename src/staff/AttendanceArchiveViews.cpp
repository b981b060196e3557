#include "staff/AttendanceArchiveViews.h"

#include "common/JsonRead.h"
#include "staff/StaffParsing.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

const QString kSep = QStringLiteral(" • ");

QDateTime rowTime(const QVariantMap &row)
{
    return StaffParsing::parseDateTime(
        variantFirstText(row, {"ts", "time", "date", "printed_at", "created_at", "updated_at"}));
}

QString attendanceEmployee(const QVariantMap &row)
{
    return variantFirstText(row, {"emp_id", "employee_id", "id"});
}

QString archiveEmployee(const QVariantMap &row)
{
    return variantFirstText(row, {"emp_id", "employee_id", "employee"});
}

qint64 lateMinutes(const QVariantMap &row)
{
    return qMax<qint64>(0, qRound64(variantToNumber(
                               variantFirstValue(row, {"late_min", "late_minutes", "lateness_min", "late"}))));
}

// Worked minutes the server reported on the row, or -1.
qint64 reportedWorkedMinutes(const QVariantMap &row)
{
    const QVariant minutes = variantFirstValue(row, {"worked_min", "worked_minutes"});
    if (!variantIsEmpty(minutes))
        return qMax<qint64>(0, qRound64(variantToNumber(minutes)));
    const QVariant hours = variantFirstValue(row, {"worked_hours"});
    if (!variantIsEmpty(hours))
        return qMax<qint64>(0, qRound64(variantToNumber(hours) * 60.0));
    return -1;
}

QString employeeName(const QVariantMap &row, const QString &id,
                     const AttendanceArchiveViews::NameLookup &name)
{
    QString text = variantFirstText(row, {"name", "employee_name", "display_name"});
    if (text.isEmpty() && !id.isEmpty() && name)
        text = name(id);
    return text.isEmpty() ? (id.isEmpty() ? QStringLiteral("—") : id) : text;
}

using TimedRow = AttendanceArchiveViews::TimedRow;

using TimedList = AttendanceArchiveViews::TimedList;

// Rows with a readable time, oldest first; rows of the same time keep their order.
TimedList byTime(const QVariantList &rows, QString (*employeeOf)(const QVariantMap &))
{
    TimedList out{rows, {}};
    out.byTime.reserve(rows.size());
    for (const QVariant &item : rows) {
        QVariantMap row = item.toMap();
        const QDateTime time = rowTime(row);
        if (time.isValid())
            out.byTime.append({time, employeeOf(row), std::move(row)});
    }
    std::stable_sort(out.byTime.begin(), out.byTime.end(),
                     [](const TimedRow &a, const TimedRow &b) { return a.time < b.time; });
    return out;
}

struct RowRange
{
    QList<TimedRow>::const_iterator first;
    QList<TimedRow>::const_iterator last;
    auto begin() const { return first; }
    auto end() const { return last; }
};

// Rows of one day (or of a date range), oldest first. Times are local, so their
// days never go back as the times go forward.
RowRange rangeBetween(const QList<TimedRow> &sorted, const QDate &from, const QDate &to)
{
    const auto first = std::partition_point(sorted.cbegin(), sorted.cend(),
                                            [&](const TimedRow &row) { return row.time.date() < from; });
    const auto last = std::partition_point(first, sorted.cend(),
                                           [&](const TimedRow &row) { return row.time.date() <= to; });
    return {first, last};
}

QList<TimedRow> rowsBetween(const QList<TimedRow> &sorted, const QDate &from, const QDate &to)
{
    const RowRange range = rangeBetween(sorted, from, to);
    return QList<TimedRow>(range.first, range.last);
}

QVariantList availableDays(const QList<TimedRow> &sorted)
{
    QVariantList out;
    QDate previous;
    for (const TimedRow &timed : sorted) {
        const QDate day = timed.time.date();
        if (day != previous)
            out.append(day.toString(Qt::ISODate));
        previous = day;
    }
    return out;
}

// Worked minutes per row (by index into rows): reported values, or arrival to the
// next departure of the same employee.
QHash<int, qint64> workedMinutes(const QList<TimedRow> &rows)
{
    QHash<int, qint64> out;
    QHash<QString, QDateTime> openArrival;
    for (int i = 0; i < rows.size(); ++i) {
        const QVariantMap &row = rows.at(i).row;
        const qint64 reported = reportedWorkedMinutes(row);
        const QString type = AttendanceArchiveViews::attendanceType(row);
        const QString &id = rows.at(i).employeeId;
        if (reported >= 0) {
            out.insert(i, reported);
            if (type == u"out")
                openArrival.remove(id);
            continue;
        }
        if (type == u"in" && !openArrival.contains(id)) {
            openArrival.insert(id, rows.at(i).time);
        } else if (type == u"out" && openArrival.contains(id)) {
            out.insert(i, qMax<qint64>(0, openArrival.take(id).secsTo(rows.at(i).time) / 60));
        }
    }
    return out;
}

qint64 sumMinutes(const QHash<int, qint64> &worked)
{
    qint64 total = 0;
    for (const qint64 minutes : worked)
        total += minutes;
    return total;
}

QString lateText(const QString &type, qint64 late)
{
    if (late > 0)
        return QStringLiteral("опоздание %1 мин").arg(late);
    return type == u"in" ? QStringLiteral("без опоздания") : QString();
}

double rowArea(const QVariantMap &row)
{
    return qMax(0.0, variantToNumber(variantFirstValue(row, {"area_m2", "area", "square_m2"})));
}

qint64 visitMinutes(const QVariantMap &row)
{
    return qMax<qint64>(0, qRound64(variantToNumber(
                               variantFirstValue(row, {"visit_minutes", "visit_min", "duration_min"}))));
}

} // namespace

AttendanceArchiveViews::AttendanceArchiveViews()
    : m_attendanceDate(QDate::currentDate())
    , m_archiveDate(QDate::currentDate())
    , m_workedText(StaffParsing::hoursText(0))
    , m_areaText(areaText(0))
    , m_visitText(StaffParsing::hoursText(0))
{
}

AttendanceArchiveViews::TimedList AttendanceArchiveViews::readAttendance(const QVariantList &rows)
{
    return byTime(rows, attendanceEmployee);
}

AttendanceArchiveViews::TimedList AttendanceArchiveViews::readArchive(const QVariantList &rows)
{
    return byTime(rows, archiveEmployee);
}

void AttendanceArchiveViews::setLists(const QVariantList &attendance, const QVariantList &archive)
{
    setLists(readAttendance(attendance), readArchive(archive));
}

void AttendanceArchiveViews::setLists(TimedList attendance, TimedList archive)
{
    m_attendance = std::move(attendance);
    m_archive = std::move(archive);
}

bool AttendanceArchiveViews::setAttendanceDate(const QString &text)
{
    return setAttendanceDay(StaffParsing::parseDate(text));
}

bool AttendanceArchiveViews::setArchiveDate(const QString &text)
{
    return setArchiveDay(StaffParsing::parseDate(text));
}

bool AttendanceArchiveViews::setAttendanceDay(const QDate &date)
{
    if (!date.isValid() || date == m_attendanceDate)
        return false;
    m_attendanceDate = date;
    return true;
}

bool AttendanceArchiveViews::setArchiveDay(const QDate &date)
{
    if (!date.isValid() || date == m_archiveDate)
        return false;
    m_archiveDate = date;
    return true;
}

QDate AttendanceArchiveViews::neighbourDay(const QVariantList &available, const QDate &current, int step)
{
    if (step == 0)
        return current;
    if (available.isEmpty())
        return current.addDays(step < 0 ? -1 : 1);
    QDate best;
    for (const QVariant &item : available) {
        const QDate day = QDate::fromString(item.toString(), Qt::ISODate);
        if (!day.isValid())
            continue;
        if (step < 0 && day < current && (!best.isValid() || day > best))
            best = day;
        if (step > 0 && day > current && (!best.isValid() || day < best))
            best = day;
    }
    return best.isValid() ? best : current;
}

QString AttendanceArchiveViews::attendanceType(const QVariantMap &row)
{
    const QString type = variantFirstText(row, {"type", "kind", "action", "state", "event"}).toLower();
    if (type == u"in" || type == u"arrival" || type == u"вход")
        return QStringLiteral("in");
    if (type == u"out" || type == u"departure" || type == u"выход")
        return QStringLiteral("out");
    return QStringLiteral("active");
}

QString AttendanceArchiveViews::archiveTypeLabel(const QString &type)
{
    const QString t = type.trimmed().toLower();
    if (t == u"print")
        return QStringLiteral("Печать");
    if (t == u"active")
        return QStringLiteral("Активен");
    if (t == u"in")
        return QStringLiteral("Вход");
    if (t == u"out")
        return QStringLiteral("Выход");
    if (t == u"idle_timeout")
        return QStringLiteral("Таймаут");
    if (t == u"order_roll_add" || t == u"order_roll_remove" || t == u"order_roll_clear")
        return QStringLiteral("Рулон");
    return QStringLiteral("Событие");
}

QString AttendanceArchiveViews::areaText(double squareMetres)
{
    return QStringLiteral("%1 м²").arg(QString::number(squareMetres, 'f', 2).replace(u'.', u','));
}

void AttendanceArchiveViews::rebuildAttendance(const QString &selectedId, const NameLookup &name)
{
    const QList<TimedRow> day = rowsBetween(m_attendance.byTime, m_attendanceDate, m_attendanceDate);
    const QHash<int, qint64> worked = workedMinutes(day);
    m_attendanceDates = availableDays(m_attendance.byTime);
    m_attendanceEvents.clear();
    m_inCount = m_outCount = m_lateCount = 0;
    qint64 totalWorked = 0;
    QStringList selectedParts;
    qint64 selectedWorked = 0;
    for (int i = 0; i < day.size(); ++i) {
        const QVariantMap &row = day.at(i).row;
        const QString &id = day.at(i).employeeId;
        const bool mine = !selectedId.isEmpty() && id == selectedId;
        const QString type = attendanceType(row);
        const qint64 late = lateMinutes(row);
        const qint64 minutes = worked.value(i, 0);
        const QString time = day.at(i).time.toString(QStringLiteral("HH:mm:ss"));
        const QString label = type == u"in" ? QStringLiteral("Вход")
                              : type == u"out" ? QStringLiteral("Выход") : QStringLiteral("Событие");
        if (mine) {
            selectedParts.append(QStringLiteral("%1 %2").arg(label, time.left(5)));
            selectedWorked += minutes;
        }
        if (m_attendanceOnlySelected && !mine)
            continue;
        m_inCount += type == u"in";
        m_outCount += type == u"out";
        m_lateCount += late > 0;
        totalWorked += minutes;

        const QString uid = variantFirstText(row, {"uid", "rfid_uid", "card_uid"});
        QStringList detail;
        if (!uid.isEmpty())
            detail.append(QStringLiteral("UID ") + uid);
        const QString lateness = lateText(type, late);
        if (!lateness.isEmpty())
            detail.append(lateness);
        if (minutes > 0)
            detail.append(QStringLiteral("отработано ") + StaffParsing::minutesAsHoursText(minutes));
        m_attendanceEvents.append(QVariantMap{
            {QStringLiteral("employeeId"), id},
            {QStringLiteral("name"), employeeName(row, id, name)},
            {QStringLiteral("time"), time},
            {QStringLiteral("ts"), day.at(i).time.toString(Qt::ISODate)},
            {QStringLiteral("type"), type},
            {QStringLiteral("typeLabel"), label},
            {QStringLiteral("uid"), uid},
            {QStringLiteral("late"), late > 0},
            {QStringLiteral("lateMin"), late},
            {QStringLiteral("lateLabel"), late > 0 ? QStringLiteral("Опоздание") : QString()},
            {QStringLiteral("lateText"), lateness},
            {QStringLiteral("workedMinutes"), minutes},
            {QStringLiteral("detail"), detail.join(kSep)},
            // The names the CSV export reads.
            {QStringLiteral("detailText"), detail.join(kSep)},
            {QStringLiteral("rfidUid"), uid},
            {QStringLiteral("workedLabel"), minutes > 0 ? StaffParsing::minutesAsHoursText(minutes) : QString()},
        });
    }
    m_workedText = StaffParsing::minutesAsHoursText(totalWorked);
    if (selectedId.isEmpty())
        m_selectedAttendanceText.clear();
    else if (selectedParts.isEmpty())
        m_selectedAttendanceText = QStringLiteral("Нет событий посещений по сотруднику");
    else
        m_selectedAttendanceText = selectedParts.join(kSep) + kSep + QStringLiteral("отработано ")
                                   + StaffParsing::minutesAsHoursText(selectedWorked);
}

void AttendanceArchiveViews::rebuildArchive(const QString &selectedId, const NameLookup &name)
{
    const RowRange day = rangeBetween(m_archive.byTime, m_archiveDate, m_archiveDate);
    m_archiveDates = availableDays(m_archive.byTime);
    m_archiveEvents.clear();
    m_printCount = 0;
    double area = 0;
    qint64 visits = 0;
    QSet<QString> active;
    int selectedPrints = 0;
    double selectedArea = 0;
    qint64 selectedVisits = 0;
    int selectedRows = 0;
    // One line per employee for the day's export, in the order they first appear.
    struct EmployeeDay
    {
        QString name;
        QString id;
        qint64 scans = 0;
        int activations = 0;
        double area = 0;
        qint64 visitMinutes = 0;
    };
    QHash<QString, EmployeeDay> perEmployee;
    QStringList employeeOrder;
    for (const TimedRow &timed : day) {
        const QVariantMap &row = timed.row;
        const QString &id = timed.employeeId;
        const bool mine = !selectedId.isEmpty() && id == selectedId;
        const QString type = variantFirstText(row, {"type", "kind", "event_type"}).toLower();
        const bool print = type == u"print";
        const double rowM2 = print ? rowArea(row) : 0.0;
        const qint64 visit = visitMinutes(row);
        if (mine) {
            ++selectedRows;
            selectedPrints += print;
            selectedArea += rowM2;
            selectedVisits += visit;
        }
        if (m_archiveOnlySelected && !mine)
            continue;
        m_printCount += print;
        area += rowM2;
        visits += visit;
        if (!id.isEmpty())
            active.insert(id);

        const qint64 scans = qRound64(variantToNumber(variantFirstValue(row, {"scans", "scan_count", "scans_count"})));
        const QString printer = variantFirstText(row, {"printer", "printer_name"});
        QStringList detail;
        if (scans > 0)
            detail.append(QStringLiteral("сканов %1").arg(scans));
        if (!printer.isEmpty())
            detail.append(printer);
        if (rowM2 > 0)
            detail.append(areaText(rowM2));
        if (visit > 0)
            detail.append(QStringLiteral("визит ") + StaffParsing::minutesAsHoursText(visit));
        const QString file = variantFirstText(row, {"file", "file_name", "maket", "label"});
        const QString who = id.isEmpty() ? variantFirstText(row, {"name", "employee_name"}) : employeeName(row, id, name);
        const QString whoKey = id.isEmpty() ? who : id;
        if (!perEmployee.contains(whoKey)) {
            perEmployee.insert(whoKey, {who, id});
            employeeOrder.append(whoKey);
        }
        EmployeeDay &figures = perEmployee[whoKey];
        figures.scans += scans;
        figures.activations += type == u"active";
        figures.area += rowM2;
        figures.visitMinutes += visit;
        m_archiveEvents.append(QVariantMap{
            {QStringLiteral("file"), file},
            {QStringLiteral("fileName"), file},
            {QStringLiteral("type"), type},
            {QStringLiteral("typeLabel"), archiveTypeLabel(type)},
            {QStringLiteral("employeeId"), id},
            {QStringLiteral("name"), who},
            {QStringLiteral("time"), timed.time.toString(QStringLiteral("HH:mm:ss"))},
            {QStringLiteral("scans"), scans},
            {QStringLiteral("printer"), printer},
            {QStringLiteral("area"), rowM2},
            {QStringLiteral("visitMinutes"), visit},
            {QStringLiteral("detail"), detail.join(kSep)},
            {QStringLiteral("detailText"), detail.join(kSep)},
            {QStringLiteral("workedMinutes"), visit},
            {QStringLiteral("workedLabel"), visit > 0 ? StaffParsing::minutesAsHoursText(visit) : QString()},
        });
    }
    QVariantList summaryRows;
    for (const QString &key : std::as_const(employeeOrder)) {
        const EmployeeDay &figures = perEmployee.value(key);
        summaryRows.append(QVariantMap{
            {QStringLiteral("name"), figures.name},
            {QStringLiteral("employeeId"), figures.id},
            {QStringLiteral("scans"), figures.scans},
            {QStringLiteral("active"), figures.activations},
            {QStringLiteral("areaLabel"), areaText(figures.area)},
            {QStringLiteral("visitHoursLabel"), StaffParsing::minutesAsHoursText(figures.visitMinutes)},
        });
    }
    m_activeCount = active.size();
    m_areaText = areaText(area);
    m_visitText = StaffParsing::minutesAsHoursText(visits);
    m_archiveSummary = {
        {QStringLiteral("date"), archiveDate()},
        {QStringLiteral("eventCount"), m_archiveEvents.size()},
        {QStringLiteral("printCount"), m_printCount},
        {QStringLiteral("activeCount"), m_activeCount},
        {QStringLiteral("area"), area},
        {QStringLiteral("areaText"), m_areaText},
        {QStringLiteral("visitMinutes"), visits},
        {QStringLiteral("visitHoursText"), m_visitText},
        {QStringLiteral("rows"), summaryRows},
    };
    if (selectedId.isEmpty())
        m_selectedArchiveText.clear();
    else if (selectedRows == 0)
        m_selectedArchiveText = QStringLiteral("Нет архивных событий по сотруднику");
    else
        m_selectedArchiveText = QStringLiteral("Печать %1 • %2 • визит %3")
                                    .arg(selectedPrints)
                                    .arg(areaText(selectedArea), StaffParsing::minutesAsHoursText(selectedVisits));
}

QVariantMap AttendanceArchiveViews::employeeFigures(const QString &employeeId, const QDate &from,
                                                    const QDate &to) const
{
    QList<TimedRow> mine;
    for (const TimedRow &timed : rangeBetween(m_attendance.byTime, from, to)) {
        if (timed.employeeId == employeeId)
            mine.append(timed);
    }
    qint64 late = 0;
    for (const TimedRow &timed : mine)
        late += lateMinutes(timed.row);
    // Arrival and departure pair up within one day.
    qint64 visit = 0;
    for (QDate day = from; day <= to; day = day.addDays(1)) {
        QList<TimedRow> ofDay;
        for (const TimedRow &timed : mine) {
            if (timed.time.date() == day)
                ofDay.append(timed);
        }
        visit += sumMinutes(workedMinutes(ofDay));
    }
    int prints = 0;
    double area = 0;
    for (const TimedRow &timed : rangeBetween(m_archive.byTime, from, to)) {
        if (timed.employeeId != employeeId)
            continue;
        const bool print = variantFirstText(timed.row, {"type", "kind", "event_type"}).toLower() == u"print";
        prints += print;
        area += print ? rowArea(timed.row) : 0.0;
    }
    return {
        {QStringLiteral("visitMinutes"), visit},
        {QStringLiteral("visitLabel"), StaffParsing::minutesAsHoursText(visit)},
        {QStringLiteral("lateMin"), late},
        {QStringLiteral("printCount"), prints},
        {QStringLiteral("area"), area},
        {QStringLiteral("worked"), visit > 0},
    };
}
