#include "engine/runtime/Sound.h"

#include "engine/core/Config.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/PerformanceCounters.h"
#include "engine/runtime/ResourceManager.h"
#include "engine/runtime/Utility.h"
#include "platform/audio/Audio.h"

#include <lua.hpp>

#include <climits>
#include <cmath>
#include <memory>
#include <utility>

namespace {

struct ErrorText
{
    int code;
    const char* name;
    const char* description;
};

const ErrorText kErrorTexts[] = {
    {-1, "BASS_ERROR_UNKNOWN", "Some other mystery problem!"},
    {1, "BASS_ERROR_MEM", "There is insufficent memory."},
    {2, "BASS_ERROR_FILEOPEN", "The file could not be opened."},
    {3, "BASS_ERROR_DRIVER", "There is no available device driver... the device may already be in use."},
    {4, "BASS_ERROR_BUFLOST", "Should not happen... check that a valid window handle was used with BASS_Init."},
    {5, "BASS_ERROR_HANDLE", "handle is not a valid sample handle."},
    {6, "BASS_ERROR_FORMAT", "The sample format is not supported by the device/drivers."},
    {7, "BASS_ERROR_POSITION", "The start position is beyond the end of the sample."},
    {8, "BASS_ERROR_INIT", "BASS_Init has not been successfully called."},
    {9, "BASS_ERROR_START", "The output is paused/stopped, use BASS_Start to start it."},
    {14, "BASS_ERROR_ALREADY",
     "The device has already been initialized. You must call BASS_Free before you can initialize it again."},
    {18, "BASS_ERROR_NOCHAN",
     "The sample has no free channel on which to be played... the maximum number of simultaneous playbacks has "
     "been reached, and no BASS_SAMPLE_OVER flag was specfied for the sample."},
    {20, "BASS_ERROR_ILLPARAM", "max and/or length is invalid. The length must be specified when loading from memory."},
    {21, "BASS_ERROR_NO3D", "Couldn't initialize 3D support for the sample."},
    {23, "BASS_ERROR_DEVICE", "The device number specified is invalid."},
    {25, "BASS_ERROR_FREQ", "freq is out of range... DirectSound only allows sample rates between 100 and 100000."},
    {29, "BASS_ERROR_NOHW",
     "No hardware voices are available... this only occurs if the sample was loaded or created with the "
     "BASS_SAMPLE_VAM flag, and BASS_VAM_HARDWARE is set in the sample's VAM mode, and there are no hardware voices "
     "available to play it. "},
    {37, "BASS_ERROR_NOTAVAIL", "Sample functions are not available when using the \"no sound\" device."},
    {41, "BASS_ERROR_FILEFORM", "The file's format is not recognised/supported."},
};

const ErrorText* FindErrorText(int code)
{
    for (const ErrorText& text : kErrorTexts)
        if (text.code == code)
            return &text;
    return nullptr;
}

const char* LastErrorName()
{
    return GetBASSErrorName(Audio::ErrorGetCode());
}

const char* LastErrorDescription()
{
    return GetBASSErrorDescription(Audio::ErrorGetCode());
}

// The setting, when it is a number.
bool ConfigNumber(const char* key, double& value)
{
    Config* config = GetConfig();
    if (!config)
        return false;
    LuaObject setting = config->GetLuaValue(key);
    if (!setting.IsNumber())
        return false;
    value = setting.GetNumber();
    return true;
}

// Truncates towards zero; numbers past the int range stop at its ends.
int TruncatedInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= INT_MIN)
        return INT_MIN;
    if (value >= INT_MAX)
        return INT_MAX;
    return static_cast<int>(value);
}

// A player's sound name can be missing or its file broken: that is logged
// and the game goes on without the sound.
void WarnSoundSkipped(const char* action, const std::string& name, const Exception& e)
{
    LogWrite("WARNING: Couldn't %s sound \"%s\": %s\n", action, name.c_str(), e.GetMessage().c_str());
}

Sound* FindSoundOrWarn(const std::string& name, const char* action)
{
    try {
        return Sound::GetSound(name);
    } catch (const ResourceNotFoundException& e) {
        WarnSoundSkipped(action, name, e);
    } catch (const ResourceLoadError& e) {
        WarnSoundSkipped(action, name, e);
    }
    return nullptr;
}

} // namespace

const char* GetBASSErrorName(int code)
{
    const ErrorText* text = FindErrorText(code);
    return text ? text->name : "UNKNOWN_ERROR";
}

