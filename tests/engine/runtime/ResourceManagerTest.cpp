#include "engine/runtime/ResourceManager.h"

#include "engine/runtime/Image.h"
#include "engine/runtime/ResourceExtensions.h"
#include "ImageTestSupport.h"
#include "ResourceTestSupport.h"

#include <map>

using namespace restest;

namespace {

// Hands out the entries it was given, once.
class ListScanner : public ResourceScanner
{
public:
    ListScanner(std::string description, std::map<std::string, std::string> files)
        : m_Description(std::move(description)), m_Files(std::move(files))
    {
    }

    void Scan(ResourceInfoMap& output) override
    {
        for (const auto& [name, bytes] : m_Files) {
            auto info = std::make_unique<ResourceInfo>();
            info->SetLocation(m_Description + "/" + name);
            info->SetReader(new FakeCoreHost::MemoryReader(bytes));
            output[name] = std::move(info);
        }
    }
    std::string GetDescription() const override { return m_Description; }

private:
    std::string m_Description;
    std::map<std::string, std::string> m_Files;
};

class TextResource : public Resource
{
public:
    explicit TextResource(std::string text) : text(std::move(text)) {}
    std::size_t CalcMemoryUsage(bool) override { return text.size(); }
    std::string text;
};

// Loads files of one extension as text resources and counts its loads.
class TextLoader : public ResourceLoader
{
public:
    TextLoader(std::string extension, std::string name, int* loads)
        : m_Extension(std::move(extension)), m_Name(std::move(name)), m_Loads(loads)
    {
    }

    bool CanLoad(const ResourceInfo& info) const override
    {
        const std::string& location = info.GetLocation();
        return location.size() > m_Extension.size() &&
               location.compare(location.size() - m_Extension.size(), m_Extension.size(), m_Extension) == 0;
    }
    void LoadResource(FileReader* reader, ResourceInfo& info) override
    {
        ++*m_Loads;
        const char* data = nullptr;
        std::size_t size = 0;
        reader->Read(info.GetLocation(), data, size);
        if (std::string(data, size) == "nothing")
            return;
        info.SetResource(new TextResource(m_Name + ":" + std::string(data, size)));
        info.SetType(RESOURCE_SOUND);
    }
    std::string GetDescription() const override { return m_Name; }

private:
    std::string m_Extension;
    std::string m_Name;
    int* m_Loads;
};

class ResourceManagerTest : public ResourceFixture
{
protected:
    void SetUp() override
    {
        ResourceFixture::SetUp();
        manager = std::make_unique<ResourceManager>();
    }
    void TearDown() override
    {
        manager.reset();
        ResourceFixture::TearDown();
    }

    void AddText(const std::string& extension, const std::string& name)
    {
        manager->AddResourceLoader(std::make_unique<TextLoader>(extension, name, &loads));
    }

    void Scan(std::map<std::string, std::string> files)
    {
        manager->AddResourceScanner(std::make_unique<ListScanner>("list", std::move(files)));
        manager->ScanAll();
    }

    std::unique_ptr<ResourceManager> manager;
    int loads = 0;
};

} // namespace

TEST_F(ResourceManagerTest, StartsEmptyWithTheMetadataFunctionAndInstallsItself)
{
    EXPECT_EQ(ResourceManager::GetInstance(), manager.get());
    EXPECT_EQ(GetResourceCatalog(), manager.get());
    EXPECT_TRUE(Eval("Resources._contents").IsTable());
    EXPECT_EQ(manager->GetContents(), Eval("Resources._contents"));
    EXPECT_TRUE(Eval("next(Resources._contents) == nil and Resources.anything == nil").GetBoolean());

    Run("Pending_Metadata = {} Metadata { ['a.png'] = { numFrames = 2 } } Metadata { ['b.png'] = {} }");
    EXPECT_EQ(Eval("Pending_Metadata['a.png'].numFrames").GetInteger(), 2);
    EXPECT_TRUE(Eval("Pending_Metadata['b.png']").IsTable());
    Run("Pending_Metadata = nil");
    EXPECT_THROW(Run("Metadata {}"), ScriptError);

    // A new manager starts the counters again.
    AddMemUsage(MEMUSAGE_SOUNDS, 10);
    manager.reset();
    EXPECT_EQ(GetResourceCatalog(), nullptr);
    manager = std::make_unique<ResourceManager>();
    EXPECT_EQ(GetMemUsage(MEMUSAGE_SOUNDS), 0);
}

