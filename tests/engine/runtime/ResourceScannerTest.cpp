#include "engine/core/EmbeddedFiles.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/PhysFSResourceExtensions.h"
#include "engine/runtime/ResourceExtensions.h"
#include "ImageTestSupport.h"
#include "ResourceTestSupport.h"

#include <physfs.h>

#include <set>

using namespace restest;

namespace {

const unsigned char kScannedIn[] = {'r', 'e', 't', 'u', 'r', 'n', ' ', '1'};
EmbeddedFileRegistration s_ScannedIn("ScannedIn.lua", kScannedIn, sizeof(kScannedIn));

std::set<std::string> NamesOf(const ResourceInfoMap& map)
{
    std::set<std::string> names;
    for (const auto& entry : map)
        names.insert(entry.first);
    return names;
}

class ScannerTest : public ResourceFixture
{
protected:
    std::string Root() const { return (dir / "root").string() + "/"; }

    ResourceInfoMap ScanFolder(bool recursive = true)
    {
        ResourceInfoMap found;
        WindowsDirectoryResourceScanner(Root(), recursive, true).Scan(found);
        return found;
    }

    std::string MakePackage(const std::string& name, const std::vector<std::pair<std::string, std::string>>& files)
    {
        const fs::path path = dir / name;
        WriteFile(path, MakeZip(files));
        return path.string();
    }
};

} // namespace

TEST_F(ScannerTest, FolderTreeLaterFilesWinAndMarkedFoldersAreSkipped)
{
    WriteFile(dir / "root/a.png", "root a");
    WriteFile(dir / "root/readme.txt", "r");
    WriteFile(dir / "root/trailing.", "t");
    WriteFile(dir / "root/sub/a.png", "sub a");
    WriteFile(dir / "root/sub/b.txt", "b");
    WriteFile(dir / "root/skipped/DO_NOT_SCAN", "");
    WriteFile(dir / "root/skipped/c.txt", "c");
    WriteFile(dir / "root/skipped/deeper/d.txt", "d");

    ResourceInfoMap found = ScanFolder();
    EXPECT_EQ(NamesOf(found), (std::set<std::string>{"a.png", "readme.txt", "b.txt"}));
    EXPECT_EQ(found["a.png"]->GetLocation(), Root() + "sub/a.png");
    EXPECT_EQ(BytesOf(*found["a.png"]), "sub a");
    EXPECT_EQ(found["a.png"]->GetType(), RESOURCE_UNKNOWN);
    EXPECT_EQ(LogText(), "");

    found = ScanFolder(false);
    EXPECT_EQ(NamesOf(found), (std::set<std::string>{"a.png", "readme.txt"}));
    EXPECT_EQ(BytesOf(*found["a.png"]), "root a");

    EXPECT_EQ(WindowsDirectoryResourceScanner(dir.string(), true, true).GetDescription(),
              "Windows directory resource scanner for \"" + dir.string() + "/\"");
}

TEST_F(ScannerTest, MissingFoldersAreErrorsOnlyWhenRequired)
{
    const std::string missing = (dir / "missing").string() + "/";
    ResourceInfoMap found;
    WindowsDirectoryResourceScanner(missing, true, false).Scan(found);
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(LogText(), "WindowsDirectoryResourceScanner: Ignoring optional + non-present directory: " + missing + "\n");

    EXPECT_EQ(FailureWithFunctionOf([&] { WindowsDirectoryResourceScanner(missing, true, true).Scan(found); }),
              "WindowsDirectoryResourceScanner::DoRecursiveScan: Could not scan directory for metadata:\ndir=" +
                  missing + "\nerror=2: No such file or directory\ncurrentWorkingDirectory=" +
                  fs::current_path().string());

    WriteFile(dir / "plain", "x");
    EXPECT_EQ(FailureWithFunctionOf([&] { WindowsDirectoryResourceScanner((dir / "plain").string(), true, false).Scan(found); }),
              "WindowsDirectoryResourceScanner::DoRecursiveScan: Assertion failed: (!exists || "
              "S_ISDIR(dirInfo.st_mode))");
}

