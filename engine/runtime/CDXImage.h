#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The image-file readers of the screen layer: BMP (raw and RLE8), PSD (RGB,
// raw and run-length), TGA (with the version-2 footer), PCX (one 8-bit plane
// or three) and JPEG (through SDL_image). Each decoder fills a neutral decoded
// picture, the same data a device-independent bitmap holds: the 40-byte
// information header, up to 256 colour entries, and the pixels with every row
// padded to 4 bytes. A surface takes it through CDXImage::ToARGB.
//
// Every input is untrusted: a truncated or malformed file, counts past the end,
// run-length overruns or a header asking for a huge picture give false and no
// picture, never a read or write outside the bytes given.

// The fields of the 40-byte bitmap information header.
struct CDXBitmapInfoHeader
{
    std::int32_t width = 0;
    std::int32_t height = 0; // negative: rows run top-down
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 0;    // 8 (palette), 16 (5-5-5), 24 (B, G, R) or 32 (B, G, R, X)
    std::uint32_t compression = 0; // always 0 (uncompressed) in a decoded picture
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;
};

// One colour-table entry, in the order a bitmap stores it.
struct CDXColorEntry
{
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
};

struct CDXDecodedImage
{
    CDXBitmapInfoHeader header;
    std::array<CDXColorEntry, 256> colors{};
    // Rows of RowBytes() each, bottom-up unless the height is negative.
    std::vector<std::uint8_t> pixels;

    int Width() const { return header.width; }
    int Height() const { return header.height < 0 ? -header.height : header.height; }
    bool IsTopDown() const { return header.height < 0; }
    std::size_t RowBytes() const;
};

// No side may exceed this, and no pixel buffer may exceed kCDXMaxPixelBytes,
// so that a header cannot ask for gigabytes.
inline constexpr int kCDXMaxImageSide = 16384;
inline constexpr std::size_t kCDXMaxPixelBytes = std::size_t{256} << 20;

// One file format. A decoder object lives for one load.
class CDXImageFormat
{
public:
    virtual ~CDXImageFormat();
    // Whether the first bytes of a file (up to 256) and its last bytes (up to 64) look like this format.
    virtual bool Detect(const std::uint8_t* head, std::size_t headCount, const std::uint8_t* tail,
                        std::size_t tailCount) = 0;
    // Decodes the whole file into out; false (out untouched) when the file cannot be decoded.
    virtual bool Load(const std::uint8_t* bytes, std::size_t count, CDXDecodedImage& out) = 0;

protected:
    // Sets up the header and a zeroed pixel buffer of width x height at the
    // bit count; false when a side is not positive or the picture is too big.
    static bool Allocate(int width, int height, int bitCount, bool topDown, CDXDecodedImage& image);
};

class CDXImageBMP : public CDXImageFormat
{
public:
    bool Detect(const std::uint8_t* head, std::size_t headCount, const std::uint8_t* tail,
                std::size_t tailCount) override;
    bool Load(const std::uint8_t* bytes, std::size_t count, CDXDecodedImage& out) override;
};

class CDXImagePSD : public CDXImageFormat
{
public:
    bool Detect(const std::uint8_t* head, std::size_t headCount, const std::uint8_t* tail,
                std::size_t tailCount) override;
    bool Load(const std::uint8_t* bytes, std::size_t count, CDXDecodedImage& out) override;
};

class CDXImageTGA : public CDXImageFormat
{
public:
    bool Detect(const std::uint8_t* head, std::size_t headCount, const std::uint8_t* tail,
                std::size_t tailCount) override;
    bool Load(const std::uint8_t* bytes, std::size_t count, CDXDecodedImage& out) override;
};

class CDXImagePCX : public CDXImageFormat
{
public:
    bool Detect(const std::uint8_t* head, std::size_t headCount, const std::uint8_t* tail,
                std::size_t tailCount) override;
    bool Load(const std::uint8_t* bytes, std::size_t count, CDXDecodedImage& out) override;
};

class CDXImageJPEG : public CDXImageFormat
{
public:
    bool Detect(const std::uint8_t* head, std::size_t headCount, const std::uint8_t* tail,
                std::size_t tailCount) override;
    // The picture's own pixel size; top-down, 24 bits.
    bool Load(const std::uint8_t* bytes, std::size_t count, CDXDecodedImage& out) override;
};

// Picks the format and runs its decoder.
class DDraw;
class DDSurface;

class CDXImage
{
public:
    enum Format
    {
        CDXIMAGE_DETECT = 0,
        CDXIMAGE_BMP = 1,
        CDXIMAGE_PSD = 2,
        CDXIMAGE_TGA = 3,
        CDXIMAGE_PCX = 4,
        CDXIMAGE_JPEG = 5,
    };

    virtual ~CDXImage();

    // The format of a file's bytes, tried in the order TGA, BMP, PSD, PCX,
    // JPEG; CDXIMAGE_DETECT when none matches.
    static int DetectFormat(const std::uint8_t* bytes, std::size_t count);

    // Decodes the bytes as the given format (CDXIMAGE_DETECT: detected). An
    // unknown format logs "Error: CDXImage - Unsupported Image type.". False,
    // with out untouched, when nothing could be decoded.
    bool Decode(const std::uint8_t* bytes, std::size_t count, int format, CDXDecodedImage& out);
    // The same for a whole file, opened and closed here; an empty name or a
    // file that cannot be read gives false before any format is detected.
    bool DecodeFile(const std::string& path, int format, CDXDecodedImage& out);

    // The picture as 0xAARRGGBB pixels, top-down, width x height of them,
    // every one opaque (a surface keeps no alpha).
    static std::vector<std::uint32_t> ToARGB(const CDXDecodedImage& image);

    // The picture of a file, or of a file's bytes, as a new plain surface of
    // the display layer. Memory kind 0 asks for video memory, 1 for system
    // memory, any other value lets the layer choose. Null when nothing could
    // be decoded or the surface could not be made or filled.
    static DDSurface* GetImage(DDraw* ddraw, const char* fileName, int memoryKind, int format);
    static DDSurface* GetImage(DDraw* ddraw, const std::uint8_t* bytes, std::size_t count, int memoryKind,
                               int format);
};
