#include "core/hostlink/MessageFramer.h"

#include "support/Bytes.h"
#include "support/RecordingLog.h"
#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace qx44 {
namespace {

using test::Bytes;
using test::Concat;
using test::Hex;

// Records what the framing hands on, in order, as readable lines.
class RecordingSink : public IHostMessageSink {
public:
    explicit RecordingSink(std::string transferPath) : transferPath_(std::move(transferPath)) {}

    void DispatchHostMessage(std::uint8_t address, std::uint8_t code,
                             std::span<const std::uint8_t> message, const CancelToken&) override {
        EXPECT_EQ(address, message[1]);
        EXPECT_EQ(code, message[2]);
        events.push_back("msg " + Hex(message));
        if (throwOnCode && code == *throwOnCode) {
            throw std::runtime_error("handler failed");
        }
    }
    void ShowHostPicture(int column, int row, const std::string& path) override {
        EXPECT_EQ(path, transferPath_);
        std::ifstream file(path, std::ios::binary);
        const Bytes content((std::istreambuf_iterator<char>(file)), {});
        events.push_back("pic " + std::to_string(column) + "," + std::to_string(row) + " " +
                         Hex(content));
    }
    void HoldScreenRepaint(bool hold) override {
        EXPECT_NE(held, hold) << "holds must alternate";
        held = hold;
    }

    std::vector<std::string> events;
    bool held = false;
    std::optional<std::uint8_t> throwOnCode;

private:
    std::string transferPath_;
};

struct Harness {
    test::TempDir dir;
    std::string path = dir.File("tmp.bmp");
    RecordingSink sink{path};
    MessageFramer framer{sink, path};
    CancelToken closing;

    void Feed(std::span<const std::uint8_t> bytes) {
        while (!bytes.empty()) {
            auto space = framer.Buffer().FreeSpace();
            const std::size_t n = std::min(space.size(), bytes.size());
            std::copy_n(bytes.begin(), n, space.begin());
            framer.Buffer().Advance(n);
            framer.ProcessReceived(closing, closing);
            bytes = bytes.subspan(n);
        }
        EXPECT_FALSE(sink.held);
    }
};

std::vector<std::string> FrameInChunks(const Bytes& stream, const std::vector<std::size_t>& cuts) {
    Harness h;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        h.Feed(std::span(stream).subspan(from, cut - from));
        from = cut;
    }
    h.Feed(std::span(stream).subspan(from));
    return h.sink.events;
}

