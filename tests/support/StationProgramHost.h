#pragma once

#include "support/Bytes.h"
#include "support/ChildProcess.h"
#include "support/TcpTestClient.h"
#include "support/TempDir.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace qx44::test {

// The built program, started in `dir` with settings there: listening on `port`, no start tone,
// COM1 and COM2 mapped to devices that do not exist unless `ports` maps them, and the sections of
// `moreSettings`. `path` is the program's file; `arguments` and `environment` come on top of the
// window and the offscreen platform. Its stdout and stderr go to `outputFile` when one is named; a
// `descriptorLimit` lowers RLIMIT_NOFILE for the program alone.
inline std::unique_ptr<ChildProcess>
StartStationProgram(const std::string& path, const TempDir& dir, std::uint16_t port,
                    const std::vector<std::string>& arguments = {},
                    const std::vector<std::string>& environment = {}, const std::string& ports = {},
                    const std::string& moreSettings = {}, const std::string& outputFile = {},
                    int descriptorLimit = 0) {
    TempDir::WriteText(dir.File("setting.txt"),
                       "[Net]\nPortNum=" + std::to_string(port) + "\n[Main]\nBeeping=0\n[Ports]\n" +
                           (ports.empty()
                                ? "COM1=" + dir.File("none1") + "\nCOM2=" + dir.File("none2") + "\n"
                                : ports) +
                           moreSettings);
    std::vector<std::string> all = {"--windowed", "--settings", dir.File("setting.txt")};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<std::string> env = environment;
    env.emplace_back("QT_QPA_PLATFORM=offscreen");
    if (descriptorLimit > 0) {
        // The shell sets the limit and becomes the program, which keeps its process id.
        all.insert(all.begin(),
                   {"-c", "ulimit -n " + std::to_string(descriptorLimit) + " && exec \"$0\" \"$@\"",
                    path});
        return std::make_unique<ChildProcess>("/bin/sh", all, env, dir.Path(), outputFile);
    }
    return std::make_unique<ChildProcess>(path, all, env, dir.Path(), outputFile);
}

// Connects to the program under test once it listens.
inline std::unique_ptr<TcpTestClient> ConnectWhenListening(std::uint16_t port) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
        try {
            return std::make_unique<TcpTestClient>(port);
        } catch (const std::runtime_error&) {
            if (std::chrono::steady_clock::now() > deadline) {
                throw;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
}

// Asks the identity query and waits for the answer, which proves the host is served. The first
// start on a machine may spend seconds building the font cache before it answers.
inline void ExpectAnswered(TcpTestClient& host) {
    host.Send(Bytes{0x02, 0x01, 0x11, 0x03});
    EXPECT_EQ(host.Receive(5, std::chrono::seconds(30)), (Bytes{0x02, 0x01, 0x14, 0x10, 0x03}));
}

} // namespace qx44::test
