#include "game/shell/WoppleMapScreen.h"

#include "engine/core/Class.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/core/TimerManager.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/DirectMusic.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/runtime/Sound.h"
#include "engine/runtime/Utility.h"
#include "engine/ui/Button.h"
#include "engine/ui/CommonDialogs.h"
#include "engine/ui/Dialog.h"
#include "engine/ui/Label.h"
#include "engine/ui/LinearFader.h"
#include "engine/ui/NoteManager.h"
#include "engine/ui/ScreenManager.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"
#include "game/rules/WoppleState.h"
#include "game/shell/WoppleDialogs.h"
#include "game/shell/WoppleEndLevelDialog.h"
#include "game/shell/WoppleGameStart.h"
#include "game/shell/WopplePlayer.h"

#include <SDL.h>
#include <boost/format.hpp>

#include <algorithm>

namespace {

// The help tour's section in "WoppleHelp.lua".
const char* const kHelpSection = "MapScreen";
const char* const kStarBlink = "StarBlink";

WopplePlayer* CurrentPlayer()
{
    PlayerManager* players = PlayerManager::GetInstance();
    return players ? dynamic_cast<WopplePlayer*>(players->GetCurrentPlayer(1)) : nullptr;
}

// The table of the player's current game mode, which the map keeps on "Vevev".
LuaObject ModeTable()
{
    WopplePlayer* player = CurrentPlayer();
    VELK_ASSERT_MSG(player != nullptr, "There is no current player.");
    return player->GetGameModeTable("");
}

LuaObject SubTable(LuaObject parent, const char* key)
{
    LuaObject table = parent[key];
    return table.IsTable() ? table : parent.CreateTable(key);
}

bool IsTrue(const LuaObject& value) { return value.IsBoolean() && value.GetBoolean(); }

// A picture the data lacks leaves the actor as it was, with a warning: the map stays usable.
void ShowPicture(Actor& actor, const std::string& name)
{
    try {
        actor.SetImageFromName(name);
    } catch (const Exception& e) {
        LogWrite("WARNING: WoppleMapScreen: %s\n", e.GetMessage().c_str());
    }
}

LuaObject Islands()
{
    LuaObject optionalTable = ObjectLuaState().GetGlobal("Resources")["WoppleIslands"];
    if (!optionalTable.IsTable())
        VELK_THROW(Exception, AssertionText("optionalTable"));
    return optionalTable;
}

int IslandCount(const LuaObject& islands) { return islands.GetN(); }

// "islandLevels" of the island as numbers, in list order.
std::vector<int> IslandLevels(const LuaObject& island)
{
    std::vector<int> levels;
    const LuaObject list = island.IsTable() ? island["islandLevels"] : LuaObject();
    if (list.IsTable())
        for (int k = 1; k <= list.GetN(); ++k)
            if (list[k].IsInteger())
                levels.push_back(list[k].GetInteger());
    return levels;
}

int BonusLevelOf(const LuaObject& island)
{
    const LuaObject bonus = island.IsTable() ? island["bonusLevel"] : LuaObject();
    return bonus.IsInteger() ? bonus.GetInteger() : 0;
}

int QuestLevelCount()
{
    int count = 0;
    for (LuaTableIterator it(ObjectLuaState().GetGlobal("WoppleQuestLevels")); it; ++it)
        ++count;
    return count;
}

bool HasFiveStars(int level)
{
    WopplePlayer* player = CurrentPlayer();
    if (!player)
        return false;
    for (int star = 0; star < WopplePlayer::kNumStars; ++star)
        if (!player->GetStarStatus(level, star))
            return false;
    return true;
}

std::string StringField(const LuaObject& table, const char* key)
{
    const LuaObject value = table.IsTable() ? table[key] : LuaObject();
    return value.IsString() ? value.GetString() : std::string();
}

std::string QuestLevelName(int level) { return StringField(GetQuestLevel(level), "mapName"); }

void SetLabelText(Actor* root, const char* child, const std::string& text)
{
    if (auto* label = dynamic_cast<Label*>(root ? root->FindChild(child, true) : nullptr))
        label->SetText(PlainLabelText(text), true);
}

void SetLabelColor(Actor* root, const char* child, const char* color)
{
    if (auto* label = dynamic_cast<Label*>(root ? root->FindChild(child, true) : nullptr))
        label->SetColor(Colors::ByName(color), true);
}

// A star or mask alone, not its children.
void ShowChild(Actor* root, const std::string& child, bool show)
{
    if (Actor* actor = root ? root->FindChild(child, true) : nullptr)
        actor->SetVisible(show, false);
}

void ShowNumbered(Actor* root, const char* prefix, bool show)
{
    for (int i = 1; i <= WopplePlayer::kNumStars; ++i)
        ShowChild(root, prefix + std::to_string(i), show);
}

std::string WithCommas(std::int64_t value)
{
    if (value < 0)
        return "-" + FormatUnsigned64WithCommas(static_cast<std::uint64_t>(-(value + 1)) + 1);
    return FormatUnsigned64WithCommas(static_cast<std::uint64_t>(value));
}

std::string MinutesAndSeconds(int seconds)
{
    return (boost::format("%|d|:%|02|") % (seconds / 60) % (seconds % 60)).str();
}

// The image of a chart star: five stars, open, or locked.
std::string ChartStarImage(int level, bool large)
{
    const char* size = large ? "lg" : "sm";
    if (HasFiveStars(level))
        return (boost::format("complete_%1%.png") % size).str();
    if (WoppleMapScreen::IsLevelUnlocked(level))
        return (boost::format("unlocked_%1%.png") % size).str();
    return (boost::format("locked_%1%.png") % size).str();
}

Point<int> PairOf(const LuaObject& pair)
{
    if (!pair.IsTable() || !pair[1].IsNumber() || !pair[2].IsNumber())
        return Point<int>(0, 0);
    return Point<int>(pair[1].GetInteger(), pair[2].GetInteger());
}

struct IslandLook
{
    bool locked = true;
    bool completed = false;
};

IslandLook LookOf(const LuaObject& island)
{
    IslandLook look;
    const std::vector<int> levels = IslandLevels(island);
    look.locked = std::none_of(levels.begin(), levels.end(), WoppleMapScreen::IsLevelUnlocked);
    look.completed = std::all_of(levels.begin(), levels.end(), WoppleMapScreen::IsLevelCompleted);
    return look;
}

void ApplyIslandLook(Button& button, const LuaObject& island, const IslandLook& look)
{
    Actor* plate = button.FindChild("IslandNameActor", true);
    const char* image = look.locked ? "lockedImage" : look.completed ? "completedImage" : "unlockedImage";
    const char* name = look.locked      ? "islandNameActorLocked"
                       : look.completed ? "islandNameActor"
                                        : "islandNameActorUnlocked";
    ShowPicture(button, StringField(island, image));
    if (plate)
        ShowPicture(*plate, StringField(island, name));
    if (look.locked)
        button.Disable();
    else
        button.Enable();
}

Actor* MakeChartStar(int level, const Point<int>& at, bool large)
{
    auto* star = new Actor();
    ShowPicture(*star, ChartStarImage(level, large));
    star->SetName((boost::format("Star_%1%") % level).str());
    star->SetPosition(at.x, at.y);
    star->SetShaderType(SHADERTYPE_BLENDCOMBINEDALPHA);
    return star;
}

Button* IslandButton(const Actor& screen, int island)
{
    Actor* area = screen.FindChild("mapArea", true);
    return dynamic_cast<Button*>(area ? area->FindChild((boost::format("Island_%1%") % island).str(), false) : nullptr);
}

Button* MakeListButton(const std::string& resource)
{
    ClassManager* classes = ClassManager::GetInstance();
    auto* selectionButton = dynamic_cast<Button*>(classes ? classes->InstantiateObjectFromResource(resource) : nullptr);
    VELK_ASSERT(selectionButton);
    return selectionButton;
}

CommonDialogLibrary* Dialogs()
{
    Application* app = Application::GetInstance();
    return app ? app->GetCommonDialogs() : nullptr;
}

std::string StoppedDialogName(const EventRecord& event)
{
    auto* dialog = static_cast<Actor*>(event.user.data1);
    return dialog ? dialog->GetName() : std::string();
}

// ---------------------------------------------------------------- states

class MapState : public WoppleState
{
public:
    MapState(WoppleMapScreen& screen, const char* name) : m_Screen(screen), m_Name(name) {}
    std::string GetName() const override { return m_Name; }

protected:
    WoppleMapScreen& m_Screen;
    const char* m_Name;
};

class AdvanceToNewIsland : public MapState
{
public:
    explicit AdvanceToNewIsland(WoppleMapScreen& s) : MapState(s, "AdvanceToNewIsland") {}
    void OnEnterState() override
    {
        m_Screen.BringUpToDate();
        const int island = m_Screen.GetSelectedIsland();
        LuaObject known = SubTable(ModeTable(), "IslandsKnownUnlocked");
        if (island == 1 || IsTrue(known[island])) {
            m_Screen.SetState("CheckBonusLevel");
            return;
        }
        const LuaObject islands = Islands();
        const std::string name = StringField(islands[std::min(island, 10)], "islandName");
        m_Screen.StartDialog(
            new WoppleHelpDialog("New Island!", (boost::format("You've unlocked\n%1%!") % name).str()), true);
        known.SetBoolean(island, true);
    }
    bool OnDialogStopped(const EventRecord& event) override
    {
        if (StoppedDialogName(event) != "WoppleHelpDialog")
            return false;
        m_Screen.SetState("CheckBonusLevel");
        return true;
    }
};

class Inactive : public MapState
{
public:
    explicit Inactive(WoppleMapScreen& s) : MapState(s, "Inactive") {}
    void OnEnterState() override
    {
        if (NoteManager* notes = m_Screen.GetNoteManager())
            notes->DestroyNoteBubble();
    }
};

class ShowingOptions : public MapState
{
public:
    explicit ShowingOptions(WoppleMapScreen& s) : MapState(s, "ShowingOptions") {}
    void OnEnterState() override
    {
        if (CommonDialogLibrary* dialogs = Dialogs())
            if (Dialog* dialog = dialogs->CreateOptionsDialog())
                m_Screen.StartDialog(dialog, true);
    }
    bool OnDialogStopped(const EventRecord& event) override
    {
        if (StoppedDialogName(event) == "OptionsDialog")
            m_Screen.SetState("Normal");
        return false;
    }
};

class ShowingHelp : public MapState
{
public:
    explicit ShowingHelp(WoppleMapScreen& s) : MapState(s, "ShowingHelp") {}
    void OnEnterState() override { m_Screen.PointOutScreen(kHelpSection); }
    bool OnDialogStopped(const EventRecord& event) override
    {
        if (StoppedDialogName(event) == "WoppleHelpDialog")
            m_Screen.SetState("Normal");
        return false;
    }
    bool OnActorScriptFinished(Event* event) override
    {
        if (!event || !event->payload)
            return false;
        Object* actor = Object::FromLuaObject((*event->payload)["actor"]);
        auto* script = dynamic_cast<Script*>(Object::FromLuaObject((*event->payload)["script"]));
        if (actor != m_Screen.GetNoteManager() || !script || !script->HasTag("PointOut"))
            return false;
        m_Screen.SetState("Normal");
        return true;
    }
};

class MapIntroDialog : public MapState
{
public:
    explicit MapIntroDialog(WoppleMapScreen& s) : MapState(s, "MapIntroDialog") {}
    void OnEnterState() override
    {
        LuaObject stats = SubTable(ModeTable(), "MapStats");
        if (IsTrue(stats["seenIntro"])) {
            Finish();
            return;
        }
        const LuaObject text = m_Screen.RetrieveProperty("mapIntroDialog");
        if (!text.IsString()) {
            Finish();
            return;
        }
        m_Screen.BringUpToDate();
        const LuaObject title = m_Screen.RetrieveProperty("mapIntroTitle");
        m_Screen.StartDialog(
            new WoppleBigHelpDialog(title.IsString() ? title.GetString() : "Wopple Vevev Introduction", text.GetString()),
            true);
        stats.SetBoolean("seenIntro", true);
        if (GameDataIO* io = GameDataIO::GetInstance())
            io->SaveAllPlayerData();
    }
    bool OnDialogStopped(const EventRecord& event) override
    {
        if (StoppedDialogName(event) != "WoppleHelpDialog")
            return false;
        Finish();
        return true;
    }
    virtual void Finish() { m_Screen.SetState("Normal"); }
};

// The end of the quest and the all-stars milestone: their dialog once, then Normal.
class MilestoneState : public MapState
{
public:
    MilestoneState(WoppleMapScreen& s, const char* name, const char* key) : MapState(s, name), m_Key(key) {}
    void OnEnterState() override
    {
        m_Screen.BringUpToDate();
        if (!m_Screen.ShowGameCompleteDialog(m_Key, false))
            m_Screen.SetState("Normal");
    }
    bool OnDialogStopped(const EventRecord& event) override
    {
        if (StoppedDialogName(event) == "WoppleGameCompleteDialog")
            m_Screen.SetState("Normal");
        return false;
    }

private:
    const char* m_Key;
};

} // namespace

