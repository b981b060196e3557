#include "production/OrdersModel.h"
#include "production/OrdersView.h"

#include <QAbstractItemModelTester>
#include <QJsonArray>
#include <QJsonObject>
#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <QtTest>

namespace {

using Tester = QAbstractItemModelTester;

QJsonObject order(const QString &key, const QString &market, const QString &sku, const QString &status,
                  const QString &extraKey = QString(), const QString &extraValue = QString())
{
    QJsonObject row{{"key", key}, {"marketplace", market}, {"sku", sku}, {"status", status},
                    {"title", QStringLiteral("Заказ %1").arg(key)}};
    if (!extraKey.isEmpty())
        row.insert(extraKey, extraValue);
    return row;
}

// The orders of the cases below: ordinary orders and pictures (by article or by type).
QJsonArray baseItems()
{
    return {
        order("wb-1", "WB", "OB-ROSE", "new"),
        order("oz-2", "OZON", "К_МОРЕ", "new"),
        order("wb-3", "WB", "OB-LOFT", "packed", "production_code", "P01ABCDEFG"),
        order("ym-4", "YM", "X-1", "new", "source_type", "Kartiny"),
        order("wb-5", "WB", "ST-CAT", "new", "comment", "Срочно"),
        order("oz-6", "OZON", "ПОС_ЛЕВ", "packed"),
        order("wb-7", "WB", "OB-SKY", "new", "barcode", "4600777"),
    };
}

QJsonObject snapshot(const QJsonArray &items, const QJsonArray &stock = {}, const QJsonArray &reprints = {},
                     const QJsonArray &fbo = {})
{
    return {{"snapshot", QJsonObject{{"orders", QJsonObject{{"items", items}, {"stock_balances", stock},
                                                            {"reprints", reprints}, {"fbo", fbo}}}}}};
}

QStringList keysOf(const QAbstractItemModel &model)
{
    QStringList keys;
    for (int i = 0; i < model.rowCount(); ++i)
        keys << model.data(model.index(i, 0), OrdersModel::KeyRole).toString();
    return keys;
}

QJsonArray stockItems()
{
    return {
        QJsonObject{{"warehouse", "Склад"}, {"sku", "OB-ROSE"}, {"marketplace", "WB"}},
        QJsonObject{{"sku", "OB-ROSE"}, {"order_key", "k-77"}},
        QJsonObject{{"kind", "Склад WB"}, {"sku", "ST-CAT"}, {"source", "WB"}},
        QJsonObject{{"warehouse", "Склад OZON"}, {"article", "OB-FOREST"}, {"marketplace", "OZON"}},
        QJsonObject{{"warehouse", "FBO Коледино"}, {"sku", "OB-LOFT"}},
    };
}

} // namespace

class OrdersViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void groupAndSearch_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("orders") << "orders" << "" << QStringList{"wb-1", "wb-3", "wb-5", "wb-7"};
        QTest::newRow("paintings") << "paintings" << "" << QStringList{"oz-2", "ym-4", "oz-6"};
        QTest::newRow("kartiny spelling") << " Kartiny " << "" << QStringList{"oz-2", "ym-4", "oz-6"};
        QTest::newRow("pictures spelling") << "pictures" << "" << QStringList{"oz-2", "ym-4", "oz-6"};
        QTest::newRow("any other group is orders") << "queue" << "" << QStringList{"wb-1", "wb-3", "wb-5", "wb-7"};
        QTest::newRow("search by uid") << "orders" << " p01abc " << QStringList{"wb-3"};
        QTest::newRow("search by comment") << "orders" << "СРОЧНО" << QStringList{"wb-5"};
        QTest::newRow("search by barcode") << "orders" << "4600777" << QStringList{"wb-7"};
        QTest::newRow("search by marketplace") << "paintings" << "ozon" << QStringList{"oz-2", "oz-6"};
        QTest::newRow("search by status") << "orders" << "packed" << QStringList{"wb-3"};
        QTest::newRow("no match") << "orders" << "nothing-like" << QStringList{};
        QTest::newRow("blank search") << "paintings" << "   " << QStringList{"oz-2", "ym-4", "oz-6"};
    }

    void groupAndSearch()
    {
        QFETCH(QString, group);
        QFETCH(QString, search);
        QFETCH(QStringList, keys);
        OrdersModel model;
        OrdersView view(&model);
        Tester tester(view.orders(), Tester::FailureReportingMode::QtTest);
        model.applySnapshot(snapshot(baseItems()));

        view.orders()->setGroup(group);
        view.orders()->setSearch(search);
        QCOMPARE(keysOf(*view.orders()), keys);
        QCOMPARE(view.orders()->count(), keys.size());
        // The page's counts come from the model; they must agree with the list.
        QCOMPARE(model.countBySourceGroup(group, search), keys.size());
        for (int i = 0; i < keys.size(); ++i)
            QCOMPARE(view.orders()->rowAt(i).value("key").toString(), keys.at(i));
        QVERIFY(view.orders()->rowAt(keys.size()).isEmpty());
        QVERIFY(view.orders()->rowAt(-1).isEmpty());
    }

    void filterSignals()
    {
        OrdersModel model;
        OrdersView view(&model);
        OrdersFilterModel *orders = view.orders();
        Tester tester(orders, Tester::FailureReportingMode::QtTest);
        QSignalSpy count(orders, &OrdersFilterModel::countChanged);
        QSignalSpy search(orders, &OrdersFilterModel::searchChanged);
        QSignalSpy group(orders, &OrdersFilterModel::groupChanged);
        model.applySnapshot(snapshot(baseItems()));
        QCOMPARE(count.count(), 1);

        orders->setSearch(QStringLiteral("ob-"));
        QCOMPARE(search.count(), 1);
        QCOMPARE(orders->count(), 3);
        orders->setSearch(QStringLiteral("ob-"));
        QCOMPARE(search.count(), 1);
        // Only blanks more: the filter does not change, the property does.
        const int countsBefore = int(count.count());
        orders->setSearch(QStringLiteral("ob- "));
        QCOMPARE(search.count(), 2);
        QCOMPARE(count.count(), countsBefore);
        orders->setGroup(QStringLiteral("orders"));
        QCOMPARE(group.count(), 0);
        orders->setGroup(QStringLiteral("paintings"));
        QCOMPARE(group.count(), 1);
        QCOMPARE(orders->count(), 0);
    }

    // A snapshot with the same rows, or with rows changed elsewhere, keeps the rows the
    // view holds where they are: no reset, the same proxy rows, persistent indexes kept.
    void snapshotsUpdateInPlace()
    {
        OrdersModel model;
        OrdersView view(&model);
        OrdersFilterModel *orders = view.orders();
        Tester tester(orders, Tester::FailureReportingMode::QtTest);
        model.applySnapshot(snapshot(baseItems()));
        QCOMPARE(keysOf(*orders), (QStringList{"wb-1", "wb-3", "wb-5", "wb-7"}));

        QSignalSpy reset(orders, &QAbstractItemModel::modelReset);
        QSignalSpy layout(orders, &QAbstractItemModel::layoutChanged);
        QSignalSpy inserted(orders, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(orders, &QAbstractItemModel::rowsRemoved);
        QSignalSpy changed(orders, &QAbstractItemModel::dataChanged);
        const QPersistentModelIndex third(orders->index(2, 0));

        model.applySnapshot(snapshot(baseItems()));
        QCOMPARE(reset.count() + layout.count() + inserted.count() + removed.count() + changed.count(), 0);

        // wb-5 changes status; a picture row elsewhere goes away; a new order comes last.
        QJsonArray items = baseItems();
        items[4] = order("wb-5", "WB", "ST-CAT", "packed", "comment", "Срочно");
        items.removeAt(5);
        items.append(order("wb-8", "WB", "OB-NEW", "new"));
        model.applySnapshot(snapshot(items));
        QCOMPARE(reset.count(), 0);
        QCOMPARE(removed.count(), 0); // the removed row was a picture, not in this list
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(changed.count(), 1);
        QVERIFY(third.isValid());
        QCOMPARE(third.row(), 2);
        QCOMPARE(third.data(OrdersModel::StatusRole).toString(), QStringLiteral("packed"));
        QCOMPARE(keysOf(*orders), (QStringList{"wb-1", "wb-3", "wb-5", "wb-7", "wb-8"}));

        // A row whose update takes it out of the search leaves the list.
        orders->setSearch(QStringLiteral("new"));
        QCOMPARE(keysOf(*orders), (QStringList{"wb-1", "wb-7", "wb-8"}));
        items[0] = order("wb-1", "WB", "OB-ROSE", "packed");
        model.applySnapshot(snapshot(items));
        QCOMPARE(keysOf(*orders), (QStringList{"wb-7", "wb-8"}));
        QCOMPARE(reset.count(), 0);
    }

    void stockByWarehouse_data()
    {
        QTest::addColumn<QString>("warehouse");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("skus");
        QTest::newRow("local, with a row without a label") << "Склад" << "" << QStringList{"OB-ROSE", "OB-ROSE"};
        QTest::newRow("wb by kind") << "Склад WB" << "" << QStringList{"ST-CAT"};
        QTest::newRow("ozon by article") << "Склад OZON" << "" << QStringList{"OB-FOREST"};
        QTest::newRow("trimmed warehouse") << " Склад WB " << "" << QStringList{"ST-CAT"};
        QTest::newRow("search by order key") << "Склад" << "K-77" << QStringList{"OB-ROSE"};
        QTest::newRow("search by marketplace") << "Склад" << "wb" << QStringList{"OB-ROSE"};
        QTest::newRow("case of the label matters") << "склад" << "" << QStringList{};
        QTest::newRow("no match") << "Склад OZON" << "rose" << QStringList{};
    }

    void stockByWarehouse()
    {
        QFETCH(QString, warehouse);
        QFETCH(QString, search);
        QFETCH(QStringList, skus);
        OrdersModel model;
        OrdersView view(&model);
        Tester rowsTester(view.stockRows(), Tester::FailureReportingMode::QtTest);
        Tester tester(view.stock(), Tester::FailureReportingMode::QtTest);
        model.applySnapshot(snapshot(baseItems(), stockItems()));
        QCOMPARE(view.stockRows()->count(), 5);

        view.stock()->setWarehouse(warehouse);
        view.stock()->setSearch(search);
        QStringList shown;
        for (int i = 0; i < view.stock()->rowCount(); ++i) {
            const QVariantMap row = view.stock()->data(view.stock()->index(i, 0), KeyedRowsModel::RowRole).toMap();
            shown << row.value(row.contains("sku") ? "sku" : "article").toString();
        }
        QCOMPARE(shown, skus);
        QCOMPARE(view.stock()->count(), skus.size());
        QCOMPARE(model.stockCountForWarehouse(warehouse, search), skus.size());
    }

    // Side lists follow the snapshot by key: an unchanged list emits nothing, an edited
    // reprint is one dataChanged, a new one is one insertion.
    void sideListsFollowByKey()
    {
        OrdersModel model;
        OrdersView view(&model);
        Tester reprintsTester(view.reprints(), Tester::FailureReportingMode::QtTest);
        Tester fboTester(view.fbo(), Tester::FailureReportingMode::QtTest);
        Tester queueTester(view.printQueue(), Tester::FailureReportingMode::QtTest);
        QJsonArray reprints{QJsonObject{{"reprint_key", "r1"}, {"sku", "A"}, {"strip_no", 1}},
                            QJsonObject{{"reprintKey", "r2"}, {"sku", "B"}}};
        const QJsonArray fbo{QJsonObject{{"plan_key", "p1"}, {"sku", "OB-LOFT"}, {"manual_prio", 2}}};
        model.applySnapshot(snapshot(baseItems(), stockItems(), reprints, fbo));
        QCOMPARE(view.reprints()->count(), 2);
        QCOMPARE(view.fbo()->count(), 1);
        QCOMPARE(view.reprints()->data(view.reprints()->index(1), KeyedRowsModel::KeyRole).toString(),
                 QStringLiteral("r2"));

        QSignalSpy reset(view.reprints(), &QAbstractItemModel::modelReset);
        QSignalSpy changed(view.reprints(), &QAbstractItemModel::dataChanged);
        QSignalSpy inserted(view.reprints(), &QAbstractItemModel::rowsInserted);
        QSignalSpy fboChanged(view.fbo(), &QAbstractItemModel::dataChanged);
        const QPersistentModelIndex second(view.reprints()->index(1));

        // The orders change, the side lists do not.
        QJsonArray items = baseItems();
        items.removeAt(0);
        model.applySnapshot(snapshot(items, stockItems(), reprints, fbo));
        QCOMPARE(changed.count() + inserted.count() + fboChanged.count(), 0);

        reprints[0] = QJsonObject{{"reprint_key", "r1"}, {"sku", "A"}, {"strip_no", 2}};
        reprints.insert(0, QJsonObject{{"key", "r0"}, {"sku", "C"}});
        model.applySnapshot(snapshot(items, stockItems(), reprints, fbo));
        QCOMPARE(reset.count(), 0);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(second.row(), 2);
        QCOMPARE(view.reprints()->get(1).value("strip_no").toInt(), 2);
        QCOMPARE(fboChanged.count(), 0);

        model.clear();
        QCOMPARE(view.reprints()->count(), 0);
        QCOMPARE(view.fbo()->count(), 0);
        QCOMPARE(view.stock()->count(), 0);
        QCOMPARE(view.orders()->count(), 0);
    }
};

QTEST_GUILESS_MAIN(OrdersViewTest)
#include "OrdersViewTest.moc"
