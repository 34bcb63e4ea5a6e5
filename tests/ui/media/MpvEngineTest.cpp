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

// The system's libmpv takes every option the engine sets (a guard it refused would stop the
// player, any other refusal is logged); a refused entry costs one log line.
TEST(MpvEngineTest, TheSystemsLibmpvTakesEveryOptionAndARefusedEntryIsLoggedOnce) {
    uitest::EnsureApplication();
    test::RecordingLog log;
    MpvEngine engine;
    engine.ClearPlaylist();
    engine.AppendItem("http://127.0.0.1:9/a.avi");
    engine.AppendItem("a.avi");
    EXPECT_TRUE(engine.IsValid()) << engine.GetStatus();
    EXPECT_EQ(log.TakeLines(),
              std::vector<std::string>{"play list entry 1 refused, it starts with a protocol "
                                       "prefix: \"http://127.0.0.1:9/a.avi\""});
}

} // namespace
} // namespace qx44
