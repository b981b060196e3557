// Artifact sync against the embedded devserver: tasks are carried out, confirmed
// once, bad ones skipped with their message, and a cut reply writes nothing.
#include "serverlink/ServerLinkSandbox.h"

#include "common/IsoTime.h"
#include "feeds/ArtifactSyncService.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

const QString kEndpoint = QStringLiteral("/api/client-artifacts");

void replaceTasks(ServerLinkSandbox &box, const QJsonArray &tasks)
{
    box.devPost(QStringLiteral("/__dev/artifacts"), {{"replace", true}, {"tasks", tasks}});
}

QList<QJsonObject> requestsOf(const ServerLinkSandbox &box, const QString &method)
{
    QList<QJsonObject> found;
    for (const QJsonValue &entry : box.requests(kEndpoint)) {
        if (entry.toObject().value(QLatin1String("method")).toString() == method)
            found << entry.toObject();
    }
    return found;
}

int confirmations(const ServerLinkSandbox &box)
{
    return int(requestsOf(box, QStringLiteral("POST")).size());
}

int fetches(const ServerLinkSandbox &box)
{
    return int(requestsOf(box, QStringLiteral("GET")).size());
}

QStringList confirmedKeys(const QJsonObject &post)
{
    QStringList keys;
    for (const QJsonValue &key : post.value(QLatin1String("body")).toObject().value(QLatin1String("keys")).toArray())
        keys << key.toString();
    return keys;
}

int journalCount(const ServerLinkSandbox &box, const QString &start)
{
    const QStringList messages = journalMessages(box.eventLog);
    return int(std::count_if(messages.cbegin(), messages.cend(), [&](const QString &m) { return m.startsWith(start); }));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList filesBelow(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    return files;
}

// Answers every request with a complete-looking body that announces more bytes
// than it sends, then closes: the transfer was cut.
class CutReplyServer
{
public:
    QByteArray body;
    QList<QByteArray> heads;

    CutReplyServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray head = socket->readAll();
                    heads << head;
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
                                  + QByteArray::number(body.size() + 500) + "\r\n\r\n" + body);
                    socket->flush();
                    socket->disconnectFromHost();
                });
            }
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }

private:
    QTcpServer m_server;
};

} // namespace

class ArtifactSyncTest : public QObject
{
    Q_OBJECT

private:
    // The demo device, with the folder settings that have a default of their own cleared,
    // so every file lands below the sandbox's data folder.
    static void setUp(ServerLinkSandbox &box)
    {
        box.setUpDemoDevice();
        box.settings->setPicturesMarelaDir(QString());
    }

private Q_SLOTS:
    void demoTasksAreCarriedOutAndConfirmedOnce()
    {
        ServerLinkSandbox box;
        setUp(box);
        ArtifactSyncService sync(box.settings.get(), &box.eventLog);
        QCOMPARE(sync.statusText(), QStringLiteral("Приложение: ожидание серверных заданий"));
        sync.setPollInterval(100);
        sync.start();
        QTRY_COMPARE_WITH_TIMEOUT(confirmations(box), 1, 15000);
        // Polls go on while and after the confirmation; the tasks never come back.
        const int seen = fetches(box);
        QTRY_VERIFY_WITH_TIMEOUT(fetches(box) >= seen + 3, 15000);
        sync.stop();
        QCOMPARE(confirmations(box), 1);
        QCOMPARE(sync.statusText(), QStringLiteral("Приложение: новых серверных заданий нет"));

        const QList<QJsonObject> gets = requestsOf(box, QStringLiteral("GET"));
        const QJsonObject query = gets.first().value(QLatin1String("query")).toObject();
        QCOMPARE(query.value(QLatin1String("status")).toString(), QStringLiteral("pending"));
        QCOMPARE(query.value(QLatin1String("limit")).toString(), QStringLiteral("100"));
        QCOMPARE(query.value(QLatin1String("tenant_id")).toString(), QStringLiteral("demo"));
        QCOMPARE(query.value(QLatin1String("device_id")).toString(), QStringLiteral("demo-pc"));

        const QJsonObject post = requestsOf(box, QStringLiteral("POST")).first();
        const QJsonObject body = post.value(QLatin1String("body")).toObject();
        QCOMPARE(body.value(QLatin1String("action")).toString(), QStringLiteral("mark_done"));
        QCOMPARE(body.value(QLatin1String("tenant_id")).toString(), QStringLiteral("demo"));
        QVERIFY(parseServerTime(body.value(QLatin1String("client_ts")).toString()).isValid());
        QCOMPARE(confirmedKeys(post),
                 (QStringList{"demo-art-1", "demo-art-2", "demo-art-3", "demo-art-4"}));
        QCOMPARE(box.demoTenant().events.last().toObject().value(QLatin1String("event_type")).toString(),
                 QStringLiteral("artifacts_mark_done"));

        const QString data = box.settings->appDataDir();
        QVERIFY(readFile(data + QStringLiteral("/pictures/marela/очередь_картин.txt")).startsWith("P01A2B3C4D;"));
        QVERIFY(readFile(data + QStringLiteral("/labels/wb/отменен_К_Лес_2489121720.pdf")).startsWith("%PDF"));
        QCOMPARE(readFile(data + QStringLiteral("/supply_labels/ozon/._._Windows_System32_drivers_etc_hosts")),
                 QByteArray("127.0.0.1 vorn.example\n"));
        // Nothing at all was written outside the data folder.
        const QString dataRelative = QDir(box.dir.path()).relativeFilePath(data) + u'/';
        for (const QString &file : filesBelow(box.dir.path()))
            QVERIFY2(file.startsWith(dataRelative), qPrintable(file));
        QVERIFY(box.hasLogEntry(QStringLiteral("Приложение: локальные этикетки обновлены: отменен_К_Лес_2489121720.pdf")));
        QCOMPARE(journalCount(box, QStringLiteral("Приложение: серверный файл сохранён: ")), 3);
    }

