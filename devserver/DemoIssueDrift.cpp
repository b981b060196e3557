#include "DemoIssueDrift.h"

#include "DevStore.h"

#include <QDate>
#include <QDateTime>
#include <QJsonArray>

namespace {

const QString kBugs = QStringLiteral("bugs");
const QString kDefects = QStringLiteral("defects");

// Now, or a minute after the list's newest record when the demo data lies
// later in the day, so a new or moved record comes first in the client.
QString stampAfter(const QJsonArray &list)
{
    QDateTime stamp = QDateTime::currentDateTime();
    for (const QJsonValue &item : list) {
        for (const char *key : {"created_at", "updated_at"}) {
            const QDateTime time = QDateTime::fromString(item.toObject().value(QLatin1String(key)).toString(),
                                                         Qt::ISODate);
            if (time.isValid() && time >= stamp)
                stamp = time.addSecs(60);
        }
    }
    return stamp.toString(Qt::ISODate);
}

int maxId(const QJsonArray &list)
{
    int id = 0;
    for (const QJsonValue &item : list)
        id = qMax(id, item.toObject().value(QStringLiteral("id")).toInt());
    return id;
}

QString addDefect(DevTenant &tenant)
{
    static const char *const reasons[] = {"Полосы на печати", "Порез при резке", "Пятно на холсте",
                                          "Смещение печати", "Замятие плёнки"};
    static const char *const areas[] = {"печать", "резка", "упаковка"};
    QJsonArray defects = tenant.data.value(kDefects).toArray();
    const int id = qMax(5500, maxId(defects)) + 1;
    const QString key = QStringLiteral("DEF-%1").arg(id);
    const QString stamp = stampAfter(defects);
    defects.append(QJsonObject{
        {QStringLiteral("id"), id},
        {QStringLiteral("defect_key"), key},
        {QStringLiteral("doc_no"), QString::number(id)},
        {QStringLiteral("order_ref"), QStringLiteral("WB 24891%1").arg(id % 10000, 5, 10, QLatin1Char('0'))},
        {QStringLiteral("reason"), QString::fromUtf8(reasons[id % 5])},
        {QStringLiteral("status"), QStringLiteral("на рассмотрении")},
        {QStringLiteral("source_area"), QString::fromUtf8(areas[id % 3])},
        {QStringLiteral("created_by"), QStringLiteral("Ольга Павлова")},
        {QStringLiteral("photos"), QJsonArray{QStringLiteral("/files/defects/%1/1.jpg").arg(id)}},
        {QStringLiteral("created_at"), stamp},
    });
    tenant.data.insert(kDefects, defects);
    return QStringLiteral("new_defect ") + key;
}

QString addBug(DevTenant &tenant)
{
    QJsonArray bugs = tenant.data.value(kBugs).toArray();
    const int id = qMax(100, maxId(bugs)) + 1;
    const QString key = QStringLiteral("BUG-%1").arg(id);
    const QString stamp = stampAfter(bugs);
    bugs.append(QJsonObject{
        {QStringLiteral("id"), id},
        {QStringLiteral("bug_key"), key},
        {QStringLiteral("title"), QStringLiteral("Журнал клиента: повторное сообщение №%1").arg(id)},
        {QStringLiteral("description"), QStringLiteral("Сообщение приходит дважды после переподключения.")},
        {QStringLiteral("status"), QStringLiteral("new")},
        {QStringLiteral("status_label"), QStringLiteral("Новый")},
        {QStringLiteral("severity"), QStringLiteral("низкий")},
        {QStringLiteral("reporter"), QStringLiteral("Алексей Морозов")},
        {QStringLiteral("created_at"), stamp},
        {QStringLiteral("updated_at"), stamp},
    });
    tenant.data.insert(kBugs, bugs);
    return QStringLiteral("new_bug ") + key;
}

// The first open bug moves one state on: new -> in work -> fixed.
QString advanceBug(DevTenant &tenant)
{
    QJsonArray bugs = tenant.data.value(kBugs).toArray();
    for (int i = 0; i < bugs.size(); ++i) {
        QJsonObject bug = bugs.at(i).toObject();
        const QString status = bug.value(QStringLiteral("status")).toString();
        QString next, label;
        if (status == QLatin1String("new")) {
            next = QStringLiteral("in_progress");
            label = QStringLiteral("В работе");
        } else if (status == QLatin1String("in_progress")) {
            next = QStringLiteral("fixed");
            label = QStringLiteral("Исправлен");
        } else {
            continue;
        }
        bug.insert(QStringLiteral("status"), next);
        bug.insert(QStringLiteral("status_label"), label);
        bug.insert(QStringLiteral("updated_at"), stampAfter(bugs));
        bugs.replace(i, bug);
        tenant.data.insert(kBugs, bugs);
        return QStringLiteral("bug_state %1 %2").arg(bug.value(QStringLiteral("bug_key")).toString(), next);
    }
    return {};
}

// The oldest defect is closed and leaves the register.
QString removeDefect(DevTenant &tenant)
{
    QJsonArray defects = tenant.data.value(kDefects).toArray();
    if (defects.isEmpty())
        return {};
    int oldest = 0;
    for (int i = 1; i < defects.size(); ++i) {
        if (defects.at(i).toObject().value(QStringLiteral("created_at")).toString()
            < defects.at(oldest).toObject().value(QStringLiteral("created_at")).toString())
            oldest = i;
    }
    const QString key = defects.at(oldest).toObject().value(QStringLiteral("defect_key")).toString();
    defects.removeAt(oldest);
    tenant.data.insert(kDefects, defects);
    return QStringLiteral("removed_defect ") + key;
}

int mediaCount(const QJsonArray &list, const char *key)
{
    int count = 0;
    for (const QJsonValue &item : list)
        count += int(item.toObject().value(QLatin1String(key)).toArray().size());
    return count;
}

} // namespace

