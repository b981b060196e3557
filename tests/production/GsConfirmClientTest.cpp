// The spreadsheet confirm client against a loopback HTTP server that answers as told.
#include "settings/AppSettings.h"
#include "supplies/GsConfirmClient.h"

#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class GsConfirmClientTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void replies();
    void requestAndRefusals();

private:
    bool confirm(const QByteArray &replyBody, int status, QString *error);

    QTemporaryDir m_data;
    QHttpServer m_server;
    quint16 m_port = 0;
    QByteArray m_replyBody;
    int m_replyStatus = 200;
    QList<QByteArray> m_bodies;
    QList<QByteArray> m_contentTypes;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<GsConfirmClient> m_client;
};

void GsConfirmClientTest::initTestCase()
{
    AppSettings::setDataDirectoryOverride(m_data.path());
    m_server.route(QStringLiteral("/gs"), [this](const QHttpServerRequest &request) {
        m_bodies << request.body();
        m_contentTypes << request.value("Content-Type");
        return QHttpServerResponse("text/plain", m_replyBody,
                                   QHttpServerResponse::StatusCode(m_replyStatus));
    });
    m_port = m_server.listen(QHostAddress::LocalHost, 0);
    QVERIFY(m_port != 0);
    m_settings = std::make_unique<AppSettings>();
    m_settings->setGsConfirmEndpoint(QStringLiteral("http://127.0.0.1:%1/gs").arg(m_port));
    m_client = std::make_unique<GsConfirmClient>(m_settings.get());
}

bool GsConfirmClientTest::confirm(const QByteArray &replyBody, int status, QString *error)
{
    m_replyBody = replyBody;
    m_replyStatus = status;
    error->clear();
    return m_client->confirm(QStringLiteral("P01PACK2WB"), error);
}

void GsConfirmClientTest::replies()
{
    QString error;
    QVERIFY(confirm(R"({"wrote": 1})", 200, &error));
    QVERIFY(confirm(R"({"wrote": "3", "row": 17})", 200, &error));
    QVERIFY(confirm(QByteArray(), 200, &error));
    QVERIFY(confirm(R"({"status": "ok"})", 200, &error));

    QVERIFY(!confirm(R"({"wrote": "нет"})", 200, &error));
    QCOMPARE(error, QStringLiteral("GS вернул wrote <= 0."));
    QVERIFY(!confirm(R"({"wrote": 0.5})", 200, &error));
    QCOMPARE(error, QStringLiteral("GS вернул wrote <= 0."));

    QVERIFY(!confirm("  таблица недоступна \n", 500, &error));
    QCOMPARE(error, QStringLiteral("таблица недоступна"));
    QVERIFY(!confirm(QByteArray(), 500, &error));
    QCOMPARE(error, QStringLiteral("GS не подтвердил запись."));
    QVERIFY(!confirm(R"({"wrote": 1})", 201, &error));
    QCOMPARE(error, QStringLiteral("{\"wrote\": 1}"));
}

void GsConfirmClientTest::requestAndRefusals()
{
    QString error;
    m_bodies.clear();
    QVERIFY(confirm(R"({"wrote": 1})", 200, &error));
    QCOMPARE(m_bodies.size(), 1);
    static const QRegularExpression body(QStringLiteral(
        R"(^\{"user":"desktop","barcode":"P01PACK2WB","source":"temvar","ts":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d"\}$)"));
    QVERIFY2(body.match(QString::fromUtf8(m_bodies.first())).hasMatch(), m_bodies.first().constData());
    QCOMPARE(m_contentTypes.first(), QByteArray("application/json"));

    // Quotes and non-Latin text reach the spreadsheet intact.
    m_bodies.clear();
    QVERIFY(m_client->confirm(QStringLiteral("Заказ \"7\""), &error));
    QCOMPARE(QJsonDocument::fromJson(m_bodies.first()).object().value("barcode").toString(),
             QStringLiteral("Заказ \"7\""));

    // A confirmation asked for while one waits (from a timer in the local loop) is refused.
    m_bodies.clear();
    m_replyBody = R"({"wrote": 1})";
    QString innerError;
    bool innerResult = true;
    QTimer::singleShot(0, this, [&] { innerResult = m_client->confirm(QStringLiteral("X"), &innerError); });
    QVERIFY(m_client->confirm(QStringLiteral("P01PACK2WB"), &error));
    QVERIFY(!innerResult);
    QCOMPARE(innerError, QStringLiteral("GS: предыдущая запись ещё не подтверждена."));
    QCOMPARE(m_bodies.size(), 1);
    QVERIFY(!m_client->waiting());

    // Nobody listening: the network layer ends it.
    QHttpServer closed;
    const quint16 deadPort = closed.listen(QHostAddress::LocalHost, 0);
    QVERIFY(deadPort != 0);
    for (QTcpServer *server : closed.servers())
        server->close();
    m_settings->setGsConfirmEndpoint(QStringLiteral("http://127.0.0.1:%1/gs").arg(deadPort));
    QVERIFY(!m_client->confirm(QStringLiteral("P01PACK2WB"), &error));
    QCOMPARE(error, QStringLiteral("GS не подтвердил запись."));

    // No endpoint: refused at once, nothing sent.
    m_bodies.clear();
    m_settings->setGsConfirmEndpoint(QStringLiteral("   "));
    QVERIFY(!m_client->confirm(QStringLiteral("P01PACK2WB"), &error));
    QCOMPARE(error, QStringLiteral("Не указан GS API."));
    GsConfirmClient unconfigured(nullptr);
    QVERIFY(!unconfigured.confirm(QStringLiteral("1"), &error));
    QCOMPARE(error, QStringLiteral("Не указан GS API."));
    // A confirmation that does reach the spreadsheet, so any earlier one would have too.
    m_settings->setGsConfirmEndpoint(QStringLiteral("http://127.0.0.1:%1/gs").arg(m_port));
    QVERIFY(confirm("{\"ok\":true,\"wrote\":1}", 200, &error));
    QCOMPARE(m_bodies.size(), 1);
}

QTEST_MAIN(GsConfirmClientTest)
#include "GsConfirmClientTest.moc"
