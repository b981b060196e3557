#include "SceneHarness.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QQuickItem>

// Loads the whole scene offscreen with every backend object published, and fails on any
// warning: a typo in a binding must never reach an operator. The scene is driven through
// its root functions the way the pages drive it.
class TestScene : public QObject, private SceneHarness
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void onboardingCoversEverything();
    void everyPageLoadsWithoutWarnings();
    void everySetupStepAndTabLoadsWithoutWarnings();
    void journalEntriesBecomeToasts();
    void lockedRowsOpenTheRestrictedDialog();
    void serviceBlockStopsNavigation();
    void hiddenPageMovesToFirstAvailable();
    void helpFallsBackToBuiltInSections();
    void labelsMarketplaceChooser();
    void issueSelectionAndScrollSurviveSnapshots();
    void pagesWithDataLoadWithoutWarnings();
    void warehouseConsumableAndStaffPages();

private:
    void loadScene(bool onboarded);
    bool itemVisible(const char *objectName);
};

void TestScene::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    useFreshDataFolder();
}

void TestScene::cleanup()
{
    closeScene();
}

void TestScene::loadScene(bool onboarded)
{
    SceneHarness::loadScene(onboarded);
    QVERIFY(m_settings->appDataDir().startsWith(m_home.path()));
}

bool TestScene::itemVisible(const char *objectName)
{
    auto *item = m_window->findChild<QQuickItem *>(QLatin1String(objectName));
    return item && item->isVisible();
}

void TestScene::onboardingCoversEverything()
{
    loadScene(false);
    QCOMPARE(m_window->title(), m_settings->displayAppName());
    QVERIFY(itemVisible("onboardingGate"));
    QVERIFY(!itemVisible("mainRow"));
    QVERIFY(!itemVisible("shellFooter"));

    // Without an identity onboarding cannot be past the connection step.
    eval(QStringLiteral("onboardingStep = 5"));
    m_settings->setDeviceName(QStringLiteral("ПК упаковки"));
    QCOMPARE(eval(QStringLiteral("onboardingStep")).toInt(), 2);
}

void TestScene::everyPageLoadsWithoutWarnings()
{
    loadScene(true);
    QVERIFY(!itemVisible("onboardingGate"));
    QVERIFY(itemVisible("mainRow"));
    QVERIFY(itemVisible("shellFooter"));
    for (const char *key : {"home", "orders", "warehouses", "consumables", "scripts", "supplies", "defects",
                            "bugs", "employees", "settings", "help", "rfid", "scanner2"}) {
        eval(QStringLiteral("pageKey = '%1'").arg(QLatin1String(key)));
        eval(QStringLiteral("sideDeviceMode = '%1'").arg(QLatin1String(key)));
        QTest::qWait(20);
    }
    // The restricted dialog in both of its looks.
    eval(QStringLiteral("disabledTabKey = 'help'; disabledTabSource = 'tenant'; showDisabledTabDialog = true"));
    QTest::qWait(20);
    eval(QStringLiteral("disabledTabSource = 'vorn'"));
    QTest::qWait(20);
}

void TestScene::everySetupStepAndTabLoadsWithoutWarnings()
{
    loadScene(true);
    eval(QStringLiteral("pageKey = 'settings'"));
    for (const char *tab : {"client", "paths", "devices", "cutters", "server", "scripts", "qrwall"}) {
        eval(QStringLiteral("settingsTab = '%1'").arg(QLatin1String(tab)));
        QTest::qWait(20);
    }
    // A connected device whose set-up was never finished shows onboarding again, at any step.
    m_settings->setApiKey(QString());
    m_settings->setOnboardingCompleted(false);
    QVERIFY(itemVisible("onboardingGate"));
    for (int step = 0; step <= 6; ++step) {
        eval(QStringLiteral("onboardingStep = %1").arg(step));
        QTest::qWait(20);
        QCOMPARE(eval(QStringLiteral("onboardingStep")).toInt(), step);
    }
}

void TestScene::journalEntriesBecomeToasts()
{
    loadScene(true);
    m_eventLog->addError(QStringLiteral("Сканер 1: не удалось открыть COM3"));
    m_eventLog->addInfo(QStringLiteral("Скан: P01A7K3M9Q"));
    QCOMPARE(eval(QStringLiteral("toastModel.count")).toInt(), 1);
    QCOMPARE(eval(QStringLiteral("toastModel.get(0).kind")).toString(), QStringLiteral("error"));
    QCOMPARE(eval(QStringLiteral("toastModel.get(0).title")).toString(), QStringLiteral("Сканер"));
    QCOMPARE(eval(QStringLiteral("toastModel.get(0).timeoutMs")).toInt(), 12000);
    QVERIFY(eval(QStringLiteral("toastModel.get(0).message")).toString()
                .startsWith(QStringLiteral("Сканер 1: не удалось открыть COM3\n")));

    // The same error again replaces the shown one.
    m_eventLog->addError(QStringLiteral("Сканер 1: не удалось открыть COM3"));
    QCOMPARE(eval(QStringLiteral("toastModel.count")).toInt(), 1);

    const QString id = eval(QStringLiteral("toastModel.get(0).toastId")).toString();
    eval(QStringLiteral("dismissToast('%1')").arg(id));
    QCOMPARE(eval(QStringLiteral("toastModel.count")).toInt(), 0);
}

