#include "game/views/WoppleAnimation.h"

#include "engine/core/Class.h"
#include "engine/core/Exception.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TimerManager.h"
#include "engine/core/TypeConversion.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/Sound.h"
#include "engine/ui/ParticleEmitter.h"
#include "engine/ui/Screen.h"
#include "engine/ui/ScreenManager.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "game/rules/WoppleGameEvents.h"
#include "game/views/WoppleVisionLabel.h"

#include <algorithm>
#include <functional>
#include <utility>

const char* const kScoreFlashSound = "Pickup_GemBells04.ogg";

namespace {

const char* const kTimerGroup = "default";
const int kScoreFlashZOrder = 998;
const int kScoreFlashHoldMilliseconds = 150;
const int kPatternTogglePeriod = 150;
const int kPatternToggles = 6;
const char* const kParticleManagerName = "CellParticleManager";
const int kParticleZOrder = 996;

// A named state that calls back its owner on entry.
class CallbackState : public State
{
public:
    CallbackState(std::string name, std::function<void()> onEnter)
        : m_Name(std::move(name)), m_OnEnter(std::move(onEnter))
    {
    }
    std::string GetName() const override { return m_Name; }
    void OnEnterState() override
    {
        if (m_OnEnter)
            m_OnEnter();
    }

private:
    std::string m_Name;
    std::function<void()> m_OnEnter;
};

// Steps of a run of n cells one way and m the other: the longer way, the
// reverse run counting one behind.
int StepsOf(std::size_t n, std::size_t m)
{
    return static_cast<int>(n > m + 1 ? n : m + 1);
}

// One period of a line's run; a run needs two cells, or the period has no sense.
int LinePeriod(std::size_t n, std::size_t m)
{
    VELK_ASSERT_MSG(n + m >= 2, "A line animation needs at least two cells");
    return 200 / static_cast<int>(n + m - 1);
}

void FreeTimerId(std::uint32_t& timerId)
{
    if (timerId == 0)
        return;
    if (TimerManager* timers = TimerManager::GetInstance())
        timers->FreeTimer(timerId);
    timerId = 0;
}

std::uint32_t MakeTimer(EventReceiver* receiver, int period, int signals)
{
    TimerManager* timers = TimerManager::GetInstance();
    VELK_ASSERT_MSG(timers != nullptr, "The animations need the timer manager");
    return timers->CreateTimer(receiver, static_cast<std::uint32_t>(period), signals, TIMER_REAL_TIME, kTimerGroup);
}

void LightCellOverlay(WoppleCellView* cell, Image* overlayImage, const std::string& particleName)
{
    if (!cell || !cell->woppleOverlay)
        return;
    cell->woppleOverlay->SetImage(overlayImage ? overlayImage->Clone() : nullptr, std::string());
    cell->woppleOverlay->UpdateAlignment();
    cell->woppleOverlay->SetVisible(true);
    if (!particleName.empty())
        StartCellParticleEmitter(particleName, CellCenter(*cell));
}

void HideCellOverlay(WoppleCellView* cell)
{
    if (cell && cell->woppleOverlay)
        cell->woppleOverlay->SetVisible(false);
}

template <typename Container>
WoppleCellView* At(const Container& cells, int i)
{
    if (i < 0 || i >= static_cast<int>(cells.size()))
        return nullptr;
    return cells[static_cast<std::size_t>(i)];
}

// Both runs at place i: the forward cell i and the reverse cell i - 1.
void ForPlace(const std::vector<WoppleCellView*>& cells, const std::vector<WoppleCellView*>& reverseCells, int i,
              const std::function<void(WoppleCellView*)>& action)
{
    if (WoppleCellView* cell = At(cells, i))
        action(cell);
    if (WoppleCellView* cell = At(reverseCells, i - 1))
        action(cell);
}

} // namespace

// ---------------------------------------------------------------- helpers

Point<int> CellCenter(const WoppleCellView& cell)
{
    const Rect rect = cell.GetGlobalRect();
    return Point<int>(rect.x + rect.w / 2, rect.y + rect.h / 2);
}

