// What the stopped reels bring on a real (headless) game screen: the bonus
// reels one after the other with their waits, the devils and cherubs, and the
// pirate-or-treasure box of a two-participant round. The reels are made to
// land on the symbols; the participant is a stand-in that sits in the state
// it is asked for, and the tests answer for it with WOPPLE_PARTICIPANTACTION.

#include "RulesTestSupport.h"
#include "engine/core/CoreHost.h"
#include "engine/core/Exception.h"
#include "engine/core/TimerManager.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/ui/Actor.h"
#include "engine/ui/ParticleEmitter.h"
#include "game/rules/OldSchoolBonusStates.h"
#include "game/rules/WoppleClassicGameLogic.h"
#include "game/rules/WoppleLevelSetup.h"
#include "game/rules/WoppleParticipantLogic.h"
#include "game/shell/GameTestSupport.h"
#include "game/shell/WoppleGameScreen.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WopplePowerupView.h"
#include "game/views/WoppleVisionLabel.h"
#include "game/views/WoppleWheelAnimation.h"
#include "game/views/WoppleWheelProgressOverlay.h"
#include "game/views/WoppleWheelSetView.h"
#include "game/views/WoppleWheelView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace rulestest;

namespace {

// The Classic logic with one or two participants; it writes down the messages
// it says and ends, and has a state that waits for nothing.
class BonusLogic : public WoppleClassicGameLogic
{
public:
    explicit BonusLogic(int participants) { m_NumParticipants = participants; }
    WoppleParticipantLogic* CreateParticipantLogic(int) override { return new StandInParticipant; }
    void CreateStates() override
    {
        WoppleClassicGameLogic::CreateStates();
        AddState(new OldSchoolStates::Base(*this, "Parked"), true);
    }
    Actor* SayGameMessage(int id, Object* listener, const std::string& text1, const std::string& text2,
                          const std::string& text3) override
    {
        said.push_back(std::to_string(id) + ":" + text1);
        return WoppleClassicGameLogic::SayGameMessage(id, listener, text1, text2, text3);
    }
    void KillMessage(int id, Object* listener) override
    {
        said.push_back("end " + std::to_string(id));
        WoppleClassicGameLogic::KillMessage(id, listener);
    }

    std::vector<std::string> said;
};

const char* const kLayout =
    "Resources.WoppleClassicScreenLayout = Resources.Object:new{ children = {\n"
    "  theBoard = { class = 'WoppleBoardView', resource = 'WoppleSingleBoardResourceSet', position = { 230, 120 } },\n"
    "  woppleWheels = { class = 'WoppleWheelSetView', resource = 'WoppleWheels', position = { 230, 10 } },\n"
    "  cocoDropButton = { class = 'CocoDropButton', resource = 'CocoDropButtonDefaults', position = { 640, 300 } },\n"
    "  cherubGirl = { class = 'WoppleCharacter', resource = 'CherubGirlCharacter', position = { 20, 300 } },\n"
    "  cherubBucketGuy = { class = 'WoppleCharacter', resource = 'GuyCherubCharacter', visible = false },\n"
    "  scoreLabelContainer_0 = { class = 'Actor', size = { 120, 60 }, position = { 650, 40 } },\n"
    "  scoreLabelContainer_1 = { class = 'Actor', size = { 120, 60 }, position = { 650, 500 } },\n"
    "  wopplePowerupView_0 = { class = 'WopplePowerupView', position = { 20, 60 } },\n"
    "  wopplePowerupView_1 = { class = 'WopplePowerupView', position = { 20, 460 } },\n"
    "  timerBox = { class = 'Actor', children = { timerLabel = { class = 'Label' } } },\n"
    "} }";

// Message numbers.
constexpr int kCherubDoubled = 9, kCherubScared = 10, kDevilMayTake = 12, kProtectionAcquired = 13,
              kProtectionUsed = 14, kDevilTook = 15, kVisionAcquired = 39;

// A reel that lands on a symbol; a positive number lands on that number.
int Sym(int type) { return -type; }

class BonusStatesTest : public gametest::GameFixture
{
protected:
    void SetUp() override
    {
        std::srand(20261210);
        Start({"--log3"});
        GameDataIO::GetInstance()->LoadAllPlayerData(false);
        Lua("local function wait() while true do ScriptBreak() end end\n"
            "Scripts.GirlIdle = wait\n"
            "Scripts.Babble = wait\n"
            "Scripts.GuyCherubPopOut = function(cherub) cherub:SetVisible(true) end\n"
            "Scripts.GuyCherubPopIn = function(cherub) cherub:SetVisible(false) end\n"
            "Scripts.DisplayLevelActors = function(root)\n"
            "  local b = root:FindChild('theBoard', true)\n"
            "  for c = 1, b:GetNumColumns() do\n"
            "    for r = 1, b:GetNumRows() do b:GetCellView(c, r):SetCellType('UnclickableNumber') end\n"
            "  end\n"
            "end");
        Lua(kLayout);
        screen = AddScreen<WoppleGameScreen>();
    }

