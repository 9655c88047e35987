// The score counter: counting toward a target pass by pass, the jump, its
// label and size, the "scoreBlink" flashes, and the template.

#include "WidgetTestSupport.h"
#include "engine/ui/ScoreCounter.h"

#include <cstdint>
#include <limits>

using namespace widgettest;

namespace {

class ScoreCounterTest : public WidgetFixture
{
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        parent = Make();
        counter = new ScoreCounter();
        parent->AddChild(counter, "scoreCounter");
    }

    // The shown values of the passes that changed it.
    std::vector<std::int64_t> CountedValues(int passes = 40)
    {
        std::vector<std::int64_t> values;
        for (int i = 0; i < passes; ++i) {
            std::int64_t before = counter->GetShownValue();
            Pass(parent);
            if (counter->GetShownValue() != before)
                values.push_back(counter->GetShownValue());
        }
        return values;
    }

    Actor* parent = nullptr;
    ScoreCounter* counter = nullptr;
};

} // namespace

TEST_F(ScoreCounterTest, EachPassMovesEveryDigitOfTheDifferenceByOneAndTheFirstNeverLandsOnTheTarget)
{
    struct Case
    {
        std::int64_t from;
        std::int64_t to;
        std::vector<std::int64_t> shown;
    };
    const Case cases[] = {
        {0, 523, {111, 222, 333, 444, 455, 466, 477, 488, 499, 510, 521, 522, 523}},
        {0, 100, {11, 22, 33, 44, 55, 66, 77, 88, 99, 100}},
        {523, 0, {412, 301, 190, 79, 68, 57, 46, 35, 24, 13, 2, 1, 0}},
        {-5, 5, {-4, -3, -2, -1, 0, 1, 2, 3, 4, 5}},
        // The first pass may not land on it, so it stands still once.
        {7, 8, {8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.from << " to " << c.to);
        counter->SetScore(c.from, true);
        Pass(parent);
        counter->SetScore(c.to, false);
        EXPECT_EQ(CountedValues(), c.shown);
        EXPECT_EQ(counter->GetLabel()->GetText(), std::to_string(c.to));
    }
}

TEST_F(ScoreCounterTest, TheLabelShowsEachValueAndTheCounterTakesItsSize)
{
    counter->SetAlignment(RectAlignment::TopRight);
    parent->SetSize(200, 40);
    counter->SetScore(7, true);
    EXPECT_EQ(counter->GetShownValue(), 7);
    EXPECT_EQ(counter->GetLabel()->GetText(), "7");
    int narrow = counter->GetWidth();
    EXPECT_GT(narrow, 0);
    EXPECT_EQ(counter->GetX(), 200 - narrow) << "aligned again in its parent";

    counter->SetScore(100000, false);
    Pass(parent);
    EXPECT_EQ(counter->GetLabel()->GetText(), "11118");
    EXPECT_EQ(counter->GetWidth(), counter->GetLabel()->GetWidth());
    EXPECT_EQ(counter->GetHeight(), counter->GetLabel()->GetHeight());
    EXPECT_GT(counter->GetWidth(), narrow);
    EXPECT_EQ(counter->GetX(), 200 - counter->GetWidth());

    auto canvas = FilledCanvas(200, 40, Colors::White);
    parent->Draw(*canvas);
    bool ink = false;
    for (int x = counter->GetX(); x < 200; ++x)
        for (int y = 0; y < counter->GetHeight(); ++y)
            ink = ink || Rgb(*canvas, x, y) != kWhite;
    EXPECT_TRUE(ink) << "the digits are drawn where the counter stands";
}

TEST_F(ScoreCounterTest, ScoreBlinkFadesInWhenCountingStartsAndOutOnceWhenItEnds)
{
    // Anywhere in the parent's subtree.
    Actor* holder = new Actor();
    parent->AddChild(holder);
    Actor* blink = new Actor(Colors::White);
    holder->AddChild(blink, "scoreBlink");
    blink->SetVisible(false);

    counter->SetScore(12, false);
    EXPECT_EQ(blink->GetFadeMode(), FADE_IN);
    std::vector<int> fadeOuts;
    for (int pass = 1; pass <= 20; ++pass) {
        int before = blink->GetFadeMode();
        Pass(parent);
        if (blink->GetFadeMode() == FADE_OUT && before != FADE_OUT)
            fadeOuts.push_back(pass);
    }
    // 11 on the first pass, 12 on the second, still on the third.
    EXPECT_EQ(fadeOuts, std::vector<int>{3});
    EXPECT_FALSE(blink->IsVisible());
    EXPECT_FALSE(blink->IsBeingDestroyed()) << "the blink stays for the next change";

    // The same target again: a fade in, and no counting to end with a fade out.
    counter->SetScore(12, false);
    EXPECT_EQ(blink->GetFadeMode(), FADE_IN);
    for (int pass = 0; pass < 20; ++pass) {
        Pass(parent);
        EXPECT_NE(blink->GetFadeMode(), FADE_OUT);
    }
    EXPECT_EQ(counter->GetShownValue(), 12);
}

TEST_F(ScoreCounterTest, AJumpShowsTheValueAtOnceWithoutAFlash)
{
    Actor* blink = new Actor(Colors::White);
    parent->AddChild(blink, "scoreBlink");
    counter->SetScore(4321, true);
    EXPECT_EQ(counter->GetShownValue(), 4321);
    EXPECT_EQ(counter->GetLabel()->GetText(), "4321");
    EXPECT_EQ(blink->GetFadeMode(), FADE_NONE);
    EXPECT_TRUE(CountedValues().empty());
}

TEST_F(ScoreCounterTest, CountingNearTheEndsOfTheRangeNeverOverflows)
{
    const std::int64_t max = std::numeric_limits<std::int64_t>::max();
    const std::int64_t min = std::numeric_limits<std::int64_t>::min();
    for (auto [from, to] : {std::pair{std::int64_t{9000000000000000000}, max}, std::pair{min + 5, min},
                            std::pair{min, max}}) {
        SCOPED_TRACE(::testing::Message() << from << " to " << to);
        counter->SetScore(from, true);
        Pass(parent);
        counter->SetScore(to, false);
        std::vector<std::int64_t> values = CountedValues(200);
        ASSERT_FALSE(values.empty());
        EXPECT_EQ(values.back(), to);
        for (std::size_t i = 1; i < values.size(); ++i)
            EXPECT_EQ(values[i] > values[i - 1], to > from) << "moves one way only";
    }
}

TEST_F(ScoreCounterTest, TheTemplateBuildsACounterWhoseLabelTakesTheLabelProperties)
{
    LuaObject made = Eval("CreateObject{ resource = 'ScoreCounter', labelProperties = { fgColor = 'Red' } }");
    auto* built = dynamic_cast<ScoreCounter*>(Object::FromLuaObject(made));
    ASSERT_NE(built, nullptr);
    Own(built);
    EXPECT_EQ(built->GetLabel()->GetFgColor(), Colors::Red);
    built->SetScore(5, true);
    EXPECT_EQ(built->GetLabel()->GetText(), "5");
}
