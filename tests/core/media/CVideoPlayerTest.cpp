#include "core/media/CVideoPlayer.h"

#include "core/media/MediaTestSupport.h"

#include <gtest/gtest.h>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using Command = CVideoPlayer::Command;
using Strings = std::vector<std::string>;

constexpr std::uint32_t kCtrl = 0x11;

class CVideoPlayerTest : public ::testing::Test, protected test::FakePlayer {
protected:
    explicit CVideoPlayerTest(const std::string& settings = "") : test::FakePlayer(settings) {}

    void Play(const Strings& list) {
        player.Show(true);
        player.PlayList(list, true);
        engine.log.clear();
    }
};

TEST_F(CVideoPlayerTest, ZoomStepsAndClamps) {
    // The area is the 1024 x 768 client less the 60-pixel strip: 1024 x 708.
    const PixelRect whole{0, 0, 1024, 708};
    struct Case {
        int imageWidth, imageHeight;
        std::vector<Command> commands;
        PixelRect video;
        double zoom;
    } cases[] = {
        {320, 240, {Command::ZoomIn}, {272, 174, 752, 534}, 1.5},
        {320, 240, {Command::ZoomIn, Command::ZoomIn}, {192, 114, 832, 594}, 2.0},
        {320, 240, {Command::ZoomIn, Command::ZoomIn, Command::ZoomIn}, whole, 2.5},
        {320,
         240,
         {Command::ZoomIn, Command::ZoomIn, Command::ZoomIn, Command::ZoomIn},
         whole,
         2.5},
        {320, 240, {Command::ZoomOut}, {432, 294, 592, 414}, 0.5},
        {320, 240, {Command::ZoomOut, Command::ZoomOut}, {432, 294, 592, 414}, 0.0},
        {320,
         240,
         {Command::ZoomOut, Command::ZoomOut, Command::ZoomOut},
         {432, 294, 592, 414},
         0.0},
        // A picture as large as the area counts as half of it.
        {2000, 1000, {Command::ZoomIn, Command::ZoomOut}, {256, 177, 768, 531}, 1.0},
        {2000, 1000, {Command::ZoomIn, Command::ZoomIn}, whole, 2.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.imageWidth << " wide, " << c.commands.size() << " steps");
        engine.imageWidth = c.imageWidth;
        engine.imageHeight = c.imageHeight;
        player.ApplyZoom(1.0);
        for (const Command command : c.commands) {
            player.RunCommand(command);
        }
        EXPECT_EQ(view.video, c.video);
        EXPECT_EQ(player.Zoom(), c.zoom);
        EXPECT_EQ(view.zoomSlider, static_cast<int>(c.zoom * 10));
    }
}

TEST_F(CVideoPlayerTest, ZoomWaitsForThePictureSize) {
    view.video = {1, 2, 3, 4};
    player.ApplyZoom(1.5);
    EXPECT_EQ(view.video, (PixelRect{1, 2, 3, 4}));
    EXPECT_EQ(player.Zoom(), 1.5);
}

TEST_F(CVideoPlayerTest, CommandsDependOnTheListLength) {
    struct Case {
        Strings list;
        Command command;
        Strings calls;
    } cases[] = {
        {{"a.avi"}, Command::Forward, {"fastForward"}},
        {{"a.avi"}, Command::Backward, {"fastReverse"}},
        {{"a.avi"}, Command::NextClip, {"next"}},
        {{"a.avi"}, Command::PrevClip, {"previous"}},
        {{"a.avi", "b.avi", "c.jpg"}, Command::Forward, {"next", "play"}},
        {{"a.avi", "b.avi", "c.jpg"}, Command::Backward, {"previous", "play"}},
        {{"a.avi", "b.avi", "c.jpg"}, Command::NextClip, {"next", "play"}},
        {{"a.avi", "b.avi", "c.jpg"}, Command::PrevClip, {"previous", "play"}},
        {{"a.avi", "b.avi"}, Command::Stop, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.command));
        Play(c.list);
        player.RunCommand(c.command);
        EXPECT_EQ(engine.log, c.calls);
    }
}

