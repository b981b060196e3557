#include "settings/ServerPayloadPatch.h"

#include "common/JsonRead.h"
#include "settings/ScriptEntries.h"
#include "settings/SettingsJsonReader.h"
#include "settings/SettingsJsonWriter.h"
#include "settings/SettingsRules.h"

#include <QJsonArray>

QJsonObject ServerPayloadPatch::extract(const QVariantMap &payload)
{
    return extract(QJsonObject::fromVariantMap(payload));
}

QJsonObject ServerPayloadPatch::extract(const QJsonObject &payload)
{
    QJsonObject patch;
    mergeSource(patch, payload);
    const QJsonValue snapshot = payload.value(QLatin1String("snapshot"));
    if (snapshot.isObject())
        mergeSource(patch, snapshot.toObject());
    liftUiKeys(patch);
    removeMachineKeys(patch);
    return patch;
}

SettingsState ServerPayloadPatch::applied(const SettingsState &state, const QJsonObject &patch)
{
    QJsonObject merged = SettingsJsonWriter::serverForm(state);
    mergeRecursive(merged, patch);
    // A brand name sent in `branding` counts unless the patch names the app directly.
    const QString brandName = jsonFirstText(patch.value(QLatin1String("branding")).toObject(),
                                            {"app_name", "client_name"});
    if (!brandName.isEmpty() && jsonFirstText(patch, {"displayAppName", "app_name"}).isEmpty())
        merged.insert(QStringLiteral("app_name"), brandName);

    SettingsState next = state;
    SettingsJsonReader::applyIdentity(next, merged);
    next.orderScanConfirmMode = state.orderScanConfirmMode; // a machine setting, never the server's
    next.scriptEntries = ScriptEntries::applyBindings(next.scriptEntries, state.scriptBindings);
    if (patch.contains(QLatin1String("wallBindings")) && !state.wallBindings.isEmpty()
        && next.wallBindings.size() < state.wallBindings.size())
        next.wallBindings = state.wallBindings;
    SettingsRules::applyInterfaceDefaults(next);
    return next;
}

void ServerPayloadPatch::mergeRecursive(QJsonObject &target, const QJsonObject &source)
{
    for (auto it = source.constBegin(); it != source.constEnd(); ++it) {
        const QJsonValue current = target.value(it.key());
        if (it.value().isObject() && current.isObject()) {
            QJsonObject merged = current.toObject();
            mergeRecursive(merged, it.value().toObject());
            target.insert(it.key(), merged);
        } else {
            target.insert(it.key(), it.value());
        }
    }
}