    void Lua(const std::string& code)
    {
        LuaState lua = app->GetLuaState();
        ASSERT_EQ(lua.DoString(code), 0) << lua.PopErrorMessage();
    }

    // A round on the game screen, let through its opening to the lever; the
    // screen owns the logic.
    void StartRound(int participants = 1, const std::string& level = "{}")
    {
        screen->MarkTipShown("ClassicGame", "levelIntroDialog");
        logic = new BonusLogic(participants);
        logic->ApplyProperties(Eval(level));
        screen->SetGameLogic(logic);
        manager->SwitchToScreen("GameScreen");
        for (int i = 0; i < 300 && logic->GetStateName() != "WaitingForGameStart"; ++i)
            Pass();
        ASSERT_EQ(logic->GetStateName(), "WaitingForGameStart");
        logic->SetState("Parked");
        logic->SetSpinCount(2);
    }

    // Out of the turn, every participant idle, in a state that waits for nothing.
    void Park()
    {
        for (int p = 0; p < logic->GetNumParticipants(); ++p)
            logic->GetParticipantLogic(p)->Start();
        logic->SetState("Parked");
    }

    WoppleWheelView* Reel(int i) const { return logic->GetWheelsView()->GetWheelView(i); }

    // The reels land as asked (a number, or Sym(type)) while the logic is parked.
    void LandReels(const std::vector<int>& results)
    {
        for (int i = 1; i <= 5; ++i) {
            WoppleWheelView* wheel = Reel(i);
            const int r = results[i - 1];
            if (r < 0)
                wheel->SetNumberOfTypedSquares(-r, 1);
            wheel->BuildStrip();
            wheel->SetResult(r < 0 ? -r : WheelTypeNumber, r < 0 ? 0 : r);
            wheel->Spin();
        }
        for (int i = 0; i < 200 && !logic->GetWheelsView()->AreAllWheelsStopped(); ++i)
            Pass();
        for (int i = 1; i <= 5; ++i) {
            const int r = results[i - 1];
            ASSERT_EQ(Reel(i)->GetWheelType(false), r < 0 ? -r : WheelTypeNumber) << "reel " << i;
        }
    }

    // Enters the state; a failure of the rules fails the test with its message.
    void Enter(const std::string& state)
    {
        try {
            logic->SetState(state);
        } catch (const Exception& e) {
            FAIL() << e.GetMessage();
        }
    }

    // Seeds randomness so that the next draws pass the test.
    static void SeedSoThat(const std::function<bool()>& draws)
    {
        for (unsigned seed = 1; seed < 10000; ++seed) {
            std::srand(seed);
            if (draws()) {
                std::srand(seed);
                return;
            }
        }
        FAIL() << "no seed";
    }

    // Timers that would still signal the logic, the turn's countdown aside.
    int LiveTimersOfLogic() const
    {
        TimerManager* timers = TimerManager::GetInstance();
        int n = 0;
        for (std::uint32_t id = 1; id < timers->GetTimerCount(); ++id) {
            const TimerManager::Timer& t = timers->GetTimer(id);
            if ((t.m_Flags & TIMER_FREED) == 0 && t.m_Receiver == logic && id != logic->GetCountdownTimerID())
                ++n;
        }
        return n;
    }

    static Point<int> Centre(const Actor& actor)
    {
        const Rect r = actor.GetGlobalRect();
        return Point<int>(r.x + r.w / 2, r.y + r.h / 2);
    }

