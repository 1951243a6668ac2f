#include "platform/host/sdl/full_screen_keys.h"

#include <gtest/gtest.h>

using namespace host;
using Action = FullScreenKeys::Action;

namespace {

TEST(FullScreenKeys, AltReturnStaysWithTheWindowWhicheverKeyIsLetGoFirst) {
    FullScreenKeys keys;
    EXPECT_EQ(keys.onKey(VK_RETURN, true, true, false), Action::Toggle);
    EXPECT_EQ(keys.onKey(VK_RETURN, true, true, true), Action::Swallow);    // auto-repeat
    EXPECT_EQ(keys.onKey(VK_RETURN, false, false, false), Action::Swallow);  // Alt went up first
    // The next plain Return is the game's again, down and up.
    EXPECT_EQ(keys.onKey(VK_RETURN, true, false, false), Action::Pass);
    EXPECT_EQ(keys.onKey(VK_RETURN, true, true, true), Action::Pass);  // Alt joined a held Return
    EXPECT_EQ(keys.onKey(VK_RETURN, false, true, false), Action::Pass);
}

TEST(FullScreenKeys, F11TogglesOncePerPressAndOtherKeysPass) {
    FullScreenKeys keys;
    EXPECT_EQ(keys.onKey(VK_F11, true, false, false), Action::Toggle);
    EXPECT_EQ(keys.onKey(VK_F11, true, false, true), Action::Swallow);
    EXPECT_EQ(keys.onKey(VK_F11, false, false, false), Action::Swallow);
    EXPECT_EQ(keys.onKey(VK_F11, true, true, false), Action::Toggle);
    EXPECT_EQ(keys.onKey(VK_LEFT, true, true, false), Action::Pass);
    EXPECT_EQ(keys.onKey(VK_LEFT, false, false, false), Action::Pass);
}

}  // namespace
