#include "engine/runtime/FileVersion.h"

#include "platform/d3d/D3DLayer.h"

#include "engine/core/Exception.h"

#include <boost/format.hpp>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <sstream>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

#ifndef VELK_APP_VERSION
#error "VELK_APP_VERSION is set by the build from the project's version"
#endif

// ---------------------------------------------------------------- CFileVersion

namespace {

bool IsRunningProgram(const std::string& name)
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return false;
    std::filesystem::path asked = std::filesystem::weakly_canonical(name, error);
    if (error)
        return false;
    return asked == self || std::filesystem::path(name).filename() == self.filename();
}

std::string BlockPath(std::uint32_t translation, const std::string& valueName)
{
    return (boost::format("\\StringFileInfo\\%08lx\\%s") % translation % valueName).str();
}

} // namespace

const std::map<std::string, std::string>& CFileVersion::ProgramVersionBlock()
{
    static const std::map<std::string, std::string> block = [] {
        // "1.2.3.4" is kept in the block as "1, 2, 3, 4", as version blocks write it.
        std::string fileVersion = VELK_APP_VERSION;
        std::string commas;
        for (char c : fileVersion)
            commas += c == '.' ? std::string(", ") : std::string(1, c);
        std::map<std::string, std::string> values = {
            {"FileVersion", commas},
            {"ProductVersion", commas},
            {"ProductName", "Wopple Vevev"},
            {"CompanyName", "quillfen"},
            {"FileDescription", "Wopple Vevev"},
            {"OriginalFilename", "Wopple2"},
        };
        std::map<std::string, std::string> paths;
        for (const auto& [name, value] : values)
            paths[BlockPath(kProgramTranslation, name)] = value;
        return paths;
    }();
    return block;
}

bool CFileVersion::Open(const std::string& moduleName)
{
    const char* lpszModuleName = moduleName.c_str();
    VELK_ASSERT(strlen(lpszModuleName) > 0);
    VELK_ASSERT(m_lpVersionData == 0);
    if (!IsRunningProgram(moduleName))
        return false;
    m_lpVersionData = &ProgramVersionBlock();
    m_Translation = kProgramTranslation;
    return true;
}

std::string CFileVersion::QueryValue(const std::string& valueName, std::uint32_t translation) const
{
    VELK_ASSERT(m_lpVersionData != 0);
    auto it = m_lpVersionData->find(BlockPath(translation ? translation : m_Translation, valueName));
    return it == m_lpVersionData->end() ? std::string() : it->second;
}

void CFileVersion::Close()
{
    m_lpVersionData = nullptr;
    m_Translation = 0;
}

// ---------------------------------------------------------------- CPUIdentifier

