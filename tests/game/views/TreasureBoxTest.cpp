// The treasure boxes beside a board's lines: which boxes there are and where,
// which of them show, the opening of a box, and the checks on every look-up.

#include "BoardTestSupport.h"
#include "engine/core/Exception.h"
#include "game/rules/WoppleInfo.h"
#include "game/views/WoppleTreasureBox.h"

#include <memory>

using namespace boardtest;

namespace {

class Observer : public Object
{
public:
    bool OnEvent(const EventRecord& e) override
    {
        if (e.type != WOPPLE_TREASUREBOXANIMATIONFINISHED)
            return Object::OnEvent(e);
        ++finished;
        return true;
    }
    int finished = 0;
};

class TreasureBoxTest : public BoardFixture
{
protected:
    void SetUp() override
    {
        BoardFixture::SetUp();
        board = MakeBoard("WoppleSingleBoardResourceSet", 187, 18);
        Number(board);
        boxes = dynamic_cast<WoppleTreasureBoxManager*>(
            ClassManager::GetInstance()->InstantiateObjectFromResource("TreasureBoxManagerDefaults"));
        ASSERT_NE(boxes, nullptr);
        screen->AddChild(boxes);
    }

    // Row 3 of board 1 named by the level, as IncludeBoxes writes it.
    void Build(const std::string& details = "{ boxSpecifics = IncludeBoxes{ \"row 3\", \"downward\" } }")
    {
        boxes->ApplyProperties(Eval(details));
        boxes->SetNumBoards(1);
        boxes->SetBoard(1, board);
        boxes->InitBoxes();
    }

    WoppleLineInfo Line(int kind, int column, int row) const
    {
        WoppleLineInfo line;
        line.boardView = board;
        line.kind = kind;
        line.column = column;
        line.row = row;
        return line;
    }

