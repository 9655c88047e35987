#pragma once

#include "engine/core/TimerManager.h"
#include "game/rules/WoppleGameLogic.h"
#include "game/rules/WoppleGameMessages.h"
#include "game/rules/WoppleLevelSetup.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Actor;
class AmbientLoop;
class CocoDropButton;
class Label;
class ScoreCounter;
class WoppleBoardView;
class WoppleCellView;
class WoppleParticipantLogic;
class WopplePowerupView;
class WoppleWheelSetView;
class WoppleWheelView;

// The rule engine of one round of the old-school game on one or more boards:
// every mode (Classic, the multi-board modes, Patterns, the duel) derives
// from it. It owns the 36 named states of a round, the scoring logic, one
// participant logic per player and the round's data, and holds the game
// screen's controls (actors of the layout, referenced, never owned).
//
// The scoring logic and the participant logics are made through
// CreateOutputLogic and CreateParticipantLogic; until a mode has a scoring
// logic the logic takes those events itself.
class WoppleOldSchoolBaseLogic : public WoppleGameLogic, public WoppleLevelSetupHost
{
public:
    static constexpr std::uint32_t kNoParticipant = 0xFFFFFFFFu;

    struct ParticipantRecord
    {
        std::int64_t score = 0;
        std::int32_t reserved = 0;
        ScoreCounter* scoreCounter = nullptr;
        std::int32_t freeSpins = 0;
        bool devilProtection = false;
        WopplePowerupView* powerupView = nullptr;
        bool secretFound = false;
    };

    using BoardRecord = WoppleLevelSetup::BoardRecord;

    WoppleOldSchoolBaseLogic();
    ~WoppleOldSchoolBaseLogic() override;

    Class* GetClass() const override { return s_Class; }
    void Destroy() override;

    // "InitialState" (logged as every state switch is), then the ambient loop plays.
    void Start() override;
    void Stop() override;
    void ApplyPause(bool pause) override;
    // Toggles the screen's help note "gameHelp.<mode>".
    void ShowHelp() override;
    // The 36 states of a round; modes call this, then add their own versions.
    void CreateStates() override;
    void InitControls() override;
    // Writes the assigned numbers onto the cells and rebuilds the reels' symbols.
    void ResetBoardViews() override;
    LuaObject GetRoundResults() override;

    virtual Object* CreateOutputLogic() { return nullptr; }
    // Logs "SetState: <name>" at level 3 and switches.
    virtual void SetState(const std::string& name);
    // The level set-up: the boards, then the level's cells and links.
    virtual void InitBoardViews();
    virtual void CreateBoardViews() = 0;
    // The secret, the multipliers and the level's cells, then the links between boards.
    virtual void LoadBonusSquares();
    virtual int GetNumBoards() const = 0;
    // Prepares the logic for a new level: participants, counters, devils,
    // board records, the level name.
    virtual void SetLevelName();
    void InitParticipants() override;
    // What the level set-up asks of the logic.
    void ResetLevelCounters() override;
    void ClearAllWheelSquares() override;
    void SetAllScores(std::int64_t score, bool animate) override;
    void ResetDevilValues() override;
    int GetNumWheels() const override;
    Actor* GetRootActor() const override { return WoppleGameLogic::GetRootActor(); }
    Label* GetPatternNameLabel() const override { return m_PatternNameLabel; }
    void CloseTreasureBoxes() override {}
    void BindBonusSquares(Actor* squares, WoppleBoardView* board) override;
    // The person at the mouse, for any index; a mode with a computer player overrides it.
    virtual WoppleParticipantLogic* CreateParticipantLogic(int index);
    virtual void SetCurrentParticipant(std::uint32_t index) { m_CurrentParticipant = index; }
    virtual void HiliteWheelForCell(const LuaObject& cellData);
    virtual void UnhiliteWheelForCell(const LuaObject& cellData);
    virtual bool IsLevelGoalMet() { return false; }
    virtual std::string GetLevelGoalText() { return "Insert conditions for beating the level here."; }
    // Says a game message by number; returns the speaker's actor, or null.
    virtual Actor* SayGameMessage(int id, Object* listener, const std::string& text1, const std::string& text2,
                                  const std::string& text3);
    virtual void KillMessage(int id, Object* listener);

    bool OnButtonClick(const EventRecord& event) override;
    bool OnKeyDown(const EventRecord& event) override;

    // The board view of a board index from 1 (negative counts from the last);
    // null outside the boards.
    WoppleBoardView* GetBoardView(int index) const;
    // Whether the participant may match the cell now; negative column and row
    // count from the right and the bottom. False outside the board.
    bool IsCellAvailableForMatching(int board, int column, int row) const;
    // The reel column a super joker offers on the board, 0 when none.
    int GetSuperJokerColumn(int board) const;
    bool AnyBoardOffersSuperJoker() const;

    void SetFreeSpins(std::int32_t count, std::uint32_t participant);
    std::int32_t GetFreeSpins(std::uint32_t participant);
    WopplePowerupView* GetPowerupView(int participant) const;
    bool HasDevilProtection() const;
    std::int64_t GetScore(std::uint32_t participant) const;
    // The reels' multipliers plus every board's selected multiplier cells; at least 1.
    int GetTotalMultiplier() const;
    // The current participant gains points x the total multiplier; the counter rolls to it.
    void AddScore(std::int64_t points);
    void SetScore(std::int64_t points);
    // AddScore, then the multiplied points as flash text at (x, y) on the game screen.
    void ShowScoreFlash(std::int64_t points, int x, int y, const std::string& flashResource);
    void SetSpinCount(int count);
    void SetCountdown(int seconds);
    void PresentSpinLever(bool flashing);
    // 0 turns switches vision off; the power-up bar shows the turns left.
    void SetWoppleVision(int turns);

