#include "game/views/WoppleCellView.h"

#include "engine/core/Class.h"
#include "engine/core/Exception.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TypeConversion.h"
#include "engine/runtime/Image.h"
#include "engine/ui/Button.h"
#include "engine/ui/Label.h"
#include "game/views/WoppleBoardView.h"
#include "game/rules/WoppleGameEvents.h"
#include "game/views/WoppleVisionLabel.h"

#include <boost/format.hpp>

namespace {

const int kFadeMilliseconds = 250;

struct CellTypeFlags
{
    const char* name;
    bool selectable, clickable, numberShown, selected, blank;
};

const CellTypeFlags kCellTypes[] = {
    {"Blank", false, false, false, false, true},
    {"UnclickableNumber", false, false, true, false, false},
    {"SelectableAndClickableNumber", true, true, true, false, false},
    {"ClickableNumber", false, true, true, false, false},
    {"Selected", false, false, false, true, false},
};

const char* const kOrientationNames[CELL_NUM_ORIENTATIONS] = {
    "South", "North", "West", "East", "Southwest", "Northeast", "Southeast", "Northwest",
};

WoppleCellView* RequireCell(lua_State* L)
{
    return RequireScriptObject<WoppleCellView>(L, 1, "a cell view");
}

int Script_SetCellType(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireCell(L)->SetCellType(luaL_checkstring(L, 2));
        return 0;
    });
}

int Script_SetCellNumber(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireCell(L)->SetCellNumber(static_cast<int>(luaL_checkinteger(L, 2)));
        return 0;
    });
}

int Script_SetShowPattern(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireCell(L)->SetShowPattern(lua_toboolean(L, 2) != 0);
        return 0;
    });
}

int Script_SetEnableCellButton(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireCell(L)->SetEnableCellButton(lua_toboolean(L, 2) != 0);
        return 0;
    });
}

// WoppleCellView_BuildCellClickEventData(boardIndex, column, row, isCellSelectable):
// the table a click posts, so the computer's moves travel as clicks do.
int Script_BuildCellClickEventData(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        LuaState state(L);
        LuaObject table = WoppleCellView::BuildCellClickEventData(
            state, static_cast<int>(luaL_checkinteger(L, 1)), static_cast<int>(luaL_checkinteger(L, 2)),
            static_cast<int>(luaL_checkinteger(L, 3)), lua_toboolean(L, 4) != 0);
        table.Push(state);
        return 1;
    });
}

ScriptFunctionRegistration s_BuildCellClickEventData(Script_BuildCellClickEventData,
                                                     "WoppleCellView_BuildCellClickEventData");

void ShowAtFullAlpha(Actor* actor)
{
    if (!actor)
        return;
    actor->StopFade();
    actor->SetAlpha(255);
    actor->SetVisible(true);
}

void HideAndStopFade(Actor* actor)
{
    if (!actor)
        return;
    actor->StopFade();
    actor->SetVisible(false);
}

} // namespace

void WoppleCellViewClassHook(Class* c)
{
    auto normal = MemberOf(&WoppleCellView::cellNormalLabelFgColor);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_COLOR, normal, "cellNormalLabelFgColor"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_COLOR, normal, "cellNormalLabelFgColor"));
    auto pattern = MemberOf(&WoppleCellView::cellPatternLabelFgColor);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_COLOR, pattern, "cellPatternLabelFgColor"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_COLOR, pattern, "cellPatternLabelFgColor"));
    const struct
    {
        const char* name;
        lua_CFunction function;
    } methods[] = {
        {"SetCellType", Script_SetCellType},
        {"SetCellNumber", Script_SetCellNumber},
        {"SetShowPattern", Script_SetShowPattern},
        {"SetEnableCellButton", Script_SetEnableCellButton},
    };
    for (const auto& method : methods) {
        c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter(method.name, method.function));
        c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter(method.name));
    }
}

