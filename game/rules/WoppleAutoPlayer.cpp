#include "game/rules/WoppleAutoPlayer.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TimerManager.h"
#include "engine/runtime/Application.h"
#include "engine/ui/Button.h"
#include "engine/ui/ScreenManager.h"
#include "game/rules/WoppleGameLogicManager.h"
#include "game/rules/WoppleAIParticipantLogic.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"
#include "game/rules/WoppleParticipantLogic.h"
#include "game/shell/WoppleGameScreen.h"
#include "game/views/CocoDropButton.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "platform/audio/Audio.h"

#include <SDL.h>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <boost/format.hpp>


namespace {

constexpr std::uint32_t kPassMs = 32;

// The results are in once the round reaches its last state: recorded on entry.
bool IsRoundEnd(const std::string& state)
{
    return state == "ProcessEndGame";
}

bool IsCellRequest(const std::string& request)
{
    return request == "WaitForMatch" || request == "WaitForSuperJokerMatch" || request == "WaitForCellJokerMatch";
}

Button* FindVisibleButton(Actor* actor, const std::string& name)
{
    if (!actor || !actor->IsVisible())
        return nullptr;
    if (auto* button = dynamic_cast<Button*>(actor); button && button->GetName() == name && button->IsEnabled())
        return button;
    for (Actor* child : actor->GetChildren())
        if (Button* found = FindVisibleButton(child, name))
            return found;
    return nullptr;
}

// A line of /proc/self/status in kilobytes ("VmRSS:", "VmHWM:"); 0 when unknown.
long ProcessKilobytes(const char* key)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0)
            return std::strtol(line.c_str() + std::strlen(key), nullptr, 10);
    return 0;
}

int LuaKilobytes()
{
    Application* app = Application::GetInstance();
    return app ? lua_gc(app->GetLuaState().GetCState(), LUA_GCCOUNT, 0) : 0;
}

} // namespace

WoppleAutoPlayer::WoppleAutoPlayer(LogicSource source, const Options& options)
    : m_Source(std::move(source)), m_Options(options), m_Random(options.seed)
{
}

WoppleAutoPlayer::~WoppleAutoPlayer() = default;

void WoppleAutoPlayer::StartStepping()
{
    // A group of its own: a paused game still needs its dialogs answered.
    m_Timer.CreateOrRestart(this, kPassMs, -1, TIMER_LIMITED_TO_FRAMERATE, "AutoPlay");
}

void WoppleAutoPlayer::StopStepping()
{
    m_Timer.Free();
}

bool WoppleAutoPlayer::OnTimer(const EventRecord& event)
{
    if (!m_Timer.IsFrom(event))
        return false;
    Step();
    return true;
}

std::string WoppleAutoPlayer::Step()
{
    WoppleOldSchoolBaseLogic* logic = m_Source ? m_Source() : nullptr;
    if (!logic || logic->IsBeingDestroyed() || !logic->GetRootActor() || !logic->GetState())
        return StartRound();
    const std::string state = logic->GetStateName();
    if (IsRoundEnd(state)) {
        if (!m_AtRoundEnd) {
            m_AtRoundEnd = true;
            ++m_RoundsPlayed;
            // What a soak watches from round to round, and whether the level was won.
            TimerManager* timers = TimerManager::GetInstance();
            Log(2,
                "AutoPlay: the round is over in %s after spin %d with %lld points; round %d, %zu objects, %zu "
                "timers, %ld KB resident, %ld KB at most, %d KB of Lua; level %d %s\n",
                state.c_str(), logic->GetSpinCount(),
                static_cast<long long>(logic->GetScore(WoppleOldSchoolBaseLogic::kNoParticipant)), m_RoundsPlayed,
                Object::GetLiveCount(), timers ? timers->GetLiveTimerCount() : std::size_t{0}, ProcessKilobytes("VmRSS:"),
                ProcessKilobytes("VmHWM:"), LuaKilobytes(), logic->levelNumber,
                logic->IsLevelGoalMet() ? "won" : "lost");
        }
        if (m_Options.rounds <= 0) {
            m_RoundOver = true;
            return std::string();
        }
        if (m_Rest > 0) {
            --m_Rest;
            return std::string();
        }
        const std::string click = AnswerRoundEnd(*logic);
        if (!click.empty()) {
            m_Rest = m_Options.restPasses;
            m_Clicks.push_back(click);
            Log(2, "AutoPlay: %s (%s)\n", click.c_str(), state.c_str());
        }
        return click;
    }
    m_AtRoundEnd = false;
    if (m_Rest > 0) {
        --m_Rest;
        return std::string();
    }
    const std::string click = Act(*logic);
    if (!click.empty()) {
        m_Rest = m_Options.restPasses;
        m_Clicks.push_back(click);
        Log(2, "AutoPlay: %s (%s)\n", click.c_str(), state.c_str());
    }
    return click;
}

