// The new player's wizard as the game's dialog library makes it: its pages
// and buttons, the name and the picture it writes as the player goes, what
// Cancel puts back, the picture loaded from a file (through the chooser, or
// typed where there is none), its place in front of the player choice, and
// the first run, from the splash to the menu with the new player's card.

#include "GameTestSupport.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/OsTestSupport.h"
#include "engine/runtime/Utility.h"
#include "engine/ui/Button.h"
#include "engine/ui/CardView.h"
#include "engine/ui/CommonDialogs.h"
#include "engine/ui/Label.h"
#include "engine/ui/RadioButton.h"
#include "engine/ui/RadioButtonGrid.h"
#include "game/shell/SetupNewPlayerWizard.h"
#include "game/shell/WoppleCardView.h"
#include "game/shell/WoppleMenuScreen.h"

using namespace gametest;

namespace {

class SetupNewPlayerWizardTest : public GameFixture
{
protected:
    void SetUp() override
    {
        Start();
        PlayerManager::GetInstance()->LoadGameData();
        player = PlayerManager::GetInstance()->GetCurrentPlayer(1);
        ASSERT_NE(player, nullptr);
        screen = AddScreen<Screen>("", "Wizard", nullptr);
        manager->SwitchToScreen("Wizard");
        Pass();
        // Only what a test hands over is ever chosen.
        SetPictureFileChooser([this] { return chosen; });
    }

    void TearDown() override
    {
        SetPictureFileChooser(nullptr);
        GameFixture::TearDown();
    }

    SetupNewPlayerWizard* ShowWizard()
    {
        auto* wizard = dynamic_cast<SetupNewPlayerWizard*>(app->GetCommonDialogs()->CreateEnterNameDialog(""));
        EXPECT_NE(wizard, nullptr);
        if (wizard) {
            screen->StartDialog(wizard, true);
            Passes(30);
        }
        return wizard;
    }

    template <typename T = Actor>
    T* Child(const Actor& parent, const std::string& name)
    {
        auto* child = dynamic_cast<T*>(parent.FindChild(name, true));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    void Press(SetupNewPlayerWizard& wizard, const std::string& name)
    {
        auto* button = Child<Button>(wizard, name);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->IsVisible()) << name;
        button->ManuallyPressButton();
        button->ManuallyReleaseButton();
        Passes(2);
    }

