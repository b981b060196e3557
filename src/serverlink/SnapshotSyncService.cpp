#include "serverlink/SnapshotSyncService.h"

#include "common/AtomicFile.h"
#include "common/Journal.h"
#include "common/IsoTime.h"
#include "common/JsonRead.h"
#include "common/LogCategories.h"
#include "serverlink/ServerRequest.h"
#include "settings/AppSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkRequest>

struct SnapshotSyncService::ParsedBody
{
    QJsonObject root;
    bool isJson = false;
    bool isObject = false;
    SnapshotItems items;
    QSet<size_t> digests;

    static ParsedBody read(const QByteArray &body, const QSet<size_t> &known)
    {
        ParsedBody parsed;
        parsed.root = SnapshotItems::read(body, known, &parsed.items, &parsed.isJson, &parsed.isObject);
        if (parsed.items.isCut())
            parsed.digests = parsed.items.digests();
        return parsed;
    }
};

SnapshotSyncService::SnapshotSyncService(AppSettings *settings, Journal *eventLog, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_eventLog(eventLog)
{
    readMeta();
    m_status = QStringLiteral("Синхронизация: готово");
}

QString SnapshotSyncService::cachePath() const
{
    return m_settings ? QDir(m_settings->appDataDir()).filePath(QStringLiteral("snapshot_cache.json")) : QString();
}

QString SnapshotSyncService::metaPath() const
{
    return m_settings ? QDir(m_settings->appDataDir()).filePath(QStringLiteral("snapshot_meta.json")) : QString();
}

void SnapshotSyncService::readMeta()
{
    const QJsonObject meta = m_settings ? readJsonObjectFile(metaPath()) : QJsonObject();
    // A revision without its cache would ask only for changes the client never had.
    if (meta.value(QLatin1String("schema")).toString() == QLatin1String(kMetaSchema)
        && QFileInfo(cachePath()).isFile()) {
        m_revision = jsonToText(meta.value(QLatin1String("revision")));
        m_needFullSnapshot = false;
    } else {
        m_revision.clear();
        m_needFullSnapshot = true;
    }
}

QByteArray SnapshotSyncService::metaBytes() const
{
    return compactJson(QJsonObject{
        {QStringLiteral("schema"), QLatin1String(kMetaSchema)},
        {QStringLiteral("revision"), m_revision},
        {QStringLiteral("saved_at"), isoUtcNowMs()},
    });
}

void SnapshotSyncService::writeMeta()
{
    if (!writeFileAtomically(metaPath(), metaBytes()))
        qCWarning(lcServerLink) << "cannot write" << metaPath();
}

bool SnapshotSyncService::writeSnapshotFiles(const QString &cachePath, const QByteArray &cache,
                                             const QString &metaPath, const QByteArray &meta)
{
    if (!cache.isEmpty() && !writeFileAtomically(cachePath, cache)) {
        qCWarning(lcServerLink) << "cannot write" << cachePath;
        // The revision on disk stays with the cache on disk.
        return false;
    }
    if (!meta.isEmpty() && !writeFileAtomically(metaPath, meta))
        qCWarning(lcServerLink) << "cannot write" << metaPath;
    return true;
}

bool SnapshotSyncService::storeSnapshot(const QJsonObject &root, const QString &revision)
{
    if (!m_settings)
        return false;
    const bool moved = revision.isEmpty() || revision != m_revision || !QFileInfo(cachePath()).isFile();
    if (!revision.isEmpty())
        m_revision = revision;
    const bool ok = writeSnapshotFiles(cachePath(), moved ? compactJson(root) : QByteArray(), metaPath(),
                                       revision.isEmpty() ? QByteArray() : metaBytes());
    if (ok)
        m_needFullSnapshot = false;
    return ok;
}

void SnapshotSyncService::loadCachedSnapshot()
{
    if (!m_settings)
        return;
    readMeta();
    // A second load before the first came back makes the first one stale.
    const quint64 ticket = ++m_cacheTicket;
    m_queue.submit<ParsedBody>(
        [path = cachePath(), known = m_knownItems] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? ParsedBody::read(file.readAll(), known) : ParsedBody();
        },
        [this, ticket](ParsedBody cache) {
            if (ticket == m_cacheTicket)
                onCacheRead(cache);
        });
}

void SnapshotSyncService::onCacheRead(const ParsedBody &cache)
{
    if (cache.root.isEmpty()) {
        // Nothing to build on: the next poll asks for everything.
        m_revision.clear();
        m_needFullSnapshot = true;
        setStatus(QStringLiteral("Синхронизация: локального кеша нет"));
        Q_EMIT changed();
        return;
    }
    setStatus(QStringLiteral("Синхронизация: локальный кеш применен"));
    Q_EMIT changed();
    if (cache.items.isCut())
        m_knownItems = cache.digests;
    Q_EMIT snapshotReady(cache.root, true, cache.items);
}

