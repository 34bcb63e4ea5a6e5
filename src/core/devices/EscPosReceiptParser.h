#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qx44 {

// Turns the bytes sent to an ESC/POS receipt printer into the receipt's text: Windows-1252 text
// as UTF-8, LF as a new line, the common ESC, GS, FS and DLE commands taken with their parameters
// and data, a cut ending the receipt, and anything else shown as "[1B 71]". Commands may arrive
// split over several writes. Whatever the bytes, the text stays bounded.
class EscPosReceiptParser {
public:
    // What the printer must act on besides printing.
    class IEvents {
    public:
        virtual ~IEvents() = default;
        // GS a n with n not 0: the printer reports its status.
        virtual void StatusRequested() = 0;
        // A cut ended a receipt that has text; trailing empty lines are left out.
        virtual void ReceiptCut(std::string text) = 0;
    };

    // A receipt grows no longer than this; the rest of it is left out and marked.
    static constexpr std::size_t kMaxReceiptBytes = 256 * 1024;
    static constexpr std::string_view kCutShort = "[...]";

    explicit EscPosReceiptParser(IEvents& events) : events_(events) {}

    void Feed(std::span<const std::uint8_t> bytes);
    // The receipt printed so far and not yet cut.
    const std::string& Current() const { return text_; }

    // One row of the command table: a command and how its parameters and data are taken.
    struct Rule;

private:
    void Plain(std::uint8_t byte);
    void CommandByte(std::uint8_t byte);
    // The length of the command's head (prefix, code, parameters) as far as its bytes tell.
    std::size_t HeadLength() const;
    void Finish();
    void Reset();
    void Append(std::string_view text);
    void AppendHex(std::span<const std::uint8_t> bytes);
    void NewLine() { Append("\n"); }
    void Cut();

    IEvents& events_;
    std::string text_;
    bool cutShort_ = false;
    // The command being read, its rule once the code is known, and the data still to be skipped.
    std::vector<std::uint8_t> head_;
    const Rule* rule_ = nullptr;
    std::uint64_t skip_ = 0;
    // Bytes that a NUL ends, at most this many more.
    std::size_t untilNul_ = 0;
};

} // namespace qx44