TEST_F(ScannerTest, FolderMetadataBindsToEveryFileFoundSoFar)
{
    WriteFile(dir / "root/x.png", "x");
    WriteFile(dir / "root/metadata.cfg", "Metadata { ['x.png'] = { numFrames = 2 } }");
    WriteFile(dir / "root/sub/y.png", "y");
    WriteFile(dir / "root/sub/sound.cfg", "-- two calls; a later key wins\n"
                                          "Metadata { ['y.png'] = { numFrames = 1 } }\n"
                                          "Metadata { ['y.png'] = { numFrames = 3 }, ['x.png'] = { width = 7 } }\n");

    ResourceInfoMap found = ScanFolder();
    EXPECT_EQ(NamesOf(found), (std::set<std::string>{"x.png", "y.png"}));
    EXPECT_TRUE(found["x.png"]->GetMetadata()["numFrames"].IsNil());
    EXPECT_EQ(found["x.png"]->GetMetadata()["width"].GetInteger(), 7);
    EXPECT_EQ(found["y.png"]->GetMetadata()["numFrames"].GetInteger(), 3);
    EXPECT_TRUE(state.GetGlobal("Pending_Metadata").IsNil());
    EXPECT_EQ(LogText(), "");
}

TEST_F(ScannerTest, MetadataThatNamesNoFileOrHoldsNoTableIsAnError)
{
    const std::string file = Root() + "metadata.cfg";
    const std::string prefix = "ResourceScanner::ProcessMetadataFile: Assertion failed: (";
    const struct
    {
        const char* text;
        std::string failure;
    } cases[] = {
        {"Metadata { ['nothere.png'] = {} }",
         prefix + "outputListEntryIter != outputList.end())\nMessage: Invalid key in metadata file, keys must "
                  "correspond to file names:\nfile = " + file + "\nentry = nothere.png"},
        {"Metadata { ['x.png'] = 5 }",
         prefix + "it.GetValue().IsTable())\nMessage: Invalid metadata entry:\nfile = " + file + "\nentry = x.png"},
        {"Metadata { [1] = {} }",
         prefix + "it.GetKey().IsString())\nMessage: Invalid key in metadata file, keys must be strings:\nfile = " +
             file},
    };
    WriteFile(dir / "root/x.png", "x");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WriteFile(file, c.text);
        EXPECT_EQ(FailureWithFunctionOf([&] { ScanFolder(); }), c.failure);
    }

    WriteFile(file, "Metadata { ['x.png'] = {} }");
    WriteFile(dir / "root/image.cfg", "Metadata { ['x.png'] = {} }");
    EXPECT_EQ(FailureWithFunctionOf([&] { ScanFolder(); }),
              "WindowsDirectoryResourceScanner::DoRecursiveScan: Assertion failed: (metadataResInfo == 0)\n"
              "Message: Metadata in the directory \"" + Root() + "\" with the file name \"metadata.cfg\" was already "
              "found in the file \"" + Root() + "image.cfg\"");
}

TEST_F(ScannerTest, UnreadableMetadataIsAWarningAndTheFolderGoesWithout)
{
    const std::string file = Root() + "metadata.cfg";
    const std::string marker = (dir / "marker").string();
    const std::string bytecode = Eval("string.dump(function() Metadata { ['x.png'] = {} } end)").GetString();
    const struct
    {
        std::string text;
        std::string warning;
    } cases[] = {
        {"Metadata { ['x.png'] = {", "Could not compile Lua-based resource metadata file:\nfile = " + file},
        {"Metadata { ['x.png'] = { n = nil + 1 } }", "Could not load Lua-based resource metadata file:\nfile = " + file},
        {"os.execute('touch " + marker + "')", "global 'os'"},
        {"Metadata { ['x.png'] = { f = function() end } }", "the data holds a function"},
        {"while true do end", "instruction limit"},
        {bytecode, "a precompiled chunk is not data"},
        {"-- says nothing", "it does not call Metadata with its data"},
    };
    WriteFile(dir / "root/x.png", "x");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ClearLogCache();
        WriteFile(file, c.text);
        ResourceInfoMap found = ScanFolder();
        ASSERT_EQ(NamesOf(found), std::set<std::string>{"x.png"});
        EXPECT_TRUE(found["x.png"]->GetMetadata().IsNil());
        EXPECT_EQ(LogText().rfind("WARNING: Could not ", 0), 0u) << LogText();
        EXPECT_NE(LogText().find(c.warning), std::string::npos) << LogText();
        EXPECT_NE(LogText().find("The files of its folder are used without metadata.\n"), std::string::npos);
        EXPECT_TRUE(state.GetGlobal("Pending_Metadata").IsNil());
    }
    EXPECT_FALSE(fs::exists(marker));
    // The game data is not the player's: a bad file stays where it is.
    EXPECT_TRUE(fs::exists(file));
}

