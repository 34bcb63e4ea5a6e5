#include "core/trace/TraceReplay.h"

#include "core/common/HexText.h"
#include "core/common/UniqueFd.h"
#include "core/protocol/StationMessageTable.h"
#include "core/screen/ScreenDumpComparison.h"
#include "core/trace/ReplayStation.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace qx44 {

namespace {

constexpr std::chrono::milliseconds kStationTick{200};
constexpr std::chrono::milliseconds kFastTick{1};

std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string out;
    HexText::AppendBytes(out, bytes);
    return out.empty() ? out : out.substr(1);
}

std::string Described(std::span<const std::uint8_t> message) {
    return Hex(message) + " (" + StationMessageTable::Read(message) + ")";
}

bool Replayable(std::span<const std::uint8_t> message) {
    const StationMessageKind* kind =
        message.size() >= 3 ? StationMessageTable::Find(message[2]) : nullptr;
    return kind == nullptr || kind->replayable;
}

bool SendAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

// The whole file, or nullopt with `error` saying why (a folder opens but cannot be read).
std::optional<std::string> ReadFile(const std::string& path, std::string& error) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    std::string text;
    std::array<char, 65536> chunk{};
    while (fd.Valid()) {
        const ssize_t n = ::read(fd.Get(), chunk.data(), chunk.size());
        if (n == 0) {
            return text;
        }
        if (n > 0) {
            text.append(chunk.data(), static_cast<std::size_t>(n));
        } else if (errno != EINTR) {
            break;
        }
    }
    error = ::strerrordesc_np(errno);
    return std::nullopt;
}

} // namespace

std::optional<std::vector<std::uint8_t>> TraceReplay::Play(const std::vector<TraceLine>& lines,
                                                           std::uint16_t port, double speed,
                                                           std::chrono::milliseconds settle) {
    std::vector<std::uint8_t> received;
    const auto start = std::chrono::steady_clock::now();
    const std::int64_t firstTime = lines.empty() ? 0 : lines.front().milliseconds;
    // Each recorded connection is one connection again, so what one host left unfinished when
    // it went is dropped as it was, not joined to the next host's bytes.
    for (auto first = lines.begin(); first != lines.end();) {
        const auto end = std::find_if(first, lines.end(), [&](const TraceLine& line) {
            return line.session != first->session;
        });
        UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (!fd.Valid() || ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address),
                                     sizeof(address)) != 0) {
            return std::nullopt;
        }
        // The replies are read while the host sends, as a host reads them, so a station that
        // holds back a host that does not read cannot stall the replay.
        std::atomic<bool> sendingDone{false};
        std::thread reader([&] {
            std::array<std::uint8_t, 4096> chunk{};
            auto deadline = std::chrono::steady_clock::time_point::max();
            for (;;) {
                if (sendingDone && deadline == std::chrono::steady_clock::time_point::max()) {
                    deadline = std::chrono::steady_clock::now() + settle;
                }
                if (std::chrono::steady_clock::now() >= deadline) {
                    return;
                }
                pollfd pfd{fd.Get(), POLLIN, 0};
                if (::poll(&pfd, 1, 10) <= 0) {
                    continue;
                }
                const ssize_t n = ::recv(fd.Get(), chunk.data(), chunk.size(), 0);
                if (n <= 0) {
                    return;
                }
                received.insert(received.end(), chunk.begin(), chunk.begin() + n);
            }
        });
        for (auto line = first; line != end; ++line) {
            if (line->direction != 'H') {
                continue;
            }
            if (speed > 0) {
                std::this_thread::sleep_until(
                    start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                std::chrono::duration<double, std::milli>(
                                    static_cast<double>(line->milliseconds - firstTime) / speed)));
            }
            if (!SendAll(fd.Get(), line->bytes)) {
                break;
            }
        }
        // The station answers everything it was sent, then closes: the end of the replies.
        ::shutdown(fd.Get(), SHUT_WR);
        sendingDone = true;
        reader.join();
        first = end;
    }
    return received;
}

