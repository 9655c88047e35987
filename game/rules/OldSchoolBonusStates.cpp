#include "game/rules/OldSchoolBonusStates.h"

#include "engine/core/Class.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/TimerManager.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/runtime/Utility.h"
#include "engine/ui/Actor.h"
#include "game/rules/WoppleGameMessages.h"
#include "game/rules/WoppleLevelSetup.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"
#include "game/rules/WoppleParticipantLogic.h"
#include "game/shell/WoppleGameScreen.h"
#include "game/shell/WoppleScreen.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WopplePowerupView.h"
#include "game/views/WoppleVisionLabel.h"
#include "game/views/WoppleWheelAnimation.h"
#include "game/views/WoppleWheelProgressOverlay.h"
#include "game/views/WoppleWheelSetView.h"
#include "game/views/WoppleWheelView.h"

#include <boost/format.hpp>

#include <memory>
#include <utility>
#include <vector>

namespace OldSchoolStates {

namespace {

constexpr auto kCentred = RectAlignment::Center;
constexpr std::uint32_t kGemWaitMs = 900;
constexpr std::uint32_t kCherubWaitMs = 900;
constexpr std::uint32_t kVisionWaitMs = 500;
constexpr std::uint32_t kThreatMs = 1500;
constexpr std::uint32_t kAfterTheftMs = 1000;
constexpr std::uint32_t kCherubTickMs = 1500;
constexpr int kVisionTurns = 5;
constexpr std::uint8_t kSpentBoxAlpha = 96;

template <typename... Values>
std::string Formatted(const char* format, const Values&... values)
{
    boost::format f(format);
    (f % ... % values);
    return f.str();
}

void Say(WoppleOldSchoolBaseLogic& logic, const char* message, const std::string& text1 = std::string())
{
    logic.SayGameMessage(WoppleGameMessages::GetMessageId(message), nullptr, text1, "", "");
}

void EndMessage(WoppleOldSchoolBaseLogic& logic, const char* message)
{
    logic.KillMessage(WoppleGameMessages::GetMessageId(message), nullptr);
}

Point<int> CentreOf(const Actor& actor)
{
    const Rect r = actor.GetGlobalRect();
    return Point<int>(r.x + r.w / 2, r.y + r.h / 2);
}

void StartBurst(WoppleOldSchoolBaseLogic& logic, const std::string& effect, const Point<int>& at)
{
    if (auto* screen = dynamic_cast<WoppleGameScreen*>(logic.GetTargetScreen()))
        screen->StartParticleEmitter(effect, at.x, at.y);
}

// The devil's share: 10, 20, 30, 40 or 50 percent.
int DrawDevilShare()
{
    return (RandomInt(5) + 1) * 10;
}

void Wait(WoppleTimer& timer, WoppleOldSchoolBaseLogic& logic, std::uint32_t milliseconds, int signals = 1)
{
    timer.CreateOrRestart(&logic, milliseconds, signals, TIMER_LIMITED_TO_FRAMERATE);
}

} // namespace

State* CreateBonusState(WoppleOldSchoolBaseLogic& owner, const std::string& name)
{
    if (name == "ProcessBonusWheels")
        return new ProcessBonusWheels(owner);
    if (name == "ProcessDevils")
        return new ProcessDevils(owner);
    if (name == "DevilAppearance")
        return new DevilAppearance(owner);
    if (name == "CherubAppearance")
        return new CherubAppearance(owner);
    if (name == "ProcessPirateOrTreasure")
        return new ProcessPirateOrTreasure(owner);
    return nullptr;
}

// ---------------------------------------------------------------- ProcessBonusWheels

void ProcessBonusWheels::OnEnterState()
{
    UpdateReelProgressOverlays();
    m_CurrentWheel = 0;
    m_Timer.Free();
    ProcessNextWheel();
}

void ProcessBonusWheels::OnExitState()
{
    m_Timer.Free();
}

bool ProcessBonusWheels::OnTimer(const EventRecord& event)
{
    if (!m_Timer.IsFrom(event))
        return false;
    ProcessNextWheel();
    return true;
}

bool ProcessBonusWheels::OnAnimationFinished(Event*)
{
    ProcessNextWheel();
    return true;
}

void ProcessBonusWheels::UpdateReelProgressOverlays()
{
    WoppleWheelSetView* reels = m_Owner.GetWheelsView();
    if (!reels)
        return;
    for (int r = 1; r <= reels->GetNumWheels(); ++r) {
        WoppleWheelView* wheel = reels->GetWheelView(r);
        WoppleWheelProgressOverlay* overlay = wheel ? wheel->GetProgressOverlay() : nullptr;
        if (!overlay)
            continue;
        const int type = wheel->GetWheelType(false);
        const int number = wheel->GetWheelNumber();
        for (int b = 1; b <= m_Owner.GetNumBoards(); ++b) {
            WoppleBoardView* board = m_Owner.GetBoardView(b);
            const int rows = board && r <= board->GetNumColumns() ? board->GetNumRows() : 0;
            bool useless = true;
            if (type == WheelTypeNumber) {
                for (int row = 1; row <= rows && useless; ++row) {
                    const WoppleCellView* cell = board->GetCellView(r, row);
                    useless = !(cell && !cell->isSelected && cell->number == number);
                }
            } else if (type == WheelTypeJoker) {
                for (int row = 1; row <= rows && useless; ++row) {
                    const WoppleCellView* cell = board->GetCellView(r, row);
                    useless = cell && cell->isSelected;
                }
            } else if (type == WheelTypeSuperJoker) {
                useless = m_Owner.IsBoardFull(b, false);
            }
            if (useless)
                overlay->IgnorePiece(b);
        }
    }
}

WoppleWheelView* ProcessBonusWheels::CurrentWheel() const
{
    WoppleWheelSetView* reels = m_Owner.GetWheelsView();
    return reels ? reels->GetWheelView(m_CurrentWheel) : nullptr;
}

void ProcessBonusWheels::ProcessNextWheel()
{
    WoppleWheelSetView* reels = m_Owner.GetWheelsView();
    const int numWheels = reels ? reels->GetNumWheels() : 0;
    while (++m_CurrentWheel <= numWheels) {
        WoppleWheelView* wheel = CurrentWheel();
        switch (wheel ? wheel->GetWheelType(false) : WheelTypeBlank) {
        case WheelTypeCoin:
            ProcessCoinWheel();
            break;
        case WheelTypeGem:
            ProcessGemWheel();
            return;
        case WheelTypeFreeSpin:
            ProcessFreeSpinWheel();
            break;
        case WheelTypeCherub:
            ProcessCherubWheel();
            return;
        case WheelTypeMultiplier:
            ProcessMultiplierWheel();
            break;
        case WheelTypeWoppleVision:
            ProcessWoppleVisionWheel();
            return;
        default:
            break;
        }
    }
    GoToNextState();
}

void ProcessBonusWheels::Burst(const char* oneBoard, const char* manyBoards)
{
    if (WoppleWheelView* wheel = CurrentWheel())
        StartBurst(m_Owner, m_Owner.GetNumBoards() == 1 ? oneBoard : manyBoards, CentreOf(*wheel));
}

void ProcessBonusWheels::Wait(std::uint32_t milliseconds)
{
    OldSchoolStates::Wait(m_Timer, m_Owner, milliseconds);
}

void ProcessBonusWheels::ProcessCoinWheel()
{
    const Point<int> centre = CentreOf(*CurrentWheel());
    m_Owner.ShowScoreFlash(1000, centre.x, centre.y, "GoldScoreFlash");
    Burst("YellowBurstEffect", "YellowBurstEffectSmall");
    m_Owner.PlayGameSound("C_coin.ogg");
}

void ProcessBonusWheels::ProcessGemWheel()
{
    const Point<int> centre = CentreOf(*CurrentWheel());
    if (Actor* parent = m_Owner.GetTargetScreen())
        ShowOutlinedFlashText("+1 Gem", centre.x, centre.y, "GemScoreFlash", parent, true, 998);
    Wait(kGemWaitMs);
    m_Owner.PlayGameSound("C_coin.ogg");
}

void ProcessBonusWheels::ProcessFreeSpinWheel()
{
    const std::uint32_t current = WoppleOldSchoolBaseLogic::kNoParticipant;
    m_Owner.SetFreeSpins(m_Owner.GetFreeSpins(current) + 1, current);
    ++m_Owner.freeSpinsWonThisSpin;
    if (WopplePowerupView* bar = m_Owner.GetPowerupView(-1))
        bar->AddFreeSpin();
    Burst("WhiteBurstEffect", "WhiteBurstEffectSmall");
    m_Owner.PlayGameSound("Pickup_GemBells08.ogg");
}

void ProcessBonusWheels::ProcessCherubWheel()
{
    m_Owner.SetDevilProtection(true);
    Say(m_Owner, "DEVIL_PROTECTION_ACQUIRED");
    Burst("WhiteBurstEffect", "WhiteBurstEffectSmall");
    m_Owner.PlayGameSound("tada3.ogg");
    Wait(kCherubWaitMs);
}

void ProcessBonusWheels::ProcessMultiplierWheel()
{
    WoppleWheelView* wheel = CurrentWheel();
    Burst("WhiteBurstEffect", "WhiteBurstEffectSmall");
    m_Owner.PlayGameSound("combo.ogg");
    m_Owner.PlayGameSound("Pickup_GemBells19.ogg");

    // The lit badge; the reel set's multiplier flashes look for it by its name.
    auto overlay = std::make_unique<Actor>();
    overlay->SetImageFromName("reel_multiply_bg.png");
    overlay->SetName("multiplierFlash");
    auto number = std::make_unique<Actor>();
    number->SetImage(CreateNumberImageActor(wheel->GetMultiplier(), "reel_text_numbers_hl.png", 0), std::string());
    number->SetAlignment(kCentred);
    overlay->AddChild(number.release());
    wheel->ApplyScale(*overlay);
    overlay->SetAlignment(kCentred);
    overlay->SetZOrder(2);
    Actor* shown = overlay.get();
    wheel->SetMultiplierOverlay(std::move(overlay));
    shown->RunScript("multiplierFlash", "multiplierFlash");
}

void ProcessBonusWheels::ProcessWoppleVisionWheel()
{
    Burst("WhiteBurstEffect", "WhiteBurstEffectSmall");
    m_Owner.PlayGameSound("ah.ogg");

    WoppleScreen* screen = m_Owner.GetTargetScreen();
    WoppleWheelSetView* reels = m_Owner.GetWheelsView();
    WoppleWheelView* first = reels ? reels->FindWheelOfType(WheelTypeWoppleVision) : nullptr;
    if (m_Owner.levelNumber == 4 && m_Owner.GetSpinCount() == 3 && screen && first &&
        screen->IsTipNotShown("gameIntroduceFeature", "wopplevision")) {
        const Rect r = first->GetGlobalRect();
        screen->PointOutOneThing("gameIntroduceFeature", "wopplevision", r.x + r.w / 2 - 3, r.y - 20, true);
    } else {
        Say(m_Owner, "WOPPLE_VISION_ACQUIRED");
    }

    m_Owner.SetWoppleVision(kVisionTurns, true);
    std::vector<WoppleCellView*> open;
    for (int b = 1; b <= m_Owner.GetNumBoards(); ++b) {
        WoppleBoardView* board = m_Owner.GetBoardView(b);
        if (!board)
            continue;
        for (int c = 1; c <= board->GetNumColumns(); ++c)
            for (int r = 1; r <= board->GetNumRows(); ++r)
                if (m_Owner.IsCellAvailableForMatching(b, c, r))
                    open.push_back(board->GetCellView(c, r));
    }
    for (WoppleCellView* cell : open)
        if (cell)
            cell->ShowWoppleVisionAura(true, false);
    Wait(kVisionWaitMs);
}

// ---------------------------------------------------------------- ProcessDevils

void ProcessDevils::OnEnterState()
{
    WoppleWheelSetView* reels = m_Owner.GetWheelsView();
    const int numWheels = reels ? reels->GetNumWheels() : 0;
    for (int i = 1; i <= numWheels; ++i) {
        WoppleWheelView* wheel = reels->GetWheelView(i);
        const int type = wheel ? wheel->GetWheelType(false) : WheelTypeBlank;
        if (type != WheelTypeDevil && type != WheelTypeDevilCherub)
            continue;
        const int seen = m_Owner.GetDevilsSeen() + 1;
        m_Owner.SetDevilsSeen(seen);
        if (type == WheelTypeDevil && !m_Owner.HasDevilProtection()) {
            m_Owner.SetDevilTally(m_Owner.IsDevilLimitReached() || seen >= m_Owner.GetDevilLimit(),
                                  m_Owner.GetDevilsThatTookPoints() + 1);
            m_Owner.SetState("DevilAppearance");
            return;
        }
        // A devil cherub reaches the limit only past it.
        if (type == WheelTypeDevilCherub && seen > m_Owner.GetDevilLimit())
            m_Owner.SetDevilTally(true, m_Owner.GetDevilsThatTookPoints());
        m_Owner.SetCherubWheel(i);
        m_Owner.SetState("CherubAppearance");
        return;
    }
    GoToNextState();
}

// ---------------------------------------------------------------- DevilAppearance

void DevilAppearance::OnEnterState()
{
    m_InternalState = 1;
    m_SharePercent = DrawDevilShare();
    m_Owner.PlayGameSound("C_laugh.ogg");
    Say(m_Owner, "DEVIL_MAY_TAKE_POINTS", Formatted("%1%", m_SharePercent));
    Wait(m_Timer, m_Owner, kThreatMs);
}

void DevilAppearance::OnExitState()
{
    m_Timer.Free();
}

bool DevilAppearance::OnTimer(const EventRecord& event)
{
    if (!m_Timer.IsFrom(event))
        return false;
    switch (m_InternalState) {
    case 1: {
        const std::int64_t score = m_Owner.GetScore(WoppleOldSchoolBaseLogic::kNoParticipant);
        const std::int64_t kept = score * (100 - m_SharePercent) / 100;
        m_Owner.SetScore(kept);
        m_Owner.PlayGameSound("C_debit.ogg");
        EndMessage(m_Owner, "DEVIL_MAY_TAKE_POINTS");
        Say(m_Owner, "DEVIL_TOOK_POINTS", Formatted("%1%", score - kept));
        m_InternalState = 2;
        Wait(m_Timer, m_Owner, kAfterTheftMs);
        return true;
    }
    case 2:
        GoToNextState();
        return true;
    default:
        VELK_ASSERT_MSG(false, Formatted("Unknown value of m_InternalState (%1%)", m_InternalState));
        return true;
    }
}

// ---------------------------------------------------------------- CherubAppearance

void CherubAppearance::OnEnterState()
{
    m_Owner.PlayGameSound("C_laugh.ogg");
    // The devil threatens first here too; his share is never taken.
    const int share = DrawDevilShare();
    m_Doubling = RandomInt(100) < 20;
    Say(m_Owner, "DEVIL_MAY_TAKE_POINTS", Formatted("%1%", share));
    Wait(m_Timer, m_Owner, kCherubTickMs, m_Doubling ? 3 : 2);
}

void CherubAppearance::OnExitState()
{
    m_Timer.Free();
}

bool CherubAppearance::OnTimer(const EventRecord& event)
{
    if (!m_Timer.IsFrom(event))
        return false;
    // The signals left after this one: the last tick carries 0.
    const int left = RemainingSignalsOfEvent(event);
    if (left == 2 || (left == 1 && !m_Doubling))
        ShowCherub();
    else if (left == 1)
        DoubleScore();
    else
        GoToNextState();
    return true;
}

void CherubAppearance::ShowCherub()
{
    const bool protectedNow = m_Owner.HasDevilProtection();
    WoppleWheelSetView* reels = m_Owner.GetWheelsView();
    if (WoppleWheelView* wheel = reels ? reels->GetWheelView(m_Owner.GetCherubWheel()) : nullptr) {
        auto cherub = std::make_unique<Actor>();
        cherub->SetImageFromName(protectedNow ? "cell_mcherub.png" : "cell_fcherub.png");
        wheel->ApplyScale(*cherub);
        cherub->SetAlignment(kCentred);
        cherub->SetZOrder(2);
        if (WoppleWheelAnimation* square = wheel->GetFirstSquare())
            square->SetVisible(false);
        wheel->SetCherubPicture(std::move(cherub));
    }
    m_Owner.PlayGameSound("C_cherub.ogg");
    EndMessage(m_Owner, "DEVIL_MAY_TAKE_POINTS");
    Say(m_Owner, protectedNow ? "DEVIL_PROTECTION_USED" : "CHERUB_SCARED_AWAY_DEVIL");
}

void CherubAppearance::DoubleScore()
{
    m_Owner.CherubDoublesScore();
}

} // namespace OldSchoolStates