const char* GetBASSErrorDescription(int code)
{
    const ErrorText* text = FindErrorText(code);
    return text ? text->description : "UNKNOWN ERROR!";
}

// ---------------------------------------------------------------- SoundConfigHelper

SoundConfigHelper::~SoundConfigHelper()
{
    try {
        if (Config* config = GetConfig())
            config->ForgetObserver(this);
    } catch (...) {
        LogWrite("WARNING: ~SoundConfigHelper: %s\n", CurrentExceptionMessage().c_str());
    }
}

bool SoundConfigHelper::OnConfigUpdate(const EventRecord& event)
{
    const auto* data = static_cast<const LuaObject*>(event.user.data1);
    if (!data || !data->IsTable())
        return false;
    const LuaObject key = (*data)["key"];
    if (!key.IsString())
        return false;
    const std::string name = key.GetString();
    const bool music = name == "music_volume";
    if (!music && name != "sfx_volume")
        return false;
    // The settings file is the player's: a bad value must not stop the game.
    const LuaObject value = (*data)["value"];
    if (!value.IsNumber()) {
        LogWrite("WARNING: The setting %s is not a number; the volume stays as it was.\n", name.c_str());
        return true;
    }
    int volume = TruncatedInt(value.GetNumber());
    if (volume < 0 || volume > 100) {
        LogWrite("WARNING: The setting %s = %d is outside 0 to 100; using %d.\n", name.c_str(), volume,
                 volume < 0 ? 0 : 100);
        volume = volume < 0 ? 0 : 100;
    }
    if (music)
        Sound::SetMusicVolume(static_cast<unsigned int>(volume));
    else
        Sound::SetSFXVolume(static_cast<unsigned int>(volume));
    return true;
}

// ---------------------------------------------------------------- the sound resource

bool Sound::s_Active = false;
bool Sound::s_Paused = false;
int Sound::s_SavedMusicVolume = 0;
std::uint32_t Sound::s_DirectSoundVersion = 0;
MusicPlayerLink* Sound::s_DirectMusic = nullptr;
SoundConfigHelper* Sound::s_ConfigHelper = nullptr;

Sound::Sound(const std::string& name, std::uint32_t sample, std::uint32_t stream)
    : m_Sample(sample), m_Stream(stream), m_Name(name)
{
    double range = 0.0;
    if (ConfigNumber("soundDoNotPlayAgainRange", range))
        m_DoNotPlayAgainRange = static_cast<float>(range);
}

Sound::~Sound()
{
    AddMemoryUsage(-m_CountedMemory, "Sound");
    if (m_Sample)
        Audio::SampleFree(m_Sample);
    if (m_Stream)
        Audio::StreamFree(m_Stream);
}

std::uint32_t Sound::PlaySoundA(bool loop)
{
    return m_Stream ? PlayStream(loop) : PlaySample(loop);
}

std::uint32_t Sound::PlayStream(bool loop)
{
    const std::uint32_t state = Audio::ChannelIsActive(m_Stream);
    if (state == 0)
        Audio::ChannelSetPosition(m_Stream, 0);
    else if (state > 3)
        VELK_ASSERT_MSG(false, (boost::format("Unknown return value from BASS_ChannelIsActive: %1%") % state).str());

    double musicVolume = 0.0;
    if (ConfigNumber("music_volume", musicVolume) && musicVolume == 0.0)
        return 0;
    if (loop && !Audio::ChannelSetFlags(m_Stream, Audio::SAMPLE_LOOP))
        VELK_THROW(SoundControlException,
                   (boost::format("Couldn't BASS_ChannelSetFlags stream, name=%1%, handle=%2%, %3%, %4%") % m_Name %
                    m_Stream % LastErrorName() % LastErrorDescription())
                       .str());
    if (!Audio::ChannelPlay(m_Stream, false))
        VELK_THROW(SoundControlException, (boost::format("Couldn't play stream, name=%1%, handle=%2%, %3%, %4%") %
                                           m_Name % m_Stream % LastErrorName() % LastErrorDescription())
                                              .str());
    return 1;
}

