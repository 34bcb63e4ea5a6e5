#pragma once

#include "ui/http/StreamClient.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace qx44 {

// The live stream at /api/stream: every client gets the window as a PNG when it connects and
// whenever the screens changed, at most one frame per kMinFrameGapMs (the latest state always
// follows), and the station's events as JSON text. Nothing is sent, and nothing is done, while
// nothing changes. Lives on the UI thread, where the station reports to it.
class StationStream : public QObject {
    Q_OBJECT

public:
    static constexpr int kMinFrameGapMs = 50;
    // The stream's frames trade size for speed: fast compression, many frames a second.
    static constexpr int kFrameQuality = 80;

    using PictureSource = std::function<QImage()>;
    // The {"event":"state",...} object a new client gets first.
    using StateSource = std::function<QByteArray()>;

    StationStream(PictureSource picture, StateSource state);
    ~StationStream() override;

    // A client whose request was already checked.
    void Accept(std::unique_ptr<QWebSocket> socket);
    std::size_t Clients() const { return clients_.size(); }
    qint64 FramesEncoded() const { return framesEncoded_; }
    // Frames replaced by a newer one before a slow client could take them.
    qint64 FramesDropped() const;

    void ScreenChanged();
    void HostConnected(std::string_view peer);
    void HostDisconnected();
    void ReceiptPrinted(int port, std::string_view text);
    void SerialWritten(int port, std::string_view bytes);
    // `player` is the control port's `player` reply; `shown` is what the window just did, which
    // the player's own view may not report yet.
    void PlayerChanged(bool shown, std::string_view player);

private:
    void SendFrame();
    void Broadcast(const QByteArray& json);
    void Remove(StreamClient* client);

    PictureSource picture_;
    StateSource state_;
    std::vector<std::unique_ptr<StreamClient>> clients_;
    QTimer frameTimer_;
    QElapsedTimer sinceFrame_;
    // The picture of the last frame sent.
    QImage lastPicture_;
    qint64 framesEncoded_ = 0;
};

} // namespace qx44
