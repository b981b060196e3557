// What one server task does to the local folders: where a file lands, under which
// name, and which label files a rename or delete command touches.
#include "settings/SettingsSandbox.h"

#include "feeds/ArtifactFileSave.h"
#include "feeds/ArtifactFolders.h"
#include "feeds/ArtifactTask.h"
#include "feeds/LocalLabelCommands.h"

#include <QDirIterator>
#include <QJsonDocument>
#include <QtTest>

namespace {

QJsonObject object(const char *json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

// Every file below root, relative to it.
QStringList filesBelow(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

bool touch(const QString &path, const QByteArray &content = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QString messagesOf(const ArtifactOutcome &outcome)
{
    QStringList messages;
    for (const ArtifactOutcome::Line &line : outcome.lines)
        messages << line.message;
    return messages.join(QLatin1Char('\n'));
}

} // namespace

class ArtifactFilesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void destinationPicksTheFolder_data()
    {
        QTest::addColumn<QString>("task");
        QTest::addColumn<QString>("setting");    // settings property set to "<root>/configured"
        QTest::addColumn<QString>("expected");   // below the data folder, or "configured"

        QTest::newRow("picture queue, no setting") << R"({"kind":"picture_print_queue_txt"})" << "" << "pictures/marela";
        QTest::newRow("picture queue, setting") << R"({"kind":"picture_print_queue_txt"})" << "picturesMarelaDir"
                                                << "configured";
        QTest::newRow("relative setting stays in the data folder") << R"({"kind":"picture_print"})" << "picturesMarelaDir"
                                                                   << "relative";
        QTest::newRow("marela roll") << R"({"destination":"rolls/marela"})" << "marelaRollsDir" << "configured";
        QTest::newRow("ivra roll, no setting") << R"({"target":"IVRA"})" << "" << "rolls/ivra";
        QTest::newRow("yandex by marketplace") << R"({"type":"label","marketplace":"ym"})" << "" << "labels/yandex";
        QTest::newRow("ozon supply not ozon labels") << R"({"destination":"supply","marketplace":"ozon"})" << "ozonPath"
                                                     << "supply_labels/ozon";
        QTest::newRow("wb supply, setting") << R"({"folder":"поставка","source_marketplace":"WB"})" << "wbLabelsDir"
                                            << "configured";
        QTest::newRow("ozon label") << R"({"type":"label","marketplace":"озон"})" << "ozonPath" << "configured";
        QTest::newRow("wb label, no setting") << R"({"type":"sticker","source":"wildberries"})" << "" << "labels/wb";
        QTest::newRow("warehouse falls to ymPath") << R"({"destination":"fbo"})" << "ymPath" << "configured";
        QTest::newRow("warehouse, no setting") << R"({"destination":"склад"})" << "" << "warehouse/stickers";
        QTest::newRow("label of no marketplace") << R"({"type":"этикетка"})" << "" << "labels";
        QTest::newRow("anything else") << R"({"type":"report"})" << "" << "server_artifacts";
    }

    void destinationPicksTheFolder()
    {
        QFETCH(QString, task);
        QFETCH(QString, setting);
        QFETCH(QString, expected);
        SettingsSandbox sandbox;
        AppSettings settings;
        const QString configured = sandbox.root() + QStringLiteral("/configured");
        // Some folders have a default of their own; each row starts from none.
        for (const char *folder : {"picturesMarelaDir", "marelaRollsDir", "ivraRollsDir", "yandexLabelsPath",
                                   "ozonLabelsDir", "wbLabelsDir", "ozonPath", "wbPath", "warehousePath", "ymPath",
                                   "uidSearchRoot1"})
            QVERIFY(settings.setProperty(folder, QString()));
        if (!setting.isEmpty())
            QVERIFY(settings.setProperty(setting.toLatin1(), expected == u"relative" ? QStringLiteral("D:/Печать")
                                                                                     : configured));
        if (expected == u"relative")
            expected = QStringLiteral("D:/Печать");
        const ArtifactTask parsed = ArtifactTask::fromJson(object(task.toUtf8()));
        const QString folder = ArtifactFolders::forDestination(&settings, parsed.destinationText);
        QCOMPARE(folder, expected == u"configured" ? configured : settings.appDataDir() + u'/' + expected);
    }

    void fileNamesNeverLeaveTheFolder_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("written");    // below server_artifacts

        QTest::newRow("slash and colon") << "a/b:c.pdf" << "a_b_c.pdf";
        QTest::newRow("posix traversal") << "../../../evil.txt" << "._._._evil.txt";
        QTest::newRow("windows traversal") << "..\\..\\Windows\\System32\\x.dll" << "._._Windows_System32_x.dll";
        QTest::newRow("dot dot uses the key") << ".." << "task-7.bin";
        QTest::newRow("blank uses the key") << "  " << "task-7.bin";
    }

    void fileNamesNeverLeaveTheFolder()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, written);
        SettingsSandbox sandbox;
        AppSettings settings;
        const QStringList before = filesBelow(sandbox.root());
        QJsonObject json = object(R"({"artifact_key":"task-7","type":"report","content_text":"данные"})");
        json.insert(QStringLiteral("filename"), fileName);

