#pragma once

#include <string>
#include <vector>

namespace qx44 {

// The boot screen's page: thirty texts placed in dialog units on a 302 x 282 page, filled from the
// settings, the display and the network adapters when the page opens.
class BootScreenPage {
public:
    static constexpr int kPageWidth = 302;
    static constexpr int kPageHeight = 282;

    // How a text follows when the page grows to the whole display.
    enum class Anchor {
        TopLeft,    // stays where it is
        BottomLeft, // keeps its distance from the bottom
        Centre,     // moves by half the growth both ways, so the block stays centred
    };

    struct Text {
        int id;
        std::string text;
        int x, y, width, height;
        Anchor anchor;
    };

    // The texts with their values for this start.
    static std::vector<Text> Build();
    // "9600, n, 8, 1"; an unknown parity shows its number.
    static std::string SerialText(int baud, int parity, int bits);
};

} // namespace qx44
