// Host stream throughput of the framing and dispatch, with a handler that only counts.
#include "FeedInReads.h"
#include "core/hostlink/MessageFramer.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

class CountingSink : public qx44::IHostMessageSink {
public:
    void DispatchHostMessage(std::uint8_t, std::uint8_t, std::span<const std::uint8_t>,
                             const qx44::CancelToken&) override {
        ++messages;
    }
    void ShowHostPicture(int, int, const std::string&) override {}
    void HoldScreenRepaint(bool) override {}
    std::size_t messages = 0;
};

void Append(Bytes& stream, std::initializer_list<std::uint8_t> head, std::size_t payload) {
    stream.insert(stream.end(), head);
    stream.insert(stream.end(), payload, 'x');
    stream.push_back(0x03);
}

// What a host typically sends: mostly text, some fills and clears, a few tables and queries.
Bytes MixedStream(std::size_t approxSize) {
    Bytes stream;
    while (stream.size() < approxSize) {
        Append(stream, {0x02, 0x01, 0x23, 10, 5, 0xD2, 0x00, 40}, 40);
        Append(stream, {0x02, 0x01, 0x0D, 0, 6, 0x07, 0x00, 80}, 80);
        Append(stream, {0x02, 0x01, 0x0E, 0, 0, 80, 25, 0x41}, 1);
        Append(stream, {0x02, 0x01, 0x3E, 0, 0, 80, 25}, 1);
        Append(stream, {0x02, 0x01, 0x3F, 2, 2, 30, 10, 3, 2, 210, 0}, 1);
        Append(stream, {0x02, 0x01, 0x11}, 0);
    }
    return stream;
}

Bytes SmallMessages(std::size_t count) {
    Bytes stream;
    for (std::size_t i = 0; i < count; ++i) {
        Append(stream, {0x02, 0x01, 0x20}, 0);
    }
    return stream;
}

void Frame(benchmark::State& state, const Bytes& stream, std::size_t readSize) {
    CountingSink sink;
    qx44::MessageFramer framer(sink, "/dev/null");
    qx44::CancelToken closing;
    for (auto _ : state) {
        FeedInReads(framer, stream, readSize, closing);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
    state.counters["messages/s"] =
        benchmark::Counter(static_cast<double>(sink.messages), benchmark::Counter::kIsRate);
}

void BM_MixedMessages(benchmark::State& state) {
    static const Bytes stream = MixedStream(1 << 20);
    Frame(state, stream, static_cast<std::size_t>(state.range(0)));
}
BENCHMARK(BM_MixedMessages)->Arg(1460)->Arg(65536);

// One read holding thousands of four-byte messages.
void BM_OneReadOfSmallMessages(benchmark::State& state) {
    const Bytes stream = SmallMessages(static_cast<std::size_t>(state.range(0)));
    Frame(state, stream, stream.size());
}
BENCHMARK(BM_OneReadOfSmallMessages)->Arg(1000)->Arg(10000)->Arg(50000);

} // namespace
