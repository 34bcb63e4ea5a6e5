#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace qx44 {

// Saves each receipt as its own numbered text file (receipt-000001.txt, ...) in one folder. A
// file appears complete or not at all, and an existing file is never replaced: its number is
// skipped. The folder's receipts are bounded in number and bytes: past the bound the oldest
// receipt files go, and no other file in the folder is counted or touched.
class ReceiptFolder {
public:
    static constexpr std::string_view kPrefix = "receipt-";
    static constexpr std::string_view kSuffix = ".txt";

    struct Bound {
        std::size_t files = 1000;
        std::uint64_t bytes = std::uint64_t{64} << 20;
    };

    // Settings may write the folder with '\'.
    ReceiptFolder(std::string_view folder, Bound bound);

    // The file's path, or empty when it could not be written (the reason is logged).
    std::string Save(std::string_view receipt);

private:
    struct Saved {
        unsigned long number = 0;
        std::uint64_t bytes = 0;
    };

    static std::string NameOf(unsigned long number);
    std::string PathOf(unsigned long number) const;
    // The receipt files already there, oldest (lowest number) first.
    void Scan();
    // False when the oldest receipts cannot go to make room for `bytes` more.
    bool MakeRoom(std::uint64_t bytes);

    std::string folder_;
    Bound bound_;
    unsigned long next_ = 1;
    bool scanned_ = false;
    bool boundReported_ = false;
    bool stopReported_ = false;
    std::deque<Saved> saved_;
    std::uint64_t savedBytes_ = 0;
};

} // namespace qx44
