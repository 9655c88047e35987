#include "engine/runtime/CDXImage.h"

#include "CDXImageFixtures.h"
#include "engine/core/Log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace cdxfixture;

namespace {

bool Decode(const Bytes& bytes, int format, CDXDecodedImage& out)
{
    CDXImage image;
    return image.Decode(bytes.data(), bytes.size(), format, out);
}

CDXDecodedImage Decoded(const Bytes& bytes, int format = CDXImage::CDXIMAGE_DETECT)
{
    CDXDecodedImage out;
    EXPECT_TRUE(Decode(bytes, format, out));
    return out;
}

void Put32LE(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The same bitmap with the 108-byte information header of the later versions:
// its colour table follows that header, not the first 40 bytes.
Bytes WithLongerInfoHeader(Bytes bmp)
{
    const std::uint32_t offset = bmp[10] | bmp[11] << 8 | bmp[12] << 16 | static_cast<std::uint32_t>(bmp[13]) << 24;
    bmp.insert(bmp.begin() + 54, 68, 0xCC);
    Put32LE(bmp, 2, static_cast<std::uint32_t>(bmp.size()));
    Put32LE(bmp, 10, offset + 68);
    Put32LE(bmp, 14, 108);
    return bmp;
}

Bytes With(Bytes bytes, std::size_t at, std::initializer_list<std::uint8_t> values)
{
    for (std::uint8_t v : values)
        bytes[at++] = v;
    return bytes;
}

Bytes Cut(Bytes bytes, std::size_t count)
{
    bytes.resize(count);
    return bytes;
}

const std::string kUnsupported = "Error: CDXImage - Unsupported Image type.\n";

} // namespace

TEST(CDXImage, EveryFormatDecodesTheSamePictureThroughDetection)
{
    struct Case
    {
        const char* name;
        Bytes bytes;
        int format;
        int bitCount;
        bool topDown;
    };
    const std::vector<Case> cases = {
        {"BMP 24-bit", Bmp24(), CDXImage::CDXIMAGE_BMP, 24, false},
        {"BMP 8-bit, top-down", Bmp8TopDown(), CDXImage::CDXIMAGE_BMP, 8, true},
        {"BMP 8-bit, 108-byte header", WithLongerInfoHeader(Bmp8TopDown()), CDXImage::CDXIMAGE_BMP, 8, true},
        {"TGA 24-bit raw", Tga24().Build(), CDXImage::CDXIMAGE_TGA, 24, false},
        {"TGA 32-bit run-length, top-down", Tga32RleTopDown().Build(), CDXImage::CDXIMAGE_TGA, 24, true},
        {"PSD raw", Psd(3, kW, kH, PicturePlanes(), false), CDXImage::CDXIMAGE_PSD, 32, true},
        {"PSD run-length", Psd(3, kW, kH, PicturePlanes(), true), CDXImage::CDXIMAGE_PSD, 32, true},
        {"PCX three planes", Pcx24(), CDXImage::CDXIMAGE_PCX, 24, true},
        {"PCX one plane with palette", Pcx8(), CDXImage::CDXIMAGE_PCX, 8, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CDXImage::DetectFormat(c.bytes.data(), c.bytes.size()), c.format);
        const CDXDecodedImage image = Decoded(c.bytes);
        EXPECT_EQ(image.header.bitCount, c.bitCount);
        EXPECT_EQ(image.header.compression, 0u);
        EXPECT_EQ(image.IsTopDown(), c.topDown);
        EXPECT_EQ(image.Width(), kW);
        EXPECT_EQ(image.Height(), kH);
        // Rows padded to whole 32-bit words.
        const std::size_t rowBytes = (kW * c.bitCount / 8 + 3) / 4 * 4;
        EXPECT_EQ(image.RowBytes(), rowBytes);
        EXPECT_EQ(image.pixels.size(), rowBytes * kH);
        EXPECT_EQ(CDXImage::ToARGB(image), PictureArgb());
    }
}

TEST(CDXImage, TheDecodedPictureKeepsTheBitmapLayout)
{
    // Bottom-up rows as stored, blue first, the padding of a bitmap's rows.
    const CDXDecodedImage bmp = Decoded(Bmp24());
    EXPECT_EQ(bmp.header.height, kH);
    EXPECT_EQ((Bytes{bmp.pixels.begin(), bmp.pixels.begin() + 3}), (Bytes{0, 255, 255})); // yellow, bottom left

    // Channels 0-3 go to bytes 2, 1, 0, 3; an alpha channel is kept in the
    // bytes but a surface shows every pixel opaque.
    std::vector<Bytes> planes = PicturePlanes();
    planes.push_back(Bytes(kW * kH, 0x40));
    const CDXDecodedImage psd = Decoded(Psd(4, kW, kH, planes, true));
    EXPECT_EQ(psd.header.height, -kH);
    EXPECT_EQ((Bytes{psd.pixels.end() - 4, psd.pixels.end()}), (Bytes{200, 60, 130, 0x40}));
    EXPECT_EQ(CDXImage::ToARGB(psd), PictureArgb());
    // Without an alpha channel it is opaque in the bytes too.
    const CDXDecodedImage opaque = Decoded(Psd(3, kW, kH, PicturePlanes(), true));
    EXPECT_EQ(opaque.pixels[3], 255);
    EXPECT_EQ(opaque.pixels.back(), 255);
    // A missing colour channel is black.
    const CDXDecodedImage red = Decoded(Psd(1, kW, kH, {PicturePlanes()[0]}, false));
    EXPECT_EQ(CDXImage::ToARGB(red)[5], 0xFF820000u);
}

TEST(CDXImage, BmpRle8RunsRowEndsDeltasLiteralsAndPictureEnd)
{
    const Bytes rle = {
        3, 10, 0, 3, 20, 21, 22, 0xAA, 0, 0, // row 0: a run, an odd literal with its pad byte, end of row
        0, 4,  1, 2, 3,  4,  2,  30,   0, 0, // row 1: an even literal (no pad), a run
        1, 50, 0, 2, 3,  1,                  // row 2: one pixel, then a delta 3 right and 1 up
        2, 40, 0, 1,                         // row 3: a run after the delta, end of picture
    };
    const CDXDecodedImage image = Decoded(BmpRle8(6, 4, rle));
    EXPECT_EQ(image.header.compression, 0u);
    const std::vector<Bytes> expected = {
        {10, 10, 10, 20, 21, 22}, {1, 2, 3, 4, 30, 30}, {50, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 40, 40}};
    ASSERT_EQ(image.pixels.size(), 8u * 4);
    for (std::size_t row = 0; row < expected.size(); ++row)
        EXPECT_EQ((Bytes{image.pixels.begin() + row * 8, image.pixels.begin() + row * 8 + 6}), expected[row])
            << "row " << row;
    // Read through the table: the bottom row of the file is the last on screen.
    EXPECT_EQ(CDXImage::ToARGB(image)[0], 0xFF000000u);
    EXPECT_EQ(CDXImage::ToARGB(image).back(), 0xFF161616u);

    // The last row's end also ends the picture; rows after an early end are black.
    const CDXDecodedImage early = Decoded(BmpRle8(2, 3, {2, 7, 0, 0, 0, 1}));
    EXPECT_EQ((Bytes{early.pixels.begin(), early.pixels.begin() + 2}), (Bytes{7, 7}));
    EXPECT_EQ(early.pixels[4], 0);
    EXPECT_TRUE(Decoded(BmpRle8(2, 2, {2, 7, 0, 0, 2, 8, 0, 0})).pixels[4] == 8);
}

TEST(CDXImage, TgaDepthsColourMapsAndOrigins)
{
    // 16-bit 5-5-5 pixels, low byte first, widen to 8 bits with the low three bits clear.
    const Tga wide{.depth = 16, .width = 4, .height = 1, .data = {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x10, 0x42}};
    EXPECT_EQ(CDXImage::ToARGB(Decoded(wide.Build())),
              (std::vector<std::uint32_t>{0xFFF80000, 0xFF00F800, 0xFF0000F8, 0xFF808080}));

    // An 8-bit picture whose map starts at index 200: entries land from there on, other indices are black.
    const Tga mapped{.imageType = 1, .depth = 8, .width = 3, .height = 1, .colorMapType = 1, .mapStart = 200,
                     .mapEntrySize = 24, .id = {'i', 'd'}, .colorMap = {30, 20, 10, 3, 2, 1}, .data = {201, 200, 5}};
    const CDXDecodedImage mappedImage = Decoded(mapped.Build());
    EXPECT_EQ(mappedImage.header.bitCount, 8);
    EXPECT_EQ(CDXImage::ToARGB(mappedImage), (std::vector<std::uint32_t>{0xFF010203, 0xFF0A141E, 0xFF000000}));

    // 15-bit entries (red in bits 10-14) past index 255 are left out.
    const Tga high{.imageType = 9, .depth = 8, .width = 4, .height = 1, .colorMapType = 1, .mapStart = 254,
                   .mapEntrySize = 15, .colorMap = {0x00, 0x7C, 0x1F, 0x00, 0xE0, 0x03},
                   .data = {0x82, 254, 0x00, 255}}; // a run of three, then one literal
    EXPECT_EQ(CDXImage::ToARGB(Decoded(high.Build())),
              (std::vector<std::uint32_t>{0xFFF80000, 0xFFF80000, 0xFFF80000, 0xFF0000F8}));

    // Grey levels without a map.
    const Tga grey{.imageType = 3, .depth = 8, .width = 2, .height = 1, .data = {0x00, 0x9A}};
    EXPECT_EQ(CDXImage::ToARGB(Decoded(grey.Build())), (std::vector<std::uint32_t>{0xFF000000, 0xFF9A9A9A}));

    // Stored right to left and top-down.
    Tga mirrored = Tga24();
    mirrored.descriptor = 0x30;
    mirrored.data.clear();
    for (int row = 0; row < kH; ++row) {
        const std::vector<Rgb> pixels = Row(row, false);
        for (auto it = pixels.rbegin(); it != pixels.rend(); ++it)
            mirrored.data.insert(mirrored.data.end(), {it->b, it->g, it->r});
    }
    EXPECT_EQ(CDXImage::ToARGB(Decoded(mirrored.Build())), PictureArgb());
}

TEST(CDXImage, PcxWithoutItsPaletteShowsGreyLevels)
{
    EXPECT_EQ(CDXImage::ToARGB(Decoded(Pcx8(false)))[4], 0xFF040404u);
    // Long enough for its last 768 bytes to be pixels: without the byte 12 before them they are not a palette.
    Writer tall;
    tall.Add(PcxHeader(1, 3, 300, 4));
    for (int y = 0; y < 300; ++y)
        PcxLine(tall, {1, 2, 3, 0});
    const std::vector<std::uint32_t> argb = CDXImage::ToARGB(Decoded(tall.bytes));
    EXPECT_EQ(argb[1], 0xFF020202u);
    EXPECT_EQ(argb.back(), 0xFF030303u);
}

TEST(CDXImage, JpegDecodesAtItsPixelSizeTopDown)
{
    const Bytes jpeg = Jpeg();
    ASSERT_EQ(CDXImage::DetectFormat(jpeg.data(), jpeg.size()), CDXImage::CDXIMAGE_JPEG);
    const CDXDecodedImage image = Decoded(jpeg);
    ASSERT_EQ(image.Width(), 16);
    ASSERT_EQ(image.Height(), 16);
    EXPECT_TRUE(image.IsTopDown());
    EXPECT_EQ(image.header.bitCount, 24);
    const std::vector<std::uint32_t> argb = CDXImage::ToARGB(image);
    const auto near = [](std::uint32_t pixel, Rgb want) {
        const auto close = [](int a, int b) { return a - b <= 12 && b - a <= 12; };
        return (pixel >> 24) == 0xFF && close(pixel >> 16 & 0xFF, want.r) && close(pixel >> 8 & 0xFF, want.g) &&
               close(pixel & 0xFF, want.b);
    };
    // The middle of each quadrant.
    EXPECT_TRUE(near(argb[4 * 16 + 4], {200, 40, 40})) << std::hex << argb[4 * 16 + 4];
    EXPECT_TRUE(near(argb[4 * 16 + 12], {40, 200, 40})) << std::hex << argb[4 * 16 + 12];
    EXPECT_TRUE(near(argb[12 * 16 + 4], {40, 40, 200})) << std::hex << argb[12 * 16 + 4];
    EXPECT_TRUE(near(argb.back(), {230, 210, 40})) << std::hex << argb.back();
}

TEST(CDXImage, DetectionOrderAndUnsupportedFiles)
{
    // The footer is looked for first: a TGA whose header starts "BM" is a TGA.
    Tga tga = Tga24();
    tga.id = {'x'};
    Bytes bm = tga.Build();
    bm[0] = 'B';
    bm[1] = 'M';
    EXPECT_EQ(CDXImage::DetectFormat(bm.data(), bm.size()), CDXImage::CDXIMAGE_TGA);
    // A footer with a pixel depth the format does not have is not a TGA.
    EXPECT_EQ(CDXImage::DetectFormat(With(bm, 16, {15}).data(), bm.size()), CDXImage::CDXIMAGE_BMP);

    const Bytes jpeg = Jpeg();
    const Bytes pcx = Pcx24();
    struct Case
    {
        const char* name;
        Bytes bytes;
    };
    const std::vector<Case> unsupported = {
        {"empty", {}},
        {"TGA without the footer", Cut(Tga24().Build(), Tga24().Build().size() - 26)},
        {"JPEG without JFIF", With(jpeg, 6, {'E', 'x', 'i', 'f'})},
        {"PCX version 3", With(pcx, 1, {3})},
        {"PSD version 256", With(Psd(3, kW, kH, PicturePlanes(), false), 4, {1})},
        {"GIF", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}},
    };
    for (const Case& c : unsupported) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CDXImage::DetectFormat(c.bytes.data(), c.bytes.size()), CDXImage::CDXIMAGE_DETECT);
        ClearLogCache();
        CDXDecodedImage out;
        EXPECT_FALSE(Decode(c.bytes, CDXImage::CDXIMAGE_DETECT, out));
        EXPECT_EQ(GetCachedLogLines(), std::vector<std::string>{kUnsupported});
    }
    ClearLogCache();
    CDXDecodedImage out;
    EXPECT_FALSE(Decode(Bmp24(), 6, out));
    EXPECT_EQ(GetCachedLogLines(), std::vector<std::string>{kUnsupported});
    ClearLogCache();

    // Named explicitly, a TGA without the footer is read all the same.
    EXPECT_EQ(CDXImage::ToARGB(Decoded(unsupported[1].bytes, CDXImage::CDXIMAGE_TGA)), PictureArgb());
}

