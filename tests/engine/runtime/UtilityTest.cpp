#include "engine/runtime/Utility.h"

#include "engine/core/Log.h"
#include "engine/core/Object.h"
#include "platform/os/SystemInfo.h"
#include "engine/core/VelkLuaState.h"
#include "support/FakeCoreHost.h"
#include "tests/engine/runtime/OsTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <regex>
#include <sys/stat.h>

namespace {

std::string JoinLogLines()
{
    std::string all;
    for (const std::string& line : GetCachedLogLines())
        all += line;
    return all;
}

// ---- Texts ----

TEST(UtilityTextTest, GroupsDigitsInThrees)
{
    const struct
    {
        std::int32_t value;
        const char* text;
    } signedCases[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1,000"},
        {-5, "-5"},
        {-1234567, "-1,234,567"},
        {INT32_MAX, "2,147,483,647"},
        {INT32_MIN, "-2,147,483,648"},
    };
    for (const auto& c : signedCases)
        EXPECT_EQ(FormatNumberWithCommas(c.value), c.text) << c.value;

    const struct
    {
        std::uint64_t value;
        const char* text;
    } unsignedCases[] = {
        {0, "0"},
        {100, "100"},
        {1000005, "1,000,005"},
        {UINT64_MAX, "18,446,744,073,709,551,615"},
    };
    for (const auto& c : unsignedCases)
        EXPECT_EQ(FormatUnsigned64WithCommas(c.value), c.text) << c.value;
}

TEST(UtilityTextTest, ReplacesEscapesAndComparesEnds)
{
    EXPECT_EQ(EscapeNewlines("one\ntwo\nthree"), "one\\ntwo\\nthree");
    EXPECT_EQ(ReplaceCharWithString("a.b.", '.', "::"), "a::b::");
    EXPECT_EQ(ReplaceCharWithString("abc", 'x', "y"), "abc");

    EXPECT_TRUE(EndsWith("image.png", ".png"));
    EXPECT_FALSE(EndsWith("image.PNG", ".png"));
    EXPECT_TRUE(EndsWith("file.lua", "file.lua"));
    EXPECT_TRUE(EndsWith("a", ""));
    EXPECT_FALSE(EndsWith("", "a"));
    EXPECT_FALSE(EndsWith("png", ".png"));
}

TEST(UtilityTextTest, VersionTextKeepsDigitsAndDots)
{
    EXPECT_EQ(VersionTextFromFileVersion("2, 1, 0, 17"), "2.1.0.17");
    EXPECT_EQ(VersionTextFromFileVersion("1, 0, 0, 3"), "1.0.0.3");
    EXPECT_EQ(VersionTextFromFileVersion("v1.2 beta"), "1.2");
    EXPECT_TRUE(std::regex_match(ReadAppVersionString(), std::regex("[0-9]+(\\.[0-9]+)*")))
        << ReadAppVersionString();
}

TEST(UtilityTextTest, ErrorTextsNameNumberAndMessage)
{
    EXPECT_EQ(GetSystemErrorText(ENOENT), "2: No such file or directory");
    errno = EACCES;
    EXPECT_EQ(GetLastErrorText(), "13: Permission denied");
    errno = EACCES;
    EXPECT_EQ(GetCRuntimeErrorText(), "Permission denied");
}

// ---- Key modifiers ----

TEST(UtilityModifierTest, ComparesExactlyIgnoringLocks)
{
    const int numLock = 0x1000, capsLock = 0x2000, leftShift = 0x0001;
    const struct
    {
        int modifiers;
        bool alt, ctrl, ctrlAlt;
    } cases[] = {
        {0, false, false, false},
        {0x0100, true, false, false},
        {0x0200, true, false, false},
        {0x0100 | numLock | capsLock, true, false, false},
        {0x0300, false, false, false},
        {0x0100 | leftShift, false, false, false},
        {0x0040, false, true, false},
        {0x0080 | capsLock, false, true, false},
        {0x00C0, false, false, false},
        {0x0140, false, false, true},
        {0x0280 | numLock, false, false, true},
        {0x0240, false, false, false},  // left Ctrl with right Alt
        {0x0180, false, false, false},  // right Ctrl with left Alt
        {0x0140 | leftShift, false, false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsOnlyAltPressed(c.modifiers), c.alt) << std::hex << c.modifiers;
        EXPECT_EQ(IsOnlyCtrlPressed(c.modifiers), c.ctrl) << std::hex << c.modifiers;
        EXPECT_EQ(IsOnlyCtrlAltPressed(c.modifiers), c.ctrlAlt) << std::hex << c.modifiers;
    }
}

// ---- Random numbers ----

TEST(UtilityRandomTest, IntegersAreRandModuloWidth)
{
    std::srand(42);
    std::vector<int> expected;
    expected.push_back(std::rand() % 7);
    expected.push_back(std::rand() % 4 + 2);
    expected.push_back(std::rand() % 7 - 3);
    expected.push_back(std::rand() % 1 + 9);

    std::srand(42);
    EXPECT_EQ(RandomInt(7), expected[0]);
    EXPECT_EQ(RandomIntInRange(5, 2), expected[1]);
    EXPECT_EQ(RandomIntInRange(-3, 3), expected[2]);
    EXPECT_EQ(RandomIntInRange(9, 9), expected[3]);
}

TEST(UtilityRandomTest, RandomIntOfZeroDrawsNothing)
{
    std::srand(7);
    int first = std::rand();
    std::srand(7);
    EXPECT_EQ(RandomInt(0), 0);
    EXPECT_EQ(std::rand(), first);
}

TEST(UtilityRandomTest, WidestRangesReachEveryPartOfTheirRange)
{
    std::srand(3);
    // Each quarter of the whole int range, and of a range just wider than one rand().
    int wholeQuarters[4] = {}, overHalf[2] = {};
    for (int i = 0; i < 1000; ++i) {
        int anyInt = RandomIntInRange(INT_MAX, INT_MIN);
        ++wholeQuarters[(static_cast<long long>(anyInt) - INT_MIN) >> 30];
        int negative = RandomIntInRange(INT_MIN, -1);
        EXPECT_LT(negative, 0);
        int wide = RandomIntInRange(-1, INT_MAX);
        ASSERT_GE(wide, -1);
        ++overHalf[wide >= (1 << 30)];
    }
    for (int q = 0; q < 4; ++q)
        EXPECT_GT(wholeQuarters[q], 150) << "quarter " << q;
    EXPECT_GT(overHalf[0], 400);
    EXPECT_GT(overHalf[1], 400);
    EXPECT_EQ(RandomIntInRange(INT_MAX, INT_MAX), INT_MAX);
}

TEST(UtilityRandomTest, FloatsSpanTheRangeAndNeverReachItsTop)
{
    std::srand(1);
    float highest = 2.0f;
    for (int i = 0; i < 20000; ++i) {
        float value = RandomFloatInRange(10.0f, 2.0f);
        ASSERT_GE(value, 2.0f);
        ASSERT_LT(value, 10.0f);
        highest = std::max(highest, value);
    }
    // Scaled by the real RAND_MAX the draws reach the top of the range.
    EXPECT_GT(highest, 9.9f);
    EXPECT_EQ(RandomFloatInRange(3.0f, 3.0f), 3.0f);
}

// ---- Files and folders ----

class UtilityFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ClearLogCache(); }
    void TearDown() override { ClearLogCache(); }
    TempFolder temp;
};

