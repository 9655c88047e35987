#pragma once

#include "game/rules/WopplePatternsGameLogic.h"

// The pattern game on one 7x7 board with seven reels; its lines are worth
// twice the old-school lines: the k-th line of a match pays 2000 x 2^(k-1).
class WoppleSevenBySevenLogic : public WopplePatternsGameLogic
{
public:
    explicit WoppleSevenBySevenLogic(int patternIndex = 1) : WopplePatternsGameLogic(patternIndex) {}

    Class* GetClass() const override { return s_Class; }
    std::string GetScreenLayoutName() const override { return "WoppleSevenBySevenScreenLayout"; }
    std::string GetNameOfGameMode() const override { return "SevenBySeven"; }

    void AwardWoppleScore() override;
    // The old-school line with this mode's points in its flash.
    WoppleAnimation* ShowWoppleScore(const WoppleLineInfo& line) override;
    // A butterfly box pays this mode's line points.
    void ShowScoreGainEffect(const WoppleLineInfo& line) override;

    // What the next line of the match is worth, before the multiplier.
    std::int64_t GetSevenBySevenLinePoints() const { return 2 * GetWoppleBasePoints(); }

    static Class* s_Class;
};
