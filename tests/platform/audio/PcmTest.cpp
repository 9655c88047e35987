#include "platform/audio/Pcm.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

TEST(PcmTest, DoubleRateInterleavesMeansWithTheFramesThemselves)
{
    const struct
    {
        int channels;
        std::vector<std::int16_t> in;
        std::vector<std::int16_t> out;
    } cases[] = {
        // From silence: half the first value, then the value.
        {1, {100, 200, -100}, {50, 100, 150, 200, 50, -100}},
        // Each channel on its own; the extremes do not overflow, and a mean
        // rounds down.
        {2, {32767, -32768, 32767, -32768, 1, 0}, {16383, -16384, 32767, -32768, 32767, -32768, 32767, -32768,
                                                   16384, -16384, 1, 0}},
        {1, {}, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::int16_t> out(c.in.size() * 2, 7);
        std::int16_t last[2] = {0, 0};
        DoubleRate(c.in.data(), c.in.size() / c.channels, c.channels, out.data(), last);
        EXPECT_EQ(out, c.out) << c.channels << " channels";
    }
}

TEST(PcmTest, ARateDoubledInPiecesIsTheSameAsAtOnce)
{
    std::vector<std::int16_t> in;
    for (int i = 0; i < 64; ++i)
        in.push_back(static_cast<std::int16_t>(i * 997 % 4001 - 2000));
    std::vector<std::int16_t> whole(in.size() * 2);
    std::int16_t last[2] = {0, 0};
    DoubleRate(in.data(), in.size() / 2, 2, whole.data(), last);
    EXPECT_EQ(last[0], in[62]);
    EXPECT_EQ(last[1], in[63]);

    std::vector<std::int16_t> pieces(in.size() * 2);
    std::int16_t carried[2] = {0, 0};
    DoubleRate(in.data(), 5, 2, pieces.data(), carried);
    DoubleRate(in.data() + 10, 27, 2, pieces.data() + 20, carried);
    EXPECT_EQ(pieces, whole);
}

TEST(PcmTest, StereoFoldsToTheMeanOfEachFrameInPlace)
{
    std::vector<std::int16_t> values = {100, 300, 32767, 32767, -32768, -32767, 1, 0};
    StereoToMono(values.data(), 4, values.data());
    values.resize(4);
    EXPECT_EQ(values, (std::vector<std::int16_t>{200, 32767, -32767, 0}));
}
