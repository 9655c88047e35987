// The Pirate's Fortune duel on a real (headless) game screen: the person's
// side played by the automated player, the pirate by the computer
// participant and its Lua decisions, both through the clicks a person makes.

#include "RulesTestSupport.h"

#include "engine/core/Exception.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/ui/Actor.h"
#include "engine/ui/Button.h"
#include "game/rules/WoppleAIParticipantLogic.h"
#include "game/rules/WoppleAutoPlayer.h"
#include "game/rules/WoppleHumanParticipantLogic.h"
#include "game/rules/WopplePiratesFortuneGameLogic.h"
#include "game/views/CocoDropButton.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WopplePowerupView.h"
#include "game/views/WoppleCharacter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

using namespace rulestest;

namespace {

using Duel = WopplePiratesFortuneGameLogic;

// A game-logic state that asks the participant one thing on entry and writes
// down its answers ("motive/action"), putting it back in "Idle".
class Asking : public WoppleState
{
public:
    using Request = void (WoppleParticipantLogic::*)();
    Asking(std::string name, WoppleParticipantLogic* participant, Request request, std::vector<std::string>& answers)
        : m_Name(std::move(name)), m_Participant(participant), m_Request(request), m_Answers(answers)
    {
    }
    std::string GetName() const override { return m_Name; }
    void OnEnterState() override { (m_Participant->*m_Request)(); }
    bool OnParticipantAction(Event* event) override
    {
        m_Answers.push_back(PayloadString(event, "motive") + "/" + PayloadString(event, "action"));
        m_Participant->Start();
        return true;
    }

private:
    std::string m_Name;
    WoppleParticipantLogic* m_Participant;
    Request m_Request;
    std::vector<std::string>& m_Answers;
};

class PiratesFortuneTest : public RoundFixture<Duel>
{
protected:
    void SetUp() override
    {
        StartGame();
        // The game's own layout, on a screen with the bubble layer the game screen has.
        screen = AddScreen<StandInGameScreen>();
        auto* bubbles = new Actor();
        bubbles->SetName("BubbleLayer");
        bubbles->SetLayer(999);
        screen->AddChild(bubbles);
        manager->SwitchToScreen("GameScreen");
        Pass();
    }

    // A duel let through its opening to the lever, which is not pulled yet.
    void StartDuel(const std::string& level = "{ levelNumber = 7 }")
    {
        std::srand(20261210);
        Lua("math.randomseed(7)");
        logic = std::make_unique<Duel>();
        logic->SetTargetScreen(screen);
        screen->logic = logic.get();
        logic->ApplyProperties(Eval(level));
        logic->CreateRootActor();
        logic->Start();
        player = std::make_unique<WoppleAutoPlayer>([this] { return logic.get(); }, WoppleAutoPlayer::Options{});
        PlayUntil([this] { return logic->GetStateName() == "WaitingForGameStart"; }, 2000);
    }

    // The automated player plays (the person's side) until the test holds.
    template <typename Test>
    void PlayUntil(Test test, int limit = 3000)
    {
        for (int i = 0; i < limit && !test(); ++i) {
            player->Step();
            Pass();
        }
        ASSERT_TRUE(test()) << "stuck in " << logic->GetStateName() << "/" << PartState();
    }

    template <typename Test>
    void PassUntil(Test test, int limit = 300)
    {
        for (int i = 0; i < limit && !test(); ++i)
            Pass();
        ASSERT_TRUE(test()) << "stuck in " << logic->GetStateName() << "/" << PartState();
    }

    std::string PartState(std::uint32_t index = WoppleOldSchoolBaseLogic::kNoParticipant) const
    {
        WoppleParticipantLogic* participant = logic->GetParticipantLogic(index);
        return participant && participant->GetState() ? participant->GetStateName() : std::string("none");
    }

