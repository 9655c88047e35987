// Grids of cells (placement by the dimensions, neighbours, contents and their
// alignment, the properties and template) and the grid layout of an actor's
// children.

#include "ActorTestSupport.h"
#include "engine/ui/Grid.h"
#include "engine/ui/LayoutManager.h"

#include <deque>

using namespace actortest;

namespace {

// Tells when it is deleted.
class Watched : public Actor
{
public:
    Watched(bool& deleted, int width) : Actor(Colors::Red), deleted(deleted)
    {
        SetSize(width, 6);
        SetPosition(0, 4);
    }
    ~Watched() override { deleted = true; }
    bool& deleted;
};

class GridTest : public ActorFixture
{
protected:
    Grid* NewGrid()
    {
        owned.push_back(std::make_unique<Grid>("grid"));
        return static_cast<Grid*>(owned.back().get());
    }

    // Columns 1..3 by rows 1..2 of 40 x 20 with margins (5, 5) and spacing (2, 3).
    Grid* ThreeByTwo()
    {
        Grid* grid = NewGrid();
        grid->SetMargins(5, 5, 2, 3);
        grid->Build(3, 2, 40, 20);
        return grid;
    }

    static Point<int> At(const Actor* actor) { return Point<int>(actor->GetX(), actor->GetY()); }

    // A flag that outlives the test body, for contents the fixture deletes.
    bool& Flag()
    {
        flags.push_back(false);
        return flags.back();
    }

    std::deque<bool> flags;
};

} // namespace

TEST_F(GridTest, BuildSizesTheGridAndPlacesTheCellsByMarginsAndSpacing)
{
    Grid* grid = ThreeByTwo();
    EXPECT_EQ(grid->GetWidth(), 134);
    EXPECT_EQ(grid->GetHeight(), 53);
    EXPECT_EQ(grid->GetNumChildren(), 6u);
    EXPECT_EQ(At(grid->GetCell(2, 2)), Point<int>(47, 28));
    EXPECT_EQ(At(grid->GetCell(1, 1)), Point<int>(5, 5));
    EXPECT_EQ(At(grid->GetCell(3, 1)), Point<int>(89, 5));
    EXPECT_EQ(grid->GetCell(3, 2)->GetWidth(), 40);
    EXPECT_EQ(grid->GetCell(3, 2)->GetHeight(), 20);
    for (auto [c, r] : {std::pair{0, 1}, std::pair{4, 1}, std::pair{1, 0}, std::pair{1, 3}})
        EXPECT_EQ(grid->GetCell(c, r), nullptr) << c << "," << r;

    // Made down each column, the columns from the left.
    std::vector<Point<int>> order;
    for (Cell* cell = grid->GetFirstCell(); cell; cell = cell->GetNextCell())
        order.push_back(At(cell));
    EXPECT_EQ(order, (std::vector<Point<int>>{{5, 5}, {5, 28}, {47, 5}, {47, 28}, {89, 5}, {89, 28}}));
}

TEST_F(GridTest, EveryCellKnowsItsEightNeighboursAndNothingPastTheBorder)
{
    Grid* grid = ThreeByTwo();
    const std::pair<int, int> steps[] = {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}};
    for (int c = 1; c <= 3; ++c)
        for (int r = 1; r <= 2; ++r)
            for (int d = 0; d < Cell::NUM_DIRECTIONS; ++d)
                EXPECT_EQ(grid->GetCell(c, r)->GetNeighbour(static_cast<Cell::Direction>(d)),
                          grid->GetCell(c + steps[d].first, r + steps[d].second))
                    << c << "," << r << " direction " << d;
    Cell* corner = grid->GetCell(1, 1);
    for (Cell::Direction d : {Cell::NORTH, Cell::NORTHEAST, Cell::NORTHWEST, Cell::WEST, Cell::SOUTHWEST})
        EXPECT_EQ(corner->GetNeighbour(d), nullptr);
}

