#pragma once

#include <QByteArray>
#include <QObject>
#include <QWebSocket>
#include <memory>

namespace qx44 {

// One browser on the live stream. A frame is written only once the previous one has left; a
// frame that comes meanwhile replaces the one waiting, so a slow client gets the latest picture
// late rather than every picture queued without bound. Events are small and always go. A page
// that answers each frame it has drawn with "ack" gets at most kMaxUnacknowledged frames ahead
// of it: the kernel's buffers on both ends would otherwise hold seconds of frames for a page
// that draws slower than the station sends.
class StreamClient : public QObject {
    Q_OBJECT

public:
    // What may wait in the socket's buffer before the next frame holds back.
    static constexpr qint64 kMaxBuffered = 256 * 1024;
    // A client that lets this much of events pile up is not reading at all: it is closed.
    static constexpr qint64 kMaxBacklog = 8 * 1024 * 1024;
    static constexpr int kMaxUnacknowledged = 2;

    explicit StreamClient(std::unique_ptr<QWebSocket> socket);
    ~StreamClient() override;

    void SendFrame(const QByteArray& png);
    void SendEvent(const QByteArray& json);
    qint64 FramesSent() const { return framesSent_; }
    qint64 FramesDropped() const { return framesDropped_; }

signals:
    // The browser went away; the stream deletes this client later.
    void Gone(StreamClient* client);

private:
    void Flush();
    void Received(const QString& message);

    std::unique_ptr<QWebSocket> socket_;
    QByteArray waiting_;
    qint64 framesSent_ = 0;
    qint64 framesDropped_ = 0;
    // Once the page has acknowledged a frame, it is held to kMaxUnacknowledged.
    bool acknowledges_ = false;
    int unacknowledged_ = 0;
};

} // namespace qx44
