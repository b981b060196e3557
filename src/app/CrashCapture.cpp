#include "app/CrashCapture.h"

#include "common/IsoTime.h"
#include "common/LogCategories.h"
#include "platform/CrashHandlers.h"
#include "platform/NativeStringQt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace CrashCapture {

namespace {

struct Values {
    QString crashLogPath;
    QString applicationFilePath;
    QStringList arguments;
};

Values &values()
{
    static Values stored;
    return stored;
}

} // namespace

void install(const QString &crashLogPath, const QString &applicationFilePath,
             const QStringList &argumentsWithoutProgram, int restartDelaySeconds)
{
    Values &stored = values();
    stored.crashLogPath = crashLogPath;
    stored.applicationFilePath = applicationFilePath.trimmed();
    stored.arguments = argumentsWithoutProgram;

    platform::CrashSetup setup;
    setup.crashLogPath = platform::toNativePath(stored.crashLogPath);
    setup.applicationPath = platform::toNativePath(stored.applicationFilePath);
    for (const QString &argument : argumentsWithoutProgram)
        setup.arguments.push_back(platform::toNativeText(argument));
    setup.restartDelaySeconds = restartDelaySeconds;
    if (!platform::installCrashHandlers(setup))
        qCWarning(lcApp) << "crash capture installed with limits (path too long or handler refused)";
}

QString crashLogPath()
{
    return values().crashLogPath;
}

QString applicationFilePath()
{
    return values().applicationFilePath;
}

QStringList arguments()
{
    return values().arguments;
}

void recordExitReason(const QString &reason)
{
    const QString path = crashLogPath();
    if (path.isEmpty())
        return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        qCWarning(lcApp) << "cannot append to" << path << ":" << file.errorString();
        return;
    }
    file.write((isoLocalNowMs() + QLatin1Char(' ') + reason + QLatin1Char('\n')).toUtf8());
}

} // namespace CrashCapture
