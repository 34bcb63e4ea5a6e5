#include "core/hostlink/HostLink.h"

#include "support/Bytes.h"
#include "support/TcpTestClient.h"
#include "support/TempDir.h"
#include "support/TestUiThread.h"

#include <arpa/inet.h>
#include <condition_variable>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <numeric>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::Hex;

// Receives on the connection's thread; the test waits on it with a deadline.
class ThreadSafeSink : public IHostMessageSink {
public:
    void DispatchHostMessage(std::uint8_t, std::uint8_t code, std::span<const std::uint8_t> message,
                             const CancelToken&) override {
        if (answerQueriesTo != nullptr && code == 0x11) {
            answerQueriesTo->SendToHost(Bytes{0x02, 0x01, 0x14, 0x10, 0x03});
            return;
        }
        {
            std::lock_guard lock(mutex_);
            messages_.push_back(Hex(message));
        }
        changed_.notify_all();
        if (code == throwOnCode) {
            throw std::runtime_error("handler failed");
        }
    }
    void ShowHostPicture(int, int, const std::string&) override {}
    void HoldScreenRepaint(bool) override {}

    std::vector<std::string> WaitForMessages(std::size_t count,
                                             std::chrono::milliseconds timeout = 5s) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return messages_.size() >= count; });
        return messages_;
    }

    std::uint8_t throwOnCode = 0xFF;
    // Identity queries are answered as the station answers them, and not recorded.
    IHostSender* answerQueriesTo = nullptr;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> messages_;
};

class RecordingEvents : public IHostLinkEvents {
public:
    void SetNetworkState(int state) override { states.push_back(state); }
    void HostConnected(std::string_view peer) override {
        peers.emplace_back(peer);
        if (onConnected) {
            onConnected();
        }
    }

    std::function<void()> onConnected;
    std::vector<int> states;
    std::vector<std::string> peers;
};

class HostLinkTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(link.StartListening(0)); }

    std::unique_ptr<test::TcpTestClient> ConnectHost() {
        auto client = std::make_unique<test::TcpTestClient>(link.Listener().Port());
        pollfd pfd{link.Listener().Fd(), POLLIN, 0};
        EXPECT_EQ(::poll(&pfd, 1, 5000), 1);
        link.AcceptHost();
        return client;
    }

    test::TempDir dir;
    ThreadSafeSink sink;
    test::TestUiThread ui;
    RecordingEvents events;
    HostLink link{sink, ui, events, dir.File("tmp.bmp")};
};

TEST_F(HostLinkTest, HostMessagesReachTheDispatcher) {
    auto host = ConnectHost();
    EXPECT_EQ(events.states, std::vector<int>{2});
    EXPECT_EQ(events.peers, std::vector<std::string>{"127.0.0.1"});
    host->Send(
        Bytes{0x02, 0x01, 0x23, 0x0A, 0x05, 0xD2, 0x00, 0x02, 0x48, 0x69, 0x03, 0x02, 0x01, 0x20});
    host->Send(Bytes{0x03});
    EXPECT_EQ(sink.WaitForMessages(2),
              (std::vector<std::string>{"02 01 23 0A 05 D2 00 02 48 69 03", "02 01 20 03"}));
}

TEST_F(HostLinkTest, RepliesArePacedAt256BytesPerTick) {
    auto host = ConnectHost();
    Bytes reply(300);
    std::iota(reply.begin(), reply.end(), 0);
    link.SendToHost(reply);

    EXPECT_TRUE(host->Receive(1, 100ms).empty()) << "nothing leaves before the timer ticks";
    link.OnTimer1Tick();
    const Bytes first = host->Receive(300, 300ms);
    EXPECT_EQ(first, Bytes(reply.begin(), reply.begin() + 256));
    link.OnTimer1Tick();
    const Bytes second = host->Receive(300, 300ms);
    EXPECT_EQ(second, Bytes(reply.begin() + 256, reply.end()));
}

