// The host's byte stream through the framing into the real interpreter, screens and fake serial
// devices, in the reads the input asks for. Paint holds must pair up and every reply must be one
// well-formed station message. A sample of the inputs is also framed whole and byte by byte, and
// all three framings must hand on the same messages and pictures.
#include "SplitInput.h"
#include "core/hostlink/MessageFramer.h"
#include "core/interpreter/CVantorCmd.h"
#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/settings/CQX44Setting.h"
#include "support/FakeSerialPorts.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace qx44 {
namespace {

constexpr std::uint8_t kStationAddress = 1;
constexpr int kPrinterCom = 3;
constexpr int kColumns = 80;
constexpr int kRows = 25;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

class SilentBeeper : public IBeeper {
public:
    void Beep(int, std::chrono::milliseconds, const CancelToken&) override {}
};

// Keeps what the station sends, and checks that each send is one message in the envelope.
class ReplyChecker : public IHostSender {
public:
    void SendToHost(std::span<const std::uint8_t> bytes) override {
        Check(bytes.size() >= 4 && bytes[0] == kStx && bytes[1] == kStationAddress &&
              bytes.back() == kEtx);
        switch (bytes[2]) {
        case 0x35:
            Check(bytes.size() == 4);
            break;
        case 0x12:
        case 0x14:
        case 0x22:
        case 0x2B:
        case 0x52:
            Check(bytes.size() == 5);
            break;
        case 0x2E:
        case 0x34:
            Check(bytes.size() == 6);
            break;
        case 0x33: // the media file list: 0x00, then the names
            Check(bytes[3] == 0x00);
            break;
        default:
            Check(false);
        }
    }
};

// What one framing of the stream handed on, in order, when it is recording; passed on to the
// interpreter when it has one.
class RecordingSink : public IHostMessageSink {
public:
    explicit RecordingSink(IHostMessageSink* next = nullptr) : next_(next) {}

    void DispatchHostMessage(std::uint8_t address, std::uint8_t code,
                             std::span<const std::uint8_t> message,
                             const CancelToken& connectionClosing) override {
        Check(held && !message.empty() && message[0] == kStx && message.size() >= 4 &&
              address == message[1] && code == message[2]);
        if (recording) {
            events.emplace_back(message.begin(), message.end());
        }
        if (next_ != nullptr) {
            next_->DispatchHostMessage(address, code, message, connectionClosing);
        }
    }
    void ShowHostPicture(int column, int row, const std::string& path) override {
        if (!recording) {
            return;
        }
        std::ifstream file(path, std::ios::binary);
        std::string event = "picture " + std::to_string(column) + "," + std::to_string(row) + ":";
        event.append(std::istreambuf_iterator<char>(file), {});
        events.push_back(std::move(event));
    }
    void HoldScreenRepaint(bool hold) override {
        Check(hold != held);
        held = hold;
        if (next_ != nullptr) {
            next_->HoldScreenRepaint(hold);
        }
    }

    std::vector<std::string> events;
    bool held = false;
    bool recording = false;

private:
    IHostMessageSink* next_;
};

// Everything that costs more than a message: made once, reused by every input.
struct Station {
    Station()
        : folder(MakeFolder()),
          settingsPath((CQX44Setting::SetFilePathOverride(folder + "/setting.txt"), folder)),
          cmd(screen, bar, replies, ports, beeper) {
        for (int com : {1, 2, kPrinterCom}) {
            ports.With(com, [](test::FakeSerialPorts::Line&) {});
        }
        cmd.SetPrinterPortNumber(kPrinterCom);
        cmd.SetUsbPrinterEnabled(true);
        // Handlers must not wait: beeps and the printer's answer time are skipped.
        handlerWaits.Cancel();
        whole.recording = true;
        bytewise.recording = true;
    }
    ~Station() { std::filesystem::remove_all(folder); }
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;

    static std::string MakeFolder() {
        // Memory-backed when the machine has it: the settings writer syncs every write.
        std::string pattern =
            ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/qx44fuzz-XXXXXX" : "/tmp/qx44fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        return pattern;
    }

    // Each input starts on the grid a host first sees: a mode left by an earlier input would
    // make every later one slower and unrepeatable. Clearing the cells too would cost more than
    // most inputs do.
    void StartInput() {
        if (screen.Columns() != kColumns || screen.Rows() != kRows) {
            screen.SetGridSize(kColumns, kRows);
        }
        for (int com : {1, 2, kPrinterCom}) {
            ports.With(com, [](test::FakeSerialPorts::Line& line) { line.written.clear(); });
        }
    }

    std::string folder;
    std::string settingsPath;
    CConsoleWin screen;
    CVantorBar bar;
    ReplyChecker replies;
    test::FakeSerialPorts ports;
    SilentBeeper beeper;
    CVantorCmd cmd;
    CancelToken open;
    CancelToken handlerWaits;
    RecordingSink interpreted{&cmd};
    RecordingSink whole;
    RecordingSink bytewise;
    MessageFramer interpretedFramer{interpreted, folder + "/interpreted.bmp"};
    MessageFramer wholeFramer{whole, folder + "/whole.bmp"};
    MessageFramer bytewiseFramer{bytewise, folder + "/bytewise.bmp"};
};

// Feeds the input's stream in pieces of `size(turn, left)` bytes.
template <class PieceSize>
void Feed(MessageFramer& framer, RecordingSink& sink, std::span<const std::uint8_t> stream,
          PieceSize&& size, Station& station) {
    framer.Reset();
    sink.events.clear();
    for (std::size_t turn = 0; !stream.empty(); ++turn) {
        const auto space = framer.Buffer().FreeSpace();
        const std::size_t n = std::min(size(turn, stream.size()), space.size());
        std::copy_n(stream.begin(), n, space.begin());
        framer.Buffer().Advance(n);
        Check(framer.ProcessReceived(station.open, station.handlerWaits));
        Check(!sink.held);
        stream = stream.subspan(n);
    }
}

} // namespace
} // namespace qx44

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qx44;
    static Station station;
    const std::span<const std::uint8_t> input(data, size);
    const fuzz::SplitInput split(input);

    // Framing whole and byte by byte costs more than the interpreter's own pass: a sample of
    // the inputs is enough to keep the framings in step.
    const bool compare = fuzz::SplitInput::Sampled(input, QX44_FUZZ_SAMPLE);
    station.StartInput();
    station.interpreted.recording = compare;
    Feed(
        station.interpretedFramer, station.interpreted, split.Stream(),
        [&](std::size_t turn, std::size_t left) { return split.Piece(turn, left); }, station);
    if (compare) {
        Feed(
            station.wholeFramer, station.whole, split.Stream(),
            [](std::size_t, std::size_t left) { return left; }, station);
        Feed(
            station.bytewiseFramer, station.bytewise, split.Stream(),
            [](std::size_t, std::size_t) { return std::size_t{1}; }, station);
        Check(station.whole.events == station.bytewise.events);
        Check(station.whole.events == station.interpreted.events);
    }
    return 0;
}
