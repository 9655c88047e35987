#include "game/rules/WoppleMultiBoardBaseLogic.h"

#include "engine/core/Class.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/TypeConversion.h"
#include "engine/ui/Actor.h"
#include "engine/ui/Label.h"
#include "game/rules/WoppleGameEvents.h"
#include "game/rules/WoppleGameMessages.h"
#include "game/rules/WoppleMultiBoardOutputLogic.h"
#include "game/rules/WoppleTalkingCharacter.h"
#include "game/shell/WoppleGameScreen.h"
#include "game/views/WoppleBoardView.h"
#include "platform/lua/LuaFunction.h"

#include <boost/format.hpp>

namespace {

constexpr int kDidNotCompleteLevel = 16;
constexpr int kGoalBonusPerLine = 100;
constexpr int kGoalBlinkMs = 300;

void WoppleMultiBoardBaseLogicClassHook(Class* c)
{
    using L = WoppleMultiBoardBaseLogic;
    for (auto [member, name] : {std::pair{&L::numberOfWopplesRequired, "numberOfWopplesRequired"},
                                std::pair{&L::numberOfSuperWopplesRequired, "numberOfSuperWopplesRequired"}}) {
        c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_INT32, MemberOf(member), name));
        c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_INT32, MemberOf(member), name));
    }
}

Point<int> CentreOf(const Actor& actor)
{
    const Rect r = actor.GetGlobalRect();
    return Point<int>(r.x + r.w / 2, r.y + r.h / 2);
}

} // namespace

// Abstract: the level tables name the modes below.
VELK_REGISTER_CLASS(WoppleMultiBoardBaseLogic, "WoppleOldSchoolBaseLogic", WoppleMultiBoardBaseLogicClassHook, nullptr);
VELK_REGISTER_CLASS(WoppleTwoBoardGameLogic, "WoppleMultiBoardBaseLogic", nullptr,
                    InstantiateObjectOfClass<WoppleTwoBoardGameLogic>);
VELK_REGISTER_CLASS(WoppleThreeBoardGameLogic, "WoppleMultiBoardBaseLogic", nullptr,
                    InstantiateObjectOfClass<WoppleThreeBoardGameLogic>);
VELK_REGISTER_CLASS(WoppleFourBoardGameLogic, "WoppleMultiBoardBaseLogic", nullptr,
                    InstantiateObjectOfClass<WoppleFourBoardGameLogic>);

WoppleMultiBoardBaseLogic::WoppleMultiBoardBaseLogic()
{
    // The old-school constructor could only make its own scoring logic.
    m_OutputLogic.reset(WoppleMultiBoardBaseLogic::CreateOutputLogic());
}

Object* WoppleMultiBoardBaseLogic::CreateOutputLogic()
{
    return new WoppleMultiBoardOutputLogic(*this);
}

void WoppleMultiBoardBaseLogic::UseLinkFunction(const char* functionName)
{
    ApplyProperty("createInterBoardCellConnections", ObjectLuaState().GetGlobal(functionName));
}

// ---------------------------------------------------------------- boards and controls

void WoppleMultiBoardBaseLogic::InitControls()
{
    WoppleOldSchoolBaseLogic::InitControls();
    Actor* root = GetRootActor();
    if (!root)
        return;
    m_WopplesLeftValue = dynamic_cast<Label*>(root->FindChild("wopplesLeftValue", true));
    m_SupersLeftValue = dynamic_cast<Label*>(root->FindChild("supersLeftValue", true));
    m_WopplesLeftCheck = root->FindChild("wopplesLeftCheck", true);
    m_SupersLeftCheck = root->FindChild("supersLeftCheck", true);
    m_WopplesNeededContainer = root->FindChild("wopplesNeededContainer", true);
    m_TotalRequired = numberOfWopplesRequired + numberOfSuperWopplesRequired;
}

void WoppleMultiBoardBaseLogic::InitBoardViews()
{
    LuaObject create = RetrieveProperty("createInterBoardCellConnections");
    if (!create.IsFunction())
        VELK_ASSERT_MSG(false, "createCellConnectionsObject could not be initialized.");
    ApplyProperty("interBoardCellConnections", LuaFunction<LuaObject>(create)());
    WoppleOldSchoolBaseLogic::InitBoardViews();
}

void WoppleMultiBoardBaseLogic::CreateBoardViews()
{
    m_BoardViews.assign(1, nullptr);
    for (int i = 1; i <= GetNumBoards(); ++i) {
        WoppleBoardView* board = CreateBoardView(i);
        board->boardIndex = i;
        for (int event : {WOPPLE_CELLCLICK, WOPPLE_CELLENTER, WOPPLE_CELLLEAVE})
            board->AttachObserver(event, this);
        m_BoardViews.push_back(board);
    }
}

WoppleBoardView* WoppleMultiBoardBaseLogic::CreateBoardView(int index)
{
    const std::string name = (boost::format("board_%1%") % index).str();
    Actor* root = GetRootActor();
    auto* board = root ? dynamic_cast<WoppleBoardView*>(root->FindChild(name, true)) : nullptr;
    VELK_ASSERT_MSG(board != 0, (boost::format("Could not find a board with the name \"%1%\".") % name).str());
    return board;
}

