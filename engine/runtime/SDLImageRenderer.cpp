#include "engine/runtime/SDLImageRenderer.h"

#include "engine/core/Exception.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/SurfaceManager.h"

#include <SDL_gfxPrimitives.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// Polygon points are floats from scripts; out-of-range values must not reach a 16-bit cast.
Sint16 TruncateToInt16(float value)
{
    if (!(value > -32768.0f))
        return -32768;
    if (value > 32767.0f)
        return 32767;
    return static_cast<Sint16>(value);
}

SDL_Rect ToSDLRect(const Rect& rect)
{
    SDL_Rect result;
    result.x = rect.x;
    result.y = rect.y;
    result.w = rect.w;
    result.h = rect.h;
    return result;
}

constexpr std::uint32_t Channel(std::uint32_t pixel, int shift)
{
    return (pixel >> shift) & 0xFF;
}

// Narrows a blit already within the target to the target's clip rectangle.
bool ClipToClipRect(const SDL_Rect& clip, int& sx, int& sy, int& dx, int& dy, int& w, int& h)
{
    if (dx < clip.x) {
        const int d = clip.x - dx;
        sx += d, dx += d, w -= d;
    }
    if (dy < clip.y) {
        const int d = clip.y - dy;
        sy += d, dy += d, h -= d;
    }
    w = std::min(w, clip.x + clip.w - dx);
    h = std::min(h, clip.y + clip.h - dy);
    return w > 0 && h > 0;
}

// SDL's per-pixel alpha blend of one row: each side weighed over 256 on its
// own, the target's alpha kept, clear pixels skipped and opaque ones copied.
void BlendRowPixelAlpha(const std::uint32_t* s, std::uint32_t* d, int w)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i opaque = _mm_set1_epi32(255);
    const __m128i alphaMask = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i full16 = _mm_set1_epi16(255);
    for (; i + 4 <= w; i += 4) {
        const __m128i sp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i a = _mm_srli_epi32(sp, 24);
        const __m128i isClear = _mm_cmpeq_epi32(a, zero);
        if (_mm_movemask_epi8(isClear) == 0xFFFF)
            continue;
        const __m128i dp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const __m128i isOpaque = _mm_cmpeq_epi32(a, opaque);
        // Each pixel's alpha in all four of its 16-bit channels.
        const __m128i a2 = _mm_or_si128(a, _mm_slli_epi32(a, 16));
        const __m128i aLo = _mm_unpacklo_epi32(a2, a2), aHi = _mm_unpackhi_epi32(a2, a2);
        const __m128i sLo = _mm_unpacklo_epi8(sp, zero), sHi = _mm_unpackhi_epi8(sp, zero);
        const __m128i dLo = _mm_unpacklo_epi8(dp, zero), dHi = _mm_unpackhi_epi8(dp, zero);
        const __m128i lo = _mm_add_epi16(_mm_srli_epi16(_mm_mullo_epi16(sLo, aLo), 8),
                                         _mm_srli_epi16(_mm_mullo_epi16(dLo, _mm_sub_epi16(full16, aLo)), 8));
        const __m128i hi = _mm_add_epi16(_mm_srli_epi16(_mm_mullo_epi16(sHi, aHi), 8),
                                         _mm_srli_epi16(_mm_mullo_epi16(dHi, _mm_sub_epi16(full16, aHi)), 8));
        const __m128i blended = _mm_packus_epi16(lo, hi);
        const __m128i targetAlpha = _mm_and_si128(dp, alphaMask);
        const __m128i mixed = _mm_or_si128(_mm_andnot_si128(alphaMask, blended), targetAlpha);
        const __m128i copied = _mm_or_si128(_mm_andnot_si128(alphaMask, sp), targetAlpha);
        __m128i out = _mm_or_si128(_mm_and_si128(isOpaque, copied), _mm_andnot_si128(isOpaque, mixed));
        out = _mm_or_si128(_mm_and_si128(isClear, dp), _mm_andnot_si128(isClear, out));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), out);
    }
#endif
    for (; i < w; ++i) {
        const std::uint32_t sp = s[i];
        const std::uint32_t a = sp >> 24;
        if (a == 0)
            continue;
        const std::uint32_t dp = d[i];
        if (a == 255) {
            d[i] = (dp & 0xFF000000) | (sp & 0x00FFFFFF);
            continue;
        }
        std::uint32_t out = dp & 0xFF000000;
        for (int shift = 0; shift <= 16; shift += 8)
            out |= ((Channel(sp, shift) * a >> 8) + (Channel(dp, shift) * (255 - a) >> 8)) << shift;
        d[i] = out;
    }
}

} // namespace

SDLImageRenderer::SDLImageRenderer(Image* target)
    : m_TargetSurface(target->GetSurface()), m_TargetImage(target), m_OwnsTargetImage(false)
{
}