    // The sparkles of the picture centred on the point: a burst there leaves
    // its sparkles so until they first move.
    int Sparkles(const std::string& image, const Point<int>& at) const
    {
        int n = 0;
        for (Actor* sparkle : screen->GetParticleManager()->GetChildren()) {
            const Point<int> c = Centre(*sparkle);
            n += sparkle->GetImageName() == image && std::abs(c.x - at.x) <= 1 && std::abs(c.y - at.y) <= 1;
        }
        return n;
    }

    // The score flashes on the game screen's layer 998 that show the text.
    int Flashes(const std::string& text) const
    {
        int n = 0;
        for (Actor* child : screen->GetChildren())
            if (auto* flash = dynamic_cast<WoppleVisionLabel*>(child))
                n += flash->GetText() == text && flash->GetLayer() == 998;
        return n;
    }

    // Passes until the walk leaves the reel it waits on.
    int PassesOnReel(const OldSchoolStates::ProcessBonusWheels& state)
    {
        const int reel = state.GetCurrentWheel();
        int n = 0;
        for (; n < 100 && state.GetCurrentWheel() == reel && logic->GetStateName() == "ProcessBonusWheels"; ++n)
            Pass();
        return n;
    }

    // The tick of the current state's timer that leaves the signals, at once.
    template <typename AppearanceState>
    void Tick(int signalsLeft)
    {
        auto* state = dynamic_cast<AppearanceState*>(logic->GetState());
        ASSERT_NE(state, nullptr);
        const EventRecord tick =
            MakeEventRecord(VELK_TIMER, 0, reinterpret_cast<void*>(std::uintptr_t{state->GetTimerID()}),
                            reinterpret_cast<void*>(std::intptr_t{signalsLeft}));
        EXPECT_TRUE(logic->OnEvent(tick));
    }

    // What a participant's SignalGameLogic sends.
    void Signal(std::uint32_t participant, const std::string& motive, const std::string& action)
    {
        auto payload = std::make_shared<LuaObject>();
        payload->AssignNewTable(app->GetLuaState());
        payload->SetString("motive", motive);
        payload->SetString("action", action);
        SendNewEvent(WOPPLE_PARTICIPANTACTION, logic, logic->GetParticipantLogic(participant), payload);
    }

    std::string PartState(std::uint32_t participant) const
    {
        return logic->GetParticipantLogic(participant)->GetStateName();
    }

    static void ExpectAssertion(const std::function<void()>& call, const std::string& text)
    {
        try {
            call();
            ADD_FAILURE() << "no assertion for " << text;
        } catch (const Exception& e) {
            EXPECT_NE(e.GetMessage().find(text), std::string::npos) << e.GetMessage();
        }
    }

    bool Said(const std::string& entry) const
    {
        return std::find(logic->said.begin(), logic->said.end(), entry) != logic->said.end();
    }

