#include "game/views/WoppleTreasureBox.h"

#include "engine/core/Class.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TimerManager.h"
#include "engine/core/TypeConversion.h"
#include "engine/runtime/Sound.h"
#include "game/rules/WoppleGameEvents.h"
#include "game/rules/WoppleInfo.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WoppleVisionLabel.h"

#include <boost/format.hpp>

#include <memory>

namespace {

const char* const kOpeningFlash = "TreasureBoxOpeningFlash";
const char* const kOpeningSound = "Pickup_GemBells04.ogg";
const std::uint32_t kFinishDelay = 100;

// An object from a template given as a table or by resource name; null for anything else.
Object* InstantiateTemplate(const LuaObject& source)
{
    if (source.IsString())
        return ClassManager::GetInstance()->InstantiateObjectFromResource(source.GetString());
    if (source.IsTable())
        return ClassManager::GetInstance()->InstantiateObject(source);
    return nullptr;
}

void ApplyIfTable(Object& object, const LuaObject& properties)
{
    if (properties.IsTable())
        object.ApplyProperties(properties);
}

bool IsRealBox(Actor& box)
{
    return box.RetrieveBoolProperty("isBox", false);
}

WoppleTreasureBoxManager* RequireManager(lua_State* L)
{
    return RequireScriptObject<WoppleTreasureBoxManager>(L, 1, "a treasure box manager");
}

// A whole number argument, or a script error naming it.
int IndexArgument(lua_State* L, int index, const char* what)
{
    if (!lua_isnumber(L, index))
        VELK_THROW(Exception, (boost::format("The %1% must be a number.") % what).str());
    const lua_Number n = lua_tonumber(L, index);
    if (n != static_cast<lua_Number>(static_cast<int>(n)))
        VELK_THROW(Exception, (boost::format("The %1% must be a whole number, not %2%.") % what % n).str());
    return static_cast<int>(n);
}

int Script_SetBoxVisible(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        WoppleTreasureBoxManager* manager = RequireManager(L);
        const int board = IndexArgument(L, 2, "board index");
        const int box = IndexArgument(L, 3, "box index");
        lua_pushboolean(L, manager->SetBoxVisible(board, box, lua_toboolean(L, 4) != 0));
        return 1;
    });
}

int Script_GetTreasureBox(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        WoppleTreasureBoxManager* manager = RequireManager(L);
        const int board = IndexArgument(L, 2, "board index");
        const int box = IndexArgument(L, 3, "box index");
        Actor* found = manager->GetTreasureBox(board, box);
        if (found)
            found->GetLuaObject().Push(LuaState(L));
        else
            lua_pushnil(L);
        return 1;
    });
}

template <typename T>
void Member(Class* c, std::uint32_t type, T member, const char* name)
{
    c->RegisterPropertyGetter(CreatePropertyAccessor(type, MemberOf(member), name));
    c->RegisterPropertySetter(CreatePropertyAccessor(type, MemberOf(member), name));
}

} // namespace

// ---------------------------------------------------------------- classes

void WoppleTreasureBoxManagerClassHook(Class* c)
{
    c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter("SetBoxVisible", Script_SetBoxVisible));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter("SetBoxVisible"));
    c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter("GetTreasureBox", Script_GetTreasureBox));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter("GetTreasureBox"));
}

void WoppleTreasureBoxContainerClassHook(Class* c)
{
    using C = WoppleTreasureBoxContainer;
    Member(c, TYPE_INT32, &C::cellRowForColumnBoxes, "cellRowForColumnBoxes");
    Member(c, TYPE_RECTALIGNMENT, &C::columnBoxAlignment, "columnBoxAlignment");
    Member(c, TYPE_POINT, &C::columnBoxOffset, "columnBoxOffset");
    Member(c, TYPE_INT32, &C::cellColumnForRowBoxes, "cellColumnForRowBoxes");
    Member(c, TYPE_RECTALIGNMENT, &C::rowBoxAlignment, "rowBoxAlignment");
    Member(c, TYPE_POINT, &C::rowBoxOffset, "rowBoxOffset");
    Member(c, TYPE_INT32, &C::cellColumnForDownwardDiagonalBoxes, "cellColumnForDownwardDiagonalBoxes");
    Member(c, TYPE_INT32, &C::cellRowForDownwardDiagonalBoxes, "cellRowForDownwardDiagonalBoxes");
    Member(c, TYPE_RECTALIGNMENT, &C::downwardDiagonalBoxAlignment, "downwardDiagonalBoxAlignment");
    Member(c, TYPE_POINT, &C::downwardDiagonalBoxOffset, "downwardDiagonalBoxOffset");
    Member(c, TYPE_INT32, &C::cellColumnForUpwardDiagonalBoxes, "cellColumnForUpwardDiagonalBoxes");
    Member(c, TYPE_INT32, &C::cellRowForUpwardDiagonalBoxes, "cellRowForUpwardDiagonalBoxes");
    Member(c, TYPE_RECTALIGNMENT, &C::upwardDiagonalBoxAlignment, "upwardDiagonalBoxAlignment");
    Member(c, TYPE_POINT, &C::upwardDiagonalBoxOffset, "upwardDiagonalBoxOffset");
}

