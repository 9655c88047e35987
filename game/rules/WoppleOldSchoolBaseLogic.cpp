#include "game/rules/WoppleOldSchoolBaseLogic.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TypeConversion.h"
#include "engine/runtime/DirectMusic.h"
#include "engine/runtime/Utility.h"
#include "engine/ui/Actor.h"
#include "engine/ui/AmbientLoop.h"
#include "engine/ui/Label.h"
#include "engine/ui/ScoreCounter.h"
#include "game/rules/OldSchoolBonusStates.h"
#include "game/rules/OldSchoolEndStates.h"
#include "game/rules/OldSchoolJokerStates.h"
#include "game/rules/OldSchoolMatchStates.h"
#include "game/rules/OldSchoolSpinStates.h"
#include "game/rules/OldSchoolStates.h"
#include "game/rules/WoppleHumanParticipantLogic.h"
#include "game/rules/WoppleTalkingCharacter.h"
#include "game/shell/WoppleScreen.h"
#include "game/views/CocoDropButton.h"
#include "game/views/WoppleAnimation.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WopplePowerupView.h"
#include "game/views/WoppleVisionLabel.h"
#include "game/views/WoppleWheelSetView.h"
#include "game/views/WoppleWheelView.h"

#include <boost/format.hpp>

#include <algorithm>
#include <numeric>

namespace {

// What a reel shows: a number, or one of the special items.
constexpr int kWheelNumber = 0;
constexpr int kWheelJoker = 2;
constexpr int kWheelSuperJoker = 3;

constexpr int kClickGirlCherub = 58;

const char* const kPowerupItems[] = {"DevilProtection", "FreeSpin", "AllSpinsFree", "BounceWopples",
                                     "woppleVision",    "BonusFrog", "Multiplier"};

// Where the developer keys may act: a round at rest between spins and
// matches, where nothing animates and no cherub or dialog waits for a reply.
bool IsRestingState(const std::string& state)
{
    return state == "WaitForSpin" || state == "WaitForMatch";
}

template <typename... Values>
std::string Formatted(const char* format, const Values&... values)
{
    boost::format f(format);
    (f % ... % values);
    return f.str();
}

void Method(Class* c, const char* name, lua_CFunction function)
{
    c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter(name, function));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter(name));
}

template <typename T>
void Field(Class* c, int type, T WoppleOldSchoolBaseLogic::*member, const char* name)
{
    auto address = MemberOf(member);
    c->RegisterPropertyGetter(CreatePropertyAccessor(type, address, name));
    c->RegisterPropertySetter(CreatePropertyAccessor(type, address, name));
}

WoppleOldSchoolBaseLogic* RequireLogic(lua_State* L)
{
    return RequireScriptObject<WoppleOldSchoolBaseLogic>(L, 1, "an old-school game logic");
}

Actor* ActorOf(WoppleTalkingCharacter* character)
{
    return character ? character->GetCharacterActor() : nullptr;
}

} // namespace

void WoppleOldSchoolBaseLogicClassHook(Class* c)
{
    using L = WoppleOldSchoolBaseLogic;
    Field(c, TYPE_BOOL, &L::wheelMultipliers, "wheelMultipliers");
    Field(c, TYPE_BOOL, &L::wheelDevils, "wheelDevils");
    Field(c, TYPE_BOOL, &L::bounceWopples, "bounceWopples");
    Field(c, TYPE_BOOL, &L::wheelDevilProtection, "wheelDevilProtection");
    Field(c, TYPE_BOOL, &L::allSpinsFree, "allSpinsFree");
    Field(c, TYPE_BOOL, &L::wheelWoppleVision, "wheelWoppleVision");
    Field(c, TYPE_BOOL, &L::timeLimitted, "timeLimitted");
    Field(c, TYPE_STRING, &L::levelMusic, "levelMusic");
    Field(c, TYPE_INT32, &L::levelNumber, "levelNumber");
    Field(c, TYPE_INT32, &L::fullBoardScore, "fullBoardScore");
    Field(c, TYPE_INT32, &L::timePerTurn, "timePerTurn");
    Method(c, "GetBoardView", L::Script_GetBoardView);
    Method(c, "GetNumBoards", L::Script_GetNumBoards);
    Method(c, "StartScoreFlash", L::Script_StartScoreFlash);
    Method(c, "IsCellAvailableForMatching", L::Script_IsCellAvailableForMatching);
    Method(c, "SayMessage", L::Script_SayMessage);
    Method(c, "GetTreasureBoxManager", L::Script_GetTreasureBoxManager);
}

// Abstract: the modes make it.
VELK_REGISTER_CLASS(WoppleOldSchoolBaseLogic, "WoppleGameLogic", WoppleOldSchoolBaseLogicClassHook, nullptr);

WoppleOldSchoolBaseLogic::WoppleOldSchoolBaseLogic() : m_Messages(std::make_unique<WoppleGameMessages>(*this))
{
    // This class's own, not a mode's: the mode is not built yet.
    m_OutputLogic.reset(WoppleOldSchoolBaseLogic::CreateOutputLogic());
}

