#pragma once

#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>

class AppSettings;
class Journal;
struct ServerReply;

// Turns an unconfigured installation into a registered device of a tenant
// (new account or existing one with its connection key) and refreshes the
// device's configuration from the server. Scene name "identityService".
class ServerIdentityService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
    Q_PROPERTY(QString statusText READ statusText NOTIFY statusTextChanged)
    Q_PROPERTY(QString lastError READ lastError NOTIFY lastErrorChanged)
    Q_PROPERTY(QString lastSuccess READ lastSuccess NOTIFY lastSuccessChanged)

public:
    static constexpr int kDefaultTimeoutMs = 15000;

    ServerIdentityService(AppSettings *settings, Journal *eventLog, QObject *parent = nullptr);

    bool busy() const { return m_busy; }
    QString statusText() const { return m_statusText; }
    QString lastError() const { return m_lastError; }
    QString lastSuccess() const { return m_lastSuccess; }

    // Deadline of each request; shortened by tests.
    void setRequestTimeoutMs(int ms) { m_timeoutMs = ms; }

    Q_INVOKABLE void createNewAccount();
    Q_INVOKABLE void connectExistingAccount();
    Q_INVOKABLE void refreshClientConfig();

Q_SIGNALS:
    void busyChanged();
    void statusTextChanged();
    void lastErrorChanged();
    void lastSuccessChanged();
    void setupCompleted();

private:
    enum class Mode { Create, Connect };

    QString validate(Mode mode) const;
    void reportValidation(const QString &message);
    void reportError(const QString &message);
    void reportSuccess(const QString &text);
    void startOnboarding(Mode mode);
    void onOnboardingReply(Mode mode, const ServerReply &reply);
    void onConfigReply(const ServerReply &reply);
    // The identity fields of a reply, applied through the settings setters.
    void applyIdentity(const QJsonObject &identity);
    static QString failureText(const ServerReply &reply, const QString &fallback);
    static bool onboardingAccepted(const ServerReply &reply);

    void setBusy(bool value);
    void setStatusText(const QString &value);
    void setLastError(const QString &value);
    void setLastSuccess(const QString &value);

    QPointer<AppSettings> m_settings;
    Journal *m_eventLog = nullptr;
    QNetworkAccessManager m_network;
    int m_timeoutMs = kDefaultTimeoutMs;
    bool m_busy = false;
    QString m_statusText;
    QString m_lastError;
    QString m_lastSuccess;
};
