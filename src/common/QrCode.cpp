#include "common/QrCode.h"

#include <QPainter>

#include <cerrno>
#include <qrencode.h>

namespace {

QRcode *encodeAt(const QByteArray &payload, QRecLevel level)
{
    return QRcode_encodeData(int(payload.size()),
                             reinterpret_cast<const unsigned char *>(payload.constData()), 0, level);
}

} // namespace

QrCode QrCode::encode(const QByteArray &payload)
{
    QrCode code;
    if (payload.isEmpty())
        return code;
    QRcode *raw = encodeAt(payload, QR_ECLEVEL_M);
    if (!raw && errno == ERANGE)
        raw = encodeAt(payload, QR_ECLEVEL_L);
    if (!raw)
        return code;
    code.m_size = raw->width;
    code.m_modules.resize(raw->width * raw->width);
    for (int i = 0; i < raw->width * raw->width; ++i)
        code.m_modules[i] = (raw->data[i] & 1) != 0;
    QRcode_free(raw);
    return code;
}

int QrCode::moduleUnitsFor(int units) const
{
    if (isNull())
        return 0;
    return units / (m_size + 2 * kQuietModules);
}

QImage QrCode::toImage(int pixels) const
{
    const int module = moduleUnitsFor(pixels);
    if (module < 1)
        return {};
    QImage image(pixels, pixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    const int offset = (pixels - module * m_size) / 2;
    QPainter painter(&image);
    for (int y = 0; y < m_size; ++y) {
        for (int x = 0; x < m_size; ++x) {
            if (isDark(x, y))
                painter.fillRect(offset + x * module, offset + y * module, module, module, Qt::black);
        }
    }
    return image;
}
