#pragma once

#include <string>
#include <vector>

// The desktop's file-open dialog. Linux has no system dialog a program can call
// directly, so the chooser runs "zenity", or "kdialog" when zenity is not
// installed, found through $PATH, and waits for it. With neither installed no
// file is chosen.
struct FileChooserRequest
{
    std::string title;
    std::string initialFolder;
    // Shown to the user, e.g. "Picture Files (*.jpg,*.bmp,*.png,*.gif)".
    std::string filterName;
    // Shell patterns such as "*.jpg".
    std::vector<std::string> patterns;
};

// The path of an existing file the user chose, or empty text when the user
// cancelled, no chooser is installed or the chooser failed.
std::string ChooseFileToOpen(const FileChooserRequest& request);

// Whether ChooseFileToOpen has a chooser to run: zenity or kdialog is an
// executable file in a folder of $PATH.
bool IsFileChooserInstalled();
