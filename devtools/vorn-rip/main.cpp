// vorn-rip: a stand-in for the printer's RIP hot folders and job report, for the demo.
#include "RipStandIn.h"
#include "platform/NativeStringQt.h"
#include "platform/WorkshopFolders.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
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
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("RIP stand-in: hot folders in, JobInfo.ini out"));
    parser.addHelpOption();
    QCommandLineOption rootOption(QStringLiteral("root"), QStringLiteral("The workshop root the client uses."),
                                  QStringLiteral("folder"));
    QCommandLineOption delayOption(QStringLiteral("delay"), QStringLiteral("Milliseconds before the report (default 3000)."),
                                   QStringLiteral("ms"), QStringLiteral("3000"));
    parser.addOptions({rootOption, delayOption});
    parser.process(app);
    if (!parser.isSet(rootOption)) {
        QTextStream(stderr) << "vorn-rip: --root is required\n";
        return 2;
    }
    qputenv(platform::kWorkshopRootVariable, QDir(parser.value(rootOption)).absolutePath().toUtf8());
    using platform::fromNativePath;
    const platform::WorkshopFolders native = platform::workshopFolders(platform::NativeString());
    const QString hot4 = fromNativePath(native.hotFolder4Passes);
    const QString hot6 = fromNativePath(native.hotFolder6Passes);
    RipStandIn rip({hot4, hot6}, fromNativePath(native.rasterJob), parser.value(delayOption).toInt());
    QObject::connect(&rip, &RipStandIn::jobReported, &app, [](const QString &name) {
        QTextStream(stdout) << "vorn-rip: ink report written for " << name << Qt::endl;
    });
    rip.start();
    std::signal(SIGINT, quitOnSignal);
    std::signal(SIGTERM, quitOnSignal);
    QTextStream(stdout) << "vorn-rip: hot folders " << hot4 << " and " << hot6 << ", reports in "
                        << rip.jobInfoPath() << Qt::endl;
    return app.exec();
}