void ServerPayloadPatch::mergeSource(QJsonObject &patch, const QJsonObject &src)
{
    for (const char *name : {"settings_patch", "tenant_settings_patch", "local_settings_patch",
                             "tenant_settings", "local_settings", "settings", "ui_patch"}) {
        const QJsonObject part = src.value(QLatin1String(name)).toObject();
        for (auto it = part.constBegin(); it != part.constEnd(); ++it)
            patch.insert(it.key(), it.value());
    }

    const QJsonValue branding = src.value(QLatin1String("branding"));
    if (branding.isObject() && !branding.toObject().isEmpty())
        patch.insert(QStringLiteral("branding"), branding);

    const QJsonValue ui = src.value(QLatin1String("ui"));
    if (ui.isObject()) {
        QJsonObject merged = patch.value(QLatin1String("ui")).toObject();
        mergeRecursive(merged, ui.toObject());
        patch.insert(QStringLiteral("ui"), merged);
    }

    // Hidden pages from every source are united.
    bool anyHidden = false;
    QJsonArray hidden = patch.value(QLatin1String("hiddenTabs")).toArray();
    for (const char *name : {"hidden_tabs", "disabled_tabs", "tabs_hidden"}) {
        const QJsonValue value = src.value(QLatin1String(name));
        if (!value.isArray())
            continue;
        anyHidden = true;
        for (const QJsonValue &key : value.toArray()) {
            if (!hidden.contains(key))
                hidden.append(key);
        }
    }
    if (anyHidden)
        patch.insert(QStringLiteral("hiddenTabs"), hidden);

    bool anyFlags = false;
    QJsonObject flags = patch.value(QLatin1String("featureFlags")).toObject();
    for (const char *name : {"feature_flags", "flags", "features"}) {
        const QJsonValue value = src.value(QLatin1String(name));
        if (!value.isObject())
            continue;
        anyFlags = true;
        const QJsonObject part = value.toObject();
        for (auto it = part.constBegin(); it != part.constEnd(); ++it)
            flags.insert(it.key(), it.value());
    }
    if (anyFlags)
        patch.insert(QStringLiteral("featureFlags"), flags);

    QJsonObject links = patch.value(QLatin1String("links")).toObject();
    bool anyLinks = false;
    const QJsonValue linkObject = src.value(QLatin1String("links"));
    if (linkObject.isObject()) {
        anyLinks = true;
        mergeRecursive(links, linkObject.toObject());
    }
    for (const char *name : {"employee_portal_url", "staff_url", "staff_defects_url", "staff_bugs_url",
                             "manager_url", "manager_defects_url", "manager_bugs_url", "cabinet_url"}) {
        const QJsonValue value = src.value(QLatin1String(name));
        if (value.isString() && !value.toString().trimmed().isEmpty()) {
            anyLinks = true;
            links.insert(QLatin1String(name), value.toString().trimmed());
        }
    }
    if (anyLinks)
        patch.insert(QStringLiteral("links"), links);

    const QJsonValue catalog = src.value(QLatin1String("scripts_catalog"));
    if (catalog.isArray()) {
        patch.insert(QStringLiteral("scriptEntries"),
                     QJsonArray::fromVariantList(ScriptEntries::fromJson(catalog.toArray())));
    }

    for (const char *name : {"consumableTabs", "wallBindings"}) {
        const QJsonValue value = src.value(QLatin1String(name));
        if (value.isArray())
            patch.insert(QLatin1String(name), value);
    }
    const QJsonValue help = jsonFirstValue(src, {"helpSections", "help_sections"});
    if (help.isArray())
        patch.insert(QStringLiteral("helpSections"), help);
}

void ServerPayloadPatch::liftUiKeys(QJsonObject &patch)
{
    const QJsonObject ui = patch.value(QLatin1String("ui")).toObject();
    if (ui.value(QLatin1String("hidden_tabs")).isArray())
        patch.insert(QStringLiteral("hiddenTabs"), ui.value(QLatin1String("hidden_tabs")));
    if (ui.value(QLatin1String("feature_flags")).isObject())
        patch.insert(QStringLiteral("featureFlags"), ui.value(QLatin1String("feature_flags")));
    for (const char *name : {"consumableTabs", "wallBindings"}) {
        if (ui.value(QLatin1String(name)).isArray())
            patch.insert(QLatin1String(name), ui.value(QLatin1String(name)));
    }
}

void ServerPayloadPatch::removeMachineKeys(QJsonObject &patch)
{
    static const char *const machineKeys[] = {
        "wbPath", "ozonPath", "ymPath", "yandexLabelsPath", "yandexPath", "ymLabelsPath",
        "warehousePath", "warehouseDir", "stockPath", "skladPath", "wbLabelsDir", "ozonLabelsDir",
        "marelaRollsDir", "picturesMarelaDir", "pictures_marela_dir", "ivraRollsDir",
        "uidSearchRoot1", "uidSearchRoot2", "uidSearchRoot3", "scriptRoot1", "scriptRoot2",
        "scriptRoot3", "labelPrinterName", "yandexLabelPrinterName", "ymLabelPrinterName",
        "yandexPrinterName", "scannerPorts", "scanner_ports", "comPort", "comBaudRate", "comPort2",
        "comBaudRate2", "scanner2Port", "scanner2BaudRate", "rfidPort", "rfidBaudRate",
        "orderScanConfirmMode",
    };
    for (const char *key : machineKeys)
        patch.remove(QLatin1String(key));
}
