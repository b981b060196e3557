#include "tools/WorkstationLabels.h"

#include "common/LabelCanvas.h"
#include "common/QrCode.h"

#include <algorithm>
#include <functional>

namespace {

constexpr qreal kMarginMm = 1.0;
// The picture never takes more than the label's height less the margins.
constexpr qreal kMaxQrMm = LabelCanvas::kHeightMm - 2 * kMarginMm;

const QColor kInk111(0x11, 0x11, 0x11);
const QColor kInk222(0x22, 0x22, 0x22);
const QColor kInk333(0x33, 0x33, 0x33);
const QColor kInk444(0x44, 0x44, 0x44);
const QColor kInk555(0x55, 0x55, 0x55);
const QColor kInk666(0x66, 0x66, 0x66);

QString segoe() { return QStringLiteral("Segoe UI"); }

// The QR slot at the left edge, vertically centred.
QRectF qrSlot(int pixels)
{
    const qreal side = std::min(pixels * 25.4 / LabelCanvas::kResolution, kMaxQrMm);
    return LabelCanvas::mm(kMarginMm, (LabelCanvas::kHeightMm - side) / 2, side, side);
}

// The column right of the QR slot, from top to bottom (millimetres).
QRectF column(const QRectF &slot, qreal topMm, qreal heightMm)
{
    const qreal mmPerUnit = 25.4 / LabelCanvas::kResolution;
    const qreal left = slot.right() * mmPerUnit + kMarginMm;
    return LabelCanvas::mm(left, topMm, LabelCanvas::kWidthMm - left - kMarginMm, heightMm);
}

// Draws the QR or, when the payload fits no QR version, the caption in its place.
bool drawQrOrCaption(LabelCanvas &canvas, const QString &payload, const QRectF &slot)
{
    const QrCode code = QrCode::encode(payload.toUtf8());
    if (canvas.drawQr(code, slot))
        return true;
    canvas.drawFittedText(slot, QStringLiteral("QR payload"),
                          LabelCanvas::labelFont(segoe(), 8, QFont::DemiBold), kInk666,
                          Qt::AlignCenter);
    return false;
}

constexpr int kWrapLeft = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;

// One label: the QR (or its caption) in the left slot, then the texts beside it.
WorkstationLabels::Result paintLabel(int qrPixels, const QString &payload,
                                     const std::function<void(LabelCanvas &, const QRectF &slot)> &texts)
{
    WorkstationLabels::Result result;
    LabelCanvas canvas;
    if (!canvas.begin())
        return result;
    const QRectF slot = qrSlot(qrPixels);
    result.withQr = drawQrOrCaption(canvas, payload, slot);
    texts(canvas, slot);
    result.pdf = canvas.finish();
    return result;
}

} // namespace

WorkstationLabels::Result WorkstationLabels::badge(const QString &name, const QString &role,
                                                   const QString &employeeId, const QString &payload)
{
    return paintLabel(kBadgeQrPixels, payload, [&](LabelCanvas &canvas, const QRectF &slot) {
        canvas.drawFittedText(column(slot, 2, 15), name, LabelCanvas::labelFont(segoe(), 12, QFont::Bold),
                              kInk111, kWrapLeft);
        canvas.drawFittedText(column(slot, 18, 8), role, LabelCanvas::labelFont(segoe(), 8, QFont::DemiBold),
                              kInk333, kWrapLeft);
        canvas.drawFittedText(column(slot, 27, 11), QStringLiteral("ID: %1\nПерсональный QR").arg(employeeId),
                              LabelCanvas::labelFont(segoe(), 7, QFont::Normal), kInk555, kWrapLeft);
    });
}

WorkstationLabels::Result WorkstationLabels::cutter(const QString &title, const QString &payload)
{
    return paintLabel(kCutterQrPixels, payload, [&](LabelCanvas &canvas, const QRectF &slot) {
        canvas.drawFittedText(column(slot, 2, 8), title, LabelCanvas::labelFont(segoe(), 12, QFont::Bold),
                              kInk111, kWrapLeft);
        canvas.drawFittedText(column(slot, 10.5, 4), QStringLiteral("QR"),
                              LabelCanvas::labelFont(segoe(), 8, QFont::Bold), kInk222, kWrapLeft);
        canvas.drawFittedText(column(slot, 15, 14), QStringLiteral("Сначала скан резака, потом QR сотрудника"),
                              LabelCanvas::labelFont(segoe(), 8, QFont::DemiBold), kInk444, kWrapLeft);
        canvas.drawFittedText(column(slot, 30, 8), payload,
                              LabelCanvas::labelFont(QStringLiteral("Consolas"), 7, QFont::Normal), kInk555,
                              Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWrapAnywhere);
    });
}

WorkstationLabels::Result WorkstationLabels::wall(const QString &name, const QString &headline,
                                                  const QString &footer, const QString &payload)
{
    return paintLabel(kWallQrPixels, payload, [&](LabelCanvas &canvas, const QRectF &slot) {
        canvas.drawFittedText(column(slot, 2, 7), headline.isEmpty() ? QStringLiteral("QR расходника") : headline,
                              LabelCanvas::labelFont(segoe(), 10, QFont::Normal), kInk555, kWrapLeft);
        canvas.drawFittedText(column(slot, 10, 18), name, LabelCanvas::labelFont(segoe(), 11, QFont::Bold),
                              kInk111, kWrapLeft);
        canvas.drawFittedText(column(slot, 29, 9), footer, LabelCanvas::labelFont(segoe(), 10, QFont::Normal),
                              kInk333, kWrapLeft);
    });
}
