#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

// A misbehaviour switched on for one path (and optionally one method).
struct DevFault
{
    QString path;
    QString method;            // empty: any method
    int delayMs = 0;           // wait before answering (or before dropping)
    int delayMaxMs = 0;        // above delayMs: a random wait between the two
    int status = 0;            // answer with this HTTP status instead of the handler
    QByteArray rawBody;        // with status: this body, sent as text (non-JSON)
    QJsonObject jsonBody;      // with status: this JSON object
    bool hasJsonBody = false;
    bool drop = false;         // close the connection without an answer
    bool dropAfter = false;    // handle the request, then close without an answer (a lost reply)
    QString block;             // "tenant_blocked" / "device_blocked": 403 with that error
    QString message;           // message of the blocked answer (none: the client's wording)
    int remaining = -1;        // how many requests it hits; -1 = until cleared
    double rate = 1.0;         // share of the matching requests it hits (0..1]

    // A path ending in "*" matches every path with that prefix ("/api/*", "*").
    bool matches(const QString &method, const QString &path) const;
    // The wait for one request: delayMs, or random up to delayMaxMs.
    int pickDelayMs() const;

    QJsonObject toJson() const;
    static DevFault fromJson(const QJsonObject &object);
};

class DevFaults
{
public:
    void add(const DevFault &fault);
    void clear(const QString &path = QString());
    // The fault for this request, counting it down; null when none applies.
    bool take(const QString &method, const QString &path, DevFault *out);
    QJsonArray toJson() const;

private:
    QList<DevFault> m_faults;
};
