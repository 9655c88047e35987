#pragma once

#include "engine/core/Object.h"
#include "engine/core/Point.h"
#include "engine/ui/Actor.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

class Image;
class WoppleBoardView;
class WoppleCellView;

// The sound of a score flash.
extern const char* const kScoreFlashSound;

// The centre of a cell's rectangle on the screen (integer halves).
Point<int> CellCenter(const WoppleCellView& cell);
// The centre of the smallest screen rectangle holding all the cells; the list
// must not be empty.
Point<int> FindGlobalCenterPointAmongCells(const std::vector<WoppleCellView*>& cells);
// Starts the particle effect at the screen point on the current screen; the
// particles live under one manager on the screen's layer 996.
void StartCellParticleEmitter(const std::string& effectName, const Point<int>& at);

// A completed line: the cells' overlays light one after the other from the
// start cell outwards (the reverse run one tick behind), go dark in the same
// order, then the score flash shows on the far end and, 150 ms later, the
// animation posts WOPPLE_WOPPLEANIMATIONFINISHED to its observers. The rules
// fill the score-flash fields and hand over the overlay image before Start.
class WoppleAnimation : public Object
{
public:
    // The run one way from the start cell, and the run the other way.
    WoppleAnimation(std::vector<WoppleCellView*> cells, std::vector<WoppleCellView*> reverseCells);
    ~WoppleAnimation() override;

    // Needs the score-flash parent and template, the overlay image and at
    // least two cells in all.
    void Start();
    bool OnTimer(const EventRecord& event) override;

    // The period of one step: 200 ms over the cells' count less one.
    int GetTimerPeriod() const;
    int GetNumSteps() const;
    const std::vector<WoppleCellView*>& GetCells() const { return cells; }
    const std::vector<WoppleCellView*>& GetReverseCells() const { return reverseCells; }
    // The flash shown, null before.
    Actor* GetScoreFlash() const { return scoreFlash; }

    Actor* m_ScoreFlashParent = nullptr;
    std::string m_ScoreFlashResource;
    std::string scoreText;
    // Owned; each lit cell's overlay gets a copy.
    std::unique_ptr<Image> m_CellOverlayImage;
    std::string particleName;

private:
    void EnterProcessingCells();
    void EnterDisplayingScoreFlash();
    void LightCell(WoppleCellView* cell);
    void FreeTimer();

    std::vector<WoppleCellView*> cells;
    std::vector<WoppleCellView*> reverseCells;
    std::uint32_t timerId = 0;
    int ticks = 0;
    Actor* scoreFlash = nullptr;
};

// A line undone: the same lights run backwards, from the far end in, then go
// dark the same way; it posts WOPPLE_WOPPLEREVERSEANIMATIONFINISHED, with no
// score flash.
class ReverseWoppleAnimation : public Object
{
public:
    ReverseWoppleAnimation(std::vector<WoppleCellView*> cells, std::vector<WoppleCellView*> reverseCells);
    ~ReverseWoppleAnimation() override;

    void Start();
    bool OnTimer(const EventRecord& event) override;
    int GetTimerPeriod() const;

    std::unique_ptr<Image> m_CellOverlayImage;
    std::string particleName;

private:
    void EnterProcessingCells();

    std::vector<WoppleCellView*> cells;
    std::vector<WoppleCellView*> reverseCells;
    std::uint32_t timerId = 0;
    int ticks = 0;
};

// A completed pattern: every pattern cell's overlay toggles six times at
// 150 ms, with a rainbow burst on the first; then WOPPLE_PATTERNCOMPLETIONANIMATIONFINISHED.
class WopplePatternCompletionAnimation : public Object
{
public:
    // The board's pattern cells, column by column, row by row.
    explicit WopplePatternCompletionAnimation(WoppleBoardView* boardView);
    ~WopplePatternCompletionAnimation() override;

    void Start();
    bool OnTimer(const EventRecord& event) override;
    const std::list<WoppleCellView*>& GetPatternCells() const { return patternCells; }

private:
    std::list<WoppleCellView*> patternCells;
    std::uint32_t timerId = 0;
    int ticks = 0;
};

// The cells and direction of a super line, as the rules fill them.
struct SuperWoppleAnimationInfo
{
    std::list<WoppleCellView*> cells;
    std::list<WoppleCellView*> reverseCells;
    bool isBouncing = false;
};

// A super line: an actor whose script "SuperWoppleAnimationScript" lights the
// cells in colours, shows the score flash over them all and then posts
// WOPPLE_SUPERWOPPLEANIMATIONFINISHED.
class SuperWoppleAnimation : public Actor
{
    VELK_DECLARE_CLASS(SuperWoppleAnimation)
public:
    SuperWoppleAnimation();
    SuperWoppleAnimation(const SuperWoppleAnimationInfo& info, Actor* scoreFlashParent,
                         const std::string& scoreFlashResource, const std::string& scoreText);

    void Start();
    void PlayScoreFlash();
    // 1-based arrays of the cells' Lua objects, made once.
    LuaObject GetArrayOfCells();
    LuaObject GetArrayOfReverseCells();

    std::list<WoppleCellView*> cells;
    std::list<WoppleCellView*> reverseCells;
    bool isBouncingWopple = false;
    Actor* scoreFlashParent = nullptr;
    std::string scoreFlashResource;
    std::string scoreText;

private:
    LuaObject m_CellsArray;
    LuaObject m_ReverseCellsArray;
};
