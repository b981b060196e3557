#include "feeds/NewMaketsService.h"

#include "common/Journal.h"
#include "common/JsonRead.h"
#include "common/LogCategories.h"
#include "feeds/MaketNames.h"
#include "feeds/RasterJobInfo.h"
#include "serverlink/ClientEvent.h"
#include "serverlink/ServerRequest.h"
#include "settings/AppSettings.h"

#include <QDir>
#include <QFile>
#include <QFutureWatcher>
#include <QNetworkRequest>
#include <QPromise>
#include <QtConcurrent/QtConcurrentRun>

namespace {

const QString kStatusPath = QStringLiteral("/api/newmakets/status");

// A copy that replaces target only once it is complete: "<target>.part", then the rename.
bool copyReplacing(const QString &source, const QString &target, bool *replaceFailed)
{
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(source, part))
        return false;
    if ((QFile::exists(target) && !QFile::remove(target)) || !QFile::rename(part, target)) {
        QFile::remove(part);
        *replaceFailed = true;
        return false;
    }
    return true;
}

} // namespace

NewMaketsService::NewMaketsService(AppSettings *settings, Journal *eventLog, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_eventLog(eventLog)
    , m_reporter(settings, eventLog)
    , m_status(QStringLiteral("Новые макеты: ожидание задач"))
    , m_cancel(std::make_shared<std::atomic_bool>(false))
{
    m_pollTimer.setInterval(kPollIntervalMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &NewMaketsService::syncNow);
    m_rasterTimer.setInterval(kRasterCheckMs);
    connect(&m_rasterTimer, &QTimer::timeout, this, &NewMaketsService::checkRaster);
    connect(&m_reporter, &NewMaketsReporter::drained, this, [this] {
        if (!m_waitingForReports)
            return;
        m_waitingForReports = false;
        m_taskRunning = false;
        m_busy = false;
        Q_EMIT changed();
    });
}

NewMaketsService::~NewMaketsService()
{
    m_cancel->store(true);
    if (m_cut.isValid() && !m_cut.isFinished())
        m_cut.waitForFinished();
}

void NewMaketsService::setRasterTiming(int checkMs, int timeoutMs)
{
    m_rasterTimer.setInterval(checkMs);
    m_rasterTimeoutMs = timeoutMs;
}

void NewMaketsService::setRequestTimeoutMs(int ms)
{
    m_requestTimeoutMs = ms;
    m_reporter.setRequestTimeoutMs(ms);
}

WorkshopPaths NewMaketsService::workshopFolders() const
{
    return workshopPaths(m_settings ? m_settings->appDataDir() : QString());
}

QString NewMaketsService::downloadsFolder() const
{
    return QDir(m_settings ? m_settings->appDataDir() : QString()).filePath(QStringLiteral("new_makets/downloads"));
}

void NewMaketsService::start()
{
    if (!m_pollTimer.isActive())
        m_pollTimer.start();
    syncNow();
}

void NewMaketsService::stop()
{
    m_pollTimer.stop();
}

void NewMaketsService::syncNow()
{
    if (m_taskRunning || m_pulling || !m_settings || m_settings->onboardingRequired())
        return;
    if (m_settings->serverUrl().trimmed().isEmpty() || m_settings->tenantId().trimmed().isEmpty())
        return;
    const QUrl url = resolveEndpointUrl(m_settings, QStringLiteral("/api/newmakets/pull"));
    if (!url.isValid() || url.isEmpty())
        return;
    m_pulling = true;
    QNetworkRequest request(url);
    applyRequestHeaders(request, m_settings, true);
    ServerReplyOptions options;
    options.timeoutMs = m_requestTimeoutMs;
    handleServerReply(m_network.post(request, compactJson(clientEventIdentity(m_settings))), this, m_settings,
                      [this](const ServerReply &reply) { onPullReply(reply); }, options);
}

void NewMaketsService::onPullReply(const ServerReply &reply)
{
    m_pulling = false;
    if (reply.networkFailed()) {
        warnOnce(QStringLiteral("Новые макеты: сервер задач недоступен: %1").arg(describeNetworkError(reply.errorText)));
        return;
    }
    if (!reply.isObject) {
        warnOnce(reply.httpStatus > 0
                     ? QStringLiteral("Новые макеты: сервер вернул не JSON (HTTP %1)").arg(reply.httpStatus)
                     : QStringLiteral("Новые макеты: сервер вернул не JSON"));
        return;
    }
    if (!reply.accepted) {
        warnOnce(QStringLiteral("Новые макеты: сервер отклонил запрос: %1").arg(describeServerStatus(reply.rejection)));
        return;
    }
    m_failing = false;
    const QJsonObject object = reply.object.value(QLatin1String("task")).toObject();
    if (object.isEmpty()) {
        setStatus(QStringLiteral("Новые макеты: задач нет"));
        return;
    }
    Task task;
    task.uid = jsonFirstText(object, {"task_uid", "taskUid"});
    if (task.uid.isEmpty()) {
        warnOnce(QStringLiteral("Новые макеты: задача без UID"));
        return;
    }
    task.designKey = jsonFirstText(object, {"design_key", "designKey"});
    task.title = jsonFirstText(object, {"title"}, QStringLiteral("Макет"));
    task.processType = jsonFirstText(object, {"process_type", "processType"}).toLower();
    task.sourceUrl = jsonFirstText(object, {"source_url", "sourceUrl", "url", "link"});
    task.sourcePath = jsonFirstText(object, {"source_path", "sourcePath", "path"});
    task.fileName = jsonFirstText(object, {"file_name", "fileName"});
    begin(task);
}

void NewMaketsService::warnOnce(const QString &message)
{
    qCInfo(lcFeeds) << message;
    setStatus(message);
    if (m_failing)
        return;
    m_failing = true;
    if (m_eventLog)
        m_eventLog->addWarn(message);
}

void NewMaketsService::setStatus(const QString &status)
{
    if (status == m_status)
        return;
    m_status = status;
    Q_EMIT changed();
}

// ---- The pipeline -----------------------------------------------------------

void NewMaketsService::begin(const Task &task)
{
    ++m_generation;
    m_task = task;
    m_taskRunning = true;
    m_waitingForReports = false;
    m_busy = true;
    m_patch = QJsonObject();
    m_progress = 0;
    m_fileName.clear();
    m_downloadPath.clear();
    m_inputPath.clear();
    Q_EMIT changed();
    if (m_eventLog)
        m_eventLog->addInfo(QStringLiteral("Новые макеты: задача «%1»").arg(task.title));

    if (task.sourceUrl.isEmpty()) {
        fail(QStringLiteral("empty_source_url"), QStringLiteral("В задаче нет ссылки Яндекс.Диска"));
        return;
    }
    report(QStringLiteral("Получена ссылка на скачивание"), 5);
    resolveFile();
}

void NewMaketsService::resolveFile()
{
    const quint64 generation = m_generation;
    m_disk.fetchMetadata(m_task.sourceUrl, m_task.sourcePath, [this, generation](const PublicDiskClient::Answer &answer) {
        if (generation != m_generation)
            return;
        if (!answer.ok && !answer.error.isEmpty()) {
            fail(QStringLiteral("yandex_metadata_failed"),
                 QStringLiteral("Яндекс.Диск не отдал данные файла: %1").arg(answer.error));
            return;
        }
        const QString type = jsonFirstText(answer.object, {"type"});
        if (!answer.ok || (type != QLatin1String("file") && type != QLatin1String("dir"))) {
            fail(QStringLiteral("yandex_bad_metadata"), QStringLiteral("Яндекс.Диск вернул невалидные данные файла"));
            return;
        }
        if (type == QLatin1String("dir")) {
            fail(QStringLiteral("yandex_folder_not_supported"),
                 QStringLiteral("Ссылка ведёт на папку Яндекс.Диска, но сервер не передал конкретный файл внутри папки."));
            return;
        }
        const QString diskName = jsonFirstText(answer.object, {"name"});
        QString name = diskName;
        if (name.isEmpty())
            name = m_task.designKey;
        if (name.isEmpty())
            name = m_task.fileName;
        m_fileName = MaketNames::cleanFileName(name);
        setPatch("yandex_name", diskName);
        setPatch("file_name", m_fileName);
        setPatch("file_ext", MaketNames::extensionOf(m_fileName));
        report(QStringLiteral("Файл определён: %1").arg(m_fileName), 10);
        resolveDownloadLink();
    });
}

void NewMaketsService::resolveDownloadLink()
{
    const quint64 generation = m_generation;
    m_disk.fetchDownloadLink(m_task.sourceUrl, m_task.sourcePath, [this, generation](const PublicDiskClient::Answer &answer) {
        if (generation != m_generation)
            return;
        if (!answer.ok) {
            fail(QStringLiteral("yandex_href_failed"),
                 QStringLiteral("Яндекс.Диск не отдал ссылку скачивания: %1")
                     .arg(answer.error.isEmpty() ? QStringLiteral("ответ не JSON") : answer.error));
            return;
        }
        const QUrl href(jsonFirstText(answer.object, {"href"}));
        if (href.isEmpty() || !href.isValid()) {
            fail(QStringLiteral("yandex_empty_href"), QStringLiteral("Яндекс.Диск не вернул прямую ссылку скачивания"));
            return;
        }
        report(QStringLiteral("Получена прямая ссылка скачивания"), 15);
        downloadFile(href);
    });
}

void NewMaketsService::downloadFile(const QUrl &href)
{
    const QString extension = MaketNames::extensionOf(m_fileName);
    if (!MaketNames::isAcceptedExtension(extension)) {
        fail(QStringLiteral("unsupported_extension"),
             QStringLiteral("Неподдерживаемое расширение файла: %1")
                 .arg(extension.isEmpty() ? QStringLiteral("без расширения") : extension));
        return;
    }
    const QString folder = downloadsFolder();
    if (!QDir().mkpath(folder)) {
        fail(QStringLiteral("download_dir_failed"), QStringLiteral("Не удалось создать папку загрузок: %1").arg(folder));
        return;
    }
    const QString target = QDir(folder).filePath(m_fileName);
    const quint64 generation = m_generation;
    m_downloadReported.invalidate();
    m_disk.download(href, target,
        [this, generation](qint64 received, qint64 total) {
            if (generation != m_generation)
                return;
            const bool complete = total > 0 && received >= total;
            if (m_downloadReported.isValid() && m_downloadReported.elapsed() < 1000 && !complete)
                return;
            m_downloadReported.start();
            const int progress = total > 0 ? 20 + int(40 * received / total) : 20;
            report(QStringLiteral("Скачивается"), progress,
                   QStringLiteral("Скачано %1/%2 байт").arg(received).arg(total > 0 ? QString::number(total) : QStringLiteral("?")),
                   true);
        },
        [this, generation, target](const PublicDiskClient::Download &result) {
            if (generation != m_generation)
                return;
            switch (result.failure) {
            case PublicDiskClient::Download::Failure::OpenFailed:
                fail(QStringLiteral("download_file_open_failed"),
                     QStringLiteral("Не удалось открыть временный файл: %1").arg(target + QStringLiteral(".part")));
                return;
            case PublicDiskClient::Download::Failure::TransferFailed:
                fail(QStringLiteral("download_failed"), QStringLiteral("Файл не скачан: %1").arg(result.error));
                return;
            case PublicDiskClient::Download::Failure::RenameFailed:
                fail(QStringLiteral("download_rename_failed"), QStringLiteral("Не удалось сохранить скачанный файл"));
                return;
            case PublicDiskClient::Download::Failure::None:
                break;
            }
            m_downloadPath = target;
            setPatch("local_download_path", target);
            setPatch("file_size", double(result.size));
            setPatch("file_hash", result.sha1);
            report(QStringLiteral("Файл скачан на рабочий ПК"), 60);
            checkDownloaded();
        });
}

void NewMaketsService::checkDownloaded()
{
    report(QStringLiteral("Проверка расширения и доступности файла"), 62);
    const QFileInfo info(m_downloadPath);
    if (!info.isFile() || !info.isReadable()) {
        fail(QStringLiteral("download_failed"), QStringLiteral("Файл не скачан: %1 недоступен").arg(m_fileName));
        return;
    }
    copyWhole();
}

void NewMaketsService::copyWhole()
{
    const QString folder = workshopFolders().wholeLayouts;
    const QString target = QDir(folder).filePath(m_fileName);
    const QString source = m_downloadPath;
    offThread([folder, source, target]() -> QString {
        if (!QDir().mkpath(folder))
            return QStringLiteral("Не удалось создать папку целых макетов: %1").arg(folder);
        bool replaceFailed = false;
        if (!copyReplacing(source, target, &replaceFailed))
            return replaceFailed ? QStringLiteral("Не удалось заменить целый макет в рабочей папке")
                                 : QStringLiteral("Не удалось скопировать файл в рабочую папку целых макетов");
        return QString();
    }, [this, target](const QString &error) {
        if (!error.isEmpty()) {
            fail(QStringLiteral("whole_copy_failed"), error);
            return;
        }
        m_inputPath = target;
        setPatch("local_input_path", target);
        report(QStringLiteral("Файл лежит в папке целых макетов"), 66);
        moveOrderLayout();
    });
}

void NewMaketsService::moveOrderLayout()
{
    const QString order = MaketNames::orderNumber(m_fileName);
    if (order.isEmpty()) {
        afterPlacement();
        return;
    }
    const QString folder = QDir(workshopFolders().desktop).filePath(MaketNames::orderFolderName(order));
    const QString source = m_downloadPath;
    const QString target = QDir(folder).filePath(m_fileName);
    offThread([folder, source, target]() -> QString {
        if (!QDir().mkpath(folder))
            return QStringLiteral("Не удалось создать папку заказного макета на рабочем столе");
        if (QFile::exists(target))
            QFile::remove(target);
        // A rename within one volume, else a copy across volumes.
        if (QFile::rename(source, target) || (QFile::copy(source, target) && QFile::remove(source)))
            return QString();
        return QStringLiteral("Не удалось перенести %1 в %2").arg(QFileInfo(source).fileName(), folder);
    }, [this, folder, order, target](const QString &error) {
        if (!error.isEmpty()) {
            fail(QStringLiteral("order_move_failed"), error);
            return;
        }
        m_downloadPath = target;
        setPatch("local_download_path", target);
        setPatch("order_folder", MaketNames::orderFolderName(order));
        setPatch("order_folder_path", folder);
        report(QStringLiteral("Заказной макет перенесён на рабочий стол"), 68);
        afterPlacement();
    });
}

void NewMaketsService::afterPlacement()
{
    if (m_task.processType == QLatin1String("download_slice")
        || m_task.processType == QLatin1String("download_slice_ink")) {
        cutStrips();
        return;
    }
    setPatch("local_output_folder", workshopFolders().wholeLayouts);
    finish();
}

void NewMaketsService::cutStrips()
{
    StripCutJob job;
    job.layoutPath = m_inputPath;
    job.stripsFolder = workshopFolders().strips;
    job.layoutName = QFileInfo(m_fileName).completeBaseName();
    job.designKey = MaketNames::designKey(m_fileName);
    setPatch("local_output_folder", job.stripsFolder);
    report(QStringLiteral("Нарезка по полосам"), 70);

    m_cancel = std::make_shared<std::atomic_bool>(false);
    m_stripsReported = -1;
    auto cancel = m_cancel;
    m_cut = QtConcurrent::run([job, cancel](QPromise<StripCutOutcome> &promise) {
        StripCutHooks hooks;
        hooks.progress = [&promise](int done, int total) {
            promise.setProgressRange(0, total);
            promise.setProgressValueAndText(done, QString::number(total));
        };
        hooks.canceled = [cancel, &promise] { return cancel->load() || promise.isCanceled(); };
        promise.addResult(cutLayoutIntoStrips(job, hooks));
    });
    auto *watcher = new QFutureWatcher<StripCutOutcome>(this);
    const quint64 generation = m_generation;
    connect(watcher, &QFutureWatcherBase::progressTextChanged, this, [this, watcher, generation](const QString &total) {
        if (generation != m_generation)
            return;
        const int done = watcher->progressValue();
        if (done == m_stripsReported)
            return;
        m_stripsReported = done;
        setPatch("strips_expected", total.toInt());
        setPatch("strips_done", done);
        report(QStringLiteral("Нарезка по полосам"), 70 + (total.toInt() > 0 ? 15 * done / total.toInt() : 0),
               QStringLiteral("Нарезано полос: %1/%2").arg(done).arg(total));
    });
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (generation != m_generation)
            return;
        const StripCutOutcome outcome = watcher->future().resultCount() > 0 ? watcher->result() : StripCutOutcome();
        setPatch("strips_expected", outcome.expected);
        setPatch("strips_done", outcome.done);
        if (!outcome.ok) {
            fail(QStringLiteral("slice_failed"),
                 outcome.error.isEmpty() ? QStringLiteral("Нарезка прервана") : outcome.error);
            return;
        }
        if (m_stripsReported != outcome.done)
            report(QStringLiteral("Нарезка по полосам"), 85,
                   QStringLiteral("Нарезано полос: %1/%2").arg(outcome.done).arg(outcome.expected));
        if (m_task.processType == QLatin1String("download_slice_ink"))
            sendToRaster();
        else
            finish();
    });
    watcher->setFuture(m_cut);
}

