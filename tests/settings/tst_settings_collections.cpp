#include "SettingsSandbox.h"

#include "settings/AppSettings.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

QVariantMap row(const QVariantList &list, int index)
{
    return list.value(index).toMap();
}

QJsonObject payloadOf(const AppSettings &settings, int index)
{
    return QJsonDocument::fromJson(settings.wallBindingPayload(index).toUtf8()).object();
}

} // namespace

class SettingsCollectionsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_box = std::make_unique<SettingsSandbox>();
        m_settings = std::make_unique<AppSettings>();
        QVERIFY(m_settings->load());
    }
    void cleanup()
    {
        m_settings.reset();
        m_box.reset();
    }

    void scannerSlotsNumberingAndMirrors();
    void scriptEntriesEditsBindingsAndMoves();
    void scriptsWhoseIdsCollideKeepTheirBindings();
    void consumableTabsEditsAndOptions();
    void wallBindingsAndTheirPayload();
    void itemKeys();

private:
    std::unique_ptr<SettingsSandbox> m_box;
    std::unique_ptr<AppSettings> m_settings;
};

void SettingsCollectionsTest::scannerSlotsNumberingAndMirrors()
{
    AppSettings &s = *m_settings;
    QSignalSpy changed(&s, &AppSettings::changed);
    QCOMPARE(s.scannerPorts().size(), 2);
    QCOMPARE(s.scannerPort(0), QString());
    QCOMPARE(s.scannerPort(7), QString());
    QCOMPARE(s.scannerBaudRate(1), 9600);

    // A slot number beyond the list grows it with empty slots first.
    s.setScannerPort(4, QStringLiteral(" COM4 "));
    QCOMPARE(s.scannerPorts().size(), 4);
    QCOMPARE(s.scannerPort(4), QStringLiteral("COM4"));
    QCOMPARE(row(s.scannerPorts(), 2).value("name").toString(), QStringLiteral("Сканер 3"));
    QCOMPARE(changed.count(), 1);
    s.setScannerPort(4, QStringLiteral("COM4"));
    s.setScannerPort(7, QStringLiteral("COM7"));
    s.setScannerPort(0, QStringLiteral("COM0"));
    QCOMPARE(changed.count(), 1);

    s.setScannerPort(1, QStringLiteral("COM1"));
    s.setScannerBaudRate(2, 0);
    QCOMPARE(s.scannerBaudRate(2), 9600);
    s.setScannerBaudRate(1, 115200);
    QCOMPARE(s.comPort(), QStringLiteral("COM1"));
    QCOMPARE(s.comBaudRate(), 115200);
    s.setComPort2(QStringLiteral("COM2"));
    QCOMPARE(s.scannerPort(2), QStringLiteral("COM2"));

    s.addScannerSlot();
    s.addScannerSlot();
    QCOMPARE(s.scannerPorts().size(), 6);
    const int before = int(changed.count());
    s.addScannerSlot(); // a seventh does nothing
    QCOMPARE(s.scannerPorts().size(), 6);
    QCOMPARE(changed.count(), before);

    // Removing slot 3 renumbers the ones after it.
    s.removeScannerSlot(3);
    QCOMPARE(s.scannerPorts().size(), 5);
    QCOMPARE(s.scannerPort(3), QStringLiteral("COM4"));
    QCOMPARE(row(s.scannerPorts(), 2).value("index").toInt(), 3);
    QCOMPARE(row(s.scannerPorts(), 2).value("name").toString(), QStringLiteral("Сканер 3"));

    // Slots 1 and 2 stay; removing them only clears the port and its mirror.
    s.removeScannerSlot(2);
    QCOMPARE(s.scannerPorts().size(), 5);
    QCOMPARE(s.scannerPort(2), QString());
    QCOMPARE(s.comPort2(), QString());
    s.removeScannerSlot(1);
    QCOMPARE(s.comPort(), QString());
    QCOMPARE(s.scannerBaudRate(1), 115200);
    for (int n = 5; n >= 3; --n)
        s.removeScannerSlot(n);
    s.removeScannerSlot(3);
    QCOMPARE(s.scannerPorts().size(), 2);
}