Point<int> FindGlobalCenterPointAmongCells(const std::vector<WoppleCellView*>& cells)
{
    auto cellIter = cells.begin();
    VELK_ASSERT(cellIter != cells.end());
    Rect bounds = (*cellIter)->GetGlobalRect();
    int left = bounds.x;
    int top = bounds.y;
    int right = bounds.x + bounds.w;
    int bottom = bounds.y + bounds.h;
    for (++cellIter; cellIter != cells.end(); ++cellIter) {
        const Rect rect = (*cellIter)->GetGlobalRect();
        left = std::min(left, static_cast<int>(rect.x));
        top = std::min(top, static_cast<int>(rect.y));
        right = std::max(right, rect.x + rect.w);
        bottom = std::max(bottom, rect.y + rect.h);
    }
    return Point<int>(left + (right - left) / 2, top + (bottom - top) / 2);
}

void StartCellParticleEmitter(const std::string& effectName, const Point<int>& at)
{
    ScreenManager* screens = ScreenManager::GetInstance();
    Screen* screen = screens ? screens->GetCurrentScreen() : nullptr;
    if (!screen)
        return;
    Actor* particles = screen->FindChild(kParticleManagerName, false);
    if (!particles) {
        auto manager = std::make_unique<ParticleManager>();
        manager->SetZOrder(kParticleZOrder);
        particles = manager.get();
        screen->AddChild(manager.release(), kParticleManagerName);
    }
    auto emitter = std::make_unique<IdenticalParticleEmitter>(effectName, particles);
    emitter->SetDestroyWhenStopped(true);
    emitter->SetZOrder(kParticleZOrder);
    IdenticalParticleEmitter* raw = emitter.get();
    screen->AddChild(emitter.release());
    const Point<int> local = screen->GlobalToLocal(at);
    raw->SetPosition(local.x - raw->GetWidth() / 2, local.y - raw->GetHeight() / 2);
    raw->Start();
}

namespace {

Actor* ShowScoreFlashAt(const std::string& text, const Point<int>& at, const std::string& resource, Actor* parent)
{
    Actor* flash = ShowOutlinedFlashText(text, at.x, at.y, resource, parent, false, 0);
    if (flash)
        flash->SetZOrder(kScoreFlashZOrder);
    Sound::Play(kScoreFlashSound, false);
    return flash;
}

} // namespace

// ---------------------------------------------------------------- WoppleAnimation

WoppleAnimation::WoppleAnimation(std::vector<WoppleCellView*> cells, std::vector<WoppleCellView*> reverseCells)
    : cells(std::move(cells)), reverseCells(std::move(reverseCells))
{
    AddState(new CallbackState("HasNotStarted", nullptr), true);
    AddState(new CallbackState("ProcessingCells", [this] { EnterProcessingCells(); }), true);
    AddState(new CallbackState("DisplayingScoreFlash", [this] { EnterDisplayingScoreFlash(); }), true);
    SetState("HasNotStarted");
}

WoppleAnimation::~WoppleAnimation()
{
    try {
        FreeTimer();
    } catch (...) {
    }
}

void WoppleAnimation::FreeTimer()
{
    FreeTimerId(timerId);
}

int WoppleAnimation::GetNumSteps() const
{
    return StepsOf(cells.size(), reverseCells.size());
}

int WoppleAnimation::GetTimerPeriod() const
{
    return LinePeriod(cells.size(), reverseCells.size());
}

void WoppleAnimation::Start()
{
    VELK_ASSERT_MSG(m_ScoreFlashParent != 0, "m_ScoreFlashParent must be set before calling WoppleAnimation::Start");
    VELK_ASSERT_MSG(m_ScoreFlashResource != "",
                    "m_ScoreFlashResource must be set before calling WoppleAnimation::Start");
    VELK_ASSERT_MSG(m_CellOverlayImage != 0, "m_CellOverlayImage must be set before calling WoppleAnimation::Start");
    GetTimerPeriod();
    SetState("ProcessingCells");
}

void WoppleAnimation::EnterProcessingCells()
{
    ticks = 0;
    FreeTimer();
    timerId = MakeTimer(this, GetTimerPeriod(), 2 * GetNumSteps());
}

void WoppleAnimation::EnterDisplayingScoreFlash()
{
    const std::vector<WoppleCellView*>& run = cells.size() > reverseCells.size() ? cells : reverseCells;
    if (!run.empty() && run.back())
        scoreFlash = ShowScoreFlashAt(scoreText, CellCenter(*run.back()), m_ScoreFlashResource, m_ScoreFlashParent);
    timerId = MakeTimer(this, kScoreFlashHoldMilliseconds, 1);
}

void WoppleAnimation::LightCell(WoppleCellView* cell)
{
    LightCellOverlay(cell, m_CellOverlayImage.get(), particleName);
}

