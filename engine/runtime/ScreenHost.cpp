#include "engine/runtime/ScreenHost.h"

namespace {

// Constant-initialised, so a maker set from another file's static initialiser stays.
ScreenHostMaker g_Maker = nullptr;

} // namespace

void SetScreenHostMaker(ScreenHostMaker maker)
{
    g_Maker = maker;
}

ScreenHostMaker GetScreenHostMaker()
{
    return g_Maker;
}
