#pragma once

#include "engine/core/Point.h"
#include "engine/ui/Actor.h"

#include <cstddef>
#include <vector>

class WoppleBoardView;

// The bonus squares (frogs) laid over one board: a number of square actors on
// free cells, hopping to other free cells while the reels spin (the script
// "RearrangeBonusSquares", tagged "rearrange"), one taken away when a match
// lands on it. Cells are {column, row} from 1.
//
// The positions and the square actors are kept in two lists of one length;
// "numSquares" is how many squares the board should carry and never falls
// below the lists' length: adding a square beyond it raises it, removing one
// lowers it, so the next rearrangement places one fewer.
class WoppleBonusSquares : public Actor
{
    VELK_DECLARE_CLASS(WoppleBonusSquares)
public:
    using Cell = Point<int>;
    using Cells = std::vector<Cell>;

    WoppleBonusSquares();
    ~WoppleBonusSquares() override;

    // Starts the hopping when the board carries squares; the rules call it as a spin starts.
    void Rearrange();
    void StopRearranging();

    // A square from "squareTemplate" centred on the cell. Asserts that none stands there.
    void AddSquare(int column, int row);
    // A square on a free cell not in `excluded`, drawn at random; asserts that one is left.
    void AddRandomSquare(const Cells* excluded = nullptr);
    // Takes the square away and returns the centre of its screen rectangle.
    // Throws when none stands on the cell, or when the index is outside the list.
    Point<int> RemoveSquare(int column, int row);
    Point<int> RemoveSquare(std::size_t index);
    // Destroys every square; "numSquares" keeps its value.
    void ClearAllSquares();
    Actor* GetSquareActor(int column, int row) const;
    bool IsSquareAtPosition(int column, int row) const { return GetSquareActor(column, row) != nullptr; }
    // Free cells: no square, not excluded, not matched; appended to `out` when given.
    int CountPossibleSquares(Cells* out, const Cells* excluded = nullptr) const;
    // Every square to a new free cell, preferring cells that held none before;
    // squares that find no free cell at all are dropped.
    void RearrangeAllSquares();

    int GetNumSquares() const { return m_NumSquares; }
    void SetNumSquares(int count) { m_NumSquares = count; }
    std::size_t GetSquareCount() const { return m_SquareActors.size(); }
    const Cells& GetSelectedSquares() const { return m_SelectedSquares; }
    int GetRearrangeDelayTime() const { return rearrangeDelayTime; }

    WoppleBoardView* boardView = nullptr;

private:
    friend void WoppleBonusSquaresClassHook(Class* c);

    Cells m_SelectedSquares;
    std::vector<Actor*> m_SquareActors;
    int m_NumSquares = 0;
    LuaObject squareTemplate;
    int rearrangeDelayTime = 250;
};
