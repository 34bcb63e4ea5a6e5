// Bytes sent to the receipt printer, fed to one parser whole and to another in the pieces the
// input asks for: both must cut the same receipts, ask for the printer's status as often and
// hold the same unfinished receipt, and every text must be bounded UTF-8.
#include "JsonLine.h"
#include "SplitInput.h"
#include "core/devices/EscPosReceiptParser.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace qx44 {
namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

constexpr std::size_t kLongestText =
    EscPosReceiptParser::kMaxReceiptBytes + EscPosReceiptParser::kCutShort.size();

void CheckText(const std::string& text) {
    Check(text.size() <= kLongestText && fuzz::JsonLine::IsUtf8(text));
}

class Printer : public EscPosReceiptParser::IEvents {
public:
    void StatusRequested() override { ++statusQueries; }
    void ReceiptCut(std::string text) override {
        CheckText(text);
        Check(!text.empty());
        receipts.push_back(std::move(text));
    }

    int statusQueries = 0;
    std::vector<std::string> receipts;
};

} // namespace
} // namespace qx44

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qx44;
    const fuzz::SplitInput input(std::span<const std::uint8_t>(data, size));

    Printer wholePrinter;
    EscPosReceiptParser whole(wholePrinter);
    whole.Feed(input.Stream());

    Printer splitPrinter;
    EscPosReceiptParser split(splitPrinter);
    auto stream = input.Stream();
    for (std::size_t turn = 0; !stream.empty(); ++turn) {
        const std::size_t n = input.Piece(turn, stream.size());
        split.Feed(stream.first(n));
        stream = stream.subspan(n);
    }

    CheckText(whole.Current());
    Check(wholePrinter.receipts == splitPrinter.receipts &&
          wholePrinter.statusQueries == splitPrinter.statusQueries &&
          whole.Current() == split.Current());
    return 0;
}
