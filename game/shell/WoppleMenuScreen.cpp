#include "game/shell/WoppleMenuScreen.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/DirectMusic.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/runtime/GameRecords.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/runtime/Utility.h"
#include "engine/ui/AmbientLoop.h"
#include "engine/ui/Button.h"
#include "engine/ui/CardView.h"
#include "engine/ui/CommonDialogs.h"
#include "engine/ui/Dialog.h"
#include "engine/ui/Label.h"
#include "engine/ui/NoteBubble.h"
#include "engine/ui/NoteManager.h"
#include "engine/ui/ScreenManager.h"
#include "engine/ui/TopRecordsView.h"
#include "game/rules/WoppleGameLogic.h"
#include "game/shell/SetupNewPlayerWizard.h"
#include "game/shell/WoppleGameStart.h"
#include "game/shell/WopplePlayer.h"
#include "game/shell/WoppleScoreRecords.h"
#include "game/shell/WoppleScreenStates.h"

#include <SDL.h>
#include <boost/format.hpp>

namespace {

// The help tour's section in "WoppleHelp.lua".
const char* const kHelpSection = "MenuScreen";
// The card template the choose-player dialog lays its cards out with.
const char* const kCardTemplate = "DefaultWoppleCardView";

Player* CurrentPlayer()
{
    PlayerManager* players = PlayerManager::GetInstance();
    return players ? players->GetCurrentPlayer(1) : nullptr;
}

void SaveAllPlayers()
{
    if (GameDataIO* io = GameDataIO::GetInstance())
        io->SaveAllPlayerData();
}

CommonDialogLibrary* Dialogs()
{
    Application* app = Application::GetInstance();
    return app ? app->GetCommonDialogs() : nullptr;
}

int QuestLevelCount()
{
    int count = 0;
    for (LuaTableIterator it(ObjectLuaState().GetGlobal("WoppleQuestLevels")); it; ++it)
        ++count;
    return count;
}

void SetGameMode(const char* mode)
{
    if (Player* player = CurrentPlayer())
        player->GetOptionsTable().SetString("game.mode", mode);
}

class MenuState : public State
{
public:
    MenuState(WoppleMenuScreen& screen, const char* name) : m_Screen(screen), m_Name(name) {}
    std::string GetName() const override { return m_Name; }

protected:
    void StartDialog(Dialog* dialog)
    {
        if (dialog)
            m_Screen.StartDialog(dialog, false);
    }
    static Dialog* StoppedDialog(const EventRecord& event) { return static_cast<Dialog*>(event.user.data1); }
    static std::string StoppedName(const EventRecord& event)
    {
        Dialog* dialog = StoppedDialog(event);
        return dialog ? dialog->GetName() : std::string();
    }

    WoppleMenuScreen& m_Screen;
    const char* m_Name;
};

class ChoosingPlayer : public MenuState
{
public:
    explicit ChoosingPlayer(WoppleMenuScreen& s) : MenuState(s, "ChoosingPlayer") {}
    void OnEnterState() override
    {
        if (CommonDialogLibrary* dialogs = Dialogs())
            StartDialog(dialogs->CreateChooseActivePlayerDialog(kCardTemplate, 2));
    }
    bool OnDialogStopped(const EventRecord& event) override
    {
        const std::string name = StoppedName(event);
        if (name == "ChooseActivePlayerDialog") {
            m_Screen.SetState("Normal");
            return true;
        }
        if (name == "SetupNewPlayerWizard" || name == "EnterNameDialog") {
            m_Screen.ApplyNewPlayerName(StoppedDialog(event));
            return true;
        }
        return false;
    }
};

class EnteringPlayerName : public MenuState
{
public:
    explicit EnteringPlayerName(WoppleMenuScreen& s) : MenuState(s, "EnteringPlayerName") {}
    void OnEnterState() override
    {
        if (CommonDialogLibrary* dialogs = Dialogs())
            StartDialog(dialogs->CreateEnterNameDialog(""));
    }
    bool OnDialogStopped(const EventRecord& event) override
    {
        m_Screen.ApplyNewPlayerName(StoppedDialog(event));
        m_Screen.SetState("Normal");
        return true;
    }
};

class Inactive : public MenuState
{
public:
    explicit Inactive(WoppleMenuScreen& s) : MenuState(s, "Inactive") {}
    void OnEnterState() override
    {
        if (AmbientLoop* loop = m_Screen.GetAmbientLoop())
            loop->SetPlaying(false);
        if (NoteManager* notes = m_Screen.GetNoteManager())
            notes->DestroyNoteBubble();
    }
};

} // namespace

class WoppleMenuNormal : public MenuState
{
public:
    explicit WoppleMenuNormal(WoppleMenuScreen& s) : MenuState(s, "Normal") {}
    void OnEnterState() override { m_Screen.EnterNormal(); }
    bool OnButtonClick(const EventRecord& event) override { return m_Screen.OnNormalButtonClick(event); }
    bool OnCardClick(const EventRecord&) override
    {
        m_Screen.SetState("ChoosingPlayer");
        return true;
    }
    bool OnKeyDown(const EventRecord& event) override { return m_Screen.OnNormalKeyDown(event); }
};

