// The real program, run headless: start-up, the console, instances, failures.

#include "ProgramFixture.h"

TEST_F(ProgramTest, ConsoleDrivesTheGameAndStartUpRunsInOrder)
{
    std::string output;
    int code = RunToEnd({"--console", "-w", "--log3"}, "logprint(NameOfEvent(12))\nAppQuit()\n", output);
    EXPECT_EQ(code, 0) << output;
    ExpectInOrder(output, {
                              "Application::InitEngine, Initializing Velk Engine...\n",
                              "Application::InitEngine, Crash reporting is DISABLED.\n",
                              "Command Line Parameters: ",
                              "Application::InitEngine, App Version: ",
                              "Application::InitEngine, Startup Parameters = ",
                              "Initializing Paths...\n",
                              "\tm_ConfigFile = \"" + ConfigFile().string() + "\"\n",
                              "Created log file at \"",
                              "Application::InitEngine, Current directory: ",
                              "Application::InitEngine, Initializing resource management subsystem...\n",
                              "Application::InitEngine, Initializing config subsystem...\n",
                              "Application::InitEngine, Loading scripts...\n",
                              "Application::InitEngine, Initializing SDL...\n",
                              "Application::InitEngine, Initializing font library...\n",
                              "Application::InitEngine, Initializing timer subsystem...\n",
                              "Application::InitEngine, Creating the Display Manager...\n",
                              "Application::InitEngine, Signalling all Config observers...\n",
                              "Application::Setting Log Level to 3\n",
                              "Application::CreateWindow called.\n",
                              "Starting main loop.\n",
                              "SDL_QUIT\n",
                              "writing cfg to: " + ConfigFile().string() + "\n",
                              "~Application - SAFE_DELETE(m_CommonDialogs)\n",
                              "~Application - SAFE_DELETE(m_GameDataIO)\n",
                              "~Application - SDL_Quit\n",
                              "~Application - SAFE_DELETE(m_Config)\n",
                              "~Application - FINISHED\n",
                          });
    // The library is shut down once.
    EXPECT_EQ(output.find("SAFE_DELETE(m_CommonDialogs)"), output.rfind("SAFE_DELETE(m_CommonDialogs)")) << output;

    // Folders and files the run leaves behind.
    EXPECT_TRUE(fs::is_directory(Documents() / "Player Cards"));
    std::string log = ReadFile(Documents() / "Technical Support Files" / "VelkEngine.log");
    ExpectInOrder(log, {"Application::InitEngine, Initializing Velk Engine...\n", "Created log file at \"",
                        "Writing previous log entries to disk.\n", "SDL_QUIT\n", "~Application - FINISHED\n"});
    std::string config = ReadFile(ConfigFile());
    EXPECT_EQ(config.rfind("LoadConfig {\n", 0), 0u) << config;
    EXPECT_NE(config.find("    full_screen = false,\n"), std::string::npos) << config;
    EXPECT_NE(config.find("    music_volume = 40,\n"), std::string::npos) << config;
}

TEST_F(ProgramTest, TheConsoleSwitchesToAScreenMadeFromATemplate)
{
    std::string output;
    int code = RunToEnd({"--console", "-w", "--log3"},
                        "Resources.ConsoleScreen = { class = 'Screen', name = 'ConsoleScreen',"
                        " children = { Sign = { class = 'Actor', position = { 5, 6 } } } }\n"
                        "Screens.ConsoleScreen = CreateObject(Resources.ConsoleScreen)\n"
                        "SwitchToScreen('ConsoleScreen')\n"
                        "PrintActorInfo()\n"
                        "SwitchToScreen(7)\n"
                        "AppQuit()\n",
                        output);
    EXPECT_EQ(code, 0) << output;
    ExpectInOrder(output, {
                              "ScreenManager::SwitchToScreen: Flushing vidmem.\n",
                              "\"ConsoleScreen\"",
                              "\"Sign\"",
                              "ERROR: Bad parameter(s) to SwitchToScreen.\nUsage: SwitchToScreen(\"name of screen\")\n",
                              "~Application - SAFE_DELETE(m_ScreenManager)\n",
                          });
}

TEST_F(ProgramTest, DestructorLinesAppearOnlyFromLevelThree)
{
    std::string output;
    EXPECT_EQ(RunToEnd({"--console", "-w", "--log2"}, "AppQuit()\n", output), 0) << output;
    EXPECT_EQ(output.find("~Application - FINISHED"), std::string::npos);
    EXPECT_NE(output.find("Application::Setting Log Level to 2\n"), std::string::npos);
}

TEST_F(ProgramTest, ASecondInstanceExitsWhileTheFirstRuns)
{
    Running first = Start({"--console", "-w", "--log3"});
    // Wait until the first instance runs its loop.
    Send(first, "logprint('first is up')\n");
    std::string seen;
    char buffer[4096];
    while (seen.find("first is up\n") == std::string::npos) {
        ssize_t n = read(first.output, buffer, sizeof(buffer));
        ASSERT_GT(n, 0) << seen;
        seen.append(buffer, n);
    }

    std::string second;
    EXPECT_EQ(RunToEnd({"-w"}, "", second), 1) << second;

    Send(first, "AppQuit()\n");
    std::string rest;
    EXPECT_EQ(Finish(first, rest), 0) << rest;
    EXPECT_NE((seen + rest).find("another instance was started"), std::string::npos) << seen + rest;

    // "--multiapp" skips the check altogether.
    Running again = Start({"--console", "-w"});
    std::string multi;
    EXPECT_EQ(RunToEnd({"--multiapp", "--console", "-w"}, "AppQuit()\n", multi), 0) << multi;
    Send(again, "AppQuit()\n");
    std::string done;
    EXPECT_EQ(Finish(again, done), 0) << done;
}