TEST_F(HostLinkTest, BytesWithoutAHostAreDropped) {
    link.SendToHost(Bytes{0x02, 0x01, 0x11, 0x1C, 0x03});
    auto host = ConnectHost();
    link.OnTimer1Tick();
    EXPECT_TRUE(host->Receive(1, 100ms).empty());
}

TEST_F(HostLinkTest, NewHostReplacesTheOld) {
    auto first = ConnectHost();
    auto second = ConnectHost();
    EXPECT_TRUE(first->WaitClosed());
    EXPECT_EQ(events.states, (std::vector<int>{2, 0, 2}));

    link.SendToHost(Bytes{0x02, 0x01, 0x14, 0x10, 0x03});
    link.OnTimer1Tick();
    EXPECT_EQ(second->Receive(5), (Bytes{0x02, 0x01, 0x14, 0x10, 0x03}));

    second->Send(Bytes{0x02, 0x01, 0x20, 0x03});
    EXPECT_EQ(sink.WaitForMessages(1), std::vector<std::string>{"02 01 20 03"});
}

TEST_F(HostLinkTest, HostIsAnnouncedBeforeItsFirstMessageIsHandled) {
    test::TcpTestClient host(link.Listener().Port());
    host.Send(Bytes{0x02, 0x01, 0x20, 0x03});
    std::size_t handledWhenAnnounced = 0;
    // Gives a receive thread that already runs every chance to handle the message first.
    events.onConnected = [&] { handledWhenAnnounced = sink.WaitForMessages(1, 300ms).size(); };
    pollfd pfd{link.Listener().Fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, 5000), 1);
    link.AcceptHost();
    EXPECT_EQ(handledWhenAnnounced, 0u);
    EXPECT_EQ(sink.WaitForMessages(1), std::vector<std::string>{"02 01 20 03"});
}

TEST_F(HostLinkTest, HostsWaitingTogetherAreTakenAtOnceAndTheLastStays) {
    std::vector<std::unique_ptr<test::TcpTestClient>> hosts;
    for (int i = 0; i < 5; ++i) {
        hosts.push_back(std::make_unique<test::TcpTestClient>(link.Listener().Port()));
    }
    pollfd pfd{link.Listener().Fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, 5000), 1);
    link.AcceptHost();
    for (std::size_t i = 0; i + 1 < hosts.size(); ++i) {
        EXPECT_TRUE(hosts[i]->WaitClosed()) << "host " << i;
    }
    hosts.back()->Send(Bytes{0x02, 0x01, 0x20, 0x03});
    EXPECT_EQ(sink.WaitForMessages(1), std::vector<std::string>{"02 01 20 03"});
    EXPECT_EQ(events.states, std::vector<int>{2});
}

// Identity queries, each answered with five bytes.
Bytes Queries(int count) {
    return test::Repeat({0x02, 0x01, 0x11, 0x03}, count);
}

TEST_F(HostLinkTest, HostAskingWithoutReadingIsHeldBackAndLosesNoAnswer) {
    sink.answerQueriesTo = &link;
    auto host = ConnectHost();
    const Bytes queries = Queries(16384);
    constexpr std::size_t kUnbounded = 64u << 20;
    std::size_t sent = 0;
    while (sent < kUnbounded) {
        const std::size_t n = host->SendUntilHeldBack(queries, 500ms);
        sent += n;
        if (n < queries.size()) {
            break;
        }
    }
    ASSERT_LT(sent, kUnbounded) << "the station never stopped reading";

    // The host reads now; timer ticks come as fast as it reads.
    const std::size_t expected = sent / 4 * 5;
    Bytes answers;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (answers.size() < expected && std::chrono::steady_clock::now() < deadline) {
        for (int tick = 0; tick < 64; ++tick) {
            link.OnTimer1Tick();
        }
        const Bytes more = host->Receive(expected - answers.size(), 1ms);
        answers.insert(answers.end(), more.begin(), more.end());
    }
    ASSERT_EQ(answers.size(), expected);
    for (std::size_t i = 0; i < answers.size(); i += 5) {
        ASSERT_EQ(Bytes(answers.begin() + i, answers.begin() + i + 5),
                  (Bytes{0x02, 0x01, 0x14, 0x10, 0x03}))
            << "answer " << i / 5;
    }
}

