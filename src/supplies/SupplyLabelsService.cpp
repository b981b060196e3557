#include "supplies/SupplyLabelsService.h"

#include "common/AtomicFile.h"
#include "common/Journal.h"
#include "common/LogCategories.h"
#include "production/PrintLabelFile.h"
#include "settings/AppSettings.h"
#include "supplies/SupplyRow.h"
#include "supplies/SupplySticker.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace {

// Every supply sticker goes out at least twice: one for the box, one for the sheet.
constexpr int kMinCopies = 2;

QString dataDir(const AppSettings *settings)
{
    return settings ? settings->appDataDir() : QDir::homePath() + QStringLiteral("/VornClient");
}

} // namespace

SupplyLabelsService::SupplyLabelsService(AppSettings *settings, Journal *eventLog, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_eventLog(eventLog)
    , m_print(printLabelFile)
{
}

void SupplyLabelsService::setPrintFunction(PrintFunction print)
{
    m_print = std::move(print);
}

QString SupplyLabelsService::normalizeMarketplace(const QString &marketplace)
{
    // The supply list's spellings (so "O3" is Ozon on both pages), plus the short
    // forms written on sticker requests.
    const QString m = marketplace.trimmed().toLower();
    if (m == u"oz" || m == u"ozn")
        return QStringLiteral("ozon");
    return SupplyCodes::normalizeMarketplace(m);
}

QString SupplyLabelsService::safeFileNamePart(const QString &text)
{
    static const QRegularExpression reserved(QStringLiteral("[\\\\/:*?\"<>|]+"));
    static const QRegularExpression other(QStringLiteral("[^0-9A-Za-zА-Яа-яЁё_\\-]+"));
    QString part = text;
    part.replace(reserved, QStringLiteral("_"));
    part.replace(other, QStringLiteral("_"));
    return part;
}

QString SupplyLabelsService::labelsDir() const
{
    const bool ozon = m_marketplace == QLatin1String("ozon");
    QString dir;
    if (m_settings)
        dir = (ozon ? m_settings->ozonLabelsDir() : m_settings->wbLabelsDir()).trimmed();
    if (dir.isEmpty())
        dir = QDir(dataDir(m_settings)).filePath(ozon ? QStringLiteral("ozon_labels") : QStringLiteral("wb_labels"));
    if (!QDir().mkpath(dir))
        qCWarning(lcSupplies) << "cannot create the labels folder" << dir;
    return QDir::cleanPath(dir);
}

QString SupplyLabelsService::marketplaceTitle() const
{
    return m_marketplace == QLatin1String("ozon") ? QStringLiteral("OZON") : QStringLiteral("WB");
}

void SupplyLabelsService::reload()
{
    const QString dir = labelsDir();
    QFileInfoList entries = QDir(dir).entryInfoList({ QStringLiteral("*.pdf") }, QDir::Files, QDir::NoSort);
    // Newest first: the sticker just made is the one the operator looks for.
    std::sort(entries.begin(), entries.end(), [](const QFileInfo &a, const QFileInfo &b) {
        if (a.lastModified() != b.lastModified())
            return a.lastModified() > b.lastModified();
        return a.fileName() < b.fileName();
    });
    QVariantList files;
    for (const QFileInfo &entry : std::as_const(entries)) {
        files << QVariantMap{
            { QStringLiteral("name"), entry.fileName() },
            { QStringLiteral("path"), entry.absoluteFilePath() },
            { QStringLiteral("modified"), entry.lastModified().toString(QStringLiteral("dd.MM.yyyy HH:mm")) },
            { QStringLiteral("marketplace"), m_marketplace },
        };
    }
    if (files == m_labelFiles && dir == m_listedDir)
        return;
    m_labelFiles = files;
    m_listedDir = dir;
    Q_EMIT changed();
}

void SupplyLabelsService::setSelectedMarketplace(const QString &marketplace)
{
    const QString normalized = normalizeMarketplace(marketplace);
    if (normalized == m_marketplace)
        return;
    m_marketplace = normalized;
    Q_EMIT changed();
    reload();
}

bool SupplyLabelsService::openFolder()
{
    const QString dir = labelsDir();
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(dir)))
        return true;
    journalError(m_eventLog, QStringLiteral("Наклейки: не удалось открыть папку %1").arg(QDir::toNativeSeparators(dir)));
    return false;
}

bool SupplyLabelsService::openFile(const QString &fileName)
{
    const QString name = fileName.trimmed();
    const QString path = QDir(labelsDir()).filePath(name);
    if (!name.isEmpty() && QFileInfo(path).isFile() && QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return true;
    journalError(m_eventLog, QStringLiteral("Наклейки: не удалось открыть файл %1").arg(name));
    return false;
}

bool SupplyLabelsService::printFile(const QString &fileName, int copies)
{
    const QString name = fileName.trimmed();
    const QString path = QDir(labelsDir()).filePath(name);
    if (name.isEmpty() || !QFileInfo(path).isFile()) {
        journalWarn(m_eventLog, QStringLiteral("Наклейки: файл не найден: %1").arg(name));
        return false;
    }
    const int jobs = std::max(kMinCopies, copies);
    const QString printer = m_settings ? m_settings->labelPrinterName().trimmed() : QString();
    // One copy a job: label printers that ignore the copy count still print them all.
    for (int job = 0; job < jobs; ++job) {
        QString reason;
        if (!m_print(path, printer, &reason, 1)) {
            qCWarning(lcSupplies) << "sticker print failed" << path << reason;
            journalError(m_eventLog, QStringLiteral("Наклейки: ошибка печати %1.").arg(name));
            return false;
        }
    }
    journalInfo(m_eventLog, QStringLiteral("Наклейки: %1 × %2 отправлено в печать.").arg(name).arg(jobs));
    return true;
}

QString SupplyLabelsService::createLabelPdf(const QString &barcode, const QString &sku,
                                            const QString &wbArticle, bool printAfter)
{
    const QString code = barcode.trimmed();
    const QString skuText = sku.trimmed();
    const QString article = wbArticle.trimmed();
    if (code.isEmpty()) {
        journalWarn(m_eventLog, QStringLiteral("Наклейки: введи баркод."));
        return {};
    }
    if (skuText.isEmpty()) {
        journalWarn(m_eventLog, QStringLiteral("Наклейки: введи артикул SKU."));
        return {};
    }

    SupplySticker sticker;
    sticker.title = marketplaceTitle();
    sticker.barcode = code;
    sticker.sku = skuText;
    sticker.articleLabel = m_marketplace == QLatin1String("ozon") ? QStringLiteral("Артикул OZON")
                                                                  : QStringLiteral("Артикул WB");
    sticker.article = article;
    if (SupplySticker::moduleDots(code) < 1) {
        journalError(m_eventLog, QStringLiteral("Наклейки: не удалось сформировать баркод."));
        return {};
    }
    const QByteArray pdf = sticker.toPdf();
    const QString fileName = QStringLiteral("%1_%2.pdf")
                                 .arg(safeFileNamePart(skuText.isEmpty() ? code : skuText),
                                      QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss")));
    const QString path = QDir(labelsDir()).filePath(fileName);
    if (pdf.isEmpty() || !writeFileAtomically(path, pdf)) {
        journalError(m_eventLog, QStringLiteral("Наклейки: не удалось сохранить PDF %1").arg(QDir::toNativeSeparators(path)));
        return {};
    }
    journalInfo(m_eventLog, QStringLiteral("Наклейки %1: PDF сохранён %2").arg(marketplaceTitle(), fileName));
    reload();
    if (printAfter)
        printFile(fileName, kMinCopies);
    return path;
}

