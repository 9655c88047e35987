#pragma once

#include "game/rules/OldSchoolStates.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"

#include <memory>
#include <string>

class Label;
class WopplePattern;
class WopplePatternCompletionAnimation;

// A pattern level: a shape of cells is marked on the one board ("theBoard")
// and the level is won when every marked cell is matched. The pattern is the
// entry "patternIndex" of the script table "WopplePatterns"; it is read when
// the level name is set and marked on the board after the level's intro. The
// scoring logic celebrates the match that completes it.
class WopplePatternsGameLogic : public WoppleOldSchoolBaseLogic
{
public:
    explicit WopplePatternsGameLogic(int patternIndex = 1);
    ~WopplePatternsGameLogic() override;

    Class* GetClass() const override { return s_Class; }
    std::string GetScreenLayoutName() const override { return "WopplePatternsScreenLayout"; }
    std::string GetNameOfGameMode() const override { return "Patterns"; }
    int GetNumBoards() const override { return 1; }
    // The celebration stops with the round: its cells go with the layout.
    void Stop() override;
    // The old-school states with the pattern marked between the intro and the numbers.
    void CreateStates() override;
    // "theBoard", board 1, whose cell events come to the logic.
    void CreateBoardViews() override;
    Object* CreateOutputLogic() override;
    void InitControls() override;
    // The old-school set-up, then the pattern read afresh and its number shown.
    void SetLevelName() override;
    void OnCellMatched(WoppleCellView* cell) override;
    // Pending matches count: the last cell may still wait to be scored.
    bool IsLevelGoalMet() override;
    std::string GetLevelGoalText() override
    {
        return "Match every square in the pattern\nto unlock the next round.";
    }
    Actor* SayGameMessage(int id, Object* listener, const std::string& text1, const std::string& text2,
                          const std::string& text3) override;

    // Board 1's pattern cells all matched; with pendingMatchesCount false, all scored too.
    bool IsPatternComplete(bool pendingMatchesCount) const;
    // Marks the current pattern on board 1.
    void ApplyPattern();
    const WopplePattern* GetPattern() const { return m_Pattern.get(); }
    // The celebration's flashing of the pattern cells; the logic keeps it and observes its end.
    void StartPatternCompletionAnimation();
    WopplePatternCompletionAnimation* GetPatternCompletionAnimation() const { return m_PatternAnimation.get(); }

    std::int32_t patternIndex = 1;

    static Class* s_Class;

protected:
    Label* m_PatternIndexLabel = nullptr;

private:
    std::unique_ptr<WopplePattern> m_Pattern;
    std::unique_ptr<WopplePatternCompletionAnimation> m_PatternAnimation;
};

namespace PatternsStates {

// The level's intro, then the pattern rather than the numbers.
class LevelIntroDialog : public OldSchoolStates::LevelIntroDialog
{
public:
    using OldSchoolStates::LevelIntroDialog::LevelIntroDialog;
    void GoToNextState() override;
};

// Marks the pattern on the board, then the numbers.
class AssignPattern : public OldSchoolStates::Base
{
public:
    explicit AssignPattern(WopplePatternsGameLogic& owner)
        : OldSchoolStates::Base(owner, "AssignPattern", "AssignNumbers"), m_Logic(owner)
    {
    }
    void OnEnterState() override;

private:
    WopplePatternsGameLogic& m_Logic;
};

} // namespace PatternsStates
