#pragma once

// Screen geometry: integer and float points, rectangles with their alignments,
// and polygons.
#include "engine/core/Point.h"
#include "engine/core/Poly.h"
#include "engine/core/Rect.h"
