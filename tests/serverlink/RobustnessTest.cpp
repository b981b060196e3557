// The server link against servers that misbehave: hung, endless, redirecting, echoing.
#include "LoopbackHttpStub.h"
#include "ServerLinkSandbox.h"

#include "common/WriteFailureMonitor.h"
#include "serverlink/HeartbeatSender.h"
#include "serverlink/ServerIdentityService.h"
#include "serverlink/ServerRequest.h"
#include "serverlink/SnapshotSyncService.h"

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {

qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

ServerReply fetchWithSettings(AppSettings *settings, const QUrl &url)
{
    QNetworkAccessManager network;
    QNetworkRequest request(url);
    applyRequestHeaders(request, settings, true);
    ServerReply result;
    bool done = false;
    handleServerReply(network.get(request), &network, settings,
                      [&](const ServerReply &reply) { result = reply; done = true; }, {5000});
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        qWarning("no reply within 10 s");
    return result;
}

} // namespace

class RobustnessTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void heartbeatsResumeAfterAHungServer()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        LoopbackHttpStub stub;
        box.settings->setServerUrl(stub.url());
        stub.mode = LoopbackHttpStub::Mode::Hang;

        constexpr int kIntervalMs = 400;
        constexpr int kDeadlineMs = 300;
        HeartbeatSender heartbeat(box.settings.get());
        heartbeat.setRequestTimeoutMs(kDeadlineMs);
        QSignalSpy replied(&heartbeat, &HeartbeatSender::replied);
        QTimer ticks;
        ticks.setInterval(kIntervalMs);
        connect(&ticks, &QTimer::timeout, &heartbeat, &HeartbeatSender::sendHeartbeat);
        ticks.start();
        heartbeat.sendHeartbeat();

        // More ticks than the six connections per host, all against the hung server.
        QTRY_VERIFY_WITH_TIMEOUT(stub.requests.size() >= 8, 15000);
        QCOMPARE(stub.maxOpenHung, 1); // never a second heartbeat while one is open
        QVERIFY(replied.count() >= 7);
        QCOMPARE(replied.last().first().toInt(), 0);

        // The server recovers; the next heartbeat gets through within one interval
        // (plus the deadline of the one open at that moment).
        stub.mode = LoopbackHttpStub::Mode::Answer;
        replied.clear();
        QElapsedTimer recovery;
        recovery.start();
        QTRY_VERIFY_WITH_TIMEOUT(!replied.isEmpty() && replied.last().first().toInt() == 200, 10000);
        QVERIFY2(recovery.elapsed() < kIntervalMs + kDeadlineMs + 1000, qPrintable(QString::number(recovery.elapsed())));
    }

    void heartbeatReportsUnwritableFolders()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        WriteFailureMonitor monitor;
        HeartbeatSender heartbeat(box.settings.get());
        heartbeat.setWriteFailures(&monitor);
        const auto payload = [&heartbeat] {
            return heartbeat.buildBody().value("items").toArray().first().toObject().value("payload").toObject();
        };
        QCOMPARE(payload().value("data_folder_writable").toBool(false), true);
        QCOMPARE(payload().value("unwritable_folders").toArray(), QJsonArray());

        const QString folder = box.dir.path();
        monitor.noteFailure(folder + QStringLiteral("/settings.json"));
        const QJsonObject failing = payload();
        QCOMPARE(failing.value("data_folder_writable").toBool(true), false);
        QCOMPARE(failing.value("unwritable_folders").toArray(), QJsonArray{folder});
        // The fields that were there before stay.
        for (const char *key : {"tenant_id", "device_id", "app_version", "pending", "scanners", "rfid_running"})
            QVERIFY2(failing.contains(QLatin1String(key)), key);

        monitor.noteSuccess(folder + QStringLiteral("/identity.json"));
        QCOMPARE(payload().value("data_folder_writable").toBool(false), true);
    }

    void hugeBodyIsCutOff_data()
    {
        QTest::addColumn<bool>("snapshot");
        QTest::addColumn<bool>("announceLength");
        QTest::addRow("client config, length announced") << false << true;
        QTest::addRow("client config, until close") << false << false;
        QTest::addRow("snapshot, until close") << true << false;
    }

    void hugeBodyIsCutOff()
    {
        QFETCH(bool, snapshot);
        QFETCH(bool, announceLength);
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        box.eventLog.setLogDirectory(box.dir.filePath(QStringLiteral("logs")));
        LoopbackHttpStub stub;
        box.settings->setServerUrl(stub.url());
        stub.mode = LoopbackHttpStub::Mode::Stream;
        stub.streamBytes = 200LL * 1024 * 1024;
        stub.announceLength = announceLength;

        ServerIdentityService identity(box.settings.get(), &box.eventLog);
        SnapshotSyncService sync(box.settings.get(), &box.eventLog);
        // The event loop is sampled all along: no gap of a second, no growth past 200 MB.
        QElapsedTimer sinceTick;
        sinceTick.start();
        qint64 longestGapMs = 0;
        const qint64 startKb = residentKb();
        qint64 peakKb = startKb;
        QTimer sampler;
        sampler.setInterval(20);
        connect(&sampler, &QTimer::timeout, this, [&] {
            longestGapMs = std::max(longestGapMs, sinceTick.restart());
            peakKb = std::max(peakKb, residentKb());
        });
        sampler.start();
        sinceTick.restart();

        if (snapshot) {
            sync.refresh();
            QTRY_VERIFY_WITH_TIMEOUT(!sync.busy(), 60000);
            QVERIFY2(sync.status().contains(QStringLiteral("больше")), qPrintable(sync.status()));
        } else {
            QSignalSpy errors(&identity, &ServerIdentityService::lastErrorChanged);
            identity.refreshClientConfig();
            QTRY_VERIFY_WITH_TIMEOUT(!identity.busy(), 60000);
            QCOMPARE(identity.lastError(), QStringLiteral("Синхронизация конфигурации не выполнена: %1")
                         .arg(describeTooLargeBody(kDefaultMaxBodyBytes)));
        }
        sampler.stop();
        QVERIFY2(longestGapMs < 1000, qPrintable(QString::number(longestGapMs)));
        const QString memory = QStringLiteral("%1 KB at start, %2 KB at the peak").arg(startKb).arg(peakKb);
#ifdef __SANITIZE_ADDRESS__
        // The sanitizer's shadow memory and quarantine are not the client's: count the growth.
        QVERIFY2(peakKb - startKb < 150 * 1024, qPrintable(memory));
#else
        QVERIFY2(peakKb < 200 * 1024, qPrintable(memory));
#endif
        QVERIFY(!QFile::exists(sync.cachePath()));
    }

    void redirectsStayAtHomeAndShort()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        LoopbackHttpStub elsewhere;
        LoopbackHttpStub home;
        home.mode = LoopbackHttpStub::Mode::Redirect;
        home.location = elsewhere.url(QStringLiteral("/steal")).toUtf8();

        // Another origin never sees the key, the tenant or the device.
        const ServerReply crossed = fetchWithSettings(box.settings.get(), QUrl(home.url(QStringLiteral("/api/x"))));
        QVERIFY(crossed.error != QNetworkReply::NoError);
        QVERIFY(!crossed.accepted);
        for (const QByteArray &head : std::as_const(elsewhere.requests)) {
            const QByteArray lower = head.toLower();
            QVERIFY2(!lower.contains("x-api-key") && !lower.contains("authorization")
                         && !lower.contains("x-tenant-id") && !lower.contains("x-device-id")
                         && !lower.contains("vorn-demo-key"), head.constData());
        }
        QCOMPARE(elsewhere.requests.size(), 0);

        // A redirect loop ends after a handful of hops.
        home.location = home.url(QStringLiteral("/again")).toUtf8();
        home.requests.clear();
        const ServerReply looped = fetchWithSettings(box.settings.get(), QUrl(home.url(QStringLiteral("/api/x"))));
        QCOMPARE(looped.error, QNetworkReply::TooManyRedirectsError);
        QCOMPARE(home.requests.size(), kMaxRedirects + 1);

        // A redirect within the same origin still works.
        home.redirectsLeft = 2;
        home.requests.clear();
        const ServerReply plain = fetchWithSettings(box.settings.get(), QUrl(home.url(QStringLiteral("/api/y"))));
        QVERIFY(plain.accepted);
        QCOMPARE(home.requests.size(), 3);
        QVERIFY(home.requests.last().toLower().contains("x-api-key: vorn-demo-key"));
    }

    void echoedSecretNeverReachesTheJournalFile()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        box.settings->setApiKey(QStringLiteral("sk-live-0123456789abcdef"));
        box.eventLog.setLogDirectory(box.dir.filePath(QStringLiteral("logs")));
        LoopbackHttpStub stub;
        box.settings->setServerUrl(stub.url());
        stub.mode = LoopbackHttpStub::Mode::Echo;
        stub.status = 500;

        ServerIdentityService identity(box.settings.get(), &box.eventLog);
        identity.refreshClientConfig();
        QTRY_VERIFY_WITH_TIMEOUT(!identity.busy(), 10000);
        QVERIFY(stub.requests.first().contains("sk-live-0123456789abcdef"));
        QVERIFY2(identity.lastError().contains(QStringLiteral("X-Api-Key: ***")), qPrintable(identity.lastError()));

        QFile file(box.eventLog.currentLogFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray journal = file.readAll();
        QVERIFY(journal.contains("(500)"));
        QVERIFY(!journal.contains("sk-live-0123456789abcdef"));
        QVERIFY(!journal.contains("0123456789abcdef"));
        for (int row = 0; row < box.eventLog.rowCount(); ++row)
            QVERIFY(!box.eventLog.data(box.eventLog.index(row)).toString().contains("0123456789"));
    }
};

QTEST_MAIN(RobustnessTest)
#include "RobustnessTest.moc"
