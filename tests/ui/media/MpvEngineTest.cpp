#include "ui/media/MpvEngine.h"

#include "support/RecordingLog.h"
#include "ui/UiTestSupport.h"

#include <gtest/gtest.h>

namespace qx44 {
namespace {

struct CountedEvents : IMediaEngineEvents {
    void OnCurrentItemChange() override {}
    void OnStatusChange() override { ++statusChanges; }
    void OnImageSizeChange() override {}
    int statusChanges = 0;
};

// Without libmpv the player plays nothing; the log says why once, the status with every list.
TEST(MpvEngineTest, WithoutLibmpvThePlayerSaysWhyAndPlaysNothing) {
    uitest::EnsureApplication();
    test::RecordingLog log;
    MpvEngine engine(nullptr, "libmpv-missing.so.2");
    CountedEvents events;
    engine.SetEvents(&events);
    for (int list = 0; list < 2; ++list) {
        engine.ClearPlaylist();
        engine.Pause();
        engine.AppendItem("av://lavfi:testsrc");
        engine.Play();
        EXPECT_EQ(events.statusChanges, 2 * (list + 1)) << "one for the item, one for Play";
    }
    EXPECT_EQ(engine.GetPlayState(), IMediaEngine::kStopped);
    EXPECT_TRUE(engine.GetStatus().starts_with("Error: libmpv-missing.so.2: cannot open"))
        << engine.GetStatus();
    const std::vector<std::string> lines = log.TakeLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("the media player cannot start: libmpv-missing.so.2"))
        << lines[0];
}

} // namespace
} // namespace qx44
