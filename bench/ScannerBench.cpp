// Scanner path figures, run by hand:
//   1. latency from the last byte of a terminated scan written into the pty to
//      scanReceived on the main thread (median and p99 over 1000 scans);
//   2. resident memory of this process during a 30 s flood at full pty speed
//      (15 s of noise without line ends, 15 s of endless lines) and after it.
#include "BenchPty.h"

#include "app/EventLogModel.h"
#include "devices/ComScannerService.h"
#include "devices/SerialPortWatcher.h"
#include "settings/AppSettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

long rssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

bool waitFor(ComScannerService &scanner, int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    QObject::connect(&scanner, &ComScannerService::changed, &loop, [&] {
        if (scanner.connected())
            loop.quit();
    });
    if (!scanner.connected())
        loop.exec();
    return scanner.connected();
}

void measureLatency(ComScannerService &scanner, const Pty &pty)
{
    constexpr int kScans = 1000;
    std::vector<qint64> latenciesUs;
    latenciesUs.reserve(kScans);
    QElapsedTimer clock;
    clock.start();
    qint64 writtenAtNs = 0;
    QEventLoop loop;
    QTimer giveUp; // one timer, restarted per scan, so no stale time-out ends a later wait
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto connection = QObject::connect(&scanner, &ComScannerService::scanReceived, &loop, [&] {
        latenciesUs.push_back((clock.nsecsElapsed() - writtenAtNs) / 1000);
        loop.quit();
    });
    for (int i = 0; i < kScans; ++i) {
        // Distinct texts: the bounce guard must not swallow any of them.
        const QByteArray scan = "P01" + QByteArray::number(1000000 + i) + "\r\n";
        if (::write(pty.master, scan.constData(), size_t(scan.size())) != scan.size())
            break;
        writtenAtNs = clock.nsecsElapsed();
        giveUp.start(2000);
        loop.exec();
        giveUp.stop();
        // Stay under the 80-lines-per-second guard of the slot.
        QThread::msleep(13);
    }
    QObject::disconnect(connection);
    std::printf("latency: %zu scans, median %.3f ms, p99 %.3f ms, max %.3f ms\n", latenciesUs.size(),
                percentile(latenciesUs, 0.5), percentile(latenciesUs, 0.99),
                percentile(latenciesUs, 1.0));
}

void measureFlood(ComScannerService &scanner, EventLogModel &log, const Pty &pty)
{
    std::atomic<int> mode{0}; // 0 noise, 1 lines, 2 stop
    std::atomic<qint64> bytesWritten{0};
    std::thread writer([&] {
        QByteArray noise(4096, 'x');
        for (char &c : noise) {
            c = char(QRandomGenerator::global()->bounded(256));
            if (c == '\r' || c == '\n')
                c = 'z';
        }
        QByteArray lines;
        for (int i = 0; lines.size() < 4096; ++i)
            lines += "FLOOD" + QByteArray::number(i) + "\r\n";
        ::fcntl(pty.master, F_SETFL, ::fcntl(pty.master, F_GETFL) | O_NONBLOCK);
        while (mode.load() != 2) {
            const QByteArray &chunk = mode.load() == 0 ? noise : lines;
            const ssize_t n = ::write(pty.master, chunk.constData(), size_t(chunk.size()));
            if (n > 0) {
                bytesWritten += n;
                continue;
            }
            pollfd pfd{pty.master, POLLOUT, 0};
            ::poll(&pfd, 1, 50);
        }
    });

    const long before = rssKb();
    long peak = before;
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer sampler;
    sampler.setInterval(100);
    QObject::connect(&sampler, &QTimer::timeout, [&] { peak = std::max(peak, rssKb()); });
    sampler.start();
    int scans = 0;
    QObject::connect(&scanner, &ComScannerService::scanReceived, [&] { ++scans; });
    QEventLoop loop;
    QTimer::singleShot(15000, [&] { mode = 1; });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    mode = 2;
    writer.join();
    sampler.stop();
    const long atEnd = rssKb();

    // Recovery: the flood is over; the slot reconnects and the process settles.
    ::tcflush(pty.slave, TCIOFLUSH);
    waitFor(scanner, 20000);
    QEventLoop settle;
    QTimer::singleShot(2000, &settle, &QEventLoop::quit);
    settle.exec();
    const long after = rssKb();
    std::printf("flood: %.1f MB written in 30 s, %d flood lines reached the main thread, %d journal entries\n",
                double(bytesWritten.load()) / 1e6, scans, log.rowCount());
    std::printf("memory: RSS before %ld kB, peak %ld kB (+%ld kB), end of flood %ld kB, "
                "after recovery %ld kB (+%ld kB); slot %s\n",
                before, peak, peak - before, atEnd, after, after - before,
                scanner.connected() ? "connected again" : "not connected");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    Pty pty;
    if (!openPty(&pty)) {
        std::fprintf(stderr, "cannot create a pseudo-terminal\n");
        return 1;
    }
    AppSettings settings;
    settings.setScannerPort(1, pty.path);
    EventLogModel log;
    SerialPortWatcher ports;
    ComScannerService scanner(&settings, &log, 1, &ports);
    scanner.start();
    if (!waitFor(scanner, 10000)) {
        std::fprintf(stderr, "scanner did not connect: %s\n", qPrintable(scanner.statusText()));
        return 1;
    }
    measureLatency(scanner, pty);
    measureFlood(scanner, log, pty);
    return 0;
}
