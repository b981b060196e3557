#include "app/EventLogModel.h"

#include <QAbstractItemModelTester>
#include <QDate>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestEventLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rowsAreNewestFirstWithTheirRoles();
    void entriesGoToTheDayFileAndSurviveClear();
    void missingOrUnwritableDirectoryKeepsRows();
};

void TestEventLog::rowsAreNewestFirstWithTheirRoles()
{
    EventLogModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy added(&model, &EventLogModel::entryAdded);

    model.addInfo(QStringLiteral("A"));
    model.addError(QStringLiteral("B"));
    model.addWarn(QStringLiteral("C"));
    model.addSuccess(QStringLiteral("D"));

    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.rowCount(model.index(0, 0)), 0);
    const QHash<int, QByteArray> roles = model.roleNames();
    QCOMPARE(roles.value(257), QByteArray("level"));
    QCOMPARE(roles.value(258), QByteArray("message"));
    QCOMPARE(roles.value(259), QByteArray("timestamp"));

    const QStringList expectedMessages{"D", "C", "B", "A"};
    const QStringList expectedLevels{"success", "warn", "error", "info"};
    for (int row = 0; row < 4; ++row) {
        QCOMPARE(model.index(row).data(258).toString(), expectedMessages.at(row));
        QCOMPARE(model.index(row).data(257).toString(), expectedLevels.at(row));
        const QString stamp = model.index(row).data(259).toString();
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{2}\\.\\d{2} \\d{2}:\\d{2}:\\d{2}$"))
                     .match(stamp)
                     .hasMatch(),
                 qPrintable(stamp));
    }
    QCOMPARE(added.count(), 4);
    QCOMPARE(added.at(1).at(0).toString(), QStringLiteral("error"));
    QCOMPARE(added.at(1).at(1).toString(), QStringLiteral("B"));
}

void TestEventLog::entriesGoToTheDayFileAndSurviveClear()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString logs = dir.filePath(QStringLiteral("logs/nested"));

    EventLogModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setLogDirectory(QStringLiteral("  ") + logs + QStringLiteral(" "));
    QCOMPARE(model.logDirectory(), logs);

    model.addInfo(QStringLiteral("Клиент запущен."));
    model.addWarn(QStringLiteral("Сканер 1: нет ответа"));
    model.clear();
    QCOMPARE(model.rowCount(), 0);
    model.addError(QStringLiteral("после очистки"));

    const QString expectedPath = logs + QStringLiteral("/client-%1.log")
                                           .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    QCOMPARE(model.currentLogFilePath(), expectedPath);
    QFile file(expectedPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    QCOMPARE(lines.size(), 4); // three lines and the empty rest after the last line feed
    QVERIFY(lines.at(3).isEmpty());
    const QRegularExpression shape(QStringLiteral("^\\[\\d{2}\\.\\d{2} \\d{2}:\\d{2}:\\d{2}\\] \\[(\\w+)\\] (.*)$"));
    const QStringList levels{"info", "warn", "error"};
    const QStringList messages{"Клиент запущен.", "Сканер 1: нет ответа", "после очистки"};
    for (int i = 0; i < 3; ++i) {
        const QRegularExpressionMatch match = shape.match(lines.at(i));
        QVERIFY2(match.hasMatch(), qPrintable(lines.at(i)));
        QCOMPARE(match.captured(1), levels.at(i));
        QCOMPARE(match.captured(2), messages.at(i));
    }
}

void TestEventLog::missingOrUnwritableDirectoryKeepsRows()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A regular file where the folder should be: the folder can't be created.
    const QString blocker = dir.filePath(QStringLiteral("blocked"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    EventLogModel model;
    QSignalSpy added(&model, &EventLogModel::entryAdded);
    model.addInfo(QStringLiteral("без папки"));
    model.setLogDirectory(blocker + QStringLiteral("/logs"));
    model.addInfo(QStringLiteral("папка недоступна"));

    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(added.count(), 2);
    QVERIFY(!QFileInfo::exists(blocker + QStringLiteral("/logs")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{QStringLiteral("blocked")});
}

QTEST_GUILESS_MAIN(TestEventLog)
#include "tst_eventlog.moc"
