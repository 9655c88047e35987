// The stamp book: a badge for every award, held ones full and the rest faded,
// the info card of the stamp clicked, its states, and the first and later
// visits of a player. The players come from card files, as the game reads them.

#include "GameTestSupport.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/ui/Button.h"
#include "engine/ui/Dialog.h"
#include "engine/ui/Label.h"
#include "engine/ui/NoteManager.h"
#include "game/shell/WoppleAwardScreen.h"
#include "game/shell/WoppleMenuScreen.h"
#include "game/shell/WopplePlayer.h"

#include <cmath>
#include <iterator>

using namespace gametest;

namespace {

// Marina holds two stamps and is on her way to others; Kai holds every stamp
// and has seen the book before.
const char* const kMarinaCard =
    "Player { guid = 5001, Name = [[Marina]], Options = {}, Game_Modes = {},\n"
    "  Awards = { fullSpin = true, classic = true },\n"
    "  Achievements = { matchedReels = 5, classicScore = 31000, jokers = 1, simultaneousWopples = 0,\n"
    "                   wopples = 2, stamps = 2 } }\n";
const char* const kKaiCard =
    "Player { guid = 5002, Name = [[Kai]], Game_Modes = {},\n"
    "  Options = { AwardScreenStats = { seenHelpBlink = true } },\n"
    "  Awards = { ticTacWopples = true, fullSpin = true, classic = true, grandWopple = true,\n"
    "             matchMaker = true, superJoker = true, woppleBonanza = true, cardRush = true,\n"
    "             speedDemon = true, tenAtOnce = true, tenMillion = true, stampCollector = true },\n"
    "  Achievements = { stamps = 12 } }\n";

class WoppleAwardScreenTest : public GameFixture
{
protected:
    // The game started over the fixture cards, Marina current.
    void StartWithCards()
    {
        Start({"--noprecache"});
        const std::filesystem::path cards = root / "data" / "Wopple Vevev Documents" / "Player Cards";
        std::filesystem::create_directories(cards);
        std::ofstream(cards / "Player1.card") << kMarinaCard;
        std::ofstream(cards / "Player2.card") << kKaiCard;
        app->InitGame();
        manager = ScreenManager::GetInstance();
        screen = dynamic_cast<WoppleAwardScreen*>(manager->GetScreen("AwardScreen"));
        ASSERT_NE(screen, nullptr);
        marina = Current();
        ASSERT_EQ(marina->GetTable()["Name"].GetString(), "Marina");
    }

    static WopplePlayer* Current()
    {
        return dynamic_cast<WopplePlayer*>(PlayerManager::GetInstance()->GetCurrentPlayer(1));
    }

    void ShowBook()
    {
        manager->SwitchToScreen("AwardScreen");
        Passes(3);
        ASSERT_EQ(manager->GetCurrentScreen(), screen);
    }

    void MakeCurrent(int index)
    {
        PlayerManager* players = PlayerManager::GetInstance();
        players->SetCurrentPlayer(players->GetPlayer(index), 1);
    }

    void Click(Actor* actor)
    {
        auto* button = dynamic_cast<Button*>(actor);
        ASSERT_NE(button, nullptr);
        button->ManuallyPressButton();
        button->ManuallyReleaseButton();
        Passes(2);
    }
    void Click(const std::string& name) { Click(screen->FindChild(name, true)); }

    std::string LabelText(const std::string& name) const
    {
        auto* label = dynamic_cast<Label*>(screen->FindChild(name, true));
        return label ? label->GetText() : "(no label)";
    }

    // The words as written, whatever the wrapping made of the lines.
    std::string Words(const std::string& name) const
    {
        std::istringstream in(LabelText(name));
        std::string word, words;
        while (in >> word)
            words += (words.empty() ? "" : " ") + word;
        return words;
    }

    // The closed dialogs rise away and go, however long the machine takes over it.
    void CloseOut()
    {
        for (int pass = 0; pass < 2000 && TopDialog(); ++pass)
            Pass();
    }

