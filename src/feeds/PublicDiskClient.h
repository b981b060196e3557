#pragma once

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class QNetworkReply;

// The public API of the cloud disk the layouts are published on: a public link's metadata,
// its direct download link, and the download itself into "<name>.part", which takes the
// final name only once the whole file has arrived.
class PublicDiskClient : public QObject
{
    Q_OBJECT
public:
    static constexpr char kDefaultApiBase[] = "https://cloud-api.yandex.net";
    // Overrides the base address (a stand-in server for tests and the demo).
    static constexpr char kApiBaseVariable[] = "VORN_DISK_API_URL";
    static constexpr int kRequestTimeoutMs = 30000;
    // A download that receives nothing for this long is given up.
    static constexpr int kStallTimeoutMs = 120000;

    explicit PublicDiskClient(QObject *parent = nullptr);

    QString apiBase() const { return m_apiBase; }
    void setApiBase(const QString &base) { m_apiBase = base.trimmed(); }
    void setStallTimeoutMs(int ms) { m_stallTimeoutMs = ms; }

    struct Answer
    {
        bool ok = false;
        bool answered = false;  // a JSON object came back (ok or not)
        QString error;          // transport or HTTP problem in the operator's words
        QJsonObject object;
    };
    using AnswerHandler = std::function<void(const Answer &)>;

    // GET "/v1/disk/public/resources" (and ".../download") with public_key, path and limit=1.
    void fetchMetadata(const QString &publicKey, const QString &path, AnswerHandler handler);
    void fetchDownloadLink(const QString &publicKey, const QString &path, AnswerHandler handler);

    struct Download
    {
        enum class Failure { None, OpenFailed, TransferFailed, RenameFailed };
        Failure failure = Failure::None;
        QString error;
        qint64 size = 0;
        QString sha1;
    };
    // Writes finalPath + ".part" and renames it; progress(received, total) as data comes
    // (total -1 when unknown). One download at a time.
    void download(const QUrl &href, const QString &finalPath,
                  std::function<void(qint64, qint64)> progress, std::function<void(const Download &)> done);
    void abortDownload();

private:
    void get(const QString &endpoint, const QString &publicKey, const QString &path, AnswerHandler handler);
    void finishDownload(const Download &result);

    QNetworkAccessManager m_network;
    QString m_apiBase;
    int m_stallTimeoutMs = kStallTimeoutMs;

    QPointer<QNetworkReply> m_reply;
    QFile m_part;
    QString m_finalPath;
    std::unique_ptr<QCryptographicHash> m_hash;
    qint64 m_received = 0;
    QTimer m_stall;
    std::function<void(qint64, qint64)> m_progress;
    std::function<void(const Download &)> m_done;
};
