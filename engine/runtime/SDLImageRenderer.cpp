#include "engine/runtime/SDLImageRenderer.h"

#include "engine/core/Exception.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/SurfaceManager.h"

#include <SDL_gfxPrimitives.h>

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

} // namespace

SDLImageRenderer::SDLImageRenderer(Image* target)
    : m_TargetSurface(target->GetSurface()), m_TargetImage(target), m_OwnsTargetImage(false)
{
}

SDLImageRenderer::SDLImageRenderer(SDL_Surface* target)
    : m_TargetSurface(nullptr), m_TargetImage(new Image(target, IMAGEFLAG_SHARED_PIXELS, nullptr)),
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
    if (x0 >= x1 || y0 >= y1)
        return;
    if (m_DrawnX0 >= m_DrawnX1) {
        m_DrawnX0 = x0, m_DrawnY0 = y0, m_DrawnX1 = x1, m_DrawnY1 = y1;
        return;
    }
    m_DrawnX0 = std::min(m_DrawnX0, x0);
    m_DrawnY0 = std::min(m_DrawnY0, y0);
    m_DrawnX1 = std::max(m_DrawnX1, x1);
    m_DrawnY1 = std::max(m_DrawnY1, y1);
}

SDL_Rect SDLImageRenderer::TakeDrawnArea()
{
    SDL_Rect area{0, 0, 0, 0};
    if (m_DrawnX0 < m_DrawnX1)
        area = SDL_Rect{static_cast<Sint16>(m_DrawnX0), static_cast<Sint16>(m_DrawnY0),
                        static_cast<Uint16>(m_DrawnX1 - m_DrawnX0), static_cast<Uint16>(m_DrawnY1 - m_DrawnY0)};
    m_DrawnX0 = m_DrawnY0 = m_DrawnX1 = m_DrawnY1 = 0;
    return area;
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
    SurfaceLock sourceLock(surface);
    SurfaceLock targetLock(m_TargetSurface);
    for (int row = 0; row < h; ++row) {
        const std::uint32_t* s = PixelRow(surface, sy + row) + sx;
        std::uint32_t* d = PixelRow(m_TargetSurface, dy + row) + dx;
        for (int i = 0; i < w; ++i) {
            const std::uint32_t sp = s[i];
            const std::uint32_t a = sp >> 24;
            if (a == 0)
                continue;
            const std::uint32_t dp = d[i];
            // SDL leaves the target's alpha, and weighs each side over 256 on its own.
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
    if (!ClipBlit(surface->w, surface->h, m_TargetSurface->w, m_TargetSurface->h, sx, sy, dx, dy, w, h))
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
    const int x0 = std::max<int>(rect.x, 0);
    const int y0 = std::max<int>(rect.y, 0);
    const int x1 = std::min<int>(rect.x + rect.w, m_TargetSurface->w);
    const int y1 = std::min<int>(rect.y + rect.h, m_TargetSurface->h);
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
