// Notices and the version check against a server that accepts and never answers.
#include "serverlink/LoopbackHttpStub.h"
#include "serverlink/ServerLinkSandbox.h"

#include "feeds/ClientNoticesService.h"
#include "feeds/ReleaseNotesService.h"

#include <QSignalSpy>
#include <QtTest>

class FeedsRobustnessTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noticesNeverOverlapAndRecover()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        LoopbackHttpStub stub;
        box.settings->setServerUrl(stub.url());
        stub.mode = LoopbackHttpStub::Mode::Hang;

        ClientNoticesService notices(box.settings.get(), &box.eventLog);
        notices.setRequestTimeoutMs(300);
        notices.refresh();
        notices.refresh();
        notices.refresh();
        QVERIFY(notices.busy());
        // The open request ends by its deadline; the extra calls started nothing.
        QTRY_VERIFY_WITH_TIMEOUT(!notices.busy(), 10000);
        QCOMPARE(stub.requests.size(), 1);
        QCOMPARE(stub.maxOpenHung, 1);
        QVERIFY(box.hasLogEntry(QStringLiteral("Плашки клиента: сервер не ответил вовремя")));

        stub.mode = LoopbackHttpStub::Mode::Answer;
        stub.body = R"({"ok":true,"items":[{"id":"n1","title":"Работы"}]})";
        notices.refresh();
        QTRY_COMPARE_WITH_TIMEOUT(notices.notices().size(), 1, 10000);
        QCOMPARE(stub.requests.size(), 2);
    }

    void versionCheckEndsAndNeverOverlaps()
    {
        ServerLinkSandbox box;
        box.setUpDemoDevice();
        LoopbackHttpStub stub;
        box.settings->setServerUrl(stub.url());
        stub.body = R"({"ok":true,"version":"0.0.1"})";

        ReleaseNotesService notes(box.settings.get());
        QTRY_VERIFY_WITH_TIMEOUT(!notes.checking(), 10000);
        QCOMPARE(stub.requests.size(), 1);

        stub.mode = LoopbackHttpStub::Mode::Hang;
        notes.setRequestTimeoutMs(300);
        notes.refreshFromServer();
        notes.refreshFromServer();
        QVERIFY(notes.checking());
        QTRY_VERIFY_WITH_TIMEOUT(!notes.checking(), 10000);
        QCOMPARE(stub.requests.size(), 2);
        QCOMPARE(stub.maxOpenHung, 1);
    }
};

QTEST_MAIN(FeedsRobustnessTest)
#include "FeedsRobustnessTest.moc"
