#include "core/hostlink/HostLink.h"
#include "core/interpreter/CVantorCmd.h"
#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/screen/ScreenDump.h"
#include "core/settings/CQX44Setting.h"
#include "support/Bytes.h"
#include "support/FakeSerialPorts.h"
#include "support/ReceiveOverTicks.h"
#include "support/RecordingBeeper.h"
#include "support/TcpTestClient.h"
#include "support/TempDir.h"
#include "support/TestUiThread.h"
#include "support/WorkingDirectory.h"

#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <set>
#include <sstream>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;

// One ```example block of the host developers' reference: its lines and where it stands.
struct Example {
    std::string name;
    int line = 0;
    std::vector<std::string> lines;
};

void PrintTo(const Example& example, std::ostream* out) {
    *out << "host-protocol.md:" << example.line;
}

// The blocks in document order, each named after its heading ("0x05_grid_size_1").
std::vector<Example> Examples() {
    std::ifstream reference(QX44_DOCS_DIR "/host-protocol.md");
    std::vector<Example> examples;
    std::string heading = "Top";
    int ofHeading = 0;
    bool inBlock = false;
    int number = 0;
    for (std::string line; std::getline(reference, line);) {
        ++number;
        if (inBlock) {
            if (line == "```") {
                inBlock = false;
            } else {
                examples.back().lines.push_back(line);
            }
        } else if (line == "```example") {
            inBlock = true;
            const std::string prefix = heading.ends_with('_') ? heading : heading + '_';
            examples.push_back({prefix + std::to_string(++ofHeading), number, {}});
        } else if (line.starts_with("## ") || line.starts_with("### ")) {
            heading.clear();
            for (const char c : line.substr(line.find(' ') + 1)) {
                if (std::isalnum(static_cast<unsigned char>(c))) {
                    heading += c;
                } else if (!heading.empty() && heading.back() != '_') {
                    heading += '_';
                }
            }
            ofHeading = 0;
        }
    }
    return examples;
}

Bytes HexBytes(std::istream& words) {
    Bytes bytes;
    for (std::string word; words >> word;) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(word, nullptr, 16)));
    }
    return bytes;
}

// What a region should hold, one line per row, as ScreenDump writes regions.
std::string Rows(int height, const std::string& row) {
    std::string out;
    for (int r = 0; r < height; ++r) {
        out += row + '\n';
    }
    return out;
}

