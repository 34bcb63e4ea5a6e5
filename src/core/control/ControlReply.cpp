#include "core/control/ControlReply.h"

#include <cstdio>

namespace qx44 {

namespace {

// Length of the well-formed UTF-8 sequence starting at `at`, or 0 when it is ill-formed.
std::size_t WellFormedLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(at + i);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
            return 0;
        }
    }
    return length;
}

void AppendEscaped(std::string& out, unsigned int codePoint) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", codePoint);
    out += escape;
}

} // namespace

ControlReply::ControlReply(bool ok) : ok_(ok) {}

ControlReply ControlReply::Ok() {
    return ControlReply(true);
}

ControlReply ControlReply::Error(std::string_view message) {
    ControlReply reply(false);
    reply.AddText("error", message);
    return reply;
}

void ControlReply::AddKey(std::string_view key) {
    body_ += ',';
    body_ += Quote(key);
    body_ += ':';
}

ControlReply& ControlReply::AddText(std::string_view key, std::string_view text) {
    AddKey(key);
    body_ += Quote(text);
    return *this;
}

ControlReply& ControlReply::AddNumber(std::string_view key, std::int64_t number) {
    AddKey(key);
    body_ += std::to_string(number);
    return *this;
}

ControlReply& ControlReply::AddBool(std::string_view key, bool value) {
    AddKey(key);
    body_ += value ? "true" : "false";
    return *this;
}

ControlReply& ControlReply::AddTextArray(std::string_view key, std::span<const std::string> texts) {
    AddKey(key);
    body_ += '[';
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i != 0) {
            body_ += ',';
        }
        body_ += Quote(texts[i]);
    }
    body_ += ']';
    return *this;
}

ControlReply& ControlReply::AddRaw(std::string_view key, std::string_view json) {
    AddKey(key);
    body_ += json;
    return *this;
}

std::string ControlReply::ToLine() const {
    std::string line = ok_ ? "{\"ok\":true" : "{\"ok\":false";
    line += body_;
    line += "}\n";
    return line;
}

std::string ControlReply::Fields() const {
    return "{" + (body_.empty() ? std::string() : body_.substr(1)) + "}";
}

std::string ControlReply::Quote(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t length = WellFormedLength(text, i);
            if (length == 0) {
                AppendEscaped(out, c);
                ++i;
            } else {
                out.append(text.substr(i, length));
                i += length;
            }
            continue;
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                AppendEscaped(out, c);
            } else {
                out += static_cast<char>(c);
            }
        }
        ++i;
    }
    out += '"';
    return out;
}

} // namespace qx44
