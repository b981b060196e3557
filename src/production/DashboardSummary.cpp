#include "production/DashboardSummary.h"

#include "common/IsoTime.h"
#include "common/JsonRead.h"
#include "feeds/RealtimeIssuesService.h"
#include "production/DashboardTexts.h"
#include "production/PrintArchiveEvent.h"
#include "production/PrintArchiveStore.h"
#include "settings/AppSettings.h"
#include "staff/ActiveStaffState.h"
#include "staff/EmployeeWorkspaceStore.h"
#include "staff/WorkplaceKeys.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace {

constexpr std::array kFieldNames{
    "activeValue", "activeMeta", "scansValue", "scansDelta", "areaValue", "areaDelta", "monthAreaValue",
    "monthAreaDelta", "bugsValue", "bugsDelta", "defectsValue", "defectsDelta", "scannerStatus", "gsStatus",
    "warehouseStatus", "scriptsStatus",
};

// The print figures the home page compares; the server's statistics when it
// sent any, else counted from the archive events of the snapshot.
struct PrintFigures
{
    bool known = false;
    double todayCount = 0, yesterdayCount = 0;
    double todayArea = 0, yesterdayArea = 0;
    double monthArea = 0, prevMonthArea = 0;
    QVariantMap perMarket; // "wbCount", "wbArea", ...
};

double eventArea(const QVariantMap &event)
{
    return variantToNumber(variantFirstValue(event, {"area_m2", "area"}), 0.0);
}

PrintFigures countEvents(const QVariantList &events, const QDate &today)
{
    PrintFigures figures;
    figures.known = !events.isEmpty();
    const QDate yesterday = today.addDays(-1);
    const QDate previousMonth = today.addMonths(-1);
    for (const QVariant &item : events) {
        const QVariantMap event = item.toMap();
        // The store stamps each server event with its local day; parsing the
        // time again for thousands of events would stall every refresh.
        QDate day = QDate::fromString(event.value(QStringLiteral("day")).toString(), Qt::ISODate);
        if (!day.isValid())
            day = PrintArchiveEvent::dayOf(event);
        if (!day.isValid())
            continue;
        const double area = eventArea(event);
        if (day.year() == today.year() && day.month() == today.month())
            figures.monthArea += area;
        else if (day.year() == previousMonth.year() && day.month() == previousMonth.month())
            figures.prevMonthArea += area;
        if (day == yesterday) {
            figures.yesterdayCount += 1;
            figures.yesterdayArea += area;
        }
        if (day != today)
            continue;
        figures.todayCount += 1;
        figures.todayArea += area;
        const QString market = PrintArchiveEvent::normalizeMarketplace(variantFirstText(event, {"marketplace"}))
                                   .toLower();
        if (market.isEmpty())
            continue;
        figures.perMarket[market + QStringLiteral("Count")] =
            figures.perMarket.value(market + QStringLiteral("Count")).toDouble() + 1;
        figures.perMarket[market + QStringLiteral("Area")] =
            figures.perMarket.value(market + QStringLiteral("Area")).toDouble() + area;
    }
    return figures;
}

PrintFigures readFigures(const PrintArchiveStore *archive, const QDate &today)
{
    if (!archive)
        return {};
    const QVariantMap stats = archive->serverStats();
    if (stats.value(QStringLiteral("raw")).toMap().isEmpty())
        return countEvents(archive->serverEvents(), today);
    PrintFigures figures;
    figures.known = true;
    const auto number = [&stats](const char *key) { return stats.value(QLatin1String(key)).toDouble(); };
    figures.todayCount = number("todayCount");
    figures.yesterdayCount = number("yesterdayCount");
    figures.todayArea = number("todayArea");
    figures.yesterdayArea = number("yesterdayArea");
    figures.monthArea = number("monthArea");
    figures.prevMonthArea = number("prevMonthArea");
    for (const char *market : {"wb", "ozon", "ym", "fbo"}) {
        for (const char *figure : {"Count", "Area"}) {
            const QString key = QLatin1String(market) + QLatin1String(figure);
            figures.perMarket.insert(key, stats.value(key).toDouble());
        }
    }
    return figures;
}

QVariantMap marketEntry(const QString &title, double count, double area, const char *accent)
{
    return {{QStringLiteral("title"), title},
            {QStringLiteral("count"), qRound64(count)},
            {QStringLiteral("area"), DashboardTexts::areaText(area)},
            {QStringLiteral("accent"), QLatin1String(accent)}};
}

