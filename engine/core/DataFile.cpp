#include "engine/core/DataFile.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/LuaSerializer.h"
#include "engine/core/ScriptBudget.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/VelkLuaState.h"
#include "platform/lua/LuaFunction.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ErrnoText(int error)
{
    return std::strerror(error);
}

// ------------------------------------------------------------------ loading

void InstructionLimitReached(lua_State* L, lua_Debug*)
{
    luaL_error(L, "the instruction limit of a data file was reached");
}

// The loader function a data file calls; appends its table to the box
// (upvalue 1). Upvalue 3 is true when it may be called more than once.
int ReceiveLoaderTable(lua_State* L)
{
    std::string name = lua_tostring(L, VelkUpvalueIndex(2));
    if (lua_type(L, 1) != LUA_TTABLE)
        VELK_THROW(ScriptError, (boost::format("%1% expects a table, not a %2%") % name % luaL_typename(L, 1)).str());
    lua_pushvalue(L, VelkUpvalueIndex(1));
    const int count = static_cast<int>(lua_objlen(L, -1));
    if (count > 0 && !lua_toboolean(L, VelkUpvalueIndex(3)))
        VELK_THROW(ScriptError, (boost::format("%1% was called more than once") % name).str());
    lua_pushvalue(L, 1);
    lua_rawseti(L, -2, count + 1);
    return 0;
}

// Functions, userdata and threads have no business in saved data, and a cycle or
// a runaway depth would stop the next write.
void CheckPlainData(const LuaObject& value, std::vector<const void*>& path)
{
    switch (value.Type()) {
    case LUA_TBOOLEAN:
    case LUA_TNUMBER:
    case LUA_TSTRING:
        return;
    case LUA_TTABLE:
        break;
    default:
        VELK_THROW(ScriptError, (boost::format("the data holds a %1%") % value.TypeName()).str());
    }
    LuaState state = value.GetState();
    value.Push();
    const void* identity = lua_topointer(state.GetCState(), -1);
    state.Pop();
    if (std::find(path.begin(), path.end(), identity) != path.end())
        VELK_THROW(ScriptError, "the data holds a table that contains itself");
    if (path.size() >= static_cast<std::size_t>(kMaxSerializeDepth))
        VELK_THROW(ScriptError,
                   (boost::format("the data is nested deeper than %1% levels") % kMaxSerializeDepth).str());
    path.push_back(identity);
    for (LuaTableIterator it(value); it; ++it) {
        CheckPlainData(it.GetKey(), path);
        CheckPlainData(it.GetValue(), path);
    }
    path.pop_back();
}