class WoppleMapNormal : public MapState
{
public:
    explicit WoppleMapNormal(WoppleMapScreen& s) : MapState(s, "Normal") {}
    void OnEnterState() override { m_Screen.EnterNormal(); }
    bool OnButtonClick(const EventRecord& event) override { return m_Screen.OnNormalButtonClick(event); }
    bool OnKeyDown(const EventRecord& event) override { return m_Screen.OnNormalKeyDown(event); }
    bool OnButtonAppearanceChange(Event* event) override
    {
        if (!event || !event->payload)
            return true;
        auto* button = dynamic_cast<Actor*>(Object::FromLuaObject((*event->payload)["button"]));
        const LuaObject state = (*event->payload)["appearanceState"];
        if (button && button->RetrieveProperty("islandNumber").IsInteger()) {
            const std::string look = state.IsString() ? state.GetString() : std::string();
            ShowChild(button, "rollOverHilight", look == "Highlighted" || look == "Pressed");
        }
        return true;
    }
};

// Announces the bonus level of the island before the selected one once it
// opens, then goes on to Normal at the next timer pass.
class WoppleMapCheckBonusLevel : public MapState
{
public:
    explicit WoppleMapCheckBonusLevel(WoppleMapScreen& s) : MapState(s, "CheckBonusLevel") {}
    ~WoppleMapCheckBonusLevel() override
    {
        // The screen may have freed every timer of its own already.
        try {
            FreeTimer();
        } catch (...) {
        }
    }
    void OnEnterState() override
    {
        const int island = std::max(m_Screen.GetSelectedIsland() - 1, 1);
        const LuaObject islands = Islands();
        const int bonus = BonusLevelOf(islands[island]);
        LuaObject known = SubTable(ModeTable(), "BonusKnownUnlocked");
        if (!IsTrue(known[island]) && WoppleMapScreen::IsLevelUnlocked(bonus)) {
            known.SetBoolean(island, true);
            m_Screen.StartDialog(new WoppleHelpDialog("Bonus Unlocked!",
                                                      (boost::format("You've unlocked the bonus level %1% on island %2%!") %
                                                       QuestLevelName(bonus) % StringField(islands[island], "islandName"))
                                                          .str()),
                                 true);
        }
        if (TimerManager* timers = TimerManager::GetInstance())
            timers->CreateOrRestartTimer(m_TimerId, &m_Screen, 0, 1, TIMER_LIMITED_TO_FRAMERATE, "default");
    }
    void OnExitState() override { FreeTimer(); }
    bool OnTimer(const EventRecord& event) override
    {
        // Other timers of the screen (the pulsing star's, the notes') are not this state's.
        if (m_TimerId == 0 || TimerIDOfEvent(event) != m_TimerId)
            return false;
        FreeTimer();
        m_Screen.SetState("Normal");
        return true;
    }

private:
    void FreeTimer()
    {
        if (m_TimerId != 0)
            if (TimerManager* timers = TimerManager::GetInstance())
                timers->FreeTimer(m_TimerId);
        m_TimerId = 0;
    }