void WoppleTreasureBoxAnimationClassHook(Class* c)
{
    using A = WoppleTreasureBoxAnimation;
    Member(c, TYPE_INT32, &A::lootSlideTime, "lootSlideTime");
    Member(c, TYPE_INT32, &A::lootCount, "lootCount");
    Member(c, TYPE_INT32, &A::lootCreationInterval, "lootCreationInterval");
    Member(c, TYPE_STRING, &A::lootResourceName, "lootResourceName");
}

VELK_REGISTER_CLASS(WoppleTreasureBoxManager, "Actor", WoppleTreasureBoxManagerClassHook,
                    InstantiateObjectOfClass<WoppleTreasureBoxManager>);
VELK_REGISTER_CLASS(WoppleTreasureBoxContainer, "Actor", WoppleTreasureBoxContainerClassHook,
                    InstantiateObjectOfClass<WoppleTreasureBoxContainer>);
VELK_REGISTER_CLASS(WoppleTreasureBoxAnimation, "Object", WoppleTreasureBoxAnimationClassHook,
                    InstantiateObjectOfClass<WoppleTreasureBoxAnimation>);

// ---------------------------------------------------------------- manager

WoppleTreasureBoxManager::WoppleTreasureBoxManager() = default;

WoppleTreasureBoxManager::~WoppleTreasureBoxManager() = default;

void WoppleTreasureBoxManager::SetNumBoards(int numBoards)
{
    VELK_ASSERT(m_BoardInfo.empty());
    VELK_ASSERT(numBoards > 0);
    m_BoardInfo.assign(static_cast<std::size_t>(numBoards) + 1, nullptr);
}

void WoppleTreasureBoxManager::SetBoard(int boardIndex, WoppleBoardView* board)
{
    VELK_ASSERT(boardIndex != 0);
    VELK_ASSERT(boardIndex <= GetNumBoards());
    VELK_ASSERT_MSG(boardIndex > 0 && board != 0, "A treasure box board needs a board view at a board index from 1.");
    LuaObject instances = RetrieveProperty("_boardInstances");
    if (instances.IsNil()) {
        instances.AssignNewTable(ObjectLuaState());
        StoreProperty("_boardInstances", instances);
    }
    instances.SetObject(boardIndex, board->GetLuaObject());
}

void WoppleTreasureBoxManager::InitBoxes()
{
    VELK_ASSERT(m_BoardInfo.size() > 0);
    LuaObject boardInstances = RetrieveProperty("_boardInstances");
    VELK_ASSERT(boardInstances.IsTable());
    const LuaObject resources = RetrieveProperty("boxContainerResources");
    const LuaObject specifics = RetrieveProperty("boxSpecifics");
    for (int boardIndex = 1; boardIndex <= GetNumBoards(); ++boardIndex) {
        LuaObject entry = resources.IsTable() ? resources[boardIndex] : LuaObject();
        std::unique_ptr<Object> made(entry.IsTable()
                                         ? ClassManager::GetInstance()->InstantiateObject(entry)
                                         : ClassManager::GetInstance()->InstantiateObjectFromResource(
                                               "TreasureBoxContainerDefaults"));
        auto* boxContainer = dynamic_cast<WoppleTreasureBoxContainer*>(made.get());
        VELK_ASSERT(boxContainer != 0);
        const LuaObject instance = boardInstances[boardIndex];
        VELK_ASSERT(instance.IsUserData());
        boxContainer->boardView = dynamic_cast<WoppleBoardView*>(Object::FromLuaObject(instance));
        VELK_ASSERT_MSG(boxContainer->boardView != 0, "A treasure box board must be a board view.");
        if (specifics.IsTable() && specifics[boardIndex].IsTable())
            boxContainer->ApplyProperty("boxSpecifics", specifics[boardIndex]);
        // On the screen before the layout, so that screen and local points agree.
        made.release();
        AddChild(boxContainer);
        m_BoardInfo[static_cast<std::size_t>(boardIndex)] = boxContainer;
        boxContainer->CreateBoxes();
        boxContainer->LayoutBoxes();
        boxContainer->CloseAllBoxes();
    }
}

