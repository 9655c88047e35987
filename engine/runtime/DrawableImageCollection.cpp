#include "engine/runtime/DrawableImageCollection.h"

#include "engine/core/Exception.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/Image.h"

#include <algorithm>

DrawableImageCollection::DrawableImageCollection() = default;

DrawableImageCollection::~DrawableImageCollection() = default;

void DrawableImageCollection::Add(std::unique_ptr<Image> image, int x, int y)
{
    VELK_ASSERT(image != 0);
    const Point<int> at(x + m_Origin.x, y + m_Origin.y);
    const Image::Size size = image->GetSize();
    m_Extent.x = std::max(m_Extent.x, at.x + static_cast<int>(size.w));
    m_Extent.y = std::max(m_Extent.y, at.y + static_cast<int>(size.h));
    m_Offsets.push_back(at);
    m_Images.push_back(std::move(image));
}

void DrawableImageCollection::Draw(Canvas& canvas)
{
    const Canvas::DrawState& state = canvas.GetState();
    ImageRenderer* renderer = canvas.GetImageRenderer();
    for (std::size_t i = 0; i < m_Images.size(); ++i) {
        Image* image = m_Images[i].get();
        const Image::Size size = image->GetSize();
        const Rect dest(static_cast<std::int16_t>(state.x + m_Offsets[i].x),
                        static_cast<std::int16_t>(state.y + m_Offsets[i].y), static_cast<std::uint16_t>(size.w),
                        static_cast<std::uint16_t>(size.h));
        renderer->DrawImage(image, m_ShaderType, &dest, nullptr, m_Alpha, 0.0f, false, false);
    }
}

void DrawableImageCollection::Clear()
{
    m_Images.clear();
    m_Offsets.clear();
}
