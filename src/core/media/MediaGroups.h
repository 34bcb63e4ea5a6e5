#pragma once

#include "core/media/CGoupFiles.h"

#include <string>
#include <string_view>
#include <vector>

namespace qx44 {

// How the local browser sorts a folder's media files: which files there are, which of them are
// training files, and under which group key each one is gathered.
class MediaGroups {
public:
    // Every match of "*.jpg", "*.jpeg", "*.bmp", "*.wmv", "*.avi", "*.mpeg", "*.mpg", pattern by
    // pattern; a file matched by two patterns is listed twice.
    static std::vector<std::string> CollectFiles(const std::string& folder);
    // The name begins with "Training" in any case.
    static bool IsTrainingFile(std::string_view fileName);
    // A training file is grouped by the text before a trailing "_<digits>" and otherwise keeps its
    // whole name; any other file by the text before its last '_', or else before its last '.'.
    static std::string GroupKey(std::string_view fileName);
    // Each name joins the first group whose name equals its key exactly, or starts a new group at
    // the end of the list.
    static void BuildGroups(const std::vector<std::string>& fileNames,
                            std::vector<CGoupFiles>& groups);
};

} // namespace qx44
