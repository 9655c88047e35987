#include "game/shell/WoppleEndLevelDialog.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TimerManager.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/runtime/Sound.h"
#include "engine/ui/Button.h"
#include "engine/ui/Label.h"
#include "engine/ui/ScreenManager.h"
#include "game/shell/WoppleScoreRecords.h"

#include <boost/format.hpp>

#include <memory>

namespace {

void NoHook(Class*) {}

// Made by name only for the tour and the scripts: a round outside the quest
// that reached nothing.
Object* InstantiateEmptyRound(const LuaObject& params)
{
    std::unique_ptr<WoppleEndLevelDialog> dialog(new WoppleEndLevelDialog(
        0, "", "", 0, 0, 0, 0, 0, 0, false, false, false, false, true, 0, WoppleEndLevelDialog::StarFlags{}));
    dialog->ApplyProperties(params);
    dialog->OnPostSpawn();
    return dialog.release();
}

struct Row
{
    const char* goal;
    const char* star;
    const char* result;
};

// Tally order, which is also the order of the held-before flags and top to bottom.
constexpr Row kRows[WoppleEndLevelDialog::kNumStars] = {
    {"scoreGoal", "scoreStar", "score"},
    {"secretGoal", "secretStar", "secret"},
    {"timeGoal", "timeStar", "timeTaken"},
    {"butterfliesGoal", "butterflyStar", "butterfliesFound"},
    {"fullCardGoal", "fullCardStar", "fullCard"},
};

constexpr const char* kLitStar = "bc_1.png";
constexpr const char* kEmptyStar = "bc_2.png";

// A button the template must have; anything else is a broken template.
Button* CheckedButton(Actor* child)
{
    auto* button = dynamic_cast<Button*>(child);
    if (!button)
        VELK_THROW(Exception, AssertionText("dynamic_cast<_leftT>(var) != 0"));
    return button;
}

void SetLabel(Actor& dialog, const char* name, const std::string& text, bool visible)
{
    if (auto* label = dynamic_cast<Label*>(dialog.FindChild(name, true))) {
        label->SetText(text, true);
        label->SetVisible(visible);
    }
}

void ShowChild(Actor& dialog, const char* name)
{
    if (Actor* child = dialog.FindChild(name, true))
        child->SetVisible(true);
}

// "m:ss".
std::string MinutesAndSeconds(const char* format, int seconds)
{
    return (boost::format(format) % (seconds / 60) % (seconds % 60)).str();
}

LuaObject LevelRecords()
{
    Player* player = PlayerManager::GetInstance() ? PlayerManager::GetInstance()->GetCurrentPlayer(1) : nullptr;
    VELK_ASSERT_MSG(player, "There is no current player.");
    LuaObject mode = player->GetGameModeTable("");
    LuaObject records = mode["LevelRecords"];
    if (!records.IsTable())
        records = mode.CreateTable("LevelRecords");
    return records;
}

std::int64_t Int64Field(const LuaObject& table, const char* key)
{
    LuaObject value = table[key];
    return value.IsNumber() ? static_cast<std::int64_t>(value.GetNumber()) : 0;
}

int IntField(const LuaObject& table, const char* key)
{
    return static_cast<int>(Int64Field(table, key));
}

bool BoolField(const LuaObject& table, const char* key, bool otherwise = false)
{
    LuaObject value = table[key];
    return value.IsBoolean() ? value.GetBoolean() : otherwise;
}

// StartEndLevelDialog{ level, levelName, goalText, score, starScore, secondsTaken,
// starTime, butterfliesFound, butterflyGoal, secretFound, cardCovered,
// roundCompleted, previousTopScore, starsHeldBefore = {5 booleans} } -> the
// dialog, started on the current screen with its tally running. For the tour
// and the developer's console; the rules make theirs in C++.
int Script_StartEndLevelDialog(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        LuaObject round(LuaState(L), 1);
        VELK_ASSERT_MSG(round.IsTable(), "StartEndLevelDialog takes a table of the round's results.");
        WoppleEndLevelDialog::StarFlags held{};
        LuaObject heldTable = round["starsHeldBefore"];
        for (int i = 0; i < WoppleEndLevelDialog::kNumStars; ++i)
            held[i] = heldTable.IsTable() && heldTable[i + 1].IsBoolean() && heldTable[i + 1].GetBoolean();
        LuaObject name = round["levelName"];
        LuaObject goal = round["goalText"];
        auto dialog = std::make_unique<WoppleEndLevelDialog>(
            IntField(round, "level"), name.IsString() ? name.GetString() : "", goal.IsString() ? goal.GetString() : "",
            Int64Field(round, "score"), Int64Field(round, "starScore"), IntField(round, "secondsTaken"),
            IntField(round, "starTime"), IntField(round, "butterfliesFound"), IntField(round, "butterflyGoal"),
            BoolField(round, "secretFound"), BoolField(round, "pirateFoundSecret"), BoolField(round, "cardCovered"),
            BoolField(round, "pirateCoveredCard"), BoolField(round, "roundCompleted", true),
            Int64Field(round, "previousTopScore"), held);
        ScreenManager* screens = ScreenManager::GetInstance();
        Screen* screen = screens ? screens->GetCurrentScreen() : nullptr;
        VELK_ASSERT_MSG(screen, "There is no current screen to show a dialog on.");
        WoppleEndLevelDialog* shown = dialog.release();
        screen->StartDialog(shown, false);
        shown->StartTimer();
        shown->GetLuaObject().Push(LuaState(L));
        return 1;
    });
}