void NewMaketsService::sendToRaster()
{
    const WorkshopPaths folders = workshopFolders();
    const QString key = m_task.designKey.isEmpty() ? MaketNames::designKey(m_fileName) : m_task.designKey;
    const int passes = MaketNames::passesFor(key);
    const QString hotFolder = passes == 8 ? folders.hotFolder6Passes : folders.hotFolder4Passes;
    setPatch("passes", passes);
    setPatch("hot_folder", hotFolder);
    setPatch("raster_job_dir", folders.rasterJob);

    // A report left by an earlier job does not count: only a new or rewritten one does.
    m_jobInfoPath = QDir(folders.rasterJob).filePath(QStringLiteral("JobInfo.ini"));
    const QFileInfo before(m_jobInfoPath);
    m_jobInfoExisted = before.exists();
    m_jobInfoStamp = before.exists() ? before.lastModified() : QDateTime();
    m_jobInfoSize = before.exists() ? before.size() : -1;

    const QFileInfo layout(m_fileName);
    const QString target = QDir(hotFolder).filePath(
        QStringLiteral("__РАСХОД__%1.%2").arg(layout.completeBaseName(), layout.suffix()));
    const QString source = m_inputPath;
    offThread([hotFolder, source, target]() -> QString {
        if (!QDir().mkpath(hotFolder))
            return QStringLiteral("hot_folder_failed\nНе удалось создать hot folder RasterLink: %1").arg(hotFolder);
        bool replaceFailed = false;
        if (!copyReplacing(source, target, &replaceFailed))
            return QStringLiteral("raster_enqueue_failed\nНе удалось отправить макет в RasterLink hot folder");
        return QString();
    }, [this](const QString &error) {
        if (!error.isEmpty()) {
            fail(error.section(u'\n', 0, 0), error.section(u'\n', 1));
            return;
        }
        report(QStringLiteral("Файл отправлен в RasterLink"), 88);
        report(QStringLiteral("Расчёт чернил"), 90);
        m_rasterWaited.start();
        m_rasterTimer.start();
    });
}

