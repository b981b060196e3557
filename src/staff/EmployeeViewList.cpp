#include "staff/EmployeeViewList.h"

#include "common/JsonRead.h"
#include "staff/ActiveStaffState.h"
#include "staff/EmployeeRecords.h"
#include "staff/WorkSchedule.h"

#include <QDate>

#include <algorithm>

namespace {

// The shift to show: the record's own default, else today's shift when the
// schedule shows the current month.
QString displayShift(const QString &id, const QString &stored, const WorkSchedule &schedule, const QDate &today)
{
    if (!stored.isEmpty())
        return stored;
    if (schedule.year() == today.year() && schedule.month() == today.month()) {
        const QString value = schedule.value(id, today.day());
        if (!value.isEmpty() && !WorkSchedule::isDayOff(value))
            return value;
    }
    return {};
}

} // namespace

bool EmployeeViewList::lessThan(const QVariantMap &a, const QVariantMap &b)
{
    bool aNumeric = false;
    bool bNumeric = false;
    const qlonglong aId = a.value(QStringLiteral("id")).toString().toLongLong(&aNumeric);
    const qlonglong bId = b.value(QStringLiteral("id")).toString().toLongLong(&bNumeric);
    if (aNumeric && bNumeric && aId != bId)
        return aId < bId;
    const int aOrder = a.value(QStringLiteral("sortOrder")).toInt();
    const int bOrder = b.value(QStringLiteral("sortOrder")).toInt();
    if (aOrder >= 1 && bOrder >= 1 && aOrder != bOrder)
        return aOrder < bOrder;
    return a.value(QStringLiteral("name")).toString().toLower() < b.value(QStringLiteral("name")).toString().toLower();
}

QVariantList EmployeeViewList::build(const EmployeeRecords &records, const ActiveStaffState &active,
                                     const QString &activeEmployeeId, const QString &activeCutterId,
                                     const WorkSchedule &schedule, const QDateTime &now)
{
    QList<QVariantMap> views;
    const QDate today = now.date();
    for (const QVariant &item : records.list()) {
        const QVariantMap record = item.toMap();
        const QString id = EmployeeRecords::recordId(record);
        const QString stored = EmployeeRecords::defaultShift(record);
        const QString shift = displayShift(id, stored, schedule, today);
        const QString role = variantToText(record.value(QStringLiteral("role")));

        bool isActive = variantToBool(record.value(QStringLiteral("active")), false);
        if (!id.isEmpty() && ((!activeEmployeeId.isEmpty() && id == activeEmployeeId)
                              || (!activeCutterId.isEmpty() && id == activeCutterId)))
            isActive = true;
        for (auto it = active.cutters.cbegin(); !isActive && it != active.cutters.cend(); ++it) {
            if (!id.isEmpty() && ActiveStaffState::entryEmployeeId(it.value()) == id
                && ActiveStaffState::entryFresh(it.value(), now))
                isActive = true;
        }

        views.append(QVariantMap{
            {QStringLiteral("id"), id},
            {QStringLiteral("name"), variantFirstText(record, {"name", "display_name"})},
            {QStringLiteral("role"), role},
            {QStringLiteral("rfid"), variantFirstText(record, {"rfid_uid", "uid", "rfid"})},
            {QStringLiteral("rfidData"), EmployeeRecords::cardData(record)},
            {QStringLiteral("storedDefaultShift"), stored},
            {QStringLiteral("defaultShift"), shift},
            {QStringLiteral("displayShift"), shift},
            {QStringLiteral("sortOrder"), record.value(QStringLiteral("sort_order")).toInt()},
            {QStringLiteral("active"), isActive},
            {QStringLiteral("meta"), QStringLiteral("%1 · %2")
                                         .arg(shift.isEmpty() ? QStringLiteral("смена не задана") : shift,
                                              role.isEmpty() ? QStringLiteral("без роли") : role)},
        });
    }
    std::stable_sort(views.begin(), views.end(), &EmployeeViewList::lessThan);
    QVariantList out;
    for (const QVariantMap &view : std::as_const(views))
        out.append(view);
    return out;
}
