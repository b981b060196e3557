// Renders the real scene against the embedded devserver into PNG files, one per named
// state (ScreenshotStates.cpp), so the look can be checked without a display.
//   vorn-screenshots [--out <dir>] [--only <regex>]

#include "DevServer.h"
#include "DemoData.h"
#include "ScreenshotStates.h"
#include "app/ClientServices.h"
#include "app/EventLogModel.h"
#include "app/SceneLoader.h"
#include "settings/AppSettings.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QQmlExpression>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QVariant evaluate(QObject *root, const QString &script, QString *error)
{
    QQmlExpression expression(qmlContext(root), root, script);
    const QVariant value = expression.evaluate();
    if (expression.hasError() && error)
        *error = expression.error().toString();
    return value;
}

bool waitUntil(QObject *root, const QString &condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (evaluate(root, condition, nullptr).toBool())
            return true;
        settle(50);
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The pictures show what a Russian workshop PC shows (month names, dates).
    qputenv("LANG", "ru_RU.UTF-8");
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setOrganizationName(QStringLiteral("VornClient"));
    QApplication::setApplicationName(QStringLiteral("VornClient"));

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("out"), QStringLiteral("Folder for the PNG files."), QStringLiteral("dir"),
                      QStringLiteral("screenshots")});
    parser.addOption({QStringLiteral("only"), QStringLiteral("Only states whose name matches."),
                      QStringLiteral("regex")});
    parser.process(app);
    const QString outDir = parser.value(QStringLiteral("out"));
    const QRegularExpression only(parser.value(QStringLiteral("only")));
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "vorn-screenshots: cannot create %s\n", qPrintable(outDir));
        return 1;
    }

    QTemporaryDir home;
    AppSettings::setDataDirectoryOverride(home.filePath(QStringLiteral("VornClient/VornClient")));
    DevServer server;
    if (server.listenOn(QHostAddress::LocalHost, 0) == 0) {
        std::fprintf(stderr, "vorn-screenshots: the devserver cannot listen\n");
        return 1;
    }

    AppSettings settings;
    settings.load();
    settings.setServerUrl(server.baseUrl().toString());
    settings.setTenantId(QString::fromLatin1(Demo::kTenantId));
    settings.setDeviceId(QString::fromLatin1(Demo::kDeviceId));
    settings.setApiKey(QString::fromLatin1(Demo::kApiKey));
    settings.setOnboardingCompleted(true);
    settings.save();

    EventLogModel eventLog;
    eventLog.setLogDirectory(QDir(settings.appDataDir()).filePath(QStringLiteral("logs")));
    ClientServices services(settings, eventLog);
    QQmlApplicationEngine engine;
    services.publish(engine.rootContext());
    services.start();

    SceneLoader loader(engine);
    if (!loader.load() || !loader.mainWindow()) {
        std::fprintf(stderr, "vorn-screenshots: the scene did not load:\n%s\n",
                     qPrintable(loader.messages().join(u'\n')));
        return 1;
    }
    QQuickWindow *window = loader.mainWindow();
    QObject *root = window;
    window->resize(1520, 960);
    window->show();

    // The first snapshot and the notices come from the devserver.
    waitUntil(root, QStringLiteral("clientNoticesService.notices.length > 0"), 10000);
    settle(1500);

    ScreenshotBackend backend{settings, server};
    int written = 0;
    int failed = 0;
    for (const ScreenshotState &state : screenshotStates()) {
        if (!only.pattern().isEmpty() && !only.match(state.name).hasMatch())
            continue;
        resetScreenshotBackend(backend);
        QString error;
        evaluate(root, screenshotResetScript(), &error);
        if (state.prepare)
            state.prepare(backend);
        if (!state.script.isEmpty())
            evaluate(root, state.script, &error);
        if (!state.waitFor.isEmpty() && !waitUntil(root, state.waitFor, 8000))
            error = QStringLiteral("timed out waiting for ") + state.waitFor;
        settle(400);
        const QString path = QDir(outDir).filePath(state.name + QStringLiteral(".png"));
        if (!error.isEmpty()) {
            std::fprintf(stderr, "vorn-screenshots: %s: %s\n", qPrintable(state.name), qPrintable(error));
            ++failed;
        }
        if (window->grabWindow().save(path)) {
            std::printf("%s\n", qPrintable(path));
            ++written;
        } else {
            std::fprintf(stderr, "vorn-screenshots: cannot write %s\n", qPrintable(path));
            ++failed;
        }
    }
    for (const QString &message : loader.messages())
        std::fprintf(stderr, "vorn-screenshots: scene: %s\n", qPrintable(message));
    std::printf("vorn-screenshots: %d pictures in %s\n", written, qPrintable(outDir));
    return failed == 0 && loader.messages().isEmpty() ? 0 : 1;
}
