#include "ui/media/MpvEngine.h"

#include "core/common/Log.h"
#include "core/protocol/HostCommandFields.h"
#include "core/settings/CQX44Setting.h"
#include "ui/media/MpvLibrary.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace qx44 {

namespace {

// How a fast reverse moves: a step back of this many seconds at every tick, five times real time
// as fast forward plays.
constexpr int kReverseTickMs = 200;
constexpr const char* kReverseStep = "-1";
constexpr double kFastForwardSpeed = 5.0;

// `guard`: the option keeps the player from doing what the host must not make it do, and the
// player does not start without it.
struct MpvOption {
    const char* name;
    const char* value;
    bool guard = false;
};

// What libmpv opens in place of a refused entry: nothing, which it passes over as it does an
// entry it cannot play, so the list keeps its positions.
constexpr const char* kRefusedEntry = "null://";

} // namespace

MpvEngine::MpvEngine(QObject* parent, std::string libraryName)
    : QObject(parent), libraryName_(std::move(libraryName)),
      policy_(CQX44Setting().GetTestSources()) {
    reverseTimer_.setInterval(kReverseTickMs);
    connect(&reverseTimer_, &QTimer::timeout, this, &MpvEngine::ReverseStep);
}

bool MpvEngine::Start() {
    if (startAttempted_) {
        if (!IsValid()) {
            // Each new list tells the player again why it shows nothing.
            SetStatus(status_);
        }
        return IsValid();
    }
    startAttempted_ = true;
    auto library = std::make_unique<MpvLibrary>(libraryName_);
    if (!library->IsLoaded()) {
        return Fail(library->Error());
    }
    library_ = std::move(library);
    handle_ = library_->mpv_create();
    if (handle_ == nullptr) {
        return Fail("libmpv gave no player");
    }
    // The station's player shows what it is given and nothing of its own: no configuration, key
    // bindings, scripts or on-screen controls; pictures stay until the player moves on. The guards:
    // the list comes from a network peer, so libmpv opens local files only (no protocol but "file"
    // in a stream or a demuxer's nested opens, no playlist, folder or reference expanded into more
    // entries, no ytdl) and writes no file (log, screenshot, recording, statistics, watch-later).
    const MpvOption options[] = {
        {"config", "no", true},
        {"use-filedir-conf", "no", true},
        {"load-scripts", "no", true},
        {"ytdl", "no", true},
        {"stream-lavf-o", "protocol_whitelist=file", true},
        {"demuxer-lavf-o", "protocol_whitelist=file", true},
        {"access-references", "no", true},
        {"load-unsafe-playlists", "no", true},
        {"log-file", "", true},
        // A folder in which no file can be made.
        {"screenshot-directory", "/dev/null", true},
        {"stream-record", "", true},
        {"dump-stats", "", true},
        {"input-ipc-server", "", true},
        {"save-position-on-quit", "no", true},
        {"resume-playback", "no", true},
        {"terminal", "no"},
        {"input-default-bindings", "no"},
        {"osc", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        {"vo", "libmpv"},
        {"hwdec", "no"},
        {"sws-fast", "yes"},
        {"idle", "yes"},
        {"keep-open", "no"},
        {"audio-display", "no"},
        {"image-display-duration", "inf"},
        // Frames are drawn on the UI thread, which must never wait for a frame's display time.
        {"video-timing-offset", "0"},
        {"ao", "pulse,alsa,null"},
    };
    for (const MpvOption& option : options) {
        const int error = library_->mpv_set_option_string(handle_, option.name, option.value);
        if (error >= 0) {
            continue;
        }
        const std::string refusal = std::string("libmpv refuses ") + option.name + "=" +
                                    option.value + ": " + library_->mpv_error_string(error);
        if (option.guard) {
            return Fail(refusal);
        }
        Log::Error(LogArea::Media, refusal);
    }
    if (const int error = library_->mpv_initialize(handle_); error < 0) {
        return Fail(library_->mpv_error_string(error));
    }
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (const int error = library_->mpv_render_context_create(&render_, handle_, params);
        error < 0) {
        render_ = nullptr;
        return Fail(library_->mpv_error_string(error));
    }
    library_->mpv_render_context_set_update_callback(
        render_, &MpvEngine::PostToUi<&MpvEngine::OnRenderUpdate>, this);
    library_->mpv_observe_property(handle_, 0, "pause", MPV_FORMAT_FLAG);
    library_->mpv_set_wakeup_callback(handle_, &MpvEngine::PostToUi<&MpvEngine::DrainEvents>, this);
    return true;
}

bool MpvEngine::Fail(const std::string& reason) {
    if (handle_ != nullptr) {
        library_->mpv_terminate_destroy(handle_);
        handle_ = nullptr;
    }
    Log::Error(LogArea::Media, "the media player cannot start: " + reason);
    SetStatus("Error: " + reason);
    return false;
}

MpvEngine::~MpvEngine() {
    // The render context must go first; after both, mpv calls nothing back, and what it posted
    // before is dropped with this object.
    if (render_ != nullptr) {
        library_->mpv_render_context_free(render_);
    }
    if (handle_ != nullptr) {
        library_->mpv_terminate_destroy(handle_);
    }
}

void MpvEngine::Render(QImage& target) {
    if (render_ == nullptr || target.isNull()) {
        target.fill(Qt::black);
        return;
    }
    int size[2] = {target.width(), target.height()};
    std::size_t stride = static_cast<std::size_t>(target.bytesPerLine());
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, size},
        {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>("bgr0")},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, target.bits()},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    library_->mpv_render_context_render(render_, params);
    // mpv leaves the fourth byte undefined; the image format wants it opaque.
    for (int y = 0; y < target.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(target.scanLine(y));
        for (int x = 0; x < target.width(); ++x) {
            line[x] |= 0xFF000000u;
        }
    }
}

