#include "routes/StaffRoutes.h"

#include "routes/SnapshotRoutes.h"

#include <QDateTime>

namespace {

QString text(const QJsonObject &object, std::initializer_list<const char *> keys)
{
    return jsonText(object, keys);
}

QString hexOnly(const QString &uid)
{
    QString out;
    for (const QChar ch : uid.toUpper()) {
        if ((ch >= u'0' && ch <= u'9') || (ch >= u'A' && ch <= u'F'))
            out.append(ch);
    }
    return out;
}

QJsonObject findEmployee(const DevTenant &tenant, const QString &id, const QString &uid)
{
    for (const QJsonValue &value : tenant.data.value(QStringLiteral("employees")).toArray()) {
        const QJsonObject e = value.toObject();
        if (!id.isEmpty() && text(e, {"id", "employee_id", "emp_id"}) == id)
            return e;
        if (!uid.isEmpty() && hexOnly(text(e, {"rfid_uid", "uid", "rfid"})) == uid)
            return e;
    }
    return {};
}

// The employee came in today and has not left since.
bool presentToday(const DevTenant &tenant, const QString &id)
{
    const QDate today = QDate::currentDate();
    bool present = false;
    for (const QJsonValue &value : tenant.data.value(QStringLiteral("attendance")).toArray()) {
        const QJsonObject row = value.toObject();
        if (text(row, {"emp_id", "employee_id"}) != id)
            continue;
        if (QDateTime::fromString(text(row, {"ts"}), Qt::ISODate).date() != today)
            continue;
        const QString type = text(row, {"type"});
        if (type == u"in")
            present = true;
        else if (type == u"out")
            present = false;
    }
    return present;
}

// Minutes late against today's scheduled shift start, 0 when on time or unscheduled.
int lateMinutes(const DevTenant &tenant, const QString &id, const QDateTime &now)
{
    const QDate today = now.date();
    const QString monthKey = QStringLiteral("%1-%2").arg(today.year()).arg(today.month(), 2, 10, QLatin1Char('0'));
    const QString shift = tenant.data.value(QStringLiteral("schedule")).toObject()
                              .value(QStringLiteral("months")).toObject().value(monthKey).toObject()
                              .value(id).toObject().value(QString::number(today.day())).toString();
    const QTime start = QTime::fromString(shift.section(u'-', 0, 0).trimmed(), QStringLiteral("H:mm"));
    if (!start.isValid())
        return 0;
    return qMax(0, start.secsTo(now.time()) / 60);
}

int minutesSinceArrival(const DevTenant &tenant, const QString &id, const QDateTime &now)
{
    QDateTime arrival;
    for (const QJsonValue &value : tenant.data.value(QStringLiteral("attendance")).toArray()) {
        const QJsonObject row = value.toObject();
        if (text(row, {"emp_id", "employee_id"}) == id && text(row, {"type"}) == u"in")
            arrival = QDateTime::fromString(text(row, {"ts"}), Qt::ISODate);
    }
    return arrival.isValid() ? qMax<qint64>(0, arrival.secsTo(now) / 60) : 0;
}

QJsonObject activeEntry(const QString &id, const QString &name, const QString &ts, const QString &reason)
{
    return QJsonObject{{"emp_id", id}, {"employee_id", id}, {"name", name}, {"ts", ts}, {"reason", reason}};
}

// Records the action, updates who is active and answers with a fresh snapshot.
QJsonObject applyAction(DevServer *server, DevTenant &tenant, const QJsonObject &employee,
                        const QString &action, const QJsonObject &payload)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString ts = now.toString(Qt::ISODate);
    const QString id = text(employee, {"id", "employee_id", "emp_id"});
    const QString name = text(employee, {"name", "display_name"});
    QJsonObject row{{"emp_id", id}, {"employee_id", id}, {"name", name}, {"type", action}, {"ts", ts},
                    {"uid", text(employee, {"rfid_uid", "uid"})}, {"device_id", text(payload, {"device_id"})}};
    if (action == u"in")
        row.insert("late_min", lateMinutes(tenant, id, now));
    if (action == u"out")
        row.insert("worked_min", minutesSinceArrival(tenant, id, now));
    QJsonArray attendance = tenant.data.value(QStringLiteral("attendance")).toArray();
    attendance.append(row);
    tenant.data.insert(QStringLiteral("attendance"), attendance);

