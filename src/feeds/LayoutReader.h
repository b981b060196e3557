#pragma once

#include "feeds/TiffFile.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QVector>

#include <cstdint>

// Reads a layout row by row, top to bottom, as packed RGB on white. A TIFF in the usual
// orientation is streamed from the file (memory does not grow with its height); other
// formats and rotated TIFFs are decoded whole.
class LayoutReader
{
public:
    LayoutReader() = default;
    ~LayoutReader();
    LayoutReader(const LayoutReader &) = delete;
    LayoutReader &operator=(const LayoutReader &) = delete;

    // Reads the header: size (after orientation) and resolution. False with errorText().
    bool open(const QString &path);
    QSize size() const { return m_size; }
    // Dots per inch from the file, 0 when it names none.
    int dpi() const { return m_dpi; }
    // The next row (size().width() × 3 bytes). False with errorText() on a damaged file.
    bool readRow(uchar *rgb);
    QString errorText() const { return m_error; }
    // True while rows come straight from the file rather than from a decoded image.
    bool streams() const { return m_mode != Mode::Image; }

private:
    enum class Mode { None, Scanline, RgbaBands, Image };
    enum class Pixels { Rgb, RgbPadded, RgbAlpha, RgbPremultiplied, Gray, GrayAlpha, GrayInverted, Palette };

    bool openTiff(const QString &path, bool *fallBack);
    bool openImage(const QString &path);
    bool readBand();

    TiffFile m_tiff;
    Mode m_mode = Mode::None;
    Pixels m_pixels = Pixels::Rgb;
    QSize m_size;
    int m_dpi = 0;
    int m_row = 0;
    QString m_error;

    // Scanline mode
    QByteArray m_scanline;
    QVector<uchar> m_palette;   // 256 × RGB
    // Band mode (libtiff converts any layout it knows to RGBA)
    void *m_rgbaImage = nullptr;
    QVector<uint32_t> m_band;
    int m_bandFirst = 0;
    int m_bandRows = 0;
    int m_bandHeight = 0;
    // Image mode
    QImage m_image;
};
