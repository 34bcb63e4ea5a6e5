#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace qx44 {

// Writes whole files so that their name always stands for complete content: the bytes go to a
// fresh file beside the target, are synced, and only then take the target's name.
class FileReplacer {
public:
    FileReplacer() = delete;

    // Replaces (or creates) target with content; the new file gets mode when one is given.
    // False, with target untouched, when any step fails.
    static bool Replace(const std::string& target, std::string_view content,
                        std::optional<mode_t> mode = std::nullopt);
};

} // namespace qx44
