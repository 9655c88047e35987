#include "platform/audio/Audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// A mono 16-bit PCM WAV file of silence.
std::string MakeWav(std::uint32_t rate, std::uint32_t frames)
{
    auto put32 = [](std::string& out, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto put16 = [](std::string& out, std::uint32_t v) {
        out.push_back(static_cast<char>(v & 0xFF));
        out.push_back(static_cast<char>((v >> 8) & 0xFF));
    };
    const std::uint32_t dataBytes = frames * 2;
    std::string wav = "RIFF";
    put32(wav, 36 + dataBytes);
    wav += "WAVEfmt ";
    put32(wav, 16);
    put16(wav, 1);  // PCM
    put16(wav, 1);  // mono
    put32(wav, rate);
    put32(wav, rate * 2);
    put16(wav, 2);
    put16(wav, 16);
    wav += "data";
    put32(wav, dataBytes);
    wav.append(dataBytes, '\0');
    return wav;
}

// The device asked for 22050 Hz (it runs at its own 44100), 16-bit stereo, on
// a clock the test moves.
class AudioTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Audio::SetClock([this] { return now; });
        ASSERT_TRUE(Audio::Init(1, 22050, 0)) << Audio::ErrorGetCode();
        // SDL_mixer ends a channel on the device's real-time clock; with the
        // device held still a channel sounds until it is halted, however slow
        // the test runs, and only the test's clock moves.
        SDL_PauseAudio(1);
        Audio::Info info;
        ASSERT_TRUE(Audio::GetInfo(info));
        rate = info.maxrate;
        frameBytes = 2 * info.speakers;
        // One second, at the device's own rate so that nothing is resampled.
        wav = MakeWav(rate, rate);
    }

    void TearDown() override
    {
        Audio::Free();
        Audio::SetConfig(Audio::CONFIG_GVOL_SAMPLE, 100);
        Audio::SetConfig(Audio::CONFIG_PAUSE_NOPLAY, 0);
        Audio::SetClock(nullptr);
    }

    std::uint64_t BytesIn(std::uint64_t ms) const { return ms * rate / 1000 * frameBytes; }

    std::uint64_t now = 1000;
    std::uint32_t rate = 0;
    std::uint32_t frameBytes = 0;
    std::string wav;
};

} // namespace

TEST(AudioDevice, DevicesAndStartUp)
{
    EXPECT_STREQ(Audio::GetDeviceDescription(0), "No sound");
    EXPECT_STREQ(Audio::GetDeviceDescription(1), "dummy");
    EXPECT_EQ(Audio::GetDeviceDescription(2), nullptr);
    EXPECT_EQ(Audio::ErrorGetCode(), Audio::ERROR_DEVICE);

    const std::string wav = MakeWav(22050, 100);
    EXPECT_EQ(Audio::SampleLoad(wav.data(), wav.size(), 1, 0), 0u);
    EXPECT_EQ(Audio::ErrorGetCode(), Audio::ERROR_INIT);
    EXPECT_FALSE(Audio::Pause());
    EXPECT_FALSE(Audio::Free());
    EXPECT_EQ(Audio::ErrorGetCode(), Audio::ERROR_INIT);

    EXPECT_FALSE(Audio::Init(2, 22050, 0));
    EXPECT_EQ(Audio::ErrorGetCode(), Audio::ERROR_DEVICE);
    ASSERT_TRUE(Audio::Init(1, 44100, Audio::DEVICE_MONO));
    EXPECT_FALSE(Audio::Init(1, 44100, 0));
    EXPECT_EQ(Audio::ErrorGetCode(), Audio::ERROR_ALREADY);
    Audio::Info info;
    ASSERT_TRUE(Audio::GetInfo(info));
    EXPECT_EQ(info.maxrate, 44100u);
    EXPECT_EQ(info.speakers, 1u);
    EXPECT_STREQ(info.driver, "dummy");
    EXPECT_TRUE(Audio::Free());
    EXPECT_FALSE(SDL_WasInit(SDL_INIT_AUDIO));

    // A lower rate asked for runs at the device's own.
    ASSERT_TRUE(Audio::Init(1, 22050, 0));
    ASSERT_TRUE(Audio::GetInfo(info));
    EXPECT_EQ(info.maxrate, 44100u);
    EXPECT_EQ(info.speakers, 2u);
    EXPECT_TRUE(Audio::Free());
}

