#include "platform/audio/Audio.h"

#include "platform/audio/Pcm.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace Audio {

namespace {

constexpr std::uint32_t kMaxSamplePlaybacks = 65535;
constexpr int kMixerChannelStep = 16;

// A sample's playback, or a stream.
struct Channel
{
    Handle sample = 0;  // 0 for a stream
    Mix_Chunk* chunk = nullptr;  // the sample's, or the stream's own
    // The rest of the chunk, when it starts past its beginning.
    Mix_Chunk part{};
    std::uint32_t flags = 0;
    int volume = 100;
    int pan = 0;
    // Started and not stopped since; it may have run to its end meanwhile.
    bool started = false;
    bool looping = false;
    // Where it starts next, or where it started while it is started.
    std::uint64_t position = 0;
    std::uint64_t startTime = 0;
    int mixer = -1;
};

struct Sample
{
    Mix_Chunk* chunk = nullptr;
    std::uint32_t flags = 0;
    std::uint32_t max = 0;
    // The latest channel of each playback slot.
    std::vector<Handle> slots;
};

struct Device
{
    bool open = false;
    bool ownsSubsystem = false;
    int freq = 0;
    int outputChannels = 0;
    int bytesPerValue = 0;
    int bufferFrames = 0;
    bool paused = false;
    std::uint64_t pausedAt = 0;
    std::uint64_t pausedTotal = 0;
    std::unordered_map<Handle, Sample> samples;
    std::unordered_map<Handle, Channel> channels;
    // Which of our channels last started on each SDL_mixer channel.
    std::vector<Handle> mixerOwner;
};

struct Settings
{
    std::uint32_t sampleVolume = 100;
    std::uint32_t streamVolume = 100;
    std::uint32_t pauseNoPlay = 0;
};

Device g_Device;
Settings g_Settings;
Handle g_NextHandle = 1;
int g_Error = ERROR_OK;
Clock g_Clock;
std::string g_DriverName;

template <typename T>
T Fail(int code, T result)
{
    g_Error = code;
    return result;
}

template <typename T>
T Succeed(T result)
{
    g_Error = ERROR_OK;
    return result;
}

std::uint64_t Now()
{
    if (g_Clock)
        return g_Clock();
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Time that passed while the output was not paused.
std::uint64_t OutputTime()
{
    const std::uint64_t now = Now();
    return now - g_Device.pausedTotal - (g_Device.paused ? now - g_Device.pausedAt : 0);
}

std::uint64_t FrameBytes()
{
    return static_cast<std::uint64_t>(g_Device.bytesPerValue) * static_cast<std::uint64_t>(g_Device.outputChannels);
}

std::uint64_t BytesIn(std::uint64_t milliseconds)
{
    return milliseconds * static_cast<std::uint64_t>(g_Device.freq) / 1000 * FrameBytes();
}

Handle NewHandle()
{
    Handle handle = g_NextHandle++;
    if (handle == 0 || handle == kFailed) {
        g_NextHandle = 2;
        handle = 1;
    }
    return handle;
}

// Where the channel is, and whether it still sounds.
std::uint64_t PositionOf(const Channel& channel, bool& sounding)
{
    sounding = false;
    const std::uint64_t length = channel.chunk->alen;
    if (!channel.started)
        return channel.position;
    const std::uint64_t travelled = BytesIn(OutputTime() - channel.startTime);
    if (channel.looping) {
        sounding = true;
        return channel.position + travelled % (length - channel.position);
    }
    if (channel.position + travelled >= length)
        return length;
    sounding = true;
    return channel.position + travelled;
}

bool Sounding(const Channel& channel)
{
    bool sounding = false;
    PositionOf(channel, sounding);
    return sounding;
}

bool OwnsMixer(Handle handle, const Channel& channel)
{
    return channel.mixer >= 0 && static_cast<std::size_t>(channel.mixer) < g_Device.mixerOwner.size() &&
           g_Device.mixerOwner[static_cast<std::size_t>(channel.mixer)] == handle;
}

void Halt(Handle handle, Channel& channel)
{
    if (OwnsMixer(handle, channel)) {
        Mix_HaltChannel(channel.mixer);
        g_Device.mixerOwner[static_cast<std::size_t>(channel.mixer)] = 0;
    }
    channel.mixer = -1;
}

void Stop(Handle handle, Channel& channel)
{
    bool sounding = false;
    channel.position = PositionOf(channel, sounding);
    channel.started = false;
    Halt(handle, channel);
}

// A free SDL_mixer channel: one that is silent and whose last owner has ended.
int TakeMixerChannel(Handle handle)
{
    for (std::size_t m = 0; m < g_Device.mixerOwner.size(); ++m) {
        if (Mix_Playing(static_cast<int>(m)))
            continue;
        const Handle previous = g_Device.mixerOwner[m];
        if (previous != 0 && previous != handle) {
            auto it = g_Device.channels.find(previous);
            if (it != g_Device.channels.end() && Sounding(it->second))
                continue;
        }
        g_Device.mixerOwner[m] = handle;
        return static_cast<int>(m);
    }
    const int first = static_cast<int>(g_Device.mixerOwner.size());
    const int total = Mix_AllocateChannels(first + kMixerChannelStep);
    if (total <= first)
        return -1;
    g_Device.mixerOwner.resize(static_cast<std::size_t>(total), 0);
    g_Device.mixerOwner[static_cast<std::size_t>(first)] = handle;
    return first;
}

int MixerVolume(const Channel& channel)
{
    const std::uint32_t global = channel.sample ? g_Settings.sampleVolume : g_Settings.streamVolume;
    return static_cast<int>((static_cast<std::uint32_t>(channel.volume) * global * MIX_MAX_VOLUME + 5000) / 10000);
}

void ApplyPan(const Channel& channel)
{
    const int left = channel.pan > 0 ? 255 * (100 - channel.pan) / 100 : 255;
    const int right = channel.pan < 0 ? 255 * (100 + channel.pan) / 100 : 255;
    Mix_SetPanning(channel.mixer, static_cast<Uint8>(left), static_cast<Uint8>(right));
}

bool StartChannel(Handle handle, Channel& channel)
{
    const std::uint64_t length = channel.chunk->alen;
    channel.started = false;
    if (channel.position >= length)
        return Succeed(true);  // at its end: nothing left to play
    Mix_Chunk* play = channel.chunk;
    if (channel.position > 0) {
        channel.part = *channel.chunk;
        channel.part.allocated = 0;
        channel.part.abuf += channel.position;
        channel.part.alen -= static_cast<Uint32>(channel.position);
        play = &channel.part;
    }
    const int mixer = TakeMixerChannel(handle);
    if (mixer < 0)
        return Fail(ERROR_MEM, false);
    channel.mixer = mixer;
    const bool looping = (channel.flags & SAMPLE_LOOP) != 0;
    Mix_Volume(mixer, MixerVolume(channel));
    ApplyPan(channel);
    SDL_LockAudio();
    const int result = Mix_PlayChannel(mixer, play, looping ? -1 : 0);
    if (result >= 0 && g_Device.paused)
        Mix_Pause(mixer);
    SDL_UnlockAudio();
    if (result < 0) {
        g_Device.mixerOwner[static_cast<std::size_t>(mixer)] = 0;
        channel.mixer = -1;
        return Fail(ERROR_UNKNOWN, false);
    }
    channel.started = true;
    channel.looping = looping;
    channel.startTime = OutputTime();
    return Succeed(true);
}

Channel* FindChannel(Handle handle)
{
    auto it = g_Device.channels.find(handle);
    return it == g_Device.channels.end() ? nullptr : &it->second;
}

Sample* FindSample(Handle handle)
{
    auto it = g_Device.samples.find(handle);
    return it == g_Device.samples.end() ? nullptr : &it->second;
}

// A sound decoded at its own rate: 16-bit values, interleaved.
struct Pcm
{
    std::vector<std::int16_t> values;
    int rate = 0;
    int channels = 0;
};

enum class PcmRead
{
    Decoded,
    NotOurs,  // left to SDL_mixer, which converts it itself
    Corrupt,
    TooLong,  // more than a chunk can hold at the device's rate
};

// Each value may become four bytes at the device's rate, or eight in stereo.
constexpr std::size_t kMaxDecodedValues = UINT32_MAX / 8;

struct MemoryFile
{
    const unsigned char* data;
    std::size_t size;
    std::size_t position;
};

std::size_t ReadMemory(void* to, std::size_t size, std::size_t count, void* source)
{
    auto* file = static_cast<MemoryFile*>(source);
    if (size == 0)
        return 0;
    const std::size_t items = std::min(count, (file->size - file->position) / size);
    std::memcpy(to, file->data + file->position, items * size);
    file->position += items * size;
    return items;
}

int SeekMemory(void* source, ogg_int64_t offset, int whence)
{
    auto* file = static_cast<MemoryFile*>(source);
    const ogg_int64_t base = whence == SEEK_CUR   ? static_cast<ogg_int64_t>(file->position)
                             : whence == SEEK_END ? static_cast<ogg_int64_t>(file->size)
                                                  : 0;
    if (offset < -base || offset > static_cast<ogg_int64_t>(file->size) - base)
        return -1;
    file->position = static_cast<std::size_t>(base + offset);
    return 0;
}

long TellMemory(void* source)
{
    return static_cast<long>(static_cast<MemoryFile*>(source)->position);
}

PcmRead ReadOgg(const void* data, std::size_t length, Pcm& pcm)
{
    MemoryFile file{static_cast<const unsigned char*>(data), length, 0};
    const ov_callbacks callbacks{ReadMemory, SeekMemory, nullptr, TellMemory};
    OggVorbis_File vorbis;
    if (ov_open_callbacks(&file, &vorbis, nullptr, 0, callbacks) != 0)
        return PcmRead::Corrupt;
    const vorbis_info* info = ov_info(&vorbis, -1);
    PcmRead result = PcmRead::Decoded;
    if (!info || info->channels < 1 || info->channels > 2 || info->rate <= 0 || info->rate > INT_MAX) {
        result = PcmRead::NotOurs;
    } else {
        pcm.rate = static_cast<int>(info->rate);
        pcm.channels = info->channels;
        char buffer[8192];
        int section = 0;
        for (;;) {
            const long got = ov_read(&vorbis, buffer, sizeof(buffer), SDL_BYTEORDER == SDL_BIG_ENDIAN, 2, 1, &section);
            if (got == 0)
                break;
            if (got == OV_HOLE)
                continue;
            const vorbis_info* part = ov_info(&vorbis, section);
            if (got < 0 || !part || part->channels != pcm.channels || part->rate != info->rate) {
                // A chained file that changes its format is left to SDL_mixer.
                result = got < 0 ? PcmRead::Corrupt : PcmRead::NotOurs;
                break;
            }
            if (pcm.values.size() + static_cast<std::size_t>(got / 2) > kMaxDecodedValues) {
                result = PcmRead::TooLong;
                break;
            }
            const auto* values = reinterpret_cast<const std::int16_t*>(buffer);
            pcm.values.insert(pcm.values.end(), values, values + got / 2);
        }
    }
    ov_clear(&vorbis);
    return result;
}

PcmRead ReadWav(const void* data, std::size_t length, Pcm& pcm)
{
    SDL_RWops* stream = SDL_RWFromConstMem(data, static_cast<int>(length));
    if (!stream)
        return PcmRead::NotOurs;
    SDL_AudioSpec wavFormat;
    Uint8* buffer = nullptr;
    Uint32 bytes = 0;
    if (!SDL_LoadWAV_RW(stream, 1, &wavFormat, &buffer, &bytes))
        return PcmRead::NotOurs;
    PcmRead result = PcmRead::NotOurs;
    if (wavFormat.format == AUDIO_S16SYS && (wavFormat.channels == 1 || wavFormat.channels == 2)) {
        pcm.rate = wavFormat.freq;
        pcm.channels = wavFormat.channels;
        pcm.values.resize(bytes / 2);
        std::memcpy(pcm.values.data(), buffer, pcm.values.size() * 2);
        result = PcmRead::Decoded;
    }
    SDL_FreeWAV(buffer);
    return result;
}

PcmRead ReadPcm(const void* data, std::size_t length, Pcm& pcm)
{
    const auto* bytes = static_cast<const char*>(data);
    if (length >= 4 && std::memcmp(bytes, "OggS", 4) == 0)
        return ReadOgg(data, length, pcm);
    if (length >= 12 && std::memcmp(bytes, "RIFF", 4) == 0 && std::memcmp(bytes + 8, "WAVE", 4) == 0)
        return ReadWav(data, length, pcm);
    return PcmRead::NotOurs;
}

// How many times the sound's rate the device's is, when it is brought to the
// device here: 0 leaves it to SDL_mixer (an 8-bit device, or a rate that is
// not the device's or half of it).
int RateFactorHere(const Pcm& pcm)
{
    if (g_Device.bytesPerValue != 2)
        return 0;
    return g_Device.freq == pcm.rate ? 1 : g_Device.freq == 2 * pcm.rate ? 2 : 0;
}

// In the device's format, the rate a factor of RateFactorHere; null when out
// of memory.
Mix_Chunk* ToDeviceChunk(const Pcm& pcm, int factor)
{
    const int channels = g_Device.outputChannels;
    const std::size_t frames = pcm.values.size() / static_cast<std::size_t>(pcm.channels);
    std::vector<std::int16_t> remixed;
    const std::int16_t* values = pcm.values.data();
    if (pcm.channels != channels) {
        remixed.resize(frames * static_cast<std::size_t>(channels));
        if (channels == 2) {
            for (std::size_t f = 0; f < frames; ++f)
                remixed[2 * f] = remixed[2 * f + 1] = values[f];
        } else {
            StereoToMono(values, frames, remixed.data());
        }
        values = remixed.data();
    }
    const std::uint64_t bytes = std::uint64_t{frames} * static_cast<std::uint64_t>(factor * channels) * 2;
    if (bytes > UINT32_MAX)
        return Fail<Mix_Chunk*>(ERROR_MEM, nullptr);
    // SDL_mixer frees a chunk and its buffer with free().
    auto* chunk = static_cast<Mix_Chunk*>(std::malloc(sizeof(Mix_Chunk)));
    auto* buffer = static_cast<std::int16_t*>(std::malloc(std::max<std::uint64_t>(bytes, 1)));
    if (!chunk || !buffer) {
        std::free(chunk);
        std::free(buffer);
        return Fail<Mix_Chunk*>(ERROR_MEM, nullptr);
    }
    if (factor == 2) {
        std::int16_t last[2] = {0, 0};
        DoubleRate(values, frames, channels, buffer, last);
    } else if (bytes > 0) {
        std::memcpy(buffer, values, bytes);
    }
    chunk->allocated = 1;
    chunk->abuf = reinterpret_cast<Uint8*>(buffer);
    chunk->alen = static_cast<Uint32>(bytes);
    chunk->volume = MIX_MAX_VOLUME;
    return chunk;
}

Mix_Chunk* Decode(const void* data, std::size_t length)
{
    if (!data || length == 0 || length > static_cast<std::size_t>(INT_MAX))
        return Fail<Mix_Chunk*>(ERROR_ILLPARAM, nullptr);
    Pcm pcm;
    const PcmRead read = ReadPcm(data, length, pcm);
    if (read == PcmRead::Corrupt)
        return Fail<Mix_Chunk*>(ERROR_FILEFORM, nullptr);
    if (read == PcmRead::TooLong)
        return Fail<Mix_Chunk*>(ERROR_MEM, nullptr);
    if (read == PcmRead::Decoded)
        if (const int factor = RateFactorHere(pcm))
            return ToDeviceChunk(pcm, factor);
    SDL_RWops* stream = SDL_RWFromConstMem(data, static_cast<int>(length));
    if (!stream)
        return Fail<Mix_Chunk*>(ERROR_MEM, nullptr);
    Mix_Chunk* chunk = Mix_LoadWAV_RW(stream, 1);
    if (!chunk)
        return Fail<Mix_Chunk*>(ERROR_FILEFORM, nullptr);
    return chunk;
}

void ReleaseChannel(Handle handle)
{
    if (Channel* channel = FindChannel(handle)) {
        Halt(handle, *channel);
        g_Device.channels.erase(handle);
    }
}

bool SubsystemAvailable()
{
    if (SDL_WasInit(SDL_INIT_AUDIO))
        return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0)
        return false;
    char name[64] = "";
    SDL_AudioDriverName(name, sizeof(name));
    g_DriverName = name;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return true;
}

} // namespace

