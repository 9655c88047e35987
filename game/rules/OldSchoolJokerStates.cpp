#include "game/rules/OldSchoolJokerStates.h"

#include "engine/core/Exception.h"
#include "engine/core/Script.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/ui/Actor.h"
#include "game/rules/WoppleCellLookup.h"
#include "game/rules/WoppleGameMessages.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"
#include "game/rules/WoppleParticipantLogic.h"
#include "game/shell/WoppleScreen.h"
#include "game/views/WoppleAnimation.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WopplePowerupView.h"
#include "game/views/WoppleWheelProgressOverlay.h"
#include "game/views/WoppleWheelSetView.h"
#include "game/views/WoppleWheelView.h"

#include <boost/format.hpp>

namespace OldSchoolStates {

namespace {

// A used joker stays on its cell, faded.
constexpr std::uint8_t kUsedJokerAlpha = 96;

std::string Text(std::int64_t value)
{
    return (boost::format("%1%") % value).str();
}

void Say(WoppleOldSchoolBaseLogic& logic, const char* message, const std::string& text1 = "",
         const std::string& text2 = "", const std::string& text3 = "")
{
    logic.SayGameMessage(WoppleGameMessages::GetMessageId(message), nullptr, text1, text2, text3);
}

// The assertion "<what> == \"<name>\"" with the state's own name in its text.
WoppleCellView* ActiveCellJoker(const WoppleOldSchoolBaseLogic& logic)
{
    return dynamic_cast<WoppleCellView*>(logic.GetActiveCellJoker());
}

// The revealed joker has been placed (or can no longer be): its picture fades
// and the cell no longer holds a joker to place.
void RetireCellJoker(WoppleOldSchoolBaseLogic& logic)
{
    if (WoppleCellView* cell = ActiveCellJoker(logic); cell && cell->contents) {
        cell->contents->SetAlpha(kUsedJokerAlpha);
        cell->contents->SetShaderType(SHADERTYPE_BLENDCOMBINEDALPHA);
    }
    logic.SetActiveCellJoker(nullptr);
}

void SwitchVisionLookOff(WoppleOldSchoolBaseLogic& logic)
{
    for (int b = 1; b <= logic.GetNumBoards(); ++b)
        if (WoppleBoardView* board = logic.GetBoardView(b))
            board->SetWoppleVision(false, false);
}

WoppleWheelProgressOverlay* OverlayOf(WoppleOldSchoolBaseLogic& logic, int reel)
{
    WoppleWheelSetView* reels = logic.GetWheelsView();
    WoppleWheelView* wheel = reels && reel >= 1 && reel <= reels->GetNumWheels() ? reels->GetWheelView(reel) : nullptr;
    return wheel ? wheel->GetProgressOverlay() : nullptr;
}

// Reel `column` has served board `board` for this spin.
void SpendReel(WoppleOldSchoolBaseLogic& logic, int board, int column, bool countsAsMatched)
{
    auto& records = logic.GetBoardRecords();
    if (board < 1 || board >= static_cast<int>(records.size()))
        return;
    std::vector<bool>& used = records[board].usedColumns;
    if (column >= 1 && column < static_cast<int>(used.size()))
        used[column] = true;
    if (WoppleWheelProgressOverlay* overlay = OverlayOf(logic, column)) {
        if (countsAsMatched)
            overlay->FillPiece(board);
        else
            overlay->IgnorePiece(board);
    }
}

// A joker placed on a cell takes what the cell's own reel could still do on
// that board: the number that reel shows, or the last open cell of a joker
// reel's column. That reel is then spent there.
void SpendReelTakenByJoker(WoppleOldSchoolBaseLogic& logic, const WoppleCellView& cell, int board,
                           bool countsAsMatched)
{
    const auto& records = logic.GetBoardRecords();
    if (board < 1 || board >= static_cast<int>(records.size()))
        return;
    const int column = cell.column;
    const std::vector<bool>& used = records[board].usedColumns;
    if (column >= 1 && column < static_cast<int>(used.size()) && used[column])
        return;
    WoppleWheelSetView* reels = logic.GetWheelsView();
    WoppleWheelView* wheel =
        reels && column >= 1 && column <= reels->GetNumWheels() ? reels->GetWheelView(column) : nullptr;
    if (!wheel)
        return;
    const int type = wheel->GetWheelType(false);
    if (type == WheelTypeJoker) {
        WoppleBoardView* view = logic.GetBoardView(board);
        if (!view)
            return;
        int selected = 0;
        for (int r = 1; r <= view->GetNumRows(); ++r)
            if (const WoppleCellView* other = view->GetCellView(column, r); other && other->isSelected)
                ++selected;
        if (selected == view->GetNumRows() - 1)
            SpendReel(logic, board, column, countsAsMatched);
        return;
    }
    if (type == WheelTypeNumber && wheel->GetWheelNumber() == cell.number)
        SpendReel(logic, board, column, countsAsMatched);
}

} // namespace

void SetSelectionSuppressed(WoppleBoardView& board, bool suppressed)
{
    for (int c = 1; c <= board.GetNumColumns(); ++c)
        for (int r = 1; r <= board.GetNumRows(); ++r)
            if (WoppleCellView* cell = board.GetCellView(c, r))
                cell->SetSelectionSuppressed(suppressed);
}

std::int64_t JokerBonusFor(int jokers)
{
    static const std::int64_t kBonus[] = {3000, 8000, 15000, 28000, 35000};
    if (jokers < 3 || jokers > 7)
        return 0;
    return kBonus[jokers - 3];
}

State* CreateJokerState(WoppleOldSchoolBaseLogic& owner, const std::string& name)
{
    if (name == "ProcessJokerBonus")
        return new ProcessJokerBonus(owner);
    if (name == "ProcessSuperJoker")
        return new ProcessSuperJoker(owner);
    if (name == "SuperJokerAppearance")
        return new SuperJokerAppearance(owner);
    if (name == "WaitForSuperJokerMatch")
        return new WaitForSuperJokerMatch(owner);
    if (name == "ProcessSuperJokerMatch")
        return new ProcessSuperJokerMatch(owner);
    if (name == "WaitForCellJokerMatch")
        return new WaitForCellJokerMatch(owner);
    if (name == "ProcessCellJokerMatch")
        return new ProcessCellJokerMatch(owner);
    return nullptr;
}

// ---------------------------------------------------------------- ProcessJokerBonus

void ProcessJokerBonus::OnEnterState()
{
    m_Script = LuaObject();
    WoppleWheelSetView* reels = m_Owner.GetWheelsView();
    const int jokers = reels ? reels->CountAllJokers() : 0;
    if (reels && reels->GetNumWheels() == 5 && m_Owner.GetCurrentParticipant() == 0)
        m_Owner.AchieveForHuman("jokers", jokers, true, false);
    if (jokers < 3) {
        GoToNextState();
        return;
    }
    const std::int64_t bonus = JokerBonusFor(jokers);
    const int multiplier = m_Owner.GetTotalMultiplier();
    const std::int64_t value = bonus * multiplier;
    if (multiplier <= 1)
        Say(m_Owner, "JOKER_BONUS_ACQUIRED", Text(jokers), Text(value), "");
    else
        Say(m_Owner, "MULTIPLIED_JOKER_BONUS_ACQUIRED", Text(jokers), Text(value), Text(multiplier));
    // AddScore multiplies again.
    m_Owner.AddScore(value / multiplier);
    if (reels) {
        Script* script = reels->RunScript("PlayJokerBonusFX", "DisplayJokerBonus");
        script->AddArgument(m_Owner.GetTargetScreen());
        script->AddArgument(std::string(m_Owner.GetNumBoards() == 1 ? "JokerBurstEffect" : "JokerBurstEffectSmall"));
        script->AddArgument(&m_Owner);
        script->AddArgument(static_cast<int>(value / multiplier));
        m_Script = script->GetLuaObject();
    }
    // The reels show the bonus by themselves.
    GoToNextState();
}

bool ProcessJokerBonus::OnActorScriptFinished(Event* event)
{
    if (!event || !event->payload || !event->payload->IsTable())
        return false;
    const LuaObject& payload = *event->payload;
    Object* actor = Object::FromLuaObject(payload["actor"]);
    if (!actor || actor == m_Owner.GetRootActor())
        return false;
    // A finished script is gone by the time its news arrives: the one started
    // here is known by its Lua self.
    const auto* script = dynamic_cast<Script*>(Object::FromLuaObject(payload["script"]));
    const bool ours = script ? script->HasTag("DisplayJokerBonus")
                             : !m_Script.IsNil() && payload["script"] == m_Script;
    if (!ours)
        return false;
    GoToNextState();
    return true;
}

// ---------------------------------------------------------------- ProcessSuperJoker

void ProcessSuperJoker::OnEnterState()
{
    if (m_Owner.IsSuperJokerAvailable()) {
        m_Owner.SetState("SuperJokerAppearance");
        return;
    }
    m_Owner.ClearJokerServedFlags();
    m_Owner.SetState("WaitForMatch");
}

// ---------------------------------------------------------------- SuperJokerAppearance

void SuperJokerAppearance::OnEnterState()
{
    if (WoppleWheelSetView* reels = m_Owner.GetWheelsView()) {
        reels->GrayOutAllButSuperJokers();
        const int reel = m_Owner.FindSuperJokerReel();
        if (reel > 0)
            if (WoppleWheelView* wheel = reels->GetWheelView(reel))
                StartCellParticleEmitter("JokerBurstEffect", wheel->GetGlobalRect().GetCenter());
    }
    m_Owner.PlayGameSound("cellJoker.ogg");
    GoToNextState();
}

// ---------------------------------------------------------------- the waits

void JokerWait::OnEnterState()
{
    BeginWaiting();
}

void JokerWait::BeginWaiting()
{
    // No test of the five turns vision starts with: it cannot be on the turn it came.
    CellWait::BeginWaiting(false);
    m_Owner.SuppressCellSelectionLook();
}

void JokerWait::OnExitState()
{
    m_Owner.ReleaseCellSelectionLook();
    m_Owner.EnableCellButtons(false);
    m_Owner.ReturnParticipantToIdle();
}

void JokerWait::OnCellChosen()
{
    // The cell buttons stay as they are: the placing's match closes them.
    m_Owner.SetState(m_OnClick);
}

void WaitForSuperJokerMatch::OnEnterState()
{
    if (!m_Owner.UpdateSelectableCells()) {
        // No cell can take the joker (say, a board left with blank cells only):
        // waiting would hold the round for good.
        m_Owner.ClearJokerServedFlags();
        m_Owner.SetState("WaitForMatch");
        return;
    }
    BeginWaiting();
}

void WaitForSuperJokerMatch::OnTimeRanOut()
{
    if (WoppleWheelSetView* reels = m_Owner.GetWheelsView())
        reels->HideGrayTints();
    m_Owner.ClearJokerServedFlags();
    Say(m_Owner, "TIME_RAN_OUT");
    SwitchVisionLookOff(m_Owner);
    m_Owner.SetState("WaitForOutputCompletion");
}

void WaitForCellJokerMatch::OnEnterState()
{
    m_Owner.SetActiveCellJoker(m_Owner.GetChosenCell());
    m_Owner.ClearJokerServedFlags();
    if (WoppleWheelSetView* reels = m_Owner.GetWheelsView())
        reels->ShowGrayTints();
    if (!m_Owner.UpdateSelectableCells()) {
        m_Owner.StopCountdown();
        // Retired first: matching with a joker still pending would open every cell.
        RetireCellJoker(m_Owner);
        m_Owner.SetState("WaitForMatch");
        return;
    }
    BeginWaiting();
}

void WaitForCellJokerMatch::OnTimeRanOut()
{
    // As the super joker's wait ends: the queued matches are scored and the
    // turn is over, with the joker used up and the reels as the wait found them.
    RetireCellJoker(m_Owner);
    m_Owner.ClearJokerServedFlags();
    if (WoppleWheelSetView* reels = m_Owner.GetWheelsView())
        reels->ShowProgressOverlays();
    Say(m_Owner, "TIME_RAN_OUT");
    SwitchVisionLookOff(m_Owner);
    m_Owner.SetState("WaitForOutputCompletion");
}

// ---------------------------------------------------------------- the joker matches

void ProcessSuperJokerMatch::MarkCellMatched()
{
    m_SuperJokerReel = m_Owner.FindSuperJokerReel();
    WoppleCellView* cell = m_Owner.GetChosenCell();
    const int board = ChosenBoardIndex();
    if (WoppleWheelSetView* reels = m_Owner.GetWheelsView())
        reels->HideGrayTints();
    auto& records = m_Owner.GetBoardRecords();
    if (!cell || board < 1 || board >= static_cast<int>(records.size()))
        return;
    if (m_SuperJokerReel > 0)
        SpendReel(m_Owner, board, m_SuperJokerReel, true);
    records[board].jokerServed = 1;
    SpendReelTakenByJoker(m_Owner, *cell, board, false);
}

void ProcessCellJokerMatch::MarkCellMatched()
{
    RetireCellJoker(m_Owner);
    if (WoppleWheelSetView* reels = m_Owner.GetWheelsView())
        reels->ShowProgressOverlays();
    if (WoppleCellView* cell = m_Owner.GetChosenCell())
        SpendReelTakenByJoker(m_Owner, *cell, ChosenBoardIndex(), true);
}

void ProcessCellJokerMatch::OnExitState()
{
    // The boards that took the super joker wait again while it is still offered elsewhere.
    if (m_Owner.IsSuperJokerAvailable()) {
        const int reel = m_Owner.FindSuperJokerReel();
        auto& records = m_Owner.GetBoardRecords();
        for (int b = 1; b <= m_Owner.GetNumBoards() && b < static_cast<int>(records.size()); ++b) {
            const std::vector<bool>& used = records[b].usedColumns;
            if (reel > 0 && reel < static_cast<int>(used.size()) && used[reel])
                records[b].jokerServed = 1;
        }
    }
    ProcessMatch::OnExitState();
}

} // namespace OldSchoolStates

