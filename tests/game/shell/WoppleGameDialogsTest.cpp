// The game's options, quit and choose-player dialogs, as the game's dialog
// library makes them: their layout over the engine dialogs, the picture
// switches of the options, and the name entry started from the player choice.

#include "GameTestSupport.h"
#include "engine/core/Events.h"
#include "engine/ui/Button.h"
#include "engine/ui/CardView.h"
#include "engine/ui/CommonDialogs.h"
#include "engine/ui/Label.h"
#include "engine/ui/RadioButtonGrid.h"
#include "engine/ui/Scrollbar.h"
#include "game/shell/WoppleCommonDialogs.h"
#include "game/shell/WoppleOptionsDialog.h"

using namespace gametest;

namespace {

class WoppleGameDialogsTest : public GameFixture
{
protected:
    void SetUp() override
    {
        Start();
        PlayerManager::GetInstance()->LoadGameData();
        screen = AddScreen<Screen>("", "Dialogs", nullptr);
        manager->SwitchToScreen("Dialogs");
        Pass();
    }

    CommonDialogLibrary& Library() { return *app->GetCommonDialogs(); }

    template <typename T>
    T* Show(T* dialog)
    {
        screen->StartDialog(dialog, true);
        Passes(30);
        return dialog;
    }

    template <typename T>
    T* Child(const Actor& parent, const std::string& name)
    {
        auto* child = dynamic_cast<T*>(parent.FindChild(name, true));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    // Which of a pair is enabled: "on", "off", or what else it is.
    std::string EnabledOf(const Actor& dialog, const std::string& prefix)
    {
        const bool on = Child<Button>(dialog, prefix + "_On_Button")->IsEnabled();
        const bool off = Child<Button>(dialog, prefix + "_Off_Button")->IsEnabled();
        return on == off ? (on ? "both" : "neither") : (on ? "on" : "off");
    }

    void Lua(const std::string& chunk)
    {
        LuaState lua = app->GetLuaState();
        if (lua.DoString(chunk) != 0)
            ADD_FAILURE() << lua.PopErrorMessage();
    }

    // A press and a release of the left button over the actor's middle, as a person clicks.
    void MouseClick(const Actor& actor)
    {
        const Rect r = actor.GetGlobalRect();
        const int x = r.x + r.w / 2, y = r.y + r.h / 2;
        app->ResetRolloverAt(x, y, true);
        for (std::uint8_t type : {std::uint8_t(SDL_MOUSEBUTTONDOWN), std::uint8_t(SDL_MOUSEBUTTONUP)}) {
            SDL_Event e{};
            e.button.type = type;
            e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
            e.button.button = SDL_BUTTON_LEFT;
            e.button.x = static_cast<Uint16>(x);
            e.button.y = static_cast<Uint16>(y);
            ASSERT_EQ(SDL_PushEvent(&e), 0);
            Pass();
        }
        app->ResetRolloverAt(0, 0, true);
    }

    Screen* screen = nullptr;
};

} // namespace

TEST_F(WoppleGameDialogsTest, TheOptionsStandTheEngineControlsOnTheGamesPaper)
{
    auto* options = Show(dynamic_cast<WoppleOptionsDialog*>(Library().CreateOptionsDialog()));
    ASSERT_NE(options, nullptr);
    for (const char* hidden : {"DisplayLabel", "FullScreenButton", "3DAccelerationLabel", "3DAccelerationButton"})
        EXPECT_FALSE(Child<Actor>(*options, hidden)->IsVisible()) << hidden;
    struct Place {
        const char* name;
        int x, y;
    };
    for (const Place& p : {Place{"MusicVolume", 70, 160}, Place{"MusicVolumeScrollbar", 204, 154},
                           Place{"SoundEffects", 70, 212}, Place{"SoundEffectsScrollbar", 204, 206},
                           Place{"ScreenMode", 70, 268}, Place{"3DAcceleration", 70, 320},
                           Place{"CreditsButton", 288, 438}, Place{"OkayButton", 60, 438},
                           Place{"Fullscreen_On_Button", 236, 257}, Place{"Acceleration_Off_Button", 320, 317}}) {
        auto* child = Child<Actor>(*options, p.name);
        EXPECT_TRUE(child->IsVisible()) << p.name;
        EXPECT_EQ(child->GetX(), p.x) << p.name;
        EXPECT_EQ(child->GetY(), p.y) << p.name;
    }
    EXPECT_EQ(Child<Label>(*options, "Title_Label")->GetText(), "OPTIONS");
    EXPECT_EQ(Child<Button>(*options, "OkayButton")->GetLabel()->GetText(), "Okay");
    EXPECT_NE(options->FindChild("ropeBackground"), nullptr);
    // The skill sits clear of the acceleration switches and of Okay.
    const Rect skill = options->GetSkillGrid()->GetGlobalRect();
    const Rect above = Child<Actor>(*options, "Acceleration_On_Button")->GetGlobalRect();
    const Rect below = Child<Actor>(*options, "OkayButton")->GetGlobalRect();
    EXPECT_GE(skill.y - options->GetSkillGrid()->GetHeaderLabel()->GetHeight(), above.y + above.h);
    EXPECT_LE(skill.y + skill.h, below.y);

    // The volumes still write their settings through the game's dialog.
    Child<Scrollbar>(*options, "MusicVolumeScrollbar")->SetValue(65, true);
    Pass();
    EXPECT_DOUBLE_EQ(GetConfig()->Retrieve("music_volume").ToDouble(), 65);

    // Okay closes it.
    Child<Button>(*options, "OkayButton")->ManuallyPressButton();
    Child<Button>(*options, "OkayButton")->ManuallyReleaseButton();
    Passes(30);
    EXPECT_TRUE(screen->GetDialogs().empty());
}

TEST_F(WoppleGameDialogsTest, TheScreenModePairShowsTheNewModeOnlyOnceTheSettingHasChanged)
{
    Lua("Config.full_screen = true");
    auto* options = Show(dynamic_cast<WoppleOptionsDialog*>(Library().CreateOptionsDialog()));
    ASSERT_NE(options, nullptr);
    // Full screen: its own button is the disabled one.
    EXPECT_EQ(EnabledOf(*options, "Fullscreen"), "off");

    // The click only asks; the pair stays as the display is.
    auto* window = Child<Button>(*options, "Fullscreen_Off_Button");
    EXPECT_TRUE(options->OnButtonClick(MakeEventRecord(VELK_BUTTONCLICK, 0, window)));
    EXPECT_EQ(EnabledOf(*options, "Fullscreen"), "off");

    // The application switches in its pass; the pair follows the setting it leaves.
    Passes(3);
    auto shown = [] {
        Variant full = GetConfig()->Retrieve("full_screen");
        return full.IsBool() && full.ToBool() ? "off" : "on";
    };
    EXPECT_EQ(EnabledOf(*options, "Fullscreen"), shown());
    for (const char* value : {"false", "true", "false"}) {
        Lua(std::string("Config.full_screen = ") + value);
        Pass();
        EXPECT_EQ(EnabledOf(*options, "Fullscreen"), shown()) << value;
    }
}

TEST_F(WoppleGameDialogsTest, TheAccelerationPairShowsTheStateTheSwitchLeft)
{
    auto* options = Show(dynamic_cast<WoppleOptionsDialog*>(Library().CreateOptionsDialog()));
    ASSERT_NE(options, nullptr);
    auto expected = [this] { return app->IsHWAccelEnabled() ? "off" : "on"; };
    EXPECT_EQ(EnabledOf(*options, "Acceleration"), expected());
    const std::string enabled = EnabledOf(*options, "Acceleration") == "on" ? "Acceleration_On_Button"
                                                                             : "Acceleration_Off_Button";
    options->OnButtonClick(MakeEventRecord(VELK_BUTTONCLICK, 0, Child<Button>(*options, enabled)));
    // At once, before any notification: the pair says what the application now has.
    EXPECT_EQ(EnabledOf(*options, "Acceleration"), expected());
    EXPECT_FALSE(options->IsStopping());
}

TEST_F(WoppleGameDialogsTest, AVolumeOutsideItsRangeInTheSettingsIsClamped)
{
    struct Case {
        const char* value;
        double shown;
    };
    for (const Case& c : {Case{"250", 100}, Case{"-5", 0}, Case{"30", 30}}) {
        SCOPED_TRACE(c.value);
        Lua(std::string("Config.music_volume = ") + c.value + "; Config.sfx_volume = " + c.value);
        std::unique_ptr<Dialog> options(Library().CreateOptionsDialog());
        EXPECT_DOUBLE_EQ(Child<Scrollbar>(*options, "MusicVolumeScrollbar")->GetValue().ToDouble(), c.shown);
        EXPECT_DOUBLE_EQ(Child<Scrollbar>(*options, "SoundEffectsScrollbar")->GetValue().ToDouble(), c.shown);
    }
}

TEST_F(WoppleGameDialogsTest, TheQuitDialogHangsOnTheLargePaperWithoutTheSavedLine)
{
    auto* quit = Show(dynamic_cast<WoppleAreYouSureQuitDialog*>(Library().CreateAreYouSureQuitDialog()));
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->GetName(), "QuitDialog");
    EXPECT_EQ(quit->FindChild("SavedGameLabel"), nullptr);
    EXPECT_NE(quit->FindChild("ropeBackground"), nullptr);
    EXPECT_EQ(quit->GetWidth(), 500);
    EXPECT_EQ(Child<Button>(*quit, "OkayButton")->GetPosition(), Point<int>(95, 318));
    EXPECT_EQ(Child<Button>(*quit, "CancelButton")->GetPosition(), Point<int>(250, 318));
    // The title hangs on the paper, above the buttons.
    const Label* title = quit->GetTitle();
    EXPECT_EQ(title->GetY(), 178);
    EXPECT_LE(title->GetY() + title->GetHeight(), 318);

