#include <gtest/gtest.h>

#include <cstdlib>

// SDL is built without frame pointers: unwind leak stacks the slow way so that
// the suppression below can see past it.
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

// sdl12-compat keeps its screen-surface wrapper past SDL_Quit. SDL_mixer
// keeps the bytes of every MIDI file it loaded for FluidSynth.
extern "C" const char* __lsan_default_suppressions()
{
    // SDL's X11 video asks D-Bus about the desktop once and keeps the answer.
    return "leak:SDL_SetVideoMode\n"
           "leak:libdbus-1.so\n"
           // Mesa's software OpenGL keeps a little for the process's life.
           "leak:swrast_dri.so\n"
           "leak:libGLX_mesa.so\n"
           "leak:libSDL_mixer-1.2.so\n";
}

int main(int argc, char** argv)
{
    // Headless: no window, no sound device.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // The display falls back to the dummy driver only when X11 cannot start.
    unsetenv("DISPLAY");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
