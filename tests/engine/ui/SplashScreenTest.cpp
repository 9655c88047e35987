// The splash screen base: the version in the bottom-left corner and the
// distributor's logo named by the settings.

#include "ScreenTestSupport.h"
#include "engine/core/Config.h"
#include "engine/ui/SplashScreen.h"

#include <gmock/gmock.h>

using namespace screentest;
using ::testing::HasSubstr;

namespace {

using SplashScreenTest = ScreenFixture;

Actor* VersionLabel(const Screen& screen)
{
    for (Actor* child : screen.GetChildren())
        if (child->GetZOrder() == 100 && child->GetName().empty())
            return child;
    return nullptr;
}

} // namespace

TEST_F(SplashScreenTest, WithoutASiteOnlyTheVersionShowsInTheBottomLeftCorner)
{
    SplashScreen splash("SplashScreen", "");
    EXPECT_EQ(splash.GetName(), "SplashScreen");
    EXPECT_EQ(splash.FindChild("SiteLogo"), nullptr);
    EXPECT_THAT(LogText(), HasSubstr("Site: None\n"));
    Actor* version = VersionLabel(splash);
    ASSERT_NE(version, nullptr);
    EXPECT_GT(version->GetWidth(), 0);
    EXPECT_EQ(version->GetX(), 0);
    EXPECT_EQ(version->GetY() + version->GetHeight(), ScreenApp::kHeight);
}

TEST_F(SplashScreenTest, TheSiteNamesTheLogoPictureAndItsPlace)
{
    AddImage("lgositeAcme.png", 3, 2, 0xFFFF0000);
    Config* config = app->GetConfig();
    config->Store("SiteName", Variant("Acme"));
    config->Store("SiteLogoXPos", Variant(7.9));
    {
        SplashScreen splash("SplashScreen", "");
        Actor* logo = splash.FindChild("SiteLogo");
        ASSERT_NE(logo, nullptr);
        EXPECT_EQ(logo->GetImageName(), "lgositeAcme.png");
        EXPECT_EQ(logo->GetPosition(), Point<int>(7, SplashScreen::kDefaultLogoY)) << "truncated; y by default";
        EXPECT_EQ(logo->GetZOrder(), 100);
        EXPECT_THAT(LogText(), HasSubstr("Site: Acme\n"));
    }
    config->Store("SiteName", Variant(3.0));
    EXPECT_THAT(FailureOf([] { SplashScreen("SplashScreen", ""); }), HasSubstr("Assertion failed: (v.IsString())"));
}
