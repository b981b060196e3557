#include "feeds/ArtifactSyncService.h"

#include "common/IsoTime.h"
#include "common/Journal.h"
#include "common/JsonRead.h"
#include "common/LogCategories.h"
#include "feeds/ArtifactFileSave.h"
#include "feeds/ArtifactFolders.h"
#include "feeds/ArtifactTask.h"
#include "feeds/LocalLabelCommands.h"
#include "serverlink/ServerRequest.h"
#include "settings/AppSettings.h"

#include <QJsonArray>
#include <QNetworkRequest>

namespace {

const QString kEndpoint = QStringLiteral("/api/client-artifacts");

QJsonArray tasksOf(const QJsonObject &reply)
{
    const QJsonValue items = reply.value(QLatin1String("items"));
    return items.isArray() ? items.toArray() : reply.value(QLatin1String("artifacts")).toArray();
}

// The rejection of a reply that is not 2xx, in the operator's words.
QString describeRejection(const ServerReply &reply)
{
    if (!reply.accepted)
        return describeServerStatus(reply.rejection);
    return describeServerStatus(jsonFirstText(reply.object, {"message", "error"}, QStringLiteral("server_error")));
}

} // namespace

ArtifactSyncService::ArtifactSyncService(AppSettings *settings, Journal *eventLog, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_eventLog(eventLog)
    , m_statusText(QStringLiteral("Приложение: ожидание серверных заданий"))
{
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &ArtifactSyncService::syncNow);
}

void ArtifactSyncService::start()
{
    m_timer.start();
    QTimer::singleShot(kFirstSyncDelayMs, this, &ArtifactSyncService::syncNow);
}

void ArtifactSyncService::stop()
{
    m_timer.stop();
}

void ArtifactSyncService::syncNow()
{
    if (m_fetching || m_confirming || !m_settings || m_settings->onboardingRequired())
        return;
    const QUrl base = resolveEndpointUrl(m_settings, kEndpoint);
    if (m_settings->serverUrl().trimmed().isEmpty() || m_settings->tenantId().trimmed().isEmpty()
        || !base.isValid() || base.isEmpty()) {
        setStatus(QStringLiteral("Приложение: API серверных заданий не настроен"));
        return;
    }
    const QUrl url = withQueryItems(base, {{QStringLiteral("status"), QStringLiteral("pending")},
                                           {QStringLiteral("limit"), QStringLiteral("100")},
                                           {QStringLiteral("tenant_id"), m_settings->tenantId()},
                                           {QStringLiteral("device_id"), m_settings->deviceId()},
                                           {QStringLiteral("device_name"), m_settings->deviceName()},
                                           {QStringLiteral("client_id"), m_settings->clientId()}});
    m_fetching = true;
    setBusy(true);
    QNetworkRequest request(url);
    applyRequestHeaders(request, m_settings, true);
    ServerReplyOptions options;
    options.timeoutMs = m_timeoutMs;
    options.maxBodyBytes = kMaxReplyBytes;
    handleServerReply(m_network.get(request), this, m_settings,
                      [this](const ServerReply &reply) { onFetchReply(reply); }, options);
}

void ArtifactSyncService::onFetchReply(const ServerReply &reply)
{
    m_fetching = false;
    setBusy(false);

    // A body cut short can still parse; tasks from it are never carried out.
    const bool cut = reply.error != QNetworkReply::NoError && reply.statusOk();
    if (reply.networkFailed() || cut) {
        failFetch(QStringLiteral("Приложение: серверные задания недоступны: %1").arg(describeNetworkError(reply.errorText)));
        return;
    }
    if (!reply.isObject) {
        failFetch(reply.httpStatus > 0
                      ? QStringLiteral("Приложение: сервер вернул не JSON по заданиям (HTTP %1)").arg(reply.httpStatus)
                      : QStringLiteral("Приложение: сервер вернул не JSON по заданиям"));
        return;
    }
    if (!reply.accepted || !reply.statusOk()) {
        failFetch(QStringLiteral("Приложение: сервер отклонил запрос заданий: %1").arg(describeRejection(reply)));
        return;
    }
    m_fetchFailing = false;

    const QJsonArray tasks = tasksOf(reply.object);
    if (tasks.isEmpty()) {
        m_lastBatchWarnings.clear();
        setStatus(QStringLiteral("Приложение: новых серверных заданий нет"));
        return;
    }
    handleTasks(tasks);
}

