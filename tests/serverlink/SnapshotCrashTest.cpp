// A client killed while it stores a snapshot must start again with its orders:
// the cache and its metadata hold the old or the new snapshot, never a damaged one.
#include "KillLoop.h"

#include "serverlink/SnapshotSyncService.h"
#include "settings/AppSettings.h"

#include "common/JsonRead.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class SnapshotCrashTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedWriterNeverLeavesARevisionWithoutOrders()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        KillLoop::Runner loop(QStringLiteral("snapshot_cache_writer"), dir.path(), 20261206u, 40000);
        QVERIFY2(QFileInfo::exists(loop.writer()), qPrintable(loop.writer()));

        for (int run = 0; run < 100; ++run) {
            QVERIFY(loop.runOnce(qint64(run + 1) * 1000000));
            const QSet<qint64> &allowed = loop.allowed();
            const qint64 last = loop.lastAcknowledged();
            const int stored = loop.acknowledged();

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
        QVERIFY2(loop.acknowledged() > 50,
                 qPrintable(QStringLiteral("the writer stored only %1 snapshots").arg(loop.acknowledged())));
    }
};

QTEST_GUILESS_MAIN(SnapshotCrashTest)
#include "SnapshotCrashTest.moc"
