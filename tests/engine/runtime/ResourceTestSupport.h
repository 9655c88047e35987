#pragma once

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/ResourceManager.h"
#include "support/FakeCoreHost.h"
#include "support/Failure.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

namespace restest {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string LogText()
{
    std::string text;
    for (const std::string& line : GetCachedLogLines())
        text += line;
    return text;
}

inline int CountInLog(const std::string& text)
{
    const std::string log = LogText();
    int count = 0;
    for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
        ++count;
    return count;
}

// A zip archive of stored files (paths with '/'), as PhysFS reads packages.
inline std::string MakeZip(const std::vector<std::pair<std::string, std::string>>& files)
{
    auto crc32 = [](const std::string& bytes) {
        std::uint32_t crc = 0xFFFFFFFFu;
        for (unsigned char c : bytes) {
            crc ^= c;
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        return ~crc;
    };
    auto put16 = [](std::string& out, std::uint32_t v) {
        out.push_back(static_cast<char>(v & 0xFF));
        out.push_back(static_cast<char>((v >> 8) & 0xFF));
    };
    auto put32 = [&](std::string& out, std::uint32_t v) {
        put16(out, v & 0xFFFF);
        put16(out, v >> 16);
    };
    std::string body;
    std::string directory;
    for (const auto& [name, bytes] : files) {
        const std::uint32_t crc = crc32(bytes);
        const auto size = static_cast<std::uint32_t>(bytes.size());
        const auto offset = static_cast<std::uint32_t>(body.size());
        put32(body, 0x04034b50);
        put16(body, 20);
        put16(body, 0);
        put16(body, 0);     // stored
        put16(body, 0);     // time
        put16(body, 0x21);  // 1 January 1980
        put32(body, crc);
        put32(body, size);
        put32(body, size);
        put16(body, static_cast<std::uint32_t>(name.size()));
        put16(body, 0);
        body += name;
        body += bytes;

        put32(directory, 0x02014b50);
        put16(directory, 20);
        put16(directory, 20);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0x21);
        put32(directory, crc);
        put32(directory, size);
        put32(directory, size);
        put16(directory, static_cast<std::uint32_t>(name.size()));
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put32(directory, 0);
        put32(directory, offset);
        directory += name;
    }
    std::string zip = body + directory;
    put32(zip, 0x06054b50);
    put16(zip, 0);
    put16(zip, 0);
    put16(zip, static_cast<std::uint32_t>(files.size()));
    put16(zip, static_cast<std::uint32_t>(files.size()));
    put32(zip, static_cast<std::uint32_t>(directory.size()));
    put32(zip, static_cast<std::uint32_t>(body.size()));
    put16(zip, 0);
    return zip;
}

// The process's Lua state with its script functions, a log level of 4, a
// clean log and a scratch folder of the test's own.
class ResourceFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        state = VelkLuaState::Create();
        VelkLuaState::RunStartupScript(state);
        ClearLogCache();
        dir = fs::temp_directory_path() / ("velk-resources-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }

    void TearDown() override
    {
        fs::remove_all(dir);
        VelkLuaState::Destroy();
        ClearLogCache();
    }

    void Run(const std::string& source) { VelkLuaState::LoadStringA(state, source, 0, 0); }

    LuaObject Eval(const std::string& expression)
    {
        VelkLuaState::LoadStringA(state, "return " + expression, 0, 1);
        return LuaObject::PopFrom(state);
    }

    // The bytes the entry's reader gives.
    static std::string BytesOf(ResourceInfo& info)
    {
        const char* data = nullptr;
        std::size_t size = 0;
        info.GetReader()->Read(info.GetLocation(), data, size);
        return std::string(data, size);
    }

    FakeCoreHost host{4};
    LuaState state;
    fs::path dir;
};

} // namespace restest
