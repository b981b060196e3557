#include "settings/SettingsJsonWriter.h"

#include "common/JsonRead.h"
#include "settings/ScriptEntries.h"

#include <QJsonArray>

namespace {

QJsonArray stringArray(const QStringList &list)
{
    return QJsonArray::fromStringList(list);
}

QJsonObject persistedObject(const SettingsState &state)
{
    return QJsonObject{
        {QStringLiteral("local"), SettingsJsonWriter::localObject(state).toObject()},
        {QStringLiteral("identity"), SettingsJsonWriter::identityObject(state).toObject()},
    };
}

} // namespace

OrderedJson SettingsJsonWriter::localObject(const SettingsState &s)
{
    OrderedJson o;
    o.insertText(QStringLiteral("displayAppName"), s.displayAppName);
    o.insertText(QStringLiteral("wbPath"), s.wbPath);
    o.insertText(QStringLiteral("ozonPath"), s.ozonPath);
    o.insertText(QStringLiteral("ymPath"), s.ymPath);
    o.insertText(QStringLiteral("yandexLabelsPath"), s.yandexLabelsPath);
    o.insertText(QStringLiteral("warehousePath"), s.warehousePath);
    o.insertText(QStringLiteral("wbLabelsDir"), s.wbLabelsDir);
    o.insertText(QStringLiteral("ozonLabelsDir"), s.ozonLabelsDir);
    o.insertText(QStringLiteral("marelaRollsDir"), s.marelaRollsDir);
    o.insertText(QStringLiteral("picturesMarelaDir"), s.picturesMarelaDir);
    o.insertText(QStringLiteral("ivraRollsDir"), s.ivraRollsDir);
    o.insertText(QStringLiteral("labelPrinterName"), s.labelPrinterName);
    o.insertText(QStringLiteral("yandexLabelPrinterName"), s.yandexLabelPrinterName);
    o.insertText(QStringLiteral("comPort"), s.comPort);
    o.insert(QStringLiteral("comBaudRate"), s.comBaudRate);
    o.insertText(QStringLiteral("comPort2"), s.comPort2);
    o.insert(QStringLiteral("comBaudRate2"), s.comBaudRate2);
    o.insertIfNotEmpty(QStringLiteral("scannerPorts"), QJsonArray::fromVariantList(s.scannerPorts));
    o.insertText(QStringLiteral("rfidPort"), s.rfidPort);
    o.insert(QStringLiteral("rfidBaudRate"), s.rfidBaudRate);
    o.insertText(QStringLiteral("uidSearchRoot1"), s.uidSearchRoot1);
    o.insertText(QStringLiteral("uidSearchRoot2"), s.uidSearchRoot2);
    o.insertText(QStringLiteral("uidSearchRoot3"), s.uidSearchRoot3);
    o.insert(QStringLiteral("orderScanConfirmMode"), s.orderScanConfirmMode);
    o.insert(QStringLiteral("scriptBindings"), QJsonObject::fromVariantMap(s.scriptBindings));
    return o;
}

OrderedJson SettingsJsonWriter::identityObject(const SettingsState &s)
{
    OrderedJson o;
    o.insertText(QStringLiteral("franchiseName"), s.franchiseName);
    o.insertText(QStringLiteral("operatorName"), s.operatorName);
    o.insertText(QStringLiteral("tenantId"), s.tenantId);
    o.insertText(QStringLiteral("deviceId"), s.deviceId);
    o.insertText(QStringLiteral("clientId"), s.clientId);
    o.insertText(QStringLiteral("deviceName"), s.deviceName);
    o.insertText(QStringLiteral("serverUrl"), s.serverUrl);
    o.insertText(QStringLiteral("bootstrapEndpoint"), s.bootstrapEndpoint);
    o.insertText(QStringLiteral("deviceRegisterEndpoint"), s.deviceRegisterEndpoint);
    o.insertText(QStringLiteral("clientConfigEndpoint"), s.clientConfigEndpoint);
    o.insertText(QStringLiteral("apiKey"), s.apiKey);
    o.insertText(QStringLiteral("cabinetUrl"), s.cabinetUrl);
    o.insert(QStringLiteral("onboardingCompleted"), s.onboardingCompleted);
    o.insertText(QStringLiteral("gsConfirmEndpoint"), s.gsConfirmEndpoint);
    o.insert(QStringLiteral("orderScanConfirmMode"), s.orderScanConfirmMode);
    o.insertText(QStringLiteral("eventEndpoint"), s.eventEndpoint);
    o.insertText(QStringLiteral("snapshotEndpoint"), s.snapshotEndpoint);
    o.insertText(QStringLiteral("wbToken"), s.wbToken);
    o.insertText(QStringLiteral("ozonClientId"), s.ozonClientId);
    o.insertText(QStringLiteral("ozonApiKey"), s.ozonApiKey);
    o.insertText(QStringLiteral("ozonApiBase"), s.ozonApiBase);
    o.insertText(QStringLiteral("employeeInoutMode"), s.employeeInoutMode);
    o.insertText(QStringLiteral("helpTitle"), s.helpTitle);
    o.insertIfNotEmpty(QStringLiteral("sidebarOrder"), stringArray(s.sidebarOrder));
    o.insertIfNotEmpty(QStringLiteral("hiddenTabs"), stringArray(s.hiddenTabs));
    o.insertIfNotEmpty(QStringLiteral("featureFlags"), QJsonObject::fromVariantMap(s.featureFlags));
    o.insertIfNotEmpty(QStringLiteral("links"), QJsonObject::fromVariantMap(s.links));
    o.insertIfNotEmpty(QStringLiteral("consumableTabs"), QJsonArray::fromVariantList(s.consumableTabs));
    o.insertIfNotEmpty(QStringLiteral("wallBindings"), QJsonArray::fromVariantList(s.wallBindings));
    o.insertIfNotEmpty(QStringLiteral("helpSections"), QJsonArray::fromVariantList(s.helpSections));
    o.insertIfNotEmpty(QStringLiteral("scriptEntries"), ScriptEntries::toIdentityArray(s.scriptEntries));
    return o;
}

