// The music player on a recording output, with the main loop's time passed in
// by hand; and once on SDL_mixer itself.

#include "engine/runtime/DirectMusic.h"

#include "engine/core/Config.h"
#include "engine/runtime/Sound.h"
#include "platform/audio/Audio.h"
#include "engine/runtime/MusicSegment.h"
#include "engine/runtime/ResourceExtensions.h"
#include "ResourceTestSupport.h"
#include "../../platform/music/MidiBytes.h"

#include <atomic>
#include <cstdlib>
#include <SDL.h>
#include <SDL_mixer.h>

using namespace restest;

namespace {

// What the player asked of its output.
struct OutputRecord
{
    bool open = true;
    MusicStatus prepare;
    std::vector<std::string> plays;
    int halts = 0;
    int level = -1;
};

class RecordingOutput : public MusicOutput
{
public:
    explicit RecordingOutput(OutputRecord& record) : m_Record(record) {}
    bool IsOpen() const override { return m_Record.open; }
    MusicStatus Prepare() override { return m_Record.prepare; }
    MusicStatus Play(const std::string& midi) override
    {
        m_Record.plays.push_back(midi);
        return MusicStatus();
    }
    void Halt() override { ++m_Record.halts; }
    void SetVolume(int level) override { m_Record.level = level; }

private:
    OutputRecord& m_Record;
};

MidiFile ParsedPlay(const std::string& bytes)
{
    MidiFile file;
    std::string error;
    EXPECT_TRUE(file.Parse(bytes.data(), bytes.size(), error)) << error;
    return file;
}

// "Song.mid" (see MidiBytes.h) with parts in its folder's metadata: "Intro"
// differs from the marker of that name, "Bad" names no measures.
class DirectMusicTest : public ResourceFixture
{
protected:
    void SetUp() override
    {
        ResourceFixture::SetUp();
        WriteFile(dir / "music" / "Song.mid", miditest::Song());
        WriteFile(dir / "music" / "Broken.mid", "MThd");
        WriteFile(dir / "music" / "metadata.cfg",
                  "Metadata { [\"Song.mid\"] = { parts = { Intro = { 1, 3 }, Bad = { 0, 2 }, Odd = \"x\" } } }");
        WriteFile(dir / "Table.lua", "return {}");
        manager = std::make_unique<ResourceManager>();
        manager->AddResourceLoader(std::make_unique<DirectMusicLoader>());
        ClearLogCache();
    }

    void TearDown() override
    {
        music.reset();
        Sound::Quit();
        manager.reset();
        if (config) {
            SetConfig(nullptr);
            config.reset();
        }
        ResourceFixture::TearDown();
    }

    void Scan(const fs::path& folder)
    {
        manager->AddResourceScanner(std::make_unique<WindowsDirectoryResourceScanner>(folder.string(), true, true));
        manager->ScanAll();
    }

    // Music started on the recording output, the catalogue scanned.
    void Start(const fs::path& folder)
    {
        music = std::make_unique<DirectMusic>(std::make_unique<RecordingOutput>(output));
        music->Init();
        ASSERT_TRUE(DirectMusic::IsMusicActive()) << LogText();
        Scan(folder);
        ClearLogCache();
    }

    MusicPerformance& Performance() { return music->GetMusicManager()->GetPerformance(); }

    OutputRecord output;
    std::unique_ptr<ResourceManager> manager;
    std::unique_ptr<Config> config;
    std::unique_ptr<DirectMusic> music;
};

} // namespace

TEST_F(DirectMusicTest, APartPlaysOnceForItsLengthAndCanThenStartAgain)
{
    Start(dir);
    music->Update(1000);
    music->PlayMidi("Song.mid", "Loop", false);
    ASSERT_EQ(output.plays.size(), 1u);
    const MidiFile played = ParsedPlay(output.plays[0]);
    EXPECT_EQ(played.GetEndTick(), 768u);
    // Two measures at half a second a quarter, one at a quarter of a second.
    EXPECT_EQ(played.TickToMicroseconds(768), 3'000'000u);
    EXPECT_NE(LogText().find("DirectMusic::PlayMidi Song.mid Loop last=\n"), std::string::npos) << LogText();

    music->Update(3999);
    music->PlayMidi("Song.mid", "Loop", false);
    EXPECT_EQ(output.plays.size(), 1u) << "the part still plays";
    music->Update(4000);
    EXPECT_FALSE(Performance().IsPlaying());
    EXPECT_EQ(music->GetCurrentPart(), "Loop");
    music->PlayMidi("Song.mid", "Loop", false);
    EXPECT_EQ(output.plays.size(), 2u) << "over, so it starts again";
}

