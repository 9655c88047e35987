// The animations of completed lines and patterns, on a classic board, by the
// main loop's clock: which overlays are lit after each pass, when the score
// flash shows and when the finished event arrives.

#include "BoardTestSupport.h"
#include "engine/core/Exception.h"
#include "engine/ui/ParticleEmitter.h"
#include "game/views/WoppleAnimation.h"
#include "game/views/WoppleVisionLabel.h"

#include <memory>
#include <type_traits>
#include <string>
#include <vector>

using namespace boardtest;

namespace {

class WoppleAnimationTest : public BoardFixture
{
protected:
    void SetUp() override
    {
        BoardFixture::SetUp();
        AddStrip("testOverlay.png", 81, 79, {0xFFFFD54Au});
        board = MakeBoard("WoppleSingleBoardResourceSet", 40, 50);
        Number(board);
        for (int c = 1; c <= 5; ++c)
            board->GetCellView(c, 3)->SetCellType("Selected");
        // Past the loop's first, longer passes.
        Passes(3);
        log->Take();
    }

    std::vector<WoppleCellView*> Row(int row, std::vector<int> columns)
    {
        std::vector<WoppleCellView*> cells;
        for (int c : columns)
            cells.push_back(board->GetCellView(c, row));
        return cells;
    }

    template <typename A>
    void Prepare(A& animation)
    {
        if constexpr (!std::is_same_v<A, WopplePatternCompletionAnimation>)
            animation.m_CellOverlayImage = std::make_unique<Image>("testOverlay.png");
        animation.AttachObserver(WOPPLE_WOPPLEANIMATIONFINISHED, log.get());
        animation.AttachObserver(WOPPLE_WOPPLEREVERSEANIMATIONFINISHED, log.get());
        animation.AttachObserver(WOPPLE_PATTERNCOMPLETIONANIMATIONFINISHED, log.get());
    }

    void PrepareFlash(WoppleAnimation& animation)
    {
        Prepare(animation);
        animation.m_ScoreFlashParent = screen;
        animation.m_ScoreFlashResource = "DefaultScoreFlash";
        animation.scoreText = "1000";
    }

    // Which of the cells have their line overlay shown, as a string of 0 and 1.
    static std::string Lit(const std::vector<WoppleCellView*>& cells)
    {
        std::string lit;
        for (WoppleCellView* cell : cells)
            lit += cell->woppleOverlay && cell->woppleOverlay->IsVisible() ? '1' : '0';
        return lit;
    }

    // The main loop's time: the start of the last pass, which the timers read.
    std::uint32_t Now() const { return app->GetFrameStartTime(); }

    // Passes until the time has gone by, writing down each change of the lights
    // with the time since the start.
    struct Change
    {
        std::string lit;
        std::uint32_t at;
    };
    std::vector<Change> Run(const std::vector<WoppleCellView*>& cells, std::uint32_t duration, std::uint32_t start)
    {
        std::vector<Change> changes;
        std::string last = Lit(cells);
        while (Now() - start < duration) {
            Pass();
            const std::string now = Lit(cells);
            if (now != last)
                changes.push_back({now, Now() - start});
            last = now;
        }
        return changes;
    }

    int Count(int type)
    {
        int n = 0;
        for (const Received& r : log->received)
            n += r.type == type;
        return n;
    }

    WoppleBoardView* board = nullptr;
};

} // namespace

TEST_F(WoppleAnimationTest, AFiveCellRowLightsCellByCellThenFlashesItsScore)
{
    const std::vector<WoppleCellView*> row = Row(3, {1, 2, 3, 4, 5});
    WoppleAnimation animation(row, {});
    PrepareFlash(animation);
    EXPECT_EQ(animation.GetNumSteps(), 5);
    EXPECT_EQ(animation.GetTimerPeriod(), 50);
    const std::uint32_t start = Now();
    animation.Start();
    EXPECT_EQ(animation.GetStateName(), "ProcessingCells");

    const std::vector<Change> changes = Run(row, 520, start);
    const char* expected[] = {"10000", "11000", "11100", "11110", "11111",
                              "01111", "00111", "00011", "00001", "00000"};
    ASSERT_EQ(changes.size(), 10u);
    for (std::size_t i = 0; i < changes.size(); ++i) {
        EXPECT_EQ(changes[i].lit, expected[i]) << i;
        // The i-th signal falls due at (i + 1) x 50 ms and shows at the pass after.
        EXPECT_GE(changes[i].at, 50u * (i + 1)) << i;
        EXPECT_LT(changes[i].at, 50u * (i + 1) + 32) << i;
    }
    EXPECT_EQ(animation.GetStateName(), "DisplayingScoreFlash");

    // The flash stands on the fifth cell's centre, in the parent, above the board.
    Actor* flash = animation.GetScoreFlash();
    ASSERT_NE(flash, nullptr);
    EXPECT_EQ(flash->GetParent(), screen);
    EXPECT_EQ(flash->GetZOrder(), 998);
    auto* label = dynamic_cast<WoppleVisionLabel*>(flash);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->GetText(), "1000");
    const Rect cell = row[4]->GetGlobalRect();
    const Rect shown = flash->GetGlobalRect();
    EXPECT_NEAR(shown.x + shown.w / 2, cell.x + cell.w / 2, 20) << "it may have drifted a little";
    EXPECT_LE(shown.y + shown.h / 2, cell.y + cell.h / 2);
    EXPECT_EQ(Count(WOPPLE_WOPPLEANIMATIONFINISHED), 0);

    // 150 ms after the flash the rules hear of the end, once.
    Run(row, 520 + 200, start);
    EXPECT_EQ(Count(WOPPLE_WOPPLEANIMATIONFINISHED), 1);
}