WoppleOldSchoolBaseLogic::~WoppleOldSchoolBaseLogic()
{
    try {
        Stop();
    } catch (...) {
        LogWrite("WARNING: WoppleOldSchoolBaseLogic::~WoppleOldSchoolBaseLogic: %s\n",
                 CurrentExceptionMessage().c_str());
    }
    try {
        // The states hold this logic: they go while it is whole.
        ReleaseTables();
    } catch (...) {
        LogWrite("WARNING: WoppleOldSchoolBaseLogic::~WoppleOldSchoolBaseLogic: %s\n",
                 CurrentExceptionMessage().c_str());
    }
}

void WoppleOldSchoolBaseLogic::Destroy()
{
    if (IsBeingDestroyed())
        return;
    for (std::size_t i = 1; i < m_BoardViews.size(); ++i)
        if (WoppleBoardView* board = m_BoardViews[i])
            for (int event : {WOPPLE_CELLLEAVE, WOPPLE_CELLENTER, WOPPLE_CELLCLICK})
                board->DetachObserver(event, this);
    Object::Destroy();
    // The deletion phase has it from here.
    if (m_OutputLogic)
        m_OutputLogic.release()->Destroy();
}

Object* WoppleOldSchoolBaseLogic::GetCurrentParticipantLogic() const
{
    return GetParticipantLogic(kNoParticipant);
}

WoppleParticipantLogic* WoppleOldSchoolBaseLogic::GetParticipantLogic(std::uint32_t index) const
{
    if (index == kNoParticipant)
        index = m_CurrentParticipant;
    if (index == kNoParticipant || index >= m_ParticipantLogics.size())
        return nullptr;
    return m_ParticipantLogics[index].get();
}

WoppleParticipantLogic* WoppleOldSchoolBaseLogic::CreateParticipantLogic(int /*index*/)
{
    return new WoppleHumanParticipantLogic();
}

// ---------------------------------------------------------------- life of a round

void WoppleOldSchoolBaseLogic::Start()
{
    SetState("InitialState");
    if (m_AmbientLoop)
        m_AmbientLoop->SetPlaying(true);
}

void WoppleOldSchoolBaseLogic::Stop()
{
    if (auto* screen = dynamic_cast<WoppleScreen*>(m_TargetScreen); screen && GetRootActor())
        screen->HideNotes();
    for (auto& participant : m_ParticipantLogics)
        if (participant)
            participant.release()->Destroy();
    m_ParticipantLogics.clear();
    if (m_CountdownRunning) {
        if (TimerManager* timers = TimerManager::GetInstance())
            timers->FreeTimer(m_CountdownTimer);
        m_CountdownTimer = 0;
        m_CountdownRunning = false;
    }
    if (GetRootActor()) {
        if (m_AmbientLoop)
            m_AmbientLoop->SetPlaying(false);
        RemoveListeners();
    }
    WoppleGameLogic::Stop();
    // The layout's actors go with the root actor.
    std::fill(m_BoardViews.begin(), m_BoardViews.end(), nullptr);
    m_BoardViews.resize(1);
    m_WheelsView = nullptr;
    m_SpinButton = m_CherubGirl = m_CherubBucketGuy = m_BonusTimer = nullptr;
    m_TimerLabel = m_SpinCountLabel = m_PatternNameLabel = nullptr;
    m_CocoDropButton = nullptr;
    m_TreasureBoxManager = m_ButterflyBox = nullptr;
    m_TreasureBoxAnimation.reset();
    m_AmbientLoop = nullptr;
    m_ChosenCell = nullptr;
    m_ActiveCellJoker = nullptr;
    for (ParticipantRecord& record : m_Participants)
        record.scoreCounter = nullptr, record.powerupView = nullptr;
    m_Messages->SetCharacters(nullptr, nullptr);
}

// The buttons keep their receivers as plain pointers and the layout goes
// only in the deletion phase: a click meanwhile must not find us.
void WoppleOldSchoolBaseLogic::RemoveListeners()
{
    for (Actor* actor : {m_SpinButton, m_CherubGirl, m_CherubBucketGuy, static_cast<Actor*>(m_CocoDropButton)})
        if (actor)
            actor->RemoveFromGroup(this);
    if (m_WheelsView) {
        m_WheelsView->DetachObserver(WOPPLE_WHEELANIMATIONUPDATE, this);
        for (int i = 1; i <= m_WheelsView->GetNumWheels(); ++i)
            if (WoppleWheelView* wheel = m_WheelsView->GetWheelView(i))
                if (Actor* button = wheel->GetWheelButton())
                    button->RemoveFromGroup(this);
    }
    if (!m_Participants.empty() && m_Participants[0].powerupView)
        for (int i = 1; i <= WopplePowerupView::kNumItems; ++i)
            if (Actor* item = m_Participants[0].powerupView->GetItem(i))
                item->RemoveFromGroup(this);
    for (std::size_t i = 1; i < m_BoardViews.size(); ++i)
        if (WoppleBoardView* board = m_BoardViews[i])
            for (int event : {WOPPLE_CELLLEAVE, WOPPLE_CELLENTER, WOPPLE_CELLCLICK})
                board->DetachObserver(event, this);
}

