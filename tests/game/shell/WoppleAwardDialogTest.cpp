// The award dialog: the stamp's texts with the player's stamp count or
// progress, the stamp placed by the dialog, the text under it, and the
// stamping that closing the dialog stops.

#include "GameTestSupport.h"
#include "engine/ui/Button.h"
#include "engine/ui/Label.h"
#include "game/shell/WoppleAwardDialog.h"

#include <sstream>

using namespace gametest;

namespace {

class WoppleAwardDialogTest : public GameFixture
{
protected:
    void SetUp() override
    {
        Start();
        PlayerManager::GetInstance()->LoadGameData();
        screen = AddScreen<StoppedScreen>();
        manager->SwitchToScreen("Awards");
        Pass();
    }

    class StoppedScreen : public Screen
    {
    public:
        StoppedScreen() : Screen("", "Awards", nullptr) {}
        bool OnDialogStopped(const EventRecord& e) override
        {
            stopped.push_back(static_cast<Actor*>(e.user.data1)->GetName());
            return false;
        }
        std::vector<std::string> stopped;
    };

    void Lua(const std::string& chunk)
    {
        LuaState lua = app->GetLuaState();
        if (lua.DoString(chunk) != 0)
            ADD_FAILURE() << lua.PopErrorMessage();
    }

    // The words as written, whatever the wrapping made of the lines.
    static std::string Words(const Actor& dialog, const std::string& name)
    {
        auto* label = dynamic_cast<Label*>(dialog.FindChild(name, true));
        if (!label)
            return "<none>";
        std::istringstream in(label->GetText());
        std::string word, words;
        while (in >> word)
            words += (words.empty() ? "" : " ") + word;
        return words;
    }

    StoppedScreen* screen = nullptr;
};

} // namespace

TEST_F(WoppleAwardDialogTest, TheTextIsTheDescriptionAndTheStampCountOrTheProgress)
{
    struct Case {
        const char* name;
        const char* setup;
        const char* key;
        const char* text;
    };
    const Case cases[] = {
        {"held, the third stamp", "Players[1].Awards = { fullSpin = true }; Players[1].Achievements = { stamps = 3 }",
         "fullSpin", "Make a match with every reel in a single five-by-five board. Congrats! (Stamp 3 of 12)"},
        {"not held, at one", "Players[1].Achievements = { matchedReels = 1 }", "fullSpin",
         "Make a match with every reel in a single five-by-five board. Your best spin so far matched 1 cell."},
        {"not held, at none", "Players[1].Achievements = { matchedReels = 0 }", "fullSpin",
         "Make a match with every reel in a single five-by-five board. Your best spin so far matched 0 cells."},
        {"not held, at two", "Players[1].Achievements = { matchedReels = 2 }", "fullSpin",
         "Make a match with every reel in a single five-by-five board. Your best spin so far matched 2 cells."},
        {"held but false is not held", "Players[1].Awards = { classic = 'yes' }; Players[1].Achievements = { "
         "classicScore = 1234 }", "classic", "Score 30,000 points in classic mode. Your top classic score is 1234."},
        {"no description", "WoppleAwardsList.fullSpin.description = nil; Players[1].Achievements = { matchedReels = 4 }",
         "fullSpin", "Your best spin so far matched 4 cells."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Lua("Players[1].Awards = {}; Players[1].Achievements = {}");
        Lua(c.setup);
        WoppleAwardDialog dialog(c.key);
        EXPECT_EQ(Words(dialog, "Text"), c.text);
        EXPECT_EQ(Words(dialog, "stampName"), Eval(std::string("WoppleAwardsList.") + c.key + ".fullName").GetString());
        EXPECT_FALSE(dialog.FindChild("stampName")->IsVisible());
        EXPECT_EQ(dialog.GetName(), "WoppleAwardDialog");
    }
    EXPECT_THROW(WoppleAwardDialog("noSuchStamp"), Exception);
}

TEST_F(WoppleAwardDialogTest, TheDialogPlacesTheStampAndTheTextGoesUnderIt)
{
    // The longest texts: a description on three lines and its progress under it.
    Lua("Players[1].Achievements = { simultaneousBouncingWopples = 7 }");
    auto* dialog = new WoppleAwardDialog("tenAtOnce");
    screen->StartDialog(dialog, true);
    Passes(30);
    Actor* stamp = dialog->FindChild("stampImage");
    ASSERT_NE(stamp, nullptr);
    EXPECT_EQ(stamp->GetImageName(), "lg_10atonce.png");
    ASSERT_GT(stamp->GetWidth(), 0);
    // Centred under the title at 160, whatever the award screen's position says.
    EXPECT_EQ(stamp->GetY(), 160);
    EXPECT_EQ(stamp->GetX(), (dialog->GetWidth() - stamp->GetWidth()) / 2);
    Actor* text = dialog->FindChild("Text");
    EXPECT_EQ(text->GetY(), stamp->GetY() + stamp->GetHeight() + 10);
    EXPECT_EQ(text->GetX() + text->GetWidth() / 2, dialog->GetWidth() / 2);
    // Its later lines stay clear of the note, and the note of OK.
    Actor* note = dialog->FindChild("Note");
    Button* okay = dialog->GetButton("OkayButton");
    ASSERT_NE(okay, nullptr);
    EXPECT_LE(text->GetY() + text->GetHeight(), note->GetY());
    EXPECT_LE(note->GetY() + note->GetHeight(), okay->GetY());
    EXPECT_LE(okay->GetY() + okay->GetHeight(), dialog->GetHeight() - 14) << "raised off the bottom edge";
    for (Actor* child : {stamp, text, note, static_cast<Actor*>(okay)}) {
        EXPECT_GE(child->GetX(), 20) << child->GetName();
        EXPECT_LE(child->GetX() + child->GetWidth(), dialog->GetWidth() - 20) << child->GetName();
    }
    // OK sits 14 pixels above where the plain OK row would put it.
    Dialog plain("WoppleAwardDialog", 0);
    plain.CreateButtons(Dialog::BUTTONS_OKAY);
    EXPECT_EQ(okay->GetY(), plain.GetButton("OkayButton")->GetY() - 14);
}

TEST_F(WoppleAwardDialogTest, TheStampComesDownHalfASecondInAndClosingStopsIt)
{
    auto* dialog = new WoppleAwardDialog("classic");
    screen->StartDialog(dialog, true);
    Actor* stamp = dialog->FindChild("stampImage");
    Passes(500 / 32 - 1);
    EXPECT_EQ(stamp->GetAlpha(), 64);
    Passes(3);
    EXPECT_EQ(stamp->GetAlpha(), 255);
    EXPECT_GT(dialog->FindScriptsWithTag("WoppleAwardDialog", nullptr), 0) << "the rainbow is still to come";
    Passes(250 / 32 + 2);
    EXPECT_EQ(dialog->FindScriptsWithTag("WoppleAwardDialog", nullptr), 0);

    // Closed before the stamp comes down: the script goes with it.
    dialog->GetButton("OkayButton")->ManuallyPressButton();
    dialog->GetButton("OkayButton")->ManuallyReleaseButton();
    Passes(30);
    dialog = new WoppleAwardDialog("classic");
    screen->StartDialog(dialog, true);
    Pass();
    dialog->GetButton("OkayButton")->ManuallyPressButton();
    dialog->GetButton("OkayButton")->ManuallyReleaseButton();
    Passes(60);
    EXPECT_EQ(screen->stopped, (std::vector<std::string>{"WoppleAwardDialog", "WoppleAwardDialog"}));
    EXPECT_FALSE(screen->HasDialogs());
}