// A BMP-like file: only the signature and the size field matter to the framing.
Bytes BitmapFile(std::uint32_t size) {
    Bytes file(size, 0x5A);
    file[0] = 'B';
    file[1] = 'M';
    for (int i = 0; i < 4; ++i) {
        file[2 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    }
    return file;
}

Bytes TextMessage0D(std::size_t count) {
    Bytes m = {0x02,
               0x01,
               0x0D,
               0x00,
               0x00,
               0x07,
               static_cast<std::uint8_t>(count >> 8),
               static_cast<std::uint8_t>(count & 0xFF)};
    m.insert(m.end(), count, 'a');
    m.push_back(0x03);
    return m;
}

struct FramingCase {
    const char* name;
    Bytes stream;
    std::vector<std::string> expected;
};

std::vector<FramingCase> FramingCases() {
    const Bytes file58 = BitmapFile(58);
    std::vector<FramingCase> cases = {
        {"four byte code", {0x02, 0x01, 0x20, 0x03}, {"msg 02 01 20 03"}},
        {"five byte code", {0x02, 0x01, 0x10, 0x05, 0x03}, {"msg 02 01 10 05 03"}},
        {"garbage before stx", {0x41, 0x42, 0x02, 0x01, 0x05, 0x07, 0x03}, {"msg 02 01 05 07 03"}},
        {"no etx where the rule ends",
         {0x02, 0x01, 0x10, 0x05, 0x04, 0x02, 0x01, 0x20, 0x03},
         {"msg 02 01 20 03"}},
        {"six and eight byte codes",
         {0x02, 0x01, 0x06, 1, 2, 0x03, 0x02, 0x01, 0x24, 1, 2, 3, 4, 0x03},
         {"msg 02 01 06 01 02 03", "msg 02 01 24 01 02 03 04 03"}},
        {"nine ten thirteen",
         Concat({{0x02, 0x01, 0x3E, 1, 2, 3, 4, 5, 0x03},
                 {0x02, 0x01, 0x0E, 0, 0, 80, 25, 0x41, 0x17, 0x03},
                 {0x02, 0x01, 0x3F, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x03}}),
         {"msg 02 01 3E 01 02 03 04 05 03", "msg 02 01 0E 00 00 50 19 41 17 03",
          "msg 02 01 3F 01 02 03 04 05 06 07 08 09 03"}},
        {"serial data counted by byte 3",
         {0x02, 0x01, 0x0F, 0x03, 0x41, 0x03, 0x43, 0x03},
         {"msg 02 01 0F 03 41 03 43 03"}},
        {"status text counted by byte 6",
         {0x02, 0x01, 0x32, 0x00, 0x07, 0x00, 0x02, 0x48, 0x69, 0x03},
         {"msg 02 01 32 00 07 00 02 48 69 03"}},
        {"text counted by byte 7",
         {0x02, 0x01, 0x23, 0x0A, 0x05, 0xD2, 0x00, 0x02, 0x48, 0x69, 0x03},
         {"msg 02 01 23 0A 05 D2 00 02 48 69 03"}},
        {"play list with address 3",
         {0x02, 0x03, 0x40, 0x03, 0x03, 0x03, 0x03, 0x03, 0x61, 0x03},
         {"msg 02 03 40 03 03 03 03 03 61 03"}},
        {"play list without its etx within the hand-off area is dropped",
         Concat({{0x02, 0x01, 0x40},
                 Bytes(CCommand_Buffer::kLongestPlayList, 0x61),
                 {0x03, 0x02, 0x01, 0x20, 0x03}}),
         {"msg 02 01 20 03"}},
        {"bitmap then etx dropped",
         Concat({{0x02, 0x01, 0x33, 0x05, 0x02}, file58, {0x03}}),
         {"pic 5,2 " + Hex(file58)}},
        {"bitmap followed by a message",
         Concat({{0x02, 0x01, 0x33, 0x05, 0x02}, file58, {0x03, 0x02, 0x01, 0x20, 0x03}}),
         {"pic 5,2 " + Hex(file58), "msg 02 01 20 03"}},
        {"message with a long text count", TextMessage0D(256), {"msg " + Hex(TextMessage0D(256))}},
    };
    return cases;
}

TEST(MessageFramerTest, SameMessagesWholeByteByByteAndInRandomSplits) {
    std::mt19937 random(4400);
    for (const auto& c : FramingCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FrameInChunks(c.stream, {}), c.expected);

        std::vector<std::size_t> everyByte;
        for (std::size_t i = 1; i < c.stream.size(); ++i) {
            everyByte.push_back(i);
        }
        EXPECT_EQ(FrameInChunks(c.stream, everyByte), c.expected);

        for (int round = 0; round < 20; ++round) {
            std::vector<std::size_t> cuts;
            for (std::size_t i = 1; i < c.stream.size(); ++i) {
                if (random() % 4 == 0) {
                    cuts.push_back(i);
                }
            }
            EXPECT_EQ(FrameInChunks(c.stream, cuts), c.expected);
        }
    }
}

TEST(MessageFramerTest, AllCasesInOneStreamKeepTheirOrder) {
    Bytes stream;
    std::vector<std::string> expected;
    for (const auto& c : FramingCases()) {
        stream.insert(stream.end(), c.stream.begin(), c.stream.end());
        expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    }
    EXPECT_EQ(FrameInChunks(stream, {}), expected);
    EXPECT_EQ(FrameInChunks(stream, {1, 7, 100, 101, 333, 400}), expected);
}

TEST(MessageFramerTest, LengthRuleOfEveryCode) {
    // Each code followed by enough filler; the message must end exactly where its rule says.
    struct Rule {
        std::vector<std::uint8_t> codes;
        std::size_t length;
    };
    const std::vector<Rule> rules = {
        {{0x05, 0x10, 0x21, 0x26, 0x2B, 0x2D, 0x42}, 5},
        {{0x06, 0x22}, 6},
        {{0x24}, 8},
        {{0x09, 0x0A, 0x25, 0x3E}, 9},
        {{0x0E}, 10},
        {{0x3F}, 13},
        {{0x00, 0x01, 0x04, 0x07, 0x08, 0x0B, 0x0C, 0x11, 0x1E, 0x20, 0x27, 0x2A,
          0x2C, 0x2E, 0x31, 0x34, 0x3D, 0x41, 0x43, 0x4F, 0x51, 0x77, 0x79, 0xFF},
         4},
    };
    for (const auto& rule : rules) {
        for (std::uint8_t code : rule.codes) {
            SCOPED_TRACE(static_cast<int>(code));
            Bytes message(rule.length, 0x07);
            message[0] = 0x02;
            message[1] = 0x01;
            message[2] = code;
            message.back() = 0x03;
            // A one byte longer message would end on 0x07 and be dropped.
            EXPECT_EQ(FrameInChunks(message, {}), std::vector<std::string>{"msg " + Hex(message)});
        }
    }
}

