#include "FuzzSupport.h"

#include "settings/AppSettings.h"
#include "staff/EmployeeWorkspaceStore.h"

// A snapshot root reaching the employee workspace: employees, schedule,
// attendance, archive and the active employee and cutters.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QJsonObject root = fuzzJsonObject(fuzzBytes(data, size));

    AppSettings::setDataDirectoryOverride(fuzzScratchDir());
    AppSettings settings;
    EmployeeWorkspaceStore store(&settings, nullptr);
    store.applySnapshotRoot(root);
    readEveryProperty(&store);
    // The first employee selected, as the staff page does.
    const QVariantList employees = store.property("employees").toList();
    if (!employees.isEmpty()) {
        const QVariantMap first = employees.constFirst().toMap();
        store.setProperty("selectedEmployeeId", first.value(QStringLiteral("id")));
        readEveryProperty(&store);
    }
    store.applySnapshotRoot(root);
    return 0;
}
