#include "engine/runtime/ResourceExtensions.h"

#include "engine/core/EmbeddedFiles.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/Utility.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What an empty file reads as: no bytes, but a valid pointer.
const char kNoBytes[1] = {0};

bool IsMetadataFileName(const std::string& name)
{
    return EndsWith(name, "image.cfg") || EndsWith(name, "sound.cfg") || EndsWith(name, "metadata.cfg");
}

std::string CurrentDirectory()
{
    char buffer[261] = {};
    if (!::getcwd(buffer, sizeof(buffer)))
        return std::string();
    return buffer;
}

} // namespace

// ---------------------------------------------------------------------------
// WindowsMappedFileReader

WindowsMappedFileReader::WindowsMappedFileReader(std::string location) : m_Location(std::move(location)) {}

WindowsMappedFileReader::~WindowsMappedFileReader()
{
    try {
        Close();
    } catch (...) {
        LogWrite("WARNING: %s\n", CurrentExceptionMessage().c_str());
    }
}

void WindowsMappedFileReader::Read(const std::string&, const char*& data, std::size_t& size)
{
    if (!IsOpen())
        MapFileIntoMemory(m_Location);
    data = static_cast<const char*>(m_View);
    size = m_Size;
}

void WindowsMappedFileReader::MapFileIntoMemory(const std::string& location)
{
    VELK_ASSERT(location.empty() == false);

    // Non-blocking, so that a named pipe in a data folder fails below instead of hanging here.
    const int file = ::open(location.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file < 0)
        VELK_THROW(ResourceLoadError,
                   (boost::format("Could not open file: \"%1%\", %2%") % location % GetSystemErrorText(errno)).str());

    struct stat info;
    if (::fstat(file, &info) != 0) {
        const int error = errno;
        ::close(file);
        VELK_THROW(ResourceLoadError,
                   (boost::format("Could not get size of file: \"%1%\", %2%") % location % GetSystemErrorText(error)).str());
    }

    const std::size_t size = static_cast<std::size_t>(info.st_size);
    const void* view = kNoBytes;
    // An empty file cannot be mapped, and has nothing to map.
    if (size > 0) {
        void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file, 0);
        if (mapped == MAP_FAILED) {
            const int mappingError = errno;
            if (::close(file) != 0) {
                VELK_THROW(ResourceLoadError,
                           (boost::format("File could not be closed after file mapping failed:\nfile=%1%\n"
                                          "close error:%2%\nmapping error:%3%") %
                            location % GetSystemErrorText(errno) % GetSystemErrorText(mappingError)).str());
            }
            VELK_THROW(ResourceLoadError, (boost::format("File mapping failed:\nfile=%1%\nmapping error:%2%") %
                                           location % GetSystemErrorText(mappingError)).str());
        }
        view = mapped;
    }
    // The mapping keeps the file; its descriptor is not needed, and a process has few of them.
    ::close(file);

    m_View = view;
    m_Size = size;
    m_Location = location;
}

void WindowsMappedFileReader::Close()
{
    if (!IsOpen())
        return;
    const void* view = m_View;
    m_View = nullptr;
    const std::size_t size = m_Size;
    m_Size = 0;
    if (view != kNoBytes && ::munmap(const_cast<void*>(view), size) != 0)
        VELK_THROW(Exception, (boost::format("UnmapViewOfFile failed:\nfile=%1%\nerror=%2%") % m_Location %
                               GetSystemErrorText(errno)).str());
}

// ---------------------------------------------------------------------------
// WindowsResourceFileReader

void WindowsResourceFileReader::Read(const std::string&, const char*& data, std::size_t& size)
{
    const EmbeddedFile* file = FindEmbeddedResource(m_ResourceName);
    if (!file)
        VELK_THROW(ResourceLoadError, (boost::format("Could not find Windows resource:\nname = %1%\nerror = %2%") %
                                       m_ResourceName % "no file of that name is compiled into the program").str());
    data = reinterpret_cast<const char*>(file->data);
    size = file->size;
}

// ---------------------------------------------------------------------------
// WindowsDirectoryResourceScanner

WindowsDirectoryResourceScanner::WindowsDirectoryResourceScanner(const std::string& directory, bool recursive,
                                                                 bool required)
    : m_Directory(directory), m_Recursive(recursive), m_Required(required)
{
    if (m_Directory.empty() || m_Directory.back() != '/')
        m_Directory += '/';
}

std::string WindowsDirectoryResourceScanner::GetDescription() const
{
    return (boost::format("Windows directory resource scanner for \"%1%\"") % m_Directory).str();
}

void WindowsDirectoryResourceScanner::Scan(ResourceInfoMap& output)
{
    DoRecursiveScan(m_Directory, output);
}

