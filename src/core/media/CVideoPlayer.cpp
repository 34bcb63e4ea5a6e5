#include "core/media/CVideoPlayer.h"

#include "core/keyboard/HostKeyCode.h"
#include "core/settings/CQX44Setting.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace qx44 {

namespace {

using Command = CVideoPlayer::Command;

constexpr std::size_t Index(Command command) {
    return static_cast<std::size_t>(command);
}

// The nine action sets in the order a released key is tried against them; Stop is not an action.
constexpr std::array kActionOrder = {Command::PlayPause,  Command::Forward,  Command::Backward,
                                     Command::ZoomIn,     Command::ZoomOut,  Command::VolumeUp,
                                     Command::VolumeDown, Command::PrevClip, Command::NextClip};

// The strip's buttons from the left: the set each is named after and its offset from the left.
struct ButtonRow {
    Command command;
    int x;
};
constexpr std::array<ButtonRow, IVideoPlayerView::kButtonCount> kButtons = {{
    {Command::PlayPause, 20},
    {Command::Stop, 60},
    {Command::Backward, 100},
    {Command::Forward, 140},
    {Command::PrevClip, 180},
    {Command::NextClip, 220},
    {Command::ZoomOut, 260},
    {Command::ZoomIn, 370},
    {Command::VolumeDown, 410},
    {Command::VolumeUp, 520},
}};
constexpr int kButtonSize = 40;
constexpr int kTitleHeight = 20;
constexpr double kZoomStep = 0.5;
constexpr double kLargestFittedZoom = 2.0;
constexpr double kSmallestDrawnZoom = 0.5;

bool IsOneOf(int state, std::initializer_list<int> states) {
    return std::find(states.begin(), states.end(), state) != states.end();
}

// The states in which nothing plays at normal speed: the play button offers "play", and a
// picture's slide time does not run.
bool IsNotPlaying(int state) {
    return IsOneOf(state,
                   {IMediaEngine::kStopped, IMediaEngine::kPaused, IMediaEngine::kScanForward,
                    IMediaEngine::kScanReverse, IMediaEngine::kReady});
}

PixelRect At(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

std::string TrimmedUpperExtension(std::string_view path) {
    const auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!path.empty() && isSpace(path.front())) {
        path.remove_prefix(1);
    }
    while (!path.empty() && isSpace(path.back())) {
        path.remove_suffix(1);
    }
    const auto dot = path.rfind('.');
    if (dot == std::string_view::npos) {
        return {};
    }
    std::string extension(path.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return extension;
}

} // namespace

CVideoPlayer::CVideoPlayer(IMediaEngine& engine, IVideoPlayerView& view, const IClock& clock,
                           const IKeyboardState& keyboard)
    : engine_(engine), view_(view), clock_(clock), keyboard_(keyboard) {
    engine_.SetEvents(this);
}

CVideoPlayer::~CVideoPlayer() {
    engine_.SetEvents(nullptr);
}

CVideoPlayer::Command CVideoPlayer::ButtonCommand(std::size_t index) {
    return kButtons.at(index).command;
}

CVideoPlayer::Layout CVideoPlayer::ComputeLayout(const PixelRect& client) {
    const int a = client.left;
    const int d = client.bottom;
    const int w = client.Width();
    Layout layout;
    layout.video = At(a, client.top, w, std::max(d - client.top - kStripHeight, 0));
    layout.title = At(a, d - kStripHeight, w, kTitleHeight);
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
        layout.buttons[i] = At(a + kButtons[i].x, d - kButtonSize, kButtonSize, kButtonSize);
    }
    layout.zoomSlider = At(a + 300, d - kButtonSize, 70, kButtonSize);
    layout.volumeSlider = At(a + 450, d - kButtonSize, 70, kButtonSize);
    layout.progressSlider = At(a + 560, d - kButtonSize, std::max(w - 580, 0), kButtonSize);
    return layout;
}

bool CVideoPlayer::IsPicture(std::string_view path) {
    const std::string extension = TrimmedUpperExtension(path);
    // PNG and GIF, which the station never had, are held for the slide time like the others.
    return extension == "JPG" || extension == "JPEG" || extension == "BMP" || extension == "PNG" ||
           extension == "GIF";
}

