#include "staff/EmployeeRecords.h"

#include "common/JsonRead.h"
#include "staff/EmployeeIdentity.h"

#include <QHash>
#include <QSet>
#include <QRandomGenerator>

namespace {

QString hexDigits(quint64 value, int count)
{
    return QString::number(value, 16).rightJustified(16, QLatin1Char('0')).left(count);
}

} // namespace

QString EmployeeRecords::recordId(const QVariantMap &record)
{
    return variantFirstText(record, {"id", "employee_id", "emp_id"});
}

QString EmployeeRecords::cardUid(const QVariantMap &record)
{
    return EmployeeIdentity::normalizeRfidUid(variantFirstText(record, {"rfid_uid", "uid"}));
}

QString EmployeeRecords::cardData(const QVariantMap &record)
{
    return variantFirstText(record, {"payload", "card_data", "rfidData", "rfid_data"});
}

QString EmployeeRecords::defaultShift(const QVariantMap &record)
{
    return variantFirstText(record, {"defaultShift", "default_shift"});
}

int EmployeeRecords::indexOf(const QString &employeeId) const
{
    if (employeeId.isEmpty())
        return -1;
    for (int i = 0; i < m_records.size(); ++i) {
        if (recordId(m_records.at(i).toMap()) == employeeId)
            return i;
    }
    return -1;
}

QVariantMap EmployeeRecords::record(const QString &employeeId) const
{
    const int index = indexOf(employeeId);
    return index < 0 ? QVariantMap() : m_records.at(index).toMap();
}

QString EmployeeRecords::nameOf(const QString &employeeId) const
{
    for (const QVariant &item : m_records) {
        const QVariantMap map = item.toMap();
        if (variantToText(map.value(QStringLiteral("id"))) == employeeId)
            return variantFirstText(map, {"name", "display_name"});
    }
    return {};
}

QHash<QString, QString> EmployeeRecords::namesById() const
{
    QHash<QString, QString> names;
    names.reserve(m_records.size());
    for (const QVariant &item : m_records) {
        const QVariantMap map = item.toMap();
        const QString id = variantToText(map.value(QStringLiteral("id")));
        if (!names.contains(id))
            names.insert(id, variantFirstText(map, {"name", "display_name"}));
    }
    return names;
}

QString EmployeeRecords::nameById(const QString &employeeId, const QString &fallback) const
{
    for (const QVariant &item : m_records) {
        const QVariantMap map = item.toMap();
        if (variantToText(map.value(QStringLiteral("id"))) == employeeId)
            return variantToText(map.value(QStringLiteral("name")));
    }
    const QString f = fallback.trimmed();
    return f.isEmpty() ? employeeId : f;
}

QString EmployeeRecords::idByExactText(const QString &text) const
{
    for (const QVariant &item : m_records) {
        const QString candidate = recordId(item.toMap());
        if (!candidate.isEmpty() && candidate == text)
            return candidate;
    }
    return {};
}

QString EmployeeRecords::idByCard(const QString &normalizedUid) const
{
    if (normalizedUid.isEmpty())
        return {};
    for (const QVariant &item : m_records) {
        const QVariantMap map = item.toMap();
        if (cardUid(map) == normalizedUid)
            return variantFirstText(map, {"emp_id", "employee_id", "id"});
    }
    return {};
}

QString EmployeeRecords::makeUniqueEmployeeId(const QString &requested) const
{
    const auto random = [this] { return m_random ? m_random() : QRandomGenerator::global()->generate64(); };
    QString id = requested.trimmed();
    if (id.isEmpty())
        id = QStringLiteral("emp_") + hexDigits(random(), 6);
    const QString base = id;
    while (contains(id))
        id = base + QLatin1Char('_') + hexDigits(random(), 4);
    return id;
}

bool EmployeeRecords::merge(const QVariantList &incoming)
{
    QHash<QString, QVariantMap> local;
    for (const QVariant &item : std::as_const(m_records)) {
        const QVariantMap map = item.toMap();
        const QString id = recordId(map);
        if (!id.isEmpty() && !local.contains(id))
            local.insert(id, map);
    }

    QVariantList merged;
    QSet<QString> seen;
    for (const QVariant &item : incoming) {
        if (item.typeId() != QMetaType::QVariantMap)
            continue;
        QVariantMap record = item.toMap();
        const QString id = EmployeeIdentity::payloadId(record);
        if (id.isEmpty() || seen.contains(id))
            continue;
        const QVariantMap old = local.value(id);
        const auto fill = [&](const QString &key, const QString &serverValue, const QString &localValue) {
            record.insert(key, serverValue.isEmpty() ? localValue : serverValue);
        };
        fill(QStringLiteral("name"), variantFirstText(record, {"display_name", "name"}), variantToText(old.value(QStringLiteral("name"))));
        fill(QStringLiteral("role"), variantToText(record.value(QStringLiteral("role"))), variantToText(old.value(QStringLiteral("role"))));
        fill(QStringLiteral("rfid_uid"), variantFirstText(record, {"rfid_uid", "rfid"}), variantToText(old.value(QStringLiteral("rfid_uid"))));
        const QString data = cardData(record).isEmpty() ? cardData(old) : cardData(record);
        record.insert(QStringLiteral("rfid_data"), data);
        record.insert(QStringLiteral("rfidData"), data);
        fill(QStringLiteral("default_shift"), defaultShift(record), defaultShift(old));
        record.insert(QStringLiteral("id"), id);
        merged.append(record);
        seen.insert(id);
    }
    if (merged.isEmpty())
        return false;
    // Employees created here survive until the server knows them.
    for (const QVariant &item : std::as_const(m_records)) {
        const QString id = recordId(item.toMap());
        if (!id.isEmpty() && !seen.contains(id)) {
            merged.append(item);
            seen.insert(id);
        }
    }
    m_records = merged;
    return true;
}