// The archive shows a print at its last update; the print time serves when
// the server sent none.
QDateTime printedTime(const QVariantMap &event)
{
    const QDateTime updated = parseServerTime(variantFirstText(event, {"updated_at", "updatedAt"}));
    return updated.isValid() ? updated.toLocalTime() : PrintArchiveEvent::timeOf(event);
}

QVariantMap recentEntry(const QVariantMap &event)
{
    const QDateTime time = printedTime(event);
    const QString timeText = time.isValid() ? time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))
                                            : DashboardTexts::emptyValue();
    QString title = variantFirstText(event, {"maket", "label", "file", "fileName", "file_name"});
    if (title.isEmpty())
        title = DashboardTexts::emptyValue();
    const QString marketplace = variantFirstText(event, {"marketplace"});
    const double area = eventArea(event);
    QStringList parts{timeText, title};
    if (!marketplace.isEmpty())
        parts << marketplace;
    if (area > 0)
        parts << DashboardTexts::areaText(area);
    return {{QStringLiteral("time"), timeText},
            {QStringLiteral("title"), title},
            {QStringLiteral("marketplace"), marketplace},
            {QStringLiteral("area"), area},
            {QStringLiteral("uid"), PrintArchiveEvent::uidOf(event)},
            {QStringLiteral("printer"), variantFirstText(event, {"printer"})},
            {QStringLiteral("employee"),
             variantFirstText(event, {"employee_name", "employeeName", "cut_operator_name", "cutOperatorName"})},
            {QStringLiteral("line"), parts.join(QStringLiteral(" · "))}};
}

int workplaceNumber(const QString &key)
{
    static const QRegularExpression digits(QStringLiteral("(\\d+)$"));
    const QRegularExpressionMatch match = digits.match(key);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

} // namespace

DashboardSummary::DashboardSummary(AppSettings *settings, Journal *, PrintArchiveStore *printArchive,
                                   EmployeeWorkspaceStore *employeeWorkspace, RealtimeIssuesService *issues,
                                   QObject *parent)
    : QObject(parent), m_settings(settings), m_printArchive(printArchive),
      m_employeeWorkspace(employeeWorkspace), m_issues(issues)
{
    if (printArchive)
        connect(printArchive, &PrintArchiveStore::changed, this, &DashboardSummary::refresh);
    if (employeeWorkspace)
        connect(employeeWorkspace, &EmployeeWorkspaceStore::changed, this, &DashboardSummary::refresh);
    if (issues)
        connect(issues, &RealtimeIssuesService::changed, this, &DashboardSummary::refresh);
    if (settings)
        connect(settings, &AppSettings::changed, this, &DashboardSummary::refresh);
    refresh();
}

QString DashboardSummary::text(Field field) const
{
    return m_state.value(QLatin1String(kFieldNames[size_t(field)])).toString();
}

QDateTime DashboardSummary::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

void DashboardSummary::refresh()
{
    QVariantMap state;
    putStaff(state);
    putPrints(state);
    putIssues(state);
    putConfiguration(state);
    if (state == m_state)
        return;
    m_state = state;
    Q_EMIT changed();
}

void DashboardSummary::putStaff(QVariantMap &state) const
{
    const EmployeeWorkspaceStore *staff = m_employeeWorkspace;
    QStringList active;
    int activeCount = 0;
    int total = 0;
    if (staff) {
        const QVariantMap cutters = staff->activeCutters();
        QStringList keys = cutters.keys();
        std::sort(keys.begin(), keys.end(), [](const QString &a, const QString &b) {
            const int na = workplaceNumber(a), nb = workplaceNumber(b);
            return na != nb ? na < nb : a < b;
        });
        const QDateTime moment = now();
        for (const QString &key : std::as_const(keys)) {
            const QVariant entry = cutters.value(key);
            if (ActiveStaffState::entryEmployeeId(entry).isEmpty() || !ActiveStaffState::entryFresh(entry, moment))
                continue;
            const QString name = staff->activeCutterNameForWorkplace(key);
            if (!name.isEmpty())
                active << QStringLiteral("%1: %2").arg(WorkplaceKeys::workplaceLabelForKey(key), name);
        }
        activeCount = staff->employeeActive();
        total = staff->employeeTotal();
    }
    state.insert(QStringLiteral("activeValue"),
                 active.isEmpty() ? DashboardTexts::emptyValue() : active.join(QStringLiteral(" / ")));
    state.insert(QStringLiteral("activeMeta"),
                 activeCount > 0 ? QStringLiteral("активны: %1 из %2").arg(activeCount).arg(total)
                                 : QStringLiteral("нет активных · сотрудников: %1").arg(total));
}

