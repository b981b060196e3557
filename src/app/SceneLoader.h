#pragma once

#include <QStringList>
#include <QUrl>

class QQmlApplicationEngine;
class QQuickWindow;

// Loads the scene with its fallbacks and collects every engine message on the
// way, so a failed start can leave a readable "startup_error.log".
class SceneLoader
{
public:
    explicit SceneLoader(QQmlApplicationEngine &engine);

    // The resource URLs tried after the module, in order.
    static QList<QUrl> fallbackUrls();

    bool load();
    QStringList messages() const { return m_messages; }
    // The first root object when it is a window; null otherwise.
    QQuickWindow *mainWindow() const;

    // Writes one message per line (truncating); false when the file can't be written.
    static bool writeStartupErrorLog(const QString &path, const QStringList &messages);

private:
    QQmlApplicationEngine &m_engine;
    QStringList m_messages;
};
