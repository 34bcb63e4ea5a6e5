#include "core/setup/SetupValues.h"

#include "core/keyboard/CVkQX44.h"
#include "core/settings/CQX44Setting.h"

#include <algorithm>
#include <cctype>

namespace qx44 {

namespace {

constexpr int kLowestPitch = 2000;
constexpr int kPitchStep = 40;
constexpr int kWeightStep = 100;

// Positions come from truncating division, as the station computes them; one outside the list
// selects nothing.
int Position(int value, int count) {
    return value >= 0 && value < count ? value : SetupValues::kNoSelection;
}

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

SetupValues SetupValues::Load(const CQX44Setting& settings) {
    SetupValues v;
    settings.GetVideoKeys(v.videoKeys1, false);
    settings.GetVideoKeys(v.videoKeys2, true);
    v.port = settings.GetPortNum();
    v.beeping = settings.GetBeeping();
    v.statusLine = settings.GetStatusLn();
    v.address = settings.GetAddress();
    v.pitchPosition = Position((settings.GetPitch() - kLowestPitch) / kPitchStep, kPitchEntries);
    v.disableVideo = !settings.GetEnVideo();
    for (int port = 1; port <= 2; ++port) {
        Serial& s = v.serial[static_cast<std::size_t>(port - 1)];
        settings.GetSerialChoice(port, s.baudPosition, s.parity, s.bitsPosition, s.flow);
        s.parity = Position(s.parity, 3);
        s.flow = Position(s.flow, 2);
    }
    settings.GetExitKeys(v.exitCtrl, v.exitAlt, v.exitKey1, v.exitKey2);
    v.fontName = settings.GetFontName();
    settings.GetMargins(v.marginHeight, v.marginWidth);
    v.weightPosition = Position(settings.GetWeight() / kWeightStep, kWeightEntries);
    v.localEnable = settings.GetLocalVideoEnable();
    v.folder = settings.GetFolder();
    settings.GetKeySet1(v.localKeys[0], v.localKeys[1]);
    settings.GetKeySet2(v.localKeys[2], v.localKeys[3]);
    v.autoSlide = settings.GetAuto();
    v.slideSeconds = settings.GetAtSecs();
    v.deviceName = settings.GetDevName();
    v.usbPosition = Position(settings.GetUsbMap() - 1, kUsbPorts);
    v.usbEnabled = settings.GetUsbEnabled();
    return v;
}

void SetupValues::Save(CQX44Setting& settings) const {
    settings.SetVideoKeys(videoKeys1, false);
    settings.SetVideoKeys(videoKeys2, true);
    settings.SetPortNum(port);
    for (int port = 1; port <= 2; ++port) {
        const Serial& s = serial[static_cast<std::size_t>(port - 1)];
        settings.SetSerialChoice(port, s.baudPosition, s.parity, s.bitsPosition, s.flow);
    }
    settings.SetPitch(kLowestPitch + kPitchStep * pitchPosition);
    settings.SetBeeping(beeping);
    settings.SetStatusLn(statusLine);
    settings.SetEnVideo(!disableVideo);
    settings.SetExitKeys(exitCtrl, exitAlt, exitKey1, exitKey2);
    settings.SetFontName(fontName);
    settings.SetMargins(marginHeight, marginWidth);
    settings.SetWeight(kWeightStep * weightPosition);
    settings.SetLocalVideoEnable(localEnable);
    settings.SetFolder(folder);
    settings.SetKeySet1(localKeys[0], localKeys[1]);
    settings.SetKeySet2(localKeys[2], localKeys[3]);
    settings.SetAuto(autoSlide);
    settings.SetAtSecs(slideSeconds);
    settings.SetDevName(deviceName);
    settings.SetUsbEnabled(usbEnabled);
    settings.SetUsbMap(usbPosition + 1);
    // The page lets the address be edited, so it is saved too rather than silently dropped.
    settings.SetAddress(address);
}

std::vector<std::string> SetupValues::PitchEntries() {
    std::vector<std::string> entries;
    for (int i = 0; i < kPitchEntries; ++i) {
        entries.push_back(std::to_string(kLowestPitch + kPitchStep * i));
    }
    return entries;
}

std::vector<std::string> SetupValues::WeightEntries() {
    return {"Don't Care", "Thin",      "Extra Light", "Light",      "Normal",
            "Medium",     "Semi Bold", "Bold",        "Extra Bold", "Heavy"};
}

std::vector<std::string> SetupValues::UsbEntries() {
    std::vector<std::string> entries;
    for (int i = 1; i <= kUsbPorts; ++i) {
        entries.push_back("COM" + std::to_string(i));
    }
    return entries;
}

std::vector<std::string> SetupValues::KeyEntries() {
    std::vector<std::string> entries{""};
    for (int i = 0; i < CVkQX44::GetCount(); ++i) {
        entries.emplace_back(CVkQX44::GetName(i));
    }
    return entries;
}

int SetupValues::KeyPosition(std::uint32_t code) {
    return CVkQX44::FindCode(code) + 1;
}

std::uint32_t SetupValues::KeyCode(int position) {
    return position <= 0 ? 0 : CVkQX44::GetCode(position - 1);
}

int SetupValues::FontPosition(const std::vector<std::string>& fonts, const std::string& name) {
    const int count = static_cast<int>(fonts.size());
    for (int step = 1; step <= count; ++step) {
        const int i = step % count;
        if (StartsWithIgnoringCase(fonts[static_cast<std::size_t>(i)], name)) {
            return i;
        }
    }
    return kNoSelection;
}

} // namespace qx44
