#include "RulesTestSupport.h"

#include "engine/core/Script.h"
#include "engine/ui/Actor.h"
#include "game/rules/WoppleGameMessages.h"
#include "game/rules/WoppleTalkingCharacter.h"

#include <memory>
#include <set>

using namespace rulestest;

namespace {

// Stands in for the character view: a real actor for scripts and observers,
// and a list of what it was asked to say.
class RecordingCharacter : public WoppleTalkingCharacter
{
public:
    explicit RecordingCharacter(bool visible) { actor.SetVisible(visible); }
    Actor* GetCharacterActor() override { return &actor; }
    void Say(const std::string& text, double durationMs, const std::string& color, int font,
             unsigned char layout) override
    {
        said.push_back("Say|" + text + "|" + std::to_string(int(durationMs)) + "|" + color + "|" +
                       std::to_string(font) + "|" + std::to_string(layout));
    }
    void SayWithButtons(const std::string& text, const std::string& t1, const std::string& n1, char k1,
                        const std::string& t2, const std::string& n2, char k2, Object* listener, double durationMs,
                        const std::string& color) override
    {
        lastListener = listener;
        said.push_back("Ask|" + text + "|" + t1 + "|" + n1 + "|" + k1 + "|" + t2 + "|" + n2 + "|" + k2 + "|" +
                       std::to_string(int(durationMs)) + "|" + color);
    }
    void SayWithThreeButtons(const std::string& text, const std::string& t1, const std::string& n1, char k1,
                             const std::string& t2, const std::string& n2, char k2, const std::string& t3,
                             const std::string& n3, char k3, Object* listener, double, const std::string&) override
    {
        lastListener = listener;
        said.push_back("Ask3|" + text + "|" + n1 + k1 + "|" + n2 + k2 + "|" + n3 + k3 + "|" + t1 + t2 + t3);
    }
    void CloseBubble() override { said.push_back("Close"); }

    int ScriptsTagged(const std::string& tag) const { return actor.FindScriptsWithTag(tag, nullptr); }

    Actor actor;
    std::vector<std::string> said;
    Object* lastListener = nullptr;
};

class WoppleGameMessagesTest : public gametest::GameFixture
{
protected:
    void SetUp() override
    {
        Start();
        // The characters' scripts belong to the views; here each only waits.
        LuaState lua = app->GetLuaState();
        ASSERT_EQ(lua.DoString("local function wait() while true do ScriptBreak() end end\n"
                               "for _, n in ipairs{'GirlScared', 'GirlGiggle', 'GirlCry', 'Babble', 'GuyCherubPopOut',"
                               " 'GuyCherubPopIn', 'SayWOW', 'SayGOODLUCK', 'SayLevelIntroCharacterText',"
                               " 'AIReceivesCellPirateMessage', 'HumanReceivesCellTreasureMessage',"
                               " 'SayJOKER_BONUS_ACQUIRED', 'SayCLICKEDME', 'MyIntro'} do Scripts[n] = wait end"),
                  0)
            << lua.PopErrorMessage();
        logic = std::make_unique<TestLogic>("logic", record);
        messages = std::make_unique<WoppleGameMessages>(*logic);
        girl = std::make_unique<RecordingCharacter>(true);
        cherub = std::make_unique<RecordingCharacter>(false);
        messages->SetCharacters(girl.get(), cherub.get());
    }

    void TearDown() override
    {
        // Everything that lives in the Lua state goes before the application.
        messages.reset();
        logic.reset();
        girl.reset();
        cherub.reset();
        gametest::GameFixture::TearDown();
    }

    int Say(const char* name, const std::string& t1 = "", const std::string& t2 = "", const std::string& t3 = "",
            Object* listener = nullptr)
    {
        int id = WoppleGameMessages::GetMessageId(name);
        EXPECT_NE(id, 0) << name;
        messages->SayGameMessage(id, listener, t1, t2, t3);
        return id;
    }