void ArtifactSyncService::handleTasks(const QJsonArray &tasks)
{
    QStringList doneKeys;
    int changedFiles = 0;
    QSet<QString> warnings;
    for (const QJsonValue &value : tasks) {
        if (!value.isObject())
            continue;
        const ArtifactTask task = ArtifactTask::fromJson(value.toObject());
        const ArtifactOutcome outcome = runTask(task);
        for (const ArtifactOutcome::Line &line : outcome.lines) {
            if (line.level == ArtifactOutcome::Level::Warn) {
                warnings.insert(line.message);
                if (m_lastBatchWarnings.contains(line.message))
                    continue;
            }
            log(line);
        }
        changedFiles += outcome.changedFiles;
        if (outcome.done && !task.key.isEmpty() && !doneKeys.contains(task.key))
            doneKeys << task.key;
    }
    m_lastBatchWarnings = warnings;
    qCInfo(lcFeeds) << "artifacts:" << tasks.size() << "tasks," << doneKeys.size() << "done," << changedFiles
                    << "files written or changed";
    setStatus(changedFiles > 0 ? QStringLiteral("Приложение: серверные задания сохранены: %1").arg(changedFiles)
                               : QStringLiteral("Приложение: серверные задания получены, но не сохранены"));
    if (!doneKeys.isEmpty())
        postConfirmation(doneKeys);
}

ArtifactOutcome ArtifactSyncService::runTask(const ArtifactTask &task) const
{
    switch (task.kind) {
    case ArtifactTask::Kind::RenameLabels:
        return LocalLabelCommands::rename(ArtifactFolders::forMarketplaceLabels(m_settings, task.marketplace), task);
    case ArtifactTask::Kind::DeleteLabels:
        return LocalLabelCommands::remove(ArtifactFolders::forMarketplaceLabels(m_settings, task.marketplace), task);
    case ArtifactTask::Kind::SaveFile:
        break;
    }
    return saveArtifactFile(m_settings, task);
}

void ArtifactSyncService::postConfirmation(const QStringList &keys)
{
    const QUrl url = resolveEndpointUrl(m_settings, kEndpoint);
    if (!m_settings || !url.isValid() || url.isEmpty())
        return;
    const QJsonObject body{
        {QStringLiteral("action"), QStringLiteral("mark_done")},
        {QStringLiteral("tenant_id"), m_settings->tenantId().trimmed()},
        {QStringLiteral("device_id"), m_settings->deviceId().trimmed()},
        {QStringLiteral("device_name"), m_settings->deviceName().trimmed()},
        {QStringLiteral("client_id"), m_settings->clientId().trimmed()},
        {QStringLiteral("keys"), QJsonArray::fromStringList(keys)},
        {QStringLiteral("client_ts"), isoUtcNowMs()},
    };
    m_confirming = true;
    QNetworkRequest request(url);
    applyRequestHeaders(request, m_settings, true);
    ServerReplyOptions options;
    options.timeoutMs = m_timeoutMs;
    handleServerReply(m_network.post(request, compactJson(body)), this, m_settings,
                      [this](const ServerReply &reply) { onConfirmReply(reply); }, options);
}

void ArtifactSyncService::onConfirmReply(const ServerReply &reply)
{
    m_confirming = false;
    QString problem;
    if (reply.networkFailed())
        problem = describeNetworkError(reply.errorText);
    else if (!reply.isObject)
        problem = describeServerStatus(QStringLiteral("server_error"));
    else if (!reply.accepted || !reply.statusOk())
        problem = describeRejection(reply);
    if (problem.isEmpty()) {
        m_confirmFailing = false;
        return;
    }
    const QString message = QStringLiteral("Приложение: сервер не принял подтверждение заданий: %1").arg(problem);
    qCInfo(lcFeeds) << message;
    if (m_confirmFailing)
        return;
    m_confirmFailing = true;
    journalWarn(m_eventLog, message);
}

void ArtifactSyncService::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    Q_EMIT changed();
}

void ArtifactSyncService::setStatus(const QString &text)
{
    if (m_statusText == text)
        return;
    m_statusText = text;
    Q_EMIT changed();
}

void ArtifactSyncService::failFetch(const QString &message)
{
    setStatus(message);
    qCInfo(lcFeeds) << message;
    if (m_fetchFailing)
        return;
    m_fetchFailing = true;
    journalWarn(m_eventLog, message);
}

void ArtifactSyncService::log(const ArtifactOutcome::Line &line)
{
    qCInfo(lcFeeds) << line.message;
    if (!m_eventLog)
        return;
    if (line.level == ArtifactOutcome::Level::Success)
        m_eventLog->addSuccess(line.message);
    else
        m_eventLog->addWarn(line.message);
}
