#include "engine/runtime/CDXImage.h"

#include "engine/core/Log.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>
#include <memory>

namespace {

// Bounds-checked reads at an offset: every one says whether the bytes are there.
class ByteView
{
public:
    ByteView(const std::uint8_t* bytes, std::size_t count) : m_Bytes(bytes), m_Count(bytes ? count : 0) {}

    std::size_t Count() const { return m_Count; }
    const std::uint8_t* At(std::size_t offset) const { return m_Bytes + offset; }
    // Whether count bytes from offset lie inside; safe for any offset.
    bool Has(std::uint64_t offset, std::uint64_t count) const { return offset <= m_Count && count <= m_Count - offset; }
    std::uint8_t U8(std::size_t offset) const { return m_Bytes[offset]; }
    std::uint16_t U16LE(std::size_t offset) const
    {
        return static_cast<std::uint16_t>(m_Bytes[offset] | m_Bytes[offset + 1] << 8);
    }
    std::uint32_t U32LE(std::size_t offset) const
    {
        return U16LE(offset) | static_cast<std::uint32_t>(U16LE(offset + 2)) << 16;
    }
    std::uint16_t U16BE(std::size_t offset) const
    {
        return static_cast<std::uint16_t>(m_Bytes[offset] << 8 | m_Bytes[offset + 1]);
    }
    std::uint32_t U32BE(std::size_t offset) const
    {
        return static_cast<std::uint32_t>(U16BE(offset)) << 16 | U16BE(offset + 2);
    }

private:
    const std::uint8_t* m_Bytes;
    std::size_t m_Count;
};

void GreyRamp(CDXDecodedImage& image)
{
    for (int i = 0; i < 256; ++i) {
        const auto level = static_cast<std::uint8_t>(i);
        image.colors[i] = {level, level, level, 0};
    }
}

std::size_t RowBytesFor(std::int64_t width, int bitCount)
{
    return static_cast<std::size_t>((width * bitCount + 31) / 32 * 4);
}

void LogUnsupported()
{
    LogWrite("Error: CDXImage - Unsupported Image type.\n");
}

// ---------------------------------------------------------------------------
// BMP

// RLE8 into the zeroed buffer, rows in the file's order. Runs and literals that
// would pass the row's end, deltas past the picture, and data that ends before
// the picture does are refused.
bool DecodeRLE8(const ByteView& file, std::size_t pos, CDXDecodedImage& image)
{
    const int width = image.Width();
    const int height = image.Height();
    const std::size_t rowBytes = image.RowBytes();
    int x = 0;
    int row = 0;
    while (row < height) {
        if (!file.Has(pos, 2))
            return false;
        const int count = file.U8(pos);
        const int value = file.U8(pos + 1);
        pos += 2;
        std::uint8_t* line = image.pixels.data() + static_cast<std::size_t>(row) * rowBytes;
        if (count > 0) {
            if (x + count > width)
                return false;
            std::memset(line + x, value, static_cast<std::size_t>(count));
            x += count;
        } else if (value == 0) { // end of row
            ++row;
            x = 0;
        } else if (value == 1) { // end of picture
            break;
        } else if (value == 2) { // delta
            if (!file.Has(pos, 2))
                return false;
            const int toX = x + file.U8(pos);
            const int toRow = row + file.U8(pos + 1);
            pos += 2;
            if (toX > width || toRow > height || (toRow == height && toX > 0))
                return false;
            x = toX;
            row = toRow;
        } else { // literal bytes, padded to a whole word
            if (!file.Has(pos, static_cast<std::size_t>(value)) || x + value > width)
                return false;
            std::memcpy(line + x, file.At(pos), static_cast<std::size_t>(value));
            x += value;
            pos += static_cast<std::size_t>(value) + (value & 1);
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// TGA

struct TgaHeader
{
    int idLength, colorMapType, imageType, mapStart, mapLength, mapEntrySize, width, height, depth, descriptor;
};

// Reads the colour map into the palette (8-bit pictures only use it); false for an entry size we cannot read.
bool ReadTgaColorMap(const ByteView& file, std::size_t pos, const TgaHeader& tga, CDXDecodedImage& image)
{
    const int entrySize = tga.mapEntrySize == 15 ? 16 : tga.mapEntrySize;
    if (entrySize != 16 && entrySize != 24 && entrySize != 32)
        return false;
    const std::size_t entryBytes = static_cast<std::size_t>(entrySize / 8);
    for (int i = 0; i < tga.mapLength && tga.mapStart + i <= 255; ++i) {
        const std::size_t at = pos + static_cast<std::size_t>(i) * entryBytes;
        CDXColorEntry& entry = image.colors[static_cast<std::size_t>(tga.mapStart + i)];
        if (entrySize == 16) {
            const unsigned value = file.U16LE(at);
            entry = {static_cast<std::uint8_t>((value & 0x1F) << 3),
                     static_cast<std::uint8_t>(((value >> 5) & 0x1F) << 3),
                     static_cast<std::uint8_t>(((value >> 10) & 0x1F) << 3), 0};
        } else {
            entry = {file.U8(at), file.U8(at + 1), file.U8(at + 2), 0};
        }
    }
    return true;
}

// One stored pixel into the decoded picture: 8 bits as an index, 16 bits
// (5-5-5, low byte first) widened, 24 bits as stored, 32 bits without the fourth byte.
void PutTgaPixel(const std::uint8_t* source, int depth, std::uint8_t* target)
{
    switch (depth) {
    case 8:
        target[0] = source[0];
        break;
    case 16: {
        const unsigned value = source[0] | source[1] << 8;
        target[0] = static_cast<std::uint8_t>((value & 0x1F) << 3);
        target[1] = static_cast<std::uint8_t>(((value >> 5) & 0x1F) << 3);
        target[2] = static_cast<std::uint8_t>(((value >> 10) & 0x1F) << 3);
        break;
    }
    default:
        target[0] = source[0];
        target[1] = source[1];
        target[2] = source[2];
        break;
    }
}

// ---------------------------------------------------------------------------
// PSD

// One run-length row (a byte n < 128: n + 1 literal bytes; n > 128: the next
// byte 257 - n times; 128: nothing) into exactly width bytes.
bool DecodePackBitsRow(const ByteView& file, std::size_t pos, std::size_t end, std::uint8_t* row, std::size_t width)
{
    std::size_t produced = 0;
    while (produced < width) {
        if (pos >= end)
            return false;
        const unsigned n = file.U8(pos++);
        if (n < 128) {
            const std::size_t literal = n + 1;
            if (end - pos < literal || width - produced < literal)
                return false;
            std::memcpy(row + produced, file.At(pos), literal);
            pos += literal;
            produced += literal;
        } else if (n > 128) {
            const std::size_t repeat = 257 - n;
            if (pos >= end || width - produced < repeat)
                return false;
            std::memset(row + produced, file.U8(pos++), repeat);
            produced += repeat;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// JPEG

// The picture's size from its frame header, read before anything is decoded so
// that a header asking for a huge picture is refused without allocating it.
bool ReadJpegSize(const ByteView& file, int& width, int& height)
{
    if (!file.Has(0, 2) || file.U8(0) != 0xFF || file.U8(1) != 0xD8)
        return false;
    std::size_t pos = 2;
    while (file.Has(pos, 4)) {
        if (file.U8(pos) != 0xFF)
            return false;
        const int marker = file.U8(pos + 1);
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) // end of picture or start of scan before any frame
            return false;
        const std::size_t length = file.U16BE(pos + 2);
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 7 || !file.Has(pos + 2, 7))
                return false;
            height = file.U16BE(pos + 5);
            width = file.U16BE(pos + 7);
            return true;
        }
        if (length < 2)
            return false;
        pos += 2 + length;
    }
    return false;
}

// A file cut short lacks its end marker; the decoder would make up the rest.
bool HasJpegEnd(const ByteView& file)
{
    for (std::size_t pos = file.Count(); pos >= 2; --pos)
        if (file.U8(pos - 2) == 0xFF && file.U8(pos - 1) == 0xD9)
            return true;
    return false;
}

struct SurfaceFree
{
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};

struct StreamClose
{
    void operator()(SDL_RWops* stream) const { SDL_RWclose(stream); }
};

} // namespace

std::size_t CDXDecodedImage::RowBytes() const
{
    return RowBytesFor(header.width, header.bitCount);
}

CDXImageFormat::~CDXImageFormat() = default;

bool CDXImageFormat::Allocate(int width, int height, int bitCount, bool topDown, CDXDecodedImage& image)
{
    if (width <= 0 || height <= 0 || width > kCDXMaxImageSide || height > kCDXMaxImageSide)
        return false;
    const std::size_t rowBytes = RowBytesFor(width, bitCount);
    if (rowBytes * static_cast<std::size_t>(height) > kCDXMaxPixelBytes)
        return false;
    image.header = {};
    image.header.width = width;
    image.header.height = topDown ? -height : height;
    image.header.bitCount = static_cast<std::uint16_t>(bitCount);
    image.header.sizeImage = static_cast<std::uint32_t>(rowBytes * static_cast<std::size_t>(height));
    image.colors = {};
    image.pixels.assign(rowBytes * static_cast<std::size_t>(height), 0);
    return true;
}

// ---------------------------------------------------------------------------

bool CDXImageBMP::Detect(const std::uint8_t* head, std::size_t headCount, const std::uint8_t*, std::size_t)
{
    return headCount >= 2 && head[0] == 'B' && head[1] == 'M';
}

bool CDXImageBMP::Load(const std::uint8_t* bytes, std::size_t count, CDXDecodedImage& out)
{
    const ByteView file(bytes, count);
    if (!file.Has(0, 54))
        return false;
    const std::uint32_t dataOffset = file.U32LE(10);
    const std::uint32_t headerSize = file.U32LE(14);
    const auto width = static_cast<std::int32_t>(file.U32LE(18));
    const auto storedHeight = static_cast<std::int32_t>(file.U32LE(22));
    const int bitCount = file.U16LE(28);
    const std::uint32_t compression = file.U32LE(30);
    const std::uint32_t colorsUsed = file.U32LE(46);
    // The short header of the oldest files lays its fields out differently.
    if (headerSize < 40 || width <= 0 || width > kCDXMaxImageSide || storedHeight == INT32_MIN)
        return false;
    if (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return false;
    if (compression != 0 && !(compression == 1 && bitCount == 8))
        return false;
    const bool topDown = storedHeight < 0;
    const int height = topDown ? -storedHeight : storedHeight;
    // Refused before allocating: raw pixels that the file does not hold.
    if (compression == 0 && !file.Has(dataOffset, static_cast<std::uint64_t>(RowBytesFor(width, bitCount)) *
                                                      static_cast<std::uint64_t>(std::max(height, 0))))
        return false;

    CDXDecodedImage image;
    if (!Allocate(width, height, bitCount, topDown, image))
        return false;
    image.header.xPelsPerMeter = static_cast<std::int32_t>(file.U32LE(38));
    image.header.yPelsPerMeter = static_cast<std::int32_t>(file.U32LE(42));
    if (bitCount == 8) {
        // The table follows the information header, whatever its version's size.
        const std::uint32_t colors = colorsUsed ? colorsUsed : 256;
        const std::uint64_t tableAt = 14 + static_cast<std::uint64_t>(headerSize);
        if (colors > 256 || !file.Has(tableAt, colors * 4))
            return false;
        for (std::uint32_t i = 0; i < colors; ++i) {
            const std::size_t at = static_cast<std::size_t>(tableAt) + i * 4;
            image.colors[i] = {file.U8(at), file.U8(at + 1), file.U8(at + 2), 0};
        }
        image.header.clrUsed = colors;
    }
    if (compression == 0)
        std::memcpy(image.pixels.data(), file.At(dataOffset), image.pixels.size());
    else if (dataOffset > count || !DecodeRLE8(file, dataOffset, image))
        return false;
    out = std::move(image);
    return true;
}

// ---------------------------------------------------------------------------

bool CDXImagePSD::Detect(const std::uint8_t* head, std::size_t headCount, const std::uint8_t*, std::size_t)
{
    return headCount >= 5 && std::memcmp(head, "8BPS", 4) == 0 && head[4] == 0;
}

bool CDXImagePSD::Load(const std::uint8_t* bytes, std::size_t count, CDXDecodedImage& out)
{
    const ByteView file(bytes, count);
    if (!file.Has(0, 26))
        return false;
    const int channels = file.U16BE(12);
    const std::uint32_t height = file.U32BE(14);
    const std::uint32_t width = file.U32BE(18);
    if (file.U16BE(4) != 1 || channels < 1 || channels > 24 || file.U16BE(22) != 8 || file.U16BE(24) != 3)
        return false;
    if (width == 0 || height == 0 || width > kCDXMaxImageSide || height > kCDXMaxImageSide)
        return false;
    // Colour-mode data, image resources, layers and masks: each skipped by its length.
    std::uint64_t pos = 26;
    for (int section = 0; section < 3; ++section) {
        if (!file.Has(pos, 4))
            return false;
        pos += 4 + static_cast<std::uint64_t>(file.U32BE(static_cast<std::size_t>(pos)));
    }
    if (!file.Has(pos, 2))
        return false;
    const int compression = file.U16BE(static_cast<std::size_t>(pos));
    pos += 2;
    const std::size_t pixelsPerPlane = static_cast<std::size_t>(width) * height;
    const int used = std::min(channels, 4);
    // Refused before allocating: planes or row counts that the file does not hold.
    if (compression == 0) {
        if (!file.Has(pos, static_cast<std::uint64_t>(pixelsPerPlane) * used))
            return false;
    } else if (compression == 1) {
        if (!file.Has(pos, static_cast<std::uint64_t>(channels) * height * 2))
            return false;
    } else {
        return false;
    }

    CDXDecodedImage image;
    if (!Allocate(static_cast<int>(width), static_cast<int>(height), 32, true, image))
        return false;
    // Red, green, blue and alpha go to bytes 2, 1, 0 and 3; a missing alpha is opaque.
    static constexpr int kByteOf[4] = {2, 1, 0, 3};
    if (used < 4)
        for (std::size_t i = 0; i < pixelsPerPlane; ++i)
            image.pixels[i * 4 + 3] = 255;
    std::vector<std::uint8_t> plane(compression == 1 ? width : 0);
    const std::size_t counts = static_cast<std::size_t>(pos);
    std::uint64_t rowAt = counts + static_cast<std::uint64_t>(channels) * height * 2;
    for (int channel = 0; channel < used; ++channel) {
        for (std::uint32_t y = 0; y < height; ++y) {
            const std::uint8_t* source = nullptr;
            if (compression == 0) {
                source = file.At(static_cast<std::size_t>(pos) + channel * pixelsPerPlane + y * width);
            } else {
                const std::uint32_t rowCount =
                    file.U16BE(counts + (static_cast<std::size_t>(channel) * height + y) * 2);
                if (!file.Has(rowAt, rowCount) ||
                    !DecodePackBitsRow(file, static_cast<std::size_t>(rowAt),
                                       static_cast<std::size_t>(rowAt) + rowCount, plane.data(), width))
                    return false;
                rowAt += rowCount;
                source = plane.data();
            }
            std::uint8_t* target = image.pixels.data() + static_cast<std::size_t>(y) * width * 4 + kByteOf[channel];
            for (std::uint32_t x = 0; x < width; ++x)
                target[x * 4] = source[x];
        }
    }
    out = std::move(image);
    return true;
}

// ---------------------------------------------------------------------------

bool CDXImageTGA::Detect(const std::uint8_t* head, std::size_t headCount, const std::uint8_t* tail,
                         std::size_t tailCount)
{
    static constexpr char kSignature[] = "TRUEVISION-XFILE";
    if (headCount < 18 || tailCount < 18)
        return false;
    const int depth = head[16];
    return std::memcmp(tail + tailCount - 18, kSignature, 16) == 0 &&
           (depth == 8 || depth == 16 || depth == 24 || depth == 32);
}

bool CDXImageTGA::Load(const std::uint8_t* bytes, std::size_t count, CDXDecodedImage& out)
{
    const ByteView file(bytes, count);
    if (!file.Has(0, 18))
        return false;
    const TgaHeader tga{file.U8(0), file.U8(1),     file.U8(2),     file.U16LE(3), file.U16LE(5),
                        file.U8(7), file.U16LE(12), file.U16LE(14), file.U8(16),   file.U8(17)};
    const bool runLength = tga.imageType == 9 || tga.imageType == 10 || tga.imageType == 11;
    if (!runLength && tga.imageType != 1 && tga.imageType != 2 && tga.imageType != 3)
        return false;
    if (tga.depth != 8 && tga.depth != 16 && tga.depth != 24 && tga.depth != 32)
        return false;
    if (tga.colorMapType > 1 || tga.width == 0 || tga.height == 0)
        return false;
    std::size_t pos = 18 + static_cast<std::size_t>(tga.idLength);
    const std::size_t mapAt = pos;
    if (tga.colorMapType == 1) {
        const std::size_t mapBytes = static_cast<std::size_t>(tga.mapLength) * ((tga.mapEntrySize + 7) / 8);
        if (!file.Has(pos, mapBytes))
            return false;
        pos += mapBytes;
    }
    const std::size_t pixelBytes = static_cast<std::size_t>(tga.depth / 8);
    const std::size_t total = static_cast<std::size_t>(tga.width) * static_cast<std::size_t>(tga.height);
    // Refused before allocating: more pixels than the data can hold (a packet gives at most 128).
    const std::size_t least = runLength ? (total + 127) / 128 * (1 + pixelBytes) : total * pixelBytes;
    if (!file.Has(pos, least))
        return false;

    CDXDecodedImage image;
    const int bitCount = tga.depth == 8 ? 8 : 24;
    if (!Allocate(tga.width, tga.height, bitCount, (tga.descriptor & 0x20) != 0, image))
        return false;
    if (tga.depth == 8) {
        // Without a colour map the bytes are grey levels.
        if (tga.colorMapType == 1) {
            if (!ReadTgaColorMap(file, mapAt, tga, image))
                return false;
        } else {
            GreyRamp(image);
        }
        image.header.clrUsed = 256;
    }
    const std::size_t outBytes = static_cast<std::size_t>(bitCount / 8);
    const std::size_t rowBytes = image.RowBytes();
    const auto target = [&](std::size_t index) {
        return image.pixels.data() + index / tga.width * rowBytes + index % tga.width * outBytes;
    };
    if (!runLength) {
        for (std::size_t i = 0; i < total; ++i)
            PutTgaPixel(file.At(pos + i * pixelBytes), tga.depth, target(i));
    } else {
        // Packets may run on from one row into the next, never past the picture.
        std::size_t i = 0;
        while (i < total) {
            if (!file.Has(pos, 1))
                return false;
            const unsigned packet = file.U8(pos++);
            const std::size_t n = packet < 128 ? packet + 1 : packet - 127;
            const std::size_t stored = packet < 128 ? n * pixelBytes : pixelBytes;
            if (n > total - i || !file.Has(pos, stored))
                return false;
            for (std::size_t k = 0; k < n; ++k)
                PutTgaPixel(file.At(packet < 128 ? pos + k * pixelBytes : pos), tga.depth, target(i + k));
            pos += stored;
            i += n;
        }
    }
    // A picture stored right to left is turned round.
    if (tga.descriptor & 0x10)
        for (int y = 0; y < tga.height; ++y)
            for (int a = 0, b = tga.width - 1; a < b; ++a, --b)
                std::swap_ranges(target(static_cast<std::size_t>(y) * tga.width + a),
                                 target(static_cast<std::size_t>(y) * tga.width + a) + outBytes,
                                 target(static_cast<std::size_t>(y) * tga.width + b));
    out = std::move(image);
    return true;
}

// ---------------------------------------------------------------------------

bool CDXImagePCX::Detect(const std::uint8_t* head, std::size_t headCount, const std::uint8_t*, std::size_t)
{
    return headCount >= 3 && head[0] == 10 && head[1] == 5 && head[2] == 1;
}

bool CDXImagePCX::Load(const std::uint8_t* bytes, std::size_t count, CDXDecodedImage& out)
{
    const ByteView file(bytes, count);
    if (!file.Has(0, 128))
        return false;
    const int bitsPerPlane = file.U8(3);
    const int width = file.U16LE(8) - file.U16LE(4) + 1;
    const int height = file.U16LE(10) - file.U16LE(6) + 1;
    const int planes = file.U8(65);
    const std::size_t lineBytes = file.U16LE(66);
    if (bitsPerPlane != 8 || (planes != 1 && planes != 3) || width <= 0 || height <= 0)
        return false;
    // A plane line shorter than the picture would leave pixels with nothing to read.
    if (lineBytes < static_cast<std::size_t>(width))
        return false;
    // Refused before allocating: more than the data can hold (two bytes give at most 63).
    const std::size_t decoded = lineBytes * static_cast<std::size_t>(planes) * static_cast<std::size_t>(height);
    if (!file.Has(128, decoded / 63))
        return false;

    CDXDecodedImage image;
    if (!Allocate(width, height, planes == 1 ? 8 : 24, true, image))
        return false;
    std::vector<std::uint8_t> line(lineBytes * static_cast<std::size_t>(planes));
    const std::size_t rowBytes = image.RowBytes();
    std::size_t pos = 128;
    for (int y = 0; y < height; ++y) {
        // Each plane's line decodes to exactly its length: a run may not cross into the next.
        for (int plane = 0; plane < planes; ++plane) {
            std::uint8_t* target = line.data() + static_cast<std::size_t>(plane) * lineBytes;
            std::size_t produced = 0;
            while (produced < lineBytes) {
                if (!file.Has(pos, 1))
                    return false;
                const std::uint8_t byte = file.U8(pos++);
                if ((byte & 0xC0) == 0xC0) {
                    const std::size_t run = byte & 0x3F;
                    if (!file.Has(pos, 1) || run > lineBytes - produced)
                        return false;
                    std::memset(target + produced, file.U8(pos++), run);
                    produced += run;
                } else {
                    target[produced++] = byte;
                }
            }
        }
        std::uint8_t* row = image.pixels.data() + static_cast<std::size_t>(y) * rowBytes;
        if (planes == 1) {
            std::memcpy(row, line.data(), static_cast<std::size_t>(width));
        } else {
            for (int x = 0; x < width; ++x) {
                row[x * 3] = line[2 * lineBytes + x];
                row[x * 3 + 1] = line[lineBytes + x];
                row[x * 3 + 2] = line[x];
            }
        }
    }
    if (planes == 1) {
        // The 256 colours follow a byte 12 at the end of the file; without them, grey levels.
        if (count >= 128 + 769 && file.U8(count - 769) == 12) {
            for (std::size_t i = 0; i < 256; ++i) {
                const std::size_t at = count - 768 + i * 3;
                image.colors[i] = {file.U8(at + 2), file.U8(at + 1), file.U8(at), 0};
            }
        } else {
            GreyRamp(image);
        }
        image.header.clrUsed = 256;
    }
    out = std::move(image);
    return true;
}

// ---------------------------------------------------------------------------

bool CDXImageJPEG::Detect(const std::uint8_t* head, std::size_t headCount, const std::uint8_t*, std::size_t)
{
    return headCount >= 10 && head[0] == 0xFF && head[2] == 0xFF && std::memcmp(head + 6, "JFIF", 4) == 0;
}

bool CDXImageJPEG::Load(const std::uint8_t* bytes, std::size_t count, CDXDecodedImage& out)
{
    const ByteView file(bytes, count);
    int width = 0;
    int height = 0;
    CDXDecodedImage image;
    if (count > static_cast<std::size_t>(INT_MAX) || !ReadJpegSize(file, width, height) || !HasJpegEnd(file) ||
        !Allocate(width, height, 24, true, image))
        return false;
    std::unique_ptr<SDL_RWops, StreamClose> stream(SDL_RWFromConstMem(bytes, static_cast<int>(count)));
    if (!stream || !IMG_isJPG(stream.get()))
        return false;
    std::unique_ptr<SDL_Surface, SurfaceFree> picture(IMG_LoadJPG_RW(stream.get()));
    if (!picture || picture->w != width || picture->h != height)
        return false;
    SDL_Surface* surface = picture.get();
    if (SDL_LockSurface(surface) != 0)
        return false;
    const int pixelBytes = surface->format->BytesPerPixel;
    const std::size_t rowBytes = image.RowBytes();
    for (int y = 0; y < height; ++y) {
        const auto* source =
            static_cast<const std::uint8_t*>(surface->pixels) + static_cast<std::ptrdiff_t>(y) * surface->pitch;
        std::uint8_t* target = image.pixels.data() + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x, source += pixelBytes, target += 3) {
            Uint32 value = 0;
            std::memcpy(&value, source, static_cast<std::size_t>(pixelBytes)); // little-endian, as SDL lays it out here
            Uint8 red = 0, green = 0, blue = 0;
            SDL_GetRGB(value, surface->format, &red, &green, &blue);
            target[0] = blue;
            target[1] = green;
            target[2] = red;
        }
    }
    SDL_UnlockSurface(surface);
    out = std::move(image);
    return true;
}

// ---------------------------------------------------------------------------

CDXImage::~CDXImage() = default;

namespace {

std::unique_ptr<CDXImageFormat> MakeDecoder(int format)
{
    switch (format) {
    case CDXImage::CDXIMAGE_BMP:
        return std::make_unique<CDXImageBMP>();
    case CDXImage::CDXIMAGE_PSD:
        return std::make_unique<CDXImagePSD>();
    case CDXImage::CDXIMAGE_TGA:
        return std::make_unique<CDXImageTGA>();
    case CDXImage::CDXIMAGE_PCX:
        return std::make_unique<CDXImagePCX>();
    case CDXImage::CDXIMAGE_JPEG:
        return std::make_unique<CDXImageJPEG>();
    default:
        return nullptr;
    }
}

} // namespace

int CDXImage::DetectFormat(const std::uint8_t* bytes, std::size_t count)
{
    if (!bytes)
        return CDXIMAGE_DETECT;
    const std::size_t headCount = std::min<std::size_t>(count, 256);
    const std::size_t tailCount = std::min<std::size_t>(count, 64);
    const std::uint8_t* tail = bytes + count - tailCount;
    // A TGA has no signature at its start (it may begin "BM"): its footer is looked for first.
    for (int format : {CDXIMAGE_TGA, CDXIMAGE_BMP, CDXIMAGE_PSD, CDXIMAGE_PCX, CDXIMAGE_JPEG})
        if (MakeDecoder(format)->Detect(bytes, headCount, tail, tailCount))
            return format;
    return CDXIMAGE_DETECT;
}

bool CDXImage::Decode(const std::uint8_t* bytes, std::size_t count, int format, CDXDecodedImage& out)
{
    if (format == CDXIMAGE_DETECT)
        format = DetectFormat(bytes, count);
    const std::unique_ptr<CDXImageFormat> decoder = MakeDecoder(format);
    if (!decoder) {
        LogUnsupported();
        return false;
    }
    return bytes && decoder->Load(bytes, count, out);
}

bool CDXImage::DecodeFile(const std::string& path, int format, CDXDecodedImage& out)
{
    if (path.empty())
        return false;
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return false;
    const std::streamoff size = file.tellg();
    // No picture within the size limit needs a file of more than twice it.
    if (size <= 0 || static_cast<std::uint64_t>(size) > 2 * kCDXMaxPixelBytes)
        return false;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(bytes.data()), size))
        return false;
    return Decode(bytes.data(), bytes.size(), format, out);
}

std::vector<std::uint32_t> CDXImage::ToARGB(const CDXDecodedImage& image)
{
    const int width = image.Width();
    const int height = image.Height();
    const std::size_t rowBytes = image.RowBytes();
    const int bitCount = image.header.bitCount;
    if (width <= 0 || height <= 0 || image.pixels.size() < rowBytes * static_cast<std::size_t>(height) ||
        (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32))
        return {};
    std::vector<std::uint32_t> argb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    const auto pack = [](unsigned red, unsigned green, unsigned blue) {
        return 0xFF000000u | red << 16 | green << 8 | blue;
    };
    const auto widen5 = [](unsigned value) { return value << 3 | value >> 2; };
    for (int y = 0; y < height; ++y) {
        const std::size_t sourceRow =
            image.IsTopDown() ? static_cast<std::size_t>(y) : static_cast<std::size_t>(height - 1 - y);
        const std::uint8_t* source = image.pixels.data() + sourceRow * rowBytes;
        std::uint32_t* target = argb.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            switch (bitCount) {
            case 8: {
                const CDXColorEntry& entry = image.colors[source[x]];
                target[x] = pack(entry.red, entry.green, entry.blue);
                break;
            }
            case 16: {
                const unsigned value = source[x * 2] | source[x * 2 + 1] << 8;
                target[x] = pack(widen5(value >> 10 & 0x1F), widen5(value >> 5 & 0x1F), widen5(value & 0x1F));
                break;
            }
            default: {
                const std::uint8_t* pixel = source + static_cast<std::size_t>(x) * (bitCount / 8);
                target[x] = pack(pixel[2], pixel[1], pixel[0]);
                break;
            }
            }
        }
    }
    return argb;
}
