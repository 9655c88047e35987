// The old-school logic's side of a turn: the spin price and the rule for
// another spin, the reels' bookkeeping and the walkthrough's forced results,
// the match rule applied to the boards, the turn countdown, the level music,
// and the two hands the turn is played with: the participant and the scoring.
#include "game/rules/WoppleOldSchoolBaseLogic.h"

#include "engine/core/CoreHost.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/DirectMusic.h"
#include "engine/runtime/Sound.h"
#include "engine/runtime/Utility.h"
#include "game/rules/WoppleOutputBaseLogic.h"
#include "game/rules/WoppleParticipantLogic.h"
#include "game/shell/WoppleScreen.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WopplePowerupView.h"
#include "game/views/WoppleWheelProgressOverlay.h"
#include "game/views/WoppleWheelSetView.h"
#include "game/views/WoppleWheelView.h"

#include <boost/format.hpp>

namespace {

constexpr std::uint32_t kCountdownTickMs = 1000;
constexpr const char* kMusicFile = "Wopple.mid";

} // namespace

// ---------------------------------------------------------------- spins

std::int64_t WoppleOldSchoolBaseLogic::GetMinimumAllowableScoreForSpin() const
{
    const std::int64_t percent = (static_cast<std::int64_t>(m_SpinCount) - 16) * 10;
    VELK_ASSERT(percent > 0);
    return GetScore(kNoParticipant) * percent / 100;
}

bool WoppleOldSchoolBaseLogic::HasSpinsLeft()
{
    if (m_SpinCount >= m_SpinsPerLevel)
        return false;
    if (m_SpinCount < kFirstPaidSpin)
        return true;
    if (GetFreeSpins(kNoParticipant) > 0)
        return true;
    if (GetScore(kNoParticipant) >= GetMinimumAllowableScoreForSpin())
        return true;
    return allSpinsFree || m_FreeSpin;
}

double WoppleOldSchoolBaseLogic::GetMusicTempo() const
{
    return 1.0 + (m_SpinCount - 1) * 0.005 + (m_WoppleVisionTurns != 0 ? 0.05 : 0.0);
}

void WoppleOldSchoolBaseLogic::SpinStart()
{
    if (const double tempo = GetMusicTempo(); tempo <= 2.0)
        MusicManager::SetMasterTempo(static_cast<float>(tempo));
    switch (m_SpinCount) {
    case 1: LoopLevelMusic("Part 1"); break;
    case 5: LoopLevelMusic("Part 2"); break;
    case 9: LoopLevelMusic("Part 3"); break;
    case 13: LoopLevelMusic("Part 4"); break;
    case 17: LoopLevelMusic("Break"); break;
    case 20: LoopLevelMusic("Part 4"); break;
    default: break;
    }
    if (m_WheelsView)
        m_WheelsView->ClearGrayTints();
    if (auto* screen = dynamic_cast<WoppleScreen*>(m_TargetScreen))
        screen->HideNotes();
    SetState("SpinWheel");
}

bool WoppleOldSchoolBaseLogic::IsBoardFull(int boardIndex, bool strict) const
{
    WoppleBoardView* board = GetBoardView(boardIndex);
    if (!board || board->GetNumRows() < 1)
        return true;
    for (int c = 1; c <= board->GetNumColumns(); ++c)
        for (int r = 1; r <= board->GetNumRows(); ++r) {
            const WoppleCellView* cell = board->GetCellView(c, r);
            if (!cell || !cell->isSelected || (strict && cell->ruleFlag))
                return false;
        }
    return true;
}

bool WoppleOldSchoolBaseLogic::AllBoardsFull(bool strict) const
{
    for (int b = 1; b <= GetNumBoards(); ++b)
        if (!IsBoardFull(b, strict))
            return false;
    return true;
}

// ---------------------------------------------------------------- the reels

void WoppleOldSchoolBaseLogic::ResetWheelsForSpin()
{
    const int numWheels = GetNumWheels();
    for (int b = 1; b <= GetNumBoards() && b < static_cast<int>(m_BoardRecords.size()); ++b) {
        std::vector<bool>& used = m_BoardRecords[b].usedColumns;
        for (int i = 1; i <= numWheels && i < static_cast<int>(used.size()); ++i)
            used[i] = false;
    }
    if (!m_WheelsView)
        return;
    m_WheelsView->ClearGrayTints();
    m_WheelsView->ResetProgressOverlays();
    for (int i = 1; i <= numWheels; ++i)
        if (WoppleWheelView* wheel = m_WheelsView->GetWheelView(i))
            if (WoppleWheelProgressOverlay* overlay = wheel->GetProgressOverlay())
                overlay->SetNumPieces(GetNumBoards());
}

