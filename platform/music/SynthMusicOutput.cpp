#include "platform/music/MusicPerformance.h"

#include "platform/audio/Audio.h"
#include "platform/audio/Pcm.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fluidsynth.h>

#include <algorithm>
#include <climits>
#include <dlfcn.h>
#include <cstdlib>
#include <future>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// Debian's General MIDI SoundFonts, the first that exists wins.
const char* const kSoundFonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf3/default-GM.sf3",
};

// The synthesiser reads a SoundFont's samples in parallel where its build
// uses OpenMP, and the idle workers then spin for a good while: as much CPU
// as the rest of start-up. One thread reads them as fast for a SoundFont of
// this size. Looked up at run time: a build without OpenMP has no such call.
void ReadSamplesOnThisThreadOnly()
{
    using SetNumThreads = void (*)(int);
    if (auto set = reinterpret_cast<SetNumThreads>(dlsym(RTLD_DEFAULT, "omp_set_num_threads")))
        set(1);
}

bool IsFile(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// SDL_SOUNDFONTS holds a list of paths separated by ':' or ';', tried first.
std::string FindSoundFont()
{
    if (const char* env = std::getenv("SDL_SOUNDFONTS")) {
        const std::string paths = env;
        std::size_t from = 0;
        while (from <= paths.size()) {
            const std::size_t to = paths.find_first_of(":;", from);
            const std::string path = paths.substr(from, to == std::string::npos ? std::string::npos : to - from);
            if (IsFile(path))
                return path;
            if (to == std::string::npos)
                break;
            from = to + 1;
        }
    }
    for (const char* path : kSoundFonts)
        if (IsFile(path))
            return path;
    return {};
}

class SynthMusicOutput;
SynthMusicOutput* g_Live = nullptr;

// One synthesiser with the SoundFont loaded once, fed into SDL_mixer's music
// hook; each song is a new MIDI player on that synthesiser. Loading a song
// through the mixer's own MIDI music read the SoundFont again each time and
// kept a copy of every song it was given.
class SynthMusicOutput : public MusicOutput
{
public:
    SynthMusicOutput() { g_Live = this; }

    ~SynthMusicOutput() override
    {
        if (g_Live == this)
            g_Live = nullptr;
        Unhook();
        DeletePlayer();
        if (m_Loader.valid())
            m_Loader.wait();
        if (m_Synth)
            delete_fluid_synth(m_Synth);
        if (m_Settings)
            delete_fluid_settings(m_Settings);
    }

    bool IsOpen() const override
    {
        int frequency = 0;
        Uint16 format = 0;
        int channels = 0;
        return Mix_QuerySpec(&frequency, &format, &channels) != 0;
    }

    MusicStatus Prepare() override
    {
        int frequency = 0;
        Uint16 format = 0;
        int channels = 0;
        if (!Mix_QuerySpec(&frequency, &format, &channels))
            return MusicStatus(MUSIC_E_NOAUDIO);
        if (m_Synth && frequency == m_Frequency)
            return MusicStatus();
        const std::string soundFont = FindSoundFont();
        if (soundFont.empty())
            return MusicStatus(MUSIC_E_NOSOUNDFONT);

        Unhook();
        DeletePlayer();
        if (m_Loader.valid())
            m_Loader.wait();
        if (m_Synth)
            delete_fluid_synth(m_Synth);
        m_Synth = nullptr;
        if (!m_Settings) {
            // Its warnings about presets and the like would go to stderr, and
            // with no function at all a line is not even formatted: one is
            // written for every voice stolen in the audio callback.
            for (int level : {FLUID_WARN, FLUID_INFO, FLUID_DBG})
                fluid_set_log_function(level, nullptr, nullptr);
            m_Settings = new_fluid_settings();
            if (!m_Settings)
                return MusicStatus(MUSIC_E_PLAYFAILED, "no synthesiser settings");
            // Rendered in the audio callback: no threads of its own, and the
            // players keep time by the samples written. Its own lock stays on:
            // the SoundFont is read on a thread of its own.
            fluid_settings_setint(m_Settings, "synth.cpu-cores", 1);
            fluid_settings_setstr(m_Settings, "player.timing-source", "sample");
            fluid_settings_setint(m_Settings, "synth.reverb.active", 0);
            fluid_settings_setint(m_Settings, "synth.chorus.active", 0);
            // The islands' tune keeps about thirty voices going, most of them
            // steel-drum tails fading out; sixteen play it within 40 dB of
            // the full rendering at half the audio thread's cost.
            fluid_settings_setint(m_Settings, "synth.polyphony", 16);
            // Only the instruments a song selects are read, when it selects
            // them: a tune uses a handful of the SoundFont's hundreds.
            fluid_settings_setint(m_Settings, "synth.dynamic-sample-loading", 1);
            // Pinning each instrument's samples in memory costs a system call
            // and a pass over its pages as the SoundFont is read; a tune's few
            // megabytes are not what a system swaps out.
            fluid_settings_setint(m_Settings, "synth.lock-memory", 0);
        }
        fluid_settings_setnum(m_Settings, "synth.sample-rate", RendersAtHalf(frequency) ? frequency / 2 : frequency);
        m_Synth = new_fluid_synth(m_Settings);
        if (!m_Synth)
            return MusicStatus(MUSIC_E_PLAYFAILED, "the synthesiser could not be created");
        fluid_synth_set_gain(m_Synth, kGain * m_Volume / MIX_MAX_VOLUME);
        // Linear interpolation sounds the same on these small speakers'
        // worth of instruments and costs the audio thread far less.
        fluid_synth_set_interp_method(m_Synth, -1, FLUID_INTERP_LINEAR);
        m_Frequency = frequency;
        // Reading the instruments takes a good part of start-up: it goes on
        // beside the splash, and the first song waits for it.
        m_SoundFont = soundFont;
        m_Loader = std::async(std::launch::async, [synth = m_Synth, soundFont] {
            ReadSamplesOnThisThreadOnly();
            return fluid_synth_sfload(synth, soundFont.c_str(), 1) != FLUID_FAILED;
        });
        return MusicStatus();
    }

    MusicStatus Play(const std::string& midi) override
    {
        if (midi.size() > static_cast<std::size_t>(INT_MAX))
            return MusicStatus(MUSIC_E_INVALIDARG);
        MusicStatus prepared = Prepare();
        if (!prepared.Ok())
            return prepared;
        int frequency = 0;
        Uint16 format = 0;
        int channels = 0;
        Mix_QuerySpec(&frequency, &format, &channels);
        if (format != AUDIO_S16SYS || channels < 1 || channels > 2)
            return MusicStatus(MUSIC_E_PLAYFAILED, "the sound device is not 16-bit mono or stereo");

        if (m_Loader.valid() && !m_Loader.get()) {
            delete_fluid_synth(m_Synth);
            m_Synth = nullptr;
            m_Frequency = 0;
            return MusicStatus(MUSIC_E_NOSOUNDFONT, m_SoundFont);
        }
        fluid_player_t* player = new_fluid_player(m_Synth);
        if (!player)
            return MusicStatus(MUSIC_E_PLAYFAILED, "no MIDI player");
        // The player copies the bytes.
        if (fluid_player_add_mem(player, midi.data(), midi.size()) != FLUID_OK) {
            delete_fluid_player(player);
            return MusicStatus(MUSIC_E_BADFILE);
        }
        SDL_LockAudio();
        DeletePlayerLocked();
        fluid_synth_system_reset(m_Synth);
        m_Last[0] = m_Last[1] = 0;
        m_Player = player;
        m_Channels = channels;
        fluid_player_play(m_Player);
        SDL_UnlockAudio();
        // Opening the device again forgets the hook; set it each time.
        Mix_HookMusic(&SynthMusicOutput::Mix, this);
        m_Hooked = true;
        return MusicStatus();
    }

    void Halt() override
    {
        if (!m_Player)
            return;
        SDL_LockAudio();
        DeletePlayerLocked();
        if (m_Synth)
            fluid_synth_all_sounds_off(m_Synth, -1);
        SDL_UnlockAudio();
    }

    void SetVolume(int level) override
    {
        m_Volume = std::clamp(level, 0, static_cast<int>(MIX_MAX_VOLUME));
        if (m_Synth)
            fluid_synth_set_gain(m_Synth, kGain * m_Volume / MIX_MAX_VOLUME);
    }

    bool IsPlaying()
    {
        SDL_LockAudio();
        const bool playing = m_Player && fluid_player_get_status(m_Player) == FLUID_PLAYER_PLAYING;
        SDL_UnlockAudio();
        return playing;
    }
    int GetVolume() const { return m_Volume; }

private:
    // The synthesiser's gain at full volume; its default of 0.2 is quiet next
    // to the sound effects.
    static constexpr float kGain = 0.6f;

    // At the device's rate the synthesiser renders at half of it, which costs
    // half as much; a tune's instruments hold nothing above that half rate's
    // limit worth the cost.
    static bool RendersAtHalf(int frequency)
    {
        return frequency >= static_cast<int>(Audio::kDeviceRate) && frequency % 2 == 0;
    }

    static void Mix(void* self, Uint8* stream, int length)
    {
        static_cast<SynthMusicOutput*>(self)->Render(reinterpret_cast<Sint16*>(stream), length / 2);
    }

    // Called by the mixer on the audio thread with the audio lock held.
    void Render(Sint16* out, int samples)
    {
        if (!m_Player || !m_Synth) {
            std::fill(out, out + samples, Sint16(0));
            return;
        }
        const int frames = samples / m_Channels;
        const bool halfRate = RendersAtHalf(m_Frequency);
        if (!halfRate && m_Channels == 2) {
            fluid_synth_write_s16(m_Synth, frames, out, 0, 2, out, 1, 2);
            return;
        }
        const int rendered = halfRate ? frames / 2 : frames;
        m_Stereo.resize(static_cast<std::size_t>(rendered) * 2);
        fluid_synth_write_s16(m_Synth, rendered, m_Stereo.data(), 0, 2, m_Stereo.data(), 1, 2);
        if (m_Channels == 1)
            StereoToMono(m_Stereo.data(), static_cast<std::size_t>(rendered), m_Stereo.data());
        if (!halfRate) {
            std::copy_n(m_Stereo.data(), samples, out);
            return;
        }
        DoubleRate(m_Stereo.data(), static_cast<std::size_t>(rendered), m_Channels, out, m_Last);
        // An odd frame left over (the mixer's buffers are a power of two
        // frames) holds the last value.
        std::copy_n(m_Last, (frames - 2 * rendered) * m_Channels, out + 2 * rendered * m_Channels);
    }

    void DeletePlayerLocked()
    {
        if (!m_Player)
            return;
        fluid_player_stop(m_Player);
        delete_fluid_player(m_Player);
        m_Player = nullptr;
    }

    void DeletePlayer()
    {
        if (!m_Player)
            return;
        SDL_LockAudio();
        DeletePlayerLocked();
        SDL_UnlockAudio();
    }

    void Unhook()
    {
        if (!m_Hooked)
            return;
        Mix_HookMusic(nullptr, nullptr);
        m_Hooked = false;
    }

    fluid_settings_t* m_Settings = nullptr;
    fluid_synth_t* m_Synth = nullptr;
    fluid_player_t* m_Player = nullptr;
    int m_Frequency = 0;
    int m_Channels = 2;
    int m_Volume = MIX_MAX_VOLUME;
    bool m_Hooked = false;
    // The last frame rendered, when rendering at half the mixer's rate.
    Sint16 m_Last[2] = {0, 0};
    std::vector<Sint16> m_Stereo;
    std::string m_SoundFont;
    // The SoundFont being read; true once it loaded.
    std::future<bool> m_Loader;
};

} // namespace

std::unique_ptr<MusicOutput> CreateSynthMusicOutput()
{
    return std::make_unique<SynthMusicOutput>();
}

bool SynthMusicIsPlaying()
{
    return g_Live && g_Live->IsPlaying();
}

int SynthMusicVolume()
{
    return g_Live ? g_Live->GetVolume() : -1;
}
