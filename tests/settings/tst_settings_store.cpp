#include "SettingsSandbox.h"

#include "settings/AppSettings.h"
#include "settings/ServerDefaults.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTest>

#include <memory>

namespace {

QByteArray dataFile(const char *name)
{
    QFile file(QStringLiteral(SETTINGS_TEST_DATA "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonObject parse(const QByteArray &bytes)
{
    return QJsonDocument::fromJson(bytes).object();
}

} // namespace

class SettingsStoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_box = std::make_unique<SettingsSandbox>(); QVERIFY(m_box->isValid()); }
    void cleanup() { m_box.reset(); }

    void dataFolderFollowsPlatformLocation();
    void firstRunWritesBothFilesInKeyOrder();
    void roundTripKeepsEveryValue();
    void backupRotationAndCorruptFileFallback();
    void legacySingleFileAndOnboardingCompletion();
    void serverUrlNormalisation();
    void settersTrimAndEmitOnlyOnChange();
    void serviceBlockNotice();
    void resetMachineSettingsKeepsIdentity();
    void unwritableDataFolderKeepsSettingsInMemory();

private:
    std::unique_ptr<SettingsSandbox> m_box;
};

void SettingsStoreTest::dataFolderFollowsPlatformLocation()
{
    AppSettings settings;
    QCOMPARE(settings.appDataDir(), m_box->dataDir());
    QVERIFY(QFileInfo(m_box->dataDir()).isDir());
    QCOMPARE(settings.settingsPath(), m_box->file(QStringLiteral("settings.json")));
    QCOMPARE(settings.identityCachePath(), m_box->file(QStringLiteral("identity.json")));
    QCOMPARE(settings.clientBufferPath(), m_box->file(QStringLiteral("client_buffer.sqlite")));
    QCOMPARE(settings.suppliesStatePath(), m_box->file(QStringLiteral("supplies_state.json")));

    // Asking for a path touches nothing; a save brings a vanished folder back.
    QVERIFY(QDir(m_box->dataDir()).removeRecursively());
    QCOMPARE(settings.settingsPath(), m_box->file(QStringLiteral("settings.json")));
    QVERIFY(!QFileInfo::exists(m_box->dataDir()));
    QVERIFY(settings.save());
    QVERIFY(QFileInfo(m_box->file(QStringLiteral("settings.json"))).isFile());
}

void SettingsStoreTest::firstRunWritesBothFilesInKeyOrder()
{
    AppSettings settings;
    QSignalSpy sync(&settings, &AppSettings::serverSyncRequested);
    QSignalSpy changed(&settings, &AppSettings::changed);
    QVERIFY(settings.load());
    QCOMPARE(sync.count(), 1);
    QCOMPARE(changed.count(), 1);
    QVERIFY(!settings.dirty());
    QVERIFY(settings.onboardingRequired());

    QCOMPARE(m_box->read(QStringLiteral("settings.json")), dataFile("first_run_settings.json"));
    QString host = QSysInfo::machineHostName().trimmed();
    if (host.isEmpty())
        host = QStringLiteral("VornClient-PC");
    const QByteArray identity = dataFile("first_run_identity.json").replace("@HOST@", host.toUtf8());
    QCOMPARE(m_box->read(QStringLiteral("identity.json")), identity);

    // lastSavedState is the compact form of exactly what was written.
    const QJsonObject saved = parse(settings.lastSavedState().toUtf8());
    QCOMPARE(saved.value("local").toObject(), parse(dataFile("first_run_settings.json")));
    QCOMPARE(saved.value("identity").toObject(), parse(identity));
    QVERIFY(!QFileInfo::exists(m_box->file(QStringLiteral("settings.json.bak"))));
}

void SettingsStoreTest::roundTripKeepsEveryValue()
{
    QString saved;
    {
        AppSettings settings;
        QVERIFY(settings.load());
        settings.setFranchiseName(QStringLiteral("  Мастерская  "));
        settings.setTenantId(QStringLiteral("t-1"));
        settings.setDeviceId(QStringLiteral("d-1"));
        settings.setApiKey(QStringLiteral("key"));
        settings.setServerUrl(QStringLiteral("http://127.0.0.1:8787/"));
        settings.setCabinetLogin(QStringLiteral("login"));
        settings.setWbPath(QStringLiteral("C:/wb"));
        settings.setYandexLabelsPath(QStringLiteral("C:/ym"));
        settings.setRfidPort(QStringLiteral("COM9"));
        settings.setRfidBaudRate(115200);
        settings.setOrderScanConfirmMode(QStringLiteral("scanner"));
        settings.setScannerPort(3, QStringLiteral("COM3"));
        settings.setComPort(QStringLiteral("COM1"));
        settings.addScriptEntry();
        settings.setScriptEntryPath(0, QStringLiteral("C:/scripts/sync.py"));
        settings.setScriptEntryAutoStart(0, true);
        QVERIFY(settings.dirty());
        QVERIFY(settings.save());
        QVERIFY(!settings.dirty());
        saved = settings.lastSavedState();
    }
    // Machine-local script fields live in settings.json only.
    const QJsonObject identity = parse(m_box->read(QStringLiteral("identity.json")));
    const QJsonObject entry = identity.value("scriptEntries").toArray().at(0).toObject();
    QVERIFY(!entry.contains("path"));
    QVERIFY(!entry.contains("autoStart"));
    QVERIFY(!identity.contains("cabinetLogin"));
    const QJsonObject local = parse(m_box->read(QStringLiteral("settings.json")));
    QCOMPARE(local.value("scriptBindings").toObject().value("script_1").toObject().value("path").toString(),
             QStringLiteral("C:/scripts/sync.py"));

    AppSettings again;
    QSignalSpy sync(&again, &AppSettings::serverSyncRequested);
    QVERIFY(again.load());
    QCOMPARE(sync.count(), 0);
    QVERIFY(!again.dirty());
    QCOMPARE(again.franchiseName(), QStringLiteral("Мастерская"));
    QCOMPARE(again.serverUrl(), QStringLiteral("http://127.0.0.1:8787"));
    QVERIFY(again.onboardingCompleted());
    QVERIFY(!again.onboardingRequired());
    QCOMPARE(again.cabinetLogin(), QString());
    QCOMPARE(again.scannerPort(1), QStringLiteral("COM1"));
    // Every other value came back as it was saved; loading a complete identity marks
    // onboarding done.
    QCOMPARE(again.lastSavedState(), saved.replace(QStringLiteral("\"onboardingCompleted\":false"),
                                                   QStringLiteral("\"onboardingCompleted\":true")));
}

void SettingsStoreTest::backupRotationAndCorruptFileFallback()
{
    const QString settingsFile = QStringLiteral("settings.json");
    const QString bak = QStringLiteral("settings.json.bak");
    {
        AppSettings settings;
        QVERIFY(settings.load());
        const QByteArray first = m_box->read(settingsFile);
        settings.setWbPath(QStringLiteral("C:/first"));
        QVERIFY(settings.save());
        QCOMPARE(m_box->read(bak), first);
        const QByteArray second = m_box->read(settingsFile);
        // Saving an unchanged state rewrites the files and still keeps exactly one backup.
        QVERIFY(settings.save());
        QCOMPARE(m_box->read(bak), second);
        QCOMPARE(m_box->read(QStringLiteral("identity.json.bak")), m_box->read(QStringLiteral("identity.json")));
        const QStringList backups = QDir(m_box->dataDir()).entryList({QStringLiteral("*.bak*")}, QDir::Files);
        QCOMPARE(backups.size(), 2);
    }

    // A corrupt file falls back to the newest readable backup.
    QVERIFY(m_box->write(settingsFile, "{\"wbPath\": \"C:/trunc"));
    QVERIFY(m_box->write(QStringLiteral("settings.json.bak.old"), "{\"wbPath\": \"C:/older\"}"));
    QVERIFY(m_box->write(QStringLiteral("settings.json.bak.broken"), "not json"));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    auto touch = [&](const QString &name, int secondsAgo) {
        QFile f(m_box->file(name));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(now.addSecs(-secondsAgo), QFileDevice::FileModificationTime));
    };
    touch(QStringLiteral("settings.json.bak.old"), 3600);
    touch(bak, 60);
    touch(QStringLiteral("settings.json.bak.broken"), 1);
    {
        AppSettings settings;
        QSignalSpy sync(&settings, &AppSettings::serverSyncRequested);
        QVERIFY(settings.load());
        QCOMPARE(settings.wbPath(), QStringLiteral("C:/first"));
        QCOMPARE(sync.count(), 0);
        // The broken file is not kept as the backup when the next save replaces it.
        QVERIFY(settings.save());
        QCOMPARE(parse(m_box->read(bak)).value("wbPath").toString(), QStringLiteral("C:/first"));
    }