TEST_F(DirectMusicTest, ALoopRepeatsWithoutEndAndTakesANewTempoAtTheEndOfAPass)
{
    Start(dir);
    music->Update(0);
    music->LoopMidi("Song.mid", "Loop");
    ASSERT_EQ(output.plays.size(), 1u);
    // Three seconds a pass: twenty of them make up the first minute.
    EXPECT_EQ(ParsedPlay(output.plays[0]).GetEndTick(), 20u * 768u);
    EXPECT_EQ(Performance().GetPassMicroseconds(), 3'000'000u);

    MusicManager::SetMasterTempo(2.0f);
    music->Update(2999);
    EXPECT_EQ(output.plays.size(), 1u) << "the tempo waits for the end of the pass";
    music->Update(3010);
    ASSERT_EQ(output.plays.size(), 2u);
    EXPECT_EQ(miditest::Listing(ParsedPlay(output.plays[1]))[0], "0 ff51 03d090");
    EXPECT_EQ(Performance().GetPassMicroseconds(), 1'500'000u);

    // Forty passes later the file is used up and starts again, still looping.
    music->Update(3010 + 40 * 1500 - 1);
    EXPECT_EQ(output.plays.size(), 2u);
    music->Update(3010 + 40 * 1500);
    EXPECT_EQ(output.plays.size(), 3u);
    EXPECT_TRUE(Performance().IsLooping());
    EXPECT_EQ(output.halts, 0);

    ClearLogCache();
    MusicManager::SetMasterTempo(0.0f);
    EXPECT_EQ(LogText(), "pPerf->SetGlobalParam GUID_PerfMasterTempo 0.000000 Failed\n>>>>>>MUSIC_E_INVALIDARG\n"
                         ">>>>>>A value is out of range.\n");
    EXPECT_EQ(Performance().GetMasterTempo(), 2.0f);
}

TEST_F(DirectMusicTest, TheSamePartPlaysOnAnotherPartRestartsAnEmptyNameStops)
{
    Start(dir);
    music->LoopMidi("Song.mid", "Loop");
    music->PlayMidi("Song.mid", "Loop", false);
    EXPECT_EQ(output.plays.size(), 1u);
    EXPECT_TRUE(music->GetLoop()) << "undisturbed";

    music->PlayMidi("Song.mid", "End", false);
    EXPECT_EQ(output.halts, 1);
    ASSERT_EQ(output.plays.size(), 2u);
    EXPECT_EQ(ParsedPlay(output.plays[1]).GetEndTick(), 384u);
    EXPECT_EQ(music->GetCurrentPart(), "End");

    music->PlayMidi("", "", false);
    EXPECT_EQ(output.halts, 2);
    EXPECT_EQ(music->GetCurrentPiece(), "");
    EXPECT_EQ(output.plays.size(), 2u);

    music->LoopMidi("Song.mid", "Intro");
    music->StopMidi("");
    EXPECT_EQ(output.halts, 3);
    EXPECT_FALSE(Performance().IsPlaying());
    EXPECT_EQ(music->GetCurrentPiece(), "");
    EXPECT_FALSE(music->GetLoop());
}

TEST_F(DirectMusicTest, PartsComeFromTheMetadataAndElseFromTheMarkers)
{
    Start(dir);
    MusicSegment* song = MusicSegment::GetSegment("Song.mid");
    ASSERT_NE(song, nullptr);
    const struct
    {
        const char* part;
        bool found;
        uint32_t start;
        uint32_t end;
    } cases[] = {
        {"Intro", true, 0, 1152},  // metadata: measures 1 to 3
        {"Loop", true, 384, 1152}, // marker
        {"End", true, 1152, 1536}, // marker, up to the end of the file
        {"Bad", false, 0, 0},      // no measure 0
        {"Odd", false, 0, 0},      // no measures at all
        {"Outro", false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.part);
        uint32_t start = 0;
        uint32_t end = 0;
        EXPECT_EQ(song->GetPart(c.part, start, end), c.found);
        if (c.found) {
            EXPECT_EQ(start, c.start);
            EXPECT_EQ(end, c.end);
        }
    }
}

