#pragma once

#include "game/shell/WoppleScreen.h"

#include <cstdint>
#include <memory>
#include <string>

class Button;
class Color;
class Image;

// The stamp book ("AwardScreen"), reached from the menu's "My Stamps": one
// badge per award of WoppleAwardsList, held ones at full strength and the
// others faded, and beside them the stamp info of the badge clicked last (its
// name, picture, description and the player's progress toward it). Four
// states: "Inactive", "Normal", "ShowingOptions" and "ShowingHelp". The layout
// is the template "WoppleAwardScreen", each badge the template "BadgeTemplate"
// ("WoppleAwardScreen.lua").
class WoppleAwardScreen : public WoppleScreen
{
public:
    // Faded badges and the info's picture of an award not held.
    static constexpr std::uint8_t kFadedAlpha = 64;
    static constexpr std::uint8_t kHeldAlpha = 255;

    WoppleAwardScreen();

    bool OnScreenTransition(Event* event) override;

    // Builds one badge per award, named after the award's key.
    void CreateBadges();
    // Each badge at full strength when the current player holds its award, else faded.
    void UpdateBadges();
    // The info column shows the award; the heading says "collected" when justCollected.
    void ShowStampInfo(const std::string& awardKey, bool justCollected);
    // The badge's picture on a plain field of the colour, as big as the badge.
    static std::unique_ptr<Image> MakeHighlightImage(const Color& color, Actor& badge);
    static void SetAlphaRecursive(Actor& actor, std::uint8_t alpha);

    bool GotAllStamps() const { return m_GotAllStamps; }
    // The award the info column shows.
    const std::string& GetShownAward() const { return m_ShownAward; }
    Button* GetBadge(const std::string& awardKey) const;

private:
    friend class WoppleAwardNormal;

    void EnterNormal();
    bool OnNormalButtonClick(const EventRecord& event);

    bool m_GotAllStamps = false;
    std::string m_ShownAward;
};
