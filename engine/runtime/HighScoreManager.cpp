#include "engine/runtime/HighScoreManager.h"

#include "engine/core/Exception.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/PlayerManager.h"
#include "platform/lua/LuaFunction.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

HighScoreManager* g_HighScoreManager = nullptr;

// Whether a list of at most ten already holds the record: the same game and player.
bool IsAlreadyListed(const LuaObject& record, const LuaObject& list)
{
    for (int position = 1; position <= 10; ++position) {
        LuaObject entry = list[position];
        if (entry.IsNil())
            return false;
        if (entry["game_guid"] == record["game_guid"] && entry["player_guid"] == record["player_guid"])
            return true;
    }
    return false;
}

// The entries of a table at whole-number keys, in key order.
std::vector<LuaObject> IntegerKeyedEntries(const LuaObject& table)
{
    std::vector<std::pair<double, LuaObject>> entries;
    for (LuaTableIterator it(table); it; ++it) {
        const LuaObject& key = it.GetKey();
        if (key.IsNumber() && std::floor(key.GetNumber()) == key.GetNumber())
            entries.emplace_back(key.GetNumber(), it.GetValue());
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<LuaObject> values;
    for (auto& entry : entries)
        values.push_back(entry.second);
    return values;
}

} // namespace

HighScoreManager::HighScoreManager() : m_State(VelkLuaState::Get())
{
    VELK_ASSERT(m_State);
    VelkLuaState::DoResourceFile(m_State, "HighScoreManager.lua");
    m_HighScores = m_State.GetGlobal("HighScores");
    VELK_ASSERT(m_HighScores.IsTable());
    ClearHighScores();
    g_HighScoreManager = this;
}

HighScoreManager::~HighScoreManager()
{
    if (g_HighScoreManager == this)
        g_HighScoreManager = nullptr;
}

HighScoreManager* HighScoreManager::GetInstance()
{
    return g_HighScoreManager;
}

void HighScoreManager::ClearHighScores()
{
    LuaFunction<void>{m_State.GetGlobal("ClearHighScores")}();
    LuaFunction<void>{m_State.GetGlobal("ClearRatingsList")}();
    AddDummyScores();
}

void HighScoreManager::AddDummyScores()
{
    VelkLuaState::DoResourceFile(m_State, "DummyHighScores.lua");
    LuaObject dummyHighScores = m_State.GetGlobal("DummyHighScores");
    VELK_ASSERT_MSG(dummyHighScores.IsTable(), "Dummy high scores could not be found.");
    LuaObject dummyWordScores = m_State.GetGlobal("DummyWordScores");
    VELK_ASSERT_MSG(dummyWordScores.IsTable(), "Dummy word scores could not be found.");
    for (const LuaObject& record : IntegerKeyedEntries(dummyHighScores))
        AddScoreRecord(record, false);
    for (const LuaObject& record : IntegerKeyedEntries(dummyWordScores))
        AddWordRecord(record);
}

void HighScoreManager::AddScoreRecord(const LuaObject& record, bool rebuildRatings)
{
    VELK_ASSERT(record.IsTable());
    LuaObject mode = record["game_mode"];
    // A mode without a table of its own has no score list to join.
    LuaObject list = mode.IsString() ? m_HighScores[mode.GetString() + "Scores"] : LuaObject();
    if (list.IsTable() && !IsAlreadyListed(record, list))
        InsertRecordInTopTen(record, "total_score", list);
    if (!(mode.IsString() && mode.GetString() == "Blast")) {
        LuaObject percentages = m_HighScores["Percentages"];
        VELK_ASSERT(percentages.IsTable());
        if (!IsAlreadyListed(record, percentages))
            InsertRecordInTopTen(record, "percentage", percentages);
    }
    if (rebuildRatings)
        RebuildRatingsList();
}

void HighScoreManager::AddWordRecord(const LuaObject& wordRecord)
{
    VELK_ASSERT(wordRecord.IsTable());
    if (wordRecord["word_length"].IsNil()) {
        VELK_ASSERT(wordRecord["word"].IsString());
        LuaObject record = wordRecord;
        record.SetInteger("word_length", static_cast<int>(wordRecord["word"].GetString().size()));
    }
    LuaObject byScore = m_HighScores["WordsByScore"];
    LuaObject byLength = m_HighScores["WordsByLength"];
    VELK_ASSERT(byScore.IsTable() && byLength.IsTable());
    InsertRecordInTopTen(wordRecord, "word_score", byScore);
    InsertRecordInTopTen(wordRecord, "word_length", byLength);
}

void HighScoreManager::RebuildRatingsList()
{
    LuaFunction<void>{m_State.GetGlobal("ClearRatingsList")}();
}

namespace {

int Script_RebuildRatingsList(lua_State*)
{
    VELK_ASSERT(HighScoreManager::GetInstance() != 0);
    HighScoreManager::GetInstance()->RebuildRatingsList();
    return 0;
}

ScriptFunctionRegistration s_RebuildRatingsList(Script_RebuildRatingsList, "RebuildRatingsList");

} // namespace
