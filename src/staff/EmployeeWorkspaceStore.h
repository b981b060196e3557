#pragma once

#include "common/BackgroundQueue.h"
#include "staff/ActiveStaffState.h"
#include "staff/AttendanceArchiveViews.h"
#include "staff/EmployeeRecords.h"
#include "staff/WorkSchedule.h"

#include <QDateTime>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantList>
#include <QVariantMap>

#include <functional>

class AppSettings;
class Journal;
class QNetworkAccessManager;
class QNetworkReply;
class QUrl;
struct ServerReply;
struct StaffReply;

// The staff backend: the employee list and its edits (sent whole as
// "employees_replace"), recognition of badges, plain ids and RFID cards (posted as
// "employee_qr_scan" / "rfid_inout"; the server decides arrival, departure or
// activation), the active employee and cutters with the three-hour idle reset,
// the work schedule and the attendance and shift-archive views.
class EmployeeWorkspaceStore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariantList employees READ employees NOTIFY changed)
    Q_PROPERTY(int employeeTotal READ employeeTotal NOTIFY changed)
    Q_PROPERTY(int employeeActive READ employeeActive NOTIFY changed)
    Q_PROPERTY(QString activeEmployeeName READ activeEmployeeName NOTIFY changed)
    Q_PROPERTY(QString activeEmployeeId READ activeEmployeeId NOTIFY changed)
    Q_PROPERTY(QString activeCutterName READ activeCutterName NOTIFY changed)
    Q_PROPERTY(QString activeCutterId READ activeCutterId NOTIFY changed)
    Q_PROPERTY(QVariantMap activeCutters READ activeCutters NOTIFY changed)
    Q_PROPERTY(QString activeEmployeeReason READ activeEmployeeReason NOTIFY changed)
    Q_PROPERTY(QString activeEmployeeSinceText READ activeEmployeeSinceText NOTIFY changed)
    Q_PROPERTY(bool activeEmployeeTimedOut READ activeEmployeeTimedOut NOTIFY changed)
    Q_PROPERTY(QString selectedEmployeeId READ selectedEmployeeId WRITE setSelectedEmployeeId NOTIFY changed)
    Q_PROPERTY(QVariantMap selectedEmployee READ selectedEmployee NOTIFY changed)
    Q_PROPERTY(int scheduleMonth READ scheduleMonth WRITE setScheduleMonth NOTIFY changed)
    Q_PROPERTY(int scheduleYear READ scheduleYear WRITE setScheduleYear NOTIFY changed)
    Q_PROPERTY(QString scheduleMonthLabel READ scheduleMonthLabel NOTIFY changed)
    Q_PROPERTY(QVariantList scheduleDays READ scheduleDays NOTIFY changed)
    Q_PROPERTY(QString selectedMonthHoursText READ selectedMonthHoursText NOTIFY changed)
    Q_PROPERTY(QString selectedFirstHalfHoursText READ selectedFirstHalfHoursText NOTIFY changed)
    Q_PROPERTY(QString selectedSecondHalfHoursText READ selectedSecondHalfHoursText NOTIFY changed)
    Q_PROPERTY(int selectedFilledDays READ selectedFilledDays NOTIFY changed)
    Q_PROPERTY(QVariantList commonFirstHalf READ commonFirstHalf NOTIFY changed)
    Q_PROPERTY(QVariantList commonSecondHalf READ commonSecondHalf NOTIFY changed)
    Q_PROPERTY(QString commonFirstHalfSummaryText READ commonFirstHalfSummaryText NOTIFY changed)
    Q_PROPERTY(QString commonSecondHalfSummaryText READ commonSecondHalfSummaryText NOTIFY changed)
    Q_PROPERTY(QString attendanceDate READ attendanceDate WRITE setAttendanceDate NOTIFY changed)
    Q_PROPERTY(QVariantList attendanceEvents READ attendanceEvents NOTIFY changed)
    Q_PROPERTY(QVariantList attendanceAvailableDates READ attendanceAvailableDates NOTIFY changed)
    Q_PROPERTY(int attendanceInCount READ attendanceInCount NOTIFY changed)
    Q_PROPERTY(int attendanceOutCount READ attendanceOutCount NOTIFY changed)
    Q_PROPERTY(int attendanceLateCount READ attendanceLateCount NOTIFY changed)
    Q_PROPERTY(QString attendanceWorkedHoursText READ attendanceWorkedHoursText NOTIFY changed)
    Q_PROPERTY(bool attendanceOnlySelected READ attendanceOnlySelected WRITE setAttendanceOnlySelected NOTIFY changed)
    Q_PROPERTY(QString archiveDate READ archiveDate WRITE setArchiveDate NOTIFY changed)
    Q_PROPERTY(QVariantMap archiveSummary READ archiveSummary NOTIFY changed)
    Q_PROPERTY(QVariantList archiveEvents READ archiveEvents NOTIFY changed)
    Q_PROPERTY(int archivePrintCount READ archivePrintCount NOTIFY changed)
    Q_PROPERTY(int archiveActiveCount READ archiveActiveCount NOTIFY changed)
    Q_PROPERTY(QString archiveAreaText READ archiveAreaText NOTIFY changed)
    Q_PROPERTY(QString archiveVisitHoursText READ archiveVisitHoursText NOTIFY changed)
    Q_PROPERTY(QVariantList archiveAvailableDates READ archiveAvailableDates NOTIFY changed)
    Q_PROPERTY(bool archiveOnlySelected READ archiveOnlySelected WRITE setArchiveOnlySelected NOTIFY changed)
    Q_PROPERTY(QString selectedAttendanceSummaryText READ selectedAttendanceSummaryText NOTIFY changed)
    Q_PROPERTY(QString selectedArchiveSummaryText READ selectedArchiveSummaryText NOTIFY changed)
    Q_PROPERTY(QString lastStatus READ lastStatus NOTIFY changed)
    Q_PROPERTY(bool busy READ busy NOTIFY changed)

