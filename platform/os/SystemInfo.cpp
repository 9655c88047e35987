#include "platform/os/SystemInfo.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>

namespace {

std::string ReadWholeFile(const char* path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The lowest address the kernel never hands to user space: the size of the
// user part of the address space on the usual 64-bit layouts (47 bits of user
// addresses), or all of it on 32-bit systems.
std::uint64_t UserAddressSpaceSize()
{
    if constexpr (sizeof(void*) >= 8)
        return std::uint64_t(1) << 47;
    else
        return std::uint64_t(1) << (8 * sizeof(void*));
}

unsigned int LoadPercent(std::uint64_t total, std::uint64_t available)
{
    if (total == 0 || available >= total)
        return 0;
    return static_cast<unsigned int>((total - available) * 100 / total);
}

} // namespace

bool GetOsVersionInfo(OsVersionInfo& info, std::string& error)
{
    utsname names{};
    if (uname(&names) != 0) {
        error = std::strerror(errno);
        return false;
    }
    info.sysname = names.sysname;
    info.release = names.release;
    info.version = names.version;
    info.machine = names.machine;
    return true;
}

std::uint64_t ReadProcKilobytes(const std::string& text, const std::string& field)
{
    std::istringstream lines(text);
    std::string line;
    const std::string key = field + ":";
    while (std::getline(lines, line)) {
        if (line.compare(0, key.size(), key) != 0)
            continue;
        std::istringstream value(line.substr(key.size()));
        std::uint64_t kilobytes = 0;
        if (value >> kilobytes)
            return kilobytes * 1024;
        return 0;
    }
    return 0;
}

bool ParseMemInfo(const std::string& text, MemoryStatus& status)
{
    status.totalPhysical = ReadProcKilobytes(text, "MemTotal");
    if (status.totalPhysical == 0)
        return false;
    status.availablePhysical = ReadProcKilobytes(text, "MemAvailable");
    if (status.availablePhysical == 0)
        // Kernels before 3.14 lack the estimate; free memory is the nearest figure.
        status.availablePhysical = ReadProcKilobytes(text, "MemFree");
    status.totalCommit = ReadProcKilobytes(text, "CommitLimit");
    std::uint64_t committed = ReadProcKilobytes(text, "Committed_AS");
    // Overcommitted systems commit more than the limit.
    status.availableCommit = committed < status.totalCommit ? status.totalCommit - committed : 0;
    status.memoryLoad = LoadPercent(status.totalPhysical, status.availablePhysical);
    return true;
}

MemoryStatus GetMemoryStatus()
{
    MemoryStatus status;
    struct sysinfo info{};
    if (!ParseMemInfo(ReadWholeFile("/proc/meminfo"), status) && sysinfo(&info) == 0) {
        status.totalPhysical = std::uint64_t(info.totalram) * info.mem_unit;
        status.availablePhysical = std::uint64_t(info.freeram + info.bufferram) * info.mem_unit;
        status.memoryLoad = LoadPercent(status.totalPhysical, status.availablePhysical);
    }

    rlimit limit{};
    status.totalVirtual = UserAddressSpaceSize();
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < status.totalVirtual)
        status.totalVirtual = limit.rlim_cur;
    std::uint64_t mapped = ReadProcKilobytes(ReadWholeFile("/proc/self/status"), "VmSize");
    status.availableVirtual = mapped < status.totalVirtual ? status.totalVirtual - mapped : 0;
    return status;
}