void WoppleOldSchoolBaseLogic::ApplyPause(bool pause)
{
    WoppleGameLogic::ApplyPause(pause);
}

void WoppleOldSchoolBaseLogic::ShowHelp()
{
    if (auto* screen = dynamic_cast<WoppleScreen*>(m_TargetScreen))
        screen->ToggleScreenHelp("gameHelp." + GetNameOfGameMode());
}

void WoppleOldSchoolBaseLogic::SetState(const std::string& name)
{
    Log(3, "SetState: %s\n", name.c_str());
    Object::SetState(name);
}

void WoppleOldSchoolBaseLogic::CreateStates()
{
    using namespace OldSchoolStates;
    // In the order of the table of states; the opening ones are built here.
    const char* const names[] = {
        "AssignNumbers",          "LevelIntroDialog",     "CherubAppearance",        "DeductSpinPoints",
        "DevilAppearance",        "ExplainGame",          "InitialState",            "LostSpin",
        "NextPlayer",             "NextSpin",             "NoMatches",               "ProcessBonusWheels",
        "ProcessDevils",          "ProcessEndGame",       "EndGameTransition",       "ProcessFullBoards",
        "ProcessJokerBonus",      "ProcessMatch",         "ProcessPirateOrTreasure", "ProcessSuperJoker",
        "ProcessSuperJokerMatch", "ProcessCellJokerMatch", "PromptForFreeSpin",      "PromptForBuy",
        "RouteMatch",             "RouteSpin",            "RouteSpinCompletion",     "SpinWheel",
        "StartGame",              "SuperJokerAppearance", "WaitForMatch",            "WaitForSpin",
        "WaitForSuperJokerMatch", "WaitForCellJokerMatch", "WaitForOutputCompletion", "WaitingForGameStart",
    };
    static_assert(sizeof(names) / sizeof(names[0]) == 36);
    for (const char* name : names) {
        const std::string n = name;
        State* state = nullptr;
        if (n == "AssignNumbers")
            state = new AssignNumbers(*this);
        else if (n == "LevelIntroDialog")
            state = new LevelIntroDialog(*this);
        else if (n == "ExplainGame")
            state = new ExplainGame(*this);
        else if (n == "InitialState")
            state = new InitialState(*this);
        else if (n == "StartGame")
            state = new StartGame(*this);
        else if (n == "WaitingForGameStart")
            state = new WaitingForGameStart(*this);
        else if (n == "ProcessEndGame")
            state = new ProcessEndGame(*this);
        else if (n == "ProcessFullBoards")
            state = new ProcessFullBoards(*this);
        else if (n == "EndGameTransition")
            state = new EndGameTransition(*this);
        else if (!(state = CreateBonusState(*this, n)) && !(state = CreateJokerState(*this, n)) &&
                 !(state = CreateSpinState(*this, n)) && !(state = CreateMatchState(*this, n)))
            VELK_ASSERT_MSG(false, Formatted("No state is made for \"%1%\".", n));
        AddState(state, true);
    }
}

// ---------------------------------------------------------------- controls

void WoppleOldSchoolBaseLogic::InitControls()
{
    WoppleGameLogic::InitControls();
    Actor* root = GetRootActor();
    if (!root)
        return;
    InitBoardViews();

    m_WheelsView = dynamic_cast<WoppleWheelSetView*>(root->FindChild("woppleWheels", true));
    if (m_WheelsView) {
        m_WheelsView->AttachObserver(WOPPLE_WHEELANIMATIONUPDATE, this);
        m_WheelsView->AddListenerToWheelButtons(this);
    }
    if ((m_SpinButton = root->FindChild("spinButton", true)))
        m_SpinButton->AddToGroup(this);
    m_TimerLabel = dynamic_cast<Label*>(root->FindChild("timerLabel", true));
    if (m_TimerLabel && m_TimerLabel->GetParent())
        m_TimerLabel->GetParent()->SetVisible(timeLimitted);
    m_SpinCountLabel = dynamic_cast<Label*>(root->FindChild("spinCountLabel", true));
    if ((m_CherubGirl = root->FindChild("cherubGirl", true)))
        m_CherubGirl->AddToGroup(this);
    if (RetrieveBoolProperty("enableBonusTimer", false))
        m_BonusTimer = root->FindChild("WoppleBonusTimer", true);

    m_CocoDropButton = dynamic_cast<CocoDropButton*>(root->FindChild("cocoDropButton", true));
    VELK_ASSERT(m_CocoDropButton != 0);
    m_CocoDropButton->AddToGroup(this);

    if ((m_CherubBucketGuy = root->FindChild("cherubBucketGuy", true)))
        m_CherubBucketGuy->AddToGroup(this);
    m_PatternNameLabel = dynamic_cast<Label*>(root->FindChild("patternNameLabel", true));
    m_AmbientLoop = dynamic_cast<AmbientLoop*>(root->FindChild("ambientLoop", true));
    m_Messages->SetCharacters(dynamic_cast<WoppleTalkingCharacter*>(m_CherubGirl),
                              dynamic_cast<WoppleTalkingCharacter*>(m_CherubBucketGuy));

    if ((m_TreasureBoxManager = root->FindChild("treasureBoxManager", true))) {
        LuaObject details = RetrieveProperty("treasureBoxManagerDetails");
        if (details.IsTable())
            m_TreasureBoxManager->ApplyProperties(details);
        InitTreasureBoxes();
        m_ButterflyBox = root->FindChild("butterflyBox", true);
        VELK_ASSERT(m_ButterflyBox != 0);
    }

    if (auto* powerups = dynamic_cast<WopplePowerupView*>(root->FindChild("wopplePowerupView_0", true)))
        powerups->AddListenerToItems(this);

    DrawBoardNumbers();
}