TEST_F(ScannerTest, PackageOuterFilesWinWithAWarningAndMetadataStaysInItsFolder)
{
    const std::string package =
        MakePackage("Test.qil", {{"a.png", "root a"},
                                 {"sub/a.png", "sub a"},
                                 {"sub/b.png", "b"},
                                 {"sub/metadata.cfg", "Metadata { ['a.png'] = { numFrames = 2 }, ['b.png'] = {} }"},
                                 {"skip/DO_NOT_SCAN", ""},
                                 {"skip/c.png", "c"}});
    PhysFSResourceScanner scanner(package);
    EXPECT_EQ(scanner.GetDescription(), "PhysicsFS resource scanner: \"" + package + "\"");
    ResourceInfoMap found;
    scanner.Scan(found);

    // Folders get entries of their own.
    EXPECT_EQ(NamesOf(found), (std::set<std::string>{"a.png", "b.png", "sub", "skip"}));
    EXPECT_EQ(found["a.png"]->GetLocation(), "a.png");
    EXPECT_EQ(BytesOf(*found["a.png"]), "root a");
    EXPECT_TRUE(found["a.png"]->GetMetadata().IsNil());
    EXPECT_EQ(found["b.png"]->GetLocation(), "sub/b.png");
    EXPECT_TRUE(found["b.png"]->GetMetadata().IsTable());
    EXPECT_EQ(LogText(), "WARNING: Duplicate file entry found by PhysicsFS resource scanner, \"a.png\"\n");
}

TEST_F(ScannerTest, PackageMetadataNamingAnotherFoldersFileFails)
{
    const std::string package = MakePackage(
        "Test.qil", {{"a.png", "a"}, {"sub/b.png", "b"}, {"sub/metadata.cfg", "Metadata { ['a.png'] = {} }"}});
    PhysFSResourceScanner scanner(package);
    ResourceInfoMap found;
    EXPECT_EQ(FailureWithFunctionOf([&] { scanner.Scan(found); }),
              "ResourceScanner::ProcessMetadataFile: Assertion failed: (outputListEntryIter != outputList.end())\n"
              "Message: Invalid key in metadata file, keys must correspond to file names:\nfile = sub/metadata.cfg\n"
              "entry = a.png");
}

TEST_F(ScannerTest, TwoPackagesAreScannedOnceThroughTheMergedSearchPath)
{
    ASSERT_EQ(PhysFSManager::PeekInstance(), nullptr);
    {
        PhysFSResourceScanner first(MakePackage("One.qil", {{"one.txt", "1"}, {"both.txt", "from one"}}));
        PhysFSResourceScanner second(MakePackage("Two.qil", {{"two.txt", "2"}, {"both.txt", "from two"}}));
        PhysFSManager* manager = PhysFSManager::PeekInstance();
        ASSERT_NE(manager, nullptr);
        EXPECT_EQ(manager->GetRefCount(), 2);
        EXPECT_EQ(manager->GetScannerCount(), 2);

        for (int cycle = 0; cycle < 2; ++cycle) {
            SCOPED_TRACE(cycle);
            ResourceInfoMap firstFound;
            ResourceInfoMap secondFound;
            first.Scan(firstFound);
            EXPECT_EQ(manager->GetScanCallCount(), 1);
            second.Scan(secondFound);
            EXPECT_EQ(NamesOf(firstFound), (std::set<std::string>{"one.txt", "two.txt", "both.txt"}));
            // The package added last stands first in the search path.
            EXPECT_EQ(BytesOf(*firstFound["both.txt"]), "from two");
            EXPECT_TRUE(secondFound.empty());
            EXPECT_EQ(manager->GetScanCallCount(), 0);
        }
    }
    EXPECT_EQ(PhysFSManager::PeekInstance(), nullptr);
    EXPECT_EQ(PHYSFS_isInit(), 0);
    PhysFSFileReader late("one.txt");
    const char* data = nullptr;
    std::size_t size = 0;
    EXPECT_EQ(FailureWithFunctionOf([&] { late.Read("one.txt", data, size); }),
              "PhysFSFileReader::Read: Assertion failed: (PHYSFS_isInit())\nMessage: Cannot find file:\nfile = one.txt");

    // Missing, no archive, or empty: each is refused with the same report and leaves PhysFS shut.
    WriteFile(dir / "Corrupt.qil", "not an archive");
    WriteFile(dir / "Empty.qil", "");
    for (const char* name : {"Missing.qil", "Corrupt.qil", "Empty.qil"}) {
        SCOPED_TRACE(name);
        const std::string package = (dir / name).string();
        const std::string failure = FailureWithFunctionOf([&] { PhysFSResourceScanner scanner(package); });
        EXPECT_EQ(failure.rfind("PhysFSResourceScanner::PhysFSResourceScanner: Could not add a package to the "
                                "PhysicsFS search path:\npackage = " + package + "\nerror = ",
                                0),
                  0u)
            << failure;
        EXPECT_EQ(PhysFSManager::PeekInstance(), nullptr);
        EXPECT_EQ(PHYSFS_isInit(), 0);
    }
}

