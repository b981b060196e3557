// A client killed while it saves its settings starts again with the old or the
// new settings in both files, never a damaged or missing one.
#include "common/JsonRead.h"
#include "settings/AppSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>

class SettingsCrashTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedSaveLeavesOldOrNewFiles()
    {
        const QString writer = QCoreApplication::applicationDirPath() + QStringLiteral("/settings_crash_writer");
        QVERIFY2(QFileInfo::exists(writer), qPrintable(writer));
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QCoreApplication::setOrganizationName(QStringLiteral("VornClient"));
        QCoreApplication::setApplicationName(QStringLiteral("VornClient"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path()));
        QRandomGenerator random(20261207u);
        QSet<qint64> allowed; // the numbers the files may hold after this kill
        int saved = 0;

        for (int run = 0; run < 100; ++run) {
            const qint64 first = qint64(run + 1) * 1000000;
            QProcess child;
            child.start(writer, {QString::number(first)});
            QVERIFY(child.waitForStarted(5000));
            if (random.bounded(5) != 0)
                child.waitForReadyRead(10000);
            QThread::usleep(random.bounded(0, 30000));
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(5000));
            const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
            // Whole lines only: the last element follows the final newline.
            qint64 last = -1;
            for (int i = 0; i + 1 < lines.size(); ++i)
                last = lines.at(i).toLongLong();
            if (last >= 0) {
                saved += int(lines.size() - 1);
                allowed = {last, last + 1};
            } else {
                allowed.insert(first);
            }

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
            const qint64 wb = local.value(QStringLiteral("wbPath")).toString().toLongLong();
            const qint64 device = identity.value(QStringLiteral("deviceName")).toString().toLongLong();
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
        QVERIFY2(saved > 50, qPrintable(QStringLiteral("the writer saved only %1 times").arg(saved)));
    }
};

QTEST_GUILESS_MAIN(SettingsCrashTest)
#include "SettingsCrashTest.moc"