TEST_F(GridTest, ContentIsAlignedAcrossItsCellAndDrawnThere)
{
    struct Case
    {
        int alignment;
        int x;
    };
    for (const Case& c : {Case{Cell::CELLALIGN_RIGHT, 30}, Case{Cell::CELLALIGN_CENTER, 15}, Case{Cell::CELLALIGN_LEFT, 0}}) {
        SCOPED_TRACE(::testing::Message() << "alignment " << c.alignment);
        Grid* grid = ThreeByTwo();
        grid->SetCellAlignment(2, 2, c.alignment);
        auto* content = new Watched(Flag(), 10);
        ASSERT_TRUE(grid->SetCellContent(content, 2, 2));
        EXPECT_EQ(content->GetParent(), grid->GetCell(2, 2));
        EXPECT_EQ(At(content), Point<int>(c.x, 4)) << "the content's y stays";

        auto canvas = std::make_unique<Canvas>(134, 53, CANVAS_DESTROY_TARGET);
        canvas->FillImageRect(Colors::White);
        grid->Draw(*canvas);
        EXPECT_EQ(Rgb(*canvas, 47 + c.x, 28 + 4), kRed);
        EXPECT_EQ(Rgb(*canvas, 47 + c.x + 9, 28 + 9), kRed);
        EXPECT_EQ(Rgb(*canvas, 47 + c.x + 10, 28 + 4), kWhite);
        if (c.x > 0) {
            EXPECT_EQ(Rgb(*canvas, 47 + c.x - 1, 28 + 4), kWhite);
        }
    }
}

TEST_F(GridTest, ANewContentDeletesTheOldAndPlacesOutsideTheGridChangeNothing)
{
    Grid* grid = ThreeByTwo();
    bool& firstDeleted = Flag();
    bool& secondDeleted = Flag();
    auto* first = new Watched(firstDeleted, 10);
    ASSERT_TRUE(grid->SetCellContent(first, 1, 2));
    ASSERT_TRUE(grid->SetCellContent(first, 1, 2)) << "the same content again stays";
    Pass(grid);
    EXPECT_FALSE(firstDeleted);

    auto* second = new Watched(secondDeleted, 10);
    ASSERT_TRUE(grid->SetCellContent(second, 1, 2));
    EXPECT_EQ(grid->GetCell(1, 2)->GetContent(), second);
    EXPECT_EQ(grid->GetCell(1, 2)->GetNumChildren(), 1u);
    Pass(grid);
    EXPECT_TRUE(firstDeleted);
    EXPECT_FALSE(secondDeleted);

    bool strayDeleted = false;
    Watched stray(strayDeleted, 10);
    for (auto [c, r] : {std::pair{0, 1}, std::pair{4, 1}, std::pair{1, 0}, std::pair{2, 3}}) {
        EXPECT_FALSE(grid->SetCellContent(&stray, c, r)) << c << "," << r;
        EXPECT_EQ(stray.GetParent(), nullptr);
    }
    grid->SetCellAlignment(0, 1, Cell::CELLALIGN_RIGHT);
    grid->SetCellAlignment(1, 3, Cell::CELLALIGN_RIGHT);

    ASSERT_TRUE(grid->SetCellContent(nullptr, 1, 2));
    Pass(grid);
    EXPECT_TRUE(secondDeleted);
    EXPECT_EQ(grid->GetCell(1, 2)->GetContent(), nullptr);
}

TEST_F(GridTest, AnUnknownAlignmentFailsWhenTheContentIsAligned)
{
    Grid* grid = ThreeByTwo();
    grid->SetCellContent(new Watched(Flag(), 10), 3, 1);
    EXPECT_EQ(FailureOf([&] { grid->SetCellAlignment(3, 1, 3); }),
              "Assertion failed: (false)\nMessage: Invalid horizontal alignment: 3");
}

