#include "game/shell/WoppleAwardScreen.h"

#include "engine/core/Class.h"
#include "engine/core/Color.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/ImageEffects.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/ui/Button.h"
#include "engine/ui/Label.h"
#include "engine/ui/NoteManager.h"
#include "engine/ui/ScreenManager.h"
#include "game/shell/WoppleAwardDialog.h"
#include "game/shell/WopplePlayer.h"
#include "game/shell/WoppleScreenStates.h"

#include <boost/format.hpp>

namespace {

// The help tour's section in "WoppleHelp.lua".
const char* const kHelpSection = "AwardScreen";
const char* const kBadgeTemplate = "BadgeTemplate";
const char* const kFirstShownAward = "ticTacWopples";
const char* const kAllStampsAward = "stampCollector";
// The stamps' pictures are drawn for the award dialog; the book shows them at
// this share of that size (84 of 145 across, 103 of 179 down).
constexpr double kBadgeZoomX = 84.0 / 145.0;
constexpr double kBadgeZoomY = 103.0 / 179.0;

LuaObject AwardsList()
{
    return ObjectLuaState().GetGlobal("WoppleAwardsList");
}

WopplePlayer* CurrentPlayer()
{
    PlayerManager* players = PlayerManager::GetInstance();
    return players ? dynamic_cast<WopplePlayer*>(players->GetCurrentPlayer(1)) : nullptr;
}

bool IsTrue(const LuaObject& value)
{
    return value.IsBoolean() && value.GetBoolean();
}

// A colour the named colours lack would stop the screen being built; the hover glow stands in.
Color HighlightColor(const LuaObject& value, const std::string& awardKey)
{
    if ((value.IsString() && Colors::Exists(value.GetString())) || value.IsTable())
        return Color(value);
    LogWrite("WARNING: WoppleAwardScreen: the award \"%s\" has no highlight colour that is known.\n",
             awardKey.c_str());
    return Colors::Gold;
}

class Inactive : public WoppleScreenStates::ScreenState
{
public:
    explicit Inactive(WoppleAwardScreen& s) : ScreenState(s, "Inactive") {}
    void OnEnterState() override
    {
        if (NoteManager* notes = m_Screen.GetNoteManager())
            notes->DestroyNoteBubble();
    }
};

} // namespace

class WoppleAwardNormal : public State
{
public:
    explicit WoppleAwardNormal(WoppleAwardScreen& s) : m_Screen(s) {}
    std::string GetName() const override { return "Normal"; }
    void OnEnterState() override { m_Screen.EnterNormal(); }
    bool OnButtonClick(const EventRecord& event) override { return m_Screen.OnNormalButtonClick(event); }

private:
    WoppleAwardScreen& m_Screen;
};

WoppleAwardScreen::WoppleAwardScreen() : WoppleScreen("", "AwardScreen")
{
    m_GotAllStamps = false;
    ApplyNamedResource("WoppleAwardScreen");
    for (const char* name : {"mainMenuButton", "optionsButton", "helpButton"})
        if (Actor* button = FindChild(name, true))
            button->AddToGroup(this);

    AddState(new Inactive(*this), false);
    AddState(new WoppleAwardNormal(*this), false);
    AddState(new WoppleScreenStates::ShowingOptions(*this), false);
    AddState(new WoppleScreenStates::ShowingHelp(*this, kHelpSection), false);
    SetState("Inactive");

    CreateBadges();
    ShowStampInfo(kFirstShownAward, false);
}

bool WoppleAwardScreen::OnScreenTransition(Event* event)
{
    auto* transition = dynamic_cast<ScreenTransitionEvent*>(event);
    if (transition && transition->kind == 1) {
        if (transition->newScreen == this) {
            LogWrite("OnScreenTransition -> WoppleAwardScreen\n");
            SetState("Normal");
        } else if (transition->oldScreen == this) {
            SetState("Inactive");
        }
    }
    return WoppleScreen::OnScreenTransition(event);
}

