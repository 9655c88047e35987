// What an actor does to itself over time or to its look: slides, fades, the
// rotated copy of its image and the flattened cache of its subtree.

#include "engine/core/Exception.h"
#include "engine/core/TimerManager.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/ImageEffects.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/ui/Actor.h"
#include "engine/ui/FlattenedActor.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTickMilliseconds = 32;

// The point of a w x h rectangle at (0, 0) that the alignment code names;
// (0, 0) for no alignment and unknown codes.
Point<int> AlignmentPoint(RectAlignment code, int w, int h)
{
    Rect::AnchorFunction anchor = Rect::GetAnchorFunction(code);
    if (!anchor)
        return Point<int>(0, 0);
    return anchor(Rect(0, 0, static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h)));
}

} // namespace

// ---------------------------------------------------------------- slides

void Actor::SlideTo(const Point<int>& dest, int duration)
{
    m_ExactX = m_X;
    m_ExactY = m_Y;
    m_SlideTicks = static_cast<std::int32_t>(duration * (1.0 / kTickMilliseconds) + 1.0);
    m_DestX = static_cast<std::int16_t>(dest.x);
    m_DestY = static_cast<std::int16_t>(dest.y);
    // A slide of no duration has one tick, which lands on the destination.
    double perTick = duration > 0 ? kTickMilliseconds * (1.0 / duration) : 0.0;
    m_VelocityX = (dest.x - m_X) * perTick;
    m_VelocityY = (dest.y - m_Y) * perTick;
    m_Sliding = true;
}

void Actor::UpdateSlide()
{
    if (!m_Sliding)
        return;
    m_ExactX += m_VelocityX;
    m_ExactY += m_VelocityY;
    m_X = static_cast<std::int16_t>(std::lround(m_ExactX));
    m_Y = static_cast<std::int16_t>(std::lround(m_ExactY));
    if (--m_SlideTicks > 0)
        return;
    m_Sliding = false;
    m_X = m_DestX;
    m_Y = m_DestY;
    NotifyObservers(VELK_SLIDECOMPLETE, nullptr, false);
}

// ---------------------------------------------------------------- fades

void Actor::StartFade(int mode, int duration)
{
    StopFade();
    m_FadeMode = mode;
    m_FadeTick = 0;
    m_FadeDuration = static_cast<std::uint32_t>(std::max(duration, 0));
    m_FadeTickCount = duration / 30;
    TimerManager* timers = TimerManager::GetInstance();
    VELK_ASSERT(timers != 0);
    m_FadeTimerID = timers->CreateTimer(this, m_FadeDuration, 1, TIMER_LIMITED_TO_FRAMERATE, "default");
    m_ShaderType = SHADERTYPE_BLENDCOMBINEDALPHA;
}

void Actor::FadeOut(int duration, bool destroyAtEnd)
{
    StartFade(FADE_OUT, duration);
    m_DestroyAtEnd = destroyAtEnd;
    SetAlpha(255);
}

void Actor::FadeIn(int duration)
{
    StartFade(FADE_IN, duration);
    SetAlpha(0);
}

void Actor::FadeInThenOut(int duration)
{
    StartFade(FADE_IN_THEN_OUT, duration);
    SetAlpha(0);
}

void Actor::StopFade()
{
    if (m_FadeTimerID)
        if (TimerManager* timers = TimerManager::GetInstance())
            timers->FreeTimer(m_FadeTimerID);
    m_FadeTimerID = 0;
    m_FadeMode = FADE_NONE;
}

void Actor::UpdateFade()
{
    if (m_FadeMode == FADE_NONE)
        return;
    ++m_FadeTick;
    // Held at the end between the last tick and the timer, and a fade shorter
    // than one step goes straight to its end rather than dividing by zero.
    double t = m_FadeTickCount > 0 ? static_cast<double>(m_FadeTick) / m_FadeTickCount : 1.0;
    t = std::clamp(t, 0.0, 1.0);
    if (m_FadeMode == FADE_OUT) {
        SetAlpha(static_cast<std::uint8_t>((1.0 - t) * 255.0));
    } else {
        SetVisible(true, false);
        SetAlpha(static_cast<std::uint8_t>(t * 255.0));
    }
}

bool Actor::OnTimer(const EventRecord& event)
{
    if (m_FadeTimerID == 0 || TimerIDOfEvent(event) != m_FadeTimerID)
        return false;
    switch (m_FadeMode) {
    case FADE_OUT:
        SetVisible(false, false);
        StopFade();
        m_ShaderType = SHADERTYPE_BLENDPIXELALPHA;
        if (m_DestroyAtEnd)
            Destroy();
        break;
    case FADE_IN:
        // The timer may come before the last step: a fade in ends fully shown.
        StopFade();
        SetVisible(true, false);
        SetAlpha(255);
        m_ShaderType = SHADERTYPE_BLENDPIXELALPHA;
        break;
    case FADE_IN_THEN_OUT:
        StopFade();
        FadeOut(static_cast<int>(m_FadeDuration), false);
        break;
    default:
        StopFade();
        break;
    }
    return true;
}

// ---------------------------------------------------------------- rotation

void Actor::SetRotation(double angle, int rotationAlignment, bool force)
{
    if (!force && angle == m_Rotation && rotationAlignment == static_cast<int>(m_RotationAlignment))
        return;
    m_Rotation = angle;
    if (rotationAlignment >= 0)
        m_RotationAlignment = static_cast<RectAlignment>(rotationAlignment);
    m_OverrideImage.reset();
    m_OverrideOffsetX = 0;
    m_OverrideOffsetY = 0;
    if (angle == 0.0 || !m_Image)
        return;
    m_OverrideImage = RotozoomImageFrames(*m_Image, angle, m_Frame, true);
    m_OverrideImage->SetAlpha(m_Alpha);
    Image::Size own = m_Image->GetSize();
    Image::Size rotated = m_OverrideImage->GetSize();
    int w = static_cast<int>(own.w), h = static_cast<int>(own.h);
    int rw = static_cast<int>(rotated.w), rh = static_cast<int>(rotated.h);
    Point<int> alignedOwn = AlignmentPoint(m_Alignment, w, h);
    Point<int> alignedRotated = AlignmentPoint(m_Alignment, rw, rh);
    Point<int> pivotOwn = AlignmentPoint(m_RotationAlignment, w, h);
    Point<int> pivotRotated = AlignmentPoint(m_RotationAlignment, rw, rh);
    m_OverrideOffsetX = (alignedOwn.x - alignedRotated.x) + (pivotOwn.x - pivotRotated.x);
    m_OverrideOffsetY = (alignedOwn.y - alignedRotated.y) + (pivotOwn.y - pivotRotated.y);
}

// ---------------------------------------------------------------- flattening

void Actor::Flatten(int x, int y, int w, int h)
{
    m_FlattenedActor.reset();
    m_FlattenedActor = std::make_unique<FlattenedActor>(this, true, false, w, h);
    m_FlattenedActor->SetPosition(x, y);
}

void Actor::ReFlatten()
{
    VELK_ASSERT(m_FlattenedActor);
    m_FlattenedActor->Invalidate();
}

void Actor::Unflatten()
{
    m_FlattenedActor.reset();
}