    Dialog* TopDialog() const
    {
        Dialog* found = nullptr;
        for (Actor* child : screen->GetChildren())
            if (auto* dialog = dynamic_cast<Dialog*>(child))
                found = dialog;
        return found;
    }

    std::vector<std::string> AwardKeys()
    {
        std::vector<std::string> keys;
        for (LuaTableIterator it(Eval("WoppleAwardsList")); it; ++it)
            keys.push_back(it.GetKey().GetString());
        return keys;
    }

    WoppleAwardScreen* screen = nullptr;
    WopplePlayer* marina = nullptr;
};

} // namespace

TEST_F(WoppleAwardScreenTest, EveryAwardIsABadgeHeldOnesFullTheOthersFaded)
{
    StartWithCards();
    ShowBook();
    const std::vector<std::string> keys = AwardKeys();
    ASSERT_EQ(keys.size(), 12u);
    for (const std::string& key : keys) {
        SCOPED_TRACE(key);
        Button* badge = screen->GetBadge(key);
        ASSERT_NE(badge, nullptr);
        EXPECT_EQ(badge->GetParent(), screen);
        EXPECT_TRUE(badge->RetrieveProperty("isStamp").IsBoolean() && badge->RetrieveProperty("isStamp").GetBoolean());
        const bool held = key == "fullSpin" || key == "classic";
        EXPECT_EQ(badge->GetAlpha(), held ? 255 : 64);
        EXPECT_EQ(badge->GetShaderType(), SHADERTYPE_BLENDCOMBINEDALPHA);

        // The stamp where its award puts it, at the book's share of the dialog's size.
        const LuaObject looks = Eval("WoppleAwardsList." + key + ".visualProperties");
        EXPECT_EQ(badge->GetX(), looks["position"][1].GetInteger());
        EXPECT_EQ(badge->GetY(), looks["position"][2].GetInteger());
        Image full(looks["image"].GetString());
        EXPECT_NEAR(badge->GetWidth(), full.GetSize().w * 84.0 / 145.0, 1.0);
        EXPECT_NEAR(badge->GetHeight(), full.GetSize().h * 103.0 / 179.0, 1.0);

        // The tint covers the badge and keeps its own strength on faded badges too.
        Actor* layer = badge->FindChild("hilightLayer");
        ASSERT_NE(layer, nullptr);
        EXPECT_FALSE(layer->IsVisible());
        EXPECT_EQ(layer->GetAlpha(), 128);
        EXPECT_EQ(layer->GetWidth(), badge->GetWidth());
        EXPECT_EQ(layer->GetHeight(), badge->GetHeight());

        auto* tip = dynamic_cast<Label*>(badge->FindChild("stampScreenTip"));
        ASSERT_NE(tip, nullptr);
        EXPECT_EQ(tip->GetText(), Eval("WoppleAwardsList." + key + ".fullName").GetString());
        EXPECT_FALSE(tip->IsVisible());
    }
}

TEST_F(WoppleAwardScreenTest, TheHighlightIsTheStampOnAFieldOfItsColour)
{
    StartWithCards();
    Button* badge = screen->GetBadge("matchMaker");
    ASSERT_NE(badge, nullptr);
    Image* tint = badge->FindChild("hilightLayer")->GetImage();
    ASSERT_NE(tint, nullptr);
    SDL_Surface* surface = tint->GetSurface();
    ASSERT_NE(surface, nullptr);
    auto pixel = [&](int x, int y) {
        Uint8 r, g, b, a;
        SDL_LockSurface(surface);
        const Uint32 value = static_cast<Uint32*>(surface->pixels)[y * surface->pitch / 4 + x];
        SDL_UnlockSurface(surface);
        SDL_GetRGBA(value, surface->format, &r, &g, &b, &a);
        return std::vector<int>{r, g, b, a};
    };
    auto near = [](const std::vector<int>& a, const std::vector<int>& b) {
        for (size_t i = 0; i < a.size(); ++i)
            if (std::abs(a[i] - b[i]) > 2)
                return false;
        return true;
    };
    const std::vector<int> pink = {255, 95, 138, 255};
    // A corner lies in the stamp's perforation: the field's pink shows there, opaque.
    EXPECT_TRUE(near(pixel(0, 0), pink));
    // The stamp's middle is the stamp's own picture, not the field.
    EXPECT_FALSE(near(pixel(tint->GetSize().w / 2, tint->GetSize().h / 2), pink));
}

