#pragma once

#include "engine/ui/Screen.h"

#include <string>

// The engine's first screen: the distributor's logo when the settings name a
// site, and the program's version in the bottom-left corner. The game's own
// splash screen builds on it.
class SplashScreen : public Screen
{
public:
    // Where the logo stands unless "SiteLogoXPos" and "SiteLogoYPos" say otherwise.
    static constexpr int kDefaultLogoX = 20;
    static constexpr int kDefaultLogoY = 20;
    static constexpr int kVersionFontSize = 12;

    // The layout is the background resource of the screen.
    SplashScreen(const std::string& screenName, const std::string& layoutName);

    // Adds "SiteLogo" ("lgosite<site>.png") when "SiteName" names a site.
    virtual void InitSiteLogos();
};
