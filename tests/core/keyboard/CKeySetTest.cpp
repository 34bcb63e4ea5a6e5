#include "core/keyboard/CKeySet.h"

#include "KeyboardTestSupport.h"

#include <gtest/gtest.h>

namespace qx44 {
namespace {

using test::FakeKeyboardState;

constexpr std::uint8_t kCtrl = 0x11, kLeftCtrl = 0xA2, kShift = 0x10;

struct MatchCase {
    const char* what;
    CKeySet set;
    std::uint32_t released;
    FakeKeyboardState held;
    bool fires;
};

TEST(CKeySetTest, FiresOnTheReleaseOfOneOfItsKeys) {
    const CKeySet ctrl4(kCtrl, '4'), zero('0', 0);
    const MatchCase cases[] = {
        {"4 released, Ctrl held", ctrl4, '4', {kCtrl, kLeftCtrl}, true},
        {"Ctrl released, 4 held", ctrl4, kCtrl, {'4'}, true},
        {"4 released after Ctrl", ctrl4, '4', {}, false},
        {"a pair ignores other held keys", ctrl4, '4', {kCtrl, kShift}, true},
        {"a key outside the set", ctrl4, 'A', {kCtrl, '4'}, false},
        {"single alone", zero, '0', {}, true},
        {"single with Shift held", zero, '0', {kShift}, false},
        {"single, the released key still reads down", zero, '0', {'0'}, true},
        {"single, the POS echo key is no key", zero, '0', {0x86}, true},
        {"single, 0xDE counts", zero, '0', {0xDE}, false},
        {"single, codes above 0xDE do not", zero, '0', {0xDF, 0xFF}, true},
        {"single in the second slot", CKeySet(0, '0'), '0', {}, true},
        {"an empty set", CKeySet(), 0, {}, false},
        {"a partner beyond the key table", CKeySet(0x134, kCtrl), kCtrl, {'4'}, false},
    };
    for (const MatchCase& c : cases) {
        EXPECT_EQ(c.set.Matches(c.released, c.held), c.fires) << c.what;
    }
}

TEST(CKeySetTest, KindContentsAndName) {
    EXPECT_EQ(CKeySet().Kind(), 1);
    EXPECT_EQ(CKeySet(0, '0').Kind(), 1);
    EXPECT_EQ(CKeySet(kCtrl, '4').Kind(), 2);
    EXPECT_TRUE(CKeySet('0', 0).Contains(0)) << "an empty slot holds the code 0";
    EXPECT_FALSE(CKeySet(kCtrl, '4').Contains(0));
    EXPECT_EQ(CKeySet(kCtrl, '4').Name(), "Ctrl + 4");
    EXPECT_EQ(CKeySet(0x0D, 0x20).Name(), "Enter + Space");
    EXPECT_EQ(CKeySet('0', 0).Name(), "0");
    EXPECT_EQ(CKeySet(0x86, 'A').Name(), "a");
    EXPECT_EQ(CKeySet().Name(), "");
}

} // namespace
} // namespace qx44