const char* GetDeviceDescription(std::uint32_t device)
{
    if (device == 0)
        return Succeed("No sound");
    if (device == 1 && (g_Device.open || SubsystemAvailable())) {
        if (SDL_WasInit(SDL_INIT_AUDIO)) {
            char name[64] = "";
            if (SDL_AudioDriverName(name, sizeof(name)))
                g_DriverName = name;
        }
        return Succeed(g_DriverName.c_str());
    }
    return Fail<const char*>(ERROR_DEVICE, nullptr);
}

bool Init(int device, std::uint32_t freq, std::uint32_t flags)
{
    if (g_Device.open)
        return Fail(ERROR_ALREADY, false);
    if (device != 1)
        return Fail(ERROR_DEVICE, false);
    if (freq < 100 || freq > 100000)
        return Fail(ERROR_FREQ, false);
    bool ownsSubsystem = false;
    if (!SDL_WasInit(SDL_INIT_AUDIO)) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0)
            return Fail(ERROR_DRIVER, false);
        ownsSubsystem = true;
    }
    const Uint16 format = (flags & DEVICE_8BITS) ? AUDIO_U8 : AUDIO_S16SYS;
    const int outputChannels = (flags & DEVICE_MONO) ? 1 : 2;
    const int rate = std::max(static_cast<int>(freq), static_cast<int>(kDeviceRate));
    // About 40 ms of buffer: the audio thread wakes half as often as with
    // 20 ms, which is most of what it costs while the menu only plays its
    // music, and a click is still heard at once.
    int bufferFrames = 256;
    while (bufferFrames * 25 < rate)
        bufferFrames *= 2;
    if (Mix_OpenAudio(rate, format, outputChannels, bufferFrames) < 0) {
        if (ownsSubsystem)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return Fail(ERROR_DRIVER, false);
    }
    int openedFreq = 0;
    Uint16 openedFormat = 0;
    int openedChannels = 0;
    Mix_QuerySpec(&openedFreq, &openedFormat, &openedChannels);
    g_Device = Device();
    g_Device.open = true;
    g_Device.ownsSubsystem = ownsSubsystem;
    g_Device.freq = openedFreq;
    g_Device.outputChannels = openedChannels;
    g_Device.bytesPerValue = (openedFormat & 0xFF) / 8;
    g_Device.bufferFrames = bufferFrames;
    g_Device.mixerOwner.assign(static_cast<std::size_t>(Mix_AllocateChannels(kMixerChannelStep)), 0);
    char name[64] = "";
    if (SDL_AudioDriverName(name, sizeof(name)))
        g_DriverName = name;
    return Succeed(true);
}

