#include "DevFaults.h"

#include <QRandomGenerator>

QJsonObject DevFault::toJson() const
{
    QJsonObject object{
        {QStringLiteral("path"), path},
        {QStringLiteral("method"), method},
        {QStringLiteral("delay_ms"), delayMs},
        {QStringLiteral("status"), status},
        {QStringLiteral("drop"), drop},
        {QStringLiteral("drop_after"), dropAfter},
        {QStringLiteral("block"), block},
        {QStringLiteral("message"), message},
        {QStringLiteral("times"), remaining},
        {QStringLiteral("rate"), rate},
    };
    if (delayMaxMs > delayMs)
        object.insert(QStringLiteral("delay_max_ms"), delayMaxMs);
    if (!rawBody.isEmpty())
        object.insert(QStringLiteral("body"), QString::fromUtf8(rawBody));
    if (hasJsonBody)
        object.insert(QStringLiteral("json"), jsonBody);
    return object;
}

DevFault DevFault::fromJson(const QJsonObject &object)
{
    DevFault fault;
    fault.path = object.value(QStringLiteral("path")).toString().trimmed();
    fault.method = object.value(QStringLiteral("method")).toString().trimmed().toUpper();
    fault.delayMs = qMax(0, object.value(QStringLiteral("delay_ms")).toInt());
    fault.status = object.value(QStringLiteral("status")).toInt();
    fault.rawBody = object.value(QStringLiteral("body")).toString().toUtf8();
    fault.hasJsonBody = object.value(QStringLiteral("json")).isObject();
    fault.jsonBody = object.value(QStringLiteral("json")).toObject();
    fault.drop = object.value(QStringLiteral("drop")).toBool();
    fault.dropAfter = object.value(QStringLiteral("drop_after")).toBool();
    fault.block = object.value(QStringLiteral("block")).toString().trimmed().toLower();
    fault.message = object.value(QStringLiteral("message")).toString();
    fault.delayMaxMs = qMax(0, object.value(QStringLiteral("delay_max_ms")).toInt());
    fault.rate = qBound(0.0, object.value(QStringLiteral("rate")).toDouble(1.0), 1.0);
    fault.remaining = object.value(QStringLiteral("times")).toInt(-1);
    if (fault.remaining == 0)
        fault.remaining = -1;
    return fault;
}

void DevFaults::add(const DevFault &fault)
{
    // A newer switch for the same path and method replaces the older one.
    for (int i = m_faults.size() - 1; i >= 0; --i) {
        if (m_faults[i].path == fault.path && m_faults[i].method == fault.method)
            m_faults.removeAt(i);
    }
    m_faults.append(fault);
}

void DevFaults::clear(const QString &path)
{
    if (path.isEmpty()) {
        m_faults.clear();
        return;
    }
    for (int i = m_faults.size() - 1; i >= 0; --i) {
        if (m_faults[i].path == path)
            m_faults.removeAt(i);
    }
}

bool DevFault::matches(const QString &requestMethod, const QString &requestPath) const
{
    if (!method.isEmpty() && method != requestMethod)
        return false;
    if (path.endsWith(u'*'))
        return requestPath.startsWith(QStringView(path).chopped(1));
    return path == requestPath;
}

int DevFault::pickDelayMs() const
{
    if (delayMaxMs <= delayMs)
        return delayMs;
    return delayMs + int(QRandomGenerator::global()->bounded(delayMaxMs - delayMs + 1));
}

bool DevFaults::take(const QString &method, const QString &path, DevFault *out)
{
    for (int i = 0; i < m_faults.size(); ++i) {
        DevFault &fault = m_faults[i];
        if (!fault.matches(method, path))
            continue;
        // A partial rate lets the other requests through untouched.
        if (fault.rate < 1.0 && QRandomGenerator::global()->generateDouble() >= fault.rate)
            continue;
        if (out)
            *out = fault;
        if (fault.remaining > 0 && --fault.remaining == 0)
            m_faults.removeAt(i);
        return true;
    }
    return false;
}

QJsonArray DevFaults::toJson() const
{
    QJsonArray list;
    for (const DevFault &fault : m_faults)
        list.append(fault.toJson());
    return list;
}
