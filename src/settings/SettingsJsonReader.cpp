#include "settings/SettingsJsonReader.h"

#include "common/JsonRead.h"
#include "settings/ConsumableTabs.h"
#include "settings/HelpSections.h"
#include "settings/PageKeys.h"
#include "settings/ScannerSlots.h"
#include "settings/ScriptEntries.h"
#include "settings/ServerDefaults.h"
#include "settings/WallBindings.h"

#include <QJsonArray>

namespace {

// The first value of the wanted type under the keys, looked up first in `ui`
// when asked to; undefined when none.
QJsonValue firstOfType(const QJsonObject &object, JsonKeys keys, QJsonValue::Type type,
                       bool uiFirst = false)
{
    if (uiFirst) {
        const QJsonObject ui = object.value(QLatin1String("ui")).toObject();
        for (const char *key : keys) {
            const QJsonValue value = ui.value(QLatin1String(key));
            if (value.type() == type)
                return value;
        }
    }
    for (const char *key : keys) {
        const QJsonValue value = object.value(QLatin1String(key));
        if (value.type() == type)
            return value;
    }
    return QJsonValue(QJsonValue::Undefined);
}

QStringList textList(const QJsonArray &array)
{
    QStringList out;
    for (const QJsonValue &value : array) {
        const QString text = jsonToText(value);
        if (!text.isEmpty())
            out.append(text);
    }
    return out;
}

int baudFrom(const QJsonObject &object, JsonKeys keys)
{
    return ScannerSlots::baudFrom(jsonFirstValue(object, keys).toVariant());
}

} // namespace

QString SettingsJsonReader::normalizeServerUrl(const QString &url)
{
    QString value = url.trimmed();
    while (value.endsWith(u'/'))
        value.chop(1);
    const QString defaultUrl = QString::fromLatin1(ServerDefaults::kDefaultServerUrl);
    if (value.isEmpty())
        return defaultUrl;
    QString legacyHttp = QString::fromLatin1(ServerDefaults::kLegacyServerUrl);
    legacyHttp.replace(QLatin1String("https://"), QLatin1String("http://"));
    if (value.compare(QLatin1String(ServerDefaults::kLegacyServerUrl), Qt::CaseInsensitive) == 0
        || value.compare(legacyHttp, Qt::CaseInsensitive) == 0)
        return defaultUrl;
    return value;
}

void SettingsJsonReader::applyIdentity(SettingsState &s, const QJsonObject &o)
{
    const QJsonObject integrations = o.value(QLatin1String("integrations")).toObject();
    const QJsonObject branding = o.value(QLatin1String("branding")).toObject();

    s.franchiseName = jsonFirstText(o, {"franchiseName"});
    s.operatorName = jsonFirstText(o, {"operatorName"});
    s.tenantId = jsonFirstText(o, {"tenantId"});
    s.deviceId = jsonFirstText(o, {"deviceId"});
    s.clientId = jsonFirstText(o, {"clientId"}, QStringLiteral("desktop"));
    s.deviceName = jsonFirstText(o, {"deviceName"});
    s.serverUrl = normalizeServerUrl(jsonFirstText(o, {"serverUrl"}));
    s.bootstrapEndpoint = jsonFirstText(o, {"bootstrapEndpoint"}, QStringLiteral("/api/bootstrap"));
    s.deviceRegisterEndpoint = jsonFirstText(o, {"deviceRegisterEndpoint"}, QStringLiteral("/api/device-register"));
    s.clientConfigEndpoint = jsonFirstText(o, {"clientConfigEndpoint"}, QStringLiteral("/api/client-config"));
    s.apiKey = jsonFirstText(o, {"apiKey"});
    s.cabinetUrl = jsonFirstText(o, {"cabinetUrl"});
    // Held in memory only: taken when present, never written back.
    if (o.contains(QLatin1String("cabinetLogin")))
        s.cabinetLogin = jsonToText(o.value(QLatin1String("cabinetLogin")));
    if (o.contains(QLatin1String("cabinetPassword")))
        s.cabinetPassword = jsonToText(o.value(QLatin1String("cabinetPassword")));
    s.onboardingCompleted = jsonToBool(o.value(QLatin1String("onboardingCompleted")), false)
                            || jsonToBool(o.value(QLatin1String("client_setup_completed")), false);
    s.gsConfirmEndpoint = jsonFirstText(o, {"gsConfirmEndpoint"});
    if (s.gsConfirmEndpoint.isEmpty())
        s.gsConfirmEndpoint = jsonFirstText(integrations, {"google_sheet_url", "gs_endpoint"});
    s.orderScanConfirmMode = QStringLiteral("app");
    s.eventEndpoint = jsonFirstText(o, {"eventEndpoint"}, QStringLiteral("/api/client-event"));
    s.snapshotEndpoint = jsonFirstText(o, {"snapshotEndpoint"}, QStringLiteral("/api/client-snapshot"));
    s.wbToken = jsonFirstText(o, {"wbToken"}, jsonFirstText(integrations, {"wb_token"}));
    s.ozonClientId = jsonFirstText(o, {"ozonClientId"}, jsonFirstText(integrations, {"ozon_client_id"}));
    s.ozonApiKey = jsonFirstText(o, {"ozonApiKey"}, jsonFirstText(integrations, {"ozon_api_key"}));
    s.ozonApiBase = jsonFirstText(o, {"ozonApiBase"},
                                  jsonFirstText(integrations, {"ozon_api_base"},
                                                QString::fromLatin1(ServerDefaults::kOzonApiBaseUrl)));
    s.employeeInoutMode = jsonFirstText(o, {"employeeInoutMode", "inout_mode"}, QStringLiteral("rfid"));
    s.helpTitle = jsonFirstText(o, {"helpTitle", "help_title"}, QStringLiteral("Инструкция"));

    const QString appName = jsonFirstText(o, {"displayAppName", "app_name"},
                                          jsonFirstText(branding, {"app_name", "client_name"}));
    if (!appName.isEmpty())
        s.displayAppName = appName;
    if (o.value(QLatin1String("branding")).isObject())
        s.branding = branding.toVariantMap();

    const QJsonValue order = firstOfType(o, {"sidebarOrder", "sidebar_order"}, QJsonValue::Array);
    s.sidebarOrder = order.isArray() ? textList(order.toArray()) : PageKeys::defaultSidebarOrder();
    s.hiddenTabs = textList(firstOfType(o, {"hiddenTabs", "hidden_tabs"}, QJsonValue::Array, true).toArray());
    s.featureFlags = firstOfType(o, {"featureFlags", "feature_flags"}, QJsonValue::Object, true)
                         .toObject().toVariantMap();
    s.links = o.value(QLatin1String("links")).toObject().toVariantMap();

    const QJsonValue tabs = firstOfType(o, {"consumableTabs"}, QJsonValue::Array, true);
    s.consumableTabs = tabs.isArray() ? ConsumableTabs::fromJson(tabs.toArray()) : ConsumableTabs::defaults();
    s.wallBindings = WallBindings::fromJson(firstOfType(o, {"wallBindings"}, QJsonValue::Array, true).toArray());
    s.helpSections = HelpSections::fromJson(
        firstOfType(o, {"helpSections", "help_sections"}, QJsonValue::Array).toArray());

    const QJsonValue entries = firstOfType(o, {"scriptEntries"}, QJsonValue::Array);
    if (entries.isArray()) {
        s.scriptEntries = ScriptEntries::fromJson(entries.toArray());
    } else {
        s.scriptEntries = ScriptEntries::fromLegacyRoots({jsonFirstText(o, {"scriptRoot1"}),
                                                          jsonFirstText(o, {"scriptRoot2"}),
                                                          jsonFirstText(o, {"scriptRoot3"})});
    }
}

