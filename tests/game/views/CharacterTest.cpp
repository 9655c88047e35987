// The talking character: its bubble on the screen's bubble layer, where the
// bubble stands, the close timer, the reply buttons and the close box, and
// the scripts that make it talk.

#include "CharacterTestSupport.h"
#include "engine/ui/Button.h"
#include "engine/ui/Label.h"
#include "engine/ui/SpeechBubble.h"
#include "game/views/WoppleCharacter.h"

#include <set>

using namespace viewtest;

namespace {

class CharacterTest : public ViewFixture
{
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        stage = new Actor();
        stage->SetPosition(0, 0);
        stage->SetSize(800, 600);
        screen->AddChild(stage, "stage");
        girl = dynamic_cast<WoppleCharacter*>(
            ClassManager::GetInstance()->InstantiateObjectFromResource("CherubGirlCharacter"));
        ASSERT_NE(girl, nullptr);
        girl->SetPosition(300, 340);
        stage->AddChild(girl, "cherubGirl");
        Pass();
    }

    SpeechBubble* Bubble() { return girl->GetBubble(); }
    std::string Text() { return Bubble() ? Bubble()->GetText() : "<none>"; }

    Button* BubbleButton(const std::string& name)
    {
        return Bubble() ? dynamic_cast<Button*>(Bubble()->FindChild(name, true)) : nullptr;
    }

    Actor* stage = nullptr;
    WoppleCharacter* girl = nullptr;
};

} // namespace

TEST_F(CharacterTest, TheBubbleStandsOnTheCharactersHeadInTheBubbleLayer)
{
    girl->Say("Hello there!", 2000, "White", nullptr, false);
    SpeechBubble* bubble = Bubble();
    ASSERT_NE(bubble, nullptr);
    EXPECT_EQ(bubble->GetParent(), bubbleLayer);
    EXPECT_EQ(bubble->GetZOrder(), 100);
    EXPECT_EQ(bubble->GetDirection(), SpeechBubble::TAIL_BELOW);
    EXPECT_EQ(bubble->GetStyle(), "White");
    // Bottom centre of the bubble on the top centre of the girl.
    const Rect b = bubble->GetGlobalRect(), g = girl->GetGlobalRect();
    EXPECT_EQ(b.x + b.w / 2, g.x + g.w / 2);
    EXPECT_EQ(b.y + b.h, g.y);
    EXPECT_TRUE(girl->IsBubbleVisible());
}

TEST_F(CharacterTest, AFixedPositionAndAnOffsetPlaceTheBubble)
{
    girl->ApplyProperty("bubbleAlignmentOffset", Eval("{ 3, -7 }"));
    girl->Say("Here", 0, "White", nullptr, false);
    const Rect b = Bubble()->GetGlobalRect(), g = girl->GetGlobalRect();
    EXPECT_EQ(b.x + b.w / 2, g.x + g.w / 2 + 3);
    EXPECT_EQ(b.y + b.h, g.y - 7);

    girl->ApplyProperty("bubblePosition", Eval("{ 40, 50 }"));
    girl->Say("There", 0, "White", nullptr, false);
    EXPECT_EQ(Bubble()->GetX(), 40);
    EXPECT_EQ(Bubble()->GetY(), 50);
}

TEST_F(CharacterTest, TheCloseTimerDestroysTheBubbleAndTheNextSpeechMakesANewOne)
{
    girl->Say("Hi", 1000, "White", nullptr, false);
    SpeechBubble* first = Bubble();
    Passes(1000 / 32 - 2);
    EXPECT_TRUE(girl->IsBubbleVisible());
    Passes(4);
    EXPECT_FALSE(girl->IsBubbleVisible());
    EXPECT_EQ(Bubble(), nullptr);
    EXPECT_FALSE(girl->IsCloseTimerActive());
    Passes(2);
    EXPECT_EQ(bubbleLayer->GetNumChildren(), 0u);

    girl->Say("Again", 1000, "White", nullptr, false);
    ASSERT_NE(Bubble(), nullptr);
    EXPECT_NE(Bubble(), first);
}

