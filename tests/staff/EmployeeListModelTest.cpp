// The staff page's employee list: the store's rows narrowed by the search, kept quiet
// when a snapshot changes nothing the list shows.
#include "staff/EmployeeListModel.h"
#include "staff/EmployeeWorkspaceStore.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QVariantList demoEmployees()
{
    return {
        QVariantMap{{"id", "3"}, {"name", "Анна Петрова"}, {"role", "резчик"}, {"rfid_uid", "04AA55CC31"}},
        QVariantMap{{"id", "1"}, {"name", "Борис Иванов"}, {"role", "печатник"}},
        QVariantMap{{"id", "12"}, {"name", "Вера Смирнова"}, {"role", "резчик"}, {"rfid_uid", "04BB00FF12"}},
    };
}

QStringList ids(const EmployeeListModel &model)
{
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row)
        out << model.data(model.index(row), EmployeeListModel::EmployeeIdRole).toString();
    return out;
}

} // namespace

class EmployeeListModelTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void search_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("expected");

        // The store sorts by numeric id.
        QTest::newRow("everyone") << QString() << QStringList{"1", "3", "12"};
        QTest::newRow("name, any case") << QStringLiteral("анна") << QStringList{"3"};
        QTest::newRow("role") << QStringLiteral(" резчик ") << QStringList{"3", "12"};
        QTest::newRow("id") << QStringLiteral("12") << QStringList{"12"};
        QTest::newRow("card uid") << QStringLiteral("04bb") << QStringList{"12"};
        QTest::newRow("nobody") << QStringLiteral("Григорий") << QStringList{};
    }

    void search()
    {
        QFETCH(QString, search);
        QFETCH(QStringList, expected);

        EmployeeWorkspaceStore store(nullptr);
        EmployeeListModel model(&store);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        store.applyServerSnapshot(demoEmployees(), {}, {}, {});
        QCOMPARE(model.count(), 3);

        QSignalSpy countSpy(&model, &EmployeeListModel::countChanged);
        model.setSearch(search);
        QCOMPARE(ids(model), expected);
        QCOMPARE(model.count(), expected.size());
        QCOMPARE(countSpy.count(), expected.size() == 3 ? 0 : 1);
        for (int row = 0; row < expected.size(); ++row)
            QCOMPARE(model.indexOfEmployee(expected.at(row)), row);

        // Clearing the search brings everyone back.
        model.setSearch(QString());
        QCOMPARE(ids(model), (QStringList{"1", "3", "12"}));
    }

    void rolesCarryTheViewRow()
    {
        EmployeeWorkspaceStore store(nullptr);
        EmployeeListModel model(&store);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        store.applyServerSnapshot(demoEmployees(), {}, {}, {});

        const QModelIndex anna = model.index(model.indexOfEmployee(QStringLiteral("3")));
        QCOMPARE(anna.data(EmployeeListModel::NameRole).toString(), QStringLiteral("Анна Петрова"));
        QCOMPARE(anna.data(EmployeeListModel::RoleRole).toString(), QStringLiteral("резчик"));
        QCOMPARE(anna.data(EmployeeListModel::RfidRole).toString(), QStringLiteral("04AA55CC31"));
        QVERIFY(!anna.data(EmployeeListModel::MetaRole).toString().isEmpty());
        QCOMPARE(model.indexOfEmployee(QStringLiteral("99")), -1);
        QCOMPARE(model.indexOfEmployee(QString()), -1);
    }

    void unchangedSnapshotKeepsTheList()
    {
        EmployeeWorkspaceStore store(nullptr);
        EmployeeListModel model(&store);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        store.applyServerSnapshot(demoEmployees(), {}, {}, {});

        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        store.applyServerSnapshot(demoEmployees(), {}, {}, {});
        QCOMPARE(resets.count(), 0);

        // A renamed employee is news for the list.
        QVariantList renamed = demoEmployees();
        QVariantMap boris = renamed.at(1).toMap();
        boris.insert(QStringLiteral("name"), QStringLiteral("Борис Сидоров"));
        renamed[1] = boris;
        store.applyServerSnapshot(renamed, {}, {}, {});
        QCOMPARE(resets.count(), 1);
        QCOMPARE(model.index(model.indexOfEmployee(QStringLiteral("1"))).data(EmployeeListModel::NameRole).toString(),
                 QStringLiteral("Борис Сидоров"));
    }
};

QTEST_GUILESS_MAIN(EmployeeListModelTest)
#include "EmployeeListModelTest.moc"