TEST_F(WoppleAwardScreenTest, HoveringABadgeShowsItsTintAlsoWhenFaded)
{
    StartWithCards();
    ShowBook();
    for (const char* key : {"superJoker", "classic"}) {
        SCOPED_TRACE(key);
        Button* badge = screen->GetBadge(key);
        const Rect box = badge->GetGlobalRect();
        Actor* layer = badge->FindChild("hilightLayer");
        // One pixel in shows it, one pixel out (past the bottom right) hides it again.
        app->ResetRolloverAt(box.x + box.w - 1, box.y + box.h - 1, true);
        Passes(2);
        EXPECT_TRUE(layer->IsVisible());
        EXPECT_EQ(layer->GetAlpha(), 128);
        app->ResetRolloverAt(box.x + box.w, box.y + box.h, true);
        Passes(2);
        EXPECT_FALSE(layer->IsVisible());
    }
}

TEST_F(WoppleAwardScreenTest, ClickingABadgeShowsItsNamePictureDescriptionAndProgress)
{
    StartWithCards();
    ShowBook();
    // Before any click the card shows the first stamp.
    EXPECT_EQ(screen->GetShownAward(), "ticTacWopples");
    EXPECT_EQ(LabelText("Header"), "Tic Tac Wopple");
    for (const char* name : {"Header", "stampImage", "Text"})
        EXPECT_TRUE(screen->FindChild(name, true)->IsVisible()) << name;

    struct Case
    {
        const char* key;
        const char* header;
        const char* words;
        int alpha;
    };
    const Case cases[] = {
        // Not held, at exactly one: the singular text.
        {"superJoker", "Super Joker", "Spin five jokers at once in a mode other than 7x7. You have spun 1 joker.", 64},
        // Not held, at none: the plural.
        {"ticTacWopples", "Tic Tac Wopple",
         "Get four Wopples in a single move, without using Bounce Wopples. Your best move so far had 0 simultaneous "
         "Wopples.",
         64},
        {"grandWopple", "Grand Wopple", "Make 1,000 Wopples. You have made 2 Wopples.", 64},
        // Held: the congratulation and no requirement.
        {"classic", "Classic", "Score 30,000 points in classic mode. You have successfully gained this stamp!", 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        Click(screen->GetBadge(c.key));
        EXPECT_EQ(screen->GetShownAward(), c.key);
        EXPECT_EQ(LabelText("Header"), c.header);
        EXPECT_EQ(Words("Text"), c.words);
        Actor* picture = screen->FindChild("stampImage", true);
        EXPECT_EQ(picture->GetImageName(), Eval(std::string("WoppleAwardsList.") + c.key + ".visualProperties.image")
                                               .GetString());
        EXPECT_EQ(picture->GetAlpha(), c.alpha);
        // Centred in the info column under its heading, whatever the badge's place in the book.
        Actor* column = screen->FindChild("stampInfo", true);
        const Rect area = column->GetGlobalRect();
        const Rect shown = picture->GetGlobalRect();
        EXPECT_EQ(shown.y, area.y + 40);
        EXPECT_NEAR(shown.x + shown.w / 2.0, area.x + area.w / 2.0, 1.0);
        // The text's last line stays in the column and clear of the picture.
        const Rect text = screen->FindChild("Text", true)->GetGlobalRect();
        EXPECT_GE(text.y, shown.y + shown.h);
        EXPECT_LE(text.y + text.h, area.y + area.h);
        const Rect header = screen->FindChild("Header", true)->GetGlobalRect();
        EXPECT_LE(header.y + header.h, shown.y);
        EXPECT_GE(header.x, area.x);
        EXPECT_LE(header.x + header.w, area.x + area.w);
    }
    EXPECT_EQ(screen->GetStateName(), "Normal");
}

TEST_F(WoppleAwardScreenTest, EveryStampsInfoFitsItsColumn)
{
    StartWithCards();
    ShowBook();
    const Rect area = screen->FindChild("stampInfo", true)->GetGlobalRect();
    for (const std::string& key : AwardKeys()) {
        SCOPED_TRACE(key);
        screen->ShowStampInfo(key, false);
        for (const char* name : {"Header", "Text"}) {
            const Rect r = screen->FindChild(name, true)->GetGlobalRect();
            EXPECT_GE(r.x, area.x) << name;
            EXPECT_LE(r.x + r.w, area.x + area.w) << name;
            EXPECT_LE(r.y + r.h, area.y + area.h) << name;
            EXPECT_GE(r.y, 54) << name << " runs off the top of the card";
        }
    }
    screen->ShowStampInfo("classic", true);
    EXPECT_EQ(Words("Header"), "Stamp Collected: 'Classic'");
}

TEST_F(WoppleAwardScreenTest, TheCardSpeaksOfWhoeverLooksNow)
{
    StartWithCards();
    ShowBook();
    Click(screen->GetBadge("superJoker"));
    EXPECT_EQ(Words("Text"), "Spin five jokers at once in a mode other than 7x7. You have spun 1 joker.");
    Click("mainMenuButton");

    // Kai holds every stamp: on his arrival the badges and the card are his.
    MakeCurrent(2);
    ShowBook();
    for (const std::string& key : AwardKeys())
        EXPECT_EQ(screen->GetBadge(key)->GetAlpha(), 255) << key;
    EXPECT_EQ(screen->GetShownAward(), "superJoker");
    EXPECT_EQ(Words("Text"),
              "Spin five jokers at once in a mode other than 7x7. You have successfully gained this stamp!");
    EXPECT_TRUE(screen->GotAllStamps());
    // He has seen the book before: his full book is celebrated at once.
    Dialog* done = TopDialog();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->GetName(), "WoppleGameCompleteDialog");
    Click(done->FindChild("okayButton", true));
    CloseOut();
    ASSERT_EQ(TopDialog(), nullptr);
    Click("mainMenuButton");

    // Back to Marina: her faded badges, and Kai's full book is not hers.
    MakeCurrent(1);
    ShowBook();
    EXPECT_EQ(screen->GetBadge("superJoker")->GetAlpha(), 64);
    EXPECT_FALSE(screen->GotAllStamps());
    EXPECT_EQ(TopDialog(), nullptr);
}

