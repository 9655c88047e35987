#include "engine/core/EmbeddedFiles.h"
#include "engine/runtime/PhysFSResourceExtensions.h"
#include "engine/runtime/ResourceExtensions.h"
#include "ResourceTestSupport.h"

#include <physfs.h>

using namespace restest;

namespace {

std::string ReadAll(FileReader& reader, const std::string& location, const char** where = nullptr)
{
    const char* data = nullptr;
    std::size_t size = 12345;
    reader.Read(location, data, size);
    if (where)
        *where = data;
    EXPECT_NE(data, nullptr);
    return std::string(data, size);
}

using ReaderTest = ResourceFixture;

const unsigned char kCompiledIn[] = {'-', '-', ' ', 'i', 'n', ' ', 't', 'h', 'e', ' ', 'p', 'r', 'o', 'g', 'r', 'a', 'm'};
EmbeddedFileRegistration s_CompiledIn("CompiledIn.lua", kCompiledIn, sizeof(kCompiledIn));

} // namespace

TEST_F(ReaderTest, MappedFilesStayMappedUntilClosed)
{
    const fs::path path = dir / "notes.txt";
    WriteFile(path, "first");
    WindowsMappedFileReader reader(path.string());
    EXPECT_FALSE(reader.IsOpen());
    reader.Close();

    const char* first = nullptr;
    const char* again = nullptr;
    EXPECT_EQ(ReadAll(reader, path.string(), &first), "first");
    EXPECT_TRUE(reader.IsOpen());
    // The reader reads its own file, whatever name it is asked under.
    EXPECT_EQ(ReadAll(reader, "notes.txt", &again), "first");
    EXPECT_EQ(first, again);

    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
    WriteFile(path, "second, longer");
    EXPECT_EQ(ReadAll(reader, path.string()), "second, longer");

    const fs::path empty = dir / "empty.lua";
    WriteFile(empty, "");
    WindowsMappedFileReader emptyReader(empty.string());
    EXPECT_EQ(ReadAll(emptyReader, empty.string()), "");
    EXPECT_TRUE(emptyReader.IsOpen());
    emptyReader.Close();
    EXPECT_FALSE(emptyReader.IsOpen());
}

TEST_F(ReaderTest, MappedFileFailuresNameTheFileAndTheSystemError)
{
    const std::string missing = (dir / "missing.png").string();
    const std::string folder = dir.string();
    const struct
    {
        std::string location;
        std::string failure;
        bool loadError;
    } cases[] = {
        {missing,
         "WindowsMappedFileReader::MapFileIntoMemory: Could not open file: \"" + missing +
             "\", 2: No such file or directory",
         true},
        {folder,
         "WindowsMappedFileReader::MapFileIntoMemory: File mapping failed:\nfile=" + folder +
             "\nmapping error:19: No such device",
         true},
        {"", "WindowsMappedFileReader::MapFileIntoMemory: Assertion failed: (location.empty() == false)", false},
    };
    auto openDescriptors = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    };
    const auto descriptorsBefore = openDescriptors();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.location);
        WindowsMappedFileReader reader(c.location);
        bool loadError = false;
        try {
            ReadAll(reader, c.location);
        } catch (const ResourceLoadError&) {
            loadError = true;
        } catch (const Exception&) {
        }
        EXPECT_EQ(loadError, c.loadError);
        EXPECT_EQ(FailureWithFunctionOf([&] { ReadAll(reader, c.location); }), c.failure);
        EXPECT_FALSE(reader.IsOpen());
    }
    // Failed reads give every descriptor back, and so do mapped ones: the mapping keeps the file.
    const fs::path path = dir / "kept.txt";
    WriteFile(path, "kept");
    WindowsMappedFileReader mapped(path.string());
    EXPECT_EQ(ReadAll(mapped, path.string()), "kept");
    EXPECT_EQ(openDescriptors(), descriptorsBefore);
}

