#include "core/media/LocalMediaTree.h"

#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace qx44 {
namespace {

// One line per node, indented by depth.
std::string Dump(const LocalMediaTree::Tree& tree) {
    std::string text;
    for (const auto& top : tree) {
        text += top.text + "\n";
        for (const auto& node : top.nodes) {
            text += " " + node.text + "\n";
            for (const auto& file : node.files) {
                text += "  " + file + "\n";
            }
        }
    }
    return text;
}

TEST(LocalMediaTreeTest, FolderGroupedIntoBuildCardAndTraining) {
    struct Case {
        const char* name;
        std::vector<std::string> files;
        std::string tree;
    } cases[] = {
        {"two pictures of one group, a video alone",
         {"a_1.jpg", "a_2.bmp", "b.wmv"},
         "Build Card\n a\n  a_1.jpg\n  a_2.bmp\n b.wmv\nTraining\n"},
        {"group names compare case-sensitively",
         {"TRAINING_x_10.wmv", "TRAINING_x_3.avi", "training_x_2.wmv"},
         "Build Card\nTraining\n TRAINING_x\n  TRAINING_x_10.wmv\n  TRAINING_x_3.avi\n"
         " training_x_2.wmv\n"},
        {"files in code-unit order, whatever the pattern found them",
         {"c_2.jpg", "c_10.bmp", "C_3.jpg"},
         "Build Card\n c\n  c_10.bmp\n  c_2.jpg\n C_3.jpg\nTraining\n"},
        {"a training file keeps its whole name unless digits follow its last '_'",
         {"Training_5_.wmv", "Training_5_.avi", "Training_Safety_02.wmv", "Training_Safety_1.avi",
          "Training_Door_a.wmv", "Training_Door_b.wmv", "Training_Intro.avi"},
         "Build Card\nTraining\n Training_5_.wmv\n Training_Door_a.wmv\n Training_Door_b.wmv\n"
         " Training_Safety\n  Training_Safety_02.wmv\n  Training_Safety_1.avi\n"
         " Training_5_.avi\n Training_Intro.avi\n"},
        {"build card keys: before the last '_', else before the last '.'",
         {"card12_3.jpg", "card12_4.jpg", "card13.jpg", "x.y_z.mpg"},
         "Build Card\n card12\n  card12_3.jpg\n  card12_4.jpg\n card13.jpg\n x.y_z.mpg\n"
         "Training\n"},
        {"extensions in any case and in the search order; other files and folders left out",
         {"D.JPG", "e.Mpeg", "f.jpeg", "g.txt", "h.jpg/", "i.avi.txt"},
         "Build Card\n D.JPG\n f.jpeg\n e.Mpeg\nTraining\n"},
        {"a folder that does not exist", {}, "Build Card\nTraining\n"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        for (const std::string& file : c.files) {
            if (file.ends_with('/')) {
                std::filesystem::create_directory(dir.File(file));
            } else {
                test::TempDir::WriteText(dir.File(file), "x");
            }
        }
        const std::string folder = c.files.empty() ? dir.File("missing") : dir.Path();
        EXPECT_EQ(Dump(LocalMediaTree::Build(folder)), c.tree) << c.name;
    }
}

} // namespace
} // namespace qx44
