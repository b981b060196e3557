#pragma once

// Test layouts: RGB TIFFs written with libtiff at a chosen resolution, and the strips a
// plain QImage/QPainter cut of them gives.

#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QString>

#include <tiffio.h>

// Every pixel differs from its neighbours, so a strip shifted by one pixel cannot pass.
inline QImage makeLayoutImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar *row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            row[x * 3] = uchar((x * 7 + y * 3) & 0xFF);
            row[x * 3 + 1] = uchar((x * 13 + y * 11) >> 2 & 0xFF);
            row[x * 3 + 2] = uchar((x ^ (y * 5)) & 0xFF);
        }
    }
    return image;
}

inline bool writeLayoutTiff(const QString &path, const QImage &rgb, float dpi, bool deflate = false)
{
    TIFF *tiff = TIFFOpen(QFile::encodeName(path).constData(), "w");
    if (!tiff)
        return false;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(rgb.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(rgb.height()));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(3));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, deflate ? COMPRESSION_ADOBE_DEFLATE : COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(8));
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, dpi);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, dpi);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    bool ok = true;
    for (int y = 0; y < rgb.height() && ok; ++y)
        ok = TIFFWriteScanline(tiff, const_cast<uchar *>(rgb.constScanLine(y)), uint32_t(y), 0) == 1;
    TIFFClose(tiff);
    return ok;
}

// Strip index (from 0) of a 150 dpi layout, cut the plain way: a white canvas 0.6 cm margins
// wide on each side, the 104 cm piece with 2 pixels of overlap either side, and the ruler.
inline QImage referenceStrip(const QImage &layout, int index)
{
    const int margin = 35;                 // 0.6 cm at 150 dpi
    const int piece = 6141;                // 104 cm at 150 dpi
    const int height = layout.height();
    QImage out(2 * margin + 6149, height, QImage::Format_RGB888);
    out.fill(Qt::white);
    QPainter painter(&out);
    const int start = index * piece;
    const int x = margin + 4;
    painter.drawImage(x, 0, layout, start, 0, qMin(piece, layout.width() - start), height);
    if (start >= 2)
        painter.drawImage(x - 2, 0, layout, start - 2, 0, 2, height);
    if (layout.width() >= start + piece + 2)
        painter.drawImage(x + piece, 0, layout, start + piece, 0, 2, height);
    const int ruler = x + piece + 2;
    painter.fillRect(QRect(ruler, 2, margin, height - 4), QColor(240, 240, 240));
    for (int y = 2; y < height - 2; y += 18) {
        const int tick = qRound((y - 2) / 17.7165);
        const int shortTick = qMax(margin / 3, 1);
        const int length = tick % 10 == 0 ? margin : tick % 5 == 0 ? qMax(shortTick + 1, margin / 2) : shortTick;
        painter.fillRect(QRect(ruler, y, length, 1), Qt::black);
    }
    painter.end();
    return out;
}
