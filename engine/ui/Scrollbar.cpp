#include "engine/ui/Scrollbar.h"

#include "engine/core/Config.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/TimerManager.h"
#include "engine/core/TypeConversion.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/Sound.h"

#include <algorithm>
#include <cmath>

namespace {

bool IsPrimaryButton(int button)
{
    Application* app = Application::GetInstance();
    return app ? app->IsPrimaryMouseButton(button) : button == SDL_BUTTON_LEFT;
}

bool IsAbout(const EventRecord& event, const Actor& actor)
{
    return event.user.data1 == static_cast<const void*>(&actor);
}

} // namespace

// The thumb's states, by the names the scrollbar switches to.
namespace ThumbStates {

class ThumbState : public State
{
public:
    explicit ThumbState(Scrollbar::Thumb& thumb) : m_Thumb(thumb) {}

protected:
    Scrollbar::Thumb& m_Thumb;
};

class Active : public ThumbState
{
public:
    using ThumbState::ThumbState;
    std::string GetName() const override { return "Active"; }
    void OnEnterState() override { m_Thumb.SetFrame(0); }

    bool OnMouseEnter(const EventRecord& event) override
    {
        if (!IsAbout(event, m_Thumb))
            return false;
        m_Thumb.SetState("Highlighted");
        return true;
    }

    // Shown again under a pointer that never left: the roll-over search will
    // not tell it, so it tells itself.
    bool OnInternalEvent(const EventRecord& event) override
    {
        const auto* text = static_cast<const LuaObject*>(event.user.data2);
        if (m_Thumb.IsMouseOver() && text && text->IsString() && text->GetString() == "visibility changed")
            RequireCoreHost().PostEvent(&m_Thumb, MakeEventRecord(VELK_MOUSEENTER, 0, static_cast<Actor*>(&m_Thumb)));
        return false;
    }
};

class Highlighted : public ThumbState
{
public:
    using ThumbState::ThumbState;
    std::string GetName() const override { return "Highlighted"; }
    void OnEnterState() override { m_Thumb.SetFrame(2); }

    bool OnMouseButtonDown(const EventRecord& event) override
    {
        if (!IsPrimaryButton(event.button.button))
            return false;
        m_Thumb.SetState("Scrolling");
        return true;
    }

    bool OnMouseLeave(const EventRecord& event) override
    {
        if (!IsAbout(event, m_Thumb))
            return false;
        m_Thumb.SetState("Active");
        return true;
    }
};

class Scrolling : public ThumbState
{
public:
    using ThumbState::ThumbState;
    std::string GetName() const override { return "Scrolling"; }
    void OnEnterState() override
    {
        m_Thumb.SetFrame(3);
        Sound::Play("click.ogg");
    }

    // The thumb holds the pointer while it is dragged.
    bool OnMouseMotion(const EventRecord& event) override
    {
        m_Thumb.GetOwner().DragThumb(event);
        return true;
    }

    bool OnMouseButtonUp(const EventRecord& event) override
    {
        if (!IsPrimaryButton(event.button.button))
            return false;
        m_Thumb.SetState(m_Thumb.IsMouseOver() ? "Highlighted" : "Active");
        return true;
    }
};

} // namespace ThumbStates

// ---------------------------------------------------------------- registration

void ScrollbarClassHook(Class* c)
{
    auto play = MemberOf(&Scrollbar::m_PlayScrollSound);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_BOOL, play, "playScrollSound"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_BOOL, play, "playScrollSound"));
    c->RegisterPropertyGetter(MakeNamedProperty("value"));
}

// Made in code only: a scrollbar needs its bounds to exist.
VELK_REGISTER_CLASS(Scrollbar, "Actor", ScrollbarClassHook, nullptr);

// ---------------------------------------------------------------- thumb

Scrollbar::Thumb::Thumb(Scrollbar& owner) : m_Owner(owner)
{
    SetImageFromName("btnBlankSmall.png");
    SetRolloverable(true);
    AddState(new ThumbStates::Active(*this), false);
    AddState(new ThumbStates::Highlighted(*this), false);
    AddState(new ThumbStates::Scrolling(*this), false);
}

