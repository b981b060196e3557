#include "app/ClientHost.h"

#include "app/CrashCapture.h"
#include "app/SceneLoader.h"
#include "common/LogCategories.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QMessageBox>

ClientHost::ClientHost()
    : m_instanceGuard(m_settings.appDataDir())
{
}

ClientHost::~ClientHost()
{
    m_instanceGuard.release();
}

int ClientHost::run()
{
    m_settings.load();

    if (!m_instanceGuard.claim()) {
        qCInfo(lcApp) << "another instance runs for this data folder; asked it to show";
        return 0;
    }
    connect(&m_instanceGuard, &SingleInstanceGuard::showRequested, this, [this] {
        qCInfo(lcApp) << "show requested";
        showMainWindow();
    });

    installCrashCapture();
    openJournal();

    m_services = std::make_unique<ClientServices>(m_settings, *m_eventLog);
    m_engine = std::make_unique<QQmlApplicationEngine>();
    m_services->publish(m_engine->rootContext());
    m_services->start();
    connect(qApp, &QCoreApplication::aboutToQuit, this, &ClientHost::recordExitReasonOnQuit);

    if (!loadScene()) {
        m_instanceGuard.release();
        return -1;
    }

    m_tray = std::make_unique<TrayIcon>();
    connect(m_tray.get(), &TrayIcon::showWindowRequested, this, &ClientHost::showMainWindow);
    connect(m_tray.get(), &TrayIcon::hideWindowRequested, this, &ClientHost::hideMainWindow);
    connect(m_tray.get(), &TrayIcon::exitRequested, this, [this] {
        m_exitRequested = true;
        QCoreApplication::quit();
    });
    m_tray->showIfAvailable();

    const int exitCode = QCoreApplication::exec();

    m_tray->hide();
    if (!m_exitRequested && exitCode == 0)
        CrashCapture::recordExitReason(
            QStringLiteral("event_loop_returned_without_explicit_exit_no_restart"));
    m_instanceGuard.release();
    return exitCode;
}

void ClientHost::installCrashCapture()
{
    const QString crashLog =
        QDir(m_settings.appDataDir())
            .filePath(QStringLiteral("logs/crash-%1.log")
                          .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    CrashCapture::install(crashLog, QCoreApplication::applicationFilePath(), arguments);
}

void ClientHost::openJournal()
{
    m_eventLog = std::make_unique<EventLogModel>();
    m_eventLog->setLogDirectory(QDir(m_settings.appDataDir()).filePath(QStringLiteral("logs")));
    // Comes before anything a service may write while it is built.
    m_eventLog->addInfo(QStringLiteral("Клиент запущен."));
}

bool ClientHost::loadScene()
{
    SceneLoader loader(*m_engine);
    if (loader.load()) {
        m_mainWindow = loader.mainWindow();
        return true;
    }
    const QString logPath = QDir(m_settings.appDataDir()).filePath(QStringLiteral("startup_error.log"));
    SceneLoader::writeStartupErrorLog(logPath, loader.messages());
    QMessageBox::critical(nullptr, QStringLiteral("VornClient"),
                          QStringLiteral("Приложение не смогло загрузить главный QML экран.\nЛог: %1")
                              .arg(QDir::toNativeSeparators(logPath)),
                          QMessageBox::Ok);
    return false;
}

void ClientHost::showMainWindow()
{
    if (!m_mainWindow)
        return;
    m_mainWindow->show();
    m_mainWindow->raise();
    m_mainWindow->requestActivate();
}

void ClientHost::hideMainWindow()
{
    if (m_mainWindow)
        m_mainWindow->hide();
}

void ClientHost::recordExitReasonOnQuit()
{
    CrashCapture::recordExitReason(m_exitRequested
                                       ? QStringLiteral("normal_exit_requested")
                                       : QStringLiteral("event_loop_finished_without_explicit_exit"));
}
