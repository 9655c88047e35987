#include "platform/music/MusicPerformance.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <climits>
#include <string>
#include <sys/stat.h>

namespace {

// Debian's General MIDI SoundFonts, the first that exists wins.
const char* const kSoundFonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf3/default-GM.sf3",
};

bool IsFile(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The library takes a list of paths separated by ':' or ';'.
bool AnyFileIn(const std::string& paths)
{
    std::size_t from = 0;
    while (from <= paths.size()) {
        const std::size_t to = paths.find_first_of(":;", from);
        const std::string path = paths.substr(from, to == std::string::npos ? std::string::npos : to - from);
        if (IsFile(path))
            return true;
        if (to == std::string::npos)
            break;
        from = to + 1;
    }
    return false;
}

class MixerMusicOutput : public MusicOutput
{
public:
    ~MixerMusicOutput() override { Halt(); }

    bool IsOpen() const override
    {
        int frequency = 0;
        Uint16 format = 0;
        int channels = 0;
        return Mix_QuerySpec(&frequency, &format, &channels) != 0;
    }

    MusicStatus Prepare() override
    {
        const char* current = Mix_GetSoundFonts();
        if (current && AnyFileIn(current))
            return MusicStatus();
        for (const char* path : kSoundFonts)
            if (IsFile(path)) {
                Mix_SetSoundFonts(path);
                return MusicStatus();
            }
        return MusicStatus(MUSIC_E_NOSOUNDFONT);
    }

    MusicStatus Play(const std::string& midi) override
    {
        if (midi.size() > static_cast<std::size_t>(INT_MAX))
            return MusicStatus(MUSIC_E_INVALIDARG);
        SDL_RWops* source = SDL_RWFromConstMem(midi.data(), static_cast<int>(midi.size()));
        if (!source)
            return MusicStatus(MUSIC_E_PLAYFAILED, SDL_GetError());
        // The MIDI players read the whole file while loading.
        Mix_Music* music = Mix_LoadMUSType_RW(source, MUS_MID, 0);
        SDL_RWclose(source);
        if (!music)
            return MusicStatus(MUSIC_E_PLAYFAILED, Mix_GetError());
        // Once: the performance starts loops again itself.
        if (Mix_PlayMusic(music, 0) != 0) {
            MusicStatus status(MUSIC_E_PLAYFAILED, Mix_GetError());
            Mix_FreeMusic(music);
            return status;
        }
        if (m_Music)
            Mix_FreeMusic(m_Music);
        m_Music = music;
        return MusicStatus();
    }

    void Halt() override
    {
        if (!m_Music)
            return;
        Mix_HaltMusic();
        Mix_FreeMusic(m_Music);
        m_Music = nullptr;
    }

    void SetVolume(int level) override { Mix_VolumeMusic(level); }

private:
    Mix_Music* m_Music = nullptr;
};

} // namespace

std::unique_ptr<MusicOutput> CreateMixerMusicOutput()
{
    return std::make_unique<MixerMusicOutput>();
}
