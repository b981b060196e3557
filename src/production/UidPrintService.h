#pragma once

#include "production/LabelFileFinder.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QQueue>
#include <QString>
#include <QVariantMap>

#include <functional>

class AppSettings;
class Journal;
class ScanConfirmer;
class PrintArchiveStore;

// Turns a scanned code into a printed label: finds the file named after the UID in the
// configured folders, optionally has the spreadsheet confirm it first, prints it, marks
// it as printed and records the print in the archive. One print at a time; scans that
// arrive meanwhile wait in a queue and run in arrival order.
class UidPrintService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool busy READ busy NOTIFY changed)
    Q_PROPERTY(QString lastUid READ lastUid NOTIFY changed)
    Q_PROPERTY(QString lastStatus READ lastStatus NOTIFY changed)
    Q_PROPERTY(QString lastFile READ lastFile NOTIFY changed)

public:
    // path, printer name (empty: default), error text out, copies
    using PrintFunction = std::function<bool(const QString &, const QString &, QString *, int)>;

    UidPrintService(AppSettings *settings, Journal *eventLog, ScanConfirmer *gsClient,
                    PrintArchiveStore *archive, QObject *parent = nullptr);

    bool busy() const { return m_busy; }
    QString lastUid() const { return m_lastUid; }
    QString lastStatus() const { return m_lastStatus; }
    QString lastFile() const { return m_lastFile; }
    int queueLength() const { return int(m_queue.size()); }

    Q_INVOKABLE bool process(const QString &raw);
    Q_INVOKABLE bool printOnly(const QString &raw);
    Q_INVOKABLE bool printOnlyWithDetails(const QString &raw, const QVariantMap &details);

    // printLabelFile unless replaced (benchmarks measure the lookup without a printer).
    void setPrintFunction(PrintFunction print);
    LabelFileFinder &finder() { return m_finder; }

    // The folders searched, in order (root number = position + 1).
    QStringList searchRoots() const;
    // The printer a job goes to: the Yandex Market printer for Yandex Market jobs when set,
    // else the label printer; empty means the system default.
    QString choosePrinter(const QString &filePath, const QVariantMap &details) const;

Q_SIGNALS:
    void changed();
    void printed();

private:
    enum class Mode { ConfirmThenPrint, PrintOnly };
    struct Job
    {
        QString uid;
        Mode mode = Mode::PrintOnly;
        QVariantMap details;
    };

    bool start(const QString &raw, Mode mode, const QVariantMap &details);
    bool run(const Job &job);
    bool finish(bool result);
    void runNextQueued();
    QVector<LabelFileFinder::Candidate> findCandidates(const QString &uid);
    void logScanDetails(const QVariantMap &details);
    void setState(const QString &uid, const QString &status, const QString &file);

    void info(const QString &message);
    void warn(const QString &message);
    void error(const QString &message);

    AppSettings *m_settings = nullptr;
    Journal *m_eventLog = nullptr;
    ScanConfirmer *m_gsClient = nullptr;
    QPointer<PrintArchiveStore> m_archive;
    PrintFunction m_print;
    LabelFileFinder m_finder;

    bool m_busy = false;
    QString m_lastUid;
    QString m_lastStatus;
    QString m_lastFile;
    QQueue<Job> m_queue;
    QHash<QString, QString> m_printedPaths; // UID -> file last printed for it
};
