#pragma once

#include "engine/ui/Actor.h"

// A debugging outline: a border child draws a one-pixel frame, in its own
// colour, around its parent's bounds, on the parent's outermost pixels. It
// has no size of its own, so it never takes the pointer.
class Border : public Actor
{
    VELK_DECLARE_CLASS(Border)
public:
    // A border in the engine's default colour ("Red").
    Border();

    // Nothing without a parent (or with a parent of no area).
    void DrawImage(Canvas& canvas) override;
};
