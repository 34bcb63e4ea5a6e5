#include "core/screen/ScreenDumpParser.h"

#include "core/common/Utf8Decoder.h"
#include "core/screen/ScreenDump.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <unordered_map>

namespace qx44 {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kFirstWideCode = 0x4E00;
constexpr std::string_view kAttributes = "attributes ";

// For each character a dump can show, the lowest cell code that shows it.
const std::unordered_map<char32_t, std::uint16_t>& CodesByCharacter() {
    static const auto codes = [] {
        std::unordered_map<char32_t, std::uint16_t> map;
        for (std::uint32_t code = 0; code <= std::numeric_limits<std::uint16_t>::max(); ++code) {
            map.emplace(Utf8Decoder::Next(ScreenDump::Glyph(static_cast<std::uint16_t>(code))).code,
                        static_cast<std::uint16_t>(code));
        }
        return map;
    }();
    return codes;
}

std::uint16_t CodeOf(char32_t character) {
    const auto& codes = CodesByCharacter();
    const auto found = codes.find(character);
    return found != codes.end() ? found->second : codes.at(kReplacement);
}

std::vector<std::string_view> Lines(std::string_view document) {
    std::vector<std::string_view> lines;
    while (!document.empty()) {
        const auto end = document.find('\n');
        lines.push_back(document.substr(0, end));
        document = end == std::string_view::npos ? std::string_view() : document.substr(end + 1);
    }
    return lines;
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    for (std::size_t start = 0; start < line.size();) {
        const auto end = std::min(line.find(' ', start), line.size());
        if (end > start) {
            words.push_back(line.substr(start, end - start));
        }
        start = end + 1;
    }
    return words;
}

template <typename Number> bool ReadNumber(std::string_view text, Number& value, int base = 10) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

bool ReadAttribute(std::string_view text, std::int32_t& attribute) {
    std::uint32_t value = 0;
    if (text.size() < 4 || text.size() > 8 || !ReadNumber(text, value, 16)) {
        return false;
    }
    attribute = static_cast<std::int32_t>(value);
    return true;
}

class Reader {
public:
    explicit Reader(std::string_view document) : lines_(Lines(document)) {}

    std::optional<std::vector<DumpedScreen>> Read(std::string& error) {
        while (next_ < lines_.size() && error_.empty()) {
            const std::string_view line = lines_[next_++];
            if (line.starts_with(kAttributes)) {
                ReadAttributes(line);
            } else if (current_ != nullptr) {
                ReadAttributeRow(line);
            } else {
                ReadGrid(line);
            }
        }
        if (!error_.empty()) {
            error = error_;
            return std::nullopt;
        }
        return std::move(screens_);
    }

private:
    void Fail(std::string what) {
        error_ = "line " + std::to_string(next_) + ": " + std::move(what);
    }

    DumpedScreen* Find(std::string_view name) {
        for (DumpedScreen& screen : screens_) {
            if (screen.name == name) {
                return &screen;
            }
        }
        return nullptr;
    }

    // "text 80x25" and the grid's rows.
    void ReadGrid(std::string_view line) {
        const auto words = Words(line);
        const auto x = words.size() == 2 ? words[1].find('x') : std::string_view::npos;
        int columns = 0;
        int rows = 0;
        if (x == std::string_view::npos || !ReadNumber(words[1].substr(0, x), columns) ||
            !ReadNumber(words[1].substr(x + 1), rows)) {
            return Fail("expected a screen and its size (\"text 80x25\") or its attributes");
        }
        if (columns < 1 || rows < 1 || columns > ScreenDumpParser::kMaxSide ||
            rows > ScreenDumpParser::kMaxSide) {
            return Fail("a screen of " + std::string(words[1]) + " cells; each side may be 1 to " +
                        std::to_string(ScreenDumpParser::kMaxSide));
        }
        if (Find(words[0]) != nullptr) {
            return Fail("the screen " + std::string(words[0]) + " is given twice");
        }
        DumpedScreen& dumped = screens_.emplace_back(DumpedScreen{.name = std::string(words[0])});
        ScreenSnapshot& screen = dumped.screen;
        screen.columns = columns;
        screen.rows = rows;
        screen.cells.assign(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows),
                            {.code = CodeOf(U' ')});
        for (int row = 0; row < rows && error_.empty(); ++row) {
            if (next_ == lines_.size()) {
                return Fail("the document ends after " + std::to_string(row) + " of the " +
                            std::to_string(rows) + " rows of " + dumped.name);
            }
            ReadRow(screen, row, lines_[next_++]);
        }
    }

