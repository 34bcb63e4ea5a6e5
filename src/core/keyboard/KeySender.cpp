#include "core/keyboard/KeySender.h"

#include "core/hostlink/StationMessage.h"
#include "core/keyboard/StationScanTable.h"
#include "core/protocol/StationMessageTable.h"

#include <algorithm>
#include <utility>

namespace qx44 {

namespace {

// What decides a key's bytes: its scan code and extended flag.
constexpr std::uint32_t kKeyIdentity = 0x1FF;

} // namespace

KeySender::KeySender(IHostSender& host, std::uint8_t stationAddress)
    : host_(host), address_(stationAddress) {}

void KeySender::SendKeyDown(std::uint32_t /*key*/, int /*repeat*/, std::uint32_t flags) {
    const StationKeyByte station = TranslateScanCode(flags);
    if (station.byte == 0) {
        return;
    }
    if (station.extended) {
        SendKeyByte(kExtendedPrefix);
    }
    SendKeyByte(station.byte);
    if (std::find(held_.begin(), held_.end(), flags & kKeyIdentity) == held_.end()) {
        held_.push_back(flags & kKeyIdentity);
    }
}

void KeySender::SendKeyUp(std::uint32_t key, int /*repeat*/, std::uint32_t flags, bool force) {
    StationKeyByte station = TranslateScanCode(flags);
    if (!force && station.byte == 0) {
        return;
    }
    // The marker stands for the key's own release, which the host is not owed again.
    std::erase(held_, flags & kKeyIdentity);
    if (key == kPlayerReleaseKey) {
        station.byte = kPlayerReleaseMarker;
    }
    if (station.extended) {
        SendKeyByte(kExtendedPrefix);
    }
    SendKeyByte(kReleasePrefix);
    SendKeyByte(station.byte);
}

void KeySender::ReleaseHeldKeys() {
    for (const std::uint32_t flags : std::exchange(held_, {})) {
        SendKeyUp(0, 1, flags, false);
    }
}

bool KeySender::IsDownOnHost(std::uint32_t flags) const {
    return std::find(held_.begin(), held_.end(), flags & kKeyIdentity) != held_.end();
}

void KeySender::SendMediaKeyNotice() {
    host_.SendToHost(StationMessage(address_, StationMessageTable::kMediaKey.code).Bytes());
}

void KeySender::SendKeyByte(std::uint8_t byte) {
    host_.SendToHost(StationMessage(address_, StationMessageTable::kKey.code, byte).Bytes());
}

} // namespace qx44
