#include "core/text/CUnicodeConverter.h"

#include <algorithm>
#include <cstring>

namespace qx44 {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// How many bytes a sequence starting with this byte has, by the host's classification: 1 for a
// byte that stands for itself (ASCII, a stray continuation byte, 0xF8 to 0xFF).
std::size_t SequenceLength(std::uint8_t b) {
    if (b >= 0xC0 && b <= 0xDF) {
        return 2;
    }
    if (b >= 0xE0 && b <= 0xEF) {
        return 3;
    }
    if (b >= 0xF0 && b <= 0xF7) {
        return 4;
    }
    return 1;
}

bool IsContinuation(std::uint8_t b) {
    return b >= 0x80 && b <= 0xBF;
}

// The strict UTF-8 rules for a lead byte: how many continuation bytes follow and the range the
// first of them must lie in. The narrowed ranges are what exclude overlong forms, encoded
// surrogates and code points above U+10FFFF.
struct LeadRule {
    int continuations = -1;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
};

LeadRule RuleFor(std::uint8_t lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return {1, 0x80, 0xBF};
    }
    if (lead == 0xE0) {
        return {2, 0xA0, 0xBF};
    }
    if (lead == 0xED) {
        return {2, 0x80, 0x9F};
    }
    if (lead >= 0xE1 && lead <= 0xEF) {
        return {2, 0x80, 0xBF};
    }
    if (lead == 0xF0) {
        return {3, 0x90, 0xBF};
    }
    if (lead >= 0xF1 && lead <= 0xF3) {
        return {3, 0x80, 0xBF};
    }
    if (lead == 0xF4) {
        return {3, 0x80, 0x8F};
    }
    return {};
}

// One character of strict UTF-8 starting at bytes[i] (which holds no NUL): its code point, or
// the replacement character for a maximal part that cannot be completed, and where the next
// one starts.
struct Decoded {
    char32_t codePoint = 0;
    std::size_t next = 0;
};

Decoded DecodeOne(std::span<const std::uint8_t> bytes, std::size_t i) {
    const std::uint8_t lead = bytes[i];
    if (lead < 0x80) {
        return {lead, i + 1};
    }
    const LeadRule rule = RuleFor(lead);
    if (rule.continuations < 0) {
        return {kReplacement, i + 1};
    }
    char32_t cp = lead & (0x3F >> rule.continuations);
    std::size_t j = i + 1;
    for (int k = 0; k < rule.continuations; ++k, ++j) {
        const std::uint8_t low = k == 0 ? rule.low : std::uint8_t{0x80};
        const std::uint8_t high = k == 0 ? rule.high : std::uint8_t{0xBF};
        if (j >= bytes.size() || bytes[j] < low || bytes[j] > high) {
            return {kReplacement, j};
        }
        cp = (cp << 6) | (bytes[j] & 0x3F);
    }
    return {cp, j};
}

// The first UTF-16 unit of a code point: the high surrogate of one above U+FFFF.
char16_t FirstUnit(char32_t cp) {
    return cp < 0x10000 ? static_cast<char16_t>(cp)
                        : static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
}

std::span<const std::uint8_t> UpToNul(std::span<const std::uint8_t> text) {
    return text.first(static_cast<std::size_t>(
        std::find(text.begin(), text.end(), std::uint8_t{0}) - text.begin()));
}

} // namespace

std::size_t CUnicodeConverter::DecodeText(std::span<char16_t> out,
                                          std::span<const std::uint8_t> bytes) {
    const std::size_t limit = std::min(out.size(), bytes.size());
    std::size_t n = 0;
    std::size_t i = 0;
    while (n < limit && i < bytes.size()) {
        const std::uint8_t b = bytes[i];
        // Plain text is most of what hosts send; it takes one byte per code.
        if (b < 0x80) {
            out[n++] = b;
            ++i;
            continue;
        }
        const std::size_t length = SequenceLength(b);
        const bool complete =
            length > 1 && bytes.size() - i >= length &&
            std::all_of(bytes.begin() + i + 1, bytes.begin() + i + length, IsContinuation);
        if (complete) {
            out[n] = DecodeSequence(bytes.subspan(i, length));
            i += length;
        } else {
            out[n] = b;
            i += 1;
        }
        ++n;
    }
    return n;
}

std::u16string CUnicodeConverter::DecodeText(std::span<const std::uint8_t> bytes) {
    std::u16string out(bytes.size(), u'\0');
    out.resize(DecodeText(out, bytes));
    return out;
}

bool CUnicodeConverter::DecodesToItself(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kWord = sizeof(std::uint64_t);
    constexpr std::uint64_t kTopBits = 0x8080808080808080;
    const auto word = [&](std::size_t at) {
        std::uint64_t x = 0;
        std::memcpy(&x, bytes.data() + at, kWord);
        return x;
    };
    // Most host text is ASCII, which one OR per eight bytes shows.
    std::uint64_t any = 0;
    std::size_t i = 0;
    for (; i + kWord <= bytes.size(); i += kWord) {
        any |= word(i);
    }
    for (std::size_t k = i; k < bytes.size(); ++k) {
        any |= bytes[k];
    }
    if ((any & kTopBits) == 0) {
        return true;
    }
    // A lead byte is 0xC0 to 0xF7: its top two bits are set and not all of its top five. Each
    // byte's verdict lands in its own top bit (a shift by up to four moves no bit into another
    // byte's top bit).
    for (i = 0; i + kWord <= bytes.size(); i += kWord) {
        const std::uint64_t x = word(i);
        const std::uint64_t topTwo = x & (x << 1);
        const std::uint64_t topFive = topTwo & (x << 2) & (x << 3) & (x << 4);
        if ((topTwo & ~topFive & kTopBits) != 0) {
            return false;
        }
    }
    return std::none_of(bytes.begin() + static_cast<std::ptrdiff_t>(i), bytes.end(),
                        [](std::uint8_t b) { return b >= 0xC0 && b <= 0xF7; });
}

char16_t CUnicodeConverter::DecodeSequence(std::span<const std::uint8_t> sequence) {
    const std::span<const std::uint8_t> bytes = UpToNul(sequence);
    return bytes.empty() ? u'\0' : FirstUnit(DecodeOne(bytes, 0).codePoint);
}

std::u16string CUnicodeConverter::Utf8ToWide(std::span<const std::uint8_t> text) {
    const std::span<const std::uint8_t> bytes = UpToNul(text);
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const Decoded decoded = DecodeOne(bytes, i);
        out.push_back(FirstUnit(decoded.codePoint));
        if (decoded.codePoint >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xDC00 + ((decoded.codePoint - 0x10000) & 0x3FF)));
        }
        i = decoded.next;
    }
    return out;
}

std::u16string CUnicodeConverter::Utf8ToWide(std::string_view text) {
    return Utf8ToWide(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

void CUnicodeConverter::AppendUtf8(std::string& out, char16_t unit) {
    if (unit < 0x80) {
        out.push_back(static_cast<char>(unit));
    } else if (unit < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (unit >> 6)));
        out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (unit >> 12)));
        out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    }
}

} // namespace qx44
