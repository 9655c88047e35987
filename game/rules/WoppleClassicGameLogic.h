#pragma once

#include "game/rules/WoppleOldSchoolBaseLogic.h"

#include <string>

// The plain game outside the quest: one 5x5 board ("theBoard" of
// "WoppleClassicScreenLayout"), every turn under a countdown, no level goal.
// The game starts make it directly, never from a level table.
class WoppleClassicGameLogic : public WoppleOldSchoolBaseLogic
{
public:
    // Every turn is timed, whatever a level says.
    WoppleClassicGameLogic();

    Class* GetClass() const override { return s_Class; }
    std::string GetScreenLayoutName() const override { return "WoppleClassicScreenLayout"; }
    std::string GetNameOfGameMode() const override { return "Classic"; }
    int GetNumBoards() const override { return 1; }
    // The old-school states with the Classic ending.
    void CreateStates() override;
    // "theBoard", board 1, whose cell events come to the logic.
    void CreateBoardViews() override;
    bool IsLevelGoalMet() override { return true; }

    static Class* s_Class;
};

// The game logic of a mode by the name its start uses ("Classic"); null for a
// mode whose logic is not built. The caller owns it.
WoppleGameLogic* CreateWoppleGameLogic(const std::string& modeName);
