#include "production/PrintArchiveEvent.h"

#include "common/IsoTime.h"
#include "common/JsonRead.h"

#include <QFileInfo>
#include <QRegularExpression>

PrintSize PrintSize::fromFileName(const QString &fileName)
{
    static const QRegularExpression pattern(
        QStringLiteral("(\\d{2,4})\\s*[xх×XХ]\\s*(\\d{2,4})"));
    PrintSize size;
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (!match.hasMatch())
        return size;
    size.widthCm = match.captured(1).toInt();
    size.heightCm = match.captured(2).toInt();
    if (size.widthCm <= 0 || size.heightCm <= 0)
        return PrintSize();
    size.areaM2 = (size.widthCm / 100.0) * (size.heightCm / 100.0);
    size.text = QStringLiteral("%1×%2 см").arg(size.widthCm).arg(size.heightCm);
    return size;
}

QString PrintArchiveEvent::layoutName(const QString &fileName)
{
    QString name = QFileInfo(fileName).completeBaseName().trimmed();
    static const QStringList prefixes = {QStringLiteral("напечатано_"), QStringLiteral("напечатано"),
                                         QStringLiteral("печать_"), QStringLiteral("самовыкуп_"),
                                         QStringLiteral("самовыкуп"), QStringLiteral("расход_")};
    bool stripped = true;
    while (stripped) {
        stripped = false;
        for (const QString &prefix : prefixes) {
            if (name.startsWith(prefix, Qt::CaseInsensitive) && name.size() > prefix.size()) {
                name = name.mid(prefix.size());
                stripped = true;
                break;
            }
        }
    }
    return name;
}

QString PrintArchiveEvent::normalizeMarketplace(const QString &text)
{
    const QString t = text.trimmed().toLower();
    if (t.isEmpty())
        return {};
    if (t == u"fbo" || t.startsWith(u"fbo"))
        return QStringLiteral("FBO");
    if (t == u"wb" || t.contains(u"wildberries"))
        return QStringLiteral("WB");
    if (t == u"ozon" || t == u"озон")
        return QStringLiteral("OZON");
    if (t == u"ym" || t == u"yam" || t.contains(u"yandex") || t.contains(u"яндекс"))
        return QStringLiteral("YM");
    return {};
}

QString PrintArchiveEvent::marketplaceOf(const QString &filePath, const QString &marketplaceText)
{
    const QString path = filePath.toLower();
    if (path.contains(u"\\ym") || path.contains(u"/ym") || path.contains(u"стикеры"))
        return QStringLiteral("YM");
    // Qt writes "/" on every platform; the workshop's Windows paths also come with "\".
    if (path.contains(u"\\wb") || path.contains(u"/wb"))
        return QStringLiteral("WB");
    if (path.contains(u"этикетки озон"))
        return QStringLiteral("OZON");
    return normalizeMarketplace(marketplaceText);
}

bool PrintArchiveEvent::isWarehouseLayout(const QVariantMap &event)
{
    // Warehouse prints say so in their details; their file names start with
    // the warehouse word when they were written by the warehouse exporter.
    const QString source = variantFirstText(event, {"source"}).toLower();
    if (source == u"warehouse" || source == u"склад" || source == u"warehouse_file")
        return true;
    const QVariant warehouse = event.value(QStringLiteral("warehouse"));
    if (warehouse.typeId() == QMetaType::Bool && warehouse.toBool())
        return true;
    for (const QString &name : {variantFirstText(event, {"file", "file_name", "fileName"}),
                                variantFirstText(event, {"maket", "label"})}) {
        const QString lower = name.toLower();
        if (lower.startsWith(u"склад_") || lower.startsWith(u"warehouse_"))
            return true;
    }
    return false;
}

QString PrintArchiveEvent::uidOf(const QVariantMap &event)
{
    return variantFirstText(event, {"production_code", "productionCode", "datamatrix",
                                    "dataMatrix", "scan_uid", "scanUid", "unique_no", "uniqueNo"})
        .toUpper();
}

QDateTime PrintArchiveEvent::timeOf(const QVariantMap &event)
{
    for (const char *key : {"ts", "date", "printed_at", "printedAt", "created_at", "createdAt",
                            "updated_at", "updatedAt"}) {
        const QString text = variantFirstText(event, {key});
        if (text.isEmpty())
            continue;
        QDateTime time = parseServerTime(text);
        if (!time.isValid()) {
            const QDate day = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
            if (day.isValid())
                time = QDateTime(day, QTime(0, 0));
        }
        if (time.isValid())
            return time.toLocalTime();
    }
    return {};
}

