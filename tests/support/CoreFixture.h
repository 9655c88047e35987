#pragma once

#include "engine/core/Class.h"
#include "engine/core/Object.h"
#include "engine/core/TypeConversion.h"
#include "engine/core/VelkLuaState.h"
#include "support/FakeCoreHost.h"

#include <gtest/gtest.h>

// The core as the application brings it up: the Lua state with the registered
// script functions, the type tables, the classes and the template scripts.
class CoreFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        state = VelkLuaState::Create();
        VelkLuaState::RunStartupScript(state);
        TypeConversion::InitializeTypeTables();
        ClassManager::GetInstance()->InitializeClasses();
        VelkLuaState::DoResourceFile(state, "Object.lua");
        VelkLuaState::DoResourceFile(state, "Resource.lua");
    }

    void TearDown() override
    {
        host.queue.Clear();
        host.DeleteFlaggedObjects();
        ClassManager::DestroyInstance();
        VelkLuaState::Destroy();
    }

    void Run(const std::string& source) { VelkLuaState::LoadStringA(state, source, 0, 0); }

    FakeCoreHost host{4};
    LuaState state;
};
