#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qx44 {

class CConsoleWin;
class CVantorBar;
class INetAdapterSource;

// What the terminal shows until a host takes over: a notice on the status line and a framed box
// on the text screen with the station's identity, its TCP port, and either its network state or
// the address of the host that has just connected. Settings and adapters are read at each
// drawing, so the box shows the values in force at that moment.
class StationInfoScreen {
public:
    static constexpr std::u16string_view kNotice = u"QX4400 Network Terminal Station Simulator";
    static constexpr int kNoticeAttribute = 0xEAD7;

    static constexpr int kBoxColumn = 22;
    static constexpr int kBoxRow = 6;
    static constexpr int kBoxWidth = 36;
    static constexpr int kBoxHeight = 10;
    static constexpr int kBoxAttribute = 0xD200;
    static constexpr int kTextColumn = 24;
    static constexpr int kFirstTextRow = 7;
    static constexpr int kNetworkRow = 13;

    static constexpr std::string_view kConnected = "Ethernet: Connected";
    // Spelled as the real station spells it, so both terminals read the same.
    static constexpr std::string_view kDisconnected = "Ethernet: Disonnected";
    static constexpr std::string_view kHostPrefix = "HOST IP:";

    // Uses the adapter source registered with CNetCard at the time of each drawing.
    StationInfoScreen(CConsoleWin& textScreen, CVantorBar& statusLine);
    StationInfoScreen(CConsoleWin& textScreen, CVantorBar& statusLine,
                      const INetAdapterSource& adapters);

    // `host` is the connected host's dotted address, empty when none is connected. Without a
    // host, returns the network state the status line is to show: StatusIndicators::kNetworkIdle
    // when the network is alive and the station has a hardware address, else kNoNetwork. With a
    // host, returns none: the network state is the caller's to keep.
    std::optional<int> ShowStationInfo(std::string_view host);
    // The port hosts reach, where it is not Net/PortNum's (a free port the system chose).
    void SetTcpPort(int port) { tcpPort_ = port; }

private:
    const INetAdapterSource& Adapters() const;
    void PutRow(int row, std::string_view text);

    CConsoleWin& textScreen_;
    CVantorBar& statusLine_;
    const INetAdapterSource* adapters_ = nullptr;
    std::optional<int> tcpPort_;
};

} // namespace qx44
