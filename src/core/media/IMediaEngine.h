#pragma once

#include <string>
#include <string_view>

namespace qx44 {

// What the engine tells the player; called on the UI thread.
class IMediaEngineEvents {
public:
    virtual ~IMediaEngineEvents() = default;
    virtual void OnCurrentItemChange() = 0;
    virtual void OnStatusChange() = 0;
    // The current item's picture size has become known or has changed.
    virtual void OnImageSizeChange() = 0;
};

// The media engine that plays the player's list: videos and pictures in one play list. The
// player owns the play state logic; the engine only decodes, shows and reports. UI thread only.
class IMediaEngine {
public:
    // Play states, numbered as hosts and operators know them from the station's player.
    enum PlayState {
        kUndefined = 0,
        kStopped = 1,
        kPaused = 2,
        kPlaying = 3,
        kScanForward = 4,
        kScanReverse = 5,
        kReady = 10,
    };

    virtual ~IMediaEngine() = default;

    virtual void SetEvents(IMediaEngineEvents* events) = 0;

    virtual int GetPlayState() const = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual void Next() = 0;
    virtual void Previous() = 0;
    virtual void FastForward() = 0;
    virtual void FastReverse() = 0;
    // Puts the current item in place again, as if it had just been selected.
    virtual void ReselectCurrent() = 0;

    // Seconds into the current item.
    virtual double GetPosition() const = 0;
    virtual void SetPosition(double seconds) = 0;
    // 0 to 100; the engine keeps a value outside that range within it.
    virtual int GetVolume() const = 0;
    virtual void SetVolume(int volume) = 0;

    // Of the current item: its length in seconds, its picture size (0 while not known) and the
    // text it was added with.
    virtual double GetDuration() const = 0;
    virtual int GetImageWidth() const = 0;
    virtual int GetImageHeight() const = 0;
    virtual std::string GetSourceUrl() const = 0;
    // What the engine is doing, or its last error, in words.
    virtual std::string GetStatus() const = 0;

    virtual int GetPlaylistCount() const = 0;
    virtual void ClearPlaylist() = 0;
    virtual void AppendItem(std::string_view source) = 0;
    // -1 when no item is current.
    virtual int GetCurrentIndex() const = 0;

    // Whether the picture is stretched into the area it is given, keeping its proportions.
    virtual void SetStretchToFit(bool stretch) = 0;
};

} // namespace qx44
