#include "feeds/ReleaseNotesService.h"

#include "common/AtomicFile.h"
#include "common/IsoTime.h"
#include "common/JsonRead.h"
#include "common/LogCategories.h"
#include "serverlink/ServerRequest.h"
#include "settings/AppSettings.h"
#include "settings/ServerDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QNetworkRequest>

ReleaseNotesService::ReleaseNotesService(AppSettings *settings, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
{
    reload();
    refreshFromServer();
}

QString ReleaseNotesService::releaseDirectory() const
{
    return m_releaseDir.isEmpty() ? QCoreApplication::applicationDirPath() : m_releaseDir;
}

QString ReleaseNotesService::statePath() const
{
    const QString folder = m_settings ? m_settings->appDataDir() : QCoreApplication::applicationDirPath();
    return QDir(folder).filePath(QStringLiteral("release_notes_state.json"));
}

QString ReleaseNotesService::fallbackServerUrl()
{
    return QString::fromLatin1(ServerDefaults::kDefaultServerUrl);
}

QString ReleaseNotesService::seenVersion() const
{
    return jsonFirstText(readJsonObjectFile(statePath()), {"seen_version"});
}

void ReleaseNotesService::applyVersion(const QString &version, const QString &title, const QString &notes)
{
    const QString v = version.trimmed();
    const QString t = title.trimmed();
    const QString n = notes.trimmed();
    if (v.isEmpty() || n.isEmpty())
        return;
    const bool visible = seenVersion() != v;
    if (visible == m_visible && v == m_version && t == m_title && n == m_notes)
        return;
    m_visible = visible;
    m_version = v;
    m_title = t;
    m_notes = n;
    Q_EMIT changed();
}

void ReleaseNotesService::reload()
{
    const QDir dir(releaseDirectory());
    QString path = dir.filePath(QStringLiteral(".vorn-release.json"));
    if (!QFile::exists(path))
        path = dir.filePath(QStringLiteral("version.json"));
    const QJsonObject release = readJsonObjectFile(path);
    if (release.isEmpty())
        return;
    applyVersion(jsonToText(release.value(QLatin1String("version"))),
                 jsonToText(release.value(QLatin1String("title"))),
                 jsonToText(release.value(QLatin1String("notes"))));
}

void ReleaseNotesService::refreshFromServer()
{
    if (m_checking)
        return;
    QString base = m_settings ? m_settings->serverUrl().trimmed() : QString();
    const QUrl configured(base, QUrl::StrictMode);
    if (base.isEmpty() || !configured.isValid() || configured.scheme().isEmpty() || configured.host().isEmpty())
        base = fallbackServerUrl();
    const QUrl url = withQueryItems(QUrl(base).resolved(QUrl(QStringLiteral("/api/version"))),
                                    {{QStringLiteral("channel"), QStringLiteral("stable")}});
    QNetworkRequest request(url);
    // Anonymous request: no key or identity headers, only HTTP/1.1.
    applyRequestHeaders(request, nullptr, false);
    m_checking = true;
    ServerReplyOptions options;
    options.timeoutMs = m_timeoutMs;
    options.classify = ServerReplyOptions::Classify::Never;
    handleServerReply(m_network.get(request), this, nullptr,
                      [this](const ServerReply &reply) {
                          m_checking = false;
                          onServerReply(reply);
                      },
                      options);
}

void ReleaseNotesService::onServerReply(const ServerReply &reply)
{
    if (reply.networkFailed() || !reply.isObject || !m_settings)
        return;
    const QJsonObject &object = reply.object;
    if (!object.value(QLatin1String("ok")).toBool(true))
        return;
    const QString version = jsonToText(object.value(QLatin1String("version")));
    if (version.isEmpty() || version != m_settings->appVersion().trimmed())
        return;
    const QString notes = jsonToText(object.value(QLatin1String("notes")));
    if (notes.isEmpty())
        return;
    applyVersion(version, jsonToText(object.value(QLatin1String("title"))), notes);
}

void ReleaseNotesService::markSeen()
{
    if (m_version.isEmpty())
        return;
    const QString path = statePath();
    const QJsonObject state{{QStringLiteral("seen_version"), m_version},
                            {QStringLiteral("seen_at"), isoUtcNowMs()}};
    if (!writeFileAtomically(path, QJsonDocument(state).toJson(QJsonDocument::Indented)))
        qCWarning(lcFeeds) << "cannot write" << path;
    m_visible = false;
    Q_EMIT changed();
}
