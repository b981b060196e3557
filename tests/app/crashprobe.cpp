// A small client stand-in for the process tests: it claims the single instance for a data
// folder, installs crash capture exactly as the client does (with a short restart delay)
// and then fails in the way the first arguments ask for.
//
//   vorn_crash_probe <dataFolder> <wait|terminate|throw|abort|overflow> [more arguments...]
//
// Environment: VORN_PROBE_NO_RESTART=1 installs without an application path.
// Files written into the data folder: "started-<pid>.json" (the arguments, once ready)
// and "show-requests.txt" (one line per show request received).
#include "app/CrashCapture.h"
#include "app/SingleInstanceGuard.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

#include <csignal>
#include <cstdlib>
#include <exception>
#include <stdexcept>

namespace {

volatile int g_sink = 0;

int overflowStack(int depth)
{
    volatile char frame[4096];
    frame[0] = char(depth);
    g_sink += frame[0];
    return overflowStack(depth + 1) + frame[0];
}

void writeStartedFile(const QString &dataFolder, const QStringList &arguments)
{
    QFile file(QDir(dataFolder).filePath(QStringLiteral("started-%1.json").arg(QCoreApplication::applicationPid())));
    const QString temporary = file.fileName() + QStringLiteral(".tmp");
    QFile out(temporary);
    if (out.open(QIODevice::WriteOnly))
        out.write(QJsonDocument(QJsonArray::fromStringList(arguments)).toJson());
    out.close();
    QFile::rename(temporary, file.fileName());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (arguments.size() < 2)
        return 2;
    const QString dataFolder = arguments.at(0);
    const QString mode = arguments.at(1);

    SingleInstanceGuard guard(dataFolder);
    if (!guard.claim())
        return 0;
    QObject::connect(&guard, &SingleInstanceGuard::showRequested, [&] {
        QFile file(QDir(dataFolder).filePath(QStringLiteral("show-requests.txt")));
        if (file.open(QIODevice::WriteOnly | QIODevice::Append))
            file.write("show\n");
    });

    const QString crashLog = QDir(dataFolder).filePath(QStringLiteral("logs/crash-%1.log")
            .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
    const bool restart = qEnvironmentVariableIntValue("VORN_PROBE_NO_RESTART") == 0;
    CrashCapture::install(crashLog, restart ? QCoreApplication::applicationFilePath() : QString(), arguments, 1);
    writeStartedFile(dataFolder, arguments);

    if (mode == QLatin1String("terminate"))
        std::terminate();
    if (mode == QLatin1String("throw"))
        throw std::runtime_error("probe");
    if (mode == QLatin1String("abort"))
        std::abort();
    if (mode == QLatin1String("overflow"))
        return overflowStack(0);
    return QCoreApplication::exec();
}