void WoppleOldSchoolBaseLogic::InitBoardViews()
{
    CreateBoardViews();
    LoadBonusSquares();
}

void WoppleOldSchoolBaseLogic::DrawBoardNumbers()
{
    m_AssignedNumbers.AssignNewTable(ObjectLuaState());
    WoppleBoardView* first = GetBoardView(1);
    if (!first)
        return;
    const int width = first->GetNumColumns();
    const int height = std::min(first->GetNumRows(), 15);
    for (int b = 1; b <= GetNumBoards(); ++b) {
        LuaObject board;
        board.AssignNewTable(ObjectLuaState());
        for (int c = 1; c <= width; ++c) {
            int numbers[15];
            std::iota(numbers, numbers + 15, 15 * (c - 1) + 1);
            for (int i = 0; i < 15; ++i)
                std::swap(numbers[i], numbers[RandomInt(i + 1)]);
            LuaObject column;
            column.AssignNewTable(ObjectLuaState());
            for (int r = 1; r <= height; ++r) {
                LuaObject n;
                n.AssignInteger(ObjectLuaState(), numbers[r - 1]);
                column.SetObject(r, n);
            }
            board.SetObject(c, column);
        }
        m_AssignedNumbers.SetObject(b, board);
    }
}

void WoppleOldSchoolBaseLogic::ResetBoardViews()
{
    if (m_AssignedNumbers.IsTable())
        for (int b = 1; b < static_cast<int>(m_BoardViews.size()); ++b) {
            WoppleBoardView* board = m_BoardViews[b];
            LuaObject columns = m_AssignedNumbers[b];
            if (!board || !columns.IsTable())
                continue;
            for (int c = 1; c <= board->GetNumColumns(); ++c) {
                LuaObject rows = columns[c];
                for (int r = 1; rows.IsTable() && r <= board->GetNumRows(); ++r)
                    if (WoppleCellView* cell = board->GetCellView(c, r); cell && rows[r].IsInteger())
                        cell->SetCellNumber(rows[r].GetInteger());
            }
        }
    if (m_WheelsView)
        for (int i = 1; i <= m_WheelsView->GetNumWheels(); ++i)
            if (WoppleWheelView* wheel = m_WheelsView->GetWheelView(i))
                wheel->BuildSymbolImages();
}

void WoppleOldSchoolBaseLogic::SetLevelName()
{
    WoppleLevelSetup(m_BoardViews, WoppleLevelSetup::ReadProperties(*this)).SetLevelName(*this, m_BoardRecords);
    LuaObject mapName = RetrieveProperty("mapName");
    m_LevelName = mapName.IsString() ? mapName.GetString() : std::string("Classic Mode");
}

void WoppleOldSchoolBaseLogic::LoadBonusSquares()
{
    WoppleLevelSetup setup(m_BoardViews, WoppleLevelSetup::ReadProperties(*this));
    setup.LoadBonusSquares();
    setup.ConnectBoards();
}

void WoppleOldSchoolBaseLogic::ResetLevelCounters()
{
    SetSpinCount(0);
    m_SpinsPerLevel = 20;
    SetCountdown(0);
    m_WopplesThisRound = 0;
}

void WoppleOldSchoolBaseLogic::ClearAllWheelSquares()
{
    if (m_WheelsView)
        m_WheelsView->ClearAllSquares();
}

void WoppleOldSchoolBaseLogic::ResetDevilValues()
{
    m_DevilLimit = 4;
    m_DevilTakingLimit = 2;
    m_DevilLimitReached = false;
    m_DevilsSeen = 0;
    m_DevilsThatTookPoints = 0;
}

int WoppleOldSchoolBaseLogic::GetNumWheels() const
{
    return m_WheelsView ? m_WheelsView->GetNumWheels() : 5;
}