    std::uint32_t m_TimerId = 0;
};

// ---------------------------------------------------------------- the screen

WoppleMapScreen::WoppleMapScreen() : WoppleScreen("", "MapScreen")
{
    ApplyNamedResource("WoppleMapScreen");
    if (Actor* mainMenu = FindChild("mainMenuButton", true))
        mainMenu->AddToGroup(this);
    AddState(new AdvanceToNewIsland(*this), true);
    AddState(new WoppleMapCheckBonusLevel(*this), true);
    AddState(new Inactive(*this), true);
    AddState(new WoppleMapNormal(*this), true);
    AddState(new ShowingOptions(*this), true);
    AddState(new ShowingHelp(*this), true);
    AddState(new MapIntroDialog(*this), true);
    AddState(new MilestoneState(*this, "FinishedQuest", "finishedQuest"), true);
    AddState(new MilestoneState(*this, "GotAllFiveStars", "gotAllFiveStars"), true);
}

WoppleMapScreen::~WoppleMapScreen()
{
    try {
        if (TimerManager* timers = TimerManager::GetInstance())
            timers->FreeTimersOfReceiver(this);
    } catch (...) {
    }
}

bool WoppleMapScreen::OnEvent(const EventRecord& event)
{
    if (event.type == SDL_KEYDOWN && IsOnlyCtrlAltPressed(event.key.keysym.mod) && GetState() &&
        GetState()->OnEvent(event))
        return true;
    return WoppleScreen::OnEvent(event);
}

