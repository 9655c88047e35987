#pragma once

#include <cstddef>
#include <cstdint>

// Interleaved 16-bit audio at twice its rate, by linear interpolation: each
// input frame gives the mean of itself and the frame before, then itself, so
// `out` takes 2 * frames frames. `last` holds `channels` values: the frame
// before the first (silence at the start of a sound), and afterwards the final
// frame, so that a stream goes on seamlessly in the next call.
//
// The mixer runs at the device's own rate while the sounds and the synthesiser
// run at half of it; this is cheap enough for the audio thread, and their
// content lies well below the half rate's limit.
void DoubleRate(const std::int16_t* in, std::size_t frames, int channels, std::int16_t* out, std::int16_t* last);

// Interleaved stereo to mono, each frame the mean of its two values; `out` may
// be `in` itself.
void StereoToMono(const std::int16_t* in, std::size_t frames, std::int16_t* out);