void WoppleOldSchoolBaseLogic::InitParticipants()
{
    m_Participants.assign(m_NumParticipants, ParticipantRecord{});
    for (auto& logic : m_ParticipantLogics)
        if (logic)
            logic.release()->Destroy();
    m_ParticipantLogics.clear();
    m_ParticipantLogics.resize(m_NumParticipants);
    Actor* root = GetRootActor();
    for (int i = 0; root && i < m_NumParticipants; ++i) {
        if (Actor* container = root->FindChild(Formatted("scoreLabelContainer_%1%", i), true)) {
            m_Participants[i].scoreCounter = dynamic_cast<ScoreCounter*>(container->FindChild("scoreCounter"));
            if (m_Participants[i].scoreCounter)
                m_Participants[i].scoreCounter->MatchTargetSize();
        }
        auto* powerupView = dynamic_cast<WopplePowerupView*>(root->FindChild(Formatted("wopplePowerupView_%1%", i), true));
        VELK_ASSERT(powerupView != 0);
        m_Participants[i].powerupView = powerupView;
        m_ParticipantLogics[i].reset(CreateParticipantLogic(i));
        if (WoppleParticipantLogic* participant = m_ParticipantLogics[i].get()) {
            participant->SetGameLogic(this);
            participant->Start();
        }
    }
    SetCurrentParticipant(0);
}

// ---------------------------------------------------------------- the round's data

WoppleBoardView* WoppleOldSchoolBaseLogic::GetBoardView(int index) const
{
    const int count = static_cast<int>(m_BoardViews.size()) - 1;
    if (index < 0)
        index = count + index + 1;
    if (index < 1 || index > count)
        return nullptr;
    return m_BoardViews[index];
}

int WoppleOldSchoolBaseLogic::GetSuperJokerColumn(int boardIndex) const
{
    if (!m_WheelsView || boardIndex < 1 || boardIndex >= static_cast<int>(m_BoardRecords.size()))
        return 0;
    int column = 0;
    for (int i = 1; i <= m_WheelsView->GetNumWheels() && !column; ++i)
        if (WoppleWheelView* wheel = m_WheelsView->GetWheelView(i); wheel && wheel->GetWheelType(false) == kWheelSuperJoker)
            column = i;
    const BoardRecord& record = m_BoardRecords[boardIndex];
    if (!column || record.jokerServed == 1 ||
        (column < static_cast<int>(record.usedColumns.size()) && record.usedColumns[column]))
        return 0;
    WoppleBoardView* board = GetBoardView(boardIndex);
    if (!board)
        return 0;
    bool open = false;
    for (int c = 1; c <= board->GetNumColumns() && !open; ++c)
        for (int r = 1; r <= board->GetNumRows() && !open; ++r)
            if (WoppleCellView* cell = board->GetCellView(c, r))
                open = cell->isNumberShown;
    return open ? column : 0;
}

bool WoppleOldSchoolBaseLogic::AnyBoardOffersSuperJoker() const
{
    for (int b = 1; b <= GetNumBoards(); ++b)
        if (GetSuperJokerColumn(b))
            return true;
    return false;
}

bool WoppleOldSchoolBaseLogic::IsCellAvailableForMatching(int boardIndex, int column, int row) const
{
    WoppleBoardView* board = GetBoardView(boardIndex);
    if (!board)
        return false;
    boardIndex = board->boardIndex > 0 ? board->boardIndex : boardIndex;
    if (column < 0)
        column = board->GetNumColumns() + column + 1;
    if (row < 0)
        row = board->GetNumRows() + row + 1;
    if (column < 1 || column > board->GetNumColumns() || row < 1 || row > board->GetNumRows())
        return false;
    WoppleCellView* cell = board->GetCellView(column, row);
    if (!cell || !cell->isNumberShown)
        return false;
    const BoardRecord* record =
        boardIndex < static_cast<int>(m_BoardRecords.size()) ? &m_BoardRecords[boardIndex] : nullptr;
    if (record && record->jokerServed == 1)
        return false;
    if (GetSuperJokerColumn(boardIndex) || m_ActiveCellJoker)
        return true;
    if (record && column < static_cast<int>(record->usedColumns.size()) && record->usedColumns[column])
        return false;
    WoppleWheelView* wheel = m_WheelsView ? m_WheelsView->GetWheelView(column) : nullptr;
    if (!wheel)
        return false;
    const int type = wheel->GetWheelType(false);
    if (type == kWheelJoker)
        return true;
    if (type != kWheelNumber)
        return false;
    return wheel->GetWheelNumber() == cell->number;
}

WoppleWheelView* WoppleOldSchoolBaseLogic::GetWheelForCell(const LuaObject& cellData) const
{
    if (!m_WheelsView)
        return nullptr;
    if (AnyBoardOffersSuperJoker()) {
        for (int i = 1; i <= m_WheelsView->GetNumWheels(); ++i)
            if (WoppleWheelView* wheel = m_WheelsView->GetWheelView(i); wheel && wheel->GetWheelType(false) == kWheelSuperJoker)
                return wheel;
        return nullptr;
    }
    LuaObject column = cellData.IsTable() ? cellData["cellPosition"] : LuaObject();
    column = column.IsTable() ? column["column"] : LuaObject();
    if (!column.IsInteger() || column.GetInteger() < 1 || column.GetInteger() > m_WheelsView->GetNumWheels())
        return nullptr;
    return m_WheelsView->GetWheelView(column.GetInteger());
}