bool GetInfo(Info& info)
{
    if (!g_Device.open)
        return Fail(ERROR_INIT, false);
    info = Info();
    info.minrate = info.maxrate = static_cast<std::uint32_t>(g_Device.freq);
    info.minbuf = info.latency = static_cast<std::uint32_t>(g_Device.bufferFrames * 1000 / g_Device.freq);
    info.speakers = static_cast<std::uint32_t>(g_Device.outputChannels);
    info.driver = g_DriverName.c_str();
    return Succeed(true);
}

bool Free()
{
    if (!g_Device.open)
        return Fail(ERROR_INIT, false);
    Mix_HaltChannel(-1);
    for (auto& [handle, channel] : g_Device.channels)
        if (channel.sample == 0)
            Mix_FreeChunk(channel.chunk);
    for (auto& [handle, sample] : g_Device.samples)
        Mix_FreeChunk(sample.chunk);
    const bool ownsSubsystem = g_Device.ownsSubsystem;
    g_Device = Device();
    Mix_CloseAudio();
    if (ownsSubsystem && SDL_WasInit(SDL_INIT_AUDIO))
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return Succeed(true);
}

bool Pause()
{
    if (!g_Device.open)
        return Fail(ERROR_INIT, false);
    if (!g_Device.paused) {
        g_Device.pausedAt = Now();
        g_Device.paused = true;
        Mix_Pause(-1);
    }
    return Succeed(true);
}

