#pragma once

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/VelkLuaState.h"
#include "support/FakeCoreHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <unistd.h>
#include "support/Failure.h"

// A started Lua state (start-up source and natives in place) and a scratch folder.
class SerializerFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        state = VelkLuaState::Create();
        VelkLuaState::RunStartupScript(state);
        ClearLogCache();
        dir = std::filesystem::temp_directory_path() /
              ("velk-data-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        VelkLuaState::Destroy();
        std::filesystem::remove_all(dir);
        ClearLogCache();
    }

    std::string PathOf(const std::string& name) const { return (dir / name).string(); }

    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    static void WriteFile(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    // Names in the folder, sorted.
    std::vector<std::string> Listing() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Runs Lua source returning one value.
    LuaObject Eval(const std::string& expression)
    {
        VelkLuaState::LoadStringA(state, "return " + expression, 0, 1);
        return LuaObject::PopFrom(state);
    }
    void Run(const std::string& source) { VelkLuaState::LoadStringA(state, source, 0, 0); }


    FakeCoreHost host{4};
    LuaState state;
    std::filesystem::path dir;
};
