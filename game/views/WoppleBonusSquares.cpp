#include "game/views/WoppleBonusSquares.h"

#include "engine/core/Class.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TypeConversion.h"
#include "engine/runtime/Utility.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"

#include <boost/format.hpp>

#include <algorithm>
#include <memory>

namespace {

const char* const kRearrangeTag = "rearrange";

int Script_RearrangeAllSquares(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireScriptObject<WoppleBonusSquares>(L, 1, "a bonus squares actor")->RearrangeAllSquares();
        return 0;
    });
}

bool Contains(const WoppleBonusSquares::Cells* cells, const WoppleBonusSquares::Cell& cell)
{
    return cells && std::find(cells->begin(), cells->end(), cell) != cells->end();
}

} // namespace

void WoppleBonusSquaresClassHook(Class* c)
{
    auto member = [c](std::uint32_t type, PropertyAccessor::MemberAddress address, const char* name) {
        c->RegisterPropertyGetter(CreatePropertyAccessor(type, address, name));
        c->RegisterPropertySetter(CreatePropertyAccessor(type, address, name));
    };
    member(TYPE_INT32, MemberOf(&WoppleBonusSquares::m_NumSquares), "numSquares");
    member(TYPE_LUAOBJECT, MemberOf(&WoppleBonusSquares::squareTemplate), "squareTemplate");
    member(TYPE_INT32, MemberOf(&WoppleBonusSquares::rearrangeDelayTime), "rearrangeDelayTime");
    c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter("RearrangeAllSquares",
                                                                           Script_RearrangeAllSquares));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter("RearrangeAllSquares"));
}

VELK_REGISTER_CLASS(WoppleBonusSquares, "Actor", WoppleBonusSquaresClassHook,
                    InstantiateObjectOfClass<WoppleBonusSquares>);

WoppleBonusSquares::WoppleBonusSquares() = default;

WoppleBonusSquares::~WoppleBonusSquares() = default;

void WoppleBonusSquares::Rearrange()
{
    if (m_NumSquares == 0)
        return;
    Log(3, "WoppleBonusSquares::Rearrange: %d squares on board %d\n", m_NumSquares,
        boardView ? boardView->boardIndex : 0);
    RunScript("RearrangeBonusSquares", kRearrangeTag);
}

void WoppleBonusSquares::StopRearranging()
{
    StopScriptsWithTag(kRearrangeTag);
}

int WoppleBonusSquares::CountPossibleSquares(Cells* out, const Cells* excluded) const
{
    if (!boardView)
        return 0;
    const int columns = boardView->GetNumColumns();
    const int rows = boardView->GetNumRows();
    if (out)
        out->reserve(out->size() + static_cast<std::size_t>(columns * rows));
    int count = 0;
    for (int c = 1; c <= columns; ++c)
        for (int r = 1; r <= rows; ++r) {
            if (IsSquareAtPosition(c, r) || Contains(excluded, Cell(c, r)))
                continue;
            const WoppleCellView* cell = boardView->GetCellView(c, r);
            if (!cell || cell->isSelected)
                continue;
            ++count;
            if (out)
                out->push_back(Cell(c, r));
        }
    return count;
}

void WoppleBonusSquares::AddSquare(int column, int row)
{
    VELK_ASSERT(!IsSquareAtPosition(column, row));
    VELK_ASSERT(m_SelectedSquares.size() == m_SquareActors.size());
    VELK_ASSERT_MSG(boardView != 0, "The bonus squares have no board.");
    const WoppleCellView* cell = boardView->GetCellView(column, row);
    VELK_ASSERT_MSG(cell != 0, (boost::format("No cell at {%1%, %2%} for a bonus square.") % column % row).str());

    std::unique_ptr<Object> made(ClassManager::GetInstance()->InstantiateObject(squareTemplate));
    auto* squareActor = dynamic_cast<Actor*>(made.get());
    VELK_ASSERT(squareActor != 0);
    made.release();

    const Rect r = cell->GetGlobalRect();
    const Point<int> centre = GlobalToLocal(Point<int>(r.x + r.w / 2, r.y + r.h / 2));
    squareActor->SetPosition(centre.x - squareActor->GetWidth() / 2, centre.y - squareActor->GetHeight() / 2);
    AddChild(squareActor);
    m_SquareActors.push_back(squareActor);
    m_SelectedSquares.push_back(Cell(column, row));
    // The count never says fewer squares than stand on the board.
    m_NumSquares = std::max(m_NumSquares, static_cast<int>(m_SquareActors.size()));
}

void WoppleBonusSquares::AddRandomSquare(const Cells* excluded)
{
    Cells possibleSquares;
    const int count = CountPossibleSquares(&possibleSquares, excluded);
    VELK_ASSERT(!possibleSquares.empty());
    const Cell& at = possibleSquares[static_cast<std::size_t>(RandomIntInRange(0, count - 1))];
    AddSquare(at.x, at.y);
}

Point<int> WoppleBonusSquares::RemoveSquare(std::size_t index)
{
    VELK_ASSERT(m_SelectedSquares.size() == m_SquareActors.size());
    VELK_ASSERT(index < m_SquareActors.size());
    Actor* square = m_SquareActors[index];
    m_SquareActors.erase(m_SquareActors.begin() + static_cast<std::ptrdiff_t>(index));
    m_SelectedSquares.erase(m_SelectedSquares.begin() + static_cast<std::ptrdiff_t>(index));
    m_NumSquares = std::max(m_NumSquares - 1, static_cast<int>(m_SquareActors.size()));
    const Rect r = square->GetGlobalRect();
    DestroyChild(square);
    return Point<int>(r.x + r.w / 2, r.y + r.h / 2);
}

Point<int> WoppleBonusSquares::RemoveSquare(int column, int row)
{
    const auto found = std::find(m_SelectedSquares.begin(), m_SelectedSquares.end(), Cell(column, row));
    if (found == m_SelectedSquares.end())
        VELK_THROW(Exception,
                   AssertionText("false", (boost::format("Could not find a square to remove at cellPosition, "
                                                         "{%1%, %2%}.") % column % row).str()));
    return RemoveSquare(static_cast<std::size_t>(found - m_SelectedSquares.begin()));
}

void WoppleBonusSquares::ClearAllSquares()
{
    if (m_SelectedSquares.empty() && m_SquareActors.empty())
        return;
    VELK_ASSERT(m_SelectedSquares.size() == m_SquareActors.size());
    for (Actor* square : m_SquareActors)
        DestroyChild(square);
    m_SquareActors.clear();
    m_SelectedSquares.clear();
}

Actor* WoppleBonusSquares::GetSquareActor(int column, int row) const
{
    VELK_ASSERT(m_SelectedSquares.size() == m_SquareActors.size());
    for (std::size_t i = 0; i < m_SelectedSquares.size(); ++i)
        if (m_SelectedSquares[i] == Cell(column, row))
            return m_SquareActors[i];
    return nullptr;
}

void WoppleBonusSquares::RearrangeAllSquares()
{
    const Cells oldPositions = m_SelectedSquares;
    ClearAllSquares();
    for (int i = 0; i < m_NumSquares;) {
        if (CountPossibleSquares(nullptr) == 0) {
            // No free cell for this one: the board carries one square fewer.
            --m_NumSquares;
            continue;
        }
        if (CountPossibleSquares(nullptr, &oldPositions) >= m_NumSquares - i)
            AddRandomSquare(&oldPositions);
        else
            AddRandomSquare();
        ++i;
    }
}