namespace {

struct Registers
{
    std::uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

bool ReadLeaf(std::uint32_t leaf, Registers& r)
{
#if defined(__i386__) || defined(__x86_64__)
    __cpuid_count(leaf, 0, r.eax, r.ebx, r.ecx, r.edx);
    return true;
#else
    (void)leaf;
    (void)r;
    return false;
#endif
}

void StoreBytes(std::uint32_t value, std::uint8_t* out)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace

std::uint8_t CPUIdentifier::VendorCodeOf(const std::string& vendorString)
{
    static const char* const kVendors[] = {"GenuineIntel", "AuthenticAMD", "UMC UMC UMC ", "CyrixInstead",
                                           "NexGenDriven", "CentaurHauls", "RiseRiseRise", "SiS SiS SiS ",
                                           "GenuineTMx86", "Geode by NSC"};
    for (std::size_t i = 0; i < std::size(kVendors); ++i)
        if (vendorString == kVendors[i])
            return static_cast<std::uint8_t>(i + 1);
    return 0;
}

bool CPUIdentifier::LeafAvailable(std::uint32_t leaf) const
{
    if (leaf < 0x08000000)
        return leaf <= highestStandardLeaf;
    return leaf <= highestExtendedLeaf;
}

CPUIdentifier::CPUIdentifier()
{
    Registers r;
    if (!ReadLeaf(0, r) || r.eax == 0)
        return;
    cpuidAvailable = true;
    highestStandardLeaf = r.eax > 0x500 ? r.eax - 0x500 : r.eax;
    std::memcpy(vendor, &r.ebx, 4);
    std::memcpy(vendor + 4, &r.edx, 4);
    std::memcpy(vendor + 8, &r.ecx, 4);
    vendorCode = VendorCodeOf(vendor);

    if (LeafAvailable(1)) {
        ReadLeaf(1, r);
        stepping = r.eax & 0xF;
        model = (r.eax >> 4) & 0xF;
        family = (r.eax >> 8) & 0xF;
        processorType = (r.eax >> 12) & 0x3;
        extendedModel = (r.eax >> 16) & 0xF;
        extendedFamily = (r.eax >> 20) & 0xFF;
        brandIndex = r.ebx & 0xFF;
        clflushSize = (r.ebx >> 8) & 0xFF;
        logicalProcessorCount = (r.ebx >> 16) & 0xFF;
        localApicId = (r.ebx >> 24) & 0xFF;
        extendedFeatureBits = r.ecx;
        featureBits = r.edx;
    }
    if (LeafAvailable(2)) {
        ReadLeaf(2, r);
        int calls = (r.eax & 0xFF) > 1 ? static_cast<int>(r.eax & 0xFF) : 1;
        calls = std::min(calls, 8);
        for (int call = 0; call < calls; ++call) {
            if (call > 0)
                ReadLeaf(2, r);
            std::uint8_t bytes[16];
            StoreBytes(r.eax, bytes);
            StoreBytes(r.ebx, bytes + 4);
            StoreBytes(r.ecx, bytes + 8);
            StoreBytes(r.edx, bytes + 12);
            // The low byte of EAX is the call count, not a descriptor.
            std::memcpy(configurationDescriptors + call * 15, bytes + 1, std::min<int>(15, 128 - call * 15));
        }
    }
    ReadLeaf(0x80000000, r);
    if (r.eax > 0x80000000)
        highestExtendedLeaf = r.eax;
    if (LeafAvailable(0x80000001)) {
        ReadLeaf(0x80000001, r);
        extendedProcessorFeatures = r.edx;
    }
    if (LeafAvailable(0x80000004)) {
        for (std::uint32_t leaf = 0; leaf < 3; ++leaf) {
            ReadLeaf(0x80000002 + leaf, r);
            std::memcpy(processorName + leaf * 16, &r.eax, 4);
            std::memcpy(processorName + leaf * 16 + 4, &r.ebx, 4);
            std::memcpy(processorName + leaf * 16 + 8, &r.ecx, 4);
            std::memcpy(processorName + leaf * 16 + 12, &r.edx, 4);
        }
    }
    if (LeafAvailable(0x80000005)) {
        ReadLeaf(0x80000005, r);
        l1Registers[0] = r.eax, l1Registers[1] = r.ebx, l1Registers[2] = r.ecx, l1Registers[3] = r.edx;
    }
    if (LeafAvailable(0x80000006)) {
        ReadLeaf(0x80000006, r);
        l2Registers[0] = r.eax, l2Registers[1] = r.ebx, l2Registers[2] = r.ecx, l2Registers[3] = r.edx;
    }
}

namespace {

std::string Label(const std::string& text, int width)
{
    std::ostringstream out;
    out << std::setw(width) << std::right << text;
    return out.str();
}

} // namespace

std::ostream& operator<<(std::ostream& out, const CPUIdentifier& cpu)
{
    out << "CPUIdentifier: the processor as CPUID describes it\n";
    out << "Origin: engine/runtime/FileVersion.cpp\n\n";
    if (!cpu.cpuidAvailable) {
        out << "CPUID is not supported\n";
        return out;
    }
    const int first = 30, later = 45;
    out << std::hex;
    out << Label("Max CPUID Level : ", first) << cpu.highestStandardLeaf << "\n";
    out << Label("VendorID : ", first) << cpu.vendor << "\n";
    if (cpu.highestStandardLeaf >= 1) {
        out << Label("Stepping : ", first) << cpu.stepping << ", Model : " << cpu.model << ", Family : " << cpu.family
            << ", Type : " << cpu.processorType << ", Brand-ID : " << cpu.brandIndex << "\n";
        out << Label("Logical CPU Count : ", first) << cpu.logicalProcessorCount << "\n";
    }
    if (cpu.highestStandardLeaf >= 2) {
        out << Label("Configuration Descriptors : ", first);
        for (std::uint8_t b : cpu.configurationDescriptors)
            out << static_cast<unsigned>(b) << " ";
        out << "\n";
    }
    out << Label("Max CPUID Extension Level : ", first) << cpu.highestExtendedLeaf << "\n";
    out << std::dec;
    if (cpu.highestExtendedLeaf >= 0x80000004)
        out << Label("Processor Name : ", first) << cpu.processorName << "\n";

    auto byte = [](std::uint32_t value, int index) { return (value >> (8 * index)) & 0xFF; };
    if (cpu.highestExtendedLeaf >= 0x80000005) {
        out << "L1 CACHE DESCRIPTORS:\n";
        const char* const tlbLabels[] = {"code TLB entries : ", "code TLB associativity : ", "data TLB entries : ",
                                         "data TLB associativity : "};
        const char* const dataLabels[] = {"data L1 cache line size in bytes : ", "data L1 cache lines per tag : ",
                                          "data L1 cache associativity : ", "data L1 cache size in KBs : "};
        const char* const codeLabels[] = {"code L1 cache line size in bytes : ", "code L1 cache lines per tag : ",
                                          "code L1 cache associativity : ", "code L1 cache size in KBs : "};
        const std::pair<const char*, const char* const*> groups[] = {
            {"4/2 MB L1 TLB configuration descriptor", tlbLabels},
            {"4 KB L1 TLB configuration descriptor", tlbLabels},
            {"data L1 cache configuration descriptor", dataLabels},
            {"code L1 cache configuration descriptor", codeLabels},
        };
        for (int g = 0; g < 4; ++g) {
            out << groups[g].first << "\n";
            for (int b = 0; b < 4; ++b)
                out << Label(groups[g].second[b], later) << byte(cpu.l1Registers[g], b) << "\n";
        }
    }
    if (cpu.highestExtendedLeaf >= 0x80000006) {
        out << "L2 CACHE DESCRIPTORS:\n";
        const char* const tlbLabels[] = {"code TLB entries : ", "code TLB associativity : ", "data TLB entries : ",
                                         "data TLB associativity : "};
        for (int g = 0; g < 2; ++g) {
            std::uint32_t v = cpu.l2Registers[g];
            out << (g == 0 ? "4/2 MB L2 TLB configuration descriptor " : "4 KB L2 TLB configuration descriptor ")
                << "\n";
            const std::uint32_t fields[] = {v & 0xFFF, (v >> 12) & 0xF, (v >> 16) & 0xFFF, (v >> 28) & 0xF};
            for (int f = 0; f < 4; ++f)
                out << Label(tlbLabels[f], later) << fields[f] << "\n";
        }
        std::uint32_t c = cpu.l2Registers[2];
        out << "unified L2 cache configuration descriptor \n";
        out << Label("unified L2 cache line size in bytes : ", later) << (c & 0xFF) << "\n";
        out << Label("unified L2 cache lines per tag : ", later) << ((c >> 8) & 0xF) << "\n";
        out << Label("unified L2 cache associativity : ", later) << ((c >> 12) & 0xF) << "\n";
        out << Label("unified L2 cache size in KBs : ", later) << ((c >> 16) & 0xFFFF) << "\n";
    }

    out << "FEATURES:\n";
    const std::pair<int, const char*> features[] = {
        {0, "Floating-point unit on-chip (FPU) : "}, {1, "Virtual Mode Extension (VME) : "},
        {2, "Debugging Extension (DE)  : "}, {3, "Page Size Extension (PSE) : "},
        {4, "Time Stamp Counter (TSC) : "}, {5, "Model Specific Registers (MSR) : "},
        {6, "Physical Address Extension (PAE) : "}, {7, "Machine Check Exception (MCE) : "},
        {8, "CMPXCHG8 Instruction (CX8) : "}, {9, "On-chip APIC Hardware (APIC): "},
        {11, "Fast System Call (SEP) : "}, {12, "Memory Type Range Registers (MTRR): "},
        {13, "Page Global Enable (PGE) : "}, {14, "Machine Check Architecture (MCA) : "},
        {15, "Conditional Move Instruction (CMOV): "}, {16, "Page Attribute Table (PAT) : "},
        {17, "36-bit Page Size Extension (PSE36): "}, {18, "96-bit Processor Number (PSN) : "},
        {19, "CLFLUSH Instruction (CLFL): "}, {21, "Debug Trace Store (DTES): "},
        {22, "ACPI Supported (ACPI): "}, {23, "MMX Instructions (MMX) : "},
        {24, "Fast Save and Restore (FXSR): "}, {25, "Streaming SIMD Extensions (SSE) : "},
        {26, "Streaming SIMD Extensions 2 (SSE2): "}, {27, "Self-snoop (SS) : "},
        {28, "Hyper-Threading Technology (HTT) : "}, {29, "Thermal Monitor Supported (TM1) : "},
        {30, "IA -64 Processor Capable (IA64): "}, {31, "Pending Break Event (PBE) : "},
    };
    for (const auto& [bit, label] : features)
        out << Label(label, later) << ((cpu.featureBits >> bit) & 1) << "\n";
    const std::pair<int, const char*> extended[] = {
        {0, "Streaming SIMD Extensions 3 (SSE3) : "}, {3, "Monitor (MON) : "},
        {4, "CPL-qualified Debug Store (DSCPL) : "}, {8, "Thermal Monitor Supported (TM2) : "},
        {7, "Enhanced SpeedStep Technology (EST) : "}, {10, "Context ID (CID) : "},
    };
    for (const auto& [bit, label] : extended)
        out << Label(label, later) << ((cpu.extendedFeatureBits >> bit) & 1) << "\n";
    auto amd = [&](int bit, const char* label) {
        out << Label(label, later) << ((cpu.extendedProcessorFeatures >> bit) & 1) << "\n";
    };
    amd(19, "MultiProcessing Capable (MP) : ");
    amd(20, "NX : ");
    if (cpu.vendorCode == 2)
        amd(22, "MMX+ Instructions (MMX+) : ");
    if (cpu.vendorCode == 4)
        amd(24, "MMX+ Instructions (MMX+): ");
    amd(29, "x86-64 Long Mode (LM) : ");
    amd(30, "3DNow! Instruction Extensions (3DNow!+) : ");
    amd(31, "3DNow! Instructions (3DNow!) : ");
    return out;
}

// ---------------------------------------------------------------- DirectX

std::uint32_t PackDXVersion(int major, int minor, char letter)
{
    std::uint32_t packed = static_cast<std::uint32_t>((major * 256 + minor) * 256);
    if (letter >= 'a' && letter <= 'z')
        packed += static_cast<std::uint32_t>(letter - 'a' + 1);
    return packed;
}

std::uint32_t GetDXVersion(std::uint32_t* packedVersion, char* text, int textLength)
{
    // The accelerated display's layer stands in for DirectX: its version when
    // it can be brought up here, none otherwise (not a failure to find out).
    const bool present = CanBringUpD3DLayer();
    if (packedVersion)
        *packedVersion = present ? PackDXVersion(kD3DLayerVersionMajor, kD3DLayerVersionMinor, ' ') : 0;
    if (text && textLength > 0) {
        if (present)
            std::snprintf(text, static_cast<std::size_t>(textLength), "%d.%d", kD3DLayerVersionMajor,
                          kD3DLayerVersionMinor);
        else
            text[0] = '\0';
    }
    return 0;
}
