#include "engine/runtime/Image.h"

#include "ImageTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace imagetest;

namespace {

class SDLImageLoaderTest : public ImageFixture
{
protected:
    ResourceInfo& Entry(const std::string& location, const std::string& bytes)
    {
        info = std::make_unique<ResourceInfo>();
        info->SetLocation(location);
        info->SetReader(new FakeCoreHost::MemoryReader(bytes));
        return *info;
    }

    SDLImageLoader loader;
    std::unique_ptr<ResourceInfo> info;
};

} // namespace

TEST_F(SDLImageLoaderTest, AcceptsItsExtensionsCaseSensitively)
{
    EXPECT_EQ(loader.GetDescription(), "SDL_Image image file loader");
    const std::pair<const char*, bool> cases[] = {
        {"/data/ball.png", true}, {"x.jpeg", true}, {"x.jpg", true}, {"x.bmp", true},
        {".png", false},          {"x.PNG", false}, {"x.Jpg", false}, {"x.gif", false},
        {"png", false},           {"", false},
    };
    for (const auto& [location, accepted] : cases) {
        ResourceInfo entry;
        entry.SetLocation(location);
        EXPECT_EQ(loader.CanLoad(entry), accepted) << location;
    }
}

TEST_F(SDLImageLoaderTest, LoadsPicturesIntoTheStandardFormatWithTheirMetadata)
{
    const std::vector<std::uint32_t> pixels = {0xFF112233, 0x80445566, 0x00778899, 0xFFAABBCC};
    ResourceInfo& entry = Entry("/data/pair.png", EncodePng(4, 1, true, pixels));
    entry.SetMetadata(Eval("{numFrames = 2, width = 2, height = 1}"));
    loader.LoadResource(entry.GetReader(), entry);
    EXPECT_EQ(entry.GetType(), RESOURCE_IMAGE);
    auto* image = dynamic_cast<Image*>(entry.GetResource());
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(SurfaceManager::IsStandardPixelFormat(image->GetSurface()->format));
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(PixelAt(*image, x, 0), pixels[static_cast<std::size_t>(x)]) << x;
    EXPECT_EQ(image->GetFlags(), 0u);
    EXPECT_EQ(image->GetNumFrames(), 2);
    EXPECT_EQ(image->GetMetadata(), entry.GetMetadata());

    // Pictures without alpha are drawn by copy.
    for (const std::string& bytes : {EncodePng(2, 1, false, {0xFF010203, 0xFF040506}),
                                     EncodeBmp(2, 1, {0xFF010203, 0xFF040506})}) {
        std::unique_ptr<Image> opaque = SDLImageLoader::LoadImageA(bytes.data(), bytes.size(), nullptr);
        EXPECT_EQ(opaque->GetFlags(), std::uint32_t{IMAGEFLAG_NO_ALPHA});
        EXPECT_EQ(PixelAt(*opaque, 1, 0), 0xFF040506u);
        EXPECT_FALSE(opaque->GetSurface()->flags & SDL_SRCALPHA);
    }
}

TEST_F(SDLImageLoaderTest, RefusesWhatItCannotRead)
{
    const std::string garbage = "not a picture at all";
    EXPECT_THROW(SDLImageLoader::LoadImageA(garbage.data(), garbage.size(), nullptr), ResourceLoadError);
    const std::string failure = FailureWithFunctionOf([&] { SDLImageLoader::LoadImageA(garbage.data(), garbage.size(), nullptr); });
    EXPECT_EQ(failure.rfind("SDLImageLoader::LoadImageA: Could not load image:\nerror=", 0), 0u) << failure;

    ResourceInfo& entry = Entry("/data/a.png", "x");
    EXPECT_EQ(FailureWithFunctionOf([&] { loader.LoadResource(nullptr, entry); }),
              "SDLImageLoader::LoadResource: Assertion failed: (reader != 0)");
    ResourceInfo& nowhere = Entry("", "x");
    EXPECT_EQ(FailureWithFunctionOf([&] { loader.LoadResource(nowhere.GetReader(), nowhere); }),
              "SDLImageLoader::LoadResource: Assertion failed: (location.empty() == false)");
    EXPECT_EQ(nowhere.GetResource(), nullptr);
}

TEST_F(SDLImageLoaderTest, MakeFromFileGivesAnImageOrNullWithAWarning)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("velk-images-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / "chosen.png";
    {
        std::ofstream out(file, std::ios::binary);
        out << EncodePng(1, 1, true, {0x7F010203});
    }
    std::unique_ptr<Image> image = Image::MakeFromFile(file.string());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(PixelAt(*image, 0, 0), 0x7F010203u);
    EXPECT_TRUE(image->GetMetadata().IsNil());

    ClearLogCache();
    const std::string missing = (dir / "missing.png").string();
    EXPECT_EQ(Image::MakeFromFile(missing), nullptr);
    EXPECT_EQ(GetCachedLogLines(),
              std::vector<std::string>{"WARNING: Image::MakeFromFile failed.\n Could not open file: \"" + missing +
                                       "\", No such file or directory\n"});
    std::filesystem::remove_all(dir);
}