TEST_F(HostLinkTest, HostThatHalfClosesGetsItsAnswersBeforeTheClose) {
    sink.answerQueriesTo = &link;
    auto host = ConnectHost();
    host->Send(Queries(100));
    host->ShutdownSending();
    Bytes answers;
    ui.PumpUntil([&] {
        link.OnTimer1Tick();
        const Bytes more = host->Receive(500 - answers.size(), 20ms);
        answers.insert(answers.end(), more.begin(), more.end());
        return answers.size() == 500;
    });
    EXPECT_EQ(answers.size(), 500u);
    EXPECT_TRUE(ui.PumpUntil([&] { return !link.HasHost(); }));
    EXPECT_TRUE(host->WaitClosed());
}

TEST_F(HostLinkTest, HostThatClosesIsDisconnected) {
    auto host = ConnectHost();
    host->Close();
    EXPECT_TRUE(ui.PumpUntil([&] { return !link.HasHost(); }));
    EXPECT_EQ(events.states, (std::vector<int>{2, 0}));
}

TEST_F(HostLinkTest, CloseOfAReplacedHostDoesNotEndTheNewOne) {
    auto first = ConnectHost();
    first->Close();
    // The first host's close is posted but not yet handled when the second host arrives.
    auto second = ConnectHost();
    ui.PumpUntil([] { return false; }, 200ms);
    EXPECT_TRUE(link.HasHost());
    second->Send(Bytes{0x02, 0x01, 0x20, 0x03});
    EXPECT_EQ(sink.WaitForMessages(1), std::vector<std::string>{"02 01 20 03"});
}

TEST_F(HostLinkTest, FailingHandlerDoesNotStopReading) {
    sink.throwOnCode = 0x20;
    auto host = ConnectHost();
    host->Send(Bytes{0x02, 0x01, 0x20, 0x03});
    sink.WaitForMessages(1);
    host->Send(Bytes{0x02, 0x01, 0x21, 0x00, 0x03});
    EXPECT_EQ(sink.WaitForMessages(2), (std::vector<std::string>{"02 01 20 03", "02 01 21 00 03"}));
}

// With every descriptor taken, a host the station cannot accept is let go at once instead of
// keeping the listener readable (the UI thread would accept in a loop); the next host is served.
TEST_F(HostLinkTest, HostThatFindsNoDescriptorIsLetGo) {
    auto refused = std::make_unique<test::TcpTestClient>(link.Listener().Port());
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    {
        const UniqueFd probe(::open("/dev/null", O_RDONLY | O_CLOEXEC));
        rlimit low = saved;
        low.rlim_cur = static_cast<rlim_t>(probe.Get()) + 16;
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    }
    std::vector<UniqueFd> taken;
    for (UniqueFd fd(::open("/dev/null", O_RDONLY | O_CLOEXEC)); fd.Valid();
         fd = UniqueFd(::open("/dev/null", O_RDONLY | O_CLOEXEC))) {
        taken.push_back(std::move(fd));
    }
    link.AcceptHost();
    pollfd pfd{link.Listener().Fd(), POLLIN, 0};
    const int readable = ::poll(&pfd, 1, 0);
    taken.clear();
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_EQ(readable, 0) << "the host is still waiting in the queue";
    EXPECT_TRUE(refused->WaitClosed());
    EXPECT_FALSE(link.HasHost());

    auto host = ConnectHost();
    host->Send(Bytes{0x02, 0x01, 0x20, 0x03});
    EXPECT_EQ(sink.WaitForMessages(1), std::vector<std::string>{"02 01 20 03"});
}

TEST_F(HostLinkTest, PortInUseIsReported) {
    test::TestUiThread otherUi;
    HostLink other(sink, otherUi, events);
    EXPECT_FALSE(other.StartListening(link.Listener().Port()));
    EXPECT_FALSE(other.Listener().IsListening());
}