bool Start()
{
    if (!g_Device.open)
        return Fail(ERROR_INIT, false);
    if (g_Device.paused) {
        g_Device.pausedTotal += Now() - g_Device.pausedAt;
        g_Device.paused = false;
        Mix_Resume(-1);
    }
    return Succeed(true);
}

int ErrorGetCode()
{
    return g_Error;
}

std::uint32_t SetConfig(std::uint32_t option, std::uint32_t value)
{
    std::uint32_t* setting = nullptr;
    std::uint32_t limit = 100;
    switch (option) {
    case CONFIG_GVOL_SAMPLE: setting = &g_Settings.sampleVolume; break;
    case CONFIG_GVOL_STREAM: setting = &g_Settings.streamVolume; break;
    case CONFIG_PAUSE_NOPLAY: setting = &g_Settings.pauseNoPlay; limit = 1; break;
    default: return Fail(ERROR_ILLPARAM, kFailed);
    }
    if (value > limit)
        return Fail(ERROR_ILLPARAM, kFailed);
    const std::uint32_t previous = *setting;
    *setting = value;
    if (option != CONFIG_PAUSE_NOPLAY)
        for (auto& [handle, channel] : g_Device.channels)
            if (OwnsMixer(handle, channel) && (channel.sample != 0) == (option == CONFIG_GVOL_SAMPLE))
                Mix_Volume(channel.mixer, MixerVolume(channel));
    return Succeed(previous);
}

