#include "game/views/WoppleBonusTimer.h"

#include "engine/core/Class.h"
#include "engine/core/Exception.h"
#include "engine/core/TimerManager.h"
#include "engine/core/TypeConversion.h"
#include "engine/ui/Label.h"
#include "game/rules/WoppleState.h"

#include <boost/format.hpp>

#include <algorithm>

namespace {

const int kShaderBlendCombinedAlpha = 4;
const int kFadeOutTime = 250;
const int kFadeInTime = 10;
const std::uint32_t kSpinCompletedGrace = 3000;

} // namespace

namespace WoppleBonusTimerStates {

class Base : public WoppleState
{
public:
    explicit Base(WoppleBonusTimer& owner) : m_Owner(owner) {}

protected:
    // Back to "Inactive" with the sign fading away.
    void Expire()
    {
        m_Owner.FreeMainTimer();
        m_Owner.FadeOutAll();
        m_Owner.SetState("Inactive");
    }

    WoppleBonusTimer& m_Owner;
};

class Inactive : public Base
{
public:
    using Base::Base;
    std::string GetName() const override { return "Inactive"; }
    void OnEnterState() override
    {
        m_Owner.isRunning = false;
        m_Owner.isPaused = false;
        m_Owner.scoreIndex = 0;
    }
    bool OnMakeMatch(Event*) override
    {
        m_Owner.SetState("WaitingToActivate");
        return true;
    }
};

class WaitingToActivate : public Base
{
public:
    using Base::Base;
    std::string GetName() const override { return "WaitingToActivate"; }
    void OnEnterState() override
    {
        m_Owner.isRunning = true;
        m_Owner.StartMainTimer(static_cast<std::uint32_t>(m_Owner.timeToAppear));
    }
    bool OnTimer(const EventRecord& event) override
    {
        if (!m_Owner.IsMainTimer(event))
            return false;
        Expire();
        return true;
    }
    bool OnMakeMatch(Event*) override
    {
        m_Owner.StartMainTimer(static_cast<std::uint32_t>(m_Owner.timeToAppear));
        m_Owner.SetState("Active");
        m_Owner.ShowAll();
        m_Owner.StepScore(true);
        m_Owner.wasActivated = true;
        return true;
    }
};

class Active : public Base
{
public:
    using Base::Base;
    std::string GetName() const override { return "Active"; }
    void OnEnterState() override { m_Owner.StartMainTimer(static_cast<std::uint32_t>(m_Owner.timeToStartFlashing)); }
    bool OnTimer(const EventRecord& event) override
    {
        if (!m_Owner.IsMainTimer(event))
            return false;
        m_Owner.SetState("Flashing");
        return true;
    }
    bool OnMakeMatch(Event*) override
    {
        m_Owner.StepScore(false);
        m_Owner.StartMainTimer(static_cast<std::uint32_t>(m_Owner.timeToStartFlashing));
        return true;
    }
};

class Flashing : public Base
{
public:
    using Base::Base;
    std::string GetName() const override { return "Flashing"; }
    void OnEnterState() override
    {
        isFlashOn = false;
        ToggleFlash();
        m_FlashTimer.CreateOrRestart(&m_Owner, static_cast<std::uint32_t>(std::max(m_Owner.flashLength, 1)), -1,
                                     TIMER_LIMITED_TO_FRAMERATE);
        m_Owner.StartMainTimer(static_cast<std::uint32_t>(m_Owner.timeToExpire));
        m_Owner.SetShaderType(kShaderBlendCombinedAlpha);
        if (Actor* label = m_Owner.GetScoreLabel())
            label->SetShaderType(kShaderBlendCombinedAlpha);
        if (Actor* sign = m_Owner.GetSignImage())
            sign->SetShaderType(kShaderBlendCombinedAlpha);
    }
    void OnExitState() override { m_FlashTimer.Free(); }
    bool OnTimer(const EventRecord& event) override
    {
        if (m_FlashTimer.IsFrom(event)) {
            ToggleFlash();
            return true;
        }
        if (!m_Owner.IsMainTimer(event))
            return false;
        Expire();
        m_Owner.hasExpired = true;
        return true;
    }
    bool OnMakeMatch(Event*) override
    {
        m_Owner.StartMainTimer(static_cast<std::uint32_t>(m_Owner.timeToExpire));
        isFlashOn = true;
        ToggleFlash();
        m_Owner.SetState("Active");
        return true;
    }
    virtual void ToggleFlash()
    {
        m_Owner.SetFlashAlpha(isFlashOn);
        isFlashOn = !isFlashOn;
    }

private:
    WoppleTimer m_FlashTimer;
    bool isFlashOn = false;
};

class SpinCompleted : public Base
{
public:
    using Base::Base;
    std::string GetName() const override { return "SpinCompleted"; }
    void OnEnterState() override
    {
        m_Owner.FreeMainTimer();
        m_Owner.StartMainTimer(kSpinCompletedGrace);
    }
    bool OnTimer(const EventRecord& event) override
    {
        if (!m_Owner.IsMainTimer(event))
            return false;
        Expire();
        return true;
    }
    bool OnMakeMatch(Event*) override
    {
        m_Owner.FadeOutAll();
        m_Owner.FreeMainTimer();
        m_Owner.SetState("WaitingToActivate");
        return true;
    }
};

} // namespace WoppleBonusTimerStates

