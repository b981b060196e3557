#include "supplies/WarehouseFileModel.h"

#include "common/Journal.h"
#include "common/LogCategories.h"
#include "common/ScanConfirmer.h"
#include "production/PrintArchiveStore.h"
#include "production/PrintLabelFile.h"
#include "production/PrintedFileNaming.h"
#include "settings/AppSettings.h"
#include "supplies/WarehouseFolder.h"
#include "supplies/WarehouseLookup.h"

#include <QFileInfo>

namespace {

enum Level { Info, Warn, Error };

QString normalizedMarket(const QString &market)
{
    const QString key = market.trimmed().toLower();
    if (key == u"ozon" || key == u"ym")
        return key;
    return QStringLiteral("wb");
}

} // namespace

WarehouseFileModel::WarehouseFileModel(AppSettings *settings, Journal *eventLog, ScanConfirmer *gsClient,
                                       PrintArchiveStore *archive, const QString &market, QObject *parent)
    : QAbstractListModel(parent), m_settings(settings), m_eventLog(eventLog), m_gsClient(gsClient),
      m_archive(archive), m_market(normalizedMarket(market)),
      m_lookup(new WarehouseLookup(settings, eventLog, this)), m_print(&printLabelFile)
{
    connect(m_lookup, &WarehouseLookup::answered, this, &WarehouseFileModel::applyPlaces);
}

int WarehouseFileModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant WarehouseFileModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const WarehouseEntry &e = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case LabelRole: return e.label;
    case FileNameRole: return e.fileName;
    case FullPathRole: return e.fullPath;
    case ModeRole: return e.mode;
    case BarcodeRole: return e.barcode;
    case ArticleRole: return e.article;
    case SourceWarehouseRole: return e.sourceWarehouse;
    case SourceSectionRole: return e.sourceSection;
    case SelfbuyRole: return e.selfbuy;
    case ManualPrintAllowedRole: return e.manualPrintAllowed;
    default: return {};
    }
}

QHash<int, QByteArray> WarehouseFileModel::roleNames() const
{
    return {{FileNameRole, "fileName"},
            {FullPathRole, "fullPath"},
            {ModeRole, "mode"},
            {BarcodeRole, "barcode"},
            {ArticleRole, "article"},
            {LabelRole, "label"},
            {SourceWarehouseRole, "sourceWarehouse"},
            {SourceSectionRole, "sourceSection"},
            {SelfbuyRole, "selfbuy"},
            {ManualPrintAllowedRole, "manualPrintAllowed"}};
}

int WarehouseFileModel::manualEntryCount() const
{
    return int(std::count_if(m_entries.cbegin(), m_entries.cend(),
                             [](const WarehouseEntry &e) { return e.manualPrintAllowed; }));
}

QString WarehouseFileModel::folder() const
{
    if (!m_settings)
        return {};
    if (m_market == u"ozon")
        return m_settings->ozonPath().trimmed();
    if (m_market == u"ym") {
        const QString labels = m_settings->yandexLabelsPath().trimmed();
        return labels.isEmpty() ? m_settings->ymPath().trimmed() : labels;
    }
    return m_settings->wbPath().trimmed();
}

QString WarehouseFileModel::marketTitle() const
{
    if (m_market == u"ozon")
        return QStringLiteral("OZON");
    if (m_market == u"ym")
        return QStringLiteral("ЯМ");
    return QStringLiteral("WB");
}

QString WarehouseFileModel::marketHint() const
{
    const QString name = m_market == u"ozon" ? QStringLiteral("OZON")
                         : m_market == u"ym" ? QStringLiteral("Яндекс")
                                             : QStringLiteral("WB");
    return QStringLiteral("Возьми макет из указанной секции и отсканируй его — этикетка %1 напечатается "
                          "автоматически.").arg(name);
}

void WarehouseFileModel::log(int level, const QString &message) const
{
    if (!m_eventLog)
        return;
    if (level == Error)
        m_eventLog->addError(message);
    else if (level == Warn)
        m_eventLog->addWarn(message);
    else
        m_eventLog->addInfo(message);
}

void WarehouseFileModel::setBusy(bool busy, const QString &label)
{
    if (m_busy == busy && m_busyLabel == label)
        return;
    m_busy = busy;
    m_busyLabel = label;
    Q_EMIT busyChanged();
}

// ---- Listing -------------------------------------------------------------------------