TEST(CTCPIPListenTest, AddressIsEveryLocalOneOrADottedIPv4Address) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {{"", "0.0.0.0"},        {"127.0.0.1", "127.0.0.1"}, {"10.1.2.3", "10.1.2.3"},
                 {"localhost", nullptr}, {"::1", nullptr},           {"127.1", nullptr},
                 {"256.0.0.1", nullptr}, {"127.0.0.1 ", nullptr},    {"127.0.0.1:80", nullptr}};
    for (const auto& c : cases) {
        const auto address = CTCPIPListen::ParseAddress(c.text);
        char text[INET_ADDRSTRLEN] = "";
        if (address) {
            ::inet_ntop(AF_INET, &*address, text, sizeof text);
        }
        EXPECT_EQ(address ? std::string(text) : "none", c.expected ? c.expected : "none")
            << '"' << c.text << '"';
    }
}

// A developer's machine serves hosts on loopback alone: a host that comes to another address of
// the machine is refused, as is a second listener on the address taken.
TEST_F(HostLinkTest, ListensOnTheGivenAddressAlone) {
    test::TestUiThread otherUi;
    HostLink bound(sink, otherUi, events);
    ASSERT_TRUE(bound.StartListening(0, *CTCPIPListen::ParseAddress("127.0.0.2")));
    const std::uint16_t port = bound.Listener().Port();
    EXPECT_THROW(test::TcpTestClient(port, "127.0.0.1"), std::runtime_error);
    test::TcpTestClient host(port, "127.0.0.2");
    pollfd pfd{bound.Listener().Fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, 5000), 1);
    bound.AcceptHost();
    EXPECT_TRUE(bound.HasHost());
    HostLink again(sink, otherUi, events);
    EXPECT_FALSE(again.StartListening(port, *CTCPIPListen::ParseAddress("127.0.0.2")));
}

TEST(ServerSocketTest, SendThatWouldBlockLosesNothing) {
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, pair), 0);
    const int small = 4096;
    ::setsockopt(pair[0], SOL_SOCKET, SO_SNDBUF, &small, sizeof(small));
    ::setsockopt(pair[1], SOL_SOCKET, SO_RCVBUF, &small, sizeof(small));
    UniqueFd reader(pair[1]);
    ThreadSafeSink sink;
    test::TempDir dir;
    CServerSocket connection(UniqueFd(pair[0]), sink, dir.File("tmp.bmp"), nullptr);

    Bytes sent(100000);
    for (std::size_t i = 0; i < sent.size(); ++i) {
        sent[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    }
    connection.QueueBytes(sent);

    // Send opportunities while the host does not read, until the socket would block.
    std::size_t before = connection.QueuedBytes() + 1;
    while (connection.QueuedBytes() < before) {
        before = connection.QueuedBytes();
        connection.FlushSendQueue();
    }
    ASSERT_GT(connection.QueuedBytes(), 0u) << "the socket never filled up";

    Bytes received;
    for (int round = 0; round < 100000 && received.size() < sent.size(); ++round) {
        connection.FlushSendQueue();
        std::uint8_t chunk[8192];
        const ssize_t n = ::recv(reader.Get(), chunk, sizeof(chunk), MSG_DONTWAIT);
        if (n > 0) {
            received.insert(received.end(), chunk, chunk + n);
        }
    }
    EXPECT_EQ(received.size(), sent.size());
    EXPECT_TRUE(received == sent);
}

TEST(SendQueueTest, PartialSendsKeepTheRestInOrder) {
    SendQueue queue;
    Bytes all(1000);
    std::iota(all.begin(), all.end(), 0);
    queue.Append(all);
    Bytes out;
    // The sender takes 0, 100, 256 ... bytes in turn, as a congested socket might.
    const std::size_t accepts[] = {0, 100, 256, 7, 0, 256};
    std::size_t turn = 0;
    while (queue.Size() > 0) {
        queue.Drain(256, [&](std::span<const std::uint8_t> chunk) {
            EXPECT_LE(chunk.size(), 256u);
            const std::size_t n = std::min(chunk.size(), accepts[turn++ % std::size(accepts)]);
            out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<long>(n));
            return n;
        });
    }
    EXPECT_EQ(out, all);
}

} // namespace
} // namespace qx44