TEST_F(ProgramTest, FailuresEndTheRunWithANonZeroCode)
{
    std::string output;
    EXPECT_NE(RunToEnd({"-w", "-f"}, "", output), 0);
    EXPECT_NE(output.find("Both fullscreen and windowed modes were specified on the command line."),
              std::string::npos)
        << output;
    output.clear();
    EXPECT_EQ(RunToEnd({"--console", "-w", "--bogus"}, "AppQuit()\n", output), 0) << output;
    EXPECT_NE(output.find("WARNING: Unknown command line switch ignored: --bogus"), std::string::npos);
}

TEST_F(ProgramTest, ScannersAndLoadersAreLoggedInOrder)
{
    std::string output;
    EXPECT_EQ(RunToEnd({"--console", "-w", "--log3"}, "AppQuit()\n", output), 0) << output;
    ExpectInOrder(output, {"Adding resource loader: SDL_Image image file loader\n",
                           "Adding resource scanner: Windows directory resource scanner for \"Site/\"\n",
                           "Adding resource scanner: Windows application resource scanner\n",
                           "Adding resource scanner: PhysicsFS resource scanner: \"WoppleQuest.qil\"\n",
                           "Loading script file: Script.lua\n", "Loading script file: Utility.lua\n",
                           "Loading script file: WoppleQuest_Const.cfg\n", "Loading script file: ResourceLoader.lua\n"});

    output.clear();
    EXPECT_EQ(RunToEnd({"--console", "-w", "--log3", "--noExeResources", "--nopkg"}, "AppQuit()\n", output), 0)
        << output;
    ExpectInOrder(output, {"scripts/engine/\"\n", "scripts/game/\"\n",
                           "Adding resource scanner: PhysicsFS resource scanner: \"data\"\n"});
}

TEST_F(ProgramTest, ResourceUsageIsReportedAndAMissingScriptEndsStartUp)
{
    // Run from a folder of our own, with the package beside it.
    fs::path work = root / "work";
    fs::create_directories(work);
    fs::copy_file(WOPPLE2_PATH, work / "Wopple2");
    fs::create_symlink(fs::path(WOPPLE2_PATH).parent_path() / "WoppleQuest.qil", work / "WoppleQuest.qil");
    std::string output;
    // Without the splash's loading ahead, which would load them all.
    Running r = StartProgram((work / "Wopple2").string(), {"--console", "-w", "--noprecache"});
    Send(r, "LogResourceUsage()\nAppQuit()\n");
    EXPECT_EQ(Finish(r, output), 0) << output;
    // Nothing but the splash was drawn, so the other pictures are not loaded and typed yet.
    std::string images = ReadFile(work / "ResourceUsage-RESOURCE_UNKNOWN.txt");
    EXPECT_EQ(images.rfind("Resource Name\tAcquire Count\n", 0), 0u) << images;
    EXPECT_NE(images.find("dlgSquare.png\t0\n"), std::string::npos) << images;
    EXPECT_NE(output.find("LogResourceUsage: "), std::string::npos);

    // A source tree without "Utility.lua": start-up stops with the missing name.
    fs::path tree = root / "tree";
    fs::create_directories(tree / "scripts" / "engine");
    fs::create_directories(tree / "scripts" / "game");
    fs::copy(fs::path(SOURCE_DIR) / "scripts" / "engine", tree / "scripts" / "engine");
    fs::copy(fs::path(SOURCE_DIR) / "scripts" / "game", tree / "scripts" / "game");
    fs::remove(tree / "scripts" / "engine" / "Utility.lua");
    {
        std::ofstream startup(work / "VelkStartup.lua");
        startup << "GlobalApp.engineSourceTreeBasePath = \"" << tree.string() << "/\"\n";
    }
    output.clear();
    Running broken = StartProgram((work / "Wopple2").string(), {"-w", "--noExeResources"});
    EXPECT_NE(Finish(broken, output), 0);
    EXPECT_NE(output.find("Could not find resource info with name = Utility.lua"), std::string::npos) << output;
}

TEST_F(ProgramTest, TheConsolePlaysSoundsAndMusic)
{
    std::string output;
    int code = RunToEnd({"--console", "-w", "--log3"},
                        "PlaySound('click.ogg')\nPlayMidi('Wopple.mid', 'Loop', 0)\nAppQuit()\n", output);
    EXPECT_EQ(code, 0) << output;
    ExpectInOrder(output, {"Adding resource loader: BASS sound file loader\n",
                           "Adding resource loader: DIRECTMUSIC sound file loader\n", "MusicSegment::Play Wopple.mid",
                           "Sound::Quit Finished"});
    EXPECT_EQ(output.find("WARNING: Couldn't play sound"), std::string::npos) << output;
}
