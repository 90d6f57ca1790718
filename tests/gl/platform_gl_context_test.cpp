// The video start takes only the drivers its caller accepts.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "image/gl_api.h"
#include "platform/window.h"
#include "support/gl_test_context.h"

// The driver is the caller's choice, not the environment's: an offscreen caller gets the offscreen driver
// whatever SDL_VIDEODRIVER says, and a caller that must show a window refuses SDL's drivers that show
// nothing (its silent fallbacks when no display can be reached). Each case in a process of its own, as
// SDL is started there.
TEST(StartVideo, TakesOnlyTheDriversItsCallerAccepts) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto offscreenDespite = [](const char* driver) {
        setenv("SDL_VIDEODRIVER", driver, 1);
        const bool started = startVideo(VideoDrivers::offscreen);
        const char* current = SDL_GetCurrentVideoDriver();
        std::exit(started && current && std::strcmp(current, "offscreen") == 0 ? 0 : 1);
    };
    EXPECT_EXIT(offscreenDespite("dummy"), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(offscreenDespite("x11"), ::testing::ExitedWithCode(0), "");
    auto onScreenWith = [](const char* driver) {
        setenv("SDL_VIDEODRIVER", driver, 1);
        std::exit(startVideo(VideoDrivers::onScreen) ? 0 : 3);
    };
    for (const char* driver : {"offscreen", "dummy"})
        EXPECT_EXIT(onScreenWith(driver), ::testing::ExitedWithCode(3), "cannot open a display") << driver;
}
