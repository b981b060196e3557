#include "LayoutFiles.h"
#include "feeds/MaketNames.h"
#include "feeds/RasterJobInfo.h"
#include "feeds/StripCutter.h"
#include "RipStandIn.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class StripCutterTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stripsMatchPlainCut_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("strips");
        QTest::addColumn<bool>("deflate");
        // 2.5 strips wide gives 2; one pixel over one strip has no right overlap.
        QTest::newRow("2.5 strips, uncompressed") << 15354 << 2 << false;
        QTest::newRow("2.5 strips, deflate") << 15354 << 2 << true;
        QTest::newRow("one strip and a pixel") << 6142 << 1 << false;
    }

    void stripsMatchPlainCut()
    {
        QFETCH(int, width);
        QFETCH(int, strips);
        QFETCH(bool, deflate);
        QTemporaryDir dir;
        const QImage layout = makeLayoutImage(width, 200);
        const QString path = dir.filePath(QStringLiteral("ЛОФ_01 Тест 2х2.7 макет.tif"));
        QVERIFY(writeLayoutTiff(path, layout, 150, deflate));

        StripCutJob job;
        job.layoutPath = path;
        job.stripsFolder = dir.filePath(QStringLiteral("По полосам"));
        job.layoutName = QStringLiteral("ЛОФ_01 Тест 2х2.7 макет");
        job.designKey = MaketNames::designKey(QFileInfo(path).fileName());
        QList<int> progress;
        StripCutHooks hooks;
        hooks.progress = [&progress](int done, int) { progress.append(done); };
        const StripCutOutcome outcome = cutLayoutIntoStrips(job, hooks);
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        QCOMPARE(outcome.expected, strips);
        QCOMPARE(outcome.done, strips);
        QCOMPARE(progress.last(), strips);
        QCOMPARE(QDir(job.stripsFolder).entryList(QDir::Files).size(), strips);

        for (int i = 0; i < strips; ++i) {
            const QString name = QStringLiteral("ЛОФ_01 Тест 2х2.7 макет %1-я полоса.tif").arg(i + 1);
            QCOMPARE(QFileInfo(outcome.files.at(i)).fileName(), name);
            QImage cut(outcome.files.at(i));
            QVERIFY2(!cut.isNull(), qPrintable(name));
            QCOMPARE(cut.size(), QSize(6219, 200));
            QCOMPARE(qRound(cut.dotsPerMeterX() * 0.0254), 150);
            QCOMPARE(cut.convertToFormat(QImage::Format_RGB32),
                     referenceStrip(layout, i).convertToFormat(QImage::Format_RGB32));
        }
    }

    void refusesBadLayouts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("error");
        QTest::newRow("narrower than a strip") << "b.tif" << 6141 << "Недостаточная ширина макета для полосы 104 см";
        QTest::newRow("not a tiff") << "e.tif" << 0 << "Не удалось прочитать размер макета: ";
    }

    void refusesBadLayouts()
    {
        QFETCH(QString, name);
        QFETCH(int, width);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (width > 0) {
            QVERIFY(writeLayoutTiff(path, makeLayoutImage(width, 8), 150));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("%PDF-1.4 this is not an image\n");
        }
        StripCutJob job{path, dir.filePath(QStringLiteral("strips")), QStringLiteral("x"), QStringLiteral("x")};
        const StripCutOutcome outcome = cutLayoutIntoStrips(job);
        QVERIFY(!outcome.ok);
        QVERIFY2(outcome.error.startsWith(error), qPrintable(outcome.error));
        QVERIFY(QDir(job.stripsFolder).entryList(QDir::Files).isEmpty());
    }

    void replacesStripsOfEarlierRun()
    {
        QTemporaryDir dir;
        const QString strips = dir.filePath(QStringLiteral("strips"));
        QDir().mkpath(strips);
        // An earlier run of the same design under another spelling, three strips then; and a stranger.
        for (const char *name : {"ЛОФ_01 Пионы 5x2.7 макет 1-я полоса.tif", "ЛОФ_01  Пионы 5X2.7 МАКЕТ  2 - я полоса.tiff",
                                 "ЛОФ_01 Пионы 5х2.7 макет 3-я полоса.tif", "ЛОФ_02 Розы 1-я полоса.tif"}) {
            QFile file(QDir(strips).filePath(QString::fromUtf8(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QString path = dir.filePath(QStringLiteral("ЛОФ_01 Пионы 5х2.7 макет.tif"));
        QVERIFY(writeLayoutTiff(path, makeLayoutImage(6200, 6), 150));
        StripCutJob job{path, strips, QStringLiteral("ЛОФ_01 Пионы 5х2.7 макет"),
                        MaketNames::designKey(QStringLiteral("ЛОФ_01 Пионы 5х2.7 макет.tif"))};
        const StripCutOutcome outcome = cutLayoutIntoStrips(job);
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        QStringList left = QDir(strips).entryList(QDir::Files);
        left.sort();
        QCOMPARE(left, (QStringList{QStringLiteral("ЛОФ_01 Пионы 5х2.7 макет 1-я полоса.tif"),
                                    QStringLiteral("ЛОФ_02 Розы 1-я полоса.tif")}));
    }

    void designKeys_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("key");
        QTest::newRow("extension and word") << "  ЛОФ_01 Пионы 5x2.7 Макет.tif " << "ЛОФ_01 Пионы 5х2.7";
        QTest::newRow("cyrillic and latin x") << "A Х b X c.PNG" << "A х b х c";
        QTest::newRow("blanks") << "ГЕО_20\t  Карта   мира.jpeg" << "ГЕО_20 Карта мира";
        QTest::newRow("long extension stays") << "Обои.backup1" << "Обои.backup1";
    }

    void designKeys()
    {
        QFETCH(QString, name);
        QFETCH(QString, key);
        QCOMPARE(MaketNames::designKey(name), key);
    }

    void namesAndPasses()
    {
        QCOMPARE(MaketNames::cleanFileName(QStringLiteral("a<b>:c\"d/e\\\\f|g?h**i\x01\x02.tif")),
                 QStringLiteral("a_b_c_d_e_f_g_h_i_.tif"));
        QCOMPARE(MaketNames::cleanFileName(QStringLiteral("  ")), QStringLiteral("maket"));
        QCOMPARE(MaketNames::orderNumber(QStringLiteral(" ЗАК-_ 1234 обои.tif")), QStringLiteral("1234"));
        QCOMPARE(MaketNames::orderNumber(QStringLiteral("ЛОФ_01 ЗАК 12.tif")), QString());
        QCOMPARE(MaketNames::passesFor(QStringLiteral("лоф_01 пионы")), 8);
        QCOMPARE(MaketNames::passesFor(QStringLiteral("АБС_17")), 8);
        QCOMPARE(MaketNames::passesFor(QStringLiteral("ЦВЕ_08 x")), 6);
        QCOMPARE(MaketNames::passesFor(QStringLiteral("ГЕО_20")), 6);
        QCOMPARE(MaketNames::passesFor(QStringLiteral("ЛОФ_02")), 4);
        QVERIFY(!MaketNames::isAcceptedExtension(QStringLiteral(".gif")));
        QVERIFY(MaketNames::isAcceptedExtension(QStringLiteral(".PSB")));
    }

    void jobInfo_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("found");
        QTest::addColumn<double>("total");
        QTest::addColumn<QString>("profile");
        QTest::newRow("semicolons") << QByteArray("[Job]\r\ndeviceProfileName= JV330 8pass \r\ninkUsed = 12;3;4;5\r\n")
                                    << true << 24.0 << "JV330 8pass";
        QTest::newRow("decimal commas") << QByteArray("INKUSED=1,5;2,5;0;1\n") << true << 5.0 << "";
        QTest::newRow("blanks") << QByteArray("inkUsed=10 20 30 40\n") << true << 100.0 << "";
        QTest::newRow("utf-8 with a byte order mark") << QString::fromUtf8("\xEF\xBB\xBFinkUsed=1;1;1;1\r\ndeviceProfileName=Проф\r\n")
                                       .toUtf8() << true << 4.0 << "Проф";
        QTest::newRow("no ink line yet") << QByteArray("deviceProfileName=x\n") << false << 0.0 << "x";
        QTest::newRow("stand-in's own") << ("inkUsed=" + RipStandIn::inkLineFor(500000).toLatin1() + "\r\n")
                                        << true << 111.0 << "";
    }

    void jobInfo()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, found);
        QFETCH(double, total);
        QFETCH(QString, profile);
        const RasterJobInfo info = parseRasterJobInfo(content);
        QCOMPARE(info.hasInks, found);
        QCOMPARE(info.total, total);
        QCOMPARE(info.profile, profile);
    }
};

QTEST_MAIN(StripCutterTest)
#include "StripCutterTest.moc"
