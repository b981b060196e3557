#pragma once

#include <QByteArray>
#include <QString>

// The 58 × 40 mm marketplace sticker: title, Code 128 B barcode with its text, the SKU
// and, when given, the marketplace article.
struct SupplySticker
{
    QString title;        // marketplace title
    QString barcode;
    QString sku;
    QString articleLabel; // "Артикул WB" or "Артикул OZON"
    QString article;      // may be empty

    // The quiet zone on each side of the bars, in modules.
    static constexpr int kQuietModules = 10;

    // The widest module in whole 203 dpi printer dots with which the bars fit the
    // barcode area and their quiet zones the page; 0 when even one dot is too wide.
    static int moduleDots(const QString &barcode);
    // The PDF; empty when the barcode cannot be drawn or painting fails.
    QByteArray toPdf() const;
};
