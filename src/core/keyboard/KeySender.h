#pragma once

#include "core/hostlink/IHostSender.h"
#include "core/keyboard/IKeySender.h"

#include <cstdint>
#include <vector>

namespace qx44 {

// Turns key presses and releases into station key messages, one 5-byte message per key byte, and
// hands each to the host sender, which drops it when no host is connected.
class KeySender : public IKeySender {
public:
    static constexpr std::uint8_t kExtendedPrefix = 0xE0;
    static constexpr std::uint8_t kReleasePrefix = 0xF0;
    static constexpr std::uint8_t kPlayerReleaseMarker = 0xFE;

    KeySender(IHostSender& host, std::uint8_t stationAddress);

    void SendKeyDown(std::uint32_t key, int repeat, std::uint32_t flags) override;
    void SendKeyUp(std::uint32_t key, int repeat, std::uint32_t flags, bool force) override;
    void SendMediaKeyNotice() override;
    bool IsDownOnHost(std::uint32_t flags) const override;

    // Sends the release of every key the host saw go down and not yet come up, oldest first:
    // the terminal no longer learns of their releases, and the host must not keep them held.
    void ReleaseHeldKeys();

private:
    void SendKeyByte(std::uint8_t byte);

    IHostSender& host_;
    std::uint8_t address_;
    // The scan code and extended flag of each key whose press the host received.
    std::vector<std::uint32_t> held_;
};

} // namespace qx44
