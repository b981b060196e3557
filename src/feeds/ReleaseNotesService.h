#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>

class AppSettings;
struct ServerReply;

// The window of news about the running version, shown once per version. The
// notes come from the release file beside the program (".vorn-release.json",
// else "version.json") or from the server's "/api/version"; the acknowledged
// version is kept in "release_notes_state.json". When the settings hold no
// usable server address, "/api/version" is asked of the platform's default
// address (ServerDefaults::kDefaultServerUrl). Context property "releaseNotes".
class ReleaseNotesService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool visible READ visible NOTIFY changed)
    Q_PROPERTY(QString version READ version NOTIFY changed)
    Q_PROPERTY(QString title READ title NOTIFY changed)
    Q_PROPERTY(QString notes READ notes NOTIFY changed)

public:
    // Reads the release file and asks the server once.
    explicit ReleaseNotesService(AppSettings *settings, QObject *parent = nullptr);

    bool visible() const { return m_visible; }
    QString version() const { return m_version; }
    QString title() const { return m_title; }
    QString notes() const { return m_notes; }

    // Folder of the release file; the application's folder unless set (tests).
    void setReleaseDirectory(const QString &path) { m_releaseDir = path; }
    QString releaseDirectory() const;
    QString statePath() const;
    static QString fallbackServerUrl();

    void setRequestTimeoutMs(int ms) { m_timeoutMs = ms; }
    bool checking() const { return m_checking; }

    Q_INVOKABLE void reload();
    Q_INVOKABLE void refreshFromServer();
    Q_INVOKABLE void markSeen();

Q_SIGNALS:
    void changed();

private:
    void applyVersion(const QString &version, const QString &title, const QString &notes);
    void onServerReply(const ServerReply &reply);
    QString seenVersion() const;

    QPointer<AppSettings> m_settings;
    QNetworkAccessManager m_network;
    QString m_releaseDir;
    int m_timeoutMs = 20000;
    bool m_checking = false;   // a version check is open; no second one starts
    bool m_visible = false;
    QString m_version;
    QString m_title;
    QString m_notes;
};