    const QString workplace = text(payload, {"workplace_id", "workplaceId", "cutter_key", "cutterKey"});
    QJsonObject cutters = tenant.data.value(QStringLiteral("active_cutters")).toObject();
    if (action == u"out") {
        if (text(tenant.data.value(QStringLiteral("active_employee")).toObject(), {"emp_id"}) == id)
            tenant.data.remove(QStringLiteral("active_employee"));
        if (text(tenant.data.value(QStringLiteral("active_cutter")).toObject(), {"emp_id"}) == id)
            tenant.data.remove(QStringLiteral("active_cutter"));
        for (const QString &key : cutters.keys()) {
            if (text(cutters.value(key).toObject(), {"emp_id"}) == id)
                cutters.remove(key);
        }
    } else {
        const QJsonObject entry = activeEntry(id, name, ts, action);
        tenant.data.insert(QStringLiteral("active_employee"), entry);
        tenant.data.insert(QStringLiteral("active_cutter"), entry);
        if (!workplace.isEmpty())
            cutters.insert(workplace, entry);
    }
    tenant.data.insert(QStringLiteral("active_cutters"), cutters);
    tenant.touch();
    server->markChanged();
    return QJsonObject{{"result", QJsonObject{{"status", "ok"}, {"action", action}, {"employee_id", id},
                                              {"name", name}}},
                       {"revision", tenant.revisionText()},
                       {"snapshot", SnapshotRoutes::buildSnapshot(tenant)}};
}

QJsonObject badRequest(const QString &message)
{
    return QJsonObject{{"ok", false}, {"result", QJsonObject{{"status", "bad_request"}, {"message", message}}}};
}

} // namespace

void StaffRoutes::clearActive(DevTenant &tenant)
{
    tenant.data.remove(QStringLiteral("active_employee"));
    tenant.data.remove(QStringLiteral("active_cutter"));
    tenant.data.insert(QStringLiteral("active_cutters"), QJsonObject());
}

void StaffRoutes::registerRoutes(DevServer &server)
{
    DevServer *srv = &server;
    server.addEventHandler(QStringLiteral("employee_qr_scan"),
                           [srv](DevTenant &tenant, const QString &, const QJsonObject &payload) {
        const QString id = text(payload, {"employee_id", "emp_id", "id"});
        const QJsonObject employee = findEmployee(tenant, id, QString());
        if (employee.isEmpty()) {
            return QJsonObject{{"result", QJsonObject{{"status", "ok"}, {"action", "ignored"}, {"employee_id", id}}},
                               {"revision", tenant.revisionText()},
                               {"snapshot", SnapshotRoutes::buildSnapshot(tenant)}};
        }
        QString action = QStringLiteral("in");
        if (presentToday(tenant, id))
            action = text(payload, {"inout_mode"}) == u"qr" ? QStringLiteral("out") : QStringLiteral("active");
        return applyAction(srv, tenant, employee, action, payload);
    });
    server.addEventHandler(QStringLiteral("rfid_inout"),
                           [srv](DevTenant &tenant, const QString &, const QJsonObject &payload) {
        const QString uid = hexOnly(text(payload, {"uid"}));
        if (uid.isEmpty())
            return badRequest(QStringLiteral("Нет uid"));
        QJsonObject employee = findEmployee(tenant, QString(), uid);
        const QString tagId = text(payload, {"tag_text"}).section(u'|', 0, 0).trimmed();
        if (employee.isEmpty() && !tagId.isEmpty())
            employee = findEmployee(tenant, tagId, QString());
        if (employee.isEmpty()) {
            // No snapshot: the client names a card event after the last attendance row.
            return QJsonObject{{"result", QJsonObject{{"status", "ok"}, {"action", "not_found"}, {"uid", uid}}},
                               {"revision", tenant.revisionText()}};
        }
        const QString id = text(employee, {"id", "employee_id", "emp_id"});
        return applyAction(srv, tenant, employee, presentToday(tenant, id) ? QStringLiteral("out")
                                                                            : QStringLiteral("in"), payload);
    });
    server.addEventHandler(QStringLiteral("employees_replace"),
                           [srv](DevTenant &tenant, const QString &, const QJsonObject &payload) {
        const QJsonValue employees = payload.value(QStringLiteral("employees"));
        if (!employees.isArray())
            return badRequest(QStringLiteral("Нет массива employees"));
        tenant.data.insert(QStringLiteral("employees"), employees);
        const QJsonObject schedule = payload.value(QStringLiteral("schedule")).toObject();
        if (!schedule.isEmpty())
            tenant.data.insert(QStringLiteral("schedule"), schedule);
        tenant.touch();
        srv->markChanged();
        return QJsonObject{{"result", QJsonObject{{"status", "ok"}, {"stored", employees.toArray().size()}}},
                           {"revision", tenant.revisionText()},
                           {"snapshot", SnapshotRoutes::buildSnapshot(tenant)}};
    });
}