QStringList DemoIssueDrift::actions()
{
    return {QStringLiteral("new_defect"), QStringLiteral("advance_bug"), QStringLiteral("new_bug"),
            QStringLiteral("remove_defect")};
}

void DemoIssueDrift::reset()
{
    m_snapshots.clear();
    m_steps.clear();
    m_pending.clear();
}

void DemoIssueDrift::onSnapshot(DevTenant &tenant)
{
    if (m_every <= 0 || (!tenant.data.contains(kBugs) && !tenant.data.contains(kDefects)))
        return;
    if (++m_snapshots[tenant.id] % m_every == 0)
        apply(tenant, QStringLiteral("next"));
}

QString DemoIssueDrift::apply(DevTenant &tenant, const QString &action)
{
    const QStringList cycle = actions();
    QString step = action;
    if (action == QLatin1String("next")) {
        int &index = m_steps[tenant.id];
        step = cycle.at(index % cycle.size());
        ++index;
    }
    QString change;
    if (step == QLatin1String("new_defect"))
        change = addDefect(tenant);
    else if (step == QLatin1String("new_bug"))
        change = addBug(tenant);
    else if (step == QLatin1String("advance_bug"))
        change = advanceBug(tenant);
    else if (step == QLatin1String("remove_defect"))
        change = removeDefect(tenant);
    // A cycle step with nothing to act on (no open bug left) adds a defect instead.
    if (change.isEmpty() && action == QLatin1String("next"))
        change = addDefect(tenant);
    if (change.isEmpty())
        return {};
    updateSummaries(tenant);
    tenant.touch();
    m_pending[tenant.id] << change;
    return change;
}

QString DemoIssueDrift::takePending(const QString &tenantId)
{
    const QStringList changes = m_pending.take(tenantId);
    return changes.isEmpty() ? QString() : QStringLiteral("issues: ") + changes.join(QStringLiteral("; "));
}

QJsonObject DemoIssueDrift::stateJson(const DevTenant &tenant) const
{
    return QJsonObject{
        {QStringLiteral("every"), m_every},
        {QStringLiteral("snapshots"), m_snapshots.value(tenant.id)},
        {QStringLiteral("next"), actions().at(m_steps.value(tenant.id) % actions().size())},
        {QStringLiteral("bugs_summary"), tenant.data.value(QStringLiteral("bugs_summary"))},
        {QStringLiteral("defects_summary"), tenant.data.value(QStringLiteral("defects_summary"))},
    };
}

void DemoIssueDrift::updateSummaries(DevTenant &tenant)
{
    const QJsonArray bugs = tenant.data.value(kBugs).toArray();
    const QJsonArray defects = tenant.data.value(kDefects).toArray();
    int open = 0;
    for (const QJsonValue &bug : bugs)
        open += bug.toObject().value(QStringLiteral("status")).toString() == QLatin1String("new");
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    int todayCount = 0;
    for (const QJsonValue &defect : defects)
        todayCount += defect.toObject().value(QStringLiteral("created_at")).toString().startsWith(today);
    tenant.data.insert(QStringLiteral("bugs_summary"),
                       QJsonObject{{QStringLiteral("count"), bugs.size()},
                                   {QStringLiteral("new_count"), open},
                                   {QStringLiteral("attachments"), mediaCount(bugs, "attachments")}});
    tenant.data.insert(QStringLiteral("defects_summary"),
                       QJsonObject{{QStringLiteral("count"), defects.size()},
                                   {QStringLiteral("today_count"), todayCount},
                                   {QStringLiteral("photos"), mediaCount(defects, "photos")}});
}
