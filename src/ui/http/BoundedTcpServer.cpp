#include "ui/http/BoundedTcpServer.h"

#include "core/control/ControlReply.h"

#include <QTcpSocket>

namespace qx44 {

namespace {

constexpr const char* kReceived = "qx44received";

// Answers with `status` and an error object and closes, before the HTTP server ever sees the
// connection.
void Refuse(QTcpSocket* socket, const QByteArray& status, const std::string& error) {
    const QByteArray body = QByteArray::fromStdString(ControlReply::Error(error).ToLine());
    socket->write(status + "\r\nContent-Type: application/json\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState) {
        socket->deleteLater();
    } else {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

} // namespace

void BoundedTcpServer::Answered(QTcpSocket* socket) {
    socket->setProperty(kReceived, qint64{0});
}

void BoundedTcpServer::incomingConnection(qintptr descriptor) {
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    if (connections_ >= kMaxConnections) {
        Refuse(socket, "HTTP/1.1 503 Service Unavailable", "too many web clients");
        return;
    }
    ++connections_;
    // A child of its own counts the connection out: the socket's own signals may be cut below.
    connect(new QObject(socket), &QObject::destroyed, this, [this] { --connections_; });
    // Connected before the HTTP server's own reader, so it sees each chunk before it is taken.
    connect(socket, &QTcpSocket::readyRead, socket, [socket, max = maxRequest_] {
        const qint64 received = socket->property(kReceived).toLongLong() + socket->bytesAvailable();
        socket->setProperty(kReceived, received);
        if (received > max) {
            socket->disconnect();
            Refuse(socket, "HTTP/1.1 413 Payload Too Large", "the request is too large");
        }
    });
    addPendingConnection(socket);
}

} // namespace qx44