void WoppleBonusTimerClassHook(Class* c)
{
    auto member = [c](std::uint32_t type, PropertyAccessor::MemberAddress address, const char* name) {
        c->RegisterPropertyGetter(CreatePropertyAccessor(type, address, name));
        c->RegisterPropertySetter(CreatePropertyAccessor(type, address, name));
    };
    member(TYPE_INT32, MemberOf(&WoppleBonusTimer::timeToAppear), "timeToAppear");
    member(TYPE_INT32, MemberOf(&WoppleBonusTimer::timeToStartFlashing), "timeToStartFlashing");
    member(TYPE_INT32, MemberOf(&WoppleBonusTimer::timeToExpire), "timeToExpire");
    member(TYPE_INT32, MemberOf(&WoppleBonusTimer::flashLength), "flashLength");
    member(TYPE_LUAOBJECT, MemberOf(&WoppleBonusTimer::scoreTable), "scoreTable");
    // What the rules read: the bonus on offer, the steps taken, and whether it showed or ran out.
    member(TYPE_INT32, MemberOf(&WoppleBonusTimer::score), "bonusValue");
    member(TYPE_INT32, MemberOf(&WoppleBonusTimer::scoreIndex), "level");
    member(TYPE_BOOL, MemberOf(&WoppleBonusTimer::wasActivated), "hasAppeared");
    member(TYPE_BOOL, MemberOf(&WoppleBonusTimer::hasExpired), "hasExpired");
}

VELK_REGISTER_CLASS(WoppleBonusTimer, "Actor", WoppleBonusTimerClassHook, InstantiateObjectOfClass<WoppleBonusTimer>);

WoppleBonusTimer::WoppleBonusTimer()
{
    BuildStates();
}

WoppleBonusTimer::~WoppleBonusTimer()
{
    try {
        m_MainTimer.Free();
    } catch (...) {
    }
}

void WoppleBonusTimer::BuildStates()
{
    namespace S = WoppleBonusTimerStates;
    AddState(new S::Inactive(*this), true);
    AddState(new S::WaitingToActivate(*this), true);
    AddState(new S::Active(*this), true);
    AddState(new S::Flashing(*this), true);
    AddState(new S::SpinCompleted(*this), true);
    SetState("Inactive");
}

void WoppleBonusTimer::OnPostSpawn()
{
    Actor::OnPostSpawn();
    FindChildren();
}

void WoppleBonusTimer::FindChildren()
{
    SetShaderType(kShaderBlendCombinedAlpha);
    scoreLabel = dynamic_cast<Label*>(FindChild("ScoreLabel", true));
    signImage = FindChild("SignImage", true);
    if (scoreLabel)
        scoreLabel->SetShaderType(kShaderBlendCombinedAlpha);
    if (signImage)
        signImage->SetShaderType(kShaderBlendCombinedAlpha);
}

void WoppleBonusTimer::SpinCompleted()
{
    SetState("SpinCompleted");
}

void WoppleBonusTimer::Pause()
{
    if (isRunning && !isPaused && HasMainTimer()) {
        TimerManager::GetInstance()->PauseTimer(m_MainTimer.GetID());
        isPaused = true;
    }
}

void WoppleBonusTimer::Resume()
{
    if (isRunning && isPaused && HasMainTimer()) {
        TimerManager::GetInstance()->ResumeTimer(m_MainTimer.GetID());
        isPaused = false;
    }
}

void WoppleBonusTimer::StartMainTimer(std::uint32_t period)
{
    m_MainTimer.CreateOrRestart(this, std::max<std::uint32_t>(period, 1), 1, TIMER_LIMITED_TO_FRAMERATE);
    // A new count is never a paused one.
    isPaused = false;
}

void WoppleBonusTimer::FadeOutAll()
{
    FadeOut(kFadeOutTime, false);
    if (scoreLabel)
        scoreLabel->FadeOut(kFadeOutTime, false);
    if (signImage)
        signImage->FadeOut(kFadeOutTime, false);
}

void WoppleBonusTimer::ShowAll()
{
    SetVisible(true);
    FadeIn(kFadeInTime);
    if (scoreLabel) {
        scoreLabel->FadeIn(kFadeInTime);
        scoreLabel->SetVisible(true);
    }
    if (signImage) {
        signImage->FadeIn(kFadeInTime);
        signImage->SetVisible(true);
    }
}

void WoppleBonusTimer::SetFlashAlpha(bool on)
{
    const std::uint8_t alpha = on ? 255 : 64;
    SetAlpha(alpha);
    if (scoreLabel)
        scoreLabel->SetAlpha(alpha);
    if (signImage)
        signImage->SetAlpha(alpha);
}

void WoppleBonusTimer::StepScore(bool first)
{
    scoreIndex = first ? 1 : scoreIndex + 1;
    int entries = 0;
    if (scoreTable.IsTable())
        while (scoreTable[entries + 1].IsNumber())
            ++entries;
    // An empty table is a content fault; the sign then keeps the score it has.
    if (entries > 0)
        score = static_cast<int>(scoreTable[std::min(scoreIndex, entries)].GetNumber());
    if (scoreLabel)
        scoreLabel->SetText((boost::format("%1%") % score).str(), true);
}
