#include "core/settings/CQX44Setting.h"

#include "core/settings/CNetCard.h"
#include "core/settings/IDisplayInfo.h"
#include "core/settings/SettingsLocation.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <span>
#include <unistd.h>
#include <utility>

namespace qx44 {

namespace {

constexpr const char* kPathVariable = "QX44SIM_SETTINGS";

constexpr std::string_view kNet = "Net";
constexpr std::string_view kMain = "Main";
constexpr std::string_view kVideo = "Video";
constexpr std::string_view kExit = "Exit";
constexpr std::string_view kFont = "Font";
constexpr std::string_view kLocalVideo = "LocalVideo";
constexpr std::string_view kPorts = "Ports";

constexpr std::array kBaudRates{19200, 9600, 4800, 2400};
constexpr std::array kDataBits{8, 7};
constexpr int kDefaultBaudIndex = 1;
constexpr int kDefaultBitsIndex = 0;

struct VideoKey {
    std::string_view name;
    uint32_t CVideoKeys::*member;
    int firstSetDefault; // the digit keys 0 to 9; the second set has no keys by default
};

constexpr std::array<VideoKey, 10> kVideoKeys{{
    {"PlayPause", &CVideoKeys::playPause, 49},
    {"Forward", &CVideoKeys::forward, 51},
    {"Backward", &CVideoKeys::backward, 50},
    {"ZoomIn", &CVideoKeys::zoomIn, 55},
    {"ZoomOut", &CVideoKeys::zoomOut, 54},
    {"VolAdd", &CVideoKeys::volumeUp, 57},
    {"VolMinus", &CVideoKeys::volumeDown, 56},
    {"PrevClip", &CVideoKeys::prevClip, 52},
    {"NextClip", &CVideoKeys::nextClip, 53},
    {"Stop", &CVideoKeys::stop, 48},
}};

std::string VideoKeyName(const VideoKey& key, bool secondSet) {
    return std::string(key.name) + (secondSet ? "1" : "");
}

std::string_view SerialSection(int port) {
    return port == 1 ? "Serial1" : "Serial2";
}

int PositionIn(std::span<const int> list, int value, int fallback) {
    const auto found = std::ranges::find(list, value);
    return found == list.end() ? fallback : static_cast<int>(found - list.begin());
}

int ValueAt(std::span<const int> list, int position, int fallback) {
    return position >= 0 && std::size_t(position) < list.size() ? list[std::size_t(position)]
                                                                : fallback;
}

std::mutex& OverrideMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string& OverridePath() {
    static std::string path;
    return path;
}

std::atomic<IDisplayInfo*>& DisplayInfo() {
    static std::atomic<IDisplayInfo*> info{nullptr};
    return info;
}

std::string DefaultFilePath() {
    {
        const std::lock_guard lock(OverrideMutex());
        if (!OverridePath().empty()) {
            return OverridePath();
        }
    }
    if (const char* fromEnvironment = std::getenv(kPathVariable);
        fromEnvironment != nullptr && *fromEnvironment != '\0') {
        return fromEnvironment;
    }
    return SettingsLocation::ForProgram().path;
}

} // namespace

CQX44Setting::CQX44Setting() : m_file(DefaultFilePath()) {}

CQX44Setting::CQX44Setting(std::string filePath) : m_file(std::move(filePath)) {}

void CQX44Setting::SetFilePathOverride(std::string filePath) {
    const std::lock_guard lock(OverrideMutex());
    OverridePath() = std::move(filePath);
}

void CQX44Setting::SetDisplayInfo(IDisplayInfo* info) {
    DisplayInfo().store(info);
}

int CQX44Setting::ReadInt(std::string_view section, std::string_view key, int defaultValue) const {
    return m_file.ReadInt(section, key, defaultValue);
}

std::string CQX44Setting::ReadString(std::string_view section, std::string_view key,
                                     std::string_view defaultValue) const {
    return m_file.ReadString(section, key, defaultValue);
}

void CQX44Setting::WriteInt(std::string_view section, std::string_view key, int value) {
    m_file.WriteInt(section, key, value);
}

void CQX44Setting::WriteString(std::string_view section, std::string_view key,
                               std::string_view text) {
    m_file.WriteString(section, key, text);
}

bool CQX44Setting::ReadBool(std::string_view section, std::string_view key,
                            bool defaultValue) const {
    return ReadInt(section, key, defaultValue ? 1 : 0) != 0;
}

void CQX44Setting::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteInt(section, key, value ? 1 : 0);
}

int CQX44Setting::GetPortNum() const {
    return ReadInt(kNet, "PortNum", 8888);
}
void CQX44Setting::SetPortNum(int port) {
    WriteInt(kNet, "PortNum", port);
}
std::string CQX44Setting::GetBind() const {
    return ReadString(kNet, "Bind", "");
}

