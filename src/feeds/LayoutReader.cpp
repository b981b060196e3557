#include "feeds/LayoutReader.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QtMath>

#include <tiffio.h>

#include <algorithm>
#include <cstring>

namespace {

// Dots per metre as an image keeps them, then dots per inch rounded.
int dpiFromTiff(TIFF *tiff)
{
    float resolution = 0;
    uint16_t unit = RESUNIT_INCH;
    if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &resolution) != 1 || resolution <= 0)
        return 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    double perMetre = 0;
    if (unit == RESUNIT_INCH)
        perMetre = resolution / 0.0254;
    else if (unit == RESUNIT_CENTIMETER)
        perMetre = resolution * 100.0;
    else
        return 0;
    return qRound(qRound(perMetre) * 0.0254);
}

inline uchar overWhite(int colour, int alpha)
{
    return uchar((colour * alpha + 255 * (255 - alpha) + 127) / 255);
}

inline uchar premultipliedOverWhite(int colour, int alpha)
{
    return uchar(std::min(255, colour + 255 - alpha));
}

} // namespace

LayoutReader::~LayoutReader()
{
    if (m_rgbaImage) {
        TIFFRGBAImageEnd(static_cast<TIFFRGBAImage *>(m_rgbaImage));
        delete static_cast<TIFFRGBAImage *>(m_rgbaImage);
    }
}

bool LayoutReader::open(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("tif") || suffix == QLatin1String("tiff")) {
        bool fallBack = false;
        if (openTiff(path, &fallBack))
            return true;
        if (!fallBack)
            return false;
        m_tiff.close();
    }
    return openImage(path);
}

bool LayoutReader::openTiff(const QString &path, bool *fallBack)
{
    if (!m_tiff.open(path, "r")) {
        m_error = m_tiff.errorText();
        return false;
    }
    TIFF *tiff = m_tiff.handle();
    uint32_t width = 0, height = 0;
    uint16_t bits = 0, samples = 0, photometric = 0, planar = PLANARCONFIG_CONTIG;
    uint16_t orientation = ORIENTATION_TOPLEFT, compression = COMPRESSION_NONE;
    if (TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) != 1
        || TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height) != 1 || width == 0 || height == 0
        || width > uint32_t(INT_MAX / 4) || height > uint32_t(INT_MAX)) {
        m_error = QStringLiteral("нет размеров изображения");
        return false;
    }
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    if (TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) != 1)
        photometric = samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    m_dpi = dpiFromTiff(tiff);

    // Rotated layouts are rare; the image decoder turns them upright.
    if (orientation != ORIENTATION_TOPLEFT) {
        *fallBack = true;
        return false;
    }
    m_size = QSize(int(width), int(height));

    if (photometric == PHOTOMETRIC_YCBCR && compression == COMPRESSION_JPEG) {
        TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        photometric = PHOTOMETRIC_RGB;
    }
    uint16_t extraCount = 0;
    uint16_t *extraKinds = nullptr;
    TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds);
    const uint16_t extra = extraCount > 0 && extraKinds ? extraKinds[0] : EXTRASAMPLE_UNSPECIFIED;

    bool scanline = !TIFFIsTiled(tiff) && bits == 8 && (planar == PLANARCONFIG_CONTIG || samples == 1);
    if (scanline) {
        if (photometric == PHOTOMETRIC_RGB && samples == 3)
            m_pixels = Pixels::Rgb;
        else if (photometric == PHOTOMETRIC_RGB && samples == 4)
            m_pixels = extra == EXTRASAMPLE_ASSOCALPHA ? Pixels::RgbPremultiplied
                       : extra == EXTRASAMPLE_UNASSALPHA ? Pixels::RgbAlpha : Pixels::RgbPadded;
        else if (photometric == PHOTOMETRIC_MINISBLACK && samples == 1)
            m_pixels = Pixels::Gray;
        else if (photometric == PHOTOMETRIC_MINISWHITE && samples == 1)
            m_pixels = Pixels::GrayInverted;
        else if (photometric == PHOTOMETRIC_MINISBLACK && samples == 2 && extra == EXTRASAMPLE_UNASSALPHA)
            m_pixels = Pixels::GrayAlpha;
        else if (photometric == PHOTOMETRIC_PALETTE && samples == 1) {
            uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
            scanline = TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue) == 1;
            if (scanline) {
                m_pixels = Pixels::Palette;
                m_palette.resize(256 * 3);
                for (int i = 0; i < 256; ++i) {
                    m_palette[i * 3] = uchar(red[i] >> 8);
                    m_palette[i * 3 + 1] = uchar(green[i] >> 8);
                    m_palette[i * 3 + 2] = uchar(blue[i] >> 8);
                }
            }
        } else {
            scanline = false;
        }
    }
    if (scanline) {
        m_mode = Mode::Scanline;
        m_scanline.resize(TIFFScanlineSize64(tiff));
        return true;
    }

    // 16-bit, CMYK, tiles, separate planes and the rest: libtiff's RGBA conversion, in bands.
    char message[1024] = {};
    if (!TIFFRGBAImageOK(tiff, message)) {
        m_error = QString::fromUtf8(message);
        return false;
    }
    auto *image = new TIFFRGBAImage;
    if (!TIFFRGBAImageBegin(image, tiff, 0, message)) {
        delete image;
        m_error = QString::fromUtf8(message);
        return false;
    }
    image->req_orientation = ORIENTATION_TOPLEFT;
    m_rgbaImage = image;
    uint32_t unitRows = 0;
    if (TIFFIsTiled(tiff))
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &unitRows);
    else
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &unitRows);
    m_bandHeight = int(std::clamp<uint32_t>(unitRows, 16, 256));
    m_band.resize(qsizetype(m_size.width()) * m_bandHeight);
    m_mode = Mode::RgbaBands;
    return true;
}