TEST_F(WoppleAwardScreenTest, TheStatesOptionsHelpAndBackToTheMenu)
{
    StartWithCards();
    const std::size_t logFrom = LogText().size();
    ShowBook();
    EXPECT_EQ(screen->GetStateName(), "Normal");
    EXPECT_EQ(CountLines("OnScreenTransition -> WoppleAwardScreen\n", logFrom), 1);

    // Options: the dialog in front, the book behind it does not answer.
    Click("optionsButton");
    EXPECT_EQ(screen->GetStateName(), "ShowingOptions");
    Dialog* options = TopDialog();
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->GetName(), "OptionsDialog");
    Rect badge = screen->GetBadge("superJoker")->GetGlobalRect();
    SDL_Event click{};
    for (std::uint8_t type : {std::uint8_t(SDL_MOUSEBUTTONDOWN), std::uint8_t(SDL_MOUSEBUTTONUP)}) {
        click.button.type = type;
        click.button.button = SDL_BUTTON_LEFT;
        click.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        click.button.x = static_cast<Uint16>(badge.x + badge.w / 2);
        click.button.y = static_cast<Uint16>(badge.y + badge.h / 2);
        ASSERT_EQ(SDL_PushEvent(&click), 0);
    }
    Passes(3);
    EXPECT_EQ(screen->GetShownAward(), "ticTacWopples");
    Click(options->FindChild("OkayButton", true));
    CloseOut();
    EXPECT_EQ(screen->GetStateName(), "Normal");

    // Help: the button opens the tour and closes it again.
    NoteManager* notes = screen->GetNoteManager();
    ASSERT_NE(notes, nullptr);
    Click("helpButton");
    Passes(10);
    EXPECT_TRUE(notes->IsNoteBubbleVisible());
    Click("helpButton");
    EXPECT_FALSE(notes->IsNoteBubbleVisible());

    // The help state, entered by name, goes back to Normal when its tour ends:
    // Next on the first step, Close on the last.
    screen->SetState("ShowingHelp");
    Passes(10);
    EXPECT_TRUE(notes->IsNoteBubbleVisible());
    for (const char* name : {"nextButton", "closeButton"}) {
        EXPECT_EQ(screen->GetStateName(), "ShowingHelp") << name;
        Click(notes->FindChild(name, true));
        Passes(10);
    }
    EXPECT_EQ(screen->GetStateName(), "Normal");

    // Escape is the menu button: to the menu, and the book rests with no note left.
    Click("helpButton");
    Passes(10);
    ASSERT_TRUE(notes->IsNoteBubbleVisible());
    Key(SDLK_ESCAPE);
    Passes(3);
    EXPECT_EQ(manager->GetCurrentScreen(), manager->GetScreen("MenuScreen"));
    EXPECT_EQ(screen->GetStateName(), "Inactive");
    EXPECT_FALSE(notes->IsNoteBubbleVisible());
}