std::uint32_t Sound::PlaySample(bool loop)
{
    double sfxVolume = 0.0;
    if (ConfigNumber("sfx_volume", sfxVolume) && sfxVolume == 0.0)
        return 0;
    const char* name = m_Name.c_str();
    Log(3, "%s:CHECKING\n", name);
    if (m_Channel != 0 && Audio::ChannelIsActive(m_Channel) == Audio::ACTIVE_PLAYING) {
        Log(3, "%s:ISPLAYING\n", name);
        const std::uint64_t position = Audio::ChannelGetPosition(m_Channel);
        if (position == Audio::kFailedPosition)
            Log(1, "Couldn't get position of  sound: %s, %s, %s\n", name, LastErrorName(), LastErrorDescription());
        if (static_cast<double>(position) < static_cast<double>(m_DoNotPlayAgainRange)) {
            Log(3, "%s:REPEAT NOTPLAYED\n", name);
            return m_Channel;
        }
    } else {
        Log(3, "%s:NOT PLAYING YET\n", name);
    }

    m_Channel = Audio::SampleGetChannel(m_Sample);
    if (m_Channel == 0) {
        // Every playback the sample allows is busy: quietly none more.
        if (Audio::ErrorGetCode() == Audio::ERROR_NOCHAN)
            return 0;
        Log(1, "Couldn't BASS_SampleGetChannel: %s, %s, %s\n", name, LastErrorName(), LastErrorDescription());
        return 0;
    }
    if (PerformanceCounterManager* counters = PerformanceCounterManager::GetInstance())
        counters->AddToIntCounter("Sounds Played", 1);
    Log(3, "%s:FIRST PLAY\n", name);
    if (!Audio::ChannelSetAttributes(m_Channel, -1, m_Volume, m_Pan)) {
        Log(1, "Couldn't BASS_ChannelSetAttributes sample: %s, %s, %s\n", name, LastErrorName(), LastErrorDescription());
        return 0;
    }
    if (loop && !Audio::ChannelSetFlags(m_Channel, Audio::SAMPLE_LOOP)) {
        Log(1, "Couldn't BASS_ChannelSetFlags sample: %s, %s, %s\n", name, LastErrorName(), LastErrorDescription());
        return 0;
    }
    if (!Audio::ChannelPlay(m_Channel, true)) {
        Log(1, "Couldn't BASS_ChannelPlay sample: %s, %s, %s\n", name, LastErrorName(), LastErrorDescription());
        return 0;
    }
    return m_Channel;
}

bool Sound::StopSound()
{
    const bool stopped = m_Stream ? Audio::ChannelStop(m_Stream) : Audio::SampleStop(m_Sample);
    if (!stopped)
        VELK_THROW(SoundControlException, (boost::format("Couldn't stop sound, handle=%1%, %2%, %3%") % m_Sample %
                                           LastErrorName() % LastErrorDescription())
                                              .str());
    return true;
}

void Sound::SetVolume(int volume)
{
    m_Volume = volume;
    if (m_Sample)
        Audio::ChannelSetAttributes(m_Channel, -1, volume, -101);
}

bool Sound::IsPlaying() const
{
    return s_Active && m_Channel != 0 && Audio::ChannelIsActive(m_Channel) == Audio::ACTIVE_PLAYING;
}

std::size_t Sound::CalcMemoryUsage(bool)
{
    if (m_Stream) {
        const auto size = static_cast<std::int64_t>(Audio::ChannelGetLength(m_Stream));
        VELK_ASSERT_MSG(size != -1, (boost::format("A stream's size could not be calculated:\nname = %1%\nerror = %2%, %3%") %
                                     m_Name % LastErrorName() % LastErrorDescription())
                                        .str());
        return static_cast<std::size_t>(size);
    }
    Audio::SampleInfo info;
    const bool result = Audio::SampleGetInfo(m_Sample, info);
    VELK_ASSERT_MSG(result, (boost::format("A sample's size could not be calculated:\nname = %1%\nerror = %2%, %3%") %
                             m_Name % LastErrorName() % LastErrorDescription())
                                .str());
    return (info.flags & Audio::SAMPLE_8BITS) ? info.length : std::size_t{info.length} * 2;
}

// ---------------------------------------------------------------- the process-wide state

void Sound::Init()
{
    Application* app = Application::GetInstance();
    Init(app && app->RetrieveBoolProperty("enableSound", false));
}