VELK_REGISTER_CLASS(WoppleCellView, "Actor", WoppleCellViewClassHook, InstantiateObjectOfClass<WoppleCellView>);

// ---------------------------------------------------------------- orientation

CellOrientationType CellOrientationTypeFromString(const std::string& text)
{
    for (int value : {CELL_NORTH, CELL_SOUTH, CELL_EAST, CELL_WEST, CELL_NORTHEAST, CELL_NORTHWEST, CELL_SOUTHEAST,
                      CELL_SOUTHWEST})
        if (text == kOrientationNames[value])
            return static_cast<CellOrientationType>(value);
    VELK_ASSERT_MSG(false, "An unknown value was passed into CellOrientationTypeFromString: \"" + text + "\"");
    return CELL_SOUTH;
}

std::string CellOrientationTypeToString(int value)
{
    if (value < 0 || value >= CELL_NUM_ORIENTATIONS)
        VELK_THROW(Exception,
                   (boost::format("An unknown value was passed into CellOrientationTypeToString: %1%") % value).str());
    return kOrientationNames[value];
}

// ---------------------------------------------------------------- life

WoppleCellView::WoppleCellView()
    : cellNormalLabelFgColor(Colors::ByName("Black")), cellPatternLabelFgColor(234, 218, 159)
{
}

bool WoppleCellView::OnEvent(const EventRecord& event)
{
    if (WoppleEventHandler::RouteEvent(event))
        return true;
    return Actor::OnEvent(event);
}

void WoppleCellView::OnPostSpawn()
{
    Actor::OnPostSpawn();
    cellButton = dynamic_cast<Button*>(FindChild("cellButton", true));
    if (cellButton) {
        // Unnamed and on top, so the number sorts above the button's other children.
        Label* label = cellButton->GetLabel();
        label->SetZOrder(2);
        cellButton->RemoveChild(label);
        cellButton->AddChild(label);
        cellButton->AddToGroup(this);
        cellButton->AttachObserver(VELK_BUTTONAPPEARANCECHANGE, this);
        woppleVisionLabel = dynamic_cast<WoppleVisionLabel*>(cellButton->FindChild("woppleVisionLabel", true));
        superJokerLabel = dynamic_cast<WoppleVisionLabel*>(cellButton->FindChild("superJokerLabel", true));
    }
    cellContents = FindChild("cellContents", true);
    woppleOverlay = FindChild("woppleOverlay", true);
    patternCompletionOverlay = FindChild("patternCompletionOverlay", true);
    boardCompletionOverlay = FindChild("boardCompletionOverlay", true);
    selectableIndicator = FindChild("isCellSelectableIndicator", true);
    // The aura is a halo picture with see-through pixels: its alpha must
    // combine with theirs (a constant blend would draw the clear middle too).
    if (selectableIndicator)
        selectableIndicator->SetShaderType(4);
    SetCellType("Blank");
}

void WoppleCellView::SetImage(std::unique_ptr<Image> image, const std::string& name)
{
    Actor::SetImage(std::move(image), name);
    if (cellButton)
        cellButton->SetSize(GetWidth(), GetHeight());
}

Actor* WoppleCellView::GetNumberLabel() const
{
    return cellButton ? cellButton->FindLabel() : nullptr;
}

// ---------------------------------------------------------------- type and look

void WoppleCellView::SetCellType(const std::string& typeName)
{
    cellType = typeName;
    ApplyCellType();
}

void WoppleCellView::ApplyCellType()
{
    if (cellButton)
        cellButton->SetVisible(false);
    if (selectableIndicator)
        selectableIndicator->SetVisible(false);
    for (const CellTypeFlags& type : kCellTypes) {
        if (cellType != type.name)
            continue;
        isSelectable = type.selectable;
        isClickable = type.clickable;
        isNumberShown = type.numberShown;
        isSelected = type.selected;
        isBlank = type.blank;
        if (type.clickable && cellButton)
            cellButton->SetVisible(true);
    }
    RefreshImage();
    RefreshLabelColor();
    ShowWoppleVisionAura(isSelectable, false);
}

