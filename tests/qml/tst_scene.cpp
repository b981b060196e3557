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
    void loadsWithoutWarnings();

private:
    QTemporaryDir m_home;
};

void TestScene::initTestCase()
{
    QVERIFY(m_home.isValid());
    AppSettings::setDataDirectoryOverride(m_home.path());
}

void TestScene::loadsWithoutWarnings()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));

    AppSettings settings;
    settings.load();
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
