#pragma once

#include <QObject>
#include <QString>

#include "common/ScanConfirmer.h"

class AppSettings;

// Confirms a scanned code by writing it to the workshop's spreadsheet endpoint ("GS")
// before a label may be printed. The call is synchronous for the caller: it waits in a
// local event loop, so the window keeps running while the spreadsheet answers.
class GsConfirmClient : public QObject, public ScanConfirmer
{
    Q_OBJECT
public:
    explicit GsConfirmClient(AppSettings *settings, QObject *parent = nullptr);

    // True when the spreadsheet confirmed the write; otherwise errorText (may be null)
    // gets the reason. A call made while another one waits is refused at once.
    bool confirm(const QString &barcode, QString *errorText) override;

    bool waiting() const { return m_waiting; }

private:
    AppSettings *m_settings = nullptr;
    bool m_waiting = false;
};
