#include "platform/AlsaBeeper.h"

#include <future>
#include <gtest/gtest.h>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A device name ALSA cannot open, so the beep takes the path of a machine without a sound card.
constexpr const char* kNoDevice = "qx44_no_such_pcm";

struct ToneCase {
    const char* name;
    const char* device;
    int frequencyHz;
};

class AlsaBeeperTone : public testing::TestWithParam<ToneCase> {};

// With a sound card or without, and at any pitch, a beep holds its caller for its whole duration.
TEST_P(AlsaBeeperTone, LastsItsDuration) {
    AlsaBeeper beeper(GetParam().device);
    const CancelToken never;
    const auto start = Clock::now();
    beeper.Beep(GetParam().frequencyHz, 300ms, never);
    EXPECT_GE(Clock::now() - start, 300ms);
}

TEST_P(AlsaBeeperTone, EndsEarlyWhenCancelled) {
    AlsaBeeper beeper(GetParam().device);
    CancelToken connectionClosed;
    auto beep = std::async(std::launch::async,
                           [&] { beeper.Beep(GetParam().frequencyHz, 60s, connectionClosed); });
    connectionClosed.Cancel();
    EXPECT_EQ(beep.wait_for(10s), std::future_status::ready);
}

INSTANTIATE_TEST_SUITE_P(Devices, AlsaBeeperTone,
                         testing::Values(ToneCase{"NoDevice", kNoDevice, 2200},
                                         ToneCase{"NoDeviceSilentPitch", kNoDevice, 0},
                                         ToneCase{"NoDeviceUltrasonic", kNoDevice, 30000},
                                         ToneCase{"DefaultDevice", "default", 2400}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace qx44
