#pragma once

#include <QTcpServer>

namespace qx44 {

// The web server's listening socket. It counts what each connection sends between answers and
// closes one that sends more than a request may hold with 413, so a client can never make the
// server keep an unbounded body in memory; and it takes at most kMaxConnections at once (503 to
// the next), so browsers and scripts can never use up the descriptors the host link needs.
class BoundedTcpServer : public QTcpServer {
    Q_OBJECT

public:
    static constexpr int kMaxConnections = 64;

    BoundedTcpServer(qsizetype maxRequest, QObject* parent = nullptr)
        : QTcpServer(parent), maxRequest_(maxRequest) {}

    // The request on `socket` was answered: the next one starts from nothing.
    static void Answered(QTcpSocket* socket);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    qsizetype maxRequest_;
    // Connections taken and not yet destroyed, the stream's among them.
    int connections_ = 0;
};

} // namespace qx44