TEST_F(UtilityFileTest, FileExistsTellsFilesFromFoldersAndChecksWriting)
{
    WriteTextFile(temp / "file.txt", "x");
    WriteTextFile(temp / "readonly.txt", "x");
    chmod((temp / "readonly.txt").c_str(), 0444);
    mkdir((temp / "folder").c_str(), 0777);
    mkdir((temp / "readonly").c_str(), 0555);
    // The superuser may write anywhere.
    const bool root = geteuid() == 0;

    const struct
    {
        const char* name;
        int flags;
        bool exists;
    } cases[] = {
        {"file.txt", EXISTS_FILE, true},
        {"file.txt", EXISTS_WRITABLE, true},
        {"file.txt", EXISTS_DIRECTORY, false},
        {"readonly.txt", EXISTS_FILE, true},
        {"readonly.txt", EXISTS_WRITABLE, root},
        {"folder", EXISTS_DIRECTORY, true},
        {"folder", EXISTS_DIRECTORY | EXISTS_WRITABLE, true},
        {"folder", EXISTS_FILE, false},
        {"readonly", EXISTS_DIRECTORY | EXISTS_WRITABLE, root},
        {"missing", EXISTS_FILE, false},
        {"missing", EXISTS_DIRECTORY, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileExists(temp / c.name, c.flags), c.exists) << c.name << " flags " << c.flags;
}

TEST_F(UtilityFileTest, CreateDirectoriesMakesEachMissingLevelOnce)
{
    const std::string path = temp / "a/b/c";
    EXPECT_TRUE(CreateDirectories(path));
    EXPECT_TRUE(FileExists(path, EXISTS_DIRECTORY));
    EXPECT_EQ(JoinLogLines(), "CreateDirectories, dirName = \"" + path + "\"\n" + "Created directory: " +
                                  temp.Path() + "/a/\n" + "Created directory: " + temp.Path() + "/a/b/\n" +
                                  "Created directory: " + path + "\n");

    ClearLogCache();
    EXPECT_FALSE(CreateDirectories(path + "/"));
    EXPECT_EQ(JoinLogLines(), "CreateDirectories, dirName = \"" + path + "/\"\n");
}

TEST_F(UtilityFileTest, NetworkPathsSkipTheServer)
{
    // "//tmp/velk-os-XXXXXX/one/two": server "tmp", share the test folder.
    const std::string path = "/" + temp.Path() + "/one/two";
    EXPECT_TRUE(CreateDirectories(path));
    EXPECT_TRUE(FileExists(temp / "one/two", EXISTS_DIRECTORY));
    EXPECT_EQ(JoinLogLines(), "CreateDirectories, dirName = \"" + path + "\"\n" + "Created directory: /" +
                                  temp.Path() + "/one/\n" + "Created directory: " + path + "\n");

    // The first directory tried on a missing server is its share.
    try {
        CreateDirectories("//velk-no-such-server/share/folder");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage().rfind("Could not create directory:\ndirectory = //velk-no-such-server/share/\n"
                                       "error = 2: No such file or directory",
                                       0),
                  0u)
            << e.GetMessage();
    }
}

