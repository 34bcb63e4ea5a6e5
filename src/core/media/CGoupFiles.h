#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qx44 {

// One group of the local browser's tree: the media files whose names share a group key, kept in
// code-unit order.
class CGoupFiles {
public:
    virtual ~CGoupFiles() = default;

    void SetName(std::string name, std::string caption) {
        name_ = std::move(name);
        caption_ = std::move(caption);
    }
    const std::string& GetName() const { return name_; }
    // The name when no caption was given.
    const std::string& GetCaption() const { return caption_.empty() ? name_ : caption_; }

    // Before the first name that is greater byte by byte, so equal names keep their arrival order.
    void AddFile(std::string_view fileName);
    const std::vector<std::string>& Files() const { return files_; }
    std::size_t Count() const { return files_.size(); }

private:
    std::vector<std::string> files_;
    std::string name_;
    std::string caption_;
};

} // namespace qx44