void Sound::Init(bool enableSound)
{
    s_Active = false;
    s_Paused = false;

    int devCount = 0;
    for (const char* description; (description = Audio::GetDeviceDescription(static_cast<std::uint32_t>(devCount)));
         ++devCount)
        LogWrite("Audio Device %d: %s\n", devCount, description);
    VELK_ASSERT_MSG(devCount >= 1, "No audio devices were found, including the \"no sound\" device");
    if (devCount == 1) {
        LogWrite("No real audio devices were found.  All sounds are being disabled.\n");
        return;
    }
    if (!enableSound) {
        LogWrite("Audio was disabled via the command line or a startup script.  Cancelling audio initialization.\n");
        return;
    }

    static const std::pair<std::uint32_t, std::uint32_t> kFormats[] = {
        {22050, 0}, {44100, 0}, {44100, 1}, {44100, 2}, {44100, 3}, {22050, 1}, {22050, 2}, {22050, 3},
    };
    int device = 0;
    std::pair<std::uint32_t, std::uint32_t> format;
    for (int d = 1; d < devCount && device == 0; ++d) {
        for (const auto& candidate : kFormats) {
            if (Audio::Init(d, candidate.first, candidate.second)) {
                device = d;
                format = candidate;
                break;
            }
            LogWriteString((boost::format("WARNING: Couldn't initialize BASS, device=%1%, freq=%2%, flags=%3%, "
                                          "error={%4%: %5%}\n") %
                            d % candidate.first % candidate.second % LastErrorName() % LastErrorDescription())
                               .str());
        }
    }
    if (device == 0) {
        LogWrite("Could not initialize audio!\n");
        return;
    }

    s_Active = true;
    LogWrite("Audio initialized: device=%d, freq=%u, flags=%u\n", device, format.first, format.second);

    if (Config* config = GetConfig()) {
        if (!s_ConfigHelper)
            s_ConfigHelper = new SoundConfigHelper();
        config->AttachObserver(s_ConfigHelper, "music_volume");
        config->AttachObserver(s_ConfigHelper, "sfx_volume");
    }

    Audio::Info info;
    Audio::GetInfo(info);
    if (info.flags & 0x20)
        LogWrite("Audio initialized: device does NOT have DirectSound support\n");
    LogWrite("BASS_INFO: flags: %u\n", info.flags);
    LogWrite("BASS_INFO: hwsize: %u\n", info.hwsize);
    LogWrite("BASS_INFO: hwfree: %u\n", info.hwfree);
    LogWrite("BASS_INFO: free3d: %u\n", info.free3d);
    LogWrite("BASS_INFO: minrate: %u\n", info.minrate);
    LogWrite("BASS_INFO: maxrate: %u\n", info.maxrate);
    LogWrite("BASS_INFO: eax: %u\n", info.eax);
    LogWrite("BASS_INFO: minbuf: %u\n", info.minbuf);
    LogWrite("BASS_INFO: dsver: %u\n", info.dsver);
    LogWrite("BASS_INFO: latency: %u\n", info.latency);
    LogWrite("BASS_INFO: speakers: %u\n", info.speakers);
    LogWrite("BASS_INFO: driver: %s\n", info.driver);
    s_DirectSoundVersion = info.dsver;

    // Channels may be started while the output is paused.
    Audio::SetConfig(Audio::CONFIG_PAUSE_NOPLAY, 0);
}

void Sound::InitDirectMusic()
{
    Application* app = Application::GetInstance();
    InitDirectMusic(app && app->RetrieveBoolProperty("enableMusic", false));
}

void Sound::InitDirectMusic(bool enableMusic)
{
    Log(3, "Sound::InitDirectMusic\n");
    if (!s_Active || !enableMusic) {
        LogWrite("Sound::InitDirectMusic Sound System Not Active\n");
        return;
    }
    if (!s_DirectMusic)
        return;
    s_DirectMusic->Init();
    if (s_DirectMusic->IsActive())
        s_DirectMusic->SetMasterVolume(-1000);
}

void Sound::Quit()
{
    Log(3, "Sound::Quit Active: %d\n", s_Active ? 1 : 0);
    if (!s_Active) {
        // Nothing was started; the music player is only let go.
        SetDirectMusic(nullptr);
        return;
    }
    // The music plays on the device: it goes first.
    Log(3, "Sound::Quit SAFE_DELETE s_DirectMusic\n");
    SetDirectMusic(nullptr);
    Log(3, "Sound::BASS_Free\n");
    Audio::Free();
    Log(3, "Sound::Quit SAFE_DELETE s_ConfigHelper\n");
    delete s_ConfigHelper;
    s_ConfigHelper = nullptr;
    Log(3, "Sound::Quit Finished\n");
}

