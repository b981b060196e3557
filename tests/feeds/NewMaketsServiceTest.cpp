#include "LayoutFiles.h"
#include "RipStandIn.h"
#include "serverlink/ServerLinkSandbox.h"
#include "feeds/NewMaketsService.h"

#include <QDir>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QJsonObject bodyOf(const QJsonValue &entry)
{
    return entry.toObject().value(QLatin1String("body")).toObject();
}

// The bodies of every request to path whose task_uid is uid, oldest first.
QList<QJsonObject> reportsOf(ServerLinkSandbox &sandbox, const QString &path, const QString &uid)
{
    QList<QJsonObject> bodies;
    for (const QJsonValue &entry : sandbox.requests(path)) {
        const QJsonObject body = bodyOf(entry);
        if (body.value(QLatin1String("task_uid")).toString() == uid)
            bodies.append(body);
    }
    return bodies;
}

} // namespace

class NewMaketsServiceTest : public QObject
{
    Q_OBJECT

private:
    void queue(const QJsonObject &task, const QJsonObject &disk)
    {
        QJsonObject body = task;
        if (!disk.isEmpty())
            body.insert(QStringLiteral("disk"), disk);
        QVERIFY(m_sandbox->devPost(QStringLiteral("/__dev/newmakets/task"), body).value(QLatin1String("ok")).toBool());
    }

    QJsonObject goodTask(const QString &uid, const QString &processType) const
    {
        return {{"task_uid", uid}, {"design_key", "ЛОФ_01 Пионы"}, {"title", "Пионы"},
                {"process_type", processType}, {"source_url", QString("https://disk.example/d/" + uid)}};
    }

    QJsonObject goodDisk() const
    {
        return {{"name", "ЛОФ_01 Пионы макет.tif"}, {"file", m_layout}, {"chunk_bytes", 16384}, {"chunk_delay_ms", 1}};
    }

    std::unique_ptr<ServerLinkSandbox> m_sandbox;
    std::unique_ptr<NewMaketsService> m_service;
    QTemporaryDir m_files;
    QString m_layout;

private Q_SLOTS:
    void init()
    {
        m_sandbox = std::make_unique<ServerLinkSandbox>();
        m_sandbox->setUpDemoDevice();
        m_service = std::make_unique<NewMaketsService>(m_sandbox->settings.get(), &m_sandbox->eventLog);
        m_service->disk().setApiBase(m_sandbox->url());
        m_service->setRasterTiming(50, 30000);
        m_layout = m_files.filePath(QStringLiteral("layout.tif"));
        if (!QFile::exists(m_layout))
            QVERIFY(writeLayoutTiff(m_layout, makeLayoutImage(15354, 60), 150, true));
    }

    void cleanup()
    {
        m_service.reset();
        m_sandbox.reset();
    }

    void processTypes_data()
    {
        QTest::addColumn<QString>("processType");
        QTest::addColumn<int>("strips");
        QTest::addColumn<bool>("ink");
        QTest::newRow("download only") << "download_only" << 0 << false;
        QTest::newRow("download and cut") << "download_slice" << 2 << false;
        QTest::newRow("download, cut and ink") << "download_slice_ink" << 2 << true;
    }

    void processTypes()
    {
        QFETCH(QString, processType);
        QFETCH(int, strips);
        QFETCH(bool, ink);
        const WorkshopPaths folders = m_service->workshopFolders();
        RipStandIn rip({folders.hotFolder4Passes, folders.hotFolder6Passes}, folders.rasterJob, 100);
        rip.start();
        queue(goodTask(QStringLiteral("t1"), processType), goodDisk());

        QSignalSpy finished(m_service.get(), &NewMaketsService::taskFinished);
        m_service->syncNow();
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.at(0).at(0).toString(), QStringLiteral("t1"));
        QVERIFY2(finished.at(0).at(1).toBool(), qPrintable(m_service->status()));
        QTRY_VERIFY_WITH_TIMEOUT(!m_service->busy(), 20000);
        QCOMPARE(m_service->status(), QStringLiteral("Новые макеты: готово"));

