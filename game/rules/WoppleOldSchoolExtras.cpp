// The board extras of a round: the bonus squares (frogs), the bonus timer and
// the treasure boxes beside the lines, as the old-school logic drives them.

#include "game/rules/WoppleOldSchoolBaseLogic.h"

#include "engine/core/Exception.h"
#include "engine/runtime/Sound.h"
#include "engine/ui/ScoreCounter.h"
#include "game/rules/WoppleGameEvents.h"
#include "game/rules/WoppleInfo.h"
#include "game/views/WoppleAnimation.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleBonusSquares.h"
#include "game/views/WoppleBonusTimer.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WopplePowerupView.h"
#include "game/views/WoppleTreasureBox.h"

#include <algorithm>

namespace {

const std::int64_t kBonusFrogPoints = 5000;

} // namespace

// ---------------------------------------------------------------- bonus squares

void WoppleOldSchoolBaseLogic::BindBonusSquares(Actor* squares, WoppleBoardView* board)
{
    if (auto* bonusSquares = dynamic_cast<WoppleBonusSquares*>(squares))
        bonusSquares->boardView = board;
}

WoppleBonusSquares* WoppleOldSchoolBaseLogic::GetBonusSquares(int board) const
{
    if (board < 1 || board >= static_cast<int>(m_BoardRecords.size()))
        return nullptr;
    return dynamic_cast<WoppleBonusSquares*>(m_BoardRecords[static_cast<std::size_t>(board)].bonusSquares);
}

void WoppleOldSchoolBaseLogic::RearrangeBonusSquares(bool start)
{
    for (int b = 1; b <= GetNumBoards(); ++b)
        if (WoppleBonusSquares* squares = GetBonusSquares(b)) {
            if (start)
                squares->Rearrange();
            else
                squares->StopRearranging();
        }
}

void WoppleOldSchoolBaseLogic::ApplyBonusFrog(WoppleCellView* cell)
{
    if (!cell || !cell->boardView)
        return;
    WoppleBonusSquares* squares = GetBonusSquares(cell->boardView->boardIndex);
    if (!squares || !squares->IsSquareAtPosition(cell->column, cell->row))
        return;
    m_MatchPoints += kBonusFrogPoints;
    PlayGameSound("pop3.ogg");
    SayGameMessage(51, nullptr, "", "", "");
    const Point<int> centre = squares->RemoveSquare(cell->column, cell->row);
    StartCellParticleEmitter(GetNumBoards() == 1 ? "GreenBurstEffect" : "GreenBurstEffectSmall",
                             Point<int>(centre.x - 30, centre.y - 30));
    if (squares->GetSquareCount() == 0 && squares->GetNumSquares() == 0)
        if (WopplePowerupView* bar = GetPowerupView(-1))
            bar->RemovePowerup("BonusFrog");
}

// ---------------------------------------------------------------- bonus timer

WoppleBonusTimer* WoppleOldSchoolBaseLogic::GetBonusTimerView() const
{
    return dynamic_cast<WoppleBonusTimer*>(m_BonusTimer);
}

void WoppleOldSchoolBaseLogic::PauseBonusTimer(bool pause)
{
    if (WoppleBonusTimer* timer = GetBonusTimerView()) {
        if (pause)
            timer->Pause();
        else
            timer->Resume();
    }
}

int WoppleOldSchoolBaseLogic::GetBonusTimerLevel() const
{
    WoppleBonusTimer* timer = GetBonusTimerView();
    return timer ? timer->GetScoreIndex() : 0;
}

// ---------------------------------------------------------------- treasure boxes

void WoppleOldSchoolBaseLogic::InitTreasureBoxes()
{
    auto* manager = dynamic_cast<WoppleTreasureBoxManager*>(m_TreasureBoxManager);
    if (!manager)
        return;
    manager->SetNumBoards(GetNumBoards());
    for (int b = 1; b <= GetNumBoards(); ++b)
        manager->SetBoard(b, GetBoardView(b));
    manager->InitBoxes();
}

void WoppleOldSchoolBaseLogic::CloseTreasureBoxes()
{
    if (auto* manager = dynamic_cast<WoppleTreasureBoxManager*>(m_TreasureBoxManager))
        manager->CloseAllBoxes();
    if (m_ButterflyBox)
        m_ButterflyBox->DestroyChildren();
}

Actor* WoppleOldSchoolBaseLogic::FindTreasureBox(const WoppleLineInfo& line) const
{
    auto* manager = dynamic_cast<WoppleTreasureBoxManager*>(m_TreasureBoxManager);
    if (!manager || !line.boardView || manager->GetNumBoards() == 0)
        return nullptr;
    return manager->GetTreasureBox(line);
}

bool WoppleOldSchoolBaseLogic::IsButterflyBoxVisible(const WoppleLineInfo& line)
{
    Actor* box = FindTreasureBox(line);
    return box && box->IsVisible();
}

void WoppleOldSchoolBaseLogic::ShowScoreGainEffect(const WoppleLineInfo& line)
{
    // The counter has moved on past this line already: its own points are one step back.
    m_TreasureBoxReward = std::int64_t{1000} << std::max(m_WoppleCounter - 2, 0);
    auto* manager = dynamic_cast<WoppleTreasureBoxManager*>(m_TreasureBoxManager);
    Actor* box = FindTreasureBox(line);
    if (!manager || !box)
        return;
    std::unique_ptr<WoppleTreasureBoxAnimation> animation(
        manager->CreateTreasureBoxAnimation(line, GetTotalMultiplier()));
    animation->m_Reward = m_TreasureBoxReward;
    if (m_CurrentParticipant < m_Participants.size())
        if (ScoreCounter* counter = m_Participants[m_CurrentParticipant].scoreCounter) {
            animation->m_HasDestination = true;
            animation->m_Destination = counter->GetGlobalRect().GetCenter();
        }
    animation->AttachObserver(WOPPLE_TREASUREBOXANIMATIONFINISHED, this);
    animation->Start();
    m_TreasureBoxAnimation = std::move(animation);
    box->SetVisible(false);
    StartCellParticleEmitter("PinkBurstEffect", box->GetGlobalRect().GetCenter());
}

std::int64_t WoppleOldSchoolBaseLogic::TakeTreasureBoxReward()
{
    const std::int64_t reward = m_TreasureBoxReward;
    m_TreasureBoxReward = 0;
    m_TreasureBoxAnimation.reset();
    return reward;
}
