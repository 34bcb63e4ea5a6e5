#pragma once

#include <cstddef>
#include <string_view>

namespace qx44::fuzz {

// Checks a control reply against the JSON grammar written out plainly, apart from the code that
// makes replies: one object ended by the line's only line feed, its first member "ok" with true
// or false, the whole line well-formed UTF-8 (which other text the fuzz targets check, too).
class JsonLine {
public:
    static bool IsReply(std::string_view line) {
        if (!line.ends_with('\n') || line.find('\n') != line.size() - 1) {
            return false;
        }
        JsonLine json(line.substr(0, line.size() - 1));
        json.Blanks();
        if (!json.Take('{')) {
            return false;
        }
        json.Blanks();
        if (!json.Take("\"ok\"")) {
            return false;
        }
        json.Blanks();
        if (!json.Take(':')) {
            return false;
        }
        json.Blanks();
        if (!json.Take("true") && !json.Take("false")) {
            return false;
        }
        json.Blanks();
        if (!json.Members()) {
            return false;
        }
        json.Blanks();
        return json.at_ == json.text_.size();
    }

    // Well-formed UTF-8 from end to end.
    static bool IsUtf8(std::string_view text) {
        JsonLine json(text);
        while (json.More()) {
            if (json.Peek() < 0x80) {
                ++json.at_;
            } else if (!json.Utf8Sequence()) {
                return false;
            }
        }
        return true;
    }

private:
    static constexpr int kMaxDepth = 64;

    explicit JsonLine(std::string_view text) : text_(text) {}

    bool More() const { return at_ < text_.size(); }
    unsigned char Peek() const { return More() ? static_cast<unsigned char>(text_[at_]) : 0; }
    bool Take(char c) {
        if (Peek() != static_cast<unsigned char>(c) || !More()) {
            return false;
        }
        ++at_;
        return true;
    }
    bool Take(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) {
            return false;
        }
        at_ += word.size();
        return true;
    }
    void Blanks() {
        while (Peek() == ' ' || Peek() == '\t' || Peek() == '\r') {
            ++at_;
        }
    }

    // The rest of an object after its first member: more members, then '}'.
    bool Members() {
        while (Take(',')) {
            Blanks();
            if (!Member()) {
                return false;
            }
            Blanks();
        }
        return Take('}');
    }

    // A name, ':' and its value.
    bool Member() {
        if (!String()) {
            return false;
        }
        Blanks();
        if (!Take(':')) {
            return false;
        }
        Blanks();
        return Value();
    }

    bool Value() {
        if (++depth_ > kMaxDepth) {
            return false;
        }
        bool good = false;
        switch (Peek()) {
        case '"':
            good = String();
            break;
        case '{':
            good = Container('}', true);
            break;
        case '[':
            good = Container(']', false);
            break;
        case 't':
            good = Take("true");
            break;
        case 'f':
            good = Take("false");
            break;
        case 'n':
            good = Take("null");
            break;
        default:
            good = Number();
        }
        --depth_;
        return good;
    }

    bool Container(char close, bool object) {
        ++at_;
        Blanks();
        if (Take(close)) {
            return true;
        }
        for (;;) {
            if (!(object ? Member() : Value())) {
                return false;
            }
            Blanks();
            if (Take(close)) {
                return true;
            }
            if (!Take(',')) {
                return false;
            }
            Blanks();
        }
    }

    bool Digits() {
        const std::size_t start = at_;
        while (Peek() >= '0' && Peek() <= '9') {
            ++at_;
        }
        return at_ > start;
    }

    bool Number() {
        Take('-');
        if (!Take('0') && !(Peek() >= '1' && Peek() <= '9' && Digits())) {
            return false;
        }
        if (Take('.') && !Digits()) {
            return false;
        }
        if (Take('e') || Take('E')) {
            if (!Take('+')) {
                Take('-');
            }
            return Digits();
        }
        return true;
    }

    bool String() {
        if (!Take('"')) {
            return false;
        }
        while (More()) {
            const unsigned char c = Peek();
            if (c == '"') {
                ++at_;
                return true;
            }
            if (c < 0x20) {
                return false;
            }
            if (c == '\\') {
                ++at_;
                const unsigned char e = Peek();
                if (e == 'u') {
                    ++at_;
                    for (int i = 0; i < 4; ++i) {
                        const unsigned char h = Peek();
                        if (!((h >= '0' && h <= '9') || (h >= 'a' && h <= 'f') ||
                              (h >= 'A' && h <= 'F'))) {
                            return false;
                        }
                        ++at_;
                    }
                    continue;
                }
                if (std::string_view("\"\\/bfnrt").find(static_cast<char>(e)) ==
                    std::string_view::npos) {
                    return false;
                }
                ++at_;
                continue;
            }
            if (c < 0x80) {
                ++at_;
                continue;
            }
            if (!Utf8Sequence()) {
                return false;
            }
        }
        return false;
    }

    // One well-formed UTF-8 sequence of two to four bytes: no overlong forms, no surrogates,
    // nothing above U+10FFFF.
    bool Utf8Sequence() {
        const unsigned char lead = Peek();
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
            return false;
        }
        ++at_;
        for (std::size_t i = 1; i < length; ++i) {
            const unsigned char next = Peek();
            if (!More() || next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
                return false;
            }
            ++at_;
        }
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    int depth_ = 0;
};

} // namespace qx44::fuzz