    WoppleGameScreen* screen = nullptr;
    BonusLogic* logic = nullptr;
};

// ---------------------------------------------------------------- the bonus reels

TEST_F(BonusStatesTest, ASpinWithoutBonusSymbolsGoesStraightToTheDevilsOnceTheUselessPiecesAreMarked)
{
    StartRound();
    WoppleBoardView* board = logic->GetBoardView(1);
    // Reel 1 shows the number of an open cell, reel 2 the number of a matched
    // one, reel 3 a joker over a column with a cell left, reel 4 a joker over
    // a matched column, reel 5 the super joker.
    for (int r = 1; r <= 5; ++r)
        board->GetCellView(4, r)->SetCellType("Selected");
    for (int r = 2; r <= 5; ++r)
        board->GetCellView(3, r)->SetCellType("Selected");
    board->GetCellView(2, 1)->SetCellType("Selected");
    LandReels({board->GetCellView(1, 1)->number, board->GetCellView(2, 1)->number, Sym(WheelTypeJoker),
               Sym(WheelTypeJoker), Sym(WheelTypeSuperJoker)});
    for (int i = 1; i <= 5; ++i)
        Reel(i)->GetProgressOverlay()->SetNumPieces(1);

    const std::size_t from = LogText().size();
    Enter("ProcessBonusWheels");
    // No wait: through the devils and the joker bonus to the super joker's offer.
    EXPECT_EQ(logic->GetStateName(), "WaitForSuperJokerMatch");
    EXPECT_EQ(CountLines("SetState: ProcessDevils", from), 1);
    const int expected[] = {WoppleWheelProgressOverlay::PIECE_UNFILLED, WoppleWheelProgressOverlay::PIECE_IGNORED,
                            WoppleWheelProgressOverlay::PIECE_UNFILLED, WoppleWheelProgressOverlay::PIECE_IGNORED,
                            WoppleWheelProgressOverlay::PIECE_UNFILLED};
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(Reel(i)->GetProgressOverlay()->GetPieceStates().at(0), expected[i - 1]) << "reel " << i;

    // A symbol that serves no cell is ignored too, and the super joker once the board is full.
    Park();
    for (int c = 1; c <= 5; ++c)
        for (int r = 1; r <= 5; ++r)
            board->GetCellView(c, r)->SetCellType("Selected");
    LandReels({Sym(WheelTypeCoin), 16, 31, 46, Sym(WheelTypeSuperJoker)});
    for (int i = 1; i <= 5; ++i)
        Reel(i)->GetProgressOverlay()->SetNumPieces(1);
    std::unique_ptr<State> owned(OldSchoolStates::CreateBonusState(*logic, "ProcessBonusWheels"));
    static_cast<OldSchoolStates::ProcessBonusWheels*>(owned.get())->UpdateReelProgressOverlays();
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(Reel(i)->GetProgressOverlay()->GetPieceStates().at(0), WoppleWheelProgressOverlay::PIECE_IGNORED)
            << "reel " << i;
}

TEST_F(BonusStatesTest, CoinsMultipliersAndFreeSpinsAreAppliedInOnePass)
{
    StartRound();
    Reel(2)->SetMultiplier(3);
    // Reel 4 serves a cell, so that the spin waits for its match.
    LandReels({Sym(WheelTypeCoin), Sym(WheelTypeMultiplier), Sym(WheelTypeCoin),
               logic->GetBoardView(1)->GetCellView(4, 1)->number, Sym(WheelTypeFreeSpin)});
    const std::size_t from = LogText().size();
    Enter("ProcessBonusWheels");
    EXPECT_EQ(logic->GetStateName(), "WaitForMatch");

    // Both coins are worth 1000 under the total multiplier of 3.
    EXPECT_EQ(logic->GetScore(0), 6000);
    EXPECT_EQ(Flashes("3000 (3x)"), 2);
    EXPECT_EQ(CountLines("Game sound: C_coin.ogg", from), 2);
    EXPECT_EQ(CountLines("Game sound: combo.ogg", from), 1);
    EXPECT_EQ(CountLines("Game sound: Pickup_GemBells19.ogg", from), 1);
    EXPECT_EQ(CountLines("Game sound: Pickup_GemBells08.ogg", from), 1);
    EXPECT_EQ(logic->GetFreeSpins(0), 1);
    EXPECT_EQ(logic->freeSpinsWonThisSpin, 1);
    EXPECT_TRUE(logic->GetPowerupView(0)->HasPowerup("FreeSpin"));
    EXPECT_EQ(CountLines("*** SetFreeSpins = 1, participantIndex = 0", from), 1);

    // A burst on each of the four reels (yellow for the coins), and one on the new free-spin tag.
    EXPECT_EQ(Sparkles("sparkle_y.png", Centre(*Reel(1))), 25);
    EXPECT_EQ(Sparkles("sparkle_w.png", Centre(*Reel(2))), 25);
    EXPECT_EQ(Sparkles("sparkle_y.png", Centre(*Reel(3))), 25);
    EXPECT_EQ(Sparkles("sparkle_w.png", Centre(*Reel(5))), 25);
    Actor* tag = logic->GetPowerupView(0)->FindChild("FreeSpin", true);
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(Sparkles("sparkle_w.png", Centre(*tag)), 25);

    // The lit badge lies over the multiplier reel, where the multiplier flashes find it.
    Actor* badge = Reel(2)->GetMultiplierOverlay();
    ASSERT_NE(badge, nullptr);
    EXPECT_EQ(badge->GetParent(), Reel(2));
    EXPECT_EQ(Reel(2)->FindChild("multiplierFlash", true), badge);
    EXPECT_EQ(badge->GetZOrder(), 2);
    EXPECT_EQ(badge->FindScriptsWithTag("multiplierFlash", nullptr), 1);
    EXPECT_EQ(Reel(1)->GetMultiplierOverlay(), nullptr);

    // The reel's next badge replaces it; the next spin takes it away.
    Park();
    Enter("ProcessBonusWheels");
    ASSERT_NE(Reel(2)->GetMultiplierOverlay(), nullptr);
    EXPECT_NE(Reel(2)->GetMultiplierOverlay(), badge);
    int badges = 0;
    for (Actor* child : Reel(2)->GetChildren())
        badges += child->GetName() == "multiplierFlash" ? 1 : 0;
    EXPECT_EQ(badges, 1);
    Park();
    Reel(2)->Spin();
    EXPECT_EQ(Reel(2)->GetMultiplierOverlay(), nullptr);
    EXPECT_EQ(Reel(2)->FindChild("multiplierFlash", true), nullptr);
}

TEST_F(BonusStatesTest, AGemACherubAndWoppleVisionEachWaitAndLeaveNoTimerBehind)
{
    StartRound(1, "{ levelNumber = 4 }");
    logic->SetSpinCount(3);
    LandReels({Sym(WheelTypeGem), Sym(WheelTypeCherub), Sym(WheelTypeWoppleVision), Sym(WheelTypeGem), 61});
    const int timersBefore = LiveTimersOfLogic();
    const std::size_t from = LogText().size();
    Enter("ProcessBonusWheels");
    auto* state = dynamic_cast<OldSchoolStates::ProcessBonusWheels*>(logic->GetState());
    ASSERT_NE(state, nullptr);

    // The gem: 900 ms; it changes no score.
    EXPECT_EQ(state->GetCurrentWheel(), 1);
    EXPECT_EQ(CountLines("Game sound: C_coin.ogg", from), 1);
    EXPECT_EQ(logic->GetScore(0), 0);
    EXPECT_EQ(Flashes("+1 Gem"), 1);
    EXPECT_EQ(LiveTimersOfLogic(), timersBefore + 1);
    EXPECT_NEAR(PassesOnReel(*state), 29, 1);  // 900 / 32 ms
    EXPECT_EQ(state->GetCurrentWheel(), 2);

    // The cherub: devil protection with its guard, said, and 900 ms.
    EXPECT_TRUE(logic->HasDevilProtection());
    EXPECT_TRUE(logic->GetPowerupView(0)->HasPowerup("DevilProtection"));
    EXPECT_TRUE(Said(std::to_string(kProtectionAcquired) + ":"));
    EXPECT_EQ(CountLines("Game sound: tada3.ogg", from), 1);
    EXPECT_NEAR(PassesOnReel(*state), 29, 1);
    EXPECT_EQ(state->GetCurrentWheel(), 3);

    // Wopple vision in level 4 at spin 3: five turns, the one-time tip in
    // place of the message, the open cells' auras, and a wait of 500 ms.
    EXPECT_EQ(logic->GetWoppleVisionTurns(), 5);
    EXPECT_TRUE(screen->IsTipShown("gameIntroduceFeature", "wopplevision"));
    EXPECT_FALSE(Said(std::to_string(kVisionAcquired) + ":"));
    EXPECT_EQ(CountLines("Game sound: ah.ogg", from), 1);
    EXPECT_EQ(LiveTimersOfLogic(), timersBefore + 1);
    Passes(10);
    EXPECT_EQ(state->GetCurrentWheel(), 3);

    // An animation's end cuts the wait short: the second gem, with a wait of its own.
    SendNewEvent(VELK_ANIMATIONFINISHED, logic, nullptr, nullptr);
    EXPECT_EQ(state->GetCurrentWheel(), 4);
    EXPECT_NEAR(PassesOnReel(*state), 29, 1);
    EXPECT_EQ(CountLines("SetState: ProcessDevils", from), 1);
    // Every wait used the one timer, and it went with the state.
    EXPECT_EQ(state->GetTimerID(), 0u);
    EXPECT_EQ(LiveTimersOfLogic(), timersBefore);

    // With the tip seen, a second vision is said; a timer of someone else's is not the state's.
    Park();
    logic->SetWoppleVision(0, false);
    LandReels({1, Sym(WheelTypeWoppleVision), 31, 46, 61});
    Enter("ProcessBonusWheels");
    EXPECT_TRUE(Said(std::to_string(kVisionAcquired) + ":"));
    EXPECT_FALSE(logic->GetState()->OnEvent(
        MakeEventRecord(VELK_TIMER, 0, reinterpret_cast<void*>(std::uintptr_t{state->GetTimerID() + 1000}))));
    EXPECT_EQ(state->GetCurrentWheel(), 2);
}

// ---------------------------------------------------------------- devils and cherubs

TEST_F(BonusStatesTest, TheDevilTakesItsShareOfTheScore)
{
    StartRound();
    LandReels({1, Sym(WheelTypeDevil), Sym(WheelTypeCoin), 46, 61});
    const struct
    {
        std::int64_t score;
        int share;
        std::int64_t left;
        const char* taken;
    } cases[] = {
        {1005, 30, 703, "302"},  // 703.5 truncated
        {0, 50, 0, "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.score);
        Park();
        logic->said.clear();
        logic->SetScore(c.score);
        logic->SetDevilsSeen(0);
        logic->SetDevilTally(false, 0);
        const std::size_t from = LogText().size();
        SeedSoThat([&] { return (std::rand() % 5 + 1) * 10 == c.share; });
        Enter("ProcessDevils");
        ASSERT_EQ(logic->GetStateName(), "DevilAppearance");
        EXPECT_EQ(logic->GetDevilsSeen(), 1);
        EXPECT_EQ(logic->GetDevilsThatTookPoints(), 1);
        EXPECT_EQ(CountLines("Game sound: C_laugh.ogg", from), 1);

        Passes(44);  // 1408 ms
        EXPECT_EQ(logic->GetScore(0), c.score);
        Passes(3);
        EXPECT_EQ(logic->GetScore(0), c.left);
        EXPECT_EQ(logic->said, (std::vector<std::string>{std::to_string(kDevilMayTake) + ":" + std::to_string(c.share),
                                                       "end " + std::to_string(kDevilMayTake),
                                                       std::to_string(kDevilTook) + ":" + c.taken}));
        EXPECT_EQ(CountLines("Game sound: C_debit.ogg", from), 1);
        Passes(29);  // 928 ms
        EXPECT_EQ(logic->GetStateName(), "DevilAppearance");
        Passes(4);
        EXPECT_EQ(CountLines("SetState: ProcessJokerBonus", from), 1);
    }
}

TEST_F(BonusStatesTest, TheFourthDevilReachesTheLimitADevilCherubOnlyTheFifth)
{
    StartRound();
    const struct
    {
        int type;
        int seenBefore;
        bool reached;
    } cases[] = {
        {WheelTypeDevil, 2, false},
        {WheelTypeDevil, 3, true},
        {WheelTypeDevilCherub, 3, false},
        {WheelTypeDevilCherub, 4, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " after " + std::to_string(c.seenBefore));
        Park();
        LandReels({1, 16, Sym(c.type), Sym(WheelTypeCoin), 61});
        logic->SetDevilsSeen(c.seenBefore);
        logic->SetDevilTally(false, 0);
        Enter("ProcessDevils");
        EXPECT_EQ(logic->GetStateName(), c.type == WheelTypeDevil ? "DevilAppearance" : "CherubAppearance");
        EXPECT_EQ(logic->GetDevilsSeen(), c.seenBefore + 1);
        EXPECT_EQ(logic->IsDevilLimitReached(), c.reached);
        EXPECT_EQ(logic->GetDevilsThatTookPoints(), c.type == WheelTypeDevil ? 1 : 0);
    }
}

TEST_F(BonusStatesTest, ACherubScaresTheDevilAwayAndNowAndThenDoublesTheScore)
{
    StartRound();
    const struct
    {
        int type;
        bool protection;
        bool doubling;
        const char* picture;
        int message;
    } cases[] = {
        // A protected participant: the cherub comes, nothing is taken.
        {WheelTypeDevil, true, false, "cell_mcherub.png", kProtectionUsed},
        {WheelTypeDevilCherub, false, false, "cell_fcherub.png", kCherubScared},
        {WheelTypeDevilCherub, false, true, "cell_fcherub.png", kCherubScared},
    };
    bool earlier = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.picture) + (c.doubling ? ", doubling" : ""));
        Park();
        LandReels({1, Sym(c.type), 31, 46, 61});
        if (earlier) {
            // The spin took the earlier cherub away and shows the square again.
            EXPECT_EQ(Reel(2)->GetCherubPicture(), nullptr);
            EXPECT_TRUE(Reel(2)->GetFirstSquare()->IsVisible());
        }
        logic->SetDevilProtection(c.protection);
        logic->SetScore(1005);
        logic->said.clear();
        const std::size_t from = LogText().size();
        SeedSoThat([&] {
            std::rand();
            return (std::rand() % 100 < 20) == c.doubling;
        });
        Enter("ProcessDevils");
        ASSERT_EQ(logic->GetStateName(), "CherubAppearance");
        EXPECT_EQ(logic->GetCherubWheel(), 2);
        EXPECT_EQ(CountLines("Game sound: C_laugh.ogg", from), 1);

