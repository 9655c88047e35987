#pragma once

#include "engine/ui/Dialog.h"

#include <array>
#include <cstdint>
#include <string>

// The end of a round: the level's five goals (score, secret, time,
// butterflies, full card) beside what the player did, revealed one row a
// second once StartTimer runs, a star lit for each goal reached, then a footer
// that rates the round and, last, a new high score. Map, Replay and Next close
// it; the rules read the closing button's name. It records nothing itself.
class WoppleEndLevelDialog : public Dialog
{
    VELK_DECLARE_CLASS(WoppleEndLevelDialog)
public:
    static constexpr int kNumStars = 5;
    static constexpr int kNumFirings = 7;
    using StarFlags = std::array<bool, kNumStars>;

    // Scores stay 64-bit end to end: the round's, the star score and the previous best.
    // levelName is shown for level 0 only; the quest's levels show their map name.
    WoppleEndLevelDialog(int levelNumber, const std::string& levelName, const std::string& goalText,
                         std::int64_t score, std::int64_t starScore, int secondsTaken, int starTime,
                         int butterfliesFound, int butterflyGoal, bool secretFound, bool pirateFoundSecret,
                         bool cardCovered, bool pirateCoveredCard, bool roundCompleted, std::int64_t previousTopScore,
                         const StarFlags& starsHeldBefore);
    ~WoppleEndLevelDialog() override;

    // The tally: seven signals a second apart, on the game's frame-limited clock.
    void StartTimer();
    // One step of the tally for the tally's own timer; other timers are not ours.
    bool OnTimer(const EventRecord& event) override;

    // Whether the current player may play the quest level; bonus levels open
    // once every secret of their island is found. Looking may add empty records.
    static bool IsLevelUnlocked(int level);
    // Level 0 always is.
    static bool IsLevelCompleted(int level);

    int GetStarsEarnedNow() const { return m_StarsEarnedNow; }
    int GetStarsHeld() const { return m_StarsHeld; }
    std::uint32_t GetTallyTimerID() const { return m_TallyTimerID; }

private:
    void PrepareRows(const std::string& levelName);
    void RevealRow(int row);
    void WriteFooter();
    void BurstOn(Actor& star);
    bool IsGoalReached(int row) const;

    int m_LevelNumber;
    std::int64_t m_Score;
    std::int64_t m_StarScore;
    int m_SecondsTaken;
    int m_StarTime;
    int m_ButterfliesFound;
    int m_ButterflyGoal;
    bool m_SecretFound;
    bool m_PirateFoundSecret;
    bool m_CardCovered;
    bool m_PirateCoveredCard;
    bool m_RoundCompleted;
    std::string m_GoalText;
    std::uint32_t m_TallyTimerID = 0;
    int m_StarsEarnedNow = 0;
    int m_StarsHeld = 0;
    std::int64_t m_PreviousTopScore;
    StarFlags m_StarsHeldBefore;
};
