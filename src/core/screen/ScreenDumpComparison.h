#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qx44 {

// Compares two ScreenDump documents cell by cell and names what differs, the way a person
// checks a screen: "text row 3 column 10: expected \"A\", actual \"B\"".
class ScreenDumpComparison {
public:
    // At most `limit` differences, then one line saying how many more there are. Empty when the
    // documents show the same screens; one line naming the document and its line when one of
    // them is not a dump (ScreenDumpParser).
    static std::vector<std::string> Differences(std::string_view expected, std::string_view actual,
                                                std::size_t limit = 20);
};

} // namespace qx44