QJsonObject SettingsJsonWriter::serverForm(const SettingsState &s)
{
    QJsonObject o;
    o.insert(QStringLiteral("franchiseName"), s.franchiseName);
    o.insert(QStringLiteral("operatorName"), s.operatorName);
    o.insert(QStringLiteral("tenantId"), s.tenantId);
    o.insert(QStringLiteral("deviceId"), s.deviceId);
    o.insert(QStringLiteral("clientId"), s.clientId);
    o.insert(QStringLiteral("deviceName"), s.deviceName);
    o.insert(QStringLiteral("serverUrl"), s.serverUrl);
    o.insert(QStringLiteral("bootstrapEndpoint"), s.bootstrapEndpoint);
    o.insert(QStringLiteral("deviceRegisterEndpoint"), s.deviceRegisterEndpoint);
    o.insert(QStringLiteral("clientConfigEndpoint"), s.clientConfigEndpoint);
    o.insert(QStringLiteral("apiKey"), s.apiKey);
    o.insert(QStringLiteral("cabinetUrl"), s.cabinetUrl);
    o.insert(QStringLiteral("onboardingCompleted"), s.onboardingCompleted);
    o.insert(QStringLiteral("client_setup_completed"), s.onboardingCompleted);
    o.insert(QStringLiteral("gsConfirmEndpoint"), s.gsConfirmEndpoint);
    o.insert(QStringLiteral("orderScanConfirmMode"), s.orderScanConfirmMode);
    o.insert(QStringLiteral("eventEndpoint"), s.eventEndpoint);
    o.insert(QStringLiteral("snapshotEndpoint"), s.snapshotEndpoint);
    o.insert(QStringLiteral("wbToken"), s.wbToken);
    o.insert(QStringLiteral("ozonClientId"), s.ozonClientId);
    o.insert(QStringLiteral("ozonApiKey"), s.ozonApiKey);
    o.insert(QStringLiteral("ozonApiBase"), s.ozonApiBase);
    o.insert(QStringLiteral("employeeInoutMode"), s.employeeInoutMode);
    o.insert(QStringLiteral("app_name"), s.displayAppName);
    o.insert(QStringLiteral("help_title"), s.helpTitle);
    o.insert(QStringLiteral("sidebar_order"), stringArray(s.sidebarOrder));
    o.insert(QStringLiteral("hidden_tabs"), stringArray(s.hiddenTabs));
    o.insert(QStringLiteral("feature_flags"), QJsonObject::fromVariantMap(s.featureFlags));
    o.insert(QStringLiteral("links"), QJsonObject::fromVariantMap(s.links));
    o.insert(QStringLiteral("branding"), QJsonObject::fromVariantMap(s.branding));
    o.insert(QStringLiteral("consumableTabs"), QJsonArray::fromVariantList(s.consumableTabs));
    o.insert(QStringLiteral("wallBindings"), QJsonArray::fromVariantList(s.wallBindings));
    o.insert(QStringLiteral("helpSections"), QJsonArray::fromVariantList(s.helpSections));
    o.insert(QStringLiteral("scriptEntries"), ScriptEntries::toIdentityArray(s.scriptEntries));
    return o;
}

QString SettingsJsonWriter::persistedText(const SettingsState &state)
{
    return compactJsonText(persistedObject(state));
}

QString SettingsJsonWriter::fullText(const SettingsState &state)
{
    QJsonObject object = persistedObject(state);
    QJsonObject server = serverForm(state);
    // The branding object itself is not kept in the files; only its effect
    // (the app name) is, so it must not count as a change on its own.
    server.remove(QStringLiteral("branding"));
    object.insert(QStringLiteral("server"), server);
    object.insert(QStringLiteral("entries"), QJsonArray::fromVariantList(state.scriptEntries));
    object.insert(QStringLiteral("memory"),
                  QJsonObject{{QStringLiteral("cabinetLogin"), state.cabinetLogin},
                              {QStringLiteral("cabinetPassword"), state.cabinetPassword}});
    return compactJsonText(object);
}