std::string WoppleAutoPlayer::StartRound()
{
    if (m_RoundOver)
        return std::string();
    ScreenManager* screens = ScreenManager::GetInstance();
    Screen* screen = screens ? screens->GetCurrentScreen() : nullptr;
    if (m_Leaving) {
        // Quit was pressed on the last round: done once the menu (or a quest level's map) is back.
        if (screen && (screen->GetName() == "MenuScreen" || screen->GetName() == "MapScreen")) {
            m_RoundOver = true;
            Log(2, "AutoPlay: back on the %s after %d rounds\n", screen->GetName() == "MapScreen" ? "map" : "menu",
                m_RoundsPlayed);
        }
        return std::string();
    }
    if (m_Options.startButton.empty())
        return std::string();
    if (m_Rest > 0) {
        --m_Rest;
        return std::string();
    }
    Button* start = FindVisibleButton(screen, m_Options.startButton);
    if (!start || (screen && !screen->GetDialogs().empty()))
        return std::string();
    m_Rest = m_Options.restPasses;
    m_Clicks.push_back(Click(start, m_Options.startButton));
    Log(2, "AutoPlay: %s\n", m_Options.startButton.c_str());
    return m_Clicks.back();
}

std::string WoppleAutoPlayer::Act(WoppleOldSchoolBaseLogic& logic)
{
    // A dialog in front takes the clicks first, as it would a person's.
    if (Screen* screen = logic.GetTargetScreen(); screen && !screen->GetDialogs().empty())
        return AnswerFrontDialog(*screen);
    const std::string state = logic.GetStateName();
    WoppleParticipantLogic* participant = logic.GetParticipantLogic();
    // The computer's turn is the computer's: a person only watches it.
    if (dynamic_cast<WoppleAIParticipantLogic*>(participant))
        return std::string();
    const std::string request =
        participant && participant->GetState() ? participant->GetStateName() : std::string("Idle");

    if (request == "WaitForSpin" || state == "WaitingForGameStart") {
        CocoDropButton* lever = logic.GetCocoDropButton();
        if (!lever || !lever->IsVisible() || !lever->IsEnabled())
            return std::string();
        ++m_SpinsPulled;
        return Click(lever, "lever");
    }
    if (IsCellRequest(request))
        return ClickCell(logic);
    if (request != "Idle")
        return Answer(logic, request);
    if (state == "ExplainGame")
        for (const char* name : {"cherubOkayButton", "SpeechBubbleCloseButton"})
            if (Button* close = FindButton(logic, name))
                return Click(close, name);
    return std::string();
}

std::string WoppleAutoPlayer::ClickCell(WoppleOldSchoolBaseLogic& logic)
{
    struct Place
    {
        int board, column, row;
        WoppleCellView* cell;
    };
    std::vector<Place> open;
    for (int b = 1; b <= logic.GetNumBoards(); ++b) {
        WoppleBoardView* board = logic.GetBoardView(b);
        for (int c = 1; board && c <= board->GetNumColumns(); ++c)
            for (int r = 1; r <= board->GetNumRows(); ++r)
                // Only what a person could click: a shown button.
                if (WoppleCellView* cell = board->GetCellView(c, r); cell && cell->GetCellButton() &&
                    cell->GetCellButton()->IsVisible() && logic.IsCellAvailableForMatching(b, c, r))
                    open.push_back({b, c, r, cell});
    }
    // Nothing to match: the rules move on by themselves.
    if (open.empty())
        return std::string();
    const Place& pick = open[std::uniform_int_distribution<std::size_t>(0, open.size() - 1)(m_Random)];
    Button* button = pick.cell->GetCellButton();
    button->ManuallyPressButton();
    button->ManuallyReleaseButton();
    return (boost::format("cell %1% %2% %3%") % pick.board % pick.column % pick.row).str();
}

std::string WoppleAutoPlayer::Answer(WoppleOldSchoolBaseLogic& logic, const std::string& request)
{
    std::vector<std::string> choices;
    if (request == "PromptForFreeSpin" || request == "PromptForFreeSpinWithCashOut") {
        if (request == "PromptForFreeSpinWithCashOut" && m_Options.cashOut)
            choices = {"cashOutButton"};
        else
            choices = {m_Options.useFreeSpins ? "useFreeSpinButton" : "buyButton"};
    } else if (request == "PromptForBuyWithCashOut") {
        choices = {m_Options.cashOut ? "cashOutButton" : "buyButton"};
    } else if (request == "PromptForImmediateFreeSpinUsage") {
        choices = {m_Options.useFreeSpins ? "YesButton" : "NoButton"};
    } else if (request == "PassOrKeepPirateOrTreasure") {
        choices = {Chance() ? "openButton" : "passButton"};
    }
    // The pirate's and the treasure's news answer themselves when told.
    for (const std::string& name : choices)
        if (Button* button = FindButton(logic, name))
            return Click(button, name);
    return std::string();
}