void NewMaketsService::checkRaster()
{
    const QFileInfo info(m_jobInfoPath);
    const bool fresh = info.exists()
                       && (!m_jobInfoExisted || info.lastModified() != m_jobInfoStamp || info.size() != m_jobInfoSize);
    if (fresh) {
        const RasterJobInfo job = readRasterJobInfo(m_jobInfoPath);
        if (job.hasInks) {
            m_rasterTimer.stop();
            setPatch("profile", job.profile);
            setPatch("ink_c", job.cyan);
            setPatch("ink_m", job.magenta);
            setPatch("ink_y", job.yellow);
            setPatch("ink_k", job.black);
            setPatch("ink_total", job.total);
            report(QStringLiteral("Чернила рассчитаны"), 98);
            finish();
            return;
        }
    }
    if (m_rasterWaited.elapsed() >= m_rasterTimeoutMs) {
        m_rasterTimer.stop();
        fail(QStringLiteral("raster_timeout"), QStringLiteral("RasterLink не создал JobInfo.ini или не отдал расход чернил"));
    }
}

void NewMaketsService::finish()
{
    m_progress = 100;
    m_reporter.send(QStringLiteral("/api/newmakets/finish"),
                    {{QStringLiteral("task_uid"), m_task.uid}, {QStringLiteral("result"), m_patch}});
    setStatus(QStringLiteral("Новые макеты: готово"));
    if (m_eventLog)
        m_eventLog->addSuccess(QStringLiteral("Новые макеты: готово: «%1»").arg(m_task.title));
    endTask(true, QString());
}

