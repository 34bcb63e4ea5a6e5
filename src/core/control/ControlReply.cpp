#include "core/control/ControlReply.h"

#include "core/common/Utf8Decoder.h"

#include <cstdio>

namespace qx44 {

namespace {

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
            const Utf8Decoder::Character character = Utf8Decoder::Next(text.substr(i));
            if (character.valid) {
                out.append(text.substr(i, character.length));
            } else {
                AppendEscaped(out, c);
            }
            i += character.length;
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
