#pragma once

#include "../runtime/ImageTestSupport.h"
#include "engine/core/Class.h"
#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/core/TimerManager.h"
#include "engine/core/TypeConversion.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/Image.h"
#include "engine/ui/Actor.h"
#include "support/FakeCoreHost.h"
#include "support/Failure.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace actortest {

// The fake host, with the pictures of the test catalogue as image resources.
class ActorTestHost : public FakeCoreHost
{
public:
    explicit ActorTestHost(imagetest::FakeCatalog& catalog) : FakeCoreHost(2), catalog(catalog) {}

    ResourceEntry AcquireResource(const std::string& name) override
    {
        if (catalog.entries.count(name)) {
            ResourceEntry entry;
            entry.name = name;
            entry.type = RESOURCE_IMAGE;
            return entry;
        }
        return FakeCoreHost::AcquireResource(name);
    }

    imagetest::FakeCatalog& catalog;
};

class StepClock : public TimerClock
{
public:
    std::uint32_t GetFrameStartTime() const override { return now; }
    std::uint32_t now = 1000;
};

// Records the engine events it is sent, with their senders and payloads.
class Observer : public Object
{
public:
    struct Received
    {
        int type;
        Object* sender;
        std::shared_ptr<LuaObject> payload;
    };

    bool OnActorScriptFinished(Event* e) override { return Record(e); }
    bool OnAnimationFinished(Event* e) override { return Record(e); }
    bool OnChildGroupAdded(Event* e) override { return Record(e); }
    bool OnSlideComplete(Event* e) override { return Record(e); }

    std::vector<Received> received;

private:
    bool Record(Event* e)
    {
        received.push_back({static_cast<int>(e->type), e->sender, e->payload});
        return true;
    }
};

// Colours as the canvas holds them, without the alpha the blits leave alone.
inline constexpr std::uint32_t kRed = 0xFF0000;
inline constexpr std::uint32_t kGreen = 0x00FF00;
inline constexpr std::uint32_t kBlue = 0x0000FF;
inline constexpr std::uint32_t kWhite = 0xFFFFFF;

// The engine as the actors need it: the application (pause flag, roll-over
// requests), a host pumped by hand, the Lua state with the classes and the
// template scripts, a picture catalogue and the timers.
class ActorFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearLogCache();
        app = std::make_unique<Application>("ActorTest", "Actor Test", AppCodeFromString("ACTR"), 800, 600);
        host = std::make_unique<ActorTestHost>(catalog);
        state = VelkLuaState::Create();
        VelkLuaState::RunStartupScript(state);
        TypeConversion::InitializeTypeTables();
        ClassManager::GetInstance()->InitializeClasses();
        Script::InitializeScripting();
        for (const char* file : {"Utility.lua", "ResourceLoader.lua", "Player.lua"})
            VelkLuaState::DoResourceFile(state, file);
        timers = std::make_unique<TimerManager>(clock);
    }

    void TearDown() override
    {
        owned.clear();
        host->queue.Clear();
        DeleteFlagged();
        timers.reset();
        Script::ShutdownScripting();
        ClassManager::DestroyInstance();
        VelkLuaState::Destroy();
        app.reset();
        host.reset();
        ClearLogCache();
    }

    // One main-loop pass as far as actors see it: timers, the tree's update,
    // queued events, deletions.
    void Pass(Actor* root)
    {
        clock.now += 32;
        timers->Update();
        if (root)
            root->Update();
        host->DispatchEvents();
        DeleteFlagged();
    }

    // The deletion phase as the application must run it.
    void DeleteFlagged()
    {
        while (!host->flagged.empty()) {
            Object* object = host->flagged.front();
            host->flagged.pop_front();
            object->DetachBeforeDeletion();
            delete object;
        }
    }

    void Run(const std::string& source) { VelkLuaState::LoadStringA(state, source, 0, 0); }

    LuaObject Eval(const std::string& expression)
    {
        Run("_result = " + expression);
        return state.GetGlobal("_result");
    }

    // A w x h picture of one colour (0xAARRGGBB), cut into frames side by
    // side, filed in the catalogue under the name.
    void AddImage(const std::string& name, int frameWidth, int h, std::uint32_t color, int frames = 1,
                  const std::string& metadata = "")
    {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(frameWidth * frames * h), color);
        AddImagePixels(name, frameWidth, h, pixels, frames, metadata);
    }

    void AddImagePixels(const std::string& name, int frameWidth, int h, const std::vector<std::uint32_t>& pixels,
                        int frames = 1, const std::string& metadata = "")
    {
        auto image = std::make_unique<Image>(imagetest::MakeSurface(frameWidth * frames, h, pixels), 0, frameWidth,
                                             h, frames, nullptr);
        if (!metadata.empty()) {
            image->SetFlags(image->GetFlags() | IMAGEFLAG_OWNS_METADATA);
            image->SetMetadata(new LuaObject(Eval(metadata)));
        }
        image->RegisterAsResource(name);
    }

    // An actor the test owns (deleted at the end unless the test deletes it).
    template <typename... Args>
    Actor* Make(Args&&... args)
    {
        owned.push_back(std::make_unique<Actor>(std::forward<Args>(args)...));
        return owned.back().get();
    }

    // An actor showing the named picture at (x, y) with the z-order.
    Actor* ImageActor(const std::string& image, int x, int y, int zorder = 0, const std::string& name = "")
    {
        auto actor = std::make_unique<Actor>();
        actor->SetImageFromName(image);
        actor->SetPosition(x, y);
        actor->SetZOrder(zorder);
        actor->SetName(name);
        return actor.release();
    }

    // Pixels of the canvas, colour only.
    static std::uint32_t Rgb(const Canvas& canvas, int x, int y = 0)
    {
        return PixelRow(canvas.GetTargetSurface()->GetSurface(), y)[x] & 0xFFFFFFu;
    }

    imagetest::FakeCatalog catalog;
    std::unique_ptr<Application> app;
    std::unique_ptr<ActorTestHost> host;
    LuaState state;
    StepClock clock;
    std::unique_ptr<TimerManager> timers;
    std::vector<std::unique_ptr<Actor>> owned;
};

} // namespace actortest