Button* WoppleAwardScreen::GetBadge(const std::string& awardKey) const
{
    // Direct children only: the info column's actors have names of their own.
    return dynamic_cast<Button*>(FindChild(awardKey, false));
}

void WoppleAwardScreen::CreateBadges()
{
    LuaObject awards = AwardsList();
    VELK_ASSERT_MSG(awards.IsTable(), "WoppleAwardsList");
    for (LuaTableIterator it(awards); it; ++it) {
        if (!it.GetKey().IsString() || !it.GetValue().IsTable())
            continue;
        const std::string key = it.GetKey().GetString();
        const LuaObject award = it.GetValue();

        std::unique_ptr<Object> made(ClassManager::GetInstance()->InstantiateObjectFromResource(kBadgeTemplate));
        auto* badge = dynamic_cast<Button*>(made.get());
        VELK_ASSERT_MSG(badge != nullptr, "The badge template makes a Button.");
        made.release();
        std::unique_ptr<Button> owned(badge);

        LuaObject looks = award["visualProperties"];
        if (looks.IsTable())
            badge->ApplyPropertyTable(looks);
        if (Image* picture = badge->GetImage())
            if (auto zoomed = ZoomImageXY(*picture, kBadgeZoomX, kBadgeZoomY, true))
                badge->SetImage(std::move(zoomed), badge->GetImageName());

        if (Actor* layer = badge->FindChild("hilightLayer", false)) {
            layer->SetImage(MakeHighlightImage(HighlightColor(award["hilightColor"], key), *badge), "");
            layer->SetShaderType(SHADERTYPE_BLENDCOMBINEDALPHA);
        }

        AddChild(owned.release(), key);
        badge->AddToGroup(this);
        badge->ApplyBoolProperty("isStamp", true);
        badge->SetName(key);
        badge->SetHighlightChild("hilightLayer");
        if (auto* tip = dynamic_cast<Label*>(badge->FindChild("stampScreenTip", false)))
            if (award["fullName"].IsString())
                tip->SetText(award["fullName"].GetString(), true);
    }
}

std::unique_ptr<Image> WoppleAwardScreen::MakeHighlightImage(const Color& color, Actor& badge)
{
    Image* picture = badge.GetImage();
    if (!picture || badge.GetWidth() <= 0 || badge.GetHeight() <= 0)
        return nullptr;
    Canvas canvas(badge.GetWidth(), badge.GetHeight(), CANVAS_DESTROY_TARGET);
    const Image::Size size = picture->GetSize();
    canvas.FillRect(static_cast<int>(size.w), static_cast<int>(size.h), color);
    Image* target = canvas.GetTargetSurface();
    const Point<int> origin(0, 0);
    picture->AlphaBlitOnto(nullptr, target, &origin);
    // The canvas takes its picture with it: the layer keeps a copy of its own.
    return target->CreateDeepCopy();
}

void WoppleAwardScreen::SetAlphaRecursive(Actor& actor, std::uint8_t alpha)
{
    actor.SetAlpha(alpha);
    for (Actor* child : actor.GetChildren())
        SetAlphaRecursive(*child, alpha);
}

void WoppleAwardScreen::UpdateBadges()
{
    WopplePlayer* player = CurrentPlayer();
    // Worked out afresh for whoever plays now: another player's full book is not this one's.
    m_GotAllStamps = false;
    for (LuaTableIterator it(AwardsList()); it; ++it) {
        if (!it.GetKey().IsString())
            continue;
        const std::string key = it.GetKey().GetString();
        Button* badge = GetBadge(key);
        if (!badge)
            continue;
        badge->SetShaderType(SHADERTYPE_BLENDCOMBINEDALPHA);
        Actor* layer = badge->FindChild("hilightLayer", false);
        const std::uint8_t layerAlpha = layer ? layer->GetAlpha() : 0;
        if (player && player->HasAward(key)) {
            SetAlphaRecursive(*badge, kHeldAlpha);
            if (key == kAllStampsAward)
                m_GotAllStamps = true;
        } else {
            SetAlphaRecursive(*badge, kFadedAlpha);
        }
        // The hover tint shows the same on held and faded badges.
        if (layer)
            layer->SetAlpha(layerAlpha);
    }
}