namespace {

class QuittingApp : public MenuState
{
public:
    explicit QuittingApp(WoppleMenuScreen& s) : MenuState(s, "QuittingApp") {}
    void OnEnterState() override
    {
        if (Application* app = Application::GetInstance())
            app->Quit();
    }
};

} // namespace

WoppleMenuScreen::WoppleMenuScreen() : WoppleScreen("bg_menu.jpg", "MenuScreen")
{
    ApplyNamedResource("WoppleMenuScreen");
    m_TopRecords = dynamic_cast<TopRecordsView*>(FindChild("topRecordsView", true));
    VELK_ASSERT_MSG(m_TopRecords != nullptr, "m_TopRecords");
    for (int i = 0; i < kRecordRows; ++i)
        m_TopRecords->AddRecordContainer(Rect(14, 150 + 22 * i, 210, 19));
    m_ListLevel = 0;
    ShowTopList();

    m_CardView = dynamic_cast<CardView*>(FindChild("cardView", true));
    if (m_CardView)
        m_CardView->AddToGroup(this);
    for (const char* name : {"changePlayerButton", "optionsButton", "helpButton", "playClassicButton",
                             "playQuestButton", "myStampsButton", "quitButton", "pickLevelButton", "leftArrow",
                             "rightArrow", "changeList"})
        if (Actor* child = FindChild(name, true))
            child->AddToGroup(this);
    m_AmbientLoop = dynamic_cast<AmbientLoop*>(FindChild("ambientLoop", true));

    AddState(new ChoosingPlayer(*this), false);
    AddState(new EnteringPlayerName(*this), false);
    AddState(new Inactive(*this), false);
    AddState(new WoppleMenuNormal(*this), false);
    AddState(new WoppleScreenStates::ShowingOptions(*this), false);
    AddState(new WoppleScreenStates::ShowingHelp(*this, kHelpSection), false);
    AddState(new QuittingApp(*this), false);
    SetState("Inactive");
}

bool WoppleMenuScreen::OnEvent(const EventRecord& event)
{
    if (event.type == SDL_KEYDOWN && IsOnlyCtrlAltPressed(event.key.keysym.mod) && GetState() &&
        GetState()->OnEvent(event))
        return true;
    return WoppleScreen::OnEvent(event);
}

bool WoppleMenuScreen::OnScreenTransition(Event* event)
{
    auto* transition = dynamic_cast<ScreenTransitionEvent*>(event);
    if (transition && transition->kind == 1) {
        if (transition->newScreen == this) {
            LogWrite("OnScreenTransition -> WoppleMenuScreen\n");
            SetState("Normal");
        } else if (transition->oldScreen == this) {
            SetState("Inactive");
        }
    }
    return WoppleScreen::OnScreenTransition(event);
}

void WoppleMenuScreen::ShowTopList()
{
    auto* label = dynamic_cast<Label*>(m_TopRecords->FindChild("viewLabel", true));
    if (m_ListLevel != 0) {
        m_TopRecords->ShowList((boost::format("Top %1% Scores for Level %2%") % "Vevev" % m_ListLevel).str());
        LuaObject level = ObjectLuaState().GetGlobal("WoppleQuestLevels")[m_ListLevel];
        if (label && level.IsTable())
            label->SetText(PlainLabelText(level["mapName"].GetString()), true);
    } else {
        m_TopRecords->ShowList((boost::format("Top %1% Scores") % "Classic").str());
        if (label)
            label->SetText("Classic Mode", true);
    }
    m_TopRecords->Refresh();
    FitRowsToContainers();
}

void WoppleMenuScreen::FitRowsToContainers()
{
    // The rows are made for a wider board: each takes its container's size, so the scores stay on it.
    for (RecordContainer* container : m_TopRecords->GetRecordContainers()) {
        const Rect box = container->GetLocalRect();
        for (Actor* row : container->GetChildren())
            row->SetSize(box.w, box.h);
    }
}

void WoppleMenuScreen::StepList(bool forward)
{
    const int count = QuestLevelCount();
    auto* player = dynamic_cast<WopplePlayer*>(CurrentPlayer());
    auto step = [&] {
        m_ListLevel += forward ? 1 : -1;
        if (m_ListLevel > count)
            m_ListLevel = 0;
        else if (m_ListLevel < 0)
            m_ListLevel = count;
    };
    step();
    // At most one round: the classic list always ends it.
    while (m_ListLevel != 0 && !(player && player->HasPlayedLevel(m_ListLevel)))
        step();
    ShowTopList();
}