bool WoppleMapScreen::OnScreenTransition(Event* event)
{
    auto* transition = dynamic_cast<ScreenTransitionEvent*>(event);
    if (transition && transition->kind == 1) {
        if (transition->newScreen == this) {
            LogWrite("OnScreenTransition -> WoppleMapScreen\n");
            SetState("MapIntroDialog");
        } else if (transition->oldScreen == this) {
            SetState("Inactive");
        }
    }
    WoppleScreen::OnScreenTransition(event);
    return false;
}

// ---------------------------------------------------------------- rules

bool WoppleMapScreen::IsLevelCompleted(int level) { return WoppleEndLevelDialog::IsLevelCompleted(level); }

bool WoppleMapScreen::IsLevelUnlocked(int level)
{
    if (level > QuestLevelCount())
        return false;
    return WoppleEndLevelDialog::IsLevelUnlocked(level);
}

bool WoppleMapScreen::IsAllLevelsCompleted()
{
    const int count = QuestLevelCount();
    for (int level = 1; level <= count; ++level)
        if (!IsLevelCompleted(level))
            return false;
    return true;
}

bool WoppleMapScreen::IsAllLevelsFiveStars()
{
    const LuaObject islands = Islands();
    for (int n = 1; n <= IslandCount(islands); ++n)
        for (int level : IslandLevels(islands[n]))
            if (!HasFiveStars(level))
                return false;
    return true;
}

bool WoppleMapScreen::IsAllBonusLevelsFiveStars()
{
    const LuaObject islands = Islands();
    for (int n = 1; n <= IslandCount(islands); ++n) {
        const int bonus = BonusLevelOf(islands[n]);
        if (bonus >= 51 && !HasFiveStars(bonus))
            return false;
    }
    return true;
}