void WoppleAwardScreen::ShowStampInfo(const std::string& awardKey, bool justCollected)
{
    auto* text = dynamic_cast<Label*>(FindChild("Text", true));
    auto* header = dynamic_cast<Label*>(FindChild("Header", true));
    Actor* stampImage = FindChild("stampImage", true);
    LuaObject award = AwardsList();
    if (award.IsTable())
        award = award[awardKey];
    VELK_ASSERT_MSG(award.IsTable(), (boost::format("No award \"%1%\" in WoppleAwardsList.") % awardKey).str());
    m_ShownAward = awardKey;

    if (header && award["fullName"].IsString()) {
        const std::string name = award["fullName"].GetString();
        header->SetText(justCollected ? (boost::format("Stamp Collected: '%1%'") % name).str() : name, true);
    }

    std::string message = award["description"].IsString() ? award["description"].GetString() : std::string();
    WopplePlayer* player = CurrentPlayer();
    // Reading progress writes each statistic's first value: not onto a slot nobody plays yet.
    if (player && player->IsUnused())
        player = nullptr;
    const bool held = player && player->HasAward(awardKey);
    if (held) {
        message += "\n\nYou have successfully gained this stamp!";
    } else if (player) {
        message += AwardProgressText(*player, award);
    }

    if (stampImage) {
        stampImage->SetAlpha(held ? kHeldAlpha : kFadedAlpha);
        LuaObject looks = award["visualProperties"];
        if (looks.IsTable())
            stampImage->ApplyPropertyTable(looks);
        // The column's alignment places the picture, not the badge's position in the book.
        stampImage->UpdateAlignment();
        stampImage->SetVisible(true);
    }
    if (text) {
        text->SetText(message, true);
        text->UpdateAlignment();
        text->SetVisible(true);
    }
    if (header) {
        header->UpdateAlignment();
        header->SetVisible(true);
    }
}

void WoppleAwardScreen::EnterNormal()
{
    UpdateBadges();
    // The column speaks of the player who looks now, not of whoever looked before.
    if (!m_ShownAward.empty())
        ShowStampInfo(m_ShownAward, false);
    WopplePlayer* player = CurrentPlayer();
    if (!player)
        return;
    LuaObject options = player->GetOptionsTable();
    LuaObject stats = options["AwardScreenStats"];
    if (!stats.IsTable())
        stats = options.CreateTable("AwardScreenStats");
    if (!IsTrue(stats["seenHelpBlink"])) {
        if (auto* help = dynamic_cast<Button*>(FindChild("helpButton", true)))
            help->SetBlink(true, Colors::Green);
        stats.SetBoolean("seenHelpBlink", true);
        if (GameDataIO* io = GameDataIO::GetInstance())
            io->SaveAllPlayerData();
    } else if (m_GotAllStamps) {
        ShowGameCompleteDialog("gotAllStamps", false);
    }
}

bool WoppleAwardScreen::OnNormalButtonClick(const EventRecord& event)
{
    auto* button = static_cast<Actor*>(event.user.data1);
    const std::string name = button ? button->GetName() : std::string();
    if (name == "mainMenuButton") {
        ScreenManager::GetInstance()->SwitchToScreen("MenuScreen");
    } else if (name == "optionsButton") {
        SetState("ShowingOptions");
    } else if (name == "helpButton") {
        ToggleScreenHelp(kHelpSection);
    } else if (button && IsTrue(button->RetrieveProperty("isStamp"))) {
        ShowStampInfo(name, false);
    } else {
        return OnButtonClick(event);
    }
    return true;
}
