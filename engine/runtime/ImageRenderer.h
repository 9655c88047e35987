#pragma once

#include "engine/core/Color.h"
#include "engine/core/Poly.h"
#include "engine/core/Rect.h"

#include <cstdint>
#include <string>

class Image;

// How an image is drawn. Scripts name the first five.
enum ShaderType
{
    SHADERTYPE_RESERVED = 0,             // draws nothing
    SHADERTYPE_COPY = 1,                 // plain copy
    SHADERTYPE_BLENDPIXELALPHA = 2,      // by each source pixel's alpha
    SHADERTYPE_BLENDCONSTANTALPHA = 3,   // by one constant alpha
    SHADERTYPE_BLENDCOMBINEDALPHA = 4,   // by pixel alpha times constant alpha
    SHADERTYPE_COMPOSITE = 5,            // onto a target with its own alpha (software only)
};

// "SHADERTYPE_RESERVED" to "SHADERTYPE_BLENDCOMBINEDALPHA" as 0 to 4; any other
// text throws "Unknown shaderTypeString: %1%".
int ShaderTypeFromString(const std::string& text);

// Draws images, fills and primitives onto one target (the screen or an image).
class ImageRenderer
{
public:
    // The image drawn into; null when the target is not an image.
    virtual Image* GetTargetSurface() = 0;
    virtual void DrawCircle(int x, int y, int radius, const Color& color) = 0;
    // Either rectangle may be null: the source defaults to the whole image, the
    // destination to the source's size at (0, 0). The last three values serve
    // the accelerated renderer only.
    virtual void DrawImage(Image* image, int shaderType, const Rect* destRect, const Rect* srcRect,
                           std::uint8_t alpha, float angle, bool reserved, bool pointFiltering) = 0;
    virtual void DrawLine(int x1, int y1, int x2, int y2, const Color& color) = 0;
    virtual void DrawPie(int x, int y, int radius, int startAngle, int endAngle, const Color& color) = 0;
    virtual void FillPolygon(const Poly& polygon, const Color& color, bool filled) = 0;
    virtual void FillRect(const Rect& rect, const Color& color, bool filled) = 0;
    virtual ~ImageRenderer() = default;
};