// ---------------------------------------------------------------- the chart

void WoppleMapScreen::CreateIslands()
{
    const LuaObject islands = Islands();
    Actor* area = FindChild("mapArea", true);
    VELK_ASSERT_MSG(area != nullptr, "mapArea");
    for (int n = 1; n <= IslandCount(islands); ++n) {
        const LuaObject island = islands[n];
        auto* button = new Button("Button.png");
        button->SetName((boost::format("Island_%1%") % n).str());
        area->AddChild(button);
        const LuaObject visual = island["islandVisualProperties"];
        if (visual.IsTable())
            button->ApplyProperties(visual);
        ShowPicture(*button, StringField(island, "lockedImage"));
        button->ApplyIntegerProperty("islandNumber", n);
        button->ApplyNamedResource("IslandSelectionButton");
        if (Actor* plate = button->FindChild("IslandNameActor", true)) {
            const Point<int> offset = PairOf(island["islandNameActorOffset"]);
            const Point<int> at = plate->GetPosition();
            plate->SetPosition(at.x + offset.x, at.y + offset.y);
        }
        button->StoreProperty("islandData", island);
        ApplyIslandLook(*button, island, LookOf(island));

        const LuaObject stars = island["starPositions"];
        if (stars.IsTable()) {
            const std::vector<int> levels = IslandLevels(island);
            for (int k = 1; k <= stars.GetN() && k <= static_cast<int>(levels.size()); ++k)
                button->AddChild(MakeChartStar(levels[k - 1], PairOf(stars[k]), false));
        }
        if (island["bonusStarPosition"].IsTable() && BonusLevelOf(island) != 0)
            button->AddChild(MakeChartStar(BonusLevelOf(island), PairOf(island["bonusStarPosition"]), true));
    }
    AttachToChildButtons(this);
}

void WoppleMapScreen::UpdateIslandVisibility()
{
    const LuaObject islands = Islands();
    for (int n = 1; n <= IslandCount(islands); ++n) {
        const LuaObject island = islands[n];
        const IslandLook look = LookOf(island);
        if (Button* button = IslandButton(*this, n)) {
            ApplyIslandLook(*button, island, look);
            for (int level : IslandLevels(island)) {
                Actor* star = button->FindChild((boost::format("Star_%1%") % level).str(), false);
                if (!star)
                    break;
                ShowPicture(*star, ChartStarImage(level, false));
            }
            const int bonus = BonusLevelOf(island);
            if (Actor* star = bonus ? button->FindChild((boost::format("Star_%1%") % bonus).str(), false) : nullptr)
                ShowPicture(*star, ChartStarImage(bonus, true));
        }
        if (Actor* path = FindChild((boost::format("Path_%1%") % n).str(), true))
            path->SetVisible(!look.locked, false);
    }
}

void WoppleMapScreen::UpdateIslandSelected()
{
    const LuaObject islands = Islands();
    for (int n = 1; n <= IslandCount(islands); ++n)
        ShowChild(IslandButton(*this, n), "selectHilight", false);
    if (m_SelectedIsland != 0)
        ShowChild(IslandButton(*this, m_SelectedIsland), "selectHilight", true);
}

// ---------------------------------------------------------------- the level list

void WoppleMapScreen::UpdateLevelButtons()
{
    if (!m_SelectedIslandButton || m_SelectedIsland == 0)
        return;
    const LuaObject island = m_SelectedIslandButton->RetrieveProperty("islandData");
    const std::vector<int> levels = IslandLevels(island);
    const int count = static_cast<int>(levels.size());
    Actor* list = FindChild("UsableButtonsArea", true);
    VELK_ASSERT_MSG(list != nullptr, "UsableButtonsArea");
    list->DestroyChildren();
    const int height = list->GetHeight();
    const int usable = static_cast<int>(height * 0.95);
    const int margin = (height - usable) / 2;
    WopplePlayer* player = CurrentPlayer();
    auto showStars = [player](Button* button, int level) {
        for (int star = 0; star < WopplePlayer::kNumStars; ++star)
            ShowChild(button, "star" + std::to_string(star + 1), player && player->GetStarStatus(level, star));
    };

    for (int k = 1; k <= count; ++k) {
        const int level = levels[k - 1];
        Button* button = MakeListButton((boost::format("LevelSelectionButton%1%") % k).str());
        button->SetName((boost::format("LevelSelectionButton%1%") % level).str());
        SetLabelText(button, "levelLabel", QuestLevelName(level));
        button->SetVisible(IsLevelUnlocked(level), false);
        button->SetPosition(button->GetX(), button->GetY() + margin + (k - 1) * usable / count);
        button->ApplyIntegerProperty("levelNumber", level);
        list->AddChild(button);
        showStars(button, level);
    }

    Actor* bonusButtonArea = FindChild("BonusButtonArea", true);
    VELK_ASSERT(bonusButtonArea);
    bonusButtonArea->DestroyChildren();
    const LuaObject bonusValue = island.IsTable() ? island["bonusLevel"] : LuaObject();
    if (bonusValue.IsInteger() && count > 0) {
        const int bonus = bonusValue.GetInteger();
        const bool open = IsLevelUnlocked(bonus);
        Button* button = MakeListButton("BonusLevelSelectionButton");
        button->SetName((boost::format("LevelSelectionButton%1%") % bonus).str());
        SetLabelText(button, "levelLabel", open ? QuestLevelName(bonus) : "BONUS");
        button->SetPosition(button->GetX(), button->GetY() + margin + count * usable / count);
        button->ApplyIntegerProperty("levelNumber", bonus);
        list->AddChild(button);
        showStars(button, bonus);
        SetLabelColor(button, "levelLabel", "Black");
        if (open) {
            button->Enable();
            ShowChild(button, "disabledMask", false);
            ShowNumbered(button, "starBlank", true);
        } else {
            button->Disable();
            SetLabelText(button, "levelLabel", "Bonus");
            ShowChild(button, "disabledMask", true);
            ShowNumbered(button, "starBlank", false);
            int keys = count;
            for (int level : levels)
                if (player && player->GetStarStatus(level, WopplePlayer::STAR_SECRET))
                    --keys;
            SetLabelText(button, "disabledLabel",
                         (boost::format(keys == 1 ? "Need %1% Key" : "Need %1% Keys") % keys).str());
        }
    }
    AttachToChildButtons(this);
    m_SelectedLevelButton = nullptr;
    m_SelectedLevel = 0;
}

