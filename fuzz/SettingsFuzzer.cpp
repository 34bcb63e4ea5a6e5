// Any settings file: every getter reads it without harm, and one write changes that key alone.
#include "core/settings/CQX44Setting.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace qx44 {
namespace {

// A folder of its own, memory-backed when the machine has it: the settings writer syncs every
// write. Removed when the run ends.
class Folder {
public:
    Folder() {
        path_ =
            ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/qx44fuzz-XXXXXX" : "/tmp/qx44fuzz-XXXXXX";
        if (::mkdtemp(path_.data()) == nullptr) {
            std::abort();
        }
    }
    ~Folder() { std::filesystem::remove_all(path_); }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    std::string File(const char* name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Every stored value as the getters give it; the pitch last, since the write changes it.
std::vector<std::string> AllValues(const CQX44Setting& settings) {
    std::vector<std::string> values;
    const auto add = [&](auto... numbers) { (values.push_back(std::to_string(numbers)), ...); };
    add(settings.GetPortNum(), settings.GetBeeping(), settings.GetStatusLn(), settings.GetAddress(),
        settings.GetUsbMap(), settings.GetUsbEnabled(), settings.GetEnVideo(), settings.GetWeight(),
        settings.GetLocalVideoEnable(), settings.GetAuto(), settings.GetAtSecs());
    for (int port : {1, 2}) {
        int a = 0, b = 0, c = 0, d = 0;
        settings.GetSerial(port, a, b, c, d);
        add(a, b, c, d);
        settings.GetSerialChoice(port, a, b, c, d);
        add(a, b, c, d);
    }
    for (bool second : {false, true}) {
        CVideoKeys keys;
        settings.GetVideoKeys(keys, second);
        add(keys.playPause, keys.forward, keys.backward, keys.zoomIn, keys.zoomOut, keys.volumeUp,
            keys.volumeDown, keys.prevClip, keys.nextClip, keys.stop);
    }
    bool ctrl = false, alt = false;
    std::uint32_t key1 = 0, key2 = 0;
    settings.GetExitKeys(ctrl, alt, key1, key2);
    add(ctrl, alt, key1, key2);
    int height = 0, width = 0;
    settings.GetMargins(height, width);
    add(height, width);
    settings.GetKeySet1(key1, key2);
    add(key1, key2);
    settings.GetKeySet2(key1, key2);
    add(key1, key2);
    values.push_back(settings.GetDevName());
    values.push_back(settings.GetFontName());
    values.push_back(settings.GetFolder());
    add(settings.GetPitch());
    return values;
}

} // namespace
} // namespace qx44

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qx44;
    static const Folder folder;
    static const std::string path = folder.File("setting.txt");
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    CQX44Setting settings(path);
    std::vector<std::string> before = AllValues(settings);
    for (const auto& text : {settings.GetDevName(), settings.GetFontName(), settings.GetFolder()}) {
        if (text.size() > 4 * 255) {
            std::abort();
        }
    }

    const int pitch = static_cast<int>(size * 7919 % 100000) - 50000;
    settings.SetPitch(pitch);
    std::vector<std::string> after = AllValues(settings);
    if (after.back() != std::to_string(pitch)) {
        std::abort();
    }
    before.pop_back();
    after.pop_back();
    if (before != after) {
        std::abort();
    }
    return 0;
}
