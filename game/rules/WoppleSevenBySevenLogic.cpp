#include "game/rules/WoppleSevenBySevenLogic.h"

#include "engine/core/Class.h"
#include "game/views/WoppleAnimation.h"

#include <boost/format.hpp>

VELK_REGISTER_CLASS(WoppleSevenBySevenLogic, "WopplePatternsGameLogic", nullptr,
                    InstantiateObjectOfClass<WoppleSevenBySevenLogic>);

void WoppleSevenBySevenLogic::AwardWoppleScore()
{
    const std::int64_t points = GetSevenBySevenLinePoints();
    ++m_WoppleCounter;
    AddScore(points);
}

WoppleAnimation* WoppleSevenBySevenLogic::ShowWoppleScore(const WoppleLineInfo& line)
{
    WoppleAnimation* animation = WopplePatternsGameLogic::ShowWoppleScore(line);
    const int multiplier = GetTotalMultiplier();
    const std::int64_t points = GetSevenBySevenLinePoints() * multiplier;
    animation->scoreText = multiplier < 2 ? (boost::format("%1%") % points).str()
                                          : (boost::format("%1% (%2%x)") % points % multiplier).str();
    return animation;
}

void WoppleSevenBySevenLogic::ShowScoreGainEffect(const WoppleLineInfo& line)
{
    // The old-school effect reads its line's points from the counter: one step on doubles them.
    ++m_WoppleCounter;
    WopplePatternsGameLogic::ShowScoreGainEffect(line);
    --m_WoppleCounter;
}
