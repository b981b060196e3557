#pragma once

// A tiny HTTP/1.1 server on 127.0.0.1 for the failures a real server rarely shows on
// demand: accepting and never answering, endless bodies, redirects and echoes.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <algorithm>
#include <memory>

class LoopbackHttpStub
{
public:
    enum class Mode {
        Answer,    // status and body below
        Hang,      // read the request, never answer
        Stream,    // 200 with streamBytes of 'x' (announced or until close)
        Redirect,  // 302 to location
        Echo,      // status with the request head as the body
    };

    Mode mode = Mode::Answer;
    int status = 200;
    QByteArray body = "{\"ok\":true}";
    qint64 streamBytes = 0;
    bool announceLength = true;
    QByteArray location;
    int redirectsLeft = -1;       // Redirect mode answers normally once this reaches 0 (-1: never)

    QList<QByteArray> requests;   // request heads, in arrival order
    int maxOpenHung = 0;          // most hung requests open at the same time

    LoopbackHttpStub()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { accept(); });
    }

    QString url(const QString &path = QString()) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }

    int openHung() const
    {
        int open = 0;
        for (const QPointer<QTcpSocket> &socket : m_hung)
            open += socket && socket->state() == QAbstractSocket::ConnectedState ? 1 : 0;
        return open;
    }

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
                m_buffers.remove(socket);
                socket->deleteLater();
            });
        }
    }

    void read(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        for (;;) {
            const qsizetype end = buffer.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QByteArray head = buffer.left(end);
            qint64 length = 0;
            for (const QByteArray &line : head.split('\n')) {
                if (line.toLower().startsWith("content-length:"))
                    length = line.mid(15).trimmed().toLongLong();
            }
            if (buffer.size() < end + 4 + length)
                return;
            buffer.remove(0, end + 4 + length);
            requests.append(head);
            respond(socket, head);
        }
    }

    void respond(QTcpSocket *socket, const QByteArray &head)
    {
        switch (mode) {
        case Mode::Hang:
            m_hung.append(socket);
            maxOpenHung = std::max(maxOpenHung, openHung());
            return;
        case Mode::Answer:
            reply(socket, status, body);
            return;
        case Mode::Echo:
            reply(socket, status, head);
            return;
        case Mode::Redirect:
            if (redirectsLeft == 0) {
                reply(socket, status, body);
                return;
            }
            if (redirectsLeft > 0)
                --redirectsLeft;
            socket->write("HTTP/1.1 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\n\r\n");
            return;
        case Mode::Stream:
            stream(socket);
            return;
        }
    }

    static void reply(QTcpSocket *socket, int code, const QByteArray &content)
    {
        socket->write("HTTP/1.1 " + QByteArray::number(code) + " X\r\nContent-Type: application/json\r\n"
                      "Content-Length: " + QByteArray::number(content.size()) + "\r\n\r\n" + content);
    }

    // Writes the body as the client takes it, so the stub itself stays small.
    void stream(QTcpSocket *socket)
    {
        QByteArray header = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n";
        header += announceLength ? "Content-Length: " + QByteArray::number(streamBytes) + "\r\n\r\n"
                                 : QByteArray("Connection: close\r\n\r\n");
        socket->write(header);
        auto left = std::make_shared<qint64>(streamBytes);
        const QByteArray chunk(64 * 1024, 'x');
        auto pump = [socket, left, chunk] {
            while (*left > 0 && socket->state() == QAbstractSocket::ConnectedState
                   && socket->bytesToWrite() < 256 * 1024) {
                const qint64 size = std::min<qint64>(*left, chunk.size());
                socket->write(chunk.constData(), size);
                *left -= size;
            }
            if (*left == 0 && socket->bytesToWrite() == 0)
                socket->disconnectFromHost();
        };
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, pump);
        pump();
    }

    QHash<QTcpSocket *, QByteArray> m_buffers;
    QList<QPointer<QTcpSocket>> m_hung;
    QTcpServer m_server;   // last: its sockets die first and still find the buffers
};