TEST_F(WoppleAwardScreenTest, TheFirstVisitBlinksHelpTheFullBookIsCelebratedOnceOnALaterVisit)
{
    StartWithCards();
    auto* help = dynamic_cast<Button*>(screen->FindChild("helpButton", true));
    ASSERT_NE(help, nullptr);
    const std::filesystem::path card = root / "data" / "Wopple Vevev Documents" / "Player Cards" / "Player1.card";

    // Marina's first visit: the help button blinks, and that is saved.
    ShowBook();
    EXPECT_TRUE(help->IsBlinking());
    EXPECT_TRUE(marina->GetOptionsTable()["AwardScreenStats"]["seenHelpBlink"].GetBoolean());
    std::ifstream saved(card);
    const std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("seenHelpBlink"), std::string::npos);
    Click("mainMenuButton");

    // A player who holds every stamp, on the first visit: only the blink.
    Eval("(function() Players[1].Awards.stampCollector = true; Players[1].Options.AwardScreenStats = nil end)()");
    ShowBook();
    EXPECT_EQ(TopDialog(), nullptr);
    Click("mainMenuButton");

    // The next visit celebrates, once.
    ShowBook();
    Dialog* done = TopDialog();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->GetName(), "WoppleGameCompleteDialog");
    Click(done->FindChild("okayButton", true));
    CloseOut();
    Click("mainMenuButton");
    ShowBook();
    EXPECT_EQ(TopDialog(), nullptr);
}

TEST_F(WoppleAwardScreenTest, TheMenusStampsButtonOpensTheBook)
{
    StartWithCards();
    manager->SwitchToScreen("MenuScreen");
    Passes(3);
    auto* menu = dynamic_cast<WoppleMenuScreen*>(manager->GetScreen("MenuScreen"));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->GetStateName(), "Normal");
    auto* stamps = dynamic_cast<Button*>(menu->FindChild("myStampsButton", true));
    ASSERT_NE(stamps, nullptr);
    stamps->ManuallyPressButton();
    stamps->ManuallyReleaseButton();
    Passes(3);
    EXPECT_EQ(manager->GetCurrentScreen(), screen);
    EXPECT_EQ(screen->GetStateName(), "Normal");
}