    // Out of the opening, in a state that waits for nothing, once the
    // cherub has gone back into his bucket.
    void Park()
    {
        logic->AddState(new RequestState("Parked"), true);
        logic->SetState("Parked");
        Passes(20);
    }

    bool PirateAsked(const std::string& request) const
    {
        return logic->GetCurrentParticipant() == Duel::kPirate && PartState() == request;
    }

    // A person's left click at (x, y) through SDL's queue.
    void ClickAt(int x, int y)
    {
        app->ResetRolloverAt(x, y, true);
        Pass();
        for (std::uint8_t type : {std::uint8_t(SDL_MOUSEBUTTONDOWN), std::uint8_t(SDL_MOUSEBUTTONUP)}) {
            SDL_Event e{};
            e.button.type = type;
            e.button.button = SDL_BUTTON_LEFT;
            e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
            e.button.x = static_cast<Uint16>(x);
            e.button.y = static_cast<Uint16>(y);
            ASSERT_EQ(SDL_PushEvent(&e), 0);
        }
    }

    // Where a person clicks the lever: its stick, over its button.
    Point<int> LeverSpot() const
    {
        const Rect r = logic->GetCocoDropButton()->FindChild("cocoDropLever", true)->GetGlobalRect();
        return {r.x + 30, r.y + 100};
    }

    Button* FindButton(const std::string& name) const
    {
        Actor* found = logic->GetRootActor()->FindChild(name, true);
        return dynamic_cast<Button*>(found ? found : screen->FindChild(name, true));
    }

    std::unique_ptr<WoppleAutoPlayer> player;
};

} // namespace

TEST_F(PiratesFortuneTest, TheDuelSeatsThePersonFirstAndThePirateSecond)
{
    StartDuel();
    EXPECT_NE(dynamic_cast<WoppleHumanParticipantLogic*>(logic->GetParticipantLogic(Duel::kHuman)), nullptr);
    EXPECT_NE(dynamic_cast<WoppleAIParticipantLogic*>(logic->GetParticipantLogic(Duel::kPirate)), nullptr);
    EXPECT_EQ(logic->GetCurrentParticipant(), Duel::kHuman);
    EXPECT_NE(logic->GetPirateCharacter(), nullptr);
    EXPECT_TRUE(logic->IsDuel());
    EXPECT_EQ(logic->GetBonusTimer(), nullptr);
    try {
        delete logic->CreateParticipantLogic(2);
        ADD_FAILURE() << "a third participant was made";
    } catch (const Exception& e) {
        EXPECT_NE(e.GetMessage().find("Invalid participant index: 2"), std::string::npos) << e.GetMessage();
    }
    // The person's sign glows on the person's turn, the pirate's on his.
    Actor* root = logic->GetRootActor();
    auto lit = [root](int i, const char* glow) {
        return root->FindChild("scoreLabelContainer_" + std::to_string(i), true)->FindChild(glow, true)->IsVisible();
    };
    // At the start only the person's sign is lit, though both scores were reset.
    for (const char* glow : {"scoreBlink", "turnGlow"}) {
        EXPECT_TRUE(lit(0, glow)) << glow;
        EXPECT_FALSE(lit(1, glow)) << glow;
    }
    for (const char* glow : {"scoreBlink", "turnGlow"}) {
        logic->SetCurrentParticipant(Duel::kHuman);
        EXPECT_TRUE(lit(0, glow)) << glow;
        EXPECT_FALSE(lit(1, glow)) << glow;
        logic->SetCurrentParticipant(Duel::kPirate);
        EXPECT_FALSE(lit(0, glow)) << glow;
        EXPECT_TRUE(lit(1, glow)) << glow;
    }
    // The pirate's score counts up: his rim stays lit after its glow fades.
    logic->AddScore(200);
    Passes(60);
    EXPECT_TRUE(lit(1, "turnGlow"));
    EXPECT_FALSE(lit(0, "turnGlow"));
}

