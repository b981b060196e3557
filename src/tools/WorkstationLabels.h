#pragma once

#include <QByteArray>
#include <QString>

// The small 58 × 40 mm documents of the workstation: employee badge, cutter QR label and
// consumable wall (or material roll) QR label. The QR is made locally; a payload that no
// QR version holds gives the label without the picture.
namespace WorkstationLabels {

// Side of the QR picture in pixels at 300 dpi: the badge and the wall label, the cutter.
constexpr int kBadgeQrPixels = 420;
constexpr int kWallQrPixels = 420;
constexpr int kCutterQrPixels = 480;

struct Result
{
    QByteArray pdf;      // empty when painting failed
    bool withQr = false; // false: made without the picture (the payload does not fit a QR)
};

Result badge(const QString &name, const QString &role, const QString &employeeId, const QString &payload);
Result cutter(const QString &title, const QString &payload);
// headline: the small line above ("QR расходника" when empty); footer: the line below.
Result wall(const QString &name, const QString &headline, const QString &footer, const QString &payload);

} // namespace WorkstationLabels
