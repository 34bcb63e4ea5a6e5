#pragma once

#include "core/media/IMediaEngine.h"
#include "core/media/PlayListEntryPolicy.h"

#include <QImage>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct mpv_handle;
struct mpv_render_context;

namespace qx44 {

class MpvLibrary;

// The media engine on libmpv: one play list of videos and pictures, pictures held until the
// player moves on, frames drawn by mpv's software renderer into a QImage, so it runs on any Qt
// platform, offscreen included. Audio goes to the default device, or nowhere when there is none.
// libmpv is loaded and started by the first list or Play, so a station that never plays pays
// nothing for it. Everything but mpv's own wake-ups runs on the UI thread.
class MpvEngine : public QObject, public IMediaEngine {
    Q_OBJECT

public:
    // The system's libmpv of the API version the engine is written for.
    static constexpr const char* kLibraryName = "libmpv.so.2";

    // `libraryName` is the libmpv to load, the system's unless a test names another. Whether test
    // sources may play ([Video] TestSources) is read here, when the terminal starts.
    explicit MpvEngine(QObject* parent = nullptr, std::string libraryName = kLibraryName);
    ~MpvEngine() override;

    // False until libmpv has started, and for good when it could not: the engine then plays
    // nothing, reports "stopped" and gives the reason as its status.
    bool IsValid() const { return handle_ != nullptr && render_ != nullptr; }

    // Draws the current frame over the whole image (black bars where the proportions differ).
    void Render(QImage& target);

    void SetEvents(IMediaEngineEvents* events) override { events_ = events; }
    int GetPlayState() const override;
    void Play() override;
    void Pause() override;
    void Stop() override;
    void Next() override;
    void Previous() override;
    void FastForward() override;
    void FastReverse() override;
    void ReselectCurrent() override;
    double GetPosition() const override;
    void SetPosition(double seconds) override;
    int GetVolume() const override;
    void SetVolume(int volume) override;
    double GetDuration() const override;
    int GetImageWidth() const override;
    int GetImageHeight() const override;
    std::string GetSourceUrl() const override;
    std::string GetStatus() const override { return status_; }
    int GetPlaylistCount() const override { return static_cast<int>(sources_.size()); }
    void ClearPlaylist() override;
    void AppendItem(std::string_view source) override;
    int GetCurrentIndex() const override { return current_; }
    void SetStretchToFit(bool) override {}

signals:
    // A new frame is ready to be drawn with Render().
    void FrameReady();

private:
    // mpv calls back on its own threads and must not be called from there: the work is posted to
    // the UI thread, and dropped with this object if it is gone by then.
    template <void (MpvEngine::*Handler)()> static void PostToUi(void* context) {
        auto* engine = static_cast<MpvEngine*>(context);
        QMetaObject::invokeMethod(
            engine, [engine] { (engine->*Handler)(); }, Qt::QueuedConnection);
    }

    // Loads and starts libmpv on first use; false when it is not running.
    bool Start();
    bool Fail(const std::string& reason);
    void DrainEvents();
    void OnRenderUpdate();
    void OnItemStarted(int index);
    // The place in the list of the entry mpv knows by `entryId`; -1 for none of this list's.
    int IndexOf(std::int64_t entryId) const;
    void SetStatus(std::string status);
    void EndScan();
    void ReverseStep();
    void Command(std::initializer_list<const char*> args);
    bool Flag(const char* name) const;
    double Number(const char* name) const;
    void SetFlag(const char* name, bool value);
    void SetNumber(const char* name, double value);

    std::string libraryName_;
    const PlayListEntryPolicy policy_;
    bool startAttempted_ = false;
    std::unique_ptr<MpvLibrary> library_;
    mpv_handle* handle_ = nullptr;
    mpv_render_context* render_ = nullptr;
    IMediaEngineEvents* events_ = nullptr;

    static constexpr std::int64_t kNoEntry = 0;

    // As the player gave them: the title shows these, mpv gets what the policy makes of them.
    std::vector<std::string> sources_;
    // mpv's entry id of each source, kNoEntry where mpv took none: its start and end reports
    // name the entry, so a report about an entry of a list cleared since finds none.
    std::vector<std::int64_t> entryIds_;
    // The item started or last started, which the title names.
    int current_ = -1;
    // Where Play() starts the list: set when it was cleared or stopped, empty while it is under
    // way.
    std::optional<int> startAt_ = 0;
    std::string status_;
    // Pausing or playing is news only while an item is loaded: it must not hide an error.
    bool fileLoaded_ = false;
    bool lastEndWasError_ = false;
    bool scanningForward_ = false;
    QTimer reverseTimer_;
};

} // namespace qx44