public:
    static constexpr int kIdleCheckMs = 15000;
    static constexpr int kRequestTimeoutMs = 20000;

    // Both pointers may be null; without settings nothing is sent or cached.
    explicit EmployeeWorkspaceStore(AppSettings *settings, Journal *journal = nullptr,
                                    QObject *parent = nullptr);
    ~EmployeeWorkspaceStore() override;

    QVariantList employees() const { return m_view; }
    int employeeTotal() const { return m_view.size(); }
    int employeeActive() const { return m_activeCount; }
    QString activeEmployeeName() const;
    QString activeEmployeeId() const;
    QString activeCutterName() const;
    QString activeCutterId() const;
    QVariantMap activeCutters() const { return m_active.cutters; }
    QString activeEmployeeReason() const;
    QString activeEmployeeSinceText() const;
    bool activeEmployeeTimedOut() const { return m_active.timedOut(now()); }
    QString selectedEmployeeId() const { return m_selectedEmployeeId; }
    QVariantMap selectedEmployee() const { return m_selectedEmployee; }

    int scheduleMonth() const { return m_schedule.month(); }
    int scheduleYear() const { return m_schedule.year(); }
    QString scheduleMonthLabel() const { return m_schedule.monthLabel(); }
    QVariantList scheduleDays() const { return m_scheduleDays; }
    QString selectedMonthHoursText() const { return m_monthHoursText; }
    QString selectedFirstHalfHoursText() const { return m_firstHalfHoursText; }
    QString selectedSecondHalfHoursText() const { return m_secondHalfHoursText; }
    int selectedFilledDays() const { return m_filledDays; }
    QVariantList commonFirstHalf() const { return m_commonFirstHalf; }
    QVariantList commonSecondHalf() const { return m_commonSecondHalf; }
    QString commonFirstHalfSummaryText() const { return WorkSchedule::halfSummaryText(m_commonFirstHalf, true); }
    QString commonSecondHalfSummaryText() const { return WorkSchedule::halfSummaryText(m_commonSecondHalf, false); }

    QString attendanceDate() const { return m_days.attendanceDate(); }
    QVariantList attendanceEvents() const { return m_days.attendanceEvents(); }
    QVariantList attendanceAvailableDates() const { return m_days.attendanceAvailableDates(); }
    int attendanceInCount() const { return m_days.attendanceInCount(); }
    int attendanceOutCount() const { return m_days.attendanceOutCount(); }
    int attendanceLateCount() const { return m_days.attendanceLateCount(); }
    QString attendanceWorkedHoursText() const { return m_days.attendanceWorkedHoursText(); }
    bool attendanceOnlySelected() const { return m_days.attendanceOnlySelected(); }
    QString archiveDate() const { return m_days.archiveDate(); }
    QVariantMap archiveSummary() const { return m_days.archiveSummary(); }
    QVariantList archiveEvents() const { return m_days.archiveEvents(); }
    int archivePrintCount() const { return m_days.archivePrintCount(); }
    int archiveActiveCount() const { return m_days.archiveActiveCount(); }
    QString archiveAreaText() const { return m_days.archiveAreaText(); }
    QString archiveVisitHoursText() const { return m_days.archiveVisitHoursText(); }
    QVariantList archiveAvailableDates() const { return m_days.archiveAvailableDates(); }
    bool archiveOnlySelected() const { return m_days.archiveOnlySelected(); }
    QString selectedAttendanceSummaryText() const { return m_days.selectedAttendanceSummaryText(); }
    QString selectedArchiveSummaryText() const { return m_days.selectedArchiveSummaryText(); }

    QString lastStatus() const { return m_lastStatus; }
    bool busy() const { return m_requestsInFlight > 0; }

    // The records as stored, the schedule map and the cache file's path.
    const QVariantList &records() const { return m_records.list(); }
    QVariantMap schedule() const { return m_schedule.map(); }
    QString cachePath() const;

    // Test hooks: the wall clock the three-hour rule reads, the idle check period
    // and the random source of new ids.
    using Clock = std::function<QDateTime()>;
    void setClock(Clock clock);
    void setIdleCheckInterval(int ms);
    int idleCheckInterval() const { return m_idleTimer.interval(); }
    bool idleCheckRunning() const { return m_idleTimer.isActive(); }
    void setRandomSource(EmployeeRecords::RandomSource source) { m_records.setRandomSource(std::move(source)); }

    static QString normalizeRfidUid(const QString &text);
    static QString normalizeWorkplaceKey(const QString &text);
    static QString workplaceLabelForKey(const QString &key);

