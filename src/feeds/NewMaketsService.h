#pragma once

#include "feeds/NewMaketsReporter.h"
#include "feeds/PublicDiskClient.h"
#include "feeds/StripCutter.h"
#include "feeds/WorkshopPaths.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QFuture>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

class AppSettings;
class Journal;
struct ServerReply;

// New wallpaper layouts published by the server as tasks, one at a time: download from the
// public disk link, put into the workshop folders, cut into 104 cm strips (off the main
// thread) and have the RIP compute the ink, reporting every step to the server.
// Context property "newMaketsService".
class NewMaketsService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool busy READ busy NOTIFY changed)
    Q_PROPERTY(QString status READ status NOTIFY changed)

public:
    static constexpr int kPollIntervalMs = 3500;
    static constexpr int kRasterCheckMs = 2000;
    static constexpr int kRasterTimeoutMs = 1800000;

    NewMaketsService(AppSettings *settings, Journal *eventLog, QObject *parent = nullptr);
    ~NewMaketsService() override;

    bool busy() const { return m_busy; }
    QString status() const { return m_status; }

    // For tests and the demo: the disk API address, the RIP's pace, the request deadline.
    PublicDiskClient &disk() { return m_disk; }
    void setRasterTiming(int checkMs, int timeoutMs);
    void setRequestTimeoutMs(int ms);
    bool isRunning() const { return m_pollTimer.isActive(); }
    WorkshopPaths workshopFolders() const;
    QString downloadsFolder() const;

    Q_INVOKABLE void start();
    Q_INVOKABLE void stop();
    Q_INVOKABLE void syncNow();

Q_SIGNALS:
    void changed();
    // A task ended: ok, or failed with the error code reported to the server.
    void taskFinished(const QString &taskUid, bool ok, const QString &errorCode);

private:
    struct Task
    {
        QString uid;
        QString designKey;
        QString title;
        QString processType;
        QString sourceUrl;
        QString sourcePath;
        QString fileName;
    };

    void onPullReply(const ServerReply &reply);
    void warnOnce(const QString &message);
    void setStatus(const QString &status);

    // The pipeline, one step after another.
    void begin(const Task &task);
    void resolveFile();
    void resolveDownloadLink();
    void downloadFile(const QUrl &href);
    void checkDownloaded();
    void copyWhole();
    void moveOrderLayout();
    void afterPlacement();
    void cutStrips();
    void sendToRaster();
    void checkRaster();
    void finish();
    void fail(const QString &code, const QString &text);
    void endTask(bool ok, const QString &code);

    void report(const QString &step, int progress, const QString &message = QString(), bool replaceable = false);
    void setPatch(const char *key, const QJsonValue &value);
    // Runs work on the thread pool; done gets its error text (empty on success) on this thread.
    void offThread(std::function<QString()> work, std::function<void(const QString &)> done);

    QPointer<AppSettings> m_settings;
    Journal *m_eventLog = nullptr;
    QNetworkAccessManager m_network;
    NewMaketsReporter m_reporter;
    PublicDiskClient m_disk;
    QTimer m_pollTimer;
    QTimer m_rasterTimer;
    int m_rasterTimeoutMs = kRasterTimeoutMs;
    int m_requestTimeoutMs = 20000;

    bool m_busy = false;
    bool m_pulling = false;
    bool m_failing = false;
    QString m_status;

    // The running task.
    bool m_taskRunning = false;
    bool m_waitingForReports = false;
    Task m_task;
    QJsonObject m_patch;
    int m_progress = 0;
    QString m_fileName;           // cleaned, with extension
    QString m_downloadPath;
    QString m_inputPath;          // the whole copy the later steps read
    QElapsedTimer m_downloadReported;
    QElapsedTimer m_rasterWaited;
    QString m_jobInfoPath;
    bool m_jobInfoExisted = false;
    QDateTime m_jobInfoStamp;
    qint64 m_jobInfoSize = -1;
    std::shared_ptr<std::atomic_bool> m_cancel;
    QFuture<StripCutOutcome> m_cut;
    int m_stripsReported = -1;
    quint64 m_generation = 0;     // callbacks of an ended task are ignored
};
