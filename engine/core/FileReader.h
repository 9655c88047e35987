#pragma once

#include <cstddef>
#include <string>

// Gives the whole content of one file (on disk, in the program or in a package)
// as bytes in memory. The bytes stay valid from Read until Close or destruction;
// the first Read opens the file and later calls return the same bytes.
class FileReader
{
public:
    virtual ~FileReader() = default;
    virtual void Read(const std::string& location, const char*& data, std::size_t& size) = 0;
    virtual void Close() = 0;
};
