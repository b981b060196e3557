#pragma once

#include "settings/ServerDefaults.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <tuple>

// Every value the settings store keeps, as plain data. AppSettings owns one;
// the JSON readers and writers work on it without touching signals.
struct SettingsState
{
    // identity.json
    QString franchiseName;
    QString operatorName;
    QString tenantId;
    QString deviceId;
    QString clientId = QStringLiteral("desktop");
    QString deviceName;
    QString serverUrl = QString::fromLatin1(ServerDefaults::kDefaultServerUrl);
    QString bootstrapEndpoint = QStringLiteral("/api/bootstrap");
    QString deviceRegisterEndpoint = QStringLiteral("/api/device-register");
    QString clientConfigEndpoint = QStringLiteral("/api/client-config");
    QString apiKey;
    QString cabinetUrl;
    QString cabinetLogin;    // memory only
    QString cabinetPassword; // memory only
    bool onboardingCompleted = false;
    QString gsConfirmEndpoint;
    QString orderScanConfirmMode = QStringLiteral("app");
    QString eventEndpoint = QStringLiteral("/api/client-event");
    QString snapshotEndpoint = QStringLiteral("/api/client-snapshot");
    QString wbToken;
    QString ozonClientId;
    QString ozonApiKey;
    QString ozonApiBase = QString::fromLatin1(ServerDefaults::kOzonApiBaseUrl);
    QString employeeInoutMode = QStringLiteral("rfid");
    QString helpTitle = QStringLiteral("Инструкция");
    QStringList sidebarOrder;
    QStringList hiddenTabs;
    QVariantMap featureFlags;
    QVariantMap links;
    QVariantMap branding;
    QVariantList consumableTabs;
    QVariantList wallBindings;
    QVariantList helpSections;
    QVariantList scriptEntries;

    // settings.json
    QString displayAppName = QStringLiteral("VornClient");
    QString wbPath;
    QString ozonPath;
    QString ymPath;
    QString yandexLabelsPath;
    QString warehousePath;
    QString wbLabelsDir;
    QString ozonLabelsDir;
    QString marelaRollsDir;
    QString picturesMarelaDir = QStringLiteral("D:/Печать картин Marela");
    QString ivraRollsDir;
    QString labelPrinterName;
    QString yandexLabelPrinterName;
    QString comPort;
    int comBaudRate = 9600;
    QString comPort2;
    int comBaudRate2 = 9600;
    QVariantList scannerPorts;
    QString rfidPort;
    int rfidBaudRate = 9600;
    QString uidSearchRoot1;
    QString uidSearchRoot2;
    QString uidSearchRoot3;
    QVariantMap scriptBindings;

    // Every value that a save writes, for change detection without building JSON. The
    // branding object is left out: only its effect (the app name) is kept. Add a new
    // field here too.
    auto persistedFields() const
    {
        return std::tie(franchiseName,
                        operatorName,
                        tenantId,
                        deviceId,
                        clientId,
                        deviceName,
                        serverUrl,
                        bootstrapEndpoint,
                        deviceRegisterEndpoint,
                        clientConfigEndpoint,
                        apiKey,
                        cabinetUrl,
                        onboardingCompleted,
                        gsConfirmEndpoint,
                        orderScanConfirmMode,
                        eventEndpoint,
                        snapshotEndpoint,
                        wbToken,
                        ozonClientId,
                        ozonApiKey,
                        ozonApiBase,
                        employeeInoutMode,
                        helpTitle,
                        sidebarOrder,
                        hiddenTabs,
                        featureFlags,
                        links,
                        consumableTabs,
                        wallBindings,
                        helpSections,
                        scriptEntries,
                        displayAppName,
                        wbPath,
                        ozonPath,
                        ymPath,
                        yandexLabelsPath,
                        warehousePath,
                        wbLabelsDir,
                        ozonLabelsDir,
                        marelaRollsDir,
                        picturesMarelaDir,
                        ivraRollsDir,
                        labelPrinterName,
                        yandexLabelPrinterName,
                        comPort,
                        comBaudRate,
                        comPort2,
                        comBaudRate2,
                        scannerPorts,
                        rfidPort,
                        rfidBaudRate,
                        uidSearchRoot1,
                        uidSearchRoot2,
                        uidSearchRoot3,
                        scriptBindings);
    }
};

inline bool samePersisted(const SettingsState &a, const SettingsState &b)
{
    return a.persistedFields() == b.persistedFields();
}

// Also the values kept only in memory.
inline bool sameState(const SettingsState &a, const SettingsState &b)
{
    return samePersisted(a, b) && a.cabinetLogin == b.cabinetLogin
        && a.cabinetPassword == b.cabinetPassword;
}
