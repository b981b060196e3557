#pragma once

#include "app/ClientServices.h"
#include "app/EventLogModel.h"
#include "app/SceneLoader.h"
#include "settings/AppSettings.h"

#include <QApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQmlExpression>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The whole scene as the entry point builds it (settings, journal, services, engine and
// the main window), for tests that drive it through its root functions. Members are in
// creation order; closeScene() tears them down in reverse.
class SceneHarness
{
protected:
    // A fresh data folder per case: nothing one case saves leaks into the next.
    void useFreshDataFolder()
    {
        QVERIFY(m_home.isValid());
        AppSettings::setDataDirectoryOverride(m_home.filePath(QString::number(++m_round)));
    }

    // An onboarded workstation points at a closed port: requests fail at once, and the
    // scene only reads the identity.
    void loadScene(bool onboarded)
    {
        m_settings = std::make_unique<AppSettings>();
        m_settings->load();
        if (onboarded) {
            m_settings->setServerUrl(QStringLiteral("http://127.0.0.1:9"));
            m_settings->setTenantId(QStringLiteral("demo"));
            m_settings->setDeviceId(QStringLiteral("demo-pc"));
            m_settings->setOnboardingCompleted(true);
        }
        QCOMPARE(m_settings->onboardingRequired(), !onboarded);
        m_eventLog = std::make_unique<EventLogModel>();
        m_services = std::make_unique<ClientServices>(*m_settings, *m_eventLog);
        m_engine = std::make_unique<QQmlApplicationEngine>();
        m_services->publish(m_engine->rootContext());
        m_loader = std::make_unique<SceneLoader>(*m_engine);
        QVERIFY2(m_loader->load(), qPrintable(m_loader->messages().join(u'\n')));
        m_window = m_loader->mainWindow();
        QVERIFY(m_window);
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }

    // Fails when loading left messages behind.
    void closeScene()
    {
        const QStringList messages = m_loader ? m_loader->messages() : QStringList();
        m_loader.reset();
        m_engine.reset();
        m_services.reset();
        m_eventLog.reset();
        m_settings.reset();
        m_window = nullptr;
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join(u'\n')));
    }

    // A script in the root window's context; an error becomes a warning, which fails the test.
    QVariant eval(const QString &script)
    {
        QQmlExpression expression(qmlContext(m_window), m_window, script);
        const QVariant value = expression.evaluate();
        if (expression.hasError())
            qWarning().noquote() << expression.error().toString();
        return value;
    }

    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<EventLogModel> m_eventLog;
    std::unique_ptr<ClientServices> m_services;
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    std::unique_ptr<SceneLoader> m_loader;
    QQuickWindow *m_window = nullptr;
    QTemporaryDir m_home;
    int m_round = 0;
};

// The scene's own style and application names around a QTest run.
#define SCENE_TEST_MAIN(TestClass)                                                                 \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QQuickStyle::setStyle(QStringLiteral("Basic"));                                            \
        QApplication app(argc, argv);                                                              \
        QApplication::setOrganizationName(QStringLiteral("VornClient"));                           \
        QApplication::setApplicationName(QStringLiteral("VornClient"));                            \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