TEST_F(PiratesFortuneTest, AHeadlessDuelAlternatesTurnsOfferFreeSpinsAtOnceAndNamesTheWinner)
{
    // Every spin free so the duel runs its twenty; chests of free spins on the board.
    StartDuel("{ levelNumber = 7, allSpinsFree = true, cellFreeSpins = 8 }");
    std::vector<std::uint32_t> turns;
    std::vector<int> pirateCells;
    int offered = 0;
    int spin = 0;
    std::string last = logic->GetStateName();
    std::size_t clicksSeen = 0;
    for (int i = 0; i < 60000; ++i) {
        player->Step();
        Pass();
        const std::string state = logic->GetStateName();
        if (state == "EndGameTransition" || state == "ProcessFullBoards")
            break;
        if (logic->GetSpinCount() != spin) {
            spin = logic->GetSpinCount();
            const std::uint32_t who = logic->GetCurrentParticipant();
            // The same side twice running only after taking a free spin at once.
            if (!turns.empty() && who == turns.back()) {
                EXPECT_EQ(last, "PromptForImmediateFreeSpinUsage") << "spin " << spin;
            }
            turns.push_back(who);
        }
        if (state != last && state == "PromptForImmediateFreeSpinUsage")
            ++offered;
        // The automated player never pulls or matches for the pirate (a dialog
        // in front, such as an award's, it may close whenever it shows).
        if (player->GetClicks().size() != clicksSeen) {
            clicksSeen = player->GetClicks().size();
            const std::string& click = player->GetClicks().back();
            if (click == "lever" || click.rfind("cell ", 0) == 0) {
                EXPECT_EQ(logic->GetCurrentParticipant(), Duel::kHuman) << click;
            }
        }
        if (state == "ProcessMatch" && last != "ProcessMatch" && logic->GetCurrentParticipant() == Duel::kPirate)
            pirateCells.push_back(spin);
        last = state;
    }
    const std::string end = logic->GetStateName();
    ASSERT_TRUE(end == "EndGameTransition" || end == "ProcessFullBoards") << end << "/" << PartState();
    if (end == "EndGameTransition") {
        EXPECT_EQ(logic->GetSpinCount(), 20);
    }
    ASSERT_GE(turns.size(), 2u);
    EXPECT_EQ(turns[0], Duel::kHuman);
    // A full board may end the duel early; each side has had turns by then.
    EXPECT_GE(std::count(turns.begin(), turns.end(), Duel::kPirate), 3);
    EXPECT_GE(std::count(turns.begin(), turns.end(), Duel::kHuman), 3);
    EXPECT_FALSE(pirateCells.empty()) << "the pirate matched nothing";
    EXPECT_GT(offered, 0) << "no free spin was offered at once";
    // The winner: the person must have more; a tie is the pirate's.
    EXPECT_EQ(logic->IsLevelGoalMet(), logic->GetScore(Duel::kHuman) > logic->GetScore(Duel::kPirate));
    EXPECT_EQ(logic->GetRoundResults()["roundCompletedSuccessfully"].GetBoolean(), logic->IsLevelGoalMet());
}

TEST_F(PiratesFortuneTest, ATieLosesTheLevel)
{
    StartDuel();
    struct Case
    {
        std::int64_t person, pirate;
        bool won;
    } cases[] = {{0, 0, false}, {5000, 5000, false}, {5001, 5000, true}, {4999, 5000, false}};
    for (const Case& c : cases) {
        logic->SetScore(c.person, Duel::kHuman);
        logic->SetScore(c.pirate, Duel::kPirate);
        EXPECT_EQ(logic->IsLevelGoalMet(), c.won) << c.person << " against " << c.pirate;
    }
    app->GetLuaState().GetGlobals().SetObject("duel", logic->GetLuaObject());
    EXPECT_EQ(Eval("duel:GetHumanScore()").GetNumber(), 4999);
    EXPECT_EQ(Eval("duel:GetAIScore()").GetNumber(), 5000);
    EXPECT_EQ(logic->GetLevelGoalText(), "You must out-score the pirates\nto unlock the next round.");
}