        QStringList steps;
        for (const QJsonObject &body : reportsOf(*m_sandbox, QStringLiteral("/api/newmakets/status"), QStringLiteral("t1"))) {
            QCOMPARE(body.value(QLatin1String("tenant_id")).toString(), QStringLiteral("demo"));
            QVERIFY(body.contains(QLatin1String("device_id")));
            if (steps.isEmpty() || steps.last() != body.value(QLatin1String("status")).toString())
                steps.append(body.value(QLatin1String("status")).toString());
        }
        QStringList expected{QStringLiteral("Получена ссылка на скачивание"),
                             QStringLiteral("Файл определён: ЛОФ_01 Пионы макет.tif"),
                             QStringLiteral("Получена прямая ссылка скачивания"),
                             QStringLiteral("Скачивается"),
                             QStringLiteral("Файл скачан на рабочий ПК"),
                             QStringLiteral("Проверка расширения и доступности файла"),
                             QStringLiteral("Файл лежит в папке целых макетов")};
        if (strips > 0)
            expected << QStringLiteral("Нарезка по полосам");
        if (ink)
            expected << QStringLiteral("Файл отправлен в RasterLink") << QStringLiteral("Расчёт чернил")
                     << QStringLiteral("Чернила рассчитаны");
        QCOMPARE(steps, expected);

        const QList<QJsonObject> finishes = reportsOf(*m_sandbox, QStringLiteral("/api/newmakets/finish"), QStringLiteral("t1"));
        QCOMPARE(finishes.size(), 1);
        const QJsonObject result = finishes.first().value(QLatin1String("result")).toObject();
        QCOMPARE(result.value(QLatin1String("file_name")).toString(), QStringLiteral("ЛОФ_01 Пионы макет.tif"));
        QCOMPARE(result.value(QLatin1String("file_ext")).toString(), QStringLiteral(".tif"));
        QCOMPARE(qint64(result.value(QLatin1String("file_size")).toDouble()), QFileInfo(m_layout).size());
        QCOMPARE(result.value(QLatin1String("file_hash")).toString().size(), 40);
        const QString download = result.value(QLatin1String("local_download_path")).toString();
        QVERIFY(QFile::exists(download));
        QVERIFY(!QFile::exists(download + QStringLiteral(".part")));
        QCOMPARE(result.value(QLatin1String("local_input_path")).toString(),
                 QDir(folders.wholeLayouts).filePath(QStringLiteral("ЛОФ_01 Пионы макет.tif")));
        QVERIFY(QFile::exists(result.value(QLatin1String("local_input_path")).toString()));
        QVERIFY(reportsOf(*m_sandbox, QStringLiteral("/api/newmakets/error"), QStringLiteral("t1")).isEmpty());

