#pragma once

#include <QString>

// Confirms a scanned code with an outside party before its label may be printed.
// Kept here so that printing can ask for a confirmation without depending on the
// supplies layer that implements it.
class ScanConfirmer
{
public:
    virtual ~ScanConfirmer() = default;

    // True when the code was confirmed; otherwise errorText (may be null) gets the reason.
    virtual bool confirm(const QString &barcode, QString *errorText) = 0;
};