    // Typed a letter at a time, as SDL reports keys with their characters.
    void Type(const std::string& text)
    {
        for (char c : text) {
            SDL_Event e{};
            e.key.type = SDL_KEYDOWN;
            e.key.state = SDL_PRESSED;
            e.key.keysym.sym = static_cast<SDLKey>(static_cast<unsigned char>(c));
            e.key.keysym.unicode = static_cast<Uint16>(static_cast<unsigned char>(c));
            ASSERT_EQ(SDL_PushEvent(&e), 0);
            e.key.type = SDL_KEYUP;
            e.key.state = SDL_RELEASED;
            ASSERT_EQ(SDL_PushEvent(&e), 0);
            Pass();
        }
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

    // The radio button whose check mark shows, or "" when none does.
    std::string Ticked(SetupNewPlayerWizard& wizard)
    {
        std::string ticked;
        for (const char* name : {"male", "female", "custom"})
            if (Child<RadioButton>(*wizard.GetPictureGrid(), name)->IsChecked())
                ticked += name;
        return ticked;
    }

    LuaObject Options() { return player->GetOptionsTable(); }

    std::string Option(const char* key)
    {
        LuaObject value = Options()[key];
        return value.IsString() ? value.GetString() : std::string("(none)");
    }

    std::string Name() { return player->GetTable()["Name"].IsString() ? player->GetTable()["Name"].GetString() : "(none)"; }

    static int WarningsAbout(const std::string& what)
    {
        std::ifstream log(GetLogFilePath());
        int count = 0;
        for (std::string line; std::getline(log, line);)
            count += line.rfind("WARNING: ", 0) == 0 && line.find(what) != std::string::npos ? 1 : 0;
        return count;
    }

    // A real picture file outside the resources, and a file that only calls itself one.
    std::string PictureFile()
    {
        std::filesystem::copy_file(std::filesystem::path(VELK_GAME_DATA_DIR) / "images/players/female_hs.jpg",
                                   root / "me.jpg", std::filesystem::copy_options::overwrite_existing);
        return (root / "me.jpg").string();
    }
    std::string BrokenPictureFile()
    {
        const std::string path = (root / "broken.png").string();
        std::ofstream(path) << "not a picture at all";
        return path;
    }

    Player* player = nullptr;
    Screen* screen = nullptr;
    std::string chosen;
};

} // namespace

TEST_F(SetupNewPlayerWizardTest, EachPageShowsItsButtonsAndThePageNumbersWrap)
{
    SetupNewPlayerWizard* wizard = ShowWizard();
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(wizard->GetName(), "SetupNewPlayerWizard");
    ASSERT_EQ(wizard->GetPageCount(), 6);
    const char* pages[] = {"EnterNamePage",  "ChoosePicturePage", "HowToPlayPage1",
                           "HowToPlayPage2", "HowToPlayPage3",    "ReadyToPlayPage"};
    for (int page = 1; page <= 6; ++page) {
        SCOPED_TRACE(page);
        wizard->ShowPage(page);
        EXPECT_EQ(wizard->GetPage(page)->GetName(), pages[page - 1]);
        for (int other = 1; other <= 6; ++other)
            EXPECT_EQ(wizard->GetPage(other)->IsVisible(), other == page) << other;
        EXPECT_EQ(Child(*wizard, "NextButton")->IsVisible(), page != 6);
        EXPECT_EQ(Child(*wizard, "BackButton")->IsVisible(), page != 1);
        EXPECT_EQ(Child(*wizard, "OkayButton")->IsVisible(), page == 6);
        EXPECT_TRUE(Child(*wizard, "CancelButton")->IsVisible());
        // Play stands where Next stood.
        if (page == 6) {
            EXPECT_EQ(Child(*wizard, "OkayButton")->GetGlobalRect(), Child(*wizard, "NextButton")->GetGlobalRect());
        }
    }
    // The pictures of the pages hang on the paper.
    for (const char* picture : {"helpWoppleBoard.png", "helpWopple.png"})
        EXPECT_TRUE(Image(picture).GetSize().w > 0) << picture;

    wizard->ShowPage(0);
    EXPECT_EQ(wizard->GetCurrentPage(), 6);
    wizard->ShowPage(7);
    EXPECT_EQ(wizard->GetCurrentPage(), 1);
    EXPECT_TRUE(wizard->GetPage(1)->IsVisible());
    EXPECT_FALSE(wizard->GetPage(6)->IsVisible());

    // Next and Back walk the pages; the name box takes keys only on its page.
    Type("Zoe");
    EXPECT_EQ(wizard->GetText("TextBox"), "Zoe");
    Press(*wizard, "NextButton");
    EXPECT_EQ(wizard->GetCurrentPage(), 2);
    Type("x");
    EXPECT_EQ(wizard->GetText("TextBox"), "Zoe");
    Press(*wizard, "BackButton");
    EXPECT_EQ(wizard->GetCurrentPage(), 1);
}

TEST_F(SetupNewPlayerWizardTest, NextOnTheFirstPageStoresTheNameAndCancelPutsNameAndOptionsBack)
{
    player->GetTable().SetString("Name", "Old");
    Options().SetString("player.picture", "female_hs.jpg");

    // Cancel on page 1: what was typed never reaches the player.
    SetupNewPlayerWizard* wizard = ShowWizard();
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(wizard->GetText("TextBox"), "Old") << "the box starts with the player's name";
    wizard->SetText("TextBox", "");
    Type("Maya");
    EXPECT_EQ(Name(), "Old");
    Press(*wizard, "CancelButton");
    EXPECT_EQ(wizard->GetResultButtonName(), "CancelButton");
    Passes(30);
    EXPECT_EQ(Name(), "Old");
    EXPECT_TRUE(screen->GetDialogs().empty());

    // Next stores the name and the picture changes at once; Cancel later puts both back.
    wizard = ShowWizard();
    ASSERT_NE(wizard, nullptr);
    wizard->SetText("TextBox", "Maya");
    Press(*wizard, "NextButton");
    EXPECT_EQ(Name(), "Maya");
    Press(*wizard, "male");
    EXPECT_EQ(Option("player.picture"), "male_hs.jpg");
    EXPECT_EQ(Ticked(*wizard), "male");
    Press(*wizard, "NextButton");
    Press(*wizard, "CancelButton");
    Passes(30);
    EXPECT_EQ(Name(), "Old");
    EXPECT_EQ(Option("player.picture"), "female_hs.jpg");

    // Played to the end, the name stays and Play is the result.
    wizard = ShowWizard();
    ASSERT_NE(wizard, nullptr);
    wizard->SetText("TextBox", "Maya");
    for (int page = 1; page < 6; ++page)
        Press(*wizard, "NextButton");
    Press(*wizard, "OkayButton");
    EXPECT_EQ(wizard->GetResultButtonName(), "OkayButton");
    Passes(30);
    EXPECT_EQ(Name(), "Maya");
}

TEST_F(SetupNewPlayerWizardTest, ThePictureChoiceFollowsTheOptionAndCustomFallsBackToTheDefaultPhoto)
{
    struct Case {
        const char* picture;  // nullptr: the key is missing
        const char* ticked;
    };
    for (const Case& c : {Case{nullptr, "female"}, Case{"male_hs.jpg", "male"}, Case{"female_hs.jpg", "female"},
                          Case{"/somewhere/me.png", "custom"}}) {
        SCOPED_TRACE(c.picture ? c.picture : "missing");
        if (c.picture)
            Options().SetString("player.picture", c.picture);
        else
            Options().SetNil("player.picture");
        std::unique_ptr<SetupNewPlayerWizard> wizard(
            dynamic_cast<SetupNewPlayerWizard*>(app->GetCommonDialogs()->CreateEnterNameDialog("")));
        ASSERT_NE(wizard, nullptr);
        EXPECT_EQ(Ticked(*wizard), c.ticked);
    }

    // Custom without a picture of one's own: the default photo, in the cover's window.
    Options().SetNil("player.picture.custom");
    SetupNewPlayerWizard* wizard = ShowWizard();
    ASSERT_NE(wizard, nullptr);
    Press(*wizard, "NextButton");
    Press(*wizard, "custom");
    EXPECT_EQ(Option("player.picture"), "photoPlayer.custom.png");
    EXPECT_EQ(Ticked(*wizard), "custom");
    Actor* photo = Child(*wizard, "CustomPhoto");
    EXPECT_EQ(photo->GetImageName(), "photoPlayer.custom.png");
    EXPECT_EQ(photo->GetWidth(), 74);
    EXPECT_EQ(photo->GetHeight(), 78);
    const Rect cover = Child(*wizard, "CustomCover")->GetGlobalRect();
    const Rect shown = photo->GetGlobalRect();
    EXPECT_TRUE(shown.x >= cover.x && shown.y >= cover.y && shown.x + shown.w <= cover.x + cover.w &&
                shown.y + shown.h <= cover.y + cover.h);
}

TEST_F(SetupNewPlayerWizardTest, AChosenPictureBecomesThePlayersAndAnUnreadableOneChangesNothing)
{
    Options().SetString("player.picture", "male_hs.jpg");
    SetupNewPlayerWizard* wizard = ShowWizard();
    ASSERT_NE(wizard, nullptr);
    Press(*wizard, "NextButton");
    Actor* message = Child(*wizard, "PictureMessage");
    EXPECT_FALSE(message->IsVisible());

    // Cancelled in the chooser: nothing changes.
    chosen = "";
    Press(*wizard, "LoadButton");
    EXPECT_EQ(Option("player.picture"), "male_hs.jpg");
    EXPECT_EQ(Option("player.picture.custom"), "(none)");
    EXPECT_FALSE(message->IsVisible());

    // A file that is no picture: said on the page and in the log; the picture stays.
    chosen = BrokenPictureFile();
    Press(*wizard, "LoadButton");
    EXPECT_EQ(Option("player.picture"), "male_hs.jpg");
    EXPECT_EQ(Option("player.picture.custom"), "(none)");
    EXPECT_EQ(Ticked(*wizard), "male");
    EXPECT_TRUE(message->IsVisible());
    EXPECT_NE(dynamic_cast<Label*>(message)->GetText().find("picture"), std::string::npos);
    EXPECT_EQ(WarningsAbout("broken.png"), 1);
    EXPECT_EQ(Child(*wizard, "CustomPhoto")->GetImageName(), "photoPlayer.custom.png");

    // A real picture: it is the player's, ticked, in the window; the message goes.
    chosen = PictureFile();
    Press(*wizard, "LoadButton");
    EXPECT_EQ(Option("player.picture"), chosen);
    EXPECT_EQ(Option("player.picture.custom"), chosen);
    EXPECT_EQ(Ticked(*wizard), "custom");
    EXPECT_FALSE(message->IsVisible());
    EXPECT_EQ(Child(*wizard, "CustomPhoto")->GetImageName(), chosen);

    // Back to a drawn picture and to one's own again.
    Press(*wizard, "female");
    EXPECT_EQ(Option("player.picture"), "female_hs.jpg");
    Press(*wizard, "custom");
    EXPECT_EQ(Option("player.picture"), chosen);
}

TEST_F(SetupNewPlayerWizardTest, WithoutAFileChooserThePathIsTypedOnThePicturePage)
{
    SetPictureFileChooser(nullptr);
    ScopedEnvironment nowhere("PATH", (root / "no-programs").string());
    Options().SetString("player.picture", "female_hs.jpg");
    const std::string picture = PictureFile();
    SetupNewPlayerWizard* wizard = ShowWizard();
    ASSERT_NE(wizard, nullptr);
    Press(*wizard, "NextButton");
    Press(*wizard, "LoadButton");
    ASSERT_TRUE(wizard->IsPathEntryOpen());
    EXPECT_TRUE(Child(*wizard, "PathBox")->IsVisible());
    EXPECT_FALSE(wizard->GetPictureGrid()->IsVisible()) << "the choice makes room for the box";
    EXPECT_FALSE(Child(*wizard, "LoadButton")->IsVisible());

    // Return and Backspace belong to the box: the page stays.
    Type("x");
    Key(SDLK_BACKSPACE);
    Pass();
    EXPECT_EQ(wizard->GetText("PathBox"), "");
    EXPECT_EQ(wizard->GetCurrentPage(), 2);

    // A path that is no picture: the box stays open with the message.
    Type(root.string() + "/missing.png");
    Key(SDLK_RETURN);
    Passes(2);
    EXPECT_EQ(wizard->GetCurrentPage(), 2);
    EXPECT_TRUE(wizard->IsPathEntryOpen());
    EXPECT_TRUE(Child(*wizard, "PictureMessage")->IsVisible());
    EXPECT_EQ(Option("player.picture"), "female_hs.jpg");

    // The real one, with Return.
    wizard->SetText("PathBox", "");
    Type(picture);
    Key(SDLK_RETURN);
    Passes(2);
    EXPECT_FALSE(wizard->IsPathEntryOpen());
    EXPECT_EQ(Option("player.picture"), picture);
    EXPECT_EQ(Ticked(*wizard), "custom");
    EXPECT_TRUE(wizard->GetPictureGrid()->IsVisible());
    EXPECT_FALSE(Child(*wizard, "PictureMessage")->IsVisible());

    // Open with an empty box changes nothing and closes it; Return is Next's again.
    Press(*wizard, "LoadButton");
    Press(*wizard, "OpenButton");
    EXPECT_FALSE(wizard->IsPathEntryOpen());
    EXPECT_EQ(Option("player.picture"), picture);
    Key(SDLK_RETURN);
    Passes(2);
    EXPECT_EQ(wizard->GetCurrentPage(), 3);
}

TEST_F(SetupNewPlayerWizardTest, TheWizardFromThePlayerChoiceIsInFrontAndTakesTheClick)
{
    player->GetTable().SetString("Name", "Ada");
    auto* choose = dynamic_cast<Dialog*>(app->GetCommonDialogs()->CreateChooseActivePlayerDialog("CardView", 2));
    ASSERT_NE(choose, nullptr);
    screen->StartDialog(choose, true);
    Passes(30);
    MouseClick(*Child<Button>(*choose, "UpdateButton"));
    Passes(30);
    auto* wizard = dynamic_cast<SetupNewPlayerWizard*>(screen->GetTopDialog(""));
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(screen->GetDialogs().size(), 2u);
    EXPECT_EQ(wizard->GetText("TextBox"), "Ada");

    // A person's click on Next reaches the wizard, in front.
    wizard->SetText("TextBox", "Bea");
    MouseClick(*Child<Button>(*wizard, "NextButton"));
    Passes(2);
    EXPECT_EQ(wizard->GetCurrentPage(), 2);
    EXPECT_EQ(Name(), "Bea");
    MouseClick(*Child<Button>(*wizard, "male"));
    Passes(2);
    EXPECT_EQ(Option("player.picture"), "male_hs.jpg");
    EXPECT_FALSE(choose->IsStopping());
}

TEST_F(SetupNewPlayerWizardTest, TheTextCallsNeedATextBox)
{
    std::unique_ptr<SetupNewPlayerWizard> wizard(new SetupNewPlayerWizard());
    for (const char* name : {"NoSuchChild", "NextButton"}) {
        try {
            wizard->GetText(name);
            ADD_FAILURE() << name;
        } catch (const Exception& e) {
            EXPECT_NE(e.GetMessage().find("textBox!=0"), std::string::npos);
            EXPECT_NE(e.GetMessage().find("TextBox = NULL"), std::string::npos);
        }
        EXPECT_THROW(wizard->SetText(name, "x"), Exception);
    }
}

TEST_F(SetupNewPlayerWizardTest, TheWizardsButtonsTakeTheirKeysBeforeThePictureChoice)
{
    Options().SetString("player.picture", "female_hs.jpg");
    SetupNewPlayerWizard* wizard = ShowWizard();
    ASSERT_NE(wizard, nullptr);
    Press(*wizard, "NextButton");
    // A plain letter picks its picture; with Alt it is the wizard's button.
    Key('m');
    Passes(2);
    EXPECT_EQ(Option("player.picture"), "male_hs.jpg");
    Key('c', KMOD_LALT);
    Passes(2);
    EXPECT_EQ(Option("player.picture"), "female_hs.jpg") << "Alt+C cancels, and Cancel puts the picture back";
    EXPECT_TRUE(wizard->IsStopping());
    EXPECT_EQ(wizard->GetResultButtonName(), "CancelButton");
    Passes(30);

    // Escape cancels too, on any page.
    wizard = ShowWizard();
    ASSERT_NE(wizard, nullptr);
    wizard->ShowPage(4);
    Key(SDLK_ESCAPE);
    Passes(2);
    EXPECT_TRUE(wizard->IsStopping());
    EXPECT_EQ(wizard->GetResultButtonName(), "CancelButton");
    Passes(30);
}

namespace {

class FreshHomeTest : public GameFixture
{
};

} // namespace

TEST_F(FreshHomeTest, TheFirstRunSignsThePlayerInWithTheKeysAndTheMenuShowsTheirCard)
{
    // Nothing to load: the splash goes on to the menu, which asks the nameless first player.
    Start({"--noprecache"}, true);
    Passes(3);
    Screen* menu = manager->GetCurrentScreen();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->GetName(), "MenuScreen");
    EXPECT_EQ(menu->GetStateName(), "EnteringPlayerName");
    auto* wizard = dynamic_cast<SetupNewPlayerWizard*>(menu->GetTopDialog(""));
    ASSERT_NE(wizard, nullptr);
    Passes(30);

