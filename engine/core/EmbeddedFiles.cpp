#include "engine/core/EmbeddedFiles.h"

#include <cctype>

namespace {

std::vector<EmbeddedFile>& Files()
{
    static std::vector<EmbeddedFile> files;
    return files;
}

// The table is made again when files were registered since it was last made.
const EmbeddedFile& ResourceTable()
{
    static std::string bytes;
    static std::size_t filesInTable = static_cast<std::size_t>(-1);
    static EmbeddedFile table{kEmbeddedResourceTable, nullptr, 0};
    if (filesInTable != Files().size()) {
        bytes.clear();
        for (const EmbeddedFile& file : Files()) {
            bytes += file.name;
            bytes += '\0';
            bytes += EmbeddedResourceName(file.name);
            bytes += '\0';
        }
        filesInTable = Files().size();
        table.data = reinterpret_cast<const unsigned char*>(bytes.data());
        table.size = bytes.size();
    }
    return table;
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

const EmbeddedFile* FindEmbeddedResource(const std::string& resourceName)
{
    if (resourceName == kEmbeddedResourceTable)
        return &ResourceTable();
    for (const EmbeddedFile& file : Files())
        if (resourceName == EmbeddedResourceName(file.name))
            return &file;
    return nullptr;
}

std::string EmbeddedResourceName(const std::string& fileName)
{
    std::string upper = fileName;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}
