// vorn-devices: virtual serial devices for the tests and the demo.
//
//   vorn-devices scanner [--link PATH] [--terminator crlf|cr|lf|none] [--delay MS]
//                        [--flood lines|noise] [--badge ID] [--input FIFO] [SCAN...]
//   vorn-devices rfid    [--link PATH] [--card UID[:DATA]] [--employee ID] [--read-reply data|tag]
//                        [--write-error TEXT] [--input FIFO] [LINE...]
//   vorn-devices configure --settings FILE [--scanner PATH] [--rfid PATH]
//
// A device runs until it is interrupted; scans or card lines come from the command line,
// standard input and the --input named pipe, one per line. The scanner types the scan
// "@wall" as the wall QR of the demo tenant's small-box cell (a write-off of one). Demo
// staff: --employee puts that employee's card on the reader, a line "emp:E006" presents
// it; --badge types the employee's badge QR after the command-line scans.
#include "LineInput.h"
#include "SettingsPatch.h"
#include "VirtualPty.h"
#include "VirtualRfidReader.h"
#include "VirtualScanner.h"

#include "DemoData.h"
#include "DemoStaffCards.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

// SIGINT/SIGTERM end the event loop normally, so the link is removed on the way out.
void quitOnSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGHUP, onSignal);
}

int fail(const QString &message)
{
    QTextStream(stderr) << "vorn-devices: " << message << Qt::endl;
    return 2;
}

// The wall QR printed for the demo binding "wall_small_box" (tab "tab_boxes").
const char kDemoWallQr[] =
    "VORN_WALL:{\"kind\":\"consumable_wall\",\"tab_id\":\"tab_boxes\",\"type_key\":\"small_box\","
    "\"type_id\":\"small_box\",\"server_type\":\"box\",\"tab_title\":\"Коробки\","
    "\"item_key\":\"small_box\",\"item_name\":\"Маленькая шкатулка\","
    "\"itemName\":\"Маленькая шкатулка\",\"amount\":1,\"measure\":\"count\"}";

QString expandScan(const QString &line)
{
    return line.trimmed() == QLatin1String("@wall") ? QString::fromUtf8(kDemoWallQr) : line;
}

