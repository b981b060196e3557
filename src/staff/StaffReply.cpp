#include "staff/StaffReply.h"

#include "staff/StaffParsing.h"

namespace {

QJsonValue rootOrObject(const QJsonObject &root, const QJsonObject &object, const QString &key)
{
    const QJsonValue value = root.value(key);
    return value.isUndefined() || value.isNull() ? object.value(key) : value;
}

// A list from root, else from the object, else from the staff block under one of keys.
QVariantList readList(const QJsonObject &root, const QJsonObject &object, const QJsonObject &staff,
                      const QString &key, std::initializer_list<const char *> staffKeys, bool *present)
{
    for (const QJsonObject *source : {&root, &object}) {
        const QJsonValue value = source->value(key);
        if (StaffParsing::isListLike(value)) {
            *present = true;
            const QVariantList list = StaffParsing::jsonToList(value);
            if (!list.isEmpty())
                return list;
        }
    }
    for (const char *staffKey : staffKeys) {
        const QJsonValue value = staff.value(QLatin1String(staffKey));
        if (StaffParsing::isListLike(value)) {
            *present = true;
            const QVariantList list = StaffParsing::jsonToList(value);
            if (!list.isEmpty())
                return list;
        }
    }
    return {};
}

} // namespace

StaffReply StaffReply::read(const QJsonObject &object)
{
    StaffReply reply;
    const QJsonObject snapshot = object.value(QStringLiteral("snapshot")).toObject();
    const QJsonObject root = snapshot.isEmpty() ? object : snapshot;
    QJsonObject staff = root.value(QStringLiteral("employees")).toObject();
    if (staff.isEmpty())
        staff = object.value(QStringLiteral("employees")).toObject();

    bool unused = false;
    reply.employees = readList(root, object, staff, QStringLiteral("employees"),
                               {"items", "list", "employees", "staff"}, &unused);

    reply.schedule = StaffParsing::jsonToMap(root.value(QStringLiteral("schedule")));
    if (reply.schedule.isEmpty())
        reply.schedule = StaffParsing::jsonToMap(object.value(QStringLiteral("schedule")));
    if (reply.schedule.isEmpty())
        reply.schedule = StaffParsing::jsonToMap(staff.value(QStringLiteral("schedule")));

    reply.attendance = readList(root, object, staff, QStringLiteral("attendance"),
                                {"attendance", "activity", "events"}, &reply.hasAttendance);
    reply.archive = readList(root, object, staff, QStringLiteral("archive"), {"archive"}, &reply.hasArchive);

    reply.activeEmployee = StaffParsing::jsonToMap(rootOrObject(root, object, QStringLiteral("active_employee")));
    reply.activeCutter = StaffParsing::jsonToMap(rootOrObject(root, object, QStringLiteral("active_cutter")));
    const QJsonValue cutters = rootOrObject(root, object, QStringLiteral("active_cutters"));
    reply.hasActiveCutters = cutters.isObject() || cutters.isUndefined() || cutters.isNull();
    reply.activeCutters = StaffParsing::jsonToMap(cutters);
    return reply;
}
