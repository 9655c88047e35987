// The engine's common dialogs: the application's library and the console's way
// to it, the options dialog and its bound settings, the name entry (its limit,
// its keys and the name it stores), the load-saved-game and quit dialogs, and
// the credits' pages.

#include "DialogTestSupport.h"
#include "engine/runtime/Font.h"
#include "engine/ui/CommonDialogs.h"
#include "engine/ui/CreditsDialog.h"
#include "engine/ui/Label.h"
#include "engine/ui/OptionsDialog.h"
#include "engine/ui/RadioButton.h"
#include "engine/ui/RadioButtonGrid.h"
#include "engine/ui/Scrollbar.h"
#include "engine/ui/TextBox.h"

#include <gmock/gmock.h>

using namespace dialogtest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class CommonDialogsTest : public DialogFixture
{
protected:
    CommonDialogLibrary& Library() { return *app->GetCommonDialogs(); }

    template <typename T>
    T* Child(Actor& parent, const std::string& name)
    {
        auto* child = dynamic_cast<T*>(parent.FindChild(name, true));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    Player* CurrentPlayer() { return PlayerManager::GetInstance()->GetCurrentPlayer(1); }

    // Every label directly on the dialog, by text.
    static std::vector<std::string> LabelTexts(const Actor& dialog)
    {
        std::vector<std::string> texts;
        for (Actor* child : dialog.GetChildren())
            if (auto* label = dynamic_cast<Label*>(child))
                texts.push_back(label->GetText());
        return texts;
    }
};

// A library of the game's kind: it replaces one factory.
class OwnLibrary : public CommonDialogLibrary
{
public:
    Dialog* CreateAreYouSureQuitDialog() override { return new AreYouSureQuitDialog(true); }
};

} // namespace

TEST_F(CommonDialogsTest, TheApplicationOwnsALibraryThatTheGameCanReplaceAndTheConsoleReaches)
{
    ASSERT_NE(app->GetCommonDialogs(), nullptr);
    std::unique_ptr<Dialog> quit(Library().CreateAreYouSureQuitDialog());
    EXPECT_EQ(quit->GetName(), "QuitDialog");
    EXPECT_EQ(quit->FindChild("SavedGameLabel"), nullptr);

    app->SetCommonDialogs(new OwnLibrary);
    std::unique_ptr<Dialog> saved(Library().CreateAreYouSureQuitDialog());
    EXPECT_NE(saved->FindChild("SavedGameLabel"), nullptr);
    // The factories it keeps are the engine's.
    std::unique_ptr<Dialog> load(Library().CreateLoadSavedGameDialog());
    EXPECT_NE(dynamic_cast<LoadSavedGameDialog*>(load.get()), nullptr);

    // Each kind opens on the current screen from a script.
    for (const char* kind : {"Options", "EnterName", "LoadSavedGame", "AreYouSureQuit", "Credits"}) {
        SCOPED_TRACE(kind);
        LuaObject dialog = Eval(std::string("StartCommonDialog('") + kind + "')");
        auto* shown = dynamic_cast<Dialog*>(Object::FromLuaObject(dialog));
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(screen->GetTopDialog(""), shown);
        EXPECT_TRUE(app->IsGamePaused());
    }
    LuaState lua = app->GetLuaState();
    EXPECT_NE(lua.DoString("StartCommonDialog('Nonsense')"), 0);
    EXPECT_THAT(lua.PopErrorMessage(), HasSubstr("There is no common dialog \"Nonsense\""));
}

TEST_F(CommonDialogsTest, TheOptionsScrollbarsWriteAndFollowTheirSettings)
{
    auto* options = Show(dynamic_cast<OptionsDialog*>(Library().CreateOptionsDialog()));
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->GetName(), "OptionsDialog");
    EXPECT_EQ(options->GetTitle()->GetText(), "Options");
    EXPECT_EQ(options->GetWidth(), 500);
    auto* music = Child<Scrollbar>(*options, "MusicVolumeScrollbar");
    auto* sound = Child<Scrollbar>(*options, "SoundEffectsScrollbar");
    EXPECT_DOUBLE_EQ(music->GetValue().ToDouble(), 40);
    EXPECT_DOUBLE_EQ(sound->GetValue().ToDouble(), 75);
    EXPECT_FALSE(music->GetPlayScrollSound());
    EXPECT_TRUE(sound->GetPlayScrollSound());

    music->SetValue(65, true);
    Pass();
    EXPECT_DOUBLE_EQ(Setting("music_volume").ToDouble(), 65);
    Lua("Config.sfx_volume = 20");
    Pass();
    EXPECT_DOUBLE_EQ(sound->GetValue().ToDouble(), 20);

    // Rows: each label ends 10 pixels before the column (250 - 60) on its row.
    auto* musicLabel = Child<Label>(*options, "MusicVolume");
    EXPECT_EQ(musicLabel->GetX() + musicLabel->GetWidth(), 180);
    EXPECT_EQ(musicLabel->GetY() + musicLabel->GetHeight() / 2, 20 + 115);
    EXPECT_EQ(music->GetX(), 200);
    EXPECT_EQ(sound->GetY() + sound->GetHeight() / 2, 20 + 160);
}

