#include "engine/ui/LayoutManager.h"

// Only its kinds (a grid layout and the like) are made from scripts.
VELK_REGISTER_CLASS(LayoutManager, "Object", nullptr, nullptr);
