// The sound system on the dummy audio driver, with the game's real sounds and
// a clock the tests move by hand.

#include "engine/runtime/Sound.h"

#include "engine/core/Config.h"
#include "engine/runtime/ResourceExtensions.h"
#include "platform/audio/Audio.h"
#include "ResourceTestSupport.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdlib>
#include <fstream>

using namespace restest;

namespace {

const fs::path kSoundsDir = fs::path(VELK_GAME_DATA_DIR) / "sounds";

// Sounds the recipe file makes: a line that starts with a file name (continued
// lines start with blanks).
int CountSoundRecipes()
{
    std::ifstream recipes(VELK_SOUND_RECIPES);
    int count = 0;
    for (std::string line; std::getline(recipes, line);) {
        const auto name = line.substr(0, line.find_first_of(" \t"));
        if (!name.empty() && name[0] != '#' && name.ends_with(".ogg"))
            ++count;
    }
    return count;
}

// The music player as the sound system sees it.
class FakeMusic : public MusicPlayerLink
{
public:
    explicit FakeMusic(bool* deleted = nullptr) : m_Deleted(deleted) {}
    ~FakeMusic() override
    {
        if (m_Deleted)
            *m_Deleted = true;
    }
    void Init() override
    {
        ++inits;
        active = startable;
    }
    bool IsActive() const override { return active; }
    int GetMasterVolume() override { return active ? volume : 0; }
    void SetMasterVolume(int level) override
    {
        if (active)
            volume = level;
    }

    bool startable = true;
    bool active = false;
    int inits = 0;
    int volume = 0;

private:
    bool* m_Deleted;
};

class SoundTest : public ResourceFixture
{
protected:
    void SetUp() override
    {
        ResourceFixture::SetUp();
        ResetMemUsage();
        config = std::make_unique<Config>(state);
        SetConfig(config.get());
        Audio::SetClock([this] { return now; });

        for (const char* name : {"click.ogg", "click2.ogg", "attention4.ogg", "Water_OceanLoop.ogg"})
            fs::copy_file(kSoundsDir / name, dir / name);
        WriteFile(dir / "broken.ogg", "OggS but nothing that decodes");
        WriteFile(dir / "metadata.cfg", "Metadata {\n"
                                        "    [\"Water_OceanLoop.ogg\"] = { stream = true },\n"
                                        "    [\"click2.ogg\"] = { maxSamples = 2 },\n"
                                        "    [\"attention4.ogg\"] = { volume = 50, pan = -30 },\n"
                                        "}\n");
        UseSoundsFrom(dir);
        Sound::Init(true);
        ASSERT_TRUE(Sound::IsActive());
        // SDL_mixer ends a channel on the device's real-time clock; held
        // still, its channels sound until halted, however slow the test runs.
        SDL_PauseAudio(1);
    }

    void TearDown() override
    {
        manager.reset();
        Sound::Quit();
        SetConfig(nullptr);
        config.reset();
        Audio::SetConfig(Audio::CONFIG_GVOL_SAMPLE, 100);
        Audio::SetConfig(Audio::CONFIG_GVOL_STREAM, 100);
        Audio::SetClock(nullptr);
        ResourceFixture::TearDown();
    }

    void UseSoundsFrom(const fs::path& folder)
    {
        manager.reset();
        manager = std::make_unique<ResourceManager>();
        manager->AddResourceLoader(std::make_unique<BASSSoundLoader>());
        manager->AddResourceScanner(std::make_unique<WindowsDirectoryResourceScanner>(folder.string(), true, true));
        manager->ScanAll();
    }

    // Device bytes of that many milliseconds: the device's own 44100 Hz,
    // 16-bit stereo.
    static std::uint64_t BytesIn(std::uint64_t ms) { return ms * 44100 / 1000 * 4; }

    std::unique_ptr<Config> config;
    std::unique_ptr<ResourceManager> manager;
    std::uint64_t now = 5000;
};

} // namespace

