#include "game/rules/WoppleOldSchoolBaseLogic.h"

#include "engine/core/Exception.h"

// Spins from the 17th on cost a growing share of the score: 10 % at 17, 40 % at 20.
std::int64_t WoppleOldSchoolBaseLogic::GetMinimumAllowableScoreForSpin() const
{
    const std::int64_t percent = (static_cast<std::int64_t>(m_SpinCount) - 16) * 10;
    VELK_ASSERT(percent > 0);
    return GetScore(kNoParticipant) * percent / 100;
}
