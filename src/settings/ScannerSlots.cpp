#include "settings/ScannerSlots.h"

#include "common/JsonRead.h"
#include "common/NumberClamp.h"

#include <QJsonObject>

QVariantMap ScannerSlots::makeSlot(int number, const QString &port, int baudRate)
{
    return {
        {QStringLiteral("index"), number},
        {QStringLiteral("name"), QStringLiteral("Сканер %1").arg(number)},
        {QStringLiteral("port"), port.trimmed()},
        {QStringLiteral("baudRate"), normalizeBaud(baudRate)},
    };
}

int ScannerSlots::baudFrom(const QVariant &value)
{
    // No serial line runs faster; anything beyond (1e300 in a file) counts as unset.
    constexpr int kMaxBaud = 4000000;
    const int baud = clampToInt(variantToNumber(value, 9600), 0, kMaxBaud + 1);
    return baud > kMaxBaud ? 9600 : normalizeBaud(baud);
}

QVariantList ScannerSlots::fromJson(const QJsonArray &array)
{
    QVariantList out;
    for (const QJsonValue &value : array) {
        if (value.isObject())
            out.append(value.toObject().toVariantMap());
    }
    return out;
}

void ScannerSlots::normalize(SettingsState &state)
{
    QVariantList rows;
    for (const QVariant &raw : std::as_const(state.scannerPorts)) {
        if (rows.size() >= kMaxSlots)
            break;
        const QVariantMap map = raw.toMap();
        const QString port = variantFirstText(map, {"port", "portName"});
        const int baud = baudFrom(variantFirstValue(map, {"baudRate", "baud_rate", "baud"}));
        rows.append(makeSlot(int(rows.size()) + 1, port, baud));
    }
    while (rows.size() < kMinSlots) {
        if (rows.isEmpty())
            rows.append(makeSlot(1, state.comPort, state.comBaudRate));
        else
            rows.append(makeSlot(2, state.comPort2, state.comBaudRate2));
    }
    auto takeMirror = [&rows](int row, const QString &port, int baud) {
        QVariantMap slot = rows.at(row).toMap();
        if (!port.trimmed().isEmpty() && slot.value(QStringLiteral("port")).toString().isEmpty()) {
            slot.insert(QStringLiteral("port"), port.trimmed());
            slot.insert(QStringLiteral("baudRate"), normalizeBaud(baud));
            rows[row] = slot;
        }
    };
    takeMirror(0, state.comPort, state.comBaudRate);
    takeMirror(1, state.comPort2, state.comBaudRate2);
    state.scannerPorts = rows;
    syncMirrorsFromSlots(state);
}

void ScannerSlots::syncMirrorsFromSlots(SettingsState &state)
{
    const QVariantMap first = state.scannerPorts.value(0).toMap();
    const QVariantMap second = state.scannerPorts.value(1).toMap();
    state.comPort = first.value(QStringLiteral("port")).toString();
    state.comBaudRate = baudFrom(first.value(QStringLiteral("baudRate")));
    state.comPort2 = second.value(QStringLiteral("port")).toString();
    state.comBaudRate2 = baudFrom(second.value(QStringLiteral("baudRate")));
}

QString ScannerSlots::port(const SettingsState &state, int number)
{
    if (number < 1 || number > state.scannerPorts.size())
        return {};
    return state.scannerPorts.at(number - 1).toMap().value(QStringLiteral("port")).toString();
}

int ScannerSlots::baudRate(const SettingsState &state, int number)
{
    if (number < 1 || number > state.scannerPorts.size())
        return 0;
    return baudFrom(state.scannerPorts.at(number - 1).toMap().value(QStringLiteral("baudRate")));
}

void ScannerSlots::growTo(SettingsState &state, int count)
{
    while (state.scannerPorts.size() < count)
        state.scannerPorts.append(makeSlot(int(state.scannerPorts.size()) + 1, QString(), 9600));
}

void ScannerSlots::setPort(SettingsState &state, int number, const QString &port)
{
    if (number < 1 || number > kMaxSlots)
        return;
    growTo(state, number);
    QVariantMap slot = state.scannerPorts.at(number - 1).toMap();
    slot.insert(QStringLiteral("port"), port.trimmed());
    state.scannerPorts[number - 1] = slot;
    syncMirrorsFromSlots(state);
    normalize(state);
}

void ScannerSlots::setBaudRate(SettingsState &state, int number, int baudRate)
{
    if (number < 1 || number > kMaxSlots)
        return;
    growTo(state, number);
    QVariantMap slot = state.scannerPorts.at(number - 1).toMap();
    slot.insert(QStringLiteral("baudRate"), normalizeBaud(baudRate));
    state.scannerPorts[number - 1] = slot;
    syncMirrorsFromSlots(state);
    normalize(state);
}

void ScannerSlots::addSlot(SettingsState &state)
{
    if (state.scannerPorts.size() >= kMaxSlots)
        return;
    growTo(state, int(state.scannerPorts.size()) + 1);
    normalize(state);
}

void ScannerSlots::removeSlot(SettingsState &state, int number)
{
    if (number < 1 || number > state.scannerPorts.size())
        return;
    if (number >= 3) {
        state.scannerPorts.removeAt(number - 1);
    } else {
        // The first two rows always exist; removing one only frees its port.
        QVariantMap slot = state.scannerPorts.at(number - 1).toMap();
        slot.insert(QStringLiteral("port"), QString());
        state.scannerPorts[number - 1] = slot;
    }
    syncMirrorsFromSlots(state);
    normalize(state);
}

void ScannerSlots::mirrorIntoSlots(SettingsState &state)
{
    growTo(state, kMinSlots);
    state.scannerPorts[0] = makeSlot(1, state.comPort, state.comBaudRate);
    state.scannerPorts[1] = makeSlot(2, state.comPort2, state.comBaudRate2);
    normalize(state);
}
