#include "game/views/WoppleWheelAnimation.h"

#include "engine/core/TypeConversion.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/ImageRenderer.h"

#include <algorithm>

void WoppleWheelAnimationClassHook(Class* c)
{
    auto yPos = MemberOf(&WoppleWheelAnimation::m_YPos);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_INT32, yPos, "yPos"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_INT32, yPos, "yPos"));
    c->RegisterPropertyGetter(
        CreatePropertyAccessor(TYPE_POINT, MemberOf(&WoppleWheelAnimation::m_WindowSize), "wheelSize"));
    c->RegisterPropertySetter(PropertyAccessor::CreateMemberSetter(
        MemberSetter(&WoppleWheelAnimation::SetWindowSizeProperty), "wheelSize"));
}

VELK_REGISTER_CLASS(WoppleWheelAnimation, "Actor", WoppleWheelAnimationClassHook,
                    InstantiateObjectOfClass<WoppleWheelAnimation>);

WoppleWheelAnimation::WoppleWheelAnimation() = default;

WoppleWheelAnimation::~WoppleWheelAnimation() = default;

void WoppleWheelAnimation::SetSquareSize(int width, int height)
{
    m_SquareSize = Point<int>(width, height);
}

void WoppleWheelAnimation::AddSquareImage(std::unique_ptr<Image> image)
{
    m_SquareImages.push_back(std::move(image));
}

Point<int> WoppleWheelAnimation::GetWheelSize() const
{
    return Point<int>(m_SquareSize.x, m_SquareSize.y * GetNumSquares());
}

void WoppleWheelAnimation::SetWindowSize(int width, int height)
{
    m_WindowSize = Point<int>(width, height);
}

void WoppleWheelAnimation::SetWindowSizeProperty(const LuaObject& value)
{
    m_WindowSize = Point<int>(value);
}

std::unique_ptr<WoppleWheelAnimation> WoppleWheelAnimation::Clone() const
{
    auto copy = std::make_unique<WoppleWheelAnimation>();
    copy->m_YPos = m_YPos;
    copy->m_SquareSize = m_SquareSize;
    copy->m_WindowSize = m_WindowSize;
    copy->SetSize(m_WindowSize.x, m_WindowSize.y);
    copy->UpdateAlignment();
    for (const std::unique_ptr<Image>& image : m_SquareImages)
        copy->AddSquareImage(image ? std::make_unique<Image>(*image) : nullptr);
    return copy;
}

void WoppleWheelAnimation::DrawImage(Canvas& canvas)
{
    const int count = GetNumSquares();
    const int squareW = m_SquareSize.x;
    const int squareH = m_SquareSize.y;
    if (count == 0 || squareH <= 0)
        return;
    const int stripH = squareH * count;
    int yPos = m_YPos;
    if (yPos < 0)
        yPos += stripH;

    // The actor's alpha and shader, as the actor draws its own image.
    const Canvas::DrawState& state = canvas.GetState();
    int shader = GetShaderType() != 0 ? GetShaderType() : SHADERTYPE_BLENDPIXELALPHA;
    std::uint8_t alpha = GetAlpha();
    if (state.alpha != 1.0f) {
        float scaled = GetAlpha() * state.alpha;
        alpha = static_cast<std::uint8_t>(scaled > 0.0f ? std::min(scaled, 255.0f) : 0.0f);
        if (alpha > 0 && alpha < 255 && shader == SHADERTYPE_BLENDPIXELALPHA)
            shader = SHADERTYPE_BLENDCOMBINEDALPHA;
    }
    if (state.flags & CANVAS_COMPOSE_ALPHA)
        shader = SHADERTYPE_COMPOSITE;

    const int windowW = m_WindowSize.x;
    const int windowH = m_WindowSize.y;
    for (int y = 0; y < windowH;) {
        const int p = yPos + y;
        const int square = (p / squareH) % count;
        const int offset = p % squareH;
        const int rows = std::min(windowH - y, squareH - offset);
        Image* image = m_SquareImages[square].get();
        if (!image) {
            y += squareH;
            continue;
        }
        const int imageW = static_cast<int>(image->GetSize().w);
        const int imageH = static_cast<int>(image->GetSize().h);
        // Horizontally: cropped by half the excess on each side, centred in the square.
        const int drawnW = std::min({squareW, windowW, imageW});
        const int cropX = (imageW - drawnW) / 2;
        const int destX = (squareW - drawnW) / 2;
        // Vertically: the image's top lies this far below the square's top.
        const int excess = squareH - imageH;
        const int imageTop = excess >= 0 ? (excess + 1) / 2 : -((-excess) / 2);
        // The square rows [offset, offset + rows) against the image rows.
        const int from = std::max(offset, imageTop);
        const int to = std::min(offset + rows, imageTop + imageH);
        if (to > from && drawnW > 0) {
            const Rect frame = image->GetFrameRect(0);
            const Rect source(static_cast<std::int16_t>(frame.x + cropX),
                              static_cast<std::int16_t>(frame.y + from - imageTop),
                              static_cast<std::uint16_t>(drawnW), static_cast<std::uint16_t>(to - from));
            const Rect dest(static_cast<std::int16_t>(state.x + destX),
                            static_cast<std::int16_t>(state.y + y + from - offset), source.w, source.h);
            canvas.GetImageRenderer()->DrawImage(image, shader, &dest, &source, alpha, 0.0f, false, true);
        }
        y += rows;
    }
}
