#pragma once

#include "engine/core/Config.h"
#include "engine/core/Log.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/runtime/GameRecords.h"
#include "engine/runtime/HighScoreManager.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/runtime/TopRecords.h"
#include "platform/lua/LuaFunction.h"
#include "support/CoreFixture.h"
#include "support/Failure.h"
#include "OsTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace playertest {

// Records every notice, in order, under the observer's name.
class RecordingObserver : public GameRecordObserver
{
public:
    RecordingObserver(std::vector<std::string>& log, std::string name) : m_Log(log), m_Name(std::move(name)) {}
    void OnGameRecordAdded(uint32_t tag, GameRecordGuid guid) override
    {
        m_Log.push_back(m_Name + " added " + std::to_string(tag) + "/" + std::to_string(guid.value));
    }
    void OnGameRecordRemoved(GameRecordGuid guid) override
    {
        m_Log.push_back(m_Name + " removed " + std::to_string(guid.value));
    }

private:
    std::vector<std::string>& m_Log;
    std::string m_Name;
};

// A score list as the game makes them: best "gameScore" first, a key, and a
// record test on "gameType" ("" takes every type).
class ScoreList : public AbstractTopGameRecordsList
{
public:
    ScoreList(std::string key, std::string gameType, Filter filter = nullptr,
              std::vector<std::string> alternateKeys = {})
        : AbstractTopGameRecordsList(nullptr, ByScore, std::move(filter)),
          alternateKeys(std::move(alternateKeys)),
          m_Key(std::move(key)),
          m_GameType(std::move(gameType))
    {
    }

    static bool ByScore(const GameRecord& a, const GameRecord& b)
    {
        return a.GetTable()["gameScore"].GetNumber() > b.GetTable()["gameScore"].GetNumber();
    }

    std::string GetKey() const override { return m_Key; }
    void GetAlternateKeys(std::vector<std::string>& keys) const override
    {
        keys.insert(keys.end(), alternateKeys.begin(), alternateKeys.end());
    }
    Actor* CreateTitleActor() override { return nullptr; }
    Actor* CreateRowActor(int) override { return nullptr; }
    bool IsSkippable() const override { return false; }
    bool MatchesKey(const std::string& key) const override
    {
        if (key == m_Key || (!matchPrefix.empty() && key.rfind(matchPrefix, 0) == 0))
            return true;
        for (const std::string& alternate : alternateKeys)
            if (key == alternate)
                return true;
        return false;
    }
    bool AcceptsRecord(uint32_t, const LuaObject& table) const override
    {
        return m_GameType.empty() || (table["gameType"].IsString() && table["gameType"].GetString() == m_GameType);
    }

    // Scores of the entries, best first.
    std::vector<double> Scores() const
    {
        std::vector<double> scores;
        for (const GameRecord& entry : m_Entries)
            scores.push_back(entry.GetTable()["gameScore"].GetNumber());
        return scores;
    }

    // Keys starting with this match too (empty: none).
    std::string matchPrefix;
    std::vector<std::string> alternateKeys;

private:
    std::string m_Key;
    std::string m_GameType;
};

// The player and score managers as the application makes them, over a
// folder of player cards of the test's own.
class PlayersFixture : public CoreFixture
{
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        std::srand(20240611);
        ClearLogCache();
        config = std::make_unique<Config>(state);
        SetConfig(config.get());
        cards = folder / "Player Cards/";
        std::filesystem::create_directories(cards);
        VelkLuaState::DoResourceFile(state, "PlayerDefaults.lua");
        VelkLuaState::DoResourceFile(state, "Player.lua");
        state.GetGlobals().CreateTable("Paths").SetString("PlayerData", cards);
        MakeManagers();
    }

    void TearDown() override
    {
        DestroyManagers();
        SetConfig(nullptr);
        config.reset();
        CoreFixture::TearDown();
    }

    // In the application's order of creation; destroyed in its order of deletion.
    void MakeManagers()
    {
        records = std::make_unique<GameRecordManager>();
        scores = std::make_unique<HighScoreManager>();
        players = std::make_unique<PlayerManager>();
        top = std::make_unique<TopRecordsManager>();
        io = std::make_unique<GameDataIO>();
    }

    void DestroyManagers()
    {
        io.reset();
        scores.reset();
        records.reset();
        players.reset();
        top.reset();
    }

    // A restart of the program over the same cards and settings.
    void Restart()
    {
        DestroyManagers();
        host.queue.Clear();
        state.GetGlobals().SetNil("Players");
        state.GetGlobals().SetNil("DummyPlayers");
        MakeManagers();
    }

    LuaObject Eval(const std::string& expression)
    {
        VelkLuaState::LoadStringA(state, "return " + expression, 0, 1);
        LuaObject value(state, -1);
        state.Pop();
        return value;
    }

    std::string CardPath(int index) const { return PlayerCardPath(cards, index); }

    // A new score record of the player, announced to every observer.
    GameRecordGuid AddScore(int playerGuid, double score, const std::string& type = "Classic", int level = 0)
    {
        GameRecord record(0, "WoppleScoreRecord");
        LuaObject table = record.GetTable();
        table.SetInteger("playerGuid", playerGuid);
        table.SetNumber("gameScore", score);
        table.SetString("gameType", type);
        table.SetInteger("level", level);
        record.NotifyObservers();
        return record.GetGuid();
    }

    int GuidOf(int index) { return Eval("Players[" + std::to_string(index) + "].guid").GetInteger(); }

    static std::string LogText()
    {
        std::string text;
        for (const std::string& line : GetCachedLogLines())
            text += line;
        return text;
    }

    static int CountInLog(const std::string& text)
    {
        const std::string log = LogText();
        int count = 0;
        for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++count;
        return count;
    }

    TempFolder folder;
    std::string cards;
    std::unique_ptr<Config> config;
    std::unique_ptr<GameRecordManager> records;
    std::unique_ptr<HighScoreManager> scores;
    std::unique_ptr<PlayerManager> players;
    std::unique_ptr<TopRecordsManager> top;
    std::unique_ptr<GameDataIO> io;
};

} // namespace playertest
