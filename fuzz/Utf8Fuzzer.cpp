// The host text decoder against a plain reference written from the UTF-8 definition: maximal
// subparts of ill-formed sequences become U+FFFD, code points above U+FFFF keep only their high
// surrogate in the decoder's single-code results, and bytes outside a complete sequence keep
// their values.
#include "core/text/CUnicodeConverter.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The accepted range of the second byte after each lead, from the table of well-formed UTF-8
// byte sequences; later bytes are always 0x80..0xBF.
struct Lead {
    int length;
    std::uint8_t low;
    std::uint8_t high;
};

Lead LeadOf(std::uint8_t b) {
    if (b >= 0xC2 && b <= 0xDF) {
        return {2, 0x80, 0xBF};
    }
    if (b == 0xE0) {
        return {3, 0xA0, 0xBF};
    }
    if (b == 0xED) {
        return {3, 0x80, 0x9F};
    }
    if (b >= 0xE1 && b <= 0xEF) {
        return {3, 0x80, 0xBF};
    }
    if (b == 0xF0) {
        return {4, 0x90, 0xBF};
    }
    if (b == 0xF4) {
        return {4, 0x80, 0x8F};
    }
    if (b >= 0xF1 && b <= 0xF3) {
        return {4, 0x80, 0xBF};
    }
    return {0, 0, 0};
}

void AppendCodePoint(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
        return;
    }
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
}

std::u16string ReferenceUtf8ToWide(std::span<const std::uint8_t> text) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size() && text[i] != 0) {
        const std::uint8_t b = text[i];
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        const Lead lead = LeadOf(b);
        if (lead.length == 0) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        char32_t c = b & (0xFF >> (lead.length + 1));
        std::size_t taken = 1;
        for (; taken < static_cast<std::size_t>(lead.length) && i + taken < text.size(); ++taken) {
            const std::uint8_t next = text[i + taken];
            const std::uint8_t low = taken == 1 ? lead.low : 0x80;
            const std::uint8_t high = taken == 1 ? lead.high : 0xBF;
            if (next < low || next > high) {
                break;
            }
            c = (c << 6) | (next & 0x3F);
        }
        if (taken == static_cast<std::size_t>(lead.length)) {
            AppendCodePoint(out, c);
        } else {
            out.push_back(u'\uFFFD');
        }
        i += taken;
    }
    return out;
}

bool IsContinuation(std::uint8_t b) {
    return b >= 0x80 && b <= 0xBF;
}

std::u16string ReferenceDecodeText(std::span<const std::uint8_t> bytes) {
    std::u16string out;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::uint8_t b = bytes[i];
        const std::size_t length = b >= 0xC0 && b <= 0xDF   ? 2
                                   : b >= 0xE0 && b <= 0xEF ? 3
                                   : b >= 0xF0 && b <= 0xF7 ? 4
                                                            : 1;
        bool complete = length > 1 && i + length <= bytes.size();
        for (std::size_t k = 1; complete && k < length; ++k) {
            complete = IsContinuation(bytes[i + k]);
        }
        if (!complete) {
            out.push_back(b);
            ++i;
            continue;
        }
        const std::u16string decoded = ReferenceUtf8ToWide(bytes.subspan(i, length));
        out.push_back(decoded.empty() ? u'\0' : decoded[0]);
        i += length;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using qx44::CUnicodeConverter;
    const std::span<const std::uint8_t> bytes(data, size);
    if (CUnicodeConverter::Utf8ToWide(bytes) != ReferenceUtf8ToWide(bytes)) {
        std::abort();
    }
    const std::u16string expected = ReferenceDecodeText(bytes);
    if (CUnicodeConverter::DecodeText(bytes) != expected) {
        std::abort();
    }
    // A short output area takes the first codes and no more.
    std::vector<char16_t> area(size / 2);
    const std::size_t written = CUnicodeConverter::DecodeText(area, bytes);
    if (written != std::min(area.size(), expected.size()) ||
        std::u16string(area.begin(), area.begin() + static_cast<long>(written)) !=
            expected.substr(0, written)) {
        std::abort();
    }
    return 0;
}
