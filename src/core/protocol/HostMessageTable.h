#pragma once

#include "core/protocol/HostCommandFields.h"
#include "core/protocol/HostMessageKind.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace qx44 {

// Every host-to-station code with a length rule or a meaning, in code order. The framer's
// length table is made from it, the interpreter joins its handlers to it by code, and the trace
// names and reads messages with it. A code not listed is 4 bytes long and ignored.
class HostMessageTable {
public:
    using Fields = HostCommandFields;
    static constexpr std::array kRows{
        HostMessageKind{.code = 0x05,
                        .length = LengthRule::Fixed(5),
                        .name = "grid mode",
                        .fields = Fields::GridMode},
        HostMessageKind{.code = 0x06, .length = LengthRule::Fixed(6)},
        HostMessageKind{.code = 0x09,
                        .length = LengthRule::Fixed(9),
                        .name = "clear",
                        .fields = Fields::ClearWithAttributeValue},
        HostMessageKind{
            .code = 0x0A, .length = LengthRule::Fixed(9), .name = "box", .fields = Fields::Box},
        HostMessageKind{.code = 0x0D,
                        .length = LengthRule::Counted16(9, 6),
                        .name = "long text",
                        .fields = Fields::LongText},
        HostMessageKind{
            .code = 0x0E, .length = LengthRule::Fixed(10), .name = "fill", .fields = Fields::Fill},
        HostMessageKind{.code = 0x0F,
                        .length = LengthRule::Counted(5, 3),
                        .name = "serial1",
                        .fields = Fields::OutputData},
        HostMessageKind{.code = 0x10,
                        .length = LengthRule::Fixed(5),
                        .name = "beep",
                        .fields = Fields::BeepAtPitch},
        HostMessageKind{.code = 0x11, .length = LengthRule::Fixed(4), .name = "query"},
        HostMessageKind{.code = 0x1F,
                        .length = LengthRule::Counted(5, 3),
                        .name = "serial2",
                        .fields = Fields::OutputData},
        HostMessageKind{.code = 0x21, .length = LengthRule::Fixed(5)},
        HostMessageKind{.code = 0x22,
                        .length = LengthRule::Fixed(6),
                        .name = "beep",
                        .fields = Fields::BeepAtStep},
        HostMessageKind{.code = 0x23,
                        .length = LengthRule::Counted(9, 7),
                        .name = "text",
                        .fields = Fields::IndexedText},
        HostMessageKind{.code = 0x24, .length = LengthRule::Fixed(8)},
        HostMessageKind{.code = 0x25, .length = LengthRule::Fixed(9)},
        HostMessageKind{.code = 0x26, .length = LengthRule::Fixed(5)},
        HostMessageKind{.code = 0x2B, .length = LengthRule::Fixed(5)},
        HostMessageKind{.code = 0x2C, .length = LengthRule::Fixed(4), .name = "query"},
        HostMessageKind{.code = 0x2D, .length = LengthRule::Fixed(5), .name = "query"},
        HostMessageKind{.code = 0x32,
                        .length = LengthRule::Counted(8, 6),
                        .name = "status text",
                        .fields = Fields::StatusText},
        HostMessageKind{.code = 0x33, .length = LengthRule::PictureTransfer()},
        HostMessageKind{.code = 0x35, .length = LengthRule::Fixed(4), .name = "media list"},
        HostMessageKind{.code = 0x3E,
                        .length = LengthRule::Fixed(9),
                        .name = "clear",
                        .fields = Fields::ClearWithBackground},
        HostMessageKind{.code = 0x3F,
                        .length = LengthRule::Fixed(13),
                        .name = "table",
                        .fields = Fields::Table},
        HostMessageKind{.code = 0x40,
                        .length = LengthRule::PlayList(),
                        .name = "play list",
                        .fields = Fields::PlayList},
        HostMessageKind{.code = 0x41, .length = LengthRule::Fixed(4), .name = "stop media"},
        HostMessageKind{.code = 0x42,
                        .length = LengthRule::Fixed(5),
                        .name = "port status",
                        .fields = Fields::PortStatus},
        HostMessageKind{.code = 0x50,
                        .length = LengthRule::Counted(5, 3),
                        .name = "printer",
                        .fields = Fields::OutputData},
        HostMessageKind{.code = 0x78,
                        .length = LengthRule::Counted(9, 7),
                        .name = "text",
                        .fields = Fields::IndexedText},
    };

    // The row of `code`, or nullptr for a code not listed.
    static constexpr const HostMessageKind* Find(std::uint8_t code) {
        const std::uint8_t row = kRowOfCode[code];
        return row < kRows.size() ? &kRows[row] : nullptr;
    }
    // The rule of every code, for the framer to look up rather than switch on.
    static constexpr std::array<LengthRule, 256> LengthRules() {
        std::array<LengthRule, 256> rules{};
        for (const HostMessageKind& row : kRows) {
            rules[row.code] = row.length;
        }
        return rules;
    }
    // The one code the framer streams instead of cutting.
    static constexpr std::uint8_t PictureTransferCode() {
        for (const HostMessageKind& row : kRows) {
            if (row.length.pictureTransfer) {
                return row.code;
            }
        }
        return 0;
    }

private:
    static constexpr std::uint8_t kNoRow = 0xFF;
    static_assert(kRows.size() < kNoRow);
    static constexpr std::array<std::uint8_t, 256> kRowOfCode = [] {
        std::array<std::uint8_t, 256> rowOfCode{};
        rowOfCode.fill(kNoRow);
        for (std::size_t row = 0; row < kRows.size(); ++row) {
            rowOfCode[kRows[row].code] = static_cast<std::uint8_t>(row);
        }
        return rowOfCode;
    }();
};

// In code order, so each code has one row.
static_assert(std::ranges::adjacent_find(HostMessageTable::kRows, std::ranges::greater_equal{},
                                         &HostMessageKind::code) == HostMessageTable::kRows.end());

} // namespace qx44