TEST_F(SoundTest, StartsOnTheDeviceAndQuitsInOrder)
{
    for (const char* line : {"Audio Device 0: No sound\n", "Audio Device 1: dummy\n",
                             "Audio initialized: device=1, freq=22050, flags=0\n", "BASS_INFO: maxrate: 44100\n",
                             "BASS_INFO: speakers: 2\n", "BASS_INFO: driver: dummy\n"})
        EXPECT_EQ(CountInLog(line), 1) << line;
    EXPECT_EQ(CountInLog("WARNING"), 0) << LogText();
    ASSERT_NE(Sound::GetConfigHelper(), nullptr);

    bool musicDeleted = false;
    auto* music = new FakeMusic(&musicDeleted);
    Sound::SetDirectMusic(music);
    Sound::InitDirectMusic(true);
    EXPECT_EQ(music->inits, 1);
    EXPECT_EQ(music->volume, -1000);

    manager.reset();
    ClearLogCache();
    Sound::Quit();
    EXPECT_TRUE(musicDeleted);
    EXPECT_EQ(Sound::GetConfigHelper(), nullptr);
    EXPECT_EQ(LogText(), "Sound::Quit Active: 1\n"
                         "Sound::Quit SAFE_DELETE s_DirectMusic\n"
                         "Sound::BASS_Free\n"
                         "Sound::Quit SAFE_DELETE s_ConfigHelper\n"
                         "Sound::Quit Finished\n");
    // The helper left the configuration with its deletion.
    Run("Config.sfx_volume = 10");
    EXPECT_EQ(Audio::GetConfig(Audio::CONFIG_GVOL_SAMPLE), 100u);
}

