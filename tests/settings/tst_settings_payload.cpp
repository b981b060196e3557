#include "SettingsSandbox.h"

#include "settings/AppSettings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

QVariantMap json(const char *text)
{
    return QJsonDocument::fromJson(text).object().toVariantMap();
}

QVariantMap sidebarRow(const AppSettings &settings, const QString &key)
{
    for (const QVariant &item : settings.sidebarItems()) {
        if (item.toMap().value("key").toString() == key)
            return item.toMap();
    }
    return {};
}

} // namespace

class SettingsPayloadTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_box = std::make_unique<SettingsSandbox>();
        m_settings = std::make_unique<AppSettings>();
        QVERIFY(m_settings->load());
        m_settings->setWbPath(QStringLiteral("C:/wb"));
        m_settings->setComPort(QStringLiteral("COM1"));
        QVERIFY(m_settings->save());
    }
    void cleanup()
    {
        m_settings.reset();
        m_box.reset();
    }

    void machineKeysNeverChangeFromServer();
    void samePayloadTwiceChangesNothing();
    void wallBindingsNeverShortened();
    void hiddenTabsAndFeatureFlags();
    void pageTitlesAndSidebarOrder();
    void serverLinks();
    void scriptsCatalogKeepsLocalPaths();

private:
    std::unique_ptr<SettingsSandbox> m_box;
    std::unique_ptr<AppSettings> m_settings;
};

void SettingsPayloadTest::machineKeysNeverChangeFromServer()
{
    AppSettings &s = *m_settings;
    QSignalSpy sync(&s, &AppSettings::serverSyncRequested);
    QSignalSpy changed(&s, &AppSettings::changed);
    QSignalSpy onboarding(&s, &AppSettings::onboardingRequiredChanged);
    QVERIFY(!s.applyServerPayload({}));
    QVERIFY(!s.applyServerPayload(json("{\"orders\": [], \"ok\": true}")));
    QVERIFY(!s.applyServerPayload(json("{\"local_settings\": {\"wbPath\": \"D:/evil\", \"comPort\": \"COM9\","
                                       " \"orderScanConfirmMode\": \"none\", \"scannerPorts\": []}}")));
    QCOMPARE(s.wbPath(), QStringLiteral("C:/wb"));
    QCOMPARE(s.comPort(), QStringLiteral("COM1"));
    QCOMPARE(changed.count(), 0);

    // Mixed with tenant values, only those are taken.
    QVERIFY(s.applyServerPayload(json(
        "{\"settings\": {\"tenantId\": \"t-5\", \"deviceId\": \"d-5\", \"apiKey\": \"k5\","
        " \"franchiseName\": \"Марела\", \"wbPath\": \"D:/evil\"},"
        " \"snapshot\": {\"tenant_settings\": {\"operatorName\": \"Ольга\"},"
        "  \"integrations\": {\"wb_token\": \"ignored-outside-settings\"}}}")));
    QCOMPARE(s.tenantId(), QStringLiteral("t-5"));
    QCOMPARE(s.franchiseName(), QStringLiteral("Марела"));
    QCOMPARE(s.operatorName(), QStringLiteral("Ольга"));
    QCOMPARE(s.wbPath(), QStringLiteral("C:/wb"));
    QVERIFY(!s.onboardingRequired());
    QCOMPARE(onboarding.count(), 1);
    QCOMPARE(changed.count(), 1);
    // Saved at once, without asking for a push back to the server.
    QCOMPARE(sync.count(), 0);
    QVERIFY(!s.dirty());
    const QJsonObject identity = QJsonDocument::fromJson(m_box->read(QStringLiteral("identity.json"))).object();
    QCOMPARE(identity.value("tenantId").toString(), QStringLiteral("t-5"));
}