void DashboardSummary::putPrints(QVariantMap &state) const
{
    const PrintFigures figures = readFigures(m_printArchive, now().date());
    if (!figures.known) {
        for (const char *key : {"scansValue", "areaValue", "monthAreaValue"})
            state.insert(QLatin1String(key), DashboardTexts::emptyValue());
        for (const char *key : {"scansDelta", "areaDelta", "monthAreaDelta"})
            state.insert(QLatin1String(key), DashboardTexts::noData());
    } else {
        const QString yesterday = DashboardTexts::yesterdaySuffix();
        state.insert(QStringLiteral("scansValue"), QString::number(qRound64(figures.todayCount)));
        state.insert(QStringLiteral("scansDelta"),
                     DashboardTexts::countDelta(figures.todayCount, figures.yesterdayCount, yesterday));
        state.insert(QStringLiteral("areaValue"), DashboardTexts::areaText(figures.todayArea));
        state.insert(QStringLiteral("areaDelta"),
                     DashboardTexts::areaDelta(figures.todayArea, figures.yesterdayArea, yesterday));
        state.insert(QStringLiteral("monthAreaValue"), DashboardTexts::areaText(figures.monthArea));
        state.insert(QStringLiteral("monthAreaDelta"),
                     DashboardTexts::areaDelta(figures.monthArea, figures.prevMonthArea,
                                               DashboardTexts::previousMonthSuffix()));
    }

    const auto market = [&figures](const char *name, const char *title, const char *accent) {
        const QString key = QLatin1String(name);
        return marketEntry(QLatin1String(title), figures.perMarket.value(key + QStringLiteral("Count")).toDouble(),
                           figures.perMarket.value(key + QStringLiteral("Area")).toDouble(), accent);
    };
    state.insert(QStringLiteral("marketplaceSummary"),
                 QVariantList{market("wb", "WB", "#CDB7FF"), market("ozon", "OZON", "#7FD6FF"),
                              market("fbo", "FBO", "#8FE3C5"),
                              marketEntry(QStringLiteral("Итого"), figures.todayCount, figures.todayArea,
                                          "#ee1206")});

    QVariantList recent;
    if (m_printArchive) {
        const QVariantList events = m_printArchive->serverEvents();
        for (int i = 0; i < events.size() && recent.size() < kRecentCount; ++i)
            recent << recentEntry(events.at(i).toMap());
    }
    state.insert(QStringLiteral("recentPrinted"), recent);
}

void DashboardSummary::putIssues(QVariantMap &state) const
{
    const RealtimeIssuesService *issues = m_issues;
    state.insert(QStringLiteral("bugsValue"), issues ? issues->bugsValue() : DashboardTexts::emptyValue());
    state.insert(QStringLiteral("bugsDelta"), issues ? issues->bugsDelta() : DashboardTexts::noData());
    state.insert(QStringLiteral("defectsValue"), issues ? issues->defectsValue() : DashboardTexts::emptyValue());
    state.insert(QStringLiteral("defectsDelta"), issues ? issues->defectsDelta() : DashboardTexts::noData());
}

void DashboardSummary::putConfiguration(QVariantMap &state) const
{
    const AppSettings *settings = m_settings;
    QString scanner = QStringLiteral("не настроен");
    QString gs = QStringLiteral("не задан");
    int warehousePaths = 0;
    int scriptPaths = 0;
    if (settings) {
        const QString port = settings->scannerPort(1).trimmed();
        if (!port.isEmpty())
            scanner = QStringLiteral("%1 · %2 бод").arg(port).arg(settings->scannerBaudRate(1));
        if (!settings->gsConfirmEndpoint().trimmed().isEmpty())
            gs = QStringLiteral("готов");
        for (const QString &path : {settings->wbPath(), settings->ozonPath(), settings->ymPath()})
            warehousePaths += !path.trimmed().isEmpty();
        for (const QVariant &entry : settings->scriptEntries())
            scriptPaths += !variantFirstText(entry.toMap(), {"path"}).isEmpty();
    }
    state.insert(QStringLiteral("scannerStatus"), scanner);
    state.insert(QStringLiteral("gsStatus"), gs);
    state.insert(QStringLiteral("warehouseStatus"), QStringLiteral("%1/3 путей").arg(warehousePaths));
    state.insert(QStringLiteral("scriptsStatus"),
                 scriptPaths > 0 ? QStringLiteral("%1 путей").arg(scriptPaths) : QStringLiteral("не заданы"));
}
