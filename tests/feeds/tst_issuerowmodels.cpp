// The issue feeds as item models: what a list view sees across snapshots.
#include "feeds/RealtimeIssuesService.h"

#include <QAbstractItemModelTester>
#include <QJsonArray>
#include <QSignalSpy>
#include <QtTest>

namespace {

QJsonObject root(int defects, int bugs, const QString &firstDefectStatus = QStringLiteral("новый"))
{
    QJsonArray defectList;
    for (int i = 1; i <= defects; ++i)
        defectList.append(QJsonObject{{"id", i},
                                      {"title", QStringLiteral("Брак %1").arg(i)},
                                      {"status", i == defects ? firstDefectStatus : QStringLiteral("новый")},
                                      {"updated_at", QStringLiteral("2026-12-01T10:%1:00Z").arg(i, 2, 10, QLatin1Char('0'))}});
    QJsonArray bugList;
    for (int i = 1; i <= bugs; ++i)
        bugList.append(QJsonObject{{"id", i}, {"title", QStringLiteral("Баг %1").arg(i)}});
    return {{"snapshot", QJsonObject{{"defects", defectList}, {"bugs", bugList}}}};
}

} // namespace

class TestIssueRowModels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void modelsFollowTheLists()
    {
        RealtimeIssuesService issues(nullptr, nullptr);
        QAbstractItemModelTester defectsTester(issues.defectsRows(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester bugsTester(issues.bugsRows(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(issues.defectsRows()->rowCount(), 0);

        for (const auto &[defects, bugs] : {std::pair{4, 2}, std::pair{6, 0}, std::pair{1, 3}, std::pair{0, 0}}) {
            issues.applySnapshotRoot(root(defects, bugs));
            QCOMPARE(issues.defectsRows()->rowCount(), issues.defectsModel().size());
            QCOMPARE(issues.bugsRows()->rowCount(), issues.bugsModel().size());
            for (int i = 0; i < issues.defectsModel().size(); ++i)
                QCOMPARE(issues.defectsRows()->data(issues.defectsRows()->index(i, 0), KeyedRowsModel::RowRole),
                         issues.defectsModel().at(i));
        }
    }

    void sameSnapshotLeavesViewsAlone()
    {
        RealtimeIssuesService issues(nullptr, nullptr);
        QAbstractItemModelTester tester(issues.defectsRows(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        issues.applySnapshotRoot(root(30, 0));

        QAbstractItemModel *rows = issues.defectsRows();
        QSignalSpy resets(rows, &QAbstractItemModel::modelReset);
        QSignalSpy inserts(rows, &QAbstractItemModel::rowsInserted);
        QSignalSpy changes(rows, &QAbstractItemModel::dataChanged);
        QSignalSpy feedChanged(&issues, &RealtimeIssuesService::changed);
        issues.applySnapshotRoot(root(30, 0));
        QCOMPARE(feedChanged.count(), 1);
        QCOMPARE(resets.count() + inserts.count() + changes.count(), 0);

        // The newest row changes its state: one row changes, nothing else.
        issues.applySnapshotRoot(root(30, 0, QStringLiteral("исправлен")));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.at(0).at(0).toModelIndex().row(), 0);
        QCOMPARE(resets.count() + inserts.count(), 0);

        // One new record on top: one insert at the top.
        issues.applySnapshotRoot(root(31, 0, QStringLiteral("исправлен")));
        QCOMPARE(inserts.count(), 1);
        QCOMPARE(inserts.at(0).at(1).toInt(), 0);
        QCOMPARE(resets.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestIssueRowModels)
#include "tst_issuerowmodels.moc"
