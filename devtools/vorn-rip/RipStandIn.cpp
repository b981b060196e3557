#include "RipStandIn.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

RipStandIn::RipStandIn(const QStringList &hotFolders, const QString &jobFolder, int delayMs, QObject *parent)
    : QObject(parent)
    , m_hotFolders(hotFolders)
    , m_jobFolder(jobFolder)
    , m_delayMs(delayMs)
{
    m_scan.setInterval(200);
    connect(&m_scan, &QTimer::timeout, this, &RipStandIn::scan);
}

void RipStandIn::start()
{
    for (const QString &folder : std::as_const(m_hotFolders))
        QDir().mkpath(folder);
    QDir().mkpath(m_jobFolder);
    m_scan.start();
}

QString RipStandIn::jobInfoPath() const
{
    return QDir(m_jobFolder).filePath(QStringLiteral("JobInfo.ini"));
}

QString RipStandIn::inkLineFor(qint64 fileSize)
{
    const qint64 base = std::max<qint64>(1, fileSize / 50000);
    return QStringLiteral("%1;%2;%3;%4").arg(base * 3).arg(base * 2).arg(base * 2 + 1).arg(base * 4);
}

void RipStandIn::scan()
{
    for (const QString &folder : std::as_const(m_hotFolders)) {
        const QDir dir(folder);
        for (const QString &name : dir.entryList(QDir::Files)) {
            // A file still being copied in is not taken.
            if (name.endsWith(QLatin1String(".part")))
                continue;
            const QString path = dir.filePath(name);
            if (m_pending.contains(path))
                continue;
            m_pending.insert(path);
            QTimer::singleShot(m_delayMs, this, [this, path] { report(path); });
        }
    }
}

void RipStandIn::report(const QString &path)
{
    m_pending.remove(path);
    const QFileInfo file(path);
    if (!file.exists())
        return;
    QDir().mkpath(m_jobFolder);
    const QString text = QStringLiteral("[JobInfo]\r\njobName=%1\r\ndeviceProfileName=Vorn RIP stand-in %2\r\n"
                                        "inkUsed=%3\r\n")
                             .arg(file.fileName(), file.dir().dirName(), inkLineFor(file.size()));
    const QString temporary = jobInfoPath() + QStringLiteral(".tmp");
    QFile out(temporary);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    out.write(text.toUtf8());
    out.close();
    QFile::remove(jobInfoPath());
    QFile::rename(temporary, jobInfoPath());
    QFile::remove(path);
    Q_EMIT jobReported(file.fileName());
}