void WoppleOldSchoolBaseLogic::HiliteWheelForCell(const LuaObject& cellData)
{
    if (m_ActiveCellJoker)
        return;
    if (WoppleWheelView* wheel = GetWheelForCell(cellData))
        wheel->ShowHilite();
}

void WoppleOldSchoolBaseLogic::UnhiliteWheelForCell(const LuaObject& cellData)
{
    if (WoppleWheelView* wheel = GetWheelForCell(cellData))
        wheel->HideHilite();
}

void WoppleOldSchoolBaseLogic::SetFreeSpins(std::int32_t count, std::uint32_t participant)
{
    if (participant == kNoParticipant)
        participant = m_CurrentParticipant;
    Log(3, "*** SetFreeSpins = %d, participantIndex = %d\n", count, static_cast<int>(participant));
    if (participant < m_Participants.size())
        m_Participants[participant].freeSpins = count;
}

std::int32_t WoppleOldSchoolBaseLogic::GetFreeSpins(std::uint32_t participant)
{
    if (participant == kNoParticipant)
        participant = m_CurrentParticipant;
    const std::int32_t count = participant < m_Participants.size() ? m_Participants[participant].freeSpins : 0;
    Log(3, "*** GetFreeSpins = %d, participantIndex = %d\n", count, static_cast<int>(participant));
    return count;
}

WopplePowerupView* WoppleOldSchoolBaseLogic::GetPowerupView(int participant) const
{
    if (participant == -1)
        participant = static_cast<int>(m_CurrentParticipant);
    if (participant < 0 || participant >= m_NumParticipants || participant >= static_cast<int>(m_Participants.size()))
        VELK_THROW(Exception, Formatted("A participant does not exist at index=%1%", participant));
    return m_Participants[participant].powerupView;
}

bool WoppleOldSchoolBaseLogic::HasDevilProtection() const
{
    return m_CurrentParticipant < m_Participants.size() && m_Participants[m_CurrentParticipant].devilProtection;
}

std::int64_t WoppleOldSchoolBaseLogic::GetScore(std::uint32_t participant) const
{
    if (participant == kNoParticipant)
        participant = m_CurrentParticipant;
    return participant < m_Participants.size() ? m_Participants[participant].score : 0;
}

int WoppleOldSchoolBaseLogic::GetTotalMultiplier() const
{
    // Multipliers add; they do not multiply each other.
    int multiplier = m_WheelsView ? m_WheelsView->GetTotalMultiplier() : 0;
    for (std::size_t b = 1; b < m_BoardViews.size(); ++b)
        if (m_BoardViews[b])
            multiplier += m_BoardViews[b]->GetTotalMultiplier();
    return std::max(multiplier, 1);
}

void WoppleOldSchoolBaseLogic::AddScore(std::int64_t points)
{
    if (m_CurrentParticipant >= m_Participants.size())
        return;
    ParticipantRecord& record = m_Participants[m_CurrentParticipant];
    record.score += points * GetTotalMultiplier();
    if (record.scoreCounter)
        record.scoreCounter->CountTo(record.score, false);
    for (std::size_t b = 1; b < m_BoardViews.size(); ++b)
        if (m_BoardViews[b])
            m_BoardViews[b]->FlashMultipliers();
    if (m_WheelsView)
        m_WheelsView->FlashMultipliers();
}

void WoppleOldSchoolBaseLogic::SetScore(std::int64_t points)
{
    SetScore(points, kNoParticipant);
}

void WoppleOldSchoolBaseLogic::SetScore(std::int64_t points, std::uint32_t participant)
{
    if (participant == kNoParticipant)
        participant = m_CurrentParticipant;
    if (participant >= m_Participants.size())
        return;
    ParticipantRecord& record = m_Participants[participant];
    record.score = points;
    if (record.scoreCounter)
        record.scoreCounter->CountTo(points, false);
}

void WoppleOldSchoolBaseLogic::ShowScoreFlash(std::int64_t points, int x, int y, const std::string& flashResource)
{
    AddScore(points);
    const int multiplier = GetTotalMultiplier();
    const std::string text = multiplier < 2 ? Formatted("%1%", points * multiplier)
                                            : Formatted("%1% (%2%x)", points * multiplier, multiplier);
    if (m_TargetScreen)
        ShowOutlinedFlashText(text, x, y, flashResource, m_TargetScreen, true, 998);
}

void WoppleOldSchoolBaseLogic::SetAllScores(std::int64_t score, bool animate)
{
    for (ParticipantRecord& record : m_Participants) {
        record.score = score;
        if (record.scoreCounter)
            record.scoreCounter->SetScore(score, !animate);
    }
}

