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
class Screen;
class AmbientLoop;
class CocoDropButton;
class Label;
class ScoreCounter;
class WoppleBoardView;
class WoppleBonusSquares;
class WoppleBonusTimer;
class WoppleCellView;
class WoppleParticipantLogic;
class WopplePowerupView;
class WoppleWheelSetView;
class WoppleWheelView;
class WoppleAnimation;
class ReverseWoppleAnimation;
class SuperWoppleAnimation;
class WoppleOutputBaseLogic;
struct WoppleLineInfo;
struct SuperWoppleCells;

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
        std::int32_t butterfliesFound = 0;
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

    virtual Object* CreateOutputLogic();
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
    void CloseTreasureBoxes() override;
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
    // A message said by a script of the mode's own: runs it, tagged "Speaking",
    // on the message's speaker; returns the speaker's actor, or null.
    Actor* SayWithScript(int id, const std::string& script);

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
    // Any participant's score (kNoParticipant: the current one); its counter rolls to it.
    void SetScore(std::int64_t points, std::uint32_t participant);
    // AddScore, then the multiplied points as flash text at (x, y) on the game screen.
    void ShowScoreFlash(std::int64_t points, int x, int y, const std::string& flashResource);
    void SetSpinCount(int count);
    void SetCountdown(int seconds);
    void PresentSpinLever(bool flashing);
    // 0 turns switches vision off; the power-up bar shows the turns left; the
    // music speeds up a little while it is on.
    void SetWoppleVision(int turns, bool animate = true);

    // Line scores and their display (WoppleOldSchoolScoring.cpp).
    // The next line of the current match is worth 1000 x 2^(k-1), k the wopple counter.
    std::int64_t GetWoppleBasePoints() const;
    // Adds the next line's points (times the multiplier) and advances the counter.
    virtual void AwardWoppleScore();
    // A line's animation with its score text, not started; the caller owns it.
    virtual WoppleAnimation* ShowWoppleScore(const WoppleLineInfo& line);
    // The line run backwards to its butterfly box; the caller owns it.
    virtual ReverseWoppleAnimation* ShowSuperWoppleEffect(const WoppleLineInfo& line);
    // Replaces the running super-line animation with one for these cells, started.
    virtual void StartSuperWoppleAnimation(const SuperWoppleCells& line);
    // Opens the line's butterfly box, worth the line's own base points.
    virtual void ShowScoreGainEffect(const WoppleLineInfo& line);
    // Whether the line ends at a butterfly box still to be opened.
    virtual bool IsButterflyBoxVisible(const WoppleLineInfo& line);
    // What the opened box pays before the multiplier; the box animation goes.
    virtual std::int64_t TakeTreasureBoxReward();
    virtual void OnCellMatched(WoppleCellView* cell);
    // Fits new cell contents (and their children) to the chosen cell.
    void ApplyScaling(Actor* contents);
    WoppleOutputBaseLogic* GetScoringLogic() const;
    WoppleCellView* GetChosenCell() const { return m_ChosenCell; }
    void SetChosenCell(WoppleCellView* cell) { m_ChosenCell = cell; }
    Actor* GetBonusTimer() const { return m_BonusTimer; }
    // The board extras (WoppleOldSchoolExtras.cpp): the frogs of a board
    // (null without), hopping while the reels spin; a match on a frog; the
    // bonus timer's pause while a match is scored and its level (0 without);
    // the treasure boxes built for the boards, and the box of a line (null without).
    WoppleBonusSquares* GetBonusSquares(int board) const;
    void RearrangeBonusSquares(bool start);
    void ApplyBonusFrog(WoppleCellView* cell);
    WoppleBonusTimer* GetBonusTimerView() const;
    void PauseBonusTimer(bool pause);
    int GetBonusTimerLevel() const;
    void InitTreasureBoxes();
    Actor* FindTreasureBox(const WoppleLineInfo& line) const;
    int GetSpinCount() const { return m_SpinCount; }
    // The current participant's devil protection, with its guard in the power-up bar.
    void SetDevilProtection(bool on);
    // The cherub doubles the current participant's score, with his speech, a
    // burst over that participant's score and the fanfare.
    void CherubDoublesScore();
    void AddButterflyFound();
    std::int32_t m_WoppleCounter = 1;
    std::int32_t wopplesThisSpin = 0;
    std::int32_t m_WopplesThisRound = 0;
    std::int32_t freeSpinsWonThisSpin = 0;
    std::unique_ptr<WoppleAnimation> m_WoppleAnimation;
    std::unique_ptr<ReverseWoppleAnimation> m_ReverseWoppleAnimation;
    SuperWoppleAnimation* m_SuperWoppleAnimation = nullptr;
    std::int64_t m_TreasureBoxReward = 0;
    std::unique_ptr<Object> m_TreasureBoxAnimation;

    // Participants: the logic of an index (kNoParticipant: the current one), null when none.
    WoppleParticipantLogic* GetParticipantLogic(std::uint32_t index = kNoParticipant) const;
    // The spin price: (spin count - 16) x 10 percent of the current participant's score.
    std::int64_t GetMinimumAllowableScoreForSpin() const;
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

    // What the chosen cell yields as it is matched: its secret key, coin or
    // multiplier shown on it, the points added to the match (WoppleCellSpecials.cpp).
    virtual void ApplyCellSpecials();

    // ---- the end of a round (WoppleLevelRecords.cpp)
    // Into the current player's card: the score record for the lists, the
    // Classic score's awards, and for a quest level its record by the merge
    // rules (Completed and the flags only ever turn on, the butterflies only
    // rise, the time only falls and only on a completed round), then the save.
    static void RecordLevelResult(bool completed, int level, std::int64_t score, bool secretFound,
                                  std::int32_t butterflies, std::int32_t secondsTaken, bool fullCard);
    // The award dialog on the screen; the game pauses when asked.
    static void ShowAwardDialog(Screen* screen, const std::string& awardKey, bool pauseGame);
    // The person at the mouse (participant 0) moves a statistic, raised to the
    // value or added to; each award it earns shows its dialog. How many.
    int AchieveForHuman(const std::string& statistic, std::int64_t value, bool raise, bool pauseGame);
    // WOPPLE_LEVELCOMPLETED with the action to the logic the game screen holds.
    void PostLevelCompleted(const std::string& action);

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
    std::int32_t m_CherubWheel = 0;
    std::string m_LevelName;
    std::unique_ptr<WoppleGameMessages> m_Messages;

    // ---- the spin cycle and the matches (WoppleOldSchoolTurn.cpp)
