// The fixture that runs the real program headless, with its folders in a
// temporary directory. Each test file of the program includes it.

#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

struct Running
{
    pid_t pid = -1;
    int input = -1;   // the program's standard input
    int output = -1;  // its standard output and error
};

class ProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() /
               ("wopple-program-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "run");
    }
    void TearDown() override { fs::remove_all(root); }

    Running Start(const std::vector<std::string>& args) { return StartProgram(WOPPLE2_PATH, args); }

    // With a folder, the program starts there; with a name, that is its argv[0].
    Running StartProgram(const std::string& programPath, const std::vector<std::string>& args,
                         const std::string& folder = "", const std::string& argv0 = "")
    {
        int in[2], out[2];
        EXPECT_EQ(pipe(in), 0);
        EXPECT_EQ(pipe(out), 0);
        Running r;
        r.pid = fork();
        if (r.pid == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            dup2(out[1], 2);
            close(in[1]);
            close(out[0]);
            setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
            setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
            setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            // Headless even where a display is at hand.
            unsetenv("DISPLAY");
            // Sanitizer builds: SDL is built without frame pointers, and its
            // screen wrapper outlives SDL_Quit.
            setenv("ASAN_OPTIONS", "fast_unwind_on_malloc=0", 1);
            setenv("LSAN_OPTIONS", "suppressions=" SDL_SUPPRESSIONS_PATH, 1);
            if (!folder.empty() && chdir(folder.c_str()) != 0)
                _exit(126);
            std::vector<char*> argv;
            std::string program = programPath;
            std::string name = argv0.empty() ? programPath : argv0;
            argv.push_back(name.data());
            std::vector<std::string> copies = args;
            for (std::string& a : copies)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        r.input = in[1];
        r.output = out[0];
        return r;
    }

    static void Send(const Running& r, const std::string& text)
    {
        ASSERT_EQ(write(r.input, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // Closes its input, reads everything it writes and waits for its exit code.
    static int Finish(Running& r, std::string& output)
    {
        if (r.input >= 0)
            close(r.input);
        char buffer[4096];
        ssize_t n;
        while ((n = read(r.output, buffer, sizeof(buffer))) > 0)
            output.append(buffer, n);
        close(r.output);
        int status = 0;
        waitpid(r.pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    int RunToEnd(const std::vector<std::string>& args, const std::string& input, std::string& output)
    {
        Running r = Start(args);
        Send(r, input);
        return Finish(r, output);
    }

    static std::string ReadFile(const fs::path& path)
    {
        std::ifstream in(path);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    // The lines in order, each found after the one before.
    static void ExpectInOrder(const std::string& text, const std::vector<std::string>& lines)
    {
        size_t at = 0;
        for (const std::string& line : lines) {
            size_t found = text.find(line, at);
            ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line;
            at = found + line.size();
        }
    }

    fs::path Documents() const { return root / "data" / "Wopple Vevev Documents"; }
    fs::path ConfigFile() const { return root / "config" / "quillfen" / "Wopple Vevev" / "WoppleQuest.cfg"; }

    fs::path root;
};
