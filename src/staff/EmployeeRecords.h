#pragma once

#include <QHash>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <functional>

// The tenant's employee list: records in arrival order, string-keyed maps that may
// carry the server's other spellings. Lookups, the snapshot merge and the edits.
class EmployeeRecords
{
public:
    const QVariantList &list() const { return m_records; }
    void setList(const QVariantList &records) { m_records = records; }
    int size() const { return m_records.size(); }

    // The record's id: first non-empty of id, employee_id, emp_id.
    static QString recordId(const QVariantMap &record);
    static QString cardUid(const QVariantMap &record);      // rfid_uid, else uid, normalised
    static QString cardData(const QVariantMap &record);     // payload, card_data, rfidData, rfid_data
    static QString defaultShift(const QVariantMap &record); // defaultShift, else default_shift

    int indexOf(const QString &employeeId) const;
    bool contains(const QString &employeeId) const { return indexOf(employeeId) >= 0; }
    QVariantMap record(const QString &employeeId) const;
    // The record's name, or empty when there is no such record.
    QString nameOf(const QString &employeeId) const;
    // Every employee's name by id (the first record of an id wins, as in nameOf):
    // for views that look up a name per row.
    QHash<QString, QString> namesById() const;
    QString nameById(const QString &employeeId, const QString &fallback = QString()) const;
    // A scan that is exactly some record's id.
    QString idByExactText(const QString &text) const;
    // The record whose card matches the normalised UID (empty UID matches nothing).
    QString idByCard(const QString &normalizedUid) const;

    // requested (or "emp_" + 6 hex digits) made unique with "_" + 4 hex digits.
    QString makeUniqueEmployeeId(const QString &requested) const;
    using RandomSource = std::function<quint64()>;
    void setRandomSource(RandomSource source) { m_random = std::move(source); }

    // The server's records first, gaps filled from the local ones; local records the
    // server does not know yet stay behind them. An empty incoming list changes nothing.
    bool merge(const QVariantList &incoming);

    void append(const QVariantMap &record) { m_records.append(record); }
    void replaceAt(int index, const QVariantMap &record) { m_records[index] = record; }
    void removeAt(int index) { m_records.removeAt(index); }

private:
    QVariantList m_records;
    RandomSource m_random;
};