void WoppleOldSchoolBaseLogic::SetSpinCount(int count)
{
    m_SpinCount = count;
    if (m_SpinCountLabel)
        m_SpinCountLabel->SetText(Formatted("%1%", count), true);
}

void WoppleOldSchoolBaseLogic::SetCountdown(int seconds)
{
    m_CountdownSeconds = seconds;
    if (m_TimerLabel)
        m_TimerLabel->SetText(Formatted("%1%", seconds), true);
}

void WoppleOldSchoolBaseLogic::PresentSpinLever(bool flashing)
{
    if (m_CocoDropButton)
        m_CocoDropButton->Present(flashing);
}

void WoppleOldSchoolBaseLogic::SetWoppleVision(int turns, bool animate)
{
    m_WoppleVisionTurns = std::max(turns, 0);
    for (std::size_t b = 1; b < m_BoardViews.size(); ++b)
        if (m_BoardViews[b])
            m_BoardViews[b]->SetWoppleVision(m_WoppleVisionTurns > 0, animate);
    if (const double tempo = GetMusicTempo(); tempo <= 2.0)
        MusicManager::SetMasterTempo(static_cast<float>(tempo));
    if (m_CurrentParticipant >= m_Participants.size())
        return;
    if (WopplePowerupView* bar = m_Participants[m_CurrentParticipant].powerupView) {
        if (m_WoppleVisionTurns > 0 && bar->HasPowerup("woppleVision"))
            bar->UpdatePowerup("", "woppleVision", m_WoppleVisionTurns);
        else if (m_WoppleVisionTurns > 0)
            bar->AddPowerup("", "woppleVision", m_WoppleVisionTurns);
        else
            bar->RemovePowerup("woppleVision");
    }
}

// ---------------------------------------------------------------- messages

Actor* WoppleOldSchoolBaseLogic::SayGameMessage(int id, Object* listener, const std::string& text1,
                                                const std::string& text2, const std::string& text3)
{
    return ActorOf(m_Messages->SayGameMessage(id, listener, text1, text2, text3));
}

Actor* WoppleOldSchoolBaseLogic::SayWithScript(int id, const std::string& script)
{
    WoppleTalkingCharacter* speaker = m_Messages->GetSpeakerForMessage(id);
    Actor* actor = speaker ? speaker->GetCharacterActor() : nullptr;
    if (actor)
        actor->RunScript(script, "Speaking");
    return actor;
}

void WoppleOldSchoolBaseLogic::KillMessage(int id, Object* listener)
{
    m_Messages->KillMessage(id, listener);
}

void WoppleOldSchoolBaseLogic::CloseCherubSpeech()
{
    WoppleTalkingCharacter* cherub = m_Messages->GetCherub();
    Actor* actor = ActorOf(cherub);
    if (!actor)
        return;
    cherub->CloseBubble();
    actor->StopScriptsWithTag("Babble");
    actor->RunScript("GuyCherubPopIn", "Babble");
}

// ---------------------------------------------------------------- input

bool WoppleOldSchoolBaseLogic::OnButtonClick(const EventRecord& event)
{
    auto* button = static_cast<Actor*>(event.user.data1);
    const std::string name = button ? button->GetName() : std::string();
    auto* screen = dynamic_cast<WoppleScreen*>(m_TargetScreen);
    if (name == "cherubBucketGuy")
        return true;
    if (name == "cherubGirl") {
        if (!m_CurrentState || GetStateName() != "ProcessEndGame")
            SayGameMessage(kClickGirlCherub, nullptr, "", "", "");
    } else if (screen && std::find(std::begin(kPowerupItems), std::end(kPowerupItems), name) != std::end(kPowerupItems)) {
        const Rect r = button->GetGlobalRect();
        const int x = r.x + r.w - 9;
        const int y = r.y + r.h / 2;
        if (name == "Multiplier") {
            screen->PointOutFormatted("powerupHelp", name, x, y, Formatted("%1%", GetTotalMultiplier()), true);
        } else if (name == "woppleVision") {
            if (m_WoppleVisionTurns == 1)
                screen->PointOutOneThing("powerupHelp", "woppleVisionSingular", x, y, true);
            else
                screen->PointOutFormatted("powerupHelp", name, x, y, Formatted("%1%", m_WoppleVisionTurns), true);
        } else {
            screen->PointOutOneThing("powerupHelp", name, x, y, true);
        }
    } else if (screen && m_WheelsView && name.size() == 12 && name.compare(0, 11, "wheelButton") == 0 &&
               name[11] >= '1' && name[11] <= '7') {
        for (int i = 1; i <= m_WheelsView->GetNumWheels(); ++i) {
            WoppleWheelView* wheel = m_WheelsView->GetWheelView(i);
            if (!wheel || !wheel->FindChild(name, true))
                continue;
            const std::string type = wheel->GetWheelTypeName(false);
            const Rect r = button->GetGlobalRect();
            const int x = r.x + r.w / 2 - 2;
            const int y = r.y + 12;
            if (type == "WheelTypeMultiplier")
                screen->PointOutFormatted("wheelHelp", type, x, y, Formatted("%1%", wheel->GetMultiplier()), true);
            else
                screen->PointOutOneThing("wheelHelp", type, x, y, true);
            break;
        }
    }
    return WoppleGameLogic::OnButtonClick(event);
}

