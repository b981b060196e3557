#include "feeds/StripGeometry.h"

#include <QtMath>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace StripGeometry {

namespace {

constexpr int kTickShort = std::max(kMargin / 3, 1);
constexpr int kTickMiddle = std::max(kTickShort + 1, kMargin / 2);

QByteArray rulerRow(int tick)
{
    QByteArray row(RowComposer::rowBytes(), char(0xFF));
    std::memset(row.data() + kRulerX * 3, kRulerGrey, size_t(kMargin) * 3);
    std::memset(row.data() + kRulerX * 3, 0, size_t(tick) * 3);
    return row;
}

} // namespace

int stripCount(int layoutWidth)
{
    if (layoutWidth <= 0)
        return 0;
    return int(std::floor(double(layoutWidth) / kDpi * 2.54 / 104.0));
}

int tickLength(int y, int height)
{
    if (y < kRulerTop || y >= height - 2 || (y - kRulerTop) % kTickStep != 0)
        return 0;
    const int k = qRound((y - kRulerTop) / kTickPitch);
    if (k % 10 == 0)
        return kMargin;
    if (k % 5 == 0)
        return kTickMiddle;
    return kTickShort;
}

RowComposer::RowComposer(int layoutWidth, int height)
    : m_layoutWidth(layoutWidth)
    , m_height(height)
    , m_white(rowBytes(), char(0xFF))
    , m_ruler(rulerRow(0))
    , m_tickShort(rulerRow(kTickShort))
    , m_tickMiddle(rulerRow(kTickMiddle))
    , m_tickLong(rulerRow(kMargin))
{
}

const QByteArray &RowComposer::templateFor(int y) const
{
    if (y < kRulerTop || y >= m_height - 2)
        return m_white;
    switch (tickLength(y, m_height)) {
    case 0: return m_ruler;
    case kTickShort: return m_tickShort;
    case kTickMiddle: return m_tickMiddle;
    default: return m_tickLong;
    }
}

void RowComposer::compose(const uchar *layoutRow, int index, int y, uchar *out) const
{
    std::memcpy(out, templateFor(y).constData(), size_t(rowBytes()));
    const int start = index * kStripPixels;
    const int width = std::min(kStripPixels, m_layoutWidth - start);
    if (width <= 0)
        return;
    std::memcpy(out + kStripX * 3, layoutRow + size_t(start) * 3, size_t(width) * 3);
    if (start >= kOverlap)
        std::memcpy(out + (kStripX - kOverlap) * 3, layoutRow + size_t(start - kOverlap) * 3,
                    size_t(kOverlap) * 3);
    if (m_layoutWidth >= start + kStripPixels + kOverlap)
        std::memcpy(out + (kStripX + kStripPixels) * 3, layoutRow + size_t(start + kStripPixels) * 3,
                    size_t(kOverlap) * 3);
}

} // namespace StripGeometry
