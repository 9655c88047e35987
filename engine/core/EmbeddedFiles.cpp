#include "engine/core/EmbeddedFiles.h"

namespace {
std::vector<EmbeddedFile>& Files()
{
    static std::vector<EmbeddedFile> files;
    return files;
}
} // namespace

EmbeddedFileRegistration::EmbeddedFileRegistration(const char* name, const unsigned char* data, std::size_t size)
{
    Files().push_back({name, data, size});
}

const std::vector<EmbeddedFile>& GetEmbeddedFiles()
{
    return Files();
}

const EmbeddedFile* FindEmbeddedFile(const std::string& name)
{
    for (const EmbeddedFile& file : Files())
        if (name == file.name)
            return &file;
    return nullptr;
}