    touch(bak, 7200);
    QVERIFY(m_box->write(settingsFile, "[1, 2]"));
    AppSettings older;
    QVERIFY(older.load());
    QCOMPARE(older.wbPath(), QStringLiteral("C:/older"));
}

void SettingsStoreTest::legacySingleFileAndOnboardingCompletion()
{
    QVERIFY(m_box->write(QStringLiteral("settings.json"),
        "{\"tenantId\": \" t-9 \", \"deviceId\": \"d-9\", \"apiKey\": \"k\","
        " \"serverUrl\": \"https://erp.example/\","
        " \"branding\": {\"app_name\": \"Студия Марела\"},"
        " \"integrations\": {\"google_sheet_url\": \"https://sheets.example/confirm\", \"wb_token\": \"wbt\"},"
        " \"sidebar_order\": [\"Orders\", \"help\", \"WB\", \"help\", \"\"],"
        " \"help_sections\": [{\"title\": \"Старт\", \"items\": [\"Включить\", \" \"], \"text\": \"Текст\"}],"
        " \"yandexPath\": \"C:/ym\", \"skladPath\": \"C:/sklad\", \"scanner2Port\": \"COM2\","
        " \"comBaudRate\": 0, \"scriptRoot1\": \"C:/scripts/orders.py\","
        " \"orderScanConfirmMode\": \"scanner\"}"));
    AppSettings settings;
    QSignalSpy onboarding(&settings, &AppSettings::onboardingRequiredChanged);
    QVERIFY(settings.load());
    QCOMPARE(onboarding.count(), 1);
    QVERIFY(!settings.onboardingRequired());
    QVERIFY(settings.onboardingCompleted());
    QCOMPARE(settings.tenantId(), QStringLiteral("t-9"));
    QCOMPARE(settings.serverUrl(), QStringLiteral("https://erp.example"));
    QCOMPARE(settings.displayAppName(), QStringLiteral("Студия Марела"));
    QCOMPARE(settings.gsConfirmEndpoint(), QStringLiteral("https://sheets.example/confirm"));
    QCOMPARE(settings.wbToken(), QStringLiteral("wbt"));
    QCOMPARE(settings.yandexLabelsPath(), QStringLiteral("C:/ym"));
    QCOMPARE(settings.warehousePath(), QStringLiteral("C:/sklad"));
    QCOMPARE(settings.comPort2(), QStringLiteral("COM2"));
    QCOMPARE(settings.scannerPort(2), QStringLiteral("COM2"));
    QCOMPARE(settings.comBaudRate(), 9600);
    QCOMPARE(settings.orderScanConfirmMode(), QStringLiteral("scanner"));
    QCOMPARE(settings.sidebarOrder().mid(0, 3),
             (QStringList{QStringLiteral("help"), QStringLiteral("warehouses"), QStringLiteral("home")}));
    QCOMPARE(settings.sidebarOrder().size(), 10);
    QCOMPARE(settings.scriptEntries().size(), 1);
    QCOMPARE(settings.scriptEntries().at(0).toMap().value("path").toString(), QStringLiteral("C:/scripts/orders.py"));
    const QVariantMap section = settings.helpSections().value(0).toMap();
    QCOMPARE(section.value("bullets").toList(), QVariantList{QStringLiteral("Включить")});
    QCOMPARE(section.value("body").toString(), QStringLiteral("Текст"));
    // Not a first run: nothing is written by loading.
    QVERIFY(!QFileInfo::exists(m_box->file(QStringLiteral("identity.json"))));
}

