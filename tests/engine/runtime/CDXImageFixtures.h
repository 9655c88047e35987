#pragma once

// Small image files built byte by byte, for the decoder tests and their fuzz.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace cdxfixture {

using Bytes = std::vector<std::uint8_t>;

struct Writer
{
    Bytes bytes;

    Writer& U8(unsigned v)
    {
        bytes.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Writer& U16LE(unsigned v) { return U8(v & 0xFF).U8(v >> 8 & 0xFF); }
    Writer& U32LE(std::uint32_t v) { return U16LE(v & 0xFFFF).U16LE(v >> 16); }
    Writer& U16BE(unsigned v) { return U8(v >> 8 & 0xFF).U8(v & 0xFF); }
    Writer& U32BE(std::uint32_t v) { return U16BE(v >> 16).U16BE(v & 0xFFFF); }
    Writer& Text(const std::string& text)
    {
        bytes.insert(bytes.end(), text.begin(), text.end());
        return *this;
    }
    Writer& Add(const Bytes& more)
    {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
    Writer& Fill(std::size_t count, unsigned v)
    {
        bytes.insert(bytes.end(), count, static_cast<std::uint8_t>(v));
        return *this;
    }
};

struct Rgb
{
    std::uint8_t r, g, b;
    std::uint32_t Argb() const { return 0xFF000000u | static_cast<std::uint32_t>(r) << 16 | g << 8 | b; }
};

// The 3 x 2 picture every format stores, top row first.
inline const std::vector<Rgb>& Picture()
{
    static const std::vector<Rgb> picture = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                             {255, 255, 0}, {0, 255, 255}, {130, 60, 200}};
    return picture;
}

inline std::vector<std::uint32_t> PictureArgb()
{
    std::vector<std::uint32_t> argb;
    for (const Rgb& c : Picture())
        argb.push_back(c.Argb());
    return argb;
}

constexpr int kW = 3;
constexpr int kH = 2;

// Rows of the picture in file order: bottom-up or top-down.
inline std::vector<Rgb> Row(int fileRow, bool bottomUp)
{
    const int y = bottomUp ? kH - 1 - fileRow : fileRow;
    return {Picture().begin() + y * kW, Picture().begin() + (y + 1) * kW};
}

// ---- BMP

inline Bytes Bmp(int width, int height, int bitCount, unsigned compression, const Bytes& table, const Bytes& data,
                 std::uint32_t colorsUsed = 0)
{
    Writer w;
    const std::uint32_t offset = 54 + static_cast<std::uint32_t>(table.size());
    w.Text("BM").U32LE(offset + static_cast<std::uint32_t>(data.size())).U32LE(0).U32LE(offset);
    w.U32LE(40).U32LE(static_cast<std::uint32_t>(width)).U32LE(static_cast<std::uint32_t>(height)).U16LE(1);
    w.U16LE(static_cast<unsigned>(bitCount)).U32LE(compression).U32LE(static_cast<std::uint32_t>(data.size()));
    w.U32LE(2835).U32LE(2835).U32LE(colorsUsed).U32LE(0);
    return w.Add(table).Add(data).bytes;
}

// 24 bits, bottom-up, padding bytes filled with 0xEE so that a decoder copying them shows.
inline Bytes Bmp24()
{
    Writer data;
    for (int row = 0; row < kH; ++row) {
        for (const Rgb& c : Row(row, true))
            data.U8(c.b).U8(c.g).U8(c.r);
        data.Fill(3, 0xEE);
    }
    return Bmp(kW, kH, 24, 0, {}, data.bytes);
}

// 8 bits with a six-colour table (index = position in the picture), top-down.
inline Bytes Bmp8TopDown()
{
    Writer table, data;
    for (const Rgb& c : Picture())
        table.U8(c.b).U8(c.g).U8(c.r).U8(0);
    for (int row = 0; row < kH; ++row)
        data.U8(row * kW).U8(row * kW + 1).U8(row * kW + 2).U8(0);
    return Bmp(kW, -kH, 8, 0, table.bytes, data.bytes, 6);
}

// A grey table of 256 entries, for RLE8 pictures whose indices are read back as levels.
inline Bytes GreyTable()
{
    Writer table;
    for (unsigned i = 0; i < 256; ++i)
        table.U8(i).U8(i).U8(i).U8(0);
    return table.bytes;
}

inline Bytes BmpRle8(int width, int height, const Bytes& rle)
{
    return Bmp(width, height, 8, 1, GreyTable(), rle);
}

// ---- TGA

struct Tga
{
    int imageType = 2;
    int depth = 24;
    int descriptor = 0;
    int width = kW;
    int height = kH;
    int colorMapType = 0;
    int mapStart = 0;
    int mapEntrySize = 0;
    Bytes id{};
    Bytes colorMap{}; // entries, mapEntrySize bits each
    Bytes data{};
    bool footer = true;

