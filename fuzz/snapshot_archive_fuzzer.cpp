#include "FuzzSupport.h"

#include "production/PrintArchiveStore.h"
#include "settings/AppSettings.h"

// A snapshot root reaching the print archive.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QJsonObject root = fuzzJsonObject(fuzzBytes(data, size));

    AppSettings::setDataDirectoryOverride(fuzzScratchDir());
    AppSettings settings;
    PrintArchiveStore archive(&settings, nullptr);
    archive.applySnapshotRoot(root);
    readEveryProperty(&archive);
    for (const QVariant &date : archive.property("availableDates").toList()) {
        archive.setSelectedDate(date);
        readEveryProperty(&archive);
    }
    archive.shiftSelectedDate(-1);
    archive.applySnapshotRoot(root);
    return 0;
}
