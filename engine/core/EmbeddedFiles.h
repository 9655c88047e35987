#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Files compiled into the program (scripts and configuration), by file name.
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
// Null when no file of that name was compiled in.
const EmbeddedFile* FindEmbeddedFile(const std::string& name);
