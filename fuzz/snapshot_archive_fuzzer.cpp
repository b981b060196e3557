#include "FuzzSettings.h"

#include "common/JsonRead.h"
#include "production/PrintArchiveStore.h"

// A snapshot root reaching the print archive, made once and fed input after
// input as the client feeds it poll after poll.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static PrintArchiveStore *const archive = new PrintArchiveStore(fuzzSettings(), nullptr);

    const QJsonObject root = jsonObjectFromBytes(fuzzBytes(data, size));
    archive->applySnapshotRoot(root);
    readEveryProperty(archive);
    for (const QVariant &date : archive->property("availableDates").toList()) {
        archive->setSelectedDate(date);
        readEveryProperty(archive);
    }
    archive->shiftSelectedDate(-1);
    archive->applySnapshotRoot(root);
    return 0;
}