void TestScene::lockedRowsOpenTheRestrictedDialog()
{
    loadScene(true);
    QVariantMap flags;
    for (const char *key : {"home", "warehouses", "consumables", "scripts", "supplies", "defects", "bugs",
                            "employees", "settings", "help"})
        flags.insert(QLatin1String(key), false);
    m_settings->applyServerPayload({{QStringLiteral("feature_flags"), flags}});
    const QVariantList rows = m_settings->sidebarItems();
    QVERIFY(!rows.isEmpty());
    for (const QVariant &row : rows)
        QVERIFY2(!row.toMap().value(QStringLiteral("enabled")).toBool(), qPrintable(row.toMap().value("key").toString()));
    const QString first = rows.first().toMap().value(QStringLiteral("key")).toString();
    QCOMPARE(eval(QStringLiteral("pageKey")).toString(), first);

    const QVariantMap locked = rows.last().toMap();
    eval(QStringLiteral("openPage('%1', '%2')")
             .arg(locked.value(QStringLiteral("key")).toString(), locked.value(QStringLiteral("restriction")).toString()));
    QCOMPARE(eval(QStringLiteral("pageKey")).toString(), first);
    QVERIFY(eval(QStringLiteral("showDisabledTabDialog")).toBool());
    QCOMPARE(eval(QStringLiteral("disabledTabKey")).toString(), locked.value(QStringLiteral("key")).toString());
    QCOMPARE(eval(QStringLiteral("disabledTabSource")).toString(), QStringLiteral("vorn"));
    QVERIFY(itemVisible("restrictedSectionDialog"));
}

void TestScene::serviceBlockStopsNavigation()
{
    loadScene(true);
    QVERIFY(!itemVisible("serviceBlock"));
    m_settings->setServiceBlockNotice(QStringLiteral("Оплата не поступила."));
    QVERIFY(itemVisible("serviceBlock"));
    eval(QStringLiteral("openPage('help', '')"));
    eval(QStringLiteral("openPage('bugs', 'vorn')"));
    QCOMPARE(eval(QStringLiteral("pageKey")).toString(), QStringLiteral("home"));
    QVERIFY(!eval(QStringLiteral("showDisabledTabDialog")).toBool());

    m_settings->setServiceBlockNotice(QString());
    QVERIFY(!itemVisible("serviceBlock"));
    eval(QStringLiteral("openPage('help', '')"));
    QCOMPARE(eval(QStringLiteral("pageKey")).toString(), QStringLiteral("help"));
}

void TestScene::hiddenPageMovesToFirstAvailable()
{
    loadScene(true);
    eval(QStringLiteral("openPage('bugs', '')"));
    QCOMPARE(eval(QStringLiteral("pageKey")).toString(), QStringLiteral("bugs"));
    m_settings->applyServerPayload({{QStringLiteral("hidden_tabs"), QStringList{QStringLiteral("bugs"), QStringLiteral("home")}}});
    QVERIFY(!m_settings->pageVisible(QStringLiteral("bugs")));
    QCOMPARE(eval(QStringLiteral("pageKey")).toString(),
             m_settings->sidebarItems().first().toMap().value(QStringLiteral("key")).toString());
    QVERIFY(eval(QStringLiteral("pageKey")).toString() != QStringLiteral("home"));
}

void TestScene::helpFallsBackToBuiltInSections()
{
    loadScene(true);
    eval(QStringLiteral("pageKey = 'help'"));
    auto *sections = m_window->findChild<QObject *>(QStringLiteral("helpSectionRepeater"));
    QVERIFY(sections);
    QVERIFY(m_settings->helpSections().isEmpty());
    QCOMPARE(sections->property("count").toInt(), 9);

    m_settings->applyServerPayload(QJsonObject{
        {QStringLiteral("help_sections"),
         QJsonArray{QJsonObject{{QStringLiteral("title"), QStringLiteral("Печать")},
                                {QStringLiteral("bullets"), QJsonArray{QStringLiteral("Сначала скан")}}}}}}
                                      .toVariantMap());
    QTRY_COMPARE(sections->property("count").toInt(), 1);
}