void Scrollbar::Thumb::SetState(const std::string& name)
{
    Log(3, "%s: %s\n", "Scrollbar::Thumb::SetState", name.c_str());
    Object::SetState(name);
}

bool Scrollbar::Thumb::OnEvent(const EventRecord& event)
{
    if (event.type == VELK_MOUSEENTER && IsAbout(event, *this))
        m_MouseOver = true;
    else if (event.type == VELK_MOUSELEAVE && IsAbout(event, *this))
        m_MouseOver = false;
    return Actor::OnEvent(event);
}

// ---------------------------------------------------------------- scrollbar

Scrollbar::Scrollbar(double value, double minValue, double maxValue)
{
    auto track = std::make_unique<Actor>();
    track->SetImageFromName("bkgTrackBar.png");
    auto thumb = std::make_unique<Thumb>(*this);
    const int width = track->GetWidth() + thumb->GetWidth();
    const int height = thumb->GetHeight();
    SetSize(width, height);
    track->SetPosition((width - track->GetWidth()) / 2, (height - track->GetHeight()) / 2);
    m_LeftEdge = track->GetX();
    m_RightEdge = track->GetX() + track->GetWidth();
    thumb->SetPosition(m_LeftEdge - thumb->GetWidth() / 2, 0);
    m_Track = track.get();
    AddChild(track.release());
    m_Thumb = thumb.get();
    AddChild(thumb.release());

    m_MinValue = minValue;
    ValueBoundsUpdated();
    SetMaxValue(maxValue, false);
    SetValue(value, true);
    m_PlayScrollSound = true;
    m_Thumb->SetState("Active");
}

Scrollbar::~Scrollbar()
{
    try {
        if (m_SoundTimerID != 0)
            if (TimerManager* timers = TimerManager::GetInstance())
                timers->FreeTimer(m_SoundTimerID);
        m_SoundTimerID = 0;
        ReleaseBoundValue();
    } catch (...) {
        LogWrite("WARNING: Scrollbar::~Scrollbar: %s\n", CurrentExceptionMessage().c_str());
    }
}

Variant Scrollbar::GetValue() const
{
    return m_Value ? Variant(*m_Value) : Variant();
}

void Scrollbar::SetValue(double value, bool moveThumb)
{
    VELK_ASSERT(value >= m_MinValue);
    VELK_ASSERT(value <= m_MaxValue);
    m_Value = value;
    if (moveThumb)
        UpdateThumbPosition();
    CoreHost& host = RequireCoreHost();
    for (Object* listener : GetListeners())
        host.PostEvent(listener, MakeEventRecord(VELK_VALUECHANGE, 0, static_cast<Object*>(this)));
}

void Scrollbar::SetMaxValue(double maxValue, bool moveThumb)
{
    VELK_ASSERT(maxValue >= m_MinValue);
    m_MaxValue = maxValue;
    ValueBoundsUpdated();
    if (moveThumb)
        UpdateThumbPosition();
}

void Scrollbar::ValueBoundsUpdated()
{
    VELK_ASSERT(m_RightEdge != m_LeftEdge);
    m_PosK = (m_MaxValue - m_MinValue) / (m_RightEdge - m_LeftEdge);
}

void Scrollbar::UpdateThumbPosition()
{
    VELK_ASSERT(m_PosK != 0);
    // A value read off a pixel must map back onto that pixel, not one short
    // of it by rounding.
    const double pixels = (m_Value.value_or(m_MinValue) - m_MinValue) / m_PosK;
    const int x = static_cast<int>(std::trunc(pixels + 1e-6)) - m_Thumb->GetWidth() / 2 + m_LeftEdge;
    m_Thumb->SetPosition(x, m_Thumb->GetY());
}

