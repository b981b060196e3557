#include "app/SceneLoader.h"

#include "common/LogCategories.h"

#include <QFile>
#include <QQmlApplicationEngine>
#include <QQmlError>
#include <QQuickWindow>

SceneLoader::SceneLoader(QQmlApplicationEngine &engine)
    : m_engine(engine)
{
}

QList<QUrl> SceneLoader::fallbackUrls()
{
    return {QUrl(QStringLiteral("qrc:/qt/qml/VornClient/Main.qml")),
            QUrl(QStringLiteral("qrc:/qt/qml/VornClient/qml/Main.qml"))};
}

bool SceneLoader::load()
{
    QObject::connect(&m_engine, &QQmlApplicationEngine::objectCreationFailed, &m_engine,
                     [this](const QUrl &url) {
                         m_messages << QStringLiteral("QML object creation failed: %1")
                                           .arg(url.toString());
                     });
    QObject::connect(&m_engine, &QQmlEngine::warnings, &m_engine,
                     [this](const QList<QQmlError> &warnings) {
                         for (const QQmlError &warning : warnings) {
                             qCWarning(lcApp).noquote() << warning.toString();
                             m_messages << warning.toString();
                         }
                     });

    m_engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    m_engine.loadFromModule("VornClient", "Main");
#endif
    for (const QUrl &url : fallbackUrls()) {
        if (!m_engine.rootObjects().isEmpty())
            break;
        m_engine.load(url);
    }
    return !m_engine.rootObjects().isEmpty();
}

QQuickWindow *SceneLoader::mainWindow() const
{
    const QList<QObject *> roots = m_engine.rootObjects();
    return roots.isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(roots.constFirst());
}

bool SceneLoader::writeStartupErrorLog(const QString &path, const QStringList &messages)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    for (const QString &message : messages)
        file.write(message.toUtf8() + '\n');
    return true;
}