bool PathExists(const std::string& path)
{
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

std::string TrimEnd(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

// Renames the file out of the way of later writes; keeps earlier bad copies too.
void KeepBadFile(const std::string& path, const std::string& reason)
{
    std::string kept;
    for (int n = 1; n <= 1000 && kept.empty(); ++n) {
        std::string candidate = path + (n == 1 ? std::string(".bad") : ".bad." + std::to_string(n));
        if (!PathExists(candidate))
            kept = candidate;
    }
    if (!kept.empty() && ::rename(path.c_str(), kept.c_str()) == 0) {
        LogWriteString((boost::format("WARNING: Could not load \"%1%\" (%2%); it was kept as \"%3%\".\n") % path %
                        TrimEnd(reason) % kept)
                           .str());
        return;
    }
    std::string renameError = kept.empty() ? std::string("every .bad name is taken") : ErrnoText(errno);
    LogWriteString((boost::format("WARNING: Could not load \"%1%\" (%2%), nor rename it: %3%.\n") % path %
                    TrimEnd(reason) % renameError)
                       .str());
}

// ------------------------------------------------------------------ writing

void SyncFolderOf(const std::string& path)
{
    std::string::size_type slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        // Makes the rename itself durable; some file systems cannot, and the data is synced already.
        ::fsync(fd);
        ::close(fd);
    }
}

// CommitOutputFile(file, temporaryPath, path): the end of a write that went
// well. Flushes, syncs and closes the Lua file handle, then renames the
// temporary file over path. On any failure the temporary file is removed.
int Script_CommitOutputFile(lua_State* L)
{
    bool isFile = false;
    if (lua_type(L, 1) == LUA_TUSERDATA && lua_getmetatable(L, 1)) {
        luaL_getmetatable(L, LUA_FILEHANDLE);
        isFile = lua_rawequal(L, -1, -2) != 0;
        lua_pop(L, 2);
    }
    if (!isFile || lua_type(L, 2) != LUA_TSTRING || lua_type(L, 3) != LUA_TSTRING)
        VELK_THROW(ScriptError, "CommitOutputFile(file, temporaryPath, path): bad arguments.");
    std::string temporary = lua_tostring(L, 2);
    std::string path = lua_tostring(L, 3);

    auto fail = [&](int error) {
        ::unlink(temporary.c_str());
        VELK_THROW(ScriptError, (boost::format("Could not write \"%1%\": %2%") % path % ErrnoText(error)).str());
    };

    FILE** handle = static_cast<FILE**>(lua_touserdata(L, 1));
    if (*handle == nullptr)
        fail(EBADF);
    FILE* file = *handle;
    *handle = nullptr; // closed, as Lua's io library marks it
    int error = 0;
    errno = 0;
    if (std::fflush(file) != 0 || std::ferror(file))
        error = errno ? errno : EIO;
    else if (::fsync(::fileno(file)) != 0)
        error = errno;
    if (std::fclose(file) != 0 && error == 0)
        error = errno;
    if (error != 0)
        fail(error);
    if (::rename(temporary.c_str(), path.c_str()) != 0)
        fail(errno);
    SyncFolderOf(path);
    return 0;
}

ScriptFunctionRegistration s_commitOutputFile(Script_CommitOutputFile, "CommitOutputFile");

// The default output is swapped only between OpenOutputFile and the first
// thing CloseOutputFile or AbortOutputFile does, so no failure leaves it swapped.
StartupSourceRegistration s_outputFileSource(R"lua(
local function restoreOutput()
    local last = _lastFile
    _lastFile, _outputFile, _outputFileName, _outputTemporary = nil, nil, nil, nil
    if not pcall(io.output, last) then io.output(io.stdout) end
end
function OpenOutputFile(fileName)
    assert(_lastFile == nil, 'an output file is already open')
    local temporary = fileName .. '.tmp'
    local file, message = io.open(temporary, 'wb')
    if not file then
        error('Could not open output file "' .. fileName .. '": ' .. tostring(message), 2)
    end
    _lastFile = io.output()
    _outputFile, _outputFileName, _outputTemporary = file, fileName, temporary
    io.output(file)
end
function CloseOutputFile()
    assert(_lastFile ~= nil, 'no output file is open')
    local file, fileName, temporary = _outputFile, _outputFileName, _outputTemporary
    restoreOutput()
    CommitOutputFile(file, temporary, fileName)
end
function AbortOutputFile()
    if _lastFile == nil then return end
    local file, temporary = _outputFile, _outputTemporary
    restoreOutput()
    pcall(io.close, file)
    os.remove(temporary)
end
)lua");

void AbortOutputFile(LuaState state) noexcept
{
    try {
        lua_State* L = state.GetCState();
        int top = lua_gettop(L);
        lua_getglobal(L, "AbortOutputFile");
        if (lua_isfunction(L, -1))
            lua_pcall(L, 0, 0, 0);
        lua_settop(L, top);
    } catch (...) {
        // Already failing; the first failure is the one to report.
    }
}

} // namespace

ReadResult ReadWholeFile(const std::string& path, std::string& text, std::string& error, std::size_t limit)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return ReadResult::Missing;
        error = ErrnoText(errno);
        return ReadResult::Failed;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        error = ErrnoText(errno);
        ::close(fd);
        return ReadResult::Failed;
    }
    if (static_cast<std::uint64_t>(info.st_size) > limit) {
        error = (boost::format("the file is larger than %1% bytes") % limit).str();
        ::close(fd);
        return ReadResult::Failed;
    }
    text.clear();
    // One block of the final size: growing by doubling would hold two copies at once.
    text.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = ErrnoText(errno);
            ::close(fd);
            return ReadResult::Failed;
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > limit) {
            error = (boost::format("the file is larger than %1% bytes") % limit).str();
            ::close(fd);
            return ReadResult::Failed;
        }
    }
    ::close(fd);
    return ReadResult::Read;
}

