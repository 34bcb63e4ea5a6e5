#pragma once

#include "core/settings/CVideoKeys.h"
#include "core/settings/IniFile.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qx44 {

class IDisplayInfo;

// The station's settings in setting.txt. Objects are cheap and hold no values: create one where a
// setting is needed and drop it. Every getter reads the file and every setter writes it, so a value
// changed by the setup dialog or by hand is seen by the next read. A missing value gives its
// default; a write the system refuses is logged and changes nothing. Safe to use from several
// threads and processes.
class CQX44Setting {
public:
    // The settings file: the one given to SetFilePathOverride, else the one named by the
    // environment variable QX44SIM_SETTINGS, else the one SettingsLocation chooses.
    CQX44Setting();
    explicit CQX44Setting(std::string filePath);

    // Process-wide, for the --settings command-line option; an empty path removes the override.
    static void SetFilePathOverride(std::string filePath);
    // The UI layer's display mode source; nullptr unregisters it. The source must outlive its
    // registration.
    static void SetDisplayInfo(IDisplayInfo* info);

    const std::string& GetFilePath() const { return m_file.Path(); }

    int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    void WriteInt(std::string_view section, std::string_view key, int value);
    void WriteString(std::string_view section, std::string_view key, std::string_view text);

    int GetPortNum() const;
    void SetPortNum(int port);
    // The local address hosts are served on: empty for every address, as on a station.
    std::string GetBind() const;

    // Port 1 is COM1 (section Serial1); any other port number means COM2 (Serial2).
    void GetSerial(int port, int& baud, int& parity, int& bits, int& flow) const;
    void SetSerial(int port, int baud, int parity, int bits, int flow);
    // The same group as the setup dialog's list positions: baud 19200, 9600, 4800, 2400 and data
    // bits 8, 7. A stored rate or bit count outside the lists shows as 9600 or 8.
    void GetSerialChoice(int port, int& baudIndex, int& parity, int& bitsIndex, int& flow) const;
    void SetSerialChoice(int port, int baudIndex, int parity, int bitsIndex, int flow);

    bool GetBeeping() const;
    void SetBeeping(bool beep);
    bool GetStatusLn() const;
    void SetStatusLn(bool show);
    int GetPitch() const;
    void SetPitch(int hertz);
    int GetAddress() const;
    void SetAddress(int address);
    std::string GetDevName() const;
    void SetDevName(std::string_view name);
    int GetUsbMap() const;
    void SetUsbMap(int comPort);
    bool GetUsbEnabled() const;
    void SetUsbEnabled(bool enabled);
    bool GetEnVideo() const;
    void SetEnVideo(bool enabled);
    // Whether host play lists may name mpv's built-in test pictures; off on a station.
    bool GetTestSources() const;

    // Where the virtual printer also saves its receipts (empty: nowhere), and their bound.
    std::string GetPrinterDir() const;
    void SetPrinterDir(std::string_view folder);
    int GetPrinterDirMaxFiles() const;
    void SetPrinterDirMaxFiles(int files);
    int GetPrinterDirMaxKiB() const;
    void SetPrinterDirMaxKiB(int kib);

    // secondSet picks the keys with the suffix 1.
    bool GetVideoKeys(CVideoKeys& keys, bool secondSet) const;
    void SetVideoKeys(const CVideoKeys& keys, bool secondSet);

    // Always Ctrl+9: the station ignores what the setup dialog stored.
    bool GetExitKeys(bool& ctrl, bool& alt, uint32_t& key1, uint32_t& key2) const;
    void SetExitKeys(bool ctrl, bool alt, uint32_t key1, uint32_t key2);

    std::string GetFontName() const;
    void SetFontName(std::string_view face);
    void GetMargins(int& height, int& width) const;
    void SetMargins(int height, int width);
    int GetWeight() const;
    void SetWeight(int weight);

    bool GetLocalVideoEnable() const;
    void SetLocalVideoEnable(bool enabled);
    // Kept exactly as stored, backslashes included.
    std::string GetFolder() const;
    void SetFolder(std::string_view folder);
    bool GetKeySet1(uint32_t& first, uint32_t& second) const;
    void SetKeySet1(uint32_t first, uint32_t second);
    bool GetKeySet2(uint32_t& first, uint32_t& second) const;
    void SetKeySet2(uint32_t first, uint32_t second);
    bool GetAuto() const;
    void SetAuto(bool autoAdvance);
    int GetAtSecs() const;
    void SetAtSecs(int seconds);

    // The host name, at most 255 characters.
    static std::string GetStationName();
    // The hardware address of the adapter the machine uses ("001A2B-3C4D5E"; see CNetCard), or
    // the empty text when none is listed. The adapters are listed anew on every call.
    static std::string GetMacAddress();
    // false, outputs untouched, when no source is registered or it does not know the mode.
    static bool GetDisplayMode(int& width, int& height, int& bitsPerPixel, int& frequency);

private:
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    void WriteBool(std::string_view section, std::string_view key, bool value);
    bool GetKeyPair(std::string_view firstKey, std::string_view secondKey, int firstDefault,
                    int secondDefault, uint32_t& first, uint32_t& second) const;
    void SetKeyPair(std::string_view firstKey, std::string_view secondKey, uint32_t first,
                    uint32_t second);

    IniFile m_file;
};

} // namespace qx44
