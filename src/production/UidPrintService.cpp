#include "production/UidPrintService.h"

#include "common/Journal.h"
#include "common/JsonRead.h"
#include "common/LogCategories.h"
#include "production/PrintArchiveStore.h"
#include "production/PrintLabelFile.h"
#include "production/PrintUid.h"
#include "production/PrintedFileNaming.h"
#include "settings/AppSettings.h"
#include "common/ScanConfirmer.h"

#include <QFileInfo>
#include <QTimer>

namespace {

constexpr int kUidCopies = 2;
constexpr int kCachedScore = 100000;

} // namespace

UidPrintService::UidPrintService(AppSettings *settings, Journal *eventLog,
                                 ScanConfirmer *gsClient, PrintArchiveStore *archive,
                                 QObject *parent)
    : QObject(parent),
      m_settings(settings),
      m_eventLog(eventLog),
      m_gsClient(gsClient),
      m_archive(archive),
      m_print(printLabelFile)
{
}

void UidPrintService::setPrintFunction(PrintFunction print)
{
    m_print = print ? std::move(print) : PrintFunction(printLabelFile);
}

bool UidPrintService::process(const QString &raw)
{
    return start(raw, Mode::ConfirmThenPrint, {});
}

bool UidPrintService::printOnly(const QString &raw)
{
    return start(raw, Mode::PrintOnly, {});
}

bool UidPrintService::printOnlyWithDetails(const QString &raw, const QVariantMap &details)
{
    return start(raw, Mode::PrintOnly, details);
}

QStringList UidPrintService::searchRoots() const
{
    if (!m_settings)
        return {};
    return { m_settings->uidSearchRoot1(), m_settings->wbPath(),
             m_settings->ozonPath(), m_settings->warehousePath(),
             m_settings->yandexLabelsPath(), m_settings->ymPath(),
             m_settings->uidSearchRoot2(), m_settings->uidSearchRoot3() };
}

QString UidPrintService::choosePrinter(const QString &filePath, const QVariantMap &details) const
{
    if (!m_settings)
        return {};
    const QString marketplace =
        variantFirstText(details, { "source", "marketplace", "market", "marketplace_name",
                                    "marketplaceName", "source_marketplace", "sourceMarketplace" })
            .toLower();
    bool yandex = marketplace == QLatin1String("ym") || marketplace == QLatin1String("yandex")
        || marketplace.contains(QStringLiteral("яндекс"))
        || marketplace.contains(QLatin1String("yandex"));
    if (!yandex)
        yandex = pathIsInsideFolder(filePath, m_settings->yandexLabelsPath());
    const QString yandexPrinter = m_settings->yandexLabelPrinterName().trimmed();
    if (yandex && !yandexPrinter.isEmpty())
        return yandexPrinter;
    return m_settings->labelPrinterName().trimmed();
}

bool UidPrintService::start(const QString &raw, Mode mode, const QVariantMap &details)
{
    const QString uid = extractPrintUid(raw);
    if (uid.isEmpty())
        return false;
    Job job { uid, mode, details };
    if (m_busy) {
        m_queue.enqueue(job);
        warn(QStringLiteral("UID: %1 поставлен в очередь, занято. В очереди: %2")
                 .arg(uid)
                 .arg(m_queue.size()));
        setState(uid, QStringLiteral("В очереди"), QString());
        return true;
    }
    return run(job);
}

bool UidPrintService::run(const Job &job)
{
    m_busy = true;
    setState(job.uid, QStringLiteral("Ищу этикетку…"), QString());
    if (!job.details.isEmpty())
        logScanDetails(job.details);

    const QVector<LabelFileFinder::Candidate> candidates = findCandidates(job.uid);
    if (candidates.isEmpty()) {
        warn(QStringLiteral("UID: этикетка не найдена для %1. Печать остановлена.").arg(job.uid));
        m_lastStatus = QStringLiteral("Этикетка не найдена");
        return finish(false);
    }
    const QString path = candidates.first().path;
    const QString fileName = QFileInfo(path).fileName();
    info(QStringLiteral("UID: точное совпадение %1: %2").arg(job.uid, fileName));

    if (job.mode == Mode::PrintOnly) {
        info(QStringLiteral("UID: заказ %1 подтверждён сервером").arg(job.uid));
    } else {
        setState(job.uid, QStringLiteral("Отправляю в GS…"), QString());
        info(QStringLiteral("UID: резервная отправка в GS %1").arg(job.uid));
        QString gsError = QStringLiteral("GS клиент не настроен");
        // Scans that come in while the spreadsheet answers are queued: we are busy.
        const bool confirmed = m_gsClient && m_gsClient->confirm(job.uid, &gsError);
        if (!confirmed) {
            error(QStringLiteral("UID: GS не подтвердил запись: %1").arg(gsError));
            m_lastStatus = QStringLiteral("GS не подтвердил запись");
            return finish(false);
        }
        info(QStringLiteral("UID: таблица подтвердила %1").arg(job.uid));
    }

    setState(job.uid, QStringLiteral("Печатаю…"), fileName);
    const QString printer = choosePrinter(path, job.details);
    info(QStringLiteral("UID: печать файла %1 -> принтер %2")
             .arg(fileName, printer.isEmpty() ? QStringLiteral("по умолчанию") : printer));
    QString printError;
    const bool ok = m_print(path, printer, &printError, kUidCopies);
    if (!ok) {
        error(QStringLiteral("Печать: %1").arg(printError));
        error(QStringLiteral("UID: ошибка печати %1").arg(printError));
        m_lastStatus = QStringLiteral("Ошибка печати");
        m_lastFile = printError;
        return finish(false);
    }

    QStringList markingFolders;
    if (m_settings)
        markingFolders = { m_settings->ymPath(), m_settings->yandexLabelsPath(),
                           m_settings->warehousePath(), m_settings->uidSearchRoot1() };
    const QString printedPath = renameAsPrinted(path, markingFolders);
    m_printedPaths.insert(job.uid, printedPath);
    if (m_archive)
        m_archive->recordPrint(printedPath, printer, true, job.uid, job.details);
    const QString printedName = QFileInfo(printedPath).fileName();
    info(QStringLiteral("UID: напечатано %1").arg(printedName));
    m_lastStatus = QStringLiteral("Напечатано");
    m_lastFile = printedName;
    Q_EMIT changed();
    Q_EMIT printed();
    return finish(true);
}

