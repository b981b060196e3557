#include "common/CardUid.h"

QString normalizeCardUid(const QString &raw)
{
    QString out;
    out.reserve(raw.size());
    for (const QChar ch : raw) {
        const QChar up = ch.toUpper();
        if ((up >= u'0' && up <= u'9') || (up >= u'A' && up <= u'F'))
            out.append(up);
    }
    return out;
}