ScriptFunctionRegistration s_StartEndLevelDialog(Script_StartEndLevelDialog, "StartEndLevelDialog");

} // namespace

VELK_REGISTER_CLASS(WoppleEndLevelDialog, "Dialog", NoHook, InstantiateEmptyRound);

WoppleEndLevelDialog::WoppleEndLevelDialog(int levelNumber, const std::string& levelName,
                                           const std::string& goalText, std::int64_t score, std::int64_t starScore,
                                           int secondsTaken, int starTime, int butterfliesFound, int butterflyGoal,
                                           bool secretFound, bool pirateFoundSecret, bool cardCovered,
                                           bool pirateCoveredCard, bool roundCompleted, std::int64_t previousTopScore,
                                           const StarFlags& starsHeldBefore)
    : Dialog("WoppleEndLevelDialog", 0),
      m_LevelNumber(levelNumber),
      m_Score(score),
      m_StarScore(starScore),
      m_SecondsTaken(secondsTaken),
      m_StarTime(starTime),
      m_ButterfliesFound(butterfliesFound),
      m_ButterflyGoal(butterflyGoal),
      m_SecretFound(secretFound),
      m_PirateFoundSecret(pirateFoundSecret),
      m_CardCovered(cardCovered),
      m_PirateCoveredCard(pirateCoveredCard),
      m_RoundCompleted(roundCompleted),
      m_GoalText(goalText),
      m_PreviousTopScore(previousTopScore),
      m_StarsHeldBefore(starsHeldBefore)
{
    SetName("WoppleEndLevelDialog");
    CreateTitle("Round Complete!", -1);
    PrepareRows(levelName);
}

WoppleEndLevelDialog::~WoppleEndLevelDialog()
{
    try {
        if (m_TallyTimerID != 0)
            if (TimerManager* timers = TimerManager::GetInstance())
                timers->FreeTimer(m_TallyTimerID);
    } catch (...) {
        LogWrite("WARNING: WoppleEndLevelDialog::~WoppleEndLevelDialog: %s\n", CurrentExceptionMessage().c_str());
    }
}