TEST_F(UtilityFileTest, CreateDirectoriesReportsAFileInTheWay)
{
    WriteTextFile(temp / "file", "x");
    try {
        CreateDirectories(temp / "file/sub");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetFunction(), "CreateDirectories");
        EXPECT_EQ(e.GetMessage().rfind("Could not create directory:\ndirectory = " + temp.Path() +
                                           "/file/\nerror = ",
                                       0),
                  0u)
            << e.GetMessage();
    }
}

TEST_F(UtilityFileTest, FoldersFollowTheXdgVariables)
{
    const std::string home = temp / "home";
    ScopedEnvironment homeVariable("HOME", home);
    {
        ScopedEnvironment data("XDG_DATA_HOME", temp / "data/");
        ScopedEnvironment config("XDG_CONFIG_HOME", temp / "config");
        EXPECT_EQ(GetWindowsFolderPath(CSIDL_PERSONAL), temp / "data");
        EXPECT_EQ(GetWindowsFolderPath(CSIDL_APPDATA), temp / "config");
    }
    {
        // Unset, empty and relative values all fall back to the defaults.
        ScopedEnvironment data("XDG_DATA_HOME", std::nullopt);
        ScopedEnvironment config("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(GetWindowsFolderPath(CSIDL_PERSONAL), home + "/.local/share");
        EXPECT_EQ(GetWindowsFolderPath(CSIDL_APPDATA), home + "/.config");
        ScopedEnvironment emptyData("XDG_DATA_HOME", "");
        EXPECT_EQ(GetWindowsFolderPath(CSIDL_PERSONAL), home + "/.local/share");
    }
    EXPECT_THROW(GetWindowsFolderPath(0x1a5), Exception);
}

TEST_F(UtilityFileTest, PicturesFolderComesFromTheUserDirectoriesFile)
{
    const std::string home = temp / "home";
    ScopedEnvironment homeVariable("HOME", home);
    ScopedEnvironment config("XDG_CONFIG_HOME", temp / "config");

    EXPECT_EQ(GetWindowsFolderPath(CSIDL_MYPICTURES), home + "/Pictures");

    mkdir((temp / "config").c_str(), 0777);
    WriteTextFile(temp / "config/user-dirs.dirs",
                  "# written by the desktop\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    EXPECT_EQ(GetMyPicturesPath(), home + "/Bilder");
    EXPECT_TRUE(FileExists(home + "/Bilder", EXISTS_DIRECTORY));

    WriteTextFile(temp / "config/user-dirs.dirs", "XDG_PICTURES_DIR=\"" + temp.Path() + "/shots/\"\n");
    EXPECT_EQ(GetWindowsFolderPath(CSIDL_MYPICTURES), temp / "shots");
}

TEST(UtilityFolderTest, ExePathIsTheProgramsFolder)
{
    EXPECT_TRUE(FileExists(GetExePath() + "/velk_engine_tests"));
}

// ---- Display probe ----

TEST(UtilityProbeTest, ProbeCanBeForcedToFail)
{
    EXPECT_TRUE(IsDirectDraw7Available());
    SetDirectDrawProbe([] { return false; });
    EXPECT_FALSE(IsDirectDraw7Available());
    SetDirectDrawProbe(nullptr);
    EXPECT_TRUE(IsDirectDraw7Available());
}

TEST(UtilityProbeTest, MissingDisplayExceptionNamesTheApplication)
{
    try {
        throw MakeDirectX7NotAvailable("WoppleQuest");
    } catch (const DirectX7NotAvailable& e) {
        const std::string& message = e.GetMessage();
        EXPECT_EQ(message.rfind("WoppleQuest requires that DirectX 7 or higher be installed beforehand.\n"
                                "This can be downloaded from Microsoft's web site, at https://",
                                0),
                  0u)
            << message;
        EXPECT_EQ(message.find('\n'), message.rfind('\n'));
        EXPECT_EQ(e.GetFunction(), "DirectX7NotAvailable::DirectX7NotAvailable");
    }
    EXPECT_EQ(MakeDirectX7NotAvailable("").GetMessage().rfind("This application requires", 0), 0u);
}

// ---- Start-up log ----

TEST(UtilitySystemLogTest, WritesTheSystemNamesAndMemoryFigures)
{
    ClearLogCache();
    LogSystemInformation();
    std::vector<std::string> lines = GetCachedLogLines();
    ClearLogCache();

    // The processor report (one entry), the system names, DirectX, the memory figures.
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_NE(lines[0].find("CPUIdentifier"), std::string::npos);
    lines.erase(lines.begin());
    EXPECT_EQ(lines[0], "Operating system version information:\n");
    EXPECT_EQ(lines[1], "    uname.sysname = Linux\n");
    EXPECT_EQ(lines[2].rfind("    uname.release = ", 0), 0u);
    EXPECT_EQ(lines[3].rfind("    uname.version = ", 0), 0u);
    EXPECT_EQ(lines[4].rfind("    uname.machine = ", 0), 0u);
    EXPECT_EQ(lines[5], "DirectX not detected.\n");
    lines.erase(lines.begin() + 5);
    EXPECT_EQ(lines[5], "Current system memory usage:\n");
    EXPECT_TRUE(std::regex_match(lines[6], std::regex("    dwMemoryLoad: ([0-9]|[1-9][0-9]|100)\n"))) << lines[6];

    const char* labels[] = {"Total physical memory",
                            "Total available physical memory",
                            "Total pages committed to memory",
                            "Total available memory that can be committed as pages",
                            "Total virtual memory",
                            "Total available virtual memory"};
    for (int i = 0; i < 6; ++i) {
        std::smatch match;
        const std::string& line = lines[7 + i];
        ASSERT_TRUE(std::regex_match(line, match, std::regex("    (.*): ([0-9,]+) bytes \\(([0-9]+)\\)\n")))
            << line;
        EXPECT_EQ(match[1], labels[i]);
        EXPECT_EQ(match[2], FormatUnsigned64WithCommas(std::stoull(match[3])));
    }
    EXPECT_NE(lines[7], "    Total physical memory: 0 bytes (0)\n");
}

TEST(UtilitySystemLogTest, MemoryFiguresFromTheKernelsTable)
{
    MemoryStatus status;
    ASSERT_TRUE(ParseMemInfo("MemTotal:        1000 kB\n"
                             "MemFree:          100 kB\n"
                             "MemAvailable:     250 kB\n"
                             "CommitLimit:      800 kB\n"
                             "Committed_AS:     300 kB\n",
                             status));
    EXPECT_EQ(status.totalPhysical, 1024000u);
    EXPECT_EQ(status.availablePhysical, 256000u);
    EXPECT_EQ(status.totalCommit, 819200u);
    EXPECT_EQ(status.availableCommit, 512000u);
    EXPECT_EQ(status.memoryLoad, 75u);

    // Overcommitted, and an old kernel without the availability estimate.
    ASSERT_TRUE(
        ParseMemInfo("MemTotal: 1000 kB\nMemFree: 100 kB\nCommitLimit: 800 kB\nCommitted_AS: 900 kB\n", status));
    EXPECT_EQ(status.availablePhysical, 102400u);
    EXPECT_EQ(status.availableCommit, 0u);
    EXPECT_EQ(status.memoryLoad, 90u);

    EXPECT_FALSE(ParseMemInfo("garbage\n", status));
}

// ---- File-open dialog ----

// Fake choosers on a $PATH of their own: each writes its arguments, one a line,
// beside itself and answers like the real program.
class UtilityDialogTest : public ::testing::Test, public ModalSystemDialogHost
{
protected:
    void SetUp() override
    {
        mkdir(Bin().c_str(), 0777);
        WriteTextFile(temp / "chosen.png", "png");
        SetModalSystemDialogHost(this);
    }
    void TearDown() override { SetModalSystemDialogHost(nullptr); }

    std::string Bin() const { return temp / "bin"; }
    std::string ArgsOf(const std::string& program) const { return temp / (program + ".args"); }

    void InstallChooser(const std::string& program, const std::string& answer, int exitCode)
    {
        const std::string path = Bin() + "/" + program;
        WriteTextFile(path, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + ArgsOf(program) +
                                "'\nprintf '%s\\n' '" + answer + "'\nexit " + std::to_string(exitCode) + "\n");
        chmod(path.c_str(), 0755);
    }

    void PrepareForModalSystemDialog() override
    {
        calls.push_back(std::string("prepare") + (FileExists(ArgsOf("zenity")) ? " after" : " before"));
    }
    void CleanupFromModalSystemDialog() override
    {
        calls.push_back(std::string("cleanup") + (FileExists(ArgsOf("zenity")) ? " after" : " before"));
    }

    TempFolder temp;
    ScopedEnvironment path{"PATH", temp / "bin"};
    std::vector<std::string> calls;
};

TEST_F(UtilityDialogTest, ZenityChoosesAPictureFromTheFolder)
{
    InstallChooser("zenity", temp / "chosen.png", 0);
    // Handed over as it is: no shell ever sees the folder name.
    const std::string folder = temp / "my pictures; $(false) 'x'";
    EXPECT_EQ(ShowOpenFileDialog(folder), temp / "chosen.png");
    EXPECT_EQ(ReadTextFile(ArgsOf("zenity")), "--file-selection\n--title=Open\n--filename=" + folder +
                                                  "/\n--file-filter=Picture Files (*.jpg,*.bmp,*.png,*.gif) | "
                                                  "*.jpg *.bmp *.png *.gif\n");
    EXPECT_EQ(calls, (std::vector<std::string>{"prepare before", "cleanup after"}));
}

TEST_F(UtilityDialogTest, PictureFilesAreChosenFromThePicturesFolder)
{
    ScopedEnvironment home("HOME", temp / "home");
    ScopedEnvironment config("XDG_CONFIG_HOME", temp / "config");
    InstallChooser("zenity", temp / "chosen.png", 0);
    EXPECT_EQ(ChoosePictureFile(), temp / "chosen.png");
    EXPECT_NE(ReadTextFile(ArgsOf("zenity")).find("\n--filename=" + temp.Path() + "/home/Pictures/\n"),
              std::string::npos);
    EXPECT_TRUE(FileExists(temp / "home/Pictures", EXISTS_DIRECTORY));
}

TEST_F(UtilityDialogTest, KdialogServesWhenZenityIsMissing)
{
    InstallChooser("kdialog", temp / "chosen.png", 0);
    EXPECT_EQ(ShowOpenFileDialog(temp / "pics"), temp / "chosen.png");
    EXPECT_EQ(ReadTextFile(ArgsOf("kdialog")), "--title\nOpen\n--getopenfilename\n" + temp.Path() +
                                                   "/pics/\n*.jpg *.bmp *.png *.gif|Picture Files "
                                                   "(*.jpg,*.bmp,*.png,*.gif)\n");
}

TEST_F(UtilityDialogTest, NothingIsChosenWithoutAnAnswer)
{
    // No chooser installed.
    EXPECT_EQ(ShowOpenFileDialog(temp.Path()), "");
    EXPECT_EQ(calls, (std::vector<std::string>{"prepare before", "cleanup before"}));

    // Cancelled.
    InstallChooser("zenity", temp / "chosen.png", 1);
    EXPECT_EQ(ShowOpenFileDialog(temp.Path()), "");

    // An answer that names no file.
    InstallChooser("zenity", temp / "gone.png", 0);
    EXPECT_EQ(ShowOpenFileDialog(temp.Path()), "");
}

TEST_F(UtilityDialogTest, APictureCanBeChosenOnlyWithAChooserOrAStandIn)
{
    EXPECT_FALSE(CanChoosePictureFile());
    // A file of that name that cannot run is no chooser.
    WriteTextFile(Bin() + "/zenity", "");
    chmod((Bin() + "/zenity").c_str(), 0644);
    EXPECT_FALSE(CanChoosePictureFile());
    InstallChooser("kdialog", temp / "chosen.png", 0);
    EXPECT_TRUE(CanChoosePictureFile());

    ScopedEnvironment nowhere("PATH", temp / "nowhere");
    SetPictureFileChooser([] { return std::string("/stand/in.png"); });
    EXPECT_TRUE(CanChoosePictureFile());
    EXPECT_EQ(ChoosePictureFile(), "/stand/in.png");
    SetPictureFileChooser(nullptr);
    EXPECT_FALSE(CanChoosePictureFile());
}

// ---- Script functions ----

class UtilityScriptTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        state = VelkLuaState::Create();
        VelkLuaState::RunStartupScript(state);
        ClearLogCache();
    }
    void TearDown() override
    {
        SetActorTreeAccess(nullptr);
        std::filesystem::current_path(savedDirectory);
        ClearLogCache();
        VelkLuaState::Destroy();
    }
    void Run(const std::string& source) { VelkLuaState::LoadStringA(state, source, 0, 0); }
    LuaObject Global(const char* name) { return state.GetGlobal(name); }

    FakeCoreHost host{4};
    LuaState state;
    std::filesystem::path savedDirectory = std::filesystem::current_path();
    TempFolder temp;
};