void SettingsPayloadTest::samePayloadTwiceChangesNothing()
{
    AppSettings &s = *m_settings;
    const QVariantMap payload = json("{\"branding\": {\"app_name\": \"Студия\"}, \"hidden_tabs\": [\"Ozon\", \"bugs\"],"
        " \"flags\": {\"Scripts\": false}, \"links\": {\"manager_url\": \"/manager\"},"
        " \"staff_bugs_url\": \"https://staff.example/bugs\","
        " \"ui\": {\"consumableTabs\": [{\"id\": \"t1\", \"title\": \"Краска\", \"mode\": \"INKS\","
        "   \"server_type\": \"paint\", \"options\": \"red; blue\"}],"
        "   \"wallBindings\": [{\"tab_id\": \"t1\", \"item_name\": \"red\"}]},"
        " \"help_sections\": [{\"title\": \"A\", \"lines\": [\"x\"]}],"
        " \"scripts_catalog\": [{\"id\": \"wb-orders\", \"title\": \"WB\", \"filename\": \"wb.py\"}]}");
    QSignalSpy changed(&s, &AppSettings::changed);
    QVERIFY(s.applyServerPayload(payload));
    const QByteArray identity = m_box->read(QStringLiteral("identity.json"));
    QVERIFY(!s.applyServerPayload(payload));
    QVERIFY(!s.applyServerPayload(QVariantMap{{QStringLiteral("snapshot"), payload}}));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(m_box->read(QStringLiteral("identity.json")), identity);

    QCOMPARE(s.displayAppName(), QStringLiteral("Студия"));
    QCOMPARE(s.consumableTabs().size(), 1);
    const QVariantMap tab = s.consumableTabs().at(0).toMap();
    QCOMPARE(tab.value("mode").toString(), QStringLiteral("inks"));
    QCOMPARE(tab.value("serverType").toString(), QStringLiteral("paint"));
    QCOMPARE(tab.value("measure").toString(), QStringLiteral("color_count"));
    QCOMPARE(s.consumableTabOptionsText(0), QStringLiteral("red, blue"));
    QCOMPARE(s.wallBindings().at(0).toMap().value("itemName").toString(), QStringLiteral("red"));
    QCOMPARE(s.helpSections().at(0).toMap().value("bullets").toList(), QVariantList{QStringLiteral("x")});
    QCOMPARE(s.scriptEntries().at(0).toMap().value("name").toString(), QStringLiteral("WB"));

    // The same state survives a reload.
    AppSettings again;
    QVERIFY(again.load());
    QVERIFY(!again.applyServerPayload(payload));
    QCOMPARE(again.hiddenTabs(), s.hiddenTabs());
}

void SettingsPayloadTest::wallBindingsNeverShortened()
{
    AppSettings &s = *m_settings;
    s.addWallBinding();
    s.addWallBinding();
    s.setWallBindingItemName(1, QStringLiteral("cyan"));
    const QVariantList local = s.wallBindings();
    QVERIFY(!s.applyServerPayload(json("{\"wallBindings\": [{\"tabId\": \"tab_inks\", \"itemName\": \"x\"}]}")));
    QCOMPARE(s.wallBindings(), local);
    QVERIFY(!s.applyServerPayload(json("{\"ui\": {\"wallBindings\": []}}")));
    QCOMPARE(s.wallBindings(), local);

    // A longer list from the server is taken.
    QVERIFY(s.applyServerPayload(json(
        "{\"wallBindings\": [{\"id\": \"a\", \"tabId\": \"tab_inks\", \"itemName\": \"black\"},"
        " {\"id\": \"b\", \"tabId\": \"tab_inks\", \"itemName\": \"cyan\"},"
        " {\"id\": \"c\", \"tabId\": \"tab_boxes\", \"itemName\": \"Коробка\", \"amount\": 3}]}")));
    QCOMPARE(s.wallBindings().size(), 3);
    QCOMPARE(s.wallBindings().at(2).toMap().value("amount").toDouble(), 3.0);
}

void SettingsPayloadTest::hiddenTabsAndFeatureFlags()
{
    AppSettings &s = *m_settings;
    QVERIFY(!s.pageVisible(QStringLiteral("orders")));
    QVERIFY(!s.pageEnabled(QStringLiteral("orders")));
    QVERIFY(s.pageVisible(QStringLiteral("warehouses")));

    QVERIFY(s.applyServerPayload(json("{\"hidden_tabs\": [\"Ozon\"], \"disabled_tabs\": [\" BUGS \"],"
                                      " \"feature_flags\": {\"scripts\": false, \"Ink\": \"0\", \"help\": true}}")));
    QVERIFY(!s.pageVisible(QStringLiteral("warehouses")));
    QVERIFY(!s.pageVisible(QStringLiteral("wb")));
    QVERIFY(!s.pageVisible(QStringLiteral("bugs")));
    QVERIFY(s.pageVisible(QStringLiteral("scripts")));
    QVERIFY(!s.pageEnabled(QStringLiteral("scripts")));
    QVERIFY(!s.pageEnabled(QStringLiteral("consumables")));
    QVERIFY(s.pageEnabled(QStringLiteral("help")));
    QVERIFY(s.pageEnabled(QStringLiteral("home")));

    QVERIFY(sidebarRow(s, QStringLiteral("warehouses")).isEmpty());
    QVERIFY(sidebarRow(s, QStringLiteral("orders")).isEmpty());
    const QVariantMap scripts = sidebarRow(s, QStringLiteral("scripts"));
    QCOMPARE(scripts.value("enabled").toBool(), false);
    QCOMPARE(scripts.value("restriction").toString(), QStringLiteral("vorn"));
    QCOMPARE(scripts.value("title").toString(), QStringLiteral("Скрипты"));
    const QVariantMap home = sidebarRow(s, QStringLiteral("home"));
    QCOMPARE(home.value("enabled").toBool(), true);
    QCOMPARE(home.value("restriction").toString(), QString());
    QCOMPARE(s.sidebarItems().size(), 8);

    // The ui object's list replaces the collected ones; an empty list shows every page again.
    QVERIFY(s.applyServerPayload(json("{\"hidden_tabs\": [\"home\"], \"ui\": {\"hidden_tabs\": []}}")));
    QVERIFY(s.pageVisible(QStringLiteral("warehouses")));
    QVERIFY(s.pageVisible(QStringLiteral("home")));
    // A snapshot that says nothing about pages keeps the flags.
    QVERIFY(!s.applyServerPayload(json("{\"orders\": [1]}")));
    QVERIFY(!s.pageEnabled(QStringLiteral("scripts")));
}