void Scrollbar::ValueFromThumb()
{
    const int centre = m_Thumb->GetX() + m_Thumb->GetWidth() / 2;
    double value = (centre - m_LeftEdge) * m_PosK + m_MinValue;
    // The far edge can land a rounding step past the maximum.
    value = std::clamp(value, m_MinValue, m_MaxValue);
    if (!m_Value || value != *m_Value)
        SetValue(value, true);
}

void Scrollbar::DragThumb(const EventRecord& motion)
{
    bool follows = m_Thumb->IsMouseOver();
    if (!follows) {
        Rect rect = m_Thumb->GetGlobalRect();
        follows = motion.motion.x >= rect.x && motion.motion.x < rect.x + rect.w;
    }
    if (!follows)
        return;
    const int half = m_Thumb->GetWidth() / 2;
    const int centre = std::clamp(m_Thumb->GetX() + half + motion.motion.xrel, m_LeftEdge, m_RightEdge);
    m_Thumb->SetPosition(centre - half, m_Thumb->GetY());
    ValueFromThumb();
    PlayScrollSound();
}

void Scrollbar::PlayScrollSound()
{
    if (!m_PlayScrollSound || m_SoundTimerID != 0)
        return;
    Sound::Play("Beep01.ogg");
    if (TimerManager* timers = TimerManager::GetInstance())
        m_SoundTimerID = timers->CreateTimer(this, 200, 1, TIMER_LIMITED_TO_FRAMERATE, "default");
}

bool Scrollbar::OnTimer(const EventRecord& event)
{
    if (m_SoundTimerID == 0 || TimerIDOfEvent(event) != m_SoundTimerID)
        return Actor::OnTimer(event);
    // A spent timer keeps its slot until freed; a long drag would pile them up.
    if (TimerManager* timers = TimerManager::GetInstance())
        timers->FreeTimer(m_SoundTimerID);
    m_SoundTimerID = 0;
    return true;
}

// ---------------------------------------------------------------- the bound setting

void Scrollbar::BindValue(std::unique_ptr<ConfigDataBinder> binder)
{
    ReleaseBoundValue();
    if (!binder)
        return;
    m_BoundValue = std::move(binder);
    AddEventListener(m_BoundValue.get());
    if (Config* config = GetConfig())
        config->AttachObserver(this, m_BoundValue->GetKey());
    FollowBoundValue(true);
}

void Scrollbar::ReleaseBoundValue()
{
    if (!m_BoundValue)
        return;
    RemoveEventListener(m_BoundValue.get());
    if (Config* config = GetConfig()) {
        try {
            config->DetachObserver(this, m_BoundValue->GetKey());
        } catch (...) {
            LogWrite("WARNING: Scrollbar could not detach from \"%s\": %s\n", m_BoundValue->GetKey().c_str(),
                     CurrentExceptionMessage().c_str());
        }
    }
    m_BoundValue.reset();
}

void Scrollbar::FollowBoundValue(bool always)
{
    if (!GetConfig())
        return;
    Variant setting = m_BoundValue->Retrieve();
    if (!setting.IsDouble() || std::isnan(setting.ToDouble()))
        return;
    const double value = std::clamp(setting.ToDouble(), m_MinValue, m_MaxValue);
    if (always || !m_Value || value != *m_Value)
        SetValue(value, true);
}

bool Scrollbar::OnConfigUpdate(const EventRecord& event)
{
    if (!m_BoundValue)
        return false;
    const auto* payload = static_cast<const LuaObject*>(event.user.data1);
    if (payload && payload->IsTable() && (*payload)["key"].GetString() != m_BoundValue->GetKey())
        return false;
    FollowBoundValue(false);
    return true;
}

// ---------------------------------------------------------------- properties

void Scrollbar::StoreProperties(LuaObject& table)
{
    Actor::StoreProperties(table);
    table.SetBoolean("playScrollSound", m_PlayScrollSound);
}

LuaObject Scrollbar::GetProperty(const std::string& name, LuaState state)
{
    if (name == "value") {
        LuaObject result(state);
        if (m_Value)
            result.AssignNumber(state, *m_Value);
        return result;
    }
    return Actor::GetProperty(name, state);
}