TEST_F(GridTest, BuildingAgainReplacesTheCells)
{
    Grid* grid = ThreeByTwo();
    bool& deleted = Flag();
    grid->SetCellContent(new Watched(deleted, 10), 1, 1);
    grid->SetMargins(0, 0, 0, 0);
    grid->Build(1, 1, 10, 10);
    EXPECT_EQ(grid->GetNumChildren(), 1u);
    EXPECT_EQ(grid->GetWidth(), 10);
    EXPECT_EQ(grid->GetCell(2, 1), nullptr);
    Pass(grid);
    EXPECT_TRUE(deleted) << "with the old cells went their contents";
    EXPECT_NE(FailureOf([&] { grid->Build(100, 1, 10, 10); }), "no failure");
}

TEST_F(GridTest, PropertiesSetMarginsAndBuildTheCells)
{
    LuaObject made = Eval("CreateObject{ class = 'Grid', margins = { 4, 6 } }");
    auto* grid = dynamic_cast<Grid*>(Object::FromLuaObject(made));
    ASSERT_NE(grid, nullptr);
    owned.emplace_back(grid);
    grid->ApplyProperty("cellSize", Eval("{ { 2, 3 }, { 10, 8 } }"));
    EXPECT_EQ(grid->GetWidth(), 2 * 10 + 2 * 4);
    EXPECT_EQ(grid->GetHeight(), 3 * 8 + 2 * 6);
    EXPECT_EQ(At(grid->GetCell(2, 3)), Point<int>(14, 22));

    grid->ApplyProperty("margins", Eval("{ { 1, 2 }, { 3, 4 } }"));
    grid->ApplyProperty("cellSize", Eval("{ { 2, 2 }, { 10, 10 } }"));
    EXPECT_EQ(At(grid->GetCell(2, 2)), Point<int>(1 + 13, 2 + 14));

    // The template's "cellsize" is a plain value, not the cells.
    LuaObject plain = Eval("CreateObject{ resource = 'Grid' }");
    auto* empty = dynamic_cast<Grid*>(Object::FromLuaObject(plain));
    ASSERT_NE(empty, nullptr);
    owned.emplace_back(empty);
    EXPECT_EQ(empty->GetNumChildren(), 0u);
    EXPECT_EQ(empty->GetColumns(), 0);
    EXPECT_EQ(Point<int>(empty->RetrieveProperty("cellsize")), Point<int>(40, 20));
}

// ---------------------------------------------------------------- grid layout

namespace {

class GridLayoutTest : public ActorFixture
{
protected:
    Actor* Container(int w, int h, int children)
    {
        Actor* container = Make();
        container->SetSize(w, h);
        for (int i = 0; i < children; ++i) {
            auto* child = new Actor(Colors::Blue);
            child->SetSize(5, 5);
            child->SetPosition(-1, -1);
            container->AddChild(child);
        }
        return container;
    }

    static std::vector<Point<int>> Positions(const Actor* container)
    {
        std::vector<Point<int>> positions;
        for (const Actor* child : container->GetChildren())
            positions.emplace_back(child->GetX(), child->GetY());
        return positions;
    }

    GridLayout* Layout(const std::string& table)
    {
        layouts.emplace_back(
            dynamic_cast<GridLayout*>(ClassManager::GetInstance()->InstantiateObject(Eval(table))));
        return layouts.back().get();
    }

    std::vector<std::unique_ptr<GridLayout>> layouts;
};

using P = Point<int>;

} // namespace

