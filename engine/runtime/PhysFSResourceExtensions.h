#pragma once

#include "engine/core/FileReader.h"
#include "engine/runtime/ResourceManager.h"

#include <cstddef>
#include <memory>
#include <string>

// A file in the PhysFS search path (a package or a mounted folder), read whole
// into a buffer on the first Read. Each reader reads the path it was made for,
// whatever name the caller gives it.
class PhysFSFileReader : public FileReader
{
public:
    explicit PhysFSFileReader(std::string location) : m_Location(std::move(location)) {}

    void Read(const std::string& location, const char*& data, std::size_t& size) override;
    void Close() override;
    bool IsOpen() const { return m_Buffer != nullptr; }

private:
    std::unique_ptr<char[]> m_Buffer;
    std::size_t m_Size = 0;
    std::string m_Location;
};

// PhysFS for the package scanners: initialised while at least one exists.
// The first Scan of a cycle lists every package at once through the merged
// search path; the other scanners' calls in that cycle add nothing.
class PhysFSManager
{
public:
    // The manager, created (and PhysFS initialised) when there is none.
    static PhysFSManager* GetInstance();
    // The manager if one exists, else null.
    static PhysFSManager* PeekInstance();

    void IncRef();
    // Deletes the manager (and de-initialises PhysFS) with the last reference.
    void DecRef();
    // One more package scanner in the search path.
    void CountScanner() { ++m_ScannerCount; }
    void PerformScan(ResourceInfoMap& output);

    int GetRefCount() const { return m_RefCount; }
    int GetScannerCount() const { return m_ScannerCount; }
    int GetScanCallCount() const { return m_ScanCallCount; }

private:
    PhysFSManager();
    ~PhysFSManager();
    void Internal_PerformScan(ResourceInfoMap& output, const std::string& dir);

    int m_RefCount = 0;
    int m_ScannerCount = 0;
    int m_ScanCallCount = 0;
};

// The files of a package (or a folder) through PhysFS, by bare file name.
class PhysFSResourceScanner : public ResourceScanner
{
public:
    // Puts the package at the front of the search path; throws when PhysFS
    // cannot open it.
    explicit PhysFSResourceScanner(const std::string& packagePath);
    ~PhysFSResourceScanner() override;
    PhysFSResourceScanner(const PhysFSResourceScanner&) = delete;
    PhysFSResourceScanner& operator=(const PhysFSResourceScanner&) = delete;

    void Scan(ResourceInfoMap& output) override;
    std::string GetDescription() const override;

private:
    std::string m_PackagePath;
};

// PhysFS's text for its last error.
std::string PhysFSErrorText();