TEST_F(CommonDialogsTest, TheOptionsDialogFollowsTheScreenModeAndStoresTheSkill)
{
    auto* options = Show(dynamic_cast<OptionsDialog*>(Library().CreateOptionsDialog()));
    auto* display = Child<Label>(*options, "DisplayLabel");
    auto* acceleration = Child<Label>(*options, "3DAccelerationLabel");
    EXPECT_EQ(display->GetText(), "Window");
    EXPECT_EQ(acceleration->GetText(), "Off");
    Lua("Config.full_screen = true");
    Pass();
    EXPECT_EQ(display->GetText(), "Full Screen");
    // The state label stands clear of its switch.
    auto* fullScreen = Child<Button>(*options, "FullScreenButton");
    EXPECT_LT(display->GetX() + display->GetWidth(), fullScreen->GetX());

    // Without an accelerated display the switch falls back at once; the label says what is.
    Click(*Child<Button>(*options, "3DAccelerationButton"));
    Pass();
    EXPECT_EQ(acceleration->GetText(), app->IsHWAccelEnabled() ? "On" : "Off");
    EXPECT_EQ(options->GetResultButtonName(), "3DAccelerationButton");
    EXPECT_FALSE(options->IsStopping());

    // No skill yet: casual; a click stores the one chosen.
    RadioButtonGrid* grid = options->GetSkillGrid();
    ASSERT_NE(grid, nullptr);
    EXPECT_TRUE(Child<RadioButton>(*grid, "casual")->IsChecked());
    EXPECT_FALSE(Child<RadioButton>(*grid, "kid")->IsChecked());
    Click(*Child<RadioButton>(*grid, "gamer"));
    EXPECT_EQ(CurrentPlayer()->GetOptionsTable()["player.skill"].GetString(), "gamer");
    EXPECT_TRUE(Child<RadioButton>(*grid, "gamer")->IsChecked());
    EXPECT_FALSE(Child<RadioButton>(*grid, "casual")->IsChecked());

    // Credits opens on top; Okay closes the options.
    Click(*Child<Button>(*options, "CreditsButton"));
    EXPECT_EQ(screen->GetTopDialog("")->GetName(), "CreditsDialog");
}

TEST_F(CommonDialogsTest, TheNameBoxTakesNineLettersAndOnlyAltPressesTheButtons)
{
    auto* dialog = Show(dynamic_cast<EnterNameDialog*>(Library().CreateEnterNameDialog("Ann")));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetName(), "EnterNameDialog");
    TextBox* box = dialog->GetTextBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetText(), "Ann");
    EXPECT_EQ(box->GetX() + box->GetWidth() / 2, 200);
    EXPECT_EQ(box->GetY() + box->GetHeight() / 2, 150);
    for (Button* button : dialog->GetLowerButtons())
        EXPECT_EQ(button->GetY() + button->GetHeight(), 300 - 35);

    // 'o' and 'c' are letters of the name...
    for (int key : {'o', 'c', 'e', 'l', 'i', 'a'})
        Stroke(key);
    EXPECT_EQ(box->GetText(), "Annocelia");
    EXPECT_FALSE(dialog->IsStopping());
    // ...and a tenth does not fit.
    Stroke('x');
    EXPECT_EQ(box->GetText(), "Annocelia");

    // Alt+'o' is Okay.
    Stroke('o', KMOD_LALT);
    EXPECT_EQ(box->GetText(), "Annocelia");
    EXPECT_TRUE(dialog->IsStopping());
    EXPECT_EQ(dialog->GetResultButtonName(), "OkayButton");
}

