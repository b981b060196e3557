#pragma once

#include <QByteArray>
#include <QtGlobal>

// Where everything goes on a printable wallpaper strip at 150 dpi: 104 cm of the layout,
// 2 pixels of overlap on each side, 0.6 cm margins and a measuring ruler on the right.
namespace StripGeometry {

inline constexpr int kDpi = 150;
inline constexpr int kDotsPerMeter = 5906;
inline constexpr int kStripPixels = 6141;       // 104 cm
inline constexpr int kMargin = 35;              // 0.6 cm
inline constexpr int kOverlap = 2;
inline constexpr int kCanvasWidth = 2 * kMargin + 6149;
inline constexpr int kStripX = kMargin + 4;
inline constexpr int kRulerX = kMargin + 4 + 6143;
inline constexpr int kRulerTop = 2;
inline constexpr int kTickStep = 18;            // 3 mm, rounded up to whole pixels
inline constexpr double kTickPitch = 17.7165;   // 3 mm exactly
inline constexpr int kRulerGrey = 240;

// Whole strips of 104 cm in a layout this many pixels wide at 150 dpi.
int stripCount(int layoutWidth);

// Length of the ruler tick drawn on canvas row y of a strip as high as height;
// 0 where the row has no tick.
int tickLength(int y, int height);

// Builds the RGB rows of the strips of one layout: the fixed parts (white margins, ruler,
// ticks) come from row templates, so one canvas row costs a few copies.
class RowComposer
{
public:
    RowComposer(int layoutWidth, int height);

    int layoutWidth() const { return m_layoutWidth; }
    int height() const { return m_height; }
    static constexpr int rowBytes() { return kCanvasWidth * 3; }

    // Canvas row y of strip index (from 0) into out (rowBytes() bytes), from the layout's
    // row y as packed RGB (layoutWidth() × 3 bytes).
    void compose(const uchar *layoutRow, int index, int y, uchar *out) const;

private:
    const QByteArray &templateFor(int y) const;

    int m_layoutWidth;
    int m_height;
    QByteArray m_white;
    QByteArray m_ruler;
    QByteArray m_tickShort;
    QByteArray m_tickMiddle;
    QByteArray m_tickLong;
};

} // namespace StripGeometry
