// The warehouse page's list: only files that may be printed by hand, narrowed by the
// search, over real folders and the real WarehouseFileModel.
#include "serverlink/ServerLinkSandbox.h"
#include "supplies/WarehouseFileModel.h"
#include "supplies/WarehouseManualFilter.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

struct Folder
{
    ServerLinkSandbox box;
    QTemporaryDir dir;
    std::unique_ptr<WarehouseFileModel> model;
    WarehouseManualFilter filter;
    std::unique_ptr<QAbstractItemModelTester> sourceTester;
    std::unique_ptr<QAbstractItemModelTester> filterTester;

    Folder()
    {
        box.settings->setWbPath(dir.path());
        model = std::make_unique<WarehouseFileModel>(box.settings.get(), &box.eventLog, nullptr, nullptr,
                                                     QStringLiteral("wb"));
        sourceTester = std::make_unique<QAbstractItemModelTester>(
            model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        filter.setSourceModel(model.get());
        filterTester = std::make_unique<QAbstractItemModelTester>(
            &filter, QAbstractItemModelTester::FailureReportingMode::QtTest);
    }

    void file(const QString &name) const
    {
        QFile f(QDir(dir.path()).filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("label");
    }

    QStringList listed() const
    {
        QStringList out;
        for (int row = 0; row < filter.rowCount(); ++row)
            out << filter.data(filter.index(row, 0), WarehouseFileModel::FileNameRole).toString();
        out.sort();
        return out;
    }
};

const QStringList kFiles{
    QStringLiteral("К_Пионы_204598765432.pdf"),        // manual, Cyrillic К_
    QStringLiteral("POS_Sunset_204598765433.pdf"),     // manual, Latin POS_
    QStringLiteral("КОМ_01_Набор_204598765434.png"),   // manual
    QStringLiteral("OBOI_Flora_204598765435.pdf"),     // needs a confirmed scan
    QStringLiteral("самовыкуп_OBOI_Lines_204598765432.pdf"), // same barcode as the К_ file
    QStringLiteral("напечатано_К_Розы_204598765436.pdf"),    // already printed
};

} // namespace

class WarehouseManualFilterTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listsOnlyManualFilesMatchingTheSearch_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("no search: every manual file")
            << QString()
            << QStringList{kFiles.at(0), kFiles.at(2), kFiles.at(1)};
        // The search matches the wallpaper file exactly, yet it needs a confirmed scan.
        QTest::newRow("barcode of a scan-only file") << QStringLiteral("204598765435") << QStringList{};
        QTest::newRow("article of a scan-only file") << QStringLiteral("OBOI") << QStringList{};
        // The self-buy file shares the barcode; only the manual one is listed.
        QTest::newRow("shared barcode") << QStringLiteral("204598765432") << QStringList{kFiles.at(0)};
        QTest::newRow("part of a barcode, trimmed") << QStringLiteral("  65433 ") << QStringList{kFiles.at(1)};
        QTest::newRow("article, any case") << QStringLiteral("pos_sun") << QStringList{kFiles.at(1)};
        QTest::newRow("file name piece") << QStringLiteral("набор") << QStringList{kFiles.at(2)};
        QTest::newRow("printed file stays out") << QStringLiteral("Розы") << QStringList{};
        QTest::newRow("nothing matches") << QStringLiteral("999") << QStringList{};
    }

    void listsOnlyManualFilesMatchingTheSearch()
    {
        QFETCH(QString, search);
        QFETCH(QStringList, expected);

        Folder folder;
        for (const QString &name : kFiles)
            folder.file(name);
        folder.model->reload();
        QCOMPARE(folder.model->manualEntryCount(), 3);

        QSignalSpy searchSpy(&folder.filter, &WarehouseManualFilter::searchChanged);
        folder.filter.setSearch(search);
        QCOMPARE(searchSpy.count(), search.trimmed().isEmpty() ? 0 : 1);
        folder.filter.setSearch(search); // same text: nothing happens
        QCOMPARE(searchSpy.count(), search.trimmed().isEmpty() ? 0 : 1);

        expected.sort();
        QCOMPARE(folder.listed(), expected);
        // Every listed row maps back to a source row that allows a manual print.
        for (int row = 0; row < folder.filter.rowCount(); ++row) {
            const int source = folder.filter.sourceRow(row);
            QVERIFY(source >= 0);
            QVERIFY(folder.model->rowInfo(source).value(QStringLiteral("manualPrintAllowed")).toBool());
        }
        QCOMPARE(folder.filter.sourceRow(folder.filter.rowCount()), -1);
    }

    void followsReloadsAndSourceSwitch()
    {
        Folder folder;
        folder.model->reload();
        QCOMPARE(folder.filter.rowCount(), 0);

        folder.file(kFiles.at(3));
        folder.file(kFiles.at(0));
        folder.model->reload();
        QCOMPARE(folder.listed(), QStringList{kFiles.at(0)});

        // A second marketplace with its own folder: switching the source swaps the list.
        QTemporaryDir ozonDir;
        folder.box.settings->setOzonPath(ozonDir.path());
        WarehouseFileModel ozon(folder.box.settings.get(), &folder.box.eventLog, nullptr, nullptr, QStringLiteral("ozon"));
        {
            QFile f(QDir(ozonDir.path()).filePath(QStringLiteral("ПОС_Море_305598765432.pdf")));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        ozon.reload();
        folder.filter.setSourceModel(&ozon);
        QCOMPARE(folder.filter.rowCount(), 1);
        QCOMPARE(folder.filter.data(folder.filter.index(0, 0), WarehouseFileModel::BarcodeRole).toString(),
                 QStringLiteral("305598765432"));
    }
};

QTEST_GUILESS_MAIN(WarehouseManualFilterTest)
#include "WarehouseManualFilterTest.moc"