void WarehouseFileModel::reload()
{
    if (m_busy)
        return;
    const QString path = folder();
    const QString defaultWarehouse = m_market == u"wb"     ? QStringLiteral("Склад WB")
                                     : m_market == u"ozon" ? QStringLiteral("Склад OZON")
                                                           : QStringLiteral("Склад");
    WarehouseFolder::Listing listing = WarehouseFolder::list(path, defaultWarehouse, m_market == u"ym");
    if (!path.isEmpty() && !listing.folderExists) {
        if (m_missingFolderReported != path)
            log(Warn, QStringLiteral("Склады: папка %1 не найдена.").arg(path));
        m_missingFolderReported = path;
    } else {
        m_missingFolderReported.clear();
    }
    for (const QString &name : std::as_const(listing.hiddenExpenses))
        qCDebug(lcSupplies) << "expense hidden behind a self-buy file:" << name;
    if (!listing.hiddenExpenses.isEmpty() && listing.hiddenExpenses != m_hiddenReported) {
        // Said once per change: the same files hidden again on every reload are no news.
        log(Info, QStringLiteral("Склады: расход %1 скрыт, потому что для этого же штрихкода есть самовыкуп.")
                      .arg(listing.hiddenExpenses.join(QStringLiteral(", "))));
    }
    m_hiddenReported = listing.hiddenExpenses;

    beginResetModel();
    m_entries = std::move(listing.entries);
    endResetModel();
    applyPlaces();
    Q_EMIT modelChanged();

    QStringList uids;
    for (const WarehouseEntry &entry : std::as_const(m_entries)) {
        if (!m_lookup->knows(entry.barcode))
            uids.append(entry.barcode);
    }
    m_lookup->request(uids);
}

void WarehouseFileModel::applyPlaces()
{
    for (int row = 0; row < m_entries.size(); ++row) {
        WarehouseEntry &entry = m_entries[row];
        if (!m_lookup->knows(entry.barcode))
            continue;
        const WarehouseLookup::Place place = m_lookup->place(entry.barcode);
        const QString warehouse = place.warehouse.isEmpty() ? entry.sourceWarehouse : place.warehouse;
        if (warehouse == entry.sourceWarehouse && place.section == entry.sourceSection)
            continue;
        entry.sourceWarehouse = warehouse;
        entry.sourceSection = place.section;
        entry.label = WarehouseNames::labelOf(entry, m_market == u"ym");
        Q_EMIT dataChanged(index(row), index(row), {LabelRole, SourceWarehouseRole, SourceSectionRole, Qt::DisplayRole});
    }
}

QVariantMap WarehouseFileModel::rowInfo(int row) const
{
    if (row < 0 || row >= m_entries.size())
        return {};
    return m_entries.at(row).toMap();
}

// ---- Finding -------------------------------------------------------------------------

int WarehouseFileModel::indexOfCode(const QString &raw) const
{
    const QStringList variants = WarehouseNames::codeVariants(raw);
    if (variants.isEmpty())
        return -1;
    for (int row = 0; row < m_entries.size(); ++row) {
        if (variants.contains(m_entries.at(row).barcode.trimmed()))
            return row;
    }
    return -1;
}

QVariantMap WarehouseFileModel::resultFor(const QString &barcode, const WarehouseEntry *entry, bool ok) const
{
    QVariantMap result{{QStringLiteral("ok"), ok}, {QStringLiteral("barcode"), barcode}};
    if (!entry)
        return result;
    result.insert(QStringLiteral("barcode"), entry->barcode);
    for (const char *key : {"production_code", "productionCode", "datamatrix", "dataMatrix", "scan_uid", "scanUid"})
        result.insert(QLatin1String(key), entry->barcode);
    result.insert(QStringLiteral("marketplace"), m_market);
    result.insert(QStringLiteral("warehouse"), entry->sourceWarehouse);
    result.insert(QStringLiteral("fileName"), entry->fileName);
    result.insert(QStringLiteral("article"), entry->article);
    result.insert(QStringLiteral("title"), entry->label);
    result.insert(QStringLiteral("mode"), entry->mode);
    for (const char *key : {"section", "section_code", "storageSection", "storageSectionCode",
                            "storage_section_code", "sourceSection"})
        result.insert(QLatin1String(key), entry->sourceSection);
    for (const char *key : {"sourceWarehouse", "writeoffSource", "writeoff_source"})
        result.insert(QLatin1String(key), entry->sourceWarehouse);
    return result;
}

