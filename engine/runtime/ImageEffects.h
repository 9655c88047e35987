#pragma once

#include <memory>

class Image;

// New images made from existing ones; the source is left as it was and the
// caller owns the result. Meant for building views, not for every frame.

// The whole frame strip scaled by the factor (SDL_gfx), its frames rebuilt in
// reading order with no gap and the metadata's "gap_y" scaled along.
std::unique_ptr<Image> ZoomImage(Image& image, double factor, bool smooth);
// As ZoomImage with separate factors; the gap follows factorY.
std::unique_ptr<Image> ZoomImageXY(Image& image, double factorX, double factorY, bool smooth);
// One frame (of a strip with more than one, unless frame is -1) turned
// counter-clockwise by the angle; right angles exactly, others through SDL_gfx.
std::unique_ptr<Image> RotozoomImageFrames(Image& image, double angle, int frame, bool smooth);

namespace ImageEffects {
// The first frame turned counter-clockwise by 90, 180 or 270 degrees, pixel
// for pixel. Any other angle is an assertion failure.
std::unique_ptr<Image> RotateImageRightAngle(Image& image, int degrees);
}
