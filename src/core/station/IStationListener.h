#pragma once

#include <string>
#include <string_view>

namespace qx44 {

struct NamedKey;

// What a station asks of its shell (a window, a replay, a test): every call comes on the
// station's UI thread. Each method does nothing by default, so a shell overrides only what it
// has: a replay has no window to hide or to take a picture of.
class IStationListener {
public:
    virtual ~IStationListener() = default;

    // A new host was accepted; the station has already redrawn its information screen and closed
    // the player. Comes before any of the host's messages is handled.
    virtual void HostConnected(std::string_view /*peerAddress*/) {}
    // The host's connection closed.
    virtual void HostDisconnected() {}
    // The program's devices: a receipt the printer behind COM `port` cut, bytes the station
    // wrote to the virtual device behind COM `port`.
    virtual void ReceiptPrinted(int /*port*/, std::string_view /*text*/) {}
    virtual void SerialWritten(int /*port*/, std::string_view /*bytes*/) {}

    // The player covers the text screen and the status line while a list plays.
    virtual void HideTerminalScreens() {}
    // The player has gone: the text screen comes back, with the status line when it is switched
    // on, takes the keyboard and is repainted whole.
    virtual void ShowTerminalScreens() {}
    // The operator's shortcut asks for the local browser; the shell hands what is picked to
    // StationTerminal::PlayLocalSelection.
    virtual void OpenLocalBrowser() {}

    // The control port's commands that need a window: a key as the real key would arrive, a
    // PNG of what the window shows (an error text, empty when saved), and the program's end.
    virtual void InjectKey(const NamedKey& /*key*/, bool /*down*/) {}
    virtual std::string SavePicture(const std::string& path) {
        return "cannot write " + path + ": the station has no window";
    }
    virtual void Shutdown() {}
};

} // namespace qx44
