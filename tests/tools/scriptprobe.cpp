// Stands in for the client in the exit test: runs one script through the script
// runtime, prints "pid <n>" once the script wrote its first output, then waits to be killed.
//
//   vorn_script_probe <scriptPath>
#include "settings/AppSettings.h"
#include "tools/ScriptRuntimeService.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    AppSettings settings;
    settings.addScriptEntry();
    settings.setScriptEntryPath(0, QString::fromLocal8Bit(argv[1]));
    ScriptRuntimeService runtime(&settings, nullptr);
    QObject::connect(&runtime, &ScriptRuntimeService::logChanged, &app, [&runtime](int, const QString &log) {
        static bool told = false;
        if (!told && log.contains(QStringLiteral("ready"))) {
            told = true;
            std::printf("pid %lld\n", static_cast<long long>(runtime.processId(0)));
            std::fflush(stdout);
        }
    });
    runtime.start(0);
    return app.exec();
}