    WoppleBoardView* board = nullptr;
    WoppleTreasureBoxManager* boxes = nullptr;
};

TEST_F(TreasureBoxTest, BoxIndexesRunDiagonalsThenRowsThenColumns)
{
    Build();
    WoppleTreasureBoxContainer* container = boxes->GetContainer(1);
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(container->GetNumBoxes(), 12);
    EXPECT_EQ(boxes->GetTreasureBox(1, 1), boxes->GetTreasureBox(Line(3, 2, 2)));
    EXPECT_EQ(boxes->GetTreasureBox(1, 2), boxes->GetTreasureBox(Line(4, 2, 4)));
    EXPECT_EQ(boxes->GetTreasureBox(1, 3), boxes->GetTreasureBox(Line(1, 4, 1)));
    EXPECT_EQ(boxes->GetTreasureBox(1, 7), boxes->GetTreasureBox(Line(1, 4, 5)));
    EXPECT_EQ(boxes->GetTreasureBox(1, 8), boxes->GetTreasureBox(Line(2, 1, 3)));
    EXPECT_EQ(boxes->GetTreasureBox(1, 12), boxes->GetTreasureBox(Line(2, 5, 3)));
    // Bouncing diagonals and anything else have no box.
    for (int kind : {0, 5, 7, 9})
        EXPECT_EQ(boxes->GetTreasureBox(Line(kind, 2, 2)), nullptr) << kind;
}

TEST_F(TreasureBoxTest, OnlyTheLevelsBoxesShowAndTheyStartHidden)
{
    Build();
    Actor* row3 = boxes->GetTreasureBox(1, 5);
    EXPECT_TRUE(row3->RetrieveBoolProperty("isBox", false));
    EXPECT_FALSE(row3->IsVisible()) << "the level-start script shows it, not InitBoxes";
    EXPECT_EQ(row3->GetImageName(), "treasureBoxClosed.png");
    EXPECT_TRUE(boxes->SetBoxVisible(1, 5, true));
    EXPECT_TRUE(row3->IsVisible());
    EXPECT_TRUE(boxes->SetBoxVisible(1, 1, true));

    Actor* row2 = boxes->GetTreasureBox(1, 4);
    EXPECT_FALSE(boxes->SetBoxVisible(1, 4, true));
    EXPECT_FALSE(row2->IsVisible());

    boxes->CloseAllBoxes();
    EXPECT_FALSE(row3->IsVisible());
    EXPECT_FALSE(boxes->GetTreasureBox(1, 1)->IsVisible());
}

TEST_F(TreasureBoxTest, EachBoxIsCentredOnItsCellsAnchorPlusItsOffset)
{
    // Offsets of nothing, to see the anchors themselves.
    Build("{ boxContainerResources = { { resource = \"TreasureBoxContainerDefaults\", rowBoxOffset = { 0, 0 }, "
          "columnBoxOffset = { 0, 0 }, downwardDiagonalBoxOffset = { 0, 0 }, upwardDiagonalBoxOffset = { 5, -3 } } } }");
    auto centre = [](Actor* a) { return a->GetGlobalRect().GetCenter(); };
    for (int row = 1; row <= 5; ++row) {
        const Rect last = board->GetCellView(5, row)->GetGlobalRect();
        EXPECT_EQ(centre(boxes->GetTreasureBox(Line(1, 1, row))), Point<int>(last.x + last.w, last.y + last.h / 2));
    }
    const Rect top = board->GetCellView(2, 1)->GetGlobalRect();
    EXPECT_EQ(centre(boxes->GetTreasureBox(Line(2, 2, 4))), Point<int>(top.x + top.w / 2, top.y));
    const Rect first = board->GetCellView(1, 1)->GetGlobalRect();
    EXPECT_EQ(centre(boxes->GetTreasureBox(Line(3, 1, 1))), Point<int>(first.x, first.y));
    const Rect corner = board->GetCellView(5, 1)->GetGlobalRect();
    EXPECT_EQ(centre(boxes->GetTreasureBox(Line(4, 5, 1))), Point<int>(corner.x + corner.w + 5, corner.y - 3));
}

TEST_F(TreasureBoxTest, OpeningABoxShowsItsRewardAndTellsItsObserversALittleLater)
{
    Build();
    struct Case
    {
        std::int64_t reward;
        int multiplier;
        const char* text;
    };
    for (const Case& c : {Case{1000, 1, "1000"}, Case{1000, 3, "3000 (3x)"}, Case{4'000'000'000, 2,
                                                                                 "8000000000 (2x)"}}) {
        // Row 2's box is no box of the level: it opens all the same.
        std::unique_ptr<WoppleTreasureBoxAnimation> opening(boxes->CreateTreasureBoxAnimation(Line(1, 3, 2), c.multiplier));
        ASSERT_NE(opening, nullptr);
        EXPECT_EQ(opening->m_FlashParent, boxes);
        EXPECT_EQ(opening->lootCount, 5);
        opening->m_Reward = c.reward;
        EXPECT_EQ(opening->GetRewardText(), c.text);
        Observer observer;
        opening->AttachObserver(WOPPLE_TREASUREBOXANIMATIONFINISHED, &observer);
        const std::size_t before = boxes->GetNumChildren();
        opening->Start();
        EXPECT_EQ(boxes->GetTreasureBox(1, 4)->GetImageName(), "treasureBoxOpen.png");
        EXPECT_EQ(boxes->GetNumChildren(), before + 2) << "the lid and the flash";
        Passes(2);
        EXPECT_EQ(observer.finished, 0);
        Passes(4);
        EXPECT_EQ(observer.finished, 1);
        Passes(10);
        EXPECT_EQ(observer.finished, 1);
        opening->DetachObserver(WOPPLE_TREASUREBOXANIMATIONFINISHED, &observer);
    }
    boxes->CloseAllBoxes();
    EXPECT_EQ(boxes->GetTreasureBox(1, 4)->GetImageName(), "treasureBoxClosed.png");
}

TEST_F(TreasureBoxTest, LookUpsCheckTheirBoardAndBoxIndexes)
{
    EXPECT_THROW(boxes->GetTreasureBox(1, 1), Exception) << "not sized yet";
    EXPECT_THROW(boxes->SetNumBoards(0), Exception);
    Build();
    EXPECT_THROW(boxes->SetNumBoards(1), Exception) << "sized once";
    for (auto [b, i] : {std::pair{0, 1}, {2, 1}, {-1, 1}, {1, 0}, {1, 13}, {1, -1}})
        EXPECT_THROW(boxes->GetTreasureBox(b, i), Exception) << b << ", " << i;
    EXPECT_THROW(boxes->SetBoxVisible(1, 13, true), Exception);

    // From a script: a clear error, never a box out of range.
    LuaState lua = app->GetLuaState();
    lua.GetGlobals().SetObject("boxes", boxes->GetLuaObject());
    for (const char* call : {"boxes:GetTreasureBox(1, 13)", "boxes:SetBoxVisible(1, 0, true)",
                             "boxes:GetTreasureBox(3, 1)", "boxes:GetTreasureBox(1, 1.5)",
                             "boxes:GetTreasureBox(1)"}) {
        EXPECT_NE(lua.DoString(std::string("return ") + call), 0) << call;
        const std::string error = lua.PopErrorMessage();
        EXPECT_FALSE(error.empty()) << call;
    }
    EXPECT_EQ(lua.DoString("_found = boxes:GetTreasureBox(1, 5) ~= nil and boxes:SetBoxVisible(1, 5, true)"), 0);
    EXPECT_TRUE(lua.GetGlobal("_found").GetBoolean());
}

TEST_F(TreasureBoxTest, ABoardNeverBoundStopsTheBuildingOfTheBoxes)
{
    boxes->SetNumBoards(1);
    EXPECT_THROW(boxes->InitBoxes(), Exception);
}

} // namespace
