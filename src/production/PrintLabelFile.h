#pragma once

#include <QString>

// The one silent print of the client: images and PDF documents are rasterised and
// drawn through the platform's printer device (no dialog), on a page sized to the
// label when the file tells its size; other files go to the system's print handler.
// printerName empty means the system default printer; copies below 1 count as 1.
// On failure returns false and puts a Russian reason into errorText (may be null).
// Blocks the calling thread while the job is spooled.
bool printLabelFile(const QString &path, const QString &printerName, QString *errorText,
                    int copies = 1);

// Images larger than this are rendered smaller: a 1200 dpi printer would otherwise ask
// for half a gigabyte per A4 page.
constexpr qint64 kMaxPrintRenderPixels = 24'000'000;