TEST_F(CommonDialogsTest, OkayStoresTheNameInThePlayerBeforeTheOwnerHearsOfIt)
{
    Player* player = CurrentPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(player->IsUnused());
    auto* dialog = Show(dynamic_cast<EnterNameDialog*>(Library().CreateEnterNameDialog("")));
    for (int key : {' ', 'B', 'e', 'a', ' '})
        Stroke(key);
    Stroke(SDLK_RETURN);
    EXPECT_EQ(player->GetTable()["Name"].GetString(), "Bea");
    Passes(20);
    EXPECT_THAT(screen->Take(), ElementsAre("stopped EnterNameDialog OkayButton", "delete EnterNameDialog"));

    // Cancel keeps the name; an empty name on Okay leaves it too.
    dialog = Show(dynamic_cast<EnterNameDialog*>(Library().CreateEnterNameDialog("Zed")));
    Stroke(SDLK_ESCAPE);
    Passes(20);
    EXPECT_EQ(player->GetTable()["Name"].GetString(), "Bea");
    dialog = Show(dynamic_cast<EnterNameDialog*>(Library().CreateEnterNameDialog("")));
    Stroke(SDLK_RETURN);
    EXPECT_EQ(player->GetTable()["Name"].GetString(), "Bea");
    Passes(20);

    // Another subject, or none.
    Player* second = PlayerManager::GetInstance()->GetPlayer(2);
    dialog = Show(dynamic_cast<EnterNameDialog*>(Library().CreateEnterNameDialog("Cy")));
    dialog->SetSubjectPlayer(second);
    Stroke(SDLK_RETURN);
    EXPECT_EQ(second->GetTable()["Name"].GetString(), "Cy");
    EXPECT_EQ(player->GetTable()["Name"].GetString(), "Bea");
}

TEST_F(CommonDialogsTest, ReturnResumesTheSavedGameAndNewNeedsItsOwnKey)
{
    auto* dialog = Show(Library().CreateLoadSavedGameDialog());
    EXPECT_EQ(dialog->GetName(), "LoadSavedGameDialog");
    EXPECT_EQ(dialog->GetTitle()->GetText(), "Load Last Game?");
    Button* fresh = dialog->GetButton("OkayButton");
    Button* resume = dialog->GetButton("ResumeButton");
    ASSERT_NE(resume, nullptr);
    EXPECT_EQ(fresh->GetLabel()->GetText(), "New");
    EXPECT_EQ(fresh->GetShortcutKey(), 'n');
    EXPECT_EQ(resume->GetLabel()->GetText(), "Resume");
    EXPECT_EQ(resume->GetLabel()->GetFont()->GetPointSize(), 29);
    // Resume stands centred over New, 5 pixels above it.
    EXPECT_EQ(resume->GetX() + resume->GetWidth() / 2, fresh->GetX() + fresh->GetWidth() / 2);
    EXPECT_EQ(resume->GetY() + resume->GetHeight() + 5, fresh->GetY());
    EXPECT_EQ(fresh->GetY() + fresh->GetHeight(), 420 - 45);
    EXPECT_THAT(LabelTexts(*dialog), ::testing::IsSupersetOf({std::string("Your last game was saved."),
                                                               std::string("Would you like to\nRESUME playing or\n"
                                                                           "begin a NEW game?")}));

    Stroke(SDLK_RETURN);
    Passes(20);
    EXPECT_THAT(screen->Take(), ElementsAre("stopped LoadSavedGameDialog ResumeButton", "delete LoadSavedGameDialog"));
    dialog = Show(Library().CreateLoadSavedGameDialog());
    Stroke('n');
    Passes(20);
    EXPECT_THAT(screen->Take(), ElementsAre("stopped LoadSavedGameDialog OkayButton", "delete LoadSavedGameDialog"));
}

