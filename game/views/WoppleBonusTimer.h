#pragma once

#include "engine/ui/Actor.h"
#include "game/rules/WoppleTimer.h"

#include <cstdint>

class Label;

// The bonus timer's sign: quick successive matches earn a bonus. After a
// match the player has "timeToAppear" ms for the next; that second quick
// match shows the sign with the first entry of "scoreTable", and every further
// quick match climbs one entry (staying on the last). Without a match for
// "timeToStartFlashing" ms the sign flashes, and "timeToExpire" ms later it
// fades away. Five named states driven by WOPPLE_MAKEMATCH, the rules'
// SpinCompleted and its own timers (group "default", so pausing the game
// pauses them).
class WoppleBonusTimer : public Actor
{
    VELK_DECLARE_CLASS(WoppleBonusTimer)
public:
    WoppleBonusTimer();
    ~WoppleBonusTimer() override;

    void OnPostSpawn() override;

    virtual void BuildStates();
    virtual void FindChildren();
    // Gives the player 3000 ms for a match that starts a new wait.
    virtual void SpinCompleted();
    // Stops the clock of a running wait (and starts it again), e.g. while a match is scored.
    virtual void Pause();
    virtual void Resume();
    virtual bool IsBonusTimer() const { return true; }

    // The state machine's steps, shared by the states.
    void StartMainTimer(std::uint32_t period);
    void FreeMainTimer() { m_MainTimer.Free(); }
    bool IsMainTimer(const EventRecord& event) const { return m_MainTimer.IsFrom(event); }
    bool HasMainTimer() const { return m_MainTimer.GetID() != 0; }
    void FadeOutAll();
    void ShowAll();
    // Alpha 255 or 64 on the sign, its label and its picture.
    void SetFlashAlpha(bool on);
    // One entry up the score table (the first on the first step), shown on the label.
    void StepScore(bool first);

    int GetScore() const { return score; }
    int GetScoreIndex() const { return scoreIndex; }
    bool HasExpired() const { return hasExpired; }
    bool WasActivated() const { return wasActivated; }
    bool IsRunning() const { return isRunning; }
    bool IsPaused() const { return isPaused; }
    Label* GetScoreLabel() const { return scoreLabel; }
    Actor* GetSignImage() const { return signImage; }

    bool isRunning = false;
    bool isPaused = false;
    int timeToAppear = 1000;
    int timeToStartFlashing = 750;
    int timeToExpire = 250;
    int flashLength = 50;
    int score = 100;
    LuaObject scoreTable;
    int scoreIndex = 0;
    bool hasExpired = false;
    bool wasActivated = false;

private:
    friend void WoppleBonusTimerClassHook(Class* c);

    WoppleTimer m_MainTimer;
    Label* scoreLabel = nullptr;
    Actor* signImage = nullptr;
};
