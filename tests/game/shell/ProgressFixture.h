#pragma once

#include "engine/core/Log.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/GameRecords.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/runtime/TopRecords.h"
#include "game/shell/GameTestSupport.h"
#include "game/shell/WoppleApp.h"
#include "game/shell/WopplePlayer.h"
#include "game/shell/WoppleScoreRecords.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>

namespace progresstest {

// The game started headless as the program starts it (engine, then game),
// over folders of the test's own.
class ProgressFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::srand(20261210);
        root = std::filesystem::temp_directory_path() /
               ("wopple-progress-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
        previous = std::filesystem::current_path();
        // "--nopkg" reads the data folder beside the current folder.
        std::filesystem::current_path(std::filesystem::path(VELK_GAME_DATA_DIR).parent_path());
        ClearLogCache();
        app = std::make_unique<WoppleApp>();
        const std::string program = (root / "Wopple2").string();
        const char* args[] = {program.c_str(), "--multiapp", "--keepcwd", "--nopkg"};
        app->InitEngine(4, args);
        app->InitGame();
        players = PlayerManager::GetInstance();
        lists = TopRecordsManager::GetInstance();
    }

    void TearDown() override
    {
        app.reset();
        SetLogFilePath("");
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(root);
    }

    void Lua(const std::string& code) { VelkLuaState::LoadStringA(app->GetLuaState(), code, 0, 0); }

    // The card player of the slot, named so that it is no longer empty.
    WopplePlayer* NamedPlayer(int index, const std::string& name)
    {
        Lua("Players[" + std::to_string(index) + "].Name = '" + name + "'");
        auto* player = dynamic_cast<WopplePlayer*>(players->GetPlayer(index));
        EXPECT_NE(player, nullptr);
        return player;
    }

    static int GuidOf(Player* player) { return player->GetTable()["guid"].GetInteger(); }

    // A finished game of the player, announced to the lists.
    static GameRecordGuid AddScore(Player* player, std::int64_t score, const std::string& type = "Vevev", int level = 1)
    {
        GameRecord record = MakeWoppleScoreRecord(player, score, type, level);
        record.NotifyObservers();
        return record.GetGuid();
    }

    // Scores of a list's entries, best first.
    std::vector<double> Scores(const std::string& key)
    {
        std::vector<double> scores;
        TopRecordsList* list = lists->GetList(key);
        for (int i = 0; i < list->GetNumRecords(); ++i)
            scores.push_back(list->GetRecord(i).GetTable()["gameScore"].GetNumber());
        return scores;
    }

    static std::string LogText() { return gametest::LogText(); }

    std::filesystem::path root;
    std::filesystem::path previous;
    std::unique_ptr<WoppleApp> app;
    PlayerManager* players = nullptr;
    TopRecordsManager* lists = nullptr;
};

} // namespace progresstest
