#include "serverlink/ConfigPushService.h"

#include "common/Journal.h"
#include "common/JsonRead.h"
#include "serverlink/ServerRequest.h"
#include "settings/AppSettings.h"
#include "settings/ScriptEntries.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QNetworkRequest>

#include <algorithm>
#include <iterator>

namespace {

struct CollectionText
{
    const char *eventType;
    const char *success;
    const char *rejected;
    const char *undelivered;
};

const CollectionText kTexts[] = {
    {"consumable_tabs_replace", "Расходники: схема вкладок отправлена на сервер.",
     "Расходники: сервер не принял схему вкладок (%1 / HTTP %2)",
     "Расходники: схема вкладок не дошла до сервера (%1)"},
    {"qr_wall_bindings_replace", "QR стены: привязки отправлены на сервер.",
     "QR стены: сервер не принял привязки (%1 / HTTP %2)", "QR стены: привязки не дошли до сервера (%1)"},
    {"settings_replace", "Скрипты: каталог отправлен на сервер.",
     "Скрипты: сервер не принял каталог (%1 / HTTP %2)", "Скрипты: каталог не дошёл до сервера (%1)"},
    {"settings_replace", "Инструкция: секции отправлены на сервер.",
     "Инструкция: сервер не принял секции (%1 / HTTP %2)", "Инструкция: секции не дошли до сервера (%1)"},
};

const char *const kPayloadKeys[] = {"consumableTabs", "wallBindings", "scripts_catalog", "help_sections"};

QString compactArrayText(const QJsonArray &array)
{
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

} // namespace

ConfigPushService::ConfigPushService(AppSettings *settings, Journal *eventLog, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_eventLog(eventLog)
{
    if (settings)
        connect(settings, &AppSettings::serverPayloadApplied, this, &ConfigPushService::takeServerBaselines);
}

QJsonArray ConfigPushService::scriptsCatalog(const QVariantList &entries)
{
    QJsonArray items;
    int position = 0;
    const QStringList ids = ScriptEntries::scriptIds(entries);
    for (const QVariant &value : entries) {
        ++position;
        const QVariantMap entry = value.toMap();
        const QString name = variantFirstText(entry, {"name"});
        // The same id the machine's script bindings and the server's commands use.
        const QString id = ids.at(position - 1);
        QString launchMode = variantFirstText(entry, {"launchMode", "launch_mode"});
        QString kind = variantFirstText(entry, {"kind"});
        QString fileName = variantFirstText(entry, {"fileName", "filename"});
        if (fileName.isEmpty())
            fileName = QFileInfo(variantFirstText(entry, {"path"})).fileName();
        items.append(QJsonObject{
            {QStringLiteral("id"), id},
            {QStringLiteral("title"), name.isEmpty() ? QStringLiteral("Скрипт %1").arg(position) : name},
            {QStringLiteral("enabled"), variantToBool(entry.value(QStringLiteral("enabled")), true)},
            {QStringLiteral("launch_mode"), launchMode.isEmpty() ? QStringLiteral("auto") : launchMode},
            {QStringLiteral("arguments"), entry.value(QStringLiteral("arguments")).toString()},
            {QStringLiteral("kind"), kind.isEmpty() ? QStringLiteral("custom") : kind},
            {QStringLiteral("filename"), fileName},
        });
    }
    return items;
}

QJsonArray ConfigPushService::collectionArray(Collection collection) const
{
    if (!m_settings)
        return QJsonArray();
    switch (collection) {
    case ConsumableTabs:
        return QJsonArray::fromVariantList(m_settings->consumableTabs());
    case WallBindings: {
        QJsonArray bindings;
        const QVariantList list = m_settings->wallBindings();
        for (int i = 0; i < list.size(); ++i) {
            QJsonObject binding = QJsonObject::fromVariantMap(list.at(i).toMap());
            const QString payload = m_settings->wallBindingPayload(i);
            if (!payload.isEmpty()) {
                binding.insert(QStringLiteral("payload"), payload);
                binding.insert(QStringLiteral("qr_payload"), payload);
                binding.insert(QStringLiteral("qr"), QString(QStringLiteral("VORN_WALL:") + payload));
            }
            bindings.append(binding);
        }
        return bindings;
    }
    case ScriptsCatalog:
        return scriptsCatalog(m_settings->scriptEntries());
    case HelpSections:
        return QJsonArray::fromVariantList(m_settings->helpSections());
    case CollectionCount:
        break;
    }
    return QJsonArray();
}

QString ConfigPushService::currentSignature(Collection collection) const
{
    return compactArrayText(collectionArray(collection));
}

void ConfigPushService::recordBaselines()
{
    m_lastSent[ConsumableTabs] = currentSignature(ConsumableTabs);
    m_lastSent[WallBindings].clear();
    m_lastSent[ScriptsCatalog] = currentSignature(ScriptsCatalog);
    m_lastSent[HelpSections] = currentSignature(HelpSections);
}

void ConfigPushService::takeServerBaselines()
{
    // Wall bindings keep going out after every start.
    for (const Collection collection : {ConsumableTabs, ScriptsCatalog, HelpSections}) {
        if (!m_inFlight[collection])
            m_lastSent[collection] = currentSignature(collection);
    }
}

void ConfigPushService::run()
{
    if (!m_settings || m_settings->onboardingRequired())
        return;
    if (m_settings->serverUrl().trimmed().isEmpty() || m_settings->eventEndpoint().trimmed().isEmpty())
        return;
    const QUrl url = resolveEndpointUrl(m_settings, m_settings->eventEndpoint());
    if (!url.isValid() || url.isEmpty())
        return;

    for (int i = 0; i < CollectionCount; ++i) {
        const auto collection = Collection(i);
        if (collection == WallBindings && m_settings->wallBindings().isEmpty())
            continue;
        const QString signature = currentSignature(collection);
        if (signature.isEmpty() || signature == m_lastSent[collection])
            continue;
        // One request per collection at a time; the newer state follows its reply.
        if (m_inFlight[collection]) {
            m_rerun = true;
            continue;
        }
        send(url, collection, signature);
    }
}

void ConfigPushService::send(const QUrl &url, Collection collection, const QString &signature)
{
    const QJsonArray array = QJsonDocument::fromJson(signature.toUtf8()).array();
    const QJsonObject body{
        {QStringLiteral("event_type"), QLatin1String(kTexts[collection].eventType)},
        {QStringLiteral("payload"), QJsonObject{{QLatin1String(kPayloadKeys[collection]), array}}},
    };
    QNetworkRequest request(url);
    applyRequestHeaders(request, m_settings, true);
    m_inFlight[collection] = true;
    ServerReplyOptions options;
    options.classify = ServerReplyOptions::Classify::Never;
    handleServerReply(m_network.post(request, compactJson(body)), this, m_settings,
                      [this, collection, signature](const ServerReply &reply) {
                          m_inFlight[collection] = false;
                          onReply(collection, signature, reply);
                      },
                      options);
}

void ConfigPushService::onReply(Collection collection, const QString &signature, const ServerReply &reply)
{
    const CollectionText &texts = kTexts[collection];
    bool accepted = false;
    if (reply.networkFailed()) {
        if (m_eventLog)
            m_eventLog->addWarn(QString::fromUtf8(texts.undelivered).arg(reply.errorText));
    } else if (reply.isObject && reply.accepted) {
        accepted = true;
        m_lastSent[collection] = signature;
        if (m_eventLog)
            m_eventLog->addInfo(QString::fromUtf8(texts.success));
    } else {
        const QString reason = reply.isObject && !reply.rejection.isEmpty() ? reply.rejection
                                                                            : QStringLiteral("bad reply");
        if (m_eventLog)
            m_eventLog->addWarn(QString::fromUtf8(texts.rejected).arg(reason, QString::number(reply.httpStatus)));
    }
    Q_EMIT pushFinished(collection, accepted);
    if (m_rerun && std::none_of(std::begin(m_inFlight), std::end(m_inFlight), [](bool busy) { return busy; })) {
        m_rerun = false;
        run();
    }
}