void NewMaketsService::fail(const QString &code, const QString &text)
{
    m_rasterTimer.stop();
    m_reporter.send(QStringLiteral("/api/newmakets/error"),
                    {{QStringLiteral("task_uid"), m_task.uid},
                     {QStringLiteral("error_code"), code},
                     {QStringLiteral("error_text"), text},
                     {QStringLiteral("progress"), m_progress},
                     {QStringLiteral("patch"), m_patch}});
    const QString line = QStringLiteral("Новые макеты: ошибка: %1").arg(text);
    qCInfo(lcFeeds) << "new layouts:" << code << text;
    setStatus(line);
    if (m_eventLog)
        m_eventLog->addError(line);
    endTask(false, code);
}

void NewMaketsService::endTask(bool ok, const QString &code)
{
    ++m_generation;
    const QString uid = m_task.uid;
    // The next pull waits for the reports, so the server never hands out a task it has not
    // yet heard the end of.
    if (m_reporter.isIdle()) {
        m_taskRunning = false;
        m_busy = false;
        Q_EMIT changed();
    } else {
        m_waitingForReports = true;
    }
    Q_EMIT taskFinished(uid, ok, code);
}

void NewMaketsService::report(const QString &step, int progress, const QString &message, bool replaceable)
{
    m_progress = std::max(m_progress, progress);
    setStatus(QStringLiteral("Новые макеты: %1").arg(step));
    m_reporter.send(kStatusPath,
                    {{QStringLiteral("task_uid"), m_task.uid},
                     {QStringLiteral("status"), step},
                     {QStringLiteral("progress"), m_progress},
                     {QStringLiteral("message"), message.isEmpty() ? step : message},
                     {QStringLiteral("patch"), m_patch}},
                    replaceable);
}

void NewMaketsService::setPatch(const char *key, const QJsonValue &value)
{
    m_patch.insert(QLatin1String(key), value);
}

void NewMaketsService::offThread(std::function<QString()> work, std::function<void(const QString &)> done)
{
    auto *watcher = new QFutureWatcher<QString>(this);
    const quint64 generation = m_generation;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation, done] {
        watcher->deleteLater();
        if (generation == m_generation)
            done(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(std::move(work)));
}
