#include "app/EventLogModel.h"

#include "common/SecretRedaction.h"
#include "common/WriteFailureMonitor.h"

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
    void unwritableLogFolderKeepsRowsAndIsToldOnce();
    void modelKeepsTheNewestEntriesFileKeepsAll();
    void messagesAreCleanShortAndRedacted();
    void rowsAreNewestFirstWithTheirRoles();
    void entriesGoToTheDayFileAndSurviveClear();
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
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d{2}\\.\\d{2} \\d{2}:\\d{2}:\\d{2}$")).match(stamp).hasMatch(),
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

void TestEventLog::unwritableLogFolderKeepsRowsAndIsToldOnce()
{
    QTemporaryDir dir;
    // A regular file where the folder should be: the folder can't be created.
    const QString blocker = dir.filePath(QStringLiteral("blocked"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    EventLogModel model;
    QSignalSpy added(&model, &EventLogModel::entryAdded);
    model.addInfo(QStringLiteral("без папки"));
    model.setLogDirectory(blocker + QStringLiteral("/logs"));
    WriteFailureMonitor::global().setJournal(&model);
    for (int i = 0; i < 20; ++i)
        model.addInfo(QStringLiteral("строка %1").arg(i));
    WriteFailureMonitor::global().setJournal(nullptr);

    const QString told = WriteFailureMonitor::journalText(blocker);
    int count = 0;
    for (int row = 0; row < model.rowCount(); ++row)
        count += model.data(model.index(row), EventLogModel::MessageRole).toString() == told ? 1 : 0;
    QCOMPARE(count, 1);
    QCOMPARE(model.rowCount(), 22);
    QCOMPARE(added.count(), 22);
    QVERIFY(WriteFailureMonitor::global().failingFolders().contains(blocker));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{QStringLiteral("blocked")});
}

void TestEventLog::modelKeepsTheNewestEntriesFileKeepsAll()
{
    QTemporaryDir dir;
    EventLogModel model;
    model.setLogDirectory(dir.path());
    const int total = EventLogModel::kMaxEntries + 250;
    const auto add = [&model](int i) { model.addWarn(QStringLiteral("Сканер 3: порт COM7 не найден (%1)").arg(i)); };
    int i = 0;
    for (; i < EventLogModel::kMaxEntries - 5; ++i)
        add(i);
    // Watched across the cap, where rows start to leave.
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (; i < total; ++i)
        add(i);

    QCOMPARE(model.rowCount(), EventLogModel::kMaxEntries);
    QCOMPARE(model.data(model.index(0), EventLogModel::MessageRole).toString(),
             QStringLiteral("Сканер 3: порт COM7 не найден (%1)").arg(total - 1));
    QCOMPARE(model.data(model.index(EventLogModel::kMaxEntries - 1), EventLogModel::MessageRole).toString(),
             QStringLiteral("Сканер 3: порт COM7 не найден (250)"));
    QFile file(model.currentLogFilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(int(file.readAll().count('\n')), total);
}

void TestEventLog::messagesAreCleanShortAndRedacted()
{
    QTemporaryDir dir;
    EventLogModel model;
    model.setLogDirectory(dir.path());
    SecretRedaction::setKnownSecrets({QStringLiteral("key-0123456789")});
    model.addError(QStringLiteral("Ошибка:\x01 первая\nвторая X-Api-Key: key-0123456789 ") + QString(5000, u'я'));
    SecretRedaction::setKnownSecrets({});

    const QString kept = model.data(model.index(0), EventLogModel::MessageRole).toString();
    QVERIFY(kept.startsWith(QStringLiteral("Ошибка: первая вторая X-Api-Key: *** я")));
    QCOMPARE(kept.size(), EventLogModel::kMaxMessageChars);
    QFile file(model.currentLogFilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QCOMPARE(int(text.count('\n')), 1);
    QVERIFY(!text.contains("0123456789"));
    // The log may quote a server: only its owner reads it.
    QCOMPARE(QFileInfo(file.fileName()).permissions() & QFileDevice::Permissions(0x7077),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QTEST_GUILESS_MAIN(TestEventLog)
#include "tst_eventlog.moc"
