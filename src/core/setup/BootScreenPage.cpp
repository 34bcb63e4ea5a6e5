#include "core/setup/BootScreenPage.h"

#include "core/common/ProductStrings.h"
#include "core/settings/CQX44Setting.h"

#include <algorithm>
#include <array>
#include <tuple>

namespace qx44 {

namespace {

using Anchor = BootScreenPage::Anchor;
using Text = BootScreenPage::Text;

// The page as the station draws it: id, text before filling, place in dialog units.
std::vector<Text> Template() {
    const auto centre = [](int id, const char* text, int x, int y, int w) {
        return Text{id, text, x, y, w, 8, Anchor::Centre};
    };
    return {
        {1008, "HARBROOK Corvane Pavise QX4400", 4, 3, 157, 8, Anchor::TopLeft},
        centre(1009, "Module:", 40, 20, 29),
        centre(1010, "QX4400", 79, 20, 153),
        centre(1011, "Version:", 36, 33, 33),
        centre(1022, "1.0.1", 79, 33, 153),
        centre(1012, "VGA:", 52, 46, 17),
        centre(1023, "", 79, 46, 153),
        centre(1013, "VGA frame rate:", 8, 59, 61),
        centre(1024, "75", 79, 59, 153),
        centre(1014, "Station Address:", 5, 80, 65),
        centre(1025, "1", 79, 80, 153),
        centre(1015, "Font Code Page:", 9, 93, 61),
        centre(1026, "tcp437", 79, 93, 153),
        centre(1016, "Com1:", 49, 106, 21),
        centre(1027, "9600, n, 8, 1", 79, 106, 153),
        centre(1017, "Flow Control:", 17, 119, 53),
        centre(1028, "", 79, 119, 153),
        centre(1018, "Com2:", 49, 132, 21),
        centre(1029, "9600, n, 8, 1", 79, 132, 153),
        centre(1019, "Flow Control:", 17, 145, 53),
        centre(1030, "", 79, 145, 153),
        centre(1020, "Ethernet Address:", 0, 167, 69),
        {1031, "", 79, 167, 8, 8, Anchor::Centre},
        centre(1021, "Station Name:", 16, 182, 53),
        centre(1032, "", 79, 182, 153),
        centre(1035, "IP Port:", 36, 197, 33),
        centre(1033, "8888", 79, 197, 153),
        centre(1036, "Mac Address:", 20, 212, 49),
        centre(1034, "", 79, 212, 153),
        {1037, "Press <Del> or <Down arrow>  key to enter setup screen", 3, 242, 217, 8,
         Anchor::BottomLeft},
    };
}

void Set(std::vector<Text>& texts, int id, std::string value) {
    const auto text =
        std::find_if(texts.begin(), texts.end(), [&](const Text& t) { return t.id == id; });
    if (text != texts.end()) {
        text->text = std::move(value);
    }
}

} // namespace

std::string BootScreenPage::SerialText(int baud, int parity, int bits) {
    constexpr std::array<const char*, 3> kParities = {"n", "odd", "even"};
    const std::string parityText = parity >= 0 && parity < static_cast<int>(kParities.size())
                                       ? kParities[static_cast<std::size_t>(parity)]
                                       : std::to_string(parity);
    return std::to_string(baud) + ", " + parityText + ", " + std::to_string(bits) + ", 1";
}

std::vector<Text> BootScreenPage::Build() {
    std::vector<Text> texts = Template();
    const CQX44Setting settings;
    int width = 0;
    int height = 0;
    int bits = 0;
    int frequency = 0;
    if (CQX44Setting::GetDisplayMode(width, height, bits, frequency)) {
        Set(texts, 1023,
            std::to_string(width) + " x " + std::to_string(height) + ", " + std::to_string(bits) +
                " bits");
        Set(texts, 1024, std::to_string(frequency) + " HZ");
        Set(texts, 1008, std::string(ProductStrings::kProductName) + " " + settings.GetDevName());
        Set(texts, 1010, settings.GetDevName());
    }
    Set(texts, 1032, CQX44Setting::GetStationName());
    Set(texts, 1033, std::to_string(settings.GetPortNum()));
    Set(texts, 1034, CQX44Setting::GetMacAddress());
    for (const auto& [port, textId, flowId] :
         {std::tuple{1, 1027, 1028}, std::tuple{2, 1029, 1030}}) {
        int baud = 0;
        int parity = 0;
        int dataBits = 0;
        int flow = 0;
        settings.GetSerial(port, baud, parity, dataBits, flow);
        Set(texts, textId, SerialText(baud, parity, dataBits));
        Set(texts, flowId, flow != 0 ? "Hardware" : "None");
    }
    return texts;
}

} // namespace qx44
