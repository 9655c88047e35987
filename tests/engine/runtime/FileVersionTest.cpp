#include "engine/runtime/FileVersion.h"

#include "engine/runtime/Utility.h"
#include "support/Failure.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(FileVersionTest, OnlyTheRunningProgramHasAVersionBlock)
{
    CFileVersion version;
    EXPECT_FALSE(version.Open("/bin/sh"));
    EXPECT_EQ(FailureOf([&] { version.QueryValue("FileVersion"); }), "Assertion failed: (m_lpVersionData != 0)");
    ASSERT_TRUE(version.Open(GetExePath() + "/velk_engine_tests"));
    EXPECT_EQ(FailureOf([&] { version.Open("/bin/sh"); }), "Assertion failed: (m_lpVersionData == 0)");
    EXPECT_FALSE(version.QueryValue("FileVersion").empty());
    EXPECT_EQ(version.QueryValue("ProductName"), "Wopple Vevev");
    EXPECT_EQ(version.QueryValue("NoSuchValue"), "");
    EXPECT_EQ(version.QueryValue("ProductName", 0x04070000), "");  // another translation
    version.Close();
    EXPECT_EQ(FailureOf([&] { version.Open(""); }), "Assertion failed: (strlen(lpszModuleName) > 0)");

    // The version text drops everything but digits and dots.
    EXPECT_EQ(VersionTextFromFileVersion("1, 0, 0, 3"), "1.0.0.3");
    EXPECT_EQ(ReadAppVersionString().find_first_not_of("0123456789."), std::string::npos);
}

TEST(FileVersionTest, ProcessorReportAndVendorCodes)
{
    const std::pair<const char*, int> vendors[] = {{"GenuineIntel", 1}, {"AuthenticAMD", 2}, {"Geode by NSC", 10},
                                                   {"SomethingNew", 0}};
    for (const auto& [name, code] : vendors)
        EXPECT_EQ(CPUIdentifier::VendorCodeOf(name), code) << name;

    CPUIdentifier cpu;
    std::ostringstream report;
    report << cpu;
    if (!cpu.cpuidAvailable) {
        EXPECT_NE(report.str().find("CPUID is not supported\n"), std::string::npos);
        return;
    }
    EXPECT_NE(report.str().find("VendorID : " + std::string(cpu.vendor)), std::string::npos);
    EXPECT_NE(report.str().find("FEATURES:\n"), std::string::npos);
    EXPECT_EQ(report.str().find("Configuration Descriptors") != std::string::npos, cpu.highestStandardLeaf >= 2);
    bool mmxPlusLines = report.str().find("MMX+") != std::string::npos;
    EXPECT_EQ(mmxPlusLines, cpu.vendorCode == 2 || cpu.vendorCode == 4);
}

TEST(FileVersionTest, DirectXIsNotFoundHere)
{
    EXPECT_EQ(PackDXVersion(8, 1, 'b'), 0x00080102u);
    EXPECT_EQ(PackDXVersion(9, 0, ' '), 0x00090000u);
    std::uint32_t packed = 1;
    char text[16] = "x";
    EXPECT_EQ(GetDXVersion(&packed, text, sizeof(text)), 0u);
    EXPECT_EQ(packed, 0u);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(GetDXVersion(nullptr, nullptr, 0), 0u);
}
