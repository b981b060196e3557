// Helper of the settings crash test: saves the settings again and again with a
// rising number in both files (settings.json: wbPath, identity.json: deviceName),
// in the data folder XDG_DATA_HOME points at, and prints each number once save()
// has returned. The test kills it with SIGKILL at random moments.
#include "KillLoop.h"

#include "settings/AppSettings.h"

#include <memory>

int main(int argc, char *argv[])
{
    std::unique_ptr<AppSettings> settings;
    // Long values, so a kill often lands inside a write.
    const QString padding(20000, QLatin1Char('x'));
    return KillLoop::runWriter(argc, argv, [&](qint64 n) {
        if (!settings)
            settings = std::make_unique<AppSettings>();
        settings->setWbPath(QString::number(n));
        settings->setDeviceName(QString::number(n));
        settings->setOzonPath(padding);
        return settings->save();
    });
}
