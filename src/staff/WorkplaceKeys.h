#pragma once

#include <QString>

// Workplace (cutting table) keys: "Резак 2", "scanner-2", "2" and "cutter_2" all
// name "cutter_2", labelled "Резак 2".
class WorkplaceKeys
{
public:
    static QString normalizeWorkplaceKey(const QString &text);
    static QString workplaceLabelForKey(const QString &key);
};
