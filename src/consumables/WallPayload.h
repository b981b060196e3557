#pragma once

#include <QJsonObject>
#include <QString>

#include <functional>

// The text of a wall QR code: "VORN_WALL:" and a JSON object naming one item of one
// consumable tab and the amount taken per scan. Scanners and phones hand it over in
// several shapes (prefix in any case, URL-encoded, JSON wrapped in other text).
namespace WallPayload {

inline constexpr char kPrefix[] = "VORN_WALL:";

// The JSON text of a scan: prefix cut (any case), then the part from the first "{" to
// the last "}"; percent-decoded first when only the decoded text holds braces. Other
// texts come back unchanged (trimmed).
QString extractJson(const QString &raw);

// The wall object of a scan with the keys the write-off reads (and "title_key",
// "type_en"); values containing "%" percent-decoded. Empty when the scan holds no object.
QJsonObject readObject(const QString &raw);

// True when the scan's object says kind "consumable_wall".
bool isConsumableWall(const QString &raw);

// What a wall write-off sends and what it names.
struct Writeoff
{
    QJsonObject payload;   // "raw" plus the wall keys, type and item written under every alias
    QString tabId;
    QString type;          // server type of the tab, may be empty
    QString item;          // item key, may be empty
    QString itemText;      // readable name from the QR, may be empty
    double amount = 0.0;   // 0 when the QR names none
};

// serverTypeOfTab gives the settings' server type of a tab (used when the QR has none).
Writeoff buildWriteoff(const QString &raw,
                       const std::function<QString(const QString &tabId)> &serverTypeOfTab);

} // namespace WallPayload