public Q_SLOTS:
    void setSelectedEmployeeId(const QString &value);
    void setScheduleMonth(int month);
    void setScheduleYear(int year);
    void setAttendanceDate(const QString &value);
    void setAttendanceOnlySelected(bool value);
    void setArchiveDate(const QString &value);
    void setArchiveOnlySelected(bool value);
    // The idle check the timer runs.
    void checkIdleTimeout();

public:
    Q_INVOKABLE void refresh();
    Q_INVOKABLE void load();
    Q_INVOKABLE void applyServerSnapshot(const QVariantList &employees, const QVariantMap &schedule,
                                         const QVariantList &attendance, const QVariantList &archive,
                                         const QString &activeEmployeeId = QString(),
                                         const QString &activeCutterId = QString());
    Q_INVOKABLE void shiftArchiveDate(int days);
    Q_INVOKABLE void shiftArchiveDateByAvailable(int step);
    Q_INVOKABLE void shiftAttendanceDateByAvailable(int step);
    Q_INVOKABLE bool addEmployee(const QString &name, const QString &employeeId = QString(),
                                 const QString &role = QString(), const QString &rfidUid = QString(),
                                 const QString &defaultShift = QString(), const QString &rfidData = QString());
    Q_INVOKABLE bool updateEmployee(const QString &employeeId, const QString &name, const QString &role,
                                    const QString &rfidUid = QString(), const QString &defaultShift = QString(),
                                    const QString &rfidData = QString());
    Q_INVOKABLE bool removeEmployee(const QString &employeeId);
    Q_INVOKABLE bool setScheduleValue(int day, const QString &value);
    Q_INVOKABLE bool fillEmptyDefault(const QString &defaultShift);
    Q_INVOKABLE bool fillWeekendsOff();
    Q_INVOKABLE bool clearSelectedMonth();
    Q_INVOKABLE QString makeEmployeeQrPayload(const QString &employeeId = QString()) const;
    Q_INVOKABLE QString selectedEmployeePortalUrl() const;
    Q_INVOKABLE bool processHardwareScan(const QString &raw);
    Q_INVOKABLE bool processHardwareScanWithContext(const QString &raw, const QVariantMap &context);
    Q_INVOKABLE bool processRfidCard(const QString &uid, const QString &tagText = QString(),
                                     const QString &raw = QString());
    Q_INVOKABLE bool processRfidCardWithContext(const QString &uid, const QString &tagText = QString(),
                                                const QString &raw = QString(),
                                                const QVariantMap &context = QVariantMap());
    Q_INVOKABLE QString employeeIdFromHardwareScan(const QString &raw) const;
    Q_INVOKABLE QString employeeIdFromRfid(const QString &uid, const QString &tagText = QString()) const;
    Q_INVOKABLE QString employeeNameById(const QString &employeeId, const QString &fallback = QString()) const;
    Q_INVOKABLE void rememberActiveCutterForWorkplace(const QString &workplaceId, const QString &employeeId,
                                                      const QVariantMap &context = QVariantMap());
    Q_INVOKABLE QString activeCutterIdForWorkplace(const QString &workplaceId) const;
    Q_INVOKABLE QString activeCutterNameForWorkplace(const QString &workplaceId) const;
    Q_INVOKABLE bool applySnapshotRoot(const QJsonObject &root);
    // The same, with the staff lists read on a background thread and applied here a
    // moment later (the snapshot poll's way in). Any later apply makes a pending one stale.
    void applySnapshotRootInBackground(const QJsonObject &root);
    bool applyPending() const { return m_queue.busy(); }

    // Applies the staff keys of a reply or snapshot; false with message when the
    // reply is a rejection.
    bool applyServerReply(const QJsonObject &object, int httpStatus, QString *message = nullptr);

