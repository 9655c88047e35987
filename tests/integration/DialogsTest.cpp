// The real program's dialogs, driven from the console: each common dialog
// opens on the current screen, the credits come with the game's pages, and a
// screenshot of one lands where it was asked for.

#include "ProgramFixture.h"

TEST_F(ProgramTest, TheConsoleOpensEveryCommonDialogOnTheCurrentScreen)
{
    const fs::path shot = root / "credits.bmp";
    std::string output;
    const std::string input =
        "Screens.Plain = CreateObject{ class = 'Screen', name = 'Plain' }\n"
        "SwitchToScreen('Plain')\n"
        "for _, kind in ipairs{ 'Options', 'EnterName', 'LoadSavedGame', 'AreYouSureQuit' } do "
        "logprint('OPENED ' .. StartCommonDialog(kind).name .. '\\n') end\n"
        "credits = StartCommonDialog('Credits')\n"
        "logprint('PAGES ' .. table.getn(credits.pages) .. ' ' .. tostring(credits:FindChild('frog', true) ~= nil) .. '\\n')\n"
        "logprint('CHOOSER ' .. tostring(StartCommonDialog('ChooseActivePlayer', 'DefaultWoppleCardView', 2)) .. '\\n')\n"
        "SaveScreenshot('" + shot.string() + "')\n"
        "logprint('WAITED\\n')\n"
        "AppQuit()\n";
    int code = RunToEnd({"--console", "-w", "--log2"}, input, output);
    EXPECT_EQ(code, 0) << output;
    ExpectInOrder(output, {
                              "DIALOG START: screen=Plain ; dialog=OptionsDialog\n",
                              "OPENED OptionsDialog\n",
                              "OPENED SetupNewPlayerWizard\n",
                              "OPENED LoadSavedGameDialog\n",
                              "OPENED QuitDialog\n",
                              "DIALOG START: screen=Plain ; dialog=CreditsDialog\n",
                              "PAGES 3 true\n",
                              "Screenshot successfully saved to \"" + shot.string() + "\".\n",
                          });
    EXPECT_TRUE(fs::is_regular_file(shot));
    EXPECT_GT(fs::file_size(shot), 800u * 600u * 3u);
}