QVariantMap WarehouseFileModel::findBarcode(const QString &raw)
{
    if (m_entries.isEmpty())
        reload();
    const int row = indexOfCode(raw);
    if (row < 0)
        return resultFor(raw.trimmed(), nullptr, false);
    return resultFor(raw.trimmed(), &m_entries.at(row), true);
}

// ---- Printing ------------------------------------------------------------------------

QVariantMap WarehouseFileModel::printBarcode(const QString &raw, bool confirmGs)
{
    if (m_entries.isEmpty())
        reload();
    const int row = indexOfCode(raw);
    if (row < 0)
        return resultFor(raw.trimmed(), nullptr, false);
    return printEntry(m_entries.at(row), confirmGs);
}

QVariantMap WarehouseFileModel::printRow(int row)
{
    if (row < 0 || row >= m_entries.size())
        return resultFor(QString(), nullptr, false);
    const WarehouseEntry entry = m_entries.at(row);
    if (!entry.manualPrintAllowed) {
        log(Warn, QStringLiteral("Склады: ручная печать для %1 отключена — используй скан этикетки.")
                      .arg(entry.article.isEmpty() ? entry.fileName : entry.article));
        return resultFor(entry.barcode, &entry, false);
    }
    return printEntry(entry, false);
}

QVariantMap WarehouseFileModel::printEntry(const WarehouseEntry &entry, bool confirmGs)
{
    if (m_busy)
        return resultFor(entry.barcode, &entry, false);
    // The entry is copied: a nested event loop (spreadsheet confirm) may reload the list.
    const WarehouseEntry copy = entry;
    setBusy(true, QStringLiteral("Печатаю %1").arg(copy.fileName));
    const bool ok = printFile(copy, confirmGs);
    setBusy(false, QString());
    if (ok) {
        Q_EMIT printed();
        reload();
    }
    return resultFor(copy.barcode, &copy, ok);
}

QString WarehouseFileModel::printerName() const
{
    if (!m_settings)
        return {};
    if (m_market == u"ym") {
        const QString yandex = m_settings->yandexLabelPrinterName().trimmed();
        if (!yandex.isEmpty())
            return yandex;
    }
    return m_settings->labelPrinterName().trimmed();
}

bool WarehouseFileModel::printFile(const WarehouseEntry &entry, bool confirmGs)
{
    if (!QFileInfo::exists(entry.fullPath)) {
        log(Error, QStringLiteral("Склады: файл %1 не найден.").arg(entry.fileName));
        return false;
    }
    if (confirmGs) {
        QString error;
        const bool confirmed = m_gsClient ? m_gsClient->confirm(entry.barcode, &error) : false;
        if (!m_gsClient)
            error = QStringLiteral("GS клиент не настроен");
        if (!confirmed) {
            log(Error, QStringLiteral("Склады: GS не подтвердил %1: %2").arg(entry.barcode, error));
            return false;
        }
        log(Info, QStringLiteral("Склады: GS подтвердил %1, теперь отправляю %2 на выбранный принтер.")
                      .arg(entry.barcode, entry.fileName));
    } else {
        log(Info, QStringLiteral("Склады: заказ %1 подтверждён сервером.").arg(entry.barcode));
    }

    const QString printer = printerName();
    if (printer.isEmpty()) {
        log(Error, QStringLiteral("Склады: принтер этикеток не выбран в настройках."));
        return false;
    }
    QString error;
    if (!m_print(entry.fullPath, printer, &error, 2)) {
        log(Error, QStringLiteral("Склады: %1").arg(error));
        log(Error, QStringLiteral("Склады: ошибка печати файла %1.").arg(entry.fileName));
        return false;
    }
    log(Info, QStringLiteral("Склады: файл отправлен автоматически на выбранный принтер %1.").arg(printer));

    QString renameError;
    const QString renamed = renameAsPrinted(entry.fullPath, {QFileInfo(entry.fullPath).absolutePath()},
                                            &renameError);
    if (renamed != QFileInfo(entry.fullPath).absoluteFilePath()) {
        log(Info, QStringLiteral("Склады: %1 напечатан%2, файл переименован.")
                      .arg(entry.fileName, entry.selfbuy ? QStringLiteral(" (САМОВЫКУП)") : QString()));
    } else {
        log(Warn, QStringLiteral("Склады: напечатано, но не смог переименовать файл %1.").arg(entry.fileName));
    }
    return true;
}