TEST_F(WoppleAnimationTest, TheReverseRunFollowsOneStepBehind)
{
    // Three cells each way: four steps, 40 ms apart.
    const std::vector<WoppleCellView*> forward = Row(3, {3, 4, 5});
    const std::vector<WoppleCellView*> backward = Row(3, {2, 1});
    std::vector<WoppleCellView*> reverse = backward;
    reverse.push_back(board->GetCellView(1, 4));
    WoppleAnimation animation(forward, reverse);
    PrepareFlash(animation);
    EXPECT_EQ(animation.GetNumSteps(), 4);
    EXPECT_EQ(animation.GetTimerPeriod(), 40);
    std::vector<WoppleCellView*> all = forward;
    all.insert(all.end(), reverse.begin(), reverse.end());
    const std::uint32_t start = Now();
    animation.Start();
    const std::vector<Change> changes = Run(all, 400, start);
    // forward 3 4 5, then reverse 2 1 [1][4]
    const char* expected[] = {"100000", "110100", "111110", "111111", "011111", "001011", "000001", "000000"};
    ASSERT_EQ(changes.size(), 8u) << "the fourth step lights only the last reverse cell";
    for (std::size_t i = 0; i < changes.size(); ++i)
        EXPECT_EQ(changes[i].lit, expected[i]) << i;
    // The flash goes on the last reverse cell: the reverse run is not shorter.
    ASSERT_NE(animation.GetScoreFlash(), nullptr);
    const Rect flash = animation.GetScoreFlash()->GetGlobalRect();
    const Rect last = reverse.back()->GetGlobalRect();
    EXPECT_NEAR(flash.x + flash.w / 2, last.x + last.w / 2, 20);
}

TEST_F(WoppleAnimationTest, ALineOfOneCellIsRefused)
{
    // 200 / (n + m - 1) has no value for a single cell.
    WoppleAnimation single(Row(3, {1}), {});
    PrepareFlash(single);
    try {
        single.Start();
        ADD_FAILURE() << "a one-cell line started";
    } catch (const Exception& e) {
        EXPECT_NE(e.GetMessage().find("A line animation needs at least two cells"), std::string::npos)
            << e.GetMessage();
    }
    EXPECT_EQ(single.GetStateName(), "HasNotStarted");

    ReverseWoppleAnimation reverse({}, Row(3, {1}));
    Prepare(reverse);
    EXPECT_THROW(reverse.Start(), Exception);
    Passes(3);
    EXPECT_TRUE(log->received.empty());
}

TEST_F(WoppleAnimationTest, StartWantsTheScoreFlashAndTheOverlay)
{
    struct Case
    {
        const char* missing;
        const char* message;
    };
    for (const Case& c : {Case{"parent", "m_ScoreFlashParent must be set before calling WoppleAnimation::Start"},
                          Case{"resource", "m_ScoreFlashResource must be set before calling WoppleAnimation::Start"},
                          Case{"overlay", "m_CellOverlayImage must be set before calling WoppleAnimation::Start"}}) {
        WoppleAnimation animation(Row(3, {1, 2, 3, 4, 5}), {});
        PrepareFlash(animation);
        if (std::string(c.missing) == "parent")
            animation.m_ScoreFlashParent = nullptr;
        else if (std::string(c.missing) == "resource")
            animation.m_ScoreFlashResource.clear();
        else
            animation.m_CellOverlayImage.reset();
        try {
            animation.Start();
            ADD_FAILURE() << c.missing;
        } catch (const Exception& e) {
            EXPECT_NE(e.GetMessage().find(c.message), std::string::npos) << e.GetMessage();
        }
    }
}

