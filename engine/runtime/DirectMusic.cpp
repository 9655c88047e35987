#include "engine/runtime/DirectMusic.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/runtime/MusicSegment.h"

#include <lua.hpp>

namespace {

// The player that plays, if any.
DirectMusic* s_Instance = nullptr;

// The named music resource, or null with the reason in the log.
MusicSegment* FindSegment(const char* caller, const std::string& name)
{
    try {
        return MusicSegment::GetSegment(name);
    } catch (const Exception& e) {
        Log(1, "%s Couldn't get music %s\n>>>>>>%s\n", caller, name.c_str(), e.GetMessage().c_str());
        return nullptr;
    }
}

void LogFailure(const char* message, const MusicStatus& status)
{
    Log(1, "%s\n>>>>>>%s\n>>>>>>%s\n", message, status.GetName(), status.GetDescription().c_str());
}

} // namespace

// ---------------------------------------------------------------------------

MusicManager::MusicManager(std::unique_ptr<MusicOutput> output) : m_Performance(std::move(output))
{
    LogWrite("MusicManager: Construct\n");
}

MusicManager::~MusicManager() = default;

MusicStatus MusicManager::Initialize()
{
    Log(3, "MusicManager: Initialize\n");
    Log(3, "MusicManager: m_pPerformance->Init()\n");
    MusicStatus status = m_Performance.Init();
    if (status.code == MUSIC_E_NOAUDIO)
        LogFailure("MusicManager: Warning: No sound card found", status);
    else if (!status.Ok())
        LogFailure("MusicManager: Init Failed", status);
    return status;
}

void MusicManager::SetMasterTempo(float factor)
{
    if (DirectMusic* music = DirectMusic::GetInstance())
        music->SetMasterTempo(factor);
}

// ---------------------------------------------------------------------------

DirectMusic::DirectMusic(std::unique_ptr<MusicOutput> output) : m_Output(std::move(output))
{
    s_Instance = this;
}

DirectMusic::~DirectMusic()
{
    m_Active = false;
    m_MusicManager.reset();
    if (s_Instance == this)
        s_Instance = nullptr;
}

DirectMusic* DirectMusic::GetInstance()
{
    return s_Instance;
}

bool DirectMusic::IsMusicActive()
{
    return s_Instance && s_Instance->IsActive();
}

void DirectMusic::Init()
{
    if (m_Active)
        return;
    LogWrite("DirectMusic: Init\n");
    if (!m_MusicManager)
        m_MusicManager = std::make_unique<MusicManager>(m_Output ? std::move(m_Output) : CreateSynthMusicOutput());
    MusicStatus status = m_MusicManager->Initialize();
    if (!status.Ok()) {
        LogFailure("m_MusicManager->Initialize Failed", status);
        return;
    }
    m_Active = true;
    SetMasterVolume(-1000);
}

void DirectMusic::PlayMidi(const std::string& file, const std::string& part, bool loop)
{
    if (!m_Active)
        return;
    const std::string last = m_CurrentPiece;
    const bool same = file == m_CurrentPiece && part == m_CurrentPart;
    if (!same)
        StopMidi("");
    Log(3, "DirectMusic::PlayMidi %s %s last=%s\n", file.c_str(), part.c_str(), last.c_str());
    // An empty name only stops the music.
    if (file.empty())
        return;
    // The same part keeps playing undisturbed; once it is over it may start again.
    if (same && m_MusicManager->GetPerformance().IsPlaying())
        return;
    // A name that names no music is not kept, or every later call would stop
    // it and log it again.
    MusicSegment* segment = FindSegment("DirectMusic::PlayMidi", file);
    if (!segment)
        return;
    m_CurrentPiece = file;
    m_CurrentPart = part;
    m_Loop = loop;
    uint32_t startTick = 0;
    uint32_t endTick = 0;
    if (!segment->GetPart(part, startTick, endTick)) {
        Log(1, "DirectMusic::PlayMidi %s has no part %s\n", file.c_str(), part.c_str());
        return;
    }
    segment->Play(startTick, endTick, loop);
}

void DirectMusic::StopMidi(const std::string& file)
{
    if (!m_Active)
        return;
    const std::string name = file.empty() ? m_CurrentPiece : file;
    if (name.empty())
        return;
    MusicSegment* segment = FindSegment("DirectMusic::StopMidi", name);
    if (!segment)
        return;
    segment->Stop();
    m_CurrentPiece.clear();
    m_CurrentPart.clear();
    m_Loop = false;
}

void DirectMusic::Update(uint32_t now)
{
    if (!m_Active)
        return;
    MusicStatus status = m_MusicManager->GetPerformance().Update(now);
    if (!status.Ok())
        Log(1, "MusicSegment::Play - Couldn't Play%s\n>>>>>>%s\n>>>>>>%s\n", m_CurrentPiece.c_str(),
            status.GetName(), status.GetDescription().c_str());
}

void DirectMusic::SetMasterVolume(int volume)
{
    if (!m_Active)
        return;
    MusicStatus status = m_MusicManager->GetPerformance().SetMasterVolume(volume);
    if (!status.Ok())
        Log(1, "pPerf->SetGlobalParam GUID_PerfMasterVolume %d Failed\n>>>>>>%s\n>>>>>>%s\n", volume,
            status.GetName(), status.GetDescription().c_str());
}

int DirectMusic::GetMasterVolume()
{
    if (!m_Active)
        return 0;
    return m_MusicManager->GetPerformance().GetMasterVolume();
}

void DirectMusic::SetMasterTempo(float factor)
{
    if (!m_Active)
        return;
    MusicStatus status = m_MusicManager->GetPerformance().SetMasterTempo(factor);
    if (!status.Ok())
        Log(1, "pPerf->SetGlobalParam GUID_PerfMasterTempo %f Failed\n>>>>>>%s\n>>>>>>%s\n", factor,
            status.GetName(), status.GetDescription().c_str());
}

// ---------------------------------------------------------------------------
// Script functions

namespace {

bool IsString(lua_State* L, int index)
{
    return lua_type(L, index) == LUA_TSTRING;
}

// PlayMidi(file, part, loop): loop only when it is a boolean.
int Script_PlayMidi(lua_State* L)
{
    if (!IsString(L, 1) || !IsString(L, 2))
        return 0;
    const bool loop = lua_isboolean(L, 3) && lua_toboolean(L, 3);
    if (DirectMusic* music = DirectMusic::GetInstance())
        music->PlayMidi(lua_tostring(L, 1), lua_tostring(L, 2), loop);
    return 0;
}

int Script_LoopMidi(lua_State* L)
{
    DirectMusic* music = DirectMusic::GetInstance();
    if (music && IsString(L, 1) && IsString(L, 2))
        music->LoopMidi(lua_tostring(L, 1), lua_tostring(L, 2));
    return 0;
}

int Script_StopMidi(lua_State* L)
{
    DirectMusic* music = DirectMusic::GetInstance();
    if (music && IsString(L, 1))
        music->StopMidi(lua_tostring(L, 1));
    return 0;
}

ScriptFunctionRegistration s_PlayMidi(Script_PlayMidi, "PlayMidi");
ScriptFunctionRegistration s_LoopMidi(Script_LoopMidi, "LoopMidi");
ScriptFunctionRegistration s_StopMidi(Script_StopMidi, "StopMidi");

} // namespace
