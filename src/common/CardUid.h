#pragma once

#include <QString>

// Card UIDs are compared as upper-case hexadecimal digits only: "04:a1 b2" -> "04A1B2".
QString normalizeCardUid(const QString &raw);
