#include "engine/runtime/PhysFSResourceExtensions.h"

#include "engine/core/DataFile.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"

#include <physfs.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

PhysFSManager* g_Manager = nullptr;

struct PhysFSListDeleter
{
    void operator()(char** list) const { PHYSFS_freeList(list); }
};

struct PhysFSFileCloser
{
    void operator()(PHYSFS_File* file) const { PHYSFS_close(file); }
};

// The archive's directory is read a field at a time, and from a file each read
// is a system call: thousands of them at start-up. A package of a sensible size
// is read whole instead, and parsed and unpacked from memory.
constexpr std::size_t kLargestPackageReadWhole = 64 * 1024 * 1024;

// A package's bytes, shared by the stream PhysFS keeps and the copies it makes
// for each file it opens.
struct PackageStream
{
    std::shared_ptr<const std::string> bytes;
    PHYSFS_uint64 position = 0;
};

PHYSFS_Io* NewPackageIo(std::shared_ptr<const std::string> bytes);

PackageStream& StreamOf(PHYSFS_Io* io)
{
    return *static_cast<PackageStream*>(io->opaque);
}

PHYSFS_sint64 PackageRead(PHYSFS_Io* io, void* buffer, PHYSFS_uint64 length)
{
    PackageStream& stream = StreamOf(io);
    const PHYSFS_uint64 size = stream.bytes->size();
    const PHYSFS_uint64 count = std::min(length, size - std::min(stream.position, size));
    std::memcpy(buffer, stream.bytes->data() + stream.position, static_cast<std::size_t>(count));
    stream.position += count;
    return static_cast<PHYSFS_sint64>(count);
}

int PackageSeek(PHYSFS_Io* io, PHYSFS_uint64 offset)
{
    PackageStream& stream = StreamOf(io);
    if (offset > stream.bytes->size()) {
        PHYSFS_setErrorCode(PHYSFS_ERR_PAST_EOF);
        return 0;
    }
    stream.position = offset;
    return 1;
}

PHYSFS_sint64 PackageTell(PHYSFS_Io* io)
{
    return static_cast<PHYSFS_sint64>(StreamOf(io).position);
}

PHYSFS_sint64 PackageLength(PHYSFS_Io* io)
{
    return static_cast<PHYSFS_sint64>(StreamOf(io).bytes->size());
}

PHYSFS_Io* PackageDuplicate(PHYSFS_Io* io)
{
    return NewPackageIo(StreamOf(io).bytes);
}

int PackageFlush(PHYSFS_Io*)
{
    return 1;
}

void PackageDestroy(PHYSFS_Io* io)
{
    delete static_cast<PackageStream*>(io->opaque);
    delete io;
}

PHYSFS_Io* NewPackageIo(std::shared_ptr<const std::string> bytes)
{
    auto* io = new PHYSFS_Io{};
    io->version = 0;
    io->opaque = new PackageStream{std::move(bytes)};
    io->read = PackageRead;
    io->write = nullptr;
    io->seek = PackageSeek;
    io->tell = PackageTell;
    io->length = PackageLength;
    io->duplicate = PackageDuplicate;
    io->flush = PackageFlush;
    io->destroy = PackageDestroy;
    return io;
}

bool MountPackageFromMemory(const std::string& path)
{
    auto bytes = std::make_shared<std::string>();
    std::string error;
    if (ReadWholeFile(path, *bytes, error, kLargestPackageReadWhole) != ReadResult::Read || bytes->empty())
        return false;
    PHYSFS_Io* io = NewPackageIo(std::move(bytes));
    if (PHYSFS_mountIo(io, path.c_str(), nullptr, 0))
        return true;
    // PhysFS keeps the stream only when the mount succeeds.
    io->destroy(io);
    return false;
}

} // namespace

std::string PhysFSErrorText()
{
    const char* text = PHYSFS_getErrorByCode(PHYSFS_getLastErrorCode());
    return text ? text : "unknown error";
}

// ---------------------------------------------------------------------------
// PhysFSFileReader

void PhysFSFileReader::Read(const std::string&, const char*& data, std::size_t& size)
{
    if (!m_Buffer) {
        const std::string& location = m_Location;
        // PhysFS crashes when asked anything after its last scanner has shut it down.
        VELK_ASSERT_MSG(PHYSFS_isInit(), (boost::format("Cannot find file:\nfile = %1%") % location).str());
        VELK_ASSERT_MSG(PHYSFS_exists(location.c_str()),
                        (boost::format("Cannot find file:\nfile = %1%") % location).str());
        std::unique_ptr<PHYSFS_File, PhysFSFileCloser> file(PHYSFS_openRead(location.c_str()));
        VELK_ASSERT_MSG(file != 0, (boost::format("Could not open file for reading:\nfile = %1%\nerror = %2%") %
                                    location % PhysFSErrorText()).str());
        const PHYSFS_sint64 length = PHYSFS_fileLength(file.get());
        VELK_ASSERT_MSG(length >= 0, (boost::format("Could not get the length of file:\nfile = %1%\nerror = %2%") %
                                      location % PhysFSErrorText()).str());
        auto buffer = std::make_unique<char[]>(static_cast<std::size_t>(length) + 1);
        const PHYSFS_sint64 bytesRead = PHYSFS_readBytes(file.get(), buffer.get(), static_cast<PHYSFS_uint64>(length));
        file.reset();
        // A short read keeps nothing, so the next Read tries again rather than pass off part of a file.
        if (bytesRead != length)
            VELK_THROW(Exception, AssertionText("bytesRead == m_Size"));
        m_Buffer = std::move(buffer);
        m_Size = static_cast<std::size_t>(length);
    }
    data = m_Buffer.get();
    size = m_Size;
}

