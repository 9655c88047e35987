#pragma once

#include <string>

// Where the user's files live on Linux, after the XDG base-directory rules. Every
// path is absolute and has no trailing '/'. A variable that is unset, empty or
// relative counts as unset, as those rules ask.

// $HOME, or the home folder of the user's account entry when $HOME is unusable.
// Throws Exception when neither gives an absolute path.
std::string GetHomeFolder();

// $XDG_DATA_HOME, default ~/.local/share: the user's documents folder of the game.
std::string GetDataHomeFolder();

// $XDG_CONFIG_HOME, default ~/.config: the application-data folder.
std::string GetConfigHomeFolder();

// $XDG_RUNTIME_DIR, or an empty text when it is unset.
std::string GetRuntimeFolder();

// The pictures folder that "user-dirs.dirs" in the configuration folder names
// (XDG_PICTURES_DIR), default ~/Pictures.
std::string GetPicturesFolder();

// The running program file's full path. Throws Exception when it cannot be read.
std::string GetExecutablePath();