void MpvEngine::OnRenderUpdate() {
    // Every update asks for a redraw: a new frame, or a new configuration (a new item) whose
    // first frame would otherwise wait for the next update, which a still picture never sends.
    if (render_ != nullptr) {
        library_->mpv_render_context_update(render_);
        emit FrameReady();
    }
}

void MpvEngine::DrainEvents() {
    while (handle_ != nullptr) {
        const mpv_event* event = library_->mpv_wait_event(handle_, 0);
        switch (event->event_id) {
        case MPV_EVENT_NONE:
            return;
        case MPV_EVENT_START_FILE:
            OnItemStarted(
                IndexOf(static_cast<const mpv_event_start_file*>(event->data)->playlist_entry_id));
            break;
        case MPV_EVENT_FILE_LOADED:
            fileLoaded_ = true;
            lastEndWasError_ = false;
            SetStatus(Flag("pause") ? "Paused" : "Playing");
            break;
        case MPV_EVENT_END_FILE: {
            const auto* end = static_cast<const mpv_event_end_file*>(event->data);
            const int index = IndexOf(end->playlist_entry_id);
            fileLoaded_ = false;
            if (end->reason == MPV_END_FILE_REASON_ERROR && index >= 0) {
                lastEndWasError_ = true;
                SetStatus(std::string("Error: ") + library_->mpv_error_string(end->error));
                Log::Note(LogArea::Media, [&] {
                    return "play list entry " + std::to_string(index + 1) +
                           " cannot be played: " + library_->mpv_error_string(end->error);
                });
            }
            break;
        }
        case MPV_EVENT_IDLE:
            // The title keeps naming the last item; Play() finds out by itself that the list
            // has ended, since this report may come after a newer start.
            EndScan();
            if (!lastEndWasError_) {
                SetStatus("Stopped");
            }
            break;
        case MPV_EVENT_VIDEO_RECONFIG:
            if (events_ != nullptr) {
                events_->OnImageSizeChange();
            }
            break;
        case MPV_EVENT_PROPERTY_CHANGE: {
            const auto* property = static_cast<const mpv_event_property*>(event->data);
            if (std::string_view(property->name) == "pause" &&
                property->format == MPV_FORMAT_FLAG && fileLoaded_ && !scanningForward_ &&
                !reverseTimer_.isActive()) {
                SetStatus(*static_cast<const int*>(property->data) ? "Paused" : "Playing");
            }
            break;
        }
        default:
            break;
        }
    }
}

void MpvEngine::OnItemStarted(int index) {
    // A start of an item of a list cleared since is no news.
    if (index < 0) {
        return;
    }
    current_ = index;
    if (events_ != nullptr) {
        events_->OnCurrentItemChange();
    }
    SetStatus("Opening");
}

int MpvEngine::IndexOf(std::int64_t entryId) const {
    const auto found = std::find(entryIds_.begin(), entryIds_.end(), entryId);
    return found == entryIds_.end() || entryId == kNoEntry
               ? -1
               : static_cast<int>(found - entryIds_.begin());
}

void MpvEngine::SetStatus(std::string status) {
    status_ = std::move(status);
    if (events_ != nullptr) {
        events_->OnStatusChange();
    }
}

int MpvEngine::GetPlayState() const {
    if (!IsValid() || Flag("idle-active")) {
        return kStopped;
    }
    if (reverseTimer_.isActive()) {
        return kScanReverse;
    }
    if (scanningForward_) {
        return kScanForward;
    }
    return Flag("pause") ? kPaused : kPlaying;
}

void MpvEngine::Play() {
    if (!Start()) {
        return;
    }
    EndScan();
    SetFlag("pause", false);
    // Asked now rather than taken from mpv's idle report, which may arrive after a newer start.
    if (!startAt_ && Flag("idle-active")) {
        startAt_ = 0;
    }
    if (startAt_ && !sources_.empty()) {
        const std::string index = std::to_string(std::clamp(*startAt_, 0, GetPlaylistCount() - 1));
        startAt_.reset();
        Command({"playlist-play-index", index.c_str()});
    }
}

