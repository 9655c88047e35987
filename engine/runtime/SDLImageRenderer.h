#pragma once

#include "engine/runtime/ImageRenderer.h"

#include <SDL.h>

// The software renderer: draws into an SDL surface with SDL's blits, our own
// blends for the combined-alpha and compositing shader types, and SDL_gfx for
// the primitives. It never scales: a source rectangle is placed at the
// destination's top-left corner.
class SDLImageRenderer : public ImageRenderer
{
public:
    // Draws into an image, which stays the caller's.
    explicit SDLImageRenderer(Image* target);
    // Draws into a bare surface (the screen or an off-screen surface), wrapped
    // in an image of shared pixels that the renderer owns.
    explicit SDLImageRenderer(SDL_Surface* target);
    SDLImageRenderer(const SDLImageRenderer&) = delete;
    SDLImageRenderer& operator=(const SDLImageRenderer&) = delete;
    ~SDLImageRenderer() override;

    Image* GetTargetSurface() override { return m_TargetImage; }
    SDL_Surface* GetTargetSDLSurface() const { return m_TargetSurface; }

    void DrawCircle(int x, int y, int radius, const Color& color) override;
    void DrawImage(Image* image, int shaderType, const Rect* destRect, const Rect* srcRect, std::uint8_t alpha,
                   float angle, bool reserved, bool pointFiltering) override;
    void DrawLine(int x1, int y1, int x2, int y2, const Color& color) override;
    void DrawPie(int x, int y, int radius, int startAngle, int endAngle, const Color& color) override;
    void FillPolygon(const Poly& polygon, const Color& color, bool filled) override;
    void FillRect(const Rect& rect, const Color& color, bool filled) override;

    void DrawSurface(SDL_Surface* surface, int shaderType, const Rect& srcRect, const Rect& destRect,
                     std::uint8_t alpha);

    // Drawing stops at the rectangle (a part of the target) until the next
    // call; null draws on the whole target again.
    void SetClip(const SDL_Rect* clip);

private:
    // Whether BlendPixelAlpha gives what SDL's blit would for the surface.
    bool BlendsLikeSDL(SDL_Surface* surface) const;
    // SDL's per-pixel alpha blend, in our own loop (several times faster).
    void BlendPixelAlpha(SDL_Surface* surface, const Rect& srcRect, const Rect& destRect, std::uint8_t alpha);
    // Marks the target's pixels changed when the box reaches into it.
    void Touch(int x, int y, int w, int h);

    void BlitSurface(SDL_Surface* surface, int shaderType, const Rect& srcRect, const Rect& destRect,
                     std::uint8_t alpha);
    void BlendSurface(SDL_Surface* surface, int shaderType, const Rect& srcRect, const Rect& destRect,
                      std::uint8_t alpha);
    void FillRectOntoSurface(const Rect& rect, const Color& color);
    void BlendRectOntoSurface(const Rect& rect, const Color& color);

    SDL_Surface* m_TargetSurface;
    Image* m_TargetImage;
    bool m_OwnsTargetImage;
};