void PhysFSFileReader::Close()
{
    m_Buffer.reset();
    m_Size = 0;
}

// ---------------------------------------------------------------------------
// PhysFSManager

PhysFSManager* PhysFSManager::GetInstance()
{
    if (!g_Manager)
        g_Manager = new PhysFSManager();
    return g_Manager;
}

PhysFSManager* PhysFSManager::PeekInstance()
{
    return g_Manager;
}

PhysFSManager::PhysFSManager()
{
    if (!PHYSFS_init(nullptr))
        VELK_THROW(Exception, (boost::format("Could not initialize PhysicsFS:\nerror = %1%") % PhysFSErrorText()).str());
}

PhysFSManager::~PhysFSManager()
{
    PHYSFS_deinit();
}

void PhysFSManager::IncRef()
{
    ++m_RefCount;
}

void PhysFSManager::DecRef()
{
    --m_RefCount;
    VELK_ASSERT(m_RefCount >= 0);
    if (m_RefCount == 0) {
        if (g_Manager == this)
            g_Manager = nullptr;
        delete this;
    }
}

void PhysFSManager::PerformScan(ResourceInfoMap& output)
{
    const int callsBefore = m_ScanCallCount++;
    if (callsBefore <= 0) {
        Internal_PerformScan(output, std::string());
        if (m_ScanCallCount == m_ScannerCount)
            m_ScanCallCount = 0;
    } else if (m_ScanCallCount == m_ScannerCount) {
        m_ScanCallCount = 0;
    }
}

void PhysFSManager::Internal_PerformScan(ResourceInfoMap& output, const std::string& dir)
{
    ResourceInfoMap foundResources;
    std::unique_ptr<ResourceInfo> metadataEntry;

    if (PHYSFS_exists((dir + "/DO_NOT_SCAN").c_str()))
        return;

    std::unique_ptr<char*[], PhysFSListDeleter> names(PHYSFS_enumerateFiles(dir.c_str()));
    for (char** item = names.get(); item && *item; ++item) {
        const std::string fileName = *item;
        const std::string path = dir.empty() ? fileName : (boost::format("%1%/%2%") % dir % fileName).str();
        auto info = std::make_unique<ResourceInfo>();
        info->SetLocation(path);
        info->SetReader(new PhysFSFileReader(path));
        if (fileName == "metadata.cfg") {
            metadataEntry = std::move(info);
        } else {
            VELK_ASSERT(foundResources.find(fileName) == foundResources.end());
            foundResources[fileName] = std::move(info);
        }
        PHYSFS_Stat stat;
        if (PHYSFS_stat(path.c_str(), &stat) != 0 && stat.filetype == PHYSFS_FILETYPE_DIRECTORY)
            Internal_PerformScan(output, path);
    }

    if (metadataEntry) {
        ResourceScanner::ProcessMetadataFile(*metadataEntry, foundResources);
        metadataEntry.reset();
    }

    for (auto& [name, info] : foundResources) {
        if (output.count(name) != 0) {
            LogWrite("WARNING: Duplicate file entry found by PhysicsFS resource scanner, \"%s\"\n", name.c_str());
            output.erase(name);
        }
        output[name] = std::move(info);
    }
}

// ---------------------------------------------------------------------------
// PhysFSResourceScanner

PhysFSResourceScanner::PhysFSResourceScanner(const std::string& packagePath) : m_PackagePath(packagePath)
{
    PhysFSManager* manager = PhysFSManager::GetInstance();
    manager->IncRef();
    // A package that is not there would otherwise show up much later, as one missing picture after another.
    // Mounted from the file when it cannot be read whole, which also gives the error to report.
    if (!MountPackageFromMemory(m_PackagePath) && !PHYSFS_mount(m_PackagePath.c_str(), nullptr, 0)) {
        const std::string error = PhysFSErrorText();
        manager->DecRef();
        VELK_THROW(ResourceLoadError,
                   (boost::format("Could not add a package to the PhysicsFS search path:\npackage = %1%\nerror = %2%") %
                    m_PackagePath % error).str());
    }
    manager->CountScanner();
}

PhysFSResourceScanner::~PhysFSResourceScanner()
{
    try {
        if (PhysFSManager* manager = PhysFSManager::PeekInstance())
            manager->DecRef();
    } catch (...) {
        LogWrite("WARNING: %s\n", CurrentExceptionMessage().c_str());
    }
}

std::string PhysFSResourceScanner::GetDescription() const
{
    return (boost::format("PhysicsFS resource scanner: \"%1%\"") % m_PackagePath).str();
}

void PhysFSResourceScanner::Scan(ResourceInfoMap& output)
{
    PhysFSManager::GetInstance()->PerformScan(output);
}
