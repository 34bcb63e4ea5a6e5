#include "core/keyboard/CLocalVideoKeys.h"

#include "KeyboardTestSupport.h"

#include <gtest/gtest.h>
#include <sstream>

namespace qx44 {
namespace {

using Pending = CLocalVideoKeys::PendingKey;

// "+C" presses a key, "-C" releases it (C = Ctrl, E = Enter, S = Space, or the key's character);
// the answers of OnKeyDown and OnKeyUp in order, and what is left pending.
std::vector<int> Answers(CLocalVideoKeys& keys, const std::string& steps) {
    test::FakeKeyboardState keyboard;
    std::vector<int> answers;
    std::istringstream in(steps);
    for (std::string step; in >> step;) {
        const std::uint32_t vk = step[1] == 'C'   ? 0x11
                                 : step[1] == 'E' ? 0x0D
                                 : step[1] == 'S' ? 0x20
                                                  : std::uint32_t(step[1]);
        keyboard.down.set(vk, step[0] == '+');
        answers.push_back(step[0] == '+' ? keys.OnKeyDown(vk, 1, 0x100 + vk)
                                         : keys.OnKeyUp(vk, 1, 0, keyboard));
    }
    return answers;
}

struct Sequence {
    const char* steps;
    std::vector<int> answers;
    std::vector<Pending> pending;
    bool fired;
};

TEST(CLocalVideoKeysTest, PendingAndFiredSequences) {
    const Pending ctrl{0x11, 1, 0x111}, enter{0x0D, 1, 0x10D};
    const Sequence sequences[] = {
        {"+E +C +E +A", {0, 0, 0, -1}, {enter, ctrl}, false},
        {"+C -C", {0, -1}, {ctrl}, false},
        {"-4", {-1}, {}, false},
        {"+C +4 -4", {0, 0, 1}, {}, true},
        {"+C +4 -4 -C -A", {0, 0, 1, 0, -1}, {}, false},
        {"+S +E -S", {0, 0, 1}, {}, true},
        {"+S +E -S +S", {0, 0, 1, 0}, {{0x20, 1, 0x120}}, false},
        {"+E +S -E", {0, 0, 1}, {}, true},
        {"+0 -0", {-1, -1}, {}, false},
    };
    for (const Sequence& s : sequences) {
        CLocalVideoKeys keys;
        keys.SetKeySet(0, 0x11, '4');
        keys.SetKeySet(1, 0x0D, 0x20);
        keys.SetKeySet(2, 'A', 0);
        EXPECT_EQ(Answers(keys, s.steps), s.answers) << s.steps;
        EXPECT_EQ(keys.IsFired(), s.fired) << s.steps;
        std::vector<Pending> left;
        while (const auto pending = keys.PopPending()) {
            left.push_back(*pending);
        }
        EXPECT_EQ(left, s.pending) << s.steps;
    }
}

TEST(CLocalVideoKeysTest, ASingleKeySetFiresOnlyWhenNothingElseIsHeld) {
    CLocalVideoKeys keys;
    keys.SetKeySet(0, '0', 0);
    EXPECT_EQ(Answers(keys, "+0 -0"), (std::vector<int>{0, 1}));
    EXPECT_EQ(Answers(keys, "+C +0 -0"), (std::vector<int>{-1, 0, -1}));
}

} // namespace
} // namespace qx44