Q_SIGNALS:
    void changed();

private:
    struct PreparedStaff;
    void applyStaffReply(const PreparedStaff &prepared);
    void applyServerLists(const QVariantList &employees, const QVariantMap &schedule,
                          AttendanceArchiveViews::TimedList attendance, AttendanceArchiveViews::TimedList archive,
                          const QString &activeEmployeeId, const QString &activeCutterId);
    QDateTime now() const;
    void applyTimerPolicy();
    void rebuild();
    void rebuildAttendance();
    void rebuildArchive();
    void saveCache() const;
    void setStatus(const QString &status);
    QUrl eventUrl();
    QNetworkReply *postEvent(const QUrl &url, const QJsonObject &body);
    void requestFinished();
    bool sendEmployeeEvent(const QString &eventType, const QVariantMap &payload, const QString &okMessage);
    void handleEventReply(const QString &eventType, const QVariantMap &payload, const QString &okMessage,
                          const ServerReply &reply);
    bool pushEmployees(const QString &okMessage);
    void sendPendingList();
    bool editSchedule(const std::function<bool()> &edit, const QString &okMessage);
    void report(const QString &message, bool success);

    AppSettings *m_settings = nullptr;
    Journal *m_journal = nullptr;
    QNetworkAccessManager *m_network = nullptr;
    QTimer m_idleTimer;
    Clock m_clock;

    EmployeeRecords m_records;
    WorkSchedule m_schedule;
    AttendanceArchiveViews m_days;
    ActiveStaffState m_active;
    bool m_timeoutGuard = false;

    QString m_selectedEmployeeId;
    QVariantMap m_selectedEmployee;
    QVariantList m_view;
    int m_activeCount = 0;
    QVariantList m_scheduleDays;
    QString m_monthHoursText;
    QString m_firstHalfHoursText;
    QString m_secondHalfHoursText;
    int m_filledDays = 0;
    QVariantList m_commonFirstHalf;
    QVariantList m_commonSecondHalf;

    QString m_lastStatus;
    int m_requestsInFlight = 0;
    // A list edit made while a request was in flight: the local list is newer than
    // any reply until it has been sent, so replies do not merge over it.
    bool m_listPending = false;
    QString m_pendingListMessage;
    // Declared last: destroyed first, so no job outlives the members it reports to.
    BackgroundQueue m_queue;
};
