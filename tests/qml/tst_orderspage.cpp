#include "DemoData.h"
#include "DevServer.h"
#include "SceneHarness.h"

#include <QAbstractItemModelTester>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQuickItem>
#include <QSignalSpy>

namespace {

// count orders; every fourth is a picture. statusOf: the status of order n.
QJsonObject ordersSnapshot(int count, const std::function<QString(int)> &statusOf = {})
{
    static const char *const markets[] = {"WB", "OZON", "YM"};
    QJsonArray items;
    for (int n = 0; n < count; ++n) {
        const bool picture = n % 4 == 0;
        const QString market = QLatin1String(markets[n % 3]);
        items.append(QJsonObject{
            {"key", QStringLiteral("%1-%2").arg(market.toLower()).arg(2489117300LL + n)},
            {"marketplace", market},
            {"source_type", picture ? "pictures" : "wallpaper"},
            {"order_id", QString::number(2489117300LL + n)},
            {"sku", picture ? QStringLiteral("К_МОРЕ_%1").arg(n % 97) : QStringLiteral("OB-ROSE-%1").arg(n % 211)},
            {"title", QStringLiteral("Фотообои «Пионы в тумане» вариант %1").arg(n % 53)},
            {"status", statusOf ? statusOf(n) : QStringLiteral("new")},
            {"work_status", "в очереди печати"},
            {"qty", 1 + n % 3},
            {"production_code", QStringLiteral("P01%1").arg(n, 7, 10, QLatin1Char('2'))},
            {"created_at", QStringLiteral("2026-12-05T%1:15:00").arg(8 + n % 10, 2, 10, QLatin1Char('0'))},
        });
    }
    return {{"snapshot", QJsonObject{{"orders", QJsonObject{{"items", items}}}}}};
}

QJsonObject demoSide()
{
    QJsonObject orders = ordersSnapshot(12).value("snapshot").toObject().value("orders").toObject();
    orders.insert("summary", QJsonObject{{"total", 12}, {"open", 9}, {"today_packed", 2}, {"todayUnknown", 1}});
    orders.insert("print_queue", QJsonArray{QJsonObject{{"order_key", "wb-2489117301"}, {"title", "Пионы"},
                                                        {"uid", "P01AB2CDEF"}, {"marketplace", "WB"}, {"qty", 1}}});
    orders.insert("reprints", QJsonArray{QJsonObject{{"reprint_key", "r-1"}, {"order_key", "wb-2489117301"},
                                                     {"reason", "Полосы на печати"}, {"strip_no", 2},
                                                     {"ts", "2026-12-05T11:20:00Z"}}});
    orders.insert("fbo", QJsonArray{QJsonObject{{"plan_key", "p-1"}, {"marketplace", "WB"}, {"sku", "OB-LOFT-200"},
                                                {"warehouse", "Коледино"}, {"planned", 20}, {"done", 11},
                                                {"manual_prio", 3}}});
    orders.insert("stock_balances", QJsonArray{QJsonObject{{"warehouse", "Склад"}, {"sku", "OB-ROSE-300"}, {"qty", 4}},
                                               QJsonObject{{"warehouse", "Склад WB"}, {"sku", "ST-CAT"}, {"qty", 2}}});
    return {{"orders", orders}};
}

} // namespace

// The orders page in the real scene: a big list makes delegates only for the rows in
// view, snapshots keep the place, every tab and dialog loads without a QML warning,
// and the dialogs send nothing broken.
class TestOrdersPage : public QObject, private SceneHarness
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void bigListKeepsItsPlaceWithFewDelegates();
    void emptyStatesPerTab_data();
    void emptyStatesPerTab();
    void everyTabAndDialogLoads();
    void dialogRefusesBrokenForms();
    void refusalKeepsDialogOpenAndToasts();
    void actionsReachTheServer_data();
    void actionsReachTheServer();

private:
    QQuickItem *item(const char *objectName);
    int delegates(QQuickItem *list, const char *objectName);
    void applyAndWait(const QJsonObject &snapshot);
    void runStep(const QString &step);
    QObject *findVisual(const QString &objectName);
};

void TestOrdersPage::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    useFreshDataFolder();
    loadScene(true);
}

void TestOrdersPage::cleanup()
{
    closeScene();
}

QQuickItem *TestOrdersPage::item(const char *objectName)
{
    return m_window->findChild<QQuickItem *>(QLatin1String(objectName));
}

