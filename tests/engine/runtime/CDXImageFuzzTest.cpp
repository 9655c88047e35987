// Seeded mutation fuzzing of the image-file readers: the small files of the
// decoder tests, mutated (bit flips, bytes and header fields set to edge
// values, cuts, inserts, repeats, splices), are decoded as every format. Each
// must decode into a consistent picture or fail, never read or write outside
// its bytes (the test build runs under the sanitizers).
//
// A fixed number of inputs runs with the tests. For a long run:
//     VELK_FUZZ_ITERATIONS=200000 VELK_FUZZ_SEED=7 build/test/tests/velk_engine_tests --gtest_filter='CDXImageFuzz*'
// Every input follows from the seed and its number, so a failure reports both.

#include "engine/runtime/CDXImage.h"

#include "CDXImageFixtures.h"
#include "support/FuzzBudget.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>

using namespace cdxfixture;

namespace {

class ByteMutator
{
public:
    explicit ByteMutator(unsigned seed) : m_Random(seed) {}

    std::size_t Below(std::size_t n) { return n ? std::uniform_int_distribution<std::size_t>(0, n - 1)(m_Random) : 0; }

    Bytes Mutate(Bytes bytes, const std::vector<Bytes>& others)
    {
        for (std::size_t n = 1 + Below(4); n > 0; --n)
            MutateOnce(bytes, others);
        return bytes;
    }

private:
    void MutateOnce(Bytes& bytes, const std::vector<Bytes>& others)
    {
        const std::size_t at = Below(bytes.size() + 1);
        switch (Below(8)) {
        case 0: // one bit
            if (!bytes.empty())
                bytes[Below(bytes.size())] ^= static_cast<std::uint8_t>(1u << Below(8));
            break;
        case 1: // one byte
            if (!bytes.empty())
                bytes[Below(bytes.size())] = static_cast<std::uint8_t>(Below(256));
            break;
        case 2: { // a header field set to an edge value, either byte order
            static constexpr std::uint32_t kEdges[] = {0,      1,      0x7F,    0x80,       0xFF,
                                                       0x100,  0x3FFF, 0x4000,  0x4001,     0x7FFF,
                                                       0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, 0xFFFFFFFF};
            const std::uint32_t value = kEdges[Below(std::size(kEdges))];
            const std::size_t width = Below(2) ? 2 : 4;
            const std::size_t field = Below(std::min<std::size_t>(bytes.size(), 140));
            const bool bigEndian = Below(2) == 0;
            for (std::size_t i = 0; i < width && field + i < bytes.size(); ++i) {
                const std::size_t shift = 8 * (bigEndian ? width - 1 - i : i);
                bytes[field + i] = static_cast<std::uint8_t>(value >> shift);
            }
            break;
        }
        case 3: // cut short
            bytes.resize(at);
            break;
        case 4: { // a few random bytes
            Bytes random(1 + Below(16));
            for (std::uint8_t& b : random)
                b = static_cast<std::uint8_t>(Below(256));
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), random.begin(), random.end());
            break;
        }
        case 5: // a range taken out
            bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                        bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), at + Below(32))));
            break;
        case 6: { // a range repeated
            const std::size_t length = Below(std::min<std::size_t>(bytes.size() - at, 64) + 1);
            const Bytes piece(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                              bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
            for (std::size_t n = 1 + Below(8); n > 0; --n)
                bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), piece.begin(), piece.end());
            break;
        }
        default: { // a piece of another file spliced in
            const Bytes& other = others[Below(others.size())];
            const std::size_t from = Below(other.size() + 1);
            const std::size_t length = std::min(other.size() - from, Below(128));
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                         other.begin() + static_cast<std::ptrdiff_t>(from),
                         other.begin() + static_cast<std::ptrdiff_t>(from + length));
            break;
        }
        }
    }

    std::mt19937 m_Random;
};

// A decoded picture is whole: its size within the limits, its buffer exactly its rows.
void ExpectConsistent(const CDXDecodedImage& image, int format)
{
    SCOPED_TRACE("decoded as format " + std::to_string(format));
    ASSERT_GE(image.Width(), 1);
    ASSERT_GE(image.Height(), 1);
    ASSERT_LE(image.Width(), kCDXMaxImageSide);
    ASSERT_LE(image.Height(), kCDXMaxImageSide);
    const int bitCount = image.header.bitCount;
    ASSERT_TRUE(bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32) << bitCount;
    ASSERT_EQ(image.pixels.size(), image.RowBytes() * static_cast<std::size_t>(image.Height()));
    ASSERT_LE(image.pixels.size(), kCDXMaxPixelBytes);
    ASSERT_EQ(CDXImage::ToARGB(image).size(),
              static_cast<std::size_t>(image.Width()) * static_cast<std::size_t>(image.Height()));
}

} // namespace

TEST(CDXImageFuzz, MutatedImageFilesDecodeAsEveryFormatOrFailCleanly)
{
    std::vector<std::vector<std::uint8_t>> fixtures = {
        Bmp24(),
        Bmp8TopDown(),
        BmpRle8(6, 4,
                {3, 10, 0, 3, 20, 21, 22, 0, 0, 0, 0, 4, 1, 2, 3, 4, 2, 30, 0, 0, 1, 50, 0, 2, 3, 1, 2, 40, 0, 1}),
        Tga24().Build(),
        Tga32RleTopDown().Build(),
        Psd(3, kW, kH, PicturePlanes(), false),
        Psd(3, kW, kH, PicturePlanes(), true),
        Pcx24(),
        Pcx8(),
        Jpeg(),
    };
    const Tga mapped{.imageType = 9, .depth = 8, .colorMapType = 1, .mapStart = 2, .mapEntrySize = 16,
                     .colorMap = {0x00, 0x7C, 0x1F, 0x00}, .data = {0x82, 2, 0x02, 3, 2, 3}};
    fixtures.push_back(mapped.Build());

    const unsigned seed = FuzzSeed();
    const int iterations = FuzzIterations(10000);
    int decoded = 0;
    CDXImage reader;
    for (int i = 0; i < iterations; ++i) {
        ByteMutator mutator(seed * 1000003u + static_cast<unsigned>(i));
        const Bytes input = mutator.Mutate(fixtures[mutator.Below(fixtures.size())], fixtures);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", input " + std::to_string(i));
        // Detection only when it finds something, so the log stays quiet.
        std::vector<int> formats = {1, 2, 3, 4, 5};
        if (CDXImage::DetectFormat(input.data(), input.size()) != CDXImage::CDXIMAGE_DETECT)
            formats.push_back(CDXImage::CDXIMAGE_DETECT);
        for (int format : formats) {
            CDXDecodedImage image;
            if (reader.Decode(input.data(), input.size(), format, image)) {
                ++decoded;
                ExpectConsistent(image, format);
            } else {
                EXPECT_TRUE(image.pixels.empty());
            }
            if (HasFailure())
                return;
        }
    }
    // The mutations leave many files whole enough to decode: the decoders' inner paths are exercised.
    EXPECT_GT(decoded, iterations / 10);
    std::printf("CDXImageFuzz: %d decodes of %d mutated files succeeded\n", decoded, iterations);
}