    void badTasksAreSkippedAndTheNextRuns()
    {
        ServerLinkSandbox box;
        setUp(box);
        replaceTasks(box, QJsonArray{
            QJsonObject{{"artifact_key", "bad-1"}, {"type", "report"}, {"filename", "empty.txt"}},
            QJsonObject{{"artifact_key", "bad-2"}, {"action", "local_artifact_rename"}, {"to_prefix", "отменен"}},
            QJsonObject{{"artifact_key", "good-3"}, {"type", "report"}, {"filename", "good.txt"}, {"content_text", "ok"}},
            QJsonObject{{"artifact_key", ""}, {"type", "report"}, {"filename", "keyless.txt"}, {"content_text", "k"}},
        });
        ArtifactSyncService sync(box.settings.get(), &box.eventLog);
        sync.syncNow();
        QVERIFY(sync.busy());
        QTRY_COMPARE_WITH_TIMEOUT(confirmations(box), 1, 15000);
        QVERIFY(!sync.busy());

        // Bad tasks never get better, so they are confirmed too; a task without a key cannot be.
        QCOMPARE(confirmedKeys(requestsOf(box, QStringLiteral("POST")).first()),
                 (QStringList{"bad-1", "bad-2", "good-3"}));
        const QString folder = box.settings->appDataDir() + QStringLiteral("/server_artifacts/");
        QCOMPARE(readFile(folder + QStringLiteral("good.txt")), QByteArray("ok"));
        QCOMPARE(readFile(folder + QStringLiteral("keyless.txt")), QByteArray("k"));
        QCOMPARE(sync.statusText(), QStringLiteral("Приложение: серверные задания сохранены: 2"));
    }

    void replyWithoutTasksIsNotConfirmed()
    {
        ServerLinkSandbox box;
        setUp(box);
        replaceTasks(box, QJsonArray());
        ArtifactSyncService sync(box.settings.get(), &box.eventLog);
        QSignalSpy changed(&sync, &ArtifactSyncService::changed);
        sync.syncNow();
        QTRY_COMPARE_WITH_TIMEOUT(sync.statusText(), QStringLiteral("Приложение: новых серверных заданий нет"), 15000);
        QCOMPARE(box.requestsSoFar(), 1);
        QCOMPARE(confirmations(box), 0);
        QVERIFY(changed.size() >= 2);   // busy on, busy off with the new status
    }

    void deviceNotSetUpSendsNothing()
    {
        ServerLinkSandbox box;
        box.settings->setServerUrl(box.url());
        ArtifactSyncService sync(box.settings.get(), &box.eventLog);
        sync.syncNow();
        QVERIFY(!sync.busy());
        QCOMPARE(box.requestsSoFar(), 0);
        QCOMPARE(sync.statusText(), QStringLiteral("Приложение: ожидание серверных заданий"));
    }

    void cutReplyNeverTakesTheFinalName()
    {
        ServerLinkSandbox box;
        setUp(box);
        CutReplyServer cut;
        cut.body = R"({"ok":true,"items":[{"artifact_key":"cut-1","type":"report","filename":"cut.txt",)"
                   R"("content_text":"whole"}]})";
        box.settings->setServerUrl(cut.url());
        ArtifactSyncService sync(box.settings.get(), &box.eventLog);
        sync.syncNow();
        QTRY_VERIFY_WITH_TIMEOUT(!sync.busy(), 15000);

        QVERIFY2(sync.statusText().startsWith(QStringLiteral("Приложение: серверные задания недоступны: ")),
                 qPrintable(sync.statusText()));
        QCOMPARE(filesBelow(box.settings->appDataDir()), QStringList());
        QCOMPARE(cut.heads.size(), 1);
        QVERIFY(cut.heads.first().startsWith("GET "));
    }

