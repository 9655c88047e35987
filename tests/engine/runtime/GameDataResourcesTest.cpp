// Every file of the built game data, acquired by name through the resource
// manager the way the game finds it: from the package, from the data folder
// mounted in its place, and from the data folder scanned on disk.

#include "engine/runtime/Image.h"
#include "engine/runtime/PhysFSResourceExtensions.h"
#include "engine/runtime/ResourceExtensions.h"
#include "ResourceTestSupport.h"

#include <map>

using namespace restest;

namespace {

const fs::path kDataDir = VELK_GAME_DATA_DIR;

enum class Source
{
    Package,
    FolderThroughPhysFS,
    FolderOnDisk,
};

class GameDataTest : public ResourceFixture, public ::testing::WithParamInterface<Source>
{
protected:
    // Bare file name -> path relative to the data folder; every name must be unique.
    static std::map<std::string, std::string> DataFiles()
    {
        std::map<std::string, std::string> files;
        for (const auto& item : fs::recursive_directory_iterator(kDataDir)) {
            if (!item.is_regular_file() || item.path().filename() == "metadata.cfg")
                continue;
            const std::string name = item.path().filename().string();
            const std::string relative = fs::relative(item.path(), kDataDir).generic_string();
            EXPECT_EQ(files.count(name), 0u) << name << " is in two folders; one would hide the other";
            files[name] = relative;
        }
        return files;
    }

    std::unique_ptr<ResourceScanner> MakeScanner() const
    {
        switch (GetParam()) {
        case Source::Package:
            return std::make_unique<PhysFSResourceScanner>(VELK_GAME_PACKAGE);
        case Source::FolderThroughPhysFS:
            return std::make_unique<PhysFSResourceScanner>(kDataDir.string());
        case Source::FolderOnDisk:
            break;
        }
        return std::make_unique<WindowsDirectoryResourceScanner>(kDataDir.string(), true, true);
    }

    std::string ExpectedLocation(const std::string& relative) const
    {
        return GetParam() == Source::FolderOnDisk ? kDataDir.string() + "/" + relative : relative;
    }
};

} // namespace

TEST_P(GameDataTest, EveryFileIsFoundByNameAndEveryPictureDecodes)
{
    const std::map<std::string, std::string> files = DataFiles();
    ASSERT_GT(files.size(), 20u);

    ResourceManager manager;
    manager.AddResourceLoader(std::make_unique<SDLImageLoader>());
    manager.AddResourceScanner(MakeScanner());
    manager.ScanAll();
    EXPECT_EQ(CountInLog("WARNING"), 0) << LogText();
    EXPECT_FALSE(manager.ResourceExists("metadata.cfg"));

    int pictures = 0;
    int framed = 0;
    for (const auto& [name, relative] : files) {
        SCOPED_TRACE(name);
        ResourceInfo* info = nullptr;
        Resource* resource = manager.AcquireResource(name, &info);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->GetLocation(), ExpectedLocation(relative));
        const std::string extension = fs::path(name).extension().string();
        if (extension == ".png" || extension == ".jpg") {
            ++pictures;
            auto* image = dynamic_cast<Image*>(resource);
            ASSERT_NE(image, nullptr);
            EXPECT_EQ(info->GetType(), RESOURCE_IMAGE);
            EXPECT_GT(image->GetFullSize().w, 0u);
            const LuaObject& metadata = info->GetMetadata();
            if (metadata["numFrames"].IsNumber()) {
                ++framed;
                EXPECT_EQ(image->GetNumFrames(), metadata["numFrames"].GetInteger());
                EXPECT_EQ(static_cast<int>(image->GetSize().w), metadata["width"].GetInteger());
                EXPECT_EQ(static_cast<int>(image->GetSize().h), metadata["height"].GetInteger());
            }
        } else {
            // Sounds, music and fonts have loaders of their own; here they are found with their bytes.
            EXPECT_EQ(resource, nullptr);
            EXPECT_EQ(info->GetType(), RESOURCE_UNKNOWN);
            EXPECT_EQ(BytesOf(*info), ReadFile(kDataDir / relative));
        }
        EXPECT_EQ(info->GetAcquireCount(), 1);
    }
    EXPECT_GT(pictures, 10);
    EXPECT_GT(framed, 4);

    Image button("Button.png");
    EXPECT_EQ(button.GetNumFrames(), 4);
    EXPECT_EQ(button.GetSize().w, 124u);
    EXPECT_EQ(button.GetSize().h, 48u);
    EXPECT_TRUE(manager.FindInfo("Wopple.mid")->GetMetadata()["parts"]["Loop"].IsTable());
}

INSTANTIATE_TEST_SUITE_P(Sources, GameDataTest,
                         ::testing::Values(Source::Package, Source::FolderThroughPhysFS, Source::FolderOnDisk),
                         [](const ::testing::TestParamInfo<Source>& info) {
                             switch (info.param) {
                             case Source::Package:
                                 return "Package";
                             case Source::FolderThroughPhysFS:
                                 return "FolderThroughPhysFS";
                             case Source::FolderOnDisk:
                                 break;
                             }
                             return "FolderOnDisk";
                         });