void SettingsCollectionsTest::scriptEntriesEditsBindingsAndMoves()
{
    AppSettings &s = *m_settings;
    QSignalSpy changed(&s, &AppSettings::changed);
    s.addScriptEntry();
    const QVariantMap fresh = row(s.scriptEntries(), 0);
    QCOMPARE(fresh.value("name").toString(), QStringLiteral("Новый скрипт"));
    QCOMPARE(fresh.value("enabled").toBool(), true);
    QCOMPARE(fresh.value("launchMode").toString(), QStringLiteral("auto"));
    QCOMPARE(fresh.value("autoStart").toBool(), false);

    s.setScriptEntryName(0, QStringLiteral(" Orders Sync "));
    s.setScriptEntryPath(0, QStringLiteral(" C:/s/orders.py "));
    s.setScriptEntryArguments(0, QStringLiteral("--all"));
    s.setScriptEntryAutoStart(0, true);
    s.setScriptEntryEnabled(0, false);
    s.setScriptEntryLaunchMode(0, QStringLiteral("python"));
    QCOMPARE(changed.count(), 7);
    s.setScriptEntryEnabled(0, false);
    s.setScriptEntryName(5, QStringLiteral("nothing"));
    QCOMPARE(changed.count(), 7);

    // The machine-local fields are kept per script id.
    const QVariantMap binding = s.scriptBindings().value("orders_sync").toMap();
    QCOMPARE(binding.value("path").toString(), QStringLiteral("C:/s/orders.py"));
    QCOMPARE(binding.value("arguments").toString(), QStringLiteral("--all"));
    QCOMPARE(binding.value("autoStart").toBool(), true);

    s.addScriptEntry();
    s.setScriptEntryName(1, QStringLiteral("second"));
    s.moveScriptEntry(0, -1);
    s.moveScriptEntry(1, 1);
    s.moveScriptEntry(0, 2);
    QCOMPARE(row(s.scriptEntries(), 0).value("name").toString(), QStringLiteral("Orders Sync"));
    s.moveScriptEntry(0, 1);
    QCOMPARE(row(s.scriptEntries(), 0).value("name").toString(), QStringLiteral("second"));
    QVERIFY(s.save());

    // Reloaded, the entry gets its path back from the bindings.
    AppSettings again;
    QVERIFY(again.load());
    const QVariantMap entry = row(again.scriptEntries(), 1);
    QCOMPARE(entry.value("path").toString(), QStringLiteral("C:/s/orders.py"));
    QCOMPARE(entry.value("launchMode").toString(), QStringLiteral("python"));
    QCOMPARE(entry.value("enabled").toBool(), false);

    s.removeScriptEntry(2);
    QCOMPARE(s.scriptEntries().size(), 2);
    s.removeScriptEntry(0);
    QCOMPARE(s.scriptEntries().size(), 1);
}

// Two names that make the same id ("Sync" and "sync!") each keep their own
// machine-local arguments across a save and a load.
void SettingsCollectionsTest::scriptsWhoseIdsCollideKeepTheirBindings()
{
    AppSettings &s = *m_settings;
    s.addScriptEntry();
    s.addScriptEntry();
    s.setScriptEntryName(0, QStringLiteral("Sync"));
    s.setScriptEntryName(1, QStringLiteral("sync!"));
    s.setScriptEntryArguments(0, QString());
    s.setScriptEntryArguments(1, QStringLiteral("--code 3"));
    QVERIFY(s.save());
    QCOMPARE(s.scriptBindings().keys(), QStringList({"sync", "sync_2"}));

    AppSettings again;
    QVERIFY(again.load());
    QCOMPARE(row(again.scriptEntries(), 0).value("arguments").toString(), QString());
    QCOMPARE(row(again.scriptEntries(), 1).value("arguments").toString(), QStringLiteral("--code 3"));
    QCOMPARE(again.lastSavedState(), s.lastSavedState());
}

void SettingsCollectionsTest::consumableTabsEditsAndOptions()
{
    AppSettings &s = *m_settings;
    QCOMPARE(s.consumableTabs().size(), 3);
    QCOMPARE(s.consumableTabMeasure(QStringLiteral("tab_materials")), QStringLiteral("length"));
    QCOMPARE(s.consumableTabMode(QStringLiteral("missing")), QString());
    QCOMPARE(s.consumableTabOptions(QStringLiteral("missing")), QVariantList());

    s.addConsumableTab();
    const QVariantMap added = row(s.consumableTabs(), 3);
    QVERIFY(QRegularExpression(QStringLiteral("^tab_[0-9a-f]{8}$")).match(added.value("id").toString()).hasMatch());
    QCOMPARE(added.value("title").toString(), QStringLiteral("Новый расходник"));
    QCOMPARE(added.value("mode").toString(), QStringLiteral("count"));
    QCOMPARE(added.value("serverType").toString(), QStringLiteral("generic"));

    QSignalSpy changed(&s, &AppSettings::changed);
    s.setConsumableTabOptionsText(3, QStringLiteral(" Лён;Хлопок, Шёлк,,\nДжут \r\n"));
    QCOMPARE(s.consumableTabOptions(added.value("id").toString()),
             (QVariantList{QStringLiteral("Лён"), QStringLiteral("Хлопок"), QStringLiteral("Шёлк"),
                           QStringLiteral("Джут")}));
    QCOMPARE(s.consumableTabOptionsText(3), QStringLiteral("Лён, Хлопок, Шёлк, Джут"));
    s.setConsumableTabOptionsText(3, QStringLiteral("Лён, Хлопок, Шёлк, Джут"));
    QCOMPARE(changed.count(), 1);

    s.setConsumableTabMode(3, QStringLiteral(" MATERIALS "));
    QCOMPARE(row(s.consumableTabs(), 3).value("mode").toString(), QStringLiteral("materials"));
    s.setConsumableTabTitle(3, QStringLiteral("   "));
    QCOMPARE(row(s.consumableTabs(), 3).value("title").toString(), QStringLiteral("Материалы"));
    s.setConsumableTabMeasure(3, QString());
    QCOMPARE(row(s.consumableTabs(), 3).value("measure").toString(), QStringLiteral("length"));
    s.setConsumableTabServerType(3, QStringLiteral("fabric"));

    s.moveConsumableTab(3, 1);
    s.moveConsumableTab(-1, 1);
    s.moveConsumableTab(3, -3);
    QCOMPARE(s.firstConsumableTabId(), added.value("id").toString());
    QCOMPARE(s.consumableTabServerType(s.firstConsumableTabId()), QStringLiteral("fabric"));
    s.removeConsumableTab(9);
    s.removeConsumableTab(0);
    QCOMPARE(s.firstConsumableTabId(), QStringLiteral("tab_inks"));
}

