#include "core/common/CancelToken.h"

#include <future>
#include <gtest/gtest.h>
#include <vector>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(CancelToken, WaitWithoutCancelRunsItsFullTime) {
    const CancelToken token;
    const auto start = Clock::now();
    EXPECT_FALSE(token.WaitFor(50ms));
    EXPECT_GE(Clock::now() - start, 50ms);
    EXPECT_FALSE(token.IsCancelled());
}

TEST(CancelToken, CancelWakesEveryWaiterAtOnce) {
    CancelToken token;
    std::vector<std::future<bool>> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.push_back(std::async(std::launch::async, [&token] { return token.WaitFor(60s); }));
    }
    token.Cancel();
    for (auto& waiter : waiters) {
        ASSERT_EQ(waiter.wait_for(10s), std::future_status::ready);
        EXPECT_TRUE(waiter.get());
    }
}

TEST(CancelToken, StaysCancelledForLaterWaits) {
    CancelToken token;
    token.Cancel();
    token.Cancel();
    EXPECT_TRUE(token.IsCancelled());
    EXPECT_TRUE(token.WaitFor(60s));
    EXPECT_TRUE(token.WaitUntil(Clock::now() - 1s));
}

} // namespace
} // namespace qx44
