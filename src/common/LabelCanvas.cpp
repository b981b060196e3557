#include "common/LabelCanvas.h"

#include "common/QrCode.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>

#include <cmath>

namespace {

constexpr qreal kFontStepPt = 0.25;
// Rounding of the layout must not count as overflow.
constexpr qreal kFitSlack = 0.01;

bool fits(const QRectF &need, const QRectF &room)
{
    return need.width() <= room.width() + kFitSlack && need.height() <= room.height() + kFitSlack;
}

} // namespace

LabelCanvas::LabelCanvas()
    : m_writer(&m_buffer)
{
    m_writer.setResolution(kResolution);
    m_writer.setCreator(QStringLiteral("VornClient"));
    m_writer.setPageLayout(QPageLayout(QPageSize(QSizeF(kWidthMm, kHeightMm), QPageSize::Millimeter,
                                                 QStringLiteral("Label 58x40"), QPageSize::ExactMatch),
                                       QPageLayout::Portrait, QMarginsF()));
}

bool LabelCanvas::begin()
{
    if (!m_buffer.open(QIODevice::WriteOnly) || !m_painter.begin(&m_writer))
        return false;
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.fillRect(page(), Qt::white);
    return true;
}

QByteArray LabelCanvas::finish()
{
    if (!m_painter.isActive() || !m_painter.end())
        return {};
    m_buffer.close();
    return m_buffer.data();
}

QRectF LabelCanvas::page()
{
    return mm(0, 0, kWidthMm, kHeightMm);
}

QRectF LabelCanvas::fraction(qreal x, qreal y, qreal w, qreal h)
{
    return mm(x * kWidthMm, y * kHeightMm, w * kWidthMm, h * kHeightMm);
}

QRectF LabelCanvas::mm(qreal x, qreal y, qreal w, qreal h)
{
    const qreal k = kResolution / 25.4;
    return QRectF(x * k, y * k, w * k, h * k);
}

QRect LabelCanvas::dotsInside(const QRectF &rect)
{
    const qreal k = unitsPerDot();
    // A tiny tolerance so an edge that lies on a dot by construction is not lost.
    const int left = int(std::ceil(rect.left() / k - 1e-6));
    const int top = int(std::ceil(rect.top() / k - 1e-6));
    const int right = int(std::floor(rect.right() / k + 1e-6));
    const int bottom = int(std::floor(rect.bottom() / k + 1e-6));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void LabelCanvas::fillDots(const QRect &dots, const QColor &color)
{
    const qreal k = unitsPerDot();
    m_painter.fillRect(QRectF(dots.x() * k, dots.y() * k, dots.width() * k, dots.height() * k), color);
}

QFont LabelCanvas::labelFont(const QString &family, qreal pointSize, QFont::Weight weight)
{
    QFont font(family);
    font.setStyleHint(family.contains(QLatin1String("Consolas"), Qt::CaseInsensitive)
                          ? QFont::TypeWriter
                          : QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setWeight(weight);
    return font;
}

qreal LabelCanvas::drawFittedText(const QRectF &rect, const QString &text, QFont font,
                                  const QColor &color, int flags)
{
    m_painter.save();
    m_painter.setPen(color);
    for (qreal pt = font.pointSizeF(); pt >= kMinFontPt; pt -= kFontStepPt) {
        font.setPointSizeF(pt);
        const QFontMetricsF metrics(font, &m_writer);
        if (fits(metrics.boundingRect(rect, flags, text), rect)) {
            m_painter.setFont(font);
            m_painter.drawText(rect, flags, text);
            m_painter.restore();
            return pt;
        }
    }
    font.setPointSizeF(kMinFontPt);
    const QFontMetricsF metrics(font, &m_writer);
    const QString line = metrics.elidedText(text.simplified(), Qt::ElideRight, rect.width());
    m_painter.setFont(font);
    m_painter.setClipRect(rect);
    m_painter.drawText(rect, flags & ~Qt::TextWordWrap, line);
    m_painter.restore();
    return kMinFontPt;
}

bool LabelCanvas::drawQr(const QrCode &code, const QRectF &rect)
{
    const QRect dots = dotsInside(rect);
    const int module = code.moduleUnitsFor(std::min(dots.width(), dots.height()));
    if (module < 1)
        return false;
    const int side = module * code.size();
    const int left = dots.left() + (dots.width() - side) / 2;
    const int top = dots.top() + (dots.height() - side) / 2;
    for (int y = 0; y < code.size(); ++y) {
        // Runs of dark modules in a row become one rectangle: fewer PDF operators.
        for (int x = 0; x < code.size();) {
            if (!code.isDark(x, y)) {
                ++x;
                continue;
            }
            int end = x;
            while (end < code.size() && code.isDark(end, y))
                ++end;
            fillDots(QRect(left + x * module, top + y * module, (end - x) * module, module));
            x = end;
        }
    }
    return true;
}
