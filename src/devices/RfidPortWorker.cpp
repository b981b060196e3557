#include "devices/RfidPortWorker.h"

RfidPortWorker::RfidPortWorker(int idleFlushMs, const MonotonicClock &clock)
    : SerialLineWorker({60, QIODevice::ReadWrite, QStringLiteral("RFID COM-порт"),
                        QStringLiteral("ошибка RFID COM-порта")},
                       idleFlushMs, clock)
{
}

void RfidPortWorker::sendCommand(quint64 generation, const QString &text)
{
    if (generation != this->generation())
        return;
    QSerialPort *serial = port();
    if (!serial || !serial->isOpen()) {
        Q_EMIT commandFailed(generation, QStringLiteral("порт не открыт"));
        return;
    }
    QByteArray bytes = text.toUtf8();
    if (!bytes.endsWith('\n'))
        bytes.append('\n');
    if (serial->write(bytes) <= 0) {
        QString message = serial->errorString().trimmed();
        if (message.isEmpty())
            message = QStringLiteral("ошибка отправки команды");
        Q_EMIT commandFailed(generation, message);
    }
}