// A cherub on a reel or hidden in a cell doubles the current participant's score.
void WoppleOldSchoolBaseLogic::CherubDoublesScore()
{
    using namespace OldSchoolStates;
    EndMessage(*this, "DEVIL_MAY_TAKE_POINTS");
    Say(*this, "CHERUB_DOUBLED_SCORE");
    SetScore(2 * GetScore(kNoParticipant));
    // Over the score that doubled, whoever's turn it is.
    const std::string label = Formatted("scoreLabelContainer_%1%", GetCurrentParticipant());
    if (Actor* root = GetRootActor())
        if (Actor* container = root->FindChild(label, true))
            StartBurst(*this, "WhiteBurstEffectSmall", CentreOf(*container));
    PlayGameSound("sparkle_little.ogg");
    PlayGameSound("tada4.ogg");
}

namespace OldSchoolStates {

// ---------------------------------------------------------------- ProcessPirateOrTreasure

void ProcessPirateOrTreasure::OnEnterState()
{
    WoppleCellView* cell = m_Owner.GetChosenCell();
    if (!cell || cell->ruleCode != HIDDEN_PIRATE_OR_TREASURE) {
        GoToNextState();
        return;
    }
    if (m_Owner.GetNumParticipants() != 2)
        VELK_THROW(Exception, AssertionText("gameLogic->m_NumParticipants == 2",
                                            "\"Pirate or Treasure\" cells can only exist in two-participant games."));
    std::unique_ptr<Object> made(ClassManager::GetInstance()->InstantiateObjectFromResource("CellPirateOrTreasure"));
    auto* box = dynamic_cast<Actor*>(made.get());
    VELK_ASSERT_MSG(box != 0, "\"CellPirateOrTreasure\" is not an actor.");
    made.release();
    m_Owner.ApplyScaling(box);
    box->SetAlignment(kCentred);
    cell->SetContents(box);
    ShowBoxPicture("closed");
    m_Owner.RequestOfParticipant("PassOrKeepPirateOrTreasure");
}

void ProcessPirateOrTreasure::ShowBoxPicture(const char* key)
{
    WoppleCellView* cell = m_Owner.GetChosenCell();
    Actor* box = cell ? cell->contents : nullptr;
    if (!box)
        return;
    box->StopScriptsWithTag("ImageSequenceAnimation");
    const LuaObject pictures = box->RetrieveProperty("imageSequence");
    const LuaObject name = pictures.IsTable() ? pictures[key] : LuaObject();
    VELK_ASSERT_MSG(name.IsString(), Formatted("The box has no \"%1%\" picture.", key));
    box->SetImageFromName(name.GetString());
    box->UpdateAlignment();
}

bool ProcessPirateOrTreasure::OnParticipantAction(Event* event)
{
    const std::string motive = PayloadString(event, "motive");
    const std::string action = PayloadString(event, "action");
    auto* sender = event ? dynamic_cast<WoppleParticipantLogic*>(event->sender) : nullptr;
    const auto backToIdle = [&] {
        if (sender)
            sender->Start();
        else
            m_Owner.ReturnParticipantToIdle();
    };
    if (motive == "PassOrKeepPirateOrTreasure") {
        if (action != "pass" && action != "keep")
            VELK_ASSERT_MSG(false, Formatted("Unknown action: %1%", action));
        backToIdle();
        const std::uint32_t current = m_Owner.GetCurrentParticipant();
        OpenBox(action == "keep" ? current : (current == 0 ? 1 : 0));
        return true;
    }
    if (motive == "TellUserAboutCellPirate" || motive == "TellUserAboutCellTreasure") {
        backToIdle();
        WoppleCellView* cell = m_Owner.GetChosenCell();
        if (Actor* box = cell ? cell->contents : nullptr) {
            box->SetAlpha(kSpentBoxAlpha);
            box->SetShaderType(SHADERTYPE_BLENDCOMBINEDALPHA);
        }
        GoToNextState();
        return true;
    }
    VELK_ASSERT_MSG(false, Formatted("Unknown motive: \"%1%\"", motive));
    return true;
}

void ProcessPirateOrTreasure::OpenBox(std::uint32_t holder)
{
    WoppleParticipantLogic* holderLogic = m_Owner.GetParticipantLogic(holder);
    const std::int64_t score = m_Owner.GetScore(holder);
    if (RandomInt(2) == 1) {
        m_Owner.SetScore(score / 2, holder);
        ShowBoxPicture("pirate");
        m_Owner.PlayGameSound("C_debit.ogg");
        if (holderLogic)
            holderLogic->TellUserAboutCellPirate();
        return;
    }
    const std::int64_t doubled = 2 * score;
    m_Owner.SetScore(doubled, holder);
    ShowBoxPicture("treasure");
    if (holderLogic)
        holderLogic->TellUserAboutCellTreasure();
    if (WoppleCellView* cell = m_Owner.GetChosenCell()) {
        const Point<int> centre = CentreOf(*cell);
        StartBurst(m_Owner, "PurpleBurstEffect", centre);
        if (Actor* parent = m_Owner.GetTargetScreen())
            ShowOutlinedFlashText(Formatted("%1%", doubled / 2), centre.x, centre.y, "PurpleScoreFlash", parent, true,
                                  998);
    }
    m_Owner.PlayGameSound("treasure.ogg");
}

} // namespace OldSchoolStates