TEST_F(PiratesFortuneTest, ThePiratesLeverIgnoresThePersonWhileHeDecidesAndTakesThePersonOnTheirTurn)
{
    StartDuel("{ levelNumber = 7, allSpinsFree = true }");
    CocoDropButton* lever = logic->GetCocoDropButton();
    PlayUntil([this] { return PirateAsked("WaitForSpin"); }, 20000);
    const int spin = logic->GetSpinCount();
    EXPECT_TRUE(lever->GetIgnoreUserInput());
    // The person grabs the lever at once: nothing happens.
    const Point<int> at = LeverSpot();
    ClickAt(at.x, at.y);
    Passes(3);
    EXPECT_EQ(logic->GetStateName(), "WaitForSpin");
    EXPECT_EQ(PartState(), "WaitForSpin");
    // A moment later the pirate pulls it himself, and the lever is anybody's again.
    PassUntil([this] { return logic->GetStateName() == "SpinWheel"; }, 40);
    EXPECT_EQ(logic->GetSpinCount(), spin);
    EXPECT_FALSE(lever->GetIgnoreUserInput());
    app->ResetRolloverAt(0, 0, true);

    // On the person's turn the same click on the same spot pulls it.
    PlayUntil([this] { return logic->GetCurrentParticipant() == Duel::kHuman && PartState() == "WaitForSpin"; },
              20000);
    EXPECT_FALSE(lever->GetIgnoreUserInput());
    ClickAt(at.x, at.y);
    PassUntil([this] { return logic->GetStateName() == "SpinWheel"; }, 10);
}

TEST_F(PiratesFortuneTest, ThePersonsClicksOnTheBoardDoNotMatchForThePirate)
{
    StartDuel("{ levelNumber = 7, allSpinsFree = true }");
    PlayUntil([this] { return PirateAsked("WaitForMatch"); }, 20000);
    const int matches = logic->matchesThisSpin;
    // The person clicks every open cell before the pirate has chosen.
    WoppleBoardView* board = logic->GetBoardView(1);
    for (int c = 1; c <= board->GetNumColumns(); ++c)
        for (int r = 1; r <= board->GetNumRows(); ++r)
            if (logic->IsCellAvailableForMatching(1, c, r)) {
                const Rect cell = board->GetCellView(c, r)->GetGlobalRect();
                ClickAt(cell.x + cell.w / 2, cell.y + cell.h / 2);
            }
    Pass();
    EXPECT_EQ(logic->matchesThisSpin, matches);
    // The pirate's own choice: the first open cell, column by column, row by row.
    int firstColumn = 0, firstRow = 0;
    for (int c = 1; c <= board->GetNumColumns() && !firstColumn; ++c)
        for (int r = 1; r <= board->GetNumRows() && !firstColumn; ++r)
            if (logic->IsCellAvailableForMatching(1, c, r))
                firstColumn = c, firstRow = r;
    ASSERT_NE(firstColumn, 0);
    PassUntil([this] { return logic->GetStateName() == "ProcessMatch"; }, 40);
    EXPECT_EQ(logic->GetChosenCell(), board->GetCellView(firstColumn, firstRow));
}

