#include "engine/runtime/Resource.h"

#include "ImageTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Journal
{
    std::vector<std::string> events;
};

class JournalResource : public Resource
{
public:
    explicit JournalResource(Journal& journal) : m_Journal(journal) {}
    ~JournalResource() override { m_Journal.events.push_back("resource"); }
    std::size_t CalcMemoryUsage(bool) override { return 0; }

private:
    Journal& m_Journal;
};

class JournalReader : public FileReader
{
public:
    explicit JournalReader(Journal& journal) : m_Journal(journal) {}
    ~JournalReader() override { m_Journal.events.push_back("reader"); }
    void Read(const std::string&, const char*&, std::size_t&) override {}
    void Close() override {}

private:
    Journal& m_Journal;
};

} // namespace

TEST(ResourceInfoTest, StartsEmptyAndDestroysItsResourceBeforeItsReader)
{
    Journal journal;
    {
        ResourceInfo info;
        EXPECT_EQ(info.GetResource(), nullptr);
        EXPECT_EQ(info.GetType(), RESOURCE_UNKNOWN);
        EXPECT_TRUE(info.GetMetadata().IsNil());
        EXPECT_EQ(info.GetAcquireCount(), 0);
        info.SetReader(new JournalReader(journal));
        info.SetResource(new JournalResource(journal));
        info.SetResource(new JournalResource(journal));  // replaces: the first goes now
        EXPECT_EQ(journal.events, std::vector<std::string>{"resource"});
    }
    EXPECT_EQ(journal.events, (std::vector<std::string>{"resource", "resource", "reader"}));
}

TEST(MemUsageTest, CountersAddPerCategoryAndRejectOthers)
{
    ResetMemUsage();
    AddMemUsage(MEMUSAGE_SOUNDS, 100);
    AddMemUsage(MEMUSAGE_SOUNDS, -30);
    AddMemUsage(MEMUSAGE_IMAGES_IN_VIDMEM, 5);
    EXPECT_EQ(GetMemUsage(MEMUSAGE_SOUNDS), 70);
    EXPECT_EQ(GetMemUsage(MEMUSAGE_IMAGES_IN_VIDMEM), 5);
    EXPECT_EQ(GetMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM), 0);
    EXPECT_THROW(AddMemUsage(static_cast<MemUsageCategory>(3), 1), Exception);
    ResetMemUsage();
    EXPECT_EQ(GetMemUsage(MEMUSAGE_SOUNDS), 0);
}

TEST(ResourceCatalogTest, RequiringItWithoutOneInstalledFails)
{
    ASSERT_EQ(GetResourceCatalog(), nullptr);
    EXPECT_EQ(FailureWithFunctionOf([] { RequireResourceCatalog(); }),
              "RequireResourceCatalog: Assertion failed: (catalog != 0)");
}
