// Names from outside must stay plain names inside their folder, whatever they hold.
#include "common/SafeFileName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class SafeFileNameTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleansNames_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("expected");   // empty: no usable name

        QTest::newRow("plain") << "label.pdf" << "label.pdf";
        QTest::newRow("cyrillic kept") << "расход_К_Лес_123.pdf" << "расход_К_Лес_123.pdf";
        QTest::newRow("slash and colon") << "a/b:c.pdf" << "a_b_c.pdf";
        QTest::newRow("run of separators is one _") << "a//\\\\b.txt" << "a_b.txt";
        QTest::newRow("parent traversal") << "../../etc/passwd" << "._._etc_passwd";
        QTest::newRow("windows traversal") << "..\\..\\Windows\\win.ini" << "._._Windows_win.ini";
        QTest::newRow("dots inside collapse") << "a..b...pdf" << "a.b.pdf";
        QTest::newRow("absolute posix") << "/etc/shadow" << "_etc_shadow";
        QTest::newRow("drive letter") << "C:\\boot.ini" << "C_boot.ini";
        QTest::newRow("unc path") << "\\\\server\\share\\x.pdf" << "_server_share_x.pdf";
        QTest::newRow("alternate data stream") << "a.pdf:Zone.Identifier" << "a.pdf_Zone.Identifier";
        QTest::newRow("windows specials") << "a<b>c\"d|e?f*g.png" << "a_b_c_d_e_f_g.png";
        QTest::newRow("nul byte") << QString::fromUtf8("a\0b.pdf", 7) << "a_b.pdf";
        QTest::newRow("newline and tab") << "a\n\tb.pdf" << "a_b.pdf";
        QTest::newRow("escape and delete") << "a\x1b[31m\x7f.pdf" << "a_[31m_.pdf";
        QTest::newRow("c1 control") << QStringLiteral("a\u0085b.pdf") << "a_b.pdf";
        QTest::newRow("right-to-left override") << QStringLiteral("invoice\u202Efdp.exe") << "invoice_fdp.exe";
        QTest::newRow("line separator") << QStringLiteral("a\u2028b.txt") << "a_b.txt";
        QTest::newRow("lone surrogate") << QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b.txt") << "a_b.txt";
        QTest::newRow("emoji pair kept") << QStringLiteral("a\U0001F5A8.png") << QStringLiteral("a\U0001F5A8.png");
        QTest::newRow("fullwidth slash") << QStringLiteral("a\uFF0Fb.txt") << "a_b.txt";
        QTest::newRow("division slash") << QStringLiteral("a\u2215b.txt") << "a_b.txt";
        QTest::newRow("trailing dots") << "report.pdf..." << "report.pdf";
        QTest::newRow("trailing blanks") << "report.pdf   " << "report.pdf";
        QTest::newRow("trailing dot blank mix") << "report. . ." << "report";
        QTest::newRow("leading blanks") << "   x.pdf" << "x.pdf";
        QTest::newRow("dot dot") << ".." << "";
        QTest::newRow("dots only") << "....." << "";
        QTest::newRow("blank") << "   " << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("controls only") << "\x01\x02" << "_";
        QTest::newRow("hidden file kept") << ".profile" << ".profile";
        QTest::newRow("CON") << "CON" << "_CON";
        QTest::newRow("PRN") << "PRN" << "_PRN";
        QTest::newRow("AUX") << "aux.pdf" << "_aux.pdf";
        QTest::newRow("nul two extensions") << "NUL.tar.gz" << "_NUL.tar.gz";
        QTest::newRow("nul blank before dot") << "nul .txt" << "_nul .txt";
        QTest::newRow("com9 extension") << "com9.log" << "_com9.log";
        QTest::newRow("LPT1") << "LPT1.pdf" << "_LPT1.pdf";
        QTest::newRow("lpt superscript") << QStringLiteral("LPT\u00B9.txt") << QStringLiteral("_LPT\u00B9.txt");
        QTest::newRow("CONOUT$") << "CONOUT$" << "_CONOUT$";
        QTest::newRow("COM10 is a name") << "COM10.txt" << "COM10.txt";
        QTest::newRow("console is a name") << "console.txt" << "console.txt";
        QTest::newRow("nul trailing dot") << "NUL." << "_NUL";
        QTest::newRow("nul behind traversal") << "../nul" << "._nul";
    }

    void cleansNames()
    {
        QFETCH(QString, raw);
        QFETCH(QString, expected);
        const QString cleaned = safeFileName(raw);
        QCOMPARE(cleaned, expected);
        // A cleaned name is left alone by a second pass.
        QCOMPARE(safeFileName(cleaned), cleaned);
        QCOMPARE(isSafeFileName(cleaned), !cleaned.isEmpty());
    }

    void longNamesKeepTheirExtension_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("suffix");

        QTest::newRow("ascii") << QString(400, u'a') + QStringLiteral(".pdf") << ".pdf";
        QTest::newRow("cyrillic") << QString(300, u'ж') + QStringLiteral(".png") << ".png";
        QTest::newRow("emoji pairs not split") << QStringLiteral("\U0001F600").repeated(120) + QStringLiteral(".txt") << ".txt";
        QTest::newRow("long extension dropped") << QStringLiteral("a.") + QString(300, u'b') << "b";
        QTest::newRow("blanks before cut") << QStringLiteral("a") + QString(250, u' ') + QStringLiteral("b.pdf") << "a.pdf";
        QTest::newRow("device after cut") << QStringLiteral("CON") + QString(250, u' ') + QStringLiteral("x.txt")
                                          << "_CON.txt";
    }

    void longNamesKeepTheirExtension()
    {
        QFETCH(QString, raw);
        QFETCH(QString, suffix);
        const QString cleaned = safeFileName(raw);
        QVERIFY(!cleaned.isEmpty());
        QVERIFY(cleaned.toUtf8().size() <= kMaxSafeFileNameBytes);
        QVERIFY2(cleaned.endsWith(suffix), qPrintable(cleaned));
        QVERIFY(!cleaned.back().isSurrogate());
        QCOMPARE(safeFileName(cleaned), cleaned);
    }

    void pathStaysInsideItsFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("plain") << "a.pdf" << true;
        QTest::newRow("unsafe name") << "../a.pdf" << false;
        QTest::newRow("slash") << "sub/a.pdf" << false;
        QTest::newRow("device") << "nul.txt" << false;
        QTest::newRow("existing file") << "present.txt" << true;
        QTest::newRow("existing folder") << "subfolder" << false;
        QTest::newRow("link out of the folder") << "escape.txt" << false;
        QTest::newRow("dangling link") << "dangling.txt" << false;
        QTest::newRow("link inside the folder") << "inner-link.txt" << false;
    }

    void pathStaysInsideItsFolder()
    {
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        QTemporaryDir root;
        const QString folder = root.filePath(QStringLiteral("labels"));
        const QString outside = root.filePath(QStringLiteral("outside.txt"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/subfolder")));
        QVERIFY(writeFile(outside) && writeFile(folder + QStringLiteral("/present.txt")));
        QVERIFY(QFile::link(outside, folder + QStringLiteral("/escape.txt")));
        QVERIFY(QFile::link(root.filePath(QStringLiteral("gone.txt")), folder + QStringLiteral("/dangling.txt")));
        QVERIFY(QFile::link(folder + QStringLiteral("/present.txt"), folder + QStringLiteral("/inner-link.txt")));

        const QString path = pathInsideFolder(folder, name);
        QCOMPARE(!path.isEmpty(), accepted);
        if (accepted)
            QCOMPARE(path, QDir(QFileInfo(folder).canonicalFilePath()).filePath(name));
    }

    void missingFolderGivesNoPath()
    {
        QTemporaryDir root;
        QVERIFY(pathInsideFolder(root.filePath(QStringLiteral("absent")), QStringLiteral("a.pdf")).isEmpty());
        QVERIFY(pathInsideFolder(QString(), QStringLiteral("a.pdf")).isEmpty());
    }

private:
    static bool writeFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
    }
};

QTEST_GUILESS_MAIN(SafeFileNameTest)
#include "SafeFileNameTest.moc"
