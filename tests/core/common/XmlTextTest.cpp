#include "core/common/XmlText.h"

#include <gtest/gtest.h>

namespace qx44 {
namespace {

// Whatever bytes a host sent, the text is well-formed XML that reads back as what was meant.
TEST(XmlTextTest, EscapesMarkupAndWritesWhatXmlCannotHoldAsHex) {
    const struct {
        std::string_view text;
        std::string content;
        std::string attribute;
    } rows[] = {
        {"plain", "plain", "plain"},
        {"a<b>&\"c'", "a&lt;b&gt;&amp;\"c'", "a&lt;b&gt;&amp;&quot;c'"},
        {"two\nlines\tand\r", "two\nlines\tand&#13;", "two&#10;lines&#9;and&#13;"},
        {"\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80", "\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80",
         "\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80"},
        {std::string_view("\x00\x01\x1B", 3), "\\x00\\x01\\x1B", "\\x00\\x01\\x1B"},
        {"\xFF\xC3", "\\xFF\\xC3", "\\xFF\\xC3"},
        {"\xC0\xAF \xED\xA0\x80", "\\xC0\\xAF \\xED\\xA0\\x80", "\\xC0\\xAF \\xED\\xA0\\x80"},
        {"\xEF\xBF\xBE\xEF\xBF\xBD", "\\xEF\\xBF\\xBE\xEF\xBF\xBD", "\\xEF\\xBF\\xBE\xEF\xBF\xBD"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(XmlText::Content(row.text), row.content) << row.text;
        EXPECT_EQ(XmlText::Attribute(row.text), row.attribute) << row.text;
    }
}

} // namespace
} // namespace qx44
