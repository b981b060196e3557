#include "app/ClientServices.h"
#include "app/SceneLoader.h"
#include "settings/AppSettings.h"

#include <QApplication>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QtTest>

// Loads the whole scene offscreen with every backend object published, and
// fails on any warning: a typo in a binding must never reach an operator.
class TestScene : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void loadsWithoutWarnings_data();
    void loadsWithoutWarnings();

private:
    QTemporaryDir m_home;
};

void TestScene::initTestCase()
{
    QVERIFY(m_home.isValid());
    AppSettings::setDataDirectoryOverride(m_home.path());
}

void TestScene::loadsWithoutWarnings_data()
{
    QTest::addColumn<bool>("connected");
    QTest::newRow("onboarding shown") << false;
    QTest::newRow("onboarding done") << true;
}

void TestScene::loadsWithoutWarnings()
{
    QFETCH(bool, connected);
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));

    AppSettings settings;
    settings.load();
    settings.setServerUrl(QStringLiteral("http://127.0.0.1:9"));
    settings.setTenantId(connected ? QStringLiteral("tenant-scene") : QString());
    settings.setDeviceId(connected ? QStringLiteral("device-scene") : QString());
    settings.setOnboardingCompleted(connected);
    QCOMPARE(settings.onboardingRequired(), !connected);
    QVERIFY(settings.appDataDir().startsWith(m_home.path()));
    EventLogModel eventLog;
    ClientServices services(settings, eventLog);
    QQmlApplicationEngine engine;
    services.publish(engine.rootContext());

    SceneLoader loader(engine);
    QVERIFY2(loader.load(), qPrintable(loader.messages().join(u'\n')));
    QVERIFY2(loader.messages().isEmpty(), qPrintable(loader.messages().join(u'\n')));
    QQuickWindow *window = loader.mainWindow();
    QVERIFY(window);
    QCOMPARE(window->title(), settings.displayAppName());
    QVERIFY(QTest::qWaitForWindowExposed(window));

    // The journal on screen follows the model.
    services.eventLog().addWarn(QStringLiteral("проверка сцены"));
    QTest::qWait(50);
    QVERIFY2(loader.messages().isEmpty(), qPrintable(loader.messages().join(u'\n')));

    if (connected) {
        // Every settings tab builds inside the shell.
        QVERIFY(window->setProperty("pageKey", QStringLiteral("settings")));
        for (const char *tab : {"client", "paths", "devices", "cutters", "server", "scripts", "qrwall"}) {
            QVERIFY(window->setProperty("settingsTab", QString::fromLatin1(tab)));
            QTest::qWait(30);
        }
    } else {
        // Every onboarding step builds inside the gate.
        for (int step = 0; step <= 6; ++step) {
            QVERIFY(window->setProperty("onboardingStep", step));
            QTest::qWait(30);
        }
    }
    QVERIFY2(loader.messages().isEmpty(), qPrintable(loader.messages().join(u'\n')));
}

int main(int argc, char *argv[])
{
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("VornClient"));
    QApplication::setApplicationName(QStringLiteral("VornClient"));
    TestScene test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scene.moc"
