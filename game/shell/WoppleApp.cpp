#include "game/shell/WoppleApp.h"

#include "engine/core/Events.h"
#include "engine/core/Log.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/ui/Screen.h"
#include "engine/ui/ScreenManager.h"
#include "engine/core/Exception.h"
#include "game/rules/WoppleGameLogicManager.h"
#include "game/shell/WoppleAwardScreen.h"
#include "game/shell/WoppleDialogLibrary.h"
#include "game/shell/WoppleGameScreen.h"
#include "game/shell/WoppleMapScreen.h"
#include "game/shell/WoppleScoreRecords.h"
#include "game/shell/WoppleMenuScreen.h"
#include "game/shell/WoppleSplashScreen.h"

namespace {

// The game's events, by number from 57, each carrying a counted Event.
const char* const kGameEvents[] = {
    "WOPPLE_BLASTCELLCLICK",
    "WOPPLE_BLASTWHEELFINISHED",
    "WOPPLE_BOARDNUMBERSGENERATED",
    "WOPPLE_CELLCLICK",
    "WOPPLE_COUNTDOWNFINISHED",
    "WOPPLE_LEVELCOMPLETED",
    "WOPPLE_PARTICIPANTACTION",
    "WOPPLE_PATTERNCOMPLETIONANIMATIONFINISHED",
    "WOPPLE_WOPPLEANIMATIONFINISHED",
    "WOPPLE_SUPERWOPPLEANIMATIONFINISHED",
    "WOPPLE_TREASUREBOXANIMATIONFINISHED",
    "WOPPLE_WHEELANIMATIONUPDATE",
    "WOPPLE_CELLENTER",
    "WOPPLE_CELLLEAVE",
    "WOPPLE_MAKEMATCH",
    "WOPPLE_WOPPLEREVERSEANIMATIONFINISHED",
    "WOPPLE_MATCHQUEUED",
    "WOPPLE_MATCHQUEUEEMPTY",
};

// The game's scripts, in the order they run: a script may use what an earlier
// one defined.
const char* const kGameScripts[] = {
    "WoppleColors.lua",
    "CocoDropButton.lua",
    "Experimental.lua",
    "MiscTemplates.lua",
    "WoppleAIParticipantLogic.lua",
    "WoppleAnimationResources.lua",
    "WoppleAnimationScripts.lua",
    "WoppleBaseLayouts.lua",
    "WoppleBlastScreenLayout.lua",
    "WoppleBoardResources.lua",
    "WoppleBonusSquares.lua",
    "WoppleAwardScreen.lua",
    "WoppleCardView.lua",
    "WoppleCellAnimations.lua",
    "WoppleCharacter.lua",
    "WoppleClassicScreenLayout.lua",
    "WoppleDialogs.lua",
    "WoppleFonts.lua",
    "WoppleIslands.lua",
    "WoppleMapScreen.lua",
    "WoppleMenuScreen.lua",
    "WoppleMultiBoardCellConnections.lua",
    "WoppleMultiBoardLayouts.lua",
    "WoppleNoteManager.lua",
    "WopplePatterns.lua",
    "WopplePatternsScreenLayout.lua",
    "WopplePiratesFortuneScreenLayout.lua",
    "WoppleQuestLevels.lua",
    "WoppleSevenBySevenScreenLayout.lua",
    "WoppleSplashScreen.lua",
    "WoppleTreasureBox.lua",
    "WoppleWheelResources.lua",
    "WoppleParticles.lua",
    "ComboMeter.lua",
    "WopplePowerupView.lua",
};

const char* const kFirstScreen = "SplashScreen";

} // namespace

WoppleApp::WoppleApp() : Application("WoppleQuest", "Wopple Vevev", AppCodeFromString("WPL2"), 800, 600)
{
    SetSiteConfigFile("site.cfg");
    TrySetWindowIcon(101);
}

