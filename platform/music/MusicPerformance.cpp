#include "platform/music/MusicPerformance.h"

#include <algorithm>
#include <cmath>

namespace {

// A looped range is handed over repeated to fill about a minute, so that the
// output plays its passes back to back; it is started again only after that.
constexpr uint64_t kLoopFileMicroseconds = 60'000'000;
constexpr uint64_t kMaxPassesInFile = 64;
constexpr uint64_t kMaxEventsInFile = 100'000;

// The range of tempo factors that make sense (a hundredth to a hundredfold).
constexpr float kMinTempo = 0.01f;
constexpr float kMaxTempo = 100.0f;

} // namespace

const char* MusicStatus::GetName() const
{
    switch (code) {
    case MUSIC_OK: return "MUSIC_OK";
    case MUSIC_E_NOTINITIALIZED: return "MUSIC_E_NOTINITIALIZED";
    case MUSIC_E_NOAUDIO: return "MUSIC_E_NOAUDIO";
    case MUSIC_E_NOSOUNDFONT: return "MUSIC_E_NOSOUNDFONT";
    case MUSIC_E_INVALIDARG: return "MUSIC_E_INVALIDARG";
    case MUSIC_E_BADFILE: return "MUSIC_E_BADFILE";
    case MUSIC_E_PLAYFAILED: return "MUSIC_E_PLAYFAILED";
    }
    return "MUSIC_E_UNKNOWN";
}

std::string MusicStatus::GetDescription() const
{
    std::string text;
    switch (code) {
    case MUSIC_OK: text = "The operation succeeded."; break;
    case MUSIC_E_NOTINITIALIZED: text = "The music player has not been initialized."; break;
    case MUSIC_E_NOAUDIO: text = "No audio device is open."; break;
    case MUSIC_E_NOSOUNDFONT: text = "No SoundFont for MIDI playback was found."; break;
    case MUSIC_E_INVALIDARG: text = "A value is out of range."; break;
    case MUSIC_E_BADFILE: text = "The data is not a standard MIDI file that can be played."; break;
    case MUSIC_E_PLAYFAILED: text = "The sound library could not play the music."; break;
    default: text = "Unknown error."; break;
    }
    if (!detail.empty())
        text += " (" + detail + ")";
    return text;
}

MusicPerformance::MusicPerformance(std::unique_ptr<MusicOutput> output) : m_Output(std::move(output)) {}

MusicPerformance::~MusicPerformance()
{
    if (m_Output)
        m_Output->Halt();
}

MusicStatus MusicPerformance::Init()
{
    if (!m_Output || !m_Output->IsOpen())
        return MusicStatus(MUSIC_E_NOAUDIO);
    MusicStatus status = m_Output->Prepare();
    if (status.Ok())
        m_Initialized = true;
    return status;
}

MusicStatus MusicPerformance::Play(std::shared_ptr<const MidiFile> piece, uint32_t startTick, uint32_t endTick,
                                   bool loop)
{
    if (!m_Initialized)
        return MusicStatus(MUSIC_E_NOTINITIALIZED);
    if (!piece || endTick <= startTick || endTick - startTick > kMaxMidiTick)
        return MusicStatus(MUSIC_E_INVALIDARG);
    m_Piece = std::move(piece);
    m_StartTick = startTick;
    m_EndTick = endTick;
    m_Loop = loop;
    return Start();
}

MusicStatus MusicPerformance::Start()
{
    const float tempo = m_MasterTempo;
    MidiFile file = m_Piece->Excerpt(m_StartTick, m_EndTick, tempo, 1);
    const uint64_t passMicroseconds = std::max<uint64_t>(1, file.TickToMicroseconds(m_EndTick - m_StartTick));
    uint64_t passes = 1;
    if (m_Loop) {
        const uint64_t events = std::max<std::size_t>(1, file.GetTracks().front().events.size());
        passes = std::clamp<uint64_t>((kLoopFileMicroseconds + passMicroseconds - 1) / passMicroseconds, 1,
                                      std::min(kMaxPassesInFile, std::max<uint64_t>(1, kMaxEventsInFile / events)));
        if (passes > 1)
            file = m_Piece->Excerpt(m_StartTick, m_EndTick, tempo, static_cast<int>(passes));
    }

    MusicStatus status = m_Output->Play(file.Serialize());
    m_Playing = status.Ok();
    if (!m_Playing)
        return status;
    m_PlayedTempo = tempo;
    m_PassMicroseconds = passMicroseconds;
    m_PassesInFile = passes;
    m_PassesSeen = 0;
    m_StartTime = m_Now;
    m_StartTimeKnown = m_NowKnown;
    return status;
}

void MusicPerformance::Stop()
{
    if (m_Output && m_Piece)
        m_Output->Halt();
    m_Piece.reset();
    m_Playing = false;
}

MusicStatus MusicPerformance::Update(uint32_t now)
{
    m_Now = now;
    m_NowKnown = true;
    if (!m_Playing)
        return MusicStatus();
    if (!m_StartTimeKnown) {
        m_StartTime = now;
        m_StartTimeKnown = true;
        return MusicStatus();
    }
    const uint64_t passesDone = uint64_t{now - m_StartTime} * 1000 / m_PassMicroseconds;
    if (passesDone <= m_PassesSeen)
        return MusicStatus();
    m_PassesSeen = passesDone;
    if (!m_Loop) {
        // Over; what still rings is left to fade on its own.
        m_Playing = false;
        return MusicStatus();
    }
    // The output cannot change the tempo of what it plays: a new tempo waits
    // for the end of a pass, and the loop starts again there.
    if (passesDone >= m_PassesInFile || m_PlayedTempo != m_MasterTempo)
        return Start();
    return MusicStatus();
}

int MusicPerformance::OutputLevel(int32_t volume)
{
    // The output cannot amplify, so the top of the range (+2 dB) is its full level.
    const double amplitude = std::pow(10.0, (static_cast<double>(volume) - 200.0) / 2000.0);
    return static_cast<int>(std::clamp(std::lround(amplitude * 128.0), 0L, 128L));
}

MusicStatus MusicPerformance::SetMasterVolume(int32_t volume)
{
    if (!m_Initialized)
        return MusicStatus(MUSIC_E_NOTINITIALIZED);
    m_MasterVolume = volume;
    m_Output->SetVolume(OutputLevel(volume));
    return MusicStatus();
}

MusicStatus MusicPerformance::SetMasterTempo(float factor)
{
    if (!m_Initialized)
        return MusicStatus(MUSIC_E_NOTINITIALIZED);
    if (!(factor >= kMinTempo && factor <= kMaxTempo))
        return MusicStatus(MUSIC_E_INVALIDARG);
    m_MasterTempo = factor;
    return MusicStatus();
}
