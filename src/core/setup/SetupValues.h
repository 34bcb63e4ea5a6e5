#pragma once

#include "core/settings/CVideoKeys.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qx44 {

class CQX44Setting;

// What the setup page shows and saves: every setting, with the lists held as list positions (-1
// for a stored value that no entry shows) and the key lists as virtual-key codes.
struct SetupValues {
    static constexpr int kNoSelection = -1;
    static constexpr int kPitchEntries = 26;
    static constexpr int kWeightEntries = 10;
    static constexpr int kUsbPorts = 8;

    struct Serial {
        int baudPosition = 0;
        int parity = 0;
        int bitsPosition = 0;
        int flow = 0;
    };

    int port = 0;
    bool beeping = false;
    int address = 0;
    bool statusLine = false;
    int pitchPosition = 0;
    std::string deviceName;

    std::string fontName;
    int weightPosition = 0;
    int marginHeight = 0;
    int marginWidth = 0;

    bool localEnable = false;
    std::string folder;
    std::array<std::uint32_t, 4> localKeys{}; // Key10, Key11, Key20, Key21
    bool autoSlide = false;
    int slideSeconds = 0;

    bool disableVideo = false;
    CVideoKeys videoKeys1;
    CVideoKeys videoKeys2;

    std::array<Serial, 2> serial{};
    bool usbEnabled = false;
    int usbPosition = 0;

    // Kept as read and written back unchanged: no control shows them.
    bool exitCtrl = false;
    bool exitAlt = false;
    std::uint32_t exitKey1 = 0;
    std::uint32_t exitKey2 = 0;

    static SetupValues Load(const CQX44Setting& settings);
    // Every setting, in the station's order, the station address last.
    void Save(CQX44Setting& settings) const;

    // The texts of the fixed lists.
    static std::vector<std::string> PitchEntries();
    static std::vector<std::string> WeightEntries();
    static std::vector<std::string> UsbEntries();
    // The empty entry (no key) followed by every key name.
    static std::vector<std::string> KeyEntries();
    static int KeyPosition(std::uint32_t code);
    static std::uint32_t KeyCode(int position);
    // The font list entry the stored name selects: the first that begins with it, ignoring case,
    // searched from the second entry on with the first entry last; kNoSelection if none does.
    static int FontPosition(const std::vector<std::string>& fonts, const std::string& name);
};

} // namespace qx44
