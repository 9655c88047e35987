#pragma once

#include "engine/ui/Actor.h"

#include <cstdint>

class Label;

// A score that rolls toward its target a digit step per frame: each pass moves
// every decimal digit of the difference by at most one. The parent's
// "scoreBlink" actor fades in when a change starts and out when counting ends.
class ScoreCounter : public Actor
{
    VELK_DECLARE_CLASS(ScoreCounter)
public:
    ScoreCounter();
    ~ScoreCounter() override;

    // Counts toward the value from the next update on; immediately shows it at once.
    void SetScore(std::int64_t value, bool immediately);
    // The name the game rules use.
    void CountTo(std::int64_t target, bool jump) { SetScore(target, jump); }
    // Takes the label's size and aligns again (after the label was changed).
    void MatchTargetSize();

    // The actor's update, then one counting step.
    void Update() override;

    Label* GetLabel() const { return m_Label; }
    std::int64_t GetShownValue() const { return m_Value; }
    std::int64_t GetTargetValue() const { return m_Target; }

private:
    friend void ScoreCounterClassHook(Class* c);

    void CountStep();
    void ShowValue();
    Actor* FindScoreBlink() const;
    void SetLabelPropertiesProperty(const LuaObject& value);

    Label* m_Label = nullptr;
    std::int64_t m_Value = 0;
    std::int64_t m_Target = 0;
    bool m_NewTarget = false;
    bool m_Finished = false;
    bool m_Changed = false;
};