TEST_F(ResourceManagerTest, LaterScannerWinsANameWithOneWarning)
{
    AddText(".txt", "text loader");
    manager->AddResourceScanner(std::make_unique<ListScanner>("first", std::map<std::string, std::string>{
                                                                           {"a.txt", "one"}, {"only1.txt", "x"}}));
    manager->AddResourceScanner(std::make_unique<ListScanner>("second", std::map<std::string, std::string>{
                                                                            {"a.txt", "two"}, {"only2.txt", "y"}}));
    EXPECT_EQ(LogText(), "Adding resource loader: text loader\n"
                         "Adding resource scanner: first\n"
                         "Adding resource scanner: second\n");
    manager->ScanAll();

    EXPECT_EQ(manager->GetEntryCount(), 3u);
    EXPECT_EQ(manager->FindInfo("a.txt")->GetLocation(), "second/a.txt");
    EXPECT_EQ(CountInLog("WARNING: Resource being replaced: name = a.txt\n"), 1);
    EXPECT_EQ(CountInLog("WARNING: Resource being replaced"), 1);
    EXPECT_EQ(static_cast<TextResource*>(manager->AcquireResource("a.txt"))->text, "text loader:two");
}

TEST_F(ResourceManagerTest, TablesThroughResources)
{
    Run("t = { 1, 2 } Resources.x = t");
    EXPECT_TRUE(Eval("Resources.x == t and Resources.x[2] == 2").GetBoolean());
    ResourceInfo* info = manager->FindInfo("x");
    EXPECT_EQ(info->GetType(), RESOURCE_TABLE);
    EXPECT_EQ(info->GetReader(), nullptr);
    EXPECT_EQ(info->GetLocation(), "");
    EXPECT_TRUE(info->GetMetadata().IsNil());
    EXPECT_EQ(info->GetResource()->CalcMemoryUsage(true), 0u);
    EXPECT_EQ(Eval("Resources._contents.x").GetUserData(), info);
    EXPECT_EQ(*TableResource::GetTableFromResource("x", false), Eval("t"));
    EXPECT_EQ(LogText(), "");

    Run("Resources.x = { 3 }");
    EXPECT_EQ(CountInLog("WARNING: Resource being replaced: name = x\n"), 1);
    EXPECT_EQ(Eval("Resources.x[1]").GetInteger(), 3);

    // Only tables can be filed, and only under names.
    const struct
    {
        const char* assignment;
        const char* error;
    } refusals[] = {
        {"Resources.y = 5", "Assertion failed: (table->IsTable())"},
        {"Resources.x = nil", "Assertion failed: (table->IsTable())"},
        {"Resources[1] = {}", "A resource name must be a string, not a number."},
    };
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.assignment);
        const std::string failure = FailureWithFunctionOf([&] { Run(refusal.assignment); });
        EXPECT_NE(failure.find(refusal.error), std::string::npos) << failure;
    }
    EXPECT_FALSE(manager->ResourceExists("y"));
    EXPECT_TRUE(manager->ResourceExists("x"));
    EXPECT_TRUE(Eval("Resources[1] == nil").GetBoolean());
}