int TestOrdersPage::delegates(QQuickItem *list, const char *objectName)
{
    auto *content = list->property("contentItem").value<QQuickItem *>();
    int n = 0;
    for (QQuickItem *child : content->childItems()) {
        if (child->objectName() == QLatin1String(objectName))
            ++n;
    }
    return n;
}

void TestOrdersPage::applyAndWait(const QJsonObject &snapshot)
{
    OrdersModel &model = m_services->ordersModel();
    QSignalSpy applied(&model, &OrdersModel::snapshotApplied);
    // The road of a polled snapshot: the difference is made off the main thread.
    model.applySnapshotInBackground(snapshot);
    QVERIFY(applied.wait(30000));
}

void TestOrdersPage::bigListKeepsItsPlaceWithFewDelegates()
{
    QAbstractItemModelTester tester(m_services->ordersView().orders(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    applyAndWait(ordersSnapshot(20000));
    QCOMPARE(m_services->ordersModel().count(), 20000);
    eval(QStringLiteral("pageKey = 'orders'; ordersTab = 'orders'"));
    QQuickItem *list = item("ordersList");
    QVERIFY(list);
    QTRY_COMPARE_WITH_TIMEOUT(list->property("count").toInt(), 15000, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(delegates(list, "orderRow") > 5, 10000);
    QVERIFY2(delegates(list, "orderRow") < 100, qPrintable(QString::number(delegates(list, "orderRow"))));

    list->setProperty("currentIndex", 500);
    list->setProperty("contentY", 24000.0);
    QTest::qWait(50);
    const QString currentKey = eval(QStringLiteral("ordersView.orders.rowAt(500).key")).toString();
    QVERIFY(!currentKey.isEmpty());
    QSignalSpy reset(m_services->ordersView().orders(), &QAbstractItemModel::modelReset);

    // The same rows again.
    applyAndWait(ordersSnapshot(20000));
    QTest::qWait(50);
    QCOMPARE(list->property("currentIndex").toInt(), 500);
    QCOMPARE(list->property("contentY").toReal(), 24000.0);

    // Rows changed, none added or gone: still the same place and the same row.
    applyAndWait(ordersSnapshot(20000, [](int n) { return n % 50 == 3 ? QStringLiteral("packed") : QStringLiteral("new"); }));
    QTest::qWait(50);
    QCOMPARE(reset.count(), 0);
    QCOMPARE(list->property("currentIndex").toInt(), 500);
    QCOMPARE(list->property("contentY").toReal(), 24000.0);
    QCOMPARE(eval(QStringLiteral("ordersView.orders.rowAt(500).key")).toString(), currentKey);
    QVERIFY(delegates(list, "orderRow") < 100);

    // Scrolling to the end still keeps only the rows in view.
    list->setProperty("contentY", list->property("contentHeight").toReal() - list->height());
    QTest::qWait(50);
    QVERIFY(delegates(list, "orderRow") < 100);

    eval(QStringLiteral("ordersTab = 'paintings'"));
    QTRY_COMPARE(list->property("count").toInt(), 5000);
    eval(QStringLiteral("ordersSearch = 'к_море_5'"));
    // К_МОРЕ_5 and К_МОРЕ_50…59 of the pictures.
    QTRY_COMPARE(list->property("count").toInt(),
                 m_services->ordersModel().countBySourceGroup(QStringLiteral("paintings"), QStringLiteral("к_море_5")));
    QVERIFY(list->property("count").toInt() > 0);
    QVERIFY(delegates(list, "orderRow") < 100);
}

void TestOrdersPage::emptyStatesPerTab_data()
{
    QTest::addColumn<QString>("tab");
    QTest::addColumn<QString>("title");
    QTest::newRow("orders") << "orders" << "Данных пока нет";
    QTest::newRow("paintings") << "paintings" << "Картин пока нет";
    QTest::newRow("fbo") << "fbo" << "FBO пока пуст";
    QTest::newRow("queue") << "queue" << "Очередь пуста";
    QTest::newRow("reprints") << "reprints" << "Перепечатей нет";
    QTest::newRow("stock") << "stock" << "Склад пуст";
}

void TestOrdersPage::emptyStatesPerTab()
{
    QFETCH(QString, tab);
    QFETCH(QString, title);
    eval(QStringLiteral("pageKey = 'orders'; ordersTab = '%1'").arg(tab));
    QQuickItem *empty = item("ordersEmptyState");
    QVERIFY(empty);
    QVERIFY(empty->isVisible());
    QCOMPARE(empty->property("title").toString(), title);
    QVERIFY(!empty->property("hint").toString().isEmpty());

    // With rows of that tab the empty state goes.
    m_services->ordersModel().applySnapshot(demoSide());
    QTRY_VERIFY(!empty->isVisible());
}

void TestOrdersPage::everyTabAndDialogLoads()
{
    m_services->ordersModel().applySnapshot(demoSide());
    eval(QStringLiteral("pageKey = 'orders'"));
    for (const char *tab : {"orders", "paintings", "fbo", "queue", "reprints", "stock"}) {
        eval(QStringLiteral("ordersTab = '%1'").arg(QLatin1String(tab)));
        QTest::qWait(20);
    }
    for (const char *stock : {"local", "wb", "ozon"}) {
        eval(QStringLiteral("ordersStockTab = '%1'").arg(QLatin1String(stock)));
        QTest::qWait(20);
    }
    QCOMPARE(eval(QStringLiteral("ordersView.stock.count")).toInt(), 0);
    eval(QStringLiteral("ordersStockTab = 'wb'"));
    QCOMPARE(eval(QStringLiteral("ordersView.stock.count")).toInt(), 1);

    const QStringList opens{
        QStringLiteral("ordersTab = 'orders'; openNewOrderEditor()"),
        QStringLiteral("openOrderEditor(ordersView.orders.rowAt(0))"),
        QStringLiteral("ordersTab = 'stock'; openStockOrderEditor('Склад WB', 'Приход')"),
        QStringLiteral("ordersTab = 'reprints'; openNewReprintEditor()"),
        QStringLiteral("openReprintEditor(ordersView.reprints.get(0))"),
    };
    for (const QString &open : opens) {
        eval(open);
        QTest::qWait(20);
    }
    // The last open wins; the dialogs show what the root's buffers hold.
    auto *reprintDialog = m_window->findChild<QObject *>(QStringLiteral("reprintEditorDialog"));
    QVERIFY(reprintDialog);
    QVERIFY(reprintDialog->property("opened").toBool());
    QCOMPARE(reprintDialog->property("form").toMap().value("key").toString(), QStringLiteral("r-1"));

    // Leaving the page closes every dialog and clears the root's flags.
    eval(QStringLiteral("pageKey = 'home'"));
    QTRY_VERIFY(!reprintDialog->property("opened").toBool());
    QVERIFY(!eval(QStringLiteral("reprintEditorOpen || orderEditorOpen")).toBool());
}

void TestOrdersPage::dialogRefusesBrokenForms()
{
    eval(QStringLiteral("pageKey = 'orders'; openNewOrderEditor()"));
    auto *dialog = m_window->findChild<QObject *>(QStringLiteral("orderEditorDialog"));
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->property("opened").toBool());
    const QString statusBefore = eval(QStringLiteral("ordersApi.statusText")).toString();

    // Which forms are broken is OrdersLogic's (tst_orderlogic); here: the dialogs ask it and send nothing.
    item("orderSkuInput")->setProperty("text", QStringLiteral("OB-ROSE"));
    item("orderQtyInput")->setProperty("text", QStringLiteral("1.5"));
    QVERIFY(QMetaObject::invokeMethod(item("orderEditorSave"), "clicked"));
    QVERIFY(!dialog->property("error").toString().isEmpty());
    QVERIFY(!eval(QStringLiteral("ordersApi.busy")).toBool());
    QCOMPARE(eval(QStringLiteral("ordersApi.statusText")).toString(), statusBefore);
    QVERIFY(dialog->property("opened").toBool());

    eval(QStringLiteral("openNewReprintEditor()"));
    auto *reprint = m_window->findChild<QObject *>(QStringLiteral("reprintEditorDialog"));
    QVERIFY(reprint);
    item("reprintSkuInput")->setProperty("text", QStringLiteral("OB-ROSE"));
    item("reprintStripInput")->setProperty("text", QStringLiteral("-1"));
    QVERIFY(QMetaObject::invokeMethod(item("reprintEditorSave"), "clicked"));
    QCOMPARE(reprint->property("error").toString(), QStringLiteral("Полоса — целое число от 0."));
    QVERIFY(!eval(QStringLiteral("ordersApi.busy")).toBool());
    QCOMPARE(eval(QStringLiteral("ordersApi.statusText")).toString(), statusBefore);
}

void TestOrdersPage::refusalKeepsDialogOpenAndToasts()
{
    eval(QStringLiteral("pageKey = 'orders'; openNewOrderEditor()"));
    auto *dialog = m_window->findChild<QObject *>(QStringLiteral("orderEditorDialog"));
    QVERIFY(dialog);
    item("orderSkuInput")->setProperty("text", QStringLiteral("OB-ROSE-300"));
    item("orderQtyInput")->setProperty("text", QStringLiteral("2"));
    eval(QStringLiteral("toastModel.clear()"));
    QVERIFY(QMetaObject::invokeMethod(item("orderEditorSave"), "clicked"));
    // Sent: the closed port refuses, the reply says so.
    QVERIFY(dialog->property("sending").toBool());
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->property("sending").toBool(), 15000);
    QVERIFY(dialog->property("opened").toBool());
    QVERIFY(dialog->property("error").toString().startsWith(QStringLiteral("Заказы: не удалось обновить данные")));
    QTRY_VERIFY(eval(QStringLiteral("toastModel.count")).toInt() >= 1);
    QVERIFY(eval(QStringLiteral("toastModel.get(0).message")).toString().startsWith(
        QStringLiteral("Заказы: не удалось обновить данные")));
    // The form the operator typed is kept in the root's buffer.
    QCOMPARE(eval(QStringLiteral("orderForm.sku")).toString(), QStringLiteral("OB-ROSE-300"));
}

// Delegates of views and repeaters have no QObject parent: they are found through the
// item tree (the overlay of the popups included).
QObject *TestOrdersPage::findVisual(const QString &objectName)
{
    if (QObject *found = m_window->findChild<QObject *>(objectName))
        return found;
    QList<QQuickItem *> pending{m_window->contentItem()};
    while (!pending.isEmpty()) {
        QQuickItem *item = pending.takeFirst();
        if (item->objectName() == objectName && item->isVisible())
            return item;
        pending += item->childItems();
    }
    return nullptr;
}

void TestOrdersPage::runStep(const QString &step)
{
    const QString what = step.section(u':', 1);
    if (step.startsWith(QLatin1String("eval:"))) {
        eval(what);
    } else if (step.startsWith(QLatin1String("click:"))) {
        // A view makes its delegates on the next polish.
        QObject *button = nullptr;
        QTRY_VERIFY2_WITH_TIMEOUT((button = findVisual(what)) != nullptr, qPrintable(what), 5000);
        QVERIFY2(button->property("enabled").toBool(), qPrintable(what));
        QVERIFY(QMetaObject::invokeMethod(button, "clicked"));
    } else if (step.startsWith(QLatin1String("text:"))) {
        QQuickItem *field = m_window->findChild<QQuickItem *>(what.section(u'=', 0, 0));
        QVERIFY2(field, qPrintable(what));
        field->setProperty("text", what.section(u'=', 1));
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
}

void TestOrdersPage::actionsReachTheServer_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("eventType");
    QTest::addColumn<QString>("payloadKey"); // the object inside the payload, or "" for the payload itself
    QTest::addColumn<QJsonObject>("expected");
    QTest::addColumn<QStringList>("absent");

    QTest::newRow("stock receipt WB")
        << QStringList{"eval:ordersTab = 'stock'", "click:stockWbButton", "text:orderSkuInput=OB-ROSE-300",
                       "text:orderQtyInput=3", "click:orderEditorSave"}
        << "order_upsert" << "order"
        << QJsonObject{{"assign_uid", false}, {"assignUid", false}, {"type", "stock"}, {"order_no", ""},
                       {"marketplace", ""}, {"warehouse_target", "Склад WB"}, {"writeoffSource", "Склад WB"},
                       {"status", "Приход"}, {"qty", 3}, {"sku", "OB-ROSE-300"}}
        << QStringList{"order_key", "scan_uid"};
    QTest::newRow("new picture order")
        << QStringList{"eval:ordersTab = 'paintings'", "click:ordersAddButton", "click:orderMarketOZON",
                       "text:orderSkuInput=К_МОРЕ_50х70", "click:orderEditorSave"}
        << "order_upsert" << "order"
        << QJsonObject{{"marketplace", "OZON"}, {"source_type", "picture"}, {"status", "печать"},
                       {"work_status", "печать"}, {"qty", 1}, {"manual_work_status", true}}
        << QStringList{"order_key", "assign_uid", "type"};
    QTest::newRow("edited order")
        << QStringList{"eval:ordersTab = 'orders'; openOrderEditor(ordersView.orders.rowAt(0))",
                       "text:orderStatusInput=упакован", "click:orderEditorSave"}
        << "order_upsert" << "order"
        << QJsonObject{{"order_key", "ozon-2489117301"}, {"key", "ozon-2489117301"}, {"status", "упакован"},
                       {"work_status", "в очереди печати"}, {"marketplace", "OZON"}}
        << QStringList{"assign_uid"};
    QTest::newRow("new reprint")
        << QStringList{"eval:ordersTab = 'reprints'", "click:reprintAddButton", "text:reprintSkuInput=OB-LOFT-200",
                       "text:reprintStripInput=2", "text:reprintReasonInput=Полосы", "click:reprintEditorSave"}
        << "reprint_upsert" << "reprint"
        << QJsonObject{{"marketplace", "WB"}, {"sku", "OB-LOFT-200"}, {"strip_no", 2}, {"stripNo", 2},
                       {"status", "Печать"}, {"reason", "Полосы"}}
        << QStringList{"reprint_key", "key"};
    QTest::newRow("fbo plan")
        << QStringList{"eval:ordersTab = 'fbo'", "click:fboSave"}
        << "fbo_plan_patch" << ""
        << QJsonObject{{"plan_key", "p-1"}, {"marketplace", "WB"}, {"sku", "OB-LOFT-200"}, {"manual_need", true},
                       {"manual_prio", 3}, {"in_prod", 0}, {"local_stock", 0}}
        << QStringList{};
    QTest::newRow("delete order")
        << QStringList{"eval:ordersTab = 'orders';"
                       "(function find(o) { if (!o) return null; if (o.objectName === 'orderDeleteDialog') return o;"
                       " var d = o.data || []; for (var i = 0; i < d.length; ++i) { var r = find(d[i]);"
                       " if (r) return r; } return null; })(contentItem).ask('Пионы', 'wb-2489121721')",
                       "click:orderDeleteDialogConfirm"}
        << "order_delete" << ""
        // A row of the demo tenant, so the server finds it.
        << QJsonObject{{"order_key", "wb-2489121721"}, {"key", "wb-2489121721"}}
        << QStringList{};
}

// Each control of the page sends its operation with the payload the dialogs build,
// end to end against the devserver; an accepted save closes its dialog.
void TestOrdersPage::actionsReachTheServer()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, eventType);
    QFETCH(QString, payloadKey);
    QFETCH(QJsonObject, expected);
    QFETCH(QStringList, absent);

    DevServer server;
    QVERIFY(server.listenOn(QHostAddress::LocalHost, 0) != 0);
    m_settings->setServerUrl(server.baseUrl().toString());
    m_settings->setTenantId(QString::fromLatin1(Demo::kTenantId));
    m_settings->setDeviceId(QString::fromLatin1(Demo::kDeviceId));
    m_settings->setApiKey(QString::fromLatin1(Demo::kApiKey));
    m_services->ordersModel().applySnapshot(demoSide());
    eval(QStringLiteral("pageKey = 'orders'"));

    for (const QString &step : steps) {
        runStep(step);
        if (QTest::currentTestFailed())
            return;
    }
    const auto events = [&] { return server.journal().entries(0, QStringLiteral("/api/client-event")); };
    QTRY_VERIFY_WITH_TIMEOUT(!events().isEmpty(), 10000);
    const QJsonObject body = events().last().toObject().value("body").toObject();
    QCOMPARE(body.value("event_type").toString(), eventType);
    const QJsonObject payload = body.value("payload").toObject();
    const QJsonObject sent = payloadKey.isEmpty() ? payload : payload.value(payloadKey).toObject();
    for (auto it = expected.constBegin(); it != expected.constEnd(); ++it)
        QVERIFY2(sent.value(it.key()) == it.value(),
                 qPrintable(it.key() + QStringLiteral(": ") + QString::fromUtf8(QJsonDocument(sent).toJson())));
    for (const QString &key : absent)
        QVERIFY2(!sent.contains(key), qPrintable(key));

    // The reply is accepted: no dialog stays open.
    QTRY_VERIFY_WITH_TIMEOUT(!eval(QStringLiteral("ordersApi.busy")).toBool(), 10000);
    QTRY_VERIFY(!eval(QStringLiteral("orderEditorOpen || reprintEditorOpen")).toBool());
    QVERIFY(!eval(QStringLiteral("ordersApi.statusText")).toString().contains(QStringLiteral("отклонена")));
}

SCENE_TEST_MAIN(TestOrdersPage)

#include "tst_orderspage.moc"
