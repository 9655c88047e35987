#include "game/rules/WoppleOutputBaseLogic.h"

#include "engine/core/CoreHost.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "game/rules/OutputStates.h"
#include "game/rules/WoppleGameEvents.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"

WoppleOutputBaseLogic::WoppleOutputBaseLogic(WoppleOldSchoolBaseLogic& logic) : m_Logic(logic)
{
    WoppleOutputBaseLogic::CreateStates();
}

WoppleOutputBaseLogic::~WoppleOutputBaseLogic()
{
    try {
        // The states hold this logic and its timers: they go while it is whole.
        ReleaseTables();
    } catch (...) {
        LogWrite("WARNING: WoppleOutputBaseLogic::~WoppleOutputBaseLogic: %s\n", CurrentExceptionMessage().c_str());
    }
}

void WoppleOutputBaseLogic::CreateStates()
{
    using namespace OutputStates;
    AddState(new InitialState(*this), true);
    AddState(new ProcessCellBonuses(*this), true);
    AddState(new ProcessIndividualFullBoard(*this), true);
    AddState(new ProcessMatch(*this), true);
    AddState(new ProcessWopples(*this), true);
    AddState(new ProcessSuperWopples(*this), true);
    AddState(new WaitForMatch(*this), true);
    SetState("InitialState");
}

void WoppleOutputBaseLogic::SetState(const std::string& name)
{
    Log(3, "output Logic SetState: %s\n", name.c_str());
    Object::SetState(name);
}

bool WoppleOutputBaseLogic::IsIdle() const
{
    return m_Queue.empty() && GetStateName() == "WaitForMatch";
}

void WoppleOutputBaseLogic::QueueMatch(WoppleCellView* cell)
{
    const bool wasIdle = IsIdle();
    m_Queue.push_back(cell);
    if (wasIdle)
        PostNewEvent(WOPPLE_MATCHQUEUED, this, this, nullptr);
}

bool WoppleOutputBaseLogic::TakeNextMatch()
{
    if (m_Queue.empty())
        return false;
    m_CurrentMatch = m_Queue.front();
    m_Queue.pop_front();
    return true;
}