// A target without an alpha channel (the window's surface) must keep SDL's
// plain copy: a blend setting on it makes SDL blend every pixel it presents,
// ten times the cost of the copy.
SDLImageRenderer::SDLImageRenderer(SDL_Surface* target)
    : m_TargetSurface(nullptr),
      m_TargetImage(new Image(target, IMAGEFLAG_SHARED_PIXELS | Image::AlphaFlagsOf(target), nullptr)),
      m_OwnsTargetImage(true)
{
    // Filing may have replaced the surface by its standard-format copy.
    m_TargetSurface = m_TargetImage->GetSurface();
}

SDLImageRenderer::~SDLImageRenderer()
{
    if (m_OwnsTargetImage)
        delete m_TargetImage;
}

void SDLImageRenderer::Touch(int x, int y, int w, int h)
{
    const int x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int x1 = std::min(x + w, m_TargetSurface->w), y1 = std::min(y + h, m_TargetSurface->h);
    if (x0 < x1 && y0 < y1)
        m_TargetImage->MarkPixelsChanged();
}

void SDLImageRenderer::SetClip(const SDL_Rect* clip)
{
    SDL_Rect rect;
    if (clip)
        rect = *clip;
    SDL_SetClipRect(m_TargetSurface, clip ? &rect : nullptr);
}

void SDLImageRenderer::DrawCircle(int x, int y, int radius, const Color& color)
{
    Touch(x - radius - 1, y - radius - 1, 2 * radius + 3, 2 * radius + 3);
    circleRGBA(m_TargetSurface, static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Sint16>(radius), color.r,
               color.g, color.b, color.a);
}

void SDLImageRenderer::DrawLine(int x1, int y1, int x2, int y2, const Color& color)
{
    Touch(std::min(x1, x2), std::min(y1, y2), std::abs(x2 - x1) + 1, std::abs(y2 - y1) + 1);
    lineRGBA(m_TargetSurface, static_cast<Sint16>(x1), static_cast<Sint16>(y1), static_cast<Sint16>(x2),
             static_cast<Sint16>(y2), color.r, color.g, color.b, color.a);
}

void SDLImageRenderer::DrawPie(int x, int y, int radius, int startAngle, int endAngle, const Color& color)
{
    Touch(x - radius - 1, y - radius - 1, 2 * radius + 3, 2 * radius + 3);
    pieRGBA(m_TargetSurface, static_cast<Sint16>(x), static_cast<Sint16>(y), static_cast<Sint16>(radius),
            static_cast<Sint16>(startAngle), static_cast<Sint16>(endAngle), color.r, color.g, color.b, color.a);
}

void SDLImageRenderer::FillPolygon(const Poly& polygon, const Color& color, bool filled)
{
    if (filled) {
        // Sized to the polygon, whatever its number of points.
        const std::vector<Point2f>& points = polygon.GetVertices();
        std::vector<Sint16> xs, ys;
        xs.reserve(points.size());
        ys.reserve(points.size());
        for (const Point2f& point : points) {
            xs.push_back(TruncateToInt16(point.x));
            ys.push_back(TruncateToInt16(point.y));
            Touch(xs.back() - 1, ys.back() - 1, 3, 3);
        }
        filledPolygonRGBA(m_TargetSurface, xs.data(), ys.data(), static_cast<int>(xs.size()), color.r, color.g,
                          color.b, color.a);
        return;
    }
    for (const Poly::Edge& edge : polygon.GetEdges()) {
        DrawLine(TruncateToInt16(edge.start.x), TruncateToInt16(edge.start.y), TruncateToInt16(edge.end.x),
                 TruncateToInt16(edge.end.y), color);
    }
}

void SDLImageRenderer::DrawImage(Image* image, int shaderType, const Rect* destRect, const Rect* srcRect,
                                 std::uint8_t alpha, float, bool, bool)
{
    SDL_Surface* surface = image->GetSurface();
    const Rect src = srcRect ? *srcRect
                             : Rect(0, 0, static_cast<std::uint16_t>(surface->w), static_cast<std::uint16_t>(surface->h));
    const Rect dest = destRect ? *destRect : Rect(0, 0, src.w, src.h);
    DrawSurface(surface, shaderType, src, dest, alpha);
}

