#include "core/devices/EscPosReceiptParser.h"

#include "core/common/HexText.h"
#include "core/text/Windows1252.h"

#include <algorithm>

namespace qx44 {

namespace {

constexpr std::uint8_t kDle = 0x10;
constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kFs = 0x1C;
constexpr std::uint8_t kGs = 0x1D;

// Data that follows a command's parameters.
enum class Tail : std::uint8_t {
    None,
    BitImage,  // ESC * m nL nH: nL + 256 nH columns of one or three bytes
    TabStops,  // ESC D: up to 32 positions ended by NUL
    Barcode,   // GS k m: data ended by NUL, or (m >= 65) n and n bytes
    Raster,    // GS v 0 m xL xH yL yH: (xL + 256 xH) × (yL + 256 yH) bytes
    Block,     // GS ( fn pL pH, FS ( fn pL pH: pL + 256 pH bytes
    CutOption, // GS V m: one more byte for the feed-and-cut forms
};

enum class Action : std::uint8_t { None, Reset, Cut, Status, FeedLines, NewLine };

constexpr std::size_t kTabStopBytes = 33;
constexpr std::size_t kBarcodeBytes = 256;

} // namespace

struct EscPosReceiptParser::Rule {
    std::uint8_t prefix;
    std::uint8_t code;
    std::uint8_t params;
    Tail tail = Tail::None;
    Action action = Action::None;
};

namespace {

using Rule = EscPosReceiptParser::Rule;

// The commands a receipt is made with: mode, layout and position settings are taken without
// effect on the text, pictures and barcodes are skipped whole.
constexpr EscPosReceiptParser::Rule kRules[] = {
    {kEsc, '@', 0, Tail::None, Action::Reset},
    {kEsc, 'd', 1, Tail::None, Action::FeedLines},
    {kEsc, 'J', 1, Tail::None, Action::NewLine},
    {kEsc, 'i', 0, Tail::None, Action::Cut},
    {kEsc, 'm', 0, Tail::None, Action::Cut},
    {kEsc, '*', 3, Tail::BitImage},
    {kEsc, 'D', 0, Tail::TabStops},
    {kEsc, '!', 1},
    {kEsc, '-', 1},
    {kEsc, '2', 0},
    {kEsc, '3', 1},
    {kEsc, ' ', 1},
    {kEsc, '$', 2},
    {kEsc, '\\', 2},
    {kEsc, '%', 1},
    {kEsc, '=', 1},
    {kEsc, 'E', 1},
    {kEsc, 'G', 1},
    {kEsc, 'M', 1},
    {kEsc, 'R', 1},
    {kEsc, 'U', 1},
    {kEsc, 'V', 1},
    {kEsc, 'a', 1},
    {kEsc, 'c', 2},
    {kEsc, 'e', 1},
    {kEsc, 'p', 3},
    {kEsc, 'r', 1},
    {kEsc, 't', 1},
    {kEsc, '{', 1},
    {kGs, 'V', 1, Tail::CutOption, Action::Cut},
    {kGs, 'a', 1, Tail::None, Action::Status},
    {kGs, 'k', 1, Tail::Barcode},
    {kGs, 'v', 6, Tail::Raster},
    {kGs, '(', 3, Tail::Block},
    {kGs, '!', 1},
    {kGs, '$', 2},
    {kGs, '\\', 2},
    {kGs, '/', 1},
    {kGs, 'B', 1},
    {kGs, 'H', 1},
    {kGs, 'I', 1},
    {kGs, 'L', 2},
    {kGs, 'P', 2},
    {kGs, 'W', 2},
    {kGs, 'b', 1},
    {kGs, 'f', 1},
    {kGs, 'h', 1},
    {kGs, 'r', 1},
    {kGs, 'w', 1},
    {kFs, '(', 3, Tail::Block},
    {kFs, '!', 1},
    {kFs, '&', 0},
    {kFs, '-', 1},
    {kFs, '.', 0},
    {kFs, 'C', 1},
    {kFs, 'S', 2},
    {kFs, 'W', 1},
    {kFs, 'p', 2},
    {kDle, 0x04, 1},
    {kDle, 0x05, 1},
    {kDle, 0x14, 3},
};

const Rule* FindRule(std::uint8_t prefix, std::uint8_t code) {
    const auto* found = std::find_if(std::begin(kRules), std::end(kRules), [&](const Rule& rule) {
        return rule.prefix == prefix && rule.code == code;
    });
    return found != std::end(kRules) ? found : nullptr;
}

bool IsPrefix(std::uint8_t byte) {
    return byte == kEsc || byte == kGs || byte == kFs || byte == kDle;
}

// GS V 65/66 feed then cut, 97/98 and 103/104 feed to the cutter and cut: these carry n.
bool CutHasFeed(std::uint8_t mode) {
    return mode == 65 || mode == 66 || mode == 97 || mode == 98 || mode == 103 || mode == 104;
}

std::uint64_t Word(std::uint8_t low, std::uint8_t high) {
    return low + 256u * high;
}

} // namespace

void EscPosReceiptParser::Feed(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        if (skip_ > 0) {
            --skip_;
        } else if (untilNul_ > 0) {
            untilNul_ = byte == 0 ? 0 : untilNul_ - 1;
        } else if (!head_.empty()) {
            CommandByte(byte);
        } else {
            Plain(byte);
        }
    }
}