void CVideoPlayer::LoadKeys() {
    const CQX44Setting settings;
    CVideoKeys first;
    CVideoKeys second;
    settings.GetVideoKeys(first, false);
    settings.GetVideoKeys(second, true);
    const auto set = [&](Command command, std::uint32_t CVideoKeys::*member) {
        keySets_[Index(command)].Set(first.*member, second.*member);
    };
    set(Command::PlayPause, &CVideoKeys::playPause);
    set(Command::Forward, &CVideoKeys::forward);
    set(Command::Backward, &CVideoKeys::backward);
    set(Command::ZoomIn, &CVideoKeys::zoomIn);
    set(Command::ZoomOut, &CVideoKeys::zoomOut);
    set(Command::VolumeUp, &CVideoKeys::volumeUp);
    set(Command::VolumeDown, &CVideoKeys::volumeDown);
    set(Command::PrevClip, &CVideoKeys::prevClip);
    set(Command::NextClip, &CVideoKeys::nextClip);
    set(Command::Stop, &CVideoKeys::stop);

    IVideoPlayerView::ButtonTexts texts;
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
        texts[i] = keySets_[Index(kButtons[i].command)].Name();
    }
    view_.SetButtonTexts(texts);
}

void CVideoPlayer::Show(bool visible) {
    view_.ShowPlayer(visible);
    if (!visible) {
        engine_.Stop();
        view_.StopTimer(IVideoPlayerView::kRefreshTimer);
        view_.StopTimer(IVideoPlayerView::kSlideTimer);
    }
}

void CVideoPlayer::PlayList(const std::vector<std::string>& list, bool resetZoom) {
    engine_.ClearPlaylist();
    list_ = list;
    if (list_.empty()) {
        return;
    }
    engine_.Pause();
    for (const auto& entry : list_) {
        engine_.AppendItem(entry);
    }
    engine_.Play();
    view_.StartTimer(IVideoPlayerView::kRefreshTimer, kRefreshMs);
    if (resetZoom) {
        zoom_ = 1.0;
        ApplyZoom(1.0);
    }
}

void CVideoPlayer::ApplyZoom(double zoom) {
    engine_.SetStretchToFit(true);
    zoom_ = zoom;
    int iw = engine_.GetImageWidth();
    int ih = engine_.GetImageHeight();
    if (iw <= 0 || ih < 0) {
        return;
    }
    const PixelRect client = view_.ClientRect();
    const PixelRect area{client.left, client.top, client.right,
                         std::max(client.top, client.bottom - kStripHeight)};
    const int width = area.Width();
    const int height = area.Height();
    if (iw >= width) {
        iw = width / 2;
    }
    if (ih >= height) {
        ih = height / 2;
    }
    PixelRect target = area;
    if (zoom <= kLargestFittedZoom) {
        const double factor = std::max(zoom, kSmallestDrawnZoom);
        const int w = static_cast<int>(factor * iw);
        const int h = static_cast<int>(factor * ih);
        if (w < width && h < height) {
            target = At(area.left + (width - w) / 2, area.top + (height - h) / 2, w, h);
        } else {
            zoom_ = kLargestFittedZoom;
        }
    }
    target.left = std::max(target.left, 0);
    target.top = std::max(target.top, 0);
    view_.PlaceVideo(target);
    SetZoomSlider();
}

void CVideoPlayer::SetHostKeys(int a, int b, int c, int d) {
    SetHostKeyCodes(HostKeyCode(a), HostKeyCode(b), HostKeyCode(c), HostKeyCode(d));
}

void CVideoPlayer::SetHostKeyCodes(std::uint32_t k1, std::uint32_t k2, std::uint32_t k3,
                                   std::uint32_t k4) {
    hostKeys1_.Set(k1, k2);
    hostKeys2_.Set(k3, k4);
}

int CVideoPlayer::CheckExitKeys(std::uint32_t key, int, std::uint32_t) {
    if (keySets_[Index(Command::Stop)].Matches(key, keyboard_)) {
        return 1;
    }
    for (const CKeySet* set : {&hostKeys1_, &hostKeys2_}) {
        if (set->Matches(key, keyboard_)) {
            return set->Kind();
        }
    }
    return kNoExitKey;
}

void CVideoPlayer::HandleKey(std::uint32_t key, int, std::uint32_t) {
    // A pair is the more specific shortcut, so it wins over a single key it shares a key with.
    for (const bool pairs : {true, false}) {
        for (const Command command : kActionOrder) {
            const CKeySet& set = keySets_[Index(command)];
            if (set.IsSingle() != pairs && set.Matches(key, keyboard_)) {
                RunCommand(command);
                return;
            }
        }
    }
}