void WoppleMapScreen::UpdateIslandSign(int island)
{
    if (island == m_SelectedIsland)
        return;
    m_SelectedIsland = island;
    m_SelectedIslandButton = IslandButton(*this, island);
    UpdateIslandSelected();
    const LuaObject table = Islands()[island];
    const std::vector<int> levels = IslandLevels(table);
    SetLabelText(this, "IslandSignLabel", StringField(table, "islandName"));
    UpdateLevelButtons();
    if (!levels.empty())
        UpdateLevelStars(levels.front());
}

void WoppleMapScreen::UpdateLevelStars(int level)
{
    const int standard = QuestLevelCount() - 10;
    for (int i = 1; i <= standard; ++i) {
        Actor* star = FindChild((boost::format("Star_%1%") % i).str(), true);
        if (!star || star->FindScriptsWithTag(kStarBlink, nullptr) == 0)
            continue;
        star->StopScriptsWithTag(kStarBlink);
        DestroyLinearFader(star);
        star->SetAlpha(255);
    }
    m_SelectedLevel = level;
    if (m_SelectedLevelButton) {
        m_SelectedLevelButton->ShowHighlightChild(false);
        SetLabelColor(m_SelectedLevelButton, "levelLabel", "Black");
        ShowNumbered(m_SelectedLevelButton, "starBlankBlack", false);
    }
    Actor* list = FindChild("UsableButtonsArea", true);
    m_SelectedLevelButton = dynamic_cast<Button*>(
        list ? list->FindChild((boost::format("LevelSelectionButton%1%") % level).str(), false) : nullptr);
    if (m_SelectedLevelButton) {
        m_SelectedLevelButton->ShowHighlightChild(true);
        SetLabelColor(m_SelectedLevelButton, "levelLabel", "OffWhite");
        ShowNumbered(m_SelectedLevelButton, "starBlankBlack", true);
    }
    UpdateLevelInformation();
    if (Actor* star = FindChild((boost::format("Star_%1%") % level).str(), true))
        star->RunScript("Pulse", kStarBlink);
    ModeTable().SetInteger("currentLevel", level);
    SavePlayers();
}

void WoppleMapScreen::SavePlayers()
{
    GameDataIO* io = GameDataIO::GetInstance();
    if (!io)
        return;
    try {
        io->SaveAllPlayerData();
    } catch (const Exception& e) {
        // The cards are written whole or not at all: the old ones stay, the map goes on.
        LogWrite("WARNING: WoppleMapScreen: the selection was not saved: %s\n", e.GetMessage().c_str());
    }
}

