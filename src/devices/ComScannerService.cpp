#include "devices/ComScannerService.h"

#include "common/Journal.h"
#include "devices/ComScannerPortWorker.h"
#include "settings/AppSettings.h"

namespace {
// A scanner that fires twice for one trigger pull sends the same text right away.
constexpr qint64 kBounceMs = 400;

int clampedSlot(int slot)
{
    return qMax(1, slot);
}
} // namespace

ComScannerService::ComScannerService(AppSettings *settings, Journal *eventLog, int slot,
                                     SerialPortWatcher *ports, QObject *parent)
    : ComScannerService(settings, eventLog, slot, ports, SerialTimings(), parent)
{
}

ComScannerService::ComScannerService(AppSettings *settings, Journal *eventLog, int slot,
                                     SerialPortWatcher *ports, const SerialTimings &timings,
                                     QObject *parent)
    : SerialDeviceService(
        {QStringLiteral("Сканер %1").arg(clampedSlot(slot)),
         QStringLiteral("ComScannerService-%1").arg(clampedSlot(slot)),
         [settings, slot = clampedSlot(slot)] { return settings ? settings->scannerPort(slot) : QString(); },
         [settings, slot = clampedSlot(slot)] { return settings ? settings->scannerBaudRate(slot) : 0; },
         kBounceMs, true, true},
        eventLog, ports, timings, new ComScannerPortWorker(timings.idleFlushMs, clockOf(timings)),
        parent)
    , m_slot(clampedSlot(slot))
{
}

void ComScannerService::acceptLine(const QString &text)
{
    m_lastScan = text;
    Q_EMIT changed();

    // Card numbers typed by a scanner are staff data: routed, but kept out of the journal.
    const bool cardText = text.startsWith(QLatin1String("RFID:"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("TAG:"), Qt::CaseInsensitive);
    if (journal() && !cardText) {
        const QString prefix = m_slot == 1 ? QStringLiteral("Скан")
                                           : QStringLiteral("Скан %1").arg(m_slot);
        journal()->addInfo(QStringLiteral("%1: %2").arg(prefix, text));
    }
    Q_EMIT scanReceived(text);
}