void SettingsCollectionsTest::wallBindingsAndTheirPayload()
{
    AppSettings &s = *m_settings;
    QCOMPARE(s.wallBindingPayload(0), QString());
    s.addWallBinding();
    QVariantMap binding = row(s.wallBindings(), 0);
    QCOMPARE(binding.value("tabId").toString(), QStringLiteral("tab_inks"));
    QCOMPARE(binding.value("itemName").toString(), QStringLiteral("black"));
    QCOMPARE(binding.value("amount").toDouble(), 1.0);
    QCOMPARE(binding.value("title").toString(), QStringLiteral("Чернила"));

    s.setWallBindingTabId(0, QStringLiteral("tab_boxes"));
    binding = row(s.wallBindings(), 0);
    QVERIFY(!binding.contains("title"));
    QVERIFY(!binding.contains("measure"));
    s.setWallBindingItemName(0, QStringLiteral(" Маленькая шкатулка "));
    s.setWallBindingAmount(0, 2.5);

    const QJsonObject payload = payloadOf(s, 0);
    QCOMPARE(payload.value("kind").toString(), QStringLiteral("consumable_wall"));
    QCOMPARE(payload.value("tab_id").toString(), QStringLiteral("tab_boxes"));
    QCOMPARE(payload.value("item_key").toString(), QStringLiteral("small_box"));
    QCOMPARE(payload.value("type_key").toString(), QStringLiteral("small_box"));
    QCOMPARE(payload.value("type_id").toString(), QStringLiteral("small_box"));
    QCOMPARE(payload.value("item_name").toString(), QStringLiteral("Маленькая шкатулка"));
    QCOMPARE(payload.value("itemName").toString(), QStringLiteral("Маленькая шкатулка"));
    QCOMPARE(payload.value("tab_title").toString(), QStringLiteral("Коробки"));
    QCOMPARE(payload.value("server_type").toString(), QStringLiteral("box"));
    QCOMPARE(payload.value("measure").toString(), QStringLiteral("count"));
    QCOMPARE(payload.value("amount").toDouble(), 2.5);
    QCOMPARE(payload.keys().size(), 11);
    QVERIFY(!s.wallBindingPayload(0).contains(u'\n'));

    // The tab's later renames show up in the payload.
    s.setConsumableTabTitle(1, QStringLiteral("Упаковка"));
    QCOMPARE(payloadOf(s, 0).value("tab_title").toString(), QStringLiteral("Упаковка"));

    s.addWallBinding();
    s.removeWallBinding(5);
    QCOMPARE(s.wallBindings().size(), 2);
    s.removeWallBinding(0);
    QCOMPARE(row(s.wallBindings(), 0).value("tabId").toString(), QStringLiteral("tab_inks"));
    QVERIFY(s.save());
    AppSettings again;
    QVERIFY(again.load());
    QCOMPARE(again.wallBindings(), s.wallBindings());
}

void SettingsCollectionsTest::itemKeys()
{
    AppSettings &s = *m_settings;
    s.addWallBinding();
    // The built-in keys are the consumables' own (checked there); other names stay readable.
    const QList<QPair<QString, QString>> cases{
        {QStringLiteral("MAGENTA"), QStringLiteral("magenta")},
        {QStringLiteral("Короб"), QStringLiteral("box")},
        {QStringLiteral("коробка маленькая"), QStringLiteral("small_box")},
        {QStringLiteral("Большая шкатулка"), QStringLiteral("large_box")},
        {QStringLiteral("Зелёный Лён"), QStringLiteral("зеленый лен")},
    };
    for (const auto &c : cases) {
        s.setWallBindingItemName(0, c.first);
        QCOMPARE(payloadOf(s, 0).value("item_key").toString(), c.second);
    }
}

QTEST_GUILESS_MAIN(SettingsCollectionsTest)
#include "tst_settings_collections.moc"