        // First tick: the cherub on the reel, over its square.
        Passes(44);
        EXPECT_EQ(Reel(2)->GetCherubPicture(), nullptr);
        Passes(3);
        Actor* cherub = Reel(2)->GetCherubPicture();
        ASSERT_NE(cherub, nullptr);
        EXPECT_EQ(cherub->GetImageName(), c.picture);
        EXPECT_EQ(cherub->GetParent(), Reel(2)->GetSymbolContainer());
        EXPECT_EQ(cherub->GetZOrder(), 2);
        EXPECT_FALSE(Reel(2)->GetFirstSquare()->IsVisible());
        EXPECT_EQ(CountLines("Game sound: C_cherub.ogg", from), 1);
        ASSERT_EQ(logic->said.size(), 3u);
        EXPECT_EQ(logic->said[1], "end " + std::to_string(kDevilMayTake));
        EXPECT_EQ(logic->said[2], std::to_string(c.message) + ":");

        // Second tick: the doubling, or the end; a doubling ends on the third.
        Passes(47);
        EXPECT_EQ(logic->GetScore(0), c.doubling ? 2010 : 1005);
        EXPECT_EQ(Said(std::to_string(kCherubDoubled) + ":"), c.doubling);
        EXPECT_EQ(CountLines("Game sound: tada4.ogg", from), c.doubling ? 1 : 0);
        EXPECT_EQ(CountLines("SetState: ProcessJokerBonus", from), c.doubling ? 0 : 1);
        if (c.doubling) {
            Passes(47);
            EXPECT_EQ(CountLines("SetState: ProcessJokerBonus", from), 1);
            EXPECT_EQ(logic->GetScore(0), 2010);
        }
        earlier = true;
    }
}