// ---------------------------------------------------------------- the logic's joker operations

int WoppleOldSchoolBaseLogic::FindSuperJokerReel() const
{
    if (!m_WheelsView)
        return -1;
    for (int i = 1; i <= m_WheelsView->GetNumWheels(); ++i)
        if (WoppleWheelView* wheel = m_WheelsView->GetWheelView(i); wheel && wheel->GetWheelType(false) == WheelTypeSuperJoker)
            return i;
    return -1;
}

bool WoppleOldSchoolBaseLogic::BoardOffersSuperJoker(int board) const
{
    return GetSuperJokerColumn(board) != 0;
}

bool WoppleOldSchoolBaseLogic::IsSuperJokerAvailable() const
{
    return AnyBoardOffersSuperJoker();
}

void WoppleOldSchoolBaseLogic::ClearJokerServedFlags()
{
    for (int b = 1; b <= GetNumBoards() && b < static_cast<int>(m_BoardRecords.size()); ++b)
        m_BoardRecords[b].jokerServed = 0;
}

void WoppleOldSchoolBaseLogic::SuppressCellSelectionLook()
{
    for (int b = 1; b <= GetNumBoards(); ++b)
        if (WoppleBoardView* board = GetBoardView(b))
            OldSchoolStates::SetSelectionSuppressed(*board, true);
}

void WoppleOldSchoolBaseLogic::ReleaseCellSelectionLook()
{
    for (int b = 1; b <= GetNumBoards(); ++b)
        if (WoppleBoardView* board = GetBoardView(b))
            OldSchoolStates::SetSelectionSuppressed(*board, false);
}

void WoppleOldSchoolBaseLogic::SetActiveCellJoker(WoppleCellView* cell)
{
    m_ActiveCellJoker = cell;
}
