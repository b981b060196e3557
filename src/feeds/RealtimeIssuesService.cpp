#include "feeds/RealtimeIssuesService.h"

#include "common/JsonRead.h"
#include "common/Journal.h"
#include "common/LogCategories.h"
#include "feeds/IssueRow.h"

#include <QJsonArray>

#include <algorithm>
#include <vector>

namespace {

const QString kWaiting = QStringLiteral("ожидание данных");

// A list is an array, or an object holding it under "items", "rows" or "data".
bool listFrom(const QJsonValue &value, QJsonArray *out)
{
    if (value.isArray()) {
        *out = value.toArray();
        return true;
    }
    if (!value.isObject())
        return false;
    const QJsonObject holder = value.toObject();
    for (const char *key : {"items", "rows", "data"}) {
        const QJsonValue inner = holder.value(QLatin1String(key));
        if (inner.isArray()) {
            *out = inner.toArray();
            return true;
        }
    }
    return false;
}

QJsonArray firstList(const QJsonObject &data, JsonKeys keys)
{
    QJsonArray list;
    for (const char *key : keys) {
        if (listFrom(data.value(QLatin1String(key)), &list))
            return list;
    }
    return {};
}

QVariantList buildRows(const QJsonArray &records, IssueRow::Kind kind)
{
    struct Built
    {
        qint64 sortTs;
        QVariantMap row;
    };
    std::vector<Built> built;
    built.reserve(size_t(records.size()));
    int number = 0;
    for (const QJsonValue &value : records) {
        ++number;
        if (!value.isObject()) {
            qCDebug(lcFeeds) << "issue record" << number << "is not an object; skipped";
            continue;
        }
        QVariantMap row = IssueRow::build(value.toObject(), kind, number);
        const qint64 sortTs = row.value(QStringLiteral("sortTs")).toLongLong();
        built.push_back({sortTs, std::move(row)});
    }
    std::stable_sort(built.begin(), built.end(), [](const Built &a, const Built &b) { return a.sortTs > b.sortTs; });
    QVariantList rows;
    rows.reserve(qsizetype(built.size()));
    for (Built &entry : built)
        rows << std::move(entry.row);
    return rows;
}

// A summary figure; -1 (unknown) when missing, not a number or negative.
int summaryFigure(const QJsonObject &summary, const char *key)
{
    const QJsonValue value = summary.value(QLatin1String(key));
    if (!value.isDouble() && !value.isString())
        return -1;
    const double number = jsonToNumber(value, -1.0);
    return number >= 0 ? int(number) : -1;
}

QString changeSinceLastSnapshot(int previous, int total)
{
    if (previous < 0)
        return QStringLiteral("обновление с сервера");
    if (total == previous)
        return QStringLiteral("→ без изменений");
    if (total > previous)
        return QStringLiteral("↑ +%1 с прошлого обновления").arg(total - previous);
    return QStringLiteral("↓ %1 с прошлого обновления").arg(total - previous);
}

// "Активные: 3 • вложений: 2" when the server counts for us, else the change.
QString deltaLine(const char *lead, int leadCount, const char *extra, int extraCount, int previous, int total)
{
    if (leadCount < 0)
        return changeSinceLastSnapshot(previous, total);
    const QString tail = extraCount >= 0 ? QString::fromUtf8(extra).arg(extraCount) : QString();
    return QString::fromUtf8(lead).arg(leadCount).arg(tail);
}

} // namespace

RealtimeIssuesService::RealtimeIssuesService(AppSettings *, Journal *eventLog, QObject *parent)
    : QObject(parent), m_eventLog(eventLog)
{
    m_bugs.delta = kWaiting;
    m_defects.delta = kWaiting;
    m_timer.setInterval(kRefreshIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &RealtimeIssuesService::refresh);
}

void RealtimeIssuesService::setStatus(const QString &status)
{
    if (status == m_status)
        return;
    m_status = status;
    journalInfo(m_eventLog, status);
}

void RealtimeIssuesService::refresh()
{
    m_busy = false;
    const QString status = QStringLiteral("Баги и брак обновляются общей синхронизацией");
    if (status == m_status)
        return;
    setStatus(status);
    Q_EMIT changed();
}

void RealtimeIssuesService::start()
{
    if (!m_timer.isActive())
        m_timer.start();
    refresh();
}

void RealtimeIssuesService::stop()
{
    m_timer.stop();
}

void RealtimeIssuesService::applySnapshotRoot(const QJsonObject &root)
{
    m_queue.cancelPending();
    commit(readLists(root));
}

void RealtimeIssuesService::applySnapshotRootInBackground(const QJsonObject &root)
{
    m_queue.cancelPending();
    m_queue.submit<Lists>([root] { return readLists(root); }, [this](Lists lists) { commit(lists); });
}

RealtimeIssuesService::Lists RealtimeIssuesService::readLists(const QJsonObject &root)
{
    QJsonObject data = root.value(QStringLiteral("snapshot")).toObject();
    if (data.isEmpty())
        data = root;
    Lists lists;
    lists.bugs = buildRows(firstList(data, {"bugs", "bug_reports", "bugTracker", "bugs_list"}), IssueRow::Kind::Bug);
    lists.defects = buildRows(firstList(data, {"defects", "defect_reports", "brak", "defects_list"}),
                              IssueRow::Kind::Defect);
    lists.bugSummary = data.value(QStringLiteral("bugs_summary")).toObject();
    lists.defectSummary = data.value(QStringLiteral("defects_summary")).toObject();
    return lists;
}

void RealtimeIssuesService::commit(const Lists &lists)
{
    m_bugs.rows = lists.bugs;
    m_defects.rows = lists.defects;
    m_bugsRows.setRows(m_bugs.rows);
    m_defectsRows.setRows(m_defects.rows);

    const QJsonObject &bugSummary = lists.bugSummary;
    const QJsonObject &defectSummary = lists.defectSummary;
    const int bugCount = summaryFigure(bugSummary, "count");
    const int defectCount = summaryFigure(defectSummary, "count");
    m_bugs.total = bugCount >= 0 ? bugCount : int(m_bugs.rows.size());
    m_defects.total = defectCount >= 0 ? defectCount : int(m_defects.rows.size());

    if (m_bugs.previousTotal >= 0 && m_bugs.total > m_bugs.previousTotal)
        journalInfo(m_eventLog, QStringLiteral("Новые баги: +%1").arg(m_bugs.total - m_bugs.previousTotal));
    if (m_defects.previousTotal >= 0 && m_defects.total > m_defects.previousTotal)
        journalWarn(m_eventLog, QStringLiteral("Новый брак: +%1").arg(m_defects.total - m_defects.previousTotal));

    m_bugs.delta = deltaLine("Активные: %1%2", summaryFigure(bugSummary, "new_count"), " • вложений: %1",
                             summaryFigure(bugSummary, "attachments"), m_bugs.previousTotal, m_bugs.total);
    m_defects.delta = deltaLine("Сегодня: %1%2", summaryFigure(defectSummary, "today_count"), " • фото: %1",
                                summaryFigure(defectSummary, "photos"), m_defects.previousTotal, m_defects.total);

    m_bugs.previousTotal = m_bugs.total;
    m_defects.previousTotal = m_defects.total;

    setStatus(QStringLiteral("Баги и брак обновлены с сервера"));
    Q_EMIT changed();
}