void SettingsStoreTest::serverUrlNormalisation()
{
    const QString def = QString::fromLatin1(ServerDefaults::kDefaultServerUrl);
    AppSettings settings;
    QVERIFY(settings.load());
    const QList<QPair<QString, QString>> cases{
        {QStringLiteral(" https://erp.example/api/// "), QStringLiteral("https://erp.example/api")},
        {QStringLiteral("   "), def},
        {QStringLiteral("https://vorn-platform.ru/"), def},
        {QStringLiteral("HTTP://Vorn-Platform.RU"), def},
        {QStringLiteral("https://vorn-platform.ru/api"), QStringLiteral("https://vorn-platform.ru/api")},
        {QStringLiteral("http://127.0.0.1:8787"), QStringLiteral("http://127.0.0.1:8787")},
    };
    for (const auto &c : cases) {
        settings.setServerUrl(c.first);
        QCOMPARE(settings.serverUrl(), c.second);
    }
    // The same rule applies to the stored file.
    QVERIFY(m_box->write(QStringLiteral("identity.json"), "{\"serverUrl\": \"http://VORN-PLATFORM.ru//\"}"));
    QVERIFY(settings.load());
    QCOMPARE(settings.serverUrl(), def);
}

void SettingsStoreTest::settersTrimAndEmitOnlyOnChange()
{
    AppSettings settings;
    QVERIFY(settings.load());
    QSignalSpy changed(&settings, &AppSettings::changed);
    QSignalSpy onboarding(&settings, &AppSettings::onboardingRequiredChanged);

    settings.setOperatorName(QStringLiteral("  Анна "));
    QCOMPARE(settings.operatorName(), QStringLiteral("Анна"));
    QCOMPARE(changed.count(), 1);
    settings.setOperatorName(QStringLiteral("Анна  "));
    settings.setComBaudRate(9600);
    settings.setDisplayAppName(QStringLiteral("  "));
    QCOMPARE(settings.displayAppName(), QStringLiteral("VornClient"));
    QCOMPARE(changed.count(), 1);

    settings.setRfidBaudRate(-5);
    QCOMPARE(settings.rfidBaudRate(), 9600);
    settings.setComBaudRate(0);
    QCOMPARE(changed.count(), 1);
    settings.setComBaudRate2(19200);
    QCOMPARE(settings.scannerBaudRate(2), 19200);
    QCOMPARE(changed.count(), 2);

    settings.setTenantId(QStringLiteral("t"));
    settings.setDeviceId(QStringLiteral("d"));
    QCOMPARE(onboarding.count(), 0);
    settings.setApiKey(QStringLiteral("k"));
    QCOMPARE(onboarding.count(), 1);
    QVERIFY(!settings.onboardingRequired());
    settings.setOnboardingCompleted(true);
    settings.setApiKey(QString());
    QCOMPARE(onboarding.count(), 1);
    settings.setDeviceId(QStringLiteral(" "));
    QCOMPARE(onboarding.count(), 2);
    QVERIFY(settings.onboardingRequired());
    QVERIFY(settings.dirty());
}