    // Participants: the logic of an index (kNoParticipant: the current one), null when none.
    WoppleParticipantLogic* GetParticipantLogic(std::uint32_t index = kNoParticipant) const;
    // The spin price: (spin count - 16) x 10 percent of the current participant's score.
    std::int64_t GetMinimumAllowableScoreForSpin() const;
    int GetSpinCount() const { return m_SpinCount; }
    Object* GetActiveCellJoker() const { return m_ActiveCellJoker; }

    // The closing of the cherub's speech that the opening states share.
    void CloseCherubSpeech();

    // Controls and data the states read.
    Actor* GetCherubGirl() const { return m_CherubGirl; }
    Actor* GetCherubBucketGuy() const { return m_CherubBucketGuy; }
    CocoDropButton* GetCocoDropButton() const { return m_CocoDropButton; }
    WoppleWheelSetView* GetWheelsView() const { return m_WheelsView; }
    Actor* GetTreasureBoxManager() const { return m_TreasureBoxManager; }
    const LuaObject& GetAssignedNumbers() const { return m_AssignedNumbers; }
    StopwatchTimer& GetRoundStopwatch() { return m_RoundStopwatch; }
    std::uint32_t GetCurrentParticipant() const { return m_CurrentParticipant; }
    const std::vector<ParticipantRecord>& GetParticipants() const { return m_Participants; }
    int GetNumParticipants() const { return m_NumParticipants; }
    bool IsJokerTestOn() const { return m_JokerTest; }
    int GetWoppleVisionTurns() const { return m_WoppleVisionTurns; }
    WoppleGameMessages& GetMessages() { return *m_Messages; }
    std::vector<BoardRecord>& GetBoardRecords() { return m_BoardRecords; }
    const std::string& GetLevelName() const { return m_LevelName; }

    // Properties a level table sets (scripts see them under these names).
    bool wheelMultipliers = false;
    bool wheelDevils = true;
    bool bounceWopples = false;
    bool wheelDevilProtection = false;
    bool allSpinsFree = false;
    bool wheelWoppleVision = false;
    bool timeLimitted = false;
    std::string levelMusic = "Wopple Theme";
    std::int32_t levelNumber = 0;
    std::int32_t fullBoardScore = 10000;
    std::int32_t timePerTurn = 30;

    static Class* s_Class;

    static int Script_GetBoardView(lua_State* L);
    static int Script_GetNumBoards(lua_State* L);
    static int Script_StartScoreFlash(lua_State* L);
    static int Script_IsCellAvailableForMatching(lua_State* L);
    static int Script_SayMessage(lua_State* L);
    static int Script_GetTreasureBoxManager(lua_State* L);

protected:
    Object* GetOutputLogic() const override { return m_OutputLogic.get(); }
    Object* GetCurrentParticipantLogic() const override;

    // Deals 15 numbers per column to every board: column c gets 15c - 14 .. 15c.
    void DrawBoardNumbers();
    void RemoveListeners();
    // The reel a cell's column leads to, or the super joker's while a board offers it.
    WoppleWheelView* GetWheelForCell(const LuaObject& cellData) const;

    std::vector<WoppleBoardView*> m_BoardViews{nullptr};
    WoppleWheelSetView* m_WheelsView = nullptr;
    Actor* m_SpinButton = nullptr;
    Label* m_TimerLabel = nullptr;
    Label* m_SpinCountLabel = nullptr;
    Actor* m_CherubGirl = nullptr;
    Actor* m_CherubBucketGuy = nullptr;
    Actor* m_BonusTimer = nullptr;
    CocoDropButton* m_CocoDropButton = nullptr;
    Label* m_PatternNameLabel = nullptr;
    Actor* m_TreasureBoxManager = nullptr;
    Actor* m_ButterflyBox = nullptr;
    AmbientLoop* m_AmbientLoop = nullptr;
    std::vector<ParticipantRecord> m_Participants;
    std::vector<std::unique_ptr<WoppleParticipantLogic>> m_ParticipantLogics;
    std::unique_ptr<Object> m_OutputLogic;
    std::uint32_t m_CurrentParticipant = kNoParticipant;
    std::int32_t m_NumParticipants = 1;
    LuaObject m_AssignedNumbers;
    std::int32_t m_SpinCount = 0;
    std::int32_t m_SpinsPerLevel = 0;
    std::int64_t m_MatchPoints = 0;
    std::int32_t m_CountdownSeconds = 0;
    std::uint32_t m_CountdownTimer = 0;
    StopwatchTimer m_RoundStopwatch;
    bool m_CountdownRunning = false;
    WoppleCellView* m_ChosenCell = nullptr;
    Object* m_ActiveCellJoker = nullptr;
    std::vector<BoardRecord> m_BoardRecords;
    bool m_Duel = false;
    bool m_JokerTest = false;
    std::int32_t m_WoppleVisionTurns = 0;
    bool m_FreeSpin = false;
    std::int32_t m_DevilLimit = 4;
    std::int32_t m_DevilTakingLimit = 2;
    bool m_DevilLimitReached = false;
    std::int32_t m_DevilsSeen = 0;
    std::int32_t m_DevilsThatTookPoints = 0;
    std::string m_LevelName;
    std::unique_ptr<WoppleGameMessages> m_Messages;
};