void TestScene::labelsMarketplaceChooser()
{
    loadScene(true);
    eval(QStringLiteral("pageKey = 'supplies'; suppliesTab = 'labels'"));
    auto *ozon = m_window->findChild<QObject *>(QStringLiteral("labelsOzonTab"));
    auto *wb = m_window->findChild<QObject *>(QStringLiteral("labelsWbTab"));
    QVERIFY(ozon && wb);
    QVERIFY(QMetaObject::invokeMethod(ozon, "clicked"));
    QCOMPARE(eval(QStringLiteral("supplyLabels.selectedMarketplace")).toString(), QStringLiteral("ozon"));
    QVERIFY(ozon->property("active").toBool());
    QVERIFY(QMetaObject::invokeMethod(wb, "clicked"));
    QCOMPARE(eval(QStringLiteral("supplyLabels.selectedMarketplace")).toString(), QStringLiteral("wb"));
}

void TestScene::issueSelectionAndScrollSurviveSnapshots()
{
    loadScene(true);
    const auto snapshot = [this](int defects) {
        QStringList rows;
        for (int i = 1; i <= defects; ++i)
            rows << QStringLiteral("{id: 'd%1', doc_no: '%1', title: 'Пятно %1', status: 'в работе', "
                                   "updated_at: '2026-12-01T10:%2:00Z'}")
                        .arg(i)
                        .arg(59 - i, 2, 10, QLatin1Char('0'));
        eval(QStringLiteral("issuesLive.applySnapshotRoot({defects: [%1]})").arg(rows.join(u',')));
    };
    QCOMPARE(eval(QStringLiteral("selectedDefectIndex")).toInt(), -1);
    eval(QStringLiteral("pageKey = 'defects'"));
    snapshot(40);
    QCOMPARE(eval(QStringLiteral("selectedDefectIndex")).toInt(), 0);

    auto *list = m_window->findChild<QQuickItem *>(QStringLiteral("defectList"));
    QVERIFY(list);
    QTRY_VERIFY(list->property("contentHeight").toReal() > list->height() + 400);
    eval(QStringLiteral("selectedDefectIndex = 12"));
    list->setProperty("contentY", 400.0);
    // The same rows again: nothing moves.
    snapshot(40);
    QTest::qWait(50);
    QCOMPARE(eval(QStringLiteral("selectedDefectIndex")).toInt(), 12);
    QCOMPARE(list->property("contentY").toReal(), 400.0);

    snapshot(5);
    QCOMPARE(eval(QStringLiteral("selectedDefectIndex")).toInt(), 0);
    snapshot(0);
    QCOMPARE(eval(QStringLiteral("selectedDefectIndex")).toInt(), -1);
}

void TestScene::pagesWithDataLoadWithoutWarnings()
{
    loadScene(true);
    eval(QStringLiteral("suppliesModel.addMarketplaceBarcode('4600000000017', 'ozon', 2);"
                        "appSettings.addScriptEntry(); scriptRuntime.refresh();"
                        "issuesLive.applySnapshotRoot({bugs: [{id: 7, title: 'Сканер дублирует код', status: 'в работе',"
                        " comment: 'первое;второе', photos: [{url: '/m/1.jpg'}, 'http://h/2.jpg'],"
                        " responsible: 'Иван', culprit: 'кабель'}]})"));
    QCOMPARE(eval(QStringLiteral("selectedBugIndex")).toInt(), 0);
    for (const char *script : {"pageKey = 'scripts'", "pageKey = 'supplies'", "suppliesTab = 'labels'",
                               "pageKey = 'bugs'", "pageKey = 'home'", "pageKey = 'help'"}) {
        eval(QString::fromLatin1(script));
        QTest::qWait(20);
    }
    auto *details = m_window->findChild<QQuickItem *>(QStringLiteral("bugDetailsLine"));
    QVERIFY(details);
    QCOMPARE(details->property("text").toString(), QStringLiteral("Виновник: кабель"));
}