TEST_F(AudioTest, SampleChannelsFollowTheClockUpToTheSampleLimit)
{
    const Audio::Handle sample = Audio::SampleLoad(wav.data(), wav.size(), 2, Audio::SAMPLE_SOFTWARE);
    ASSERT_NE(sample, 0u);
    Audio::SampleInfo info;
    ASSERT_TRUE(Audio::SampleGetInfo(sample, info));
    EXPECT_EQ(info.length * 2, BytesIn(1000));
    EXPECT_EQ(info.max, 2u);

    const Audio::Handle first = Audio::SampleGetChannel(sample);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(Audio::ChannelIsActive(first), Audio::ACTIVE_STOPPED);
    ASSERT_TRUE(Audio::ChannelPlay(first, true));
    EXPECT_EQ(Audio::ChannelIsActive(first), Audio::ACTIVE_PLAYING);
    EXPECT_GE(Mix_Playing(-1), 1) << "the sound reaches SDL_mixer";
    now += 250;
    EXPECT_EQ(Audio::ChannelGetPosition(first), BytesIn(250));

    const Audio::Handle second = Audio::SampleGetChannel(sample);
    ASSERT_NE(second, 0u);
    EXPECT_NE(second, first);
    ASSERT_TRUE(Audio::ChannelSetFlags(second, Audio::SAMPLE_LOOP));
    ASSERT_TRUE(Audio::ChannelPlay(second, true));
    EXPECT_EQ(Audio::SampleGetChannel(sample), 0u) << "both playbacks are busy";
    EXPECT_EQ(Audio::ErrorGetCode(), Audio::ERROR_NOCHAN);

    // The first ends at its length; the looping one wraps.
    now += 1100;
    EXPECT_EQ(Audio::ChannelIsActive(first), Audio::ACTIVE_STOPPED);
    EXPECT_EQ(Audio::ChannelGetPosition(first), BytesIn(1000));
    EXPECT_EQ(Audio::ChannelIsActive(second), Audio::ACTIVE_PLAYING);
    EXPECT_EQ(Audio::ChannelGetPosition(second), BytesIn(1100) - BytesIn(1000));

    // The ended playback's slot is reused; its old handle is gone.
    const Audio::Handle third = Audio::SampleGetChannel(sample);
    ASSERT_NE(third, 0u);
    EXPECT_EQ(Audio::ChannelIsActive(first), Audio::ACTIVE_STOPPED);
    EXPECT_EQ(Audio::ErrorGetCode(), Audio::ERROR_HANDLE);
    EXPECT_FALSE(Audio::ChannelStop(first));

    EXPECT_TRUE(Audio::SampleStop(sample));
    EXPECT_EQ(Audio::ChannelIsActive(second), Audio::ACTIVE_STOPPED);
    EXPECT_EQ(Mix_Playing(-1), 0);
    EXPECT_TRUE(Audio::SampleFree(sample));
    EXPECT_FALSE(Audio::SampleFree(sample));
    EXPECT_EQ(Audio::ChannelIsActive(second), Audio::ACTIVE_STOPPED);
    EXPECT_EQ(Audio::ErrorGetCode(), Audio::ERROR_HANDLE);
}

TEST_F(AudioTest, StreamsPlayOnceAtATimeAndKeepTheirPlace)
{
    const Audio::Handle stream = Audio::StreamCreate(wav.data(), wav.size(), Audio::SAMPLE_SOFTWARE);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(Audio::ChannelGetLength(stream), BytesIn(1000));
    ASSERT_TRUE(Audio::ChannelPlay(stream, false));
    now += 200;
    // Playing again without restart goes on where it is.
    ASSERT_TRUE(Audio::ChannelPlay(stream, false));
    now += 100;
    EXPECT_EQ(Audio::ChannelGetPosition(stream), BytesIn(300));

    // Stopped, it keeps its place and starts from there.
    ASSERT_TRUE(Audio::ChannelStop(stream));
    now += 500;
    EXPECT_EQ(Audio::ChannelIsActive(stream), Audio::ACTIVE_STOPPED);
    EXPECT_EQ(Audio::ChannelGetPosition(stream), BytesIn(300));
    ASSERT_TRUE(Audio::ChannelPlay(stream, false));
    now += 100;
    EXPECT_EQ(Audio::ChannelGetPosition(stream), BytesIn(400));
    ASSERT_TRUE(Audio::ChannelPlay(stream, true));
    EXPECT_EQ(Audio::ChannelGetPosition(stream), 0u);

    // Run out, it stays at its end until rewound.
    now += 2000;
    EXPECT_EQ(Audio::ChannelIsActive(stream), Audio::ACTIVE_STOPPED);
    ASSERT_TRUE(Audio::ChannelPlay(stream, false));
    EXPECT_EQ(Audio::ChannelIsActive(stream), Audio::ACTIVE_STOPPED);
    ASSERT_TRUE(Audio::ChannelSetPosition(stream, 0));
    ASSERT_TRUE(Audio::ChannelPlay(stream, false));
    EXPECT_EQ(Audio::ChannelIsActive(stream), Audio::ACTIVE_PLAYING);
    EXPECT_FALSE(Audio::ChannelSetPosition(stream, BytesIn(1000)));
    EXPECT_EQ(Audio::ErrorGetCode(), Audio::ERROR_POSITION);

    EXPECT_TRUE(Audio::StreamFree(stream));
    EXPECT_EQ(Mix_Playing(-1), 0);
    EXPECT_EQ(Audio::ChannelGetLength(stream), Audio::kFailedPosition);
    EXPECT_EQ(Audio::ErrorGetCode(), Audio::ERROR_HANDLE);
}

