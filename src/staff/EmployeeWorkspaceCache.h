#pragma once

#include <QString>
#include <QVariantList>
#include <QVariantMap>

// "employees_workspace_cache.json": the employee list and the schedule, rewritten
// whole after every server reply, active-cutter change and snapshot.
class EmployeeWorkspaceCache
{
public:
    static inline const QString kFileName = QStringLiteral("employees_workspace_cache.json");

    struct Content
    {
        QVariantList employees;
        QVariantMap schedule;
    };

    // Missing, unreadable or non-object files give empty content.
    static Content read(const QString &path);
    static bool write(const QString &path, const QVariantList &employees, const QVariantMap &schedule);
};
