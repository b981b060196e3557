#pragma once

#include <QDateTime>
#include <QString>
#include <QVariantList>

class EmployeeRecords;
class WorkSchedule;
struct ActiveStaffState;

// The employee list as the staff page shows it: one map per record with the
// shift to show, the meta line and the active flag, sorted by numeric id, then
// position, then name.
class EmployeeViewList
{
public:
    // activeEmployeeId and activeCutterId are the values the scene reads (cleared
    // while timed out).
    static QVariantList build(const EmployeeRecords &records, const ActiveStaffState &active,
                              const QString &activeEmployeeId, const QString &activeCutterId,
                              const WorkSchedule &schedule, const QDateTime &now);
};
