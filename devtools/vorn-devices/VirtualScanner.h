#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>

class VirtualPty;

// A barcode scanner on a pseudo-terminal: every scan is typed as its text plus the
// chosen terminator. Flood mode sends lines or raw noise as fast as the line takes them,
// like a stuck trigger or a wrong baud rate.
class VirtualScanner : public QObject
{
    Q_OBJECT
public:
    enum class Flood { None, Lines, Noise };

    VirtualScanner(VirtualPty *pty, QByteArray terminator, QObject *parent = nullptr);

    // Types the scans one after another, delayMs before each.
    void typeLater(const QStringList &scans, int delayMs);
    void type(const QString &scan);
    void startFlood(Flood kind);

private:
    void feedFlood();

    VirtualPty *m_pty;
    QByteArray m_terminator;
    Flood m_flood = Flood::None;
    quint64 m_floodCounter = 0;
};
