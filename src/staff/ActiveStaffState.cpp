#include "staff/ActiveStaffState.h"

#include "common/JsonRead.h"
#include "staff/StaffParsing.h"

bool ActiveStaffState::timedOut(const QDateTime &now) const
{
    const QString cutter = cutterId.trimmed();
    const QString id = cutter.isEmpty() ? employeeId.trimmed() : cutter;
    const QDateTime since = cutterSince.isValid() ? cutterSince : employeeSince;
    return !id.isEmpty() && since.isValid() && since.secsTo(now) > kIdleSeconds;
}

bool ActiveStaffState::cutterIdle(const QDateTime &now) const
{
    return !cutterId.trimmed().isEmpty() && cutterSince.isValid() && cutterSince.secsTo(now) > kIdleSeconds;
}

void ActiveStaffState::clear()
{
    *this = ActiveStaffState();
}

QString ActiveStaffState::entryEmployeeId(const QVariant &entry)
{
    if (entry.typeId() == QMetaType::QVariantMap)
        return variantFirstText(entry.toMap(), {"id", "employee_id", "emp_id"});
    return variantToText(entry);
}

bool ActiveStaffState::entryFresh(const QVariant &entry, const QDateTime &now)
{
    if (entry.typeId() != QMetaType::QVariantMap)
        return true;
    const QDateTime time = StaffParsing::parseDateTime(variantFirstText(entry.toMap(), {"ts", "updated_at"}));
    return !time.isValid() || time.secsTo(now) <= kIdleSeconds;
}