void WoppleOldSchoolBaseLogic::SetRandomNumberResult(int reel)
{
    if (WoppleWheelView* wheel = m_WheelsView ? m_WheelsView->GetWheelView(reel) : nullptr)
        wheel->SetResult(WheelTypeNumber, RandomInt(15) + 15 * reel - 14);
}

void WoppleOldSchoolBaseLogic::SetCellNumberResult(int reel, int row)
{
    WoppleWheelView* wheel = m_WheelsView ? m_WheelsView->GetWheelView(reel) : nullptr;
    WoppleBoardView* board = GetBoardView(1);
    WoppleCellView* cell = board ? board->GetCellView(reel, row) : nullptr;
    if (wheel && cell)
        wheel->SetResult(WheelTypeNumber, cell->number);
}

void WoppleOldSchoolBaseLogic::SetMissNumberResult(int reel)
{
    WoppleWheelView* wheel = m_WheelsView ? m_WheelsView->GetWheelView(reel) : nullptr;
    if (!wheel)
        return;
    // A number that lies on a board moves the candidate on, and that board's
    // column is scanned again from the top.
    int candidate = 15 * reel - 14;
    for (int b = 1; b <= GetNumBoards(); ++b) {
        WoppleBoardView* board = GetBoardView(b);
        if (!board || reel > board->GetNumColumns())
            continue;
        for (int r = 1; r <= 5 && r <= board->GetNumRows(); ++r) {
            const WoppleCellView* cell = board->GetCellView(reel, r);
            if (cell && cell->number == candidate) {
                ++candidate;
                r = 0;
            }
        }
    }
    wheel->SetResult(WheelTypeNumber, candidate);
}

// ---------------------------------------------------------------- matching

bool WoppleOldSchoolBaseLogic::UpdateSelectableCells()
{
    bool any = false;
    for (int b = 1; b <= GetNumBoards(); ++b) {
        WoppleBoardView* board = GetBoardView(b);
        if (!board)
            continue;
        for (int c = 1; c <= board->GetNumColumns(); ++c)
            for (int r = 1; r <= board->GetNumRows(); ++r) {
                WoppleCellView* cell = board->GetCellView(c, r);
                if (!cell)
                    continue;
                if (IsCellAvailableForMatching(b, c, r)) {
                    cell->SetCellType("SelectableAndClickableNumber");
                    any = true;
                } else if (cell->isNumberShown) {
                    cell->SetCellType("ClickableNumber");
                }
            }
    }
    return any;
}

void WoppleOldSchoolBaseLogic::EnableCellButtons(bool enable)
{
    for (int b = 1; b <= GetNumBoards(); ++b)
        if (WoppleBoardView* board = GetBoardView(b)) {
            if (enable)
                board->EnableCellButtons();
            else
                board->DisableCellButtons();
        }
}

// ---------------------------------------------------------------- the countdown

void WoppleOldSchoolBaseLogic::StartCountdown()
{
    TimerManager* timers = TimerManager::GetInstance();
    if (!timers)
        return;
    if (m_CountdownRunning)
        StopCountdown();
    // On the main loop's clock: a stalled pass does not eat the player's seconds.
    m_CountdownTimer = timers->CreateTimer(this, kCountdownTickMs, 1, TIMER_LIMITED_TO_FRAMERATE, "default");
    m_CountdownRunning = true;
}

void WoppleOldSchoolBaseLogic::StopCountdown()
{
    if (!m_CountdownRunning)
        return;
    if (TimerManager* timers = TimerManager::GetInstance(); timers && m_CountdownTimer)
        timers->FreeTimer(m_CountdownTimer);
    m_CountdownTimer = 0;
    m_CountdownRunning = false;
}

void WoppleOldSchoolBaseLogic::PauseCountdown()
{
    if (TimerManager* timers = TimerManager::GetInstance(); timers && m_CountdownRunning && m_CountdownTimer)
        timers->PauseTimer(m_CountdownTimer);
}

void WoppleOldSchoolBaseLogic::ResumeCountdown()
{
    if (TimerManager* timers = TimerManager::GetInstance(); timers && m_CountdownRunning && m_CountdownTimer)
        timers->ResumeTimer(m_CountdownTimer);
}

