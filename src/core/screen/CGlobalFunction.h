#pragma once

namespace qx44 {

// Attributes pack two palette indexes into 16 bits: background in the high byte, foreground in
// the low byte. Hosts send the indexes separately, so both directions are needed.
class CGlobalFunction {
public:
    CGlobalFunction() = delete;

    static constexpr int MakeAttr(int background, int foreground) {
        return static_cast<int>(((static_cast<unsigned>(background) << 8) & 0xFFFFu) |
                                (static_cast<unsigned>(foreground) & 0xFFu));
    }
    static constexpr int BackIndex(int attribute) { return (attribute >> 8) & 0xFF; }
    static constexpr int ForeIndex(int attribute) { return attribute & 0xFF; }
};

} // namespace qx44
