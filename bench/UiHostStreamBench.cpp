// The whole way from host bytes to pixels in the running terminal: a host on 127.0.0.1 streams
// full 80 × 25 screens of coloured 0x23 text into the main window at 1024 × 768 (offscreen), and
// a screen counts as shown once the window's backing image holds its pixels.
//
// Every screen ends with its sequence number, written as the background colours of three blank
// cells of row 0 (lowest digit first), so the pixels tell which screen the window last painted.
#include "core/screen/CVantor256Attr.h"
#include "core/settings/CQX44Setting.h"
#include "support/FreePort.h"
#include "support/TcpTestClient.h"
#include "support/TempDir.h"
#include "ui/app/CQX44SimDlg.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

constexpr int kColumns = 80;
constexpr int kRows = 25;
constexpr int kDigitCells = 4;

// Palette indexes whose colours differ from each other: the digits of a sequence number.
std::vector<int> DistinctColours() {
    std::vector<int> indexes;
    std::vector<qx44::RgbColor> seen;
    for (int index = 0; index < 256; ++index) {
        const qx44::RgbColor colour = qx44::CVantor256Attr::PaletteColor(index);
        if (std::find(seen.begin(), seen.end(), colour) == seen.end()) {
            seen.push_back(colour);
            indexes.push_back(index);
        }
    }
    return indexes;
}

const std::vector<int>& Digits() {
    static const std::vector<int> digits = DistinctColours();
    return digits;
}

void PutText(Bytes& stream, int column, int row, int background, int foreground, int count,
             int seed) {
    stream.insert(stream.end(),
                  {0x02, 0x01, 0x23, static_cast<std::uint8_t>(column),
                   static_cast<std::uint8_t>(row), static_cast<std::uint8_t>(background),
                   static_cast<std::uint8_t>(foreground), static_cast<std::uint8_t>(count)});
    for (int i = 0; i < count; ++i) {
        stream.push_back(seed < 0 ? ' ' : static_cast<std::uint8_t>('!' + (seed + i) % 90));
    }
    stream.push_back(0x03);
}

// Screen `sequence`: 25 rows of text in colours that change from screen to screen, then the
// sequence number's cells.
void AppendScreen(Bytes& stream, std::size_t sequence) {
    const int base = static_cast<int>(sequence % 7);
    for (int row = 0; row < kRows; ++row) {
        const int first = row == 0 ? kDigitCells : 0;
        PutText(stream, first, row, 16 + (base + row) % 200, 231 - (base + row) % 16,
                kColumns - first, static_cast<int>(sequence) + row);
    }
    const std::vector<int>& digits = Digits();
    std::size_t rest = sequence;
    for (int cell = 0; cell < kDigitCells; ++cell) {
        PutText(stream, cell, 0, digits[rest % digits.size()], 0, 1, -1);
        rest /= digits.size();
    }
}

// The main window with a host connected, and the number of the last screen its pixels show.
class Terminal {
public:
    Terminal() : port_(qx44::test::FreePort()) {
        qx44::test::TempDir::WriteText(
            dir_.File("setting.txt"),
            "[Net]\nPortNum=" + std::to_string(port_) + "\n[Main]\nBeeping=0\n[Ports]\nCOM1=" +
                dir_.File("none1") + "\nCOM2=" + dir_.File("none2") + "\n");
        qx44::CQX44Setting::SetFilePathOverride(dir_.File("setting.txt"));
        window_ = std::make_unique<qx44::CQX44SimDlg>();
        window_->resize(1024, 768);
        window_->show();
        window_->Initialise();
        host_ = std::make_unique<qx44::test::TcpTestClient>(port_);
        // A screen leaves at once, not when the station's acknowledgement of the last one comes.
        host_->SetNoDelay();
        WaitFor([&] { return window_->Link().HasHost(); }, std::chrono::seconds(5));
        // Screen 0 replaces whatever the digit cells held, which may read as any number.
        Bytes first;
        AppendScreen(first, 0);
        host_->Send(first);
        WaitFor([&] { return ShownSequence() == std::size_t{0}; }, std::chrono::seconds(5));
    }
    ~Terminal() {
        host_.reset();
        window_.reset();
        qx44::CQX44Setting::SetFilePathOverride({});
    }

    qx44::test::TcpTestClient& Host() { return *host_; }

    // The sequence number the backing image shows, or none while the digit cells hold other
    // colours.
    std::optional<std::size_t> ShownSequence() const {
        const QImage& image = window_->TextView().BackingImage();
        const std::vector<int>& digits = Digits();
        std::size_t value = 0;
        std::size_t scale = 1;
        for (int cell = 0; cell < kDigitCells; ++cell) {
            const qx44::PixelRect rect = window_->TextScreen().CellRect(cell, 0);
            if (!image.valid(rect.left + 1, rect.top + 1)) {
                return std::nullopt;
            }
            const QRgb pixel = image.pixel(rect.left + 1, rect.top + 1);
            const auto digit = std::find_if(digits.begin(), digits.end(), [&](int index) {
                const qx44::RgbColor c = qx44::CVantor256Attr::PaletteColor(index);
                return qRgb(c.red, c.green, c.blue) == (pixel | 0xFF000000u);
            });
            if (digit == digits.end()) {
                return std::nullopt;
            }
            value += static_cast<std::size_t>(digit - digits.begin()) * scale;
            scale *= digits.size();
        }
        return value;
    }