TEST_F(CharacterTest, ASpeechWithoutTimeCancelsThePendingClose)
{
    girl->Say("Hi", 2000, "White", nullptr, false);
    Passes(10);
    girl->Say("Ho", 0, "White", nullptr, false);
    Passes(2000 / 32 + 10);
    EXPECT_TRUE(girl->IsBubbleVisible());
    EXPECT_EQ(Text(), "Ho");
}

TEST_F(CharacterTest, ClosingKeepsTheBubbleForTheNextSpeech)
{
    girl->SayWithButtons("Play again?", "Yes", "yesButton", 'y', "No", "noButton", 'n', nullptr, 0, "White");
    SpeechBubble* bubble = Bubble();
    ASSERT_NE(BubbleButton("yesButton"), nullptr);
    girl->CloseBubble();
    Pass();
    EXPECT_FALSE(girl->IsBubbleVisible());
    EXPECT_EQ(Bubble(), bubble);
    EXPECT_EQ(bubble->FindChild("BubbleButtonSet"), nullptr);

    girl->Say("Play again?", 0, "White", nullptr, false);
    EXPECT_EQ(Bubble(), bubble);
    EXPECT_TRUE(girl->IsBubbleVisible());
}

TEST_F(CharacterTest, TwoReplyButtonsReportTheChosenOneAndTheBubbleClosesOnItsTimer)
{
    ClickRecorder rules;
    girl->SayWithButtons("Use your free spin now?", "Now", "useNowButton", 'w', "Later", "laterButton", 'l', &rules,
                         1500, "White");
    Pass();
    Button* later = BubbleButton("laterButton");
    Button* now = BubbleButton("useNowButton");
    ASSERT_NE(later, nullptr);
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(later->GetLabel()->GetText(), "Later");
    EXPECT_EQ(now->GetLabel()->GetText(), "Now");
    EXPECT_EQ(now->GetShortcutKey(), 'w');
    EXPECT_EQ(later->GetLabel()->GetWidthLimit(), later->GetWidth() - 5);
    // Both inside the bubble's own picture, left then right.
    EXPECT_LT(now->GetGlobalRect().x, later->GetGlobalRect().x);

    ClickOn(*later);
    EXPECT_EQ(rules.clicks, (std::vector<std::string>{"laterButton"}));
    EXPECT_TRUE(girl->IsBubbleVisible());
    Passes(1500 / 32 + 2);
    EXPECT_FALSE(girl->IsBubbleVisible());
    EXPECT_EQ(rules.clicks.size(), 1u);
}

TEST_F(CharacterTest, RepliesBehindAnOpenDialogTakeNoClickAndNoKey)
{
    ClickRecorder rules;
    girl->SayWithButtons("Use your free spin now?", "Now", "useNowButton", 'w', "Later", "laterButton", 'l', &rules,
                         0, "White");
    Pass();
    Lua("_dialog = StartCommonDialog('AreYouSureQuit')");
    Passes(30);
    ASSERT_TRUE(screen->HasDialogs());
    ClickOn(*BubbleButton("laterButton"));
    Key('w');
    Passes(2);
    EXPECT_TRUE(rules.clicks.empty());

    // "No, go on playing": the question is the girl's again.
    auto* no = dynamic_cast<Button*>(screen->GetDialogs().back()->FindChild("CancelButton", true));
    ASSERT_NE(no, nullptr);
    ClickOn(*no);
    Passes(30);
    ASSERT_FALSE(screen->HasDialogs());
    ClickOn(*BubbleButton("laterButton"));
    EXPECT_EQ(rules.clicks, (std::vector<std::string>{"laterButton"}));
}

