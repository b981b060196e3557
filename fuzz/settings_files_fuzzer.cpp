#include "FuzzSupport.h"

#include "settings/AppSettings.h"

#include <QFile>

#include <cstdlib>

// The identity file and the machine's settings file as found on disk, in any state.
// Loading never fails loudly, and what the client then saves loads back unchanged.
static void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const uint8_t which = input.takeByte();
    const QByteArray content = input.restBytes();

    AppSettings::setDataDirectoryOverride(fuzzScratchDir());
    AppSettings settings;
    if (which & 1)
        writeFile(settings.identityCachePath(), content);
    if (which & 2)
        writeFile(settings.settingsPath(), content);
    if (which & 4) // a damaged file beside a good backup
        writeFile(settings.identityCachePath() + QStringLiteral(".bak"), content);
    settings.load();
    if (!settings.save())
        return 0;

    AppSettings reloaded;
    reloaded.load();
    if (reloaded.lastSavedState() != settings.lastSavedState()) {
        fprintf(stderr, "saved settings load back differently:\n%s\n---\n%s\n",
                qPrintable(settings.lastSavedState()), qPrintable(reloaded.lastSavedState()));
        abort();
    }
    return 0;
}
