#include "core/devices/EscPosReceiptParser.h"

#include "support/Bytes.h"

#include <gtest/gtest.h>
#include <random>

namespace qx44 {
namespace {

using test::Bytes;

class RecordingPrinter : public EscPosReceiptParser::IEvents {
public:
    void StatusRequested() override { ++statusQueries; }
    void ReceiptCut(std::string text) override { receipts.push_back(std::move(text)); }

    int statusQueries = 0;
    std::vector<std::string> receipts;
};

Bytes Text(std::string_view text) {
    return {text.begin(), text.end()};
}

struct Case {
    const char* name;
    Bytes stream;
    std::vector<std::string> receipts;
    std::string current;
    int statusQueries = 0;
};

constexpr std::uint8_t ESC = 0x1B;
constexpr std::uint8_t GS = 0x1D;

const Case kCases[] = {
    {"LineAndCut", test::Concat({Text("Hello\n"), {GS, 'V', 0}}), {"Hello"}, ""},
    {"CrLfAndFeedCutsWithTheirCount",
     test::Concat({Text("A\r\nB\n"), {GS, 'V', 'B', 3}, Text("C\n"), {ESC, 'd', 4, GS, 'V', 1}}),
     {"A\nB", "C"},
     ""},
    {"AnEmptyCutMakesNoReceipt", {GS, 'V', 0, ESC, 'i', GS, 'V', 0}, {}, ""},
    {"ResetDropsTheUnprintedLine",
     test::Concat({Text("gone"), {ESC, '@'}, Text("kept\n")}),
     {},
     "kept\n"},
    {"ModesTakeTheirParameters",
     test::Concat({{ESC, '!', 0x38, ESC, 'E', 1, ESC, 'a', 1, GS, '!', 0x11, ESC, 't', 16},
                   Text("Big"),
                   {ESC, 'd', 2}}),
     {},
     "Big\n\n"},
    {"Windows1252Text", {0x80, '5', ' ', 0xE9, '\t', 0xA3}, {}, "\u20AC5 \u00E9\t\u00A3"},
    {"UnknownBytesShowAsHex", {ESC, 'q', 'a', 0x07, 0x7F, 0x00}, {}, "[1B 71]a[07][7F][00]"},
    {"PicturesAndBarcodesAreSkippedWhole",
     test::Concat({{ESC, '*', 33, 2, 0, '\n', GS, 'V', 0, 5, 6, 'x'},
                   {GS, '(', 'k', 3, 0, GS, 'V', 0},
                   {GS, 'k', 4, '1', '2', 0, GS, 'k', 73, 3, 'a', '\n', 'c'},
                   {GS, 'v', '0', 0, 1, 0, 2, 0, 'p', 'q'},
                   Text("ok")}),
     {},
     "xok"},
    {"StatusQueries", {GS, 'a', 14, GS, 'a', 0, 0x10, 0x04, 1, GS, 'a', 2}, {}, "", 2},
    {"CutOffCommandWaitsForTheRest", test::Concat({Text("A\n"), {GS, 'V'}}), {}, "A\n"},
    {"ResetAfterAnOverLongLineKeepsTheMarkAndWhatFollows",
     test::Concat({Text("head\n"),
                   Bytes(EscPosReceiptParser::kMaxReceiptBytes + 10, 'A'),
                   {ESC, '@'},
                   Text("tail\n"),
                   {ESC, 'i'}}),
     {"head\n[...]tail"},
     ""},
    {"HugeRasterSwallowsTheRest",
     test::Concat({{GS, 'v', '0', 0, 0xFF, 0xFF, 0xFF, 0xFF}, Text("never\n"), {GS, 'V', 0}}),
     {},
     ""},
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class EscPosReceiptParserTest : public ::testing::TestWithParam<Case> {};

TEST_P(EscPosReceiptParserTest, StreamBecomesReceipts) {
    const Case& c = GetParam();
    // Whole, and one byte per write: a command split over writes reads the same.
    for (const bool bytewise : {false, true}) {
        RecordingPrinter printer;
        EscPosReceiptParser parser(printer);
        if (bytewise) {
            for (const std::uint8_t byte : c.stream) {
                parser.Feed(std::span(&byte, 1));
            }
        } else {
            parser.Feed(c.stream);
        }
        EXPECT_EQ(printer.receipts, c.receipts) << (bytewise ? "bytewise" : "whole");
        EXPECT_EQ(parser.Current(), c.current) << (bytewise ? "bytewise" : "whole");
        EXPECT_EQ(printer.statusQueries, c.statusQueries);
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, EscPosReceiptParserTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EscPosReceiptParserBoundsTest, AnyStreamKeepsTheReceiptBounded) {
    RecordingPrinter printer;
    EscPosReceiptParser parser(printer);
    const Bytes line = Text("0123456789abcdef\n");
    for (std::size_t i = 0; i <= EscPosReceiptParser::kMaxReceiptBytes / line.size(); ++i) {
        parser.Feed(line);
    }
    EXPECT_TRUE(parser.Current().ends_with(EscPosReceiptParser::kCutShort));
    EXPECT_LE(parser.Current().size(),
              EscPosReceiptParser::kMaxReceiptBytes + EscPosReceiptParser::kCutShort.size());
    parser.Feed(Bytes{GS, 'V', 0});
    ASSERT_EQ(printer.receipts.size(), 1u);
    EXPECT_TRUE(printer.receipts[0].ends_with(EscPosReceiptParser::kCutShort));
    EXPECT_EQ(parser.Current(), "") << "the next receipt starts afresh";

    std::mt19937 random(15);
    Bytes junk(4 << 20);
    for (auto& byte : junk) {
        byte = static_cast<std::uint8_t>(random());
    }
    parser.Feed(junk);
    EXPECT_LE(parser.Current().size(),
              EscPosReceiptParser::kMaxReceiptBytes + EscPosReceiptParser::kCutShort.size());
}

} // namespace
} // namespace qx44