std::string TraceReplay::CompareReplies(const std::vector<TraceLine>& lines,
                                        const std::vector<std::uint8_t>& received) {
    std::vector<std::span<const std::uint8_t>> replies;
    std::span<const std::uint8_t> rest(received);
    while (!rest.empty()) {
        const auto length = StationMessageTable::MessageLength(rest);
        const std::size_t take = length.value_or(rest.size());
        if (Replayable(rest.first(take))) {
            replies.push_back(rest.first(take));
        }
        rest = rest.subspan(take);
    }
    std::size_t next = 0;
    int lastLine = 0;
    for (const TraceLine& line : lines) {
        if (line.direction != 'S' || !Replayable(line.bytes)) {
            continue;
        }
        const std::string where = "line " + std::to_string(line.number) + ": ";
        if (next == replies.size()) {
            return where + "expected S " + Described(line.bytes) +
                   ", but the station sent nothing more";
        }
        const auto reply = replies[next++];
        if (!std::equal(reply.begin(), reply.end(), line.bytes.begin(), line.bytes.end())) {
            return where + "expected S " + Described(line.bytes) + "\n" +
                   std::string(where.size(), ' ') + "  actual S " + Described(reply);
        }
        lastLine = line.number;
    }
    if (next < replies.size()) {
        return "after line " + std::to_string(lastLine) + ": the station also sent S " +
               Described(replies[next]) + ", which the trace does not have";
    }
    return {};
}

int TraceReplay::Run(const Options& options, std::ostream& report) {
    return Replay(options, report).status;
}

TraceReplay::Result TraceReplay::Replay(const Options& options, std::ostream& report) {
    Result result;
    const auto cannotRun = [&](std::string error) {
        report << error << "\n";
        result.error = std::move(error);
        result.status = kCannotRun;
        return result;
    };
    const auto differs = [&](std::string difference) {
        report << difference << "\n";
        result.differences.push_back(std::move(difference));
        result.status = std::max(result.status, kDiffers);
    };
    std::string error;
    const auto text = ReadFile(options.tracePath, error);
    if (!text) {
        return cannotRun("cannot read the trace " + options.tracePath + ": " + error);
    }
    // A writer that stopped mid-line (a full disk, a station killed) leaves a line cut short:
    // the replay goes up to the last whole line.
    const std::string_view whole = std::string_view(*text).substr(0, text->rfind('\n') + 1);
    if (whole.size() < text->size()) {
        report << options.tracePath << ": the trace was cut in line "
               << std::ranges::count(whole, '\n') + 1 << "; it is replayed up to the line before\n";
    }
    std::istringstream in{std::string(whole)};
    const auto lines = TraceFile::Parse(in, error);
    if (!lines) {
        return cannotRun(options.tracePath + ": " + error);
    }
    // Without a message there is no host to replay, and the station would wait for one.
    if (lines->empty()) {
        return cannotRun(options.tracePath + ": the trace has no session");
    }
    if (!options.expectScreenPath.empty()) {
        result.expectedScreen = ReadFile(options.expectScreenPath, error);
        if (!result.expectedScreen) {
            return cannotRun("cannot read the expected screen " + options.expectScreenPath + ": " +
                             error);
        }
    }

    ReplayStation station(options.speed > 0 ? std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  kStationTick / options.speed)
                                            : kFastTick);
    if (!station.Start()) {
        return cannotRun("the replay station cannot listen on the loopback interface");
    }
    const auto received = Play(*lines, station.Port(), options.speed, options.settle);
    if (!received) {
        return cannotRun("cannot connect to the replay station");
    }
    if (!station.WaitForHostGone(std::chrono::steady_clock::now() + options.settle)) {
        differs("the station did not finish with the replayed host in time");
        return result;
    }
    result.screen = station.Dump();

    if (!options.dumpScreenPath.empty()) {
        std::ofstream out(options.dumpScreenPath, std::ios::binary | std::ios::trunc);
        out << result.screen;
        if (!out.flush()) {
            result.error = "cannot write the screen dump " + options.dumpScreenPath;
            report << result.error << "\n";
            result.status = kCannotRun;
        }
    }
    if (const std::string difference = CompareReplies(*lines, *received); !difference.empty()) {
        differs(options.tracePath + ": " + difference);
    }
    if (result.expectedScreen) {
        for (const std::string& difference :
             ScreenDumpComparison::Differences(*result.expectedScreen, result.screen)) {
            differs(options.expectScreenPath + ": " + difference);
            result.screenDiffers = true;
        }
    }
    if (result.status == kMatches) {
        report << options.tracePath << ": replies and screen match\n";
    }
    return result;
}

} // namespace qx44
