#include "ui/http/StationStream.h"

#include "core/text/Windows1252.h"
#include "ui/http/PngBytes.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <span>

namespace qx44 {

namespace {

QByteArray Event(QJsonObject fields, const char* name) {
    fields.insert("event", name);
    return QJsonDocument(fields).toJson(QJsonDocument::Compact);
}

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

StationStream::StationStream(PictureSource picture, StateSource state)
    : picture_(std::move(picture)), state_(std::move(state)) {
    frameTimer_.setSingleShot(true);
    connect(&frameTimer_, &QTimer::timeout, this, &StationStream::SendFrame);
}

StationStream::~StationStream() = default;

void StationStream::Accept(std::unique_ptr<QWebSocket> socket) {
    auto client = std::make_unique<StreamClient>(std::move(socket));
    // Deleted later: the socket's own signal is still being delivered when it reports going.
    connect(client.get(), &StreamClient::Gone, this, &StationStream::Remove, Qt::QueuedConnection);
    client->SendEvent(state_());
    lastPicture_ = picture_();
    if (!lastPicture_.isNull()) {
        client->SendFrame(PngBytes(lastPicture_, kFrameQuality));
        ++framesEncoded_;
    }
    clients_.push_back(std::move(client));
}

void StationStream::Remove(StreamClient* client) {
    std::erase_if(clients_, [client](const auto& held) { return held.get() == client; });
}

qint64 StationStream::FramesDropped() const {
    qint64 dropped = 0;
    for (const auto& client : clients_) {
        dropped += client->FramesDropped();
    }
    return dropped;
}

void StationStream::ScreenChanged() {
    if (clients_.empty() || frameTimer_.isActive()) {
        return;
    }
    const qint64 since = sinceFrame_.isValid() ? sinceFrame_.elapsed() : kMinFrameGapMs;
    frameTimer_.start(static_cast<int>(std::max<qint64>(0, kMinFrameGapMs - since)));
}

void StationStream::SendFrame() {
    if (clients_.empty()) {
        return;
    }
    sinceFrame_.start();
    const QImage picture = picture_();
    // A repaint that left every pixel as it was (the host wrote the same text again) is no frame.
    if (picture.isNull() || picture == lastPicture_) {
        return;
    }
    lastPicture_ = picture;
    const QByteArray png = PngBytes(picture, kFrameQuality);
    ++framesEncoded_;
    for (const auto& client : clients_) {
        client->SendFrame(png);
    }
}

void StationStream::Broadcast(const QByteArray& json) {
    for (const auto& client : clients_) {
        client->SendEvent(json);
    }
}

void StationStream::HostConnected(std::string_view peer) {
    Broadcast(Event({{"connected", true}, {"peer", FromUtf8(peer)}}, "host"));
}

void StationStream::HostDisconnected() {
    Broadcast(Event({{"connected", false}, {"peer", ""}}, "host"));
}

void StationStream::ReceiptPrinted(int port, std::string_view text) {
    Broadcast(Event({{"port", port}, {"text", FromUtf8(text)}}, "receipt"));
}

void StationStream::SerialWritten(int port, std::string_view bytes) {
    const std::span<const std::uint8_t> raw(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                            bytes.size());
    Broadcast(Event({{"port", port}, {"data", FromUtf8(Windows1252::ToUtf8(raw))}}, "serial"));
}

void StationStream::PlayerChanged(bool shown, std::string_view player) {
    QJsonObject fields =
        QJsonDocument::fromJson(QByteArray(player.data(), static_cast<qsizetype>(player.size())))
            .object();
    fields.remove("ok");
    fields.insert("shown", shown);
    Broadcast(Event(fields, "player"));
}

} // namespace qx44
