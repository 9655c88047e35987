#include "platform/os/Folders.h"

#include "engine/core/Exception.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The variable's value when it is an absolute path, else empty.
std::string AbsoluteVariable(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || value[0] != '/')
        return std::string();
    return WithoutTrailingSlashes(value);
}

std::string XdgFolder(const char* variable, const char* defaultBelowHome)
{
    std::string folder = AbsoluteVariable(variable);
    if (folder.empty())
        folder = GetHomeFolder() + defaultBelowHome;
    return folder;
}

// A value of "user-dirs.dirs": "$HOME/Pictures" or "/abs/path", in double quotes.
std::string ExpandUserDirValue(const std::string& quoted)
{
    if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"')
        return std::string();
    std::string value = quoted.substr(1, quoted.size() - 2);
    std::string unescaped;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size())
            ++i;
        unescaped += value[i];
    }
    if (unescaped.rfind("$HOME", 0) == 0) {
        std::string rest = unescaped.substr(5);
        if (!rest.empty() && rest[0] != '/')
            return std::string();
        return WithoutTrailingSlashes(GetHomeFolder() + rest);
    }
    if (!unescaped.empty() && unescaped[0] == '/')
        return WithoutTrailingSlashes(unescaped);
    return std::string();
}

} // namespace

std::string GetHomeFolder()
{
    std::string home = AbsoluteVariable("HOME");
    if (!home.empty())
        return home;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return WithoutTrailingSlashes(found->pw_dir);
    VELK_THROW(Exception, "Could not find the user's home folder: $HOME is not an absolute path and the user "
                          "account names none.");
}

std::string GetDataHomeFolder()
{
    return XdgFolder("XDG_DATA_HOME", "/.local/share");
}

std::string GetConfigHomeFolder()
{
    return XdgFolder("XDG_CONFIG_HOME", "/.config");
}

std::string GetRuntimeFolder()
{
    return AbsoluteVariable("XDG_RUNTIME_DIR");
}

std::string GetPicturesFolder()
{
    std::ifstream dirs(GetConfigHomeFolder() + "/user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_PICTURES_DIR=";
    std::string pictures;
    while (std::getline(dirs, line)) {
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0)
            continue;
        std::string value = line.substr(start + key.size());
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
            value.pop_back();
        pictures = ExpandUserDirValue(value);
    }
    return pictures.empty() ? GetHomeFolder() + "/Pictures" : pictures;
}

std::string GetExecutablePath()
{
    std::vector<char> buffer(4096);
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            VELK_THROW(Exception, (boost::format("Could not read the program's path from /proc/self/exe: %1%") %
                                   std::strerror(errno))
                                      .str());
        if (static_cast<size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
}
