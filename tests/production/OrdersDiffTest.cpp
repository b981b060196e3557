// The orders model applies only what changed between two snapshots.
#include "common/SnapshotItems.h"
#include "production/OrdersModel.h"

#include <QAbstractItemModelTester>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <QtTest>

namespace {

// "a b* c": rows keyed a, b, c; a star marks a row whose content differs from
// the plain one (another status).
QJsonObject snapshotOf(const QString &rows)
{
    QJsonArray items;
    for (const QString &word : rows.split(u' ', Qt::SkipEmptyParts)) {
        const bool edited = word.endsWith(u'*');
        const QString key = edited ? word.chopped(1) : word;
        items.append(QJsonObject{{"key", key}, {"sku", QString(u"OB-" + key.toUpper())},
                                 {"status", edited ? "packed" : "new"}});
    }
    return {{"snapshot", QJsonObject{{"orders", QJsonObject{{"items", items}}}}}};
}

// Applies a snapshot as parsed objects, or as a body whose items are cut out
// and recognised by their bytes (the snapshot poll's way).
void apply(OrdersModel &model, const QJsonObject &snapshot, bool asBytes, QSet<size_t> *known)
{
    if (!asBytes) {
        model.applySnapshot(snapshot);
        return;
    }
    SnapshotItems items;
    const QJsonObject root = SnapshotItems::read(QJsonDocument(snapshot).toJson(), *known, &items);
    QVERIFY(items.isCut());
    *known = items.digests();
    model.applySnapshot(root, items);
}

QString rowsOf(const OrdersModel &model)
{
    QStringList words;
    for (int i = 0; i < model.count(); ++i) {
        const QString key = model.data(model.index(i), OrdersModel::KeyRole).toString();
        const bool edited = model.data(model.index(i), OrdersModel::StatusRole).toString() == u"packed";
        words << (edited ? key + u'*' : key);
    }
    return words.join(u' ');
}

struct Spies
{
    explicit Spies(OrdersModel *model)
        : inserted(model, &QAbstractItemModel::rowsInserted)
        , removed(model, &QAbstractItemModel::rowsRemoved)
        , updated(model, &QAbstractItemModel::dataChanged)
        , reset(model, &QAbstractItemModel::modelReset)
        , layout(model, &QAbstractItemModel::layoutChanged)
        , changed(model, &OrdersModel::changed)
    {
    }
    // Rows named by the signals, not the number of signals.
    static int rows(const QSignalSpy &spy, int firstArg)
    {
        int total = 0;
        for (const QList<QVariant> &args : spy) {
            const int first = firstArg == 0 ? args.at(0).toModelIndex().row() : args.at(firstArg).toInt();
            const int last = firstArg == 0 ? args.at(1).toModelIndex().row() : args.at(firstArg + 1).toInt();
            total += last - first + 1;
        }
        return total;
    }
    QSignalSpy inserted, removed, updated, reset, layout, changed;
};

} // namespace

class OrdersDiffTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void appliesOnlyTheDifference_data()
    {
        QTest::addColumn<bool>("asBytes");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("inserted");
        QTest::addColumn<int>("removed");
        QTest::addColumn<int>("updated");
        QTest::addColumn<int>("layouts");

        for (const bool asBytes : {false, true}) {
            const char *via = asBytes ? " (bytes)" : " (parsed)";
            QTest::newRow(QByteArray("unchanged snapshot").append(via)) << asBytes << "a b c" << "a b c" << 0 << 0 << 0 << 0;
            QTest::newRow(QByteArray("one row edited").append(via)) << asBytes << "a b c" << "a b* c" << 0 << 0 << 1 << 0;
            QTest::newRow(QByteArray("row inserted in the middle").append(via)) << asBytes << "a c" << "a b c" << 1 << 0 << 0 << 0;
            QTest::newRow(QByteArray("row removed").append(via)) << asBytes << "a b c" << "a c" << 0 << 1 << 0 << 0;
            QTest::newRow(QByteArray("remove, edit and append at once").append(via)) << asBytes << "a b c d e" << "a b* c e f" << 1 << 1 << 1 << 0;
            QTest::newRow(QByteArray("server sorted differently").append(via)) << asBytes << "a b c" << "c a b*" << 0 << 0 << 1 << 1;
            QTest::newRow(QByteArray("repeated key keeps its twin apart").append(via)) << asBytes << "a a b" << "a b" << 0 << 1 << 0 << 0;
            QTest::newRow(QByteArray("first snapshot").append(via)) << asBytes << "" << "a b c" << 3 << 0 << 0 << 0;
            QTest::newRow(QByteArray("orders all gone").append(via)) << asBytes << "a b c" << "" << 0 << 3 << 0 << 0;
            QTest::newRow(QByteArray("first of a repeated key gone").append(via)) << asBytes << "a b a" << "b a" << 0 << 1 << 0 << 1;
            QTest::newRow(QByteArray("edit next to a repeated key").append(via)) << asBytes << "a a b" << "a* a b" << 0 << 0 << 1 << 0;
        }
    }

    void appliesOnlyTheDifference()
    {
        QFETCH(bool, asBytes);
        QFETCH(QString, before);
        QFETCH(QString, after);
        OrdersModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSet<size_t> known;
        apply(model, snapshotOf(before), asBytes, &known);
        QCOMPARE(rowsOf(model), before);

        Spies spies(&model);
        apply(model, snapshotOf(after), asBytes, &known);
        QCOMPARE(rowsOf(model), after);
        QTEST(Spies::rows(spies.inserted, 1), "inserted");
        QTEST(Spies::rows(spies.removed, 1), "removed");
        QTEST(Spies::rows(spies.updated, 0), "updated");
        QTEST(int(spies.layout.count()), "layouts");
        QCOMPARE(spies.reset.count(), 0);
        // Nothing changed: no signal at all, so the page keeps its scroll position.
        QCOMPARE(spies.changed.count(), before == after ? 0 : 1);
        // Search and groups follow the new content.
        QCOMPARE(model.countBySourceGroup(QStringLiteral("orders"), QString()), model.count());
    }

    void selectionSurvivesUpdates()
    {
        OrdersModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.applySnapshot(snapshotOf(QStringLiteral("a b c d")));
        const QPersistentModelIndex selected(model.index(2)); // "c"

        model.applySnapshot(snapshotOf(QStringLiteral("a b* c d")));
        QCOMPARE(selected.row(), 2);
        model.applySnapshot(snapshotOf(QStringLiteral("b* c d")));
        QCOMPARE(selected.row(), 1);
        model.applySnapshot(snapshotOf(QStringLiteral("d b* c* x")));
        QVERIFY(selected.isValid());
        QCOMPARE(selected.row(), 2);
        QCOMPARE(selected.data(OrdersModel::KeyRole).toString(), QStringLiteral("c"));
        QCOMPARE(selected.data(OrdersModel::StatusRole).toString(), QStringLiteral("packed"));
        model.applySnapshot(snapshotOf(QStringLiteral("d x")));
        QVERIFY(!selected.isValid());
    }

    void manyScatteredChangesResetOnce()
    {
        QStringList all, half;
        for (int i = 0; i < 400; ++i) {
            all << QStringLiteral("k%1").arg(i);
            if (i % 2)
                half << all.last();
        }
        OrdersModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.applySnapshot(snapshotOf(all.join(u' ')));
        Spies spies(&model);
        model.applySnapshot(snapshotOf(half.join(u' ')));
        QCOMPARE(rowsOf(model), half.join(u' '));
        QCOMPARE(spies.reset.count(), 1);
        QCOMPARE(spies.removed.count(), 0);
    }

    void backgroundApplyKeepsOnlyTheNewest()
    {
        OrdersModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy applied(&model, &OrdersModel::snapshotApplied);

        // Three snapshots in quick succession: the older two are stale by the time
        // they are worked out and never reach the model.
        model.applySnapshotInBackground(snapshotOf(QStringLiteral("a")));
        model.applySnapshotInBackground(snapshotOf(QStringLiteral("a b")));
        model.applySnapshotInBackground(snapshotOf(QStringLiteral("a b* c")));
        QVERIFY(model.applyPending());
        QTRY_VERIFY_WITH_TIMEOUT(!model.applyPending(), 10000);
        QCOMPARE(applied.count(), 1);
        QCOMPARE(rowsOf(model), QStringLiteral("a b* c"));

        // A direct apply (an order operation's reply) overtakes a pending one.
        model.applySnapshotInBackground(snapshotOf(QStringLiteral("x")));
        model.applySnapshot(snapshotOf(QStringLiteral("a b c d")));
        QTRY_VERIFY_WITH_TIMEOUT(!model.applyPending(), 10000);
        QCOMPARE(rowsOf(model), QStringLiteral("a b c d"));

        // The same snapshot again in the background: applied, nothing changes.
        QSignalSpy changed(&model, &OrdersModel::changed);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        model.applySnapshotInBackground(snapshotOf(QStringLiteral("a b c d")));
        QVERIFY(applied.wait(10000));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(reset.count(), 0);
    }
};

QTEST_GUILESS_MAIN(OrdersDiffTest)
#include "OrdersDiffTest.moc"
