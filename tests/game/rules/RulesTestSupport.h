#pragma once

#include "engine/core/TimerManager.h"
#include "game/rules/WoppleGameLogic.h"
#include "game/rules/WoppleParticipantLogic.h"
#include "game/rules/WoppleState.h"
#include "game/rules/WoppleTimer.h"
#include "engine/runtime/GameDataIO.h"
#include "game/shell/GameTestSupport.h"
#include "game/shell/WoppleScreen.h"

#include <memory>
#include <string>
#include <vector>

namespace rulestest {

using gametest::CountLines;
using gametest::LogText;

// The game screen's part as the rules see it: it hands its events to the logic
// first, and notes the quit and options dialogs the logic asks for.
class StandInGameScreen : public WoppleScreen, public WoppleGameLogicHost
{
public:
    StandInGameScreen() : WoppleScreen("", "GameScreen") {}
    bool OnEvent(const EventRecord& event) override
    {
        if (logic && logic->OnEvent(event))
            return true;
        return WoppleScreen::OnEvent(event);
    }
    void ShowAreYouSureQuitDialog() override { asked.push_back("quit"); }
    void ShowOptionsDialog() override { asked.push_back("options"); }

    WoppleGameLogic* logic = nullptr;
    std::vector<std::string> asked;
};

// A participant's request state: it only sits there, and writes down the
// events it is offered when given a list.
class RequestState : public WoppleState
{
public:
    explicit RequestState(std::string name, std::vector<int>* seen = nullptr)
        : m_Name(std::move(name)), m_Seen(seen)
    {
    }
    std::string GetName() const override { return m_Name; }
    bool OnEvent(const EventRecord& event) override
    {
        if (m_Seen)
            m_Seen->push_back(event.type);
        return false;
    }

private:
    std::string m_Name;
    std::vector<int>* m_Seen;
};

// A participant that sits in whatever it is asked for; the tests answer for
// it the way a participant does, with WOPPLE_PARTICIPANTACTION.
class StandInParticipant : public WoppleParticipantLogic
{
public:
    void CreateStates() override
    {
        for (const char* name : {"Idle", "WaitForSpin", "WaitForMatch", "WaitForSuperJokerMatch",
                                 "WaitForCellJokerMatch", "PromptForFreeSpin", "PromptForFreeSpinWithCashOut",
                                 "PromptForBuyWithCashOut", "PassOrKeepPirateOrTreasure", "TellUserAboutCellPirate",
                                 "TellUserAboutCellTreasure"})
            AddState(new RequestState(name, &seen), true);
    }
    // The events offered to its request states, in order.
    std::vector<int> seen;
};

// Who saw which event, in order: "<object>.state:<number>" or "<object>.own:<number>".
using Record = std::vector<std::string>;

// A state that writes down every event offered to it and handles the events
// listed in `handles`.
class RecordingState : public WoppleState
{
public:
    RecordingState(std::string owner, Record& record, std::string name = "InitialState")
        : m_Owner(std::move(owner)), m_Record(record), m_Name(std::move(name))
    {
    }
    std::string GetName() const override { return m_Name; }
    bool OnEvent(const EventRecord& event) override
    {
        m_Record.push_back(m_Owner + ".state:" + std::to_string(event.type));
        return WoppleState::OnEvent(event);
    }
    bool OnMatchQueueEmpty(Event*) override { return Handles(WOPPLE_MATCHQUEUEEMPTY); }
    bool OnCellClick(Event*) override { return Handles(WOPPLE_CELLCLICK); }
    bool OnTimer(const EventRecord&) override
    {
        m_Record.push_back(m_Owner + ".state.timer");
        return Handles(VELK_TIMER);
    }

    std::vector<int> handles;

private:
    bool Handles(int type) const
    {
        for (int t : handles)
            if (t == type)
                return true;
        return false;
    }
    std::string m_Owner;
    Record& m_Record;
    std::string m_Name;
};

// A game logic whose states, scoring logic and participant the test chooses.
class TestLogic : public WoppleGameLogic
{
public:
    TestLogic(std::string name, Record& record) : m_Label(std::move(name)), m_Record(record) {}

    void CreateStates() override
    {
        state = new RecordingState(m_Label, m_Record);
        AddState(state, true);
    }
    std::string GetScreenLayoutName() const override { return layoutName; }
    std::string GetNameOfGameMode() const override { return modeName; }
    void ApplyPause(bool pause) override
    {
        WoppleGameLogic::ApplyPause(pause);
        m_Record.push_back(m_Label + (pause ? ".pause" : ".resume"));
    }
    bool OnMatchQueueEmpty(Event*) override { return Own(WOPPLE_MATCHQUEUEEMPTY); }
    bool OnCellClick(Event*) override { return Own(WOPPLE_CELLCLICK); }
    bool OnUserEvent(const EventRecord& event) override { return Own(event.type); }
    bool OnTimer(const EventRecord&) override
    {
        m_Record.push_back(m_Label + ".own.timer");
        return true;
    }

    Object* output = nullptr;
    Object* participant = nullptr;
    RecordingState* state = nullptr;
    std::string layoutName;
    std::string modeName = "Classic";

protected:
    Object* GetOutputLogic() const override { return output; }
    Object* GetCurrentParticipantLogic() const override { return participant; }

private:
    bool Own(int type)
    {
        m_Record.push_back(m_Label + ".own:" + std::to_string(type));
        return false;
    }
    std::string m_Label;
    Record& m_Record;
};

// The characters stand still: their idle and babble scripts wait for ever,
// and the tests play the round themselves.
constexpr const char* kStillCharacters = "local function wait() while true do ScriptBreak() end end\n"
                                         "Scripts.GirlIdle = wait\n"
                                         "Scripts.Babble = wait\n";

// A round of the logic L on the stand-in game screen: the game started with
// the player cards loaded (StartGame), the screen made current
// (ShowGameScreen); the logic leaves the screen before the game ends.
template <class L>
class RoundFixture : public gametest::GameFixture
{
protected:
    void StartGame()
    {
        Start({"--log3"});
        GameDataIO::GetInstance()->LoadAllPlayerData(false);
    }

    void ShowGameScreen()
    {
        screen = AddScreen<StandInGameScreen>();
        manager->SwitchToScreen("GameScreen");
        Pass();
    }

    void TearDown() override
    {
        if (screen)
            screen->logic = nullptr;
        logic.reset();
        gametest::GameFixture::TearDown();
    }

    void Lua(const std::string& code)
    {
        LuaState lua = app->GetLuaState();
        ASSERT_EQ(lua.DoString(code), 0) << lua.PopErrorMessage();
    }

    StandInGameScreen* screen = nullptr;
    std::unique_ptr<L> logic;
};

} // namespace rulestest