void Sound::Pause()
{
    if (!s_Active)
        return;
    Audio::Pause();
    // A second pause must not take the muted level for the one to restore.
    if (!s_Paused) {
        s_SavedMusicVolume = s_DirectMusic ? s_DirectMusic->GetMasterVolume() : 0;
        if (s_DirectMusic && s_DirectMusic->IsActive())
            s_DirectMusic->SetMasterVolume(-20000);
    }
    s_Paused = true;
}

void Sound::Resume()
{
    if (!s_Active)
        return;
    Audio::Start();
    if (s_Paused) {
        if (s_DirectMusic && s_DirectMusic->IsActive())
            s_DirectMusic->SetMasterVolume(s_SavedMusicVolume);
        s_Paused = false;
    } else {
        SetDirectMusicLevel(GetMusicVolume());
    }
}

Sound* Sound::GetSound(const std::string& name)
{
    VELK_ASSERT_MSG(Sound::IsActive() == true, "Sounds cannot be retrieved when the audio subsystem has been disabled.");
    Resource* data = RequireResourceCatalog().AcquireResource(name.c_str(), nullptr);
    VELK_ASSERT(dynamic_cast<Sound *>(data) != 0);
    return static_cast<Sound*>(data);
}

Sound* Sound::FindLoadedSound(const std::string& name)
{
    Resource* data = RequireResourceCatalog().FindLoadedResource(name.c_str());
    VELK_ASSERT(data == 0 || dynamic_cast<Sound *>(data) != 0);
    return static_cast<Sound*>(data);
}

std::uint32_t Sound::Play(const std::string& name, bool loop)
{
    if (!s_Active || name.empty())
        return 0;
    Sound* sound = FindSoundOrWarn(name, "play");
    return sound ? sound->PlaySoundA(loop) : 0;
}

bool Sound::Stop(const std::string& name)
{
    if (!s_Active)
        return false;
    Sound* sound = nullptr;
    try {
        sound = FindLoadedSound(name);
    } catch (const ResourceNotFoundException& e) {
        WarnSoundSkipped("stop", name, e);
        return false;
    }
    // A sound never loaded has nothing playing: it is not decoded only to be stopped.
    return sound ? sound->StopSound() : true;
}

void Sound::StopChannel(std::uint32_t channel)
{
    if (!s_Active || channel == 0)
        return;
    // A channel that already ended may have been reused or freed.
    if (!Audio::ChannelStop(channel) && Audio::ErrorGetCode() != Audio::ERROR_HANDLE)
        VELK_THROW(SoundControlException, (boost::format("Couldn't stop channel, handle=%1%, %2%, %3%") % channel %
                                           LastErrorName() % LastErrorDescription())
                                              .str());
}

unsigned int Sound::GetMusicVolume()
{
    if (!s_Active)
        return 0;
    const std::uint32_t volume = Audio::GetConfig(Audio::CONFIG_GVOL_STREAM);
    if (volume == Audio::kFailed)
        VELK_THROW(Exception, (boost::format("Couldn't get music volume: %1%, \"%2%\"") % LastErrorName() %
                               LastErrorDescription())
                                  .str());
    return volume;
}

void Sound::SetMusicVolume(unsigned int volume)
{
    if (!s_Active)
        return;
    VELK_ASSERT(volume <= 100);
    if (Audio::SetConfig(Audio::CONFIG_GVOL_STREAM, volume) == Audio::kFailed)
        VELK_THROW(Exception, (boost::format("Couldn't set music volume to %1%: %2%, \"%3%\"") % volume %
                               LastErrorName() % LastErrorDescription())
                                  .str());
    SetDirectMusicLevel(volume);
}

void Sound::SetSFXVolume(unsigned int volume)
{
    if (!s_Active)
        return;
    VELK_ASSERT(volume <= 100);
    if (Audio::SetConfig(Audio::CONFIG_GVOL_SAMPLE, volume) == Audio::kFailed)
        VELK_THROW(Exception, (boost::format("Couldn't set sfx volume to %1%: %2%, \"%3%\"") % volume %
                               LastErrorName() % LastErrorDescription())
                                  .str());
}

void Sound::SetDirectMusicLevel(unsigned int volume)
{
    if (!s_DirectMusic || !s_DirectMusic->IsActive())
        return;
    const int level = volume == 0 ? -20000 : static_cast<int>(volume) * 22 - 2000;
    // While paused the music stays muted; Resume brings the new level.
    if (s_Paused)
        s_SavedMusicVolume = level;
    else
        s_DirectMusic->SetMasterVolume(level);
}

