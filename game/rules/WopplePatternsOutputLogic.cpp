#include "game/rules/WopplePatternsOutputLogic.h"

#include "engine/ui/Actor.h"
#include "game/rules/WopplePattern.h"
#include "game/rules/WopplePatternsGameLogic.h"
#include "game/shell/WoppleScreen.h"
#include "game/views/WoppleCellView.h"

namespace {

constexpr int kPatternCompleted = 30;
constexpr int kPointsPerPatternCell = 200;

} // namespace

WopplePatternsOutputLogic::WopplePatternsOutputLogic(WopplePatternsGameLogic& logic)
    : WoppleOutputBaseLogic(logic), m_PatternsLogic(logic)
{
    AddState(new PatternsOutputStates::ProcessMatch(*this), true);
    AddState(new PatternsOutputStates::ProcessCompletedPattern(*this), true);
}

namespace PatternsOutputStates {

void ProcessMatch::GoToNextState()
{
    // Only the scored match that completes it: one still queued has not.
    const WoppleCellView* cell = Match();
    if (cell && cell->IsPatternCell() && m_Patterns.GetPatternsLogic().IsPatternComplete(false))
        m_Owner.SetState("ProcessCompletedPattern");
    else
        m_Owner.SetState("ProcessIndividualFullBoard");
}

void ProcessCompletedPattern::OnEnterState()
{
    WopplePatternsGameLogic& logic = m_Patterns.GetPatternsLogic();
    for (const char* sound : {"C_wopple.ogg", "combo.ogg", "claps.ogg"})
        logic.PlayGameSound(sound);
    const WopplePattern* pattern = logic.GetPattern();
    const int cells = pattern ? pattern->GetNumCells() : 0;
    int x = 400, y = 300;
    if (WoppleScreen* screen = logic.GetTargetScreen(); screen && screen->GetWidth() > 0) {
        const Rect area = screen->GetGlobalRect();
        x = area.x + area.w / 2;
        y = area.y + area.h / 2;
    }
    logic.ShowScoreFlash(static_cast<std::int64_t>(cells) * kPointsPerPatternCell, x, y, "PinkScoreFlash");
    logic.StartPatternCompletionAnimation();
    logic.SayGameMessage(kPatternCompleted, nullptr, "", "", "");
}

bool ProcessCompletedPattern::OnPatternCompletionAnimationFinished(Event*)
{
    m_Owner.SetState("ProcessIndividualFullBoard");
    return true;
}

} // namespace PatternsOutputStates
