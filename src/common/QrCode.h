#pragma once

#include <QByteArray>
#include <QImage>
#include <QVector>

// A QR code made on this machine (libqrencode), so documents are complete offline.
// The payload is encoded as bytes (UTF-8 text stays byte for byte what was given).
class QrCode
{
public:
    // The standard quiet zone around the symbol, in modules.
    static constexpr int kQuietModules = 4;

    // Level M, or level L when M cannot hold the payload; a null code when no QR
    // version can hold it (or the payload is empty).
    static QrCode encode(const QByteArray &payload);

    bool isNull() const { return m_size == 0; }
    // Modules per side without the quiet zone.
    int size() const { return m_size; }
    bool isDark(int x, int y) const { return m_modules.at(y * m_size + x); }

    // A square picture of the given side in pixels, white background, the quiet zone
    // included, every module a whole number of pixels and the symbol centred. Null when
    // the code is null or the side is too small for one pixel a module.
    QImage toImage(int pixels) const;
    // The widest whole number of units per module for a square side of `units`
    // with the quiet zone; 0 when even one does not fit.
    int moduleUnitsFor(int units) const;

private:
    int m_size = 0;
    QVector<bool> m_modules;
};
