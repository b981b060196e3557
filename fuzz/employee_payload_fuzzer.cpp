#include "FuzzSupport.h"

#include "common/CardUid.h"
#include "staff/EmployeeIdentity.h"

#include <cstdlib>

// A badge QR, a tagged text or a card read: whatever names an employee does so
// under every key (other objects pass through without an id), and a card UID is
// hexadecimal digits only.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzzText(data, size);
    const QVariantMap payload = EmployeeIdentity::parseEmployeePayload(text);
    const QString id = EmployeeIdentity::payloadId(payload);
    if (!id.isEmpty()) {
        for (const char *key : {"employee_id", "emp_id", "id"}) {
            if (payload.value(QLatin1String(key)).toString() != id)
                abort();
        }
    }
    EmployeeIdentity::extractEmployeeId(text);

    const QString uid = EmployeeIdentity::normalizeRfidUid(text);
    for (const QChar c : uid) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')))
            abort();
    }
    if (normalizeCardUid(text) != uid)
        abort();
    return 0;
}