void SettingsStoreTest::serviceBlockNotice()
{
    AppSettings settings;
    QSignalSpy block(&settings, &AppSettings::serviceBlockChanged);
    QSignalSpy changed(&settings, &AppSettings::changed);
    settings.setServiceBlockNotice(QStringLiteral("  Доступ приостановлен  "));
    QVERIFY(settings.serviceBlocked());
    QCOMPARE(settings.serviceBlockNotice(), QStringLiteral("Доступ приостановлен"));
    settings.setServiceBlockNotice(QStringLiteral("Доступ приостановлен"));
    QCOMPARE(block.count(), 1);
    settings.setServiceBlockNotice(QStringLiteral(" "));
    QVERIFY(!settings.serviceBlocked());
    QCOMPARE(block.count(), 2);
    QCOMPARE(changed.count(), 0);
}

void SettingsStoreTest::resetMachineSettingsKeepsIdentity()
{
    AppSettings settings;
    QVERIFY(settings.load());
    settings.setTenantId(QStringLiteral("t"));
    settings.setWbPath(QStringLiteral("C:/wb"));
    settings.setPicturesMarelaDir(QStringLiteral("E:/pics"));
    settings.setDisplayAppName(QStringLiteral("Бренд"));
    settings.setComBaudRate(115200);
    settings.addScannerSlot();
    settings.setScannerPort(3, QStringLiteral("COM3"));
    settings.addScriptEntry();
    settings.setScriptEntryPath(0, QStringLiteral("C:/a.py"));
    QSignalSpy changed(&settings, &AppSettings::changed);
    const QByteArray before = m_box->read(QStringLiteral("settings.json"));

    settings.resetMachineSettings();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(settings.tenantId(), QStringLiteral("t"));
    QCOMPARE(settings.wbPath(), QString());
    QCOMPARE(settings.picturesMarelaDir(), QStringLiteral("D:/Печать картин Marela"));
    QCOMPARE(settings.displayAppName(), QStringLiteral("VornClient"));
    QCOMPARE(settings.comBaudRate(), 9600);
    QCOMPARE(settings.scannerPorts().size(), 2);
    QCOMPARE(settings.scannerPort(1), QString());
    QVERIFY(settings.scriptBindings().isEmpty());
    QCOMPARE(settings.scriptEntries().at(0).toMap().value("path").toString(), QString());
    QCOMPARE(m_box->read(QStringLiteral("settings.json")), before); // writes nothing itself
}

