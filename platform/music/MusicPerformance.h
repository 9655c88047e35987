#pragma once

#include "platform/music/MidiFile.h"

#include <cstdint>
#include <memory>
#include <string>

// Outcome codes of the music layer, each with a name and a sentence for the log.
enum MusicResult
{
    MUSIC_OK = 0,
    MUSIC_E_NOTINITIALIZED,
    MUSIC_E_NOAUDIO,
    MUSIC_E_NOSOUNDFONT,
    MUSIC_E_INVALIDARG,
    MUSIC_E_BADFILE,
    MUSIC_E_PLAYFAILED,
};

struct MusicStatus
{
    MusicResult code = MUSIC_OK;
    // The underlying library's own words, when it gave any.
    std::string detail;

    MusicStatus() = default;
    MusicStatus(MusicResult c, std::string d = {}) : code(c), detail(std::move(d)) {}

    bool Ok() const { return code == MUSIC_OK; }
    // "MUSIC_E_NOAUDIO" and so on.
    const char* GetName() const;
    // The sentence for the code, then the detail.
    std::string GetDescription() const;
};

// Where the music is heard: one MIDI piece at a time.
class MusicOutput
{
public:
    virtual ~MusicOutput() = default;
    // Whether an audio device is open to play on.
    virtual bool IsOpen() const = 0;
    // Finds the instruments MIDI needs; called once before anything plays.
    virtual MusicStatus Prepare() = 0;
    // Plays a standard MIDI file once from its start, replacing whatever played.
    virtual MusicStatus Play(const std::string& midi) = 0;
    virtual void Halt() = 0;
    // 0 (silent) to 128 (full).
    virtual void SetVolume(int level) = 0;
};

// The music output over a software synthesiser with a General MIDI
// SoundFont, heard through SDL_mixer's music channel on the device the sound
// layer opened.
std::unique_ptr<MusicOutput> CreateSynthMusicOutput();
// What the newest synthesiser output does now: whether a song plays, and its
// volume (-1 when there is no such output).
bool SynthMusicIsPlaying();
int SynthMusicVolume();

// Plays a range of a MIDI piece once or looped at a master tempo and volume.
// The output can only play whole files from their start, so each play hands
// it a file cut from the piece; the main loop's time, passed to Update,
// decides when a once-played range is over and when a loop starts again.
class MusicPerformance
{
public:
    explicit MusicPerformance(std::unique_ptr<MusicOutput> output);
    ~MusicPerformance();
    MusicPerformance(const MusicPerformance&) = delete;
    MusicPerformance& operator=(const MusicPerformance&) = delete;

    MusicStatus Init();
    bool IsInitialized() const { return m_Initialized; }

    // Plays [startTick, endTick) of the piece from the time of the last
    // Update (or of the next one, before any).
    MusicStatus Play(std::shared_ptr<const MidiFile> piece, uint32_t startTick, uint32_t endTick, bool loop);
    void Stop();
    // The piece last started, until stopped; it may be ringing out.
    const MidiFile* GetPiece() const { return m_Piece.get(); }
    // Started and not yet over; a loop is never over.
    bool IsPlaying() const { return m_Playing; }
    bool IsLooping() const { return m_Playing && m_Loop; }

    // Called once per pass of the main loop with its time in milliseconds. A
    // loop that has to start again and cannot gives the failure.
    MusicStatus Update(uint32_t now);

    // In hundredths of a decibel; +200 is the output's full level.
    MusicStatus SetMasterVolume(int32_t volume);
    int32_t GetMasterVolume() const { return m_MasterVolume; }
    // 1.0 is the piece's own tempo. A loop takes a new tempo at its next pass.
    MusicStatus SetMasterTempo(float factor);
    float GetMasterTempo() const { return m_MasterTempo; }

    // Duration of one pass of what plays now, in microseconds.
    uint64_t GetPassMicroseconds() const { return m_PassMicroseconds; }

    // The output level for a master volume.
    static int OutputLevel(int32_t volume);

private:
    MusicStatus Start();

    std::unique_ptr<MusicOutput> m_Output;
    bool m_Initialized = false;
    int32_t m_MasterVolume = 0;
    float m_MasterTempo = 1.0f;

    std::shared_ptr<const MidiFile> m_Piece;
    uint32_t m_StartTick = 0;
    uint32_t m_EndTick = 0;
    bool m_Loop = false;
    bool m_Playing = false;
    float m_PlayedTempo = 1.0f;
    uint64_t m_PassMicroseconds = 0;
    uint64_t m_PassesInFile = 1;
    uint64_t m_PassesSeen = 0;
    uint32_t m_StartTime = 0;
    bool m_StartTimeKnown = false;

    uint32_t m_Now = 0;
    bool m_NowKnown = false;
};
