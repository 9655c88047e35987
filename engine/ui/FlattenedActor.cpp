#include "engine/ui/FlattenedActor.h"

#include "engine/core/Exception.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/ImageRenderer.h"

FlattenedActor::FlattenedActor(Actor* source, bool transparent, bool sizeFromSource, int width, int height)
    : m_Transparent(transparent), m_SizeFromSource(sizeFromSource)
{
    SetCacheSize(width, height);
    SetSource(source);
}

FlattenedActor::~FlattenedActor()
{
    DeleteCanvas();
}

void FlattenedActor::SetSource(Actor* source)
{
    if (source == m_Source)
        return;
    m_Source = source;
    Invalidate();
}

void FlattenedActor::SetCacheSize(int width, int height)
{
    if (width == GetWidth() && height == GetHeight())
        return;
    DeleteCanvas();
    m_W = static_cast<std::uint16_t>(width);
    m_H = static_cast<std::uint16_t>(height);
}

void FlattenedActor::DeleteCanvas()
{
    // The shown image shares the canvas's pixels: both go together.
    m_Image.reset();
    m_Canvas.reset();
}

void FlattenedActor::Invalidate()
{
    DeleteCanvas();
    if (m_SizeFromSource && m_Source) {
        Point<int> extent = m_Source->GetTotalSize();
        SetCacheSize(extent.x, extent.y);
    }
}

void FlattenedActor::CreateCanvas()
{
    VELK_ASSERT(m_Canvas == 0);
    m_Canvas = std::make_unique<Canvas>(GetWidth(), GetHeight(),
                                        m_Transparent ? CANVAS_DESTROY_TARGET | CANVAS_COMPOSE_ALPHA
                                                      : CANVAS_DESTROY_TARGET);
    if (!m_Transparent)
        m_ShaderType = SHADERTYPE_COPY;
    m_Image = m_Canvas->GetTargetSurface()->Clone();
}

void FlattenedActor::Render()
{
    if (m_Canvas || !m_Source || GetWidth() == 0 || GetHeight() == 0)
        return;
    CreateCanvas();
    m_Canvas->PushState();
    m_Canvas->Translate(-m_Source->GetX() - GetX(), -m_Source->GetY() - GetY());
    try {
        m_Source->Draw(*m_Canvas);
    } catch (...) {
        m_Canvas->PopState();
        throw;
    }
    m_Canvas->PopState();
}

Image* FlattenedActor::GetRenderedImage()
{
    Render();
    return m_Canvas ? m_Canvas->GetTargetSurface() : nullptr;
}

void FlattenedActor::Draw(Canvas& canvas)
{
    Render();
    if (!m_Canvas)
        return;
    canvas.PushState();
    canvas.Translate(GetX(), GetY());
    DrawImageFrame(canvas, m_Image.get(), 0, 0, 0);
    canvas.PopState();
}