    // Asked with the line, it says the game will be saved.
    WoppleAreYouSureQuitDialog saving(true);
    EXPECT_EQ(Child<Label>(saving, "SavedGameLabel")->GetText(), "Your game will be saved");
}

TEST_F(WoppleGameDialogsTest, TheCardsMoveInAndTheFirstAndThirdFurther)
{
    ChooseActivePlayerDialog engine("CardView", 2);
    std::unique_ptr<Dialog> made(Library().CreateChooseActivePlayerDialog("CardView", 2));
    auto* game = dynamic_cast<WoppleChooseActivePlayerDialog*>(made.get());
    ASSERT_NE(game, nullptr);
    ASSERT_EQ(game->GetCards().size(), 4u);
    for (int i = 1; i <= 4; ++i) {
        SCOPED_TRACE(i);
        const int further = i == 1 || i == 3 ? 55 : 31;
        EXPECT_EQ(game->GetCard(i)->GetX(), engine.GetCard(i)->GetX() + further);
        EXPECT_EQ(game->GetCard(i)->GetY(), engine.GetCard(i)->GetY() + 10);
    }
    // The buttons stand in one row on the dialog, under the cards.
    const CardView* lowest = game->GetCard(3);
    for (const char* name : {"OkayButton", "UpdateButton", "ClearPlayerButton"}) {
        const Button* b = Child<Button>(*game, name);
        EXPECT_GE(b->GetX(), 0) << name;
        EXPECT_LE(b->GetX() + b->GetWidth(), game->GetWidth()) << name;
        EXPECT_LE(b->GetY() + b->GetHeight(), game->GetHeight()) << name;
        EXPECT_GE(b->GetY(), lowest->GetY() + lowest->GetHeight()) << name;
    }
}

