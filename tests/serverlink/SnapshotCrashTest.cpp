// A client killed while it stores a snapshot must start again with its orders.
#include "serverlink/SnapshotSyncService.h"
#include "settings/AppSettings.h"

#include "common/JsonRead.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>

class SnapshotCrashTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedWriterNeverLeavesARevisionWithoutOrders()
    {
        const QString writer = QCoreApplication::applicationDirPath() + QStringLiteral("/snapshot_cache_writer");
        QVERIFY2(QFileInfo::exists(writer), qPrintable(writer));
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QCoreApplication::setOrganizationName(QStringLiteral("VornClient"));
        QCoreApplication::setApplicationName(QStringLiteral("VornClient"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path()));
        QRandomGenerator random(20261206u);
        int stored = 0;

        for (int run = 0; run < 40; ++run) {
            QProcess child;
            child.start(writer, {QString::number(qint64(run + 1) * 1000000)});
            QVERIFY(child.waitForStarted(5000));
            if (random.bounded(5) != 0)
                child.waitForReadyRead(10000);
            QThread::usleep(random.bounded(0, 40000));
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(5000));
            stored += int(child.readAllStandardOutput().count('\n'));

            // The next start: either a full snapshot is asked for, or the cache it
            // builds on holds orders at least as new as the revision it will ask from.
            AppSettings settings;
            SnapshotSyncService sync(&settings, nullptr);
            if (sync.needFullSnapshot())
                continue;
            QSignalSpy ready(&sync, &SnapshotSyncService::snapshotReady);
            sync.loadCachedSnapshot();
            QVERIFY2(ready.count() == 1, qPrintable(QStringLiteral("run %1: no cache, revision %2")
                                                        .arg(run).arg(sync.revision())));
            const QJsonObject cache = ready.first().first().toJsonObject();
            QVERIFY(!cache.value("snapshot").toObject().value("orders").toArray().isEmpty());
            QVERIFY2(jsonToText(cache.value("revision")).toLongLong() >= sync.revision().toLongLong(),
                     qPrintable(QStringLiteral("run %1: cache %2, revision %3")
                                    .arg(run).arg(jsonToText(cache.value("revision")), sync.revision())));
            QVERIFY(!sync.needFullSnapshot());
        }
        QVERIFY2(stored > 20, qPrintable(QStringLiteral("the writer stored only %1 snapshots").arg(stored)));
    }
};

QTEST_GUILESS_MAIN(SnapshotCrashTest)
#include "SnapshotCrashTest.moc"
