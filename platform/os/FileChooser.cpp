#include "platform/os/FileChooser.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

enum class RunResult
{
    NotInstalled,
    Chosen,
    NothingChosen,
};

std::string JoinPatterns(const std::vector<std::string>& patterns)
{
    std::string joined;
    for (const std::string& pattern : patterns)
        joined += (joined.empty() ? "" : " ") + pattern;
    return joined;
}

// A folder argument ends with '/' so that both choosers open inside it.
std::string FolderArgument(const std::string& folder)
{
    if (folder.empty() || folder.back() == '/')
        return folder;
    return folder + "/";
}

std::vector<std::string> ZenityArguments(const FileChooserRequest& request)
{
    std::vector<std::string> args = {"zenity", "--file-selection", "--title=" + request.title};
    if (!request.initialFolder.empty())
        args.push_back("--filename=" + FolderArgument(request.initialFolder));
    if (!request.patterns.empty())
        args.push_back("--file-filter=" + request.filterName + " | " + JoinPatterns(request.patterns));
    return args;
}

std::vector<std::string> KdialogArguments(const FileChooserRequest& request)
{
    std::vector<std::string> args = {"kdialog", "--title", request.title, "--getopenfilename",
                                     request.initialFolder.empty() ? "." : FolderArgument(request.initialFolder)};
    if (!request.patterns.empty())
        args.push_back(JoinPatterns(request.patterns) + "|" + request.filterName);
    return args;
}

// Runs the chooser without a shell (the folder may hold any character) and
// reads what it prints. Its own messages go nowhere: they are not ours to log.
RunResult RunChooser(const std::vector<std::string>& args, std::string& output)
{
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        return RunResult::NothingChosen;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    pid_t child = 0;
    int spawnError = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawnError != 0) {
        close(pipeEnds[0]);
        return spawnError == ENOENT ? RunResult::NotInstalled : RunResult::NothingChosen;
    }

    char buffer[4096];
    for (;;) {
        ssize_t got = read(pipeEnds[0], buffer, sizeof(buffer));
        if (got > 0)
            output.append(buffer, static_cast<size_t>(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    close(pipeEnds[0]);

    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // 127: the program is on $PATH but could not be started.
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
        return RunResult::NotInstalled;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? RunResult::Chosen : RunResult::NothingChosen;
}

bool IsExistingFile(const std::string& path)
{
    struct stat info{};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsOnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        // An empty entry is the current folder, as the shell has it.
        std::string folder = folders.substr(start, end - start);
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
        if (IsExistingFile(candidate) && access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace

bool IsFileChooserInstalled()
{
    return IsOnPath("zenity") || IsOnPath("kdialog");
}

std::string ChooseFileToOpen(const FileChooserRequest& request)
{
    for (const auto& arguments : {ZenityArguments(request), KdialogArguments(request)}) {
        std::string output;
        RunResult result = RunChooser(arguments, output);
        if (result == RunResult::NotInstalled)
            continue;
        if (result == RunResult::NothingChosen)
            return std::string();
        // One path on one line.
        size_t end = output.find('\n');
        std::string path = output.substr(0, end);
        return IsExistingFile(path) ? path : std::string();
    }
    return std::string();
}
