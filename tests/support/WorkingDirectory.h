#pragma once

#include <filesystem>
#include <string>

namespace qx44::test {

// The station reads and writes some files in its working directory (the host's pictures, the
// media it lists); a test runs there in a folder of its own and goes back afterwards.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& path)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;
    ~WorkingDirectory() { std::filesystem::current_path(previous_); }

private:
    std::filesystem::path previous_;
};

} // namespace qx44::test
