#include "FuzzSupport.h"

#include "consumables/ConsumablesService.h"
#include "settings/AppSettings.h"

// A snapshot root reaching the consumables (and the server-given settings before
// it, as the client applies them in that order).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QJsonObject root = fuzzJsonObject(fuzzBytes(data, size));

    AppSettings::setDataDirectoryOverride(fuzzScratchDir());
    AppSettings settings;
    settings.applyServerPayload(root.toVariantMap());
    readEveryProperty(&settings);
    ConsumablesService consumables(&settings, nullptr);
    consumables.applySnapshotRoot(root);
    readEveryProperty(&consumables);
    for (const QVariant &tab : settings.property("consumableTabs").toList()) {
        const QString tabId = tab.toMap().value(QStringLiteral("id")).toString();
        consumables.itemsForTab(tabId);
        consumables.summaryForTab(tabId);
    }
    return 0;
}
