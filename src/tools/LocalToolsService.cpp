#include "tools/LocalToolsService.h"

#include "common/AtomicFile.h"
#include "common/Journal.h"
#include "common/LogCategories.h"
#include "common/QrCode.h"
#include "production/PrintLabelFile.h"
#include "settings/AppSettings.h"
#include "tools/FileNamePart.h"
#include "tools/StaffCsv.h"
#include "tools/WorkstationLabels.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPrinterInfo>
#include <QUrl>

#include <cmath>

namespace {

// Local tools print every document twice: one to stick, one to spare.
constexpr int kPrintCopies = 2;
constexpr int kEmployeeQrPixels = 480;

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

LocalToolsService::LocalToolsService(AppSettings *settings, Journal *eventLog, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_eventLog(eventLog)
    , m_print(printLabelFile)
{
}

void LocalToolsService::setPrintFunction(PrintFunction print)
{
    m_print = std::move(print);
}

// --- folders ---

QString LocalToolsService::ensured(const QString &dir) const
{
    if (!QDir().mkpath(dir))
        qCWarning(lcTools) << "cannot create folder" << dir;
    return dir;
}

QString LocalToolsService::baseDir() const
{
    return m_settings ? m_settings->appDataDir() : QDir::homePath() + QStringLiteral("/VornClient");
}

QString LocalToolsService::employeesDir(const QString &kind) const
{
    const QString k = kind.trimmed();
    return ensured(baseDir() + QStringLiteral("/employees") + (k.isEmpty() ? QString() : u'/' + fileNamePart(k)));
}

QString LocalToolsService::cuttersDir() const
{
    return ensured(baseDir() + QStringLiteral("/cutters/qr"));
}

QString LocalToolsService::consumablesDir(const QString &tabId) const
{
    return ensured(baseDir() + QStringLiteral("/consumables/") + consumablesTabFolder(tabId));
}

QString LocalToolsService::exportsDir() const
{
    return ensured(baseDir() + QStringLiteral("/exports"));
}

// --- files, folders and links ---

bool LocalToolsService::openPath(const QString &path)
{
    const QString local = normalizeLocalPath(path);
    if (local.isEmpty()) {
        journalWarn(m_eventLog, QStringLiteral("Локальный путь не задан."));
        return false;
    }
    if (!QFileInfo::exists(local)) {
        journalWarn(m_eventLog, QStringLiteral("Путь не найден: %1").arg(native(local)));
        return false;
    }
    const QString absolute = QFileInfo(local).absoluteFilePath();
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(absolute))) {
        journalError(m_eventLog, QStringLiteral("Не удалось открыть путь: %1").arg(native(absolute)));
        return false;
    }
    journalInfo(m_eventLog, QStringLiteral("Открыт путь: %1").arg(native(absolute)));
    return true;
}

bool LocalToolsService::openUrl(const QString &url)
{
    const QString text = url.trimmed();
    if (text.isEmpty()) {
        journalWarn(m_eventLog, QStringLiteral("Ссылка не задана."));
        return false;
    }
    const QUrl link = QUrl::fromUserInput(text);
    if (!link.isValid() || !QDesktopServices::openUrl(link)) {
        journalError(m_eventLog, QStringLiteral("Не удалось открыть ссылку: %1").arg(text));
        return false;
    }
    journalInfo(m_eventLog, QStringLiteral("Открыта ссылка: %1").arg(text));
    return true;
}

bool LocalToolsService::openSettingsFolder()
{
    return m_settings && openPath(m_settings->appDataDir());
}

bool LocalToolsService::openExportsFolder()
{
    return m_settings && openPath(exportsDir());
}

bool LocalToolsService::pathExists(const QString &path) const
{
    const QString local = normalizeLocalPath(path);
    return !local.isEmpty() && QFileInfo::exists(local);
}

bool LocalToolsService::isDir(const QString &path) const
{
    const QString local = normalizeLocalPath(path);
    return !local.isEmpty() && QFileInfo(local).isDir();
}

QString LocalToolsService::normalizeLocalPath(const QString &path) const
{
    QString local = path.trimmed();
    // A path copied from Explorer's "Copy as path" comes in double quotes.
    if (local.size() >= 2 && local.startsWith(QLatin1Char('"')) && local.endsWith(QLatin1Char('"')))
        local = local.mid(1, local.size() - 2);
    return local;
}