    void outageIsToldOncePerOutage()
    {
        ServerLinkSandbox box;
        setUp(box);
        replaceTasks(box, QJsonArray());
        const QString down = QStringLiteral("Приложение: серверные задания недоступны: ");
        box.fault({{"path", kEndpoint}, {"method", "GET"}, {"drop", true}, {"times", 4}});
        ArtifactSyncService sync(box.settings.get(), &box.eventLog);
        sync.setPollInterval(50);
        sync.start();
        QTRY_COMPARE_WITH_TIMEOUT(sync.statusText(), QStringLiteral("Приложение: новых серверных заданий нет"), 15000);
        QVERIFY(fetches(box) >= 5);
        QCOMPARE(journalCount(box, down), 1);

        // A later outage is a new one.
        box.fault({{"path", kEndpoint}, {"method", "GET"}, {"drop", true}, {"times", 2}});
        QTRY_COMPARE_WITH_TIMEOUT(journalCount(box, down), 2, 15000);
        QTRY_COMPARE_WITH_TIMEOUT(sync.statusText(), QStringLiteral("Приложение: новых серверных заданий нет"), 15000);
        sync.stop();
        QCOMPARE(journalCount(box, down), 2);
    }

    void taskThatFailsIsRetriedAndToldOnce()
    {
        ServerLinkSandbox box;
        setUp(box);
        // A folder below a plain file cannot be made.
        const QString blocker = box.dir.filePath(QStringLiteral("blocker"));
        QVERIFY(QFile(blocker).open(QIODevice::WriteOnly));
        box.settings->setPicturesMarelaDir(blocker + QStringLiteral("/queue"));
        replaceTasks(box, QJsonArray{
            QJsonObject{{"artifact_key", "stuck"}, {"kind", "picture_print_queue_txt"}, {"filename", "q.txt"},
                        {"content_text", "P01"}},
            QJsonObject{{"artifact_key", "fine"}, {"type", "report"}, {"filename", "f.txt"}, {"content_text", "f"}},
        });
        ArtifactSyncService sync(box.settings.get(), &box.eventLog);
        sync.setPollInterval(50);
        sync.start();
        QTRY_COMPARE_WITH_TIMEOUT(confirmations(box), 1, 15000);
        const int seen = fetches(box);
        QTRY_VERIFY_WITH_TIMEOUT(fetches(box) >= seen + 3, 15000);
        QCOMPARE(confirmedKeys(requestsOf(box, QStringLiteral("POST")).first()), QStringList{"fine"});
        const QString problem = QStringLiteral("Приложение: не удалось создать папку для серверного задания: ");
        QCOMPARE(journalCount(box, problem), 1);
        QCOMPARE(confirmations(box), 1);

        // Once the folder can be made the task is carried out and confirmed.
        const QString queue = box.dir.filePath(QStringLiteral("queue"));
        box.settings->setPicturesMarelaDir(queue);
        QTRY_COMPARE_WITH_TIMEOUT(confirmations(box), 2, 15000);
        sync.stop();
        QCOMPARE(confirmedKeys(requestsOf(box, QStringLiteral("POST")).last()), QStringList{"stuck"});
        QCOMPARE(readFile(queue + QStringLiteral("/q.txt")), QByteArray("P01"));
    }

    void refusedConfirmationIsToldAndSentAgain()
    {
        ServerLinkSandbox box;
        setUp(box);
        replaceTasks(box, QJsonArray{
            QJsonObject{{"artifact_key", "once"}, {"type", "report"}, {"filename", "o.txt"}, {"content_text", "o"}}});
        box.fault({{"path", kEndpoint}, {"method", "POST"}, {"status", 500}, {"times", 1}});
        ArtifactSyncService sync(box.settings.get(), &box.eventLog);
        sync.setPollInterval(50);
        sync.start();
        // The refused confirmation leaves the task pending; the next fetch does it again.
        QTRY_COMPARE_WITH_TIMEOUT(confirmations(box), 2, 15000);
        const int seen = fetches(box);
        QTRY_VERIFY_WITH_TIMEOUT(fetches(box) >= seen + 2, 15000);
        sync.stop();
        QCOMPARE(confirmations(box), 2);
        QCOMPARE(journalCount(box, QStringLiteral("Приложение: сервер не принял подтверждение заданий: ")), 1);
        QCOMPARE(readFile(box.settings->appDataDir() + QStringLiteral("/server_artifacts/o.txt")), QByteArray("o"));
    }
};

QTEST_MAIN(ArtifactSyncTest)
#include "ArtifactSyncTest.moc"