TEST_F(BonusStatesTest, TheDoublingBurstsOverTheScoreOfTheParticipantWhoseTurnItIs)
{
    StartRound(2);
    LandReels({1, Sym(WheelTypeDevilCherub), 31, 46, 61});
    for (std::uint32_t participant : {1u, 0u}) {
        SCOPED_TRACE(participant);
        Park();
        logic->SetCurrentParticipant(participant);
        logic->SetScore(40);
        const std::int64_t other = logic->GetScore(1 - participant);
        SeedSoThat([] {
            std::rand();
            return std::rand() % 100 < 20;
        });
        Enter("ProcessDevils");
        ASSERT_EQ(logic->GetStateName(), "CherubAppearance");
        Passes(47);
        ASSERT_NE(Reel(2)->GetCherubPicture(), nullptr);
        Tick<OldSchoolStates::CherubAppearance>(1);
        EXPECT_EQ(logic->GetScore(participant), 80);
        EXPECT_EQ(logic->GetScore(1 - participant), other);
        for (std::uint32_t p : {0u, 1u}) {
            Actor* label = logic->GetRootActor()->FindChild("scoreLabelContainer_" + std::to_string(p), true);
            ASSERT_NE(label, nullptr);
            EXPECT_EQ(Sparkles("sparkle_w_small.png", Centre(*label)), p == participant ? 25 : 0) << "label " << p;
        }
    }
}