bool WoppleAnimation::OnTimer(const EventRecord& event)
{
    if (timerId == 0 || TimerIDOfEvent(event) != timerId)
        return Object::OnTimer(event);
    if (GetStateName() == "DisplayingScoreFlash") {
        FreeTimer();
        NotifyObservers(WOPPLE_WOPPLEANIMATIONFINISHED, nullptr, false);
        return true;
    }
    const int steps = GetNumSteps();
    const int r = 2 * steps - ++ticks;
    if (r >= steps)
        ForPlace(cells, reverseCells, 2 * steps - r - 1, [this](WoppleCellView* cell) { LightCell(cell); });
    else
        ForPlace(cells, reverseCells, steps - r - 1, HideCellOverlay);
    if (r <= 0) {
        FreeTimer();
        SetState("DisplayingScoreFlash");
    }
    return true;
}

// ---------------------------------------------------------------- ReverseWoppleAnimation

ReverseWoppleAnimation::ReverseWoppleAnimation(std::vector<WoppleCellView*> cells,
                                               std::vector<WoppleCellView*> reverseCells)
    : cells(std::move(cells)), reverseCells(std::move(reverseCells))
{
    AddState(new CallbackState("HasNotStarted", nullptr), true);
    AddState(new CallbackState("ProcessingCells", [this] { EnterProcessingCells(); }), true);
    SetState("HasNotStarted");
}

ReverseWoppleAnimation::~ReverseWoppleAnimation()
{
    try {
        FreeTimerId(timerId);
    } catch (...) {
    }
}

int ReverseWoppleAnimation::GetTimerPeriod() const
{
    return LinePeriod(cells.size(), reverseCells.size());
}

void ReverseWoppleAnimation::Start()
{
    VELK_ASSERT(m_CellOverlayImage != 0);
    GetTimerPeriod();
    SetState("ProcessingCells");
}

void ReverseWoppleAnimation::EnterProcessingCells()
{
    ticks = 0;
    FreeTimerId(timerId);
    timerId = MakeTimer(this, GetTimerPeriod(), 2 * StepsOf(cells.size(), reverseCells.size()));
}

bool ReverseWoppleAnimation::OnTimer(const EventRecord& event)
{
    if (timerId == 0 || TimerIDOfEvent(event) != timerId)
        return Object::OnTimer(event);
    const int steps = StepsOf(cells.size(), reverseCells.size());
    const int r = 2 * steps - ++ticks;
    if (r >= steps)
        ForPlace(cells, reverseCells, r - steps, [this](WoppleCellView* cell) {
            LightCellOverlay(cell, m_CellOverlayImage.get(), particleName);
        });
    else
        ForPlace(cells, reverseCells, r, HideCellOverlay);
    if (r <= 0) {
        FreeTimerId(timerId);
        NotifyObservers(WOPPLE_WOPPLEREVERSEANIMATIONFINISHED, nullptr, false);
    }
    return true;
}

// ---------------------------------------------------------------- WopplePatternCompletionAnimation

WopplePatternCompletionAnimation::WopplePatternCompletionAnimation(WoppleBoardView* boardView)
{
    if (!boardView)
        return;
    for (int c = 1; c <= boardView->GetNumColumns(); ++c)
        for (int r = 1; r <= boardView->GetNumRows(); ++r)
            if (WoppleCellView* cell = boardView->GetCellView(c, r))
                if (cell->isPatternCell)
                    patternCells.push_back(cell);
}

WopplePatternCompletionAnimation::~WopplePatternCompletionAnimation()
{
    try {
        FreeTimerId(timerId);
    } catch (...) {
    }
}

void WopplePatternCompletionAnimation::Start()
{
    ticks = 0;
    FreeTimerId(timerId);
    timerId = MakeTimer(this, kPatternTogglePeriod, kPatternToggles);
}

bool WopplePatternCompletionAnimation::OnTimer(const EventRecord& event)
{
    if (timerId == 0 || TimerIDOfEvent(event) != timerId)
        return Object::OnTimer(event);
    const int r = kPatternToggles - ++ticks;
    for (WoppleCellView* cell : patternCells) {
        Actor* overlay = cell->patternCompletionOverlay;
        if (!overlay)
            continue;
        overlay->SetVisible(!overlay->IsVisible());
        if (overlay->IsVisible() && r >= kPatternToggles - 1)
            StartCellParticleEmitter("RainbowBurstEffect", CellCenter(*cell));
    }
    if (r <= 0) {
        NotifyObservers(WOPPLE_PATTERNCOMPLETIONANIMATIONFINISHED, nullptr, false);
        FreeTimerId(timerId);
    }
    return true;
}

