#pragma once

#include <QDateTime>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QStringDecoder>
#include <QVariantMap>

#include <memory>

// One live script entry: the configured part comes from a settings row, the
// runtime part survives a reload while the entry keeps its key.
struct ScriptEntry
{
    // Configured part.
    QString key;
    QString id;
    QString name;
    QString path;
    QString arguments;
    bool enabled = true;
    bool autoStart = false;
    QString launchMode;

    // Runtime part, handed on to the rebuilt entry of the same key.
    struct Runtime
    {
        QString status;
        QString log;
        QString workDir;
        qint64 pid = 0;
        bool running = false;
        int exitCode = 0;
        QString lastError;
        int heartbeatAge = -1;
        QString heartbeatText;
        QPointer<QProcess> process;
        // Output arrives in chunks that may split a UTF-8 sequence.
        std::shared_ptr<QStringDecoder> decoder;
        QDateTime lastOutputAt;
    };
    Runtime run;

    static ScriptEntry fromRow(const QVariantMap &row, int index, const QString &id);
    bool hasLiveProcess() const { return run.process && run.process->state() != QProcess::NotRunning; }
};