void CQX44Setting::GetSerial(int port, int& baud, int& parity, int& bits, int& flow) const {
    const auto section = SerialSection(port);
    baud = ReadInt(section, "Baud", 9600);
    parity = ReadInt(section, "Parity", 0);
    bits = ReadInt(section, "Bits", 8);
    flow = ReadInt(section, "Flow", 0);
}

void CQX44Setting::SetSerial(int port, int baud, int parity, int bits, int flow) {
    const auto section = SerialSection(port);
    WriteInt(section, "Baud", baud);
    WriteInt(section, "Parity", parity);
    WriteInt(section, "Bits", bits);
    WriteInt(section, "Flow", flow);
}

void CQX44Setting::GetSerialChoice(int port, int& baudIndex, int& parity, int& bitsIndex,
                                   int& flow) const {
    int baud = 0;
    int bits = 0;
    GetSerial(port, baud, parity, bits, flow);
    baudIndex = PositionIn(kBaudRates, baud, kDefaultBaudIndex);
    bitsIndex = PositionIn(kDataBits, bits, kDefaultBitsIndex);
}

void CQX44Setting::SetSerialChoice(int port, int baudIndex, int parity, int bitsIndex, int flow) {
    SetSerial(port, ValueAt(kBaudRates, baudIndex, kBaudRates[kDefaultBaudIndex]), parity,
              ValueAt(kDataBits, bitsIndex, kDataBits[kDefaultBitsIndex]), flow);
}

bool CQX44Setting::GetBeeping() const {
    return ReadBool(kMain, "Beeping", true);
}
void CQX44Setting::SetBeeping(bool beep) {
    WriteBool(kMain, "Beeping", beep);
}

bool CQX44Setting::GetStatusLn() const {
    return ReadBool(kMain, "StatusLn", true);
}
void CQX44Setting::SetStatusLn(bool show) {
    WriteBool(kMain, "StatusLn", show);
}

int CQX44Setting::GetPitch() const {
    return ReadInt(kMain, "Pitch", 2200);
}
void CQX44Setting::SetPitch(int hertz) {
    WriteInt(kMain, "Pitch", hertz);
}

int CQX44Setting::GetAddress() const {
    return ReadInt(kMain, "Address", 1);
}
void CQX44Setting::SetAddress(int address) {
    WriteInt(kMain, "Address", address);
}

std::string CQX44Setting::GetDevName() const {
    return ReadString(kMain, "DevName", "QX4400");
}
void CQX44Setting::SetDevName(std::string_view name) {
    WriteString(kMain, "DevName", name);
}

int CQX44Setting::GetUsbMap() const {
    return ReadInt(kMain, "UsbMap", 3);
}
void CQX44Setting::SetUsbMap(int comPort) {
    WriteInt(kMain, "UsbMap", comPort);
}

bool CQX44Setting::GetUsbEnabled() const {
    return ReadBool(kMain, "UsbEnabled", false);
}
void CQX44Setting::SetUsbEnabled(bool enabled) {
    WriteBool(kMain, "UsbEnabled", enabled);
}

bool CQX44Setting::GetEnVideo() const {
    return ReadBool(kVideo, "EnVideo", true);
}
void CQX44Setting::SetEnVideo(bool enabled) {
    WriteBool(kVideo, "EnVideo", enabled);
}

bool CQX44Setting::GetTestSources() const {
    return ReadBool(kVideo, "TestSources", false);
}

std::string CQX44Setting::GetPrinterDir() const {
    return ReadString(kPorts, "PrinterDir", "");
}
void CQX44Setting::SetPrinterDir(std::string_view folder) {
    WriteString(kPorts, "PrinterDir", folder);
}

int CQX44Setting::GetPrinterDirMaxFiles() const {
    return ReadInt(kPorts, "PrinterDirMaxFiles", 1000);
}
void CQX44Setting::SetPrinterDirMaxFiles(int files) {
    WriteInt(kPorts, "PrinterDirMaxFiles", files);
}

int CQX44Setting::GetPrinterDirMaxKiB() const {
    return ReadInt(kPorts, "PrinterDirMaxKiB", 65536);
}
void CQX44Setting::SetPrinterDirMaxKiB(int kib) {
    WriteInt(kPorts, "PrinterDirMaxKiB", kib);
}

bool CQX44Setting::GetVideoKeys(CVideoKeys& keys, bool secondSet) const {
    for (const VideoKey& key : kVideoKeys) {
        keys.*key.member = static_cast<uint32_t>(
            ReadInt(kVideo, VideoKeyName(key, secondSet), secondSet ? 0 : key.firstSetDefault));
    }
    return true;
}

void CQX44Setting::SetVideoKeys(const CVideoKeys& keys, bool secondSet) {
    for (const VideoKey& key : kVideoKeys) {
        WriteInt(kVideo, VideoKeyName(key, secondSet), static_cast<int>(keys.*key.member));
    }
}