// ---------------------------------------------------------------- SuperWoppleAnimation

namespace {

SuperWoppleAnimation* RequireSuper(lua_State* L)
{
    return RequireScriptObject<SuperWoppleAnimation>(L, 1, "a super line animation");
}

int Script_GetArrayOfCells(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireSuper(L)->GetArrayOfCells().Push(LuaState(L));
        return 1;
    });
}

int Script_GetArrayOfReverseCells(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireSuper(L)->GetArrayOfReverseCells().Push(LuaState(L));
        return 1;
    });
}

int Script_SpawnParticleEmitterForCell(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireSuper(L);
        auto* cell = RequireScriptObject<WoppleCellView>(L, 2, "a cell view");
        StartCellParticleEmitter(luaL_checkstring(L, 3), CellCenter(*cell));
        return 0;
    });
}

int Script_PlayScoreFlash(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireSuper(L)->PlayScoreFlash();
        return 0;
    });
}

int Script_NotifyObserversOfCompletedAnimation(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireSuper(L)->NotifyObservers(WOPPLE_SUPERWOPPLEANIMATIONFINISHED, nullptr, false);
        return 0;
    });
}

LuaObject ArrayOf(const std::list<WoppleCellView*>& cells)
{
    LuaState state = ObjectLuaState();
    LuaObject array(state);
    array.AssignNewTable(state, static_cast<int>(cells.size()));
    int i = 1;
    for (WoppleCellView* cell : cells)
        array.SetObject(i++, cell->GetLuaObject());
    return array;
}

} // namespace

void SuperWoppleAnimationClassHook(Class* c)
{
    auto bouncing = MemberOf(&SuperWoppleAnimation::isBouncingWopple);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_BOOL, bouncing, "isBouncingWopple"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_BOOL, bouncing, "isBouncingWopple"));
    const struct
    {
        const char* name;
        lua_CFunction function;
    } methods[] = {
        {"GetArrayOfCells", Script_GetArrayOfCells},
        {"GetArrayOfReverseCells", Script_GetArrayOfReverseCells},
        {"SpawnParticleEmitterForCell", Script_SpawnParticleEmitterForCell},
        {"PlayScoreFlash", Script_PlayScoreFlash},
        {"NotifyObserversOfCompletedAnimation", Script_NotifyObserversOfCompletedAnimation},
    };
    for (const auto& method : methods) {
        c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter(method.name, method.function));
        c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter(method.name));
    }
}

VELK_REGISTER_CLASS(SuperWoppleAnimation, "Actor", SuperWoppleAnimationClassHook,
                    InstantiateObjectOfClass<SuperWoppleAnimation>);

SuperWoppleAnimation::SuperWoppleAnimation() = default;

SuperWoppleAnimation::SuperWoppleAnimation(const SuperWoppleAnimationInfo& info, Actor* scoreFlashParent,
                                           const std::string& scoreFlashResource, const std::string& scoreText)
    : cells(info.cells),
      reverseCells(info.reverseCells),
      isBouncingWopple(info.isBouncing),
      scoreFlashParent(scoreFlashParent),
      scoreFlashResource(scoreFlashResource),
      scoreText(scoreText)
{
}

void SuperWoppleAnimation::Start()
{
    StopScriptsWithTag("cell animations");
    RunScript("SuperWoppleAnimationScript", "cell animations");
}

void SuperWoppleAnimation::PlayScoreFlash()
{
    if (cells.empty())
        return;
    const std::vector<WoppleCellView*> all(cells.begin(), cells.end());
    ShowScoreFlashAt(scoreText, FindGlobalCenterPointAmongCells(all), scoreFlashResource, scoreFlashParent);
}

LuaObject SuperWoppleAnimation::GetArrayOfCells()
{
    if (!m_CellsArray.IsTable())
        m_CellsArray = ArrayOf(cells);
    return m_CellsArray;
}

LuaObject SuperWoppleAnimation::GetArrayOfReverseCells()
{
    if (!m_ReverseCellsArray.IsTable())
        m_ReverseCellsArray = ArrayOf(reverseCells);
    return m_ReverseCellsArray;
}