TEST_F(ResourceManagerTest, ImagesReadAsLightUserdataOfTheirResource)
{
    manager->AddResourceLoader(std::make_unique<SDLImageLoader>());
    Scan({{"ball.png", imagetest::EncodePng(2, 1, true, imagetest::Numbered(2, 1))}});

    EXPECT_TRUE(Eval("Resources['ball.png']").IsLightUserData());
    EXPECT_EQ(Eval("Resources['ball.png']").GetUserData(), nullptr);
    ResourceInfo* info = manager->FindInfo("ball.png");
    EXPECT_EQ(info->GetType(), RESOURCE_UNKNOWN);
    EXPECT_EQ(info->GetAcquireCount(), 0);

    Image byName("ball.png");
    EXPECT_EQ(info->GetType(), RESOURCE_IMAGE);
    EXPECT_EQ(info->GetAcquireCount(), 1);
    auto* image = dynamic_cast<Image*>(info->GetResource());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Eval("Resources['ball.png']").GetUserData(), static_cast<Resource*>(image));
    EXPECT_EQ(byName.GetSurfaceRecord(), image->GetSurfaceRecord());
}

TEST_F(ResourceManagerTest, AcquiringLoadsOnceWithTheFirstLoaderThatAccepts)
{
    AddText(".snd", "first");
    AddText(".snd", "second");
    AddText(".null", "empty-handed");
    Scan({{"a.snd", "A"}, {"notes.zzz", "?"}, {"broken.null", "nothing"}});

    ResourceInfo* info = nullptr;
    Resource* resource = manager->AcquireResource("a.snd", &info);
    EXPECT_EQ(info, manager->FindInfo("a.snd"));
    EXPECT_EQ(static_cast<TextResource*>(resource)->text, "first:A");
    EXPECT_EQ(info->GetType(), RESOURCE_SOUND);
    EXPECT_EQ(manager->AcquireResource(std::string("a.snd")), resource);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(info->GetAcquireCount(), 2);

    // No loader for the extension: nothing is loaded, yet the acquisition counts.
    EXPECT_EQ(manager->FindLoader(*manager->FindInfo("notes.zzz")), nullptr);
    EXPECT_EQ(manager->AcquireResource("notes.zzz", &info), nullptr);
    EXPECT_EQ(manager->AcquireResource("notes.zzz"), nullptr);
    EXPECT_EQ(info->GetAcquireCount(), 2);
    EXPECT_EQ(info->GetType(), RESOURCE_UNKNOWN);

    // A loader that makes nothing fails, and the entry stays unloaded and uncounted.
    EXPECT_EQ(FailureWithFunctionOf([&] { manager->AcquireResource("broken.null"); }),
              "ResourceManager::LoadResource: Assertion failed: (resInfo->GetResource() != 0)");
    EXPECT_EQ(manager->FindInfo("broken.null")->GetAcquireCount(), 0);
}

TEST_F(ResourceManagerTest, MissingNamesAndNamesThatDifferOnlyInCase)
{
    Scan({{"Button.png", "x"}});
    ClearLogCache();
    EXPECT_EQ(manager->FindInfo("nothing.png", true), nullptr);
    EXPECT_EQ(LogText(), "");
    EXPECT_FALSE(manager->ResourceExists("nothing.png"));

    try {
        manager->AcquireResource("button.png");
        FAIL() << "no exception";
    } catch (const ResourceNotFoundException& e) {
        EXPECT_EQ(e.GetMessage(), "Could not find resource info with name = button.png");
        EXPECT_EQ(e.GetFunction(), "ResourceManager::FindInfo");
    }
    EXPECT_EQ(LogText(), "WARNING: There is no resource named \"button.png\", but there is \"Button.png\" "
                         "(names are case-sensitive).\n");
    EXPECT_FALSE(manager->ResourceExists("button.png"));
    EXPECT_TRUE(manager->ResourceExists("Button.png"));
    EXPECT_EQ(FailureWithFunctionOf([&] { TableResource::GetTableFromResource("gone", true); }),
              "ResourceManager::FindInfo: Could not find resource info with name = gone");
}

