#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace qx44 {

// What the local browser shows of a folder: "Build Card" and "Training", each with its groups in
// the order they were made. A group of one file is shown as that file; a bigger group as a node
// named after the group with its files, sorted, below it.
class LocalMediaTree {
public:
    struct Node {
        std::string text;
        // A group node's files; empty for a file node, whose text is the file's name.
        std::vector<std::string> files;
    };
    struct TopNode {
        std::string text;
        std::vector<Node> nodes;
    };
    using Tree = std::array<TopNode, 2>;

    static constexpr std::string_view kCaption = "Build card/training files";

    // A folder that does not exist or cannot be read gives the two top nodes alone.
    static Tree Build(const std::string& folder);
    // How a chosen file is handed to the player: the folder text, a backslash, the name.
    static std::string PathOf(const std::string& folder, std::string_view fileName);
    // The browser's caption, marked " (Remote)" for a network path ("\\" anywhere in the folder
    // text) and " (Local)" otherwise.
    static std::string Caption(const std::string& folder);
};

} // namespace qx44