QByteArray terminatorFor(const QString &name, bool *ok)
{
    *ok = true;
    const QString key = name.toLower();
    if (key == QLatin1String("crlf"))
        return "\r\n";
    if (key == QLatin1String("cr"))
        return "\r";
    if (key == QLatin1String("lf"))
        return "\n";
    if (key == QLatin1String("none"))
        return {};
    *ok = false;
    return {};
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vorn-devices"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Virtual barcode scanner and RFID reader on pseudo-terminals."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("device"), QStringLiteral("scanner, rfid or configure"));
    const QCommandLineOption link(QStringLiteral("link"), QStringLiteral("Link to the port for the client."), QStringLiteral("path"));
    const QCommandLineOption input(QStringLiteral("input"), QStringLiteral("Named pipe to read lines from."), QStringLiteral("fifo"));
    const QCommandLineOption terminator(QStringLiteral("terminator"), QStringLiteral("crlf, cr, lf or none."), QStringLiteral("name"), QStringLiteral("crlf"));
    const QCommandLineOption delay(QStringLiteral("delay"), QStringLiteral("Milliseconds before each command-line scan."), QStringLiteral("ms"), QStringLiteral("500"));
    const QCommandLineOption flood(QStringLiteral("flood"), QStringLiteral("Send lines or noise without pause."), QStringLiteral("lines|noise"));
    const QCommandLineOption card(QStringLiteral("card"), QStringLiteral("Card on the reader."), QStringLiteral("uid[:data]"));
    const QCommandLineOption readReply(QStringLiteral("read-reply"), QStringLiteral("Answer READ with data or tag."), QStringLiteral("kind"), QStringLiteral("data"));
    const QCommandLineOption writeError(QStringLiteral("write-error"), QStringLiteral("Answer WRITE with ERR:<text>."), QStringLiteral("text"));
    const QCommandLineOption settings(QStringLiteral("settings"), QStringLiteral("settings.json to configure."), QStringLiteral("file"));
    const QCommandLineOption scannerPort(QStringLiteral("scanner"), QStringLiteral("Port for scanner slot 1."), QStringLiteral("path"));
    const QCommandLineOption rfidPort(QStringLiteral("rfid"), QStringLiteral("Port for the RFID reader."), QStringLiteral("path"));
    const QCommandLineOption employee(QStringLiteral("employee"), QStringLiteral("Card of a demo employee on the reader."), QStringLiteral("id"));
    const QCommandLineOption badge(QStringLiteral("badge"), QStringLiteral("Type the badge QR of a demo employee."), QStringLiteral("id"));
    parser.addOptions({link, input, terminator, delay, flood, card, employee, badge, readReply, writeError, settings,
                       scannerPort, rfidPort});
    parser.process(app);

    QStringList args = parser.positionalArguments();
    const QString device = args.isEmpty() ? QString() : args.takeFirst();

    if (device == QLatin1String("configure")) {
        QString error;
        if (!parser.isSet(settings))
            return fail(QStringLiteral("configure needs --settings"));
        if (!SettingsPatch::apply(parser.value(settings), parser.value(scannerPort), parser.value(rfidPort), &error))
            return fail(error);
        return 0;
    }
    if (device != QLatin1String("scanner") && device != QLatin1String("rfid"))
        return fail(QStringLiteral("name a device: scanner, rfid or configure (see --help)"));

    quitOnSignals(app);
    VirtualPty pty;
    QString error;
    if (!pty.open(parser.value(link), &error))
        return fail(error);
    LineInput lines;
    lines.watchStdin();
    if (parser.isSet(input) && !lines.watchFifo(parser.value(input), &error))
        return fail(error);
    QTextStream(stdout) << device << " ready: " << pty.clientPath() << " (" << pty.slavePath() << ")" << Qt::endl;

    if (device == QLatin1String("scanner")) {
        bool ok = false;
        auto *scanner = new VirtualScanner(&pty, terminatorFor(parser.value(terminator), &ok), &app);
        if (!ok)
            return fail(QStringLiteral("unknown terminator %1").arg(parser.value(terminator)));
        QObject::connect(&lines, &LineInput::lineEntered, scanner,
                         [scanner](const QString &line) { scanner->type(expandScan(line)); });
        QStringList scans;
        for (const QString &arg : std::as_const(args))
            scans.append(expandScan(arg));
        for (const QString &id : parser.values(badge)) {
            if (!Demo::staffMember(id.trimmed().toUtf8().constData()))
                return fail(QStringLiteral("no demo employee %1").arg(id));
            scans << QStringLiteral(R"({"employee_id":"%1","id":"%1","kind":"emp","tenant_id":"%2"})")
                         .arg(id.trimmed(), QLatin1String(Demo::kTenantId));
        }
        scanner->typeLater(scans, qMax(0, parser.value(delay).toInt()));
        if (parser.value(flood) == QLatin1String("lines"))
            scanner->startFlood(VirtualScanner::Flood::Lines);
        else if (parser.value(flood) == QLatin1String("noise"))
            scanner->startFlood(VirtualScanner::Flood::Noise);
        else if (parser.isSet(flood))
            return fail(QStringLiteral("--flood takes lines or noise"));
    } else {
        auto *reader = new VirtualRfidReader(&pty, &app);
        reader->setCard(parser.value(card));
        if (parser.isSet(employee)) {
            const QString demo = VirtualRfidReader::demoCard(parser.value(employee));
            if (demo.isEmpty())
                return fail(QStringLiteral("no demo employee %1").arg(parser.value(employee)));
            reader->setCard(demo);
        }
        reader->setReadReplyAsTag(parser.value(readReply) == QLatin1String("tag"));
        reader->setWriteError(parser.value(writeError));
        QObject::connect(&lines, &LineInput::lineEntered, reader, &VirtualRfidReader::present);
        for (const QString &line : std::as_const(args))
            reader->present(line);
    }
    return app.exec();
}
