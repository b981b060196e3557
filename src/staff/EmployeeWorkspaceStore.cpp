#include "staff/EmployeeWorkspaceStore.h"

#include "common/JsonRead.h"
#include "common/Journal.h"
#include "common/LogCategories.h"
#include "serverlink/ClientEvent.h"
#include "serverlink/ServerRequest.h"
#include "settings/AppSettings.h"
#include "staff/EmployeeEventText.h"
#include "staff/EmployeeIdentity.h"
#include "staff/EmployeeViewList.h"
#include "staff/EmployeeWorkspaceCache.h"
#include "staff/StaffParsing.h"
#include "staff/StaffReply.h"
#include "staff/WorkplaceKeys.h"

#include <QDir>
#include <QJsonArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrlQuery>

#include <optional>

namespace {

const QString kDash = QStringLiteral("—");
const QString kNoEventApi = QStringLiteral("Сотрудники: event API не задан");
const QString kNotFound = QStringLiteral("Сотрудники: сотрудник не найден");
const QString kSelectFirst = QStringLiteral("Сотрудники: сначала выбери сотрудника");

} // namespace

// A staff reply with its day lists read for the views; a list the reply lacks
// stays as the store has it.
struct EmployeeWorkspaceStore::PreparedStaff
{
    StaffReply staff;
    std::optional<AttendanceArchiveViews::TimedList> attendance;
    std::optional<AttendanceArchiveViews::TimedList> archive;

    static PreparedStaff read(const QJsonObject &object)
    {
        PreparedStaff prepared{StaffReply::read(object), {}, {}};
        if (prepared.staff.hasAttendance)
            prepared.attendance = AttendanceArchiveViews::readAttendance(prepared.staff.attendance);
        if (prepared.staff.hasArchive)
            prepared.archive = AttendanceArchiveViews::readArchive(prepared.staff.archive);
        return prepared;
    }
};

