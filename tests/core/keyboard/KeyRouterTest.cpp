#include "core/keyboard/KeyRouter.h"

#include "KeyboardTestSupport.h"
#include "core/settings/CQX44Setting.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace qx44 {
namespace {

using test::Log;

// Virtual-key code, PC scan code (0x100 extended), and the sided code the platform also holds.
struct Key {
    std::uint8_t vk;
    std::uint32_t scan;
    std::uint8_t sided = 0;
};
const std::map<std::string, Key> kKeys{
    {"Ctrl", {0x11, 0x1D, 0xA2}}, {"Shift", {0x10, 0x2A, 0xA0}}, {"a", {0x41, 0x1E}},
    {"b", {0x42, 0x30}},          {"4", {0x34, 0x05}},           {"1", {0x31, 0x02}},
    {"0", {0x30, 0x0B}},          {"Enter", {0x0D, 0x1C}},       {"Space", {0x20, 0x39}},
    {"Right", {0x27, 0x14D}},     {"Echo", {0x86, 0x6E}},
};

// The player's Stop key is 0, and the main window's calls land in the same log as the host's.
class FakePlayer : public IVideoPlayerInput, public IKeyRoutingWindow {
public:
    explicit FakePlayer(Log& log) : log_(log) {}
    bool IsShown() const override { return shown; }
    bool IsLocalMode() const override { return localMode; }
    int CheckExitKeys(std::uint32_t key, int, std::uint32_t) override {
        return key == 0x30 ? exitKind : kNoExitKey;
    }
    void HandleKey(std::uint32_t key, int, std::uint32_t) override {
        log_.push_back("HandleKey " + std::to_string(key));
    }
    void ClosePlayer() override {
        log_.push_back("ClosePlayer");
        shown = false;
    }
    bool MediaRequest(const std::vector<std::string>* list) override {
        log_.push_back(list ? "MediaRequest list" : "MediaRequest none");
        shown = false;
        return true;
    }
    void OpenLocalBrowser() override { log_.push_back("OpenLocalBrowser"); }

    bool shown = false;
    bool localMode = false;
    int exitKind = 1;

private:
    Log& log_;
};

struct Terminal {
    Log log;
    test::LoggingHost host{log};
    KeySender sender{host, 1};
    FakePlayer player{log};
    test::FakeKeyboardState keyboard;
    KeyRouter router{sender, player, player, keyboard};

    Terminal() { router.LoadSettings(); }

    // "+a" presses a, "-a" releases it; "show", "hide", "local" and "pair" set the player up
    // (a host exit set of two keys); "stop" is the host's stop request.
    Log Run(const std::string& steps) {
        std::istringstream in(steps);
        for (std::string step; in >> step;) {
            if (step == "show" || step == "hide") {
                player.shown = step == "show";
            } else if (step == "local") {
                player.localMode = true;
            } else if (step == "pair") {
                player.exitKind = 2;
            } else if (step == "stop") {
                player.shown = false;
                router.ClearKeyDownRecord();
            } else {
                const Key& key = kKeys.at(step.substr(1));
                const bool down = step[0] == '+';
                keyboard.down.set(key.vk, down);
                if (key.sided != 0) {
                    keyboard.down.set(key.sided, down);
                }
                if (down) {
                    router.OnKeyDown(key.vk, 1, key.scan);
                } else {
                    router.OnKeyUp(key.vk, 1, 0xFFFFC000u | key.scan);
                }
            }
        }
        return std::exchange(log, {});
    }
};

class KeyRouterTest : public ::testing::Test {
protected:
    void SetUp() override { CQX44Setting::SetFilePathOverride(dir.File("setting.txt")); }
    void TearDown() override { CQX44Setting::SetFilePathOverride({}); }

    test::TempDir dir;
};

struct Sequence {
    const char* what;
    const char* steps;
    Log host;
};

TEST_F(KeyRouterTest, WorkedSequencesWithTheDefaultShortcuts) {
    const Sequence sequences[] = {
        {"plain key", "+a -a", {"1C", "F0", "1C"}},
        {"Ctrl alone", "+Ctrl -Ctrl", {"14", "F0", "14"}},
        {"Ctrl + a", "+Ctrl +a -a -Ctrl", {"14", "1C", "F0", "1C", "F0", "14"}},
        {"Ctrl + 4", "+Ctrl +4 -4 -Ctrl +a", {"OpenLocalBrowser", "1C"}},
        {"Enter + Space", "+Enter +Space -Space -Enter", {"OpenLocalBrowser"}},
        {"auto-repeat", "+Enter +Enter +a -Enter", {"5A", "1C", "F0", "5A"}},
        {"release of an earlier key", "+a +Space -a -Space", {"1C", "29", "F0", "1C", "F0", "29"}},
        {"POS echo", "+Ctrl +Echo -Echo show +Echo -Echo hide -Ctrl", {"14", "F0", "14"}},
        {"player action key", "show +1 -1", {"HandleKey 49", "F0", "FE"}},
        {"player, extended key", "show +Right -Right", {"HandleKey 39", "E0", "F0", "FE"}},
        {"player Stop", "show +0 -0", {"ClosePlayer", "notice", "F0", "FE"}},
        {"host exit pair", "show pair +0 -0", {"ClosePlayer", "notice", "F0", "FE"}},
        {"local mode exit", "show local +0 -0 +0 -0", {"MediaRequest none", "45", "F0", "45"}},
        {"keys held as the player closes", "show +a +b hide -a -b +a", {"1C"}},
        {"key repeating on once the player closed", "show +a hide +a -a", {"1C", "F0", "1C"}},
        {"key repeating in the player beside an earlier one", "show +Ctrl +a +a hide -Ctrl -a", {}},
        {"key down from before the player to after it", "+a show +a hide -a", {"1C", "F0", "1C"}},
        {"keys used in the player",
         "show +1 -1 +0 -0 +1 -1",
         {"HandleKey 49", "F0", "FE", "ClosePlayer", "notice", "F0", "FE", "16", "F0", "16"}},
        {"held back, released in the player",
         "+Ctrl show -Ctrl hide +a",
         {"HandleKey 17", "F0", "FE", "1C"}},
        {"held back, press in the player", "+Space show +a hide -a +b", {"32"}},
        {"host's stop request", "show +a stop -a", {"F0", "1C"}},
    };
    for (const Sequence& s : sequences) {
        EXPECT_EQ(Terminal().Run(s.steps), s.host) << s.what;
    }
}

TEST_F(KeyRouterTest, ShortcutsAreThoseOfTheLastSettingsLoad) {
    Terminal terminal;
    EXPECT_TRUE(terminal.router.IsLocalBrowserEnabled());
    EXPECT_EQ(terminal.router.LocalVideoKeys().KeySet1(), CKeySet(0x11, 0x34));
    CQX44Setting().SetKeySet1(0x42, 0);
    EXPECT_EQ(terminal.Run("+b -b"), (Log{"32", "F0", "32"}));
    terminal.router.LoadSettings();
    EXPECT_EQ(terminal.Run("+b -b"), (Log{"OpenLocalBrowser"}));
    EXPECT_EQ(terminal.Run("+Shift +b -b"), (Log{"12", "32", "F0", "32"}));
    CQX44Setting().SetLocalVideoEnable(false);
    terminal.router.LoadSettings();
    EXPECT_EQ(terminal.Run("+Ctrl +4 -4"), (Log{"14", "25", "F0", "25"}));
}

} // namespace
} // namespace qx44