// ---------------------------------------------------------------- pirate or treasure

TEST_F(BonusStatesTest, APirateOrTreasureBoxIsPassedOrKeptAndHalvesOrDoublesTheHoldersScore)
{
    StartRound(2);
    WoppleCellView* cell = logic->GetBoardView(1)->GetCellView(2, 3);
    cell->ruleCode = HIDDEN_PIRATE_OR_TREASURE;
    logic->SetChosenCell(cell);
    logic->SetScore(7, 0);
    logic->SetScore(7, 1);

    logic->SetState("ProcessPirateOrTreasure");
    ASSERT_EQ(logic->GetStateName(), "ProcessPirateOrTreasure");
    ASSERT_NE(cell->contents, nullptr);
    EXPECT_EQ(cell->contents->GetImageName(), "cell_chest_closed.png");
    EXPECT_EQ(PartState(0), "PassOrKeepPirateOrTreasure");
    ExpectAssertion([&] { Signal(0, "PassOrKeepPirateOrTreasure", "dance"); }, "Unknown action: dance");
    ExpectAssertion([&] { Signal(0, "WaitForSpin", "start spin"); }, "Unknown motive: \"WaitForSpin\"");
    EXPECT_EQ(PartState(0), "PassOrKeepPirateOrTreasure");

    // Participant 0 passes it; the coin gives participant 1 the pirate: 7 halves to 3.
    const std::size_t from = LogText().size();
    SeedSoThat([] { return std::rand() % 2 == 1; });
    Signal(0, "PassOrKeepPirateOrTreasure", "pass");
    EXPECT_EQ(PartState(0), "Idle");
    EXPECT_EQ(PartState(1), "TellUserAboutCellPirate");
    EXPECT_EQ(logic->GetScore(0), 7);
    EXPECT_EQ(logic->GetScore(1), 3);
    EXPECT_EQ(cell->contents->GetImageName(), "cell_chest_pirate.png");
    EXPECT_EQ(CountLines("Game sound: C_debit.ogg", from), 1);
    EXPECT_EQ(logic->GetStateName(), "ProcessPirateOrTreasure");

    // Told, participant 1 is idle again; the box dims and the match goes on.
    Signal(1, "TellUserAboutCellPirate", "finished");
    EXPECT_EQ(PartState(1), "Idle");
    EXPECT_EQ(cell->contents->GetAlpha(), 96);
    EXPECT_EQ(cell->contents->GetShaderType(), SHADERTYPE_BLENDCOMBINEDALPHA);
    EXPECT_EQ(CountLines("SetState: RouteMatch", from), 1);

    // Kept by a participant with no points: treasure doubles 0, and 0 flashes over the cell.
    const struct
    {
        std::int64_t score;
        std::int64_t doubled;
    } kept[] = {{0, 0}, {1234, 2468}};
    for (const auto& k : kept) {
        SCOPED_TRACE(k.score);
        Park();
        Passes(20);  // the last sparkles gone
        logic->SetScore(k.score, 0);
        logic->SetState("ProcessPirateOrTreasure");
        const std::size_t later = LogText().size();
        SeedSoThat([] { return std::rand() % 2 == 0; });
        Signal(0, "PassOrKeepPirateOrTreasure", "keep");
        EXPECT_EQ(PartState(0), "TellUserAboutCellTreasure");
        EXPECT_EQ(PartState(1), "Idle");
        EXPECT_EQ(logic->GetScore(0), k.doubled);
        EXPECT_EQ(logic->GetScore(1), 3);
        EXPECT_EQ(cell->contents->GetImageName(), "cell_chest_treasure.png");
        EXPECT_EQ(CountLines("Game sound: treasure.ogg", later), 1);
        EXPECT_EQ(Sparkles("sparkle_p.png", Centre(*cell)), 25);
        EXPECT_EQ(Flashes(std::to_string(k.score)), 1);
        Signal(0, "TellUserAboutCellTreasure", "finished");
        EXPECT_EQ(CountLines("SetState: RouteMatch", later), 1);
    }
}

TEST_F(BonusStatesTest, AnOrdinaryCellPassesAtOnceAndABoxNeedsTwoParticipants)
{
    StartRound();
    WoppleCellView* cell = logic->GetBoardView(1)->GetCellView(1, 1);
    logic->SetChosenCell(cell);
    const std::size_t from = LogText().size();
    logic->SetState("ProcessPirateOrTreasure");
    EXPECT_EQ(CountLines("SetState: RouteMatch", from), 1);
    EXPECT_NE(logic->GetStateName(), "ProcessPirateOrTreasure");
    EXPECT_EQ(cell->contents, nullptr);

    Park();
    cell->ruleCode = HIDDEN_PIRATE_OR_TREASURE;
    ExpectAssertion([&] { logic->SetState("ProcessPirateOrTreasure"); }, "gameLogic->m_NumParticipants == 2");
}

} // namespace