void SettingsJsonReader::applyMachine(SettingsState &s, const QJsonObject &o)
{
    const QJsonObject branding = o.value(QLatin1String("branding")).toObject();
    s.displayAppName = jsonFirstText(o, {"displayAppName"}, jsonFirstText(branding, {"app_name", "client_name"},
                                                                           QStringLiteral("VornClient")));
    s.wbPath = jsonFirstText(o, {"wbPath"});
    s.ozonPath = jsonFirstText(o, {"ozonPath"});
    s.ymPath = jsonFirstText(o, {"ymPath"});
    s.yandexLabelsPath = jsonFirstText(o, {"yandexLabelsPath", "yandexPath", "ymLabelsPath"});
    s.warehousePath = jsonFirstText(o, {"warehousePath", "warehouseDir", "stockPath", "skladPath"});
    s.wbLabelsDir = jsonFirstText(o, {"wbLabelsDir"});
    s.ozonLabelsDir = jsonFirstText(o, {"ozonLabelsDir"});
    s.marelaRollsDir = jsonFirstText(o, {"marelaRollsDir"});
    s.picturesMarelaDir = jsonFirstText(o, {"picturesMarelaDir", "pictures_marela_dir"},
                                        SettingsState().picturesMarelaDir);
    s.ivraRollsDir = jsonFirstText(o, {"ivraRollsDir"});
    s.labelPrinterName = jsonFirstText(o, {"labelPrinterName"});
    s.yandexLabelPrinterName = jsonFirstText(o, {"yandexLabelPrinterName", "ymLabelPrinterName", "yandexPrinterName"});
    s.comPort = jsonFirstText(o, {"comPort"});
    s.comBaudRate = baudFrom(o, {"comBaudRate"});
    s.comPort2 = jsonFirstText(o, {"comPort2", "scanner2Port"});
    s.comBaudRate2 = baudFrom(o, {"comBaudRate2", "scanner2BaudRate"});
    s.scannerPorts = ScannerSlots::fromJson(o.value(QLatin1String("scannerPorts")).toArray());
    s.rfidPort = jsonFirstText(o, {"rfidPort"});
    s.rfidBaudRate = baudFrom(o, {"rfidBaudRate"});
    s.uidSearchRoot1 = jsonFirstText(o, {"uidSearchRoot1"});
    s.uidSearchRoot2 = jsonFirstText(o, {"uidSearchRoot2"});
    s.uidSearchRoot3 = jsonFirstText(o, {"uidSearchRoot3"});
    s.orderScanConfirmMode = jsonFirstText(o, {"orderScanConfirmMode"}, QStringLiteral("app"));
    s.scriptBindings = o.value(QLatin1String("scriptBindings")).toObject().toVariantMap();
}