WoppleTreasureBoxContainer* WoppleTreasureBoxManager::CheckedContainer(int boardIndex) const
{
    VELK_ASSERT(m_BoardInfo.size() > 0);
    VELK_ASSERT(boardIndex != 0);
    VELK_ASSERT(boardIndex <= GetNumBoards());
    VELK_ASSERT_MSG(boardIndex > 0, (boost::format("No treasure boxes on board %1%.") % boardIndex).str());
    WoppleTreasureBoxContainer* container = m_BoardInfo[static_cast<std::size_t>(boardIndex)];
    VELK_ASSERT_MSG(container != 0, (boost::format("The boxes of board %1% are not built.") % boardIndex).str());
    return container;
}

WoppleTreasureBoxContainer* WoppleTreasureBoxManager::GetContainer(int boardIndex) const
{
    if (boardIndex < 1 || boardIndex > GetNumBoards())
        return nullptr;
    return m_BoardInfo[static_cast<std::size_t>(boardIndex)];
}

int WoppleTreasureBoxManager::BoardIndexOf(const WoppleLineInfo& line)
{
    VELK_ASSERT_MSG(line.boardView != 0, "A line without its board has no treasure box.");
    return line.boardView->boardIndex;
}

Actor* WoppleTreasureBoxManager::GetTreasureBox(const WoppleLineInfo& line) const
{
    return CheckedContainer(BoardIndexOf(line))->GetBoxForLine(line);
}

Actor* WoppleTreasureBoxManager::GetTreasureBox(int boardIndex, int boxIndex) const
{
    return CheckedContainer(boardIndex)->GetBox(boxIndex);
}

WoppleTreasureBoxAnimation* WoppleTreasureBoxManager::CreateTreasureBoxAnimation(const WoppleLineInfo& line,
                                                                                 int multiplier)
{
    return CheckedContainer(BoardIndexOf(line))->CreateTreasureBoxAnimation(line, multiplier);
}

bool WoppleTreasureBoxManager::SetBoxVisible(int boardIndex, int boxIndex, bool visible)
{
    return CheckedContainer(boardIndex)->SetBoxVisible(boxIndex, visible);
}

void WoppleTreasureBoxManager::CloseAllBoxes()
{
    for (int boardIndex = 1; boardIndex <= GetNumBoards(); ++boardIndex)
        if (WoppleTreasureBoxContainer* container = m_BoardInfo[static_cast<std::size_t>(boardIndex)])
            container->CloseAllBoxes();
}

// ---------------------------------------------------------------- container

WoppleTreasureBoxContainer::WoppleTreasureBoxContainer() = default;

WoppleTreasureBoxContainer::~WoppleTreasureBoxContainer() = default;

Actor* WoppleTreasureBoxContainer::MakeBox(const char* templateKey, const LuaObject& specifics)
{
    std::unique_ptr<Object> made(InstantiateTemplate(RetrieveProperty(templateKey)));
    auto* box = dynamic_cast<Actor*>(made.get());
    VELK_ASSERT_MSG(box != 0, (boost::format("The template \"%1%\" makes no box.") % templateKey).str());
    made.release();
    AddChild(box);
    ApplyIfTable(*box, specifics);
    m_AllBoxes.push_back(box);
    return box;
}

