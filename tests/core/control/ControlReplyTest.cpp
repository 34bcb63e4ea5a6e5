#include "core/control/ControlReply.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qx44 {
namespace {

TEST(ControlReplyTest, QuotesEveryByteSoTheLineStaysJson) {
    const struct {
        std::string text;
        std::string quoted;
    } cases[] = {
        {"plain", "\"plain\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"\n\r\t\x01\x7f", "\"\\n\\r\\t\\u0001\\u007f\""},
        {"caf\xC3\xA9 \xE2\x98\x83", "\"caf\xC3\xA9 \xE2\x98\x83\""},
        // Ill-formed: a lone continuation byte, a cut sequence, an overlong form, a surrogate.
        {"\x80", "\"\\u0080\""},
        {"\xE2\x98", "\"\\u00e2\\u0098\""},
        {"\xC0\xAF", "\"\\u00c0\\u00af\""},
        {"\xED\xA0\x80", "\"\\u00ed\\u00a0\\u0080\""},
        {std::string("\0z", 2), "\"\\u0000z\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ControlReply::Quote(c.text), c.quoted) << c.quoted;
    }
}

TEST(ControlReplyTest, FieldsKeepTheirOrderOnOneLine) {
    const std::vector<std::string> lines{"ab", "c\"d"};
    EXPECT_EQ(ControlReply::Ok()
                  .AddText("peer", "127.0.0.1:5")
                  .AddNumber("bytes", -3)
                  .AddBool("connected", true)
                  .AddTextArray("lines", lines)
                  .AddRaw("runs", "[]")
                  .ToLine(),
              "{\"ok\":true,\"peer\":\"127.0.0.1:5\",\"bytes\":-3,\"connected\":true,"
              "\"lines\":[\"ab\",\"c\\\"d\"],\"runs\":[]}\n");
    const ControlReply error = ControlReply::Error("timeout");
    EXPECT_FALSE(error.IsOk());
    EXPECT_EQ(error.ToLine(), "{\"ok\":false,\"error\":\"timeout\"}\n");
}

} // namespace
} // namespace qx44
