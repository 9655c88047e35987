#pragma once

#include "engine/core/Variant.h"
#include "engine/ui/Actor.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class ConfigDataBinder;

// A horizontal slider: the track picture "bkgTrackBar.png" and a thumb dragged
// along it, whose centre maps linearly onto a value between a minimum and a
// maximum. Each change is posted to the scrollbar's listeners as
// VELK_VALUECHANGE; bound to a setting, the scrollbar writes it that way and
// follows it when something else changes it.
class Scrollbar : public Actor
{
    VELK_DECLARE_CLASS(Scrollbar)
public:
    // The draggable knob ("btnBlankSmall.png"): "Active" (frame 0),
    // "Highlighted" under the pointer (frame 2), "Scrolling" while a primary
    // button holds it (frame 3).
    class Thumb : public Actor
    {
    public:
        explicit Thumb(Scrollbar& owner);

        // Logs the switch at level 3, then switches.
        void SetState(const std::string& name);
        // Keeps the pointer flag from its own enter and leave events, which
        // then go on to its state as well.
        bool OnEvent(const EventRecord& event) override;

        bool IsMouseOver() const { return m_MouseOver; }
        Scrollbar& GetOwner() const { return m_Owner; }

    private:
        Scrollbar& m_Owner;
        bool m_MouseOver = false;
    };

    // Asserts maximum >= minimum and value within them.
    Scrollbar(double value, double minValue, double maxValue);
    ~Scrollbar() override;

    // The value as a double; empty before the first is set.
    virtual Variant GetValue() const;
    // Asserts minimum <= value <= maximum, then stores it, places the thumb
    // when asked and posts VELK_VALUECHANGE to every listener.
    void SetValue(double value, bool moveThumb);
    void SetMaxValue(double maxValue, bool moveThumb);
    // Takes the binder in place of the one bound before: it becomes a listener,
    // so the scrollbar's changes reach the setting, and the scrollbar takes the
    // setting's value now and whenever the setting changes. A setting outside
    // the bounds is held at the nearer bound; one that is not a number is left
    // alone.
    void BindValue(std::unique_ptr<ConfigDataBinder> binder);
    ConfigDataBinder* GetBoundValue() const { return m_BoundValue.get(); }

    void ValueBoundsUpdated();
    void UpdateThumbPosition();
    // The value under the thumb's centre, set (with the thumb) when it differs.
    void ValueFromThumb();
    // A mouse motion while scrolling: the thumb's centre follows the pointer's
    // horizontal motion along the track, the value follows the thumb.
    void DragThumb(const EventRecord& motion);
    // "Beep01.ogg", at most once every 200 ms.
    void PlayScrollSound();

    bool OnTimer(const EventRecord& event) override;
    bool OnConfigUpdate(const EventRecord& event) override;
    void StoreProperties(LuaObject& table) override;
    // "value" reads the value (what the setting binder stores).
    LuaObject GetProperty(const std::string& name, LuaState state) override;

    double GetMinValue() const { return m_MinValue; }
    double GetMaxValue() const { return m_MaxValue; }
    double GetPosK() const { return m_PosK; }
    int GetLeftEdge() const { return m_LeftEdge; }
    int GetRightEdge() const { return m_RightEdge; }
    Actor* GetTrack() const { return m_Track; }
    Thumb* GetThumb() const { return m_Thumb; }
    bool GetPlayScrollSound() const { return m_PlayScrollSound; }
    void SetPlayScrollSound(bool play) { m_PlayScrollSound = play; }
    std::uint32_t GetSoundTimerID() const { return m_SoundTimerID; }

private:
    friend void ScrollbarClassHook(Class* c);

    // Takes the bound setting's value when it is a number.
    void FollowBoundValue(bool always);
    void ReleaseBoundValue();

    Actor* m_Track = nullptr;
    Thumb* m_Thumb = nullptr;
    std::optional<double> m_Value;
    double m_MinValue = 0.0;
    double m_MaxValue = 0.0;
    double m_PosK = 0.0;  // value per pixel
    int m_LeftEdge = 0;
    int m_RightEdge = 0;
    std::unique_ptr<ConfigDataBinder> m_BoundValue;
    std::uint32_t m_SoundTimerID = 0;
    bool m_PlayScrollSound = true;
};
