#include "core/media/MediaRequests.h"

#include "core/media/HostPlayList.h"
#include "core/media/MediaTestSupport.h"

#include <gtest/gtest.h>

namespace qx44 {
namespace {

using Strings = std::vector<std::string>;

class RecordingMediaWindow : public IMediaWindow {
public:
    void HideTerminalScreens() override { screensShown = false; }
    void ShowTerminalScreens() override {
        screensShown = true;
        ++screensRestored;
    }
    void ClearKeyDownRecord() override { ++recordCleared; }

    bool screensShown = true;
    int screensRestored = 0;
    int recordCleared = 0;
};

class MediaRequestsTest : public ::testing::Test, protected test::FakePlayer {
protected:
    RecordingMediaWindow window;
    MediaRequests media{player, window};
};

TEST_F(MediaRequestsTest, HostPlayLists) {
    const std::string etx = "\x03";
    struct Case {
        const char* name;
        Strings list;
        bool shown;
        Strings played;
        CKeySet set1, set2;
    } cases[] = {
        {"files then an exit-key line",
         {"a.avi", "b.jpg", "\n145000" + etx},
         true,
         {"a.avi", "b.jpg"},
         {0x1B, 0},
         {}},
        {"the pair A and B", {"\n065066", "a.avi" + etx}, true, {"a.avi" + etx}, {'A', 'B'}, {}},
        {"exit-key lines only",
         {"\n145000", "\n065066", "\n066065" + etx},
         false,
         {},
         {0x1B, 0},
         {'B', 'A'}},
        {"ended with CR", {"\n145000", etx}, true, {etx}, {0x1B, 0}, {}},
        {"a folder first", {"media\\", "a.avi" + etx}, false, {}, {}, {}},
        {"a folder later",
         {"a.avi", "media\\", "b.avi" + etx},
         true,
         {"a.avi", "media\\", "b.avi" + etx},
         {},
         {}},
        {"a short exit-key line still counts",
         {"\n14", "\n065066", "a.avi"},
         true,
         {"a.avi"},
         {},
         {'A', 'B'}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        media.ClosePlayer();
        engine.items.clear();
        EXPECT_TRUE(media.MediaRequest(&c.list));
        EXPECT_EQ(player.IsShown(), c.shown);
        EXPECT_EQ(window.screensShown, !c.shown);
        EXPECT_EQ(engine.items, c.played);
        EXPECT_EQ(player.HostKeySet(1), c.set1);
        EXPECT_EQ(player.HostKeySet(2), c.set2);
    }
}

TEST_F(MediaRequestsTest, ExitKeyNumbersAreReadLikeTheStation) {
    for (const auto& [line, a, b] :
         {std::tuple{"\n 65+66", 65, 66}, std::tuple{"\n-1 007", -1, 7},
          std::tuple{"\nab1234", 0, 234}, std::tuple{"\n1x2 3z", 1, 3}}) {
        const auto parsed = HostPlayList::Parse({line});
        EXPECT_EQ(parsed.keys[0], a) << line;
        EXPECT_EQ(parsed.keys[1], b) << line;
        EXPECT_TRUE(parsed.files.empty());
    }
}

TEST_F(MediaRequestsTest, PlayWhileShownClosesAndStopClearsTheKeyRecord) {
    const Strings list = {"a.avi", "b.avi"};
    media.OnMediaRequest(MediaRequests::kPlay, list);
    EXPECT_TRUE(player.IsShown());
    EXPECT_EQ(view.zoomSlider, -1) << "zoom reset waits for the picture size";

    media.OnMediaRequest(MediaRequests::kPlay, {"c.avi"});
    EXPECT_FALSE(player.IsShown());
    EXPECT_TRUE(window.screensShown);
    EXPECT_EQ(engine.log.back(), "stop");

    media.OnMediaRequest(MediaRequests::kStop, {});
    EXPECT_TRUE(window.screensShown);
    EXPECT_EQ(window.recordCleared, 1);
    media.OnMediaRequest(7, list);
    EXPECT_FALSE(player.IsShown());
    EXPECT_EQ(window.recordCleared, 1);
}

TEST_F(MediaRequestsTest, SwitchedOffEveryRequestIsIgnored) {
    media.SetMediaSwitch(false);
    const Strings list = {"a.avi"};
    EXPECT_FALSE(media.MediaRequest(&list));
    EXPECT_FALSE(media.MediaRequest(nullptr));
    EXPECT_FALSE(player.IsShown());
    EXPECT_EQ(window.screensRestored, 0);
}

} // namespace
} // namespace qx44
