#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Our own small audio library over SDL_mixer's sample channels (its music
// channel is left to the music player): one output device, samples that play
// on several channels at once, streams that play once at a time, global
// volumes, and pausing the output. Handles, flags and error codes are the ones
// the engine's sound code works with; every call sets the code that
// ErrorGetCode reports (ERROR_OK after a success). Main thread only.
//
// SDL_mixer cannot say where a channel is, so a clock does: a started channel
// is at the bytes its playing time is worth in the device's format, and one
// that does not loop has ended once that reaches its length. Pausing the output
// stops that clock. Flags take effect when a channel starts.
namespace Audio {

using Handle = std::uint32_t;

enum ErrorCode : int
{
    ERROR_OK = 0,
    ERROR_MEM = 1,
    ERROR_DRIVER = 3,
    ERROR_HANDLE = 5,
    ERROR_POSITION = 7,
    ERROR_INIT = 8,
    ERROR_START = 9,
    ERROR_ALREADY = 14,
    ERROR_NOCHAN = 18,
    ERROR_ILLPARAM = 20,
    ERROR_DEVICE = 23,
    ERROR_FREQ = 25,
    ERROR_FILEFORM = 41,
    ERROR_UNKNOWN = -1,
};

// Init's device flags.
inline constexpr std::uint32_t DEVICE_8BITS = 1;
inline constexpr std::uint32_t DEVICE_MONO = 2;
// Flags of samples, streams and channels.
inline constexpr std::uint32_t SAMPLE_8BITS = 1;
inline constexpr std::uint32_t SAMPLE_LOOP = 4;
inline constexpr std::uint32_t SAMPLE_SOFTWARE = 0x10;
// Options of SetConfig and GetConfig.
inline constexpr std::uint32_t CONFIG_GVOL_SAMPLE = 4;
inline constexpr std::uint32_t CONFIG_GVOL_STREAM = 5;
// 1: starting a channel while the output is paused fails with ERROR_START.
inline constexpr std::uint32_t CONFIG_PAUSE_NOPLAY = 13;
// ChannelIsActive.
inline constexpr std::uint32_t ACTIVE_STOPPED = 0;
inline constexpr std::uint32_t ACTIVE_PLAYING = 1;
// What the 32- and 64-bit queries give on failure.
inline constexpr std::uint32_t kFailed = 0xFFFFFFFFu;
inline constexpr std::uint64_t kFailedPosition = ~std::uint64_t{0};

// The open device. Rates in Hz, buffer times in milliseconds.
struct Info
{
    std::uint32_t flags = 0;
    std::uint32_t hwsize = 0;
    std::uint32_t hwfree = 0;
    std::uint32_t free3d = 0;
    std::uint32_t minrate = 0;
    std::uint32_t maxrate = 0;
    std::uint32_t eax = 0;
    std::uint32_t minbuf = 0;
    std::uint32_t dsver = 0;
    std::uint32_t latency = 0;
    std::uint32_t speakers = 0;
    const char* driver = "";
};

struct SampleInfo
{
    std::uint32_t freq = 0;
    std::uint32_t volume = 100;
    std::int32_t pan = 0;
    // SAMPLE_8BITS when the device plays 8-bit values.
    std::uint32_t flags = 0;
    // In sample values (one per output channel and frame), so bytes are twice
    // this for 16-bit values.
    std::uint32_t length = 0;
    std::uint32_t max = 0;
};

// The SDL layer's audio device runs at this rate or more whatever rate is
// asked, and resamples a lower one on its own audio thread: a third of that
// thread's time while the menu plays its music. Init opens the output at the
// device's rate instead, as the library this stands in for does on current
// systems, and the sounds are brought to it as they load.
inline constexpr std::uint32_t kDeviceRate = 44100;

// Device 0 is "No sound"; device 1 is SDL's audio driver when SDL can start
// one. Null past the last device.
const char* GetDeviceDescription(std::uint32_t device);

// Opens device 1 at the rate, or kDeviceRate if that is higher, with 16-bit
// stereo values unless the flags ask for 8 bits or mono.
bool Init(int device, std::uint32_t freq, std::uint32_t flags);
bool GetInfo(Info& info);
// Closes the device; every handle is freed with it.
bool Free();
// Pause stops every channel where it is; Start lets them go on.
bool Pause();
bool Start();
int ErrorGetCode();

// Settings outlive the device. SetConfig gives the previous value, and both
// give kFailed for an unknown option or a value out of range.
std::uint32_t SetConfig(std::uint32_t option, std::uint32_t value);
std::uint32_t GetConfig(std::uint32_t option);

// Decodes a whole WAV or Ogg Vorbis file from memory (the bytes are not kept).
// A sample plays on at most max channels at once (1 to 65535).
Handle SampleLoad(const void* data, std::size_t length, std::uint32_t max, std::uint32_t flags);
bool SampleFree(Handle sample);
bool SampleGetInfo(Handle sample, SampleInfo& info);
// A new channel of the sample, ready to play; one whose play has ended is
// reused (its old handle is then no longer valid). ERROR_NOCHAN when max of
// them are playing.
Handle SampleGetChannel(Handle sample);
// Stops every channel of the sample.
bool SampleStop(Handle sample);

// A stream is a channel of its own.
Handle StreamCreate(const void* data, std::size_t length, std::uint32_t flags);
bool StreamFree(Handle stream);

// These take a sample channel or a stream.
std::uint32_t ChannelIsActive(Handle channel);
// Without restart a playing channel goes on, and a stopped one starts where it
// stopped.
bool ChannelPlay(Handle channel, bool restart);
bool ChannelStop(Handle channel);
bool ChannelSetFlags(Handle channel, std::uint32_t flags);
// freq -1, volume -1 (else 0..100) and pan -101 (else -100..100) leave that
// value as it is. Changing the rate is not supported.
bool ChannelSetAttributes(Handle channel, int freq, int volume, int pan);
bool ChannelSetPosition(Handle channel, std::uint64_t position);
std::uint64_t ChannelGetPosition(Handle channel);
std::uint64_t ChannelGetLength(Handle channel);

// Milliseconds; null restores the steady clock.
using Clock = std::function<std::uint64_t()>;
void SetClock(Clock clock);

} // namespace Audio
