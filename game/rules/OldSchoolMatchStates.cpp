#include "game/rules/OldSchoolMatchStates.h"

#include "engine/core/CoreHost.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/ui/Actor.h"
#include "engine/ui/Dialog.h"
#include "game/rules/OldSchoolSpinStates.h"
#include "game/rules/WoppleCellLookup.h"
#include "game/rules/WoppleGameMessages.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"
#include <memory>
#include "game/rules/WoppleLevelSetup.h"
#include "game/views/WoppleAnimation.h"
#include "engine/runtime/Image.h"
#include "game/rules/WoppleParticipantLogic.h"
#include "game/shell/WoppleGameScreen.h"
#include "game/shell/WopplePlayer.h"
#include "game/shell/WoppleScreen.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WopplePowerupView.h"
#include "game/views/WoppleWheelProgressOverlay.h"
#include "game/views/WoppleWheelSetView.h"
#include "game/views/WoppleWheelView.h"

#include <boost/format.hpp>

namespace OldSchoolStates {

namespace {

constexpr int kMatchPoints = 200;

void Say(WoppleOldSchoolBaseLogic& logic, const char* message)
{
    logic.SayGameMessage(WoppleGameMessages::GetMessageId(message), nullptr, "", "", "");
}

bool IsWalkthroughLevel(const WoppleOldSchoolBaseLogic& logic)
{
    return logic.levelNumber == 0 || logic.levelNumber == 1;
}

// The board's index among the game's boards, from the cell's board view.
int BoardIndexOf(const WoppleOldSchoolBaseLogic& logic, const WoppleCellView& cell)
{
    for (int b = 1; b <= logic.GetNumBoards(); ++b)
        if (logic.GetBoardView(b) == cell.boardView)
            return b;
    return 0;
}

} // namespace

State* CreateMatchState(WoppleOldSchoolBaseLogic& owner, const std::string& name)
{
    if (name == "WaitForMatch")
        return new WaitForMatch(owner);
    if (name == "ProcessMatch")
        return new ProcessMatch(owner);
    if (name == "RouteMatch")
        return new RouteMatch(owner);
    if (name == "WaitForOutputCompletion")
        return new WaitForOutputCompletion(owner);
    return nullptr;
}

// ---------------------------------------------------------------- CellWait

void CellWait::BeginWaiting(bool quietOnVisionsFirstTurn)
{
    m_Owner.RequestOfParticipant(m_Name);
    const int vision = m_Owner.GetWoppleVisionTurns();
    if (vision != 0 && !(quietOnVisionsFirstTurn && vision == 5) && m_Owner.matchesThisSpin == 0) {
        m_Owner.PlayGameSound("ahquick.ogg");
        if (WopplePowerupView* bar = m_Owner.GetPowerupView(-1))
            bar->BurstPowerup("woppleVision");
    }
    if (m_Owner.GetCurrentParticipant() == 0)
        m_Owner.EnableCellButtons(true);
    m_Owner.PauseBonusTimer(false);
    if (m_Owner.timeLimitted) {
        if (!m_Owner.IsCountdownRunning()) {
            m_Owner.SetCountdown(m_Owner.timePerTurn);
            m_Owner.StartCountdown();
        } else {
            m_Owner.ResumeCountdown();
        }
    }
}

bool CellWait::OnEvent(const EventRecord& event)
{
    switch (event.type) {
    case WOPPLE_CELLCLICK:
    case WOPPLE_COUNTDOWNFINISHED:
    case WOPPLE_CELLENTER:
    case WOPPLE_CELLLEAVE:
        if (Object* partLogic = m_Owner.GetParticipantLogic()) {
            AssertNamed(partLogic->GetStateName() == m_Name, "partLogic->GetStateName()", m_Name,
                        partLogic->GetStateName());
            return partLogic->Object::OnEvent(event);
        }
        return false;
    default:
        return Base::OnEvent(event);
    }
}

bool CellWait::OnParticipantAction(Event* event)
{
    const std::string motive = PayloadString(event, "motive");
    const std::string action = PayloadString(event, "action");
    AssertNamed(motive == m_Name, "motive", m_Name);
    const LuaObject cellSelectionData =
        event && event->payload && event->payload->IsTable() ? (*event->payload)["cellSelectionData"] : LuaObject();
    if (action == "cell clicked") {
        VELK_ASSERT(cellSelectionData.IsTable());
        OnCellClicked(cellSelectionData);
    } else if (action == "cell entered") {
        VELK_ASSERT(cellSelectionData.IsTable());
        m_Owner.HiliteWheelForCell(cellSelectionData);
    } else if (action == "cell left") {
        VELK_ASSERT(cellSelectionData.IsTable());
        m_Owner.UnhiliteWheelForCell(cellSelectionData);
    } else if (action == "timer expired") {
        OnTimeRanOut();
    } else {
        VELK_ASSERT_MSG(false,
                        (boost::format("Unknown action=\"%1%\", motive=\"%2%\"") % action % motive).str());
    }
    return true;
}

void CellWait::OnCellClicked(const LuaObject& cellData)
{
    // The click was posted a pass ago: the cell must still be open now.
    WoppleCellView* cell = AcceptClickedCell(m_Owner.GetBoardViews(), cellData, [this](int b, int c, int r) {
        return m_Owner.IsCellAvailableForMatching(b, c, r);
    });
    if (!cell) {
        m_Owner.PlayGameSound("C_bonk.ogg");
        return;
    }
    m_Owner.SetChosenCell(cell);
    m_Owner.PauseCountdown();
    OnCellChosen();
}

// ---------------------------------------------------------------- WaitForMatch

void WaitForMatch::OnEnterState()
{
    if (!m_Owner.UpdateSelectableCells()) {
        m_Owner.StopCountdown();
        m_Owner.SetState(m_Owner.matchesThisSpin == 0 ? "NoMatches" : "WaitForOutputCompletion");
        return;
    }
    BeginWaiting(true);
    if (WoppleScreen* screen = m_Owner.GetTargetScreen(); screen && IsWalkthroughLevel(m_Owner))
        screen->PointOutNoButtonOneThing("gameWalkthrough", "match");
}

void WaitForMatch::OnExitState()
{
    WoppleScreen* screen = m_Owner.GetTargetScreen();
    if (screen && IsWalkthroughLevel(m_Owner) && !screen->IsTipShown("gameWalkthrough", "match")) {
        screen->ClosePointOut("gameWalkthrough", "match");
        screen->MarkTipShown("gameWalkthrough", "match");
    }
    m_Owner.ReturnParticipantToIdle();
}

void WaitForMatch::OnCellChosen()
{
    m_Owner.EnableCellButtons(false);
    m_Owner.SetState("ProcessMatch");
}

void WaitForMatch::OnTimeRanOut()
{
    Say(m_Owner, "TIME_RAN_OUT");
    for (int b = 1; b <= m_Owner.GetNumBoards(); ++b)
        if (WoppleBoardView* board = m_Owner.GetBoardView(b))
            board->SetWoppleVision(false, false);
    m_Owner.EnableCellButtons(false);
    m_Owner.SetState(m_Owner.matchesThisSpin != 0 ? "WaitForOutputCompletion" : "NoMatches");
}

// ---------------------------------------------------------------- ProcessMatch

void ProcessMatch::OnEnterState()
{
    m_Timer.Free();
    ++m_Owner.matchesThisSpin;
    WoppleCellView* cell = m_Owner.GetChosenCell();
    VELK_ASSERT(cell != 0);
    const bool human = m_Owner.GetCurrentParticipant() == 0;
    if (human)
        m_Owner.AchieveForHuman("matches", 1, false, false);

    WoppleBoardView* first = m_Owner.GetBoardView(1);
    if (m_Owner.GetNumBoards() == 1 && first && m_Owner.matchesThisSpin == first->GetNumColumns()) {
        m_Owner.PlayGameSound("claps.ogg");
        Say(m_Owner, "GREAT_TURN");
    }

    m_Owner.SetMatchPoints(kMatchPoints);
    m_Owner.ApplyCellSpecials();
    MarkCellMatched();
    cell->SetCellType("Selected");
    cell->ruleFlag = true;
    m_Owner.UpdateSelectableCells();
    cell->ShowWoppleVisionAura(true, false);

    if (m_Owner.GetNumBoards() == 1 && first && first->GetNumColumns() == 5 && human &&
        m_Owner.GetBoardRecords().size() > 1) {
        const std::vector<bool>& used = m_Owner.GetBoardRecords()[1].usedColumns;
        int reels = 0;
        for (int i = 1; i <= 5 && i < static_cast<int>(used.size()); ++i)
            reels += used[i] ? 1 : 0;
        m_Owner.AchieveForHuman("matchedReels", reels, true, false);
    }

    std::int64_t bonus = 0;
    if (Actor* bonusTimer = m_Owner.GetBonusTimer()) {
        SendEvent(bonusTimer, WOPPLE_MAKEMATCH, 0, nullptr, nullptr);
        if (bonusTimer->GetState() && bonusTimer->GetStateName() == "Active")
            bonus = bonusTimer->RetrieveIntegerProperty("bonusValue", 0);
    }
    const Rect r = cell->GetGlobalRect();
    const int x = r.x + r.w / 2;
    const int y = r.y + r.h / 2;
    m_Owner.ShowScoreFlash(m_Owner.GetMatchPoints() + bonus, x, y, "DefaultScoreFlash");
    if (auto* gameScreen = dynamic_cast<WoppleGameScreen*>(m_Owner.GetTargetScreen()))
        gameScreen->StartParticleEmitter("CellWhiteBurstEffect", x, y);
    m_Owner.OnCellMatched(cell);
    m_Owner.PauseBonusTimer(true);

    WoppleScreen* screen = m_Owner.GetTargetScreen();
    if (screen && IsWalkthroughLevel(m_Owner) && m_Owner.GetSpinCount() == 1 && m_Owner.matchesThisSpin == 1 &&
        !screen->IsTipShown("GameMessage", "GOT_FIRST_ONE")) {
        Say(m_Owner, "GOT_FIRST_ONE");
        screen->MarkTipShown("GameMessage", "GOT_FIRST_ONE");
    }
    if (WopplePowerupView* bar = m_Owner.GetPowerupView(-1))
        bar->SetMultiplier(m_Owner.GetTotalMultiplier());
    m_Owner.QueueMatchForScoring(cell);
    if (cell->ruleCode == HIDDEN_JOKER) {
        auto joker = std::make_unique<Actor>();
        joker->SetImage(std::make_unique<Image>("cell_sjoker.jpg"), "cell_sjoker.jpg");
        m_Owner.ApplyScaling(joker.get());
        joker->SetAlignment(static_cast<RectAlignment>(3));
        cell->SetContents(joker.release());
        StartCellParticleEmitter(m_Owner.GetNumBoards() == 1 ? "JokerBurstEffect" : "JokerBurstEffectSmall",
                                 CellCenter(*cell));
        m_Owner.PlayGameSound("cellJoker.ogg");
    }
    // A pass later, so that the board shows the match before the next step.
    m_Timer.CreateOrRestart(&m_Owner, 0, 1, TIMER_LIMITED_TO_FRAMERATE);
}

void ProcessMatch::MarkCellMatched()
{
    WoppleCellView* cell = m_Owner.GetChosenCell();
    const int board = BoardIndexOf(m_Owner, *cell);
    const int column = cell->column;
    if (WoppleWheelSetView* reels = m_Owner.GetWheelsView())
        if (WoppleWheelView* wheel = reels->GetWheelView(column))
            if (WoppleWheelProgressOverlay* overlay = wheel->GetProgressOverlay())
                overlay->FillPiece(board);
    auto& records = m_Owner.GetBoardRecords();
    if (board > 0 && board < static_cast<int>(records.size()) &&
        column < static_cast<int>(records[board].usedColumns.size()))
        records[board].usedColumns[column] = true;
}

int ProcessMatch::ChosenBoardIndex() const
{
    const WoppleCellView* cell = m_Owner.GetChosenCell();
    return cell ? BoardIndexOf(m_Owner, *cell) : 0;
}

bool ProcessMatch::OnTimer(const EventRecord& event)
{
    if (!m_Timer.IsFrom(event))
        return false;
    m_Timer.Free();
    if (WoppleCellView* cell = m_Owner.GetChosenCell())
        cell->ShowWoppleVisionAura(false, false);
    m_Owner.SetState("ProcessPirateOrTreasure");
    return true;
}

void ProcessMatch::OnExitState()
{
    m_Timer.Free();
}

bool ProcessMatch::OnDialogStopped(const EventRecord& event)
{
    auto* dialog = static_cast<Dialog*>(event.user.data1);
    if (!dialog || dialog->GetName() != "WoppleAwardDialog")
        return false;
    if (Application* app = Application::GetInstance())
        app->PauseGame(false);
    return true;
}

// ---------------------------------------------------------------- RouteMatch

void RouteMatch::OnEnterState()
{
    WoppleCellView* cell = m_Owner.GetChosenCell();
    m_Owner.SetState(cell && cell->ruleCode == HIDDEN_JOKER ? "WaitForCellJokerMatch" : "ProcessSuperJoker");
}


// ---------------------------------------------------------------- WaitForOutputCompletion

void WaitForOutputCompletion::OnEnterState()
{
    if (WoppleWheelSetView* reels = m_Owner.GetWheelsView())
        reels->ShowGrayTints();
    if (m_Owner.IsScoringIdle())
        GoToNextState();
}

bool WaitForOutputCompletion::OnMatchQueueEmpty(Event*)
{
    GoToNextState();
    return true;
}

} // namespace OldSchoolStates
