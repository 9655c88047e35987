// The game's own start-up: its scripts, its events and its first screen.

#include "ProgramFixture.h"

TEST_F(ProgramTest, TheGameStartsWithItsScriptsInOrderAndItsEighteenEvents)
{
    std::string output;
    const std::string console =
        "for type = 56, 75 do logprint(string.format('EVENT %d %s\\n', type, NameOfEvent(type))) end\n"
        "logprint('LEVELCOMPLETED IS ' .. TypeOfEvent('WOPPLE_LEVELCOMPLETED') .. '\\n')\n"
        "logprint(string.format('LEVELS %d BONUS FROM %d\\n', table.getn(WoppleQuestLevels), BonusLevelsStartAt))\n"
        "for _, name in ipairs({'WoppleScreen', 'WopplePlayer', 'GameRecordRow', 'WoppleScoreRow', 'WoppleHelpDialog', "
        "'WoppleBigHelpDialog', 'WoppleGameCompleteDialog'}) do "
        "logprint('CLASS ' .. name .. ' ' .. tostring(Classes[name] ~= nil) .. '\\n') end\n"
        "AppQuit()\n";
    ASSERT_EQ(RunToEnd({"--console", "-w", "--log3"}, console, output), 0) << output;

    // After the engine's scripts and the credits, the game's in their order; the texts last.
    std::vector<std::string> scripts = {"Loading script file: Player.lua\n", "Loading script file: Credits.lua\n"};
    for (const char* name :
         {"WoppleColors.lua", "CocoDropButton.lua", "Experimental.lua", "MiscTemplates.lua",
          "WoppleAIParticipantLogic.lua", "WoppleAnimationResources.lua", "WoppleAnimationScripts.lua",
          "WoppleBaseLayouts.lua", "WoppleBlastScreenLayout.lua", "WoppleBoardResources.lua",
          "WoppleBonusSquares.lua", "WoppleAwardScreen.lua", "WoppleCellAnimations.lua", "WoppleCharacter.lua",
          "WoppleClassicScreenLayout.lua", "WoppleDialogs.lua", "WoppleFonts.lua", "WoppleMapScreen.lua",
          "WoppleMenuScreen.lua", "WoppleMultiBoardCellConnections.lua", "WoppleMultiBoardLayouts.lua",
          "WoppleNoteManager.lua", "WopplePatterns.lua", "WopplePatternsScreenLayout.lua",
          "WopplePiratesFortuneScreenLayout.lua", "WoppleQuestLevels.lua", "WoppleSevenBySevenScreenLayout.lua",
          "WoppleSplashScreen.lua", "WoppleTreasureBox.lua", "WoppleWheelResources.lua", "WoppleParticles.lua",
          "ComboMeter.lua", "WopplePowerupView.lua", "English.strings"})
        scripts.push_back(std::string("Loading script file: ") + name + "\n");
    ExpectInOrder(output, scripts);

    // 57 to 74, and nothing on either side of them.
    ExpectInOrder(output, {"EVENT 56 UNKNOWN\n",
                           "EVENT 57 WOPPLE_BLASTCELLCLICK\n",
                           "EVENT 58 WOPPLE_BLASTWHEELFINISHED\n",
                           "EVENT 59 WOPPLE_BOARDNUMBERSGENERATED\n",
                           "EVENT 60 WOPPLE_CELLCLICK\n",
                           "EVENT 61 WOPPLE_COUNTDOWNFINISHED\n",
                           "EVENT 62 WOPPLE_LEVELCOMPLETED\n",
                           "EVENT 63 WOPPLE_PARTICIPANTACTION\n",
                           "EVENT 64 WOPPLE_PATTERNCOMPLETIONANIMATIONFINISHED\n",
                           "EVENT 65 WOPPLE_WOPPLEANIMATIONFINISHED\n",
                           "EVENT 66 WOPPLE_SUPERWOPPLEANIMATIONFINISHED\n",
                           "EVENT 67 WOPPLE_TREASUREBOXANIMATIONFINISHED\n",
                           "EVENT 68 WOPPLE_WHEELANIMATIONUPDATE\n",
                           "EVENT 69 WOPPLE_CELLENTER\n",
                           "EVENT 70 WOPPLE_CELLLEAVE\n",
                           "EVENT 71 WOPPLE_MAKEMATCH\n",
                           "EVENT 72 WOPPLE_WOPPLEREVERSEANIMATIONFINISHED\n",
                           "EVENT 73 WOPPLE_MATCHQUEUED\n",
                           "EVENT 74 WOPPLE_MATCHQUEUEEMPTY\n",
                           "EVENT 75 UNKNOWN\n",
                           "LEVELCOMPLETED IS 62\n",
                           "LEVELS 60 BONUS FROM 51\n",
                           "CLASS WoppleScreen true\n",
                           "CLASS WopplePlayer true\n",
                           "CLASS GameRecordRow true\n",
                           "CLASS WoppleScoreRow true\n",
                           "CLASS WoppleHelpDialog true\n",
                           "CLASS WoppleBigHelpDialog true\n",
                           "CLASS WoppleGameCompleteDialog true\n"});

    // The game's start-up steps, the screens before the cards.
    ExpectInOrder(output, {"WoppleApp::InitGame *****************\n", "WoppleApp::AddScreens *****************\n",
                           "WoppleApp::LoadAllPlayerData *****************\n"});
}
