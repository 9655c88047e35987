#include "engine/runtime/Image.h"
#include "engine/runtime/PerformanceCounters.h"

#include "ImageTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace imagetest;
namespace fs = std::filesystem;

namespace {

// Runs in a fresh working directory, where the performance logs are written.
class ImageStatisticsTest : public ImageFixture
{
protected:
    void SetUp() override
    {
        ImageFixture::SetUp();
        m_OldDir = fs::current_path();
        std::string folder = (fs::temp_directory_path() / "imagestatsXXXXXX").string();
        ASSERT_NE(mkdtemp(folder.data()), nullptr);
        m_Dir = folder;
        fs::current_path(m_Dir);
    }
    void TearDown() override
    {
        fs::current_path(m_OldDir);
        fs::remove_all(m_Dir);
        ImageFixture::TearDown();
    }

    // Each line of a tab-separated log, split into fields.
    static std::vector<std::vector<std::string>> ReadFields(const std::string& name)
    {
        std::ifstream in(name);
        std::vector<std::vector<std::string>> lines;
        std::string line;
        while (std::getline(in, line)) {
            std::vector<std::string> fields;
            std::stringstream split(line);
            std::string field;
            while (std::getline(split, field, '\t'))
                fields.push_back(field);
            lines.push_back(fields);
        }
        return lines;
    }

    fs::path m_OldDir;
    fs::path m_Dir;
};

} // namespace

TEST_F(ImageStatisticsTest, PixelOperationsAndUploadsAreCountedWhileMeasuring)
{
    PerformanceCounterManager counters;
    TickPerformanceManager ticks;
    ticks.RegisterCounter(&counters);
    BlitPerformanceManager blits;
    ticks.RegisterCounter(&blits);
    FakeTextureMaker maker;

    auto source = MakeImage(3, 3, Numbered(3, 3));
    auto target = MakeImage(4, 4, {});
    auto mask = MakeImage(2, 2, std::vector<std::uint32_t>(4, 0xFF000000));
    // Not measuring: nothing is counted.
    source->DrawFrameOnto(target.get(), 0, 0, -1);
    target->ApplyAlphaMask(mask.get());
    source->RefreshVideoSurface(true);

    ASSERT_TRUE(ticks.StartMeasuringPerformance());
    ticks.BeginTick();
    source->DrawFrameOnto(target.get(), 2, 2, -1);  // 2 x 2 once clipped
    target->ApplyAlphaMask(mask.get());              // the whole 4 x 4
    source->RefreshVideoSurface(true);
    ticks.EndTick();
    ticks.StopMeasuringPerformance();

    const auto blitting = ReadFields("PerformanceLog_Blitting.txt");
    ASSERT_EQ(blitting.size(), 2u);
    ASSERT_EQ(blitting[0].size(), 8u);
    EXPECT_EQ(blitting[0][0], "Compositing,numCalls");
    EXPECT_EQ(blitting[0][4], "Clip,numCalls");
    ASSERT_EQ(blitting[1].size(), 8u);
    EXPECT_EQ(blitting[1][0], "1");
    EXPECT_EQ(blitting[1][2], "4");
    EXPECT_EQ(blitting[1][4], "1");
    EXPECT_EQ(blitting[1][6], "16");
    EXPECT_EQ(ReadFields("PerformangeLog_IntCounters.txt"),
              (std::vector<std::vector<std::string>>{{"Images Uploaded"}, {"1"}}));
}
