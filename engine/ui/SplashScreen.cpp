#include "engine/ui/SplashScreen.h"

#include "engine/core/Config.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/Font.h"
#include "engine/runtime/Image.h"

#include <memory>

namespace {

const Color kVersionColor = Colors::White;

Variant Setting(const std::string& key)
{
    Config* config = GetConfig();
    return config ? config->Retrieve(key) : Variant();
}

} // namespace

SplashScreen::SplashScreen(const std::string& screenName, const std::string& layoutName)
    : Screen(layoutName, screenName, nullptr)
{
    Log(3, "SplashScreen::SplashScreen()\n");
    SplashScreen::InitSiteLogos();

    Variant fontName = Setting("VersionFont");
    VELK_ASSERT_MSG(fontName.IsString(), "The setting \"VersionFont\" must name a font file.");
    Font font(fontName.ToString(), kVersionFontSize, 0);
    auto version = std::make_unique<Actor>();
    version->SetImage(font.RenderToImage(GetAppVersionString(), kVersionColor), std::string());
    version->SetPosition(0, GetHeight() - version->GetHeight());
    version->SetZOrder(100);
    AddChild(version.release());
}

void SplashScreen::InitSiteLogos()
{
    Variant v = Setting("SiteName");
    if (v.IsEmpty()) {
        LogWrite("Site: None\n");
        return;
    }
    VELK_ASSERT(v.IsString());
    const std::string site = v.ToString();
    LogWrite("Site: %s\n", site.c_str());
    const std::string imageName = (boost::format("lgosite%1%.png") % site).str();

    int x = kDefaultLogoX;
    int y = kDefaultLogoY;
    Variant xPos = Setting("SiteLogoXPos");
    if (xPos.IsDouble())
        x = static_cast<int>(xPos.ToDouble());
    Variant yPos = Setting("SiteLogoYPos");
    if (yPos.IsDouble())
        y = static_cast<int>(yPos.ToDouble());

    auto logo = std::make_unique<Actor>(imageName);
    logo->SetName("SiteLogo");
    logo->SetPosition(x, y);
    logo->SetZOrder(100);
    AddChild(logo.release());
}
