#include "FuzzSupport.h"

#include <QCoreApplication>
#include <QAbstractItemModel>
#include <QDir>
#include <QMetaProperty>
#include <QTemporaryDir>
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

QString fuzzScratchDir()
{
    static QTemporaryDir root;
    // Emptied each time, so one run's files never steer the next.
    QDir dir(root.path() + QStringLiteral("/run"));
    dir.removeRecursively();
    dir.mkpath(QStringLiteral("."));
    return dir.absolutePath();
}

void readEveryProperty(const QObject *object)
{
    const QMetaObject *meta = object->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i)
        meta->property(i).read(object);
}

void readEveryRow(const QAbstractItemModel *model)
{
    const QList<int> roles = model->roleNames().keys();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        for (const int role : roles)
            model->data(index, role);
    }
}
