#include "platform/window/NativeWindow.h"

#include <gtest/gtest.h>

#include <SDL.h>

TEST(NativeWindowTest, ActiveEventsStandForIconifyingAndFocus)
{
    struct Case
    {
        Uint8 gain;
        Uint8 state;
        std::vector<WindowMessage> messages;
    };
    const Case cases[] = {
        {0, SDL_APPACTIVE, {{WM_SIZE, SIZE_MINIMIZED, 0}}},
        {1, SDL_APPACTIVE, {{WM_SIZE, SIZE_RESTORED, 0}}},
        {0, SDL_APPINPUTFOCUS, {{WM_ACTIVATEAPP, 0, 0}, {WM_ACTIVATE, WA_INACTIVE, 0}}},
        {1, SDL_APPINPUTFOCUS | SDL_APPMOUSEFOCUS, {{WM_ACTIVATEAPP, 1, 0}, {WM_ACTIVATE, WA_ACTIVE, 0}}},
        {0, SDL_APPACTIVE | SDL_APPINPUTFOCUS,
         {{WM_SIZE, SIZE_MINIMIZED, 0}, {WM_ACTIVATEAPP, 0, 0}, {WM_ACTIVATE, WA_INACTIVE, 0}}},
        {0, SDL_APPMOUSEFOCUS, {}},
    };
    for (const Case& c : cases) {
        SDL_ActiveEvent event{};
        event.type = SDL_ACTIVEEVENT;
        event.gain = c.gain;
        event.state = c.state;
        EXPECT_EQ(TranslateActiveEvent(event), c.messages) << int(c.gain) << " " << int(c.state);
    }
}

TEST(NativeWindowTest, OnlyBecomingMaximisedIsAMaximiseCommand)
{
    X11MessageTranslator translator;
    const std::optional<WindowMessage> maximize = WindowMessage{WM_SYSCOMMAND, SC_MAXIMIZE, 0};
    EXPECT_EQ(translator.OnMaximizedState(false), std::nullopt);
    EXPECT_EQ(translator.OnMaximizedState(true), maximize);
    EXPECT_EQ(translator.OnMaximizedState(true), std::nullopt);  // other state changes while maximised
    EXPECT_EQ(translator.OnMaximizedState(false), std::nullopt);
    EXPECT_EQ(translator.OnMaximizedState(true), maximize);
    EXPECT_EQ(translator.Translate(nullptr), std::nullopt);
}

TEST(NativeWindowTest, PostedMessagesTravelAsMarkedUserEventsAndNeedNoWindowSystem)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    EXPECT_FALSE(EnableWindowSystemEvents());
    int x, y, w, h, sw, sh;
    EXPECT_FALSE(GetWindowPlacement(x, y, w, h, sw, sh));
    EXPECT_FALSE(RestoreAndRaiseWindow());
    EXPECT_EQ(GetDesktopColorDepth(), 0);
    EXPECT_EQ(GetSDLWindowHandle(), nullptr);
    ASSERT_NE(SDL_SetVideoMode(8, 8, 32, 0), nullptr);
    EXPECT_NE(GetSDLWindowHandle(), nullptr);

    ASSERT_TRUE(PostWindowMessage({WM_USER, 0x12345678, -2}));
    SDL_Event event;
    ASSERT_EQ(SDL_PollEvent(&event), 1);
    ASSERT_EQ(event.type, SDL_USEREVENT);
    EXPECT_EQ(WindowMessageFromUserEvent(event.user), (WindowMessage{WM_USER, 0x12345678, -2}));
    event.user.code = WM_USER;
    EXPECT_EQ(WindowMessageFromUserEvent(event.user), std::nullopt);
    SDL_Quit();
}
