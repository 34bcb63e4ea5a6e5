#include "core/media/LocalMediaTree.h"

#include "core/media/MediaGroups.h"

namespace qx44 {

namespace {

LocalMediaTree::TopNode MakeTopNode(std::string text, const std::vector<std::string>& names) {
    std::vector<CGoupFiles> groups;
    MediaGroups::BuildGroups(names, groups);
    LocalMediaTree::TopNode top{std::move(text), {}};
    for (const CGoupFiles& group : groups) {
        if (group.Count() == 1) {
            top.nodes.push_back({group.Files().front(), {}});
        } else {
            top.nodes.push_back({group.GetCaption(), group.Files()});
        }
    }
    return top;
}

} // namespace

LocalMediaTree::Tree LocalMediaTree::Build(const std::string& folder) {
    std::vector<std::string> buildCard;
    std::vector<std::string> training;
    for (std::string& name : MediaGroups::CollectFiles(folder)) {
        (MediaGroups::IsTrainingFile(name) ? training : buildCard).push_back(std::move(name));
    }
    return {MakeTopNode("Build Card", buildCard), MakeTopNode("Training", training)};
}

std::string LocalMediaTree::PathOf(const std::string& folder, std::string_view fileName) {
    std::string path = folder;
    path += '\\';
    path += fileName;
    return path;
}

std::string LocalMediaTree::Caption(const std::string& folder) {
    std::string caption(kCaption);
    caption += folder.find("\\\\") != std::string::npos ? " (Remote)" : " (Local)";
    return caption;
}

} // namespace qx44
