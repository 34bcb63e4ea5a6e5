#include "core/settings/SettingsLocation.h"

#include "core/common/InPlaceFile.h"
#include "core/common/Log.h"
#include "core/settings/IniFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace qx44 {

namespace {

constexpr std::string_view kFileName = "setting.txt";

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool Writable(const std::string& path) {
    return ::access(path.c_str(), W_OK) == 0;
}

// $XDG_CONFIG_HOME when it is an absolute path (the rule of the XDG base directories), else
// ~/.config; empty when there is neither.
std::string ConfigFolder(const char* configHome, const char* home) {
    if (configHome != nullptr && configHome[0] == '/') {
        return configHome;
    }
    if (home != nullptr && home[0] == '/') {
        return std::string(home) + "/.config";
    }
    return {};
}

bool MakeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

} // namespace

SettingsLocation::Choice SettingsLocation::Choose(const std::string& programFolder,
                                                  const char* configHome, const char* home) {
    const std::string beside = programFolder + std::string(kFileName);
    const std::string configFolder = ConfigFolder(configHome, home);
    const bool savable =
        Exists(beside) ? Writable(beside) : Writable(programFolder.empty() ? "." : programFolder);
    if (savable || configFolder.empty()) {
        return {beside, false};
    }
    return {configFolder + "/qx44sim/" + std::string(kFileName), true};
}

const SettingsLocation::Choice& SettingsLocation::ForProgram() {
    static const Choice choice =
        Choose(ProgramFolder(), std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
    return choice;
}

std::string SettingsLocation::ExampleFile(const std::string& programFolder) {
    return programFolder + "../share/qx44sim/" + std::string(kFileName);
}

void SettingsLocation::Prepare(const Choice& choice, const std::string& exampleFile) {
    if (!choice.perUser || Exists(choice.path)) {
        return;
    }
    const std::string folder = choice.path.substr(0, choice.path.rfind('/'));
    if (!MakeFolders(folder)) {
        Log::Error(LogArea::Settings, "cannot make the settings folder " + folder + ": " +
                                          ::strerrordesc_np(errno) + "; settings cannot be saved");
        return;
    }
    const InPlaceFile::Contents example = InPlaceFile::Load(exampleFile, IniFile::kMaxFileSize);
    if (example.status.state != InPlaceFile::State::Loaded) {
        Log::Note(LogArea::Settings, [&] {
            return "no example settings at " + exampleFile + ": " +
                   InPlaceFile::Explain(example.status, IniFile::kMaxFileSize) +
                   "; the first saved setting makes " + choice.path;
        });
        return;
    }
    // A copy started meanwhile may have made the file already; its text stays.
    const InPlaceFile::Status made =
        InPlaceFile::Rewrite(choice.path, IniFile::kMaxFileSize, [&](std::string_view current) {
            return current.empty() ? example.text : std::string(current);
        });
    if (made.state != InPlaceFile::State::Loaded) {
        Log::Error(LogArea::Settings, "cannot make the settings file " + choice.path + ": " +
                                          InPlaceFile::Explain(made, IniFile::kMaxFileSize));
        return;
    }
    Log::Note(LogArea::Settings,
              [&] { return "made the settings file " + choice.path + " from " + exampleFile; });
}

std::string SettingsLocation::ProgramFolder() {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || std::size_t(length) == sizeof buffer) {
        return {};
    }
    const std::string_view path(buffer, std::size_t(length));
    return std::string(path.substr(0, path.rfind('/') + 1));
}

} // namespace qx44