TEST_F(DirectMusicTest, UnknownPartsAndFilesAreLoggedAndPlayNothing)
{
    Start(dir);
    const struct
    {
        const char* file;
        const char* part;
        std::string log;
    } cases[] = {
        {"Song.mid", "Wopple Theme Intro",
         "DirectMusic::PlayMidi Song.mid Wopple Theme Intro last=\nDirectMusic::PlayMidi Song.mid has no part Wopple "
         "Theme Intro\n"},
        {"Missing.mid", "Loop",
         "DirectMusic::PlayMidi Missing.mid Loop last=\nDirectMusic::PlayMidi Couldn't get music Missing.mid\n"
         ">>>>>>Could not find resource info with name = Missing.mid\n"},
        {"Broken.mid", "Loop",
         "DirectMusic::PlayMidi Broken.mid Loop last=\nMusicManager: GetObject Broken.mid Failed\n"
         ">>>>>>MUSIC_E_BADFILE\n>>>>>>The data is not a standard MIDI file that can be played. (not a standard "
         "MIDI file)\nDirectMusic::PlayMidi Couldn't get music Broken.mid\n>>>>>>Couldn't load music \"Broken.mid\", "
         "MUSIC_E_BADFILE, \"The data is not a standard MIDI file that can be played. (not a standard MIDI "
         "file)\"\n"},
        {"Table.lua", "Loop",
         "DirectMusic::PlayMidi Table.lua Loop last=\nDirectMusic::PlayMidi Couldn't get music Table.lua\n"
         ">>>>>>Assertion failed: (dynamic_cast<MusicSegment *>(data) != 0)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ClearLogCache();
        music->PlayMidi(c.file, c.part, true);
        EXPECT_EQ(LogText(), c.log);
        music->StopMidi("");
    }
    EXPECT_TRUE(output.plays.empty());

    ClearLogCache();
    music->StopMidi("Missing.mid");
    EXPECT_EQ(LogText(), "DirectMusic::StopMidi Couldn't get music Missing.mid\n"
                         ">>>>>>Could not find resource info with name = Missing.mid\n");
}

TEST_F(DirectMusicTest, TheMusicVolumeSettingReachesTheMusicThroughTheSoundSystem)
{
    config = std::make_unique<Config>(state);
    SetConfig(config.get());
    Sound::Init(true);
    ASSERT_TRUE(Sound::IsActive());
    auto* player = new DirectMusic(std::make_unique<RecordingOutput>(output));
    Sound::SetDirectMusic(player);
    Sound::InitDirectMusic(true);
    ASSERT_TRUE(player->IsActive());
    // Until the settings are applied, the start-up level.
    EXPECT_EQ(player->GetMasterVolume(), -1000);
    EXPECT_EQ(output.level, 32);
    Run("Config_Data.music_volume = 40");
    config->ApplyMetadata();
    EXPECT_EQ(player->GetMasterVolume(), -1120);
    EXPECT_EQ(output.level, 28);

    // The output cannot amplify: the loudest setting is its full level.
    const struct
    {
        const char* setting;
        int volume;
        int level;
    } cases[] = {{"100", 200, 128}, {"50", -900, 36}, {"1", -1978, 10}, {"0", -20000, 0}, {"99", 178, 125}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        Run(std::string("Config.music_volume = ") + c.setting);
        EXPECT_EQ(player->GetMasterVolume(), c.volume);
        EXPECT_EQ(output.level, c.level);
    }

    // Pausing mutes the music without stopping it.
    Scan(dir);
    player->LoopMidi("Song.mid", "Loop");
    Sound::Pause();
    EXPECT_EQ(output.level, 0);
    Sound::Resume();
    EXPECT_EQ(output.level, 125);
    EXPECT_EQ(output.halts, 0);
    EXPECT_TRUE(player->GetMusicManager()->GetPerformance().IsLooping());

    // The sound system lets the player go before it closes the device.
    Sound::Quit();
    EXPECT_EQ(DirectMusic::GetInstance(), nullptr);
    EXPECT_FALSE(DirectMusic::IsMusicActive());
    EXPECT_EQ(output.halts, 1);
    Audio::SetConfig(Audio::CONFIG_GVOL_STREAM, 100);
}

TEST_F(DirectMusicTest, WithoutAnAudioDeviceTheGameRunsSilent)
{
    output.open = false;
    music = std::make_unique<DirectMusic>(std::make_unique<RecordingOutput>(output));
    music->Init();
    EXPECT_FALSE(DirectMusic::IsMusicActive());
    EXPECT_EQ(LogText(), "DirectMusic: Init\nMusicManager: Construct\nMusicManager: Initialize\n"
                         "MusicManager: m_pPerformance->Init()\n"
                         "MusicManager: Warning: No sound card found\n>>>>>>MUSIC_E_NOAUDIO\n"
                         ">>>>>>No audio device is open.\n"
                         "m_MusicManager->Initialize Failed\n>>>>>>MUSIC_E_NOAUDIO\n>>>>>>No audio device is open.\n");

    Scan(dir);
    EXPECT_EQ(manager->FindLoader(*manager->FindInfo("Song.mid")), nullptr);
    EXPECT_EQ(MusicSegment::GetSegment("Song.mid"), nullptr);
    music->Update(0);
    music->LoopMidi("Song.mid", "Loop");
    Run("PlayMidi('Song.mid', 'Loop') StopMidi('Missing.mid')");
    music->SetMasterVolume(0);
    MusicManager::SetMasterTempo(1.5f);
    EXPECT_EQ(music->GetCurrentPiece(), "");
    EXPECT_EQ(music->GetMasterVolume(), 0);
    EXPECT_TRUE(output.plays.empty());
    EXPECT_EQ(output.level, -1);

    // Without instruments for MIDI, likewise.
    output.open = true;
    output.prepare = MusicStatus(MUSIC_E_NOSOUNDFONT);
    music = std::make_unique<DirectMusic>(std::make_unique<RecordingOutput>(output));
    ClearLogCache();
    music->Init();
    EXPECT_FALSE(DirectMusic::IsMusicActive());
    EXPECT_NE(LogText().find("MusicManager: Init Failed\n>>>>>>MUSIC_E_NOSOUNDFONT\n"
                             ">>>>>>No SoundFont for MIDI playback was found.\n"),
              std::string::npos);

    // And with no player at all.
    music.reset();
    Run("PlayMidi('Song.mid', 'Loop') LoopMidi('Song.mid', 'Loop') StopMidi('Song.mid')");
    MusicManager::SetMasterTempo(1.5f);
}

TEST_F(DirectMusicTest, ScriptFunctionsTakeOnlyStringsAndABooleanLoop)
{
    Start(dir);
    Run("PlayMidi('Song.mid', 'Loop', 1)");
    ASSERT_EQ(output.plays.size(), 1u);
    EXPECT_FALSE(music->GetLoop());
    Run("PlayMidi('Song.mid', 'End', true)");
    EXPECT_TRUE(music->GetLoop());
    EXPECT_EQ(music->GetCurrentPart(), "End");
    Run("PlayMidi('Song.mid', 1) PlayMidi(5, 'Loop') LoopMidi('Song.mid') StopMidi(5) StopMidi()");
    EXPECT_EQ(output.plays.size(), 2u);
    EXPECT_EQ(output.halts, 1);
    Run("LoopMidi('Song.mid', 'Intro')");
    EXPECT_TRUE(music->GetLoop());
    EXPECT_EQ(music->GetCurrentPart(), "Intro");
    Run("StopMidi('Song.mid')");
    EXPECT_EQ(music->GetCurrentPiece(), "");
    EXPECT_FALSE(Performance().IsPlaying());
}

TEST_F(DirectMusicTest, TheGamesPartsFromItsMetadataMatchTheMarkersOfItsPiece)
{
    Start(VELK_GAME_DATA_DIR);
    MusicSegment* piece = MusicSegment::GetSegment("Wopple.mid");
    ASSERT_NE(piece, nullptr);
    for (const MidiFile::Marker& marker : piece->GetFile().GetMarkers()) {
        SCOPED_TRACE(marker.name);
        uint32_t fromMetadata[2] = {};
        uint32_t fromMarker[2] = {};
        ASSERT_TRUE(piece->GetPart(marker.name, fromMetadata[0], fromMetadata[1]));
        ASSERT_TRUE(piece->GetFile().FindMarkerRange(marker.name, fromMarker[0], fromMarker[1]));
        EXPECT_EQ(fromMetadata[0], fromMarker[0]);
        EXPECT_EQ(fromMetadata[1], fromMarker[1]);
    }
    music->LoopMidi("Wopple.mid", "Loop");
    ASSERT_EQ(output.plays.size(), 1u);
    // Eight measures at 124 quarters a minute.
    EXPECT_EQ(Performance().GetPassMicroseconds(), 32u * 483871u);
}

TEST_F(DirectMusicTest, TheGamesLoopPlaysOnTheSoundSystemsDevice)
{
    Sound::Init(true);
    ASSERT_TRUE(Sound::IsActive());
    Sound::SetDirectMusic(new DirectMusic());
    Sound::InitDirectMusic(true);
    DirectMusic* player = DirectMusic::GetInstance();
    ASSERT_TRUE(player && player->IsActive()) << LogText();
    Scan(VELK_GAME_DATA_DIR);

    player->Update(0);
    player->LoopMidi("Wopple.mid", "Loop");
    EXPECT_TRUE(SynthMusicIsPlaying());
    EXPECT_EQ(SynthMusicVolume(), 32);
    player->StopMidi("Wopple.mid");
    EXPECT_FALSE(SynthMusicIsPlaying());
    player->LoopMidi("Wopple.mid", "Loop");
    EXPECT_EQ(LogText().find("Failed"), std::string::npos) << LogText();

    Sound::Quit();
    EXPECT_FALSE(SynthMusicIsPlaying());
}

TEST_F(DirectMusicTest, TheMixerPlaysSongsAgainAfterAHaltAndOneAfterAnother)
{
    Sound::Init(true);
    ASSERT_TRUE(Sound::IsActive());
    std::unique_ptr<MusicOutput> mixer = CreateSynthMusicOutput();
    ASSERT_TRUE(mixer->IsOpen());
    ASSERT_TRUE(mixer->Prepare().Ok());
    // Three pieces, one note apart.
    std::vector<std::string> songs;
    for (int note : {60, 64, 67})
        songs.push_back(miditest::File(0, 96, {miditest::Track({{0, miditest::Bytes({0x90, note, 80})},
                                                                 {96, miditest::Bytes({0x80, note, 0})}},
                                                                96)}));
    struct Step
    {
        const char* what;
        int song;
        bool haltFirst;
    };
    const Step steps[] = {{"first", 0, false},   {"the same again", 0, false}, {"after a halt", 0, true},
                          {"another", 1, false}, {"a third", 2, false},        {"the first, let go", 0, false},
                          {"back to the third", 2, true}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.haltFirst) {
            mixer->Halt();
            EXPECT_FALSE(SynthMusicIsPlaying());
        }
        EXPECT_TRUE(mixer->Play(songs[step.song]).Ok());
        EXPECT_TRUE(SynthMusicIsPlaying());
    }
    // And it is heard: the device's mix carries the note.
    static std::atomic<int> loudest{0};
    loudest = 0;
    Mix_SetPostMix(
        [](void*, Uint8* stream, int length) {
            const auto* samples = reinterpret_cast<const Sint16*>(stream);
            for (int i = 0; i < length / 2; ++i)
                if (std::abs(samples[i]) > loudest)
                    loudest = std::abs(samples[i]);
        },
        nullptr);
    for (int waited = 0; waited < 2000 && loudest < 100; waited += 10)
        SDL_Delay(10);
    Mix_SetPostMix(nullptr, nullptr);
    EXPECT_GE(loudest, 100);
    mixer.reset();
    EXPECT_FALSE(SynthMusicIsPlaying());
    Sound::Quit();
}