std::uint32_t GetConfig(std::uint32_t option)
{
    switch (option) {
    case CONFIG_GVOL_SAMPLE: return Succeed(g_Settings.sampleVolume);
    case CONFIG_GVOL_STREAM: return Succeed(g_Settings.streamVolume);
    case CONFIG_PAUSE_NOPLAY: return Succeed(g_Settings.pauseNoPlay);
    default: return Fail(ERROR_ILLPARAM, kFailed);
    }
}

Handle SampleLoad(const void* data, std::size_t length, std::uint32_t max, std::uint32_t flags)
{
    if (!g_Device.open)
        return Fail<Handle>(ERROR_INIT, 0);
    if (max < 1 || max > kMaxSamplePlaybacks)
        return Fail<Handle>(ERROR_ILLPARAM, 0);
    Mix_Chunk* chunk = Decode(data, length);
    if (!chunk)
        return 0;
    Sample sample;
    sample.chunk = chunk;
    sample.max = max;
    sample.flags = (flags & ~SAMPLE_8BITS) | (g_Device.bytesPerValue == 1 ? SAMPLE_8BITS : 0);
    const Handle handle = NewHandle();
    g_Device.samples.emplace(handle, std::move(sample));
    return Succeed(handle);
}

bool SampleFree(Handle handle)
{
    Sample* sample = FindSample(handle);
    if (!sample)
        return Fail(ERROR_HANDLE, false);
    for (Handle channel : sample->slots)
        ReleaseChannel(channel);
    Mix_FreeChunk(sample->chunk);
    g_Device.samples.erase(handle);
    return Succeed(true);
}

