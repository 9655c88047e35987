// The ambient loop with the game's own sounds, through the real sound system
// on the dummy audio driver; the audio clock moves with the passes.

#include "ActorTestSupport.h"
#include "engine/core/Config.h"
#include "engine/runtime/ResourceExtensions.h"
#include "engine/runtime/ResourceManager.h"
#include "engine/runtime/Sound.h"
#include "engine/ui/AmbientLoop.h"
#include "platform/audio/Audio.h"

#include <cstdlib>

using namespace actortest;

namespace {

const char* const kOcean = "Water_OceanLoop.ogg";
const char* const kForest = "Amb_TropicalForestLoop1.ogg";
const char* const kWaves[] = {"Water_OceanWaveBreak1.ogg", "Water_OceanWaveBreak2.ogg", "Water_OceanWaveBreak3.ogg",
                              "Water_OceanWaveBreak4.ogg"};

class AmbientLoopTest : public ActorFixture
{
protected:
    void SetUp() override
    {
        ActorFixture::SetUp();
        std::srand(7);
        config = std::make_unique<Config>(state);
        SetConfig(config.get());
        Audio::SetClock([this] { return audioNow; });
        manager = std::make_unique<ResourceManager>();
        manager->AddResourceLoader(std::make_unique<BASSSoundLoader>());
        manager->AddResourceScanner(std::make_unique<WindowsDirectoryResourceScanner>(
            std::string(VELK_GAME_DATA_DIR) + "/sounds", true, true));
        manager->ScanAll();
        Sound::Init(true);
        ASSERT_TRUE(Sound::IsActive());
    }

    void TearDown() override
    {
        owned.clear();
        DeleteFlagged();
        manager.reset();
        Sound::Quit();
        SetConfig(nullptr);
        config.reset();
        Audio::SetClock(nullptr);
        ActorFixture::TearDown();
    }

    AmbientLoop* Make(const std::string& properties)
    {
        Run("_ambient = CreateObject{ class = 'AmbientLoop', " + properties + " }");
        auto* ambient = dynamic_cast<AmbientLoop*>(Object::FromLuaObject(state.GetGlobal("_ambient")));
        EXPECT_NE(ambient, nullptr);
        owned.emplace_back(ambient);
        return ambient;
    }

    static bool Playing(const std::string& name) { return Sound::GetSound(name)->IsPlaying(); }

    // Main-loop passes; the sounds play on meanwhile.
    void Passes(int count)
    {
        for (int i = 0; i < count; ++i) {
            audioNow += 32;
            Pass(nullptr);
        }
    }

    // Lets the sounds play on for a while with no pass.
    void Listen(std::uint64_t ms) { audioNow += ms; }

    // Passes until the timer has signalled and been replaced; how many it took.
    int PassesUntilFired(const AmbientLoop& ambient, std::uint32_t (AmbientLoop::*timer)() const)
    {
        const std::uint32_t start = clock.now;
        const std::uint32_t incarnation = timers->GetTimer((ambient.*timer)()).m_Incarnation;
        int passes = 0;
        while (timers->GetTimer((ambient.*timer)()).m_Incarnation == incarnation &&
               timers->GetTimer((ambient.*timer)()).m_RemainingSignals != 0 && clock.now - start < 20000) {
            Passes(1);
            ++passes;
        }
        return passes;
    }

    int PlayingWaves()
    {
        int playing = 0;
        for (const char* wave : kWaves)
            playing += Playing(wave);
        return playing;
    }

    std::unique_ptr<Config> config;
    std::unique_ptr<ResourceManager> manager;
    std::uint64_t audioNow = 5000;
};

} // namespace