TEST_F(ResourceManagerTest, TablesAreFetchedQuietlyOrNot)
{
    Scan({{"ball.png", "x"}});
    Run("Resources.Settings = { speed = 3 }");
    EXPECT_EQ(TableResource::GetTableFromResource("Settings", true)->GetByName("speed").GetInteger(), 3);
    EXPECT_EQ(TableResource::GetTableFromResource("ball.png", true), nullptr);
    EXPECT_EQ(FailureWithFunctionOf([] { TableResource::GetTableFromResource("ball.png", false); }),
              "TableResource::GetTableFromResource: Assertion failed: (resInfo->GetType() == RESOURCE_TABLE)\n"
              "Message: The resource, \"ball.png\", is not a table.");
    EXPECT_EQ(FailureWithFunctionOf([] { LuaObject nil; TableResource table(&nil); }),
              "TableResource::TableResource: Assertion failed: (table->IsTable())");
    EXPECT_EQ(FailureWithFunctionOf([] { TableResource table(nullptr); }),
              "TableResource::TableResource: Assertion failed: (table != 0)");
}

TEST_F(ResourceManagerTest, CoreEntriesCarryNameReaderTypeAndTable)
{
    AddText(".snd", "sounds");
    Scan({{"a.snd", "A"}, {"b.zzz", "B"}});
    Run("Resources.T = { 1 }");

    CoreHost::ResourceEntry entry;
    EXPECT_FALSE(manager->FindResourceEntry("none", true, entry));
    EXPECT_THROW(manager->FindResourceEntry("none", false, entry), ResourceNotFoundException);
    ASSERT_TRUE(manager->FindResourceEntry("b.zzz", false, entry));
    EXPECT_EQ(entry.name, "b.zzz");
    EXPECT_EQ(entry.reader, manager->FindInfo("b.zzz")->GetReader());
    EXPECT_EQ(entry.type, RESOURCE_UNKNOWN);
    EXPECT_TRUE(entry.table.IsNil());

    entry = manager->AcquireResourceEntry("a.snd");
    EXPECT_EQ(entry.type, RESOURCE_SOUND);
    EXPECT_EQ(manager->FindInfo("a.snd")->GetAcquireCount(), 1);

    entry = manager->AcquireResourceEntry("T");
    EXPECT_EQ(entry.name, "T");
    EXPECT_EQ(entry.type, RESOURCE_TABLE);
    EXPECT_EQ(entry.reader, nullptr);
    EXPECT_EQ(entry.table, Eval("Resources.T"));
    EXPECT_EQ(manager->FindInfo("T")->GetAcquireCount(), 1);
}

TEST_F(ResourceManagerTest, AdvanceLoadingSkipsOnlyBooleanExclusions)
{
    AddText(".snd", "sounds");
    Scan({{"a.snd", "A"}, {"b.snd", "B"}, {"c.snd", "C"}, {"d.zzz", "D"}});
    manager->FindInfo("b.snd")->SetMetadata(Eval("{ excludeFromAdvanceLoad = true }"));
    manager->FindInfo("c.snd")->SetMetadata(Eval("{ excludeFromAdvanceLoad = 'true' }"));
    Run("Resources.T = {}");
    manager->AcquireResource("a.snd");
    ClearLogCache();

    EXPECT_FALSE(manager->AdvanceLoadNext());
    ASSERT_EQ(manager->BeginAdvanceLoad(), 2);
    EXPECT_TRUE(manager->AdvanceLoadNext());
    // Entries added meanwhile neither disturb the walk nor join it.
    Run("Resources.U = {}");
    EXPECT_TRUE(manager->AdvanceLoadNext());
    EXPECT_FALSE(manager->AdvanceLoadNext());
    EXPECT_FALSE(manager->AdvanceLoadNext());

    EXPECT_EQ(manager->FindInfo("a.snd")->GetAcquireCount(), 2);
    EXPECT_EQ(manager->FindInfo("b.snd")->GetAcquireCount(), 0);
    EXPECT_EQ(manager->FindInfo("b.snd")->GetResource(), nullptr);
    EXPECT_EQ(manager->FindInfo("c.snd")->GetAcquireCount(), 1);
    EXPECT_NE(manager->FindInfo("c.snd")->GetResource(), nullptr);
    EXPECT_EQ(manager->FindInfo("d.zzz")->GetAcquireCount(), 0);
    EXPECT_EQ(manager->FindInfo("T")->GetAcquireCount(), 0);
    EXPECT_EQ(CountInLog("Caching Resource: a.snd\n"), 1);
    EXPECT_EQ(CountInLog("Caching Resource: c.snd\n"), 1);
    EXPECT_EQ(CountInLog("Caching Resource: "), 2);

    host.logLevel = 3;
    ClearLogCache();
    EXPECT_EQ(manager->BeginAdvanceLoad(), 2);
    while (manager->AdvanceLoadNext()) {
    }
    EXPECT_EQ(LogText(), "");
    EXPECT_EQ(manager->FindInfo("a.snd")->GetAcquireCount(), 3);
}

