#include "feeds/NewMaketsReporter.h"

#include "common/Journal.h"
#include "common/JsonRead.h"
#include "common/LogCategories.h"
#include "serverlink/ClientEvent.h"
#include "serverlink/ServerRequest.h"
#include "settings/AppSettings.h"

#include <QNetworkRequest>

NewMaketsReporter::NewMaketsReporter(AppSettings *settings, Journal *eventLog, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_eventLog(eventLog)
{
}

void NewMaketsReporter::send(const QString &path, const QJsonObject &fields, bool replaceable)
{
    if (replaceable && !m_queue.isEmpty() && m_queue.last().replaceable && m_queue.last().path == path
        && m_queue.last().fields.value(QLatin1String("status")) == fields.value(QLatin1String("status"))) {
        m_queue.last().fields = fields;
        return;
    }
    m_queue.append(Report{path, fields, replaceable});
    if (!m_sending)
        sendNext();
}

void NewMaketsReporter::sendNext()
{
    if (m_queue.isEmpty()) {
        m_sending = false;
        Q_EMIT drained();
        return;
    }
    const Report report = m_queue.takeFirst();
    const QUrl url = resolveEndpointUrl(m_settings, report.path);
    if (!m_settings || !url.isValid() || url.isEmpty()) {
        sendNext();
        return;
    }
    m_sending = true;
    QJsonObject body = clientEventIdentity(m_settings);
    for (auto it = report.fields.constBegin(); it != report.fields.constEnd(); ++it)
        body.insert(it.key(), it.value());
    QNetworkRequest request(url);
    applyRequestHeaders(request, m_settings, true);
    ServerReplyOptions options;
    options.timeoutMs = m_timeoutMs;
    handleServerReply(m_network.post(request, compactJson(body)), this, m_settings,
                      [this, path = report.path](const ServerReply &reply) {
        QString problem;
        if (reply.networkFailed())
            problem = describeNetworkError(reply.errorText);
        else if (!reply.statusOk() || (reply.isObject && !reply.accepted))
            problem = reply.rejection.isEmpty() ? QStringLiteral("HTTP %1").arg(reply.httpStatus)
                                                : describeServerStatus(reply.rejection);
        if (!problem.isEmpty()) {
            qCInfo(lcFeeds) << "new layouts: report to" << path << "failed:" << problem;
            if (!m_failing && m_eventLog)
                m_eventLog->addWarn(QStringLiteral("Новые макеты: статус не дошёл до сервера: %1").arg(problem));
            m_failing = true;
        } else {
            m_failing = false;
        }
        sendNext();
    }, options);
}
