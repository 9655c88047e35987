#include "game/shell/WoppleApp.h"

#include "engine/core/Events.h"
#include "engine/core/Log.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/ui/ScreenManager.h"
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

} // namespace

WoppleApp::WoppleApp() : Application("WoppleQuest", "Wopple Vevev", AppCodeFromString("WPL2"), 800, 600)
{
    SetSiteConfigFile("site.cfg");
    TrySetWindowIcon(101);
}

void WoppleApp::InitEngine(int argc, const char* const* argv)
{
    Application::InitEngine(argc, argv);
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
    for (const char* file : {"WoppleAnimationScripts.lua", "WoppleSplashScreen.lua", "WoppleDialogs.lua", "WoppleHelp.lua"})
        VelkLuaState::DoResourceFile(GetLuaState(), file);
}

void WoppleApp::InitEventDataTypes()
{
    Application::InitEventDataTypes();
    int type = 57;
    for (const char* name : kGameEvents)
        SetEventDataType(name, type++, EVENTDATA_EVENT);
}

void WoppleApp::InitGame()
{
    Log(3, "WoppleApp::InitGame *****************\n");
    Application::InitGame();
    // Reads the cards too; reading them twice made two fresh players of a bad card.
    Log(3, "WoppleApp::LoadAllPlayerData *****************\n");
    GameDataIO::GetInstance()->LoadAllPlayerData(false);
    AddScreens();
    ScreenManager::GetInstance()->SwitchToScreen("SplashScreen");
}

void WoppleApp::AddScreens()
{
    ScreenManager::GetInstance()->AddScreen(new WoppleSplashScreen);
}
