#include "core/trace/TraceWriter.h"
#include "support/Bytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>

namespace qx44 {
namespace {

using test::Bytes;

struct Reading {
    char direction;
    Bytes message;
    const char* reading;
};

// What a host developer reads after '#' for each kind of message, in both directions.
const Reading kReadings[] = {
    {'H', {2, 1, 0x05, 6, 3}, "grid mode 6"},
    {'H', {2, 1, 0x09, 1, 2, 3, 4, 0x07, 3}, "clear col=1 row=2 width=3 height=4 attribute=07"},
    {'H', {2, 1, 0x0A, 0, 0, 80, 25, 0x17, 3}, "box col=0 row=0 width=80 height=25 colour=17"},
    {'H', {2, 1, 0x0D, 10, 5, 0x17, 0, 2, 'H', 'i', 3}, "long text col=10 row=5 colour=17 \"Hi\""},
    {'H',
     {2, 1, 0x0E, 0, 0, 80, 25, 'A', 0x17, 3},
     "fill col=0 row=0 width=80 height=25 char=41 colour=17"},
    {'H', {2, 1, 0x0F, 3, 'a', 'b', 'c', 3}, "serial1 3 bytes"},
    {'H', {2, 1, 0x10, 4, 3}, "beep 1000 ms at 2200 Hz"},
    {'H', {2, 1, 0x11, 3}, "query"},
    {'H', {2, 1, 0x1F, 1, 'a', 3}, "serial2 1 byte"},
    {'H', {2, 1, 0x22, 2, 10, 3}, "beep 500 ms at 2400 Hz"},
    {'H',
     {2, 1, 0x23, 10, 5, 210, 0, 3, 'a', '"', 0x01, 3},
     "text col=10 row=5 bg=210 fg=0 \"a\\\"\\x01\""},
    {'H', {2, 1, 0x32, 4, 234, 0, 1, 'S', 3}, "status text col=4 bg=234 fg=0 \"S\""},
    {'H', {2, 1, 0x35, 3}, "media list"},
    {'H', {2, 1, 0x3E, 1, 2, 3, 4, 215, 3}, "clear col=1 row=2 width=3 height=4 bg=215"},
    {'H',
     {2, 1, 0x3F, 2, 3, 40, 10, 4, 2, 215, 234, 5, 3},
     "table col=2 row=3 width=40 height=10 columns=4 rows=2 bg=215 fg=234 style=5"},
    {'H', {2, 1, 0x40, 0, 0, 0, 0, 0, 'a', 0x0D, 'b', 3}, "play list 2 entries"},
    {'H', {2, 1, 0x41, 3}, "stop media"},
    {'H', {2, 1, 0x42, 0xFE, 3}, "port status printer"},
    {'H', {2, 1, 0x50, 2, 0x1B, 0x40, 3}, "printer 2 bytes"},
    {'H',
     {2, 1, 0x78, 0, 25, 29, 15, 1, 'x', 3},
     "text col=0 row=25 bg=29 fg=15 (status line) \"x\""},
    {'H', {2, 1, 0x24, 1, 2, 3, 4, 3}, "ignored code 24"},
    {'S', {2, 1, 0x11, 0xE0, 3}, "key E0"},
    {'S', {2, 1, 0x35, 3}, "ack"},
    {'S', {2, 1, 0x34, 2, 0xFF, 3}, "port status 2: FF"},
    {'S', {2, 1, 0x33, 0, 'a', 0x0D, 'b', 0x0D, 3}, "media list 2 names"},
    {'S', {2, 1, 0x55, 3, 255, 3}, "mouse double click col=3 row=255"},
    {'S', {2, 1, 0x12, 0x41, 3}, "serial1 byte 41"},
};

TEST(TraceReadingTest, EveryMessageReadsAsItsNameAndFields) {
    test::TempDir dir;
    {
        std::string error;
        auto writer = TraceWriter::Open(dir.File("t.trace"), {.beeperPitch = 2200}, error);
        ASSERT_TRUE(writer) << error;
        for (const Reading& row : kReadings) {
            if (row.direction == 'H') {
                writer->Received(row.message);
            } else {
                writer->Sent(row.message);
            }
        }
    }
    std::istringstream lines(test::TempDir::ReadText(dir.File("t.trace")));
    std::string line;
    for (const Reading& row : kReadings) {
        ASSERT_TRUE(std::getline(lines, line)) << row.reading;
        EXPECT_EQ(line.substr(line.find(" # ") + 3), row.reading) << line;
        EXPECT_TRUE(
            std::regex_match(line, std::regex(std::string(R"(^ *\d+ )") + row.direction + " .*")))
            << line;
    }
}

} // namespace
} // namespace qx44
