#include "engine/ui/ScoreCounter.h"

#include "engine/core/TypeConversion.h"
#include "engine/ui/Label.h"

#include <boost/format.hpp>

#include <memory>

namespace {

const char* const kBlinkName = "scoreBlink";
constexpr int kBlinkInMilliseconds = 300;
constexpr int kBlinkOutMilliseconds = 150;

} // namespace

void ScoreCounterClassHook(Class* c)
{
    c->RegisterPropertySetter(PropertyAccessor::CreateMemberSetter(
        MemberSetter(&ScoreCounter::SetLabelPropertiesProperty), "labelProperties"));
}

VELK_REGISTER_CLASS(ScoreCounter, "Actor", ScoreCounterClassHook, InstantiateObjectOfClass<ScoreCounter>);

ScoreCounter::ScoreCounter()
{
    auto label = std::make_unique<Label>();
    m_Label = label.get();
    AddChild(label.release());
    MatchTargetSize();
}

ScoreCounter::~ScoreCounter() = default;

void ScoreCounter::SetLabelPropertiesProperty(const LuaObject& value)
{
    m_Label->ApplyProperties(value);
}

void ScoreCounter::MatchTargetSize()
{
    // SetSize aligns the counter and its subtree again.
    SetSize(m_Label->GetWidth(), m_Label->GetHeight());
}

void ScoreCounter::ShowValue()
{
    m_Label->SetText((boost::format("%1%") % m_Value).str(), true);
    MatchTargetSize();
}

Actor* ScoreCounter::FindScoreBlink() const
{
    Actor* parent = GetParent();
    return parent ? parent->FindChild(kBlinkName, true) : nullptr;
}

void ScoreCounter::SetScore(std::int64_t value, bool immediately)
{
    m_Target = value;
    m_NewTarget = true;
    if (immediately) {
        m_Value = value;
        ShowValue();
    } else if (Actor* blink = FindScoreBlink()) {
        blink->FadeIn(kBlinkInMilliseconds);
    }
}

void ScoreCounter::Update()
{
    Actor::Update();
    CountStep();
}

void ScoreCounter::CountStep()
{
    // In 128 bits: a step near the ends of the 64-bit range must not overflow.
    const __int128 target = m_Target;
    __int128 shown = m_Value;
    bool changed = false;
    const int direction = shown < target ? 1 : shown > target ? -1 : 0;
    if (direction != 0) {
        for (__int128 p = 1000000000000000000; p >= 1; p /= 10) {
            const __int128 next = shown + direction * p;
            const bool within = direction > 0 ? next <= target : next >= target;
            // The first frame after a new target never lands on it.
            if (within && !(next == target && m_NewTarget)) {
                shown = next;
                changed = true;
            }
        }
    }
    if (changed) {
        m_Value = static_cast<std::int64_t>(shown);
        ShowValue();
        m_Finished = false;
        m_Changed = true;
    } else {
        m_Finished = !m_Finished && m_Changed;
        m_Changed = false;
    }
    m_NewTarget = false;
    if (m_Finished)
        if (Actor* blink = FindScoreBlink()) {
            blink->StopFade();
            blink->FadeOut(kBlinkOutMilliseconds, false);
        }
}
