#pragma once

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/Resource.h"
#include "engine/runtime/SurfaceManager.h"
#include "platform/lua/LuaObject.h"
#include "platform/lua/LuaState.h"
#include "support/FakeCoreHost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "support/Failure.h"

namespace imagetest {

// A w x h surface of the standard format holding the given pixels (0xAARRGGBB, row by row).
inline SDL_Surface* MakeSurface(int w, int h, const std::vector<std::uint32_t>& pixels)
{
    SDL_Surface* surface = SurfaceManager::GetInstance()->CreateSurface(w, h, false);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            PixelRow(surface, y)[x] = pixels.empty() ? 0 : pixels[static_cast<std::size_t>(y * w + x)];
    return surface;
}

inline std::unique_ptr<Image> MakeImage(int w, int h, const std::vector<std::uint32_t>& pixels,
                                        std::uint32_t flags = 0)
{
    return std::make_unique<Image>(MakeSurface(w, h, pixels), flags, nullptr);
}

// Every pixel a distinct opaque value: 0xFF000000 | (y << 8) | x.
inline std::vector<std::uint32_t> Numbered(int w, int h)
{
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels.push_back(0xFF000000u | (static_cast<std::uint32_t>(y) << 8) | static_cast<std::uint32_t>(x));
    return pixels;
}

inline std::uint32_t PixelAt(const Image& image, int x, int y)
{
    return PixelRow(image.GetSurface(), y)[x];
}

inline void SetPixel(Image& image, int x, int y, std::uint32_t value)
{
    PixelRow(image.GetSurface(), y)[x] = value;
}

// A PNG file of 8-bit RGBA (or RGB) pixels given as 0xAARRGGBB, compressed with stored blocks.
std::string EncodePng(int w, int h, bool alpha, const std::vector<std::uint32_t>& pixels);
// A 24-bit BMP file of the pixels' colours.
std::string EncodeBmp(int w, int h, const std::vector<std::uint32_t>& pixels);

// The catalogue as images need it: entries by name, loaded on first acquisition
// by the image loader.
class FakeCatalog : public ResourceCatalog
{
public:
    FakeCatalog() { SetResourceCatalog(this); }
    ~FakeCatalog() override { SetResourceCatalog(nullptr); }

    Resource* AcquireResource(const char* name, ResourceInfo** outInfo) override
    {
        ResourceInfo& info = Entry(name);
        SDLImageLoader loader;
        if (!info.GetResource() && loader.CanLoad(info))
            loader.LoadResource(info.GetReader(), info);
        if (outInfo)
            *outInfo = &info;
        info.IncrementAcquireCount();
        return info.GetResource();
    }

    Resource* FindLoadedResource(const char* name) override { return Entry(name).GetResource(); }

    void AddInfo(const std::string& name, std::unique_ptr<ResourceInfo> info) override
    {
        entries[name] = std::move(info);
    }

    std::map<std::string, std::unique_ptr<ResourceInfo>> entries;

private:
    ResourceInfo& Entry(const char* name)
    {
        auto it = entries.find(name);
        if (it == entries.end())
            VELK_THROW(ResourceNotFoundException, std::string("Could not find resource info with name = ") + name);
        return *it->second;
    }
};

// Stands in for the accelerated back end: makes empty texture sets and counts them.
class FakeTextureMaker : public DividedTextureMaker
{
public:
    struct Texture : DividedTexture
    {
        explicit Texture(int* alive) : alive(alive) { ++*alive; }
        ~Texture() override { --*alive; }
        int* alive;
    };

    FakeTextureMaker() { SurfaceManager::GetInstance()->SetDividedTextureMaker(this); }
    ~FakeTextureMaker() override { SurfaceManager::GetInstance()->SetDividedTextureMaker(nullptr); }

    std::unique_ptr<DividedTexture> MakeDividedTexture(SDL_Surface*) override
    {
        return std::make_unique<Texture>(&alive);
    }

    int alive = 0;
};

// A log level of 4 through the fake host, a Lua state for metadata, and a
// clean log cache.
class ImageFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        lua = LuaState::Create();
        ClearLogCache();
    }
    void TearDown() override
    {
        ClearLogCache();
        LuaState::Destroy(lua);
    }

    LuaObject Eval(const std::string& expression)
    {
        EXPECT_EQ(lua.LoadString("return " + expression), 0);
        EXPECT_EQ(lua.PCall(0, 1), 0);
        return LuaObject::PopFrom(lua);
    }

    FakeCoreHost host{4};
    LuaState lua;
};

} // namespace imagetest
