#include "supplies/WarehouseEntry.h"

#include "common/ProductionCode.h"

#include <QFileInfo>
#include <QRegularExpression>

QVariantMap WarehouseEntry::toMap() const
{
    return {
        {QStringLiteral("fileName"), fileName},
        {QStringLiteral("fullPath"), fullPath},
        {QStringLiteral("label"), label},
        {QStringLiteral("mode"), mode},
        {QStringLiteral("barcode"), barcode},
        {QStringLiteral("article"), article},
        {QStringLiteral("sourceWarehouse"), sourceWarehouse},
        {QStringLiteral("sourceSection"), sourceSection},
        {QStringLiteral("selfbuy"), selfbuy},
        {QStringLiteral("manualPrintAllowed"), manualPrintAllowed},
    };
}

namespace WarehouseNames {

namespace {

const QString kSelfbuy = QStringLiteral("самовыкуп");
const QString kExpense = QStringLiteral("расход");

// Names are parsed by the thousand on every reload: cheap character checks first,
// the patterns only for parts that can match them.
bool startsWithDigit(const QString &part)
{
    return !part.isEmpty() && part.at(0).isDigit();
}

bool isNumberPart(const QString &part)
{
    static const QRegularExpression number(QStringLiteral("^\\d{3,12}(?:-\\d{1,4})?$"));
    return startsWithDigit(part) && number.match(part).hasMatch();
}

bool isProductionCodePart(const QString &part)
{
    const QString code = part.trimmed();
    return code.size() == 10 && (code.at(0) == u'P' || code.at(0) == u'p')
           && extractProductionCode(code) == code.toUpper();
}

// Parts that never belong to the article.
bool isNoise(const QString &part)
{
    static const QRegularExpression longNumber(QStringLiteral("^\\d{6,}$"));
    static const QRegularExpression numberRange(QStringLiteral("^[\\d-]*\\d-[\\d-]*$|^\\d+-\\d*$"));
    const QString lower = part.toLower();
    if (lower.isEmpty() || lower == u"row" || lower == kSelfbuy || lower == kExpense || lower == u"склад"
        || lower == u"печать" || lower == u"напечатано")
        return true;
    if (!startsWithDigit(part) && !part.startsWith(u'-'))
        return false;
    return longNumber.match(part).hasMatch() || numberRange.match(part).hasMatch();
}

} // namespace

bool isPrinted(const QString &fileName)
{
    return fileName.toLower().startsWith(QStringLiteral("напечатано"));
}

QString modeOf(const QString &fileName)
{
    const QString lower = fileName.toLower();
    if (lower.startsWith(kSelfbuy))
        return kSelfbuy;
    if (lower.startsWith(kExpense))
        return kExpense;
    return QStringLiteral("склад");
}

Parsed parseFileName(const QString &fileName)
{
    const QString base = QFileInfo(fileName).completeBaseName();
    const QStringList parts = base.split(u'_');
    int barcodeAt = -1;
    for (int i = 0; i + 1 < parts.size() && barcodeAt < 0; ++i) {
        if (parts.at(i).compare(QLatin1String("row"), Qt::CaseInsensitive) == 0 && isNumberPart(parts.at(i + 1)))
            barcodeAt = i + 1;
    }
    for (int i = 0; i < parts.size() && barcodeAt < 0; ++i) {
        if (isProductionCodePart(parts.at(i)))
            barcodeAt = i;
    }
    for (int i = int(parts.size()) - 1; i >= 0 && barcodeAt < 0; --i) {
        if (isNumberPart(parts.at(i)))
            barcodeAt = i;
    }

    Parsed parsed;
    parsed.barcode = barcodeAt >= 0 ? parts.at(barcodeAt).trimmed() : base;
    QStringList article;
    for (int i = 0; i < parts.size(); ++i) {
        if (i == barcodeAt || isNoise(parts.at(i).trimmed()))
            continue;
        article.append(parts.at(i).trimmed());
    }
    parsed.article = article.isEmpty() ? base : article.join(u'_');
    return parsed;
}

bool manualPrintAllowed(const QString &article)
{
    const QString text = article.trimmed();
    for (const QString &prefix : {QStringLiteral("К_"), QStringLiteral("K_"), QStringLiteral("ПОС_"),
                                  QStringLiteral("POS_"), QStringLiteral("КОМ_01"), QStringLiteral("KOM_01")}) {
        if (text.startsWith(prefix))
            return true;
    }
    return false;
}

QStringList codeVariants(const QString &raw)
{
    static const QRegularExpression legacy(QStringLiteral("^(\\d{3,})(?:[-_ ]+(\\d{1,2}))?$"));
    QStringList out;
    const auto add = [&out](const QString &code) {
        if (!code.isEmpty() && !out.contains(code))
            out.append(code);
    };
    const QString scan = raw.trimmed();
    add(scan);
    add(extractProductionCode(scan));
    const QRegularExpressionMatch match = legacy.match(scan);
    if (match.hasMatch())
        add(match.captured(1));
    return out;
}

QString labelOf(const WarehouseEntry &entry, bool yandexMarket)
{
    QString label = entry.article;
    for (const QString &part : {entry.sourceWarehouse, entry.sourceSection}) {
        if (!part.isEmpty())
            label += QStringLiteral(" · ") + part;
    }
    if (entry.selfbuy)
        label += QStringLiteral(" · САМОВЫКУП");
    else if (entry.mode == kExpense)
        label += QStringLiteral(" · РАСХОД");
    if (yandexMarket)
        label += QStringLiteral(" · ЯМ");
    return label;
}

} // namespace WarehouseNames