TEST_F(ResourceManagerTest, NamesOfTypesAndCounters)
{
    const char* const types[] = {"RESOURCE_UNKNOWN", "RESOURCE_IMAGE", "RESOURCE_SOUND", "RESOURCE_TABLE",
                                 "RESOURCE_MUSIC"};
    for (int type = 0; type < 5; ++type)
        EXPECT_STREQ(ResTypeToString(type), types[type]);
    EXPECT_EQ(FailureWithFunctionOf([] { ResTypeToString(5); }), "ResTypeToString: Assertion failed: (false)");
    EXPECT_STREQ(MemUsageCategoryToString(0), "MEMUSAGE_IMAGES_IN_VIDMEM");
    EXPECT_STREQ(MemUsageCategoryToString(1), "MEMUSAGE_IMAGES_IN_SYSMEM");
    EXPECT_STREQ(MemUsageCategoryToString(2), "MEMUSAGE_SOUNDS");
    EXPECT_STREQ(MemUsageCategoryToString(3), "UNKNOWN");
    EXPECT_STREQ(MemUsageCategoryToString(-1), "UNKNOWN");

    AddMemoryUsage(100, "Image");
    AddMemoryUsage(7, "Sound");
    AddMemoryUsage(1000, "image");
    AddMemoryUsage(1000, "Music");
    AddMemUsage(MEMUSAGE_IMAGES_IN_VIDMEM, 20);
    Run("ShowMemUsage()");
    EXPECT_EQ(LogText(), "Sysmem Images: 100\nVidmem Images: 20\nSound: 7\nTotal: 127\n");
}