TEST_F(PiratesFortuneTest, AFreeSpinWonIsOfferedAtOnceOnlyWhileTheBoardIsOpenAndSpinsAreLeft)
{
    StartDuel();
    struct Case
    {
        int freeSpinsWon;
        int spin;
        const char* next;
    } cases[] = {
        {1, 5, "PromptForImmediateFreeSpinUsage"},
        {0, 5, "NextPlayer"},
        {2, 19, "PromptForImmediateFreeSpinUsage"},
        // The last spin played: nothing left to use it on.
        {1, 20, "NextPlayer"},
    };
    // States that sit still, to see where the route goes.
    for (const char* name : {"PromptForImmediateFreeSpinUsage", "NextPlayer"})
        logic->AddState(new RequestState(name), true);
    for (const Case& c : cases) {
        logic->SetSpinCount(c.spin);
        logic->freeSpinsWonThisSpin = c.freeSpinsWon;
        logic->SetState("RouteSpinCompletion");
        EXPECT_EQ(logic->GetStateName(), c.next) << c.freeSpinsWon << " at spin " << c.spin;
    }
}

TEST_F(PiratesFortuneTest, ThePersonTakesAnImmediateFreeSpinWithTheCherubsYesAndSpinsAgain)
{
    StartDuel();
    Park();
    logic->SetSpinCount(5);
    logic->SetFreeSpins(1, Duel::kHuman);
    logic->GetPowerupView(Duel::kHuman)->AddFreeSpin();
    logic->freeSpinsWonThisSpin = 1;
    logic->SetState("RouteSpinCompletion");
    ASSERT_EQ(PartState(), "PromptForImmediateFreeSpinUsage");
    Passes(5);
    Button* yes = FindButton("YesButton");
    ASSERT_NE(yes, nullptr);
    yes->ManuallyPressButton();
    yes->ManuallyReleaseButton();
    PassUntil([this] { return PartState() == "WaitForSpin"; }, 10);
    EXPECT_EQ(logic->GetCurrentParticipant(), Duel::kHuman);
    EXPECT_EQ(logic->GetSpinCount(), 6);
    EXPECT_EQ(logic->GetFreeSpins(Duel::kHuman), 0);
}

TEST_F(PiratesFortuneTest, ThePirateDecidesOnAFreeSpinWonThroughHisScriptEitherWay)
{
    // Both of his answers, with seeds that give each.
    int used = 0, kept = 0;
    for (int seed : {1, 2, 3, 4, 5, 6}) {
        StartDuel();
        Lua("math.randomseed(" + std::to_string(seed) + ")");
        logic->SetCurrentParticipant(Duel::kPirate);
        logic->SetSpinCount(5);
        logic->SetFreeSpins(1, Duel::kPirate);
        logic->GetPowerupView(Duel::kPirate)->AddFreeSpin();
        logic->freeSpinsWonThisSpin = 1;
        logic->SetState("RouteSpinCompletion");
        ASSERT_EQ(PartState(Duel::kPirate), "PromptForImmediateFreeSpinUsage");
        // He thinks for 1.2 seconds.
        Passes(30);
        EXPECT_EQ(logic->GetStateName(), "PromptForImmediateFreeSpinUsage");
        PassUntil([this] { return logic->GetStateName() != "PromptForImmediateFreeSpinUsage"; }, 20);
        EXPECT_EQ(logic->GetSpinCount(), 6);
        if (logic->GetCurrentParticipant() == Duel::kPirate) {
            ++used;
            EXPECT_EQ(logic->GetFreeSpins(Duel::kPirate), 0);
        } else {
            ++kept;
            EXPECT_EQ(logic->GetFreeSpins(Duel::kPirate), 1);
        }
        if (screen)
            screen->logic = nullptr;
        logic.reset();
        Pass();
    }
    EXPECT_GT(used, 0);
    EXPECT_GT(kept, 0);
}