TEST(MessageFramerTest, CountedLengths) {
    Harness h;
    CCommand_Buffer& buffer = h.framer.Buffer();
    const auto lengthOf = [&](const Bytes& header) -> std::optional<std::size_t> {
        buffer.Clear();
        auto space = buffer.FreeSpace();
        std::copy(header.begin(), header.end(), space.begin());
        buffer.Advance(header.size());
        buffer.Advance(70000 - header.size());
        return buffer.FindMessageEnd();
    };
    EXPECT_EQ(lengthOf({0x02, 0x01, 0x0D, 0, 0, 0, 0x01, 0x00}), 265u);
    EXPECT_EQ(lengthOf({0x02, 0x01, 0x0D, 0, 0, 0, 0xFF, 0xFF}), 65544u);
    EXPECT_EQ(lengthOf({0x02, 0x01, 0x0F, 200}), 205u);
    EXPECT_EQ(lengthOf({0x02, 0x01, 0x1F, 0}), 5u);
    EXPECT_EQ(lengthOf({0x02, 0x01, 0x50, 255}), 260u);
    EXPECT_EQ(lengthOf({0x02, 0x01, 0x32, 0, 0, 0, 255}), 263u);
    EXPECT_EQ(lengthOf({0x02, 0x01, 0x23, 0, 0, 0, 0, 255}), 264u);
    EXPECT_EQ(lengthOf({0x02, 0x01, 0x78, 0, 0, 0, 0, 10}), 19u);
}

TEST(MessageFramerTest, IncompleteHeadersWait) {
    for (const Bytes& partial : std::vector<Bytes>{{0x02, 0x01},
                                                   {0x02, 0x01, 0x20},
                                                   {0x02, 0x01, 0x0D, 0, 0, 0, 0x01},
                                                   {0x02, 0x01, 0x23, 0, 0, 0, 0},
                                                   {0x02, 0x01, 0x0D, 0, 0, 0, 0x00, 0x02, 'a'}}) {
        SCOPED_TRACE(Hex(partial));
        Harness h;
        h.Feed(partial);
        EXPECT_TRUE(h.sink.events.empty());
        EXPECT_EQ(h.framer.Buffer().Buffered(), partial.size());
    }
}

TEST(MessageFramerTest, BitmapEndingWithTheReadWaitsForOneMoreByte) {
    const Bytes file = BitmapFile(58);
    Harness h;
    h.Feed(Concat({{0x02, 0x01, 0x33, 0x05, 0x02}, file}));
    EXPECT_TRUE(h.sink.events.empty());
    EXPECT_TRUE(h.framer.TransferInProgress());
    h.Feed(Bytes{0x03});
    EXPECT_EQ(h.sink.events, std::vector<std::string>{"pic 5,2 " + Hex(file)});
    EXPECT_FALSE(h.framer.TransferInProgress());
}

TEST(MessageFramerTest, BitmapHeaderNeedsItsSizeField) {
    Harness h;
    h.Feed(Bytes{0x02, 0x01, 0x33, 0x01, 0x01, 'B', 'M', 0x0E, 0x00, 0x00});
    EXPECT_TRUE(h.sink.events.empty());
    EXPECT_FALSE(h.framer.TransferInProgress());
    EXPECT_EQ(h.framer.Buffer().Buffered(), 10u);
}

TEST(MessageFramerTest, ImplausibleBitmapSizeIsNotATransfer) {
    // Size field 0x10000000 (256 MiB): the STX is dropped and framing resynchronises.
    const Bytes bogus = {0x02, 0x01, 0x33, 0x01, 0x01, 'B', 'M', 0x00, 0x00, 0x00, 0x10, 0x03};
    const Bytes next = {0x02, 0x01, 0x20, 0x03};
    Harness h;
    h.Feed(Concat({bogus, next}));
    EXPECT_EQ(h.sink.events, std::vector<std::string>{"msg 02 01 20 03"});
    EXPECT_FALSE(h.framer.TransferInProgress());
}

TEST(MessageFramerTest, UnwritableTransferFileKeepsTheStreamInStep) {
    test::TempDir dir;
    const std::string path = dir.File("missing-folder/tmp.bmp");
    RecordingSink sink(path);
    MessageFramer framer(sink, path);
    CancelToken closing;
    const Bytes stream =
        Concat({{0x02, 0x01, 0x33, 0x00, 0x00}, BitmapFile(40), {0x03, 0x02, 0x01, 0x20, 0x03}});
    for (std::uint8_t b : stream) {
        framer.Buffer().FreeSpace()[0] = b;
        framer.Buffer().Advance(1);
        framer.ProcessReceived(closing, closing);
    }
    EXPECT_EQ(sink.events, std::vector<std::string>{"msg 02 01 20 03"}) << "no picture to show";
}