// The warehouse, consumables and staff pages with data in every tab, and the employee
// dialog: it takes over the card reader while open and refuses a card without a name.
void TestScene::warehouseConsumableAndStaffPages()
{
    QTemporaryDir wb;
    QVERIFY(wb.isValid());
    for (const char *name : {"К_Пионы_204598765432.pdf", "OBOI_Flora_204598765435.pdf"}) {
        QFile file(QDir(wb.path()).filePath(QString::fromUtf8(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("label");
    }
    loadScene(true);
    m_settings->setWbPath(wb.path());
    eval(QStringLiteral("warehouseWbModel.reload(); pageKey = 'warehouses'; warehouseSearch = '2045987654'"));
    auto *files = m_window->findChild<QQuickItem *>(QStringLiteral("warehouseFileList"));
    QVERIFY(files);
    QTRY_COMPARE_WITH_TIMEOUT(files->property("count").toInt(), 1, 5000);
    // The wallpaper file matches the search exactly, yet only a confirmed scan prints it.
    eval(QStringLiteral("warehouseSearch = '204598765435'"));
    QTRY_COMPARE_WITH_TIMEOUT(files->property("count").toInt(), 0, 5000);
    QCOMPARE(eval(QStringLiteral("pageKey")).toString(), QStringLiteral("warehouses"));
    // The view tells its new count on the next polish.
    QTRY_VERIFY_WITH_TIMEOUT(itemVisible("warehouseEmptyState"), 5000);
    for (const char *tab : {"ozon", "ym", "wb"}) {
        eval(QStringLiteral("warehouseTab = '%1'").arg(QLatin1String(tab)));
        QTest::qWait(20);
    }

    eval(QStringLiteral("consumablesService.applySnapshotRoot({materials: [{material_id: 'R-17', mat_type: 'Винил',"
                        " length_m: 30}], inks: {Cyan: 2}, boxes: {'60x40': 5}}); pageKey = 'consumables'"));
    const int tabs = eval(QStringLiteral("appSettings.consumableTabs.length")).toInt();
    QVERIFY(tabs > 0);
    auto *stock = m_window->findChild<QQuickItem *>(QStringLiteral("consumableStockList"));
    QVERIFY(stock);
    for (int i = 0; i < tabs; ++i) {
        eval(QStringLiteral("consumablesTab = appSettings.consumableTabs[%1].id").arg(i));
        QTRY_VERIFY_WITH_TIMEOUT(stock->property("count").toInt() > 0, 5000);
    }

    eval(QStringLiteral("employeeWorkspace.applyServerSnapshot([{id: '3', name: 'Анна Петрова', role: 'резчик'},"
                        " {id: '4', name: 'Борис Иванов'}], {}, [], []);"
                        "employeeWorkspace.selectedEmployeeId = '3'; pageKey = 'employees'"));
    for (const char *tab : {"common", "attendance", "archive", "schedule"}) {
        eval(QStringLiteral("employeeTab = '%1'").arg(QLatin1String(tab)));
        QTest::qWait(20);
    }
    eval(QStringLiteral("employeeSearch = 'Борис'"));
    auto *employees = m_window->findChild<QQuickItem *>(QStringLiteral("employeeListView"));
    QVERIFY(employees);
    QTRY_COMPARE_WITH_TIMEOUT(employees->property("count").toInt(), 1, 5000);
    eval(QStringLiteral("employeeSearch = ''"));

    auto *page = m_window->findChild<QQuickItem *>(QStringLiteral("employeesPage"));
    QVERIFY(page);
    QMetaObject::invokeMethod(page, "openEditEmployee");
    QTRY_VERIFY_WITH_TIMEOUT(eval(QStringLiteral("employeeEditorOpen && scanRouter.employeeEditorOpen")).toBool(), 5000);
    eval(QStringLiteral("rfidService.cardDataRead('04AA55CC33', '3|Анна Петрова')"));
    QCOMPARE(page->property("form").toMap().value(QStringLiteral("rfid")).toString(), QStringLiteral("04AA55CC33"));
    QCOMPARE(page->property("form").toMap().value(QStringLiteral("rfidData")).toString(),
             QStringLiteral("3|Анна Петрова"));
    auto *dialog = m_window->findChild<QObject *>(QStringLiteral("employeeDialog"));
    QVERIFY(dialog);
    QMetaObject::invokeMethod(dialog, "close");
    QTRY_VERIFY_WITH_TIMEOUT(!eval(QStringLiteral("employeeEditorOpen || scanRouter.employeeEditorOpen")).toBool(), 5000);

    // A new card without a name is refused in the scene: nothing reaches the store.
    QMetaObject::invokeMethod(page, "openNewEmployee");
    QTRY_VERIFY_WITH_TIMEOUT(dialog->property("visible").toBool(), 5000);
    const int toasts = eval(QStringLiteral("toastModel.count")).toInt();
    QMetaObject::invokeMethod(page, "saveEmployee");
    QCOMPARE(eval(QStringLiteral("employeeWorkspace.employeeTotal")).toInt(), 2);
    QCOMPARE(eval(QStringLiteral("toastModel.count")).toInt(), toasts + 1);
    QCOMPARE(eval(QStringLiteral("toastModel.get(0).message")).toString(), QStringLiteral("Сотрудники: укажи имя"));
    QVERIFY(dialog->property("visible").toBool());
    QMetaObject::invokeMethod(dialog, "close");
}

SCENE_TEST_MAIN(TestScene)

#include "tst_scene.moc"
