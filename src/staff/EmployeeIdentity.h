#pragma once

#include <QString>
#include <QVariantMap>

// Recognising an employee in scanned text: a badge QR (a JSON object), a tagged
// text such as "EMP: a-17", or key-value text with a quoted id. Never throws;
// text of any other kind names nobody.
class EmployeeIdentity
{
public:
    // The scanned object (or {kind: "emp", employee_id, id} for a tagged text)
    // with the id written to employee_id, emp_id and id; empty when nothing fits.
    static QVariantMap parseEmployeePayload(const QString &text);
    static QString extractEmployeeId(const QString &text);
    // Upper-case hexadecimal digits only: "04:a1-B2 zz" -> "04A1B2".
    static QString normalizeRfidUid(const QString &text);
    // First non-empty of employee_id, emp_id, id (trimmed).
    static QString payloadId(const QVariantMap &map);
};
