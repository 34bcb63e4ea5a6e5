#pragma once

#include <string>

namespace qx44 {

// Looks the settings file over once at start and logs what the station will not use as written:
// a file it cannot read (always) and numbers outside what their setting allows (when asked for).
class SettingsCheck {
public:
    static void Run(const std::string& settingsFile);
};

} // namespace qx44
