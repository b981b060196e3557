#pragma once

#include <QDateTime>
#include <QString>
#include <QVariantMap>

// Who works at this PC right now: one active employee, one active cutter and the
// active cutter of each workplace.
struct ActiveStaffState
{
    // Three hours without a new scan end a cutter's activity.
    static constexpr qint64 kIdleSeconds = 10800;

    QString employeeId;
    QString employeeName;
    QString employeeReason;
    QDateTime employeeSince;
    QString cutterId;
    QString cutterName;
    QDateTime cutterSince;
    QVariantMap cutters; // workplace key -> entry map or bare employee id

    // The activity is older than three hours (computed on every read).
    bool timedOut(const QDateTime &now) const;
    // The tick's condition: a cutter whose own time is older than three hours.
    bool cutterIdle(const QDateTime &now) const;
    void clear();

    // Employee id of a workplace entry (a map, or a bare id).
    static QString entryEmployeeId(const QVariant &entry);
    // An entry counts while its time is missing, unreadable or at most three hours old.
    static bool entryFresh(const QVariant &entry, const QDateTime &now);
};
