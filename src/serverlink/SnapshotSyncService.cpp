#include "serverlink/SnapshotSyncService.h"

#include "common/AtomicFile.h"
#include "common/Journal.h"
#include "common/IsoTime.h"
#include "common/JsonRead.h"
#include "common/LogCategories.h"
#include "serverlink/ServerRequest.h"
#include "settings/AppSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkRequest>

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

void SnapshotSyncService::writeMeta()
{
    const QJsonObject meta{
        {QStringLiteral("schema"), QLatin1String(kMetaSchema)},
        {QStringLiteral("revision"), m_revision},
        {QStringLiteral("saved_at"), isoUtcNowMs()},
    };
    if (!writeFileAtomically(metaPath(), compactJson(meta)))
        qCWarning(lcServerLink) << "cannot write" << metaPath();
}

bool SnapshotSyncService::storeSnapshot(const QJsonObject &root, const QString &revision)
{
    if (!m_settings)
        return false;
    const bool moved = revision.isEmpty() || revision != m_revision || !QFileInfo(cachePath()).isFile();
    if (moved && !writeFileAtomically(cachePath(), compactJson(root))) {
        qCWarning(lcServerLink) << "cannot write" << cachePath();
        // The revision on disk stays with the cache on disk.
        if (!revision.isEmpty())
            m_revision = revision;
        return false;
    }
    if (!revision.isEmpty()) {
        m_revision = revision;
        writeMeta();
    }
    m_needFullSnapshot = false;
    return true;
}

void SnapshotSyncService::loadCachedSnapshot()
{
    if (!m_settings)
        return;
    readMeta();
    const QJsonObject cache = readJsonObjectFile(cachePath());
    if (cache.isEmpty()) {
        // Nothing to build on: the next poll asks for everything.
        m_revision.clear();
        m_needFullSnapshot = true;
        setStatus(QStringLiteral("Синхронизация: локального кеша нет"));
        Q_EMIT changed();
        return;
    }
    setStatus(QStringLiteral("Синхронизация: локальный кеш применен"));
    Q_EMIT changed();
    Q_EMIT snapshotReady(cache, true);
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
    ServerReplyOptions options;
    options.timeoutMs = m_timeoutMs;
    options.bodyAsFallbackMessage = true;
    options.maxBodyBytes = kMaxSnapshotBytes;
    handleServerReply(m_network.get(request), this, m_settings,
                      [this](const ServerReply &reply) { onReply(reply); }, options);
}

void SnapshotSyncService::onReply(const ServerReply &reply)
{
    setBusy(false);
    if (reply.timedOut) {
        setStatus(QStringLiteral("Синхронизация: сервер не ответил вовремя"));
        return;
    }
    if (reply.networkFailed()) {
        setStatus(QStringLiteral("Синхронизация: ошибка сети: %1").arg(describeNetworkError(reply.errorText)));
        return;
    }
    if (!reply.isObject) {
        setStatus(reply.httpStatus == 0
                      ? QStringLiteral("Синхронизация: сервер вернул не JSON")
                      : QStringLiteral("Синхронизация: сервер вернул не JSON (HTTP %1)").arg(reply.httpStatus));
        return;
    }
    if (!reply.accepted) {
        setStatus(QStringLiteral("Синхронизация: сервер отклонил запрос: %1")
                      .arg(describeServerStatus(reply.rejection)));
        return;
    }

    const QJsonObject &root = reply.object;
    if (!root.value(QLatin1String("changed")).toBool(true)) {
        const QString newRevision = root.contains(QLatin1String("revision"))
            ? jsonToText(root.value(QLatin1String("revision")))
            : m_revision;
        if (!newRevision.isEmpty()) {
            m_revision = newRevision;
            writeMeta();
        }
        setStatus(QStringLiteral("Сервер: изменений нет"));
        Q_EMIT changed();
        return;
    }

    const QJsonValue snapshot = root.value(QLatin1String("snapshot"));
    if (root.contains(QLatin1String("snapshot")) && snapshot.toObject().isEmpty()) {
        setStatus(QStringLiteral("Сервер: пустой снимок"));
        return;
    }

    QString newRevision = jsonToText(root.value(QLatin1String("revision")));
    if (newRevision.isEmpty())
        newRevision = jsonToText(snapshot.toObject().value(QLatin1String("revision")));
    storeSnapshot(root, newRevision);

    setStatus(QStringLiteral("Синхронизация: данные обновлены"));
    Q_EMIT changed();
    Q_EMIT snapshotReady(root, false);
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