void WindowsDirectoryResourceScanner::DoRecursiveScan(const std::string& dirName, ResourceInfoMap& output)
{
    // A path that does not exist is dealt with by the listing below. The
    // trailing '/' comes off, or a plain file would look like a missing folder.
    std::string bareName = dirName;
    while (bareName.size() > 1 && bareName.back() == '/')
        bareName.pop_back();
    struct stat dirInfo;
    const bool exists = ::stat(bareName.c_str(), &dirInfo) == 0;
    VELK_ASSERT(!exists || S_ISDIR(dirInfo.st_mode));

    const int marker = ::open((dirName + "DO_NOT_SCAN").c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (marker >= 0) {
        ::close(marker);
        return;
    }

    std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(dirName.c_str()), &::closedir);
    if (!listing) {
        const int error = errno;
        if (m_Required) {
            VELK_THROW(Exception, (boost::format("Could not scan directory for metadata:\ndir=%1%\nerror=%2%\n"
                                                 "currentWorkingDirectory=%3%") %
                                   dirName % GetSystemErrorText(error) % CurrentDirectory()).str());
        }
        LogWrite("WindowsDirectoryResourceScanner: Ignoring optional + non-present directory: %s\n", dirName.c_str());
        return;
    }

    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        const dirent* item = ::readdir(listing.get());
        if (!item)
            break;
        names.emplace_back(item->d_name);
    }
    if (errno != 0)
        VELK_THROW(Exception, (boost::format("Could not find next file:\ndir=%1%\nerror=%2%") % dirName %
                               GetSystemErrorText(errno)).str());
    if (::closedir(listing.release()) != 0)
        VELK_THROW(Exception, (boost::format("Could not close file find handle:\ndir=%1%\nerror=%2%") % dirName %
                               GetSystemErrorText(errno)).str());
    // The file system's own order is arbitrary here; name order makes every scan the same.
    std::sort(names.begin(), names.end());

    std::vector<std::string> subfolders;
    std::unique_ptr<ResourceInfo> metadataResInfo;
    for (const std::string& name : names) {
        if (name.empty() || name.back() == '.')
            continue;
        const std::string path = dirName + name;
        struct stat itemInfo;
        if (::stat(path.c_str(), &itemInfo) == 0 && S_ISDIR(itemInfo.st_mode)) {
            subfolders.push_back(path + "/");
            continue;
        }
        auto info = std::make_unique<ResourceInfo>();
        info->SetLocation(path);
        info->SetReader(new WindowsMappedFileReader(path));
        if (IsMetadataFileName(name)) {
            VELK_ASSERT_MSG(metadataResInfo == 0,
                            (boost::format("Metadata in the directory \"%1%\" with the file name \"%2%\" was already "
                                           "found in the file \"%3%\"") %
                             dirName % name % metadataResInfo->GetLocation()).str());
            metadataResInfo = std::move(info);
            continue;
        }
        output.erase(name);
        output[name] = std::move(info);
    }

    if (metadataResInfo) {
        ProcessMetadataFile(*metadataResInfo, output);
        metadataResInfo.reset();
    }

    if (m_Recursive)
        for (const std::string& subfolder : subfolders)
            DoRecursiveScan(subfolder, output);
}

// ---------------------------------------------------------------------------
// WindowsApplicationResourceScanner

std::vector<std::pair<std::string, std::string>> ReadResourceTable(const char* data, std::size_t size)
{
    enum { READING_FILE_NAME, READING_RESOURCE_NAME } state = READING_FILE_NAME;
    std::vector<std::pair<std::string, std::string>> pairs;
    std::string fileName, resourceName;
    for (std::size_t i = 0; i < size; ++i) {
        char c = data[i];
        if (c != '\0') {
            (state == READING_FILE_NAME ? fileName : resourceName) += c;
        } else if (state == READING_FILE_NAME) {
            state = READING_RESOURCE_NAME;
        } else {
            pairs.emplace_back(fileName, resourceName);
            fileName.clear();
            resourceName.clear();
            state = READING_FILE_NAME;
        }
    }
    VELK_ASSERT(state == READING_FILE_NAME);
    return pairs;
}

void WindowsApplicationResourceScanner::Scan(ResourceInfoMap& output)
{
    WindowsResourceFileReader tableReader(kEmbeddedResourceTable);
    const char* data = nullptr;
    std::size_t size = 0;
    tableReader.Read(kEmbeddedResourceTable, data, size);
    ResourceInfoMap found;
    for (const auto& [fileName, resourceName] : ReadResourceTable(data, size)) {
        auto info = std::make_unique<ResourceInfo>();
        info->SetLocation(fileName);
        info->SetReader(new WindowsResourceFileReader(resourceName));
        found[fileName] = std::move(info);
    }
    for (auto& [name, info] : found) {
        output.erase(name);
        output[name] = std::move(info);
    }
}
