// Centring the window: the arithmetic, and a sound refusal without a window.

#include "engine/core/Log.h"
#include "engine/runtime/Utility.h"
#include "platform/window/NativeWindow.h"

#include <gtest/gtest.h>

#include <SDL.h>

TEST(WindowCentringTest, AWindowIsCentredOnItsScreen)
{
    struct Case
    {
        int w, h, sw, sh, x, y;
    };
    const Case cases[] = {
        {800, 600, 1024, 768, 112, 84},
        {800, 600, 1920, 1080, 560, 240},
        {801, 601, 1024, 768, 111, 83},  // halves round toward zero
        {800, 600, 800, 600, 0, 0},
        {1024, 768, 800, 600, -112, -84},
    };
    for (const Case& c : cases) {
        int x = -1, y = -1;
        CenteredWindowPosition(c.w, c.h, c.sw, c.sh, x, y);
        EXPECT_EQ(x, c.x) << c.w << "x" << c.h << " on " << c.sw << "x" << c.sh;
        EXPECT_EQ(y, c.y) << c.w << "x" << c.h << " on " << c.sw << "x" << c.sh;
    }
}

TEST(WindowCentringTest, WithoutAWindowToMoveItSaysSoAndGoesOn)
{
    ClearLogCache();
    EXPECT_FALSE(CenterWindow(nullptr));
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    ASSERT_NE(SDL_SetVideoMode(8, 8, 32, 0), nullptr);
    // The headless driver's window has no window system to ask.
    EXPECT_FALSE(CenterWindow(GetSDLWindowHandle()));
    SDL_Quit();
    std::string log;
    for (const std::string& line : GetCachedLogLines())
        log += line;
    EXPECT_NE(log.find("WARNING: CenterWindow: there is no window to centre.\n"), std::string::npos) << log;
    EXPECT_NE(log.find("WARNING: CenterWindow: the window system cannot tell where the window is.\n"),
              std::string::npos)
        << log;
    ClearLogCache();
}
