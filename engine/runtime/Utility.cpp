#include "engine/runtime/Utility.h"

#include "platform/d3d/D3DLayer.h"

#include "engine/runtime/FileVersion.h"

#include "engine/core/Log.h"
#include "engine/core/LuaSerializer.h"
#include "engine/core/Object.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/VelkLuaState.h"
#include "platform/os/FileChooser.h"
#include "platform/os/Folders.h"
#include "platform/os/SystemInfo.h"
#include "platform/window/NativeWindow.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include <lua.hpp>

#ifndef VELK_APP_VERSION
#error "VELK_APP_VERSION is set by the build from the project's version"
#endif

namespace {

DirectDrawProbe g_DirectDrawProbe = nullptr;
ModalSystemDialogHost* g_ModalDialogHost = nullptr;
std::function<std::string()> g_PictureFileChooser;
ActorTreeAccess* g_ActorTreeAccess = nullptr;

// Throws Exception naming the given operation rather than the enclosing function.
#define VELK_THROW_AS(operation, message) \
    throw Exception(__FILE__, __LINE__, (operation), __DATE__, __TIME__, (message))

std::string GroupDigits(std::uint64_t value)
{
    std::string digits = std::to_string(value);
    std::string grouped;
    grouped.reserve(digits.size() + digits.size() / 3);
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string CurrentDirectory()
{
    std::error_code error;
    std::filesystem::path path = std::filesystem::current_path(error);
    if (error)
        VELK_THROW_AS("VelkGetOpenFileName", AssertionText("getcwd(cwdBuffer, size) != 0", error.message()));
    return path.string();
}

} // namespace

// ---- Folders and files ----

std::string GetWindowsFolderPath(int folderId)
{
    std::string path;
    switch (folderId & ~CSIDL_FLAG_CREATE) {
    case CSIDL_PERSONAL:
        path = GetDataHomeFolder();
        break;
    case CSIDL_APPDATA:
        path = GetConfigHomeFolder();
        break;
    case CSIDL_MYPICTURES:
        path = GetPicturesFolder();
        break;
    default:
        VELK_THROW(Exception, (boost::format("Unknown folder id: %1%") % folderId).str());
    }
    if (folderId & CSIDL_FLAG_CREATE) {
        std::error_code ignored;
        std::filesystem::create_directories(path, ignored);
    }
    return path;
}

std::string GetMyPicturesPath()
{
    return GetWindowsFolderPath(CSIDL_MYPICTURES | CSIDL_FLAG_CREATE);
}

std::string GetExePath()
{
    std::string path = GetExecutablePath();
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool FileExists(const std::string& path, int flags)
{
    struct stat info{};
    if (flags & EXISTS_DIRECTORY) {
        if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
            return false;
        return !(flags & EXISTS_WRITABLE) || access(path.c_str(), W_OK) == 0;
    }
    // A directory opens for reading on Linux too, but it is not a file.
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file)
        return false;
    bool isFile = fstat(fileno(file), &info) == 0 && !S_ISDIR(info.st_mode);
    std::fclose(file);
    if (!isFile)
        return false;
    if (flags & EXISTS_WRITABLE) {
        FILE* appending = std::fopen(path.c_str(), "a");
        if (!appending)
            return false;
        std::fclose(appending);
    }
    return true;
}

bool CreateDirectories(const std::string& path)
{
    LogWrite("CreateDirectories, dirName = \"%s\"\n", path.c_str());
    // "//server/share/...": the two leading separators and the one after the
    // server name are never directories of ours to make.
    int separatorsToSkip = path.compare(0, 2, "//") == 0 ? 3 : 0;
    bool created = false;
    std::string prefix;
    for (size_t i = 0; i < path.size(); ++i) {
        prefix += path[i];
        bool atEnd = i + 1 == path.size();
        if (path[i] == '/' && separatorsToSkip > 0) {
            --separatorsToSkip;
            continue;
        }
        if ((path[i] != '/' && !atEnd) || separatorsToSkip > 0 || FileExists(prefix, EXISTS_DIRECTORY))
            continue;
        if (mkdir(prefix.c_str(), 0777) != 0) {
            // Made meanwhile by someone else: as good as made by us.
            if (errno == EEXIST && FileExists(prefix, EXISTS_DIRECTORY))
                continue;
            VELK_THROW(Exception, (boost::format("Could not create directory:\ndirectory = %1%\nerror = %2%") %
                                   prefix % GetLastErrorText())
                                      .str());
        }
        created = true;
        LogWrite("Created directory: %s\n", prefix.c_str());
    }
    return created;
}

// ---- Display probe ----

void SetDirectDrawProbe(DirectDrawProbe probe)
{
    g_DirectDrawProbe = probe;
}

bool IsDirectDraw7Available()
{
    // The display library is what must be there; a display without OpenGL
    // still plays in software.
    return g_DirectDrawProbe ? g_DirectDrawProbe() : IsD3DLayerLibraryPresent();
}

DirectX7NotAvailable MakeDirectX7NotAvailable(const std::string& applicationName)
{
    const std::string name = applicationName.empty() ? std::string("This application") : applicationName;
    return DirectX7NotAvailable(
        __FILE__, __LINE__, "DirectX7NotAvailable::DirectX7NotAvailable", __DATE__, __TIME__,
        (boost::format("%1% requires that DirectX 7 or higher be installed beforehand.\nThis can be downloaded "
                       "from Microsoft's web site, at https://www.microsoft.com/download/details.aspx?id=35") %
         name)
            .str());
}

// ---- Version and texts ----

std::string ReadAppVersionString()
{
    CFileVersion version;
    if (!version.Open(GetExecutablePath())) {
        LogWrite("WARNING: The application's version could not be retrieved, error = %s", GetLastErrorText().c_str());
        return "0.0.0.0";
    }
    return VersionTextFromFileVersion(version.QueryValue("FileVersion"));
}

std::string VersionTextFromFileVersion(const std::string& fileVersion)
{
    std::string text;
    for (char c : fileVersion) {
        if ((c >= '0' && c <= '9') || c == '.')
            text += c;
        else if (c == ',')
            text += '.';
    }
    return text;
}

std::string FormatNumberWithCommas(std::int32_t value)
{
    // Widened first: the magnitude of the smallest value does not fit 32 bits.
    std::int64_t wide = value;
    std::string text = GroupDigits(static_cast<std::uint64_t>(wide < 0 ? -wide : wide));
    if (wide < 0)
        text.insert(text.begin(), '-');
    return text;
}

std::string FormatUnsigned64WithCommas(std::uint64_t value)
{
    return GroupDigits(value);
}

std::string ReplaceCharWithString(const std::string& text, char c, const std::string& replacement)
{
    std::string result;
    result.reserve(text.size());
    for (char each : text) {
        if (each == c)
            result += replacement;
        else
            result += each;
    }
    return result;
}

std::string EscapeNewlines(const std::string& text)
{
    return ReplaceCharWithString(text, '\n', "\\n");
}

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string GetSystemErrorText(int code)
{
    char buffer[256];
    // The GNU strerror_r, which may return a static text instead of filling the buffer.
    std::string message = strerror_r(code, buffer, sizeof(buffer));
    if (message.size() > 255)
        message.resize(255);
    return (boost::format("%1%: %2%") % code % message).str();
}

std::string GetLastErrorText()
{
    return GetSystemErrorText(errno);
}

std::string GetCRuntimeErrorText()
{
    return std::strerror(errno);
}

// ---- Key modifiers ----

namespace {

constexpr int kModLeftCtrl = 0x0040;
constexpr int kModRightCtrl = 0x0080;
constexpr int kModLeftAlt = 0x0100;
constexpr int kModRightAlt = 0x0200;
constexpr int kModNumLock = 0x1000;
constexpr int kModCapsLock = 0x2000;

int WithoutLocks(int modifiers)
{
    return modifiers & ~(kModNumLock | kModCapsLock);
}

} // namespace

bool IsOnlyAltPressed(int modifiers)
{
    int rest = WithoutLocks(modifiers);
    return rest == kModLeftAlt || rest == kModRightAlt;
}

bool IsOnlyCtrlPressed(int modifiers)
{
    int rest = WithoutLocks(modifiers);
    return rest == kModLeftCtrl || rest == kModRightCtrl;
}

bool IsOnlyCtrlAltPressed(int modifiers)
{
    int rest = WithoutLocks(modifiers);
    return rest == (kModLeftCtrl | kModLeftAlt) || rest == (kModRightCtrl | kModRightAlt);
}

// ---- Random numbers ----

int RandomInt(int n)
{
    if (n == 0)
        return 0;
    return std::rand() % n;
}

int RandomIntInRange(int lo, int hi)
{
    if (lo > hi)
        std::swap(lo, hi);
    // The width is counted in 64 bits: hi - lo + 1 overflows an int for the
    // widest ranges. A range that one rand() covers draws exactly as
    // rand() % width + lo; a wider one (up to the whole int) joins two draws,
    // since rand() alone would never leave the bottom half.
    std::int64_t width = static_cast<std::int64_t>(hi) - lo + 1;
    std::int64_t draw = std::rand();
    if (width > static_cast<std::int64_t>(RAND_MAX) + 1)
        draw = draw * (static_cast<std::int64_t>(RAND_MAX) + 1) + std::rand();
    return static_cast<int>(draw % width + lo);
}

float RandomFloatInRange(float a, float b)
{
    float lo = std::min(a, b);
    float hi = std::max(a, b);
    double unit = std::rand() / (static_cast<double>(RAND_MAX) + 1.0);
    float value = static_cast<float>(unit * (static_cast<double>(hi) - lo) + lo);
    // Rounding to float can reach hi from just below it.
    if (value >= hi && hi > lo)
        value = std::nextafter(hi, lo);
    return value;
}

// ---- File-open dialog ----

void SetModalSystemDialogHost(ModalSystemDialogHost* host)
{
    g_ModalDialogHost = host;
}

// ---- Window centring ----

void CenteredWindowPosition(int w, int h, int sw, int sh, int& x, int& y)
{
    x = (sw - w) / 2;
    y = (sh - h) / 2;
}

bool CenterWindow(void* window)
{
    if (!window) {
        LogWrite("WARNING: CenterWindow: there is no window to centre.\n");
        return false;
    }
    int x = 0, y = 0, w = 0, h = 0, screenWidth = 0, screenHeight = 0;
    if (!GetWindowPlacement(x, y, w, h, screenWidth, screenHeight)) {
        LogWrite("WARNING: CenterWindow: the window system cannot tell where the window is.\n");
        return false;
    }
    CenteredWindowPosition(w, h, screenWidth, screenHeight, x, y);
    if (!MoveWindowTo(x, y)) {
        LogWrite("WARNING: CenterWindow: the window could not be moved.\n");
        return false;
    }
    return true;
}

std::string ShowOpenFileDialog(const std::string& initialFolder)
{
    const std::string savedDirectory = CurrentDirectory();

    FileChooserRequest request;
    request.title = "Open";
    request.initialFolder = initialFolder;
    request.filterName = "Picture Files (*.jpg,*.bmp,*.png,*.gif)";
    request.patterns = {"*.jpg", "*.bmp", "*.png", "*.gif"};

    if (g_ModalDialogHost)
        g_ModalDialogHost->PrepareForModalSystemDialog();
    std::string chosen;
    try {
        chosen = ChooseFileToOpen(request);
    } catch (...) {
        if (g_ModalDialogHost)
            g_ModalDialogHost->CleanupFromModalSystemDialog();
        throw;
    }
    if (g_ModalDialogHost)
        g_ModalDialogHost->CleanupFromModalSystemDialog();

    if (chdir(savedDirectory.c_str()) != 0)
        VELK_THROW_AS("VelkGetOpenFileName", AssertionText("chdir(cwdBuffer) == 0", GetCRuntimeErrorText()));
    return chosen;
}

std::string ChoosePictureFile()
{
    if (g_PictureFileChooser)
        return g_PictureFileChooser();
    return ShowOpenFileDialog(GetMyPicturesPath());
}

bool CanChoosePictureFile()
{
    return g_PictureFileChooser || IsFileChooserInstalled();
}

void SetPictureFileChooser(std::function<std::string()> chooser)
{
    g_PictureFileChooser = std::move(chooser);
}

// ---- Start-up log ----

void LogSystemInformation()
{
    std::ostringstream cpuReport;
    cpuReport << CPUIdentifier();
    LogWriteString(cpuReport.str());

    OsVersionInfo os;
    std::string error;
    if (GetOsVersionInfo(os, error)) {
        LogWrite("Operating system version information:\n");
        LogWrite("    uname.sysname = %s\n", os.sysname.c_str());
        LogWrite("    uname.release = %s\n", os.release.c_str());
        LogWrite("    uname.version = %s\n", os.version.c_str());
        LogWrite("    uname.machine = %s\n", os.machine.c_str());
    } else {
        LogWrite("WARNING: Could not retreive OS info, error=\"%s\".\n", error.c_str());
    }

    std::uint32_t dxVersion = 0;
    char dxText[32];
    if (GetDXVersion(&dxVersion, dxText, sizeof(dxText)) != 0)
        LogWrite("WARNING: An error occurred when trying to detect the installed version of DirectX.\n");
    else if (dxVersion != 0)
        LogWrite("DirectX %s detected.\n", dxText);
    else
        LogWrite("DirectX not detected.\n");

    MemoryStatus memory = GetMemoryStatus();
    LogWrite("Current system memory usage:\n");
    LogWrite("    dwMemoryLoad: %u\n", memory.memoryLoad);
    const std::pair<const char*, std::uint64_t> figures[] = {
        {"    Total physical memory", memory.totalPhysical},
        {"    Total available physical memory", memory.availablePhysical},
        {"    Total pages committed to memory", memory.totalCommit},
        {"    Total available memory that can be committed as pages", memory.availableCommit},
        {"    Total virtual memory", memory.totalVirtual},
        {"    Total available virtual memory", memory.availableVirtual},
    };
    for (const auto& [label, value] : figures) {
        LogWriteString(
            (boost::format("%1%: %2% bytes (%3%)\n") % label % FormatUnsigned64WithCommas(value) % value).str());
    }
}

// ---- Actor dumps ----

void SetActorTreeAccess(ActorTreeAccess* access)
{
    g_ActorTreeAccess = access;
}

void PrintActorTree(Object* actor, const std::string& prefix)
{
    LuaState state = VelkLuaState::Get();
    LuaObject table;
    table.AssignNewTable(state);
    actor->StoreClassAndName(table);
    std::string text;
    // Actor fields may hold other objects; a dump shows them rather than failing.
    SerializeLuaObjectToString(table, text, SERIALIZE_SORTED | SERIALIZE_USERDATA, state);
    LogWrite("%s%s", prefix.c_str(), text.c_str());

    std::vector<Object*> children;
    if (g_ActorTreeAccess)
        children = g_ActorTreeAccess->GetChildren(actor);
    if (!children.empty())
        LogWrite("%s    ----------------\n", prefix.c_str());
    for (Object* child : children)
        PrintActorTree(child, prefix + "    ");
}

void PrintActorInfo(const std::optional<std::string>& actorName)
{
    Object* start = g_ActorTreeAccess ? g_ActorTreeAccess->GetCurrentScreen() : nullptr;
    if (actorName) {
        start = start ? g_ActorTreeAccess->FindActorBelow(start, *actorName) : nullptr;
        if (!start) {
            LogWrite("ERROR: Could not find an actor with name, \"%s\".\n", actorName->c_str());
            return;
        }
    }
    if (start)
        PrintActorTree(start, "");
}

// ---- Script functions ----

namespace {

std::string StringArgument(lua_State* L, int index)
{
    size_t length = 0;
    const char* text = luaL_checklstring(L, index, &length);
    return std::string(text, length);
}

int Script_chdir(lua_State* L)
{
    std::string path = StringArgument(L, 1);
    int result = chdir(path.c_str());
    if (result != 0)
        VELK_THROW_AS("__script_func__chdir",
                      AssertionText("result == 0", (boost::format("dir = %1%\nerror = %2%") % path %
                                                    GetCRuntimeErrorText())
                                                       .str()));
    return 0;
}

int Script_CreateDirectory(lua_State* L)
{
    lua_pushboolean(L, CreateDirectories(StringArgument(L, 1)) ? 1 : 0);
    return 1;
}

int Script_IsDirectory(lua_State* L)
{
    lua_pushboolean(L, FileExists(StringArgument(L, 1), EXISTS_DIRECTORY) ? 1 : 0);
    return 1;
}

int Script_PrintActorInfo(lua_State* L)
{
    std::optional<std::string> name;
    if (!lua_isnoneornil(L, 1))
        name = StringArgument(L, 1);
    PrintActorInfo(name);
    return 0;
}

int Script_VelkGetOpenFileName(lua_State* L)
{
    std::string chosen = ShowOpenFileDialog(CurrentDirectory());
    lua_pushlstring(L, chosen.data(), chosen.size());
    return 1;
}

ScriptFunctionRegistration s_chdir(Script_chdir, "chdir");
ScriptFunctionRegistration s_CreateDirectory(Script_CreateDirectory, "CreateDirectory");
ScriptFunctionRegistration s_IsDirectory(Script_IsDirectory, "IsDirectory");
ScriptFunctionRegistration s_PrintActorInfo(Script_PrintActorInfo, "PrintActorInfo");
ScriptFunctionRegistration s_VelkGetOpenFileName(Script_VelkGetOpenFileName, "VelkGetOpenFileName");

} // namespace