void WoppleMenuScreen::ApplyNewPlayerName(Dialog* dialog)
{
    Player* player = CurrentPlayer();
    const std::string button = dialog ? dialog->GetResultButtonName() : std::string();
    if (player) {
        LuaObject table = player->GetTable();
        const std::string fallback = (boost::format("Player %1%") % player->GetIndex()).str();
        if (button == "OkayButton" || button == "PlayButton") {
            std::string name;
            if (auto* wizard = dynamic_cast<SetupNewPlayerWizard*>(dialog))
                name = wizard->GetText("TextBox");
            else if (auto* entry = dynamic_cast<EnterNameDialog*>(dialog))
                name = entry->GetEnteredName();
            table.SetString("Name", name.empty() ? fallback : name);
            SaveAllPlayers();
        } else if (button == "CancelButton") {
            if (!table["Name"].IsString() || table["Name"].GetString().empty())
                table.SetString("Name", fallback);
        }
    }
    if (Application* app = Application::GetInstance()) {
        app->PostEvent(nullptr, MakeEventRecord(VELK_PLAYERCHANGE));
        app->PostEvent(nullptr, MakeEventRecord(VELK_HIGHSCORESUPDATED));
    }
}

void WoppleMenuScreen::EnterNormal()
{
    Player* player = CurrentPlayer();
    if (m_CardView) {
        m_CardView->SetPlayer(player);
        if (m_CardView->IsEmptySlot())
            SetState("EnteringPlayerName");
    }
    m_ListLevel = 0;
    if (player) {
        LuaObject last = player->GetGameModeTable(WopplePlayer::kQuestMode)["lastPlayedLevel"];
        if (last.IsInteger())
            m_ListLevel = last.GetInteger();
        // A level the lists do not know would fail the look-up: the classic list then.
        if (m_ListLevel < 0 || m_ListLevel > QuestLevelCount())
            m_ListLevel = 0;
    }
    ShowTopList();
    if (m_AmbientLoop)
        m_AmbientLoop->SetPlaying(true);
    if (DirectMusic* music = DirectMusic::GetInstance())
        music->LoopMidi("Wopple.mid", "Loop");
    if (player) {
        LuaObject options = player->GetOptionsTable();
        LuaObject stats = options["MenuScreenStats"];
        if (!stats.IsTable())
            stats = options.CreateTable("MenuScreenStats");
        LuaObject seen = stats["seenHelpBlink"];
        if (!(seen.IsBoolean() && seen.GetBoolean())) {
            if (auto* help = dynamic_cast<Button*>(FindChild("helpButton", true)))
                help->SetBlink(true, Colors::Green);
            stats.SetBoolean("seenHelpBlink", true);
            SaveAllPlayers();
        }
    }
}

bool WoppleMenuScreen::HasScreen(const std::string& name)
{
    ScreenManager* screens = ScreenManager::GetInstance();
    if (!screens)
        return false;
    for (Screen* screen : screens->GetScreens())
        if (screen->GetName() == name)
            return true;
    return false;
}

void WoppleMenuScreen::ShowNotYet(Actor* button, const std::string& what)
{
    LogWrite("WARNING: WoppleMenuScreen: %s is not in this build yet.\n", what.c_str());
    NoteManager* notes = GetNoteManager();
    if (!notes || !button)
        return;
    const Rect box = button->GetGlobalRect();
    notes->ShowNoteBubble(what + " is coming soon!", box.x + box.w / 2, box.y, NoteBubble::ARROW_BELOW, 3000, "White");
}

bool WoppleMenuScreen::OnNormalButtonClick(const EventRecord& event)
{
    auto* button = static_cast<Actor*>(event.user.data1);
    const std::string name = button ? button->GetName() : std::string();
    if (name == "changePlayerButton") {
        SetState("ChoosingPlayer");
    } else if (name == "optionsButton") {
        SetState("ShowingOptions");
    } else if (name == "helpButton") {
        ToggleScreenHelp(kHelpSection);
    } else if (name == "playClassicButton") {
        SetGameMode("Classic");
        if (!StartClassicGame())
            ShowNotYet(button, "The Classic game");
    } else if (name == "playQuestButton") {
        SetGameMode("Vevev");
        WoppleGameLogic::GoToScreen("MapScreen");
    } else if (name == "quitButton") {
        SetState("QuittingApp");
    } else if (name == "myStampsButton") {
        ScreenManager::GetInstance()->SwitchToScreen("AwardScreen");
    } else if (name == "leftArrow") {
        StepList(false);
    } else if (name == "rightArrow" || name == "changeList") {
        StepList(true);
    } else {
        return OnButtonClick(event);
    }
    return true;
}

bool WoppleMenuScreen::OnNormalKeyDown(const EventRecord& event)
{
    const int modifiers = event.key.keysym.mod;
    const int key = event.key.keysym.sym;
    if (key == SDLK_s) {
        // A developer key: only with Ctrl+Alt and nothing else, so a plain "s" stays the stamps' shortcut.
        if (!IsOnlyCtrlAltPressed(modifiers))
            return false;
        MakeCheaterRecord();
        return true;
    }
    if (key == SDLK_SPACE && !IsOnlyCtrlAltPressed(modifiers)) {
        SetGameMode("Vevev");
        StartQuestGameAtLevel(GetCurrentQuestLevel());
        return false;
    }
    return false;
}

void WoppleMenuScreen::MakeCheaterRecord()
{
    Player* player = CurrentPlayer();
    if (!player)
        return;
    MakeWoppleScoreRecord(player, RandomInt(1000), "Cheater", 0).NotifyObservers();
    m_TopRecords->Refresh();
    FitRowsToContainers();
    SaveAllPlayers();
}
