#include "DevJournal.h"

#include "DevHttp.h"

#include <QDateTime>
#include <QJsonDocument>

namespace {

constexpr int kMaxEntries = 5000;
constexpr int kMaxBodyTextChars = 4000;
constexpr int kMaxParsedBody = 2 * 1024 * 1024;

} // namespace

qint64 DevJournal::record(const DevRequest &request)
{
    QJsonObject query;
    for (const auto &item : request.query.queryItems(QUrl::FullyDecoded))
        query.insert(item.first, item.second);

    QJsonObject headers;
    for (const auto &pair : request.headers)
        headers.insert(QString::fromLatin1(pair.first).toLower(), QString::fromUtf8(pair.second));

    QJsonObject entry{
        {QStringLiteral("seq"), m_nextSeq},
        {QStringLiteral("ts"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)},
        {QStringLiteral("method"), request.method},
        {QStringLiteral("path"), request.path},
        {QStringLiteral("query"), query},
        {QStringLiteral("headers"), headers},
        {QStringLiteral("remote"), request.remote},
        {QStringLiteral("body_size"), request.body.size()},
    };
    if (request.hasJson) {
        entry.insert(QStringLiteral("body"), request.json);
    } else if (!request.body.isEmpty()) {
        // Oversized bodies are only summarised; they are refused anyway.
        const QJsonDocument document = request.body.size() <= kMaxParsedBody
            ? QJsonDocument::fromJson(request.body) : QJsonDocument();
        if (document.isObject())
            entry.insert(QStringLiteral("body"), document.object());
        else if (document.isArray())
            entry.insert(QStringLiteral("body"), document.array());
        else
            entry.insert(QStringLiteral("body_text"),
                         QString::fromUtf8(request.body.left(kMaxBodyTextChars)));
    }
    m_entries.append(entry);
    while (m_entries.size() > kMaxEntries)
        m_entries.removeFirst();
    return m_nextSeq++;
}

void DevJournal::setStatus(qint64 seq, int status, const QString &outcome)
{
    // Recent entries are at the end; a delayed answer is usually among the last few.
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
        if (it->value(QStringLiteral("seq")).toInteger() == seq) {
            it->insert(QStringLiteral("status"), status);
            if (!outcome.isEmpty())
                it->insert(QStringLiteral("outcome"), outcome);
            return;
        }
    }
}

void DevJournal::clear()
{
    m_entries.clear();
}

QJsonArray DevJournal::entries(qint64 since, const QString &path, int limit) const
{
    QJsonArray list;
    for (const QJsonObject &entry : m_entries) {
        if (entry.value(QStringLiteral("seq")).toInteger() <= since)
            continue;
        if (!path.isEmpty() && entry.value(QStringLiteral("path")).toString() != path)
            continue;
        list.append(entry);
    }
    if (limit > 0) {
        while (list.size() > limit)
            list.removeFirst();
    }
    return list;
}
