#include "FuzzSupport.h"

#include "consumables/WallPayload.h"

#include <cmath>
#include <cstdlib>

// A wall QR as any scanner or phone may hand it over.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString raw = fuzzText(data, size);
    WallPayload::extractJson(raw);
    const QJsonObject object = WallPayload::readObject(raw);
    const bool wall = WallPayload::isConsumableWall(raw);
    if (wall && object.isEmpty())
        abort();
    const WallPayload::Writeoff writeoff = WallPayload::buildWriteoff(
        raw, [](const QString &tabId) { return tabId.isEmpty() ? QString() : tabId + QStringLiteral("_srv"); });
    if (!std::isfinite(writeoff.amount))
        abort();
    return 0;
}
