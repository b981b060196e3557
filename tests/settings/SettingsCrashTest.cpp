// A client killed while it saves its settings starts again with the old or the
// new settings in both files, never a damaged or missing one.
#include "KillLoop.h"

#include "common/JsonRead.h"
#include "settings/AppSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class SettingsCrashTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedSaveLeavesOldOrNewFiles()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        KillLoop::Runner loop(QStringLiteral("settings_crash_writer"), dir.path(), 20261207u, 30000);
        QVERIFY2(QFileInfo::exists(loop.writer()), qPrintable(loop.writer()));

        for (int run = 0; run < 100; ++run) {
            QVERIFY(loop.runOnce(qint64(run + 1) * 1000000));
            const QSet<qint64> &allowed = loop.allowed();
            const qint64 last = loop.lastAcknowledged();
            const int saved = loop.acknowledged();
            if (saved == 0)
                continue; // killed before the very first save came back
            // The files as the kill left them, before anything here could write them.
            const QString folder = QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).absolutePath();
            const QJsonObject local = readJsonObjectFile(folder + QStringLiteral("/settings.json"));
            const QJsonObject identity = readJsonObjectFile(folder + QStringLiteral("/identity.json"));
            QVERIFY2(!local.isEmpty(), qPrintable(QStringLiteral("run %1: settings.json damaged or missing").arg(run)));
            QVERIFY2(!identity.isEmpty(), qPrintable(QStringLiteral("run %1: identity.json damaged or missing").arg(run)));
            AppSettings settings;
            QVERIFY(settings.load());
            QCOMPARE(settings.settingsPath(), folder + QStringLiteral("/settings.json"));
            const qint64 wb = local.value("wbPath").toString().toLongLong();
            const qint64 device = identity.value("deviceName").toString().toLongLong();
            QVERIFY2(allowed.contains(wb), qPrintable(QStringLiteral("run %1: settings.json holds %2, last saved %3")
                                                          .arg(run).arg(wb).arg(last)));
            QVERIFY2(allowed.contains(device), qPrintable(QStringLiteral("run %1: identity.json holds %2, last saved %3")
                                                              .arg(run).arg(device).arg(last)));
            // What the next start reads is the same.
            QCOMPARE(settings.deviceName().toLongLong(), device);
            QCOMPARE(settings.wbPath().toLongLong(), wb);
            // A backup, when there is one, is a whole file too.
            for (const QString &path : {settings.settingsPath(), settings.identityCachePath()}) {
                const QString backup = path + QStringLiteral(".bak");
                if (QFileInfo::exists(backup))
                    QVERIFY2(!readJsonObjectFile(backup).isEmpty(), qPrintable(backup));
            }
        }
        QVERIFY2(loop.acknowledged() > 50,
                 qPrintable(QStringLiteral("the writer saved only %1 times").arg(loop.acknowledged())));
    }
};

QTEST_GUILESS_MAIN(SettingsCrashTest)
#include "SettingsCrashTest.moc"