EmployeeWorkspaceStore::EmployeeWorkspaceStore(AppSettings *settings, Journal *journal, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_journal(journal)
    , m_network(new QNetworkAccessManager(this))
{
    m_idleTimer.setInterval(kIdleCheckMs);
    m_monthHoursText = m_firstHalfHoursText = m_secondHalfHoursText = StaffParsing::hoursText(0);
    connect(&m_idleTimer, &QTimer::timeout, this, &EmployeeWorkspaceStore::checkIdleTimeout);
    if (m_settings)
        connect(m_settings, &AppSettings::changed, this, &EmployeeWorkspaceStore::applyTimerPolicy);
    applyTimerPolicy();
    const EmployeeWorkspaceCache::Content cached = EmployeeWorkspaceCache::read(cachePath());
    if (!cached.employees.isEmpty())
        m_records.setList(cached.employees);
    m_schedule.replace(cached.schedule);
    rebuild();
}

EmployeeWorkspaceStore::~EmployeeWorkspaceStore() = default;

// ---- Clock, timer, cache ------------------------------------------------------

QDateTime EmployeeWorkspaceStore::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

void EmployeeWorkspaceStore::setClock(Clock clock)
{
    m_clock = std::move(clock);
    rebuild();
}

void EmployeeWorkspaceStore::setIdleCheckInterval(int ms)
{
    m_idleTimer.setInterval(qMax(1, ms));
}

void EmployeeWorkspaceStore::applyTimerPolicy()
{
    const bool configured = m_settings && !m_settings->onboardingRequired()
                            && !m_settings->snapshotEndpoint().trimmed().isEmpty();
    if (!configured) {
        m_idleTimer.stop();
        return;
    }
    if (m_idleTimer.isActive())
        return;
    checkIdleTimeout();
    m_idleTimer.start();
}

QString EmployeeWorkspaceStore::cachePath() const
{
    if (!m_settings)
        return {};
    return QDir(m_settings->appDataDir()).filePath(EmployeeWorkspaceCache::kFileName);
}

void EmployeeWorkspaceStore::saveCache() const
{
    const QString path = cachePath();
    if (!path.isEmpty() && !EmployeeWorkspaceCache::write(path, m_records.list(), m_schedule.map()))
        qCWarning(lcStaff) << "employee cache could not be written:" << path;
}

void EmployeeWorkspaceStore::load()
{
    const EmployeeWorkspaceCache::Content cached = EmployeeWorkspaceCache::read(cachePath());
    // Empty lists in the file never wipe what is already loaded.
    if (!cached.employees.isEmpty())
        m_records.setList(cached.employees);
    m_schedule.replace(cached.schedule);
    rebuild();
}

void EmployeeWorkspaceStore::refresh()
{
    if (!m_settings || m_settings->snapshotEndpoint().trimmed().isEmpty()) {
        load();
        setStatus(QStringLiteral("Синхронизация сотрудников недоступна: адрес сервера не задан"));
        return;
    }
    setStatus(QStringLiteral("Сотрудники обновляются общей синхронизацией"));
}

// ---- Properties ------------------------------------------------------------------

QString EmployeeWorkspaceStore::activeEmployeeName() const
{
    if (activeEmployeeTimedOut())
        return kDash;
    QString name = m_active.employeeName.trimmed();
    if (name.isEmpty())
        name = m_records.nameOf(m_active.employeeId.trimmed());
    return name.isEmpty() ? kDash : name;
}

QString EmployeeWorkspaceStore::activeEmployeeId() const
{
    return activeEmployeeTimedOut() ? QString() : m_active.employeeId.trimmed();
}

QString EmployeeWorkspaceStore::activeCutterName() const
{
    if (activeEmployeeTimedOut())
        return kDash;
    QString name = m_active.cutterName.trimmed();
    if (name.isEmpty())
        name = m_records.nameOf(m_active.cutterId.trimmed());
    return name.isEmpty() ? activeEmployeeName() : name;
}

QString EmployeeWorkspaceStore::activeCutterId() const
{
    if (activeEmployeeTimedOut())
        return {};
    const QString cutter = m_active.cutterId.trimmed();
    return cutter.isEmpty() ? m_active.employeeId.trimmed() : cutter;
}

QString EmployeeWorkspaceStore::activeEmployeeReason() const
{
    const QString reason = m_active.employeeReason.trimmed();
    return reason.isEmpty() ? QStringLiteral("активен") : reason;
}

QString EmployeeWorkspaceStore::activeEmployeeSinceText() const
{
    const QDateTime since = m_active.cutterSince.isValid() ? m_active.cutterSince : m_active.employeeSince;
    return since.isValid() ? since.toString(QStringLiteral("dd.MM.yyyy HH:mm")) : kDash;
}

QString EmployeeWorkspaceStore::normalizeRfidUid(const QString &text)
{
    return EmployeeIdentity::normalizeRfidUid(text);
}

QString EmployeeWorkspaceStore::normalizeWorkplaceKey(const QString &text)
{
    return WorkplaceKeys::normalizeWorkplaceKey(text);
}

QString EmployeeWorkspaceStore::workplaceLabelForKey(const QString &key)
{
    return WorkplaceKeys::workplaceLabelForKey(key);
}

// ---- Setters -------------------------------------------------------------------------

void EmployeeWorkspaceStore::setSelectedEmployeeId(const QString &value)
{
    const QString id = value.trimmed();
    if (id == m_selectedEmployeeId)
        return;
    m_selectedEmployeeId = id;
    rebuild();
}

void EmployeeWorkspaceStore::setScheduleMonth(int month)
{
    if (m_schedule.setMonth(month))
        rebuild();
}

void EmployeeWorkspaceStore::setScheduleYear(int year)
{
    if (m_schedule.setYear(year))
        rebuild();
}

void EmployeeWorkspaceStore::setAttendanceDate(const QString &value)
{
    if (!m_days.setAttendanceDate(value))
        return;
    rebuildAttendance();
    Q_EMIT changed();
}

void EmployeeWorkspaceStore::setAttendanceOnlySelected(bool value)
{
    if (value == m_days.attendanceOnlySelected())
        return;
    m_days.setAttendanceOnlySelected(value);
    rebuildAttendance();
    Q_EMIT changed();
}

void EmployeeWorkspaceStore::setArchiveDate(const QString &value)
{
    if (!m_days.setArchiveDate(value))
        return;
    rebuildArchive();
    Q_EMIT changed();
}

void EmployeeWorkspaceStore::setArchiveOnlySelected(bool value)
{
    if (value == m_days.archiveOnlySelected())
        return;
    m_days.setArchiveOnlySelected(value);
    rebuildArchive();
    Q_EMIT changed();
}

void EmployeeWorkspaceStore::shiftArchiveDate(int days)
{
    const QDate base = m_days.archiveDay().isValid() ? m_days.archiveDay() : QDate::currentDate();
    if (m_days.setArchiveDay(base.addDays(days))) {
        rebuildArchive();
        Q_EMIT changed();
    }
}

void EmployeeWorkspaceStore::shiftArchiveDateByAvailable(int step)
{
    const QDate day = AttendanceArchiveViews::neighbourDay(m_days.archiveAvailableDates(), m_days.archiveDay(), step);
    if (m_days.setArchiveDay(day)) {
        rebuildArchive();
        Q_EMIT changed();
    }
}

void EmployeeWorkspaceStore::shiftAttendanceDateByAvailable(int step)
{
    const QDate day = AttendanceArchiveViews::neighbourDay(m_days.attendanceAvailableDates(),
                                                           m_days.attendanceDay(), step);
    if (m_days.setAttendanceDay(day)) {
        rebuildAttendance();
        Q_EMIT changed();
    }
}

// ---- Views ---------------------------------------------------------------------------

void EmployeeWorkspaceStore::rebuildAttendance()
{
    const QHash<QString, QString> names = m_records.namesById();
    m_days.rebuildAttendance(m_selectedEmployeeId, [&names](const QString &id) { return names.value(id); });
}

void EmployeeWorkspaceStore::rebuildArchive()
{
    const QHash<QString, QString> names = m_records.namesById();
    m_days.rebuildArchive(m_selectedEmployeeId, [&names](const QString &id) { return names.value(id); });
}

void EmployeeWorkspaceStore::rebuild()
{
    m_view = EmployeeViewList::build(m_records, m_active, activeEmployeeId(), activeCutterId(), m_schedule, now());
    m_activeCount = 0;
    m_selectedEmployee.clear();
    for (const QVariant &item : std::as_const(m_view)) {
        const QVariantMap view = item.toMap();
        m_activeCount += view.value(QStringLiteral("active")).toBool();
        if (!m_selectedEmployeeId.isEmpty() && view.value(QStringLiteral("id")).toString() == m_selectedEmployeeId)
            m_selectedEmployee = view;
    }

    const QString id = m_selectedEmployeeId;
    m_scheduleDays = id.isEmpty() ? QVariantList() : m_schedule.scheduleDays(id);
    m_firstHalfHoursText = StaffParsing::hoursText(id.isEmpty() ? 0 : m_schedule.hours(id, 1, 15));
    m_secondHalfHoursText = StaffParsing::hoursText(id.isEmpty() ? 0 : m_schedule.hours(id, 16, 31));
    m_monthHoursText = StaffParsing::hoursText(id.isEmpty() ? 0 : m_schedule.hours(id, 1, 31));
    m_filledDays = id.isEmpty() ? 0 : m_schedule.filledDays(id);
    const auto figures = [this](const QString &employeeId, const QDate &from, const QDate &to) {
        return m_days.employeeFigures(employeeId, from, to);
    };
    m_commonFirstHalf = m_schedule.commonHalf(m_records.list(), true, figures);
    m_commonSecondHalf = m_schedule.commonHalf(m_records.list(), false, figures);

    rebuildAttendance();
    rebuildArchive();
    Q_EMIT changed();
}

void EmployeeWorkspaceStore::setStatus(const QString &status)
{
    m_lastStatus = status;
    Q_EMIT changed();
}

void EmployeeWorkspaceStore::report(const QString &message, bool success)
{
    setStatus(message);
    if (!m_journal)
        return;
    if (success)
        m_journal->addSuccess(message);
    else
        m_journal->addWarn(message);
}

// ---- Recognition ----------------------------------------------------------------------

QString EmployeeWorkspaceStore::employeeIdFromHardwareScan(const QString &raw) const
{
    const QString t = raw.trimmed();
    if (t.isEmpty())
        return {};
    const QString id = EmployeeIdentity::payloadId(EmployeeIdentity::parseEmployeePayload(t));
    if (!id.isEmpty())
        return id;
    const QString exact = m_records.idByExactText(t);
    if (!exact.isEmpty())
        return exact;
    return employeeIdFromRfid(t);
}

QString EmployeeWorkspaceStore::employeeIdFromRfid(const QString &uid, const QString &tagText) const
{
    const QString u = normalizeRfidUid(uid);
    const QString tag = tagText.trimmed();
    if (!tag.isEmpty() && tag.contains(u'|')) {
        // The staff page writes "id|name" onto the card.
        const QString candidate = tag.section(u'|', 0, 0).trimmed();
        if (m_records.contains(candidate))
            return candidate;
    }
    return m_records.idByCard(u);
}

QString EmployeeWorkspaceStore::employeeNameById(const QString &employeeId, const QString &fallback) const
{
    return m_records.nameById(employeeId, fallback);
}

bool EmployeeWorkspaceStore::processHardwareScan(const QString &raw)
{
    return processHardwareScanWithContext(raw, {});
}

bool EmployeeWorkspaceStore::processHardwareScanWithContext(const QString &raw, const QVariantMap &context)
{
    const QString t = raw.trimmed();
    if (t.isEmpty())
        return false;
    QVariantMap payload = EmployeeIdentity::parseEmployeePayload(t);
    QString id = EmployeeIdentity::payloadId(payload);
    if (id.isEmpty())
        id = m_records.idByExactText(t);
    if (id.isEmpty()) {
        const QString u = normalizeRfidUid(t);
        if (!m_records.idByCard(u).isEmpty())
            return processRfidCardWithContext(u, QString(), raw, context);
        return false;
    }
    const QString mode = m_settings ? m_settings->employeeInoutMode() : QStringLiteral("rfid");
    payload.insert(QStringLiteral("emp_id"), id);
    payload.insert(QStringLiteral("employee_id"), id);
    payload.insert(QStringLiteral("id"), id);
    payload.insert(QStringLiteral("inout_mode"), mode);
    for (auto it = context.cbegin(); it != context.cend(); ++it) {
        const QString key = it.key().trimmed();
        const QVariant value = it.value();
        if (key.isEmpty() || !value.isValid() || value.isNull())
            continue;
        if (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty())
            continue;
        payload.insert(key, value);
    }
    return sendEmployeeEvent(QStringLiteral("employee_qr_scan"), payload,
                             QStringLiteral("Сотрудники: QR сотрудника обработан"));
}

bool EmployeeWorkspaceStore::processRfidCard(const QString &uid, const QString &tagText, const QString &raw)
{
    return processRfidCardWithContext(uid, tagText, raw, {});
}

bool EmployeeWorkspaceStore::processRfidCardWithContext(const QString &uid, const QString &tagText,
                                                        const QString &raw, const QVariantMap &)
{
    const QString u = normalizeRfidUid(uid);
    if (u.isEmpty())
        return false;
    QVariantMap payload{{QStringLiteral("uid"), u}, {QStringLiteral("inout_mode"), QStringLiteral("rfid")}};
    const QString tag = tagText.trimmed().isEmpty() ? raw.trimmed() : tagText.trimmed();
    if (!tag.isEmpty())
        payload.insert(QStringLiteral("tag_text"), tag);
    // The server resolves the card; a card unknown here may be known there.
    return sendEmployeeEvent(QStringLiteral("rfid_inout"), payload, QStringLiteral("Сотрудники: RFID обработан"));
}

// ---- Active cutters -------------------------------------------------------------------

void EmployeeWorkspaceStore::rememberActiveCutterForWorkplace(const QString &workplaceId, const QString &employeeId,
                                                              const QVariantMap &context)
{
    const QString eid = employeeId.trimmed();
    if (eid.isEmpty())
        return;
    QString key = normalizeWorkplaceKey(workplaceId);
    if (key.isEmpty())
        key = normalizeWorkplaceKey(variantFirstText(context, {"workplace_id", "workplaceId", "cutter_key", "cutterKey"}));
    if (key.isEmpty())
        return;

    const QDateTime stamp = now();
    const QString name = employeeNameById(eid, eid);
    QString label = variantFirstText(context, {"cutter_label", "cutterLabel", "workplace_label", "workplaceLabel"});
    if (label.isEmpty())
        label = workplaceLabelForKey(key);
    const QString scanner = variantFirstText(context, {"scanner_id", "scannerId"});

    QVariantMap entry{
        {QStringLiteral("emp_id"), eid}, {QStringLiteral("employee_id"), eid}, {QStringLiteral("id"), eid},
        {QStringLiteral("name"), name}, {QStringLiteral("reason"), QStringLiteral("qr")},
        {QStringLiteral("ts"), stamp.toString(Qt::ISODate)},
        {QStringLiteral("workplaceId"), key}, {QStringLiteral("cutter_key"), key}, {QStringLiteral("cutterKey"), key},
    };
    if (!label.isEmpty()) {
        for (const char *labelKey : {"cutterLabel", "cutter_label", "workplaceLabel", "workplace_label"})
            entry.insert(QLatin1String(labelKey), label);
    }
    if (!scanner.isEmpty()) {
        entry.insert(QStringLiteral("scannerId"), scanner);
        entry.insert(QStringLiteral("scanner_id"), scanner);
    }
    m_active.cutters.insert(key, entry);
    // The PC-wide state follows the last scan.
    m_active.employeeId = m_active.cutterId = eid;
    m_active.employeeName = m_active.cutterName = name;
    m_active.employeeReason = QStringLiteral("qr");
    m_active.employeeSince = m_active.cutterSince = stamp;
    rebuild();
    saveCache();
}

QString EmployeeWorkspaceStore::activeCutterIdForWorkplace(const QString &workplaceId) const
{
    const QString key = normalizeWorkplaceKey(workplaceId);
    if (!key.isEmpty() && m_active.cutters.contains(key)) {
        const QString id = ActiveStaffState::entryEmployeeId(m_active.cutters.value(key));
        if (!id.isEmpty())
            return id;
    }
    return activeCutterId();
}

QString EmployeeWorkspaceStore::activeCutterNameForWorkplace(const QString &workplaceId) const
{
    const QString key = normalizeWorkplaceKey(workplaceId);
    if (!key.isEmpty() && m_active.cutters.contains(key)) {
        const QVariant entry = m_active.cutters.value(key);
        QString name;
        if (entry.typeId() == QMetaType::QVariantMap)
            name = variantFirstText(entry.toMap(), {"employee_name", "name"});
        const QString id = ActiveStaffState::entryEmployeeId(entry);
        if (name.isEmpty() && !id.isEmpty())
            name = employeeNameById(id, id);
        if (!name.isEmpty())
            return name;
    }
    return activeCutterName();
}

void EmployeeWorkspaceStore::checkIdleTimeout()
{
    if (m_timeoutGuard || !m_active.cutterIdle(now()))
        return;
    m_timeoutGuard = true;
    const QString id = m_active.cutterId.trimmed();
    const QString name = employeeNameById(id, kDash);
    m_active.clear();
    rebuild();
    saveCache();
    sendEmployeeEvent(QStringLiteral("archive_event"),
                      {{QStringLiteral("type"), QStringLiteral("idle_timeout")},
                       {QStringLiteral("target_state"), QStringLiteral("all")},
                       {QStringLiteral("emp_id"), id},
                       {QStringLiteral("id"), id},
                       {QStringLiteral("name"), name},
                       {QStringLiteral("reason"), QStringLiteral("timeout_3h")}},
                      QStringLiteral("Сотрудники: активный сотрудник сброшен по таймауту"));
    m_timeoutGuard = false;
}

// ---- Server traffic -------------------------------------------------------------------

QUrl EmployeeWorkspaceStore::eventUrl()
{
    const QUrl url = resolveEndpointUrl(m_settings, m_settings->eventEndpoint());
    if (!url.isValid() || url.isEmpty() || url.isRelative()) {
        setStatus(kNoEventApi);
        return {};
    }
    return url;
}

QNetworkReply *EmployeeWorkspaceStore::postEvent(const QUrl &url, const QJsonObject &body)
{
    QNetworkRequest request(url);
    applyRequestHeaders(request, m_settings, true);
    ++m_requestsInFlight;
    Q_EMIT changed();
    return m_network->post(request, compactJson(body));
}

void EmployeeWorkspaceStore::requestFinished()
{
    m_requestsInFlight = qMax(0, m_requestsInFlight - 1);
}

bool EmployeeWorkspaceStore::sendEmployeeEvent(const QString &eventType, const QVariantMap &payload,
                                               const QString &okMessage)
{
    if (!m_settings)
        return false;
    const QUrl url = eventUrl();
    if (url.isEmpty())
        return false;
    const QString type = eventType.trimmed();
    const QJsonObject body = clientEventEnvelope(m_settings, type, QJsonObject::fromVariantMap(payload));
    QNetworkReply *reply = postEvent(url, body);
    handleServerReply(reply, this, m_settings, [this, type, payload, okMessage](const ServerReply &r) {
        handleEventReply(type, payload, okMessage, r);
        sendPendingList();
    }, {kRequestTimeoutMs});
    return true;
}

void EmployeeWorkspaceStore::handleEventReply(const QString &eventType, const QVariantMap &payload,
                                              const QString &okMessage, const ServerReply &r)
{
    requestFinished();
    if (r.networkFailed()) {
        report(QStringLiteral("Сотрудники: событие %1 не отправилось (%2)")
                   .arg(eventType, describeNetworkError(r.errorText)), false);
        return;
    }
    if (!r.isObject) {
        report(QStringLiteral("Сотрудники: ответ сервера невалиден"), false);
        return;
    }
    QString message;
    if (!applyServerReply(r.object, r.httpStatus, &message)) {
        report(QStringLiteral("Сотрудники: событие отклонено (%1)").arg(message), false);
        return;
    }
    const QVariantMap result = StaffParsing::jsonToMap(r.object.value(QStringLiteral("result")));
    const QString action = EmployeeEventText::action(result);
    QString name;
    if (eventType == u"employee_qr_scan") {
        const QString id = variantFirstText(payload, {"employee_id", "id"});
        name = employeeNameById(id, variantToText(payload.value(QStringLiteral("emp_id"))));
        if (action == u"active" || action.isEmpty()) {
            const QString workplace = variantFirstText(payload, {"workplace_id", "workplaceId", "cutter_key", "cutterKey"});
            rememberActiveCutterForWorkplace(workplace, id, payload);
        }
    } else if (eventType == u"rfid_inout") {
        const QJsonObject snapshot = r.object.value(QStringLiteral("snapshot")).toObject();
        const QVariantList attendance = StaffParsing::jsonToList(snapshot.value(QStringLiteral("attendance")));
        if (!attendance.isEmpty()) {
            const QVariantMap last = attendance.constLast().toMap();
            name = variantFirstText(last, {"name", "id", "employee_id"});
        }
        if (name.isEmpty())
            name = variantToText(payload.value(QStringLiteral("uid")));
    }
    QString status = EmployeeEventText::describeEventResult(eventType, result, name);
    if (status.isEmpty())
        status = okMessage.isEmpty() ? QStringLiteral("Сотрудники: событие обработано") : okMessage;
    setStatus(status);
    if (m_journal) {
        if (action == u"not_found")
            m_journal->addWarn(status);
        else if (action == u"in" || action == u"out" || action == u"active")
            m_journal->addSuccess(status);
        else
            m_journal->addInfo(status);
    }
}

bool EmployeeWorkspaceStore::applyServerReply(const QJsonObject &object, int httpStatus, QString *message)
{
    // The service block was already judged where the reply was read (the request
    // helpers, or the snapshot sync for snapshot roots); here only the verdict counts.
    QString rejection;
    if (!replySucceeded(object, &rejection) || httpStatus >= 400) {
        if (rejection.isEmpty())
            rejection = QStringLiteral("HTTP %1").arg(httpStatus);
        if (message)
            *message = rejection;
        return false;
    }
    m_queue.cancelPending();
    applyStaffReply(PreparedStaff::read(object));
    if (message)
        message->clear();
    return true;
}

void EmployeeWorkspaceStore::applyStaffReply(const PreparedStaff &prepared)
{
    const StaffReply &staff = prepared.staff;
    const QVariantMap &ae = staff.activeEmployee;
    const QString employeeId = variantFirstText(ae, {"emp_id", "id"});
    m_active.employeeName = variantToText(ae.value(QStringLiteral("name")));
    if (m_active.employeeName.isEmpty() && !employeeId.isEmpty())
        m_active.employeeName = employeeNameById(employeeId, kDash);
    m_active.employeeSince = StaffParsing::parseDateTime(variantFirstText(ae, {"ts", "updated_at"}));

    const QVariantMap &ac = staff.activeCutter;
    m_active.cutterId = variantFirstText(ac, {"emp_id", "id"});
    m_active.cutterName = variantToText(ac.value(QStringLiteral("name")));
    if (m_active.cutterName.isEmpty() && !m_active.cutterId.isEmpty())
        m_active.cutterName = employeeNameById(m_active.cutterId, kDash);
    m_active.cutterSince = StaffParsing::parseDateTime(variantFirstText(ac, {"ts", "updated_at"}));
    if (m_active.cutterId.isEmpty()) {
        m_active.cutterId = employeeId;
        m_active.cutterName = m_active.employeeName;
        m_active.cutterSince = m_active.employeeSince;
    }
    m_active.employeeReason = variantToText(ac.value(QStringLiteral("reason")));
    if (m_active.employeeReason.isEmpty())
        m_active.employeeReason = variantFirstText(ae, {"reason", "state"});
    if (!m_active.cutterSince.isValid())
        m_active.cutterSince = m_active.employeeSince;
    if (staff.hasActiveCutters)
        m_active.cutters = staff.activeCutters;

    applyServerLists(staff.employees, staff.schedule, prepared.attendance.value_or(m_days.timedAttendance()),
                     prepared.archive.value_or(m_days.timedArchive()), employeeId, m_active.cutterId);
}

void EmployeeWorkspaceStore::applyServerSnapshot(const QVariantList &employees, const QVariantMap &schedule,
                                                 const QVariantList &attendance, const QVariantList &archive,
                                                 const QString &activeEmployeeId, const QString &activeCutterId)
{
    applyServerLists(employees, schedule, AttendanceArchiveViews::readAttendance(attendance),
                     AttendanceArchiveViews::readArchive(archive), activeEmployeeId, activeCutterId);
}

void EmployeeWorkspaceStore::applyServerLists(const QVariantList &employees, const QVariantMap &schedule,
                                              AttendanceArchiveViews::TimedList attendance,
                                              AttendanceArchiveViews::TimedList archive,
                                              const QString &activeEmployeeId, const QString &activeCutterId)
{
    // Edits not sent yet are newer than whatever the server holds.
    if (!m_listPending) {
        m_records.merge(employees);
        m_schedule.replace(schedule);
    }
    std::pair replaced{m_days.timedAttendance(), m_days.timedArchive()};
    m_days.setLists(std::move(attendance), std::move(archive));
    m_queue.dispose(std::move(replaced));
    m_active.employeeId = activeEmployeeId.trimmed();
    if (!activeCutterId.trimmed().isEmpty())
        m_active.cutterId = activeCutterId.trimmed();
    rebuild();
    saveCache();
}

bool EmployeeWorkspaceStore::applySnapshotRoot(const QJsonObject &root)
{
    QString message;
    const bool ok = applyServerReply(root, 200, &message);
    setStatus(ok ? QStringLiteral("Сотрудники: синхронизация применена")
                 : QStringLiteral("Сотрудники: синхронизация не применена: %1").arg(describeServerStatus(message)));
    return ok;
}

void EmployeeWorkspaceStore::applySnapshotRootInBackground(const QJsonObject &root)
{
    QString rejection;
    if (!replySucceeded(root, &rejection)) {
        applySnapshotRoot(root); // says why, as a direct apply does
        return;
    }
    m_queue.cancelPending();
    m_queue.submit<PreparedStaff>([root] { return PreparedStaff::read(root); },
                                  [this](PreparedStaff prepared) {
                                      applyStaffReply(prepared);
                                      setStatus(QStringLiteral("Сотрудники: синхронизация применена"));
                                  });
}

bool EmployeeWorkspaceStore::pushEmployees(const QString &okMessage)
{
    if (!m_settings)
        return false;
    const QUrl url = eventUrl();
    if (url.isEmpty())
        return false;
    // One request at a time; the list goes out whole once the open one is answered.
    if (busy()) {
        m_listPending = true;
        m_pendingListMessage = okMessage;
        return false;
    }
    m_listPending = false;
    saveCache();
    const QJsonArray list = QJsonArray::fromVariantList(m_records.list());
    const QJsonObject fields{
        {QStringLiteral("employees"), list},
        {QStringLiteral("staff"), list},
        {QStringLiteral("items"), list},
        {QStringLiteral("schedule"), QJsonObject::fromVariantMap(m_schedule.cleaned())},
    };
    QJsonObject body = clientEventEnvelope(m_settings, QStringLiteral("employees_replace"), fields);
    body.insert(QStringLiteral("type"), QStringLiteral("employees_replace"));
    QNetworkReply *reply = postEvent(url, body);
    handleServerReply(reply, this, m_settings, [this, okMessage](const ServerReply &r) {
        requestFinished();
        if (r.networkFailed()) {
            // The server is not reachable: the next edit sends the whole list again.
            m_listPending = false;
            report(QStringLiteral("Сотрудники: сервер не принял изменения (%1)").arg(describeNetworkError(r.errorText)), false);
            return;
        }
        if (!r.isObject) {
            report(QStringLiteral("Сотрудники: ответ сервера невалиден"), false);
            sendPendingList();
            return;
        }
        QString message;
        if (!applyServerReply(r.object, r.httpStatus, &message)) {
            report(QStringLiteral("Сотрудники: изменения отклонены (%1)").arg(message), false);
            sendPendingList();
            return;
        }
        saveCache();
        setStatus(okMessage.isEmpty() ? QStringLiteral("Сотрудники: изменения сохранены") : okMessage);
        if (m_journal)
            m_journal->addInfo(m_lastStatus);
        sendPendingList();
    }, {kRequestTimeoutMs});
    return true;
}

void EmployeeWorkspaceStore::sendPendingList()
{
    if (m_listPending && !busy())
        pushEmployees(m_pendingListMessage);
}

// ---- List edits ---------------------------------------------------------------------

bool EmployeeWorkspaceStore::addEmployee(const QString &name, const QString &employeeId, const QString &role,
                                         const QString &rfidUid, const QString &defaultShift, const QString &rfidData)
{
    const QString n = name.trimmed();
    if (n.isEmpty()) {
        setStatus(QStringLiteral("Сотрудники: имя обязательно"));
        return false;
    }
    const QString id = m_records.makeUniqueEmployeeId(employeeId);
    const int order = m_records.size();
    m_records.append(QVariantMap{
        {QStringLiteral("id"), id},
        {QStringLiteral("employee_id"), id},
        {QStringLiteral("name"), n},
        {QStringLiteral("role"), role.trimmed()},
        {QStringLiteral("rfid_uid"), rfidUid.trimmed()},
        {QStringLiteral("default_shift"), defaultShift.trimmed()},
        {QStringLiteral("rfid_data"), rfidData.trimmed()},
        {QStringLiteral("rfidData"), rfidData.trimmed()},
        {QStringLiteral("sort_order"), order},
    });
    m_selectedEmployeeId = id;
    rebuild();
    return pushEmployees(QStringLiteral("Сотрудники: создан %1").arg(n));
}

bool EmployeeWorkspaceStore::updateEmployee(const QString &employeeId, const QString &name, const QString &role,
                                            const QString &rfidUid, const QString &defaultShift,
                                            const QString &rfidData)
{
    const QString id = employeeId.trimmed();
    const int index = m_records.indexOf(id);
    if (index < 0) {
        setStatus(kNotFound);
        return false;
    }
    QVariantMap record = m_records.list().at(index).toMap();
    record.insert(QStringLiteral("id"), id);
    record.insert(QStringLiteral("employee_id"), id);
    if (!name.trimmed().isEmpty())
        record.insert(QStringLiteral("name"), name.trimmed());
    record.insert(QStringLiteral("role"), role.trimmed());
    record.insert(QStringLiteral("rfid_uid"), rfidUid.trimmed());
    record.insert(QStringLiteral("default_shift"), defaultShift.trimmed());
    record.insert(QStringLiteral("rfid_data"), rfidData.trimmed());
    record.insert(QStringLiteral("rfidData"), rfidData.trimmed());
    m_records.replaceAt(index, record);
    rebuild();
    return pushEmployees(QStringLiteral("Сотрудники: карточка обновлена"));
}

bool EmployeeWorkspaceStore::removeEmployee(const QString &employeeId)
{
    const QString id = employeeId.trimmed();
    const int index = m_records.indexOf(id);
    if (index < 0) {
        setStatus(kNotFound);
        return false;
    }
    const QString name = variantToText(m_records.list().at(index).toMap().value(QStringLiteral("name")));
    m_records.removeAt(index);
    m_schedule.removeEmployee(id);
    if (m_active.employeeId.trimmed() == id)
        m_active.employeeId.clear();
    if (m_active.cutterId.trimmed() == id)
        m_active.cutterId.clear();
    if (m_selectedEmployeeId == id)
        m_selectedEmployeeId.clear();
    rebuild();
    return pushEmployees(QStringLiteral("Сотрудники: удалён %1").arg(name.isEmpty() ? id : name));
}

// ---- Schedule edits -------------------------------------------------------------------

bool EmployeeWorkspaceStore::editSchedule(const std::function<bool()> &edit, const QString &okMessage)
{
    if (m_selectedEmployeeId.isEmpty()) {
        setStatus(kSelectFirst);
        return false;
    }
    if (!edit())
        return false;
    rebuild();
    return pushEmployees(okMessage);
}

bool EmployeeWorkspaceStore::setScheduleValue(int day, const QString &value)
{
    return editSchedule([&] {
        if (day < 1 || day > m_schedule.daysInMonth()) {
            setStatus(QStringLiteral("Сотрудники: день вне диапазона"));
            return false;
        }
        return m_schedule.setValue(m_selectedEmployeeId, day, value);
    }, QStringLiteral("Сотрудники: график сохранён"));
}

bool EmployeeWorkspaceStore::fillEmptyDefault(const QString &defaultShift)
{
    return editSchedule([&] {
        QString shift = defaultShift.trimmed();
        if (shift.isEmpty())
            shift = variantToText(m_records.record(m_selectedEmployeeId).value(QStringLiteral("default_shift")));
        if (shift.isEmpty())
            shift = WorkSchedule::kDefaultShift;
        m_schedule.fillEmpty(m_selectedEmployeeId, shift);
        return true;
    }, QStringLiteral("Сотрудники: пустые смены заполнены"));
}

bool EmployeeWorkspaceStore::fillWeekendsOff()
{
    return editSchedule([&] {
        m_schedule.fillWeekendsOff(m_selectedEmployeeId);
        return true;
    }, QStringLiteral("Сотрудники: выходные заполнены как ВЫХ"));
}

bool EmployeeWorkspaceStore::clearSelectedMonth()
{
    return editSchedule([&] {
        m_schedule.clearMonth(m_selectedEmployeeId);
        return true;
    }, QStringLiteral("Сотрудники: месяц очищен"));
}

// ---- Badge and portal -----------------------------------------------------------------

QString EmployeeWorkspaceStore::makeEmployeeQrPayload(const QString &employeeId) const
{
    QString id = employeeId.trimmed();
    if (id.isEmpty())
        id = m_selectedEmployeeId.trimmed();
    if (id.isEmpty())
        return {};
    // QJsonObject keeps its keys sorted, which is the order the badge reader expects.
    const QJsonObject object{
        {QStringLiteral("employee_id"), id},
        {QStringLiteral("id"), id},
        {QStringLiteral("kind"), QStringLiteral("emp")},
        {QStringLiteral("tenant_id"), m_settings ? m_settings->tenantId() : QStringLiteral("default")},
    };
    return compactJsonText(object);
}

QString EmployeeWorkspaceStore::selectedEmployeePortalUrl() const
{
    const QString id = m_selectedEmployeeId.trimmed();
    if (!m_settings || id.isEmpty())
        return {};
    QString base = m_settings->serverLink(QStringLiteral("employee_portal_url"));
    if (base.trimmed().isEmpty())
        base = m_settings->serverLink(QStringLiteral("staff_url"));
    if (base.trimmed().isEmpty())
        return {};
    QUrl url(base, QUrl::StrictMode);
    if (!url.isValid())
        return base;
    if (url.hasQuery()) {
        QUrlQuery query(url);
        query.removeAllQueryItems(QStringLiteral("employee_id"));
        query.addQueryItem(QStringLiteral("employee_id"), id);
        url.setQuery(query);
    } else {
        QString path = url.path();
        if (!path.endsWith(u'/'))
            path.append(u'/');
        url.setPath(path + QString::fromLatin1(QUrl::toPercentEncoding(id)), QUrl::TolerantMode);
    }
    return url.toString();
}
