#pragma once

#include "engine/ui/Actor.h"

class GameRecord;

// One row of a list of game records: the list tells each row its place and
// its record, and the row shows them as it likes. This base shows nothing.
class GameRecordRow : public Actor
{
    VELK_DECLARE_CLASS(GameRecordRow)
public:
    GameRecordRow() = default;

    // The row's place in its list, from 0.
    virtual void SetIndex(int index);
    virtual void SetRecord(const GameRecord& entry);
};