// Something planted where the transfer file goes never receives host data, nor holds the
// receive thread up; the stream stays in step.
TEST(MessageFramerTest, PlantedTransferFileIsNotWrittenThrough) {
    const struct {
        const char* name;
        int (*plant)(const char* victim, const char* path);
    } cases[] = {
        {"symbolic link",
         [](const char* victim, const char* path) { return ::symlink(victim, path); }},
        {"hard link", [](const char* victim, const char* path) { return ::link(victim, path); }},
        {"named pipe", [](const char*, const char* path) { return ::mkfifo(path, 0600); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        const std::string victim = h.dir.File("victim");
        test::TempDir::WriteText(victim, "keep");
        ASSERT_EQ(c.plant(victim.c_str(), h.path.c_str()), 0);
        h.Feed(Concat(
            {{0x02, 0x01, 0x33, 0x00, 0x00}, BitmapFile(40), {0x03, 0x02, 0x01, 0x20, 0x03}}));
        EXPECT_EQ(h.sink.events, std::vector<std::string>{"msg 02 01 20 03"});
        EXPECT_EQ(test::TempDir::ReadText(victim), "keep");
    }
}

TEST(MessageFramerTest, SecondTransferTruncatesTheFile) {
    const Bytes big = BitmapFile(100);
    const Bytes small = BitmapFile(20);
    EXPECT_EQ(
        FrameInChunks(
            Concat(
                {{0x02, 0x01, 0x33, 1, 1}, big, {0x03}, {0x02, 0x01, 0x33, 2, 2}, small, {0x03}}),
            {50}),
        (std::vector<std::string>{"pic 1,1 " + Hex(big), "pic 2,2 " + Hex(small)}));
}

TEST(MessageFramerTest, FailingHandlerLosesOnlyItsMessage) {
    Harness h;
    h.sink.throwOnCode = 0x20;
    h.Feed(Bytes{0x02, 0x01, 0x20, 0x03, 0x02, 0x01, 0x21, 0x00, 0x03});
    EXPECT_EQ(h.sink.events, (std::vector<std::string>{"msg 02 01 20 03", "msg 02 01 21 00 03"}));
}

TEST(MessageFramerTest, LongMessageIsCutToTheHandOffArea) {
    Harness h;
    const Bytes message = TextMessage0D(5000);
    h.Feed(message);
    ASSERT_EQ(h.sink.events.size(), 1u);
    EXPECT_EQ(h.sink.events[0],
              "msg " + Hex(std::span(message).first(MessageFramer::kHandOffSize)));
}

TEST(MessageFramerTest, ClosingConnectionStopsBetweenMessages) {
    Harness h;
    h.closing.Cancel();
    auto space = h.framer.Buffer().FreeSpace();
    const Bytes two = {0x02, 0x01, 0x20, 0x03, 0x02, 0x01, 0x20, 0x03};
    std::copy(two.begin(), two.end(), space.begin());
    h.framer.Buffer().Advance(two.size());
    EXPECT_FALSE(h.framer.ProcessReceived(h.closing, h.closing));
    EXPECT_TRUE(h.sink.events.empty());
    EXPECT_FALSE(h.sink.held);
}

// Whatever the framing drops, it says what and why when asked to.
TEST(MessageFramerTest, SaysWhatItDrops) {
    test::RecordingLog log;
    Harness h;
    Bytes playList = {0x02, 0x01, 0x40};
    playList.resize(CCommand_Buffer::kLongestPlayList, 'a');
    h.Feed(Concat({Bytes{'x', 'y', 'z', 0x02, 0x01, 0x05, 0x01, 0x04},
                   Bytes{0x02, 0x01, 0x33, 0, 0, 'B', 'M', 0xFF, 0xFF, 0xFF, 0xFF}, playList}));
    EXPECT_EQ(log.TakeLines(),
              (std::vector<std::string>{
                  "dropped 3 bytes that were not in a message",
                  "dropped a message with code 0x05: its byte 4 should be ETX but is 0x04",
                  "dropped a picture transfer announcing 4294967295 bytes, more than 67108864",
                  "dropped 10 bytes that were not in a message",
                  "dropped a play list (code 0x40) with no ETX in its first 3500 bytes",
                  "dropped 3499 bytes that were not in a message"}));
    EXPECT_TRUE(h.sink.events.empty());
}

} // namespace
} // namespace qx44