TEST_F(CharacterTest, OneAndThreeButtonSetsNameTheirButtonsAsAsked)
{
    ClickRecorder rules;
    girl->SayWithOneButton("Off you go.", "Okay", "okayButton", 'o', &rules, 0, "White");
    Pass();
    ASSERT_NE(BubbleButton("okayButton"), nullptr);
    EXPECT_EQ(BubbleButton("okayButton")->GetLabel()->GetText(), "Okay");
    ClickOn(*BubbleButton("okayButton"));

    girl->SayWithThreeButtons("Which one?", "Red", "redButton", 'r', "Green", "greenButton", 'g', "Blue",
                              "blueButton", 'b', &rules, 0, "White");
    Pass();
    for (const char* name : {"redButton", "greenButton", "blueButton"})
        ASSERT_NE(BubbleButton(name), nullptr) << name;
    // Red left, green in the middle, blue right; only one set at a time.
    EXPECT_LT(BubbleButton("redButton")->GetGlobalRect().x, BubbleButton("greenButton")->GetGlobalRect().x);
    EXPECT_LT(BubbleButton("greenButton")->GetGlobalRect().x, BubbleButton("blueButton")->GetGlobalRect().x);
    EXPECT_EQ(BubbleButton("okayButton"), nullptr);
    ClickOn(*BubbleButton("blueButton"));
    EXPECT_EQ(rules.clicks, (std::vector<std::string>{"okayButton", "blueButton"}));
}

TEST_F(CharacterTest, TheCloseBoxWorksAgainWhenTheSameTextIsShownAfterClosing)
{
    ClickRecorder rules;
    girl->SayWithCloseButton("Match the numbers on the board.", &rules, 0, "White");
    Pass();
    Button* close = BubbleButton("SpeechBubbleCloseButton");
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(Text(), "\nMatch the numbers on the board.");
    ClickOn(*close);
    EXPECT_EQ(rules.clicks, (std::vector<std::string>{"SpeechBubbleCloseButton"}));

    girl->CloseBubble();
    EXPECT_FALSE(close->IsEnabled());
    girl->SayWithCloseButton("Match the numbers on the board.", &rules, 0, "White");
    Pass();
    // The same bubble, not rebuilt: the same box, enabled for the new speech.
    ASSERT_EQ(BubbleButton("SpeechBubbleCloseButton"), close);
    EXPECT_TRUE(close->IsEnabled());
    ClickOn(*close);
    EXPECT_EQ(rules.clicks.size(), 2u);
}

TEST_F(CharacterTest, AClickOnTheFigureReachesTheRules)
{
    ClickRecorder rules;
    girl->AddToGroup(&rules);
    // Her layers have no picture of hers: her rectangle takes the click, to
    // its last pixel and not one past it.
    const Rect r = girl->GetGlobalRect();
    ClickAt(r.x + r.w - 1, r.y + r.h - 1);
    EXPECT_EQ(rules.clicks, (std::vector<std::string>{"cherubGirl"}));
    ClickAt(r.x + r.w, r.y + r.h / 2);
    EXPECT_EQ(rules.clicks.size(), 1u);
}

TEST_F(CharacterTest, HidingTheCharacterHidesItsBubble)
{
    girl->Say("Peekaboo", 0, "White", nullptr, false);
    girl->SetVisible(false);
    EXPECT_FALSE(girl->IsBubbleVisible());
    girl->SetVisible(true);
    EXPECT_TRUE(girl->IsBubbleVisible());
    // A hidden character's new speech stays hidden with it.
    girl->SetVisible(false);
    girl->Say("Shh", 0, "White", nullptr, false);
    EXPECT_FALSE(girl->IsBubbleVisible());
}