TEST_F(ResourceManagerTest, ResourceUsageReportsOneFilePerType)
{
    AddText(".snd", "sounds");
    Scan({{"b.snd", "B"}, {"a.snd", "A"}, {"z.zzz", "Z"}});
    Run("Resources.T = {}");
    manager->AcquireResource("a.snd");
    manager->AcquireResource("a.snd");
    manager->AcquireResource("b.snd");
    ClearLogCache();

    struct WorkIn
    {
        explicit WorkIn(const fs::path& folder) : before(fs::current_path()) { fs::current_path(folder); }
        ~WorkIn() { fs::current_path(before); }
        fs::path before;
    } workIn(dir);
    Run("LogResourceUsage()");
    const std::string header = "Resource Name\tAcquire Count\n";
    EXPECT_EQ(ReadFile("ResourceUsage-RESOURCE_UNKNOWN.txt"), header + "z.zzz\t0\n");
    EXPECT_EQ(ReadFile("ResourceUsage-RESOURCE_IMAGE.txt"), header);
    EXPECT_EQ(ReadFile("ResourceUsage-RESOURCE_SOUND.txt"), header + "a.snd\t2\nb.snd\t1\n");
    EXPECT_EQ(ReadFile("ResourceUsage-RESOURCE_TABLE.txt"), header + "T\t0\n");
    EXPECT_EQ(ReadFile("ResourceUsage-RESOURCE_MUSIC.txt"), header);
    EXPECT_EQ(LogText(), "LogResourceUsage: 1 resources of type RESOURCE_UNKNOWN processed.\n"
                         "LogResourceUsage: 0 resources of type RESOURCE_IMAGE processed.\n"
                         "LogResourceUsage: 2 resources of type RESOURCE_SOUND processed.\n"
                         "LogResourceUsage: 1 resources of type RESOURCE_TABLE processed.\n"
                         "LogResourceUsage: 0 resources of type RESOURCE_MUSIC processed.\n"
                         "LogResourceUsage: ------------------------------------------------------------\n"
                         "LogResourceUsage: 4 resources were processed, in total.\n");

    // A report file that cannot be opened ends the report there.
    fs::remove("ResourceUsage-RESOURCE_SOUND.txt");
    fs::create_directory("ResourceUsage-RESOURCE_SOUND.txt");
    ClearLogCache();
    manager->LogResourceUsage();
    EXPECT_EQ(LogText(), "LogResourceUsage, ERROR: Could not open \"ResourceUsage-RESOURCE_SOUND.txt\", "
                         "reason=\"Is a directory\"\n");
    EXPECT_EQ(ReadFile("ResourceUsage-RESOURCE_IMAGE.txt"), header);

    // A report that could not be written whole says so.
    fs::remove("ResourceUsage-RESOURCE_SOUND.txt");
    fs::remove("ResourceUsage-RESOURCE_UNKNOWN.txt");
    fs::create_symlink("/dev/full", "ResourceUsage-RESOURCE_UNKNOWN.txt");
    ClearLogCache();
    manager->LogResourceUsage();
    EXPECT_EQ(CountInLog("LogResourceUsage, ERROR: Could not write \"ResourceUsage-RESOURCE_UNKNOWN.txt\", "
                         "reason=\"No space left on device\"\n"),
              1)
        << LogText();
    EXPECT_EQ(CountInLog("ERROR"), 1);
    EXPECT_EQ(ReadFile("ResourceUsage-RESOURCE_SOUND.txt"), header + "a.snd\t2\nb.snd\t1\n");
}

TEST_F(ResourceManagerTest, ScriptsThatOutliveTheManagerFindNothing)
{
    Scan({{"a.png", "x"}});
    Run("Resources.T = {} contents = Resources._contents");
    manager.reset();
    EXPECT_EQ(ResourceManager::GetInstance(), nullptr);
    EXPECT_TRUE(Eval("Resources.T == nil and Resources['a.png'] == nil and next(contents) == nil").GetBoolean());
    const std::string failure = FailureWithFunctionOf([&] { Run("LogResourceUsage()"); });
    EXPECT_NE(failure.find("manager != 0"), std::string::npos) << failure;
}

namespace {

// The application's side of the core, as it is meant to be written on the manager.
class ManagerCoreHost : public FakeCoreHost
{
public:
    bool FindResourceEntry(const std::string& name, bool returnNullIfMissing, ResourceEntry& entry) override
    {
        return ResourceManager::GetInstance()->FindResourceEntry(name, returnNullIfMissing, entry);
    }
    ResourceEntry AcquireResource(const std::string& name) override
    {
        return ResourceManager::GetInstance()->AcquireResourceEntry(name);
    }
};

} // namespace

TEST_F(ResourceManagerTest, TheCoreRunsScriptsOfAScannedFolderByName)
{
    ManagerCoreHost core;
    WriteFile(dir / "scripts/Greeting.lua", "Resources.Greeting = { text = 'hi' }");
    manager->AddResourceScanner(std::make_unique<WindowsDirectoryResourceScanner>(dir.string(), true, true));
    manager->ScanAll();

    VelkLuaState::DoResourceFile(state, "Greeting.lua");
    EXPECT_EQ(TableResource::GetTableFromResource("Greeting", false)->GetByName("text").GetString(), "hi");
    CoreHost::ResourceEntry entry = core.AcquireResource("Greeting");
    EXPECT_EQ(entry.type, RESOURCE_TABLE);
    EXPECT_EQ(entry.table["text"].GetString(), "hi");
    EXPECT_THROW(VelkLuaState::DoResourceFile(state, "Missing.lua"), ResourceNotFoundException);
}