void WoppleMapScreen::UpdateLevelInformation()
{
    const int level = m_SelectedLevel;
    WopplePlayer* player = CurrentPlayer();
    VELK_ASSERT_MSG(player != nullptr, "There is no current player.");
    const LuaObject entry = GetQuestLevel(level);
    auto label = [this](const char* name, const char* assertion) {
        auto* found = dynamic_cast<Label*>(FindChild(name, true));
        if (!found)
            VELK_THROW(Exception, AssertionText(assertion));
        return found;
    };
    auto entryInteger = [&entry](const char* key, const char* global) {
        const LuaObject value = entry.IsTable() ? entry[key] : LuaObject();
        return value.IsInteger() ? value.GetInteger() : ObjectLuaState().GetGlobal(global).GetInteger();
    };

    const std::int64_t best = player->GetBestLevelScore(level);
    const int starScore = entryInteger("starScore", "DefaultStarScore");
    ShowChild(this, "scoreStar", best >= starScore);
    label("scoreReachedLabel", "scoreLabel")->SetText(WithCommas(best), true);
    SetLabelText(this, "scoreRequiredLabel", (boost::format("Best Score(%1%)") % WithCommas(starScore)).str());

    const LuaObject record = player->GetLevelRecordForWriting(level);
    const bool secret = IsTrue(record["SecretFound"]);
    label("secretFoundLabel", "secretFoundLabel")->SetText(secret ? "Yes" : "No", true);
    ShowChild(this, "secretFoundStar", secret);

    const LuaObject butterfliesValue = record["NumberOfButterflies"];
    const int butterflies = butterfliesValue.IsInteger() ? butterfliesValue.GetInteger() : 0;
    const int boxes = CountTreasureBoxColumns(level) + CountTreasureBoxRows(level) +
                      CountTreasureBoxUpwardDiagonals(level) + CountTreasureBoxDownwardDiagonals(level);
    label("butterfliesLabel", "butterfliesLabel")->SetText(std::to_string(butterflies), true);
    label("butterfliesRequiredLabel", "butterfliesRequiredLabel")
        ->SetText((boost::format("Butterfly Wopples(%1%)") % boxes).str(), true);
    ShowChild(this, "butterfliesStar", butterflies >= boxes);

    const LuaObject secondsValue = record["SecondsTaken"];
    const int seconds = secondsValue.IsInteger() ? secondsValue.GetInteger() : -1;
    const int starTime = entryInteger("starTime", "DefaultStarTime");
    label("timeTakenLabel", "timeTakenLabel")->SetText(seconds == -1 ? "N/A" : MinutesAndSeconds(seconds), true);
    label("timeNeededLabel", "timeNeededLabel")->SetText("Fastest Time(" + MinutesAndSeconds(starTime) + ")", true);
    ShowChild(this, "timeTakenStar", seconds != -1 && seconds <= starTime);

    const bool fullCard = IsTrue(record["FullCard"]);
    label("fullCardLabel", "wholeBoardLabel")->SetText(fullCard ? "Yes" : "No", true);
    ShowChild(this, "fullCardStar", fullCard);
}

void WoppleMapScreen::BringUpToDate()
{
    const LuaObject islands = Islands();
    if (!IslandButton(*this, 1))
        CreateIslands();
    UpdateIslandVisibility();
    if (WopplePlayer* player = CurrentPlayer())
        player->GetOptionsTable().SetString("game.mode", WopplePlayer::kQuestMode);
    const LuaObject current = ModeTable()["currentLevel"];
    int level = current.IsInteger() ? current.GetInteger() : 1;
    int island = 0;
    for (int n = 1; n <= IslandCount(islands) && island == 0; ++n) {
        const std::vector<int> levels = IslandLevels(islands[n]);
        if (std::find(levels.begin(), levels.end(), level) != levels.end() || BonusLevelOf(islands[n]) == level)
            island = n;
    }
    if (island == 0) {
        island = 1;
        level = 1;
    }
    UpdateLevelButtons();
    UpdateIslandSign(island);
    UpdateLevelStars(level);
}

// ---------------------------------------------------------------- Normal

void WoppleMapScreen::EnterNormal()
{
    BringUpToDate();
    if (DirectMusic* music = DirectMusic::GetInstance())
        music->LoopMidi("Wopple.mid", "Loop");
    WopplePlayer* player = CurrentPlayer();
    if (!player)
        return;
    LuaObject stats = SubTable(player->GetOptionsTable(), "MapScreenStats");
    if (!IsTrue(stats["seenHelpBlink"])) {
        if (auto* help = dynamic_cast<Button*>(FindChild("helpButton", true)))
            help->SetBlink(true, Colors::Green);
        stats.SetBoolean("seenHelpBlink", true);
        SavePlayers();
        return;
    }
    const bool standard = IsAllLevelsFiveStars();
    const bool bonus = IsAllBonusLevelsFiveStars();
    const char* key = standard && bonus ? "gotAllFiveStars"
                      : standard        ? "gotAllStandardFiveStars"
                      : bonus           ? "gotAllBonusFiveStars"
                      : IsAllLevelsCompleted() ? "completedAllLevels"
                                               : nullptr;
    if (key)
        ShowGameCompleteDialog(key, false);
}

