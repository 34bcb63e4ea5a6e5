#include "core/media/MediaGroups.h"

#include "core/media/FileSearch.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace qx44 {

namespace {

constexpr std::array<std::string_view, 7> kPatterns = {".jpg", ".jpeg", ".bmp", ".wmv",
                                                       ".avi", ".mpeg", ".mpg"};
constexpr std::string_view kTrainingPrefix = "TRAINING";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::vector<std::string> MediaGroups::CollectFiles(const std::string& folder) {
    std::vector<std::string> names;
    for (const std::string_view pattern : kPatterns) {
        std::vector<std::string> found = FileSearch::Find(folder, pattern);
        names.insert(names.end(), std::make_move_iterator(found.begin()),
                     std::make_move_iterator(found.end()));
    }
    return names;
}

bool MediaGroups::IsTrainingFile(std::string_view fileName) {
    return fileName.size() >= kTrainingPrefix.size() &&
           std::equal(kTrainingPrefix.begin(), kTrainingPrefix.end(), fileName.begin(),
                      [](char prefix, char c) {
                          return prefix == std::toupper(static_cast<unsigned char>(c));
                      });
}

std::string MediaGroups::GroupKey(std::string_view fileName) {
    const auto underscore = fileName.rfind('_');
    const auto dot = fileName.rfind('.');
    if (IsTrainingFile(fileName)) {
        const bool numbered =
            underscore != std::string_view::npos && dot != std::string_view::npos &&
            dot > underscore + 1 &&
            std::all_of(fileName.begin() + underscore + 1, fileName.begin() + dot, IsDigit);
        return std::string(numbered ? fileName.substr(0, underscore) : fileName);
    }
    if (underscore != std::string_view::npos) {
        return std::string(fileName.substr(0, underscore));
    }
    if (dot != std::string_view::npos) {
        return std::string(fileName.substr(0, dot));
    }
    return {};
}

void MediaGroups::BuildGroups(const std::vector<std::string>& fileNames,
                              std::vector<CGoupFiles>& groups) {
    for (const std::string& name : fileNames) {
        const std::string key = GroupKey(name);
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [&](const CGoupFiles& g) { return g.GetName() == key; });
        if (group == groups.end()) {
            group = groups.emplace(groups.end());
            group->SetName(key, "");
        }
        group->AddFile(name);
    }
}

} // namespace qx44