        const ArtifactOutcome outcome = saveArtifactFile(&settings, ArtifactTask::fromJson(json));
        QVERIFY2(outcome.done, qPrintable(messagesOf(outcome)));
        QCOMPARE(outcome.changedFiles, 1);
        QStringList expected = before;
        expected << QDir(sandbox.root()).relativeFilePath(settings.appDataDir() + QStringLiteral("/server_artifacts/")
                                                          + written);
        expected.sort();
        QCOMPARE(filesBelow(sandbox.root()), expected);
        QFile file(settings.appDataDir() + QStringLiteral("/server_artifacts/") + written);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), QStringLiteral("данные"));
    }

    void linkPlantedInTheFolderIsRefused()
    {
        SettingsSandbox sandbox;
        AppSettings settings;
        const QString outside = sandbox.root() + QStringLiteral("/outside.txt");
        const QString folder = settings.appDataDir() + QStringLiteral("/server_artifacts");
        QVERIFY(touch(outside, "keep") && QDir().mkpath(folder));
        QVERIFY(QFile::link(outside, folder + QStringLiteral("/report.txt")));

        const ArtifactOutcome outcome = saveArtifactFile(
            &settings, ArtifactTask::fromJson(object(R"({"key":"k","filename":"report.txt","content_text":"evil"})")));
        QVERIFY(!outcome.done);
        QCOMPARE(messagesOf(outcome), QStringLiteral("Приложение: не удалось сохранить серверное задание: report.txt"));
        QFile file(outside);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("keep"));
    }

    void contentIsRequired_data()
    {
        QTest::addColumn<QString>("task");
        QTest::addColumn<QByteArray>("content");   // empty: skipped

        QTest::newRow("base64") << R"({"contentB64":"0LTQsA=="})" << QByteArray("да");
        QTest::newRow("base64 before text") << R"({"content_b64":"YQ==","content_text":"b"})" << QByteArray("a");
        QTest::newRow("text") << R"({"contentText":"line\n"})" << QByteArray("line\n");
        QTest::newRow("none") << R"({})" << QByteArray();
        QTest::newRow("blank text") << R"({"content_text":"   "})" << QByteArray();
        QTest::newRow("broken base64") << R"({"content_b64":"@@not base64@@"})" << QByteArray();
    }

    void contentIsRequired()
    {
        QFETCH(QString, task);
        QFETCH(QByteArray, content);
        SettingsSandbox sandbox;
        AppSettings settings;
        QJsonObject json = object(task.toUtf8());
        json.insert(QStringLiteral("filename"), QStringLiteral("f.bin"));
        const ArtifactOutcome outcome = saveArtifactFile(&settings, ArtifactTask::fromJson(json));
        // Either way the task is finished: a task without content never gets one.
        QVERIFY(outcome.done);
        const QString path = settings.appDataDir() + QStringLiteral("/server_artifacts/f.bin");
        if (content.isEmpty()) {
            QCOMPARE(messagesOf(outcome), QStringLiteral("Приложение: серверное задание без содержимого, пропущено: f.bin"));
            QVERIFY(!QFileInfo::exists(path));
            return;
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content);
    }

    void labelCommandsTouchOnlyTheirFiles_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("task");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<bool>("done");
        QTest::addColumn<QString>("message");   // the last journal line

        const QStringList shelf{"расход_К_Лес_111.pdf", "самовыкуп_К_Лес_111.PNG", "расход_К_Море_222.pdf",
                                "К_Лес_111.pdf", "расход_К_Лес_111.txt"};
        QTest::newRow("rename to отменен keeps the rest")
            << shelf << R"({"action":"local_artifact_rename","uid":"111","to_prefix":"отменен"})"
            << QStringList{"К_Лес_111.pdf", "отменен_К_Лес_111.PNG", "отменен_К_Лес_111.pdf", "расход_К_Лес_111.txt",
                           "расход_К_Море_222.pdf"}
            << true << "Приложение: локальные этикетки обновлены: отменен_К_Лес_111.pdf, отменен_К_Лес_111.PNG";
        QTest::newRow("rename from one prefix to the default")
            << QStringList{"печать_A_333.pdf", "самовыкуп_A_333.pdf"}
            << R"({"op":"rename_local_artifact","barcode":"333","from_prefixes":["печать"]})"
            << QStringList{"расход_A_333.pdf", "самовыкуп_A_333.pdf"} << true
            << "Приложение: локальные этикетки обновлены: расход_A_333.pdf";
        QTest::newRow("rename by old file name")
            << QStringList{"расход_A_444.pdf", "расход_B_444.pdf"}
            << R"({"command":"artifact_rename","old_filename":"расход_A_444.pdf","newPrefix":"печать"})"
            << QStringList{"печать_A_444.pdf", "расход_B_444.pdf"} << true
            << "Приложение: локальные этикетки обновлены: печать_A_444.pdf";
        QTest::newRow("code in any letter case")
            << QStringList{"расход_X_P01ABCDEFG.pdf"}
            << R"({"kind":"artifact_rename","production_code":"p01abcdefg","to_prefix":"неизв"})"
            << QStringList{"неизв_X_P01ABCDEFG.pdf"} << true
            << "Приложение: локальные этикетки обновлены: неизв_X_P01ABCDEFG.pdf";
        QTest::newRow("hostile new prefix stays in the folder")
            << QStringList{"расход_A_555.pdf"}
            << R"({"action":"artifact_rename","uid":"555","to_prefix":"../../x"})"
            << QStringList{"._._x_A_555.pdf"} << true
            << "Приложение: локальные этикетки обновлены: ._._x_A_555.pdf";
        QTest::newRow("rename onto an existing file fails")
            << QStringList{"расход_A_666.pdf", "отменен_A_666.pdf"}
            << R"({"action":"artifact_rename","uid":"666","to_prefix":"отменен","from_prefix":"расход"})"
            << QStringList{"отменен_A_666.pdf", "расход_A_666.pdf"} << false
            << "Приложение: не удалось переименовать этикетку расход_A_666.pdf";
        QTest::newRow("rename without code or name")
            << shelf << R"({"action":"artifact_rename","to_prefix":"отменен"})" << shelf << true
            << "Приложение: команда переименования этикетки неполная, пропущена.";
        QTest::newRow("rename finds nothing")
            << shelf << R"({"action":"artifact_rename","uid":"999"})" << shelf << true
            << "Приложение: локальная этикетка 999 для переименования не найдена.";
        QTest::newRow("delete by code")
            << shelf << R"({"action":"delete","uid":"111"})"
            << QStringList{"К_Лес_111.pdf", "расход_К_Лес_111.txt", "расход_К_Море_222.pdf"} << true
            << "Приложение: локальные этикетки удалены: расход_К_Лес_111.pdf, самовыкуп_К_Лес_111.PNG";
        QTest::newRow("delete without code deletes nothing")
            << shelf << R"({"action":"artifact_remove"})" << shelf << true
            << "Приложение: команда удаления этикетки неполная, пропущена.";
        QTest::newRow("delete finds nothing")
            << shelf << R"({"action":"remove","scanUid":"777"})" << shelf << true
            << "Приложение: локальная этикетка 777 для удаления не найдена.";
    }

    void labelCommandsTouchOnlyTheirFiles()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, task);
        QFETCH(QStringList, after);
        QFETCH(bool, done);
        QFETCH(QString, message);
        QTemporaryDir root;
        const QString folder = root.filePath(QStringLiteral("labels"));
        for (const QString &name : std::as_const(files))
            QVERIFY(touch(folder + u'/' + name));

        const ArtifactTask parsed = ArtifactTask::fromJson(object(task.toUtf8()));
        const ArtifactOutcome outcome = parsed.kind == ArtifactTask::Kind::DeleteLabels
                                            ? LocalLabelCommands::remove(folder, parsed)
                                            : LocalLabelCommands::rename(folder, parsed);
        QCOMPARE(outcome.done, done);
        QVERIFY(!outcome.lines.isEmpty());
        QCOMPARE(outcome.lines.constLast().message, message);
        QStringList expected;
        for (const QString &name : std::as_const(after))
            expected << QStringLiteral("labels/") + name;
        expected.sort();
        QCOMPARE(filesBelow(root.path()), expected);
    }

    void missingLabelFolderIsRetried()
    {
        QTemporaryDir root;
        const QString folder = root.filePath(QStringLiteral("absent"));
        const ArtifactOutcome outcome = LocalLabelCommands::remove(
            folder, ArtifactTask::fromJson(object(R"({"action":"delete","uid":"1"})")));
        QVERIFY(!outcome.done);
        QCOMPARE(messagesOf(outcome), QStringLiteral("Приложение: папка этикеток для удаления не найдена: %1")
                                          .arg(QDir::toNativeSeparators(folder)));
    }
};

QTEST_GUILESS_MAIN(ArtifactFilesTest)
#include "ArtifactFilesTest.moc"
