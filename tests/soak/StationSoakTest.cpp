#include "support/Bytes.h"
#include "support/ChildProcess.h"
#include "support/FreePort.h"
#include "support/StationProgramHost.h"
#include "support/TcpTestClient.h"
#include "support/TempDir.h"

#include <cstdio>
#include <functional>
#include <gtest/gtest.h>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;

constexpr long kAllowedGrowthKiB = 8 * 1024;

// The built program under hosts that misbehave, one after another: after each, a fresh host is
// answered and the program's memory is where it was.
TEST(StationSoakTest, MisbehavingHostsLeaveTheStationServingAndItsMemoryFlat) {
    test::TempDir dir;
    const std::uint16_t port = test::FreePort();
    auto started = test::StartStationProgram(QX44SIM_PATH, dir, port);
    test::ChildProcess& program = *started;
    const Bytes query = {0x02, 0x01, 0x11, 0x03};
    const Bytes answer = {0x02, 0x01, 0x14, 0x10, 0x03};

    // Caches and the first paints settle with a host that draws and is served.
    for (int i = 0; i < 3; ++i) {
        auto host = test::ConnectWhenListening(port);
        host->Send(Bytes{0x02, 0x01, 0x0E, 0x00, 0x00, 80, 25, 'x', 0x17, 0x03});
        test::ExpectAnswered(*host);
    }
    const long startKiB = program.ResidentKiB();
    ASSERT_GT(startKiB, 0);

    const struct {
        const char* name;
        std::function<void()> host;
    } hosts[] = {
        {"1000 connects and closes",
         [&] {
             for (int i = 0; i < 1000; ++i) {
                 test::TcpTestClient(port).Close();
             }
         }},
        {"10 s of queries, never reading",
         [&] {
             test::TcpTestClient host(port);
             const Bytes queries = test::Repeat(query, 16384);
             const auto end = std::chrono::steady_clock::now() + 10s;
             while (std::chrono::steady_clock::now() < end) {
                 host.SendUntilHeldBack(queries, 100ms);
             }
             std::printf("resident while the flooding host is still connected: %ld KiB\n",
                         program.ResidentKiB());
         }},
        {"gone in the middle of a picture",
         [&] {
             test::TcpTestClient host(port);
             Bytes picture = {0x02, 0x01, 0x33, 0x00, 0x00, 'B', 'M', 0x00, 0x00, 0x10, 0x00};
             picture.resize(100000, 0x5A);
             host.Send(picture);
         }},
        {"half-closed after a query",
         [&] {
             test::TcpTestClient host(port);
             host.Send(query);
             host.ShutdownSending();
             EXPECT_EQ(host.Receive(5, 30s), answer);
             EXPECT_TRUE(host.WaitClosed(30s));
         }},
    };
    for (const auto& h : hosts) {
        SCOPED_TRACE(h.name);
        h.host();
        auto fresh = test::ConnectWhenListening(port);
        test::ExpectAnswered(*fresh);
        const long nowKiB = program.ResidentKiB();
        std::printf("%s: resident %ld KiB, from %ld KiB\n", h.name, nowKiB, startKiB);
        EXPECT_LT(nowKiB - startKiB, kAllowedGrowthKiB);
    }
}

} // namespace
} // namespace qx44