TEST_F(ScannerTest, OneFileReadsTheSameFromTheProgramAFolderAndThePackage)
{
    const std::string bytes(reinterpret_cast<const char*>(kScannedIn), sizeof(kScannedIn));
    WriteFile(dir / "root/scripts/ScannedIn.lua", bytes);
    const std::string package = MakePackage("Test.qil", {{"scripts/ScannedIn.lua", bytes}});

    ResourceInfoMap fromProgram;
    fromProgram["ScannedIn.lua"] = std::make_unique<ResourceInfo>();  // replaced
    WindowsApplicationResourceScanner program;
    EXPECT_EQ(program.GetDescription(), "Windows application resource scanner");
    program.Scan(fromProgram);
    ResourceInfoMap fromFolder = ScanFolder();
    ResourceInfoMap fromPackage;
    PhysFSResourceScanner packageScanner(package);
    packageScanner.Scan(fromPackage);

    EXPECT_EQ(fromProgram["ScannedIn.lua"]->GetLocation(), "ScannedIn.lua");
    EXPECT_EQ(fromFolder["ScannedIn.lua"]->GetLocation(), Root() + "scripts/ScannedIn.lua");
    EXPECT_EQ(fromPackage["ScannedIn.lua"]->GetLocation(), "scripts/ScannedIn.lua");
    for (ResourceInfoMap* found : {&fromProgram, &fromFolder, &fromPackage}) {
        ResourceInfo& info = *(*found)["ScannedIn.lua"];
        EXPECT_EQ(BytesOf(info), bytes);
        // Scripts ask for the bytes under the entry's own name.
        const char* data = nullptr;
        std::size_t size = 0;
        info.GetReader()->Read("ScannedIn.lua", data, size);
        EXPECT_EQ(std::string(data, size), bytes);
    }
    EXPECT_EQ(fromProgram.size(), GetEmbeddedFiles().size());
}

TEST_F(ScannerTest, MetadataFramesReachTheImage)
{
    const std::string strip = imagetest::EncodePng(4, 1, true, imagetest::Numbered(4, 1));
    const std::string metadata = "Metadata { ['strip.png'] = { numFrames = 2, width = 2, height = 1 } }";
    WriteFile(dir / "root/pictures/strip.png", strip);
    WriteFile(dir / "root/pictures/metadata.cfg", metadata);
    const std::string package =
        MakePackage("Test.qil", {{"pictures/strip.png", strip}, {"pictures/metadata.cfg", metadata}});

    for (bool fromPackage : {false, true}) {
        SCOPED_TRACE(fromPackage ? "package" : "folder");
        ResourceManager manager;
        manager.AddResourceLoader(std::make_unique<SDLImageLoader>());
        if (fromPackage)
            manager.AddResourceScanner(std::make_unique<PhysFSResourceScanner>(package));
        else
            manager.AddResourceScanner(std::make_unique<WindowsDirectoryResourceScanner>(Root(), true, true));
        manager.ScanAll();

        Image image("strip.png");
        EXPECT_EQ(image.GetNumFrames(), 2);
        EXPECT_EQ(image.GetSize().w, 2u);
        EXPECT_EQ(image.GetSize().h, 1u);
        EXPECT_EQ(image.GetFrameRect(1).x, 2);
        EXPECT_FALSE(manager.ResourceExists("metadata.cfg"));
    }
}
