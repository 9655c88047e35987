#pragma once

#include "engine/core/Color.h"
#include "engine/ui/Actor.h"
#include "game/rules/WoppleEventHandler.h"

#include <string>

class Button;
class WoppleBoardView;
class WoppleVisionLabel;

// The compass direction from a cell to a neighbour; rows grow downwards.
enum CellOrientationType
{
    CELL_SOUTH = 0,
    CELL_NORTH = 1,
    CELL_WEST = 2,
    CELL_EAST = 3,
    CELL_SOUTHWEST = 4,
    CELL_NORTHEAST = 5,
    CELL_SOUTHEAST = 6,
    CELL_NORTHWEST = 7,
    CELL_NUM_ORIENTATIONS = 8,
};

// Exact names ("North"); anything else throws.
CellOrientationType CellOrientationTypeFromString(const std::string& text);
std::string CellOrientationTypeToString(int value);

// One numbered square of a board: the number on its button, its type (which
// sets five flags and the frame of its picture), the pattern look, the vision
// aura, the super-joker look, a contents picture and three overlays for the
// line animations. A click on the button has the board post WOPPLE_CELLCLICK;
// rolling over it lights the column and sends WOPPLE_CELLENTER/-LEAVE. The
// rules drive it by direct calls and read and write its public fields.
class WoppleCellView : public Actor, public WoppleEventHandler
{
    VELK_DECLARE_CLASS(WoppleCellView)
public:
    WoppleCellView();

    bool OnEvent(const EventRecord& event) override;
    // Finds the named children, joins the button's group and turns "Blank".
    void OnPostSpawn() override;
    // The Actor behaviour; the button takes the cell's size.
    void SetImage(std::unique_ptr<Image> image, const std::string& name) override;
    bool OnButtonClick(const EventRecord& event) override;
    bool OnButtonAppearanceChange(Event* event) override;

    // "Blank", "UnclickableNumber", "SelectableAndClickableNumber",
    // "ClickableNumber" or "Selected"; another name keeps the flags.
    void SetCellType(const std::string& typeName);
    void ApplyCellType();
    const std::string& GetCellType() const { return cellType; }
    // The number on the button and on both outlined labels.
    void SetCellNumber(int value);
    // The number on the outlined labels only, whether shown or not.
    void SetNumber(int value);
    void SetShowPattern(bool show);
    // Off: the button keeps the type's frame, greyed, and ignores the pointer.
    void SetEnableCellButton(bool enable);
    // Null clears. The contents' frame must lie inside its picture.
    void SetContents(Actor* actor);
    void ShowWoppleVisionAura(bool selectable, bool animate);
    // The super joker's look: the number in orange, no selectable aura.
    void SetSelectionSuppressed(bool suppressed);
    bool IsPatternCell() const { return isPatternCell; }

    Button* GetCellButton() const { return cellButton; }
    Actor* GetSelectableIndicator() const { return selectableIndicator; }
    WoppleVisionLabel* GetWoppleVisionLabel() const { return woppleVisionLabel; }
    WoppleVisionLabel* GetSuperJokerLabel() const { return superJokerLabel; }
    // The cell-click table: {cellPosition = {boardIndex, column, row}, isCellSelectable}.
    static LuaObject BuildCellClickEventData(LuaState state, int boardIndex, int column, int row,
                                             bool isCellSelectable);

    // Children, found once after spawning (owned by the tree).
    Button* cellButton = nullptr;
    Actor* cellContents = nullptr;
    Actor* contents = nullptr;
    Actor* woppleOverlay = nullptr;
    Actor* patternCompletionOverlay = nullptr;
    Actor* boardCompletionOverlay = nullptr;
    Actor* selectableIndicator = nullptr;
    Color cellNormalLabelFgColor;
    Color cellPatternLabelFgColor;
    int number = 0;
    std::string cellType;
    bool isSelectable = false;
    bool isClickable = false;
    bool isNumberShown = false;
    bool isSelected = false;
    bool isBlank = false;
    bool isCellButtonEnabled = true;
    // The rules' own marks; the view only carries them.
    bool ruleFlag = false;
    int ruleCode = 0;
    int multiplier = 0;
    bool isPatternCell = false;
    bool showPattern = false;
    bool isWoppleVisionOn = false;
    bool isSelectionSuppressed = false;
    WoppleCellView* neighbours[CELL_NUM_ORIENTATIONS] = {};
    int column = 0;
    int row = 0;
    WoppleBoardView* boardView = nullptr;
    WoppleVisionLabel* woppleVisionLabel = nullptr;
    WoppleVisionLabel* superJokerLabel = nullptr;

private:
    void RefreshImage();
    void RefreshLabelColor();
    Actor* GetNumberLabel() const;
    LuaObject* NewPositionPayload() const;
};