TEST_F(AmbientLoopTest, PlayingStartsTheLoopsAndOneEffectAndStoppingEndsThem)
{
    AmbientLoop* ambient =
        Make("loopFiles = 'Water_OceanLoop.ogg', randomLoopFiles = { 'Amb_TropicalForestLoop1.ogg' }, "
             "randomEffectFiles = { 'Water_OceanWaveBreak1.ogg', 'Water_OceanWaveBreak2.ogg', "
             "'Water_OceanWaveBreak3.ogg', 'Water_OceanWaveBreak4.ogg' }, playing = false");
    EXPECT_FALSE(Playing(kOcean));
    EXPECT_EQ(ambient->GetRandomLoopTimerID(), 0u);

    Run("_ambient.playing = true");
    EXPECT_TRUE(Playing(kOcean));
    EXPECT_TRUE(Playing(kForest));
    EXPECT_EQ(ambient->GetCurrentRandomLoop(), kForest);
    EXPECT_EQ(PlayingWaves(), 1);
    ASSERT_NE(ambient->GetRandomLoopTimerID(), 0u);
    ASSERT_NE(ambient->GetRandomEffectTimerID(), 0u);
    const TimerManager::Timer& loopTimer = timers->GetTimer(ambient->GetRandomLoopTimerID());
    const TimerManager::Timer& effectTimer = timers->GetTimer(ambient->GetRandomEffectTimerID());
    EXPECT_GE(loopTimer.m_Period, 8000u);
    EXPECT_LE(loopTimer.m_Period, 10000u);
    EXPECT_GE(effectTimer.m_Period, 8000u);
    EXPECT_LE(effectTimer.m_Period, 12000u);
    EXPECT_EQ(loopTimer.m_RemainingSignals, 1);
    EXPECT_NE(loopTimer.m_Flags & TIMER_REAL_TIME, 0u);

    // The loops go on; the effect plays once.
    Listen(60000);
    EXPECT_TRUE(Playing(kOcean));
    EXPECT_TRUE(Playing(kForest));
    EXPECT_EQ(PlayingWaves(), 0);

    const std::uint32_t loopTimerID = ambient->GetRandomLoopTimerID();
    ambient->SetPlaying(false);
    EXPECT_FALSE(Playing(kOcean));
    EXPECT_FALSE(Playing(kForest));
    EXPECT_EQ(ambient->GetRandomLoopTimerID(), loopTimerID) << "the timer is kept";
    EXPECT_EQ(timers->GetTimer(loopTimerID).m_RemainingSignals, 0) << "but stopped";
    Passes(400);
    EXPECT_FALSE(Playing(kForest));
    EXPECT_EQ(PlayingWaves(), 0);
}

TEST_F(AmbientLoopTest, TheTimersPickAgainAndOneRandomLoopPlaysAtATime)
{
    AmbientLoop* ambient = Make("randomLoopFiles = { 'Amb_TropicalForestLoop1.ogg' }, "
                                "randomEffectFiles = { 'Water_OceanWaveBreak1.ogg', 'Water_OceanWaveBreak2.ogg' }");
    ambient->SetPlaying(true);
    const std::uint32_t firstPeriod = timers->GetTimer(ambient->GetRandomLoopTimerID()).m_Period;
    Sound* forest = Sound::GetSound(kForest);

    // With one name, each firing restarts the same loop.
    const int passes = PassesUntilFired(*ambient, &AmbientLoop::GetRandomLoopTimerID);
    EXPECT_GE(passes * 32, static_cast<int>(firstPeriod));
    EXPECT_LT(passes * 32, static_cast<int>(firstPeriod) + 64);
    EXPECT_TRUE(Playing(kForest));
    EXPECT_LT(Audio::ChannelGetPosition(forest->GetChannel()), Audio::ChannelGetLength(forest->GetChannel()) / 10)
        << "started again from the beginning";
    EXPECT_EQ(timers->GetTimer(ambient->GetRandomLoopTimerID()).m_RemainingSignals, 1) << "and timed again";

    // The effect timer plays another effect when it fires.
    Listen(60000);
    ASSERT_EQ(PlayingWaves(), 0);
    PassesUntilFired(*ambient, &AmbientLoop::GetRandomEffectTimerID);
    EXPECT_EQ(PlayingWaves(), 1);
    EXPECT_EQ(timers->GetTimer(ambient->GetRandomEffectTimerID()).m_RemainingSignals, 1);

    // Picking between two loops, the last one stops when another is picked.
    Run("_ambient.randomLoopFiles = { 'Amb_TropicalForestLoop1.ogg', 'Water_OceanLoop.ogg' }");
    for (int firing = 0; firing < 12; ++firing) {
        const std::string current = ambient->GetCurrentRandomLoop();
        EXPECT_TRUE(Playing(current));
        EXPECT_EQ(Playing(kOcean) + Playing(kForest), 1) << "firing " << firing;
        PassesUntilFired(*ambient, &AmbientLoop::GetRandomLoopTimerID);
    }
}