void SettingsPayloadTest::pageTitlesAndSidebarOrder()
{
    AppSettings &s = *m_settings;
    QCOMPARE(s.pageTitle(QStringLiteral(" BUGS ")), QStringLiteral("Баг-трекер"));
    QCOMPARE(s.pageTitle(QStringLiteral("ym")), QStringLiteral("Склады"));
    QCOMPARE(s.pageTitle(QStringLiteral("Custom")), QStringLiteral("Custom"));
    QCOMPARE(s.pageTitle(QStringLiteral("help")), QStringLiteral("Инструкция"));
    QVERIFY(s.applyServerPayload(json("{\"settings\": {\"help_title\": \"Справка\","
                                      " \"sidebar_order\": [\"help\", \"orders\", \"Boxes\", \"help\"]}}")));
    QCOMPARE(s.pageTitle(QStringLiteral("help")), QStringLiteral("Справка"));
    QCOMPARE(s.helpTitle(), QStringLiteral("Справка"));
    const QVariantList items = s.sidebarItems();
    QCOMPARE(items.size(), 10);
    QCOMPARE(items.at(0).toMap().value("title").toString(), QStringLiteral("Справка"));
    QCOMPARE(items.at(1).toMap().value("key").toString(), QStringLiteral("consumables"));
    QCOMPARE(items.at(2).toMap().value("key").toString(), QStringLiteral("home"));
}

void SettingsPayloadTest::serverLinks()
{
    AppSettings &s = *m_settings;
    s.setServerUrl(QStringLiteral("https://erp.example/"));
    QVERIFY(s.applyServerPayload(json(
        "{\"links\": {\"manager_url\": \"manager/panel\", \"doubled\": \"https://erp.examplehttps://cdn.example/x \","
        "  \"data\": \"data:text/html,hi\"},"
        " \"staff_bugs_url\": \" /staff/bugs \", \"manager_bugs_url\": \"http://other.example/bugs\"}")));
    QCOMPARE(s.serverLink(QStringLiteral("manager_url")), QStringLiteral("https://erp.example/manager/panel"));
    QCOMPARE(s.serverLink(QStringLiteral(" staff_bugs_url ")), QStringLiteral("https://erp.example/staff/bugs"));
    QCOMPARE(s.serverLink(QStringLiteral("manager_bugs_url")), QStringLiteral("http://other.example/bugs"));
    QCOMPARE(s.serverLink(QStringLiteral("doubled")), QStringLiteral("https://cdn.example/x"));
    QCOMPARE(s.serverLink(QStringLiteral("data")), QStringLiteral("data:text/html,hi"));
    QCOMPARE(s.serverLink(QStringLiteral("missing")), QString());
    QCOMPARE(s.serverLink(QStringLiteral("  ")), QString());
    // Links from an earlier payload stay when a later one adds others.
    QVERIFY(s.applyServerPayload(json("{\"cabinet_url\": \"https://cab.example\"}")));
    QCOMPARE(s.serverLink(QStringLiteral("cabinet_url")), QStringLiteral("https://cab.example"));
    QCOMPARE(s.serverLink(QStringLiteral("manager_url")), QStringLiteral("https://erp.example/manager/panel"));
}

void SettingsPayloadTest::scriptsCatalogKeepsLocalPaths()
{
    AppSettings &s = *m_settings;
    const QVariantMap catalog = json("{\"scripts_catalog\": [{\"id\": \"wb-orders\", \"title\": \"WB заказы\","
                                     " \"launch_mode\": \"python\", \"args\": \"--wb\"}]}");
    QVERIFY(s.applyServerPayload(catalog));
    s.setScriptEntryPath(0, QStringLiteral("C:/local/wb.py"));
    s.setScriptEntryAutoStart(0, true);
    QVERIFY(s.save());
    // The server renames the script: the machine's path and auto-start stay with its id.
    QVERIFY(s.applyServerPayload(json("{\"scripts_catalog\": [{\"id\": \"wb-orders\", \"title\": \"WB\"}]}")));
    const QVariantMap entry = s.scriptEntries().at(0).toMap();
    QCOMPARE(entry.value("name").toString(), QStringLiteral("WB"));
    QCOMPARE(entry.value("path").toString(), QStringLiteral("C:/local/wb.py"));
    QCOMPARE(entry.value("autoStart").toBool(), true);
    const QJsonObject identity = QJsonDocument::fromJson(m_box->read(QStringLiteral("identity.json"))).object();
    QVERIFY(!identity.value("scriptEntries").toArray().at(0).toObject().contains("path"));
}

QTEST_GUILESS_MAIN(SettingsPayloadTest)
#include "tst_settings_payload.moc"