    Bytes Build() const
    {
        Writer w;
        const int entryBytes = (mapEntrySize + 7) / 8;
        const unsigned mapLength = entryBytes ? static_cast<unsigned>(colorMap.size()) / entryBytes : 0;
        w.U8(static_cast<unsigned>(id.size()))
            .U8(static_cast<unsigned>(colorMapType))
            .U8(static_cast<unsigned>(imageType));
        w.U16LE(static_cast<unsigned>(mapStart)).U16LE(mapLength).U8(static_cast<unsigned>(mapEntrySize));
        w.U16LE(0).U16LE(0).U16LE(static_cast<unsigned>(width)).U16LE(static_cast<unsigned>(height));
        w.U8(static_cast<unsigned>(depth)).U8(static_cast<unsigned>(descriptor));
        w.Add(id).Add(colorMap).Add(data);
        if (footer)
            w.U32LE(0).U32LE(0).Text("TRUEVISION-XFILE").U8('.').U8(0);
        return w.bytes;
    }
};

// The picture as 24-bit pixels, bottom-up (the format's own order).
inline Tga Tga24()
{
    Tga tga;
    Writer data;
    for (int row = 0; row < kH; ++row)
        for (const Rgb& c : Row(row, true))
            data.U8(c.b).U8(c.g).U8(c.r);
    tga.data = data.bytes;
    return tga;
}

// The picture as 32-bit run-length packets, top-down: a repeat packet of one
// pixel and literal packets that run on from the first row into the second.
inline Tga Tga32RleTopDown()
{
    Tga tga;
    tga.imageType = 10;
    tga.depth = 32;
    tga.descriptor = 0x20 | 8;
    Writer data;
    const auto pixel = [&](const Rgb& c) { data.U8(c.b).U8(c.g).U8(c.r).U8(0x55); };
    data.U8(0x80); // one pixel, repeated once
    pixel(Picture()[0]);
    data.U8(4 - 1); // four literal pixels across the row's end
    for (int i = 1; i < 5; ++i)
        pixel(Picture()[static_cast<std::size_t>(i)]);
    data.U8(0x80);
    pixel(Picture()[5]);
    tga.data = data.bytes;
    return tga;
}

// ---- PSD

// Channels given as planes of width x height bytes, stored raw or run-length coded
// (each row one literal packet, or one repeat packet when all its bytes are equal).
inline Bytes Psd(int channels, int width, int height, const std::vector<Bytes>& planes, bool runLength)
{
    Writer w;
    w.Text("8BPS").U16BE(1).Fill(6, 0).U16BE(static_cast<unsigned>(channels));
    w.U32BE(static_cast<std::uint32_t>(height)).U32BE(static_cast<std::uint32_t>(width)).U16BE(8).U16BE(3);
    w.U32BE(0);                       // colour-mode data
    w.U32BE(6).Text("8BIM").U16BE(0); // image resources, skipped
    w.U32BE(4).U32BE(0);              // layers and masks, skipped
    w.U16BE(runLength ? 1 : 0);
    if (!runLength) {
        for (const Bytes& plane : planes)
            w.Add(plane);
        return w.bytes;
    }
    std::vector<Bytes> rows;
    for (const Bytes& plane : planes) {
        for (int y = 0; y < height; ++y) {
            const Bytes row(plane.begin() + y * width, plane.begin() + (y + 1) * width);
            Writer packed;
            bool same = true;
            for (std::uint8_t b : row)
                same = same && b == row[0];
            if (same && width > 1)
                packed.U8(257 - static_cast<unsigned>(width)).U8(row[0]);
            else
                packed.U8(0x80).U8(static_cast<unsigned>(width - 1)).Add(row); // a no-op byte first
            rows.push_back(packed.bytes);
        }
    }
    for (const Bytes& row : rows)
        w.U16BE(static_cast<unsigned>(row.size()));
    for (const Bytes& row : rows)
        w.Add(row);
    return w.bytes;
}

inline std::vector<Bytes> PicturePlanes()
{
    std::vector<Bytes> planes(3);
    for (const Rgb& c : Picture()) {
        planes[0].push_back(c.r);
        planes[1].push_back(c.g);
        planes[2].push_back(c.b);
    }
    return planes;
}

// ---- PCX

// Run-length codes a line: runs of equal bytes and any byte with both top bits set as counted runs.
inline void PcxLine(Writer& w, const Bytes& line)
{
    for (std::size_t i = 0; i < line.size();) {
        std::size_t n = 1;
        while (i + n < line.size() && line[i + n] == line[i] && n < 63)
            ++n;
        if (n > 1 || (line[i] & 0xC0) == 0xC0)
            w.U8(0xC0 | static_cast<unsigned>(n)).U8(line[i]);
        else
            w.U8(line[i]);
        i += n;
    }
}

inline Bytes PcxHeader(int planes, int width, int height, int lineBytes)
{
    Writer w;
    w.U8(10).U8(5).U8(1).U8(8).U16LE(0).U16LE(0).U16LE(static_cast<unsigned>(width - 1));
    w.U16LE(static_cast<unsigned>(height - 1)).U16LE(72).U16LE(72).Fill(48, 0).U8(0);
    w.U8(static_cast<unsigned>(planes)).U16LE(static_cast<unsigned>(lineBytes)).U16LE(1).Fill(58, 0);
    return w.bytes;
}

// Three planes (red, green, blue), lines of 4 bytes (one past the width).
inline Bytes Pcx24()
{
    Writer w;
    w.Add(PcxHeader(3, kW, kH, 4));
    for (int y = 0; y < kH; ++y)
        for (int plane = 0; plane < 3; ++plane) {
            Bytes line;
            for (const Rgb& c : Row(y, false))
                line.push_back(plane == 0 ? c.r : plane == 1 ? c.g : c.b);
            line.push_back(0);
            PcxLine(w, line);
        }
    return w.bytes;
}

// One plane of indices with the 256-colour palette at the end (index = position in the picture).
inline Bytes Pcx8(bool palette = true)
{
    Writer w;
    w.Add(PcxHeader(1, kW, kH, 4));
    for (int y = 0; y < kH; ++y)
        PcxLine(w, {static_cast<std::uint8_t>(y * kW), static_cast<std::uint8_t>(y * kW + 1),
                    static_cast<std::uint8_t>(y * kW + 2), 0xC5});
    if (palette) {
        w.U8(12);
        for (const Rgb& c : Picture())
            w.U8(c.r).U8(c.g).U8(c.b);
        w.Fill(3 * (256 - Picture().size()), 0);
    }
    return w.bytes;
}

// ---- JPEG

// 16 x 16, four 8 x 8 quadrants: red, green (top), blue, yellow (bottom); JFIF, 4:4:4.
inline Bytes Jpeg()
{
    static const Bytes jpeg = {
        0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0x4A, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01,
        0x00, 0x00, 0xFF, 0xDB, 0x00, 0x43, 0x00, 0x03, 0x02, 0x02, 0x03, 0x02, 0x02, 0x03, 0x03, 0x03, 0x03, 0x04,
        0x03, 0x03, 0x04, 0x05, 0x08, 0x05, 0x05, 0x04, 0x04, 0x05, 0x0A, 0x07, 0x07, 0x06, 0x08, 0x0C, 0x0A, 0x0C,
        0x0C, 0x0B, 0x0A, 0x0B, 0x0B, 0x0D, 0x0E, 0x12, 0x10, 0x0D, 0x0E, 0x11, 0x0E, 0x0B, 0x0B, 0x10, 0x16, 0x10,
        0x11, 0x13, 0x14, 0x15, 0x15, 0x15, 0x0C, 0x0F, 0x17, 0x18, 0x16, 0x14, 0x18, 0x12, 0x14, 0x15, 0x14, 0xFF,
        0xDB, 0x00, 0x43, 0x01, 0x03, 0x04, 0x04, 0x05, 0x04, 0x05, 0x09, 0x05, 0x05, 0x09, 0x14, 0x0D, 0x0B, 0x0D,
        0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14,
        0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14,
        0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0x14, 0xFF, 0xC0, 0x00, 0x11,
        0x08, 0x00, 0x10, 0x00, 0x10, 0x03, 0x01, 0x11, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01, 0xFF, 0xC4, 0x00,
        0x16, 0x00, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x07, 0x08, 0x09, 0xFF, 0xC4, 0x00, 0x14, 0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xC4, 0x00, 0x16, 0x01, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x07, 0x09, 0x08, 0xFF, 0xC4, 0x00, 0x14, 0x11,
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
        0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3F, 0x00, 0x14, 0x1B, 0xB6, 0xA9, 0xEC,
        0x74, 0x8E, 0xE8, 0xD1, 0x58, 0x9A, 0x41, 0xAE, 0x68, 0x7E, 0x63, 0x7F, 0xFF, 0xD9,
    };
    return jpeg;
}

} // namespace cdxfixture