std::string WoppleAutoPlayer::AnswerFrontDialog(Screen& screen)
{
    Actor* dialog = screen.GetDialogs().back();
    for (const char* name : {"OkayButton", "okayButton"})
        if (Button* okay = FindVisibleButton(dialog, name))
            return Click(okay, name);
    return std::string();
}

std::string WoppleAutoPlayer::AnswerRoundEnd(WoppleOldSchoolBaseLogic& logic)
{
    const bool last = m_RoundsPlayed >= m_Options.rounds;
    if (Screen* screen = logic.GetTargetScreen(); screen && !screen->GetDialogs().empty()) {
        // A quest level's results: replay it, or back to the map after the last.
        Actor* front = screen->GetDialogs().back();
        const char* choice = last ? "QuitToMapButton" : "ReplayButton";
        if (Button* button = front->GetName() == "WoppleEndLevelDialog" ? FindVisibleButton(front, choice) : nullptr) {
            m_Leaving = last;
            return Click(button, choice);
        }
        return AnswerFrontDialog(*screen);
    }
    const char* name = last ? "QuitButton" : "ReplayButton";
    Button* button = FindButton(logic, name);
    if (!button)
        return std::string();
    m_Leaving = last;
    return Click(button, name);
}

std::string WoppleAutoPlayer::Click(Button* button, const std::string& what)
{
    button->ManuallyPressButton();
    button->ManuallyReleaseButton();
    return what;
}

Button* WoppleAutoPlayer::FindButton(WoppleOldSchoolBaseLogic& logic, const std::string& name) const
{
    // The questions' bubbles sit in the layout's bubble layer, or the screen's.
    if (Button* button = FindVisibleButton(logic.GetRootActor(), name))
        return button;
    return FindVisibleButton(logic.GetTargetScreen(), name);
}

bool WoppleAutoPlayer::Chance()
{
    return std::bernoulli_distribution(0.5)(m_Random);
}

// ---------------------------------------------------------------- from the console

