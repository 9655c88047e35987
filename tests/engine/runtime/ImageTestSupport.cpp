#include "ImageTestSupport.h"

namespace imagetest {

namespace {

std::uint32_t Crc32(const std::string& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBigEndian(std::string& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void PutChunk(std::string& out, const char* type, const std::string& data)
{
    PutBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::string body = std::string(type, 4) + data;
    out += body;
    PutBigEndian(out, Crc32(body));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string Zlib(const std::string& raw)
{
    std::string out = "\x78\x01";
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(raw.size() - at, 65535);
        const bool last = at + n == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<char>(n & 0xFF));
        out.push_back(static_cast<char>(n >> 8));
        out.push_back(static_cast<char>(~n & 0xFF));
        out.push_back(static_cast<char>((~n >> 8) & 0xFF));
        out.append(raw, at, n);
        at += n;
    } while (at < raw.size());
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(out, (b << 16) | a);
    return out;
}

} // namespace

std::string EncodePng(int w, int h, bool alpha, const std::vector<std::uint32_t>& pixels)
{
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    PutBigEndian(header, static_cast<std::uint32_t>(w));
    PutBigEndian(header, static_cast<std::uint32_t>(h));
    header += std::string{8, static_cast<char>(alpha ? 6 : 2), 0, 0, 0};
    PutChunk(png, "IHDR", header);
    std::string raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y * w + x)];
            raw.push_back(static_cast<char>((p >> 16) & 0xFF));
            raw.push_back(static_cast<char>((p >> 8) & 0xFF));
            raw.push_back(static_cast<char>(p & 0xFF));
            if (alpha)
                raw.push_back(static_cast<char>(p >> 24));
        }
    }
    PutChunk(png, "IDAT", Zlib(raw));
    PutChunk(png, "IEND", "");
    return png;
}

std::string EncodeBmp(int w, int h, const std::vector<std::uint32_t>& pixels)
{
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0xFF0000, 0xFF00, 0xFF, 0);
    for (int y = 0; y < h; ++y) {
        auto* row = static_cast<std::uint8_t*>(surface->pixels) + y * surface->pitch;
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y * w + x)];
            row[x * 3 + 0] = p & 0xFF;
            row[x * 3 + 1] = (p >> 8) & 0xFF;
            row[x * 3 + 2] = (p >> 16) & 0xFF;
        }
    }
    std::vector<char> buffer(1024 + static_cast<std::size_t>(w) * h * 4);
    SDL_RWops* out = SDL_RWFromMem(buffer.data(), static_cast<int>(buffer.size()));
    SDL_SaveBMP_RW(surface, out, 0);
    const int size = static_cast<int>(SDL_RWtell(out));
    SDL_RWclose(out);
    SDL_FreeSurface(surface);
    return std::string(buffer.data(), static_cast<std::size_t>(size));
}

} // namespace imagetest