void WoppleMultiBoardBaseLogic::SetLevelName()
{
    WoppleOldSchoolBaseLogic::SetLevelName();
    RefreshGoalDisplay(false);
}

// ---------------------------------------------------------------- the goal

bool WoppleMultiBoardBaseLogic::IsLevelGoalMet()
{
    return numberOfWopplesRequired <= 0 && numberOfSuperWopplesRequired < 1;
}

std::string WoppleMultiBoardBaseLogic::GetLevelGoalText()
{
    return "Get enough Wopples and Super Wopples\nto advance to the next round.";
}

void WoppleMultiBoardBaseLogic::CountWoppleDown()
{
    --numberOfWopplesRequired;
    RefreshGoalDisplay(true);
}

void WoppleMultiBoardBaseLogic::CountSuperWoppleDown()
{
    --numberOfSuperWopplesRequired;
    RefreshGoalDisplay(true);
}

bool WoppleMultiBoardBaseLogic::ShowCount(std::int32_t& count, Label* label, Actor* check, std::string& shown)
{
    const bool done = count < 1;
    if (done)
        count = 0;
    const std::string text = (boost::format("%1%") % count).str();
    if (label) {
        label->SetText(text, true);
        label->SetVisible(!done);
    }
    if (check)
        check->SetVisible(done);
    const bool changed = text != shown;
    shown = text;
    return changed;
}

void WoppleMultiBoardBaseLogic::RefreshGoalDisplay(bool animate)
{
    const bool wopplesChanged = ShowCount(numberOfWopplesRequired, m_WopplesLeftValue, m_WopplesLeftCheck, m_WopplesShown);
    const bool supersChanged = ShowCount(numberOfSuperWopplesRequired, m_SupersLeftValue, m_SupersLeftCheck, m_SupersShown);
    if (!animate)
        return;
    Log(3, "Level goal: %d Wopples and %d Super Wopples to go\n", numberOfWopplesRequired, numberOfSuperWopplesRequired);
    auto* screen = dynamic_cast<WoppleGameScreen*>(GetTargetScreen());
    auto burst = [screen](const char* effect, Actor* over) {
        if (screen && over) {
            const Point<int> at = CentreOf(*over);
            screen->StartParticleEmitter(effect, at.x, at.y);
        }
    };
    if (wopplesChanged)
        burst("WhiteBurstEffectSmall", m_WopplesLeftValue);
    if (supersChanged)
        burst("WhiteBurstEffectSmall", m_SupersLeftValue);

    Actor* root = GetRootActor();
    Actor* blink = root ? root->FindChild("wopplesNeededBlink", true) : nullptr;
    if (numberOfWopplesRequired == 0 && numberOfSuperWopplesRequired == 0) {
        if (blink) {
            // A blink still fading would hide it again at its end.
            blink->StopFade();
            blink->SetAlpha(255);
            blink->SetVisible(true);
        }
        // Only the refresh that brings the goal home pays for it.
        if (!wopplesChanged && !supersChanged)
            return;
        burst("RainbowBurstEffect", m_SupersLeftValue);
        burst("RainbowBurstEffect", m_WopplesLeftValue);
        for (const char* sound : {"C_wopple.ogg", "combo.ogg", "claps.ogg"})
            PlayGameSound(sound);
        Point<int> at(400, 300);
        if (m_WopplesNeededContainer) {
            const Rect r = m_WopplesNeededContainer->GetGlobalRect();
            at = Point<int>(r.x + r.w / 2, r.y + r.h);
        }
        const std::int64_t bonus = static_cast<std::int64_t>(m_TotalRequired) * kGoalBonusPerLine;
        Log(3, "Level goal reached: %lld bonus points\n", static_cast<long long>(bonus));
        ShowScoreFlash(bonus, at.x, at.y, "GoldScoreFlash");
    } else if (blink) {
        blink->FadeInThenOut(kGoalBlinkMs);
    }
}

// ---------------------------------------------------------------- messages

Actor* WoppleMultiBoardBaseLogic::SayGameMessage(int id, Object* listener, const std::string& text1,
                                                const std::string& text2, const std::string& text3)
{
    if (id != kDidNotCompleteLevel)
        return WoppleOldSchoolBaseLogic::SayGameMessage(id, listener, text1, text2, text3);
    return SayWithScript(id, numberOfSuperWopplesRequired > 0 ? "SayDidNotGetSuperWopples" : "SayDidNotGetWopples");
}

// ---------------------------------------------------------------- the three arrangements

WoppleTwoBoardGameLogic::WoppleTwoBoardGameLogic()
{
    UseLinkFunction("CreateTwoBoardCellConnections");
}

WoppleThreeBoardGameLogic::WoppleThreeBoardGameLogic()
{
    UseLinkFunction("CreateThreeBoardCellConnections");
}

WoppleFourBoardGameLogic::WoppleFourBoardGameLogic()
{
    UseLinkFunction("CreateFourBoardCellConnections");
}