void WoppleTreasureBoxContainer::CreateBoxes()
{
    VELK_ASSERT_MSG(boardView != 0, "The treasure boxes have no board.");
    LuaObject specifics = RetrieveProperty("boxSpecifics");
    if (!specifics.IsTable())
        specifics.AssignNewTable(ObjectLuaState());
    m_DownwardDiagonalBox = MakeBox("diagonalBoxDefaults", specifics["downwardDiagonal"]);
    m_UpwardDiagonalBox = MakeBox("diagonalBoxDefaults", specifics["upwardDiagonal"]);
    const LuaObject rows = specifics["rows"];
    for (int row = 1; row <= boardView->GetNumRows(); ++row)
        m_RowBoxes.push_back(MakeBox("horizontalBoxDefaults", rows.IsTable() ? rows[row] : LuaObject()));
    const LuaObject columns = specifics["columns"];
    for (int column = 1; column <= boardView->GetNumColumns(); ++column)
        m_ColumnBoxes.push_back(MakeBox("verticalBoxDefaults", columns.IsTable() ? columns[column] : LuaObject()));
}

void WoppleTreasureBoxContainer::PlaceBox(Actor* box, int column, int row, RectAlignment alignment,
                                          const Point<int>& offset)
{
    const WoppleCellView* cell = boardView->GetCellView(ResolveIndex(column, boardView->GetNumColumns()),
                                                        ResolveIndex(row, boardView->GetNumRows()));
    VELK_ASSERT_MSG(cell != 0, (boost::format("No cell at {%1%, %2%} to place a treasure box by.") % column % row)
                                   .str());
    const Rect r = cell->GetGlobalRect();
    Rect::AnchorFunction anchor = Rect::GetAnchorFunction(alignment);
    Point<int> at = anchor ? anchor(r) : Point<int>(r.x, r.y);
    at = Point<int>(at.x + offset.x, at.y + offset.y);
    if (Actor* parent = box->GetParent())
        at = parent->GlobalToLocal(at);
    box->SetPosition(at.x - box->GetWidth() / 2, at.y - box->GetHeight() / 2);
}

void WoppleTreasureBoxContainer::LayoutBoxes()
{
    VELK_ASSERT_MSG(boardView != 0, "The treasure boxes have no board.");
    if (m_DownwardDiagonalBox)
        PlaceBox(m_DownwardDiagonalBox, cellColumnForDownwardDiagonalBoxes, cellRowForDownwardDiagonalBoxes,
                 downwardDiagonalBoxAlignment, downwardDiagonalBoxOffset);
    if (m_UpwardDiagonalBox)
        PlaceBox(m_UpwardDiagonalBox, cellColumnForUpwardDiagonalBoxes, cellRowForUpwardDiagonalBoxes,
                 upwardDiagonalBoxAlignment, upwardDiagonalBoxOffset);
    for (std::size_t column = 1; column < m_ColumnBoxes.size(); ++column)
        PlaceBox(m_ColumnBoxes[column], static_cast<int>(column), cellRowForColumnBoxes, columnBoxAlignment,
                 columnBoxOffset);
    for (std::size_t row = 1; row < m_RowBoxes.size(); ++row)
        PlaceBox(m_RowBoxes[row], cellColumnForRowBoxes, static_cast<int>(row), rowBoxAlignment, rowBoxOffset);
}

Actor* WoppleTreasureBoxContainer::GetBox(int boxIndex) const
{
    VELK_ASSERT_MSG(boxIndex >= 1 && boxIndex <= GetNumBoxes(),
                    (boost::format("No treasure box %1% on board %2%: the board has boxes 1 to %3%.") % boxIndex %
                     (boardView ? boardView->boardIndex : 0) % GetNumBoxes())
                        .str());
    return m_AllBoxes[static_cast<std::size_t>(boxIndex - 1)];
}

bool WoppleTreasureBoxContainer::SetBoxVisible(int boxIndex, bool visible)
{
    Actor* box = GetBox(boxIndex);
    VELK_ASSERT(box != 0);
    if (!IsRealBox(*box))
        return false;
    box->SetVisible(visible);
    return true;
}

void WoppleTreasureBoxContainer::SetAllBoxesVisible(bool visible)
{
    for (Actor* box : m_AllBoxes)
        if (IsRealBox(*box))
            box->SetVisible(visible);
}

void WoppleTreasureBoxContainer::CloseAllBoxes()
{
    for (Actor* box : m_AllBoxes)
        ApplyIfTable(*box, box->RetrieveProperty("closedBoxProperties"));
    SetAllBoxesVisible(false);
}

