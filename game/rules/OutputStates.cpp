#include "game/rules/OutputStates.h"

#include "engine/core/CoreHost.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/core/TimerManager.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/runtime/Sound.h"
#include "engine/runtime/Utility.h"
#include "engine/ui/Actor.h"
#include "engine/ui/Dialog.h"
#include "game/rules/WoppleGameMessages.h"
#include "game/rules/WoppleLevelSetup.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"
#include "game/rules/WoppleOutputBaseLogic.h"
#include "game/shell/WopplePlayer.h"
#include "game/shell/WoppleScreen.h"
#include "game/views/WoppleAnimation.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCellView.h"
#include "game/views/WopplePowerupView.h"

#include <boost/format.hpp>

#include <algorithm>
#include <memory>

namespace OutputStates {

namespace {

template <typename... Values>
std::string Formatted(const char* format, const Values&... values)
{
    boost::format f(format);
    (f % ... % values);
    return f.str();
}

// Game messages said here (their numbers in the message table).
enum : int
{
    CHERUB_DOUBLED_SCORE = 9,
    CHERUB_SCARED_AWAY_DEVIL = 10,
    DEVIL_MAY_TAKE_POINTS = 12,
    DEVIL_PROTECTION_ACQUIRED = 13,
    DEVIL_PROTECTION_USED = 14,
    DEVIL_TOOK_POINTS = 15,
    FOUND_FREE_SPIN = 17,
    FOUND_GOLD_COIN = 18,
    FOUND_SECRET_KEY = 19,
    SCORE_MULTIPLIER_CELL_FOUND = 38,
    WOPPLE_VISION_ACQUIRED = 39,
    GOT_FIRST_WOPPLE = 44,
    GOT_FIRST_SUPER_WOPPLE = 56,
    GOT_FIRST_BOUNCE_WOPPLE = 57,
};

const std::uint8_t kDimmedAlpha = 96;

WopplePlayer* HumanPlayer()
{
    PlayerManager* players = PlayerManager::GetInstance();
    return players ? dynamic_cast<WopplePlayer*>(players->GetCurrentPlayer(1)) : nullptr;
}

bool IsHuman(const WoppleOldSchoolBaseLogic& logic)
{
    return logic.GetCurrentParticipant() == 0;
}

// A line's award also pauses the game.
void Achieve(WoppleOldSchoolBaseLogic& logic, const std::string& statistic, std::int64_t value, bool raise)
{
    logic.AchieveForHuman(statistic, value, raise, statistic == "wopples");
}

void SayOneTimeTip(WoppleOldSchoolBaseLogic& logic, int id, const std::string& name)
{
    WoppleScreen* screen = logic.GetTargetScreen();
    if (!screen || screen->IsTipShown("GameMessage", name))
        return;
    logic.SayGameMessage(id, nullptr, "", "", "");
    Sound::Play("claps.ogg");
    screen->MarkTipShown("GameMessage", name);
}

void Say(WoppleOldSchoolBaseLogic& logic, int id, const std::string& text1 = "")
{
    logic.SayGameMessage(id, nullptr, text1, "", "");
}

void ResumeAfterAward(const EventRecord& event, bool& handled)
{
    handled = IsDialogNamed(event, "WoppleAwardDialog");
    if (handled)
        if (Application* app = Application::GetInstance())
            app->PauseGame(false);
}

// The centre of the cell in screen coordinates.
Point<int> Centre(const WoppleCellView& cell)
{
    return CellCenter(cell);
}

bool IsBoardFull(const WoppleBoardView& board)
{
    for (int c = 1; c <= board.GetNumColumns(); ++c)
        for (int r = 1; r <= board.GetNumRows(); ++r)
            if (!WoppleInfo::IsCellCounting(board.GetCellView(c, r)))
                return false;
    return true;
}

} // namespace

WoppleOldSchoolBaseLogic& Base::Logic() const
{
    return m_Owner.GetGameLogic();
}

WoppleCellView* Base::Match() const
{
    return m_Owner.GetCurrentMatch();
}

// ---------------------------------------------------------------- InitialState

void InitialState::OnEnterState()
{
    m_Owner.SetState("WaitForMatch");
}

// ---------------------------------------------------------------- WaitForMatch

void WaitForMatch::OnEnterState()
{
    if (m_Owner.TakeNextMatch()) {
        m_Owner.SetState("ProcessMatch");
        return;
    }
    PostNewEvent(WOPPLE_MATCHQUEUEEMPTY, &Logic(), &m_Owner, nullptr);
}

bool WaitForMatch::OnMatchQueued(Event*)
{
    if (m_Owner.TakeNextMatch())
        m_Owner.SetState("ProcessMatch");
    return true;
}

// ---------------------------------------------------------------- ProcessMatch

void ProcessMatch::OnEnterState()
{
    WoppleOldSchoolBaseLogic& logic = Logic();
    WoppleCellView* cell = Match();
    WoppleScreen* screen = logic.GetTargetScreen();
    int delay = 0;
    if (cell) {
        cell->ruleFlag = false;
        if (screen)
            screen->HideNotes();
        const Rect rect = cell->GetGlobalRect();
        const int level = logic.levelNumber;
        switch (cell->ruleCode) {
        case HIDDEN_SECRET_SQUARE:
            if (level == 1 && screen && screen->IsTipNotShown("gameIntroduceFeature", "secret"))
                screen->PointOutOneThing("gameIntroduceFeature", "secret", rect.x + rect.w / 2,
                                         rect.y + rect.h / 2 + 5, true);
            else
                Say(logic, FOUND_SECRET_KEY);
            delay = 1000;
            break;
        case HIDDEN_COIN:
            Say(logic, FOUND_GOLD_COIN);
            delay = 1000;
            break;
        case HIDDEN_MULTIPLIER:
            if (level == 3 && screen && screen->IsTipNotShown("gameIntroduceFeature", "cellmultiplier"))
                screen->PointOutOneThing("gameIntroduceFeature", "cellmultiplier", rect.x + rect.w / 2 + 8,
                                         rect.y + rect.h / 2, true);
            else
                Say(logic, SCORE_MULTIPLIER_CELL_FOUND);
            delay = 1000;
            break;
        default:
            break;
        }
        if (level == 15 && logic.GetSpinCount() == 1 && cell->column == 2) {
            WoppleBoardView* second = logic.GetBoardView(2);
            if (cell->boardView && cell->boardView->boardIndex == 1 && second && screen) {
                const Rect target = second->GetCellView(2, 1)->GetGlobalRect();
                screen->PointOutOneThing("gameIntroduceFeature", "multiboard2", target.x + target.w / 2 - 5,
                                         target.y + target.h / 2, true);
            } else if (WopplePlayer* player = HumanPlayer()) {
                LuaObject options = player->GetOptionsTable();
                if (options.IsTable())
                    options.SetBoolean("gameIntroduceFeature.multiboard2.shown", true);
            }
        }
    }
    m_Timer.CreateOrRestart(&Logic(), static_cast<std::uint32_t>(delay), 1, TIMER_LIMITED_TO_FRAMERATE);
}

void ProcessMatch::OnExitState()
{
    m_Timer.Free();
}

bool ProcessMatch::OnTimer(const EventRecord& event)
{
    if (!m_Timer.IsFrom(event))
        return false;
    WoppleCellView* cell = Match();
    if (cell && (cell->ruleCode == HIDDEN_COIN || cell->ruleCode == HIDDEN_SECRET_SQUARE) && cell->contents) {
        cell->contents->SetAlpha(kDimmedAlpha);
        cell->contents->SetShaderType(SHADERTYPE_BLENDCOMBINEDALPHA);
    }
    m_Timer.Free();
    if (cell)
        cell->ShowWoppleVisionAura(false, false);
    GoToNextState();
    return true;
}

void ProcessMatch::GoToNextState()
{
    m_Owner.SetState("ProcessIndividualFullBoard");
}

// ---------------------------------------------------------------- ProcessIndividualFullBoard

void ProcessIndividualFullBoard::OnEnterState()
{
    WoppleOldSchoolBaseLogic& logic = Logic();
    WoppleCellView* cell = Match();
    WoppleBoardView* board = cell ? cell->boardView : nullptr;
    Actor* root = logic.GetRootActor();
    if (board && root && logic.GetNumBoards() >= 2 && IsBoardFull(*board)) {
        Script* script = root->RunScript("ShowBoardCompletionFX_Expand", "FullBoardCompletion");
        if (script) {
            script->AddArgument(&logic);
            script->AddArgument(logic.GetTargetScreen());
            script->AddArgument(board->boardIndex);
            m_Script = script->GetLuaObject();
            return;
        }
    }
    m_Owner.SetState("ProcessCellBonuses");
}

void ProcessIndividualFullBoard::OnExitState()
{
    m_Script = LuaObject();
}

bool ProcessIndividualFullBoard::OnActorScriptFinished(Event* event)
{
    WoppleOldSchoolBaseLogic& logic = Logic();
    Actor* root = logic.GetRootActor();
    if (!event || !event->payload || !root)
        return false;
    const LuaObject& payload = *event->payload;
    if (m_Script.IsNil() || Object::FromLuaObject(payload["actor"]) != root || !(payload["script"] == m_Script))
        return false;
    m_Script = LuaObject();
    WoppleCellView* cell = Match();
    WoppleBoardView* board = cell ? cell->boardView : nullptr;
    if (board) {
        const WoppleCellView* middle = board->GetCellView(board->GetNumColumns() / 2, board->GetNumRows() / 2);
        const Point<int> at = Centre(*middle);
        logic.ShowScoreFlash(10000, at.x, at.y, "DefaultScoreFlash");
    }
    m_Owner.SetState("ProcessCellBonuses");
    return true;
}

// ---------------------------------------------------------------- ProcessCellBonuses

void ProcessCellBonuses::OnEnterState()
{
    WoppleOldSchoolBaseLogic& logic = Logic();
    WoppleCellView* cell = Match();
    const bool protectedNow = logic.HasDevilProtection();
    m_BonusKind = 0;
    switch (cell ? cell->ruleCode : HIDDEN_NONE) {
    case HIDDEN_DEVIL_PROTECTION:
        if (!protectedNow) {
            ProcessDevilProtectionCell();
            return;
        }
        break;
    case HIDDEN_DEVIL:
        // Two in five devils are chased off by a cherub; always when protected.
        if (RandomInt(5) >= 2 && !protectedNow)
            ProcessDevilCell();
        else
            ProcessDevilCherubCell();
        return;
    case HIDDEN_DEVIL_CHERUB: ProcessDevilCherubCell(); return;
    case HIDDEN_WOPPLE_VISION: ProcessWoppleVisionCell(); return;
    case HIDDEN_FREE_SPIN: ProcessFreeSpinCell(); return;
    default: break;
    }
    m_Owner.SetState("ProcessWopples");
}

void ProcessCellBonuses::OnExitState()
{
    m_Timer.Free();
}

Actor* ProcessCellBonuses::ShowContents(const std::string& image, const std::string& child)
{
    WoppleCellView* cell = Match();
    auto contents = std::make_unique<Actor>();
    contents->SetImage(std::make_unique<Image>(image), image);
    if (!child.empty()) {
        auto extra = std::make_unique<Actor>();
        extra->SetImage(std::make_unique<Image>(child), child);
        extra->SetAlignment(static_cast<RectAlignment>(3));
        contents->AddChild(extra.release());
    }
    Logic().ApplyScaling(contents.get());
    contents->SetAlignment(static_cast<RectAlignment>(3));
    Actor* shown = contents.get();
    if (cell)
        cell->SetContents(contents.release());
    return shown;
}

void ProcessCellBonuses::Burst(const std::string& large, const std::string& small)
{
    if (WoppleCellView* cell = Match())
        StartCellParticleEmitter(Logic().GetNumBoards() == 1 ? large : small, CellCenter(*cell));
}

void ProcessCellBonuses::ProcessDevilProtectionCell()
{
    m_BonusKind = HIDDEN_DEVIL_PROTECTION;
    Logic().SetDevilProtection(true);
    if (WopplePowerupView* bar = Logic().GetPowerupView(-1))
        if (!bar->HasPowerup("DevilProtection"))
            bar->AddDevilProtection();
    ShowContents("cell_bcherub.jpg");
    Sound::Play("tada3.ogg");
    Say(Logic(), DEVIL_PROTECTION_ACQUIRED);
    m_Timer.CreateOrRestart(&m_Owner, 1500, 1, TIMER_LIMITED_TO_FRAMERATE);
}

void ProcessCellBonuses::ProcessFreeSpinCell()
{
    WoppleOldSchoolBaseLogic& logic = Logic();
    const int freeSpins = logic.GetFreeSpins(WoppleOldSchoolBaseLogic::kNoParticipant);
    // No fifth free spin, and none the level has no spins left for.
    if (freeSpins >= 4 || freeSpins >= 20 - logic.GetSpinCount()) {
        Match()->ruleCode = HIDDEN_NONE;
        m_Owner.SetState("ProcessWopples");
        return;
    }
    m_BonusKind = HIDDEN_FREE_SPIN;
    logic.SetFreeSpins(freeSpins + 1, WoppleOldSchoolBaseLogic::kNoParticipant);
    ++logic.freeSpinsWonThisSpin;
    if (WopplePowerupView* bar = logic.GetPowerupView(-1))
        bar->AddFreeSpin();
    ShowContents("cell_fs.jpg");
    Burst("YellowBurstEffect", "YellowBurstEffectSmall");
    Sound::Play("C_match.ogg");
    Sound::Play("Pickup_GemBells08.ogg");
    Say(logic, FOUND_FREE_SPIN);
    m_Timer.CreateOrRestart(&m_Owner, 1000, 1, TIMER_LIMITED_TO_FRAMERATE);
}

void ProcessCellBonuses::ProcessWoppleVisionCell()
{
    WoppleOldSchoolBaseLogic& logic = Logic();
    if (logic.GetWoppleVisionTurns() != 0) {
        Match()->ruleCode = HIDDEN_NONE;
        m_Owner.SetState("ProcessWopples");
        return;
    }
    m_BonusKind = HIDDEN_WOPPLE_VISION;
    logic.SetWoppleVision(5);
    Actor* shown = ShowContents("cell_wopplevision.png");
    auto glow = std::make_unique<Actor>();
    glow->SetImage(std::make_unique<Image>("cell_wopplevision_hl.png"), "cell_wopplevision_hl.png");
    glow->SetAlignment(static_cast<RectAlignment>(3));
    logic.ApplyScaling(glow.get());
    shown->AddChild(glow.release(), "flashChild");
    shown->RunScript("FlashChild", "");
    Burst("WhiteBurstEffect", "WhiteBurstEffectSmall");
    Sound::Play("ah.ogg");
    Say(logic, WOPPLE_VISION_ACQUIRED);
    m_Timer.CreateOrRestart(&m_Owner, 1000, 1, TIMER_LIMITED_TO_FRAMERATE);
}

void ProcessCellBonuses::ShowDevil()
{
    WoppleCellView* cell = Match();
    auto devil = std::make_unique<Actor>();
    devil->SetImage(std::make_unique<Image>("cell_devil.jpg"), "cell_devil.jpg");
    auto horns = std::make_unique<Actor>();
    horns->SetImage(std::make_unique<Image>("cell_devilhorns.png"), "cell_devilhorns.png");
    horns->SetAlignment(static_cast<RectAlignment>(3));
    horns->SetAlignTo(static_cast<RectAlignment>(7));
    horns->SetLayer(6);
    devil->AddChild(horns.release());
    Logic().ApplyScaling(devil.get());
    devil->SetAlignment(static_cast<RectAlignment>(3));
    if (cell)
        cell->SetContents(devil.release());
    Sound::Play("C_laugh.ogg");
}

void ProcessCellBonuses::ProcessDevilCell()
{
    m_BonusKind = HIDDEN_DEVIL;
    m_DevilPercentage = (RandomInt(5) + 1) * 10;
    m_InternalState = 1;
    ShowDevil();
    Say(Logic(), DEVIL_MAY_TAKE_POINTS, Formatted("%1%", m_DevilPercentage));
    m_Timer.CreateOrRestart(&m_Owner, 1500, 1, TIMER_LIMITED_TO_FRAMERATE);
}

void ProcessCellBonuses::ProcessDevilCherubCell()
{
    m_BonusKind = HIDDEN_DEVIL_CHERUB;
    // The share named only frightens: a cherub comes either way.
    m_DevilPercentage = (RandomInt(5) + 1) * 10;
    m_CherubDoubles = RandomInt(100) < 20;
    ShowDevil();
    Say(Logic(), DEVIL_MAY_TAKE_POINTS, Formatted("%1%", m_DevilPercentage));
    m_Timer.CreateOrRestart(&m_Owner, 1500, m_CherubDoubles ? 3 : 2, TIMER_LIMITED_TO_FRAMERATE);
}

void ProcessCellBonuses::DimCellBonusOverlay()
{
    WoppleCellView* cell = Match();
    if (!cell || !cell->contents)
        return;
    switch (cell->ruleCode) {
    case 1: case 3: case 4: case 5: case 8: case 9: break;
    default: return;
    }
    cell->contents->SetAlpha(kDimmedAlpha);
    cell->contents->SetShaderType(SHADERTYPE_BLENDCOMBINEDALPHA);
    for (Actor* child : cell->contents->GetChildren()) {
        child->SetAlpha(kDimmedAlpha);
        child->SetShaderType(SHADERTYPE_BLENDCOMBINEDALPHA);
    }
}

bool ProcessCellBonuses::OnTimer(const EventRecord& event)
{
    if (!m_Timer.IsFrom(event))
        return false;
    WoppleOldSchoolBaseLogic& logic = Logic();
    const int left = static_cast<int>(reinterpret_cast<std::intptr_t>(event.user.data2));
    switch (m_BonusKind) {
    case HIDDEN_DEVIL_PROTECTION:
    case HIDDEN_FREE_SPIN:
    case HIDDEN_WOPPLE_VISION:
        DimCellBonusOverlay();
        m_Owner.SetState("ProcessWopples");
        return true;
    case HIDDEN_DEVIL:
        if (m_InternalState == 1) {
            const std::int64_t score = logic.GetScore(WoppleOldSchoolBaseLogic::kNoParticipant);
            // Rounded toward zero, as the devil always was.
            const std::int64_t kept = score * (100 - m_DevilPercentage) / 100;
            logic.SetScore(kept);
            Sound::Play("C_debit.ogg");
            logic.KillMessage(DEVIL_MAY_TAKE_POINTS, nullptr);
            Say(logic, DEVIL_TOOK_POINTS, Formatted("%1%", score - kept));
            m_InternalState = 2;
            m_Timer.CreateOrRestart(&m_Owner, 500, 1, TIMER_LIMITED_TO_FRAMERATE);
            return true;
        }
        VELK_ASSERT_MSG(m_InternalState == 2, Formatted("Unknown value of m_InternalState (%1%)", m_InternalState));
        m_Timer.Free();
        DimCellBonusOverlay();
        m_Owner.SetState("ProcessWopples");
        return true;
    case HIDDEN_DEVIL_CHERUB:
        if (left == 2 || (left == 1 && !m_CherubDoubles)) {
            const bool protectedNow = logic.HasDevilProtection();
            ShowContents(protectedNow ? "cell_bcherub.jpg" : "cell_gcherub.jpg");
            Sound::Play("C_cherub.ogg");
            logic.KillMessage(DEVIL_MAY_TAKE_POINTS, nullptr);
            Say(logic, protectedNow ? DEVIL_PROTECTION_USED : CHERUB_SCARED_AWAY_DEVIL);
        } else if (left == 1) {
            logic.CherubDoublesScore();
        } else {
            DimCellBonusOverlay();
            m_Owner.SetState("ProcessWopples");
        }
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- ProcessWopples

void ProcessWopples::OnEnterState()
{
    VELK_ASSERT(m_Wopples.size() == 0);
    WoppleOldSchoolBaseLogic& logic = Logic();
    logic.m_WoppleCounter = 1;
    WoppleLineList found;
    if (WoppleCellView* cell = Match())
        WoppleInfo::GetCompletedLinesThroughCell(*cell, found, logic.bounceWopples);
    // Lines ending at a butterfly box go last, so the box opens after the plain lines.
    for (const WoppleLineInfo& line : found) {
        if (logic.IsButterflyBoxVisible(line))
            m_Wopples.push_back(line);
        else
            m_Wopples.push_front(line);
    }
    if (!m_Wopples.empty())
        StartNextWopple();
    else
        m_Owner.SetState("ProcessSuperWopples");
}

void ProcessWopples::OnExitState()
{
    m_Timer.Free();
    m_Wopples.clear();
}

void ProcessWopples::StartNextWopple()
{
    WoppleOldSchoolBaseLogic& logic = Logic();
    logic.m_WoppleAnimation.reset(logic.ShowWoppleScore(m_Wopples.front()));
    logic.m_WoppleAnimation->AttachObserver(WOPPLE_WOPPLEANIMATIONFINISHED, &logic);
    logic.m_WoppleAnimation->Start();
    Sound::Play(Formatted("C_wopple_%1%.ogg", std::clamp(logic.m_WoppleCounter, 1, 5)));
}

bool ProcessWopples::OnWoppleAnimationFinished(Event*)
{
    WoppleOldSchoolBaseLogic& logic = Logic();
    if (m_Wopples.empty())
        return false;
    logic.m_WoppleAnimation.reset();
    logic.AwardWoppleScore();
    const WoppleLineInfo& line = m_Wopples.front();
    Achieve(logic, "wopples", 1, false);
    if (IsHuman(logic) && logic.levelNumber == 5 && line.kind >= 5 && line.kind <= 8)
        SayOneTimeTip(logic, GOT_FIRST_BOUNCE_WOPPLE, "GOT_FIRST_BOUNCE_WOPPLE");
    ++logic.wopplesThisSpin;
    ++logic.m_WopplesThisRound;
    if ((logic.levelNumber == 0 || logic.levelNumber == 1) && logic.m_WopplesThisRound == 1)
        SayOneTimeTip(logic, GOT_FIRST_WOPPLE, "GOT_FIRST_WOPPLE");
    if (logic.GetNumBoards() == 1)
        Achieve(logic, "spunWopples", logic.wopplesThisSpin, true);
    if (logic.IsButterflyBoxVisible(line)) {
        logic.m_ReverseWoppleAnimation.reset(logic.ShowSuperWoppleEffect(line));
        logic.m_ReverseWoppleAnimation->AttachObserver(WOPPLE_WOPPLEREVERSEANIMATIONFINISHED, &logic);
        logic.m_ReverseWoppleAnimation->Start();
        Sound::Play("C_reversewopple.ogg");
    } else {
        ProcessNextWopple();
    }
    return true;
}

bool ProcessWopples::OnWoppleReverseAnimationFinished(Event*)
{
    WoppleOldSchoolBaseLogic& logic = Logic();
    if (m_Wopples.empty())
        return false;
    logic.m_ReverseWoppleAnimation.reset();
    logic.ShowScoreGainEffect(m_Wopples.front());
    logic.AddButterflyFound();
    return true;
}

bool ProcessWopples::OnTreasureBoxAnimationFinished(Event*)
{
    if (m_Wopples.empty())
        return false;
    // The box shows "v (m x)": AddScore multiplies by m once, and only once.
    Logic().AddScore(Logic().TakeTreasureBoxReward());
    ProcessNextWopple();
    return true;
}

void ProcessWopples::ProcessNextWopple()
{
    m_Wopples.pop_front();
    if (!m_Wopples.empty()) {
        StartNextWopple();
        return;
    }
    WoppleOldSchoolBaseLogic& logic = Logic();
    if (IsHuman(logic) && Match()) {
        WoppleInfo::GetCompletedLinesThroughCell(*Match(), m_Wopples, false);
        Achieve(logic, "simultaneousWopples", static_cast<std::int64_t>(m_Wopples.size()), true);
        m_Wopples.clear();
    }
    m_Timer.CreateOrRestart(&m_Owner, 60, 1, TIMER_LIMITED_TO_FRAMERATE);
}

bool ProcessWopples::OnTimer(const EventRecord& event)
{
    if (!m_Timer.IsFrom(event))
        return false;
    m_Timer.Free();
    m_Owner.SetState("ProcessSuperWopples");
    return true;
}

bool ProcessWopples::OnDialogStopped(const EventRecord& event)
{
    bool handled = false;
    ResumeAfterAward(event, handled);
    return handled;
}

// ---------------------------------------------------------------- ProcessSuperWopples

void ProcessSuperWopples::OnEnterState()
{
    if (WoppleCellView* cell = Match())
        WoppleInfo::FindSuperWopples(*cell, m_SuperWopples, Logic().bounceWopples);
    if (!m_SuperWopples.empty()) {
        StartNextSuperWopple();
        return;
    }
    RaiseSimultaneousBouncingWopples();
    m_Owner.SetState("WaitForMatch");
}

void ProcessSuperWopples::OnExitState()
{
    m_SuperWopples.clear();
}

void ProcessSuperWopples::RaiseSimultaneousBouncingWopples()
{
    WoppleOldSchoolBaseLogic& logic = Logic();
    WoppleCellView* cell = Match();
    if (!IsHuman(logic) || !cell)
        return;
    WoppleLineList lines;
    WoppleInfo::GetCompletedLinesThroughCell(*cell, lines, logic.bounceWopples);
    SuperWoppleList supers;
    WoppleInfo::FindSuperWopples(*cell, supers, logic.bounceWopples);
    Achieve(logic, "simultaneousBouncingWopples", static_cast<std::int64_t>(lines.size() + supers.size()), true);
}

void ProcessSuperWopples::StartNextSuperWopple()
{
    WoppleOldSchoolBaseLogic& logic = Logic();
    logic.StartSuperWoppleAnimation(m_SuperWopples.front());
    Sound::Play(Formatted("C_wopple_%1%.ogg", std::clamp(logic.m_WoppleCounter, 1, 5)));
}

bool ProcessSuperWopples::OnSuperWoppleAnimationFinished(Event*)
{
    WoppleOldSchoolBaseLogic& logic = Logic();
    if (m_SuperWopples.empty())
        return false;
    if (logic.m_SuperWoppleAnimation) {
        logic.m_SuperWoppleAnimation->Destroy();
        logic.m_SuperWoppleAnimation = nullptr;
    }
    logic.AwardWoppleScore();
    if (IsHuman(logic)) {
        Achieve(logic, "wopples", 1, false);
        ++logic.wopplesThisSpin;
        ++logic.m_WopplesThisRound;
        if (logic.GetNumBoards() == 1)
            Achieve(logic, "spunWopples", logic.wopplesThisSpin, true);
        if (logic.levelNumber == 15)
            SayOneTimeTip(logic, GOT_FIRST_SUPER_WOPPLE, "GOT_FIRST_SUPER_WOPPLE");
    }
    m_SuperWopples.pop_front();
    if (!m_SuperWopples.empty()) {
        StartNextSuperWopple();
        return true;
    }
    RaiseSimultaneousBouncingWopples();
    m_SuperWopples.clear();
    m_Owner.SetState("WaitForMatch");
    return true;
}

bool ProcessSuperWopples::OnDialogStopped(const EventRecord& event)
{
    bool handled = false;
    ResumeAfterAward(event, handled);
    return handled;
}

} // namespace OutputStates
