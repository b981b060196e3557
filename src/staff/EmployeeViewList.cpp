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
    // Numeric ids in number order, then the given sort order, then names; each
    // view's keys are read once, not in every comparison.
    struct Keyed
    {
        bool numeric = false;
        qlonglong id = 0;
        int order = 0;
        QString name;
        qsizetype index = 0;
    };
    QList<Keyed> keyed;
    keyed.reserve(views.size());
    for (qsizetype i = 0; i < views.size(); ++i) {
        const QVariantMap &view = views.at(i);
        Keyed key;
        key.id = view.value(QStringLiteral("id")).toString().toLongLong(&key.numeric);
        key.order = view.value(QStringLiteral("sortOrder")).toInt();
        key.name = view.value(QStringLiteral("name")).toString().toLower();
        key.index = i;
        keyed.append(std::move(key));
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        if (a.numeric && b.numeric && a.id != b.id)
            return a.id < b.id;
        if (a.order >= 1 && b.order >= 1 && a.order != b.order)
            return a.order < b.order;
        return a.name < b.name;
    });
    QVariantList out;
    out.reserve(keyed.size());
    for (const Keyed &key : std::as_const(keyed))
        out.append(views.at(key.index));
    return out;
}