TEST_F(UtilityScriptTest, DirectoryFunctions)
{
    WriteTextFile(temp / "file", "x");
    Run("made = CreateDirectory('" + temp.Path() + "/x/y')\n"
        "again = CreateDirectory('" + temp.Path() + "/x/y')\n"
        "isDir = IsDirectory('" + temp.Path() + "/x/y')\n"
        "fileIsDir = IsDirectory('" + temp.Path() + "/file')\n"
        "chdir('" + temp.Path() + "/x')\n");
    EXPECT_TRUE(Global("made").GetBoolean());
    EXPECT_TRUE(Global("again").IsBoolean());
    EXPECT_FALSE(Global("again").GetBoolean());
    EXPECT_TRUE(Global("isDir").GetBoolean());
    EXPECT_FALSE(Global("fileIsDir").GetBoolean());
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(temp / "x"));

    try {
        Run("chdir('" + temp.Path() + "/missing')");
        FAIL() << "no error";
    } catch (const ScriptError& e) {
        EXPECT_NE(e.GetMessage().find("Assertion failed: (result == 0)"), std::string::npos) << e.GetMessage();
    }
    EXPECT_THROW(Run("IsDirectory()"), ScriptError);
}

TEST_F(UtilityScriptTest, OpenFileNameStartsInTheCurrentFolder)
{
    ScopedEnvironment path("PATH", temp / "bin");
    mkdir((temp / "bin").c_str(), 0777);
    WriteTextFile(temp / "chosen.png", "png");
    WriteTextFile(temp / "bin/zenity", "#!/bin/sh\nprintf '%s\\n' \"$3\" > '" + temp.Path() +
                                           "/args'\nprintf '%s\\n' '" + temp.Path() + "/chosen.png'\n");
    chmod((temp / "bin/zenity").c_str(), 0755);
    std::filesystem::current_path(temp.Path());

    Run("chosen = VelkGetOpenFileName()");
    EXPECT_EQ(Global("chosen").GetString(), temp / "chosen.png");
    EXPECT_EQ(ReadTextFile(temp / "args"), "--filename=" + temp.Path() + "/\n");
}

