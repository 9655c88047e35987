#pragma once

#include "game/rules/WoppleOldSchoolBaseLogic.h"

#include <cstdint>
#include <string>

class Actor;
class Label;
class WoppleBoardView;

// The old-school round on two, three or four linked 5x5 boards. The boards
// are the layout's "board_1" .. "board_N"; their edge cells are joined by the
// links a Lua function returns (the logic's "createInterBoardCellConnections"),
// so lines may run from one board into the next as super wopples. The level
// is won by collecting "numberOfWopplesRequired" ordinary lines and
// "numberOfSuperWopplesRequired" super lines: both count down on screen as
// the line animations finish, and the refresh that brings the second of them
// to zero pays the goal bonus, once.
class WoppleMultiBoardBaseLogic : public WoppleOldSchoolBaseLogic
{
public:
    // The scoring logic becomes the multi-board one; the goal is 25 and 0.
    WoppleMultiBoardBaseLogic();

    Class* GetClass() const override { return s_Class; }
    Object* CreateOutputLogic() override;
    // The old-school controls, then the goal display's actors; fixes the total required.
    void InitControls() override;
    // Calls the link function, keeps its list as "interBoardCellConnections",
    // then the old-school set-up, which makes the links. Asserts when the
    // property holds no function.
    void InitBoardViews() override;
    // "board_1" .. "board_N" by their index, each sending its cell events here.
    void CreateBoardViews() override;
    // The layout's board of that index; asserts when there is none.
    virtual WoppleBoardView* CreateBoardView(int index);
    // The old-school new level, then the goal shown without fanfare.
    void SetLevelName() override;
    bool IsLevelGoalMet() override;
    std::string GetLevelGoalText() override;
    // A lost level: the girl says which kind of line was missing.
    Actor* SayGameMessage(int id, Object* listener, const std::string& text1, const std::string& text2,
                          const std::string& text3) override;

    // A finished line animation counts one off its goal and shows it.
    void CountWoppleDown();
    void CountSuperWoppleDown();
    // Shows both counts (a count below 1 becomes 0, its number hidden and its
    // check shown). Animated: a burst over each number that changed, and when
    // both are 0 and one of them just got there, the fanfare and the bonus of
    // total required x 100 points; else the goal's glow blinks.
    void RefreshGoalDisplay(bool animate);
    // The two counts as the level set them when the controls were found.
    std::int32_t GetTotalRequired() const { return m_TotalRequired; }

    std::int32_t numberOfWopplesRequired = 25;
    std::int32_t numberOfSuperWopplesRequired = 0;

    static Class* s_Class;

protected:
    // Reads the global Lua function of that name into "createInterBoardCellConnections".
    void UseLinkFunction(const char* functionName);

private:
    // Shows one count; true when its text changed.
    bool ShowCount(std::int32_t& count, Label* label, Actor* check, std::string& shown);

    Label* m_WopplesLeftValue = nullptr;
    Label* m_SupersLeftValue = nullptr;
    Actor* m_WopplesLeftCheck = nullptr;
    Actor* m_SupersLeftCheck = nullptr;
    Actor* m_WopplesNeededContainer = nullptr;
    std::int32_t m_TotalRequired = 0;
    // What each count shows now: its change is what the bursts and the bonus go by.
    std::string m_WopplesShown;
    std::string m_SupersShown;
};

// Two boards, one above the other.
class WoppleTwoBoardGameLogic : public WoppleMultiBoardBaseLogic
{
public:
    WoppleTwoBoardGameLogic();
    Class* GetClass() const override { return s_Class; }
    std::string GetScreenLayoutName() const override { return "WoppleTwoBoardScreenLayout"; }
    std::string GetNameOfGameMode() const override { return "Two Board"; }
    int GetNumBoards() const override { return 2; }
    static Class* s_Class;
};

// Board 1 on top, boards 2 and 3 side by side under it.
class WoppleThreeBoardGameLogic : public WoppleMultiBoardBaseLogic
{
public:
    WoppleThreeBoardGameLogic();
    Class* GetClass() const override { return s_Class; }
    std::string GetScreenLayoutName() const override { return "WoppleThreeBoardScreenLayout"; }
    std::string GetNameOfGameMode() const override { return "Three Board"; }
    int GetNumBoards() const override { return 3; }
    static Class* s_Class;
};

// Four boards two by two: 1 and 2 on top, 3 and 4 below.
class WoppleFourBoardGameLogic : public WoppleMultiBoardBaseLogic
{
public:
    WoppleFourBoardGameLogic();
    Class* GetClass() const override { return s_Class; }
    std::string GetScreenLayoutName() const override { return "WoppleFourBoardScreenLayout"; }
    std::string GetNameOfGameMode() const override { return "Four Board"; }
    int GetNumBoards() const override { return 4; }
    static Class* s_Class;
};
