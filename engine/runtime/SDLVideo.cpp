#include "engine/runtime/SDLVideo.h"

#include "engine/core/Exception.h"
#include "engine/runtime/Utility.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <list>

namespace {

std::string g_InitError;

} // namespace

bool InitSDLVideo(const std::string& driverName)
{
    // The environment keeps the very text it is given: each setting is kept for the run.
    static std::list<std::string> s_Settings;
    const std::string setting = "SDL_VIDEODRIVER=" + driverName;
    auto kept = std::find(s_Settings.begin(), s_Settings.end(), setting);
    if (kept == s_Settings.end())
        kept = s_Settings.insert(s_Settings.end(), setting);
    if (SDL_putenv(kept->data()) != 0) {
        g_InitError = (boost::format("SetEnvironmentVariable(\"SDL_VIDEODRIVER\", \"%1%\") failed: %2%") % driverName %
                       GetLastErrorText())
                          .str();
        return false;
    }
    // Every frame is drawn in software already: SDL only copies it to the window,
    // which a GL renderer does no faster but starts slowly and idles dearly.
    // A setting of the player's own wins.
    setenv("SDL_RENDER_DRIVER", "software", 0);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        g_InitError = (boost::format("SDL_InitSubSystem(SDL_INIT_VIDEO) failed: %1%") % SDL_GetError()).str();
        return false;
    }
    if (driverName != "x11" && driverName != "dummy")
        VELK_THROW(Exception,
                   (boost::format("Could not retrieve the window procedure using the SDL video driver, \"%1%\".") %
                    driverName)
                       .str());
    return true;
}

bool IsCurrentSDLVideoDriver(const std::string& driverName)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return false;
    char buffer[512];
    const char* name = SDL_VideoDriverName(buffer, sizeof(buffer));
    return name && driverName == name;
}

void ShutdownSDLVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

const std::string& GetSDLVideoInitError()
{
    return g_InitError;
}
