// The spin lever: presenting it, flashing, pulling it (drop and raise), hiding
// it while it slides in, and pulling it away.

#include "WheelTestSupport.h"
#include "engine/core/Exception.h"
#include "game/views/CocoDropButton.h"

using namespace wheeltest;

namespace {

class LeverTest : public WheelFixture
{
protected:
    void SetUp() override
    {
        WheelFixture::SetUp();
        button = Make<CocoDropButton>(R"({ resource = "CocoDropButtonDefaults", position = { 600, 460 } })");
        screen->AddChild(button);
        lever = button->GetLever();
        Pass();  // the lever notes where it rests
    }

    int LeverY() const { return lever->GetY(); }
    bool Running(const char* script) const { return button->IsLeverScriptRunning(script); }

    CocoDropButton* button = nullptr;
    Actor* lever = nullptr;
    const int base = -66;
};

TEST_F(LeverTest, PresentedItSlidesInAndThenFlashes)
{
    ASSERT_NE(lever, nullptr);
    EXPECT_FALSE(lever->IsVisible());
    EXPECT_EQ(lever->GetImageName(), "cocodrop_null.png");
    button->Present(true);
    EXPECT_TRUE(button->IsVisible());
    EXPECT_TRUE(button->IsEnabled());
    Pass();
    EXPECT_TRUE(lever->IsVisible());
    EXPECT_LT(LeverY(), base - 20);
    EXPECT_FALSE(Running("FlashCocoDropLever"));
    Passes(8);
    EXPECT_EQ(LeverY(), base);
    EXPECT_TRUE(Running("FlashCocoDropLever"));
    EXPECT_TRUE(button->IsFlashingEnabled());

    // Hovering shows the highlight; leaving flashes again.
    button->SetState("Highlighted");
    Pass();
    EXPECT_FALSE(Running("FlashCocoDropLever"));
    EXPECT_EQ(lever->GetImageName(), "cocodrop_blink1.png");
    button->SetState("Active");
    EXPECT_TRUE(Running("FlashCocoDropLever"));
}

TEST_F(LeverTest, PullingDropsTheLeverAndReleasingRaisesItAndDisablesTheButton)
{
    button->Present(false);
    Passes(10);
    button->ManuallyPressButton();
    Passes(10);
    EXPECT_EQ(LeverY(), base + 30);
    // A second press while it is down moves it no further.
    button->RunLeverScript("DropCocoDropLever", "DropCocoDropLever");
    Passes(10);
    EXPECT_EQ(LeverY(), base + 30);
    button->ManuallyReleaseButton();
    Passes(10);
    EXPECT_EQ(LeverY(), base);
    EXPECT_FALSE(button->IsEnabled());
    EXPECT_TRUE(lever->IsVisible());
}

TEST_F(LeverTest, APersonPullsTheLeverByClickingItsPicture)
{
    button->Present(false);
    Passes(10);
    // The lever's picture, 60 x 120 here, stands mostly above the invisible button.
    const Rect r = lever->GetGlobalRect();
    struct Case
    {
        int x, y;
        bool pulls;
    } cases[] = {
        {r.x + 30, r.y - 1, false},  // just above the lever
        {r.x + 30, r.y, true},       // its top row
        {r.x + 30, r.y + 100, true}, // its stick, over the button
        {r.x - 1, r.y + 10, false},  // just left of it
    };
    for (const Case& c : cases) {
        app->ResetRolloverAt(c.x, c.y, true);
        Pass();
        SDL_Event e{};
        e.button.type = SDL_MOUSEBUTTONDOWN;
        e.button.state = SDL_PRESSED;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = static_cast<Uint16>(c.x);
        e.button.y = static_cast<Uint16>(c.y);
        ASSERT_EQ(SDL_PushEvent(&e), 0);
        Passes(10);
        EXPECT_EQ(LeverY(), c.pulls ? base + 30 : base) << c.x << ", " << c.y;
        e.button.type = SDL_MOUSEBUTTONUP;
        e.button.state = SDL_RELEASED;
        ASSERT_EQ(SDL_PushEvent(&e), 0);
        Passes(10);
        EXPECT_EQ(LeverY(), base);
        EXPECT_EQ(button->IsEnabled(), !c.pulls) << c.x << ", " << c.y;
        button->Enable();
        app->ResetRolloverAt(0, 0, true);
        Pass();
    }
}

TEST_F(LeverTest, PresentingAShownLeverSwitchesItsLook)
{
    button->Present(true);
    Passes(10);
    button->Disable();
    // Plain: no flashing, and the button stays as it was.
    button->Present(false);
    Pass();
    EXPECT_FALSE(Running("FlashCocoDropLever"));
    EXPECT_EQ(lever->GetImageName(), "cocodrop_null.png");
    EXPECT_FALSE(button->IsEnabled());
    button->Present(true);
    EXPECT_TRUE(Running("FlashCocoDropLever"));
    EXPECT_TRUE(button->IsEnabled());
}

TEST_F(LeverTest, HidingTheButtonEndsTheFlashingForGood)
{
    button->Present(true);
    Passes(10);
    button->SetVisible(false);
    EXPECT_FALSE(button->IsFlashingEnabled());
    EXPECT_FALSE(Running("FlashCocoDropLever"));
    button->SetState("Highlighted");
    button->SetState("Active");
    EXPECT_FALSE(Running("FlashCocoDropLever"));
}

TEST_F(LeverTest, HidingTheButtonWhileTheLeverSlidesInIsQuiet)
{
    button->Present(true);
    Pass();
    EXPECT_TRUE(Running("PresentCocoDropLever"));
    button->SetVisible(false);
    EXPECT_FALSE(Running("PresentCocoDropLever"));
    EXPECT_NO_THROW(Passes(10));
    EXPECT_FALSE(Running("FlashCocoDropLever"));

    // Hidden in the very pass the slide ends: its end is heard and let be.
    button->SetVisible(true);
    lever->SetVisible(false);
    button->Present(true);
    Passes(4);
    while (Running("PresentCocoDropLever"))
        Pass();
    button->SetVisible(false);
    EXPECT_NO_THROW(Passes(3));
    EXPECT_FALSE(Running("FlashCocoDropLever"));
}

TEST_F(LeverTest, PullupSlidesTheLeverAwayAndDisablesTheButton)
{
    button->Present(true);
    Passes(10);
    button->Pullup();
    EXPECT_FALSE(button->IsEnabled());
    EXPECT_FALSE(Running("FlashCocoDropLever"));
    Passes(10);
    EXPECT_FALSE(lever->IsVisible());
    EXPECT_EQ(LeverY(), base - 30);
    // Presented again, it comes back down to where it rests.
    button->Present(false);
    Passes(10);
    EXPECT_TRUE(lever->IsVisible());
    EXPECT_EQ(LeverY(), base);
}

TEST_F(LeverTest, ALeverButtonWithoutItsLeverIsRefused)
{
    try {
        Make<CocoDropButton>(R"({ class = "CocoDropButton", text = "" })");
        ADD_FAILURE() << "made without a lever";
    } catch (const Exception& e) {
        EXPECT_NE(e.GetMessage().find("m_Lever != 0"), std::string::npos) << e.GetMessage();
    }
}

} // namespace