    // Runs the event loop as the program does, calling `shown` with each sequence number the
    // window newly shows, until `done` holds or the deadline passes.
    template <typename Shown, typename Done>
    bool Watch(Shown shown, Done done, std::chrono::milliseconds deadline) {
        QTimer wake;
        wake.start(5);
        const auto end = Clock::now() + deadline;
        while (!done()) {
            if (Clock::now() > end) {
                return false;
            }
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (const auto sequence = ShownSequence()) {
                shown(*sequence, Clock::now());
            }
        }
        return true;
    }

private:
    template <typename Done> void WaitFor(Done done, std::chrono::milliseconds deadline) {
        Watch([](std::size_t, Clock::time_point) {}, done, deadline);
    }

    std::uint16_t port_;
    qx44::test::TempDir dir_;
    std::unique_ptr<qx44::CQX44SimDlg> window_;
    std::unique_ptr<qx44::test::TcpTestClient> host_;
};

// Throughput: a burst of screens, timed from its first byte until its last screen is painted.
// The bursts are made before the first is sent, so a profile of the run shows the terminal.
void BM_HostBytesToPixels(benchmark::State& state) {
    const auto screens = static_cast<std::size_t>(state.range(0));
    Terminal terminal;
    std::vector<Bytes> bursts(static_cast<std::size_t>(state.max_iterations));
    for (std::size_t burst = 0; burst < bursts.size(); ++burst) {
        for (std::size_t i = 1; i <= screens; ++i) {
            AppendScreen(bursts[burst], burst * screens + i);
        }
    }
    std::size_t burst = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const Bytes& stream = bursts[burst];
        const std::size_t last = ++burst * screens;
        std::size_t shown = 0;
        const auto start = Clock::now();
        std::thread sender([&] { terminal.Host().Send(stream); });
        const bool painted = terminal.Watch(
            [&](std::size_t sequence, Clock::time_point) { shown = std::max(shown, sequence); },
            [&] { return shown >= last; }, std::chrono::seconds(60));
        const auto elapsed = Clock::now() - start;
        sender.join();
        if (!painted) {
            state.SkipWithError("the last screen was never painted");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
        bytes += stream.size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_HostBytesToPixels)
    ->Arg(2000)
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HostBytesToPixels)
    ->Arg(20000)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Latency: a host paces screens at a steady rate (bytes per second); each screen's latency runs
// from when its last byte was sent until the window first shows it or a later screen.
void BM_LatencyWhileStreaming(benchmark::State& state) {
    const double rate = static_cast<double>(state.range(0)) * 1e6;
    constexpr std::size_t kScreens = 3000;
    Terminal terminal;
    std::vector<double> latencies;
    std::size_t next = 1;
    for (auto _ : state) {
        std::vector<Bytes> pieces(kScreens);
        for (std::size_t i = 0; i < kScreens; ++i) {
            AppendScreen(pieces[i], next + i);
        }
        const std::size_t first = next;
        next += kScreens;
        std::vector<std::atomic<std::int64_t>> sent(kScreens);
        std::atomic<std::size_t> sentCount{0};
        std::thread sender([&] {
            const auto start = Clock::now();
            double due = 0;
            for (std::size_t i = 0; i < kScreens; ++i) {
                std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                                          std::chrono::duration<double>(due)));
                terminal.Host().Send(pieces[i]);
                sent[i] = Clock::now().time_since_epoch().count();
                sentCount = i + 1;
                due += static_cast<double>(pieces[i].size()) / rate;
            }
        });
        std::size_t shown = first - 1;
        terminal.Watch(
            [&](std::size_t sequence, Clock::time_point at) {
                const std::size_t known = first + sentCount.load();
                for (; shown < sequence && shown + 1 < known; ++shown) {
                    const Clock::duration latency(at.time_since_epoch().count() -
                                                  sent[shown + 1 - first].load());
                    latencies.push_back(std::chrono::duration<double, std::milli>(latency).count());
                }
            },
            [&] { return shown >= first + kScreens - 1; }, std::chrono::seconds(120));
        sender.join();
    }
    if (latencies.empty()) {
        state.SkipWithError("no screen was shown");
        return;
    }
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double fraction) {
        return latencies[std::min(latencies.size() - 1,
                                  static_cast<std::size_t>(fraction * latencies.size()))];
    };
    state.counters["p50_ms"] = at(0.50);
    state.counters["p99_ms"] = at(0.99);
    state.counters["max_ms"] = latencies.back();
}
BENCHMARK(BM_LatencyWhileStreaming)->Arg(10)->Arg(50)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
