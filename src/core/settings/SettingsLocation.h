#pragma once

#include <string>

namespace qx44 {

// Where setting.txt lives when neither --settings nor QX44SIM_SETTINGS names it: beside the
// program, as on a station, while it can be saved there; an installed program in /usr/bin cannot,
// so each user then has a file of their own in $XDG_CONFIG_HOME/qx44sim (~/.config/qx44sim).
class SettingsLocation {
public:
    struct Choice {
        std::string path;
        bool perUser = false;
    };

    SettingsLocation() = delete;

    // Beside the program when the file there is writable, or missing in a writable folder; else
    // the per-user file, unless there is no home to hold one.
    static Choice Choose(const std::string& programFolder, const char* configHome,
                         const char* home);
    // The choice for the running program, made once.
    static const Choice& ForProgram();

    // The example settings an installed program ships: <prefix>/share/qx44sim/setting.txt.
    static std::string ExampleFile(const std::string& programFolder);
    // Makes the per-user file from the example when it does not exist yet, creating its folder.
    static void Prepare(const Choice& choice, const std::string& exampleFile);

    // The folder of the running program, with its trailing slash.
    static std::string ProgramFolder();
};

} // namespace qx44