bool WoppleMapScreen::OnNormalButtonClick(const EventRecord& event)
{
    auto* button = static_cast<Actor*>(event.user.data1);
    const std::string name = button ? button->GetName() : std::string();
    Log(3, "WoppleMapScreen::Normal::OnButtonClick.  Clicked button %s\n", name.c_str());
    if (name == "mainMenuButton") {
        ScreenManager::GetInstance()->SwitchToScreen("MenuScreen");
        return true;
    }
    if (name == "optionsButton") {
        SetState("ShowingOptions");
        return true;
    }
    if (name == "helpButton") {
        ToggleScreenHelp(kHelpSection);
        return true;
    }
    if (!button)
        return false;
    const LuaObject island = button->RetrieveProperty("islandNumber");
    if (island.IsInteger()) {
        UpdateIslandSign(island.GetInteger());
        return true;
    }
    const LuaObject level = button->RetrieveProperty("levelNumber");
    if (level.IsInteger()) {
        UpdateLevelStars(level.GetInteger());
        return true;
    }
    if (name == "playButton")
        StartQuestGameAtLevel(m_SelectedLevel);
    return false;
}

bool WoppleMapScreen::OnNormalKeyDown(const EventRecord& event)
{
    const int modifiers = event.key.keysym.mod;
    const int key = event.key.keysym.sym;
    if (IsOnlyCtrlAltPressed(modifiers))
        return FillProgress(key);
    if (IsOnlyCtrlPressed(modifiers) || key < SDLK_UP || key > SDLK_LEFT)
        return false;
    Islands();
    Sound::Play("Click6.ogg");
    MoveSelection(key);
    return true;
}

void WoppleMapScreen::MoveSelection(int key)
{
    auto usable = [this](int n) {
        Button* button = IslandButton(*this, n);
        return button && button->IsEnabled();
    };
    if (key == SDLK_RIGHT) {
        const int next = usable(m_SelectedIsland + 1) ? m_SelectedIsland + 1 : 1;
        UpdateIslandSign(next);
        return;
    }
    if (key == SDLK_LEFT) {
        int next = m_SelectedIsland - 1;
        if (next == 0) {
            next = 1;
            while (usable(next + 1))
                ++next;
        }
        UpdateIslandSign(next);
        return;
    }
    if (!m_SelectedIslandButton)
        return;
    const LuaObject island = m_SelectedIslandButton->RetrieveProperty("islandData");
    const std::vector<int> levels = IslandLevels(island);
    if (levels.empty())
        return;
    const int bonus = BonusLevelOf(island);
    const int first = levels.front();
    const int last = levels.back();
    int target = 0;
    if (key == SDLK_UP) {
        target = m_SelectedLevel == bonus ? last : m_SelectedLevel - 1;
        if (target < first) {
            if (bonus && IsLevelUnlocked(bonus)) {
                target = bonus;
            } else {
                target = first;
                for (int level : levels) {
                    if (!IsLevelUnlocked(level))
                        break;
                    target = level;
                }
            }
        }
    } else {
        target = m_SelectedLevel + 1;
        if (!IsLevelUnlocked(target))
            target = first;
        if (target == last + 1)
            target = bonus && IsLevelUnlocked(bonus) ? bonus : first;
        if (target > bonus)
            target = first;
    }
    UpdateLevelStars(target);
}

// ---------------------------------------------------------------- developer keys

bool WoppleMapScreen::FillProgress(int key)
{
    struct Fill
    {
        int key;
        int from;
        int to;
    };
    const int bonusStart = ObjectLuaState().GetGlobal("BonusLevelsStartAt").GetInteger();
    const Fill fills[] = {
        {SDLK_b, bonusStart, bonusStart + 9}, {SDLK_i, 1, 4}, {SDLK_l, 1, bonusStart - 1},
        {SDLK_u, 1, bonusStart - 1},          {SDLK_v, 1, bonusStart - 1},
    };
    const Fill* fill = nullptr;
    for (const Fill& f : fills)
        if (f.key == key)
            fill = &f;
    if (!fill)
        return false;

    for (int level = fill->from; level <= fill->to; ++level) {
        if (key == SDLK_u) {
            const bool fullCard = RandomInt(2) == 1;
            const int seconds = RandomInt(60);
            const int butterflies = RandomInt(9);
            const bool secret = RandomInt(2) == 1;
            const std::int64_t score = static_cast<std::int64_t>(RandomInt(100000)) * 10;
            WoppleOldSchoolBaseLogic::RecordLevelResult(true, level, score, secret, butterflies, seconds, fullCard);
        } else if (key == SDLK_v) {
            WoppleOldSchoolBaseLogic::RecordLevelResult(true, level, 0, false, 0, 10000, false);
        } else {
            WoppleOldSchoolBaseLogic::RecordLevelResult(true, level, 2000000, true, 20, 60, true);
        }
    }
    if (key == SDLK_u || key == SDLK_v) {
        // The map asks by island number; one per island, so no bonus is announced afterwards.
        LuaObject known = SubTable(ModeTable(), "BonusKnownUnlocked");
        for (int n = 1; n <= IslandCount(Islands()); ++n)
            known.SetBoolean(n, true);
    }
    const int selected = m_SelectedLevel;
    UpdateIslandVisibility();
    UpdateIslandSign(m_SelectedIsland);
    UpdateLevelButtons();
    UpdateLevelStars(selected);
    return true;
}
