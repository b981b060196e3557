#include "DevFaults.h"

QJsonObject DevFault::toJson() const
{
    QJsonObject object{
        {QStringLiteral("path"), path},
        {QStringLiteral("method"), method},
        {QStringLiteral("delay_ms"), delayMs},
        {QStringLiteral("status"), status},
        {QStringLiteral("drop"), drop},
        {QStringLiteral("block"), block},
        {QStringLiteral("message"), message},
        {QStringLiteral("times"), remaining},
    };
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
    fault.block = object.value(QStringLiteral("block")).toString().trimmed().toLower();
    fault.message = object.value(QStringLiteral("message")).toString();
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

bool DevFaults::take(const QString &method, const QString &path, DevFault *out)
{
    for (int i = 0; i < m_faults.size(); ++i) {
        DevFault &fault = m_faults[i];
        if (fault.path != path || (!fault.method.isEmpty() && fault.method != method))
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
