#include "platform/console/Interrupts.h"

#include "platform/console/DescriptorConsole.h"

#include <atomic>
#include <cerrno>
#include <csignal>

#include <lua.hpp>

namespace {

enum Termination : int
{
    kNoTermination = 0,
    kTerminationRequested = 1,
    kTerminationTaken = 2,
};

// What the handlers touch: flags, and the state they hook.
volatile sig_atomic_t g_ChunkRunning = 0;
volatile sig_atomic_t g_BreakChunk = 0;
volatile sig_atomic_t g_Termination = kNoTermination;
volatile sig_atomic_t g_TerminationSignal = 0;
std::atomic<lua_State*> g_State{nullptr};
static_assert(std::atomic<lua_State*>::is_always_lock_free);

const int kSignals[] = {SIGINT, SIGTERM};
struct sigaction g_Previous[2];
bool g_Installed = false;

void OnHook(lua_State* L, lua_Debug*)
{
    if (g_Termination == kTerminationRequested)
        luaL_error(L, "the program is ending");
    lua_sethook(L, nullptr, 0, 0);
    if (g_BreakChunk) {
        g_BreakChunk = 0;
        luaL_error(L, "interrupted!");
    }
}

// Every call, return and instruction reaches the hook, so even an empty loop
// stops at once.
void Arm()
{
    if (lua_State* L = g_State.load())
        lua_sethook(L, OnHook, LUA_MASKCALL | LUA_MASKRET | LUA_MASKCOUNT, 1);
}

void Disarm()
{
    if (lua_State* L = g_State.load())
        lua_sethook(L, nullptr, 0, 0);
}

void OnSignal(int signal)
{
    const int savedErrno = errno;
    if (signal == SIGINT && g_ChunkRunning && !g_BreakChunk && g_Termination == kNoTermination) {
        g_BreakChunk = 1;
        Arm();
    } else if (g_Termination == kNoTermination) {
        g_TerminationSignal = signal;
        g_Termination = kTerminationRequested;
        Arm();
    } else {
        // Asked again: whatever holds the program up, it ends now.
        RestoreRawTerminal();
        ::signal(signal, SIG_DFL);
        ::raise(signal);
    }
    errno = savedErrno;
}

} // namespace

namespace Interrupts {

void Install(lua_State* L)
{
    g_State.store(L);
    if (g_Installed)
        return;
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal : kSignals)
        sigaddset(&action.sa_mask, signal);
    for (int i = 0; i < 2; ++i)
        ::sigaction(kSignals[i], &action, &g_Previous[i]);
    g_Installed = true;
}

void Uninstall()
{
    if (g_Installed) {
        for (int i = 0; i < 2; ++i)
            ::sigaction(kSignals[i], &g_Previous[i], nullptr);
        g_Installed = false;
    }
    Disarm();
    g_State.store(nullptr);
    g_ChunkRunning = 0;
    g_BreakChunk = 0;
    g_Termination = kNoTermination;
    g_TerminationSignal = 0;
}

int TakeTerminationRequest()
{
    if (g_Termination != kTerminationRequested)
        return 0;
    g_Termination = kTerminationTaken;
    Disarm();
    return g_TerminationSignal;
}

ConsoleChunk::ConsoleChunk()
{
    g_ChunkRunning = 1;
}

ConsoleChunk::~ConsoleChunk()
{
    g_ChunkRunning = 0;
    // A break that came as the chunk ended has nothing left to break.
    if (g_BreakChunk) {
        g_BreakChunk = 0;
        if (g_Termination != kTerminationRequested)
            Disarm();
    }
}

} // namespace Interrupts
