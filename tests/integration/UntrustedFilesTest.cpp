// The real program with files it did not write itself: player cards with
// hostile names or broken text, start-up scripts in places that are not the
// program's own folder, and settings that cannot be saved.

#include "ProgramFixture.h"

namespace {

void WriteText(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

int Count(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

std::string Card(int guid, const std::string& name)
{
    return "Player { guid = " + std::to_string(guid) + ", Name = [[" + name +
           "]], Options = {}, Game_Modes = {} }\n";
}

} // namespace

TEST_F(ProgramTest, HostileNamesOnCardsAreShownAsTyped)
{
    const fs::path cards = Documents() / "Player Cards";
    const fs::path marker = root / "serialized";
    WriteText(cards / "Player1.card", Card(4001, "|AppQuit()|"));
    WriteText(cards / "Player2.card", Card(4002, "|Do_Serialize({}, \"" + marker.string() + "\")|"));
    WriteText(cards / "Player3.card", Card(4003, "|string.rep(\"x\", 2^30)|"));

    // Each list title beside a label of the test's own, the pipes doubled by hand.
    const std::string literals[] = {
        "||AppQuit()||",
        "||Do_Serialize({}, \"" + marker.string() + "\")||",
        "||string.rep(\"x\", 2^30)||",
    };
    std::string input;
    for (int i = 1; i <= 3; ++i)
        input += "local shown = CreateObject({ class = 'Label', text = GetPlayerHighScores(" + std::to_string(i) +
                 ").name }) local literal = CreateObject({ class = 'Label', text = [[" + literals[i - 1] +
                 "]] .. \"'s Top Scores\" }) print('title " + std::to_string(i) +
                 " ' .. tostring(shown.size.x == literal.size.x and shown.size.x > 150)) shown:Destroy() "
                 "literal:Destroy()\n";
    input += "print('still running')\nAppQuit()\n";
    std::string output;
    EXPECT_EQ(RunToEnd({"--console", "-w"}, input, output), 0) << output;
    EXPECT_NE(output.find("title 1 true\n"), std::string::npos) << output;
    EXPECT_NE(output.find("title 2 true\n"), std::string::npos) << output;
    EXPECT_NE(output.find("title 3 true\n"), std::string::npos) << output;
    EXPECT_NE(output.find("still running\n"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(marker));
    // The names go back onto the cards as they were.
    EXPECT_NE(ReadFile(cards / "Player1.card").find("Name = \"|AppQuit()|\""), std::string::npos);
}

TEST_F(ProgramTest, ABadCardIsReadOnceAndGivesOneFreshPlayer)
{
    const fs::path cards = Documents() / "Player Cards";
    WriteText(cards / "Player1.card", Card(4001, "Ann"));
    WriteText(cards / "Player2.card", "Player {");
    std::string output;
    EXPECT_EQ(RunToEnd({"--console", "-w"}, "print('players ' .. table.getn(Players))\nAppQuit()\n", output), 0)
        << output;
    EXPECT_EQ(Count(output, "Couldn't load player 2,"), 1) << output;
    EXPECT_EQ(Count(output, "WARNING: Could not load"), 1) << output;
    EXPECT_NE(output.find("players 4\n"), std::string::npos) << output;
    EXPECT_EQ(ReadFile(cards / "Player2.card.bad"), "Player {");
    EXPECT_FALSE(fs::exists(cards / "Player2.card.bad.2"));
    EXPECT_NE(ReadFile(cards / "Player1.card").find("Name = \"Ann\""), std::string::npos);
}

TEST_F(ProgramTest, StartUpScriptsComeOnlyFromTheProgramsOwnFolder)
{
    const fs::path package = fs::path(WOPPLE2_PATH).parent_path() / "WoppleQuest.qil";
    auto plant = [&](const fs::path& folder, const std::string& mark) {
        WriteText(folder / "VelkStartup.lua", "io.open([[" + (root / mark).string() + "]], 'w'):close()\n");
    };
    // The current folder, the program started by a bare name.
    const fs::path current = root / "current";
    plant(current, "from-current");
    // Beside a link to the program.
    const fs::path linked = root / "linked";
    plant(linked, "from-link");
    fs::create_symlink(WOPPLE2_PATH, linked / "Wopple2");
    fs::create_symlink(package, linked / "WoppleQuest.qil");
    // Beside a copy of the program: its own folder.
    const fs::path copied = root / "copied";
    plant(copied, "from-copy");
    fs::copy_file(WOPPLE2_PATH, copied / "Wopple2");
    fs::create_symlink(package, copied / "WoppleQuest.qil");

    std::string output;
    Running bare = StartProgram(WOPPLE2_PATH, {"--console", "-w"}, current.string(), "Wopple2");
    Send(bare, "AppQuit()\n");
    EXPECT_EQ(Finish(bare, output), 0) << output;
    for (const fs::path& program : {linked / "Wopple2", copied / "Wopple2"}) {
        output.clear();
        Running r = StartProgram(program.string(), {"--console", "-w"});
        Send(r, "AppQuit()\n");
        EXPECT_EQ(Finish(r, output), 0) << program << output;
    }
    EXPECT_FALSE(fs::exists(root / "from-current"));
    EXPECT_FALSE(fs::exists(root / "from-link"));
    EXPECT_TRUE(fs::exists(root / "from-copy"));
}

TEST_F(ProgramTest, ASettingThatCannotBeSavedIsLeftOutAtQuit)
{
    std::string output;
    int code = RunToEnd({"--console", "-w"},
                        "Config.music_volume = 12\nConfig.task = coroutine.create(function() end)\n"
                        "local t = {} t.t = t Config.loop = t\nAppQuit()\n",
                        output);
    EXPECT_EQ(code, 0) << output;
    EXPECT_NE(output.find("WARNING: The setting \"task\" cannot be saved and was left out: "), std::string::npos)
        << output;
    EXPECT_NE(output.find("WARNING: The setting \"loop\" cannot be saved and was left out: "), std::string::npos);
    std::string config = ReadFile(ConfigFile());
    EXPECT_NE(config.find("    music_volume = 12,\n"), std::string::npos) << config;
    EXPECT_NE(config.find("    full_screen = false,\n"), std::string::npos) << config;
    EXPECT_EQ(config.find("task"), std::string::npos) << config;
}
