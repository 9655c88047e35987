#include "engine/core/Config.h"

#include "engine/core/Log.h"
#include "platform/lua/LuaFunction.h"
#include "support/CoreFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include "support/Failure.h"

namespace {

class Listener : public EventReceiver
{
public:
    bool OnEvent(const EventRecord& event) override
    {
        if (event.type != VELK_CONFIGUPDATE)
            return false;
        auto* table = static_cast<LuaObject*>(event.user.data1);
        seen.push_back((*table)["key"].GetString() + "=" +
                       ((*table)["value"].IsNil() ? std::string("nil") : (*table)["value"].TypeName()));
        lastValue = (*table)["value"];
        return true;
    }
    std::vector<std::string> seen;
    LuaObject lastValue;
};

class ConfigTest : public CoreFixture
{
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        config = std::make_unique<Config>(state);
        dir = std::filesystem::temp_directory_path() /
              ("velk-config-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        SetConfig(nullptr);
        config.reset();
        std::filesystem::remove_all(dir);
        CoreFixture::TearDown();
    }
    std::string Read(const std::filesystem::path& path)
    {
        std::ifstream in(path);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    void WriteFile(const std::filesystem::path& path, const std::string& text)
    {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }
    std::unique_ptr<Config> config;
    std::filesystem::path dir;
};

} // namespace

TEST_F(ConfigTest, ConstantsWinInNativeReadsAndDataInScriptReads)
{
    Run("Config.x = 2 LoadConstConfig({ x = 1 })");
    EXPECT_EQ(config->Retrieve("x").ToDouble(), 1);
    Run("assert(Config.x == 2)");
    EXPECT_TRUE(config->Retrieve("missing").IsEmpty());
    EXPECT_EQ(config->GetLuaValue("x").GetNumber(), 1);

    Run("Config.full_screen = false assert(Config.full_screen == false) assert(Config_Data.full_screen == false)");
    EXPECT_FALSE(config->Retrieve("full_screen").ToBool());
    Run("LoadConstConfig({ music = 'on' }) Config_Data.music = false assert(Config.music == false)");

    Run("Config.nested = {} ");
    EXPECT_THROW(config->Retrieve("nested"), ScriptError);
}

TEST_F(ConfigTest, ConstantsCannotBeOverwritten)
{
    Run("LoadConstConfig({ locked = 5 })");
    Run("local ok, e = pcall(function() Config.locked = 6 end) "
        "assert(not ok and string.find(e, 'Cannot overwrite a const config variable', 1, true), e)");
    EXPECT_NE(FailureOf([&] { config->Store("locked", Variant(7.0)); }).find("Cannot overwrite a const config variable"),
              std::string::npos);
    EXPECT_THROW(config->SetBool("locked", true), ScriptError);
    EXPECT_EQ(config->Retrieve("locked").ToDouble(), 5);
    EXPECT_TRUE(state.GetGlobal("Config_Data")["locked"].IsNil());
}

TEST_F(ConfigTest, NativeWritesAndReadsThroughTheProxyFailAsScriptErrorsAndKeepTheStack)
{
    Run("LoadConstConfig({ locked = 5 })");
    LuaObject proxy = state.GetGlobal("Config");
    state.PushString("below");
    state.PushNumber(1);
    try {
        proxy.SetNumber("locked", 6);
        ADD_FAILURE() << "the constant was overwritten";
    } catch (const ScriptError& e) {
        EXPECT_NE(e.GetMessage().find("Cannot overwrite a const config variable"), std::string::npos)
            << e.GetMessage();
    }
    EXPECT_EQ(state.GetTop(), 2);
    EXPECT_EQ(config->Retrieve("locked").ToDouble(), 5);

    Run("getmetatable(Config).__index = function(t, k) error('no reading ' .. k, 0) end");
    EXPECT_EQ(FailureOf([&] { proxy.GetByName("volume"); }), "no reading volume");
    EXPECT_EQ(state.GetTop(), 2);
    EXPECT_EQ(state.Stack(1).GetString(), "below");
    EXPECT_EQ(state.Stack(2).GetNumber(), 1);
    state.SetTop(0);

    // Other keys still go through the proxy to the data.
    proxy.SetNumber("volume", 3);
    EXPECT_EQ(config->GetDouble("volume"), 3);
}

TEST_F(ConfigTest, StoreKeepsOddKeysAndValuesExactly)
{
    config->Store("name \"quoted\"\n", Variant(std::string("a\"b\\c\n")));
    EXPECT_EQ(config->Retrieve("name \"quoted\"\n").ToString(), "a\"b\\c\n");
    config->Store("volume", Variant(40.0));
    EXPECT_EQ(config->GetDouble("volume"), 40);
}

TEST_F(ConfigTest, ObserversAreToldAtOnceOfEveryWrite)
{
    Listener listener;
    config->AttachObserver(&listener, "volume");
    config->AttachObserver(&listener, "volume");
    config->Store("volume", Variant(10.0));
    EXPECT_EQ(listener.seen.size(), 2u);
    config->DetachObserver(&listener, "volume");
    Run("Config.volume = 11");
    EXPECT_EQ(listener.seen.size(), 3u);
    EXPECT_EQ(listener.lastValue.GetNumber(), 11);
    Run("Config_Data.volume = 12");  // bypasses the observers
    EXPECT_EQ(listener.seen.size(), 3u);

    // The update carries the constant when a key has both.
    Listener constantListener;
    Run("Config.speed = 'data'");
    config->AttachObserver(&constantListener, "speed");
    Run("LoadConstConfig({ speed = 'constant' })");
    config->ApplyMetadata();
    ASSERT_EQ(constantListener.seen.size(), 1u);
    EXPECT_EQ(constantListener.lastValue.GetString(), "constant");

    config->ForgetObserver(&listener);
    config->ForgetObserver(&constantListener);
    EXPECT_TRUE(state.GetGlobal("Config_Metadata")["volume"]["observers"].IsNil());
    Run("local ok = pcall(Config_DetachObserver, 'x', 'never') assert(not ok)");
}

TEST_F(ConfigTest, WriteThenReadBackRestoresEveryValue)
{
    Run("Config.music_volume = 40 Config.full_screen = true");
    std::filesystem::path path = dir / "WoppleQuest.cfg";
    config->Write(path.string());
    EXPECT_EQ(Read(path), "LoadConfig {\n    full_screen = true,\n    music_volume = 40,\n}\n");

    Run("Config.player = 'x\", os.execute(\"y\"), \"' Config['odd key'] = 0.1 Config.off = false");
    config->Write(path.string());
    VelkLuaState::Destroy();
    config.reset();
    ClassManager::DestroyInstance();
    CoreFixture::SetUp();
    config = std::make_unique<Config>(state);
    EXPECT_EQ(config->DoFile(path.string()), 0);
    EXPECT_EQ(config->Retrieve("player").ToString(), "x\", os.execute(\"y\"), \"");
    EXPECT_EQ(config->Retrieve("odd key").ToDouble(), 0.1);
    EXPECT_FALSE(config->Retrieve("off").ToBool());
    EXPECT_EQ(config->Retrieve("music_volume").ToDouble(), 40);
}

TEST_F(ConfigTest, SettingsThatCannotBeWrittenAreLeftOutAndTheRestAreWritten)
{
    Run("Config.music_volume = 40 Config.name = 'Ann' "
        "Config.task = coroutine.create(function() end) "
        "local loop = {} loop.me = loop Config.loop = loop "
        "local deep = {} for i = 1, 150 do deep = { deep } end Config.deep = deep "
        "Config.inner = { 1, { coroutine.create(function() end) } } "
        "Config[coroutine.create(function() end)] = 1");
    ClearLogCache();
    std::filesystem::path path = dir / "WoppleQuest.cfg";
    config->Write(path.string());
    EXPECT_EQ(Read(path), "LoadConfig {\n    music_volume = 40,\n    name = \"Ann\",\n}\n");

    std::string log;
    for (const std::string& line : GetCachedLogLines())
        log += line;
    for (const char* key : {"\"task\"", "\"loop\"", "\"deep\"", "\"inner\"", "a thread"})
        EXPECT_NE(log.find(std::string("WARNING: The setting ") + key + " cannot be saved and was left out: "),
                  std::string::npos)
            << key << "\n" << log;
    EXPECT_NE(log.find("Cannot serialize tables nested deeper than 100 levels."), std::string::npos) << log;
    // Still there for the rest of the run.
    EXPECT_TRUE(config->GetLuaValue("task").Type() == LUA_TTHREAD);
}

TEST_F(ConfigTest, AFileThatCannotBeLoadedIsKeptAsideAndDefaultsStay)
{
    Run("LoadConfig({ volume = 3 })");
    std::filesystem::path path = dir / "WoppleQuest.cfg";
    WriteFile(path, "LoadConfig { volume = 9, name = os.getenv('HOME') }");
    ClearLogCache();
    EXPECT_EQ(config->DoFile(path.string()), 1);
    EXPECT_EQ(config->Retrieve("volume").ToDouble(), 3);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(std::filesystem::exists(dir / "WoppleQuest.cfg.bad"));
    bool warned = false;
    for (const std::string& line : GetCachedLogLines())
        warned = warned || line.rfind("WARNING: ", 0) == 0;
    EXPECT_TRUE(warned);

    // A later write does not touch the kept file.
    config->Write(path.string());
    EXPECT_EQ(Read(dir / "WoppleQuest.cfg.bad"), "LoadConfig { volume = 9, name = os.getenv('HOME') }");
    EXPECT_EQ(config->DoFile((dir / "absent.cfg").string()), 0);
}

TEST_F(ConfigTest, WriteNeedsItsSupportFunctions)
{
    Run("CloseOutputFile = nil");
    EXPECT_EQ(FailureOf([&] { config->Write((dir / "x.cfg").string()); }),
              "Assertion failed: (m_LuaState->Stack(-1).IsFunction())");
}

TEST_F(ConfigTest, DataBinderStoresTheControlsValue)
{
    SetConfig(config.get());
    Listener listener;
    config->AttachObserver(&listener, "music_volume");
    {
        ConfigDataBinder binder("music_volume");
        Object control;
        control.ApplyIntegerProperty("value", 70);
        EXPECT_TRUE(binder.OnEvent(MakeEventRecord(VELK_VALUECHANGE, 0, &control)));
        EXPECT_EQ(binder.Retrieve().ToDouble(), 70);
    }
    EXPECT_EQ(listener.seen.size(), 1u);
    // The binder detached itself: only the listener remains.
    EXPECT_EQ(state.GetGlobal("Config_Metadata")["music_volume"]["observers"].GetN(), 1);
    config->DetachObserver(&listener, "music_volume");
}
