#pragma once

#include "engine/ui/Actor.h"

#include <cstdint>
#include <vector>

// Darkens parts of a reel's face, one piece per board in multi-board games: a
// piece is "filled" once the reel's number was matched on its board. Which
// shape shows for which piece states comes from the template's "pieces" chart:
// pieces[count][state of piece 1][state of piece 2]... is the child's template.
class WoppleWheelProgressOverlay : public Actor
{
    VELK_DECLARE_CLASS(WoppleWheelProgressOverlay)
public:
    enum PieceState
    {
        PIECE_FILLED = 0,
        PIECE_UNFILLED = 1,
        PIECE_IGNORED = 2,
    };

    WoppleWheelProgressOverlay();
    ~WoppleWheelProgressOverlay() override;

    // n pieces, all unfilled (none when n < 1), and redraws.
    void SetNumPieces(int n);
    // Piece i from 1; redraw only on a change.
    void FillPiece(int i);
    void IgnorePiece(int i);
    // One unfilled piece.
    void Reset();
    // Replaces the child by the chart's shape for the current states.
    virtual void UpdateGraphics();

    int GetNumPieces() const { return m_PieceCount; }
    const std::vector<std::int32_t>& GetPieceStates() const { return m_PieceStates; }

private:
    void SetPiece(int i, int state);

    std::int32_t m_PieceCount = 1;
    std::vector<std::int32_t> m_PieceStates{PIECE_UNFILLED};
};