TEST_F(WoppleGameDialogsTest, TheNameEntryStartedFromThePlayerChoiceIsInFrontAndTakesTheClick)
{
    PlayerManager::GetInstance()->GetCurrentPlayer(1)->GetTable().SetString("Name", "Ada");
    auto* choose = Show(dynamic_cast<WoppleChooseActivePlayerDialog*>(
        Library().CreateChooseActivePlayerDialog("CardView", 2)));
    ASSERT_NE(choose, nullptr);
    MouseClick(*Child<Button>(*choose, "UpdateButton"));
    Passes(30);
    auto* entry = dynamic_cast<Dialog*>(screen->GetTopDialog(""));
    ASSERT_NE(entry, nullptr);
    ASSERT_NE(entry, choose);
    EXPECT_EQ(screen->GetDialogs().size(), 2u);

    // The choice behind it takes no click meanwhile: Clear leaves the player.
    MouseClick(*Child<Button>(*choose, "ClearPlayerButton"));
    Passes(5);
    EXPECT_EQ(PlayerManager::GetInstance()->GetCurrentPlayer(1)->GetTable()["Name"].GetString(), "Ada");
    EXPECT_EQ(screen->GetTopDialog(""), entry);

    // A click on the entry's Cancel closes the entry, not the choice behind it.
    MouseClick(*Child<Button>(*entry, "CancelButton"));
    Passes(30);
    EXPECT_EQ(screen->GetTopDialog(""), choose);
    EXPECT_EQ(screen->GetDialogs().size(), 1u);
    EXPECT_FALSE(choose->IsStopping());
}
