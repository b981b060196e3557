// The supply scan list: barcode and marketplace rules, quantities, the state file and
// the CSV bytes, on a temporary data folder.
#include "JournalProbe.h"
#include "app/EventLogModel.h"
#include "settings/AppSettings.h"
#include "settings/SettingsSandbox.h"
#include "supplies/SupplyListModel.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

struct Fixture
{
    SettingsSandbox sandbox;
    std::unique_ptr<AppSettings> settings = std::make_unique<AppSettings>();
    EventLogModel log;
    std::unique_ptr<SupplyListModel> model = std::make_unique<SupplyListModel>(settings.get(), &log);
    QAbstractItemModelTester tester{model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest};

    bool logged(const QString &message) const { return journalMessages(log).contains(message); }

    QString barcodeAt(int row) const
    {
        return model->data(model->index(row), SupplyListModel::BarcodeRole).toString();
    }
    int qtyAt(int row) const { return model->data(model->index(row), SupplyListModel::QtyRole).toInt(); }
};

} // namespace

class SupplyListTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void barcodeNormalisation_data()
    {
        QTest::addColumn<QString>("scan");
        QTest::addColumn<QString>("barcode");
        QTest::newRow("blanks inside") << "4600 1234-5678 9" << "46001234-56789";
        QTest::newRow("too short") << "12 34" << "";
        QTest::newRow("seven left") << "123/4567" << "";
        QTest::newRow("eight") << " 00123456 " << "00123456";
        QTest::newRow("tab, newline, symbols") << "\tAB_cd-12#3456\r\n" << "AB_cd-123456";
        QTest::newRow("cyrillic dropped") << "штрих 2000000012345" << "2000000012345";
    }
    void barcodeNormalisation()
    {
        QFETCH(QString, scan);
        QFETCH(QString, barcode);
        QCOMPARE(SupplyCodes::normalizeBarcode(scan), barcode);
    }

    void marketplaces_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("market");
        QTest::addColumn<QString>("title");
        QTest::newRow("ozon") << " OZON " << "ozon" << "OZON";
        QTest::newRow("o3") << "O3" << "ozon" << "OZON";
        QTest::newRow("russian") << "Озон" << "ozon" << "OZON";
        QTest::newRow("wb") << "wb" << "wb" << "WB";
        QTest::newRow("anything else") << "ym" << "wb" << "WB";
        QTest::newRow("empty") << "" << "wb" << "WB";
    }
    void marketplaces()
    {
        QFETCH(QString, text);
        QFETCH(QString, market);
        QFETCH(QString, title);
        QCOMPARE(SupplyCodes::normalizeMarketplace(text), market);
        QCOMPARE(SupplyCodes::marketplaceTitle(SupplyCodes::normalizeMarketplace(text)), title);
    }

    void scansCountAndPersist()
    {
        Fixture f;
        QSignalSpy changed(f.model.get(), &SupplyListModel::changed);
        for (int i = 0; i < 3; ++i)
            f.model->addMarketplaceBarcode(QStringLiteral("4600 1234 5678"), QStringLiteral("ozon"));
        f.model->addBarcode(QStringLiteral("4600 1234 5678"), 2); // same code, other marketplace
        f.model->addMarketplaceBarcode(QStringLiteral("12 34"), QStringLiteral("ozon"));
        QCOMPARE(f.model->rowCount(), 2);
        QCOMPARE(f.qtyAt(0), 3);
        QCOMPARE(f.model->data(f.model->index(0), SupplyListModel::MarketplaceTitleRole).toString(),
                 QStringLiteral("OZON"));
        QCOMPARE(f.model->data(f.model->index(1), SupplyListModel::MarketplaceRole).toString(), QStringLiteral("wb"));
        QCOMPARE(f.model->totalCount(), 5);
        QCOMPARE(f.model->uniqueCount(), 2);
        QCOMPARE(changed.count(), 4);
        QVERIFY(f.logged(QStringLiteral("Поставки/OZON: добавлен 460012345678")));
        QVERIFY(f.logged(QStringLiteral("Поставки/OZON: 460012345678 -> 3 шт.")));
        QVERIFY(f.logged(QStringLiteral("Поставки/OZON: не похож на баркод.")));

        f.model->changeQty(1, -5);
        QCOMPARE(f.qtyAt(1), 1);
        f.model->changeQty(0, 4);
        QCOMPARE(f.qtyAt(0), 7);
        f.model->changeQty(7, 1);  // no such row: nothing happens
        f.model->removeRow(-1);
        QCOMPARE(f.model->rowCount(), 2);

        // The state file holds the list in order; a fresh model reads it back.
        const QJsonObject state = QJsonDocument::fromJson(f.sandbox.read(QStringLiteral("supplies_state.json"))).object();
        const QJsonArray items = state.value("items").toArray();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items.at(0).toObject().value("qty").toInt(), 7);
        QCOMPARE(items.at(1).toObject().value("marketplace").toString(), QStringLiteral("wb"));
        SupplyListModel again(f.settings.get(), nullptr);
        QAbstractItemModelTester tester(&again, QAbstractItemModelTester::FailureReportingMode::QtTest);
        again.load();
        QCOMPARE(again.rowCount(), 2);
        QCOMPARE(again.totalCount(), 8);

        f.model->removeRow(0);
        QCOMPARE(f.barcodeAt(0), QStringLiteral("460012345678"));
        f.model->clearAll();
        QCOMPARE(f.model->rowCount(), 0);
        QVERIFY(f.logged(QStringLiteral("Поставки: локальный буфер очищен.")));
        again.load();
        QCOMPARE(again.rowCount(), 0);
    }

    void damagedStateFileLoadsEmpty()
    {
        Fixture f;
        QVERIFY(f.sandbox.write(QStringLiteral("supplies_state.json"), "{\"items\": [{\"barcode\": \"1\"}, 7"));
        f.model->load();
        QCOMPARE(f.model->rowCount(), 0);
        QVERIFY(f.sandbox.write(QStringLiteral("supplies_state.json"),
                                R"({"items":[{"barcode":"12345678","marketplace":"O3","qty":0},{"barcode":"x"}]})"));
        f.model->load();
        QCOMPARE(f.model->rowCount(), 1);
        QCOMPARE(f.qtyAt(0), 1);
        QCOMPARE(f.model->data(f.model->index(0), SupplyListModel::MarketplaceRole).toString(), QStringLiteral("ozon"));
    }

    void csvBytes()
    {
        Fixture f;
        f.model->addMarketplaceBarcode(QStringLiteral("0046001234567"), QStringLiteral("wb"), 2);
        f.model->addMarketplaceBarcode(QStringLiteral("OZN-12345678"), QStringLiteral("ozon"));
        const QString path = f.sandbox.root() + QStringLiteral("/out/поставка.csv");
        QDir().mkpath(QFileInfo(path).absolutePath());
        QCOMPARE(f.model->exportCsv(QStringLiteral("  ") + path + QStringLiteral(" ")), path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray expected = QByteArray("\xEF\xBB\xBF")
                                    + QStringLiteral("маркетплейс;баркод;количество\n").toUtf8()
                                    + "WB;=\"0046001234567\";2\nOZON;=\"OZN-12345678\";1\n";
        QCOMPARE(file.readAll(), expected);
        QVERIFY(f.logged(QStringLiteral("Поставки: CSV сохранён: %1").arg(path)));

        QCOMPARE(f.model->exportCsv(QStringLiteral("   ")), QString());
        QCOMPARE(f.model->exportCsv(f.sandbox.root() + QStringLiteral("/missing/dir/x.csv")), QString());
    }

    void defaultExportGoesToTheExportsFolder()
    {
        Fixture f;
        const QString path = f.model->exportDefaultCsv();
        QVERIFY(!path.isEmpty());
        QCOMPARE(QFileInfo(path).absolutePath(), QDir(f.settings->appDataDir()).filePath(QStringLiteral("exports")));
        QVERIFY(QRegularExpression(QStringLiteral("^postavka_\\d{8}_\\d{6}\\.csv$")).match(QFileInfo(path).fileName()).hasMatch());
        QVERIFY(QFileInfo(path).size() > 0);
    }
};

QTEST_GUILESS_MAIN(SupplyListTest)
#include "SupplyListTest.moc"
