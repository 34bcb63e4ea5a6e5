#include "core/station/Station.h"

#include "core/common/Log.h"
#include "core/screen/ScreenDump.h"
#include "core/settings/CQX44Setting.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace qx44 {

Station::Station(const StationConfig& config)
    : ui_(config.ui), listener_(config.listener), hasSerialPorts_(config.serialPorts != nullptr),
      hostPort_(config.hostPort),
      cmd_(textScreen_, statusLine_, config.host != nullptr ? *config.host : link_,
           SerialPorts(config), config.beeper),
      link_(cmd_, config.ui, *this, config.transferPath, config.trace) {
    if (router_) {
        router_->Prepare(1, config.preparedComPorts);
        deviceCommands_ = std::make_unique<DeviceControlCommands>(*router_);
        control_.Register(
            "serial", std::string(DeviceControlCommands::kSerialUsage),
            [this](std::string_view arguments) { return deviceCommands_->Serial(arguments); });
        control_.Register(
            "printer", std::string(DeviceControlCommands::kPrinterUsage),
            [this](std::string_view arguments) { return deviceCommands_->Printer(arguments); });
    }
    if (config.mediaEngine != nullptr && config.playerView != nullptr) {
        terminal_ = std::make_unique<StationTerminal>(
            *config.mediaEngine, *config.playerView, link_,
            static_cast<std::uint8_t>(cmd_.StationAddress()), config.ui, listener_);
        cmd_.SetMediaRequestSink(terminal_.get());
    }
}

Station::~Station() {
    Stop();
}

ISerialDeviceFactory& Station::SerialPorts(const StationConfig& config) {
    if (config.serialPorts == nullptr) {
        return absentPorts_;
    }
    if (config.pseudoTerminals == nullptr) {
        return *config.serialPorts;
    }
    router_ = std::make_unique<SerialDeviceRouter>(*config.serialPorts, *config.pseudoTerminals,
                                                   static_cast<IDeviceEvents*>(this));
    return *router_;
}

bool Station::Listen() {
    const CQX44Setting settings;
    const int port = hostPort_ ? *hostPort_ : settings.GetPortNum();
    const std::string bind = settings.GetBind();
    const auto address = CTCPIPListen::ParseAddress(bind);
    if (port < 0 || port > 0xFFFF) {
        Log::Error(LogArea::Host, "cannot listen: Net/PortNum=" + std::to_string(port) +
                                      " is not a TCP port number");
        return false;
    }
    if (!address) {
        Log::Error(LogArea::Host, "cannot listen: Net/Bind=" + bind + " is not an IPv4 address");
        return false;
    }
    if (!link_.StartListening(static_cast<std::uint16_t>(port), *address)) {
        return false;
    }
    stationInfo_.SetTcpPort(link_.Listener().Port());
    return true;
}

void Station::OnTimer1() {
    link_.OnTimer1Tick();
    if (hasSerialPorts_ && link_.HasHost()) {
        cmd_.PollSerialPorts();
    }
}

void Station::OnTimer2(bool keyboardPresent) {
    indicators_.SetKeyboardMissing(!keyboardPresent);
    if (hasSerialPorts_) {
        cmd_.PollSerialPorts();
    }
}

void Station::SoundStartTone() {
    if (CQX44Setting().GetBeeping()) {
        cmd_.StartupBeep();
    }
}

void Station::ShowStationInfo() {
    stationInfoShown_ = true;
    RefreshStationInfo({});
}

void Station::LoadSettings() {
    const CQX44Setting settings;
    cmd_.SetUsbPrinterEnabled(settings.GetUsbEnabled());
    cmd_.SetPrinterPortNumber(settings.GetUsbMap());
    if (terminal_) {
        terminal_->LoadSettings();
    }
}

void Station::Stop() {
    // The receive thread, which posts media requests and draws pictures, goes before the views
    // and the player it reaches.
    link_.CloseAllConnections();
    cmd_.SetMediaRequestSink(nullptr);
    cmd_.SetPictureDisplays(nullptr, nullptr);
    indicators_.SetSurface(nullptr);
}

void Station::SetPictureDisplays(IPictureDisplay* textScreen, IPictureDisplay* statusLine) {
    cmd_.SetPictureDisplays(textScreen, statusLine);
}

std::string Station::Dump() const {
    return ScreenDump::Document(textScreen_.Snapshot(), statusLine_.Snapshot());
}

void Station::RefreshStationInfo(std::string_view host) {
    if (const auto state = stationInfo_.ShowStationInfo(host)) {
        indicators_.SetNetworkState(*state);
    }
}

void Station::SetNetworkState(int state) {
    indicators_.SetNetworkState(state);
    if (state == kNetworkDisconnected) {
        listener_.HostDisconnected();
    }
}

void Station::ReceiptPrinted(int port, std::string_view text) {
    ui_.Post([this, port, text = std::string(text)] { listener_.ReceiptPrinted(port, text); });
}

void Station::SerialWritten(int port, std::span<const std::uint8_t> bytes) {
    ui_.Post([this, port, bytes = std::string(bytes.begin(), bytes.end())] {
        listener_.SerialWritten(port, bytes);
    });
}

void Station::HostConnected(std::string_view peerAddress) {
    if (stationInfoShown_ && cmd_.IsInfoScreenPending()) {
        RefreshStationInfo(peerAddress);
    }
    if (terminal_) {
        terminal_->HostConnected();
    }
    listener_.HostConnected(peerAddress);
}

ScreenSnapshot Station::ControlView::TextScreen() const {
    return station_.textScreen_.Snapshot();
}

ScreenSnapshot Station::ControlView::StatusLine() const {
    return station_.statusLine_.Snapshot();
}

HostLinkState Station::ControlView::HostState() const {
    const HostLink& link = station_.link_;
    const auto traffic = link.Traffic();
    return {link.HasHost(),   link.PeerAddress(), traffic.bytesIn,
            traffic.bytesOut, traffic.messagesIn, traffic.messagesOut};
}

std::optional<int> Station::ControlView::HostPort() const {
    return station_.link_.ListeningPort();
}

PlayerState Station::ControlView::Player() const {
    if (!station_.terminal_) {
        return {};
    }
    const CVideoPlayer& player = station_.terminal_->Player();
    static constexpr auto kStates = std::to_array<std::pair<int, std::string_view>>({
        {IMediaEngine::kPlaying, "playing"},
        {IMediaEngine::kPaused, "paused"},
        {IMediaEngine::kScanForward, "scanning"},
        {IMediaEngine::kScanReverse, "scanning"},
    });
    const auto state =
        std::ranges::find(kStates, player.PlayState(), &std::pair<int, std::string_view>::first);
    return {.shown = player.IsShown(),
            .title = player.ItemCount() > 0 ? player.Title() : std::string(),
            .index = player.CurrentIndex(),
            .count = player.ItemCount(),
            .state = std::string(state != kStates.end() ? state->second : "stopped"),
            .zoom = static_cast<int>(std::lround(player.Zoom() * 100)),
            .volume = player.Volume(),
            .local = player.IsLocalMode()};
}

void Station::ControlView::InjectKey(const NamedKey& key, bool down) {
    station_.listener_.InjectKey(key, down);
}

std::string Station::ControlView::SavePicture(const std::string& path) {
    return station_.listener_.SavePicture(path);
}

void Station::ControlView::Shutdown() {
    station_.listener_.Shutdown();
}

} // namespace qx44
