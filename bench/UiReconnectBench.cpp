// Hosts reconnecting back to back to the running terminal (its main window, offscreen): how long
// a new host waits to be accepted, and how many connections a second the station takes.
#include "core/settings/CQX44Setting.h"
#include "support/FreePort.h"
#include "ui/app/CQX44SimDlg.h"

#include <QApplication>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
const std::uint16_t kPort = qx44::test::FreePort();

int Connect() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    return fd;
}

// Runs `client` on a thread of its own while the UI thread serves, as in the running program;
// returns how long that took, in seconds.
template <typename Client> double WhileServing(Client client) {
    const auto start = Clock::now();
    std::atomic<bool> done{false};
    std::thread thread([&] {
        client();
        done = true;
    });
    while (!done) {
        QApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    thread.join();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Report(benchmark::State& state, std::vector<double>& milliseconds, double seconds,
            const char* what) {
    std::sort(milliseconds.begin(), milliseconds.end());
    const auto at = [&](double share) {
        return milliseconds[static_cast<std::size_t>(share * (milliseconds.size() - 1))];
    };
    state.counters[std::string(what) + "_p50_ms"] = at(0.5);
    state.counters[std::string(what) + "_p99_ms"] = at(0.99);
    state.counters[std::string(what) + "_max_ms"] = milliseconds.back();
    state.counters["accepts_per_s"] = static_cast<double>(milliseconds.size()) / seconds;
}

// Each new host is accepted when the station closes the one before it; timed from its connect.
void BM_NewHostReplacesTheLast(benchmark::State& state) {
    std::vector<double> latencies;
    double seconds = 0;
    for (auto _ : state) {
        seconds += WhileServing([&] {
            int previous = Connect();
            for (int i = 0; i < 500; ++i) {
                const auto start = Clock::now();
                const int next = Connect();
                pollfd pfd{previous, POLLIN, 0};
                char byte = 0;
                while (::poll(&pfd, 1, 5000) == 1 && ::recv(previous, &byte, 1, 0) > 0) {
                }
                latencies.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count());
                ::close(previous);
                previous = next;
            }
            ::close(previous);
        });
    }
    Report(state, latencies, seconds, "accept");
}

// Connect and close as fast as the host can: a connect that finds the backlog full waits a
// second for its retry.
void BM_ConnectAndCloseBackToBack(benchmark::State& state) {
    std::vector<double> latencies;
    double seconds = 0;
    for (auto _ : state) {
        seconds += WhileServing([&] {
            for (int i = 0; i < 2000; ++i) {
                const auto start = Clock::now();
                ::close(Connect());
                latencies.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            }
        });
    }
    Report(state, latencies, seconds, "connect");
}

BENCHMARK(BM_NewHostReplacesTheLast)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ConnectAndCloseBackToBack)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    char folder[] = "/tmp/qx44bench-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        return 1;
    }
    const std::string settings = std::string(folder) + "/setting.txt";
    std::ofstream(settings) << "[Net]\nPortNum=" << kPort
                            << "\n[Main]\nBeeping=0\n[Ports]\nCOM1=" << folder
                            << "/none1\nCOM2=" << folder << "/none2\n";
    qx44::CQX44Setting::SetFilePathOverride(settings);
    QApplication app(argc, argv);
    qx44::CQX44SimDlg window;
    window.resize(1024, 768);
    window.show();
    window.Initialise();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(settings.c_str());
    ::rmdir(folder);
    return 0;
}