void EscPosReceiptParser::Plain(std::uint8_t byte) {
    if (IsPrefix(byte)) {
        head_.push_back(byte);
    } else if (byte == '\n') {
        NewLine();
    } else if (byte == '\r') {
        // The line ends with the LF that follows.
    } else if (byte == '\t') {
        Append("\t");
    } else if (byte < 0x20 || byte == 0x7F) {
        AppendHex(std::span(&byte, 1));
    } else {
        Append(Windows1252::ToUtf8(std::span(&byte, 1)));
    }
}

void EscPosReceiptParser::CommandByte(std::uint8_t byte) {
    head_.push_back(byte);
    if (head_.size() == 2) {
        rule_ = FindRule(head_[0], head_[1]);
        if (rule_ == nullptr) {
            AppendHex(head_);
            head_.clear();
            return;
        }
    }
    if (head_.size() >= HeadLength()) {
        Finish();
    }
}

std::size_t EscPosReceiptParser::HeadLength() const {
    std::size_t length = 2 + rule_->params;
    if (head_.size() >= 3 && ((rule_->tail == Tail::CutOption && CutHasFeed(head_[2])) ||
                              (rule_->tail == Tail::Barcode && head_[2] >= 65))) {
        ++length;
    }
    return length;
}

void EscPosReceiptParser::Finish() {
    const auto& head = head_;
    switch (rule_->tail) {
    case Tail::BitImage:
        skip_ = Word(head[3], head[4]) * (head[2] == 32 || head[2] == 33 ? 3 : 1);
        break;
    case Tail::TabStops:
        untilNul_ = kTabStopBytes;
        break;
    case Tail::Barcode:
        if (head[2] >= 65) {
            skip_ = head[3];
        } else {
            untilNul_ = kBarcodeBytes;
        }
        break;
    case Tail::Raster:
        skip_ = Word(head[4], head[5]) * Word(head[6], head[7]);
        break;
    case Tail::Block:
        skip_ = Word(head[3], head[4]);
        break;
    case Tail::None:
    case Tail::CutOption:
        break;
    }
    switch (rule_->action) {
    case Action::Reset:
        Reset();
        break;
    case Action::Cut:
        Cut();
        break;
    case Action::Status:
        if (head[2] != 0) {
            events_.StatusRequested();
        }
        break;
    case Action::FeedLines:
        for (int line = 0; line < head[2]; ++line) {
            NewLine();
        }
        break;
    case Action::NewLine:
        NewLine();
        break;
    case Action::None:
        break;
    }
    head_.clear();
    rule_ = nullptr;
}

void EscPosReceiptParser::Reset() {
    // Initialising the printer drops the line it has not printed yet. Text left out of that line
    // keeps its mark, and what comes after the reset is printed again while it fits.
    const std::size_t lineStart = text_.rfind('\n');
    text_.erase(lineStart == std::string::npos ? 0 : lineStart + 1);
    if (cutShort_) {
        text_ += kCutShort;
        cutShort_ = false;
    }
}

void EscPosReceiptParser::Append(std::string_view text) {
    if (cutShort_) {
        return;
    }
    if (text_.size() + text.size() > kMaxReceiptBytes) {
        // One mark for text left out back to back, however many resets came between.
        if (!text_.ends_with(kCutShort)) {
            text_ += kCutShort;
        }
        cutShort_ = true;
        return;
    }
    text_ += text;
}

void EscPosReceiptParser::AppendHex(std::span<const std::uint8_t> bytes) {
    Append("[" + HexText::Bytes(bytes) + "]");
}

void EscPosReceiptParser::Cut() {
    std::string receipt = std::move(text_);
    text_.clear();
    cutShort_ = false;
    receipt.erase(receipt.find_last_not_of('\n') == std::string::npos
                      ? 0
                      : receipt.find_last_not_of('\n') + 1);
    if (!receipt.empty()) {
        events_.ReceiptCut(std::move(receipt));
    }
}

} // namespace qx44