bool LayoutReader::openImage(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize size = reader.size();
    if (!size.isValid()) {
        m_error = reader.errorString();
        return false;
    }
    if (reader.transformation() & QImageIOHandler::TransformationRotate90)
        size.transpose();
    // Layouts are far larger than the reader's default allowance; raise it for them only.
    const qint64 megabytes = qint64(size.width()) * size.height() * 4 / (1024 * 1024) + 1;
    if (QImageReader::allocationLimit() > 0 && QImageReader::allocationLimit() < megabytes)
        QImageReader::setAllocationLimit(int(std::min<qint64>(megabytes, INT_MAX)));
    if (!reader.read(&m_image)) {
        m_error = reader.errorString();
        return false;
    }
    const int perMetre = m_image.dotsPerMeterX();
    // An image that names no resolution keeps the toolkit's default, which says nothing.
    m_dpi = perMetre == QImage(1, 1, QImage::Format_RGB32).dotsPerMeterX() ? 0 : qRound(perMetre * 0.0254);
    if (m_image.hasAlphaChannel()) {
        QImage onWhite(m_image.size(), QImage::Format_RGB888);
        onWhite.fill(Qt::white);
        QPainter painter(&onWhite);
        painter.drawImage(0, 0, m_image);
        painter.end();
        m_image = onWhite;
    } else {
        m_image.convertTo(QImage::Format_RGB888);
    }
    m_size = m_image.size();
    m_mode = Mode::Image;
    return true;
}

bool LayoutReader::readBand()
{
    auto *image = static_cast<TIFFRGBAImage *>(m_rgbaImage);
    m_bandFirst = m_row;
    m_bandRows = std::min(m_bandHeight, m_size.height() - m_row);
    image->row_offset = m_bandFirst;
    image->col_offset = 0;
    if (!TIFFRGBAImageGet(image, m_band.data(), uint32_t(m_size.width()), uint32_t(m_bandRows))) {
        m_error = m_tiff.errorText();
        return false;
    }
    return true;
}

bool LayoutReader::readRow(uchar *rgb)
{
    if (m_row >= m_size.height()) {
        m_error = QStringLiteral("строки макета кончились");
        return false;
    }
    const int width = m_size.width();
    switch (m_mode) {
    case Mode::None:
        return false;
    case Mode::Image:
        std::memcpy(rgb, m_image.constScanLine(m_row), size_t(width) * 3);
        break;
    case Mode::RgbaBands: {
        if (m_row >= m_bandFirst + m_bandRows && !readBand())
            return false;
        // The RGBA raster is filled bottom-up: its first row is the band's last.
        const uint32_t *source = m_band.constData() + qsizetype(m_bandRows - 1 - (m_row - m_bandFirst)) * width;
        for (int x = 0; x < width; ++x) {
            const uint32_t p = source[x];
            const int alpha = int(TIFFGetA(p));
            rgb[x * 3] = premultipliedOverWhite(int(TIFFGetR(p)), alpha);
            rgb[x * 3 + 1] = premultipliedOverWhite(int(TIFFGetG(p)), alpha);
            rgb[x * 3 + 2] = premultipliedOverWhite(int(TIFFGetB(p)), alpha);
        }
        break;
    }
    case Mode::Scanline: {
        if (TIFFReadScanline(m_tiff.handle(), m_scanline.data(), uint32_t(m_row), 0) != 1) {
            m_error = m_tiff.errorText();
            return false;
        }
        const auto *in = reinterpret_cast<const uchar *>(m_scanline.constData());
        switch (m_pixels) {
        case Pixels::Rgb:
            std::memcpy(rgb, in, size_t(width) * 3);
            break;
        case Pixels::RgbPadded:
            for (int x = 0; x < width; ++x)
                std::memcpy(rgb + x * 3, in + x * 4, 3);
            break;
        case Pixels::RgbAlpha:
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c)
                    rgb[x * 3 + c] = overWhite(in[x * 4 + c], in[x * 4 + 3]);
            break;
        case Pixels::RgbPremultiplied:
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c)
                    rgb[x * 3 + c] = premultipliedOverWhite(in[x * 4 + c], in[x * 4 + 3]);
            break;
        case Pixels::Gray:
        case Pixels::GrayInverted:
            for (int x = 0; x < width; ++x) {
                const uchar v = m_pixels == Pixels::Gray ? in[x] : uchar(255 - in[x]);
                rgb[x * 3] = rgb[x * 3 + 1] = rgb[x * 3 + 2] = v;
            }
            break;
        case Pixels::GrayAlpha:
            for (int x = 0; x < width; ++x)
                rgb[x * 3] = rgb[x * 3 + 1] = rgb[x * 3 + 2] = overWhite(in[x * 2], in[x * 2 + 1]);
            break;
        case Pixels::Palette:
            for (int x = 0; x < width; ++x)
                std::memcpy(rgb + x * 3, m_palette.constData() + in[x] * 3, 3);
            break;
        }
        break;
    }
    }
    ++m_row;
    return true;
}
