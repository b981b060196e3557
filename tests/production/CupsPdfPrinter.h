#pragma once

// The CUPS PDF virtual printer the printing tests print on, and the folder its jobs
// land in. scripts/setup-cups.sh creates both; tests call it themselves when the
// printer is missing so that a bare ctest run works too.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPdfDocument>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <pwd.h>
#include <unistd.h>

namespace cupspdf {

inline QString printerName()
{
    return QStringLiteral("VornPDF");
}

// Makes sure cupsd runs and the printer exists; false with the reason otherwise.
inline bool ensurePrinter(QString *why)
{
    if (!QPrinterInfo::printerInfo(printerName()).isNull())
        return true;
    const QString script = QStringLiteral(VORN_SOURCE_DIR "/scripts/setup-cups.sh");
    QProcess setup;
    setup.setProcessChannelMode(QProcess::MergedChannels);
    setup.start(QStringLiteral("bash"), { script });
    setup.waitForFinished(60000);
    const QString output = QString::fromLocal8Bit(setup.readAll()).trimmed();
    if (!QPrinterInfo::printerInfo(printerName()).isNull())
        return true;
    *why = QStringLiteral("CUPS printer %1 is not available and %2 could not set it up: %3")
               .arg(printerName(), script, output);
    return false;
}

// cups-pdf's per-queue "Out" setting with ${HOME} and ${USER} of the job's user (us).
inline QString outputDirectory()
{
    QString out = QStringLiteral("${HOME}/PDF");
    QFile conf(QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(printerName()));
    if (conf.open(QIODevice::ReadOnly)) {
        const QStringList lines = QString::fromUtf8(conf.readAll()).split(QLatin1Char('\n'));
        for (const QString &line : lines) {
            if (line.startsWith(QLatin1String("Out ")))
                out = line.mid(4).trimmed();
        }
    }
    const passwd *user = ::getpwuid(::geteuid());
    if (user) {
        out.replace(QLatin1String("${HOME}"), QString::fromLocal8Bit(user->pw_dir));
        out.replace(QLatin1String("${USER}"), QString::fromLocal8Bit(user->pw_name));
    }
    return out;
}

inline QStringList pdfFiles()
{
    return QDir(outputDirectory()).entryList({ QStringLiteral("*.pdf") }, QDir::Files);
}

inline bool queueEmpty()
{
    QProcess lpstat;
    lpstat.start(QStringLiteral("lpstat"), { QStringLiteral("-o"), printerName() });
    lpstat.waitForFinished(10000);
    return lpstat.readAllStandardOutput().trimmed().isEmpty();
}

// The printed files once earlier jobs have finished: the "before" of a print.
inline QStringList settledPdfFiles(int timeoutMs = 60000)
{
    QElapsedTimer timer;
    timer.start();
    while (!queueEmpty() && timer.elapsed() < timeoutMs)
        QTest::qWait(200);
    return pdfFiles();
}

inline int jobNumber(const QString &fileName)
{
    static const QRegularExpression job(QStringLiteral("job_(\\d+)"));
    return job.match(fileName).captured(1).toInt();
}

// Waits until count files beyond `before` exist and the queue is idle; the new files
// in job order (absolute paths). Fewer when the time runs out.
inline QStringList waitForNewPdfs(const QStringList &before, int count, int timeoutMs = 90000)
{
    QElapsedTimer timer;
    timer.start();
    QStringList fresh;
    while (timer.elapsed() < timeoutMs) {
        fresh.clear();
        for (const QString &name : pdfFiles()) {
            if (!before.contains(name))
                fresh << name;
        }
        if (fresh.size() >= count && queueEmpty())
            break;
        QTest::qWait(200);
    }
    std::sort(fresh.begin(), fresh.end(), [](const QString &a, const QString &b) {
        return jobNumber(a) < jobNumber(b);
    });
    QStringList paths;
    for (const QString &name : fresh)
        paths << QDir(outputDirectory()).filePath(name);
    return paths;
}

// Printed jobs a test has read are removed so the output folder does not grow.
struct OutputCleanup
{
    QStringList paths;
    ~OutputCleanup()
    {
        for (const QString &path : paths)
            QFile::remove(path);
    }
};

} // namespace cupspdf

// Skips the calling test when the printer cannot be had, with the reason.
#define REQUIRE_CUPS_PDF()                                                                     \
    do {                                                                                       \
        QString why_;                                                                          \
        if (!cupspdf::ensurePrinter(&why_))                                                    \
            QSKIP(qPrintable(why_));                                                           \
    } while (false)