        if (strips > 0) {
            QCOMPARE(result.value(QLatin1String("strips_done")).toInt(), strips);
            QCOMPARE(result.value(QLatin1String("strips_expected")).toInt(), strips);
            QCOMPARE(QDir(folders.strips).entryList(QDir::Files).size(), strips);
            QImage second(QDir(folders.strips).filePath(QStringLiteral("ЛОФ_01 Пионы макет 2-я полоса.tif")));
            QCOMPARE(second.convertToFormat(QImage::Format_RGB32),
                     referenceStrip(makeLayoutImage(15354, 60), 1).convertToFormat(QImage::Format_RGB32));
        } else {
            QVERIFY(!QDir(folders.strips).exists() || QDir(folders.strips).isEmpty());
        }
        if (ink) {
            // 8 passes go to the 6-pass hot folder.
            QCOMPARE(result.value(QLatin1String("passes")).toInt(), 8);
            QCOMPARE(result.value(QLatin1String("hot_folder")).toString(), folders.hotFolder6Passes);
            QCOMPARE(result.value(QLatin1String("raster_job_dir")).toString(), folders.rasterJob);
            const QStringList amounts = RipStandIn::inkLineFor(QFileInfo(m_layout).size()).split(u';');
            QCOMPARE(result.value(QLatin1String("ink_c")).toDouble(), amounts.at(0).toDouble());
            QCOMPARE(result.value(QLatin1String("ink_k")).toDouble(), amounts.at(3).toDouble());
            double total = 0;
            for (const QString &amount : amounts)
                total += amount.toDouble();
            QCOMPARE(result.value(QLatin1String("ink_total")).toDouble(), total);
            QCOMPARE(result.value(QLatin1String("profile")).toString(), QStringLiteral("Vorn RIP stand-in 6 прохода"));
        } else {
            QVERIFY(!result.contains(QLatin1String("ink_total")));
        }
    }

    void badInputFailsAndNextTaskRuns_data()
    {
        QTest::addColumn<QString>("processType");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("300 dpi") << "download_slice" << "300dpi" << "slice_failed" << "DPI макета 300, нужен 150";
        QTest::newRow("psb") << "download_slice_ink" << "psb" << "slice_failed"
                             << "Встроенная нарезка пока поддерживает TIF/JPG/PNG/BMP. Файл Пионы.psb нужно переносить в обработчик отдельно.";
        QTest::newRow("cut-off download") << "download_only" << "cut" << "download_failed" << "Файл не скачан: ";
        QTest::newRow("RIP never answers") << "download_slice_ink" << "silent" << "raster_timeout"
                                           << "RasterLink не создал JobInfo.ini или не отдал расход чернил";
        QTest::newRow("public folder without a file") << "download_only" << "folder" << "yandex_folder_not_supported"
                                                      << "Ссылка ведёт на папку Яндекс.Диска, но сервер не передал конкретный файл внутри папки.";
        QTest::newRow("no link") << "download_only" << "nolink" << "empty_source_url" << "В задаче нет ссылки Яндекс.Диска";
        QTest::newRow("gif") << "download_only" << "gif" << "unsupported_extension" << "Неподдерживаемое расширение файла: .gif";
        QTest::newRow("unknown link") << "download_only" << "missing" << "yandex_metadata_failed"
                                      << "Яндекс.Диск не отдал данные файла: HTTP 404";
    }

    void badInputFailsAndNextTaskRuns()
    {
        QFETCH(QString, processType);
        QFETCH(QString, kind);
        QFETCH(QString, code);
        QFETCH(QString, text);
        m_service->setRasterTiming(50, 1500);

        QJsonObject task = goodTask(QStringLiteral("bad"), processType);
        QJsonObject disk = goodDisk();
        if (kind == QLatin1String("300dpi")) {
            const QString path = m_files.filePath(QStringLiteral("300.tif"));
            QVERIFY(writeLayoutTiff(path, makeLayoutImage(13000, 10), 300));
            disk.insert(QStringLiteral("file"), path);
        } else if (kind == QLatin1String("psb") || kind == QLatin1String("gif")) {
            const QString path = m_files.filePath(QStringLiteral("file.") + kind);
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(50000, 'x'));
            disk.insert(QStringLiteral("file"), path);
            disk.insert(QStringLiteral("name"), QString(QStringLiteral("Пионы.") + kind));
        } else if (kind == QLatin1String("cut")) {
            disk.insert(QStringLiteral("cut_after"), 40000);
        } else if (kind == QLatin1String("folder")) {
            disk = {{QStringLiteral("type"), QStringLiteral("dir")}, {QStringLiteral("name"), QStringLiteral("Макеты")}};
        } else if (kind == QLatin1String("nolink")) {
            task.remove(QStringLiteral("source_url"));
            disk = {};
        } else if (kind == QLatin1String("missing")) {
            disk = {};
        }
        queue(task, disk);
        queue(goodTask(QStringLiteral("next"), QStringLiteral("download_only")), goodDisk());

        QSignalSpy finished(m_service.get(), &NewMaketsService::taskFinished);
        m_service->start();
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.at(0).at(0).toString(), QStringLiteral("bad"));
        QCOMPARE(finished.at(0).at(1).toBool(), false);
        QCOMPARE(finished.at(0).at(2).toString(), code);
        // The error report has reached the server before the next pull.
        QTRY_COMPARE_WITH_TIMEOUT(reportsOf(*m_sandbox, QStringLiteral("/api/newmakets/error"), QStringLiteral("bad")).size(), 1, 20000);
        const QList<QJsonObject> errors = reportsOf(*m_sandbox, QStringLiteral("/api/newmakets/error"), QStringLiteral("bad"));
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().value(QLatin1String("error_code")).toString(), code);
        const QString errorText = errors.first().value(QLatin1String("error_text")).toString();
        QVERIFY2(errorText.startsWith(text), qPrintable(errorText));
        QVERIFY(m_sandbox->hasLogEntry(QStringLiteral("Новые макеты: ошибка: ") + errorText));
        QVERIFY(reportsOf(*m_sandbox, QStringLiteral("/api/newmakets/finish"), QStringLiteral("bad")).isEmpty());

        const QString downloads = m_service->downloadsFolder();
        if (kind == QLatin1String("cut")) {
            // A cut-off download never takes the final name, and leaves no part behind.
            QVERIFY(!QFile::exists(QDir(downloads).filePath(QStringLiteral("ЛОФ_01 Пионы макет.tif"))));
            QVERIFY(!QFile::exists(QDir(downloads).filePath(QStringLiteral("ЛОФ_01 Пионы макет.tif.part"))));
        }
        if (kind == QLatin1String("psb")) {
            // Downloaded and copied, only not cut.
            QVERIFY(QFile::exists(QDir(m_service->workshopFolders().wholeLayouts).filePath(QStringLiteral("Пионы.psb"))));
            QCOMPARE(errors.first().value(QLatin1String("patch")).toObject().value(QLatin1String("file_ext")).toString(),
                     QStringLiteral(".psb"));
        }

        // The queue goes on: the next task runs to its end.
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 60000);
        QCOMPARE(finished.at(1).at(0).toString(), QStringLiteral("next"));
        QVERIFY(finished.at(1).at(1).toBool());
        QTRY_COMPARE_WITH_TIMEOUT(reportsOf(*m_sandbox, QStringLiteral("/api/newmakets/finish"), QStringLiteral("next")).size(), 1, 20000);
    }

    void orderLayoutGoesToDesktop()
    {
        QJsonObject disk = goodDisk();
        disk.insert(QStringLiteral("name"), QStringLiteral("ЗАК-1234 Пионы.tif"));
        queue(goodTask(QStringLiteral("order"), QStringLiteral("download_only")), disk);
        QSignalSpy finished(m_service.get(), &NewMaketsService::taskFinished);
        m_service->syncNow();
        QVERIFY(finished.wait(60000));
        QVERIFY(finished.at(0).at(1).toBool());
        QTRY_VERIFY_WITH_TIMEOUT(!m_service->busy(), 20000);
        const QString folder = QDir(m_service->workshopFolders().desktop).filePath(QStringLiteral("ЗАК_1234"));
        QVERIFY(QFile::exists(QDir(folder).filePath(QStringLiteral("ЗАК-1234 Пионы.tif"))));
        QVERIFY(!QFile::exists(QDir(m_service->downloadsFolder()).filePath(QStringLiteral("ЗАК-1234 Пионы.tif"))));
        const QJsonObject result = reportsOf(*m_sandbox, QStringLiteral("/api/newmakets/finish"), QStringLiteral("order"))
                                       .first().value(QLatin1String("result")).toObject();
        QCOMPARE(result.value(QLatin1String("order_folder_path")).toString(), folder);
    }

    void idleWhileNotSetUp()
    {
        AppSettings bare;
        NewMaketsService service(&bare, &m_sandbox->eventLog);
        service.start();
        service.syncNow();
        QCOMPARE(m_sandbox->requestsSoFar(), 0);
        QCOMPARE(service.status(), QStringLiteral("Новые макеты: ожидание задач"));
    }
};

QTEST_MAIN(NewMaketsServiceTest)
#include "NewMaketsServiceTest.moc"