// Actors as the toolkit will show them: a class and a name.
class Node : public Object
{
public:
    explicit Node(const std::string& name) { SetName(name); }
    void StoreClassAndName(LuaObject& table) override
    {
        table.SetString("class", "Node");
        table.SetString("name", GetName());
    }
    std::vector<Object*> children;
};

class FakeActorTree : public ActorTreeAccess
{
public:
    Object* GetCurrentScreen() override { return screen; }
    Object* FindActorBelow(Object* start, const std::string& name) override
    {
        for (Object* child : GetChildren(start)) {
            if (child->GetName() == name)
                return child;
            if (Object* found = FindActorBelow(child, name))
                return found;
        }
        return nullptr;
    }
    std::vector<Object*> GetChildren(Object* actor) override { return static_cast<Node*>(actor)->children; }
    Object* screen = nullptr;
};

std::string Dump(const std::string& prefix, const std::string& name)
{
    return prefix + "{\n    class = \"Node\",\n    name = \"" + name + "\",\n}\n";
}

TEST_F(UtilityScriptTest, PrintActorInfoLogsTheTreeBelowTheScreen)
{
    // No toolkit yet: nothing to start from.
    Run("PrintActorInfo()");
    EXPECT_EQ(JoinLogLines(), "");
    Run("PrintActorInfo('Spinner')");
    EXPECT_EQ(JoinLogLines(), "ERROR: Could not find an actor with name, \"Spinner\".\n");
    ClearLogCache();

    Node screen("screen"), board("board"), cell("cell"), lever("lever");
    screen.children = {&board, &lever};
    board.children = {&cell};
    FakeActorTree tree;
    tree.screen = &screen;
    SetActorTreeAccess(&tree);

    Run("PrintActorInfo()");
    EXPECT_EQ(JoinLogLines(), Dump("", "screen") + "    ----------------\n" + Dump("    ", "board") +
                                  "        ----------------\n" + Dump("        ", "cell") + Dump("    ", "lever"));
    ClearLogCache();

    Run("PrintActorInfo('board')");
    EXPECT_EQ(JoinLogLines(), Dump("", "board") + "    ----------------\n" + Dump("    ", "cell"));
    ClearLogCache();

    Run("PrintActorInfo('Spinner')");
    EXPECT_EQ(JoinLogLines(), "ERROR: Could not find an actor with name, \"Spinner\".\n");
}

} // namespace