bool LocalToolsService::copyText(const QString &text)
{
    if (text.isEmpty()) {
        journalWarn(m_eventLog, QStringLiteral("Нечего копировать."));
        return false;
    }
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        journalError(m_eventLog, QStringLiteral("Буфер обмена недоступен."));
        return false;
    }
    clipboard->setText(text);
    journalInfo(m_eventLog, QStringLiteral("Текст скопирован в буфер обмена."));
    return true;
}

void LocalToolsService::beep()
{
    QApplication::beep();
}

QString LocalToolsService::pickDirectory(const QString &currentPath, const QString &title)
{
    const QString caption = title.trimmed().isEmpty() ? QStringLiteral("Выбор папки") : title.trimmed();
    const QString dir = QFileDialog::getExistingDirectory(nullptr, caption, normalizeLocalPath(currentPath));
    if (dir.isEmpty())
        return {};
    journalInfo(m_eventLog, QStringLiteral("Выбрана папка: %1").arg(native(dir)));
    return dir;
}

QString LocalToolsService::pickFile(const QString &currentPath, const QString &title, const QString &nameFilter)
{
    const QString caption = title.trimmed().isEmpty() ? QStringLiteral("Выбор файла") : title.trimmed();
    const QString filter = nameFilter.trimmed().isEmpty() ? QStringLiteral("Все файлы (*.*)") : nameFilter.trimmed();
    const QString file = QFileDialog::getOpenFileName(nullptr, caption, normalizeLocalPath(currentPath), filter);
    if (file.isEmpty())
        return {};
    journalInfo(m_eventLog, QStringLiteral("Выбран файл: %1").arg(native(file)));
    return file;
}

bool LocalToolsService::openContainingFolder(const QString &path)
{
    const QString local = normalizeLocalPath(path);
    if (local.isEmpty()) {
        journalWarn(m_eventLog, QStringLiteral("Путь не задан."));
        return false;
    }
    const QString folder = QFileInfo(local).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        journalWarn(m_eventLog, QStringLiteral("Папка для пути не найдена: %1").arg(native(local)));
        return false;
    }
    return openPath(folder);
}

bool LocalToolsService::openEmployeeAssetsFolder(const QString &kind)
{
    return openPath(employeesDir(kind));
}

bool LocalToolsService::openConsumableAssetsFolder(const QString &tabId)
{
    return openPath(consumablesDir(tabId));
}

// --- documents ---

void LocalToolsService::noteQrTooLong(const QString &area, const QString &payload)
{
    journalWarn(m_eventLog, QStringLiteral("%1: payload (%2 байт) не помещается ни в одну версию QR-кода, документ без картинки.")
             .arg(area)
             .arg(payload.toUtf8().size()));
}

QString LocalToolsService::saveLabel(const QString &path, const WorkstationLabels::Result &label,
                                     const QString &payload, const LabelMessages &messages)
{
    if (label.pdf.isEmpty() || !writeFileAtomically(path, label.pdf)) {
        journalError(m_eventLog, messages.failed.arg(native(path)));
        return {};
    }
    if (label.withQr) {
        journalInfo(m_eventLog, messages.saved.arg(native(path)));
    } else {
        noteQrTooLong(messages.area, payload);
        journalWarn(m_eventLog, messages.savedWithoutQr.arg(native(path)));
    }
    return path;
}

QString LocalToolsService::generateEmployeeQrDocument(const QString &employeeId, const QString &employeeName,
                                                      const QString &payload)
{
    const QString id = employeeId.trimmed();
    const QString data = payload.trimmed();
    if (id.isEmpty() || data.isEmpty()) {
        journalWarn(m_eventLog, QStringLiteral("QR сотрудника: не хватает ID или payload."));
        return {};
    }
    const QString stem = QStringLiteral("EMP_%1_%2").arg(fileNamePart(id), fileNamePart(employeeName));
    const QString dir = employeesDir(QStringLiteral("qr"));
    const QImage picture = QrCode::encode(data.toUtf8()).toImage(kEmployeeQrPixels);
    if (!picture.isNull()) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        const QString path = dir + u'/' + stem + QStringLiteral(".png");
        if (picture.save(&buffer, "PNG") && writeFileAtomically(path, png)) {
            journalInfo(m_eventLog, QStringLiteral("QR сотрудника сохранён: %1").arg(native(path)));
            return path;
        }
        journalError(m_eventLog, QStringLiteral("QR сотрудника: не удалось сохранить %1").arg(native(path)));
        return {};
    }
    noteQrTooLong(QStringLiteral("QR сотрудника"), data);
    const QString path = dir + u'/' + stem + QStringLiteral("_payload.json");
    if (!writeFileAtomically(path, data.toUtf8())) {
        journalError(m_eventLog, QStringLiteral("QR сотрудника: не удалось сохранить %1").arg(native(path)));
        return {};
    }
    journalWarn(m_eventLog, QStringLiteral("QR сотрудника: PNG не скачался, сохранён payload: %1").arg(native(path)));
    return path;
}

