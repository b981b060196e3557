#include "FuzzSettings.h"

#include "common/JsonRead.h"
#include "consumables/ConsumablesService.h"

// A snapshot root reaching the consumables (and the server-given settings before
// it, as the client applies them in that order). The services are made once and
// take input after input, as they take poll after poll in the client.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    AppSettings *const settings = fuzzSettings();
    static ConsumablesService *const consumables = new ConsumablesService(settings, nullptr);

    const QJsonObject root = jsonObjectFromBytes(fuzzBytes(data, size));
    settings->applyServerPayloadObject(root);
    readEveryProperty(settings);
    consumables->applySnapshotRoot(root);
    readEveryProperty(consumables);
    for (const QVariant &tab : settings->property("consumableTabs").toList()) {
        const QString tabId = tab.toMap().value(QStringLiteral("id")).toString();
        consumables->itemsForTab(tabId);
        consumables->summaryForTab(tabId);
    }
    return 0;
}