bool SampleGetInfo(Handle handle, SampleInfo& info)
{
    const Sample* sample = FindSample(handle);
    if (!sample)
        return Fail(ERROR_HANDLE, false);
    info = SampleInfo();
    info.freq = static_cast<std::uint32_t>(g_Device.freq);
    info.flags = sample->flags;
    info.length = sample->chunk->alen / static_cast<std::uint32_t>(g_Device.bytesPerValue);
    info.max = sample->max;
    return Succeed(true);
}

Handle SampleGetChannel(Handle handle)
{
    Sample* sample = FindSample(handle);
    if (!sample)
        return Fail<Handle>(ERROR_HANDLE, 0);
    Channel fresh;
    fresh.sample = handle;
    fresh.chunk = sample->chunk;
    fresh.flags = sample->flags & ~SAMPLE_LOOP;
    for (Handle& slot : sample->slots) {
        Channel* channel = FindChannel(slot);
        if (channel && Sounding(*channel))
            continue;
        ReleaseChannel(slot);
        slot = NewHandle();
        g_Device.channels.emplace(slot, fresh);
        return Succeed(slot);
    }
    if (sample->slots.size() >= sample->max)
        return Fail<Handle>(ERROR_NOCHAN, 0);
    const Handle channel = NewHandle();
    sample->slots.push_back(channel);
    g_Device.channels.emplace(channel, fresh);
    return Succeed(channel);
}

bool SampleStop(Handle handle)
{
    Sample* sample = FindSample(handle);
    if (!sample)
        return Fail(ERROR_HANDLE, false);
    for (Handle slot : sample->slots)
        if (Channel* channel = FindChannel(slot))
            Stop(slot, *channel);
    return Succeed(true);
}

