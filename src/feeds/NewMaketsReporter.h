#pragma once

#include <QJsonObject>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>

class AppSettings;
class Journal;

// The status, finish and error reports of new-layout tasks, sent one after another so the
// server sees them in the order they happened. A progress report still waiting is replaced
// by a newer one for the same step.
class NewMaketsReporter : public QObject
{
    Q_OBJECT
public:
    NewMaketsReporter(AppSettings *settings, Journal *eventLog, QObject *parent = nullptr);

    void setRequestTimeoutMs(int ms) { m_timeoutMs = ms; }
    // path: "/api/newmakets/status" and the like; the identity fields are added.
    void send(const QString &path, const QJsonObject &fields, bool replaceable = false);
    bool isIdle() const { return !m_sending && m_queue.isEmpty(); }

Q_SIGNALS:
    // Every queued report has been answered (or has failed).
    void drained();

private:
    struct Report
    {
        QString path;
        QJsonObject fields;
        bool replaceable = false;
    };

    void sendNext();

    QPointer<AppSettings> m_settings;
    Journal *m_eventLog = nullptr;
    QNetworkAccessManager m_network;
    QList<Report> m_queue;
    int m_timeoutMs = 20000;
    bool m_sending = false;
    bool m_failing = false;   // one journal line per outage
};