TEST_F(CVideoPlayerTest, PlayPauseFollowsTheEngineState) {
    Play({"a.avi", "b.avi"});
    player.RunCommand(Command::PlayPause);
    EXPECT_EQ(engine.log, (Strings{"pause"}));
    EXPECT_FALSE(view.pause);

    engine.log.clear();
    engine.state = IMediaEngine::kReady;
    engine.items = {"a.avi"}; // the engine lost an item: the list is loaded again
    player.RunCommand(Command::PlayPause);
    EXPECT_EQ(engine.log, (Strings{"reselect", "pause", "play", "play"}));
    EXPECT_EQ(engine.items, (Strings{"a.avi", "b.avi"}));
    EXPECT_TRUE(view.pause);
}

TEST_F(CVideoPlayerTest, VolumeStepsOfTenWithinItsRange) {
    for (const auto& [start, command, expected] :
         {std::tuple{50, Command::VolumeUp, 60}, std::tuple{95, Command::VolumeUp, 100},
          std::tuple{5, Command::VolumeDown, 0}, std::tuple{0, Command::VolumeDown, 0}}) {
        engine.volume = start;
        player.RunCommand(command);
        EXPECT_EQ(engine.volume, expected) << start;
        EXPECT_EQ(view.volumeSlider, expected) << start;
    }
}

TEST_F(CVideoPlayerTest, SlideShowHoldsEachPictureForItsTime) {
    player.SetSlideSeconds(10);
    Play({"one.JPG ", "two.bmp"});
    engine.state = IMediaEngine::kPlaying;
    player.OnCurrentItemChange();
    ASSERT_TRUE(view.Running(IVideoPlayerView::kSlideTimer));

    clock.now += 3400ms;
    player.OnSlideTimer();
    EXPECT_EQ(engine.log, (Strings{"position 0"}));
    EXPECT_EQ(view.progressMax, 10);
    EXPECT_EQ(view.progress, 3);

    clock.now += 6600ms;
    player.OnSlideTimer();
    EXPECT_EQ(engine.log, (Strings{"position 0", "next"}));
    EXPECT_EQ(engine.current, 1);
    EXPECT_FALSE(view.Running(IVideoPlayerView::kSlideTimer));
}

TEST_F(CVideoPlayerTest, WithoutSlideTimePicturesStayAndPausingEndsTheTimer) {
    player.SetSlideSeconds(0);
    EXPECT_EQ(player.SlideSeconds(), -1);
    Play({"one.jpeg", "two.avi"});
    engine.state = IMediaEngine::kPlaying;
    player.OnCurrentItemChange();
    clock.now += 1000s;
    player.OnSlideTimer();
    EXPECT_EQ(engine.log, (Strings{"position 0"}));
    EXPECT_TRUE(view.Running(IVideoPlayerView::kSlideTimer));

    engine.state = IMediaEngine::kPaused;
    player.OnSlideTimer();
    EXPECT_FALSE(view.Running(IVideoPlayerView::kSlideTimer));

    engine.current = 1;
    player.OnCurrentItemChange();
    EXPECT_FALSE(view.Running(IVideoPlayerView::kSlideTimer)) << "a video needs no slide timer";
}

TEST_F(CVideoPlayerTest, RefreshShowsStateProgressAndTitle) {
    Play({"clip.avi", "b.jpg"});
    EXPECT_TRUE(view.Running(IVideoPlayerView::kRefreshTimer));
    engine.state = IMediaEngine::kPlaying;
    engine.duration = 125.7;
    engine.position = 42.9;
    engine.volume = 70;
    player.Refresh();
    EXPECT_TRUE(view.pause);
    EXPECT_EQ(view.progressMax, 125);
    EXPECT_EQ(view.progress, 42);
    EXPECT_EQ(view.volumeSlider, 70);

    engine.state = IMediaEngine::kPaused;
    player.Refresh();
    EXPECT_FALSE(view.pause);

    engine.current = 1;
    engine.status = "Playing";
    player.UpdateTitle();
    EXPECT_EQ(view.title, "b.jpg ( 2/2 )     Playing");

    player.Show(false);
    EXPECT_EQ(engine.log.back(), "stop");
    EXPECT_TRUE(view.timers.empty());
}