void SDLImageRenderer::DrawSurface(SDL_Surface* surface, int shaderType, const Rect& srcRect, const Rect& destRect,
                                   std::uint8_t alpha)
{
    // Never scaled: the source's size at the destination's corner.
    Touch(destRect.x, destRect.y, srcRect.w, srcRect.h);
    switch (shaderType) {
    case SHADERTYPE_BLENDPIXELALPHA:
        if (BlendsLikeSDL(surface)) {
            BlendPixelAlpha(surface, srcRect, destRect, alpha);
            break;
        }
        BlitSurface(surface, shaderType, srcRect, destRect, alpha);
        break;
    case SHADERTYPE_COPY:
    case SHADERTYPE_BLENDCONSTANTALPHA:
        BlitSurface(surface, shaderType, srcRect, destRect, alpha);
        break;
    case SHADERTYPE_BLENDCOMBINEDALPHA:
    case SHADERTYPE_COMPOSITE:
        BlendSurface(surface, shaderType, srcRect, destRect, alpha);
        break;
    default:
        break;
    }
}

bool SDLImageRenderer::BlendsLikeSDL(SDL_Surface* surface) const
{
    // Our loop gives SDL's own result only for its plain case: 32-bit pixels
    // with alpha in the top byte over 32-bit pixels of the same colour layout,
    // without a colour key.
    const SDL_PixelFormat* from = surface->format;
    const SDL_PixelFormat* to = m_TargetSurface->format;
    return from->BytesPerPixel == 4 && to->BytesPerPixel == 4 && from->Amask == 0xFF000000u &&
           !(surface->flags & SDL_SRCCOLORKEY) && from->Rmask == to->Rmask && from->Gmask == to->Gmask &&
           from->Bmask == to->Bmask && surface != m_TargetSurface;
}

void SDLImageRenderer::BlendPixelAlpha(SDL_Surface* surface, const Rect& srcRect, const Rect& destRect,
                                       std::uint8_t alpha)
{
    int sx = srcRect.x, sy = srcRect.y, dx = destRect.x, dy = destRect.y, w = srcRect.w, h = srcRect.h;
    if (!ClipBlit(surface->w, surface->h, m_TargetSurface->w, m_TargetSurface->h, sx, sy, dx, dy, w, h))
        return;
    // As in SDL 1.2, a surface with its own alpha ignores the constant.
    (void)alpha;
    if (!ClipToClipRect(m_TargetSurface->clip_rect, sx, sy, dx, dy, w, h))
        return;
    SurfaceLock sourceLock(surface);
    SurfaceLock targetLock(m_TargetSurface);
    for (int row = 0; row < h; ++row)
        BlendRowPixelAlpha(PixelRow(surface, sy + row) + sx, PixelRow(m_TargetSurface, dy + row) + dx, w);
}

void SDLImageRenderer::BlitSurface(SDL_Surface* surface, int shaderType, const Rect& srcRect, const Rect& destRect,
                                   std::uint8_t alpha)
{
    SDL_Rect src = ToSDLRect(srcRect);
    SDL_Rect dest = ToSDLRect(destRect);
    int result;
    if (shaderType == SHADERTYPE_BLENDCONSTANTALPHA) {
        // An alpha-less view of the same pixels: SDL then blends by the
        // constant alone, and the image's own settings are never touched.
        SDL_Surface* view = SDL_CreateRGBSurfaceFrom(surface->pixels, surface->w, surface->h,
                                                     surface->format->BitsPerPixel, surface->pitch,
                                                     surface->format->Rmask, surface->format->Gmask,
                                                     surface->format->Bmask, 0);
        if (!view)
            VELK_THROW(Exception, (boost::format("SDL_BlitSurface failed: %1%") % SDL_GetError()).str());
        if (surface->flags & SDL_SRCCOLORKEY)
            SDL_SetColorKey(view, SDL_SRCCOLORKEY, surface->format->colorkey);
        SDL_SetAlpha(view, SDL_SRCALPHA, alpha);
        result = SDL_BlitSurface(view, &src, m_TargetSurface, &dest);
        SDL_FreeSurface(view);
    } else {
        const Uint32 savedFlag = surface->flags & SDL_SRCALPHA;
        const Uint8 savedAlpha = surface->format->alpha;
        if (shaderType == SHADERTYPE_COPY)
            SDL_SetAlpha(surface, 0, savedAlpha);
        else
            SDL_SetAlpha(surface, SDL_SRCALPHA, alpha);
        result = SDL_BlitSurface(surface, &src, m_TargetSurface, &dest);
        SDL_SetAlpha(surface, savedFlag, savedAlpha);
    }
    if (result != 0)
        VELK_THROW(Exception, (boost::format("SDL_BlitSurface failed: %1%") % SDL_GetError()).str());
}

