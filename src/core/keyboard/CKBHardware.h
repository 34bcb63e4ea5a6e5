#pragma once

#include "core/keyboard/IKeyboardDevices.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string_view>

namespace qx44 {

// Whether a keyboard is attached: a keyboard in the system's input device list, or a POS keyboard
// that answers the echo command. It only watches and never touches key data.
class CKBHardware {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr std::uint8_t kEchoCommand = 0xEE;
    static constexpr std::uint8_t kEchoScanCode = 0x6E;
    // The virtual key (F23) the echo arrives as; it is never a key the user holds or types.
    static constexpr std::uint32_t kEchoVirtualKey = 0x86;
    // The POS keyboard answers at once and is asked once a second, so an older echo means it is
    // gone.
    static constexpr std::chrono::seconds kEchoFreshness{4};

    // The echo time starts now, so a POS keyboard counts as present for the first few seconds
    // as long as its device takes the echo command.
    explicit CKBHardware(IKeyboardDevices& devices, Clock now = std::chrono::steady_clock::now);

    // Polled once a second by the main window for the status line's keyboard icon.
    bool IsKeyboardPresent();
    // The POS keyboard's answer arrived.
    void NoteEcho();
    // Whether a key event with these flags is the POS keyboard's answer.
    static bool IsEcho(std::uint32_t flags);

    // A device the kernel's keyboard handler serves that reports keys and auto-repeat; that leaves
    // out power buttons, lid switches and other devices with a few keys.
    static bool FindHidKeyboard(std::string_view deviceList);

private:
    // Whole seconds, as the echo is sent and answered once per timer tick.
    std::chrono::seconds NowSeconds() const;

    IKeyboardDevices& devices_;
    Clock now_;
    std::chrono::seconds echoTime_;
};

} // namespace qx44
