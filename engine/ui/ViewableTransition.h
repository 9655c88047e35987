#pragma once

#include "engine/ui/Actor.h"

#include <cstdint>

class Canvas;
class Screen;

// The base of the effects shown while one screen replaces another. By itself
// it neither updates nor draws an image; the screen manager asks it each frame
// whether it is finished and drops it once it is.
class ViewableTransition : public Actor
{
    VELK_DECLARE_CLASS(ViewableTransition)
public:
    ViewableTransition() = default;

    void SetScreen(Screen* screen) { m_Screen = screen; }
    Screen* GetScreen() const { return m_Screen; }
    // The base has nothing to show, so it is finished at once.
    virtual bool IsFinished() const { return true; }

    void Update() override {}
    void DrawImage(Canvas&) override {}

protected:
    Screen* m_Screen = nullptr;
};

// Brings its screen up from black over `duration` milliseconds, counted in
// the main loop's fixed steps.
class FadeTransition : public ViewableTransition
{
    VELK_DECLARE_CLASS(FadeTransition)
public:
    static constexpr int kStepMilliseconds = 32;

    FadeTransition() = default;

    bool IsFinished() const override { return m_Elapsed >= m_Duration; }
    void Update() override;
    void Draw(Canvas& canvas) override;

    int GetDuration() const { return m_Duration; }
    void SetDuration(int milliseconds) { m_Duration = milliseconds; }
    int GetElapsed() const { return m_Elapsed; }

private:
    friend void FadeTransitionClassHook(Class* c);

    std::int32_t m_Duration = 0;
    std::int32_t m_Elapsed = 0;
};
