#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Files compiled into the program (scripts and configuration). Each is held as
// a program resource named after its file name in upper case ("UTILITY.LUA"),
// and the resource "RESOURCE_TABLE" lists every file: pairs of NUL-terminated
// strings, the file name as scripts ask for it, then its resource name.
struct EmbeddedFile
{
    const char* name;
    const unsigned char* data;
    std::size_t size;
};

class EmbeddedFileRegistration
{
public:
    EmbeddedFileRegistration(const char* name, const unsigned char* data, std::size_t size);
};

const std::vector<EmbeddedFile>& GetEmbeddedFiles();
// By file name; null when no file of that name was compiled in.
const EmbeddedFile* FindEmbeddedFile(const std::string& name);
// By resource name ("UTILITY.LUA", or "RESOURCE_TABLE"); null when there is none.
const EmbeddedFile* FindEmbeddedResource(const std::string& resourceName);
// The resource name of a file name.
std::string EmbeddedResourceName(const std::string& fileName);

inline constexpr const char* kEmbeddedResourceTable = "RESOURCE_TABLE";
