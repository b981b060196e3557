#include <QCoreApplication>
#include <QStandardPaths>
#include <QtGlobal>

#include <cstdint>
#include <cstdlib>

// Every target gets an application object (timers, QObject parents, file paths) and
// a silent message handler: the parsers warn about bad input by design, and a
// warning per run would drown libFuzzer's own output. qFatal still aborts.
static void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg) {
        fprintf(stderr, "qFatal: %s\n", qPrintable(message));
        abort();
    }
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    qInstallMessageHandler(quietHandler);
    static QCoreApplication app(*argc, *argv);
    return 0;
}
