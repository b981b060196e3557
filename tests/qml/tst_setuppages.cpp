#include "DemoData.h"
#include "DevServer.h"
#include "app/ClientServices.h"
#include "app/EventLogModel.h"
#include "settings/AppSettings.h"

#include <QApplication>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QTemporaryDir>
#include <QtQuickTest>

#include <memory>

// The first-start and settings pages against the real backend graph, with the
// settings in a temporary folder and vorn-devserver on loopback; the QML cases
// live in setup/.
class SetupPagesRig : public QObject
{
    Q_OBJECT
public Q_SLOTS:
    void applicationAvailable()
    {
        QVERIFY(m_home.isValid());
        QVERIFY(m_server.listenOn(QHostAddress::LocalHost, 0) != 0);
        AppSettings::setDataDirectoryOverride(m_home.path());
        m_settings = std::make_unique<AppSettings>();
        m_settings->load();
        m_eventLog = std::make_unique<EventLogModel>();
        m_services = std::make_unique<ClientServices>(*m_settings, *m_eventLog);
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        engine->addImportPath(QStringLiteral("qrc:/qt/qml"));
        m_services->publish(engine->rootContext());
        QQmlContext *context = engine->rootContext();
        context->setContextProperty(QStringLiteral("testDataDir"), m_home.path());
        context->setContextProperty(QStringLiteral("devServerUrl"), m_server.baseUrl().toString());
        context->setContextProperty(QStringLiteral("demoTenantId"), QString::fromLatin1(Demo::kTenantId));
        context->setContextProperty(QStringLiteral("demoApiKey"), QString::fromLatin1(Demo::kApiKey));
    }

    void cleanupTestCase()
    {
        m_services.reset();
        m_eventLog.reset();
        m_settings.reset();
    }

private:
    QTemporaryDir m_home;
    DevServer m_server;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<EventLogModel> m_eventLog;
    std::unique_ptr<ClientServices> m_services;
};

int main(int argc, char *argv[])
{
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("VornClient"));
    QApplication::setApplicationName(QStringLiteral("VornClient"));
    SetupPagesRig rig;
    return quick_test_main_with_setup(argc, argv, "setuppages", QUICK_TEST_SOURCE_DIR, &rig);
}

#include "tst_setuppages.moc"
