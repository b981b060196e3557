#include "supplies/SupplySticker.h"

#include "common/LabelCanvas.h"
#include "supplies/Code128B.h"

namespace {

// Areas as fractions of the page width and height.
constexpr qreal kTitle[] = { 0.08, 0.02, 0.84, 0.07 };
constexpr qreal kBars[] = { 0.07, 0.12, 0.86, 0.38 };
constexpr qreal kBarText[] = { 0.07, 0.53, 0.86, 0.10 };
constexpr qreal kSku[] = { 0.08, 0.68, 0.84, 0.10 };
constexpr qreal kArticle[] = { 0.08, 0.79, 0.84, 0.08 };

QRectF areaOf(const qreal (&a)[4])
{
    return LabelCanvas::fraction(a[0], a[1], a[2], a[3]);
}

// Centred in the area, on a whole dot.
int symbolLeft(const QRect &area, int symbolDots)
{
    return area.left() + (area.width() - symbolDots) / 2;
}

} // namespace

int SupplySticker::moduleDots(const QString &barcode)
{
    const int modules = Code128B::moduleCount(barcode);
    if (modules == 0)
        return 0;
    // The bars fill at most the barcode area; the quiet zones may reach into the white
    // margins beside it, but not past the page.
    const QRect area = LabelCanvas::dotsInside(areaOf(kBars));
    const QRect page = LabelCanvas::dotsInside(LabelCanvas::page());
    for (int module = area.width() / modules; module >= 1; --module) {
        const int left = symbolLeft(area, module * modules);
        const int right = left + module * modules;
        if (left - kQuietModules * module >= page.left() && right + kQuietModules * module <= page.right() + 1)
            return module;
    }
    return 0;
}

QByteArray SupplySticker::toPdf() const
{
    const int module = moduleDots(barcode);
    if (module < 1)
        return {};
    LabelCanvas canvas;
    if (!canvas.begin())
        return {};

    const QRect area = LabelCanvas::dotsInside(areaOf(kBars));
    const int symbolDots = module * Code128B::moduleCount(barcode);
    int x = symbolLeft(area, symbolDots);
    bool bar = true;
    for (const int width : Code128B::moduleWidths(barcode)) {
        if (bar)
            canvas.fillDots(QRect(x, area.top(), width * module, area.height()));
        x += width * module;
        bar = !bar;
    }

    const int centred = Qt::AlignHCenter | Qt::AlignVCenter;
    canvas.drawFittedText(areaOf(kTitle), title,
                          LabelCanvas::labelFont(QStringLiteral("Segoe UI"), 9, QFont::Bold),
                          QColor(0x11, 0x11, 0x11), centred);
    canvas.drawFittedText(areaOf(kBarText), barcode,
                          LabelCanvas::labelFont(QStringLiteral("Segoe UI"), 10, QFont::Normal),
                          QColor(0x11, 0x11, 0x11), centred);
    canvas.drawFittedText(areaOf(kSku), QStringLiteral("SKU: %1").arg(sku),
                          LabelCanvas::labelFont(QStringLiteral("Segoe UI"), 10, QFont::Bold),
                          QColor(0x11, 0x11, 0x11), centred);
    if (!article.isEmpty()) {
        canvas.drawFittedText(areaOf(kArticle), QStringLiteral("%1: %2").arg(articleLabel, article),
                              LabelCanvas::labelFont(QStringLiteral("Segoe UI"), 9, QFont::Normal),
                              QColor(0x33, 0x33, 0x33), centred);
    }
    return canvas.finish();
}
