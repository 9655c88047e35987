#include "engine/runtime/Canvas.h"

#include "engine/core/Exception.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/runtime/SDLImageRenderer.h"
#include "engine/runtime/SurfaceManager.h"

#include <algorithm>

namespace {

// trunc(alpha x factor), kept within a byte whatever the factor.
std::uint8_t ScaleAlpha(float alpha, float factor)
{
    const float scaled = alpha * factor;
    if (!(scaled > 0.0f))
        return 0;
    return static_cast<std::uint8_t>(std::min(scaled, 255.0f));
}

} // namespace

Canvas::Canvas(int width, int height, std::uint32_t options)
    : m_Renderer(nullptr), m_DestroyTarget((options & CANVAS_DESTROY_TARGET) != 0), m_OwnsRenderer(true)
{
    // Off-screen drawing is always software, whichever back end shows the screen.
    SDL_Surface* targetSurface = SurfaceManager::GetInstance()->CreateSurface(width, height, true);
    VELK_ASSERT(targetSurface != 0);
    // The renderer draws into the image without owning it, so the image has one owner.
    Image* target = new Image(targetSurface, IMAGEFLAG_SHARED_PIXELS, nullptr);
    m_Renderer = new SDLImageRenderer(target);
    InitStack(options);
}

Canvas::Canvas(ImageRenderer* renderer, bool ownsRenderer)
    : m_Renderer(renderer), m_DestroyTarget(false), m_OwnsRenderer(ownsRenderer)
{
    InitStack(0);
}

Canvas::~Canvas()
{
    if (m_DestroyTarget)
        delete m_Renderer->GetTargetSurface();
    if (m_OwnsRenderer)
        delete m_Renderer;
}

void Canvas::InitStack(std::uint32_t flags)
{
    VELK_ASSERT(m_StateStack.empty());
    m_StateStack.reserve(16);
    DrawState first;
    first.flags = flags;
    m_StateStack.push_back(first);
    m_Top = 0;
}

void Canvas::PushState()
{
    const DrawState below = m_StateStack[m_Top];
    ++m_Top;
    if (m_Top < m_StateStack.size())
        m_StateStack[m_Top] = below;
    else
        m_StateStack.push_back(below);
}

void Canvas::PopState()
{
    VELK_ASSERT_MSG(m_Top > 0, "PopState without a matching PushState");
    --m_Top;
}

void Canvas::Translate(int dx, int dy)
{
    GetState().x += dx;
    GetState().y += dy;
}

Image* Canvas::GetTargetSurface() const
{
    return m_Renderer->GetTargetSurface();
}

void Canvas::DrawImageFrame(Image* image, int frame)
{
    const DrawState& state = GetState();
    const Image::Size size = image->GetSize();
    const Rect dest(static_cast<std::int16_t>(state.x), static_cast<std::int16_t>(state.y),
                    static_cast<std::uint16_t>(size.w), static_cast<std::uint16_t>(size.h));
    const Rect src = image->GetFrameRect(frame);
    int shaderType = SHADERTYPE_BLENDPIXELALPHA;
    std::uint8_t alpha = 255;
    if (state.flags & CANVAS_COMPOSE_ALPHA) {
        shaderType = SHADERTYPE_COMPOSITE;
    } else if (state.alpha != 1.0f) {
        shaderType = SHADERTYPE_BLENDCOMBINEDALPHA;
        alpha = ScaleAlpha(255.0f, state.alpha);
    }
    m_Renderer->DrawImage(image, shaderType, &dest, &src, alpha, 0.0f, false, true);
}

Color Canvas::Faded(const Color& color) const
{
    Color result = color;
    result.a = ScaleAlpha(color.a, GetState().alpha);
    return result;
}

void Canvas::DrawRect(const Rect& rect, const Color& color)
{
    m_Renderer->FillRect(rect, Faded(color), false);
}

void Canvas::FillRect(int width, int height, const Color& color)
{
    const DrawState& state = GetState();
    m_Renderer->FillRect(Rect(static_cast<std::int16_t>(state.x), static_cast<std::int16_t>(state.y),
                              static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height)),
                         Faded(color), true);
}

void Canvas::FillRectAt(const Rect& rect, const Color& color)
{
    const DrawState& state = GetState();
    Rect moved = rect;
    moved.x = static_cast<std::int16_t>(rect.x + state.x);
    moved.y = static_cast<std::int16_t>(rect.y + state.y);
    m_Renderer->FillRect(moved, Faded(color), true);
}

void Canvas::FillImageRect(const Color& color)
{
    Image* target = GetTargetSurface();
    const Image::Size size = target->GetFullSize();
    // FillRectAt applies the alpha factor; applying it here too would fade twice.
    FillRectAt(Rect(0, 0, static_cast<std::uint16_t>(size.w), static_cast<std::uint16_t>(size.h)), color);
}