QString LocalToolsService::generateEmployeeBadgePdf(const QString &employeeId, const QString &employeeName,
                                                    const QString &role, const QString &payload)
{
    const QString id = employeeId.trimmed();
    const QString data = payload.trimmed();
    if (id.isEmpty() || data.isEmpty()) {
        journalWarn(m_eventLog, QStringLiteral("Бейдж сотрудника: не хватает ID или payload."));
        return {};
    }
    const QString path = employeesDir(QStringLiteral("badges")) + QStringLiteral("/badge_%1_%2.pdf")
                                                                      .arg(fileNamePart(id), fileNamePart(employeeName));
    return saveLabel(path, WorkstationLabels::badge(employeeName.trimmed(), role.trimmed(), id, data), data,
                     { QStringLiteral("Бейдж сотрудника"), QStringLiteral("Не удалось открыть PDF для бейджа: %1"),
                       QStringLiteral("Бейдж сотрудника сохранён: %1"),
                       QStringLiteral("Бейдж сохранён без QR-картинки (офлайн fallback): %1") });
}

QString LocalToolsService::generateCutterQrPdf(const QString &cutterId, const QString &cutterTitle,
                                               const QString &payload, bool printAfter)
{
    const QString id = cutterId.trimmed();
    const QString data = payload.trimmed();
    if (id.isEmpty() || data.isEmpty()) {
        journalWarn(m_eventLog, QStringLiteral("QR резака: не хватает ID или payload."));
        return {};
    }
    const QString path = cuttersDir() + QStringLiteral("/cutter_%1.pdf").arg(fileNamePart(id));
    const QString saved = saveLabel(path, WorkstationLabels::cutter(cutterTitle.trimmed(), data), data,
                                    { QStringLiteral("QR резака"), QStringLiteral("QR резака: не удалось открыть PDF %1"),
                                      QStringLiteral("QR резака сохранён: %1"),
                                      QStringLiteral("QR резака сохранён без картинки (офлайн fallback): %1") });
    if (saved.isEmpty())
        return {};
    if (printAfter)
        printPath(path);
    return path;
}

QString LocalToolsService::wallPayload(const QString &rawPayload)
{
    static const QString prefix = QStringLiteral("VORN_WALL:");
    const QString raw = rawPayload.trimmed();
    return raw.startsWith(prefix, Qt::CaseInsensitive) ? raw : prefix + raw;
}

QString LocalToolsService::materialPayload(const QString &materialId)
{
    // Key order matters to the scanners' parser: kind first. The id is escaped as JSON.
    const QByteArray id = QJsonDocument(QJsonArray{ materialId }).toJson(QJsonDocument::Compact);
    return QStringLiteral("{\"kind\":\"material\",\"id\":%1}").arg(QString::fromUtf8(id.mid(1, id.size() - 2)));
}

QString LocalToolsService::makeWallLabel(const QString &tabId, const QString &headline, const QString &name,
                                         const QString &footer, const QString &rawPayload, const QString &fileStem)
{
    if (rawPayload.trimmed().isEmpty()) {
        journalWarn(m_eventLog, QStringLiteral("QR расходника: пустой payload."));
        return {};
    }
    const QString payload = wallPayload(rawPayload);
    const QString path = consumablesDir(tabId) + QStringLiteral("/wallqr_%1_%2.pdf")
                                                     .arg(consumablesTabFolder(tabId), fileNamePart(fileStem));
    return saveLabel(path, WorkstationLabels::wall(name, headline, footer, payload), payload,
                     { QStringLiteral("QR расходника"), QStringLiteral("QR расходника: не удалось открыть PDF %1"),
                       QStringLiteral("QR расходника сохранён: %1"),
                       QStringLiteral("QR расходника сохранён без картинки (офлайн fallback): %1") });
}

