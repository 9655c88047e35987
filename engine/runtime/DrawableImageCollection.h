#pragma once

#include "engine/core/Point.h"
#include "engine/runtime/ImageRenderer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class Canvas;
class Image;

// Images drawn side by side as one picture, each at its own offset; used where
// characters are drawn as separate images rather than composed into one.
class DrawableImageCollection
{
public:
    DrawableImageCollection();
    DrawableImageCollection(const DrawableImageCollection&) = delete;
    DrawableImageCollection& operator=(const DrawableImageCollection&) = delete;
    ~DrawableImageCollection();

    // Takes the image, placed at (x, y) from the current origin; the extent
    // grows to cover it.
    void Add(std::unique_ptr<Image> image, int x, int y);
    // Every image at the canvas's origin plus its offset.
    void Draw(Canvas& canvas);
    void Clear();

    void SetOrigin(int x, int y) { m_Origin = Point<int>(x, y); }
    Point<int> GetOrigin() const { return m_Origin; }
    // Width and height covered so far.
    Point<int> GetExtent() const { return m_Extent; }
    std::uint8_t GetAlpha() const { return m_Alpha; }
    void SetAlpha(std::uint8_t alpha) { m_Alpha = alpha; }
    int GetShaderType() const { return m_ShaderType; }
    void SetShaderType(int shaderType) { m_ShaderType = shaderType; }

    std::size_t GetImageCount() const { return m_Images.size(); }
    Image* GetImage(std::size_t index) const { return m_Images[index].get(); }
    Point<int> GetOffset(std::size_t index) const { return m_Offsets[index]; }

private:
    std::vector<std::unique_ptr<Image>> m_Images;
    std::vector<Point<int>> m_Offsets;
    std::uint8_t m_Alpha = 255;
    int m_ShaderType = SHADERTYPE_BLENDCOMBINEDALPHA;
    Point<int> m_Extent;
    Point<int> m_Origin;
};
