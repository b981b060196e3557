#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

// A virtual serial device for tests: socat makes a pseudo-terminal, links its client end
// at a chosen path and connects the device end to its own stdin/stdout. Writing here is
// the device sending; received() is what the client wrote to the device. stop() is the
// cable pulled (the link disappears and the line hangs up); start() plugs it back in.
class SocatPort
{
public:
    explicit SocatPort(QString linkPath);
    ~SocatPort();

    bool start();
    void stop();
    bool isRunning() const;
    QString path() const { return m_linkPath; }

    bool write(const QByteArray &bytes);
    QByteArray received();

private:
    QString m_linkPath;
    QProcess m_process;
    QByteArray m_received;
};
