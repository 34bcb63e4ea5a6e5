#include "core/protocol/HostCommandFields.h"

#include "core/common/HexText.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <initializer_list>
#include <utility>

namespace qx44 {

namespace {

constexpr std::uint8_t kCarriageReturn = 0x0D;

enum class Shown { Decimal, Hex };

struct Field {
    const char* name;
    std::size_t offset;
    Shown shown = Shown::Decimal;
};

// "name=value" for each field the message holds, separated by blanks.
std::string Fields(HostCommandFields::Message message, std::initializer_list<Field> fields) {
    std::string out;
    for (const Field& field : fields) {
        if (field.offset >= message.size()) {
            break;
        }
        if (!out.empty()) {
            out += ' ';
        }
        const std::uint8_t value = message[field.offset];
        out += field.name;
        out += '=';
        out += field.shown == Shown::Hex ? HexText::Byte(value) : std::to_string(value);
    }
    return out;
}

// The text a handler takes: `count` bytes from `offset`, as far as the message goes.
std::string Text(HostCommandFields::Message message, std::size_t offset, std::size_t count) {
    if (offset >= message.size()) {
        return {};
    }
    // The last byte is the ETX, not text.
    const std::size_t available = message.size() - offset - 1;
    return ' ' + HostCommandFields::Quoted(message.subspan(offset, std::min(count, available)));
}

std::string Bytes(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

} // namespace

std::string HostCommandFields::Quoted(Message text) {
    const auto plain = [](std::uint8_t byte) {
        return byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\';
    };
    std::string out = "\"";
    out.reserve(text.size() + 2);
    // Runs of plain characters are copied whole: a trace reads a lot of text.
    for (auto next = text.begin(); next != text.end();) {
        const auto run = std::find_if_not(next, text.end(), plain);
        out.append(next, run);
        if (run == text.end()) {
            break;
        }
        if (*run == '"' || *run == '\\') {
            out += '\\';
            out += static_cast<char>(*run);
        } else {
            out += "\\x";
            out += HexText::Byte(*run);
        }
        next = run + 1;
    }
    out += '"';
    return out;
}

std::string HostCommandFields::GridMode(Message message, const Context&) {
    return message.size() > 3 ? std::to_string(message[3]) : std::string();
}

std::string HostCommandFields::ClearWithAttributeValue(Message message, const Context&) {
    return Fields(
        message,
        {{"col", 3}, {"row", 4}, {"width", 5}, {"height", 6}, {"attribute", 7, Shown::Hex}});
}

std::string HostCommandFields::Box(Message message, const Context&) {
    return Fields(message,
                  {{"col", 3}, {"row", 4}, {"width", 5}, {"height", 6}, {"colour", 7, Shown::Hex}});
}

std::string HostCommandFields::LongText(Message message, const Context&) {
    const std::size_t count = message.size() > 7 ? 256u * message[6] + message[7] : 0;
    return Fields(message, {{"col", 3}, {"row", 4}, {"colour", 5, Shown::Hex}}) +
           Text(message, 8, count);
}

std::string HostCommandFields::Fill(Message message, const Context&) {
    return Fields(message, {{"col", 3},
                            {"row", 4},
                            {"width", 5},
                            {"height", 6},
                            {"char", 7, Shown::Hex},
                            {"colour", 8, Shown::Hex}});
}

std::string HostCommandFields::OutputData(Message message, const Context&) {
    return message.size() > 3 ? Bytes(message[3]) : std::string();
}

std::string HostCommandFields::BeepAtPitch(Message message, const Context& context) {
    if (message.size() <= 3) {
        return {};
    }
    return std::to_string(message[3] * kBeepUnitMs) + " ms at " +
           std::to_string(context.beeperPitch) + " Hz";
}

std::string HostCommandFields::BeepAtStep(Message message, const Context&) {
    if (message.size() <= 4) {
        return {};
    }
    return std::to_string(message[3] * kBeepUnitMs) + " ms at " +
           std::to_string(kBeepBaseHz + kBeepStepHz * message[4]) + " Hz";
}

std::string HostCommandFields::IndexedText(Message message, const Context&) {
    const std::size_t count = message.size() > 7 ? message[7] : 0;
    std::string out = Fields(message, {{"col", 3}, {"row", 4}, {"bg", 5}, {"fg", 6}});
    if (message.size() > 4 && message[2] == 'x' && message[4] == kStatusLineRow) {
        out += " (status line)";
    }
    return out + Text(message, 8, count);
}

std::string HostCommandFields::StatusText(Message message, const Context&) {
    const std::size_t count = message.size() > 6 ? message[6] : 0;
    return Fields(message, {{"col", 3}, {"bg", 4}, {"fg", 5}}) + Text(message, 7, count);
}

std::string HostCommandFields::ClearWithBackground(Message message, const Context&) {
    return Fields(message, {{"col", 3}, {"row", 4}, {"width", 5}, {"height", 6}, {"bg", 7}});
}

std::string HostCommandFields::Table(Message message, const Context&) {
    return Fields(message, {{"col", 3},
                            {"row", 4},
                            {"width", 5},
                            {"height", 6},
                            {"columns", 7},
                            {"rows", 8},
                            {"bg", 9},
                            {"fg", 10},
                            {"style", 11}});
}

std::string HostCommandFields::PlayList(Message message, const Context&) {
    constexpr std::size_t kListOffset = 8;
    if (message.size() <= kListOffset) {
        return "0 entries";
    }
    // Every CR ends an entry and the last byte ends the final one, as the handler counts them.
    const auto list = message.subspan(kListOffset);
    const std::size_t entries =
        static_cast<std::size_t>(std::count(list.begin(), list.end() - 1, kCarriageReturn)) + 1;
    return std::to_string(entries) + (entries == 1 ? " entry" : " entries");
}

std::string HostCommandFields::PortStatus(Message message, const Context&) {
    if (message.size() <= 3) {
        return {};
    }
    return message[3] == kPrinterStatusPort ? std::string("printer") : std::to_string(message[3]);
}

} // namespace qx44