std::string WithoutTrailingSpaces(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::size_t CharacterCount(const std::string& utf8) {
    return static_cast<std::size_t>(std::ranges::count_if(
        utf8, [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The station's core as the main window wires it, with the serial ports an example names.
struct Station {
    explicit Station(const std::string& transferPath) : link(cmd, ui, events, transferPath) {
        const CQX44Setting settings;
        cmd.SetUsbPrinterEnabled(settings.GetUsbEnabled());
        cmd.SetPrinterPortNumber(settings.GetUsbMap());
    }
    CConsoleWin screen;
    CVantorBar bar;
    test::TestUiThread ui;
    IHostLinkEvents events;
    test::FakeSerialPorts ports;
    test::RecordingBeeper beeper;
    CVantorCmd cmd{screen, bar, link, ports, beeper};
    HostLink link;
};

class HostProtocolExamplesTest : public ::testing::TestWithParam<Example> {};

// Every example of the reference, sent by a host over TCP to a station that has just started:
// the replies, tones, serial bytes, grid and cells it states are what the station gives, and
// nothing more is answered or sounded.
TEST_P(HostProtocolExamplesTest, StationDoesWhatTheReferenceSays) {
    const Example& example = GetParam();
    test::TempDir dir;
    std::string settings;
    Bytes sent;
    Bytes replies;
    std::vector<test::RecordingBeeper::Call> beeps;
    std::vector<std::pair<int, Bytes>> serial;
    std::vector<std::pair<int, std::string>> checks;
    for (std::size_t i = 0; i < example.lines.size(); ++i) {
        const std::string& line = example.lines[i];
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "host") {
            const Bytes bytes = HexBytes(words);
            sent.insert(sent.end(), bytes.begin(), bytes.end());
        } else if (kind == "reply") {
            const Bytes bytes = HexBytes(words);
            replies.insert(replies.end(), bytes.begin(), bytes.end());
        } else if (kind == "beep") {
            int hertz = 0;
            int milliseconds = 0;
            words >> hertz >> milliseconds;
            beeps.push_back({hertz, std::chrono::milliseconds(milliseconds)});
        } else if (kind == "serial") {
            int port = 0;
            words >> port;
            serial.emplace_back(port, HexBytes(words));
        } else if (kind == "setting") {
            std::string setting;
            words >> setting;
            const auto slash = setting.find('/');
            settings += "[" + setting.substr(0, slash) + "]\n" + setting.substr(slash + 1) + "\n";
        } else if (kind == "file") {
            std::string name;
            words >> name;
            test::TempDir::WriteText(dir.File(name), "x");
        } else {
            checks.emplace_back(example.line + 1 + static_cast<int>(i), line);
        }
    }
    test::TempDir::WriteText(dir.File("setting.txt"), settings);
    CQX44Setting::SetFilePathOverride(dir.File("setting.txt"));
    const test::WorkingDirectory inTemp(dir.Path());
    Station station(dir.File("tmp.bmp"));
    for (const auto& [port, bytes] : serial) {
        station.ports.With(port, [](auto&) {});
    }
    ASSERT_TRUE(station.link.StartListening(0));
    test::TcpTestClient host(station.link.Listener().Port());
    pollfd pfd{station.link.Listener().Fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, 5000), 1);
    station.link.AcceptHost();

    // The identity query after the example: once it is answered, everything before it is done,
    // and a reply the example does not list would come in place of the last bytes expected.
    const Bytes query = {0x02, 0x01, 0x11, 0x03};
    const Bytes answer = {0x02, 0x01, 0x14, 0x10, 0x03};
    host.Send(sent);
    host.Send(query);
    replies.insert(replies.end(), answer.begin(), answer.end());
    const std::string where = "host-protocol.md:" + std::to_string(example.line) + ": ";
    EXPECT_EQ(test::Hex(test::ReceiveOverTicks(station.link, host, replies.size(), 20ms)),
              test::Hex(replies))
        << where << "replies";
    EXPECT_EQ(station.beeper.Calls(), beeps) << where << "tones";
    for (const auto& [port, bytes] : serial) {
        EXPECT_EQ(test::Hex(station.ports.With(port, [](auto& line) { return line.written; })),
                  test::Hex(bytes))
            << where << "COM" << port;
    }

    for (const auto& [number, line] : checks) {
        SCOPED_TRACE("host-protocol.md:" + std::to_string(number) + ": " + line);
        std::istringstream words(line.substr(0, line.find('"')));
        const auto open = line.find('"');
        const std::string quoted =
            open == std::string::npos ? "" : line.substr(open + 1, line.rfind('"') - open - 1);
        std::string kind;
        words >> kind;
        const CDosScreen& screen =
            kind == "status" ? static_cast<const CDosScreen&>(station.bar) : station.screen;
        if (kind == "status") {
            words >> kind;
        }
        const auto snapshot = screen.Snapshot();
        if (kind == "grid") {
            std::string size;
            words >> size;
            EXPECT_EQ(std::to_string(snapshot.columns) + "x" + std::to_string(snapshot.rows), size);
            continue;
        }
        int column = -1;
        int row = -1;
        words >> column >> row;
        if (kind == "text") {
            const int width = static_cast<int>(CharacterCount(quoted));
            EXPECT_EQ(ScreenDump::Text(snapshot, column, row, width, 1),
                      WithoutTrailingSpaces(quoted) + "\n");
        } else if (kind == "cells") {
            int width = 0;
            int height = 0;
            char by = 0;
            std::string attribute;
            words >> width >> by >> height >> attribute;
            ASSERT_EQ(by, 'x');
            EXPECT_EQ(ScreenDump::Attributes(snapshot, column, row, width, height),
                      Rows(height, attribute + (width > 1 ? "*" + std::to_string(width) : "")));
            if (open != std::string::npos) {
                std::string shown;
                for (int c = 0; c < width; ++c) {
                    shown += quoted;
                }
                EXPECT_EQ(ScreenDump::Text(snapshot, column, row, width, height),
                          Rows(height, WithoutTrailingSpaces(shown)));
            }
        } else {
            ADD_FAILURE() << "an example line this test does not know";
        }
    }
    CQX44Setting::SetFilePathOverride({});
}

INSTANTIATE_TEST_SUITE_P(Reference, HostProtocolExamplesTest, ::testing::ValuesIn(Examples()),
                         [](const auto& info) { return info.param.name; });

// The reference shows its examples as blocks this test reads; a reference without them would
// leave the test above with nothing to check.
TEST(HostProtocolExamplesTest, ReferenceHasExamplesForTheScreenCommands) {
    std::set<std::string> headings;
    for (const Example& example : Examples()) {
        headings.insert(example.name.substr(0, example.name.find('_')));
    }
    for (const char* code :
         {"0x05", "0x09", "0x0A", "0x0D", "0x0E", "0x23", "0x32", "0x3E", "0x3F", "0x78"}) {
        EXPECT_TRUE(headings.contains(code)) << code;
    }
}

} // namespace
} // namespace qx44
