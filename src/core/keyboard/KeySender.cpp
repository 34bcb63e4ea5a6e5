#include "core/keyboard/KeySender.h"

#include "core/hostlink/StationMessage.h"
#include "core/keyboard/StationScanTable.h"

namespace qx44 {

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
}

void KeySender::SendKeyUp(std::uint32_t key, int /*repeat*/, std::uint32_t flags, bool force) {
    StationKeyByte station = TranslateScanCode(flags);
    if (!force && station.byte == 0) {
        return;
    }
    if (key == kPlayerReleaseKey) {
        station.byte = kPlayerReleaseMarker;
    }
    if (station.extended) {
        SendKeyByte(kExtendedPrefix);
    }
    SendKeyByte(kReleasePrefix);
    SendKeyByte(station.byte);
}

void KeySender::SendMediaKeyNotice() {
    host_.SendToHost(StationMessage(address_, kMediaKeyNotice).Bytes());
}

void KeySender::SendKeyByte(std::uint8_t byte) {
    host_.SendToHost(StationMessage(address_, kKeyMessage, byte).Bytes());
}

} // namespace qx44
