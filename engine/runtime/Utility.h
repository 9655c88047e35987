#pragma once

#include "engine/core/Exception.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class Object;

// Small platform services: folders and files, probes, version and number texts,
// key-modifier tests, random numbers, the file-open dialog, the start-up system
// log and the script functions "chdir", "CreateDirectory", "IsDirectory",
// "PrintActorInfo" and "VelkGetOpenFileName".

// ---- Folders and files ----

// Folder ids of GetWindowsFolderPath, with the flag that creates a missing folder.
enum WindowsFolderId
{
    CSIDL_PERSONAL = 5,      // documents: $XDG_DATA_HOME, default ~/.local/share
    CSIDL_APPDATA = 26,      // application data: $XDG_CONFIG_HOME, default ~/.config
    CSIDL_MYPICTURES = 39,   // pictures: XDG_PICTURES_DIR, default ~/Pictures
    CSIDL_FLAG_CREATE = 0x8000,
};

// The user's folder of that id, '/'-separated and without a trailing '/'. An
// unknown id throws Exception. With CSIDL_FLAG_CREATE a missing folder is made;
// when that fails the path is still returned and its first use reports it.
std::string GetWindowsFolderPath(int folderId);
// GetWindowsFolderPath of the pictures folder, made when missing.
std::string GetMyPicturesPath();
// The folder of the running program file, without a trailing '/'.
std::string GetExePath();

enum FileExistsFlags
{
    EXISTS_FILE = 0,
    EXISTS_DIRECTORY = 1,
    EXISTS_WRITABLE = 2,
};

// EXISTS_DIRECTORY: the path is a directory. Otherwise: the path is a file that
// opens for reading. With EXISTS_WRITABLE either must also be writable.
bool FileExists(const std::string& path, int flags = EXISTS_FILE);

// Makes every missing directory along a '/'-separated path; true when it made at
// least one. A path that starts with two separators is a network path: its
// server is never made. Throws Exception when a directory cannot be made.
bool CreateDirectories(const std::string& path);

// ---- Display probe ----

// Whether the accelerated display can run. The accelerated-display layer
// installs its own probe; until one is installed the display counts as available.
using DirectDrawProbe = bool (*)();
void SetDirectDrawProbe(DirectDrawProbe probe);  // null restores the default
bool IsDirectDraw7Available();

// The exception that stops start-up when the probe fails. An empty name reads
// "This application".
DirectX7NotAvailable MakeDirectX7NotAvailable(const std::string& applicationName);

// ---- Version and texts ----

// The program's version, set at build time ("1.0.0.3"). Named apart from the
// process-wide version of the exception reports, which the application sets
// from this at start-up.
std::string ReadAppVersionString();
// A file-version text as digits and dots: "2, 1, 0, 17" gives "2.1.0.17".
std::string VersionTextFromFileVersion(const std::string& fileVersion);

// Digits grouped in threes with commas: -1234567 gives "-1,234,567".
std::string FormatNumberWithCommas(std::int32_t value);
std::string FormatUnsigned64WithCommas(std::uint64_t value);
std::string ReplaceCharWithString(const std::string& text, char c, const std::string& replacement);
// Every line feed becomes a backslash and an 'n'.
std::string EscapeNewlines(const std::string& text);
// Case-sensitive.
bool EndsWith(const std::string& text, const std::string& suffix);

// "%d: %s": the error number and the system's text for it (at most 255 characters).
std::string GetSystemErrorText(int code);
// GetSystemErrorText of errno.
std::string GetLastErrorText();
// The standard library's text for errno.
std::string GetCRuntimeErrorText();

// ---- Key modifiers (SDL's bits; Num Lock and Caps Lock ignored) ----

bool IsOnlyAltPressed(int modifiers);
bool IsOnlyCtrlPressed(int modifiers);
// Left Ctrl with left Alt, or right Ctrl with right Alt.
bool IsOnlyCtrlAltPressed(int modifiers);

// ---- Random numbers: the standard library's rand, seeded by the application ----

// rand() % n; 0, without drawing, when n is 0.
int RandomInt(int n);
// rand() % (hi - lo + 1) + lo, both bounds included; reversed bounds are swapped.
int RandomIntInRange(int lo, int hi);
// A value in [min(a, b), max(a, b)).
float RandomFloatInRange(float a, float b);

// ---- Window centring ----

// Where a window of w x h stands centred on a screen of sw x sh.
void CenteredWindowPosition(int w, int h, int sw, int sh, int& x, int& y);
// Moves the window, keeping its size, to the centre of the screen it is on.
// False, with a warning in the log, when there is no window (none yet, or the
// headless driver) or the window system cannot tell where it is.
bool CenterWindow(void* window);

// ---- File-open dialog ----

// The display's part in a system dialog shown over the game (the display
// manager): made ready before the dialog and restored after it.
class ModalSystemDialogHost
{
public:
    virtual ~ModalSystemDialogHost() = default;
    virtual void PrepareForModalSystemDialog() = 0;
    virtual void CleanupFromModalSystemDialog() = 0;
};
// Null while there is no display.
void SetModalSystemDialogHost(ModalSystemDialogHost* host);

// Asks the user for a picture file, starting in the folder; the chosen path, or
// empty text when the user cancelled or no dialog is available.
std::string ShowOpenFileDialog(const std::string& initialFolder);
// ShowOpenFileDialog in the pictures folder, or the stand-in while one is set.
std::string ChoosePictureFile();
// Whether ChoosePictureFile can ask at all: a stand-in is set, or zenity or
// kdialog is installed. Without, callers ask for a path themselves.
bool CanChoosePictureFile();
// Tests answer for the desktop's dialog; an empty function puts it back.
void SetPictureFileChooser(std::function<std::string()> chooser);

// ---- Start-up log ----

// Writes the operating system's names and the memory figures to the log.
void LogSystemInformation();

// ---- Actor dumps ----

// What "PrintActorInfo" needs of the actor toolkit, which installs it.
class ActorTreeAccess
{
public:
    virtual ~ActorTreeAccess() = default;
    // The current screen, or null.
    virtual Object* GetCurrentScreen() = 0;
    // The actor of that name anywhere below the start, or null.
    virtual Object* FindActorBelow(Object* start, const std::string& name) = 0;
    // The actor's children in child-list order.
    virtual std::vector<Object*> GetChildren(Object* actor) = 0;
};
// Null while there is no toolkit.
void SetActorTreeAccess(ActorTreeAccess* access);

// Logs the tree below the current screen, or below the actor of the given name
// (an error line when there is none).
void PrintActorInfo(const std::optional<std::string>& actorName);
// Logs the actor's class, name and fields, then its children four blanks deeper.
void PrintActorTree(Object* actor, const std::string& prefix);