QDate PrintArchiveEvent::dayOf(const QVariantMap &event)
{
    return timeOf(event).date();
}

QString PrintArchiveEvent::duplicateKey(const QVariantMap &event)
{
    const QString uid = uidOf(event);
    if (!uid.isEmpty())
        return QStringLiteral("uid|%1").arg(uid);
    return layoutKey(event);
}

QString PrintArchiveEvent::layoutKey(const QVariantMap &event)
{
    QString layout = variantFirstText(event, {"maket"});
    if (layout.isEmpty())
        layout = layoutName(variantFirstText(event, {"file", "fileName", "file_name"}));
    if (layout.isEmpty())
        layout = variantFirstText(event, {"full_path", "fullPath"});
    return QStringLiteral("%1|%2|%3")
        .arg(dayOf(event).toString(QStringLiteral("yyyy-MM-dd")),
             variantFirstText(event, {"marketplace"}).toLower(), layout.toLower());
}

QVariantMap PrintArchiveEvent::build(const QString &filePath, const QString &printerName,
                                     const QString &uid, const QVariantMap &details,
                                     const QDateTime &printedAt)
{
    const QFileInfo info(filePath);
    const QString fileName = info.fileName();
    const QString fullPath = info.absoluteFilePath();
    const QString layout = layoutName(fileName);
    const PrintSize size = PrintSize::fromFileName(fileName);
    const QString time = printedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));

    QVariantMap e;
    auto both = [&e](const char *a, const char *b, const QVariant &value) {
        e.insert(QLatin1String(a), value);
        e.insert(QLatin1String(b), value);
    };
    e.insert(QStringLiteral("type"), QStringLiteral("print"));
    e.insert(QStringLiteral("date"), time);
    both("printed_at", "printedAt", time);
    both("file", "fileName", fileName);
    both("full_path", "fullPath", fullPath);
    e.insert(QStringLiteral("maket"), layout);
    e.insert(QStringLiteral("label"), layout);
    e.insert(QStringLiteral("printer"), printerName.trimmed());
    const QString marketplace = marketplaceOf(
        fullPath, variantFirstText(details, {"marketplace", "source", "market", "production_source",
                                             "productionSource"}));
    if (!marketplace.isEmpty())
        e.insert(QStringLiteral("marketplace"), marketplace);
    if (!size.text.isEmpty())
        e.insert(QStringLiteral("size_cm"), size.text);
    both("area_m2", "area", size.areaM2);
    both("scan_uid", "scanUid", uid.trimmed());
    both("unique_no", "uniqueNo", uid.trimmed());

    // Scan details, each under both spellings.
    static const char *const pairs[][2] = {
        {"raw_scan", "rawScan"}, {"production_code", "productionCode"},
        {"datamatrix", "dataMatrix"}, {"legacy_uid", "legacyUid"}, {"strip_no", "stripNo"},
        {"production_source", "productionSource"}, {"production_printer", "productionPrinter"},
        {"server_result", "serverResult"}, {"scanner_id", "scannerId"},
        {"workplace_id", "workplaceId"}, {"cutter_key", "cutterKey"},
        {"cutter_label", "cutterLabel"}, {"workplace_label", "workplaceLabel"},
        {"employee_id", "employeeId"}, {"emp_id", "empId"},
        {"cut_operator_id", "cutOperatorId"}, {"cut_operator_emp_id", "cutOperatorEmpId"},
        {"employee_name", "employeeName"}, {"cut_operator", "cutOperator"},
        {"cut_operator_name", "cutOperatorName"}, {"label_printed", "labelPrinted"}};
    for (const auto &pair : pairs) {
        const QVariant value = variantFirstValue(details, {pair[0], pair[1]});
        if (value.isValid())
            both(pair[0], pair[1], value);
    }
    for (const char *key : {"source", "server_printer", "article", "name"}) {
        const QVariant value = variantFirstValue(details, {key});
        if (value.isValid())
            e.insert(QLatin1String(key), value);
    }
    if (!e.contains(QStringLiteral("server_printer"))) {
        const QVariant printer = variantFirstValue(details, {"printer"});
        if (printer.isValid())
            e.insert(QStringLiteral("server_printer"), printer);
    }
    if (!e.contains(QStringLiteral("label_printed")))
        both("label_printed", "labelPrinted", true);
    return e;
}
