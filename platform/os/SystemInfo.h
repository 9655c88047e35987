#pragma once

#include <cstdint>
#include <string>

// What the start-up log reports of the machine: the kernel's names (uname) and
// the memory figures of the kernel and of this process.

struct OsVersionInfo
{
    std::string sysname;
    std::string release;
    std::string version;
    std::string machine;
};

// False, with the system's error text, when uname fails.
bool GetOsVersionInfo(OsVersionInfo& info, std::string& error);

struct MemoryStatus
{
    // Percentage of physical memory in use, 0 to 100.
    unsigned int memoryLoad = 0;
    std::uint64_t totalPhysical = 0;
    std::uint64_t availablePhysical = 0;
    // The commit limit and what of it is not yet committed.
    std::uint64_t totalCommit = 0;
    std::uint64_t availableCommit = 0;
    // This process's address space and what of it is not yet mapped.
    std::uint64_t totalVirtual = 0;
    std::uint64_t availableVirtual = 0;
};

// Reads "/proc/meminfo" (sysinfo when it cannot be read) and "/proc/self/status";
// figures the kernel does not give stay 0.
MemoryStatus GetMemoryStatus();

// The physical and commit figures of a "/proc/meminfo" text; false when it
// lacks "MemTotal".
bool ParseMemInfo(const std::string& text, MemoryStatus& status);

// A "kB" field of a "/proc" status text ("VmSize:   1234 kB") in bytes; 0 when absent.
std::uint64_t ReadProcKilobytes(const std::string& text, const std::string& field);