void MpvEngine::Pause() {
    EndScan();
    SetFlag("pause", true);
}

void MpvEngine::Stop() {
    EndScan();
    if (!startAt_) {
        startAt_ = Flag("idle-active") ? 0 : std::max(current_, 0);
    }
    Command({"stop", "keep-playlist"});
}

void MpvEngine::Next() {
    EndScan();
    Command({"playlist-next", "weak"});
}

void MpvEngine::Previous() {
    EndScan();
    Command({"playlist-prev", "weak"});
}

void MpvEngine::FastForward() {
    reverseTimer_.stop();
    scanningForward_ = true;
    SetNumber("speed", kFastForwardSpeed);
    SetFlag("pause", false);
    SetStatus("Scanning forward");
}

void MpvEngine::FastReverse() {
    EndScan();
    SetFlag("pause", true);
    reverseTimer_.start();
    SetStatus("Scanning backward");
}

void MpvEngine::ReverseStep() {
    if (GetPosition() <= 0.0) {
        // At the start a reverse scan turns into playing, as it does on the station.
        EndScan();
        SetFlag("pause", false);
        return;
    }
    Command({"seek", kReverseStep, "relative"});
}

void MpvEngine::EndScan() {
    reverseTimer_.stop();
    if (scanningForward_) {
        scanningForward_ = false;
        SetNumber("speed", 1.0);
    }
}

void MpvEngine::ReselectCurrent() {
    if (current_ >= 0) {
        const std::string index = std::to_string(current_);
        Command({"playlist-play-index", index.c_str()});
    }
}

double MpvEngine::GetPosition() const {
    return Number("time-pos");
}

void MpvEngine::SetPosition(double seconds) {
    // The slide show sets a held picture's position every second; seeking to where it already is
    // would only make mpv decode the picture again.
    if (std::abs(GetPosition() - seconds) >= 0.001) {
        SetNumber("time-pos", seconds);
    }
}

int MpvEngine::GetVolume() const {
    return static_cast<int>(std::lround(Number("volume")));
}

void MpvEngine::SetVolume(int volume) {
    SetNumber("volume", std::clamp(volume, 0, 100));
}

double MpvEngine::GetDuration() const {
    return Number("duration");
}

int MpvEngine::GetImageWidth() const {
    return static_cast<int>(Number("width"));
}

int MpvEngine::GetImageHeight() const {
    return static_cast<int>(Number("height"));
}

std::string MpvEngine::GetSourceUrl() const {
    return current_ >= 0 && current_ < GetPlaylistCount() ? sources_[current_] : std::string();
}

void MpvEngine::ClearPlaylist() {
    EndScan();
    Command({"stop"});
    sources_.clear();
    entryIds_.clear();
    current_ = -1;
    startAt_ = 0;
}

void MpvEngine::AppendItem(std::string_view source) {
    sources_.emplace_back(source);
    entryIds_.push_back(kNoEntry);
    if (!Start()) {
        return;
    }
    const PlayListEntryPolicy::Verdict verdict = policy_.Check(source);
    if (!verdict.Accepted()) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(source.data());
        Log::Error(LogArea::Media, "play list entry " + std::to_string(sources_.size()) +
                                       " refused, " + std::string(verdict.refusal) + ": " +
                                       HostCommandFields::Quoted({bytes, source.size()}));
    }
    const auto before = static_cast<std::int64_t>(Number("playlist-count"));
    Command({"loadfile", verdict.Accepted() ? verdict.source.c_str() : kRefusedEntry, "append"});
    const auto after = static_cast<std::int64_t>(Number("playlist-count"));
    if (after > before) {
        const std::string id = "playlist/" + std::to_string(after - 1) + "/id";
        entryIds_.back() = static_cast<std::int64_t>(Number(id.c_str()));
    }
}

void MpvEngine::Command(std::initializer_list<const char*> args) {
    if (handle_ == nullptr) {
        return;
    }
    std::vector<const char*> command(args);
    command.push_back(nullptr);
    library_->mpv_command(handle_, command.data());
}

bool MpvEngine::Flag(const char* name) const {
    int value = 0;
    return handle_ != nullptr &&
           library_->mpv_get_property(handle_, name, MPV_FORMAT_FLAG, &value) >= 0 && value != 0;
}

double MpvEngine::Number(const char* name) const {
    double value = 0;
    if (handle_ == nullptr ||
        library_->mpv_get_property(handle_, name, MPV_FORMAT_DOUBLE, &value) < 0) {
        return 0;
    }
    return value;
}

void MpvEngine::SetFlag(const char* name, bool value) {
    int flag = value ? 1 : 0;
    if (handle_ != nullptr) {
        library_->mpv_set_property(handle_, name, MPV_FORMAT_FLAG, &flag);
    }
}

void MpvEngine::SetNumber(const char* name, double value) {
    if (handle_ != nullptr) {
        library_->mpv_set_property(handle_, name, MPV_FORMAT_DOUBLE, &value);
    }
}

} // namespace qx44
