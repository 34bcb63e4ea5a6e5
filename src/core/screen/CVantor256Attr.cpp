#include "core/screen/CVantor256Attr.h"

#include "core/screen/CGlobalFunction.h"

namespace qx44 {

namespace {

constexpr int kCubeEnd = 216;
constexpr int kGreyStart = 224;
constexpr int kPcColoursStart = 240;

constexpr std::uint8_t Channel(int value) {
    return static_cast<std::uint8_t>(value);
}

constexpr std::array<RgbColor, 256> MakePalette() {
    std::array<RgbColor, 256> palette{};
    for (int i = 0; i < kCubeEnd; ++i) {
        palette[i] = {Channel(51 * (5 - (i / 36) % 6)), Channel(51 * (5 - (i / 6) % 6)),
                      Channel(51 * (5 - i % 6))};
    }
    // 216 to 223 have no colour of their own; nothing the station writes uses them. They stay
    // black, which is what an entry nobody filled in would show, so a host that strays into them
    // gets the same colour as the cube's last entry rather than something eye-catching.
    for (int i = kCubeEnd; i < kGreyStart; ++i) {
        palette[i] = {0, 0, 0};
    }
    for (int i = kGreyStart; i < kPcColoursStart; ++i) {
        const std::uint8_t level = Channel(17 * (i - kGreyStart));
        palette[i] = {level, level, level};
    }
    constexpr std::array<RgbColor, 16> kPcColours{{{0, 0, 0},
                                                   {0, 0, 128},
                                                   {0, 128, 0},
                                                   {0, 128, 128},
                                                   {128, 0, 0},
                                                   {128, 0, 128},
                                                   {128, 128, 0},
                                                   {192, 192, 192},
                                                   {128, 128, 128},
                                                   {0, 0, 255},
                                                   {0, 255, 0},
                                                   {0, 255, 255},
                                                   {255, 0, 0},
                                                   {255, 0, 255},
                                                   {255, 255, 0},
                                                   {255, 255, 255}}};
    for (int i = 0; i < 16; ++i) {
        palette[kPcColoursStart + i] = kPcColours[i];
    }
    return palette;
}

} // namespace

const std::array<RgbColor, 256> CVantor256Attr::kPalette = MakePalette();

RgbColor CVantor256Attr::PaletteColor(int index) {
    return kPalette[static_cast<std::size_t>(index & 0xFF)];
}

RgbColor CVantor256Attr::BackColor(int attribute) {
    return PaletteColor(CGlobalFunction::BackIndex(attribute));
}

RgbColor CVantor256Attr::ForeColor(int attribute) {
    return PaletteColor(CGlobalFunction::ForeIndex(attribute));
}

} // namespace qx44
