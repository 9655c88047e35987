#include "platform/music/MusicPerformance.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <climits>
#include <list>
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
    ~MixerMusicOutput() override
    {
        Halt();
        for (const Song& song : m_Songs)
            Mix_FreeMusic(song.music);
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
        // A loop plays the same bytes again and again: the song loaded for
        // them plays from its start once more. Loading builds a synthesiser
        // and reads the whole SoundFont each time, and the library leaves a
        // little of every load behind.
        Mix_Music* music = Find(midi);
        if (!music) {
            SDL_RWops* source = SDL_RWFromConstMem(midi.data(), static_cast<int>(midi.size()));
            if (!source)
                return MusicStatus(MUSIC_E_PLAYFAILED, SDL_GetError());
            // The MIDI players read the whole file while loading.
            music = Mix_LoadMUSType_RW(source, MUS_MID, 0);
            SDL_RWclose(source);
            if (!music)
                return MusicStatus(MUSIC_E_PLAYFAILED, Mix_GetError());
            Keep(midi, music);
        }
        // Once: the performance starts loops again itself.
        if (Mix_PlayMusic(music, 0) != 0) {
            MusicStatus status(MUSIC_E_PLAYFAILED, Mix_GetError());
            Forget(music);
            return status;
        }
        m_Playing = music;
        return MusicStatus();
    }

    void Halt() override
    {
        if (!m_Playing)
            return;
        Mix_HaltMusic();
        m_Playing = nullptr;
    }

    void SetVolume(int level) override { Mix_VolumeMusic(level); }

private:
    struct Song
    {
        std::string midi;
        Mix_Music* music;
    };
    // Each song holds a synthesiser with the whole SoundFont (some 7 MB):
    // the one looping and the one before it, as a round alternates two parts.
    static constexpr std::size_t kSongsKept = 2;

    // The song loaded for these bytes, now the most recently used; null if none.
    Mix_Music* Find(const std::string& midi)
    {
        for (auto it = m_Songs.begin(); it != m_Songs.end(); ++it)
            if (it->midi == midi) {
                m_Songs.splice(m_Songs.begin(), m_Songs, it);
                return it->music;
            }
        return nullptr;
    }

    void Keep(const std::string& midi, Mix_Music* music)
    {
        m_Songs.push_front(Song{midi, music});
        // The least recently used go, never the one playing.
        for (auto it = m_Songs.end(); m_Songs.size() > kSongsKept && it != m_Songs.begin();) {
            --it;
            if (it->music == m_Playing)
                continue;
            Mix_FreeMusic(it->music);
            it = m_Songs.erase(it);
        }
    }

    void Forget(Mix_Music* music)
    {
        if (music == m_Playing) {
            Mix_HaltMusic();
            m_Playing = nullptr;
        }
        for (auto it = m_Songs.begin(); it != m_Songs.end(); ++it)
            if (it->music == music) {
                Mix_FreeMusic(music);
                m_Songs.erase(it);
                return;
            }
    }

    std::list<Song> m_Songs;  // the most recently used first
    Mix_Music* m_Playing = nullptr;
};

} // namespace

std::unique_ptr<MusicOutput> CreateMixerMusicOutput()
{
    return std::make_unique<MixerMusicOutput>();
}