public:
    static constexpr int kFirstPaidSpin = 17;

    // Whether NextSpin may start another spin after the one just played.
    bool HasSpinsLeft();
    // The music for the spin, the reels' tints and notes cleared, then "SpinWheel".
    void SpinStart();
    // Every cell matched (and, when strict, scored); a board without rows is full.
    bool IsBoardFull(int board, bool strict) const;
    bool AllBoardsFull(bool strict) const;
    // Every cell's type by the match rule; whether any cell may be matched.
    bool UpdateSelectableCells();
    // The reels serve every board afresh: used columns cleared, one overlay piece per board.
    void ResetWheelsForSpin();
    // The walkthrough's forced results; reel i (from 1) is column i.
    void SetRandomNumberResult(int reel);
    void SetCellNumberResult(int reel, int row);
    void SetMissNumberResult(int reel);

    // The turn countdown: one tick a second while it runs.
    void StartCountdown();
    void StopCountdown();
    void PauseCountdown();
    void ResumeCountdown();
    bool IsCountdownRunning() const { return m_CountdownRunning; }
    std::uint32_t GetCountdownTimerID() const { return m_CountdownTimer; }
    int GetCountdown() const { return m_CountdownSeconds; }
    bool OnTimer(const EventRecord& event) override;
    // The sound for a countdown second (1 to 6), empty for the others.
    static const char* CountdownBeep(int seconds);

    void PlayLevelMusicOnce(const std::string& segment);
    void LoopLevelMusic(const std::string& segment);
    // 1 + 0.005 a spin after the first, + 0.05 under vision; never above 2.
    double GetMusicTempo() const;
    // Every sound of the rules goes through here, written to the log at level 3.
    void PlayGameSound(const std::string& name);

    // The current participant's requests and its return to "Idle".
    void RequestOfParticipant(const std::string& request);
    void ReturnParticipantToIdle();
    // The scoring logic takes a matched cell; idle when it has nothing left to score.
    virtual void QueueMatchForScoring(WoppleCellView* cell);
    virtual bool IsScoringIdle() const;

    int GetSpinsPerLevel() const { return m_SpinsPerLevel; }
    bool IsFreeSpin() const { return m_FreeSpin; }
    void SetFreeSpin(bool on) { m_FreeSpin = on; }
    bool IsDuel() const { return m_Duel; }
    std::int64_t GetMatchPoints() const { return m_MatchPoints; }
    void SetMatchPoints(std::int64_t points) { m_MatchPoints = points; }
    const WoppleBoardViews& GetBoardViews() const { return m_BoardViews; }
    void SetDevilTally(bool limitReached, int tookPoints)
    {
        m_DevilLimitReached = limitReached;
        m_DevilsThatTookPoints = tookPoints;
    }
    bool IsDevilLimitReached() const { return m_DevilLimitReached; }
    int GetDevilsThatTookPoints() const { return m_DevilsThatTookPoints; }
    int GetDevilTakingLimit() const { return m_DevilTakingLimit; }
    int GetDevilLimit() const { return m_DevilLimit; }
    // Devils and devil cherubs met on the reels this level.
    int GetDevilsSeen() const { return m_DevilsSeen; }
    void SetDevilsSeen(int count) { m_DevilsSeen = count; }
    // The reel (from 1) that brought the cherub last.
    int GetCherubWheel() const { return m_CherubWheel; }
    void SetCherubWheel(int reel) { m_CherubWheel = reel; }
    void EnableCellButtons(bool enable);

    std::int32_t matchesThisSpin = 0;

    // ---- the jokers (OldSchoolJokerStates.cpp)
public:
    // The first reel (from 1) showing a super joker, -1 when none.
    int FindSuperJokerReel() const;
    // Whether the board may take the spin's super joker now.
    bool BoardOffersSuperJoker(int board) const;
    // Whether any board, from the first, may take it.
    bool IsSuperJokerAvailable() const;
    void ClearJokerServedFlags();
    // Every cell of every board hides / shows again the selectable look of its aura.
    void SuppressCellSelectionLook();
    void ReleaseCellSelectionLook();
    // The cell whose revealed joker waits to be placed; null when none.
    void SetActiveCellJoker(WoppleCellView* cell);
};
