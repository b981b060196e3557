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

namespace {

struct TextField
{
    const char *key;
    QString SettingsState::*member;
};

// The identity texts in file order, around the onboarding flag; both the identity file
// and the form sent to the server carry them under these names.
const TextField kIdentityHead[] = {
    {"franchiseName", &SettingsState::franchiseName},
    {"operatorName", &SettingsState::operatorName},
    {"tenantId", &SettingsState::tenantId},
    {"deviceId", &SettingsState::deviceId},
    {"clientId", &SettingsState::clientId},
    {"deviceName", &SettingsState::deviceName},
    {"serverUrl", &SettingsState::serverUrl},
    {"bootstrapEndpoint", &SettingsState::bootstrapEndpoint},
    {"deviceRegisterEndpoint", &SettingsState::deviceRegisterEndpoint},
    {"clientConfigEndpoint", &SettingsState::clientConfigEndpoint},
    {"apiKey", &SettingsState::apiKey},
    {"cabinetUrl", &SettingsState::cabinetUrl},
};
const TextField kIdentityTail[] = {
    {"gsConfirmEndpoint", &SettingsState::gsConfirmEndpoint},
    {"orderScanConfirmMode", &SettingsState::orderScanConfirmMode},
    {"eventEndpoint", &SettingsState::eventEndpoint},
    {"snapshotEndpoint", &SettingsState::snapshotEndpoint},
    {"wbToken", &SettingsState::wbToken},
    {"ozonClientId", &SettingsState::ozonClientId},
    {"ozonApiKey", &SettingsState::ozonApiKey},
    {"ozonApiBase", &SettingsState::ozonApiBase},
    {"employeeInoutMode", &SettingsState::employeeInoutMode},
};

// The identity file leaves empty texts out, except the confirm mode, which is always kept.
template<size_t N>
void writeIdentityTexts(OrderedJson &o, const SettingsState &s, const TextField (&fields)[N])
{
    for (const TextField &field : fields) {
        const QString key = QLatin1String(field.key);
        if (field.member == &SettingsState::orderScanConfirmMode)
            o.insert(key, s.*field.member);
        else
            o.insertText(key, s.*field.member);
    }
}

template<size_t N>
void writeServerTexts(QJsonObject &o, const SettingsState &s, const TextField (&fields)[N])
{
    for (const TextField &field : fields)
        o.insert(QLatin1String(field.key), s.*field.member);
}

} // namespace

OrderedJson SettingsJsonWriter::identityObject(const SettingsState &s)
{
    OrderedJson o;
    writeIdentityTexts(o, s, kIdentityHead);
    o.insert(QStringLiteral("onboardingCompleted"), s.onboardingCompleted);
    writeIdentityTexts(o, s, kIdentityTail);
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
    writeServerTexts(o, s, kIdentityHead);
    o.insert(QStringLiteral("onboardingCompleted"), s.onboardingCompleted);
    o.insert(QStringLiteral("client_setup_completed"), s.onboardingCompleted);
    writeServerTexts(o, s, kIdentityTail);
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