void SettingsStoreTest::unwritableDataFolderKeepsSettingsInMemory()
{
    // Running as root, permissions do not stop writes; a directory in the
    // place of the file makes the write fail for real.
    QVERIFY(QDir().mkpath(m_box->file(QStringLiteral("settings.json"))));
    AppSettings settings;
    QSignalSpy sync(&settings, &AppSettings::serverSyncRequested);
    QVERIFY(!settings.load()); // first run: the save fails
    QCOMPARE(sync.count(), 0);
    QVERIFY(settings.dirty());
    settings.setWbPath(QStringLiteral("C:/wb"));
    QCOMPARE(settings.wbPath(), QStringLiteral("C:/wb"));
    QVERIFY(!settings.save());
    QVERIFY(settings.dirty());

    // Once the folder is writable again, the next save goes through.
    QVERIFY(QDir(m_box->file(QStringLiteral("settings.json"))).removeRecursively());
    settings.setWbPath(QStringLiteral("C:/wb2"));
    QVERIFY(settings.save());
    QVERIFY(!settings.dirty());
    QCOMPARE(sync.count(), 1);
    QCOMPARE(parse(m_box->read(QStringLiteral("settings.json"))).value("wbPath").toString(), QStringLiteral("C:/wb2"));

    // A data folder that cannot even be created: a file stands where it should be.
    QVERIFY(QDir(m_box->root() + QStringLiteral("/VornClient")).removeRecursively());
    QFile blocker(m_box->root() + QStringLiteral("/VornClient"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    AppSettings blocked;
    QVERIFY(!blocked.load());
    blocked.setTenantId(QStringLiteral("t"));
    QCOMPARE(blocked.tenantId(), QStringLiteral("t"));
    QVERIFY(!blocked.save());
}

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settings_store.moc"