Actor* WoppleTreasureBoxContainer::GetBoxForLine(const WoppleLineInfo& line) const
{
    auto byIndex = [](const std::vector<Actor*>& boxes, int index) -> Actor* {
        return index >= 1 && index < static_cast<int>(boxes.size()) ? boxes[static_cast<std::size_t>(index)] : nullptr;
    };
    switch (line.kind) {
    case TREASUREBOX_ROW: return byIndex(m_RowBoxes, line.row);
    case TREASUREBOX_COLUMN: return byIndex(m_ColumnBoxes, line.column);
    case TREASUREBOX_DOWNWARD_DIAGONAL: return m_DownwardDiagonalBox;
    case TREASUREBOX_UPWARD_DIAGONAL: return m_UpwardDiagonalBox;
    default: return nullptr;
    }
}

WoppleTreasureBoxAnimation* WoppleTreasureBoxContainer::CreateTreasureBoxAnimation(const WoppleLineInfo& line,
                                                                                   int multiplier)
{
    Actor* box = GetBoxForLine(line);
    VELK_ASSERT_MSG(box != 0, (boost::format("A line of kind %1% has no treasure box.") % line.kind).str());
    std::unique_ptr<Object> made(InstantiateTemplate(RetrieveProperty("openedBoxAnimationDefaults")));
    auto* animation = dynamic_cast<WoppleTreasureBoxAnimation*>(made.get());
    VELK_ASSERT_MSG(animation != 0, "The opening of a treasure box must be a WoppleTreasureBoxAnimation.");
    made.release();
    animation->m_Multiplier = multiplier;
    animation->m_FlashParent = GetParent();
    animation->m_Box = box;
    return animation;
}

// ---------------------------------------------------------------- animation

WoppleTreasureBoxAnimation::WoppleTreasureBoxAnimation() = default;

WoppleTreasureBoxAnimation::~WoppleTreasureBoxAnimation()
{
    try {
        if (m_TimerId != 0)
            if (TimerManager* timers = TimerManager::GetInstance())
                timers->FreeTimer(m_TimerId);
    } catch (...) {
    }
}

std::string WoppleTreasureBoxAnimation::GetRewardText() const
{
    const std::int64_t value = m_Reward * m_Multiplier;
    if (m_Multiplier < 2)
        return (boost::format("%1%") % value).str();
    return (boost::format("%1% (%2%x)") % value % m_Multiplier).str();
}

void WoppleTreasureBoxAnimation::Start()
{
    VELK_ASSERT_MSG(m_Box != 0, "A treasure box animation needs its box.");
    ApplyIfTable(*m_Box, m_Box->RetrieveProperty("openedBoxProperties"));
    Log(3, "WoppleTreasureBoxAnimation::Start: %s\n", GetRewardText().c_str());
    const Rect r = m_Box->GetGlobalRect();
    // The lid goes up where the box stood, even once the rules have hidden the box.
    const std::string opening = RetrieveStringProperty("openingResource", "");
    if (!opening.empty() && m_FlashParent)
        if (auto* lid = dynamic_cast<Actor*>(ClassManager::GetInstance()->InstantiateObjectFromResource(opening))) {
            m_FlashParent->AddChild(lid);
            const Point<int> at = m_FlashParent->GlobalToLocal(r.GetCenter());
            lid->SetPosition(at.x - lid->GetWidth() / 2, at.y - lid->GetHeight() / 2);
        }
    if (m_FlashParent)
        ShowOutlinedFlashText(GetRewardText(), r.x + r.w / 2, r.y + r.h / 2, kOpeningFlash, m_FlashParent, false, 0);
    Sound::Play(kOpeningSound, false);
    TimerManager* timers = TimerManager::GetInstance();
    VELK_ASSERT(timers != 0);
    if (m_TimerId != 0)
        timers->FreeTimer(m_TimerId);
    m_TimerId = timers->CreateTimer(this, kFinishDelay, 1, TIMER_LIMITED_TO_FRAMERATE, "default");
}

bool WoppleTreasureBoxAnimation::OnTimer(const EventRecord& event)
{
    if (m_TimerId == 0 || TimerIDOfEvent(event) != m_TimerId)
        return Object::OnTimer(event);
    // Its one signal is spent: the slot goes back now, not when the animation does.
    TimerManager::GetInstance()->FreeTimer(m_TimerId);
    m_TimerId = 0;
    NotifyObservers(WOPPLE_TREASUREBOXANIMATIONFINISHED, nullptr, false);
    return true;
}
