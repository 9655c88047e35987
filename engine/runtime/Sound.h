#pragma once

#include "engine/core/Object.h"
#include "engine/runtime/Resource.h"

#include <cstddef>
#include <cstdint>
#include <string>

// "BASS_ERROR_MEM" and so on, and its sentence; "UNKNOWN_ERROR" and
// "UNKNOWN ERROR!" for a code not listed. Every audio failure message carries both.
const char* GetBASSErrorName(int code);
const char* GetBASSErrorDescription(int code);

// What the sound system needs of the music player: starting it on the device
// that the sound system opened, and its master volume for the music volume and
// for pausing. The music player lives with the music code and implements this.
class MusicPlayerLink
{
public:
    virtual ~MusicPlayerLink() = default;
    // Starts the music; sets its own active flag when it could.
    virtual void Init() = 0;
    virtual bool IsActive() const = 0;
    // Hundredths of a decibel; 0 while music is not active.
    virtual int GetMasterVolume() = 0;
    virtual void SetMasterVolume(int volume) = 0;
};

// Told by the configuration when "music_volume" or "sfx_volume" changes.
class SoundConfigHelper : public Object
{
public:
    // Leaves the configuration's observer lists.
    ~SoundConfigHelper() override;
    bool OnConfigUpdate(const EventRecord& event) override;
};

// The engine's audio: the process-wide output (start-up, pause, the music and
// effects volumes) and the sound resource, one sound file held either as a
// sample (short effects, several plays at once) or as a stream (long files, one
// play at a time). The game plays sounds by file name with Sound::Play.
class Sound : public Resource
{
public:
    // Owns the handle; exactly one of sample and stream is non-zero.
    Sound(const std::string& name, std::uint32_t sample, std::uint32_t stream);
    ~Sound() override;
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    // A sample: the channel it plays on, the channel still playing when it is
    // within the do-not-play-again range, or 0 (never throws). A stream: 1, or
    // 0 while the music volume is 0; failures throw SoundControlException.
    std::uint32_t PlaySoundA(bool loop);
    bool StopSound();
    // 0..100, or -1 to leave the channel's volume alone.
    void SetVolume(int volume);
    // -100..100, or -101 to leave the channel's pan alone.
    void SetPan(int pan) { m_Pan = pan; }
    std::size_t CalcMemoryUsage(bool force) override;
    // Whether the sample's most recent channel is playing; a stream never is.
    bool IsPlaying() const;

    const std::string& GetName() const { return m_Name; }
    std::uint32_t GetSampleHandle() const { return m_Sample; }
    std::uint32_t GetStreamHandle() const { return m_Stream; }
    std::uint32_t GetChannel() const { return m_Channel; }
    int GetVolume() const { return m_Volume; }
    int GetPan() const { return m_Pan; }
    float GetDoNotPlayAgainRange() const { return m_DoNotPlayAgainRange; }

    // ---- the process-wide audio state
    // Reads the application's "enableSound" (false without an application).
    static void Init();
    // Start-up. Only a machine without even the "no sound" device throws; any
    // other failure leaves audio inactive, the program silent.
    static void Init(bool enableSound);
    // Reads the application's "enableMusic".
    static void InitDirectMusic();
    static void InitDirectMusic(bool enableMusic);
    static void Quit();
    static void Pause();
    static void Resume();
    static bool IsActive() { return s_Active; }
    static bool IsPaused() { return s_Paused; }

    // The sound resource of that name; an assertion while audio is inactive.
    static Sound* GetSound(const std::string& name);
    // The sound of that name if it is loaded already, else null; loads nothing.
    // Throws ResourceNotFoundException for an unknown name.
    static Sound* FindLoadedSound(const std::string& name);
    // 0 while audio is inactive or for an empty name; a sound that is missing
    // or cannot be loaded is logged and gives 0.
    static std::uint32_t Play(const std::string& name, bool loop = false);
    // Stops the named sound; one never loaded is left unloaded (true). An
    // unknown name is logged and gives false.
    static bool Stop(const std::string& name);
    static void StopChannel(std::uint32_t channel);

    // 0..100.
    static unsigned int GetMusicVolume();
    static void SetMusicVolume(unsigned int volume);
    static void SetSFXVolume(unsigned int volume);

    // Takes the music player (deleted by Quit); null removes it.
    static void SetDirectMusic(MusicPlayerLink* music);
    static MusicPlayerLink* GetDirectMusic() { return s_DirectMusic; }
    static SoundConfigHelper* GetConfigHelper() { return s_ConfigHelper; }

private:
    friend class BASSSoundLoader;

    std::uint32_t PlayStream(bool loop);
    std::uint32_t PlaySample(bool loop);
    static void SetDirectMusicLevel(unsigned int volume);

    std::uint32_t m_Sample = 0;
    std::uint32_t m_Channel = 0;
    std::uint32_t m_Stream = 0;
    std::string m_Name;
    int m_Volume = -1;
    int m_Pan = -101;
    float m_DoNotPlayAgainRange = 1000.0f;
    // What the loader added to the sound memory counter for this sound.
    std::int32_t m_CountedMemory = 0;

    static bool s_Active;
    static bool s_Paused;
    static int s_SavedMusicVolume;
    static std::uint32_t s_DirectSoundVersion;
    static MusicPlayerLink* s_DirectMusic;
    static SoundConfigHelper* s_ConfigHelper;
};

// Loads ".ogg", ".mp3" and ".wav" files as sounds while audio is active. The
// metadata may ask for a "stream", limit a sample's simultaneous plays
// ("maxSamples"), and set its "volume" and "pan".
class BASSSoundLoader : public ResourceLoader
{
public:
    bool CanLoad(const ResourceInfo& info) const override;
    void LoadResource(FileReader* reader, ResourceInfo& info) override;
    std::string GetDescription() const override { return "BASS sound file loader"; }
};