bool CQX44Setting::GetExitKeys(bool& ctrl, bool& alt, uint32_t& key1, uint32_t& key2) const {
    ctrl = true;
    alt = false;
    key1 = '9';
    key2 = 0;
    return true;
}

void CQX44Setting::SetExitKeys(bool ctrl, bool alt, uint32_t key1, uint32_t key2) {
    WriteBool(kExit, "Ctrl", ctrl);
    WriteBool(kExit, "Alt", alt);
    WriteInt(kExit, "VKey1", static_cast<int>(key1));
    WriteInt(kExit, "VKey2", static_cast<int>(key2));
}

std::string CQX44Setting::GetFontName() const {
    return ReadString(kFont, "Name", "Courier New");
}
void CQX44Setting::SetFontName(std::string_view face) {
    WriteString(kFont, "Name", face);
}

void CQX44Setting::GetMargins(int& height, int& width) const {
    height = ReadInt(kFont, "MarginH", 3);
    width = ReadInt(kFont, "MarginW", 3);
}

void CQX44Setting::SetMargins(int height, int width) {
    WriteInt(kFont, "MarginH", height);
    WriteInt(kFont, "MarginW", width);
}

int CQX44Setting::GetWeight() const {
    return ReadInt(kFont, "Weight", 700);
}
void CQX44Setting::SetWeight(int weight) {
    WriteInt(kFont, "Weight", weight);
}

bool CQX44Setting::GetLocalVideoEnable() const {
    return ReadBool(kLocalVideo, "Enable", true);
}
void CQX44Setting::SetLocalVideoEnable(bool enabled) {
    WriteBool(kLocalVideo, "Enable", enabled);
}

std::string CQX44Setting::GetFolder() const {
    return ReadString(kLocalVideo, "Folder", ".\\");
}
void CQX44Setting::SetFolder(std::string_view folder) {
    WriteString(kLocalVideo, "Folder", folder);
}

bool CQX44Setting::GetKeyPair(std::string_view firstKey, std::string_view secondKey,
                              int firstDefault, int secondDefault, uint32_t& first,
                              uint32_t& second) const {
    first = static_cast<uint32_t>(ReadInt(kLocalVideo, firstKey, firstDefault));
    second = static_cast<uint32_t>(ReadInt(kLocalVideo, secondKey, secondDefault));
    return true;
}

void CQX44Setting::SetKeyPair(std::string_view firstKey, std::string_view secondKey, uint32_t first,
                              uint32_t second) {
    WriteInt(kLocalVideo, firstKey, static_cast<int>(first));
    WriteInt(kLocalVideo, secondKey, static_cast<int>(second));
}

// Key set #1 defaults to Ctrl+4, key set #2 to Enter+Space.
bool CQX44Setting::GetKeySet1(uint32_t& first, uint32_t& second) const {
    return GetKeyPair("Key10", "Key11", 17, 52, first, second);
}

void CQX44Setting::SetKeySet1(uint32_t first, uint32_t second) {
    SetKeyPair("Key10", "Key11", first, second);
}

bool CQX44Setting::GetKeySet2(uint32_t& first, uint32_t& second) const {
    return GetKeyPair("Key20", "Key21", 13, 32, first, second);
}

void CQX44Setting::SetKeySet2(uint32_t first, uint32_t second) {
    SetKeyPair("Key20", "Key21", first, second);
}

bool CQX44Setting::GetAuto() const {
    return ReadBool(kLocalVideo, "Auto", true);
}
void CQX44Setting::SetAuto(bool autoAdvance) {
    WriteBool(kLocalVideo, "Auto", autoAdvance);
}

int CQX44Setting::GetAtSecs() const {
    return ReadInt(kLocalVideo, "AtSecs", 10);
}
void CQX44Setting::SetAtSecs(int seconds) {
    WriteInt(kLocalVideo, "AtSecs", seconds);
}

std::string CQX44Setting::GetStationName() {
    char name[IniFile::kMaxStringLength + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0) {
        return {};
    }
    return std::string(name, ::strnlen(name, IniFile::kMaxStringLength));
}

std::string CQX44Setting::GetMacAddress() {
    return CNetCard().GetMainAddressText();
}

bool CQX44Setting::GetDisplayMode(int& width, int& height, int& bitsPerPixel, int& frequency) {
    const IDisplayInfo* info = DisplayInfo().load();
    int w = 0;
    int h = 0;
    int bits = 0;
    int hertz = 0;
    if (info == nullptr || !info->GetDisplayMode(w, h, bits, hertz)) {
        return false;
    }
    width = w;
    height = h;
    bitsPerPixel = bits;
    frequency = hertz;
    return true;
}

} // namespace qx44
