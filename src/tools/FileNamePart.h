#pragma once

#include <QString>

// A text made safe as part of a file name: trimmed, every run of characters other than
// Latin and Cyrillic letters, digits, "_", "-", "." and blank becomes "_", blanks become
// "_"; "employee" when nothing is left; at most 80 characters.
QString fileNamePart(const QString &text);

// The consumables folder of a tab: its id as a file-name part in lower case, or
// "consumables" for an empty id.
QString consumablesTabFolder(const QString &tabId);