bool WoppleOldSchoolBaseLogic::OnKeyDown(const EventRecord& event)
{
    if (!IsOnlyCtrlAltPressed(event.key.keysym.mod))
        return false;
    const int key = event.key.keysym.sym;
    if (key != 'e' && key != 'j' && key != 's')
        return false;
    const std::string state = m_CurrentState ? GetStateName() : std::string();
    // Jumping to full boards, or changing the reels or the boards, mid-animation
    // or before the round has started leaves the states waiting for something
    // that never comes.
    if (!IsRestingState(state)) {
        Log(3, "Developer key '%c' ignored in state \"%s\"\n", key, state.c_str());
        return false;
    }
    if (key == 'e') {
        // The participant's request is withdrawn: the round ends here.
        ReturnParticipantToIdle();
        SetState("ProcessFullBoards");
    }
    else if (key == 'j')
        m_JokerTest = !m_JokerTest;
    else
        SetWoppleVision(m_WoppleVisionTurns > 0 ? 0 : 30);
    return false;
}

// ---------------------------------------------------------------- scripts

int WoppleOldSchoolBaseLogic::Script_GetBoardView(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        WoppleOldSchoolBaseLogic* logic = RequireLogic(L);
        const int index = static_cast<int>(luaL_checkinteger(L, 2));
        WoppleBoardView* board = index == 0 ? nullptr : logic->GetBoardView(index);
        if (!board)
            VELK_THROW(Exception, Formatted("There is no board at index=%1%", index));
        board->GetLuaObject().Push(LuaState(L));
        return 1;
    });
}

int WoppleOldSchoolBaseLogic::Script_GetNumBoards(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        lua_pushinteger(L, RequireLogic(L)->GetNumBoards());
        return 1;
    });
}

int WoppleOldSchoolBaseLogic::Script_StartScoreFlash(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        WoppleOldSchoolBaseLogic* logic = RequireLogic(L);
        const std::string text = luaL_checkstring(L, 2);
        Point<int> at;
        TypeConversion::Retrieve(TYPE_POINT, LuaObject(LuaState(L), 3), &at);
        const std::string flash = lua_type(L, 4) == LUA_TSTRING ? lua_tostring(L, 4) : "DefaultScoreFlash";
        if (logic->m_TargetScreen)
            ShowOutlinedFlashText(text, at.x, at.y, flash, logic->m_TargetScreen, true, 998);
        return 0;
    });
}

int WoppleOldSchoolBaseLogic::Script_IsCellAvailableForMatching(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        WoppleOldSchoolBaseLogic* logic = RequireLogic(L);
        const int board = static_cast<int>(luaL_checkinteger(L, 2));
        const int column = static_cast<int>(luaL_checkinteger(L, 3));
        const int row = static_cast<int>(luaL_checkinteger(L, 4));
        lua_pushboolean(L, board != 0 && column != 0 && row != 0 &&
                               logic->IsCellAvailableForMatching(board, column, row));
        return 1;
    });
}

int WoppleOldSchoolBaseLogic::Script_SayMessage(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        WoppleOldSchoolBaseLogic* logic = RequireLogic(L);
        const bool nameIsString = lua_type(L, 2) == LUA_TSTRING;
        if (!nameIsString)
            throw Exception(__FILE__, __LINE__, "WoppleOldSchoolBaseLogic::SayMessage", __DATE__, __TIME__,
                            AssertionText("env->Stack(2).IsString()"));
        const int messageID = WoppleGameMessages::GetMessageId(lua_tostring(L, 2));
        if (messageID == 0)
            throw Exception(__FILE__, __LINE__, "WoppleOldSchoolBaseLogic::SayMessage", __DATE__, __TIME__,
                            AssertionText("messageID != 0"));
        Object* listener = Object::FromLua(L, 3);
        auto text = [L](int index) { return lua_type(L, index) == LUA_TSTRING ? std::string(lua_tostring(L, index)) : std::string(); };
        Actor* speaker = logic->SayGameMessage(messageID, listener, text(4), text(5), text(6));
        if (speaker)
            speaker->GetLuaObject().Push(LuaState(L));
        else
            lua_pushnil(L);
        return 1;
    });
}

int WoppleOldSchoolBaseLogic::Script_GetTreasureBoxManager(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        WoppleOldSchoolBaseLogic* logic = RequireLogic(L);
        if (logic->m_TreasureBoxManager)
            logic->m_TreasureBoxManager->GetLuaObject().Push(LuaState(L));
        else
            lua_pushnil(L);
        return 1;
    });
}