TEST_F(PiratesFortuneTest, ThePiratesBuyAndCashOutButtonsIgnoreThePersonAndHeNeverCashesOut)
{
    StartDuel();
    Park();
    std::vector<std::string> answers;
    logic->SetCurrentParticipant(Duel::kPirate);
    logic->SetSpinCount(18);
    logic->AddState(new Asking("PromptForBuy", logic->GetParticipantLogic(Duel::kPirate),
                               &WoppleParticipantLogic::PromptForBuyWithCashOut, answers),
                    true);
    logic->SetState("PromptForBuy");
    Passes(3);
    Button* cashOut = FindButton("cashOutButton");
    Button* buy = FindButton("buyButton");
    ASSERT_NE(cashOut, nullptr);
    ASSERT_NE(buy, nullptr);
    EXPECT_TRUE(cashOut->GetIgnoreUserInput());
    EXPECT_TRUE(buy->GetIgnoreUserInput());
    const Rect r = cashOut->GetGlobalRect();
    ClickAt(r.x + r.w / 2, r.y + r.h / 2);
    Passes(3);
    EXPECT_TRUE(answers.empty());
    PassUntil([&answers] { return !answers.empty(); }, 30);
    EXPECT_EQ(answers, std::vector<std::string>{"PromptForBuy/buy spin"});
}

TEST_F(PiratesFortuneTest, ThePirateSaysYarThriceThenLosesPatienceAndANewLevelCountsAgain)
{
    StartDuel();
    Button* pirate = FindButton("pirateCharacter");
    ASSERT_NE(pirate, nullptr);
    auto said = [this](const char* script) {
        return logic->GetRootActor()->FindScriptsWithTag(script, nullptr);
    };
    for (int click = 1; click <= 5; ++click) {
        Pass();
        pirate->ManuallyPressButton();
        pirate->ManuallyReleaseButton();
        Passes(2);
        EXPECT_EQ(logic->GetPirateClickCount(), click);
        EXPECT_EQ(said("SayPIRATE_STOP_CLICKING") > 0, click >= 4) << "click " << click;
        if (click <= 3) {
            EXPECT_GT(said("SayPIRATE_YAR"), 0) << "click " << click;
        }
    }
    logic->SetLevelName();
    EXPECT_EQ(logic->GetPirateClickCount(), 0);
}

TEST_F(PiratesFortuneTest, APiratesDecisionEndsWithItsRequestAndNeverAnswersLate)
{
    StartDuel();
    Park();
    std::vector<std::string> answers;
    WoppleParticipantLogic* pirate = logic->GetParticipantLogic(Duel::kPirate);
    logic->SetCurrentParticipant(Duel::kPirate);
    logic->SetSpinCount(18);
    logic->AddState(new Asking("PromptForFreeSpin", pirate, &WoppleParticipantLogic::PromptForFreeSpin, answers), true);
    // Asked, then the request withdrawn before he has made up his mind.
    logic->SetState("PromptForFreeSpin");
    Passes(5);
    EXPECT_EQ(logic->GetRootActor()->FindScriptsWithTag("AI", nullptr), 1);
    pirate->Start();
    Passes(40);
    EXPECT_TRUE(answers.empty());
    EXPECT_EQ(logic->GetRootActor()->FindScriptsWithTag("AI", nullptr), 0);
    // Asked again and left alone, he answers once, never cashing out.
    logic->SetState("Parked");
    logic->SetState("PromptForFreeSpin");
    PassUntil([&answers] { return !answers.empty(); }, 40);
    Passes(20);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_TRUE(answers[0] == "PromptForFreeSpin/buy spin" || answers[0] == "PromptForFreeSpin/use free spin")
        << answers[0];
}

TEST_F(PiratesFortuneTest, ANoMatchWaitEndsWhenThePiratesLineIsCutOffWithoutReportingItsEnd)
{
    StartDuel();
    Park();
    logic->AddState(new RequestState("WaitForOutputCompletion"), true);
    logic->SetSpinCount(5);
    logic->SetState("NoMatches");
    ASSERT_EQ(logic->GetStateName(), "NoMatches") << "his line is running";
    Passes(3);
    EXPECT_EQ(logic->GetStateName(), "NoMatches") << "still talking";
    logic->GetRootActor()->StopScriptsWithTag("NO_MATCHES");
    PassUntil([this] { return logic->GetStateName() == "WaitForOutputCompletion"; }, 30);
}
