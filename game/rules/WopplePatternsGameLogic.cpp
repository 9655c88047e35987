#include "game/rules/WopplePatternsGameLogic.h"

#include "engine/core/Class.h"
#include "engine/core/Log.h"
#include "engine/core/TypeConversion.h"
#include "engine/ui/Actor.h"
#include "engine/ui/Label.h"
#include "game/rules/WoppleGameMessages.h"
#include "game/rules/WopplePattern.h"
#include "game/rules/WopplePatternsOutputLogic.h"
#include "game/rules/WoppleTalkingCharacter.h"
#include "game/views/WoppleAnimation.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"

#include <boost/format.hpp>

namespace {

constexpr int kDidNotCompleteLevel = 16;

void WopplePatternsGameLogicClassHook(Class* c)
{
    auto index = MemberOf(&WopplePatternsGameLogic::patternIndex);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_INT32, index, "patternIndex"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_INT32, index, "patternIndex"));
}

} // namespace

// A level table names it as its "class"; its "patternIndex" picks the pattern.
VELK_REGISTER_CLASS(WopplePatternsGameLogic, "WoppleOldSchoolBaseLogic", WopplePatternsGameLogicClassHook,
                    InstantiateObjectOfClass<WopplePatternsGameLogic>);

WopplePatternsGameLogic::WopplePatternsGameLogic(int index) : patternIndex(index)
{
    // The old-school constructor made its own scoring logic: not built yet, it could not ask us.
    m_OutputLogic.reset(CreateOutputLogic());
}

WopplePatternsGameLogic::~WopplePatternsGameLogic()
{
    m_PatternAnimation.reset();
    m_Pattern.reset();
}

void WopplePatternsGameLogic::Stop()
{
    m_PatternAnimation.reset();
    m_PatternIndexLabel = nullptr;
    WoppleOldSchoolBaseLogic::Stop();
}

void WopplePatternsGameLogic::CreateStates()
{
    WoppleOldSchoolBaseLogic::CreateStates();
    AddState(new PatternsStates::LevelIntroDialog(*this), true);
    AddState(new PatternsStates::AssignPattern(*this), true);
}

void WopplePatternsGameLogic::CreateBoardViews()
{
    Actor* root = GetRootActor();
    auto* board = root ? dynamic_cast<WoppleBoardView*>(root->FindChild("theBoard", true)) : nullptr;
    if (!board) {
        LogWrite("WARNING: The %s layout has no board \"theBoard\"\n", GetNameOfGameMode().c_str());
        return;
    }
    board->boardIndex = 1;
    for (int event : {WOPPLE_CELLCLICK, WOPPLE_CELLENTER, WOPPLE_CELLLEAVE})
        board->AttachObserver(event, this);
    m_BoardViews.push_back(board);
}

Object* WopplePatternsGameLogic::CreateOutputLogic()
{
    return new WopplePatternsOutputLogic(*this);
}

void WopplePatternsGameLogic::InitControls()
{
    WoppleOldSchoolBaseLogic::InitControls();
    Actor* root = GetRootActor();
    m_PatternIndexLabel = root ? dynamic_cast<Label*>(root->FindChild("patternIndexLabel", true)) : nullptr;
    m_PatternNameLabel = root ? dynamic_cast<Label*>(root->FindChild("patternNameLabel", true)) : nullptr;
}

void WopplePatternsGameLogic::SetLevelName()
{
    WoppleOldSchoolBaseLogic::SetLevelName();
    WopplePattern::Clear(GetBoardView(1));
    m_Pattern.reset();
    m_Pattern = std::make_unique<WopplePattern>(patternIndex);
    if (m_PatternIndexLabel)
        m_PatternIndexLabel->SetText((boost::format("%1%") % patternIndex).str(), true);
}

void WopplePatternsGameLogic::ApplyPattern()
{
    if (m_Pattern)
        m_Pattern->ApplyImmediately(GetBoardView(1));
}

void WopplePatternsGameLogic::OnCellMatched(WoppleCellView* cell)
{
    WoppleOldSchoolBaseLogic::OnCellMatched(cell);
    if (cell && cell->IsPatternCell())
        PlayGameSound("sparkle_little.ogg");
}

bool WopplePatternsGameLogic::IsPatternComplete(bool pendingMatchesCount) const
{
    const WoppleBoardView* board = GetBoardView(1);
    return board && WopplePattern::IsComplete(*board, pendingMatchesCount);
}

bool WopplePatternsGameLogic::IsLevelGoalMet()
{
    return IsPatternComplete(true);
}

void WopplePatternsGameLogic::StartPatternCompletionAnimation()
{
    m_PatternAnimation = std::make_unique<WopplePatternCompletionAnimation>(GetBoardView(1));
    m_PatternAnimation->AttachObserver(WOPPLE_PATTERNCOMPLETIONANIMATIONFINISHED, this);
    m_PatternAnimation->Start();
}

Actor* WopplePatternsGameLogic::SayGameMessage(int id, Object* listener, const std::string& text1,
                                               const std::string& text2, const std::string& text3)
{
    if (id != kDidNotCompleteLevel)
        return WoppleOldSchoolBaseLogic::SayGameMessage(id, listener, text1, text2, text3);
    return SayWithScript(id, "SayDidNotGetPattern");
}

// ---------------------------------------------------------------- states

namespace PatternsStates {

void LevelIntroDialog::GoToNextState()
{
    m_Owner.SetState("AssignPattern");
}

void AssignPattern::OnEnterState()
{
    m_Logic.ApplyPattern();
    GoToNextState();
}

} // namespace PatternsStates
