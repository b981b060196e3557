#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include "tools/WorkstationLabels.h"

#include <functional>

class AppSettings;
class Journal;

// What the scene needs from the local machine: opening files, folders and links,
// pickers, the clipboard, the beep, printers and printing, the CSV exports of the staff
// pages and the small workstation documents (employee QR, badge, cutter, wall and
// material labels). Every action reports to the journal. No state of its own.
class LocalToolsService : public QObject
{
    Q_OBJECT

public:
    // path, printer name (empty: default), error text out, copies
    using PrintFunction = std::function<bool(const QString &, const QString &, QString *, int)>;

    // settings may be null: the documents then go under the home folder's "VornClient".
    LocalToolsService(AppSettings *settings, Journal *eventLog, QObject *parent = nullptr);

    Q_INVOKABLE bool openPath(const QString &path);
    Q_INVOKABLE bool openUrl(const QString &url);
    Q_INVOKABLE bool openSettingsFolder();
    Q_INVOKABLE bool openExportsFolder();
    Q_INVOKABLE bool pathExists(const QString &path) const;
    Q_INVOKABLE bool isDir(const QString &path) const;
    Q_INVOKABLE QString normalizeLocalPath(const QString &path) const;
    Q_INVOKABLE bool copyText(const QString &text);
    Q_INVOKABLE void beep();
    Q_INVOKABLE QString pickDirectory(const QString &currentPath = QString(), const QString &title = QString());
    Q_INVOKABLE QString pickFile(const QString &currentPath = QString(), const QString &title = QString(),
                                 const QString &nameFilter = QString());
    Q_INVOKABLE bool openContainingFolder(const QString &path);
    Q_INVOKABLE QString generateEmployeeQrDocument(const QString &employeeId, const QString &employeeName,
                                                   const QString &payload);
    Q_INVOKABLE QString generateEmployeeBadgePdf(const QString &employeeId, const QString &employeeName,
                                                 const QString &role, const QString &payload);
    Q_INVOKABLE QString generateCutterQrPdf(const QString &cutterId, const QString &cutterTitle,
                                            const QString &payload, bool printAfter);
    Q_INVOKABLE QString exportAttendanceCsv(const QString &date, const QVariantList &events);
    Q_INVOKABLE QString exportArchiveCsv(const QString &date, const QVariantList &summary,
                                         const QVariantList &events);
    Q_INVOKABLE bool openEmployeeAssetsFolder(const QString &kind);
    Q_INVOKABLE bool openConsumableAssetsFolder(const QString &tabId);
    Q_INVOKABLE QStringList availablePrinters() const;
    Q_INVOKABLE QString defaultPrinterName() const;
    Q_INVOKABLE bool printPath(const QString &path);
    Q_INVOKABLE QString generateConsumableWallQrPdf(const QString &tabId, const QString &title,
                                                    const QString &name, const QString &rawPayload,
                                                    bool printAfter);
    Q_INVOKABLE QString generateMaterialQrPdf(const QString &tabId, const QString &materialId,
                                              const QString &matType, double lengthM, const QString &cellQr,
                                              bool printAfter);

    // The base of every document folder, and the folders under it (created on demand).
    QString baseDir() const;
    QString employeesDir(const QString &kind) const;
    QString cuttersDir() const;
    QString consumablesDir(const QString &tabId) const;
    QString exportsDir() const;

    // The payload of a material roll label without a cell code: {"kind":"material","id":…}.
    static QString materialPayload(const QString &materialId);
    // The wall QR payload: the text as it is when it starts with "VORN_WALL:" (any case).
    static QString wallPayload(const QString &rawPayload);

    // printLabelFile unless replaced.
    void setPrintFunction(PrintFunction print);

private:
    // The journal lines of one label kind: area prefix, write failure, saved, saved
    // without the picture.
    struct LabelMessages
    {
        QString area;
        QString failed;
        QString saved;
        QString savedWithoutQr;
    };

    // Writes the label and reports the outcome; the path, or empty.
    QString saveLabel(const QString &path, const WorkstationLabels::Result &label, const QString &payload,
                      const LabelMessages &messages);
    QString makeWallLabel(const QString &tabId, const QString &headline, const QString &name,
                          const QString &footer, const QString &rawPayload, const QString &fileStem);
    QString exportCsv(const QString &prefix, const QString &date, const QByteArray &content,
                      const QString &okMessage, const QString &failMessage);
    void noteQrTooLong(const QString &area, const QString &payload);
    QString ensured(const QString &dir) const;


    AppSettings *m_settings;
    Journal *m_eventLog;
    PrintFunction m_print;
};
