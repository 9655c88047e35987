#pragma once

#include "engine/ui/Actor.h"

#include <cstdint>
#include <string>

// An invisible actor of a screen layout that keeps background sounds going
// while it is playing: fixed loops without end, one loop picked at random and
// changed every 8 to 10 seconds, and one effect picked at random every 8 to 12
// seconds. Each list is nil, a sound name or a list of names. A newly picked
// random loop stops the one it replaces.
class AmbientLoop : public Actor
{
    VELK_DECLARE_CLASS(AmbientLoop)
public:
    AmbientLoop();
    // Frees the timers and stops the sounds it plays.
    ~AmbientLoop() override;

    bool OnTimer(const EventRecord& event) override;

    void SetPlaying(bool on);
    bool IsPlaying() const { return m_Playing; }
    void SetLoopFiles(const LuaObject& files);
    void SetRandomLoopFiles(const LuaObject& files);
    void SetRandomEffectFiles(const LuaObject& files);

    const std::string& GetCurrentRandomLoop() const { return m_CurrentRandomLoop; }
    const std::string& GetCurrentRandomEffect() const { return m_CurrentRandomEffect; }
    std::uint32_t GetRandomLoopTimerID() const { return m_RandomLoopTimerID; }
    std::uint32_t GetRandomEffectTimerID() const { return m_RandomEffectTimerID; }

private:
    friend void AmbientLoopClassHook(Class* c);

    void SetLoopFilesProperty(const LuaObject& value) { SetLoopFiles(value); }
    void SetRandomLoopFilesProperty(const LuaObject& value) { SetRandomLoopFiles(value); }
    void SetRandomEffectFilesProperty(const LuaObject& value) { SetRandomEffectFiles(value); }
    void SetPlayingProperty(const LuaObject& value);

    // Stops the sound, and starts it looping again while playing.
    void PlayLoop(const std::string& name);
    void RefreshLoops();
    void RefreshRandomLoop();
    void RefreshRandomEffect();
    // Logs what it cannot stop; for the destructor.
    void StopOwnSounds() noexcept;
    // A new one-signal timer in place of the old one, due in lo to hi milliseconds.
    void RestartTimer(std::uint32_t& timerID, int lo, int hi);

    LuaObject m_LoopFiles;
    LuaObject m_RandomLoopFiles;
    LuaObject m_RandomEffectFiles;
    bool m_Playing = false;
    std::uint32_t m_RandomLoopTimerID = 0;
    std::uint32_t m_RandomEffectTimerID = 0;
    std::string m_CurrentRandomLoop;
    std::string m_CurrentRandomEffect;
};
