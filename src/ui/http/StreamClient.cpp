#include "ui/http/StreamClient.h"

#include <algorithm>

namespace qx44 {

StreamClient::StreamClient(std::unique_ptr<QWebSocket> socket) : socket_(std::move(socket)) {
    connect(socket_.get(), &QWebSocket::disconnected, this, [this] { emit Gone(this); });
    connect(socket_.get(), &QWebSocket::bytesWritten, this, [this] { Flush(); });
    connect(socket_.get(), &QWebSocket::textMessageReceived, this, &StreamClient::Received);
}

StreamClient::~StreamClient() {
    socket_->disconnect(this);
    socket_->abort();
}

void StreamClient::SendFrame(const QByteArray& png) {
    if (!waiting_.isEmpty()) {
        ++framesDropped_;
    }
    waiting_ = png;
    Flush();
}

void StreamClient::SendEvent(const QByteArray& json) {
    if (socket_->bytesToWrite() > kMaxBacklog) {
        socket_->abort();
        return;
    }
    socket_->sendTextMessage(QString::fromUtf8(json));
}

void StreamClient::Flush() {
    if (waiting_.isEmpty() || socket_->bytesToWrite() > kMaxBuffered ||
        (acknowledges_ && unacknowledged_ >= kMaxUnacknowledged)) {
        return;
    }
    socket_->sendBinaryMessage(waiting_);
    waiting_.clear();
    ++framesSent_;
    ++unacknowledged_;
}

void StreamClient::Received(const QString& message) {
    if (message != "ack") {
        return;
    }
    acknowledges_ = true;
    unacknowledged_ = std::max(unacknowledged_ - 1, 0);
    Flush();
}

} // namespace qx44