    void ReadRow(ScreenSnapshot& screen, int row, std::string_view text) {
        const auto cell = [&](int column) -> ScreenSnapshot::Cell& {
            return screen
                .cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(screen.columns) +
                       static_cast<std::size_t>(column)];
        };
        int column = 0;
        while (!text.empty()) {
            if (column == screen.columns) {
                return Fail("the row is wider than the " + std::to_string(screen.columns) +
                            " columns of the screen");
            }
            const Utf8Decoder::Character character = Utf8Decoder::Next(text);
            text.remove_prefix(character.length);
            // A wide character covers two cells, its halves holding its high and low byte; in
            // the last column only one cell is left for it. A character no code shows by itself
            // (U+FFFE) is the replacement character that stood for it, in one cell.
            if (character.code >= kFirstWideCode && CodeOf(character.code) == character.code &&
                column + 1 < screen.columns) {
                cell(column++) = {.code = static_cast<std::uint16_t>(character.code >> 8),
                                  .half = HalfMarker::First};
                cell(column++) = {.code = static_cast<std::uint16_t>(character.code & 0xFF),
                                  .half = HalfMarker::Second};
            } else {
                cell(column++).code = CodeOf(character.code);
            }
        }
    }

    // "attributes text fill D200": every cell of the screen takes the fill.
    void ReadAttributes(std::string_view line) {
        const auto words = Words(line);
        std::int32_t fill = 0;
        if (words.size() != 4 || words[2] != "fill" || !ReadAttribute(words[3], fill)) {
            return Fail("expected \"attributes SCREEN fill ATTRIBUTE\"");
        }
        current_ = Find(words[1]);
        if (current_ == nullptr) {
            return Fail("attributes of " + std::string(words[1]) +
                        ", a screen the document has not");
        }
        if (std::ranges::find(attributed_, current_->name) != attributed_.end()) {
            return Fail("the attributes of " + current_->name + " are given twice");
        }
        attributed_.push_back(current_->name);
        for (ScreenSnapshot::Cell& cell : current_->screen.cells) {
            cell.attribute = fill;
        }
    }

    // "5 10: 00D2*2 D200": the runs of row 5 from column 10 on.
    void ReadAttributeRow(std::string_view line) {
        ScreenSnapshot& screen = current_->screen;
        const auto words = Words(line);
        int row = -1;
        int column = -1;
        if (words.size() < 3 || !ReadNumber(words[0], row) || !words[1].ends_with(':') ||
            !ReadNumber(words[1].substr(0, words[1].size() - 1), column)) {
            return Fail("expected \"ROW COLUMN: ATTRIBUTE*COUNT ...\"");
        }
        if (row < 0 || row >= screen.rows || column < 0 || column >= screen.columns) {
            return Fail("row " + std::to_string(row) + " column " + std::to_string(column) +
                        " is outside the " + std::to_string(screen.columns) + "x" +
                        std::to_string(screen.rows) + " screen " + current_->name);
        }
        for (std::size_t i = 2; i < words.size(); ++i) {
            const auto star = words[i].find('*');
            std::int32_t attribute = 0;
            int count = 1;
            if (!ReadAttribute(words[i].substr(0, star), attribute) ||
                (star != std::string_view::npos &&
                 (!ReadNumber(words[i].substr(star + 1), count) || count < 1))) {
                return Fail("\"" + std::string(words[i]) +
                            "\" is not ATTRIBUTE or ATTRIBUTE*COUNT");
            }
            if (count > screen.columns - column) {
                return Fail("the runs reach past the " + std::to_string(screen.columns) +
                            " columns of " + current_->name);
            }
            for (int end = column + count; column < end; ++column) {
                screen
                    .cells[static_cast<std::size_t>(row) *
                               static_cast<std::size_t>(screen.columns) +
                           static_cast<std::size_t>(column)]
                    .attribute = attribute;
            }
        }
    }

    std::vector<std::string_view> lines_;
    std::size_t next_ = 0;
    std::vector<DumpedScreen> screens_;
    DumpedScreen* current_ = nullptr;
    std::vector<std::string> attributed_;
    std::string error_;
};

} // namespace

std::optional<std::vector<DumpedScreen>> ScreenDumpParser::Parse(std::string_view document,
                                                                 std::string& error) {
    return Reader(document).Read(error);
}

} // namespace qx44