TEST_F(CharacterTest, SayAndBabbleTalksUntilTheBubbleHasGone)
{
    Global("_girl", *girl);
    Lua("_done = false");
    Lua("Scripts.TestSpeech = function(character)\n"
        "    SayAndBabble(character, 'Spin the reels!', 1000, '')\n"
        "    _done = true\n"
        "end\n");
    Actor* mouth = girl->FindChild("mouth", true);
    ASSERT_NE(mouth, nullptr);
    girl->RunScript("TestSpeech", "Speaking");
    std::set<int> faces;
    for (int i = 0; i < 28; ++i) {
        Pass();
        faces.insert(mouth->GetFrame());
    }
    EXPECT_EQ(Text(), "Spin the reels!");
    EXPECT_TRUE(Eval("_girl.isActing").GetBoolean());
    EXPECT_FALSE(Eval("_done").GetBoolean());
    // She babbles among the mouths 1 to 3, then smiles (4) until the bubble goes.
    EXPECT_TRUE(faces.count(1) + faces.count(2) + faces.count(3) > 0);
    EXPECT_EQ(mouth->GetFrame(), 4);
    Passes(1000 / 32 - 28 + 4);
    EXPECT_FALSE(girl->IsBubbleVisible());
    EXPECT_TRUE(Eval("_done").GetBoolean());
    EXPECT_FALSE(Eval("_girl.isActing").GetBoolean());
    EXPECT_EQ(mouth->GetFrame(), 0);
}

TEST_F(CharacterTest, ASadSpeechCutOffByTheNextTakesItsTearAlong)
{
    Lua("Scripts.TestSad = function(character) SadSayAndWait(character, 'Oh no...', 3000) end\n"
        "Scripts.TestHappy = function(character) HappySayAndWait(character, 'Well done!', 1000) end\n");
    Actor* tear = girl->FindChild("tear", true);
    ASSERT_NE(tear, nullptr);
    girl->RunScript("TestSad", "Speaking");
    Passes(3);
    EXPECT_TRUE(tear->IsVisible());
    // As the rules do: the next speech stops the one under way.
    girl->StopScriptsWithTag("Speaking");
    girl->RunScript("TestHappy", "Speaking");
    Passes(3);
    EXPECT_EQ(Text(), "Well done!");
    EXPECT_FALSE(tear->IsVisible());
}

TEST_F(CharacterTest, TheCharacterScriptsAndTemplatesAreThere)
{
    for (const char* name : {"SayAndBabble", "PirateSayAndBabble", "SayAndWait", "SadSayAndWait",
                             "ScaredSayAndWait", "HappySayAndWait", "SmileSayAndWait", "Scripts.Babble",
                             "Scripts.GuyCherubPopOut", "Scripts.GuyCherubPopIn", "Scripts.BlinkingEyes1"})
        EXPECT_TRUE(Eval(std::string("type(") + name + ") == 'function'").GetBoolean()) << name;
    for (const char* name : {"CherubGirlCharacter", "GuyCherubCharacter", "PirateCharacter"}) {
        const std::string t = std::string("Resources.") + name;
        EXPECT_EQ(Eval(t + ".class").GetString(), "WoppleCharacter") << name;
        EXPECT_EQ(Eval(t + ".bubbleType").GetInteger(), 2) << name;
        EXPECT_EQ(Eval(t + ".bubbleAlignment").GetString(), "MidBottom") << name;
        EXPECT_EQ(Eval(t + ".bubbleAlignTo").GetString(), "MidTop") << name;
    }
    EXPECT_EQ(Eval("Resources.PirateCharacter.bubbleAlignmentOffset[1]").GetInteger(), 3);
    // The girl as the rules find her: her size, her layers and no plain
    // button's picture behind them.
    EXPECT_EQ(girl->GetImage(), nullptr);
    EXPECT_EQ(girl->GetWidth(), 152);
    EXPECT_EQ(girl->GetHeight(), 225);
    for (const char* part : {"Body", "Head", "mouth", "tear", "eyeLids", "LeftFoot", "RightFoot"})
        EXPECT_NE(girl->FindChild(part, true), nullptr) << part;
    EXPECT_FALSE(girl->FindChild("tear", true)->IsVisible());
}
