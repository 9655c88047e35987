#pragma once

#include <string>

// Starting SDL's video on one of the drivers the display can use: "x11" for
// a real window, "dummy" for a run without a display.

// Starts SDL's video on the driver; false (with GetSDLVideoInitError telling
// why) when it cannot. A driver other than the two throws Exception, after
// SDL's video was started.
bool InitSDLVideo(const std::string& driverName);
// True when SDL's video runs on that driver.
bool IsCurrentSDLVideoDriver(const std::string& driverName);
void ShutdownSDLVideo();
// Why the last start failed; empty at first.
const std::string& GetSDLVideoInitError();
