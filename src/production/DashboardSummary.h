#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <functional>

class AppSettings;
class EmployeeWorkspaceStore;
class Journal;
class PrintArchiveStore;
class RealtimeIssuesService;

// The figures of the home page as ready-made texts: who works, what was printed
// today and this month against the previous period, open bugs and defects, the
// state of the local configuration, the marketplaces of the day and the latest
// prints. Nothing is computed on the server's behalf; every change of a source
// recomputes the lot. Context property "dashboard".
class DashboardSummary : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString activeValue READ activeValue NOTIFY changed)
    Q_PROPERTY(QString activeMeta READ activeMeta NOTIFY changed)
    Q_PROPERTY(QString scansValue READ scansValue NOTIFY changed)
    Q_PROPERTY(QString scansDelta READ scansDelta NOTIFY changed)
    Q_PROPERTY(QString areaValue READ areaValue NOTIFY changed)
    Q_PROPERTY(QString areaDelta READ areaDelta NOTIFY changed)
    Q_PROPERTY(QString monthAreaValue READ monthAreaValue NOTIFY changed)
    Q_PROPERTY(QString monthAreaDelta READ monthAreaDelta NOTIFY changed)
    Q_PROPERTY(QString bugsValue READ bugsValue NOTIFY changed)
    Q_PROPERTY(QString bugsDelta READ bugsDelta NOTIFY changed)
    Q_PROPERTY(QString defectsValue READ defectsValue NOTIFY changed)
    Q_PROPERTY(QString defectsDelta READ defectsDelta NOTIFY changed)
    Q_PROPERTY(QString scannerStatus READ scannerStatus NOTIFY changed)
    Q_PROPERTY(QString gsStatus READ gsStatus NOTIFY changed)
    Q_PROPERTY(QString warehouseStatus READ warehouseStatus NOTIFY changed)
    Q_PROPERTY(QString scriptsStatus READ scriptsStatus NOTIFY changed)
    Q_PROPERTY(QVariantList marketplaceSummary READ marketplaceSummary NOTIFY changed)
    Q_PROPERTY(QVariantList recentPrinted READ recentPrinted NOTIFY changed)

public:
    // Prints listed in recentPrinted.
    static constexpr int kRecentCount = 20;

    // Every source may be null; its figures then read as having no data. The
    // figures are texts on screen, never journal lines, so the journal is not kept.
    DashboardSummary(AppSettings *settings, Journal *eventLog, PrintArchiveStore *printArchive,
                     EmployeeWorkspaceStore *employeeWorkspace, RealtimeIssuesService *issues,
                     QObject *parent = nullptr);

    QString activeValue() const { return text(Field::ActiveValue); }
    QString activeMeta() const { return text(Field::ActiveMeta); }
    QString scansValue() const { return text(Field::ScansValue); }
    QString scansDelta() const { return text(Field::ScansDelta); }
    QString areaValue() const { return text(Field::AreaValue); }
    QString areaDelta() const { return text(Field::AreaDelta); }
    QString monthAreaValue() const { return text(Field::MonthAreaValue); }
    QString monthAreaDelta() const { return text(Field::MonthAreaDelta); }
    QString bugsValue() const { return text(Field::BugsValue); }
    QString bugsDelta() const { return text(Field::BugsDelta); }
    QString defectsValue() const { return text(Field::DefectsValue); }
    QString defectsDelta() const { return text(Field::DefectsDelta); }
    QString scannerStatus() const { return text(Field::ScannerStatus); }
    QString gsStatus() const { return text(Field::GsStatus); }
    QString warehouseStatus() const { return text(Field::WarehouseStatus); }
    QString scriptsStatus() const { return text(Field::ScriptsStatus); }
    QVariantList marketplaceSummary() const { return m_state.value(QStringLiteral("marketplaceSummary")).toList(); }
    QVariantList recentPrinted() const { return m_state.value(QStringLiteral("recentPrinted")).toList(); }

    // Test hook: the local time that decides "today" when the figures are
    // counted from the archive events because the server sent no statistics.
    using Clock = std::function<QDateTime()>;
    void setClock(Clock clock) { m_clock = std::move(clock); }

    Q_INVOKABLE void refresh();

Q_SIGNALS:
    void changed();

private:
    enum class Field {
        ActiveValue, ActiveMeta, ScansValue, ScansDelta, AreaValue, AreaDelta, MonthAreaValue,
        MonthAreaDelta, BugsValue, BugsDelta, DefectsValue, DefectsDelta, ScannerStatus, GsStatus,
        WarehouseStatus, ScriptsStatus,
    };

    QString text(Field field) const;
    QDateTime now() const;
    void putStaff(QVariantMap &state) const;
    void putPrints(QVariantMap &state) const;
    void putIssues(QVariantMap &state) const;
    void putConfiguration(QVariantMap &state) const;

    QPointer<AppSettings> m_settings;
    QPointer<PrintArchiveStore> m_printArchive;
    QPointer<EmployeeWorkspaceStore> m_employeeWorkspace;
    QPointer<RealtimeIssuesService> m_issues;
    Clock m_clock;
    // Every property by name; a refresh that changes nothing emits nothing.
    QVariantMap m_state;
};