TEST_F(CommonDialogsTest, TheEngineQuitDialogAsksWithoutTheSavedGameLine)
{
    auto* dialog = Show(Library().CreateAreYouSureQuitDialog());
    EXPECT_EQ(dialog->GetTitle()->GetText(), "Are You Sure\nYou Want To Quit?");
    EXPECT_THAT(LabelTexts(*dialog), ::testing::Not(::testing::Contains("Your game will be saved")));
    EXPECT_EQ(dialog->GetButton("OkayButton")->GetLabel()->GetText(), "Yes");
    EXPECT_EQ(dialog->GetButton("CancelButton")->GetLabel()->GetText(), "No");
    // Yes left of the middle, No right of it, both 35 pixels off the bottom.
    EXPECT_EQ(dialog->GetButton("OkayButton")->GetX() + dialog->GetButton("OkayButton")->GetWidth() / 2, 130);
    EXPECT_EQ(dialog->GetButton("CancelButton")->GetX() + dialog->GetButton("CancelButton")->GetWidth() / 2, 260);
    EXPECT_EQ(dialog->GetButton("CancelButton")->GetY() + dialog->GetButton("CancelButton")->GetHeight(), 265);
    Stroke(SDLK_ESCAPE);
    Passes(20);
    EXPECT_THAT(screen->Take(), ElementsAre("stopped QuitDialog CancelButton", "delete QuitDialog"));

    std::unique_ptr<AreYouSureQuitDialog> saving(new AreYouSureQuitDialog(true));
    Label* line = dynamic_cast<Label*>(saving->FindChild("SavedGameLabel"));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->GetText(), "Your game will be saved");
    EXPECT_EQ(line->GetY() + line->GetHeight() / 2, 160);
}

TEST_F(CommonDialogsTest, CreditsTurnTheirPagesAndEnableOnlyTheWaysOnward)
{
    Lua("Resources.CreditsDialog = { pages = {"
        " { class = 'Actor', name = 'one' }, { class = 'Actor', name = 'two' }, { class = 'Actor', name = 'three' } } }");
    auto* credits = Show(new CreditsDialog);
    EXPECT_EQ(credits->GetName(), "CreditsDialog");
    EXPECT_EQ(credits->GetPageCount(), 3);
    Button* next = credits->GetButton("NextButton");
    Button* prev = credits->GetButton("PrevButton");
    Button* okay = credits->GetButton("OkayButton");
    ASSERT_NE(next, nullptr);
    ASSERT_NE(prev, nullptr);
    EXPECT_EQ(okay->GetY() + okay->GetHeight(), 540 - 50);
    EXPECT_EQ(next->GetX(), okay->GetX() + okay->GetWidth() + 5);
    EXPECT_EQ(prev->GetX() + prev->GetWidth() + 5, okay->GetX());
    EXPECT_EQ(next->GetY(), okay->GetY());

    auto shows = [&](const char* name, bool prevOn, bool nextOn) {
        SCOPED_TRACE(name);
        ASSERT_NE(credits->GetPageActor(), nullptr);
        EXPECT_EQ(credits->GetPageActor()->GetName(), name);
        EXPECT_EQ(credits->GetPageHolder()->GetNumChildren(), 1u);
        EXPECT_EQ(prev->IsEnabled(), prevOn);
        EXPECT_EQ(next->IsEnabled(), nextOn);
    };
    shows("one", false, true);
    Click(*next);
    shows("two", true, true);
    Stroke('n');
    shows("three", true, false);
    Click(*prev);
    shows("two", true, true);
    // Return is Okay's, not a page turn.
    Stroke(SDLK_RETURN);
    Passes(20);
    EXPECT_THAT(screen->Take(), ElementsAre("stopped CreditsDialog OkayButton", "delete CreditsDialog"));
}

TEST_F(CommonDialogsTest, WithoutPagesTheCreditsShowTheConfiguredText)
{
    std::unique_ptr<CreditsDialog> credits(new CreditsDialog);
    EXPECT_EQ(credits->GetPageCount(), 1);
    auto* page = dynamic_cast<Label*>(credits->GetPageActor());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->GetText(), "Made by us");
    EXPECT_EQ(page->GetFont()->GetFontName(), "ComicNeue-Bold.otf");
    EXPECT_FALSE(credits->GetButton("PrevButton")->IsEnabled());
    EXPECT_FALSE(credits->GetButton("NextButton")->IsEnabled());

    // A page that makes no actor is refused.
    Lua("Resources.CreditsDialog = { pages = { { class = 'ActorGroup' } } }");
    try {
        CreditsDialog broken;
        ADD_FAILURE() << "a page that is no actor was shown";
    } catch (const Exception& e) {
        EXPECT_THAT(e.GetMessage(), HasSubstr("Assertion failed: (pageActor)"));
    }
}
