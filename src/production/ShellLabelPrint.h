#pragma once

#include <QString>

// Files the client does not draw itself (neither image nor PDF): handed to the
// system's print handler - the shell's "printto"/"print" verbs on Windows, CUPS's
// lp elsewhere. Copies are not repeated on this path.
bool printThroughShell(const QString &path, const QString &printerName, QString *errorText);

// The "printto" parameter text: printer, driver and port (those known), each in double
// quotes with embedded quotes escaped by a backslash, separated by blanks.
QString printToParameters(const QString &printerName, const QString &driverName,
                          const QString &portName);