bool UidPrintService::finish(bool result)
{
    m_busy = false;
    Q_EMIT changed();
    // The next job starts from the event loop, never inside the one that just ended.
    if (!m_queue.isEmpty())
        QTimer::singleShot(0, this, &UidPrintService::runNextQueued);
    return result;
}

void UidPrintService::runNextQueued()
{
    if (m_busy || m_queue.isEmpty())
        return;
    const Job job = m_queue.dequeue();
    info(QStringLiteral("UID: беру из очереди %1, осталось %2").arg(job.uid).arg(m_queue.size()));
    run(job);
}

QVector<LabelFileFinder::Candidate> UidPrintService::findCandidates(const QString &uid)
{
    const auto cached = m_printedPaths.constFind(uid);
    if (cached != m_printedPaths.constEnd()) {
        const QFileInfo file(cached.value());
        if (file.isFile() && fileNameMatchesUid(file.fileName(), uid)) {
            // Nothing a search finds can outscore the file printed last for this UID,
            // so the folders need not be walked.
            return { { file.absoluteFilePath(), file.fileName(), 0, kCachedScore } };
        }
        m_printedPaths.remove(uid);
    }

    const QStringList roots = searchRoots();
    QVector<LabelFileFinder::Candidate> candidates = m_finder.find(roots, uid);
    // Before giving up, read every folder afresh: "not found" stops the operator.
    if (candidates.isEmpty())
        candidates = m_finder.find(roots, uid, true);
    qCDebug(lcProduction) << "uid" << uid << "candidates" << candidates.size() << "listed"
                          << m_finder.lastStats().directoriesListed << "reused"
                          << m_finder.lastStats().directoriesReused;
    return candidates;
}

void UidPrintService::logScanDetails(const QVariantMap &details)
{
    QStringList parts;
    auto add = [&](const char *label, const QString &value) {
        if (!value.isEmpty())
            parts << QStringLiteral("%1=%2").arg(QLatin1String(label), value);
    };
    add("raw_scan", variantFirstText(details, { "rawScan", "raw_scan", "raw" }));
    add("production_code", variantFirstText(details, { "production_code", "productionCode" }));
    add("legacy_uid", variantFirstText(details, { "legacy_uid", "legacyUid" }));
    add("strip_no", variantFirstText(details, { "strip_no", "stripNo" }));
    add("sku", variantFirstText(details, { "sku" }));
    add("source", variantFirstText(details, { "source" }));
    add("printer", variantFirstText(details, { "printer" }));
    add("server_result", variantFirstText(details, { "server_result", "serverResult" }));
    info(QStringLiteral("UID: данные подтверждённого скана: %1").arg(parts.join(QStringLiteral("; "))));
}

void UidPrintService::setState(const QString &uid, const QString &status, const QString &file)
{
    m_lastUid = uid;
    m_lastStatus = status;
    m_lastFile = file;
    Q_EMIT changed();
}

void UidPrintService::info(const QString &message)
{
    if (m_eventLog)
        m_eventLog->addInfo(message);
    else
        qCInfo(lcProduction).noquote() << message;
}

void UidPrintService::warn(const QString &message)
{
    if (m_eventLog)
        m_eventLog->addWarn(message);
    else
        qCWarning(lcProduction).noquote() << message;
}

void UidPrintService::error(const QString &message)
{
    if (m_eventLog)
        m_eventLog->addError(message);
    else
        qCWarning(lcProduction).noquote() << message;
}