Handle StreamCreate(const void* data, std::size_t length, std::uint32_t flags)
{
    if (!g_Device.open)
        return Fail<Handle>(ERROR_INIT, 0);
    Mix_Chunk* chunk = Decode(data, length);
    if (!chunk)
        return 0;
    Channel stream;
    stream.chunk = chunk;
    stream.flags = (flags & ~SAMPLE_8BITS) | (g_Device.bytesPerValue == 1 ? SAMPLE_8BITS : 0);
    const Handle handle = NewHandle();
    g_Device.channels.emplace(handle, stream);
    return Succeed(handle);
}

bool StreamFree(Handle handle)
{
    Channel* stream = FindChannel(handle);
    if (!stream || stream->sample != 0)
        return Fail(ERROR_HANDLE, false);
    Mix_Chunk* chunk = stream->chunk;
    ReleaseChannel(handle);
    Mix_FreeChunk(chunk);
    return Succeed(true);
}

std::uint32_t ChannelIsActive(Handle handle)
{
    const Channel* channel = FindChannel(handle);
    if (!channel)
        return Fail(ERROR_HANDLE, ACTIVE_STOPPED);
    return Succeed(Sounding(*channel) ? ACTIVE_PLAYING : ACTIVE_STOPPED);
}

bool ChannelPlay(Handle handle, bool restart)
{
    Channel* channel = FindChannel(handle);
    if (!channel)
        return Fail(ERROR_HANDLE, false);
    if (g_Settings.pauseNoPlay && g_Device.paused)
        return Fail(ERROR_START, false);
    if (Sounding(*channel)) {
        if (!restart)
            return Succeed(true);
        Halt(handle, *channel);
        channel->position = 0;
    } else if (restart) {
        channel->position = 0;
    } else {
        bool sounding = false;
        channel->position = PositionOf(*channel, sounding);
    }
    return StartChannel(handle, *channel);
}

bool ChannelStop(Handle handle)
{
    Channel* channel = FindChannel(handle);
    if (!channel)
        return Fail(ERROR_HANDLE, false);
    Stop(handle, *channel);
    return Succeed(true);
}

bool ChannelSetFlags(Handle handle, std::uint32_t flags)
{
    Channel* channel = FindChannel(handle);
    if (!channel)
        return Fail(ERROR_HANDLE, false);
    channel->flags = (channel->flags & SAMPLE_8BITS) | (flags & ~SAMPLE_8BITS);
    return Succeed(true);
}

bool ChannelSetAttributes(Handle handle, int freq, int volume, int pan)
{
    Channel* channel = FindChannel(handle);
    if (!channel)
        return Fail(ERROR_HANDLE, false);
    if (freq != -1)
        return Fail(ERROR_FREQ, false);
    if ((volume != -1 && (volume < 0 || volume > 100)) || (pan != -101 && (pan < -100 || pan > 100)))
        return Fail(ERROR_ILLPARAM, false);
    if (volume != -1)
        channel->volume = volume;
    if (pan != -101)
        channel->pan = pan;
    if (OwnsMixer(handle, *channel)) {
        Mix_Volume(channel->mixer, MixerVolume(*channel));
        ApplyPan(*channel);
    }
    return Succeed(true);
}

bool ChannelSetPosition(Handle handle, std::uint64_t position)
{
    Channel* channel = FindChannel(handle);
    if (!channel)
        return Fail(ERROR_HANDLE, false);
    if (position > 0 && position >= channel->chunk->alen)
        return Fail(ERROR_POSITION, false);
    position -= position % FrameBytes();
    if (Sounding(*channel)) {
        Halt(handle, *channel);
        channel->position = position;
        return StartChannel(handle, *channel);
    }
    channel->started = false;
    channel->position = position;
    return Succeed(true);
}

std::uint64_t ChannelGetPosition(Handle handle)
{
    const Channel* channel = FindChannel(handle);
    if (!channel)
        return Fail(ERROR_HANDLE, kFailedPosition);
    bool sounding = false;
    return Succeed(PositionOf(*channel, sounding));
}

std::uint64_t ChannelGetLength(Handle handle)
{
    const Channel* channel = FindChannel(handle);
    if (!channel)
        return Fail(ERROR_HANDLE, kFailedPosition);
    return Succeed(static_cast<std::uint64_t>(channel->chunk->alen));
}

void SetClock(Clock clock)
{
    g_Clock = std::move(clock);
}

} // namespace Audio
