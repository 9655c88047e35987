#include "engine/ui/AmbientLoop.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/TimerManager.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Sound.h"
#include "engine/runtime/Utility.h"

#include <cstdlib>

namespace {

// An entry of a list of names; empty for anything but a string.
std::string NameOf(const LuaObject& value)
{
    return value.IsString() ? value.GetString() : std::string();
}

} // namespace

void AmbientLoopClassHook(Class* c)
{
    c->RegisterPropertySetter(PropertyAccessor::CreateMemberSetter(
        MemberSetter(&AmbientLoop::SetLoopFilesProperty), "loopFiles"));
    c->RegisterPropertySetter(PropertyAccessor::CreateMemberSetter(
        MemberSetter(&AmbientLoop::SetRandomLoopFilesProperty), "randomLoopFiles"));
    c->RegisterPropertySetter(PropertyAccessor::CreateMemberSetter(
        MemberSetter(&AmbientLoop::SetRandomEffectFilesProperty), "randomEffectFiles"));
    c->RegisterPropertySetter(
        PropertyAccessor::CreateMemberSetter(MemberSetter(&AmbientLoop::SetPlayingProperty), "playing"));
}

VELK_REGISTER_CLASS(AmbientLoop, "Actor", AmbientLoopClassHook, InstantiateObjectOfClass<AmbientLoop>);

AmbientLoop::AmbientLoop()
{
    LuaState state = ObjectLuaState();
    for (LuaObject* files : {&m_LoopFiles, &m_RandomLoopFiles, &m_RandomEffectFiles})
        files->AssignNewTable(state);
}

AmbientLoop::~AmbientLoop()
{
    StopOwnSounds();
    if (TimerManager* timers = TimerManager::GetInstance()) {
        try {
            timers->FreeTimer(m_RandomLoopTimerID);
            timers->FreeTimer(m_RandomEffectTimerID);
        } catch (...) {
            LogWrite("WARNING: AmbientLoop::~AmbientLoop: %s\n", CurrentExceptionMessage().c_str());
        }
    }
    m_RandomLoopTimerID = 0;
    m_RandomEffectTimerID = 0;
}

void AmbientLoop::StopOwnSounds() noexcept
{
    // Stopped already, or the names may be another loop's now.
    if (!m_Playing)
        return;
    m_Playing = false;
    try {
        RefreshLoops();
    } catch (...) {
        LogWrite("WARNING: AmbientLoop: couldn't stop the loops of %s\n", GetName().c_str());
    }
    for (const std::string* name : {&m_CurrentRandomLoop, &m_CurrentRandomEffect}) {
        try {
            if (!name->empty())
                Sound::Stop(*name);
        } catch (...) {
            LogWrite("WARNING: AmbientLoop: couldn't stop %s\n", name->c_str());
        }
    }
}

bool AmbientLoop::OnTimer(const EventRecord& event)
{
    const std::uint32_t timerID = TimerIDOfEvent(event);
    if (timerID != 0 && timerID == m_RandomLoopTimerID) {
        RefreshRandomLoop();
        return false;
    }
    if (timerID != 0 && timerID == m_RandomEffectTimerID) {
        RefreshRandomEffect();
        return false;
    }
    return Actor::OnTimer(event);
}

void AmbientLoop::SetPlayingProperty(const LuaObject& value)
{
    SetPlaying(ReadBooleanFromObject(value));
}

void AmbientLoop::SetPlaying(bool on)
{
    m_Playing = on;
    RefreshLoops();
    RefreshRandomLoop();
    RefreshRandomEffect();
}

void AmbientLoop::SetLoopFiles(const LuaObject& files)
{
    m_LoopFiles = files;
    RefreshLoops();
}

void AmbientLoop::SetRandomLoopFiles(const LuaObject& files)
{
    m_RandomLoopFiles = files;
    RefreshRandomLoop();
}

void AmbientLoop::SetRandomEffectFiles(const LuaObject& files)
{
    m_RandomEffectFiles = files;
    RefreshRandomEffect();
}

void AmbientLoop::PlayLoop(const std::string& name)
{
    if (name.empty())
        return;
    Sound::Stop(name);
    if (m_Playing)
        Sound::Play(name, true);
}

void AmbientLoop::RefreshLoops()
{
    if (m_LoopFiles.IsString()) {
        PlayLoop(m_LoopFiles.GetString());
        return;
    }
    if (!m_LoopFiles.IsTable())
        return;
    for (LuaTableIterator it(m_LoopFiles); it; it.Next())
        PlayLoop(NameOf(it.GetValue()));
}

void AmbientLoop::RestartTimer(std::uint32_t& timerID, int lo, int hi)
{
    TimerManager* timers = TimerManager::GetInstance();
    VELK_ASSERT(timers != 0);
    timers->FreeTimer(timerID);
    timerID = 0;
    timerID = timers->CreateTimer(this, static_cast<std::uint32_t>(RandomIntInRange(lo, hi)), 1, TIMER_REAL_TIME,
                                  "default");
}

void AmbientLoop::RefreshRandomLoop()
{
    if (!m_Playing) {
        if (!m_CurrentRandomLoop.empty())
            Sound::Stop(m_CurrentRandomLoop);
        if (TimerManager* timers = TimerManager::GetInstance())
            timers->ResetTimer(m_RandomLoopTimerID);
        return;
    }
    const bool single = m_RandomLoopFiles.IsString();
    const int count = single || !m_RandomLoopFiles.IsTable() ? 0 : m_RandomLoopFiles.GetN();
    if (!single && count == 0)
        return;
    const std::string picked = single ? m_RandomLoopFiles.GetString()
                                      : NameOf(m_RandomLoopFiles.GetByIndex(std::rand() % count + 1));
    // One random loop at a time: the one picked takes the place of the last.
    if (!m_CurrentRandomLoop.empty() && m_CurrentRandomLoop != picked)
        Sound::Stop(m_CurrentRandomLoop);
    m_CurrentRandomLoop = picked;
    PlayLoop(m_CurrentRandomLoop);
    if (!single)
        RestartTimer(m_RandomLoopTimerID, 8000, 10000);
}

void AmbientLoop::RefreshRandomEffect()
{
    if (!m_Playing) {
        if (!m_CurrentRandomEffect.empty())
            Sound::Stop(m_CurrentRandomEffect);
        if (TimerManager* timers = TimerManager::GetInstance())
            timers->ResetTimer(m_RandomEffectTimerID);
        return;
    }
    if (m_RandomEffectFiles.IsString()) {
        m_CurrentRandomEffect = m_RandomEffectFiles.GetString();
        PlayLoop(m_CurrentRandomEffect);
        return;
    }
    const int count = m_RandomEffectFiles.IsTable() ? m_RandomEffectFiles.GetN() : 0;
    if (count == 0)
        return;
    m_CurrentRandomEffect = NameOf(m_RandomEffectFiles.GetByIndex(std::rand() % count + 1));
    if (!m_CurrentRandomEffect.empty())
        Sound::Play(m_CurrentRandomEffect, false);
    RestartTimer(m_RandomEffectTimerID, 8000, 12000);
}