TEST_F(SoundTest, RefusedStartUpsLeaveTheProgramSilent)
{
    const struct
    {
        const char* driver;
        bool enableSound;
        const char* line;
    } cases[] = {
        {"dummy", false,
         "Audio was disabled via the command line or a startup script.  Cancelling audio initialization.\n"},
        {"no-such-driver", true, "No real audio devices were found.  All sounds are being disabled.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.driver);
        Sound::Quit();
        UseSoundsFrom(dir);
        ClearLogCache();
        setenv("SDL_AUDIODRIVER", c.driver, 1);
        Sound::Init(c.enableSound);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        EXPECT_FALSE(Sound::IsActive());
        EXPECT_EQ(CountInLog(c.line), 1) << LogText();

        auto* music = new FakeMusic();
        Sound::SetDirectMusic(music);
        Sound::InitDirectMusic(true);
        EXPECT_EQ(music->inits, 0);
        EXPECT_EQ(CountInLog("Sound::InitDirectMusic Sound System Not Active\n"), 1);

        EXPECT_EQ(Sound::Play("click.ogg"), 0u);
        EXPECT_FALSE(Sound::Stop("click.ogg"));
        EXPECT_EQ(Sound::GetMusicVolume(), 0u);
        EXPECT_NO_THROW(Sound::SetMusicVolume(101));
        ResourceInfo entry;
        entry.SetLocation("click.ogg");
        EXPECT_FALSE(BASSSoundLoader().CanLoad(entry));
        EXPECT_EQ(FailureOf([] { Sound::GetSound("click.ogg"); }),
                  "Assertion failed: (Sound::IsActive() == true)\n"
                  "Message: Sounds cannot be retrieved when the audio subsystem has been disabled.");
        EXPECT_EQ(Eval("IsPlaying('click.ogg')").GetBoolean(), false);
    }
}

TEST_F(SoundTest, PlaysEveryGameSound)
{
    UseSoundsFrom(kSoundsDir);
    Run("Config.soundDoNotPlayAgainRange = 0");
    int played = 0;
    for (const auto& item : fs::directory_iterator(kSoundsDir)) {
        // The folder's metadata.cfg sits among the sounds.
        if (item.path().extension() != ".ogg")
            continue;
        const std::string name = item.path().filename().string();
        if (item.path().extension() != ".ogg")
            continue;  // the folder's metadata.cfg
        SCOPED_TRACE(name);
        const bool loop = name.find("Loop") != std::string::npos;
        const std::uint32_t channel = Sound::Play(name, loop);
        ASSERT_NE(channel, 0u) << LogText();
        Sound* sound = Sound::GetSound(name);
        EXPECT_EQ(sound->GetChannel(), channel);
        EXPECT_TRUE(sound->IsPlaying());
        EXPECT_GT(sound->CalcMemoryUsage(false), fs::file_size(item.path()));
        ++played;
    }
    EXPECT_EQ(played, CountSoundRecipes()) << "one sound for each recipe";
    EXPECT_GT(GetMemUsage(MEMUSAGE_SOUNDS), 0);
    EXPECT_EQ(CountInLog("Couldn't"), 0) << LogText();

    // Loops go on; effects end with their length.
    now += 60000;
    EXPECT_TRUE(Sound::GetSound("Water_OceanLoop.ogg")->IsPlaying());
    EXPECT_FALSE(Sound::GetSound("click.ogg")->IsPlaying());
    EXPECT_TRUE(Sound::Stop("Water_OceanLoop.ogg"));
    EXPECT_FALSE(Sound::GetSound("Water_OceanLoop.ogg")->IsPlaying());

    manager.reset();
    EXPECT_EQ(GetMemUsage(MEMUSAGE_SOUNDS), 0);
}

TEST_F(SoundTest, RepeatsWithinTheRangeStartNothing)
{
    const std::uint32_t first = Sound::Play("attention4.ogg");
    ASSERT_NE(first, 0u);
    EXPECT_EQ(Sound::GetSound("attention4.ogg")->GetDoNotPlayAgainRange(), 1000.0f);
    EXPECT_EQ(Sound::Play("attention4.ogg"), first);
    EXPECT_EQ(Mix_Playing(-1), 1);

    // Past the first 1000 bytes a second playback overlaps the first.
    now += 20;
    ASSERT_GT(BytesIn(20), 1000u);
    const std::uint32_t second = Sound::Play("attention4.ogg");
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_EQ(Audio::ChannelIsActive(first), Audio::ACTIVE_PLAYING);
    EXPECT_EQ(Mix_Playing(-1), 2);

    // A range of 0, read when the sound is made: every call plays.
    Run("Config.soundDoNotPlayAgainRange = 0");
    const std::uint32_t a = Sound::Play("click2.ogg");
    const std::uint32_t b = Sound::Play("click2.ogg");
    EXPECT_NE(a, 0u);
    EXPECT_NE(b, 0u);
    EXPECT_NE(a, b);
}

TEST_F(SoundTest, BusyPlaybacksGiveZeroQuietly)
{
    Run("Config.soundDoNotPlayAgainRange = 0");
    EXPECT_NE(Sound::Play("click2.ogg"), 0u);
    EXPECT_NE(Sound::Play("click2.ogg"), 0u);
    ClearLogCache();
    EXPECT_EQ(Sound::Play("click2.ogg"), 0u);
    EXPECT_EQ(CountInLog("Couldn't"), 0) << LogText();
    // Once one has ended there is room again.
    now += 3000;
    EXPECT_NE(Sound::Play("click2.ogg"), 0u);
}

TEST_F(SoundTest, AVolumeOfZeroStartsNothing)
{
    Run("Config.sfx_volume = 0");
    Run("Config.music_volume = 0");
    EXPECT_EQ(Sound::Play("click.ogg"), 0u);
    EXPECT_EQ(Sound::Play("Water_OceanLoop.ogg", true), 0u);
    EXPECT_EQ(Mix_Playing(-1), 0);
    // Turning the volume up later does not bring them.
    Run("Config.sfx_volume = 75");
    Run("Config.music_volume = 40");
    EXPECT_EQ(Mix_Playing(-1), 0);
    EXPECT_FALSE(Sound::GetSound("click.ogg")->IsPlaying());
    EXPECT_NE(Sound::Play("click.ogg"), 0u);
    EXPECT_EQ(Audio::GetConfig(Audio::CONFIG_GVOL_SAMPLE), 75u);
    EXPECT_EQ(Audio::GetConfig(Audio::CONFIG_GVOL_STREAM), 40u);
}

TEST_F(SoundTest, StreamsPlayOnceWithoutRewindingWhilePlaying)
{
    Sound* ocean = Sound::GetSound("Water_OceanLoop.ogg");
    ASSERT_NE(ocean->GetStreamHandle(), 0u);
    EXPECT_EQ(ocean->GetSampleHandle(), 0u);
    const std::uint32_t stream = ocean->GetStreamHandle();
    EXPECT_EQ(ocean->CalcMemoryUsage(false), Audio::ChannelGetLength(stream));
    EXPECT_EQ(GetMemUsage(MEMUSAGE_SOUNDS), static_cast<std::int32_t>(ocean->CalcMemoryUsage(false)));

    EXPECT_EQ(Sound::Play("Water_OceanLoop.ogg", true), 1u);
    now += 500;
    EXPECT_EQ(Sound::Play("Water_OceanLoop.ogg"), 1u);
    EXPECT_EQ(Audio::ChannelGetPosition(stream), BytesIn(500));
    EXPECT_EQ(Mix_Playing(-1), 1);
    // Streams keep no channel, so they never count as playing.
    EXPECT_FALSE(ocean->IsPlaying());
    EXPECT_EQ(Eval("IsPlaying('Water_OceanLoop.ogg')").GetBoolean(), false);

    // Once stopped it starts again from the beginning.
    EXPECT_TRUE(Sound::Stop("Water_OceanLoop.ogg"));
    now += 100;
    EXPECT_EQ(Sound::Play("Water_OceanLoop.ogg"), 1u);
    EXPECT_EQ(Audio::ChannelGetPosition(stream), 0u);
    EXPECT_EQ(Audio::ChannelIsActive(stream), Audio::ACTIVE_PLAYING);
}

TEST_F(SoundTest, VolumesFollowTheConfiguration)
{
    auto* music = new FakeMusic();
    Sound::SetDirectMusic(music);
    Sound::InitDirectMusic(true);

    // Start-up hands the saved settings over through the observers.
    Run("Config_Data.sfx_volume = 75; Config_Data.music_volume = 40");
    config->ApplyMetadata();
    EXPECT_EQ(Audio::GetConfig(Audio::CONFIG_GVOL_SAMPLE), 75u);
    EXPECT_EQ(Sound::GetMusicVolume(), 40u);
    EXPECT_EQ(music->volume, 40 * 22 - 2000);

    const std::pair<const char*, int> levels[] = {{"100", 200}, {"50", -900}, {"1", -1978}, {"0", -20000},
                                                  {"33.9", 33 * 22 - 2000}};
    for (const auto& [value, level] : levels) {
        Run(std::string("Config.music_volume = ") + value);
        EXPECT_EQ(music->volume, level) << value;
    }
    Run("Config.sfx_volume = 30");
    EXPECT_EQ(Audio::GetConfig(Audio::CONFIG_GVOL_SAMPLE), 30u);
    EXPECT_EQ(Sound::GetMusicVolume(), 33u);

    // A settings file is the player's: values out of range are brought in, others ignored.
    ClearLogCache();
    Run("Config.sfx_volume = 250");
    EXPECT_EQ(Audio::GetConfig(Audio::CONFIG_GVOL_SAMPLE), 100u);
    Run("Config.music_volume = -4");
    EXPECT_EQ(Sound::GetMusicVolume(), 0u);
    Run("Config.music_volume = 'loud'");
    EXPECT_EQ(Sound::GetMusicVolume(), 0u);
    EXPECT_EQ(LogText(), "WARNING: The setting sfx_volume = 250 is outside 0 to 100; using 100.\n"
                         "WARNING: The setting music_volume = -4 is outside 0 to 100; using 0.\n"
                         "WARNING: The setting music_volume is not a number; the volume stays as it was.\n");

    EXPECT_EQ(FailureOf([] { Sound::SetMusicVolume(101); }), "Assertion failed: (volume <= 100)");
    EXPECT_EQ(FailureOf([] { Sound::SetSFXVolume(101); }), "Assertion failed: (volume <= 100)");
}

TEST_F(SoundTest, PauseHoldsEffectsAndMutesMusicUntilResume)
{
    auto* music = new FakeMusic();
    Sound::SetDirectMusic(music);
    Sound::InitDirectMusic(true);
    Run("Config.music_volume = 50");
    ASSERT_EQ(music->volume, -900);

    const std::uint32_t channel = Sound::Play("attention4.ogg");
    now += 100;
    Sound::Pause();
    EXPECT_TRUE(Sound::IsPaused());
    EXPECT_EQ(music->volume, -20000);
    now += 10000;
    EXPECT_TRUE(Sound::GetSound("attention4.ogg")->IsPlaying());
    EXPECT_EQ(Audio::ChannelGetPosition(channel), BytesIn(100));
    EXPECT_EQ(Mix_Paused(-1), 1);

    // A change while paused keeps the music quiet and is what comes back.
    Run("Config.music_volume = 100");
    EXPECT_EQ(music->volume, -20000);
    Sound::Pause();
    Sound::Resume();
    EXPECT_FALSE(Sound::IsPaused());
    EXPECT_EQ(music->volume, 200);
    EXPECT_EQ(Mix_Paused(-1), 0);
    now += 100;
    EXPECT_EQ(Audio::ChannelGetPosition(channel), BytesIn(200));

    // Resuming without a pause sets the level from the music volume.
    music->volume = 0;
    Sound::Resume();
    EXPECT_EQ(music->volume, 200);
}

TEST_F(SoundTest, MissingAndBrokenSoundsAreLoggedAndSkipped)
{
    EXPECT_EQ(Sound::Play("nosuch.ogg"), 0u);
    EXPECT_EQ(Sound::Play("broken.ogg"), 0u);
    EXPECT_FALSE(Sound::Stop("nosuch.ogg"));
    Run("PlaySound('nosuch.ogg')");
    EXPECT_EQ(Eval("IsPlaying('broken.ogg')").GetBoolean(), false);
    EXPECT_EQ(CountInLog("WARNING: Couldn't play sound \"nosuch.ogg\": Could not find resource info with name = "
                         "nosuch.ogg\n"),
              2)
        << LogText();
    EXPECT_EQ(CountInLog("WARNING: Couldn't stop sound \"nosuch.ogg\": "), 1);
    EXPECT_EQ(CountInLog("WARNING: Couldn't play sound \"broken.ogg\": Couldn't load sample \"broken.ogg\", "
                         "BASS_ERROR_FILEFORM, \"The file's format is not recognised/supported.\"\n"),
              1)
        << LogText();
    // The rest still plays.
    EXPECT_NE(Sound::Play("click.ogg"), 0u);

    // The loader's own failures.
    const std::string bytes = ReadFile(dir / "click.ogg");
    const struct
    {
        const char* metadata;
        const char* location;
        const char* failure;
    } cases[] = {
        {"{stream = true}", "x/broken.wav",
         "Couldn't load stream \"broken.wav\", BASS_ERROR_FILEFORM, \"The file's format is not recognised/supported.\""},
        {"{maxSamples = 0}", "x/few.ogg",
         "Couldn't load sample \"few.ogg\", BASS_ERROR_ILLPARAM, \"max and/or length is invalid. The length must be "
         "specified when loading from memory.\""},
    };
    for (const auto& c : cases) {
        ResourceInfo entry;
        entry.SetLocation(c.location);
        entry.SetReader(new FakeCoreHost::MemoryReader(std::string(c.location).find("broken") != std::string::npos
                                                           ? "RIFF....WAVE"
                                                           : bytes));
        entry.SetMetadata(Eval(c.metadata));
        BASSSoundLoader loader;
        EXPECT_EQ(FailureOf([&] { loader.LoadResource(entry.GetReader(), entry); }), c.failure);
        EXPECT_EQ(entry.GetResource(), nullptr);
    }
    EXPECT_EQ(GetMemUsage(MEMUSAGE_SOUNDS), static_cast<std::int32_t>(Sound::GetSound("click.ogg")->CalcMemoryUsage(false)));
}

TEST_F(SoundTest, LoaderTakesSoundFilesAndTheirSettings)
{
    BASSSoundLoader loader;
    EXPECT_EQ(loader.GetDescription(), "BASS sound file loader");
    const std::pair<const char*, bool> cases[] = {
        {"/data/click.ogg", true}, {"a.mp3", true},   {"a.wav", true},   {".wav", false},
        {"a.OGG", false},          {"a.flac", false}, {"ogg", false},    {"", false},
    };
    for (const auto& [location, accepted] : cases) {
        ResourceInfo entry;
        entry.SetLocation(location);
        EXPECT_EQ(loader.CanLoad(entry), accepted) << location;
    }

    Sound* sound = Sound::GetSound("attention4.ogg");
    EXPECT_EQ(sound->GetName(), "attention4.ogg");
    EXPECT_EQ(sound->GetVolume(), 50);
    EXPECT_EQ(sound->GetPan(), -30);
    ResourceInfo* info = manager->FindInfo("attention4.ogg");
    EXPECT_EQ(info->GetType(), RESOURCE_SOUND);

    // The sample's own volume reaches the channel it plays on.
    const std::uint32_t channel = Sound::Play("attention4.ogg");
    ASSERT_NE(channel, 0u);
    int mixer = -1;
    for (int m = 0; m < Mix_AllocateChannels(-1); ++m)
        if (Mix_Playing(m))
            mixer = m;
    ASSERT_GE(mixer, 0);
    EXPECT_EQ(Mix_Volume(mixer, -1), (50 * MIX_MAX_VOLUME + 50) / 100);
    sound->SetVolume(100);
    EXPECT_EQ(Mix_Volume(mixer, -1), MIX_MAX_VOLUME);
}

TEST_F(SoundTest, ScriptFunctionsPlayAndAsk)
{
    Run("PlaySound('attention4.ogg')");
    EXPECT_EQ(Eval("IsPlaying('attention4.ogg', true)").GetBoolean(), true);
    EXPECT_EQ(Eval("IsPlaying('click2.ogg')").GetBoolean(), false);
    EXPECT_EQ(Eval("select('#', IsPlaying(5))").GetInteger(), 0);
    Run("PlaySound(5); PlaySound(); PlaySound('')");
    EXPECT_EQ(CountInLog(":FIRST PLAY"), 1);

    // Only a boolean asks for a loop.
    Run("PlaySound('click2.ogg', 'yes'); PlaySound('click.ogg', true)");
    now += 60000;
    EXPECT_EQ(Eval("IsPlaying('click2.ogg')").GetBoolean(), false);
    EXPECT_EQ(Eval("IsPlaying('click.ogg')").GetBoolean(), true);
}

TEST_F(SoundTest, StoppingChannelsAndSounds)
{
    Run("Config.soundDoNotPlayAgainRange = 0");
    const std::uint32_t spinA = Sound::Play("click.ogg", true);
    const std::uint32_t spinB = Sound::Play("click.ogg", true);
    Sound::StopChannel(spinA);
    EXPECT_EQ(Audio::ChannelIsActive(spinA), Audio::ACTIVE_STOPPED);
    EXPECT_EQ(Audio::ChannelIsActive(spinB), Audio::ACTIVE_PLAYING);
    EXPECT_NO_THROW(Sound::StopChannel(0));
    // A channel that ended and was given to another playback is gone: ignored.
    EXPECT_NE(Sound::Play("click.ogg"), 0u);
    EXPECT_NO_THROW(Sound::StopChannel(spinA));

    // Stopping the sound stops all its playbacks.
    EXPECT_TRUE(Sound::Stop("click.ogg"));
    EXPECT_EQ(Mix_Playing(-1), 0);

    // A sound never played is not decoded only to be stopped or asked about.
    EXPECT_TRUE(Sound::Stop("attention4.ogg"));
    EXPECT_EQ(Eval("IsPlaying('attention4.ogg')").GetBoolean(), false);
    EXPECT_EQ(manager->FindInfo("attention4.ogg")->GetResource(), nullptr);
    EXPECT_EQ(CountInLog("WARNING"), 0) << LogText();
}

TEST_F(SoundTest, QuittingAfterSDLIsDownIsSafe)
{
    EXPECT_NE(Sound::Play("click.ogg"), 0u);
    SDL_Quit();
    Sound::Quit();
    // Sounds freed after the device went are let go quietly.
    manager.reset();
    EXPECT_EQ(GetMemUsage(MEMUSAGE_SOUNDS), 0);
}

TEST(SoundErrorTexts, NameAndDescribeEveryCode)
{
    EXPECT_STREQ(GetBASSErrorName(18), "BASS_ERROR_NOCHAN");
    EXPECT_STREQ(GetBASSErrorDescription(37), "Sample functions are not available when using the \"no sound\" device.");
    EXPECT_STREQ(GetBASSErrorName(-1), "BASS_ERROR_UNKNOWN");
    EXPECT_STREQ(GetBASSErrorDescription(-1), "Some other mystery problem!");
    const std::string noHardware = GetBASSErrorDescription(29);
    EXPECT_EQ(noHardware.back(), ' ');
    for (int code : {10, 99, -2}) {
        EXPECT_STREQ(GetBASSErrorName(code), "UNKNOWN_ERROR");
        EXPECT_STREQ(GetBASSErrorDescription(code), "UNKNOWN ERROR!");
    }
}