TEST_F(AmbientLoopTest, NamesListsAndNothing)
{
    // An empty list of effects starts none and times none.
    AmbientLoop* quiet = Make("randomEffectFiles = {}, playing = true");
    EXPECT_EQ(quiet->GetRandomEffectTimerID(), 0u);
    EXPECT_EQ(quiet->GetRandomLoopTimerID(), 0u);
    EXPECT_EQ(PlayingWaves(), 0);

    // A single name of effects loops, with no timer; list entries play once.
    AmbientLoop* single = Make("randomEffectFiles = 'Water_OceanWaveBreak3.ogg'");
    single->SetPlaying(true);
    EXPECT_EQ(single->GetRandomEffectTimerID(), 0u);
    Listen(60000);
    EXPECT_TRUE(Playing(kWaves[2]));
    single->SetPlaying(false);
    EXPECT_FALSE(Playing(kWaves[2]));

    // A list of fixed loops all loop; nil changes nothing.
    AmbientLoop* fixed = Make("loopFiles = { 'Water_OceanLoop.ogg', 'Water_OceanWaveBreak1.ogg' }");
    fixed->SetPlaying(true);
    Listen(60000);
    EXPECT_TRUE(Playing(kOcean));
    EXPECT_TRUE(Playing(kWaves[0]));
    fixed->SetLoopFiles(LuaObject(state));
    EXPECT_TRUE(Playing(kOcean));
    fixed->SetPlaying(false);
    EXPECT_TRUE(Playing(kOcean)) << "what is no longer listed is no longer this actor's";
    Sound::Stop(kOcean);

    // A sound the data lacks is named in the log and the rest plays.
    ClearLogCache();
    AmbientLoop* missing = Make("loopFiles = { 'NoSuchLoop.ogg', 'Water_OceanLoop.ogg' }, playing = true");
    EXPECT_TRUE(missing->IsPlaying());
    EXPECT_TRUE(Playing(kOcean));
    bool warned = false;
    for (const std::string& line : GetCachedLogLines())
        warned = warned || (line.find("WARNING") != std::string::npos && line.find("NoSuchLoop.ogg") != std::string::npos);
    EXPECT_TRUE(warned);
}

TEST_F(AmbientLoopTest, DeletingItFreesTheTimersAndStopsItsSounds)
{
    AmbientLoop* ambient = Make("loopFiles = 'Water_OceanLoop.ogg', randomLoopFiles = { 'Amb_TropicalForestLoop1.ogg' }, "
                                "randomEffectFiles = { 'Water_OceanWaveBreak1.ogg' }, playing = true");
    const std::uint32_t loopTimer = ambient->GetRandomLoopTimerID();
    const std::uint32_t effectTimer = ambient->GetRandomEffectTimerID();
    ASSERT_TRUE(Playing(kWaves[0]));
    owned.clear();
    EXPECT_NE(timers->GetTimer(loopTimer).m_Flags & TIMER_FREED, 0u);
    EXPECT_NE(timers->GetTimer(effectTimer).m_Flags & TIMER_FREED, 0u);
    EXPECT_FALSE(Playing(kOcean));
    EXPECT_FALSE(Playing(kForest));
    EXPECT_FALSE(Playing(kWaves[0]));

    // One that is not playing leaves the same names alone when it goes: another plays them now.
    AmbientLoop* idle = Make("loopFiles = 'Water_OceanLoop.ogg', randomLoopFiles = 'Amb_TropicalForestLoop1.ogg'");
    idle->SetPlaying(true);
    idle->SetPlaying(false);
    Make("loopFiles = 'Water_OceanLoop.ogg', randomLoopFiles = 'Amb_TropicalForestLoop1.ogg', playing = true");
    owned.erase(owned.begin());
    EXPECT_TRUE(Playing(kOcean));
    EXPECT_TRUE(Playing(kForest));
}

TEST_F(AmbientLoopTest, ASingleRandomLoopNameTakesThePlaceOfTheLastLoop)
{
    AmbientLoop* ambient = Make("randomLoopFiles = { 'Amb_TropicalForestLoop1.ogg' }, playing = true");
    ASSERT_TRUE(Playing(kForest));
    Run("_ambient.randomLoopFiles = 'Water_OceanLoop.ogg'");
    EXPECT_EQ(ambient->GetCurrentRandomLoop(), kOcean);
    EXPECT_TRUE(Playing(kOcean));
    EXPECT_FALSE(Playing(kForest));
    Run("_ambient.randomLoopFiles = { 'Amb_TropicalForestLoop1.ogg' }");
    EXPECT_TRUE(Playing(kForest));
    EXPECT_FALSE(Playing(kOcean));
}