TEST(CVideoPlayerStaticTest, PicturesByTheirExtension) {
    for (const auto& [path, picture] :
         {std::pair{"a.jpg", true}, std::pair{" dir.x\\B.JPEG\t", true}, std::pair{"c.Bmp", true},
          std::pair{"f.png", true}, std::pair{"g.GIF", true}, std::pair{"d.avi", false},
          std::pair{"jpg", false}, std::pair{"e.jpg.avi", false}, std::pair{"", false}}) {
        EXPECT_EQ(CVideoPlayer::IsPicture(path), picture) << path;
    }
}

TEST(CVideoPlayerStaticTest, LayoutOfTheStrip) {
    const auto layout = CVideoPlayer::ComputeLayout({0, 0, 1024, 768});
    EXPECT_EQ(layout.video, (PixelRect{0, 0, 1024, 708}));
    EXPECT_EQ(layout.title, (PixelRect{0, 708, 1024, 728}));
    EXPECT_EQ(layout.buttons[0], (PixelRect{20, 728, 60, 768}));
    EXPECT_EQ(layout.buttons[9], (PixelRect{520, 728, 560, 768}));
    EXPECT_EQ(layout.zoomSlider, (PixelRect{300, 728, 370, 768}));
    EXPECT_EQ(layout.volumeSlider, (PixelRect{450, 728, 520, 768}));
    EXPECT_EQ(layout.progressSlider, (PixelRect{560, 728, 1004, 768}));
}

class CVideoPlayerKeysTest : public CVideoPlayerTest {
protected:
    // PlayPause is the pair 1 and Ctrl, Forward the single key 1; Stop keeps its default 0.
    CVideoPlayerKeysTest()
        : CVideoPlayerTest("[Video]\nPlayPause=49\nPlayPause1=17\nForward=49\n") {}
};

TEST_F(CVideoPlayerKeysTest, PairsBeforeSingles) {
    Play({"a.avi", "b.avi"});
    engine.state = IMediaEngine::kPlaying;
    keyboard.down.set(kCtrl);
    player.HandleKey('1', 1, 0);
    EXPECT_EQ(engine.log, (Strings{"pause"}));

    engine.log.clear();
    keyboard.down.reset();
    player.HandleKey('1', 1, 0);
    EXPECT_EQ(engine.log, (Strings{"next", "play"}));

    EXPECT_EQ(view.buttons[0], "1 + Ctrl");
    EXPECT_EQ(view.buttons[1], "0");
    EXPECT_EQ(view.buttons[3], "1");
}

TEST_F(CVideoPlayerKeysTest, ExitKeysStopFirstThenHostSets) {
    player.SetHostKeyCodes('A', 'B', '0', 0);
    struct Case {
        std::uint32_t released;
        std::vector<std::uint8_t> held;
        int exit;
    } cases[] = {
        {'0', {}, 1},    // the Stop set wins over host set 2, which holds the same key
        {'A', {'B'}, 2}, // host set 1 is a pair
        {'A', {}, 0},
        {'X', {}, 0},
    };
    for (const auto& c : cases) {
        keyboard.down.reset();
        for (const auto vk : c.held) {
            keyboard.down.set(vk);
        }
        EXPECT_EQ(player.CheckExitKeys(c.released, 1, 0), c.exit) << char(c.released);
    }
    player.SetHostKeyCodes(0, 0, 0x1B, 0);
    EXPECT_EQ(player.CheckExitKeys(0x1B, 1, 0), 1) << "host set 2 alone, a single key";
}

} // namespace
} // namespace qx44
