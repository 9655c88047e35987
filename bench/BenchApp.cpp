#include "BenchApp.h"

#include "engine/core/EmbeddedFiles.h"

#include <cstdlib>
#include <filesystem>

namespace {

const char kDefaults[] = "LoadConfig { }";
EmbeddedFileRegistration s_Defaults("BenchApp_Defaults.cfg", reinterpret_cast<const unsigned char*>(kDefaults),
                                    sizeof(kDefaults) - 1);
const char kConst[] = "LoadConstConfig { }";
EmbeddedFileRegistration s_Const("BenchApp_Const.cfg", reinterpret_cast<const unsigned char*>(kConst),
                                 sizeof(kConst) - 1);

} // namespace

BenchApp::BenchApp()
{
    std::filesystem::path root = std::filesystem::temp_directory_path() / "velk-bench";
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    std::filesystem::create_directories(root / "cwd" / "data");
    std::filesystem::current_path(root / "cwd");
    app = std::make_unique<Application>("BenchApp", "Bench", AppCodeFromString("BNCH"), 800, 600);
    std::string program = (root / "BenchApp").string();
    const char* args[] = {program.c_str(), "--multiapp", "--keepcwd", "--nopkg", "--log0"};
    app->InitEngine(5, args);
    app->SetLoopClock(&clock);
    app->StartLoop();
}

BenchApp& TheBenchApp()
{
    static BenchApp bench;
    return bench;
}
