#include "production/OrdersModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

namespace {

QVariantMap ordersObject()
{
    const QVariantList items{
        QVariantMap{{"key", "wb-1"}, {"source", "WB"}, {"sku", "OB-ROSE"}, {"title", "Пионы"},
                    {"production_code", "P01PACK2WB"}, {"status", "new"}, {"count", 3}},
        QVariantMap{{"order_key", "oz-2"}, {"marketplace", "OZON"}, {"article", "К_МОРЕ_50х70"},
                    {"name", "Море"}, {"unique_no", "480123"}, {"qty", 2}},
        QVariantMap{{"key", "wb-3"}, {"source", "WB"}, {"source_type", "KARTINY"}, {"sku", "X-1"},
                    {"comment", "Срочно"}},
        QVariantMap{{"key", "ym-4"}, {"source", "YM"}, {"cell_h", "POS_LION"}, {"ml", 12.5}},
        QVariantMap(), // skipped
        QVariantMap{{"key", "wb-5"}, {"source", "WB"}, {"sku", "ST-CAT"}, {"barcode", "4600001"},
                    {"work_status", "упакован"}},
    };
    const QVariantList stock{
        QVariantMap{{"warehouse", "Склад WB"}, {"sku", "OB-ROSE"}, {"marketplace", "WB"}},
        QVariantMap{{"sku", "OB-ROSE"}, {"order_key", "k-77"}},
        QVariantMap{{"kind", "Склад"}, {"sku", "ST-CAT"}, {"source", "YM"}},
    };
    return {{"items", items},
            {"summary", QVariantMap{{"total", 5}, {"open", 2}, {"today_packed", 1}}},
            {"scans", QVariantList{QVariantMap{{"raw_scan", "P01PACK2WB"}}}},
            {"printQueue", QVariantList{QVariantMap{{"queue_key", "q1"}}}},
            {"stockBalances", stock},
            {"reprints", QVariantList{QVariantMap{{"key", "r1"}}, QVariantMap{{"key", "r2"}}}}};
}

} // namespace

class OrdersModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void snapshotShapesAndRoles()
    {
        OrdersModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy changed(&model, &OrdersModel::changed);

        model.applySnapshot({{"snapshot", QVariantMap{{"orders", ordersObject()}}}});
        QCOMPARE(model.count(), 5);
        QCOMPARE(changed.count(), 1);
        const QVariantList wrappedRows = [&] {
            QVariantList rows;
            for (int i = 0; i < model.count(); ++i)
                rows << model.rowAt(i);
            return rows;
        }();

        OrdersModel bare;
        QAbstractItemModelTester bareTester(&bare, QAbstractItemModelTester::FailureReportingMode::QtTest);
        bare.applySnapshot(ordersObject());
        QCOMPARE(bare.count(), 5);
        for (int i = 0; i < bare.count(); ++i)
            QCOMPARE(QVariant(bare.rowAt(i)), wrappedRows.at(i));

        const auto value = [&](int r, int role) { return model.data(model.index(r), role); };
        QCOMPARE(value(0, OrdersModel::KeyRole).toString(), QStringLiteral("wb-1"));
        QCOMPARE(value(1, OrdersModel::KeyRole).toString(), QStringLiteral("oz-2"));
        QCOMPARE(value(1, OrdersModel::SourceRole).toString(), QStringLiteral("OZON"));
        QCOMPARE(value(1, OrdersModel::SkuRole).toString(), QStringLiteral("К_МОРЕ_50х70"));
        QCOMPARE(value(1, OrdersModel::TitleRole).toString(), QStringLiteral("Море"));
        QCOMPARE(value(0, OrdersModel::ScanUidRole).toString(), QStringLiteral("P01PACK2WB"));
        QCOMPARE(value(1, OrdersModel::UniqueNoRole).toString(), QStringLiteral("480123"));
        QCOMPARE(value(0, OrdersModel::QtyRole).toInt(), 3);   // from "count"
        QCOMPARE(value(1, OrdersModel::QtyRole).toInt(), 2);
        QCOMPARE(value(2, OrdersModel::QtyRole).toInt(), 0);   // neither
        QCOMPARE(value(3, OrdersModel::MlRole).toDouble(), 12.5);
        QCOMPARE(value(2, OrdersModel::NoteRole).toString(), QString());
        QCOMPARE(value(4, OrdersModel::WorkStatusRole).toString(), QStringLiteral("упакован"));
        QCOMPARE(value(4, OrdersModel::RawRole).toMap().value("barcode").toString(), QStringLiteral("4600001"));
        QVERIFY(!model.data(model.index(0), Qt::UserRole + 99).isValid());
        QVERIFY(!model.data(model.index(5), OrdersModel::KeyRole).isValid());

        QVERIFY(model.rowAt(-1).isEmpty());
        QVERIFY(model.rowAt(model.count()).isEmpty());

        QCOMPARE(model.summary().value("today_packed").toInt(), 1);
        QCOMPARE(model.scans().size(), 1);
        QCOMPARE(model.printQueue().size(), 1);
        QCOMPARE(model.reprints().size(), 2);
        QCOMPARE(model.stockMovements().size(), 3);
        QVERIFY(model.products().isEmpty());
    }

    // The other group and search counts are checked against the filtered lists in OrdersViewTest.
    void groupsSearchAndStock()
    {
        OrdersModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.applySnapshot({{"orders", ordersObject()}});
        // К_ article, "kartiny" type and POS_ in a worksheet column are paintings.
        QCOMPARE(model.countBySourceGroup(QStringLiteral("paintings"), QString()), 3);
        // The source of a stock element is searched too.
        QCOMPARE(model.stockCountForWarehouse(QStringLiteral("Склад"), QStringLiteral("ym")), 1);

        QSignalSpy changed(&model, &OrdersModel::changed);
        model.clear();
        QCOMPARE(model.count(), 0);
        QVERIFY(model.summary().isEmpty());
        QVERIFY(model.stockMovements().isEmpty());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.countBySourceGroup(QStringLiteral("orders"), QString()), 0);

        // A root without orders empties the model too.
        model.applySnapshot({{"orders", ordersObject()}});
        model.applySnapshot(QVariantMap{{"revision", "9"}});
        QCOMPARE(model.count(), 0);
    }
};

QTEST_GUILESS_MAIN(OrdersModelTest)
#include "OrdersModelTest.moc"
