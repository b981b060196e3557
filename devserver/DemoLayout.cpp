#include "DemoLayout.h"

#include <QFile>

#include <tiffio.h>

#include <vector>

bool writeDemoLayout(const QString &path, int width, int height, bool compressed)
{
    // Past 4 GB only BigTIFF can hold it.
    const bool big = qint64(width) * height * 3 > 3900LL * 1024 * 1024;
    TIFF *tiff = TIFFOpen(QFile::encodeName(path).constData(), big ? "w8" : "w");
    if (!tiff)
        return false;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(height));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(3));
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, compressed ? COMPRESSION_ADOBE_DEFLATE : COMPRESSION_NONE);
    if (compressed)
        TIFFSetField(tiff, TIFFTAG_PREDICTOR, uint16_t(2));
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(16));
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 150.0f);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 150.0f);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    std::vector<uint8_t> row(size_t(width) * 3);
    bool ok = true;
    for (int y = 0; y < height && ok; ++y) {
        for (int x = 0; x < width; ++x) {
            // Peony-pink waves over a soft green, with a darker diamond lattice.
            const bool lattice = ((x + y) % 240 < 6) || ((x - y + 100000) % 240 < 6);
            row[size_t(x) * 3] = uint8_t(lattice ? 90 : 200 + (x / 37) % 55);
            row[size_t(x) * 3 + 1] = uint8_t(lattice ? 110 : 150 + (y * 80) / height);
            row[size_t(x) * 3 + 2] = uint8_t(lattice ? 100 : 160 + (x % 600) / 12);
        }
        ok = TIFFWriteScanline(tiff, row.data(), uint32_t(y), 0) == 1;
    }
    TIFFClose(tiff);
    return ok;
}