void WoppleEndLevelDialog::PrepareRows(const std::string& levelName)
{
    Button* next = CheckedButton(FindChild("NextButton", true));
    Button* replay = CheckedButton(FindChild("ReplayButton", true));

    std::string name = levelName;
    if (m_LevelNumber != 0) {
        LuaObject entry = ObjectLuaState().GetGlobal("WoppleQuestLevels")[m_LevelNumber];
        name = entry.IsTable() && entry["mapName"].IsString() ? entry["mapName"].GetString() : "";
    }
    SetLabel(*this, "levelName", name, false);
    SetLabel(*this, "scoreLabel", "0", false);
    SetLabel(*this, "topScoreLabel", (boost::format("%1%") % m_PreviousTopScore).str(), false);

    SetLabel(*this, "butterfliesGoal",
             (boost::format(m_ButterflyGoal == 1 ? "%1% Butterfly" : "%1% Butterflies") % m_ButterflyGoal).str(), true);
    SetLabel(*this, "timeGoal", MinutesAndSeconds("Finish In %d:%|02|", m_StarTime), true);
    SetLabel(*this, "scoreGoal", (boost::format("%1% Points") % FormatInt64WithCommas(m_StarScore)).str(), true);

    SetLabel(*this, "butterfliesFound", (boost::format("You Found %1%!") % m_ButterfliesFound).str(), false);
    SetLabel(*this, "timeTaken", MinutesAndSeconds("You Took %d:%|02|!", m_SecondsTaken), false);
    SetLabel(*this, "score", (boost::format("Scored %1%!") % FormatInt64WithCommas(m_Score)).str(), false);
    SetLabel(*this, "fullCard",
             m_PirateCoveredCard ? "Pirate Covered" : (m_CardCovered ? "Covered!" : "Didn't Cover."), false);
    SetLabel(*this, "secret",
             m_PirateFoundSecret ? "Pirate Found It" : (m_SecretFound ? "Found it!" : "Keep Looking."), false);

    for (int row = 0; row < kNumStars; ++row) {
        Actor* star = FindChild(kRows[row].star, true);
        if (!star)
            continue;
        star->SetImageFromName(kEmptyStar);
        if (m_StarsHeldBefore[row]) {
            // Held from an earlier round: lit, but dimmed until this round earns it.
            star->SetImageFromName(kLitStar);
            star->SetAlpha(128);
            star->SetShaderType(SHADERTYPE_BLENDCOMBINEDALPHA);
        }
    }

    if (!m_RoundCompleted) {
        next->Disable();
        CreateTitle("Round Incomplete", -1);
        replay->SetText("Try Again");
    }
    if (Label* title = GetTitle()) {
        const Point<int> offset = title->GetAlignmentOffset();
        title->SetAlignmentOffset(offset.x, offset.y + 73);
        title->UpdateAlignment();
    }
    if (m_RoundCompleted && m_LevelNumber < 60) {
        if (IsLevelUnlocked(m_LevelNumber + 1))
            next->Enable();
        else
            next->Disable();
    }
}

void WoppleEndLevelDialog::StartTimer()
{
    TimerManager* timers = TimerManager::GetInstance();
    VELK_ASSERT_MSG(timers, "There is no timer manager.");
    if (m_TallyTimerID != 0)
        timers->FreeTimer(m_TallyTimerID);
    m_TallyTimerID = timers->CreateTimer(this, 1000, kNumFirings, TIMER_LIMITED_TO_FRAMERATE, "default");
}

bool WoppleEndLevelDialog::OnTimer(const EventRecord& event)
{
    if (m_TallyTimerID == 0 || TimerIDOfEvent(event) != m_TallyTimerID)
        return Dialog::OnTimer(event);
    const int firing = kNumFirings - RemainingSignalsOfEvent(event);
    Log(3, "FiringNumber: %d\n", firing);
    if (firing >= 1 && firing <= kNumStars) {
        RevealRow(firing - 1);
    } else if (firing == 6) {
        WriteFooter();
    } else if (firing == 7) {
        // The round's score against the best before it; a first score is no record.
        if (m_PreviousTopScore != 0 && m_Score > m_PreviousTopScore && m_RoundCompleted) {
            Sound::Play("Pickup_GemBells18.ogg");
            SetLabel(*this, "footerMessage", "New high score!!!", true);
        }
    } else {
        VELK_ASSERT(0);
    }
    return true;
}

bool WoppleEndLevelDialog::IsGoalReached(int row) const
{
    switch (row) {
    case 0: return m_Score >= m_StarScore;
    case 1: return m_SecretFound;
    case 2: return m_SecondsTaken <= m_StarTime;
    case 3: return m_ButterfliesFound >= m_ButterflyGoal;
    default: return m_CardCovered;
    }
}