    // Typed, then Return through the pages; on the last one Return is Play.
    for (char c : std::string("Ana")) {
        SDL_Event e{};
        e.key.type = SDL_KEYDOWN;
        e.key.state = SDL_PRESSED;
        e.key.keysym.sym = static_cast<SDLKey>(c);
        e.key.keysym.unicode = static_cast<Uint16>(c);
        ASSERT_EQ(SDL_PushEvent(&e), 0);
        Pass();
    }
    for (int page = 1; page <= 5; ++page) {
        Key(SDLK_RETURN);
        Passes(2);
        EXPECT_EQ(wizard->GetCurrentPage(), page + 1);
    }
    Key(SDLK_RETURN);
    Passes(40);

    EXPECT_EQ(menu->GetStateName(), "Normal");
    EXPECT_TRUE(menu->GetDialogs().empty());
    Player* player = PlayerManager::GetInstance()->GetCurrentPlayer(1);
    EXPECT_EQ(player->GetTable()["Name"].GetString(), "Ana");
    auto* card = dynamic_cast<WoppleMenuScreen*>(menu)->GetCardView();
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->GetPlayer(), player);
    EXPECT_FALSE(card->IsEmptySlot());
    auto* gameCard = dynamic_cast<WoppleCardView*>(card);
    ASSERT_NE(gameCard, nullptr);
    ASSERT_NE(gameCard->GetNameLabel(), nullptr);
    EXPECT_EQ(gameCard->GetNameLabel()->GetText(), "Ana") << "the card shows the name";
}
