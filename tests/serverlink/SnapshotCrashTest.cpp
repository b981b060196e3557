// A client killed while it stores a snapshot must start again with its orders:
// the cache and its metadata hold the old or the new snapshot, never a damaged one.
#include "serverlink/SnapshotSyncService.h"
#include "settings/AppSettings.h"

#include "common/JsonRead.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
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
        QSet<qint64> allowed; // revisions the files may hold after this kill

        for (int run = 0; run < 100; ++run) {
            const qint64 first = qint64(run + 1) * 1000000;
            QProcess child;
            child.start(writer, {QString::number(first)});
            QVERIFY(child.waitForStarted(5000));
            if (random.bounded(5) != 0)
                child.waitForReadyRead(10000);
            QThread::usleep(random.bounded(0, 40000));
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(5000));
            const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
            qint64 last = -1; // whole lines only
            for (int i = 0; i + 1 < lines.size(); ++i)
                last = lines.at(i).toLongLong();
            if (last >= 0) {
                stored += int(lines.size() - 1);
                allowed = {last, last + 1};
            } else {
                allowed.insert(first);
            }

            // The files as the kill left them.
            AppSettings settings;
            SnapshotSyncService sync(&settings, nullptr);
            if (stored > 0) {
                const QJsonObject onDisk = readJsonObjectFile(sync.cachePath());
                const QJsonObject meta = readJsonObjectFile(sync.metaPath());
                QVERIFY2(!onDisk.isEmpty(), qPrintable(QStringLiteral("run %1: cache damaged or missing").arg(run)));
                QVERIFY2(!meta.isEmpty(), qPrintable(QStringLiteral("run %1: metadata damaged or missing").arg(run)));
                const qint64 cached = jsonToText(onDisk.value("revision")).toLongLong();
                QVERIFY2(allowed.contains(cached), qPrintable(QStringLiteral("run %1: cache holds %2, last stored %3")
                                                                  .arg(run).arg(cached).arg(last)));
                QVERIFY(allowed.contains(jsonToText(meta.value("revision")).toLongLong()));
            }

            // The next start: either a full snapshot is asked for, or the cache it
            // builds on holds orders at least as new as the revision it will ask from.
            if (sync.needFullSnapshot())
                continue;
            QSignalSpy ready(&sync, &SnapshotSyncService::snapshotReady);
            sync.loadCachedSnapshot();
            QVERIFY2(ready.wait(10000), qPrintable(QStringLiteral("run %1: no cache, revision %2")
                                                       .arg(run).arg(sync.revision())));
            const QJsonObject cache = ready.first().first().toJsonObject();
            QVERIFY(!cache.value("snapshot").toObject().value("orders").toArray().isEmpty());
            QVERIFY2(jsonToText(cache.value("revision")).toLongLong() >= sync.revision().toLongLong(),
                     qPrintable(QStringLiteral("run %1: cache %2, revision %3")
                                    .arg(run).arg(jsonToText(cache.value("revision")), sync.revision())));
            QVERIFY(!sync.needFullSnapshot());
        }
        QVERIFY2(stored > 50, qPrintable(QStringLiteral("the writer stored only %1 snapshots").arg(stored)));
    }
};

QTEST_GUILESS_MAIN(SnapshotCrashTest)
#include "SnapshotCrashTest.moc"