TEST_F(AudioTest, PausingTheOutputStopsTheClockOfEveryChannel)
{
    const Audio::Handle sample = Audio::SampleLoad(wav.data(), wav.size(), 3, 0);
    const Audio::Handle before = Audio::SampleGetChannel(sample);
    ASSERT_TRUE(Audio::ChannelPlay(before, true));
    now += 100;
    ASSERT_TRUE(Audio::Pause());
    EXPECT_GE(Mix_Paused(-1), 1);
    // Started while paused: it waits with the rest.
    const Audio::Handle during = Audio::SampleGetChannel(sample);
    ASSERT_TRUE(Audio::ChannelPlay(during, true));
    now += 5000;
    EXPECT_EQ(Audio::ChannelGetPosition(before), BytesIn(100));
    EXPECT_EQ(Audio::ChannelGetPosition(during), 0u);
    EXPECT_EQ(Audio::ChannelIsActive(during), Audio::ACTIVE_PLAYING);

    ASSERT_TRUE(Audio::Start());
    EXPECT_EQ(Mix_Paused(-1), 0);
    now += 100;
    EXPECT_EQ(Audio::ChannelGetPosition(before), BytesIn(200));
    EXPECT_EQ(Audio::ChannelGetPosition(during), BytesIn(100));

    // Refused while paused when asked to.
    Audio::SetConfig(Audio::CONFIG_PAUSE_NOPLAY, 1);
    ASSERT_TRUE(Audio::Pause());
    EXPECT_FALSE(Audio::ChannelPlay(Audio::SampleGetChannel(sample), true));
    EXPECT_EQ(Audio::ErrorGetCode(), Audio::ERROR_START);
}

TEST_F(AudioTest, SettingsAndAttributesRefuseValuesOutOfRange)
{
    EXPECT_EQ(Audio::SetConfig(Audio::CONFIG_GVOL_SAMPLE, 40), 100u);
    EXPECT_EQ(Audio::GetConfig(Audio::CONFIG_GVOL_SAMPLE), 40u);
    EXPECT_EQ(Audio::SetConfig(Audio::CONFIG_GVOL_SAMPLE, 101), Audio::kFailed);
    EXPECT_EQ(Audio::ErrorGetCode(), Audio::ERROR_ILLPARAM);
    EXPECT_EQ(Audio::GetConfig(Audio::CONFIG_GVOL_SAMPLE), 40u);
    EXPECT_EQ(Audio::GetConfig(99), Audio::kFailed);

    const Audio::Handle sample = Audio::SampleLoad(wav.data(), wav.size(), 1, 0);
    const Audio::Handle channel = Audio::SampleGetChannel(sample);
    ASSERT_TRUE(Audio::ChannelPlay(channel, true));
    // The mixer's volume is the channel's times the global one.
    int mixer = -1;
    for (int m = 0; m < Mix_AllocateChannels(-1); ++m)
        if (Mix_Playing(m))
            mixer = m;
    ASSERT_GE(mixer, 0);
    EXPECT_EQ(Mix_Volume(mixer, -1), (100 * 40 * MIX_MAX_VOLUME + 5000) / 10000);
    EXPECT_TRUE(Audio::ChannelSetAttributes(channel, -1, 50, -101));
    EXPECT_EQ(Mix_Volume(mixer, -1), (50 * 40 * MIX_MAX_VOLUME + 5000) / 10000);
    Audio::SetConfig(Audio::CONFIG_GVOL_SAMPLE, 100);
    EXPECT_EQ(Mix_Volume(mixer, -1), (50 * 100 * MIX_MAX_VOLUME + 5000) / 10000);

    const struct
    {
        int freq, volume, pan, error;
    } refused[] = {
        {44100, -1, -101, Audio::ERROR_FREQ},
        {-1, 101, -101, Audio::ERROR_ILLPARAM},
        {-1, -2, -101, Audio::ERROR_ILLPARAM},
        {-1, -1, 101, Audio::ERROR_ILLPARAM},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(Audio::ChannelSetAttributes(channel, c.freq, c.volume, c.pan)) << c.freq << " " << c.volume;
        EXPECT_EQ(Audio::ErrorGetCode(), c.error);
    }
}