namespace {

// The console's player; it lets itself go at the end of its round.
WoppleAutoPlayer* s_ConsolePlayer = nullptr;
bool s_ConsoleRoundOver = false;

WoppleOldSchoolBaseLogic* CurrentGameLogic()
{
    WoppleGameScreen* screen = WoppleGameScreen::GetInstance();
    WoppleGameLogic* logic = screen ? screen->GetGameLogic() : nullptr;
    // The screen holds the game manager; the round is its current game.
    if (auto* manager = dynamic_cast<WoppleGameLogicManager*>(logic))
        logic = manager->GetCurrentGame();
    return dynamic_cast<WoppleOldSchoolBaseLogic*>(logic);
}

void StopConsolePlayer()
{
    if (s_ConsolePlayer) {
        s_ConsolePlayer->StopStepping();
        s_ConsolePlayer->Destroy();
    }
    s_ConsolePlayer = nullptr;
}

// Plays the game screen's round; once it is over the player stops.
// Game time without waiting: each pass's delay is counted, never slept.
class FastLoopClock : public LoopClock
{
public:
    std::uint32_t GetTicks() override { return m_Now; }
    void Delay(std::uint32_t milliseconds) override { m_Now += milliseconds; }
    void StartAt(std::uint32_t now) { m_Now = now; }

private:
    std::uint32_t m_Now = 0;
};
FastLoopClock s_FastClock;

// Where the round is: the logic's state and its participant's.
std::string WhereTheRoundIs()
{
    WoppleOldSchoolBaseLogic* logic = CurrentGameLogic();
    if (!logic || !logic->GetState())
        return "no round";
    std::string where = logic->GetStateName();
    if (WoppleParticipantLogic* participant = logic->GetParticipantLogic(); participant && participant->GetState())
        where += "/" + participant->GetStateName();
    return where;
}

// The limits of a console round: it stops after maxPasses passes, or once
// nothing has moved (no click, no state) for stallPasses; 0 is no limit.
// With quitWhenOver the program quits when the player stops.
struct ConsoleLimits
{
    bool quitWhenOver = false;
    int maxPasses = 0;
    int stallPasses = 0;
};

class ConsoleAutoPlayer : public WoppleAutoPlayer
{
public:
    ConsoleAutoPlayer(const Options& options, const ConsoleLimits& limits)
        : WoppleAutoPlayer(CurrentGameLogic, options), m_Limits(limits)
    {
    }
    bool OnTimer(const EventRecord& event) override
    {
        const bool handled = WoppleAutoPlayer::OnTimer(event);
        if (!handled || s_ConsolePlayer != this)
            return handled;
        ++m_Passes;
        const std::string where = WhereTheRoundIs();
        if (where != m_Where || GetClicks().size() != m_ClicksSeen) {
            m_Where = where;
            m_ClicksSeen = GetClicks().size();
            m_StillSince = m_Passes;
        }
        const bool over = IsRoundOver();
        bool stop = over;
        if (!over && m_Limits.stallPasses > 0 && m_Passes - m_StillSince >= m_Limits.stallPasses) {
            Log(2, "AutoPlay: stuck in %s for %d passes\n", where.c_str(), m_Limits.stallPasses);
            stop = true;
        } else if (!over && m_Limits.maxPasses > 0 && m_Passes >= m_Limits.maxPasses) {
            Log(2, "AutoPlay: stopped after %d passes in %s\n", m_Passes, where.c_str());
            stop = true;
        }
        if (stop) {
            s_ConsoleRoundOver = over;
            const bool quit = m_Limits.quitWhenOver;
            StopConsolePlayer();
            if (quit)
                if (Application* app = Application::GetInstance())
                    app->Quit();
        }
        return handled;
    }

private:
    ConsoleLimits m_Limits;
    int m_Passes = 0;
    std::string m_Where;
    std::size_t m_ClicksSeen = 0;
    int m_StillSince = 0;
};

// Debug_AutoPlay(seed [, {useFreeSpins =, cashOut =, restPasses =, startButton =,
// rounds =, quitWhenOver =, maxPasses =, stallPasses =, fastClock =}]): plays the game
// screen's round to its end; Debug_AutoPlay(false) stops at once. fastClock
// stays on for the rest of the run: the loop's time would run backwards.
int Script_Debug_AutoPlay(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        StopConsolePlayer();
        if (lua_isboolean(L, 1) && !lua_toboolean(L, 1))
            return 0;
        WoppleAutoPlayer::Options options;
        options.seed = static_cast<std::uint32_t>(luaL_checkinteger(L, 1));
        if (lua_istable(L, 2)) {
            LuaObject table(LuaState(L), 2);
            if (table["useFreeSpins"].IsBoolean())
                options.useFreeSpins = table["useFreeSpins"].GetBoolean();
            if (table["cashOut"].IsBoolean())
                options.cashOut = table["cashOut"].GetBoolean();
            if (table["restPasses"].IsInteger())
                options.restPasses = table["restPasses"].GetInteger();
            if (table["startButton"].IsString())
                options.startButton = table["startButton"].GetString();
            if (table["rounds"].IsInteger())
                options.rounds = table["rounds"].GetInteger();
        }
        ConsoleLimits limits;
        if (lua_istable(L, 2)) {
            LuaObject table(LuaState(L), 2);
            limits.quitWhenOver = table["quitWhenOver"].IsBoolean() && table["quitWhenOver"].GetBoolean();
            if (table["maxPasses"].IsInteger())
                limits.maxPasses = table["maxPasses"].GetInteger();
            if (table["stallPasses"].IsInteger())
                limits.stallPasses = table["stallPasses"].GetInteger();
            // From here on the program runs as fast as it can, in the same game time.
            if (table["fastClock"].IsBoolean() && table["fastClock"].GetBoolean())
                if (Application* app = Application::GetInstance()) {
                    const std::uint32_t start = SDL_GetTicks();
                    s_FastClock.StartAt(start);
                    app->SetLoopClock(&s_FastClock);
                    // Sounds end in game time too: a script that waits for a
                    // line's sound would otherwise wait through many rounds.
                    const auto steadyMs = [] {
                        using namespace std::chrono;
                        return static_cast<std::uint64_t>(
                            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
                    };
                    const std::uint64_t base = steadyMs();
                    Audio::SetClock([base, start] { return base + (s_FastClock.GetTicks() - start); });
                }
        }
        s_ConsoleRoundOver = false;
        s_ConsolePlayer = new ConsoleAutoPlayer(options, limits);
        s_ConsolePlayer->StartStepping();
        Log(2, "AutoPlay: playing with seed %u\n", options.seed);
        return 0;
    });
}

// Debug_AutoPlayIsRoundOver(): whether the console's player saw its round end.
int Script_Debug_AutoPlayIsRoundOver(lua_State* L)
{
    lua_pushboolean(L, s_ConsoleRoundOver);
    return 1;
}

ScriptFunctionRegistration s_AutoPlay(Script_Debug_AutoPlay, "Debug_AutoPlay");
ScriptFunctionRegistration s_AutoPlayIsRoundOver(Script_Debug_AutoPlayIsRoundOver, "Debug_AutoPlayIsRoundOver");

} // namespace
