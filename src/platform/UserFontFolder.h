#pragma once

#include <span>
#include <string>
#include <string_view>

namespace qx44 {

// The user's own font folder, where fontconfig finds fonts that a program installs for its user
// alone, and the copying of font files into it.
class UserFontFolder {
public:
    struct FontFile {
        std::string_view name;
        std::string_view bytes;
    };

    UserFontFolder() = delete;

    // $XDG_DATA_HOME/fonts, or ~/.local/share/fonts when that variable is unset or not an
    // absolute path (as the XDG base directory rules say); empty when there is no home either.
    static std::string Path();

    // Creates folder if needed, then writes each file, in order, that the folder does not hold
    // yet; files already there are left as they are. Failures are silent: a file that cannot be
    // written is simply not there.
    static void Install(const std::string& folder, std::span<const FontFile> files);
};

} // namespace qx44
