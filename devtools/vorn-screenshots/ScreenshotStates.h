#pragma once

#include <QList>
#include <QString>

#include <functional>

class AppSettings;
class DevServer;

// What a state may touch besides the scene: the real settings and the devserver.
struct ScreenshotBackend
{
    AppSettings &settings;
    DevServer &server;
};

// One picture: `script` is evaluated with the root window as scope (so "pageKey='orders'"
// sets the root's property); `waitFor`, when set, is polled until true before the grab;
// `prepare` runs first for what the scene cannot set itself (e.g. a service block).
struct ScreenshotState
{
    QString name;
    QString script;
    QString waitFor;
    std::function<void(ScreenshotBackend &)> prepare;
};

// Every state starts from this one.
QString screenshotResetScript();
void resetScreenshotBackend(ScreenshotBackend &backend);

QList<ScreenshotState> screenshotStates();