QString LocalToolsService::generateConsumableWallQrPdf(const QString &tabId, const QString &title,
                                                       const QString &name, const QString &rawPayload,
                                                       bool printAfter)
{
    const QString path = makeWallLabel(tabId, title.trimmed(), name.trimmed(), QStringLiteral("Списание по QR"),
                                       rawPayload, name);
    if (!path.isEmpty() && printAfter)
        printPath(path);
    return path;
}

QString LocalToolsService::generateMaterialQrPdf(const QString &tabId, const QString &materialId,
                                                 const QString &matType, double lengthM, const QString &cellQr,
                                                 bool printAfter)
{
    const QString id = materialId.trimmed();
    if (id.isEmpty()) {
        journalWarn(m_eventLog, QStringLiteral("QR материала: пустой ID рулона."));
        return {};
    }
    const QString cell = cellQr.trimmed();
    const QString payload = cell.isEmpty() ? materialPayload(id) : cell;
    const QString type = matType.trimmed();
    const QString name = type.isEmpty() ? QStringLiteral("Материал") : type;
    // The scene passes an empty field as NaN: that reads as no length at all.
    const double length = std::isfinite(lengthM) ? lengthM : 0.0;
    const QString line = QStringLiteral("%1 · %2 м").arg(name, QString::number(length, 'f', 2));
    // Rolls of one type differ by id, so the id joins the file name: one roll's label
    // never replaces another's.
    const QString path = makeWallLabel(tabId, QStringLiteral("QR материала"), name, line, payload,
                                       name + u'_' + id);
    if (!path.isEmpty() && printAfter)
        printPath(path);
    return path;
}

// --- exports ---

QString LocalToolsService::exportCsv(const QString &prefix, const QString &date, const QByteArray &content,
                                     const QString &okMessage, const QString &failMessage)
{
    const QString day = date.trimmed().isEmpty() ? QStringLiteral("unknown-date") : fileNamePart(date);
    const QString path = employeesDir(QStringLiteral("exports")) + u'/' + prefix + day + QStringLiteral(".csv");
    if (!writeFileAtomically(path, content)) {
        journalError(m_eventLog, failMessage.arg(native(path)));
        return {};
    }
    journalInfo(m_eventLog, okMessage.arg(native(path)));
    return path;
}

QString LocalToolsService::exportAttendanceCsv(const QString &date, const QVariantList &events)
{
    return exportCsv(QStringLiteral("attendance_"), date, StaffCsv::attendance(date.trimmed(), events),
                     QStringLiteral("CSV посещений сохранён: %1"),
                     QStringLiteral("CSV посещений: не удалось открыть %1"));
}

QString LocalToolsService::exportArchiveCsv(const QString &date, const QVariantList &summary,
                                            const QVariantList &events)
{
    return exportCsv(QStringLiteral("archive_"), date, StaffCsv::archive(date.trimmed(), summary, events),
                     QStringLiteral("CSV архива сохранён: %1"), QStringLiteral("CSV архива: не удалось открыть %1"));
}

// --- printers ---

QStringList LocalToolsService::availablePrinters() const
{
    QStringList names;
    for (const QString &name : QPrinterInfo::availablePrinterNames()) {
        if (!name.trimmed().isEmpty())
            names << name.trimmed();
    }
    return names;
}

QString LocalToolsService::defaultPrinterName() const
{
    return QPrinterInfo::defaultPrinterName().trimmed();
}

bool LocalToolsService::printPath(const QString &path)
{
    const QString local = normalizeLocalPath(path);
    if (local.isEmpty()) {
        journalWarn(m_eventLog, QStringLiteral("Путь печати не задан."));
        return false;
    }
    if (!QFileInfo(local).isFile()) {
        journalWarn(m_eventLog, QStringLiteral("Файл для печати не найден: %1").arg(native(local)));
        return false;
    }
    const QString printer = m_settings ? m_settings->labelPrinterName().trimmed() : QString();
    QString reason;
    if (!m_print(local, printer, &reason, kPrintCopies)) {
        journalError(m_eventLog, QStringLiteral("Не удалось отправить файл на печать: %1 (%2)").arg(native(local), reason));
        return false;
    }
    const QString where = printer.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(printer);
    journalInfo(m_eventLog, QStringLiteral("Файл отправлен на печать%1: %2").arg(where, native(local)));
    return true;
}

// --- journal ---