void Sound::SetDirectMusic(MusicPlayerLink* music)
{
    if (music == s_DirectMusic)
        return;
    delete s_DirectMusic;
    s_DirectMusic = music;
}

// ---------------------------------------------------------------- the loader

bool BASSSoundLoader::CanLoad(const ResourceInfo& info) const
{
    const std::string& location = info.GetLocation();
    return Sound::IsActive() && location.size() >= 5 &&
           (EndsWith(location, ".ogg") || EndsWith(location, ".mp3") || EndsWith(location, ".wav"));
}

void BASSSoundLoader::LoadResource(FileReader* reader, ResourceInfo& info)
{
    const std::string& location = info.GetLocation();
    VELK_ASSERT(reader != 0);
    const std::string name = location.substr(location.rfind('/') + 1);
    const char* bytes = nullptr;
    std::size_t size = 0;
    reader->Read(location, bytes, size);

    bool stream = false;
    std::uint32_t maxSamples = 65535;
    const LuaObject& metadata = info.GetMetadata();
    if (metadata.IsTable()) {
        const LuaObject streamValue = metadata["stream"];
        if (streamValue.IsBoolean())
            stream = streamValue.GetBoolean();
        const LuaObject maxValue = metadata["maxSamples"];
        if (maxValue.IsNumber()) {
            // Out of range is refused by the audio library with its own message.
            const int max = TruncatedInt(maxValue.GetNumber());
            maxSamples = max > 0 ? static_cast<std::uint32_t>(max) : 0;
        }
    }

    std::uint32_t sample = 0;
    std::uint32_t streamHandle = 0;
    if (stream)
        streamHandle = Audio::StreamCreate(bytes, size, Audio::SAMPLE_SOFTWARE);
    else
        sample = Audio::SampleLoad(bytes, size, maxSamples, Audio::SAMPLE_SOFTWARE);
    // The sound holds its decoded data; the file's bytes are no longer needed.
    reader->Close();
    if (stream && !streamHandle)
        VELK_THROW(ResourceLoadError, (boost::format("Couldn't load stream \"%1%\", %2%, \"%3%\"") % name %
                                       LastErrorName() % LastErrorDescription())
                                          .str());
    if (!stream && !sample)
        VELK_THROW(ResourceLoadError, (boost::format("Couldn't load sample \"%1%\", %2%, \"%3%\"") % name %
                                       LastErrorName() % LastErrorDescription())
                                          .str());

    auto sound = std::make_unique<Sound>(name, sample, streamHandle);
    const auto usage = static_cast<std::int32_t>(sound->CalcMemoryUsage(false));
    AddMemoryUsage(usage, "Sound");
    sound->m_CountedMemory = usage;
    if (metadata.IsTable()) {
        const LuaObject volume = metadata["volume"];
        if (volume.IsNumber())
            sound->SetVolume(TruncatedInt(volume.GetNumber()));
        const LuaObject pan = metadata["pan"];
        if (pan.IsNumber())
            sound->SetPan(TruncatedInt(pan.GetNumber()));
    }
    info.SetResource(sound.release());
    info.SetType(RESOURCE_SOUND);
}

// ---------------------------------------------------------------- script functions

namespace {

// PlaySound(name, [loop])
int Script_PlaySound(lua_State* L)
{
    if (lua_type(L, 1) != LUA_TSTRING)
        return 0;
    const bool loop = lua_type(L, 2) == LUA_TBOOLEAN && lua_toboolean(L, 2) != 0;
    Sound::Play(lua_tostring(L, 1), loop);
    return 0;
}

// IsPlaying(name, [flag]) -> boolean; the flag is accepted and not used.
int Script_IsPlaying(lua_State* L)
{
    if (lua_type(L, 1) != LUA_TSTRING)
        return 0;
    const std::string name = lua_tostring(L, 1);
    bool playing = false;
    if (Sound::IsActive() && !name.empty()) {
        try {
            const Sound* sound = Sound::FindLoadedSound(name);
            playing = sound && sound->IsPlaying();
        } catch (const ResourceNotFoundException&) {
        }
    }
    lua_pushboolean(L, playing);
    return 1;
}

ScriptFunctionRegistration s_PlaySound(Script_PlaySound, "PlaySound");
ScriptFunctionRegistration s_IsPlaying(Script_IsPlaying, "IsPlaying");

} // namespace