    Record record;
    std::unique_ptr<RecordingCharacter> girl;
    std::unique_ptr<RecordingCharacter> cherub;
    std::unique_ptr<TestLogic> logic;
    std::unique_ptr<WoppleGameMessages> messages;
};

TEST_F(WoppleGameMessagesTest, NamesMapToTheirNumbersAndSpeakers)
{
    EXPECT_EQ(WoppleGameMessages::GetMessageId("CLICK_GIRL_CHERUB"), 58);
    EXPECT_EQ(WoppleGameMessages::GetMessageId("CLICK_ON_NUMBER"), 11);
    EXPECT_EQ(WoppleGameMessages::GetMessageId("AI_RECEIVED_CELL_PIRATE"), 1);
    EXPECT_EQ(WoppleGameMessages::GetMessageId("click_girl_cherub"), 0);
    EXPECT_EQ(WoppleGameMessages::GetMessageId(""), 0);

    std::set<std::string> names;
    for (int id = 0; id <= 59; ++id) {
        const WoppleMessageInfo* info = WoppleGameMessages::FindMessage(id);
        EXPECT_EQ(info == nullptr, id == 0 || id == 31 || id == 59) << id;
        if (!info)
            continue;
        EXPECT_EQ(WoppleGameMessages::GetMessageId(info->name), id);
        names.insert(info->name);
    }
    EXPECT_EQ(names.size(), 57u);

    struct Case { int id; WoppleTalkingCharacter* speaker; };
    for (Case c : {Case{1, cherub.get()}, {3, cherub.get()}, {8, cherub.get()}, {23, cherub.get()}, {26, cherub.get()}, {4, girl.get()},
                   {9, girl.get()}, {22, girl.get()}, {25, girl.get()}, {30, girl.get()}, {36, girl.get()}, {45, girl.get()}, {51, girl.get()},
                   {56, girl.get()}, {58, girl.get()}, {5, nullptr}, {31, nullptr}, {35, nullptr}, {46, nullptr},
                   {50, nullptr}, {52, nullptr}, {55, nullptr}, {0, nullptr}})
        EXPECT_EQ(messages->GetSpeakerForMessage(c.id), c.speaker) << c.id;

    // A layout without the cherub: its messages have no speaker and say nothing.
    messages->SetCharacters(girl.get(), nullptr);
    EXPECT_EQ(messages->SayGameMessage(3, nullptr, "", "", ""), nullptr);
    EXPECT_TRUE(girl->said.empty());
}

TEST_F(WoppleGameMessagesTest, TextsTakeTheCallersWordsAndPercentSigns)
{
    struct Case { const char* format; const char* t1; const char* t2; const char* t3; const char* expected; };
    for (Case c : {Case{"%1%%% of it", "25", "", "", "25% of it"},
                   {"%3%, %2%, %1%", "a", "b", "c", "c, b, a"},
                   {"100%%", "", "", "", "100%"},
                   {"%1%", "50%2%", "x", "", "50%2%"},  // the caller's text is not read again
                   {"%4% and %", "a", "", "", "%4% and %"},
                   {"", "a", "b", "c", ""}})
        EXPECT_EQ(WoppleGameMessages::FormatMessageText(c.format, c.t1, c.t2, c.t3), c.expected) << c.format;

    // Every message shown as text has its words in the game's strings.
    for (int id : {3, 4, 6, 7, 8, 10, 12, 14, 15, 25, 26, 28})
        EXPECT_FALSE(WoppleGameMessages::GetMessageFormat(id).empty()) << id;
    EXPECT_EQ(WoppleGameMessages::GetMessageFormat(11), "");
}

TEST_F(WoppleGameMessagesTest, ADevilScaresTheGirlUntilTheMessageIsKilled)
{
    EXPECT_EQ(messages->SayGameMessage(12, nullptr, "25", "", ""), girl.get());
    ASSERT_EQ(girl->said.size(), 1u);
    EXPECT_EQ(girl->said[0], "Say|A devil has\ncome to take\n25% of your points!|5000|White|0|0");
    EXPECT_EQ(girl->ScriptsTagged("GirlScared"), 1);
    messages->KillMessage(12, nullptr);
    EXPECT_EQ(girl->ScriptsTagged("GirlScared"), 0);

    // Hidden, she says it but does not react.
    girl->actor.SetVisible(false);
    Say("DEVIL_TOOK_POINTS", "1,200");
    EXPECT_EQ(girl->said.back(), "Say|He snagged\n1,200\npoints!|5000|White|0|0");
    EXPECT_EQ(girl->ScriptsTagged("GirlCry"), 0);
    girl->actor.SetVisible(true);
    Say("DEVIL_PROTECTION_USED");
    EXPECT_EQ(girl->ScriptsTagged("GirlGiggle"), 1);
    Say("CLICK_ON_NUMBER");  // her message, but nothing to show
    EXPECT_EQ(girl->said.size(), 3u);
}

TEST_F(WoppleGameMessagesTest, TheCherubPopsOutOnceAndGoesAwayWhenHisMessageIsKilled)
{
    EXPECT_EQ(Say("ASK_ABOUT_IMMEDIATE_FREE_SPIN_USAGE", "", "", "", logic.get()), 3);
    EXPECT_EQ(cherub->ScriptsTagged("GuyCherubPopOut"), 1);
    EXPECT_EQ(cherub->ScriptsTagged("Babble"), 1);
    EXPECT_EQ(cherub->lastListener, logic.get());
    EXPECT_EQ(cherub->said.back(), "Ask|Use one of your free spins now?\n\n|Yes|YesButton|y|No|NoButton|n|0|White");

    // Out in view now: a second message does not pop him out again.
    cherub->actor.SetVisible(true);
    Say("BUY_OR_USE_FREE_SPIN", "300", "10");
    EXPECT_EQ(cherub->ScriptsTagged("GuyCherubPopOut"), 1);
    EXPECT_EQ(cherub->said.back(),
              "Ask|This spin costs\n300 points (10%)\nto play.\n\n|Buy|buyButton|b|Free|useFreeSpinButton|f|0|White");

    messages->KillMessage(3, logic.get());
    EXPECT_EQ(cherub->said.back(), "Close");
    EXPECT_EQ(cherub->ScriptsTagged("Babble"), 0);
    EXPECT_EQ(cherub->ScriptsTagged("PopIn"), 1);
    // Popping in again stops a pending slide away.
    Say("BUY_OR_CASH_OUT", "1", "2");
    EXPECT_EQ(cherub->ScriptsTagged("PopIn"), 0);
}

TEST_F(WoppleGameMessagesTest, QuestionsShowTheirButtonsInOrder)
{
    Say("BUY_OR_USE_FREE_SPIN_OR_CASH_OUT", "500", "20");
    EXPECT_EQ(cherub->said.back(), "Ask3|This spin costs\n500 points (20%)\nto play.\n\n\n|buyButtonb|cashOutButtonc|"
                                  "useFreeSpinButtonf|BuyCash OutFree");
    Say("BUY_OR_CASH_OUT", "500", "20");
    EXPECT_NE(cherub->said.back().find("|Buy|buyButton|b|Cash Out|cashOutButton|c|"), std::string::npos);
    Say("KEEP_OR_PASS_PIRATE_OR_TREASURE");
    EXPECT_NE(cherub->said.back().find("|Open|openButton|o|Pass|passButton|p|"), std::string::npos);
    Say("ASK_ABOUT_PLAYING_AGAIN", "", "", "", logic.get());
    EXPECT_EQ(girl->said.back(), "Ask|Would you like to play again?\n\n|Replay|ReplayButton|r|Quit|QuitButton|q|0|White");
}

TEST_F(WoppleGameMessagesTest, AnObservedScriptTellsItsListenerUntilTheMessageIsKilled)
{
    Say("AI_RECEIVED_CELL_PIRATE", "", "", "", logic.get());
    EXPECT_EQ(cherub->ScriptsTagged("Babble"), 2);  // the message's script and the babble
    LuaObject observers = cherub->actor.RetrieveProperty("observers");
    ASSERT_TRUE(observers.IsTable());
    EXPECT_EQ(observers.GetByIndex(VELK_ACTORSCRIPTFINISHED).GetN(), 1);
    messages->KillMessage(1, logic.get());
    EXPECT_TRUE(cherub->actor.RetrieveProperty("observers").IsNil());

    // The joker bonus passes its finished text to the girl's script.
    Say("MULTIPLIED_JOKER_BONUS_ACQUIRED", "Super", "400", "3");
    EXPECT_EQ(girl->ScriptsTagged("Babble"), 1);
}

TEST_F(WoppleGameMessagesTest, TheLevelIntroPrefersTheLevelsOwnScriptThenItsTextThenGoodLuck)
{
    Say("LEVEL_INTRO");
    EXPECT_EQ(girl->ScriptsTagged("Speaking"), 1);  // SayGOODLUCK
    girl->actor.StopAllScripts();
    girl->actor.SetVisible(false);
    Say("LEVEL_INTRO");
    EXPECT_EQ(girl->ScriptsTagged("Speaking"), 0);

    logic->ApplyStringProperty("levelIntroCharacterText", "Find the key!");
    Say("LEVEL_INTRO");
    EXPECT_EQ(girl->ScriptsTagged("Speaking"), 1);
    logic->ApplyStringProperty("levelIntroCharacterScript", "MyIntro");
    Say("LEVEL_INTRO");
    EXPECT_EQ(girl->ScriptsTagged("Speaking"), 2);
    std::vector<Script*> scripts;
    girl->actor.FindScriptsWithTag("Speaking", &scripts);
    EXPECT_EQ(scripts.size(), 2u);
}

TEST_F(WoppleGameMessagesTest, AMissingTextReadsAsEmpty)
{
    EXPECT_EQ(ReadGameText("Explain.NoSuchFeature"), "");
    EXPECT_FALSE(ReadGameText("Explain.WheelMultipliers").empty());
    GetConfig()->SetValue("Explain.Odd", [&] {
        LuaObject n;
        n.AssignInteger(app->GetLuaState(), 7);
        return n;
    }());
    EXPECT_EQ(ReadGameText("Explain.Odd"), "");
    EXPECT_EQ(GameString("message.NO_SUCH_THING"), "");
}

} // namespace
