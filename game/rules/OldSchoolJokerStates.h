#pragma once

#include "game/rules/OldSchoolMatchStates.h"
#include "game/rules/OldSchoolStates.h"

#include <cstdint>
#include <string>

class WoppleBoardView;

// The jokers of a spin: the joker bonus, the super joker placed board by
// board, and the cell joker a matched cell reveals.
namespace OldSchoolStates {

// The state of that name among these states, null for any other name.
State* CreateJokerState(WoppleOldSchoolBaseLogic& owner, const std::string& name);

// What n jokers (plain and super) on the reels of one spin pay before the
// multiplier: nothing below three, and nothing for more than seven.
std::int64_t JokerBonusFor(int jokers);

// Every cell of the board hides (or shows again) the selectable look of its aura.
void SetSelectionSuppressed(WoppleBoardView& board, bool suppressed);

// Three or more jokers pay their bonus; the reels show it while the super
// joker's turn begins.
class ProcessJokerBonus : public Base
{
public:
    explicit ProcessJokerBonus(WoppleOldSchoolBaseLogic& owner)
        : Base(owner, "ProcessJokerBonus", "ProcessSuperJoker")
    {
    }
    void OnEnterState() override;
    bool OnActorScriptFinished(Event* event) override;

private:
    LuaObject m_Script;
};

// A board still offered the super joker takes it next; otherwise the
// ordinary matching goes on.
class ProcessSuperJoker : public Base
{
public:
    explicit ProcessSuperJoker(WoppleOldSchoolBaseLogic& owner) : Base(owner, "ProcessSuperJoker") {}
    void OnEnterState() override;
};

// Every reel but the super joker's greys out, and it bursts.
class SuperJokerAppearance : public Base
{
public:
    explicit SuperJokerAppearance(WoppleOldSchoolBaseLogic& owner)
        : Base(owner, "SuperJokerAppearance", "WaitForSuperJokerMatch")
    {
    }
    void OnEnterState() override;
};

// The participant places a joker on any numbered cell it may take: the two
// waits share their entry, their exit and their answers, and differ in what
// a click leads to and in how the turn ends when the time runs out.
class JokerWait : public CellWait
{
public:
    JokerWait(WoppleOldSchoolBaseLogic& owner, const char* name, const char* onClick)
        : CellWait(owner, name), m_OnClick(onClick)
    {
    }
    void OnEnterState() override;
    void OnExitState() override;

protected:
    // Asks the participant, and the board, for the placing.
    void BeginWaiting();
    void OnCellChosen() override;

private:
    const char* m_OnClick;
};

class WaitForSuperJokerMatch : public JokerWait
{
public:
    explicit WaitForSuperJokerMatch(WoppleOldSchoolBaseLogic& owner)
        : JokerWait(owner, "WaitForSuperJokerMatch", "ProcessSuperJokerMatch")
    {
    }
    void OnEnterState() override;

protected:
    void OnTimeRanOut() override;
};

class WaitForCellJokerMatch : public JokerWait
{
public:
    explicit WaitForCellJokerMatch(WoppleOldSchoolBaseLogic& owner)
        : JokerWait(owner, "WaitForCellJokerMatch", "ProcessCellJokerMatch")
    {
    }
    void OnEnterState() override;

protected:
    void OnTimeRanOut() override;
};

// The super joker's match: its reel is spent on the cell's board, and so is
// the cell's own reel when the cell was all that reel could still serve there.
class ProcessSuperJokerMatch : public ProcessMatch
{
public:
    explicit ProcessSuperJokerMatch(WoppleOldSchoolBaseLogic& owner) : ProcessMatch(owner, "ProcessSuperJokerMatch") {}
    void MarkCellMatched() override;
    int GetSuperJokerReel() const { return m_SuperJokerReel; }

private:
    int m_SuperJokerReel = -1;
};

// The cell joker's match: the joker is used up; the cell's own reel is spent
// as for the super joker, but counts as matched there.
class ProcessCellJokerMatch : public ProcessMatch
{
public:
    explicit ProcessCellJokerMatch(WoppleOldSchoolBaseLogic& owner) : ProcessMatch(owner, "ProcessCellJokerMatch") {}
    void OnExitState() override;
    void MarkCellMatched() override;
};

} // namespace OldSchoolStates
