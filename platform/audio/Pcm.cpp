#include "platform/audio/Pcm.h"

void DoubleRate(const std::int16_t* in, std::size_t frames, int channels, std::int16_t* out, std::int16_t* last)
{
    for (std::size_t frame = 0; frame < frames; ++frame) {
        for (int c = 0; c < channels; ++c) {
            const int value = in[c];
            // The sum of two 16-bit values fits an int; the shift rounds down.
            out[c] = static_cast<std::int16_t>((last[c] + value) >> 1);
            out[channels + c] = static_cast<std::int16_t>(value);
            last[c] = static_cast<std::int16_t>(value);
        }
        in += channels;
        out += 2 * channels;
    }
}

void StereoToMono(const std::int16_t* in, std::size_t frames, std::int16_t* out)
{
    for (std::size_t frame = 0; frame < frames; ++frame)
        out[frame] = static_cast<std::int16_t>((in[2 * frame] + in[2 * frame + 1]) / 2);
}
