#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>

// The UID a label print is about, taken from a raw scan, and the rule that ties a
// label or picture file to it by name.

// Empty for scans that are no UID (wall QR codes, JSON payloads). Order of tries: the
// production code, digits after the last "|" (or its full-width and broken-bar forms),
// a scan of digits only, the last 3…12-digit number, and finally the text itself.
QString extractPrintUid(const QString &raw);

// The file's name without its last suffix contains the UID between non-alphanumerics
// (or the name's ends), case ignored: "печать_123456.pdf" and "123456 (2).png" match
// 123456, "1234567.pdf" does not.
QRegularExpression uidFileNamePattern(const QString &uid);
bool fileNameMatchesUid(const QString &fileName, const QString &uid);

// Word pieces of a name without its last suffix, case-folded: a UID made only of letters
// and digits can match a name only where it equals one of them, so a lookup by piece
// finds every file the pattern would (and possibly more; check with the pattern).
QStringList uidNameTokens(const QString &fileName);
// The lookup key of a UID, or empty when the UID holds other characters and only the
// pattern can tell.
QString uidTokenKey(const QString &uid);