void SDLImageRenderer::BlendSurface(SDL_Surface* surface, int shaderType, const Rect& srcRect, const Rect& destRect,
                                    std::uint8_t alpha)
{
    VELK_ASSERT(surface->format->BytesPerPixel == 4 && m_TargetSurface->format->BytesPerPixel == 4);
    int sx = srcRect.x, sy = srcRect.y, dx = destRect.x, dy = destRect.y, w = srcRect.w, h = srcRect.h;
    if (!ClipBlit(surface->w, surface->h, m_TargetSurface->w, m_TargetSurface->h, sx, sy, dx, dy, w, h) ||
        !ClipToClipRect(m_TargetSurface->clip_rect, sx, sy, dx, dy, w, h))
        return;
    SurfaceLock sourceLock(surface);
    SurfaceLock targetLock(m_TargetSurface);
    for (int row = 0; row < h; ++row) {
        const std::uint32_t* s = PixelRow(surface, sy + row) + sx;
        std::uint32_t* d = PixelRow(m_TargetSurface, dy + row) + dx;
        if (shaderType == SHADERTYPE_BLENDCOMBINEDALPHA) {
            for (int i = 0; i < w; ++i) {
                const std::uint32_t sp = s[i];
                const std::uint32_t dp = d[i];
                // The constant scales by 1/256, so 255 x 255 moves 254/256 of the way.
                const int a = static_cast<int>(((sp >> 24) * alpha) >> 8);
                std::uint32_t out = dp & 0xFF000000;
                for (int shift = 0; shift <= 16; shift += 8) {
                    const int sc = static_cast<int>(Channel(sp, shift));
                    const int dc = static_cast<int>(Channel(dp, shift));
                    out |= static_cast<std::uint32_t>(dc + (((sc - dc) * a) >> 8)) << shift;
                }
                d[i] = out;
            }
        } else {
            for (int i = 0; i < w; ++i) {
                const std::uint32_t sp = s[i];
                const std::uint32_t dp = d[i];
                const std::uint32_t da = dp >> 24;
                if (da == 0) {
                    d[i] = sp;
                    continue;
                }
                const std::uint32_t sa = sp >> 24;
                std::uint32_t out = (sa + da - sa * da / 255) << 24;
                for (int shift = 0; shift <= 16; shift += 8)
                    out |= (((255 - sa) * Channel(dp, shift) + sa * Channel(sp, shift)) >> 8) << shift;
                d[i] = out;
            }
        }
    }
}

void SDLImageRenderer::FillRect(const Rect& rect, const Color& color, bool filled)
{
    if (filled && color.a != 0)
        Touch(rect.x, rect.y, rect.w, rect.h);
    if (!filled) {
        // Each edge stops a pixel short of the next corner, so every outline pixel is drawn once.
        const int x = rect.x, y = rect.y, w = rect.w, h = rect.h;
        DrawLine(x, y, x + w - 1, y, color);
        DrawLine(x + w, y, x + w, y + h - 1, color);
        DrawLine(x + w, y + h, x + 1, y + h, color);
        DrawLine(x, y + h, x, y + 1, color);
        return;
    }
    if (color.a == 255)
        FillRectOntoSurface(rect, color);
    else if (color.a != 0)
        BlendRectOntoSurface(rect, color);
}

void SDLImageRenderer::FillRectOntoSurface(const Rect& rect, const Color& color)
{
    SDL_Rect tmpRect = ToSDLRect(rect);
    const Uint32 mappedColor = SDL_MapRGBA(m_TargetSurface->format, color.r, color.g, color.b, color.a);
    VELK_ASSERT_MSG(SDL_FillRect(m_TargetSurface, &tmpRect, mappedColor) == 0,
                    (boost::format("SDL_FillRect failed: %1%") % SDL_GetError()).str());
}

void SDLImageRenderer::BlendRectOntoSurface(const Rect& rect, const Color& color)
{
    VELK_ASSERT(m_TargetSurface->format->BytesPerPixel == 4);
    const SDL_Rect& clip = m_TargetSurface->clip_rect;
    const int x0 = std::max<int>(rect.x, clip.x);
    const int y0 = std::max<int>(rect.y, clip.y);
    const int x1 = std::min<int>(rect.x + rect.w, clip.x + clip.w);
    const int y1 = std::min<int>(rect.y + rect.h, clip.y + clip.h);
    if (x0 >= x1 || y0 >= y1)
        return;
    const std::uint32_t a = color.a;
    const std::uint32_t red = color.r * a, green = color.g * a, blue = color.b * a;
    SurfaceLock lock(m_TargetSurface);
    for (int y = y0; y < y1; ++y) {
        std::uint32_t* d = PixelRow(m_TargetSurface, y);
        for (int x = x0; x < x1; ++x) {
            const std::uint32_t dp = d[x];
            d[x] = (dp & 0xFF000000) | (((Channel(dp, 16) * (255 - a) + red) >> 8) << 16) |
                   (((Channel(dp, 8) * (255 - a) + green) >> 8) << 8) | ((Channel(dp, 0) * (255 - a) + blue) >> 8);
        }
    }
}