TEST_F(AudioTest, SoundsAtHalfTheDeviceRateLoadAtTheDeviceRate)
{
    // A WAV file's every frame, twice.
    const std::string half = MakeWav(rate / 2, 1000);
    const Audio::Handle sample = Audio::SampleLoad(half.data(), half.size(), 1, 0);
    ASSERT_NE(sample, 0u);
    Audio::SampleInfo info;
    ASSERT_TRUE(Audio::SampleGetInfo(sample, info));
    EXPECT_EQ(info.length * 2, 2000u * frameBytes);
    EXPECT_EQ(info.freq, rate);

    // The game's Ogg Vorbis sounds, a short one and a loop, as long as
    // SDL_mixer's own conversion makes them, and the same as a stream.
    for (const char* name : {"click.ogg", "map_ambient.ogg"}) {
        SCOPED_TRACE(name);
        std::ifstream in(std::filesystem::path(VELK_GAME_DATA_DIR) / "sounds" / name, std::ios::binary);
        const std::string ogg{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        ASSERT_FALSE(ogg.empty());
        Mix_Chunk* reference = Mix_LoadWAV_RW(SDL_RWFromConstMem(ogg.data(), static_cast<int>(ogg.size())), 1);
        ASSERT_NE(reference, nullptr) << Mix_GetError();
        const Audio::Handle loaded = Audio::SampleLoad(ogg.data(), ogg.size(), 1, 0);
        ASSERT_NE(loaded, 0u) << Audio::ErrorGetCode();
        ASSERT_TRUE(Audio::SampleGetInfo(loaded, info));
        EXPECT_NEAR(static_cast<double>(info.length * 2), reference->alen, 16.0 * frameBytes);
        const Audio::Handle stream = Audio::StreamCreate(ogg.data(), ogg.size(), 0);
        EXPECT_EQ(Audio::ChannelGetLength(stream), info.length * 2);
        Mix_FreeChunk(reference);
        EXPECT_TRUE(Audio::StreamFree(stream));
        EXPECT_TRUE(Audio::SampleFree(loaded));

        // Cut short, it is refused.
        EXPECT_EQ(Audio::SampleLoad(ogg.data(), 200, 1, 0), 0u);
        EXPECT_EQ(Audio::ErrorGetCode(), Audio::ERROR_FILEFORM);
    }
}

TEST_F(AudioTest, RefusesFilesItCannotDecode)
{
    const std::string garbage = "this is not a sound file at all";
    const struct
    {
        const void* data;
        std::size_t size;
        std::uint32_t max;
        int error;
    } cases[] = {
        {garbage.data(), garbage.size(), 1, Audio::ERROR_FILEFORM},
        {wav.data(), 20, 1, Audio::ERROR_FILEFORM},
        {wav.data(), 0, 1, Audio::ERROR_ILLPARAM},
        {nullptr, 10, 1, Audio::ERROR_ILLPARAM},
        {wav.data(), wav.size(), 0, Audio::ERROR_ILLPARAM},
        {wav.data(), wav.size(), 65536, Audio::ERROR_ILLPARAM},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Audio::SampleLoad(c.data, c.size, c.max, 0), 0u) << c.size << " " << c.max;
        EXPECT_EQ(Audio::ErrorGetCode(), c.error) << c.size << " " << c.max;
    }
    EXPECT_EQ(Audio::StreamCreate(garbage.data(), garbage.size(), 0), 0u);
    EXPECT_EQ(Audio::ErrorGetCode(), Audio::ERROR_FILEFORM);
}

TEST_F(AudioTest, FreeingTheDeviceFreesEverySoundOnIt)
{
    const Audio::Handle sample = Audio::SampleLoad(wav.data(), wav.size(), 1, 0);
    const Audio::Handle stream = Audio::StreamCreate(wav.data(), wav.size(), 0);
    ASSERT_TRUE(Audio::ChannelPlay(Audio::SampleGetChannel(sample), true));
    ASSERT_TRUE(Audio::ChannelPlay(stream, true));
    ASSERT_TRUE(Audio::Free());
    EXPECT_FALSE(Audio::SampleFree(sample));
    EXPECT_FALSE(Audio::StreamFree(stream));
    EXPECT_EQ(Audio::ErrorGetCode(), Audio::ERROR_HANDLE);
    ASSERT_TRUE(Audio::Init(1, 22050, 0));
}
