#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qx44 {

// One INI file in the Windows profile format, so that a setting.txt copied from a station reads
// the same here and a file written here still works on a station. Nothing is cached: every call
// goes to the file, so a hand edit or another object's write is seen by the next read.
//
// Writes rewrite the file in place, as the profile functions do: owner, mode and links stay, and a
// file in a folder its user may not write can still be saved. A reader in any thread or process
// sees the old or the new file, a crash in the middle leaves one of the two, and two writers never
// drop each other's key. Only a regular file up to kMaxFileSize is read; any other reads as empty.
class IniFile {
public:
    // The profile functions read strings into a 256-character buffer; callers rely on the cut.
    static constexpr std::size_t kMaxStringLength = 255;
    // Far above any real settings file; a bigger one is not a settings file.
    static constexpr std::size_t kMaxFileSize = 1024 * 1024;

    explicit IniFile(std::string path);

    const std::string& Path() const { return m_path; }

    // The key's value text without surrounding blanks or one pair of enclosing quotes; nullopt
    // when the file, the section or the key is missing. Never creates the file.
    std::optional<std::string> Read(std::string_view section, std::string_view key) const;

    // The leading decimal number of the value (0 when it does not start with one, also when it is
    // empty); the default only when the key is missing.
    int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;

    // At most kMaxStringLength characters (UTF-8 code points, never a split character).
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;

    // Rewrites the key's line where it stands, or adds the key at the end of its section, or
    // adds the section at the end of the file; creates the file if needed. Returns false, and
    // logs why, when the system refused, in which case the file is unchanged.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInt(std::string_view section, std::string_view key, int value);

private:
    std::string m_path;
};

} // namespace qx44
