#pragma once

#include "engine/core/FileReader.h"
#include "engine/runtime/ResourceManager.h"

#include <cstddef>
#include <string>
#include <vector>

// A file on disk, mapped into memory on the first Read. Each reader reads the
// file it was made for, whatever name the caller gives it.
class WindowsMappedFileReader : public FileReader
{
public:
    explicit WindowsMappedFileReader(std::string location);
    ~WindowsMappedFileReader() override;
    WindowsMappedFileReader(const WindowsMappedFileReader&) = delete;
    WindowsMappedFileReader& operator=(const WindowsMappedFileReader&) = delete;

    void Read(const std::string& location, const char*& data, std::size_t& size) override;
    void Close() override;
    bool IsOpen() const { return m_View != nullptr; }

private:
    void MapFileIntoMemory(const std::string& location);

    const void* m_View = nullptr;
    std::size_t m_Size = 0;
    std::string m_Location;
};

// A file compiled into the program (EmbeddedFiles.h), looked up by name on every Read.
class WindowsResourceFileReader : public FileReader
{
public:
    explicit WindowsResourceFileReader(std::string resourceName) : m_ResourceName(std::move(resourceName)) {}

    void Read(const std::string& location, const char*& data, std::size_t& size) override;
    // The bytes belong to the program.
    void Close() override {}

private:
    std::string m_ResourceName;
};

// The files of a folder on disk (and, when recursive, of its subfolders), by
// bare file name; a later file of the same name replaces an earlier one. A
// folder holding "DO_NOT_SCAN" is skipped with everything below it.
class WindowsDirectoryResourceScanner : public ResourceScanner
{
public:
    // A missing root folder is an error when required, else a log line.
    WindowsDirectoryResourceScanner(const std::string& directory, bool recursive, bool required);

    void Scan(ResourceInfoMap& output) override;
    std::string GetDescription() const override;

private:
    void DoRecursiveScan(const std::string& dirName, ResourceInfoMap& output);

    std::string m_Directory;
    bool m_Recursive;
    bool m_Required;
};

// The pairs (file name, resource name) of a resource table.
std::vector<std::pair<std::string, std::string>> ReadResourceTable(const char* data, std::size_t size);

// The files compiled into the program, by file name, as the program's resource
// table lists them.
class WindowsApplicationResourceScanner : public ResourceScanner
{
public:
    void Scan(ResourceInfoMap& output) override;
    std::string GetDescription() const override { return "Windows application resource scanner"; }
};