void WoppleEndLevelDialog::RevealRow(int row)
{
    Actor* star = FindChild(kRows[row].star, true);
    if (IsGoalReached(row)) {
        ++m_StarsEarnedNow;
        ++m_StarsHeld;
        Sound::Play((boost::format("C_match_%1%.ogg") % m_StarsEarnedNow).str());
        if (star) {
            star->SetImageFromName(kLitStar);
            star->SetAlpha(255);
            BurstOn(*star);
        }
    } else {
        if (m_StarsHeldBefore[row])
            ++m_StarsHeld;
        Sound::Play("C_bonk.ogg");
    }
    ShowChild(*this, kRows[row].result);
}

void WoppleEndLevelDialog::BurstOn(Actor& star)
{
    const Rect r = star.GetLocalRect();
    const Point<int> centre = star.GetParent() == this
                                  ? Point<int>(r.x + r.w / 2, r.y + r.h / 2)
                                  : GlobalToLocal(star.LocalToGlobal(Point<int>(r.w / 2, r.h / 2)));
    StartParticleEmitter("RainbowSmallBurstEffect", centre.x, centre.y);
}

void WoppleEndLevelDialog::WriteFooter()
{
    auto everyStar = [this](bool light) {
        for (const Row& row : kRows)
            if (Actor* star = FindChild(row.star, true)) {
                if (light) {
                    star->SetImageFromName(kLitStar);
                    star->SetAlpha(255);
                }
                BurstOn(*star);
            }
    };
    auto cheer = [](bool claps) {
        if (claps)
            Sound::Play("claps.ogg");
        Sound::Play("tada.ogg");
    };

    if (m_StarsEarnedNow == 5) {
        cheer(true);
        everyStar(false);
        SetLabel(*this, "footerMessage", "Five stars in one play. Amazing!!", true);
    } else if (m_StarsHeld == 5) {
        cheer(true);
        everyStar(true);
        SetLabel(*this, "footerMessage", "You now have all five stars!!!", true);
    } else if (m_StarsEarnedNow == 4) {
        cheer(false);
        SetLabel(*this, "footerMessage", "Great game!", true);
    } else if (!m_RoundCompleted) {
        SetLabel(*this, "footerMessage", m_GoalText, true);
        Sound::Play("C_debit.ogg");
    } else if (m_StarsEarnedNow >= 1) {
        static const char* const kRatings[] = {"You can always do better", "Nice game", "Good game!"};
        cheer(false);
        SetLabel(*this, "footerMessage", kRatings[m_StarsEarnedNow - 1], true);
    }
}

bool WoppleEndLevelDialog::IsLevelCompleted(int level)
{
    if (level == 0)
        return true;
    LuaObject record = LevelRecords()[level];
    if (!record.IsTable())
        return false;
    LuaObject completed = record["Completed"];
    return completed.IsBoolean() && completed.GetBoolean();
}

bool WoppleEndLevelDialog::IsLevelUnlocked(int level)
{
    LuaState lua = PlayerManager::GetInstance()->GetCurrentPlayer(1)->GetTable().GetState();
    LuaObject bonusLevelsStartAt = lua.GetGlobal("BonusLevelsStartAt");
    VELK_ASSERT(bonusLevelsStartAt.IsInteger());
    if (level < bonusLevelsStartAt.GetInteger())
        return IsLevelCompleted(level - 1);

    LuaObject optionalTable = lua.GetGlobal("Resources")["WoppleIslands"];
    VELK_ASSERT(optionalTable.IsTable());
    LuaObject records = LevelRecords();
    for (LuaTableIterator it(optionalTable); it; it.Next()) {
        LuaObject island = it.GetValue();
        if (!island.IsTable() || !island["bonusLevel"].IsInteger() || island["bonusLevel"].GetInteger() != level)
            continue;
        LuaObject levels = island["islandLevels"];
        if (!levels.IsTable())
            return true;
        for (LuaTableIterator each(levels); each; each.Next()) {
            if (!each.GetValue().IsNumber())
                continue;
            const int number = each.GetValue().GetInteger();
            LuaObject record = records[number];
            if (!record.IsTable())
                record = records.CreateTable(number);
            LuaObject found = record["SecretFound"];
            if (!(found.IsBoolean() && found.GetBoolean()))
                return false;
        }
        return true;
    }
    // No island names it: nothing opens it.
    return false;
}
