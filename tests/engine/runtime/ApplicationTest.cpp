#include "engine/runtime/Application.h"

#include "engine/core/Exception.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Utility.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include "support/Failure.h"

namespace {


// An application as far as the command line goes: the Lua state, the classes and
// the property defaults.
class ApplicationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path() / ("velk-app-" + std::to_string(::getpid()));
        std::filesystem::remove_all(root);
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
        app = std::make_unique<Application>("TestApp", "Test Product", AppCodeFromString("TST1"), 800, 600);
    }
    void TearDown() override
    {
        app.reset();
        SetDirectDrawProbe(nullptr);
        std::filesystem::remove_all(root);
    }
    void StartScripting()
    {
        VelkLuaState::RunStartupScript(VelkLuaState::Create());
        TypeConversion::InitializeTypeTables();
        ClassManager::GetInstance()->InitializeClasses();
        app->SetConfigDefaults();
    }
    void Parse(std::vector<const char*> args)
    {
        args.insert(args.begin(), "/opt/wopple/Wopple2");
        app->ParseCmdLineArgs(static_cast<int>(args.size()), args.data());
    }
    std::unique_ptr<Application> app;
    std::filesystem::path root;
};

} // namespace

TEST_F(ApplicationTest, AppCodesAreFourCharactersLowByteFirst)
{
    EXPECT_EQ(AppCodeFromString("WPL2"), 'W' + 'P' * 256u + 'L' * 65536u + '2' * 16777216u);
    EXPECT_EQ(FailureOf([] { AppCodeFromString("WPL"); }),
              "Assertion failed: (inputStr.length() == 4)\nMessage: An app code's string must be exactly four "
              "characters long.");
    EXPECT_EQ(app->GetConfigFile(), "TestApp.cfg");
    EXPECT_EQ(app->GetConstConfigFile(), "TestApp_Const.cfg");
    EXPECT_EQ(app->GetConfigDefaultsFile(), "TestApp_Defaults.cfg");
    EXPECT_EQ(app->GetPackageFile(), "TestApp.qil");
    EXPECT_EQ(app->GetWindowCaption(), "Test Product");
}

TEST_F(ApplicationTest, ArgumentsGroupBehindTheirSwitches)
{
    struct Case
    {
        std::vector<const char*> args;
        std::vector<std::string> groups;  // after argv[0]
    };
    const Case cases[] = {
        {{}, {}},
        {{"-w"}, {"-w"}},
        {{"--log3", "--console"}, {"--log3", "--console"}},
        {{"--level", "12", "extra"}, {"--level 12 extra"}},
        {{"loose", "words", "-f"}, {"loosewords", "-f"}},
    };
    for (const Case& c : cases) {
        Parse(c.args);
        ASSERT_EQ(app->GetNumArgs(), c.groups.size() + 1);
        EXPECT_EQ(app->GetArg(0), "/opt/wopple/Wopple2");
        for (std::size_t i = 0; i < c.groups.size(); ++i)
            EXPECT_EQ(app->GetArg(i + 1), c.groups[i]);
    }
    Parse({"--level 12"});
    EXPECT_TRUE(app->HasArg("--lev"));
    EXPECT_EQ(FailureOf([&] { app->GetArg(5); }), "Assertion failed: (index < GetNumArgs())");
    EXPECT_EQ(FailureOf([&] { Parse({""}); }), "Assertion failed: (strlen(argv[i]) > 0)");
}

TEST_F(ApplicationTest, SwitchesBecomeProperties)
{
    StartScripting();
    struct Case
    {
        std::vector<const char*> args;
        const char* property;
        const char* expected;  // "true", "false", a number, or "nil"
    };
    const Case cases[] = {
        {{}, "logLevel", "nil"},
        {{"--log3"}, "logLevel", "3"},
        {{"--logoff"}, "logLevel", "0"},
        {{"-logoff"}, "logLevel", "0"},
        {{"--log"}, "logLevel", "4"},
        {{"--log", "--log1"}, "logLevel", "1"},
        {{"-f"}, "fullScreen", "true"},
        {{"-fast"}, "fullScreen", "true"},  // any argument beginning "-f"
        {{"--windowed"}, "fullScreen", "false"},
        {{}, "fullScreen", "nil"},
        {{"--hwaccel", "--nohwaccel"}, "enableHWAccel", "true"},
        {{"--nohwaccel"}, "enableHWAccel", "false"},
        {{"--multiapp"}, "allowMultipleInstances", "true"},
        {{"--nosound"}, "enableSound", "false"},
        {{"--nomusic"}, "enableMusic", "false"},
        {{"--keepcwd"}, "keepCWD", "true"},
        {{"--nopkg"}, "usePackageFiles", "false"},
        {{"--noExeResources"}, "useExeResources", "false"},
        {{"--console"}, "enableConsole", "true"},
        {{"--safemode"}, "enableSafeMode", "true"},
        {{"--luadebug"}, "enableLuaDebugger", "true"},
    };
    for (const Case& c : cases) {
        app->SetConfigDefaults();
        app->ApplyProperty("logLevel", LuaObject(VelkLuaState::Get()));
        app->ApplyProperty("fullScreen", LuaObject(VelkLuaState::Get()));
        Parse(c.args);
        app->ConvertCmdLineArgsToProperties();
        LuaObject value = app->RetrieveProperty(c.property);
        std::string text = value.IsNil()       ? "nil"
                           : value.IsBoolean() ? (value.GetBoolean() ? "true" : "false")
                                               : std::to_string(value.GetInteger());
        EXPECT_EQ(text, c.expected) << c.property << " after " << (c.args.empty() ? "" : c.args[0]);
    }
    Parse({"-w", "--fullscreen"});
    EXPECT_EQ(FailureOf([&] { app->ConvertCmdLineArgsToProperties(); }),
              "Assertion failed: (!(fullScreen && windowed))\nMessage: Both fullscreen and windowed modes were "
              "specified on the command line.");
}

TEST_F(ApplicationTest, StartUpStopsWhenTheDisplayProbeFails)
{
    SetDirectDrawProbe([] { return false; });
    std::filesystem::create_directories(root);
    std::string program = (root / "Wopple2").string();
    const char* args[] = {program.c_str(), "--multiapp"};
    try {
        app->InitEngine(2, args);
        FAIL();
    } catch (const DirectX7NotAvailable& e) {
        EXPECT_EQ(e.GetMessage().rfind("TestApp requires that DirectX 7 or higher be installed beforehand.", 0), 0u)
            << e.GetMessage();
    }
}
