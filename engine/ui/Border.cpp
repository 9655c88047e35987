#include "engine/ui/Border.h"

#include "engine/runtime/Canvas.h"

#include <memory>

namespace {

Object* InstantiateBorder(const LuaObject& params)
{
    // A failure while applying the properties takes the half-made border with it.
    auto border = std::make_unique<Border>();
    border->ApplyProperties(params);
    border->OnPostSpawn();
    return border.release();
}

} // namespace

VELK_REGISTER_CLASS(Border, "Actor", nullptr, InstantiateBorder);

Border::Border() : Actor(Colors::Red) {}

void Border::DrawImage(Canvas& canvas)
{
    Actor* parent = GetParent();
    if (!parent || parent->GetWidth() == 0 || parent->GetHeight() == 0)
        return;
    // The canvas's outline ignores the origin and takes in the pixels one past
    // its far edges, so the frame is given from the origin, a pixel narrower
    // and shorter: it then lies on the parent's own edge pixels.
    const int w = parent->GetWidth(), h = parent->GetHeight();
    Color color = GetColor();
    color.a = static_cast<std::uint8_t>(color.a * GetAlpha() / 255);
    if (w < 2 || h < 2) {
        // All edge: the frame is the parent's whole area.
        canvas.FillRectAt(Rect(0, 0, static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(h)), color);
        return;
    }
    const Canvas::DrawState& origin = canvas.GetState();
    canvas.DrawRect(Rect(static_cast<std::int16_t>(origin.x), static_cast<std::int16_t>(origin.y),
                         static_cast<std::uint16_t>(w - 1), static_cast<std::uint16_t>(h - 1)),
                    color);
}
