// Scan to print on the orders page, run by hand (bench_scan_route [scans]):
// from the last byte of a scan written into the scanner's pty to the call of the label
// printer, through the scanner service, the scan router, the order scan at an in-process
// vorn-devserver (loopback HTTP), its "packed" verdict and the UID print's file lookup.
// The printer itself is left out (it only records the moment it is called).
#include "BenchPty.h"

#include "DemoData.h"
#include "DemoScanOrders.h"
#include "DevServer.h"
#include "app/EventLogModel.h"
#include "app/ScanRouter.h"
#include "devices/ComScannerService.h"
#include "production/OrdersApiService.h"
#include "production/OrdersModel.h"
#include "production/UidPrintService.h"
#include "settings/AppSettings.h"
#include "staff/EmployeeWorkspaceStore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace {

// Orders the server judges "packed", one per scan, with their label files.
void prepareOrders(DevTenant &tenant, const QString &labels, int count)
{
    for (int i = 0; i < count; ++i) {
        const QString uid = QString::number(7400000 + i);
        addNewWbOrder(tenant, uid);
        QFile file(QDir(labels).filePath(QStringLiteral("печать_%1.png").arg(uid)));
        if (file.open(QIODevice::WriteOnly))
            file.write("label");
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int scans = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    QTemporaryDir dir;
    AppSettings::setDataDirectoryOverride(dir.filePath(QStringLiteral("data")));
    const QString labels = dir.filePath(QStringLiteral("labels"));
    QDir().mkpath(labels);

    DevServer server;
    if (!server.listenOn(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "the devserver cannot listen\n");
        return 1;
    }
    prepareOrders(*server.store().tenantById(QString::fromLatin1(Demo::kTenantId)), labels, scans);

    Pty pty;
    if (!openPty(&pty)) {
        std::fprintf(stderr, "cannot create a pseudo-terminal\n");
        return 1;
    }
    AppSettings settings;
    settings.setServerUrl(server.baseUrl().toString());
    settings.setTenantId(QString::fromLatin1(Demo::kTenantId));
    settings.setDeviceId(QString::fromLatin1(Demo::kDeviceId));
    settings.setApiKey(QString::fromLatin1(Demo::kApiKey));
    settings.setUidSearchRoot1(labels);
    settings.setScannerPort(1, pty.path);

    EventLogModel log;
    ComScannerService scanner(&settings, &log, 1, nullptr);
    EmployeeWorkspaceStore employees(&settings, &log);
    OrdersModel orders;
    OrdersApiService ordersApi(&settings, &log, &orders);
    UidPrintService uidPrint(&settings, &log, nullptr, nullptr);
    ScanRouter::Services services;
    services.settings = &settings;
    services.journal = &log;
    services.employees = &employees;
    services.ordersApi = &ordersApi;
    services.uidPrint = &uidPrint;
    ScanRouter router(services);
    router.setPageKey(QStringLiteral("orders"));
    QObject::connect(&scanner, &ComScannerService::scanReceived, &router,
                     [&router](const QString &raw) { router.handleHardwareScan(raw, QStringLiteral("scanner")); });
    QObject::connect(&ordersApi, &OrdersApiService::scanResultDetailed, &router, &ScanRouter::handleOrderScanResult);

    QElapsedTimer clock;
    clock.start();
    qint64 writtenAtNs = 0;
    std::vector<qint64> latenciesUs;
    QEventLoop loop;
    uidPrint.setPrintFunction([&](const QString &, const QString &, QString *, int) {
        latenciesUs.push_back((clock.nsecsElapsed() - writtenAtNs) / 1000);
        loop.quit();
        return true;
    });

    scanner.start();
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &loop, &QEventLoop::quit);
    giveUp.start(10000);
    QObject::connect(&scanner, &ComScannerService::changed, &loop, [&] {
        if (scanner.connected())
            loop.quit();
    });
    if (!scanner.connected())
        loop.exec();
    if (!scanner.connected()) {
        std::fprintf(stderr, "scanner did not connect: %s\n", qPrintable(scanner.statusText()));
        return 1;
    }
    QObject::disconnect(&scanner, &ComScannerService::changed, &loop, nullptr);

    int missed = 0;
    for (int i = 0; i < scans; ++i) {
        const QByteArray scan = QByteArray::number(7400000 + i) + "\r\n";
        const size_t before = latenciesUs.size();
        if (::write(pty.master, scan.constData(), size_t(scan.size())) != scan.size())
            break;
        writtenAtNs = clock.nsecsElapsed();
        giveUp.start(10000);
        loop.exec();
        giveUp.stop();
        if (latenciesUs.size() == before)
            ++missed;
        // Stay under the lines-per-second guard of the slot.
        QThread::msleep(13);
    }
    scanner.stop();
    if (latenciesUs.empty()) {
        std::fprintf(stderr, "no scan reached the printer\n");
        return 1;
    }
    std::printf("scan to print call: %zu scans (%d without a print), median %.3f ms, p99 %.3f ms, max %.3f ms\n",
                latenciesUs.size(), missed, percentile(latenciesUs, 0.5), percentile(latenciesUs, 0.99),
                percentile(latenciesUs, 1.0));
    AppSettings::setDataDirectoryOverride(QString());
    return 0;
}
