#pragma once

#include <QTcpServer>

namespace qx44 {

// The web server's listening socket. It counts what each connection sends between answers and
// closes one that sends more than a request may hold with 413, so a client can never make the
// server keep an unbounded body in memory.
class BoundedTcpServer : public QTcpServer {
    Q_OBJECT

public:
    BoundedTcpServer(qsizetype maxRequest, QObject* parent = nullptr)
        : QTcpServer(parent), maxRequest_(maxRequest) {}

    // The request on `socket` was answered: the next one starts from nothing.
    static void Answered(QTcpSocket* socket);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    qsizetype maxRequest_;
};

} // namespace qx44
