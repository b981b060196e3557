// Guards against bad numbers, leaked secrets and unwritable folders.
#include "JournalProbe.h"

#include "common/AtomicFile.h"
#include "common/NumberClamp.h"
#include "common/SecretRedaction.h"
#include "common/WriteFailureMonitor.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

// Owner, group and others; Qt also reports the same rights as "user" bits.
const QFileDevice::Permissions kModeBits = QFileDevice::Permissions(0x7077);

} // namespace

class TestCommonGuards : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { SecretRedaction::setKnownSecrets({}); }

    void clampsDoublesToInt_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("expected");
        const int min = std::numeric_limits<int>::min();
        const int max = std::numeric_limits<int>::max();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("1e300") << 1e300 << min << max << max;
        QTest::newRow("-1e300") << -1e300 << min << max << min;
        QTest::newRow("NaN") << std::nan("") << min << max << 0;
        QTest::newRow("+inf") << inf << min << max << max;
        QTest::newRow("-inf") << -inf << min << max << min;
        QTest::newRow("just above int") << 2147483647.5 << min << max << max;
        QTest::newRow("just below int") << -2147483648.9 << min << max << min;
        QTest::newRow("fraction cut") << 12.9 << min << max << 12;
        QTest::newRow("negative fraction cut") << -12.9 << min << max << -12;
        QTest::newRow("baud 1e300") << 1e300 << 1 << 4000000 << 4000000;
        QTest::newRow("strip below range") << -5.0 << 0 << 1000 << 0;
        QTest::newRow("NaN in a range") << std::nan("") << 1 << 10 << 0;
    }

    void clampsDoublesToInt()
    {
        QFETCH(double, value);
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(int, expected);
        QCOMPARE(clampToInt(value, low, high), expected);
    }

    void redactsSecrets_data()
    {
        QTest::addColumn<QStringList>("known");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("echoed headers")
            << QStringList() << "X-Api-Key: k-123456\r\nAuthorization: Bearer k-123456\r\nX-Tenant-Id: demo"
            << "X-Api-Key: ***\r\nAuthorization: Bearer ***\r\nX-Tenant-Id: demo";
        QTest::newRow("json keys") << QStringList() << R"({"api_key":"abc12345","wb_token": "tok-9","n":1})"
                                   << R"({"api_key":"***","wb_token": "***","n":1})";
        QTest::newRow("lone bearer") << QStringList() << "sent Bearer zzz999 to x" << "sent Bearer *** to x";
        QTest::newRow("known value anywhere") << QStringList{"secret-key-42"} << "echo=secret-key-42&x=1"
                                              << "echo=***&x=1";
        QTest::newRow("short values are not secrets") << QStringList{"ab", " "} << "abc ab" << "abc ab";
        QTest::newRow("ordinary words stay") << QStringList() << "tokens: 5, password_policy ok"
                                             << "tokens: 5, password_policy ok";
    }

    void redactsSecrets()
    {
        QFETCH(QStringList, known);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        SecretRedaction::setKnownSecrets(known);
        QCOMPARE(SecretRedaction::redactSecrets(text), expected);
    }

    void quotesServerTextShortAndClean()
    {
        SecretRedaction::setKnownSecrets({QStringLiteral("KEY-ABCDEFGHIJ")});
        // Huge bodies are cut, and a secret cut in half by the limit does not leak its start.
        QByteArray huge(20 * 1024 * 1024, 'a');
        const QString quoted = SecretRedaction::quoteServerText(huge);
        QVERIFY(quoted.size() <= SecretRedaction::kQuoteLimit);
        QVERIFY(quoted.endsWith(QChar(0x2026)));
        const QString cutSecret = QString(1195, u'x') + QStringLiteral("KEY-ABCDEFGHIJ");
        QVERIFY(!SecretRedaction::quoteServerText(cutSecret).contains(QStringLiteral("KEY-")));

        const QByteArray binary("ok\x00\x01\x02\xff\xfe\x1b[31m  red\ttext\nnext", 27);
        QCOMPARE(SecretRedaction::quoteServerText(binary), QStringLiteral("ok[31m red text next"));
        QCOMPARE(SecretRedaction::quoteServerText(QByteArray("{\"api_key\":\"KEY-ABCDEFGHIJ\"}")),
                 QStringLiteral("{\"api_key\":\"***\"}"));
        QCOMPARE(SecretRedaction::quoteServerText(QString()), QString());
    }

    void atomicWriteSetsAndKeepsModes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("identity.json"));
        QVERIFY(writeFileAtomically(path, "{}", kOwnerOnlyPermissions));
        QCOMPARE(QFileInfo(path).permissions() & kModeBits, QFileDevice::Permissions(kOwnerOnlyPermissions));
        // A rewrite without explicit modes keeps the file's own.
        QVERIFY(writeFileAtomically(path, "{\"a\":1}"));
        QCOMPARE(QFileInfo(path).permissions() & kModeBits, QFileDevice::Permissions(kOwnerOnlyPermissions));
        const QFileDevice::Permissions wide = kOwnerOnlyPermissions | QFileDevice::ReadGroup | QFileDevice::ReadOther;
        QVERIFY(QFile::setPermissions(path, wide));
        QVERIFY(writeFileAtomically(path, "{\"a\":2}"));
        QCOMPARE(QFileInfo(path).permissions() & kModeBits, wide);
    }

    void unwritableFolderIsReportedOncePerInterval()
    {
        QTemporaryDir dir;
        QFile blocker(dir.filePath(QStringLiteral("plainfile")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        // Named by what stands in the way: the file where the data folder should be.
        const QString folder = blocker.fileName();

        WriteFailureMonitor monitor;
        JournalProbe journal;
        QSignalSpy changes(&monitor, &WriteFailureMonitor::changed);
        monitor.noteFailure(folder + QStringLiteral("/data/settings.json"));
        QVERIFY(monitor.failing());
        QCOMPARE(monitor.failingFolders(), QStringList{folder});
        // A failure before the journal exists is told as soon as it does.
        monitor.setJournal(&journal);
        QCOMPARE(journal.messages(QStringLiteral("error")), QStringList{WriteFailureMonitor::journalText(folder)});
        QVERIFY(journal.last().contains(folder));

        monitor.noteFailure(folder + QStringLiteral("/data/identity.json"));
        monitor.noteFailure(folder + QStringLiteral("/data/logs/client.log"));
        QCOMPARE(journal.lines.size(), 1);
        monitor.setRepeatIntervalMs(0);
        monitor.noteFailure(folder + QStringLiteral("/data/settings.json"));
        QCOMPARE(journal.lines.size(), 2);

        monitor.noteSuccess(dir.filePath(QStringLiteral("other/x.json")));
        QVERIFY(monitor.failing());
        monitor.noteSuccess(folder + QStringLiteral("/data/settings.json"));
        QVERIFY(!monitor.failing());
        QCOMPARE(changes.count(), 2);

        // The atomic writer reports to the process-wide monitor by itself.
        QVERIFY(!writeFileAtomically(folder + QStringLiteral("/data/state.json"), "{}"));
        QVERIFY(WriteFailureMonitor::global().failingFolders().contains(folder));
    }
};

QTEST_GUILESS_MAIN(TestCommonGuards)
#include "tst_common_guards.moc"