TEST_F(GridLayoutTest, ChildrenGoOnTheCornersAcrossTheRowsOrDownTheColumns)
{
    struct Case
    {
        int orientation;
        std::vector<Point<int>> positions;
    };
    const Case cases[] = {
        {1, {P(0, 0), P(100, 0), P(200, 0), P(0, 50), P(100, 50), P(200, 50)}},
        {2, {P(0, 0), P(0, 50), P(100, 0), P(100, 50), P(200, 0), P(200, 50)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "orientation " << c.orientation);
        Actor* container = Container(300, 100, 6);
        container->SetLayoutManager(Layout("{ class = 'GridLayout', columns = 3, rows = 2, autoColumnWidths = true, "
                                           "autoRowHeights = true, orientation = " +
                                           std::to_string(c.orientation) + " }"));
        EXPECT_EQ(Positions(container), c.positions);
    }
}

TEST_F(GridLayoutTest, ColumnsComeFromEvenDivisionsTheirWidthsOrTheDefault)
{
    struct Case
    {
        int width;
        const char* table;
        std::vector<Point<int>> positions;
    };
    const Case cases[] = {
        {100, "autoColumnWidths = true", {P(0, 0), P(33, 0), P(66, 0)}},
        {100, "columnWidths = { 50 }, defaultColumnWidth = 20", {P(0, 0), P(50, 0), P(70, 0)}},
        {100, "columnWidths = { 10.5, 10.5, 'wide' }, defaultColumnWidth = 7", {P(0, 0), P(10, 0), P(21, 0)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        Actor* container = Container(c.width, 20, 3);
        container->SetLayoutManager(
            Layout(std::string("{ class = 'GridLayout', columns = 3, rows = 1, ") + c.table + " }"));
        EXPECT_EQ(Positions(container), c.positions);
    }
}

TEST_F(GridLayoutTest, ATableAsTheLayoutManagerPropertyLaysOutAtOnceAndAfterEveryChange)
{
    Actor* container = Container(200, 60, 3);
    // The template: two automatic columns and rows.
    container->ApplyProperty("layoutManager", Eval("{ resource = 'LayoutManager' }"));
    ASSERT_NE(dynamic_cast<GridLayout*>(container->GetLayoutManager()), nullptr);
    EXPECT_EQ(Positions(container), (std::vector<Point<int>>{P(0, 0), P(100, 0), P(0, 30)}));

    auto* added = new Actor(Colors::Blue);
    container->AddChild(added);
    EXPECT_EQ(P(added->GetX(), added->GetY()), P(100, 30));
    Actor* first = container->GetChildren().front();
    container->RemoveChild(first);
    delete first;
    EXPECT_EQ(Positions(container), (std::vector<Point<int>>{P(0, 0), P(100, 0), P(0, 30)}));

    // Another table replaces the manager the actor made.
    container->ApplyProperty("layoutManager", Eval("{ class = 'GridLayout', columns = 1, rows = 3, "
                                                   "defaultColumnWidth = 10, defaultRowHeight = 7 }"));
    EXPECT_EQ(Positions(container), (std::vector<Point<int>>{P(0, 0), P(0, 7), P(0, 14)}));
    container->ApplyProperty("layoutManager", LuaObject(state));
    EXPECT_EQ(container->GetLayoutManager(), nullptr);
}

TEST_F(GridLayoutTest, ChildrenBeyondTheTableKeepTheirPlaces)
{
    for (int orientation : {1, 2}) {
        SCOPED_TRACE(::testing::Message() << "orientation " << orientation);
        Actor* container = Container(20, 20, 5);
        container->SetLayoutManager(Layout("{ class = 'GridLayout', columns = 2, rows = 2, defaultColumnWidth = 10, "
                                           "defaultRowHeight = 10, orientation = " +
                                           std::to_string(orientation) + " }"));
        EXPECT_EQ(Positions(container).back(), P(-1, -1));
    }
}

TEST_F(GridLayoutTest, NoColumnsOrAnUnknownOrientationFailWithChildrenToPlace)
{
    Actor* empty = Container(20, 20, 0);
    empty->SetLayoutManager(Layout("{ class = 'GridLayout', columns = 0, rows = 2 }"));

    Actor* container = Container(20, 20, 2);
    GridLayout* layout = Layout("{ class = 'GridLayout', columns = 0, rows = 2 }");
    EXPECT_EQ(FailureOf([&] { layout->LayoutContainer(container); }), "Assertion failed: (column <= m_Columns)");
    layout->SetColumns(2);
    layout->SetOrientation(3);
    EXPECT_EQ(FailureOf([&] { layout->LayoutContainer(container); }), "Assertion failed: (false)");
    EXPECT_EQ(Positions(container), (std::vector<Point<int>>{P(0, 0), P(-1, -1)})) << "the first was placed";
}
