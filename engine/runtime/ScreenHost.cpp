#include "engine/runtime/ScreenHost.h"

namespace {

// Constant-initialised, so a maker set from another file's static initialiser stays.
ScreenHostMaker g_Maker = nullptr;
DialogLibraryHooks g_DialogLibraryHooks;

} // namespace

void SetScreenHostMaker(ScreenHostMaker maker)
{
    g_Maker = maker;
}

ScreenHostMaker GetScreenHostMaker()
{
    return g_Maker;
}

void SetDialogLibraryHooks(const DialogLibraryHooks& hooks)
{
    g_DialogLibraryHooks = hooks;
}

const DialogLibraryHooks& GetDialogLibraryHooks()
{
    return g_DialogLibraryHooks;
}
