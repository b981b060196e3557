#include "common/KeyedRowsModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

// The row model behind the issue feeds: a rebuilt list must reach a view as the
// smallest set of changes, never as a reset.
class TestKeyedRows : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rebuildBecomesSmallChanges_data();
    void rebuildBecomesSmallChanges();
    void rowsWithoutKeysOrWithRepeatedKeys();
};

namespace {

QVariantMap row(const QString &key, const QString &title = QString())
{
    return {{QStringLiteral("key"), key}, {QStringLiteral("title"), title.isEmpty() ? key : title}};
}

QVariantList rows(const QStringList &keys)
{
    QVariantList list;
    for (const QString &key : keys)
        list << row(key);
    return list;
}

QStringList keysOf(const KeyedRowsModel &model)
{
    QStringList keys;
    for (int i = 0; i < model.rowCount(); ++i)
        keys << model.get(i).value(QStringLiteral("key")).toString();
    return keys;
}

} // namespace

void TestKeyedRows::rebuildBecomesSmallChanges_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QVariantList>("after");
    QTest::addColumn<int>("inserted");
    QTest::addColumn<int>("removed");
    QTest::addColumn<int>("moved");
    QTest::addColumn<int>("changed");

    const QStringList abc{"a", "b", "c"};
    QTest::newRow("same rows") << abc << rows(abc) << 0 << 0 << 0 << 0;
    QTest::newRow("new on top") << abc << rows({"n", "a", "b", "c"}) << 1 << 0 << 0 << 0;
    QTest::newRow("last gone") << abc << rows({"a", "b"}) << 0 << 1 << 0 << 0;
    QTest::newRow("middle gone, one new") << abc << rows({"a", "c", "d"}) << 1 << 1 << 0 << 0;
    QTest::newRow("reordered") << abc << rows({"c", "a", "b"}) << 0 << 0 << 1 << 0;
    QVariantList edited = rows(abc);
    edited[1] = row(QStringLiteral("b"), QStringLiteral("исправлен"));
    QTest::newRow("one row edited") << abc << edited << 0 << 0 << 0 << 1;
    QTest::newRow("emptied") << abc << QVariantList() << 0 << 3 << 0 << 0;
    QTest::newRow("from empty") << QStringList() << rows(abc) << 3 << 0 << 0 << 0;
}

void TestKeyedRows::rebuildBecomesSmallChanges()
{
    QFETCH(QStringList, before);
    QFETCH(QVariantList, after);
    QFETCH(int, inserted);
    QFETCH(int, removed);
    QFETCH(int, moved);
    QFETCH(int, changed);

    KeyedRowsModel model(QStringLiteral("key"));
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setRows(rows(before));

    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removes(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy moves(&model, &QAbstractItemModel::rowsMoved);
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy counts(&model, &KeyedRowsModel::countChanged);
    model.setRows(after);

    QCOMPARE(resets.count(), 0);
    QCOMPARE(inserts.count(), inserted);
    QCOMPARE(removes.count(), removed);
    QCOMPARE(moves.count(), moved);
    QCOMPARE(changes.count(), changed);
    QCOMPARE(counts.count(), before.size() == after.size() ? 0 : 1);
    QCOMPARE(model.rowCount(), after.size());
    for (int i = 0; i < after.size(); ++i) {
        QCOMPARE(model.get(i), after.at(i).toMap());
        QCOMPARE(model.data(model.index(i), KeyedRowsModel::RowRole).toMap(), after.at(i).toMap());
    }
    QCOMPARE(model.get(after.size()), QVariantMap());
    QCOMPARE(model.get(-1), QVariantMap());
}

void TestKeyedRows::rowsWithoutKeysOrWithRepeatedKeys()
{
    KeyedRowsModel model(QStringLiteral("key"));
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QVariantList twice{row("x", "первый"), row("x", "второй"), QVariantMap{{"title", "без ключа"}}};
    model.setRows(twice);
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.get(1).value("title").toString(), QStringLiteral("второй"));
    QCOMPARE(model.data(model.index(2), KeyedRowsModel::KeyRole).toString(), QStringLiteral("#2"));

    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    model.setRows(twice);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(resets.count(), 0);
    QCOMPARE(keysOf(model), (QStringList{"x", "x", ""}));

    // Copies get the first suffix no row holds yet, a real key ending in a quote included.
    model.setRows({row("x", "1"), row("x", "2"), row("x'", "3"), row("x", "4")});
    QStringList identities;
    for (int i = 0; i < model.rowCount(); ++i)
        identities << model.data(model.index(i), KeyedRowsModel::KeyRole).toString();
    QCOMPARE(identities, (QStringList{"x", "x'", "x''", "x'''"}));
}

QTEST_GUILESS_MAIN(TestKeyedRows)
#include "tst_keyedrows.moc"
