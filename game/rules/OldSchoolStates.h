#pragma once

#include "game/rules/WoppleState.h"
#include "game/rules/WoppleTimer.h"

#include <string>
#include <vector>

class WoppleOldSchoolBaseLogic;

// The states of an old-school round. Each holds its logic and names the state
// that follows it; the opening of a round (InitialState to StartGame) lives
// here, the spin, match and end-of-game states come with their own rules.
namespace OldSchoolStates {

class Base : public WoppleState
{
public:
    Base(WoppleOldSchoolBaseLogic& owner, const char* name, const char* next = "")
        : m_Owner(owner), m_Name(name), m_Next(next)
    {
    }
    std::string GetName() const override { return m_Name; }
    // Switches the logic to the state that follows this one.
    virtual void GoToNextState();

protected:
    WoppleOldSchoolBaseLogic& m_Owner;
    const char* m_Name;
    const char* m_Next;
};

// SetLevelName, the girl idles, then the level's introduction.
class InitialState : public Base
{
public:
    explicit InitialState(WoppleOldSchoolBaseLogic& owner) : Base(owner, "InitialState", "LevelIntroDialog") {}
    void OnEnterState() override;
};

// The level's introduction, once per player; waits for the dialog to close.
class LevelIntroDialog : public Base
{
public:
    explicit LevelIntroDialog(WoppleOldSchoolBaseLogic& owner) : Base(owner, "LevelIntroDialog", "AssignNumbers") {}
    void OnEnterState() override;
    bool OnDialogStopped(const EventRecord& event) override;

private:
    // A big help dialog on the game screen; false when there is no screen.
    bool ShowIntro(const std::string& title, const std::string& text);
};

// The level script "DisplayLevelActors" shows the numbers; its end moves on.
class AssignNumbers : public Base
{
public:
    explicit AssignNumbers(WoppleOldSchoolBaseLogic& owner) : Base(owner, "AssignNumbers", "ExplainGame") {}
    void OnEnterState() override;
    void OnExitState() override;
    bool OnActorScriptFinished(Event* event) override;

private:
    LuaObject m_Script;
};

// The cherub names the level's features; a pause after he is closed moves on.
class ExplainGame : public Base
{
public:
    explicit ExplainGame(WoppleOldSchoolBaseLogic& owner) : Base(owner, "ExplainGame", "WaitingForGameStart") {}
    void OnEnterState() override;
    void OnExitState() override;
    bool OnButtonClick(const EventRecord& event) override;
    bool OnTimer(const EventRecord& event) override;

    const std::vector<std::string>& GetPages() const { return m_Pages; }
    const std::string& GetExplanation() const { return m_Explanation; }
    std::uint32_t GetTimerID() const { return m_Timer.GetID(); }

private:
    bool ShowNextPage();
    void StartTimer();

    WoppleTimer m_Timer;
    std::vector<std::string> m_Pages;
    std::string m_Explanation;
};

// The lever waits to be pulled (or the right mouse button pulls it).
class WaitingForGameStart : public Base
{
public:
    explicit WaitingForGameStart(WoppleOldSchoolBaseLogic& owner)
        : Base(owner, "WaitingForGameStart", "StartGame")
    {
    }
    void OnEnterState() override;
    void OnExitState() override;
    bool OnButtonClick(const EventRecord& event) override;
    bool OnMouseButtonDown(const EventRecord& event) override;
};

// The round's stopwatch starts; the spins begin.
class StartGame : public Base
{
public:
    explicit StartGame(WoppleOldSchoolBaseLogic& owner) : Base(owner, "StartGame", "NextSpin") {}
    void OnEnterState() override;
};


} // namespace OldSchoolStates