TEST_F(ReaderTest, ProgramFilesReadTheSameBytesWhateverTheLocation)
{
    const EmbeddedFile& file = *FindEmbeddedFile("CompiledIn.lua");
    const std::string bytes = "-- in the program";
    WindowsResourceFileReader reader(EmbeddedResourceName(file.name));
    reader.Close();
    EXPECT_EQ(ReadAll(reader, file.name), bytes);
    EXPECT_EQ(ReadAll(reader, "somewhere/else.lua"), bytes);
    reader.Close();
    EXPECT_EQ(ReadAll(reader, ""), bytes);

    WindowsResourceFileReader missing("NoSuchFile.lua");
    EXPECT_EQ(FailureWithFunctionOf([&] { ReadAll(missing, "NoSuchFile.lua"); }),
              "WindowsResourceFileReader::Read: Could not find Windows resource:\nname = NoSuchFile.lua\n"
              "error = no file of that name is compiled into the program");
    EXPECT_THROW(ReadAll(missing, ""), ResourceLoadError);
}

TEST_F(ReaderTest, PackageFilesAreReadIntoABufferUntilClosed)
{
    const fs::path package = dir / "Test.qil";
    WriteFile(package, MakeZip({{"a.txt", "alpha"}, {"empty.txt", ""}, {"sub/b.txt", "beta"}}));
    PhysFSResourceScanner scanner(package.string());

    PhysFSFileReader reader("sub/b.txt");
    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
    const char* first = nullptr;
    const char* again = nullptr;
    EXPECT_EQ(ReadAll(reader, "sub/b.txt", &first), "beta");
    EXPECT_EQ(ReadAll(reader, "b.txt", &again), "beta");
    EXPECT_EQ(first, again);
    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(ReadAll(reader, "sub/b.txt"), "beta");

    PhysFSFileReader empty("empty.txt");
    EXPECT_EQ(ReadAll(empty, "empty.txt"), "");
    EXPECT_TRUE(empty.IsOpen());

    PhysFSFileReader missing("nothing.txt");
    EXPECT_EQ(FailureWithFunctionOf([&] { ReadAll(missing, "nothing.txt"); }),
              "PhysFSFileReader::Read: Assertion failed: (PHYSFS_exists(location.c_str()))\n"
              "Message: Cannot find file:\nfile = nothing.txt");
    PhysFSFileReader folder("sub");
    const std::string failure = FailureWithFunctionOf([&] { ReadAll(folder, "sub"); });
    EXPECT_EQ(failure.rfind("PhysFSFileReader::Read: Assertion failed: (file != 0)\n"
                            "Message: Could not open file for reading:\nfile = sub\nerror = ",
                            0),
              0u)
        << failure;
    EXPECT_FALSE(folder.IsOpen());
}

TEST(ResourceTableTest, PairsOfNamesEndingWithTheirSecondNul)
{
    const char table[] = "Utility.lua\0UTILITY.LUA\0site.cfg\0SITE.CFG";  // plus the literal's own NUL
    auto pairs = ReadResourceTable(table, sizeof(table));
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0], (std::pair<std::string, std::string>{"Utility.lua", "UTILITY.LUA"}));
    EXPECT_EQ(pairs[1].second, "SITE.CFG");
    EXPECT_EQ(FailureOf([&] { ReadResourceTable(table, 14); }), "Assertion failed: (state == READING_FILE_NAME)");

    // The program's own table lists every file compiled in, under its upper-case name.
    const EmbeddedFile* programTable = FindEmbeddedResource(kEmbeddedResourceTable);
    ASSERT_NE(programTable, nullptr);
    auto listed = ReadResourceTable(reinterpret_cast<const char*>(programTable->data), programTable->size);
    EXPECT_EQ(listed.size(), GetEmbeddedFiles().size());
    for (const auto& [fileName, resourceName] : listed)
        EXPECT_EQ(FindEmbeddedResource(resourceName), FindEmbeddedFile(fileName)) << fileName;
}
