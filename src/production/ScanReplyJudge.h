#pragma once

#include <QJsonObject>
#include <QString>
#include <QVariantMap>

// What the workstation makes of the server's answer to an order scan.
struct ScanVerdict
{
    QString result;          // "packed", "duplicate", "cancelled", "accepted", …
    bool ok = false;         // the scan succeeded (not the reply's own "ok")
    bool labelPrintAllowed = false;
    QString message;         // operator text, already with the marketplace suffix
    QVariantMap details;     // everything the printing side needs
    QString diagnosticLine;  // "raw_scan=…; server_result=…; …"
};

// Turns an accepted "order_scan" reply into a verdict: the reply rules, the
// marketplace suffix, the details map and the diagnostic line.
class ScanReplyJudge
{
public:
    static ScanVerdict judge(const QJsonObject &reply, const QString &raw,
                             const QString &employeeId, const QVariantMap &context);

    // ", WB обновлён" and the like, from the result's "marketplace_pack".
    static QString marketplaceSuffix(const QJsonObject &result);

    // The employee id under every key the server may read it from.
    static void putEmployeeKeys(QVariantMap &map, const QString &employeeId);
};