void CVideoPlayer::RunCommand(Command command) {
    switch (command) {
    case Command::PlayPause:
        PlayPause();
        break;
    case Command::Backward:
        Backward();
        break;
    case Command::Forward:
        Forward();
        break;
    case Command::NextClip:
        if (ListCount() > 1 && engine_.GetPlaylistCount() > 1) {
            Forward();
        } else {
            engine_.Next();
        }
        break;
    case Command::PrevClip:
        if (ListCount() > 1 && engine_.GetPlaylistCount() > 0) {
            Backward();
        } else {
            engine_.Previous();
        }
        break;
    case Command::VolumeUp:
        ChangeVolume(kVolumeStep);
        break;
    case Command::VolumeDown:
        ChangeVolume(-kVolumeStep);
        break;
    case Command::ZoomIn:
        if (zoom_ <= kLargestFittedZoom) {
            ApplyZoom(zoom_ + kZoomStep);
        }
        break;
    case Command::ZoomOut:
        if (zoom_ >= kSmallestDrawnZoom) {
            ApplyZoom(zoom_ - kZoomStep);
        }
        break;
    case Command::Stop:
        break;
    }
}

void CVideoPlayer::PlayPause() {
    if (engine_.GetPlayState() == IMediaEngine::kPlaying) {
        engine_.Pause();
        view_.ShowPauseOnPlayButton(false);
        view_.StopTimer(IVideoPlayerView::kSlideTimer);
        return;
    }
    if (engine_.GetPlayState() == IMediaEngine::kReady) {
        engine_.ReselectCurrent();
    }
    if (ListCount() != engine_.GetPlaylistCount()) {
        const std::vector<std::string> copy = list_;
        PlayList(copy, false);
    }
    engine_.Play();
    OnCurrentItemChange();
    view_.ShowPauseOnPlayButton(true);
}

void CVideoPlayer::Forward() {
    if (ListCount() > 1) {
        engine_.Next();
        engine_.Play();
    } else {
        engine_.FastForward();
    }
}

void CVideoPlayer::Backward() {
    if (ListCount() > 1) {
        engine_.Previous();
        engine_.Play();
    } else {
        engine_.FastReverse();
    }
}

void CVideoPlayer::ChangeVolume(int delta) {
    engine_.SetVolume(engine_.GetVolume() + delta);
    view_.SetVolumeSlider(engine_.GetVolume());
}

void CVideoPlayer::Refresh() {
    if (!view_.IsPlayerVisible()) {
        return;
    }
    const int state = engine_.GetPlayState();
    view_.ShowPauseOnPlayButton(!IsNotPlaying(state));
    if (!IsOneOf(state,
                 {IMediaEngine::kPlaying, IMediaEngine::kScanForward, IMediaEngine::kReady})) {
        return;
    }
    if (!CurrentIsPicture()) {
        const double duration = engine_.GetDuration();
        if (duration > progressMax_) {
            SetProgressRange(static_cast<int>(duration));
        }
        view_.SetProgressPosition(static_cast<int>(engine_.GetPosition()));
    }
    view_.SetVolumeSlider(engine_.GetVolume());
    SetZoomSlider();
}

void CVideoPlayer::OnCurrentItemChange() {
    view_.StopTimer(IVideoPlayerView::kSlideTimer);
    if (CurrentIsPicture()) {
        slideStart_ = clock_.Now();
        view_.StartTimer(IVideoPlayerView::kSlideTimer, kSlideMs);
    }
}

void CVideoPlayer::OnSlideTimer() {
    if (IsNotPlaying(engine_.GetPlayState())) {
        view_.StopTimer(IVideoPlayerView::kSlideTimer);
        return;
    }
    if (slideSeconds_ <= 0) {
        engine_.SetPosition(0);
        return;
    }
    const auto shown = clock_.Now() - slideStart_.value_or(clock_.Now());
    const auto elapsed = static_cast<int>(std::lround(static_cast<double>(shown.count()) / 1000.0));
    if (elapsed < slideSeconds_) {
        engine_.SetPosition(0);
        if (progressMax_ != slideSeconds_) {
            SetProgressRange(slideSeconds_);
        }
        view_.SetProgressPosition(elapsed);
        return;
    }
    view_.StopTimer(IVideoPlayerView::kSlideTimer);
    engine_.Next();
}

void CVideoPlayer::UpdateTitle() {
    view_.SetTitle(Title());
}

std::string CVideoPlayer::Title() const {
    char position[48];
    std::snprintf(position, sizeof position, " ( %d/%d ) ", engine_.GetCurrentIndex() + 1,
                  engine_.GetPlaylistCount());
    return engine_.GetSourceUrl() + position + "    " + engine_.GetStatus();
}

void CVideoPlayer::SetProgressRange(int maximum) {
    progressMax_ = maximum;
    view_.SetProgressRange(maximum);
}

} // namespace qx44