void WoppleCellView::RefreshImage()
{
    const bool pattern = isPatternCell && showPattern;
    // The names let tips point at a pattern cell or at any cell.
    SetName(pattern ? "PatternCell" : "Cell");
    const std::string imageName = RetrieveStringProperty(pattern ? "patternImage" : "cellImage", std::string());
    const int frame = isSelected ? 1 : isBlank ? 4 : 0;
    if (imageName != GetImageName())
        SetImageFromName(imageName);
    SetFrame(frame);
    if (cellButton) {
        if (imageName != cellButton->GetImageName())
            cellButton->SetImageFromName(imageName);
        cellButton->SetFrame(frame);
        cellButton->SetSize(GetWidth(), GetHeight());
        cellButton->SetVisible(!isSelected && !isBlank);
    }
}

void WoppleCellView::RefreshLabelColor()
{
    if (!cellButton)
        return;
    const bool pattern = isPatternCell && showPattern;
    cellButton->GetLabel()->SetColor(pattern ? cellPatternLabelFgColor : cellNormalLabelFgColor, true);
}

void WoppleCellView::SetCellNumber(int value)
{
    number = value;
    const std::string text = (boost::format("%1%") % value).str();
    if (cellButton)
        cellButton->SetText(text);
    if (woppleVisionLabel)
        woppleVisionLabel->SetText(text);
    if (superJokerLabel)
        superJokerLabel->SetText(text);
}

void WoppleCellView::SetNumber(int value)
{
    const std::string text = (boost::format("%1%") % value).str();
    for (WoppleVisionLabel* label : {woppleVisionLabel, superJokerLabel}) {
        if (!label)
            continue;
        const bool wasVisible = label->IsVisible();
        label->SetVisible(true);
        label->SetText(text);
        label->Redraw();
        label->SetVisible(wasVisible);
    }
}

void WoppleCellView::SetShowPattern(bool show)
{
    showPattern = show;
    ApplyCellType();
}

void WoppleCellView::SetEnableCellButton(bool enable)
{
    isCellButtonEnabled = enable;
    if (!cellButton)
        return;
    if (!enable) {
        cellButton->SetUseFrames(false);
        cellButton->Disable();
        cellButton->SetRolloverable(false);
    } else {
        cellButton->Enable();
        cellButton->SetUseFrames(true);
        cellButton->SetRolloverable(true);
    }
}

void WoppleCellView::SetContents(Actor* actor)
{
    if (actor && actor->GetImage())
        VELK_ASSERT_MSG((int)actor->GetFrame() < (int)actor->GetImage()->GetNumFrames(),
                        "(int)contents->GetFrame() < (int) contents->GetImage()->GetNumFrames()");
    if (cellContents)
        cellContents->DestroyChildren();
    contents = actor;
    if (actor && cellContents) {
        cellContents->AddChild(actor);
        cellContents->SetVisible(true);
    }
}

void WoppleCellView::ShowWoppleVisionAura(bool selectable, bool animate)
{
    if (isSelectionSuppressed)
        selectable = false;
    Actor* label = GetNumberLabel();
    if (!isWoppleVisionOn) {
        if (!animate) {
            HideAndStopFade(woppleVisionLabel);
            ShowAtFullAlpha(label);
        } else {
            if (woppleVisionLabel && woppleVisionLabel->IsVisible())
                woppleVisionLabel->FadeOut(kFadeMilliseconds, false);
            if (label && !label->IsVisible())
                label->FadeIn(kFadeMilliseconds);
        }
        if (selectableIndicator)
            selectableIndicator->SetVisible(false);
        RefreshLabelColor();
        return;
    }
    if (!selectable) {
        if (selectableIndicator) {
            selectableIndicator->SetVisible(true);
            selectableIndicator->ApplyNamedResource("WoppleVisionUnselectableAura");
        }
        RefreshLabelColor();
        HideAndStopFade(woppleVisionLabel);
        ShowAtFullAlpha(label);
        return;
    }
    if (selectableIndicator) {
        selectableIndicator->SetVisible(true);
        selectableIndicator->ApplyNamedResource("WoppleVisionSelectableAura");
    }
    if (animate) {
        if (woppleVisionLabel)
            woppleVisionLabel->FadeIn(kFadeMilliseconds);
        if (label)
            label->FadeOut(kFadeMilliseconds, false);
    } else {
        if (woppleVisionLabel) {
            woppleVisionLabel->StopFade();
            woppleVisionLabel->SetAlpha(255);
            woppleVisionLabel->SetVisible(true);
        }
        HideAndStopFade(label);
    }
}

