#pragma once

struct lua_State;

// Ctrl+C (SIGINT) and termination requests (SIGTERM) for a program whose
// scripts may never return. The handlers only set flags and a Lua hook; the
// hook raises the error at the script's next instruction, and the main loop
// takes the request between passes.
//
// SIGINT while a console chunk runs breaks that chunk with the error
// "interrupted!", as Lua's own interpreter does, and the game goes on. SIGTERM,
// and SIGINT at any other time, ask the program to end the normal way: every
// script of the state fails ("the program is ending") until the main loop has
// taken the request, so a script that never returns cannot hold it up. A
// request while one is still pending (or after it was taken) is the signal's
// default action, with a raw terminal restored first.
//
// Only the main Lua state is hooked: a coroutine that was made before the
// signal runs on unhooked.
namespace Interrupts {

// Installs the handlers of SIGINT and SIGTERM in place of any others; the
// state is the one whose scripts they break.
void Install(lua_State* L);
// Puts the previous handlers back and forgets every request.
void Uninstall();

// The signal of a termination request not yet taken (SIGINT or SIGTERM), or 0.
// Taking it stops the hook from failing scripts.
int TakeTerminationRequest();

// A console chunk running for the life of the object.
class ConsoleChunk
{
public:
    ConsoleChunk();
    ~ConsoleChunk();
    ConsoleChunk(const ConsoleChunk&) = delete;
    ConsoleChunk& operator=(const ConsoleChunk&) = delete;
};

} // namespace Interrupts