void WoppleApp::InitEngine(int argc, const char* const* argv)
{
    // Before the engine starts, or it makes the engine's own library.
    SetCommonDialogs(new WoppleDialogLibrary());
    Application::InitEngine(argc, argv);
    PlayerManager::GetInstance()->SetPlayerClass("WopplePlayer");
}

void WoppleApp::SetConfigDefaults()
{
    Application::SetConfigDefaults();
    ApplyStringProperty("appDirectoryInSourceTree", "Wopple2");
    ApplyBoolProperty("alwaysGetSuperJoker", false);
}

void WoppleApp::LoadScripts()
{
    Application::LoadScripts();
    VelkLuaState::DoResourceFile(GetLuaState(), "Credits.lua");
    for (const char* script : kGameScripts)
        VelkLuaState::DoResourceFile(GetLuaState(), script);
    LoadWoppleProgressScripts(GetLuaState());
    // The tours and tips of the screens' help.
    VelkLuaState::DoResourceFile(GetLuaState(), "WoppleHelp.lua");
    // Last, so that its texts win over any a script set.
    VelkLuaState::DoResourceFile(GetLuaState(), "English.strings");
}

void WoppleApp::InitEventDataTypes()
{
    Application::InitEventDataTypes();
    int type = 57;
    for (const char* name : kGameEvents)
        SetEventDataType(name, type++, EVENTDATA_EVENT);
}

WoppleGameLogicManager* WoppleApp::CreateGameLogicManager()
{
    if (m_GameLogicManager)
        VELK_THROW(Exception,
                   AssertionText("m_GameLogicManager == 0",
                                 "WoppleApp::CreateGameLogicManager() cannot be called when an instance of "
                                 "WoppleGameLogicManager has already been set (as the master copy, via "
                                 "WoppleApp::CreateGameLogicManager()."));
    m_GameLogicManager = new WoppleGameLogicManager();
    return m_GameLogicManager;
}

void WoppleApp::ForgetGameLogicManager(const WoppleGameLogic* logic)
{
    if (logic && logic == m_GameLogicManager)
        m_GameLogicManager = nullptr;
}

void WoppleApp::InitGame()
{
    Log(3, "WoppleApp::InitGame *****************\n");
    Application::InitGame();
    // The lists come before the cards: the records on the cards reach them as they are read.
    Log(3, "WoppleApp::LoadGameData *****************\n");
    CreateTopRecordsLists();
    AddScreens();
    // Reads the cards too; reading them twice made two fresh players of a bad card.
    Log(3, "WoppleApp::LoadAllPlayerData *****************\n");
    GameDataIO::GetInstance()->LoadAllPlayerData(false);
    CreateDefaultHighScores();
    SwitchToFirstScreen();
}

void WoppleApp::AddScreens()
{
    Log(3, "WoppleApp::AddScreens *****************\n");
    // In this order: splash, menu, game, map, award; each screen is added here
    // as it is built.
    ScreenManager::GetInstance()->AddScreen(new WoppleSplashScreen);
    ScreenManager::GetInstance()->AddScreen(new WoppleMenuScreen);
    ScreenManager::GetInstance()->AddScreen(new WoppleGameScreen);
    ScreenManager::GetInstance()->AddScreen(new WoppleMapScreen);
    ScreenManager::GetInstance()->AddScreen(new WoppleAwardScreen);
}

void WoppleApp::SwitchToFirstScreen()
{
    ScreenManager* screens = ScreenManager::GetInstance();
    if (!screens)
        return;
    for (Screen* screen : screens->GetScreens()) {
        if (screen->GetName() == kFirstScreen) {
            screens->SwitchToScreen(kFirstScreen);
            return;
        }
    }
    Log(2, "WoppleApp: no screen \"%s\" to start on; the window stays empty.\n", kFirstScreen);
}

void WoppleApp::CreateTopRecordsLists()
{
    AddWoppleTopRecordsLists(*TopRecordsManager::GetInstance(), GetLuaState());
}

void WoppleApp::CreateDefaultHighScores()
{
    SeedWoppleDefaultHighScores(*PlayerManager::GetInstance(), GetLuaState());
}
