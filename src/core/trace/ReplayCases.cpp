#include "core/trace/ReplayCases.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace qx44 {

namespace {

namespace fs = std::filesystem;

bool Exists(const fs::path& path) {
    std::error_code error;
    // A dangling link counts: reading it then says why it cannot be read.
    return fs::exists(fs::symlink_status(path, error));
}

bool IsFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

std::string FolderName(const std::string& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path, error).lexically_normal();
    if (!absolute.has_filename()) {
        absolute = absolute.parent_path();
    }
    const std::string name = absolute.filename().string();
    return name.empty() ? path : name;
}

ReplayCase FolderCase(const fs::path& folder, std::string name) {
    ReplayCase replayCase{.name = std::move(name), .fromFolder = true};
    const fs::path trace = folder / ReplayCases::kTraceFile;
    if (!Exists(trace)) {
        replayCase.error =
            "there is no " + std::string(ReplayCases::kTraceFile) + " in " + folder.string();
        return replayCase;
    }
    replayCase.tracePath = trace.string();
    if (const fs::path expected = folder / ReplayCases::kExpectationFile; Exists(expected)) {
        replayCase.expectScreenPath = expected.string();
    }
    return replayCase;
}

void AddFolder(const std::string& path, std::vector<ReplayCase>& cases) {
    if (Exists(fs::path(path) / ReplayCases::kTraceFile)) {
        cases.push_back(FolderCase(path, FolderName(path)));
        return;
    }
    std::error_code error;
    std::vector<fs::path> folders;
    for (fs::directory_iterator entry(path, error), end; !error && entry != end;
         entry.increment(error)) {
        if (IsFolder(entry->path())) {
            folders.push_back(entry->path());
        }
    }
    if (error) {
        cases.push_back({.name = FolderName(path),
                         .error = "cannot read the folder " + path + ": " + error.message(),
                         .fromFolder = true});
        return;
    }
    if (folders.empty()) {
        cases.push_back(
            {.name = FolderName(path),
             .error = path + " holds no " + ReplayCases::kTraceFile + " and no case folders",
             .fromFolder = true});
        return;
    }
    std::ranges::sort(folders);
    for (const fs::path& folder : folders) {
        cases.push_back(FolderCase(folder, folder.filename().string()));
    }
}

} // namespace

std::vector<ReplayCase> ReplayCases::Collect(std::span<const std::string> paths) {
    std::vector<ReplayCase> cases;
    for (const std::string& path : paths) {
        if (IsFolder(path)) {
            AddFolder(path, cases);
        } else if (path.ends_with('/')) {
            cases.push_back(
                {.name = path, .error = "there is no folder " + path, .fromFolder = true});
        } else {
            cases.push_back({.name = path, .tracePath = path});
        }
    }
    return cases;
}

} // namespace qx44
