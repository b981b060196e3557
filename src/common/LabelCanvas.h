#pragma once

#include <QBuffer>
#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QRect>
#include <QString>

class QrCode;

// One 58 × 40 mm label page of a PDF, painted at 300 dpi on white, kept in memory until
// finish() hands out the bytes (the caller writes them atomically). Bars and QR modules
// are laid on the 203 dpi grid of the workshop's thermal printers, counted from the
// page's top-left corner: a bar a fraction of a printer dot wide prints uneven.
class LabelCanvas
{
public:
    static constexpr qreal kWidthMm = 58.0;
    static constexpr qreal kHeightMm = 40.0;
    static constexpr int kResolution = 300;
    static constexpr int kPrinterDpi = 203;
    // Texts shrink down to this size before they are elided.
    static constexpr qreal kMinFontPt = 4.0;

    LabelCanvas();
    LabelCanvas(const LabelCanvas &) = delete;
    LabelCanvas &operator=(const LabelCanvas &) = delete;

    // False when the PDF device cannot be painted on.
    bool begin();
    // Ends painting; the PDF bytes, empty after a failure.
    QByteArray finish();

    QPainter &painter() { return m_painter; }
    // The page in device units (300 dpi).
    static QRectF page();
    // A rectangle given as fractions of the page width and height.
    static QRectF fraction(qreal x, qreal y, qreal w, qreal h);
    // A rectangle given in millimetres from the top-left corner.
    static QRectF mm(qreal x, qreal y, qreal w, qreal h);

    // The whole printer dots that lie inside a rectangle of device units.
    static QRect dotsInside(const QRectF &rect);
    static qreal unitsPerDot() { return qreal(kResolution) / kPrinterDpi; }
    void fillDots(const QRect &dots, const QColor &color = Qt::black);

    // "Segoe UI" or "Consolas" first; the font system supplies its fallback, and the
    // fit check measures that fallback on this very device.
    static QFont labelFont(const QString &family, qreal pointSize, QFont::Weight weight);
    // Draws the text inside rect with the given flags (Qt::TextWordWrap allowed): the
    // nominal size when it fits, else the largest smaller size that fits, else one elided
    // line at the smallest size. Returns the point size used.
    qreal drawFittedText(const QRectF &rect, const QString &text, QFont font, const QColor &color,
                         int flags);
    // The QR code centred in rect with its quiet zone, every module a whole number of
    // printer dots. False (nothing drawn) when the code is null or does not fit.
    bool drawQr(const QrCode &code, const QRectF &rect);

private:
    QBuffer m_buffer;
    QPdfWriter m_writer;
    QPainter m_painter;
};
