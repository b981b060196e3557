#pragma once

#include "app/ClientServices.h"
#include "app/EventLogModel.h"
#include "app/SingleInstanceGuard.h"
#include "app/TrayIcon.h"
#include "settings/AppSettings.h"

#include <QPointer>
#include <QQmlApplicationEngine>
#include <QQuickWindow>

#include <memory>

// Runs the client from start to exit. Members are declared in creation order;
// the ones created only after the single-instance check are held by pointer so
// a second instance leaves before building anything.
class ClientHost : public QObject
{
    Q_OBJECT
public:
    ClientHost();
    ~ClientHost() override;

    // Returns the process exit code.
    int run();

private:
    bool claimSingleInstance();
    void installCrashCapture();
    void openJournal();
    bool loadScene();
    void showMainWindow();
    void hideMainWindow();
    void recordExitReasonOnQuit();

    AppSettings m_settings;
    SingleInstanceGuard m_instanceGuard;
    // The journal outlives every service that writes to it.
    std::unique_ptr<EventLogModel> m_eventLog;
    std::unique_ptr<ClientServices> m_services;
    std::unique_ptr<QQmlApplicationEngine> m_engine;
    QPointer<QQuickWindow> m_mainWindow;
    std::unique_ptr<TrayIcon> m_tray;
    bool m_exitRequested = false;
};
