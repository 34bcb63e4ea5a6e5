#include "core/settings/SettingsCheck.h"

#include "core/common/Log.h"
#include "core/common/UniqueFd.h"
#include "core/settings/IniFile.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace qx44 {

namespace {

struct Range {
    const char* section;
    const char* key;
    int lowest;
    int highest;
};

// The numbers a setting can take and still mean what its documentation says.
constexpr std::array<Range, 40> kRanges = {{
    {"Net", "PortNum", 1, 65535},    {"Serial1", "Baud", 50, 4000000},
    {"Serial1", "Parity", 0, 2},     {"Serial1", "Bits", 7, 8},
    {"Serial1", "Flow", 0, 1},       {"Serial2", "Baud", 50, 4000000},
    {"Serial2", "Parity", 0, 2},     {"Serial2", "Bits", 7, 8},
    {"Serial2", "Flow", 0, 1},       {"Main", "Pitch", 37, 32767},
    {"Main", "Address", 0, 255},     {"Main", "UsbMap", 1, 8},
    {"Font", "MarginH", 0, 64},      {"Font", "MarginW", 0, 64},
    {"Font", "Weight", 0, 900},      {"LocalVideo", "AtSecs", 1, 86400},
    {"LocalVideo", "Key10", 0, 255}, {"LocalVideo", "Key11", 0, 255},
    {"LocalVideo", "Key20", 0, 255}, {"LocalVideo", "Key21", 0, 255},
    {"Video", "Stop", 0, 255},       {"Video", "PlayPause", 0, 255},
    {"Video", "Backward", 0, 255},   {"Video", "Forward", 0, 255},
    {"Video", "PrevClip", 0, 255},   {"Video", "NextClip", 0, 255},
    {"Video", "ZoomOut", 0, 255},    {"Video", "ZoomIn", 0, 255},
    {"Video", "VolMinus", 0, 255},   {"Video", "VolAdd", 0, 255},
    {"Video", "Stop1", 0, 255},      {"Video", "PlayPause1", 0, 255},
    {"Video", "Backward1", 0, 255},  {"Video", "Forward1", 0, 255},
    {"Video", "PrevClip1", 0, 255},  {"Video", "NextClip1", 0, 255},
    {"Video", "ZoomOut1", 0, 255},   {"Video", "ZoomIn1", 0, 255},
    {"Video", "VolMinus1", 0, 255},  {"Video", "VolAdd1", 0, 255},
}};

// A missing file is the normal first start (every setting has its default); one that exists
// but cannot be read silently turns the station into a default station.
void CheckReadable(const std::string& path) {
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.Valid() && errno == ENOENT) {
        return;
    }
    char byte = 0;
    if (!file.Valid() || ::read(file.Get(), &byte, 1) < 0) {
        Log::Error(LogArea::Settings, "cannot read the settings file " + path + ": " +
                                          ::strerrordesc_np(errno) +
                                          "; every setting has its default");
    }
}

} // namespace

void SettingsCheck::Run(const std::string& settingsFile) {
    CheckReadable(settingsFile);
    if (!Log::IsVerbose(LogArea::Settings)) {
        return;
    }
    const IniFile file(settingsFile);
    for (const Range& range : kRanges) {
        if (!file.Read(range.section, range.key)) {
            continue;
        }
        const int value = file.ReadInt(range.section, range.key, INT_MIN);
        if (value < range.lowest || value > range.highest) {
            Log::Note(LogArea::Settings, [&] {
                return std::string(range.section) + "/" + range.key + "=" + std::to_string(value) +
                       " is out of range (" + std::to_string(range.lowest) + " to " +
                       std::to_string(range.highest) + ")";
            });
        }
    }
}

} // namespace qx44
