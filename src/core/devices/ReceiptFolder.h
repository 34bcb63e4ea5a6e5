#pragma once

#include <string>
#include <string_view>

namespace qx44 {

// Saves each receipt as its own numbered text file (receipt-000001.txt, ...) in one folder. A
// file appears complete or not at all, and an existing file is never replaced: its number is
// skipped.
class ReceiptFolder {
public:
    static constexpr std::string_view kPrefix = "receipt-";
    static constexpr std::string_view kSuffix = ".txt";

    // Settings may write the folder with '\'.
    explicit ReceiptFolder(std::string_view folder);

    // The file's path, or empty when it could not be written (the reason is logged).
    std::string Save(std::string_view receipt);

private:
    std::string folder_;
    unsigned long next_ = 1;
};

} // namespace qx44
