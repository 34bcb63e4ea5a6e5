#include "ui/http/BoundedTcpServer.h"

#include <QTcpSocket>

namespace qx44 {

namespace {

constexpr const char* kReceived = "qx44received";

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
    // Connected before the HTTP server's own reader, so it sees each chunk before it is taken.
    connect(socket, &QTcpSocket::readyRead, socket, [socket, max = maxRequest_] {
        const qint64 received = socket->property(kReceived).toLongLong() + socket->bytesAvailable();
        socket->setProperty(kReceived, received);
        if (received > max) {
            socket->disconnect();
            socket->write("HTTP/1.1 413 Payload Too Large\r\nContent-Type: application/json\r\n"
                          "Content-Length: 48\r\nConnection: close\r\n\r\n"
                          "{\"ok\":false,\"error\":\"the request is too large\"}\n");
            socket->disconnectFromHost();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    addPendingConnection(socket);
}

} // namespace qx44
