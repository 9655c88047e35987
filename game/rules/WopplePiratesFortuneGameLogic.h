#pragma once

#include "game/rules/OldSchoolSpinStates.h"
#include "game/rules/OldSchoolStates.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"
#include "game/rules/WoppleTimer.h"

#include <cstdint>
#include <string>

class WoppleCharacter;

// Pirate's Fortune: a duel on one 5x5 board ("theBoard" of
// "WopplePiratesFortuneScreenLayout") between the person (participant 0) and
// the computer's pirate (participant 1). They take turns to spin and match on
// the same board, 20 spins in all; a free spin won in a spin may be used at
// once for another turn. The person must out-score the pirate to pass the
// level: a tie loses. The pirate ("pirateCharacter") speaks the duel's lines
// and answers clicks.
class WopplePiratesFortuneGameLogic : public WoppleOldSchoolBaseLogic
{
public:
    static constexpr std::uint32_t kHuman = 0;
    static constexpr std::uint32_t kPirate = 1;

    WopplePiratesFortuneGameLogic();
    ~WopplePiratesFortuneGameLogic() override;

    Class* GetClass() const override { return s_Class; }
    std::string GetScreenLayoutName() const override { return "WopplePiratesFortuneScreenLayout"; }
    std::string GetNameOfGameMode() const override { return "Pirate's Fortune"; }
    int GetNumBoards() const override { return 1; }
    // The old-school states with the duel's turn changes and the pirate's intro.
    void CreateStates() override;
    // "theBoard", board 1; only its clicks come to the logic (no hovering in a duel).
    void CreateBoardViews() override;
    // No bonus timer; the pirate's clicks come to the logic.
    void InitControls() override;
    void Stop() override;
    // The reels of the duel, and the pirate's click count starts again.
    void SetLevelName() override;
    void InitParticipants() override;
    // 0: the person, 1: the pirate; any other index is an assertion.
    WoppleParticipantLogic* CreateParticipantLogic(int index) override;
    // The current side's score sign blinks.
    void SetCurrentParticipant(std::uint32_t index) override;
    bool IsLevelGoalMet() override;
    std::string GetLevelGoalText() override;
    bool OnButtonClick(const EventRecord& event) override;

    WoppleCharacter* GetPirateCharacter() const { return m_PirateCharacter; }
    int GetPirateClickCount() const { return m_PirateClickCount; }

    static Class* s_Class;
    static int Script_GetHumanScore(lua_State* L);
    static int Script_GetAIScore(lua_State* L);

private:
    void ForgetPirate();

    WoppleCharacter* m_PirateCharacter = nullptr;
    std::int32_t m_PirateClickCount = 0;
};

// The states the duel replaces or adds.
namespace PiratesFortuneStates {

// As the old-school explanation, then the pirate introduces himself.
class ExplainGame : public OldSchoolStates::ExplainGame
{
public:
    explicit ExplainGame(WoppleOldSchoolBaseLogic& owner) : OldSchoolStates::ExplainGame(owner) { m_Next = "PirateIntro"; }
};

class PirateIntro : public OldSchoolStates::Base
{
public:
    explicit PirateIntro(WoppleOldSchoolBaseLogic& owner) : Base(owner, "PirateIntro", "WaitingForGameStart") {}
    void OnEnterState() override;
};

// A free spin won in this spin may be used at once while the board is open
// and a spin is left to play; otherwise the turn passes.
class RouteSpinCompletion : public OldSchoolStates::Base
{
public:
    explicit RouteSpinCompletion(WoppleOldSchoolBaseLogic& owner) : Base(owner, "RouteSpinCompletion") {}
    void OnEnterState() override;
};

// The current side is asked whether to spin again at once with a free spin.
class PromptForImmediateFreeSpinUsage : public OldSchoolStates::Base
{
public:
    explicit PromptForImmediateFreeSpinUsage(WoppleOldSchoolBaseLogic& owner)
        : Base(owner, "PromptForImmediateFreeSpinUsage")
    {
    }
    void OnEnterState() override;
    void OnExitState() override;
    bool OnParticipantAction(Event* event) override;
};

// The turn goes to the other side (unless the board is full), then NextSpin.
class NextPlayer : public OldSchoolStates::Base
{
public:
    explicit NextPlayer(WoppleOldSchoolBaseLogic& owner) : Base(owner, "NextPlayer", "NextSpin") {}
    void OnEnterState() override;
};

// The pirate always has something to say about a spin without matches; the
// round goes on when he has said it.
class NoMatches : public OldSchoolStates::NoMatches
{
public:
    explicit NoMatches(WoppleOldSchoolBaseLogic& owner) : OldSchoolStates::NoMatches(owner) {}
    void OnEnterState() override;
    void OnExitState() override;
    bool ShouldTalk() override { return true; }
    bool OnActorScriptFinished(Event* event) override;
    bool OnTimer(const EventRecord& event) override;

private:
    bool SpeechStillRuns() const;

    LuaObject m_Speech;
    // A line cut off by the next one never reports its end: look now and then.
    WoppleTimer m_Watch;
};

} // namespace PiratesFortuneStates
