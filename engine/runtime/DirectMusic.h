#pragma once

#include "platform/music/MusicPerformance.h"

#include <cstdint>
#include <memory>
#include <string>

class EventReceiver;

// The player's hold on the music layer: the performance that plays.
class MusicManager
{
public:
    explicit MusicManager(std::unique_ptr<MusicOutput> output);
    ~MusicManager();
    MusicManager(const MusicManager&) = delete;
    MusicManager& operator=(const MusicManager&) = delete;

    MusicStatus Initialize();
    MusicPerformance& GetPerformance() { return m_Performance; }

    // The game's tempo control (1.0 is normal speed); a failure is only logged.
    static void SetMasterTempo(float factor);

private:
    MusicPerformance m_Performance;
};

// The process-wide music player: plays a part of a music resource by name,
// once or looped. Everything is a no-op until Init has started the music.
class DirectMusic
{
public:
    static DirectMusic& GetInstance();
    // Set by a successful Init, cleared by Shutdown.
    static bool IsMusicActive();

    // Starts the music on the audio device that the sound layer opened; the
    // outcome is IsMusicActive. The second form plays on another output.
    void Init();
    void Init(std::unique_ptr<MusicOutput> output);
    // Stops the music and lets go of the music layer; music is inactive after.
    void Shutdown();

    void PlayMidi(const std::string& file, const std::string& part, bool loop);
    void LoopMidi(const std::string& file, const std::string& part) { PlayMidi(file, part, true); }
    // An empty name stops the current piece.
    void StopMidi(const std::string& file);
    // Once per pass of the main loop, with its time in milliseconds.
    void Update(uint32_t now);

    // In hundredths of a decibel; 0 while music is inactive.
    void SetMasterVolume(int32_t volume);
    int32_t GetMasterVolume();
    void SetMasterTempo(float factor);

    const std::string& GetCurrentPiece() const { return m_CurrentPiece; }
    const std::string& GetCurrentPart() const { return m_CurrentPart; }
    bool GetLoop() const { return m_Loop; }
    MusicManager* GetMusicManager() const { return m_MusicManager.get(); }

private:
    DirectMusic();
    ~DirectMusic();

    std::unique_ptr<MusicManager> m_MusicManager;
    std::unique_ptr<EventReceiver> m_VolumeObserver;
    std::string m_CurrentPiece;
    std::string m_CurrentPart;
    bool m_Loop = false;
};

// The master volume for a music volume of 0 to 100 (the "music_volume" setting).
int32_t MasterVolumeForMusicVolume(int volume);