TEST_F(WoppleAnimationTest, AnUndoneLineRunsBackwardsWithoutAFlash)
{
    const std::vector<WoppleCellView*> row = Row(3, {1, 2, 3, 4, 5});
    ReverseWoppleAnimation animation(row, {});
    Prepare(animation);
    const std::uint32_t start = Now();
    animation.Start();
    const std::vector<Change> changes = Run(row, 700, start);
    const char* expected[] = {"00001", "00011", "00111", "01111", "11111",
                              "11110", "11100", "11000", "10000", "00000"};
    ASSERT_EQ(changes.size(), 10u);
    for (std::size_t i = 0; i < changes.size(); ++i)
        EXPECT_EQ(changes[i].lit, expected[i]) << i;
    EXPECT_EQ(Count(WOPPLE_WOPPLEREVERSEANIMATIONFINISHED), 1);
    EXPECT_EQ(Count(WOPPLE_WOPPLEANIMATIONFINISHED), 0);
    EXPECT_EQ(screen->FindChild("flight", true), nullptr) << "no score flash";
}

TEST_F(WoppleAnimationTest, APatternFlashesSixTimesAt150Milliseconds)
{
    std::vector<WoppleCellView*> pattern;
    for (int i = 1; i <= 5; ++i) {
        WoppleCellView* cell = board->GetCellView(i, i);
        cell->isPatternCell = true;
        pattern.push_back(cell);
    }
    WopplePatternCompletionAnimation animation(board);
    ASSERT_EQ(animation.GetPatternCells().size(), 5u);
    Prepare(animation);
    // The sparkles of the bursts, alive for half a second.
    auto sparkles = [this] {
        Actor* particles = screen->FindChild("CellParticleManager");
        return particles ? particles->GetNumChildren() : 0u;
    };

    const std::uint32_t start = Now();
    animation.Start();
    std::vector<std::uint32_t> toggles;
    std::vector<std::size_t> sparklesAt;
    bool on = false;
    while (Now() - start < 1100) {
        Pass();
        const bool now = pattern[2]->patternCompletionOverlay->IsVisible();
        for (WoppleCellView* cell : pattern) {
            EXPECT_EQ(cell->patternCompletionOverlay->IsVisible(), now) << "all together";
        }
        if (now != on) {
            toggles.push_back(Now() - start);
            sparklesAt.push_back(sparkles());
        }
        on = now;
        if (toggles.size() < 6) {
            EXPECT_EQ(Count(WOPPLE_PATTERNCOMPLETIONANIMATIONFINISHED), 0);
        }
    }
    ASSERT_EQ(toggles.size(), 6u);
    for (std::size_t i = 0; i < toggles.size(); ++i) {
        EXPECT_GE(toggles[i], 150u * (i + 1)) << i;
        EXPECT_LT(toggles[i], 150u * (i + 1) + 32) << i;
    }
    EXPECT_FALSE(on) << "on, off, on, off, on, off";
    // A rainbow burst on each pattern cell the first time only: none join
    // them at the second lighting, and they are gone by the end.
    EXPECT_GT(sparklesAt[0], 0u);
    EXPECT_EQ(sparklesAt[2], sparklesAt[0]);
    EXPECT_EQ(sparkles(), 0u);
    EXPECT_EQ(Count(WOPPLE_PATTERNCOMPLETIONANIMATIONFINISHED), 1);
}

TEST_F(WoppleAnimationTest, ASuperLineRunsItsScriptAndTellsTheRules)
{
    SuperWoppleAnimationInfo info;
    for (WoppleCellView* cell : Row(3, {1, 2, 3, 4, 5})) {
        info.cells.push_back(cell);
    }
    auto* animation = new SuperWoppleAnimation(info, screen, "PinkScoreFlash", "5000");
    screen->AddChild(animation);
    animation->AttachObserver(WOPPLE_SUPERWOPPLEANIMATIONFINISHED, log.get());
    animation->Start();
    bool sawLit = false;
    bool sawFlash = false;
    const std::uint32_t start = Now();
    while (Now() - start < 1000 && Count(WOPPLE_SUPERWOPPLEANIMATIONFINISHED) == 0) {
        Pass();
        sawLit = sawLit || board->GetCellView(3, 3)->woppleOverlay->IsVisible();
        for (Actor* child : screen->GetChildren())
            if (auto* flash = dynamic_cast<WoppleVisionLabel*>(child))
                sawFlash = sawFlash || flash->GetText() == "5000";
    }
    EXPECT_TRUE(sawLit);
    EXPECT_TRUE(sawFlash);
    EXPECT_EQ(Count(WOPPLE_SUPERWOPPLEANIMATIONFINISHED), 1);
    EXPECT_FALSE(board->GetCellView(3, 3)->woppleOverlay->IsVisible()) << "dark again at the end";
}
