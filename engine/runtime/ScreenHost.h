#pragma once

#include "engine/core/Events.h"

#include <cstdint>
#include <memory>

class Canvas;
class CommonDialogLibrary;

// What the application needs of the screens it shows. The toolkit's screen
// manager implements it and registers its maker at start-up, so the runtime
// never names a screen or an actor; without a maker the application runs with
// no screens.
class ScreenHost
{
public:
    virtual ~ScreenHost() = default;

    // One step of the current screen, once per pass.
    virtual void UpdateScreens() = 0;
    // The screens and the overlays over them, onto the frame.
    virtual void DrawScreens(Canvas& canvas) = 0;
    // An event the application did not use; true when a screen used it.
    virtual bool OfferEvent(const EventRecord& event) = 0;
    // The roll-over walk at a point: the topmost drawn roll-over actor there
    // hears VELK_MOUSEENTER and the one before it VELK_MOUSELEAVE.
    virtual void ResetRolloverAt(int x, int y, bool hasMouseFocus) = 0;
    // Whether the current screen shows a dialog; false without one.
    virtual bool IsDialogShown() = 0;
    // The window was made again (a new mode, full screen or back).
    virtual void ResetWindow() = 0;
    // Leaves no current screen; every screen hears of it at once.
    virtual void SwitchToNoScreen() = 0;

    // The developer overlays over everything: the frame rate, and the bytes of
    // one memory-usage category (-1 for none).
    virtual void ShowOverlays(bool frameRate, int memoryCategory) = 0;
    // A pass of the main loop ran from start to end, in the loop's milliseconds.
    virtual void CountPass(std::uint32_t start, std::uint32_t end) = 0;
};

using ScreenHostMaker = std::unique_ptr<ScreenHost> (*)();

// Null uninstalls.
void SetScreenHostMaker(ScreenHostMaker maker);
ScreenHostMaker GetScreenHostMaker();

// The toolkit's library of standard dialogs, which the application owns but
// cannot see: the toolkit registers how the default one is made and how any is
// freed.
struct DialogLibraryHooks
{
    CommonDialogLibrary* (*make)() = nullptr;
    void (*destroy)(CommonDialogLibrary*) = nullptr;
};

void SetDialogLibraryHooks(const DialogLibraryHooks& hooks);
const DialogLibraryHooks& GetDialogLibraryHooks();
