#pragma once

#include "engine/ui/Actor.h"

#include <deque>
#include <string>

enum AnimationState
{
    ANIM_STOPPED = 1,
    ANIM_PLAYING = 2,
};

// Plays one of the frame animations in the metadata of its target's image
// ("Animations"[name]: frame numbers, names of other animations played in
// place, and {"delay", ms} commands) by setting the target's frame. It lives
// as a child of its target.
class Animation : public Actor
{
public:
    explicit Animation(const std::string& name);
    ~Animation() override;

    // Null detaches it.
    void SetTarget(Actor* target);
    Actor* GetTarget() const { return m_Target; }
    const std::string& GetAnimationName() const { return m_AnimationName; }
    void Play(int frameDelay);
    void Loop(int frameDelay);
    void Reset();
    int CurrentFrame();
    void ExtractAndPush(const std::string& name);
    void AdvanceFrame();
    bool IsPlaying() const { return m_State == ANIM_PLAYING; }
    int GetCountdown() const { return m_Countdown; }

    // Only the animation runs: a frame step when the countdown runs out.
    void Update() override;

private:
    struct Entry
    {
        LuaObject script;
        int position;
    };

    void ProcessCommand(const LuaObject& command);

    std::deque<Entry> m_Stack;
    int m_CachedFrame = -1;
    Actor* m_Target = nullptr;
    std::string m_AnimationName;
    int m_State = ANIM_STOPPED;
    int m_Countdown = 0;
    int m_FrameDelay = 0;
    bool m_Loop = false;
};