const char* WoppleOldSchoolBaseLogic::CountdownBeep(int seconds)
{
    if (seconds == 1)
        return "Beep02.ogg";
    if (seconds < 1 || seconds > 6)
        return "";
    return seconds % 2 == 0 ? "Beep01.ogg" : "beep24.ogg";
}

bool WoppleOldSchoolBaseLogic::OnTimer(const EventRecord& event)
{
    const auto id = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(event.user.data1));
    if (!m_CountdownRunning || id == 0 || id != m_CountdownTimer)
        return WoppleGameLogic::OnTimer(event);
    SetCountdown(m_CountdownSeconds - 1);
    if (m_CountdownSeconds <= 0) {
        StopCountdown();
        PostNewEvent(WOPPLE_COUNTDOWNFINISHED, this, this, nullptr);
        return true;
    }
    if (const char* beep = CountdownBeep(m_CountdownSeconds); *beep)
        PlayGameSound(beep);
    if (TimerManager* timers = TimerManager::GetInstance())
        timers->RecreateTimer(m_CountdownTimer, this, kCountdownTickMs, 1, TIMER_LIMITED_TO_FRAMERATE, "default");
    return true;
}

// ---------------------------------------------------------------- music and sounds

void WoppleOldSchoolBaseLogic::PlayLevelMusicOnce(const std::string& segment)
{
    const std::string part = levelMusic + " " + segment;
    Log(3, "Level music once: %s\n", part.c_str());
    if (DirectMusic* music = DirectMusic::GetInstance())
        music->PlayMidi(kMusicFile, part, false);
}

void WoppleOldSchoolBaseLogic::LoopLevelMusic(const std::string& segment)
{
    const std::string part = levelMusic + " " + segment;
    Log(3, "Level music loop: %s\n", part.c_str());
    if (DirectMusic* music = DirectMusic::GetInstance())
        music->LoopMidi(kMusicFile, part);
}

void WoppleOldSchoolBaseLogic::PlayGameSound(const std::string& name)
{
    Log(3, "Game sound: %s\n", name.c_str());
    Sound::Play(name);
}

// ---------------------------------------------------------------- participant and scoring

void WoppleOldSchoolBaseLogic::RequestOfParticipant(const std::string& request)
{
    WoppleParticipantLogic* participant = GetParticipantLogic();
    if (!participant)
        return;
    using Request = void (WoppleParticipantLogic::*)();
    static const std::pair<const char*, Request> kRequests[] = {
        {"WaitForSpin", &WoppleParticipantLogic::WaitForSpin},
        {"WaitForMatch", &WoppleParticipantLogic::WaitForMatch},
        {"WaitForSuperJokerMatch", &WoppleParticipantLogic::WaitForSuperJokerMatch},
        {"WaitForCellJokerMatch", &WoppleParticipantLogic::WaitForCellJokerMatch},
        {"PromptForFreeSpin", &WoppleParticipantLogic::PromptForFreeSpin},
        {"PromptForFreeSpinWithCashOut", &WoppleParticipantLogic::PromptForFreeSpinWithCashOut},
        {"PromptForBuyWithCashOut", &WoppleParticipantLogic::PromptForBuyWithCashOut},
        {"PromptForImmediateFreeSpinUsage", &WoppleParticipantLogic::PromptForImmediateFreeSpinUsage},
        {"PassOrKeepPirateOrTreasure", &WoppleParticipantLogic::PassOrKeepPirateOrTreasure},
        {"TellUserAboutCellPirate", &WoppleParticipantLogic::TellUserAboutCellPirate},
        {"TellUserAboutCellTreasure", &WoppleParticipantLogic::TellUserAboutCellTreasure},
    };
    for (const auto& [name, call] : kRequests)
        if (request == name) {
            (participant->*call)();
            return;
        }
    VELK_THROW(Exception, AssertionText("false", "Unknown participant request \"" + request + "\""));
}

void WoppleOldSchoolBaseLogic::ReturnParticipantToIdle()
{
    if (WoppleParticipantLogic* participant = GetParticipantLogic())
        participant->Start();
}

void WoppleOldSchoolBaseLogic::QueueMatchForScoring(WoppleCellView* cell)
{
    if (WoppleOutputBaseLogic* scoring = GetScoringLogic()) {
        scoring->QueueMatch(cell);
        return;
    }
    // Without a scoring logic the match counts as taken up at once.
    if (cell)
        cell->ruleFlag = false;
}

bool WoppleOldSchoolBaseLogic::IsScoringIdle() const
{
    WoppleOutputBaseLogic* scoring = GetScoringLogic();
    return !scoring || scoring->IsIdle();
}