void WoppleCellView::SetSelectionSuppressed(bool suppressed)
{
    isSelectionSuppressed = suppressed;
    Actor* label = GetNumberLabel();
    if (superJokerLabel)
        superJokerLabel->StopFade();
    if (label)
        label->StopFade();
    if (!isSelectable) {
        if (label && !label->IsVisible())
            ShowAtFullAlpha(label);
        return;
    }
    if (suppressed) {
        ShowWoppleVisionAura(false, false);
        if (superJokerLabel && !superJokerLabel->IsVisible()) {
            superJokerLabel->FadeIn(kFadeMilliseconds);
            if (label)
                label->FadeOut(kFadeMilliseconds, false);
        } else if (superJokerLabel && label) {
            label->SetVisible(false);
        }
        return;
    }
    if (isWoppleVisionOn)
        ShowWoppleVisionAura(true, false);
    if (superJokerLabel && superJokerLabel->IsVisible()) {
        superJokerLabel->SetVisible(false);
        if (label) {
            label->SetAlpha(255);
            label->SetVisible(true);
        }
    }
}

// ---------------------------------------------------------------- events

LuaObject WoppleCellView::BuildCellClickEventData(LuaState state, int boardIndex, int column, int row,
                                                  bool isCellSelectable)
{
    LuaObject table(state);
    table.AssignNewTable(state);
    LuaObject position = table.CreateTable("cellPosition");
    position.SetInteger("boardIndex", boardIndex);
    position.SetInteger("column", column);
    position.SetInteger("row", row);
    table.SetBoolean("isCellSelectable", isCellSelectable);
    return table;
}

LuaObject* WoppleCellView::NewPositionPayload() const
{
    LuaState state = ObjectLuaState();
    auto* table = new LuaObject(state);
    table->AssignNewTable(state);
    LuaObject position = table->CreateTable("cellPosition");
    position.SetInteger("boardIndex", boardView ? boardView->boardIndex : -1);
    position.SetInteger("column", column);
    position.SetInteger("row", row);
    return table;
}

bool WoppleCellView::OnButtonClick(const EventRecord& event)
{
    auto* button = static_cast<Actor*>(event.user.data1);
    if (!button || button->GetName() != "cellButton")
        return true;
    if (!boardView)
        return true;
    auto* payload = new LuaObject(BuildCellClickEventData(ObjectLuaState(), boardView->boardIndex, column, row,
                                                          isSelectable));
    boardView->NotifyObservers(WOPPLE_CELLCLICK, payload, false);
    return true;
}

bool WoppleCellView::OnButtonAppearanceChange(Event* event)
{
    if (!event || !event->payload || event->sender != cellButton)
        return false;
    const LuaObject state = (*event->payload)["appearanceState"];
    const std::string name = state.IsString() ? state.GetString() : std::string();
    if (!boardView)
        return true;
    if (name == "Highlighted" || name == "Pressed") {
        boardView->ShowColumnHilite(column);
        if (isSelectable)
            boardView->NotifyObservers(WOPPLE_CELLENTER, NewPositionPayload(), true);
    } else {
        boardView->HideColumnHilite(column);
        boardView->NotifyObservers(WOPPLE_CELLLEAVE, NewPositionPayload(), true);
    }
    return true;
}
