// Host stream turned into cells: framing, dispatch and the real screen handlers, with the heap
// allocations they make counted per message.
#include "CountingAllocator.h"
#include "FeedInReads.h"
#include "core/hostlink/CSerialException.h"
#include "core/hostlink/IHostSender.h"
#include "core/hostlink/MessageFramer.h"
#include "core/interpreter/CVantorCmd.h"
#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/trace/TraceWriter.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

class NoHost : public qx44::IHostSender {
public:
    void SendToHost(std::span<const std::uint8_t>) override {}
};

// The stream has no device commands; these only complete the interpreter.
class NoSerialDevices : public qx44::ISerialDeviceFactory {
public:
    std::unique_ptr<qx44::ISerialDevice> CreateDevice() override {
        return std::make_unique<Absent>();
    }

private:
    class Absent : public qx44::ISerialDevice {
    public:
        void Open(int, const qx44::SerialLineSettings&) override {
            throw qx44::CSerialException(ENOENT);
        }
        void Close() override {}
        bool IsOpen() const override { return false; }
        std::size_t Read(std::span<std::uint8_t>) override { return 0; }
        std::size_t Write(std::span<const std::uint8_t>) override { return 0; }
        qx44::SerialQueueStatus QueryStatus() override { return {}; }
        void SetTimeouts(const qx44::SerialTimeouts&) override {}
    };
};

class SilentBeeper : public qx44::IBeeper {
public:
    void Beep(int, std::chrono::milliseconds, const qx44::CancelToken&) override {}
};

// Passes every message on and counts them.
class CountingSink : public qx44::IHostMessageSink {
public:
    explicit CountingSink(qx44::IHostMessageSink& next) : next_(next) {}
    void DispatchHostMessage(std::uint8_t address, std::uint8_t code,
                             std::span<const std::uint8_t> message,
                             const qx44::CancelToken& closing) override {
        ++messages;
        next_.DispatchHostMessage(address, code, message, closing);
    }
    void ShowHostPicture(int column, int row, const std::string& path) override {
        next_.ShowHostPicture(column, row, path);
    }
    void HoldScreenRepaint(bool hold) override { next_.HoldScreenRepaint(hold); }
    std::size_t messages = 0;

private:
    qx44::IHostMessageSink& next_;
};

void Append(Bytes& stream, std::initializer_list<std::uint8_t> head, std::size_t payload) {
    stream.insert(stream.end(), head);
    stream.insert(stream.end(), payload, 'x');
    stream.push_back(0x03);
}

// Mostly text (0x23 and 0x0D), some fills, a few tables, on a 169 x 51 grid.
Bytes HostSession(std::size_t approxSize) {
    Bytes stream;
    Append(stream, {0x02, 0x01, 0x05, 0x06}, 0);
    for (int i = 0; stream.size() < approxSize; ++i) {
        const auto row = static_cast<std::uint8_t>(i % 51);
        Append(stream, {0x02, 0x01, 0x23, 10, row, 0xD2, 0x00, 60}, 60);
        Append(stream, {0x02, 0x01, 0x0D, 0, row, 0x1F, 0x00, 120}, 120);
        if (i % 8 == 0) {
            Append(stream, {0x02, 0x01, 0x0E, 0, row, 169, 4, 0x20}, 1);
        }
        if (i % 32 == 0) {
            Append(stream, {0x02, 0x01, 0x3F, 2, 2, 100, 40, 5, 8, 0xD2, 0x00}, 1);
        }
    }
    return stream;
}

void BM_HostStreamToCells(benchmark::State& state) {
    static const Bytes stream = HostSession(1 << 20);
    const std::string settings = "/tmp/qx44-bench-setting.txt";
    ::setenv("QX44SIM_SETTINGS", settings.c_str(), 1);
    qx44::CConsoleWin screen;
    qx44::CVantorBar bar;
    NoHost host;
    NoSerialDevices serialDevices;
    SilentBeeper beeper;
    qx44::CVantorCmd cmd(screen, bar, host, serialDevices, beeper);
    CountingSink counting(cmd);
    qx44::CancelToken closing;
    const std::size_t readSize = 1460;
    std::size_t leftOut = 0;
    std::size_t allocations = 0;
    for (auto _ : state) {
        // Traced: every line written to the file is inside the time (the writer's end joins it).
        std::string error;
        auto trace = state.range(0) == 0
                         ? nullptr
                         : qx44::TraceWriter::Open("/tmp/qx44-bench.trace", {}, error);
        qx44::MessageFramer framer(counting, "/dev/null",
                                   trace ? *trace : qx44::IHostTrace::None());
        const std::size_t allocationsBefore = qx44bench::gAllocations.load();
        FeedInReads(framer, stream, readSize, closing);
        allocations += qx44bench::gAllocations.load() - allocationsBefore;
        leftOut += trace ? trace->LeftOut() : 0;
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
    state.counters["trace_lines_left_out"] = static_cast<double>(leftOut);
    state.counters["messages/s"] =
        benchmark::Counter(static_cast<double>(counting.messages), benchmark::Counter::kIsRate);
    state.counters["allocs/msg"] = static_cast<double>(allocations) /
                                   static_cast<double>(std::max<std::size_t>(counting.messages, 1));
}
BENCHMARK(BM_HostStreamToCells)->ArgName("trace")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One table message with the most bands a host can send on a table one row high and no columns
// wide: nearly every divider falls on a line another one has drawn.
void BM_OverfullTable(benchmark::State& state) {
    qx44::CConsoleWin screen;
    for (auto _ : state) {
        benchmark::DoNotOptimize(screen.DrawTable(3, 1, 0, 1, 252, 255, 0xD2, 0x00, 1));
    }
    state.counters["tables/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_OverfullTable)->Unit(benchmark::kMicrosecond);

} // namespace