void SnapshotSyncService::refresh()
{
    if (!m_settings || m_settings->onboardingRequired() || m_busy)
        return;

    QUrl url = resolveEndpointUrl(m_settings, m_settings->snapshotEndpoint());
    if (!url.isValid() || url.isEmpty()) {
        const QString text = QStringLiteral("Синхронизация: адрес сервера не настроен");
        if (m_status != text) {
            setStatus(text);
            if (m_eventLog)
                m_eventLog->addInfo(text);
        }
        return;
    }

    const QString revision = m_revision.trimmed();
    if (m_needFullSnapshot)
        url = withQueryItems(url, {{QStringLiteral("refresh"), QStringLiteral("1")}});
    else if (!revision.isEmpty())
        url = withQueryItems(url, {{QStringLiteral("since_rev"), revision}});

    setBusy(true);
    setStatus(revision.isEmpty() ? QStringLiteral("Синхронизация: запрашиваю полный снимок")
                                 : QStringLiteral("Синхронизация: проверяю изменения"));

    QNetworkRequest request(url);
    applyRequestHeaders(request, m_settings, true);
    handleServerReply(m_network.get(request), this, m_settings,
                      [this](const ServerReply &reply) { onReplyRead(reply); }, replyOptions(m_timeoutMs));
}

void SnapshotSyncService::onReplyRead(ServerReply reply)
{
    if (reply.networkFailed()) {
        onReply(reply);
        return;
    }
    // The body may be many megabytes: parsed on the queue, judged back here.
    const QByteArray body = reply.body; // before reply moves into the second job
    m_queue.submit<ParsedBody>(
        [body, known = m_knownItems] { return ParsedBody::read(body, known); },
        [this, reply = std::move(reply)](ParsedBody parsed) mutable {
            reply.isJson = parsed.isJson;
            reply.isObject = parsed.isObject;
            reply.object = parsed.root;
            judgeServerReply(reply, m_settings, replyOptions(m_timeoutMs));
            onReply(reply, &parsed);
        });
}

void SnapshotSyncService::onReply(const ServerReply &reply, const ParsedBody *parsed)
{
    if (reply.timedOut) {
        finishRequest(QStringLiteral("Синхронизация: сервер не ответил вовремя"));
        return;
    }
    if (reply.networkFailed()) {
        finishRequest(QStringLiteral("Синхронизация: ошибка сети: %1").arg(describeNetworkError(reply.errorText)));
        return;
    }
    if (!reply.isObject) {
        finishRequest(reply.httpStatus == 0
                          ? QStringLiteral("Синхронизация: сервер вернул не JSON")
                          : QStringLiteral("Синхронизация: сервер вернул не JSON (HTTP %1)").arg(reply.httpStatus));
        return;
    }
    if (!reply.accepted) {
        finishRequest(QStringLiteral("Синхронизация: сервер отклонил запрос: %1")
                          .arg(describeServerStatus(reply.rejection)));
        return;
    }

    const QJsonObject &root = reply.object;
    if (!root.value(QLatin1String("changed")).toBool(true)) {
        const QString newRevision = root.contains(QLatin1String("revision"))
            ? jsonToText(root.value(QLatin1String("revision")))
            : m_revision;
        if (newRevision.isEmpty()) {
            finishRequest(QStringLiteral("Сервер: изменений нет"));
            return;
        }
        m_revision = newRevision;
        // Behind any cache write still queued, so the revision never runs ahead of the cache.
        const QString path = metaPath();
        m_queue.submit<bool>([path, meta = metaBytes()] { return writeSnapshotFiles({}, {}, path, meta); },
                             [this](bool) { finishRequest(QStringLiteral("Сервер: изменений нет")); });
        return;
    }

    const QJsonValue snapshot = root.value(QLatin1String("snapshot"));
    if (root.contains(QLatin1String("snapshot")) && snapshot.toObject().isEmpty()) {
        finishRequest(QStringLiteral("Сервер: пустой снимок"));
        return;
    }

    QString newRevision = jsonToText(root.value(QLatin1String("revision")));
    if (newRevision.isEmpty())
        newRevision = jsonToText(snapshot.toObject().value(QLatin1String("revision")));
    const bool moved = newRevision.isEmpty() || newRevision != m_revision || !QFileInfo(cachePath()).isFile();
    if (!newRevision.isEmpty())
        m_revision = newRevision;
    // The body is the reply object as the server sent it: stored as it came, not
    // serialised again. Announced once it is on disk.
    const QByteArray cache = moved ? reply.body : QByteArray();
    const QByteArray meta = newRevision.isEmpty() ? QByteArray() : metaBytes();
    const SnapshotItems items = parsed ? parsed->items : SnapshotItems();
    if (items.isCut())
        m_knownItems = parsed->digests;
    m_queue.submit<bool>(
        [cachePath = cachePath(), cache, metaPath = metaPath(), meta] {
            return writeSnapshotFiles(cachePath, cache, metaPath, meta);
        },
        [this, root, items](bool stored) {
            if (stored)
                m_needFullSnapshot = false;
            finishRequest(QStringLiteral("Синхронизация: данные обновлены"));
            Q_EMIT snapshotReady(root, false, items);
        });
}

ServerReplyOptions SnapshotSyncService::replyOptions(int timeoutMs)
{
    ServerReplyOptions options;
    options.timeoutMs = timeoutMs;
    options.bodyAsFallbackMessage = true;
    options.maxBodyBytes = kMaxSnapshotBytes;
    options.parseBody = false;
    return options;
}

void SnapshotSyncService::finishRequest(const QString &status)
{
    setBusy(false);
    setStatus(status);
    Q_EMIT changed();
}

void SnapshotSyncService::setStatus(const QString &text)
{
    if (m_status == text)
        return;
    m_status = text;
    Q_EMIT changed();
}

void SnapshotSyncService::setBusy(bool value)
{
    if (m_busy == value)
        return;
    m_busy = value;
    Q_EMIT changed();
}
