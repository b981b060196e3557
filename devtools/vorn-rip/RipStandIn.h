#pragma once

#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

// A stand-in for the printer's RIP as far as the client sees it: it takes files dropped
// into its hot folders and, after a while, writes the job report "JobInfo.ini" (ink used
// per colour, device profile) into its job folder and removes the file.
class RipStandIn : public QObject
{
    Q_OBJECT
public:
    RipStandIn(const QStringList &hotFolders, const QString &jobFolder, int delayMs, QObject *parent = nullptr);

    void start();
    QString jobInfoPath() const;
    // The ink amounts written for a file of this size (cyan;magenta;yellow;black).
    static QString inkLineFor(qint64 fileSize);

Q_SIGNALS:
    void jobReported(const QString &fileName);

private:
    void scan();
    void report(const QString &path);

    QStringList m_hotFolders;
    QString m_jobFolder;
    int m_delayMs;
    QTimer m_scan;
    QSet<QString> m_pending;
};