TEST(CDXImage, MalformedFilesAreRefusedAndLeaveTheOutputAlone)
{
    const Bytes bmp = Bmp24();
    Bytes bmpHuge = bmp;
    Put32LE(bmpHuge, 18, 16384);
    Put32LE(bmpHuge, 22, 16384);
    Bytes bmpFarData = bmp;
    Put32LE(bmpFarData, 10, 0xFFFFFFF0u);
    const Bytes bmp8 = Bmp8TopDown();
    Bytes bmp8AllColours = bmp8;
    Put32LE(bmp8AllColours, 46, 0);
    Bytes bmp8ManyColours = bmp8;
    Put32LE(bmp8ManyColours, 46, 300);
    const Bytes tga = Tga24().Build();
    const Tga tgaMap{.imageType = 1, .depth = 8, .colorMapType = 1, .mapEntrySize = 8, .colorMap = {1, 2},
                     .data = Bytes(6, 0)};
    Tga tgaRunPast = Tga32RleTopDown();
    tgaRunPast.data[tgaRunPast.data.size() - 5] = 0x81; // the last packet repeats twice
    const Bytes psd = Psd(3, kW, kH, PicturePlanes(), false);
    const Bytes psdRle = Psd(3, kW, kH, PicturePlanes(), true);
    Bytes psdFarSection = psd;
    Put32LE(psdFarSection, 30, 0xF0FFFFFFu); // the resources' length, big-endian
    Bytes psdWide = psd;
    Put32LE(psdWide, 18, 0x204E0000u); // width 20000, big-endian
    const std::size_t rleCounts = 26 + 4 + 10 + 8 + 2;
    const Bytes pcx = Pcx24();
    const Bytes jpeg = Jpeg();
    std::size_t sof = 2;
    while (jpeg[sof + 1] != 0xC0)
        sof += 2 + (jpeg[sof + 2] << 8 | jpeg[sof + 3]);

    struct Case
    {
        const char* name;
        Bytes bytes;
        int format;
    };
    const std::vector<Case> cases = {
        {"BMP headers cut short", Cut(bmp, 53), 1},
        {"BMP pixels cut short", Cut(bmp, bmp.size() - 1), 1},
        {"BMP 4 bits a pixel", With(bmp, 28, {4}), 1},
        {"BMP bit fields", With(bmp, 30, {3}), 1},
        {"BMP RLE8 on 24 bits", With(bmp, 30, {1}), 1},
        {"BMP of width 0", With(bmp, 18, {0}), 1},
        {"BMP wider than the limit", With(bmp, 18, {0x01, 0x40}), 1},
        {"BMP of 16384 x 16384 raw", bmpHuge, 1},
        {"BMP pixel offset past the end", bmpFarData, 1},
        {"BMP with the short old header", With(bmp, 14, {12}), 1},
        {"BMP colour table past the end", bmp8AllColours, 1},
        {"BMP of more than 256 colours", bmp8ManyColours, 1},
        {"RLE8 run past the row's end", BmpRle8(4, 1, {5, 1, 0, 1}), 1},
        {"RLE8 literal past the row's end", BmpRle8(4, 1, {2, 1, 0, 3, 1, 2, 3, 0}), 1},
        {"RLE8 literal cut short", BmpRle8(4, 1, {0, 4, 1, 2}), 1},
        {"RLE8 delta past the right edge", BmpRle8(4, 2, {0, 2, 5, 0, 0, 1}), 1},
        {"RLE8 delta past the last row", BmpRle8(4, 2, {0, 2, 0, 3, 0, 1}), 1},
        {"RLE8 delta onto the row past the last", BmpRle8(4, 2, {0, 2, 1, 2, 0, 1}), 1},
        {"RLE8 ending before the picture", BmpRle8(4, 2, {4, 1, 0, 0}), 1},
        {"RLE8 taller than the limit", BmpRle8(4, 16385, {0, 1}), 1},
        {"TGA header cut short", Cut(tga, 17), 3},
        {"TGA pixels cut short", Cut(tga, 18 + 17), 3},
        {"TGA image type 0", With(tga, 2, {0}), 3},
        {"TGA image type 32", With(tga, 2, {32}), 3},
        {"TGA 15 bits a pixel", With(tga, 16, {15}), 3},
        {"TGA colour-map type 2", With(tga, 1, {2}), 3},
        {"TGA of height 0", With(tga, 14, {0, 0}), 3},
        {"TGA colour map past the end", With(With(tga, 1, {1}), 5, {0xFF, 0xFF, 24}), 3},
        {"TGA colour map of 8-bit entries", tgaMap.Build(), 3},
        {"TGA run-length packet past the picture", tgaRunPast.Build(), 3},
        {"TGA run-length data cut short", Cut(Tga32RleTopDown().Build(), 18 + 10), 3},
        {"TGA of 65535 x 65535 run-length", With(Tga32RleTopDown().Build(), 12, {0xFF, 0xFF, 0xFF, 0xFF}), 3},
        {"PSD header cut short", Cut(psd, 25), 2},
        {"PSD version 2", With(psd, 5, {2}), 2},
        {"PSD of no channels", With(psd, 13, {0}), 2},
        {"PSD of 25 channels", With(psd, 13, {25}), 2},
        {"PSD of 16 bits a channel", With(psd, 23, {16}), 2},
        {"PSD in CMYK", With(psd, 25, {4}), 2},
        {"PSD wider than the limit", psdWide, 2},
        {"PSD section past the end", psdFarSection, 2},
        {"PSD compression 2", With(psd, rleCounts - 1, {2}), 2},
        {"PSD raw planes cut short", Cut(psd, psd.size() - 1), 2},
        {"PSD row counts past the end", Cut(psdRle, rleCounts + 5), 2},
        {"PSD row count past the end", With(psdRle, rleCounts + 10, {0x7F}), 2},
        {"PSD row shorter than the width", With(psdRle, rleCounts + 12 + 1, {1}), 2},
        {"PSD run longer than the width", With(psdRle, rleCounts + 12 + 1, {0xFC}), 2},
        {"PCX header cut short", Cut(pcx, 127), 4},
        {"PCX line shorter than the width", With(pcx, 66, {2}), 4},
        {"PCX run across the plane's line", With(pcx, 128, {0xC5}), 4},
        {"PCX data cut short", Cut(pcx, pcx.size() - 1), 4},
        {"PCX of four planes", With(pcx, 65, {4}), 4},
        {"PCX of 1 bit a plane", With(pcx, 3, {1}), 4},
        {"PCX with xmax before xmin", With(pcx, 4, {5}), 4},
        {"PCX asking for 65536 x 65536", With(pcx, 8, {0xFF, 0xFF, 0xFF, 0xFF}), 4},
        {"JPEG cut before its frame", Cut(jpeg, sof), 5},
        {"JPEG cut in its scan", Cut(jpeg, jpeg.size() - 20), 5},
        {"JPEG wider than the limit", With(jpeg, sof + 7, {0xEA, 0x60}), 5},
        {"JPEG of width 0", With(jpeg, sof + 7, {0, 0}), 5},
        {"a bitmap named as a JPEG", bmp, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CDXDecodedImage out;
        out.header.width = 77;
        EXPECT_FALSE(Decode(c.bytes, c.format, out));
        EXPECT_EQ(out.header.width, 77);
        EXPECT_TRUE(out.pixels.empty());
    }
}

TEST(CDXImage, EveryCutOfAFileIsRefusedUnlessOnlyAnOptionalTailIsMissing)
{
    struct Case
    {
        const char* name;
        Bytes bytes;
        std::size_t optionalTail; // bytes at the end the picture does not need
    };
    const std::vector<Case> cases = {
        {"BMP", Bmp24(), 0},
        {"BMP RLE8", BmpRle8(6, 2, {6, 1, 0, 0, 0, 3, 1, 2, 3, 0, 3, 4, 0, 1}), 0},
        {"TGA", Tga24().Build(), 26},
        {"TGA run-length", Tga32RleTopDown().Build(), 26},
        {"PSD", Psd(3, kW, kH, PicturePlanes(), false), 0},
        {"PSD run-length", Psd(3, kW, kH, PicturePlanes(), true), 0},
        {"PCX", Pcx24(), 0},
        {"PCX with palette", Pcx8(), 769},
        {"JPEG", Jpeg(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int format = CDXImage::DetectFormat(c.bytes.data(), c.bytes.size());
        ASSERT_NE(format, CDXImage::CDXIMAGE_DETECT);
        for (std::size_t length = 0; length < c.bytes.size(); ++length) {
            CDXDecodedImage out;
            const bool decoded = Decode(Cut(c.bytes, length), format, out);
            EXPECT_EQ(decoded, length >= c.bytes.size() - c.optionalTail) << "cut to " << length;
            if (decoded) {
                EXPECT_EQ(CDXImage::ToARGB(out).size(), static_cast<std::size_t>(out.Width() * out.Height()));
            }
        }
    }
}

TEST(CDXImage, DecodeFileReadsAWholeFileAndRefusesWhatItCannotOpen)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("velk-cdximage-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / "picture.pcx";
    {
        const Bytes pcx = Pcx8();
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(pcx.data()), static_cast<std::streamsize>(pcx.size()));
    }
    CDXImage reader;
    CDXDecodedImage image;
    ASSERT_TRUE(reader.DecodeFile(file.string(), CDXImage::CDXIMAGE_DETECT, image));
    EXPECT_EQ(CDXImage::ToARGB(image), PictureArgb());

    ClearLogCache();
    for (const std::string& path : {std::string(), (dir / "missing.bmp").string(), dir.string()}) {
        SCOPED_TRACE(path);
        CDXDecodedImage out;
        EXPECT_FALSE(reader.DecodeFile(path, CDXImage::CDXIMAGE_DETECT, out));
    }
    // Nothing was read, so no format was looked for.
    EXPECT_TRUE(GetCachedLogLines().empty());
    std::filesystem::remove_all(dir);
}
