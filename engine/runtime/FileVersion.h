#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <ostream>
#include <string>

// The version information of a program file. On this platform only the
// running program carries a version block (its values are set by the build);
// any other file reads as having none.
class CFileVersion
{
public:
    CFileVersion() = default;
    CFileVersion(const CFileVersion&) = delete;
    CFileVersion& operator=(const CFileVersion&) = delete;
    ~CFileVersion() { Close(); }

    // True when the file's version block and its translation were found.
    bool Open(const std::string& lpszModuleName);
    // The value, or empty when the block lacks it; translation 0 means the block's own.
    std::string QueryValue(const std::string& valueName, std::uint32_t translation = 0) const;
    void Close();

    // The block of the running program: "\StringFileInfo\<translation>\<name>" to value.
    static const std::map<std::string, std::string>& ProgramVersionBlock();
    static constexpr std::uint32_t kProgramTranslation = 0x040904b0;  // US English, Unicode

private:
    const std::map<std::string, std::string>* m_lpVersionData = nullptr;
    std::uint32_t m_Translation = 0;
};

// The processor, as the CPUID instruction describes it.
class CPUIdentifier
{
public:
    CPUIdentifier();

    bool cpuidAvailable = false;
    std::uint32_t highestStandardLeaf = 0;
    char vendor[13] = {};
    std::uint8_t vendorCode = 0;
    std::uint32_t stepping = 0, model = 0, family = 0, processorType = 0, extendedModel = 0, extendedFamily = 0;
    std::uint32_t brandIndex = 0, clflushSize = 0, logicalProcessorCount = 0, localApicId = 0;
    std::uint32_t extendedFeatureBits = 0;  // ECX of leaf 1
    std::uint32_t featureBits = 0;          // EDX of leaf 1
    std::uint8_t configurationDescriptors[128] = {};
    std::uint32_t highestExtendedLeaf = 0;
    std::uint32_t extendedProcessorFeatures = 0;  // EDX of leaf 0x80000001
    char processorName[49] = {};
    std::uint32_t l1Registers[4] = {};  // EAX, EBX, ECX, EDX of leaf 0x80000005
    std::uint32_t l2Registers[4] = {};  // of leaf 0x80000006

    // The vendor code of a vendor string (0 for an unknown vendor).
    static std::uint8_t VendorCodeOf(const std::string& vendorString);

private:
    bool LeafAvailable(std::uint32_t leaf) const;
};

std::ostream& operator<<(std::ostream& out, const CPUIdentifier& cpu);

// The installed DirectX version: 0 on success, 0x80004005 when it cannot be
// found at all. No DirectX gives a packed version 0 and an empty text.
std::uint32_t GetDXVersion(std::uint32_t* packedVersion, char* text, int textLength);
// ((major × 256 + minor) × 256) + letter position (a = 1, none = 0).
std::uint32_t PackDXVersion(int major, int minor, char letter);
