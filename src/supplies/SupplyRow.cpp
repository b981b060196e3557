#include "supplies/SupplyRow.h"

#include <QRegularExpression>

namespace SupplyCodes {

QString normalizeBarcode(const QString &scan)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    static const QRegularExpression foreign(QStringLiteral("[^0-9A-Za-z_-]"));
    QString text = scan;
    text.remove(blanks);
    text.remove(foreign);
    text = text.trimmed();
    return text.size() < 8 ? QString() : text;
}

QString normalizeMarketplace(const QString &text)
{
    const QString key = text.trimmed().toLower();
    if (key == u"ozon" || key == u"o3" || key == u"озон")
        return QStringLiteral("ozon");
    return QStringLiteral("wb");
}

QString marketplaceTitle(const QString &marketplace)
{
    return marketplace == u"ozon" ? QStringLiteral("OZON") : QStringLiteral("WB");
}

} // namespace SupplyCodes

namespace SupplyCsv {

QByteArray bytes(const QList<SupplyRow> &rows)
{
    QByteArray out("\xEF\xBB\xBF");
    out += QStringLiteral("маркетплейс;баркод;количество\n").toUtf8();
    for (const SupplyRow &row : rows) {
        out += SupplyCodes::marketplaceTitle(row.marketplace).toUtf8();
        out += ";=\"";
        out += row.barcode.toUtf8();
        out += "\";";
        out += QByteArray::number(row.qty);
        out += '\n';
    }
    return out;
}

} // namespace SupplyCsv
