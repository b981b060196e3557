#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

// The staff keys of a server reply or snapshot root, read with every spelling
// the server uses. A key of the wrong type counts as absent, so it cannot wipe
// what was valid.
struct StaffReply
{
    QVariantList employees;
    QVariantMap schedule;
    QVariantList attendance;
    bool hasAttendance = false;
    QVariantList archive;
    bool hasArchive = false;
    QVariantMap activeEmployee; // active_employee
    QVariantMap activeCutter;   // active_cutter
    QVariantMap activeCutters;  // active_cutters
    bool hasActiveCutters = false;

    static StaffReply read(const QJsonObject &object);
};
