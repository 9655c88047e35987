#include "game/rules/OldSchoolSpinStates.h"

#include "engine/core/CoreHost.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/Utility.h"
#include "engine/ui/Actor.h"
#include "game/rules/WoppleGameMessages.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"
#include "game/rules/WoppleParticipantLogic.h"
#include "game/shell/WoppleScreen.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WopplePowerupView.h"
#include "game/views/WoppleWheelSetView.h"
#include "game/views/WoppleWheelView.h"

#include <boost/format.hpp>

#include <algorithm>
#include <cstdlib>

namespace OldSchoolStates {

namespace {

void Say(WoppleOldSchoolBaseLogic& logic, const char* message, Object* listener = nullptr)
{
    logic.SayGameMessage(WoppleGameMessages::GetMessageId(message), listener, "", "", "");
}

std::string UnknownAction(const std::string& action, const std::string& motive)
{
    return (boost::format("Unknown action=\"%1%\", motive=\"%2%\"") % action % motive).str();
}

bool IsWalkthroughLevel(const WoppleOldSchoolBaseLogic& logic)
{
    return logic.levelNumber == 0 || logic.levelNumber == 1;
}

void RemoveFreeSpinFromBar(WoppleOldSchoolBaseLogic& logic)
{
    logic.SetFreeSpins(logic.GetFreeSpins(WoppleOldSchoolBaseLogic::kNoParticipant) - 1,
                       WoppleOldSchoolBaseLogic::kNoParticipant);
    if (WopplePowerupView* bar = logic.GetPowerupView(-1))
        bar->RemoveFreeSpin();
}

} // namespace

State* CreateSpinState(WoppleOldSchoolBaseLogic& owner, const std::string& name)
{
    if (name == "NextSpin")
        return new NextSpin(owner);
    if (name == "RouteSpin")
        return new RouteSpin(owner);
    if (name == "PromptForFreeSpin")
        return new PromptForFreeSpin(owner);
    if (name == "PromptForBuy")
        return new PromptForBuy(owner);
    if (name == "DeductSpinPoints")
        return new DeductSpinPoints(owner);
    if (name == "WaitForSpin")
        return new WaitForSpin(owner);
    if (name == "SpinWheel")
        return new SpinWheel(owner);
    if (name == "NoMatches")
        return new NoMatches(owner);
    if (name == "RouteSpinCompletion")
        return new PassOn(owner, "RouteSpinCompletion", "NextPlayer");
    if (name == "NextPlayer")
        return new PassOn(owner, "NextPlayer", "NextSpin");
    if (name == "LostSpin")
        return new PassOn(owner, "LostSpin", "NextSpin");
    return nullptr;
}

// ---------------------------------------------------------------- NextSpin

void NextSpin::OnEnterState()
{
    if (Actor* bonusTimer = m_Owner.GetBonusTimer(); bonusTimer && bonusTimer->GetState())
        bonusTimer->SetState("SpinCompleted");
    if (WoppleWheelSetView* reels = m_Owner.GetWheelsView())
        reels->ResetProgressOverlays();
    if (m_Owner.AllBoardsFull(true)) {
        m_Owner.SetState("ProcessFullBoards");
    } else if (m_Owner.HasSpinsLeft()) {
        m_Owner.SetSpinCount(m_Owner.GetSpinCount() + 1);
        m_Owner.freeSpinsWonThisSpin = 0;
        m_Owner.SetState("RouteSpin");
    } else {
        m_Owner.SetState("EndGameTransition");
    }
}

// ---------------------------------------------------------------- RouteSpin

void RouteSpin::OnEnterState()
{
    if (m_Owner.GetSpinCount() < WoppleOldSchoolBaseLogic::kFirstPaidSpin)
        m_Owner.SetState("WaitForSpin");
    else if (m_Owner.GetFreeSpins(WoppleOldSchoolBaseLogic::kNoParticipant) > 0)
        m_Owner.SetState("PromptForFreeSpin");
    else
        m_Owner.SetState("PromptForBuy");
}

// ---------------------------------------------------------------- PromptForFreeSpin

void PromptForFreeSpin::OnEnterState()
{
    if (m_Owner.allSpinsFree || m_Owner.IsFreeSpin()) {
        m_Owner.SetState("WaitForSpin");
        return;
    }
    // Free spins enough for every spin left, this one included: no question.
    const int left = m_Owner.GetSpinsPerLevel() - m_Owner.GetSpinCount() + 1;
    if (m_Owner.GetFreeSpins(WoppleOldSchoolBaseLogic::kNoParticipant) >= left) {
        RemoveFreeSpinFromBar(m_Owner);
        m_Owner.SetState("WaitForSpin");
        return;
    }
    m_Owner.LoopLevelMusic("Break");
    m_Owner.RequestOfParticipant(m_Owner.IsLevelGoalMet() ? "PromptForFreeSpinWithCashOut" : "PromptForFreeSpin");
}

bool PromptForFreeSpin::OnParticipantAction(Event* event)
{
    const std::string motive = PayloadString(event, "motive");
    const std::string action = PayloadString(event, "action");
    VELK_ASSERT(motive == "PromptForFreeSpin" || motive == "PromptForFreeSpinWithCashOut");
    if (action != "buy spin" && action != "use free spin" && action != "cash out")
        VELK_ASSERT_MSG(false, UnknownAction(action, motive));
    m_Owner.ReturnParticipantToIdle();
    if (action == "buy spin") {
        m_Owner.SetState("DeductSpinPoints");
    } else if (action == "use free spin") {
        RemoveFreeSpinFromBar(m_Owner);
        m_Owner.SetState("WaitForSpin");
    } else {
        m_Owner.SetState("EndGameTransition");
    }
    return true;
}

// ---------------------------------------------------------------- PromptForBuy

void PromptForBuy::OnEnterState()
{
    if (m_Owner.allSpinsFree || m_Owner.IsFreeSpin()) {
        m_Owner.SetState("WaitForSpin");
        return;
    }
    if (!m_Owner.IsLevelGoalMet()) {
        m_Owner.SetState("DeductSpinPoints");
        return;
    }
    m_Owner.LoopLevelMusic("Break");
    m_Owner.RequestOfParticipant("PromptForBuyWithCashOut");
}

bool PromptForBuy::OnParticipantAction(Event* event)
{
    const std::string motive = PayloadString(event, "motive");
    const std::string action = PayloadString(event, "action");
    VELK_ASSERT(motive == "PromptForBuy");
    if (action != "buy spin" && action != "cash out")
        VELK_ASSERT_MSG(false, UnknownAction(action, motive));
    m_Owner.ReturnParticipantToIdle();
    m_Owner.SetState(action == "buy spin" ? "DeductSpinPoints" : "EndGameTransition");
    return true;
}

// ---------------------------------------------------------------- DeductSpinPoints

void DeductSpinPoints::OnEnterState()
{
    if (!m_Owner.allSpinsFree && !m_Owner.IsFreeSpin()) {
        const std::int64_t score = m_Owner.GetScore(WoppleOldSchoolBaseLogic::kNoParticipant);
        m_Owner.SetScore(score - m_Owner.GetMinimumAllowableScoreForSpin());
    }
    GoToNextState();
}

// ---------------------------------------------------------------- WaitForSpin

void WaitForSpin::OnEnterState()
{
    m_Owner.SetFreeSpin(false);
    if (m_Owner.GetSpinCount() == 1) {
        m_Owner.SpinStart();
        m_Owner.PresentSpinLever(false);
        return;
    }
    if (m_Owner.GetSpinCount() == m_Owner.GetSpinsPerLevel() && !m_Owner.IsLevelGoalMet())
        Say(m_Owner, "YOU_CAN_DO_IT");
    Say(m_Owner, "WAIT_FOR_TURN");
    m_Owner.RequestOfParticipant("WaitForSpin");
}

bool WaitForSpin::OnEvent(const EventRecord& event)
{
    if (event.type == VELK_BUTTONPRESS || event.type == WOPPLE_COUNTDOWNFINISHED)
        if (Object* participant = m_Owner.GetParticipantLogic())
            return participant->Object::OnEvent(event);
    return Base::OnEvent(event);
}

bool WaitForSpin::OnParticipantAction(Event* event)
{
    const std::string motive = PayloadString(event, "motive");
    const std::string action = PayloadString(event, "action");
    VELK_ASSERT(motive == "WaitForSpin");
    if (action == "start spin") {
        m_Owner.ReturnParticipantToIdle();
        m_Owner.SpinStart();
    } else if (action == "timer expired") {
        m_Owner.ReturnParticipantToIdle();
        Say(m_Owner, "TIME_RAN_OUT");
        m_Owner.SetState("LostSpin");
    } else {
        VELK_ASSERT_MSG(false, UnknownAction(action, motive));
    }
    return true;
}

void WaitForSpin::OnExitState()
{
    // A round without a participant logic has nobody to wait for.
    if (Object* partLogic = m_Owner.GetParticipantLogic())
        VELK_ASSERT(partLogic->GetStateName() == "Idle");
}

// ---------------------------------------------------------------- SpinWheel

void SpinWheel::OnEnterState()
{
    WoppleWheelSetView* reels = m_Owner.GetWheelsView();
    if (reels)
        reels->ShowProgressOverlays();
    m_Owner.matchesThisSpin = 0;
    m_Owner.wopplesThisSpin = 0;

    const int turns = m_Owner.GetWoppleVisionTurns();
    if (turns == 1) {
        Say(m_Owner, "WOPPLE_VISION_RAN_OUT");
        m_Owner.PlayGameSound("ahaway.ogg");
        m_Owner.SetWoppleVision(0, true);
    }
    m_Owner.SetWoppleVision(std::max(m_Owner.GetWoppleVisionTurns() - 1, 0), false);

    GenerateWheels();
    m_Owner.ResetWheelsForSpin();
    if (reels)
        reels->StartSpin();
    m_Owner.RearrangeBonusSquares(true);
    if (WopplePowerupView* bar = m_Owner.GetPowerupView(-1))
        bar->SetMultiplier(m_Owner.GetTotalMultiplier());
}

bool SpinWheel::OnWheelAnimationUpdate(Event* event)
{
    const LuaObject finished =
        event && event->payload && event->payload->IsTable() ? (*event->payload)["isFinished"] : LuaObject();
    if (finished.IsBoolean() && finished.GetBoolean()) {
        ShowFeatureTips();
        m_Owner.SetState("ProcessBonusWheels");
    }
    return true;
}

void SpinWheel::OnExitState()
{
    if (WopplePowerupView* bar = m_Owner.GetPowerupView(-1))
        bar->SetMultiplier(m_Owner.GetTotalMultiplier());
    if (Actor* bonusTimer = m_Owner.GetBonusTimer())
        SendEvent(bonusTimer, WOPPLE_MAKEMATCH, 0, nullptr, nullptr);
    m_Owner.RearrangeBonusSquares(false);
    WoppleScreen* screen = m_Owner.GetTargetScreen();
    if (screen && IsWalkthroughLevel(m_Owner) && m_Owner.GetSpinCount() == 1 &&
        !screen->IsTipShown("GameMessage", "CLICK_ON_NUMBER")) {
        Say(m_Owner, "CLICK_ON_NUMBER");
        screen->MarkTipShown("GameMessage", "CLICK_ON_NUMBER");
    }
}

void SpinWheel::ShowFeatureTips()
{
    WoppleScreen* screen = m_Owner.GetTargetScreen();
    WoppleWheelSetView* reels = m_Owner.GetWheelsView();
    if (!screen || !reels)
        return;
    auto pointAt = [screen](WoppleWheelView* reel, const char* tip) {
        const Rect r = reel->GetGlobalRect();
        screen->PointOutOneThing("gameIntroduceFeature", tip, r.x + r.w / 2, r.y - 20, true);
    };
    const int spin = m_Owner.GetSpinCount();
    if (IsWalkthroughLevel(m_Owner) && spin >= 2) {
        if (WoppleWheelView* reel = reels->FindWheelOfType(WheelTypeSuperJoker))
            pointAt(reel, "superjoker");
        else if (WoppleWheelView* joker = reels->FindWheelOfType(WheelTypeJoker))
            pointAt(joker, "joker");
        else if (WoppleWheelView* coin = reels->FindWheelOfType(WheelTypeCoin))
            pointAt(coin, "goldcoin");
    }
    if (m_Owner.levelNumber == 3 && spin == 1)
        if (WoppleWheelView* reel = reels->FindWheelOfType(WheelTypeMultiplier))
            pointAt(reel, "multiplier");
    if (m_Owner.levelNumber == 15 && spin == 1 && reels->FindWheelOfType(WheelTypeJoker))
        if (WoppleBoardView* board = m_Owner.GetBoardView(1))
            if (WoppleCellView* cell = board->GetCellView(1, 1)) {
                const Rect r = cell->GetGlobalRect();
                screen->PointOutOneThing("gameIntroduceFeature", "multiboard1", r.x + r.w / 2 - 8, r.y + 25, true);
            }
}

// ---------------------------------------------------------------- the reels' squares

void SpinWheel::GenerateWheels()
{
    WoppleWheelSetView* reels = m_Owner.GetWheelsView();
    if (!reels)
        return;
    const int numWheels = reels->GetNumWheels();
    const int spin = m_Owner.GetSpinCount();
    const int spins = m_Owner.GetSpinsPerLevel();
    Application* app = Application::GetInstance();
    WoppleBoardView* first = m_Owner.GetBoardView(1);
    const int middle = first ? (first->GetNumColumns() - 1) / 2 : (numWheels - 1) / 2;

    for (int i = 0; i < numWheels; ++i) {
        WoppleWheelView* wheel = reels->GetWheelView(i + 1);
        if (!wheel)
            continue;
        if (app && app->RetrieveBoolProperty("alwaysGetSuperJoker", false) && i == middle) {
            wheel->SetNumberOfTypedSquares(WheelTypeJoker, 0);
            wheel->SetNumberOfTypedSquares(WheelTypeNumber, 0);
            wheel->SetNumberOfTypedSquares(WheelTypeCoin, 0);
            wheel->SetNumberOfTypedSquares(WheelTypeFreeSpin, 0);
            wheel->SetNumberOfTypedSquares(WheelTypeSuperJoker, 10);
            wheel->BuildStrip();
            continue;
        }
        wheel->SetNumberOfTypedSquares(WheelTypeNumber, 15);
        wheel->SetNumberOfTypedSquares(WheelTypeJoker, 3);
        if (m_Owner.IsDuel()) {
            wheel->BuildStrip();
            wheel->ClearSquares();
            continue;
        }
        wheel->SetNumberOfTypedSquares(WheelTypeCoin, 1);
        if (numWheels == 5)
            GenerateWheelFromSetOfFive(i, *wheel);
        else if (numWheels == 7)
            GenerateWheelFromSetOfSeven(i, *wheel);
        else
            VELK_ASSERT_MSG(false,
                            (boost::format("No code exists to generate wheels from a set of %1%.") % numWheels).str());

        const bool devilFreeSpin = spin == 1 || spin == 16 || spin == 20;
        // Spins 17 to 19 keep a devil only on the second reel.
        const bool lateSpin = spin >= 17 && spin <= 19 && i != 1;
        if (devilFreeSpin || lateSpin || !m_Owner.wheelDevils) {
            wheel->SetNumberOfTypedSquares(WheelTypeDevil, 0);
            wheel->SetNumberOfTypedSquares(WheelTypeDevilCherub, 0);
        }
        if (spin == 20)
            wheel->SetNumberOfTypedSquares(WheelTypeFreeSpin, 0);
        // Free spins enough already, or exactly one short of the spins left: no more on offer.
        const int left = spins - spin + 1;
        const auto freeSpins = [this] { return m_Owner.GetFreeSpins(WoppleOldSchoolBaseLogic::kNoParticipant); };
        if (left == freeSpins() || left == freeSpins() + 1 || freeSpins() >= 4)
            wheel->SetNumberOfTypedSquares(WheelTypeFreeSpin, 0);
        if (m_Owner.IsJokerTestOn()) {
            for (int type : {WheelTypeSuperJoker, WheelTypeDevil, WheelTypeDevilCherub, WheelTypeNumber,
                             WheelTypeFreeSpin, WheelTypeCoin, WheelTypeMultiplier, WheelTypeCherub,
                             WheelTypeWoppleVision, WheelTypeGem})
                wheel->SetNumberOfTypedSquares(type, 0);
            wheel->SetNumberOfTypedSquares(WheelTypeJoker, 1);
        }
        wheel->BuildStrip();
        wheel->ClearSquares();
    }
    ApplyWalkthrough();
}

void SpinWheel::SetDevilSquares(WoppleWheelView& wheel)
{
    if (m_Owner.IsDevilLimitReached()) {
        wheel.SetNumberOfTypedSquares(WheelTypeCoin, 2);
        wheel.SetNumberOfTypedSquares(WheelTypeDevil, 0);
        return;
    }
    const bool devil = m_Owner.GetDevilsThatTookPoints() < m_Owner.GetDevilTakingLimit() && std::rand() % 5 < 2 &&
                       !m_Owner.HasDevilProtection();
    wheel.SetNumberOfTypedSquares(WheelTypeDevilCherub, devil ? 0 : 1);
    wheel.SetNumberOfTypedSquares(WheelTypeDevil, devil ? 1 : 0);
}

void SpinWheel::GenerateWheelFromSetOfFive(int index, WoppleWheelView& wheel)
{
    const int reel = index + 1;
    if (reel == 1 || reel == 5)
        wheel.SetNumberOfTypedSquares(WheelTypeFreeSpin, m_Owner.allSpinsFree ? 0 : 1);
    else if (reel == 2 || reel == 4)
        SetDevilSquares(wheel);
    else if (reel == 3)
        wheel.SetNumberOfTypedSquares(WheelTypeSuperJoker, 1);
    else
        VELK_ASSERT(false);

    const int spin = m_Owner.GetSpinCount();
    if (m_Owner.wheelMultipliers)
        wheel.SetNumberOfTypedSquares(WheelTypeMultiplier, 1);
    if (m_Owner.wheelDevilProtection && (reel == 1 || reel == 5))
        wheel.SetNumberOfTypedSquares(WheelTypeCherub, !m_Owner.HasDevilProtection() && spin != 20 ? 1 : 0);
    if (m_Owner.wheelWoppleVision && (reel == 2 || reel == 4))
        wheel.SetNumberOfTypedSquares(WheelTypeWoppleVision, m_Owner.GetWoppleVisionTurns() == 0 && spin != 20 ? 1 : 0);
}

void SpinWheel::GenerateWheelFromSetOfSeven(int index, WoppleWheelView& wheel)
{
    const int reel = index + 1;
    wheel.SetNumberOfTypedSquares(WheelTypeJoker, 4);
    if (reel == 1 || reel == 7)
        wheel.SetNumberOfTypedSquares(WheelTypeFreeSpin, m_Owner.allSpinsFree ? 0 : 1);
    else if (reel == 2 || reel == 4 || reel == 6)
        wheel.SetNumberOfTypedSquares(WheelTypeSuperJoker, 1);
    else if (reel == 3 || reel == 5)
        SetDevilSquares(wheel);
    else
        VELK_ASSERT(false);

    const int spin = m_Owner.GetSpinCount();
    if (m_Owner.wheelMultipliers)
        wheel.SetNumberOfTypedSquares(WheelTypeMultiplier, 1);
    if (m_Owner.wheelDevilProtection && (reel == 1 || reel == 7))
        wheel.SetNumberOfTypedSquares(WheelTypeCherub, !m_Owner.HasDevilProtection() && spin != 20 ? 1 : 0);
    if (m_Owner.wheelWoppleVision && (reel == 2 || reel == 6))
        wheel.SetNumberOfTypedSquares(WheelTypeWoppleVision, m_Owner.GetWoppleVisionTurns() == 0 && spin != 20 ? 1 : 0);
}

// ---------------------------------------------------------------- the walkthrough

namespace {

// What the walkthrough makes a reel land on: a sure match on board 1's cell
// (column, row), a number missing from every board, any number of the reel,
// or a symbol.
struct Forced
{
    enum Kind { Cell, Miss, Random, Symbol } kind;
    int value = 0;  // the row of a Cell, the WheelType of a Symbol
};

constexpr Forced C(int row) { return {Forced::Cell, row}; }
constexpr Forced kMiss{Forced::Miss, 0};
constexpr Forced kRandom{Forced::Random, 0};
constexpr Forced S(int type) { return {Forced::Symbol, type}; }

struct WalkthroughSpin
{
    int level;  // level 1 stands for the classic game (0) too
    int spin;
    const char* key;
    Forced reels[5];
};

// Reel i's cell is always in column i, so only its row is given.
const WalkthroughSpin kWalkthrough[] = {
    {1, 1, "Spin_1_1", {C(3), kMiss, C(3), C(2), kMiss}},
    {1, 2, "Spin_1_2", {kMiss, kRandom, kRandom, kRandom, kRandom}},
    {1, 3, "Spin_1_3", {kMiss, kRandom, S(WheelTypeJoker), kRandom, kRandom}},
    {1, 4, "Spin_1_4", {C(1), kRandom, kRandom, kRandom, kRandom}},
    {1, 5, "Spin_1_5", {kRandom, kRandom, S(WheelTypeCoin), kRandom, kRandom}},
    {1, 6, "Spin_1_6", {kRandom, kRandom, kRandom, kRandom, kRandom}},
    {1, 7, "Spin_1_7", {kRandom, kRandom, S(WheelTypeSuperJoker), kRandom, kRandom}},
    {2, 1, "Spin_2_1", {C(2), kMiss, kMiss, kMiss, kMiss}},
    {3, 1, "Spin_3_1", {C(4), kMiss, S(WheelTypeMultiplier), kMiss, C(1)}},
    {3, 2, "Spin_3_2", {kMiss, C(2), kMiss, C(4), kMiss}},
    {3, 3, "Spin_3_3", {C(5), kRandom, kRandom, kRandom, C(2)}},
    {4, 1, "Spin_4_1", {kMiss, C(2), kMiss, kMiss, C(5)}},
    {4, 2, "Spin_4_2", {C(1), C(4), kMiss, kMiss, kMiss}},
    {4, 3, "Spin_4_3", {kRandom, S(WheelTypeWoppleVision), C(3), C(4), kRandom}},
    {15, 1, "Spin_15_1", {kMiss, S(WheelTypeJoker), kMiss, kMiss, kMiss}},
};

} // namespace

void SpinWheel::ApplyWalkthrough()
{
    WoppleScreen* screen = m_Owner.GetTargetScreen();
    WoppleWheelSetView* reels = m_Owner.GetWheelsView();
    if (!screen || !reels)
        return;
    const int level = m_Owner.levelNumber == 0 ? 1 : m_Owner.levelNumber;
    for (const WalkthroughSpin& entry : kWalkthrough) {
        if (entry.level != level || entry.spin != m_Owner.GetSpinCount() ||
            screen->IsTipShown("GameState", entry.key))
            continue;
        for (int reel = 1; reel <= 5 && reel <= reels->GetNumWheels(); ++reel) {
            const Forced& forced = entry.reels[reel - 1];
            // A reel made of other squares for a developer's test keeps them.
            WoppleWheelView* wheel = reels->GetWheelView(reel);
            const int kind = forced.kind == Forced::Symbol ? forced.value : WheelTypeNumber;
            if (!wheel || wheel->GetNumberOfTypedSquares(kind) == 0)
                continue;
            switch (forced.kind) {
            case Forced::Cell:
                m_Owner.SetCellNumberResult(reel, forced.value);
                break;
            case Forced::Miss:
                m_Owner.SetMissNumberResult(reel);
                break;
            case Forced::Random:
                m_Owner.SetRandomNumberResult(reel);
                break;
            case Forced::Symbol:
                wheel->SetResult(forced.value, 0);
                break;
            }
        }
        screen->MarkTipShown("GameState", entry.key);
    }
}

// ---------------------------------------------------------------- NoMatches

void NoMatches::OnEnterState()
{
    if (m_Owner.GetSpinCount() == 20) {
        GoToNextState();
        return;
    }
    Say(m_Owner, "NO_MATCHES", &m_Owner);
    m_Owner.PlayGameSound("C_bonk.ogg");
    if (!ShouldTalk())
        GoToNextState();
}

} // namespace OldSchoolStates