void LoadDataText(LuaState state, const std::string& text, const std::string& chunkName,
                  const std::string& loaderName, const DataFileReceiver& receive, DataLoaderCalls calls)
{
    if (!text.empty() && text[0] == LUA_SIGNATURE[0])
        VELK_THROW(ScriptError, "a precompiled chunk is not data");

    LuaState main = state.GetMainState();
    lua_State* L = main.GetCState();
    // The stack as it was, however the load ends.
    struct RestoreTop
    {
        lua_State* L;
        int top;
        ~RestoreTop() { lua_settop(L, top); }
    } restoreTop{L, lua_gettop(L)};
    LuaObject box;
    box.AssignNewTable(main);

    bool failed = false;
    std::string error;
    {
        // No string methods: their pattern matching runs in C, out of the hook's reach.
        ScriptBudget budget(L, kDataFileInstructionLimit, kDataFileMemoryLimit, InstructionLimitReached);
        // Plain Lua: the dialect rewrite is for our own scripts and costs far more memory than the text.
        if (main.LoadPlainBuffer(text.data(), text.size(), chunkName.c_str()) != 0) {
            failed = true;
            error = main.PopErrorMessage();
        } else {
            lua_newtable(L);
            box.Push();
            main.PushString(loaderName);
            main.PushBoolean(calls == DataLoaderCalls::AtLeastOnce);
            main.PushCFunction(ReceiveLoaderTable, 3);
            lua_setfield(L, -2, loaderName.c_str());
            lua_setfenv(L, -2);
            if (main.PCall(0, 0) != 0) {
                failed = true;
                error = main.PopErrorMessage();
            }
        }
    }
    lua_settop(L, restoreTop.top);
    if (failed)
        VELK_THROW(ScriptError, error);

    const int count = box.GetN();
    if (count == 0)
        VELK_THROW(ScriptError, (boost::format("it does not call %1% with its data") % loaderName).str());
    for (int i = 1; i <= count; ++i) {
        std::vector<const void*> path;
        CheckPlainData(box[i], path);
    }
    for (int i = 1; i <= count; ++i)
        receive(box[i]);
}

DataFileResult LoadDataFile(LuaState state, const std::string& path, const std::string& loaderName,
                            const DataFileReceiver& receive)
{
    // Whatever a file makes fail, the file goes aside and the next start is a fresh one.
    std::string reason;
    try {
        std::string text;
        switch (ReadWholeFile(path, text, reason, kDataFileMemoryLimit)) {
        case ReadResult::Missing:
            return DataFileResult::Missing;
        case ReadResult::Failed:
            break;
        case ReadResult::Read:
            LoadDataText(state, text, "@" + path, loaderName, receive);
            return DataFileResult::Loaded;
        }
    } catch (const Exception& e) {
        reason = e.GetMessage();
    } catch (const std::bad_alloc&) {
        reason = "out of memory";
    } catch (const std::exception& e) {
        reason = e.what();
    } catch (...) {
        reason = "an unknown failure";
    }
    KeepBadFile(path, reason);
    return DataFileResult::Bad;
}

DataFileResult LoadDataFile(LuaState state, const std::string& path, const std::string& loaderName,
                            const LuaObject& receiveFunction)
{
    return LoadDataFile(state, path, loaderName,
                        [&](const LuaObject& table) { LuaFunction<void>{receiveFunction}(table); });
}

void WriteOutputFile(LuaState state, const std::string& path, const std::function<void()>& body)
{
    LuaState main = state.GetMainState();
    OpenOutputFile(path, main);
    try {
        body();
    } catch (...) {
        AbortOutputFile(main);
        throw;
    }
    CloseOutputFile(main);
}
