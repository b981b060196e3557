#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// Text lines typed by a person: standard input and, optionally, a named pipe that other
// shells can write to (`echo P01ABCDEFG > fifo`) while this tool runs in the background.
class LineInput : public QObject
{
    Q_OBJECT
public:
    explicit LineInput(QObject *parent = nullptr);
    ~LineInput() override;

    void watchStdin();
    bool watchFifo(const QString &path, QString *error);

Q_SIGNALS:
    void lineEntered(const QString &line);

private:
    void readFd(int fd, QByteArray *pending, QSocketNotifier *notifier);

    QSocketNotifier *m_stdinNotifier = nullptr;
    QSocketNotifier *m_fifoNotifier = nullptr;
    QByteArray m_stdinPending;
    QByteArray m_fifoPending;
    int m_fifo = -1;
    QString m_fifoPath;
};
