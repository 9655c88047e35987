#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>

// A fresh folder for one test, removed afterwards.
class TempFolder
{
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "velk-os-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            ADD_FAILURE() << "mkdtemp failed";
        m_Path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::permissions(m_Path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(m_Path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_Path; }
    std::string operator/(const std::string& name) const { return m_Path + "/" + name; }

private:
    std::string m_Path;
};

// Sets (or with no value, unsets) an environment variable for the scope.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char* name, const std::optional<std::string>& value) : m_Name(name)
    {
        if (const char* old = std::getenv(name))
            m_Old = old;
        Apply(value);
    }
    ~ScopedEnvironment() { Apply(m_Old); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    void Apply(const std::optional<std::string>& value)
    {
        if (value)
            setenv(m_Name.c_str(), value->c_str(), 1);
        else
            unsetenv(m_Name.c_str());
    }
    std::string m_Name;
    std::optional<std::string> m_Old;
};

inline void WriteTextFile(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

inline std::string ReadTextFile(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
