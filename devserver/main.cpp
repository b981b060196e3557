// vorn-devserver: the local stand-in for the Vorn platform.
#include "DemoData.h"
#include "DevServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <csignal>

namespace {

void quitOnSignal(int)
{
    QCoreApplication::quit();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vorn-devserver"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Local stand-in for the Vorn platform"));
    parser.addHelpOption();
    QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Port on 127.0.0.1 (default 8787)."),
                                  QStringLiteral("port"), QStringLiteral("8787"));
    QCommandLineOption stateOption(QStringLiteral("state"), QStringLiteral("Keep tenants in this JSON file."),
                                   QStringLiteral("file"));
    QCommandLineOption demoOption(QStringLiteral("demo"), QStringLiteral("Seed the demo tenant (default)."));
    QCommandLineOption emptyOption(QStringLiteral("no-demo"), QStringLiteral("Start without the demo tenant."));
    QCommandLineOption issuesOption(QStringLiteral("issues-every"),
                                    QStringLiteral("Move bugs and defects on every N snapshots (default 12, 0 = never)."),
                                    QStringLiteral("n"), QStringLiteral("12"));
    parser.addOptions({portOption, stateOption, demoOption, emptyOption, issuesOption});
    parser.process(app);

    DevServer server;
    server.issueDrift().setEvery(parser.value(issuesOption).toInt());
    if (parser.isSet(emptyOption) && !parser.isSet(demoOption)) {
        server.setDemoEnabled(false);
        server.reset();
    }
    if (parser.isSet(stateOption))
        server.setStatePath(parser.value(stateOption));

    bool portOk = false;
    const int port = parser.value(portOption).toInt(&portOk);
    if (!portOk || port < 0 || port > 65535) {
        QTextStream(stderr) << "vorn-devserver: bad port " << parser.value(portOption) << '\n';
        return 2;
    }
    if (server.listenOn(QHostAddress::LocalHost, quint16(port)) == 0) {
        QTextStream(stderr) << "vorn-devserver: cannot listen on 127.0.0.1:" << port << '\n';
        return 1;
    }

    std::signal(SIGINT, quitOnSignal);
    std::signal(SIGTERM, quitOnSignal);

    QTextStream out(stdout);
    out << "vorn-devserver listening on " << server.baseUrl().toString() << '\n';
    if (server.demoEnabled())
        out << "demo tenant: " << Demo::kTenantId << "  key: " << Demo::kApiKey
            << "  device: " << Demo::kDeviceId << '\n';
    out << "journal: " << server.baseUrl().toString() << "/__dev/journal?limit=50" << '\n';
    out.flush();
    return app.exec();
}
