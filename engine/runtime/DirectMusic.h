#pragma once

#include "engine/runtime/Sound.h"
#include "platform/music/MusicPerformance.h"

#include <cstdint>
#include <memory>
#include <string>

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

// The music player: plays a part of a music resource by name, once or looped.
// The sound system owns it (Sound::SetDirectMusic) and starts it on its
// device; everything is a no-op until then. One player lives at a time.
class DirectMusic : public MusicPlayerLink
{
public:
    // Init starts the music on the output; without one, on SDL_mixer's music
    // channel of the device the sound system opened.
    explicit DirectMusic(std::unique_ptr<MusicOutput> output = nullptr);
    // Stops the music; music is inactive after.
    ~DirectMusic() override;
    DirectMusic(const DirectMusic&) = delete;
    DirectMusic& operator=(const DirectMusic&) = delete;

    // The live player, or null.
    static DirectMusic* GetInstance();
    // Whether the live player's music started.
    static bool IsMusicActive();

    // Never fails: the outcome is IsActive.
    void Init() override;
    bool IsActive() const override { return m_Active; }

    void PlayMidi(const std::string& file, const std::string& part, bool loop);
    void LoopMidi(const std::string& file, const std::string& part) { PlayMidi(file, part, true); }
    // An empty name stops the current piece.
    void StopMidi(const std::string& file);
    // Once per pass of the main loop, with its time in milliseconds.
    void Update(uint32_t now);

    // In hundredths of a decibel; 0 while music is inactive.
    void SetMasterVolume(int volume) override;
    int GetMasterVolume() override;
    void SetMasterTempo(float factor);

    const std::string& GetCurrentPiece() const { return m_CurrentPiece; }
    const std::string& GetCurrentPart() const { return m_CurrentPart; }
    bool GetLoop() const { return m_Loop; }
    MusicManager* GetMusicManager() const { return m_Active ? m_MusicManager.get() : nullptr; }

private:
    std::unique_ptr<MusicOutput> m_Output;
    std::unique_ptr<MusicManager> m_MusicManager;
    bool m_Active = false;
    std::string m_CurrentPiece;
    std::string m_CurrentPart;
    bool m_Loop = false;
};
