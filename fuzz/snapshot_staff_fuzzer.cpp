#include "FuzzSupport.h"

#include "common/JsonRead.h"
#include "staff/EmployeeWorkspaceStore.h"

// A snapshot root reaching the employee workspace: employees, schedule,
// attendance, archive and the active employee and cutters. The store is made
// once and fed input after input, as the client feeds it poll after poll. It has
// no settings, so no data folder: the cache file it would rewrite after every
// snapshot is plain serialisation and would take most of each run.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static EmployeeWorkspaceStore *const store = new EmployeeWorkspaceStore(nullptr, nullptr);

    const QJsonObject root = jsonObjectFromBytes(fuzzBytes(data, size));
    store->applySnapshotRoot(root);
    readEveryProperty(store);
    // The first employee selected, as the staff page does.
    const QVariantList employees = store->property("employees").toList();
    if (!employees.isEmpty()) {
        const QVariantMap first = employees.constFirst().toMap();
        store->setProperty("selectedEmployeeId", first.value(QStringLiteral("id")));
        readEveryProperty(store);
    }
    return 0;
}
