// The game's application brought up headless: what it installs before and
// during the engine's start-up.

#include "engine/core/Log.h"
#include "engine/ui/Dialog.h"
#include "game/shell/WoppleApp.h"
#include "game/shell/WoppleDialogLibrary.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>

namespace {

class WoppleAppTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path() / ("wopple-app-" + std::to_string(::getpid()));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(std::filesystem::path(VELK_GAME_DATA_DIR).parent_path());
        app = std::make_unique<WoppleApp>();
        std::string program = (root / "Wopple2").string();
        const char* args[] = {program.c_str(), "--multiapp", "--keepcwd", "--nopkg", "-w"};
        app->InitEngine(5, args);
    }

    void TearDown() override
    {
        app.reset();
        SetLogFilePath("");
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(root);
    }

    std::filesystem::path root;
    std::filesystem::path previous;
    std::unique_ptr<WoppleApp> app;
};

TEST_F(WoppleAppTest, TheGamesDialogLibraryOutlivesTheEnginesStartUp)
{
    auto* library = dynamic_cast<WoppleDialogLibrary*>(app->GetCommonDialogs());
    ASSERT_NE(library, nullptr);
    // The quit question without the saved-game line, as the game asks it.
    std::unique_ptr<Dialog> quit(library->CreateAreYouSureQuitDialog());
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->FindChild("SavedGameLabel"), nullptr);
    std::unique_ptr<Dialog> options(library->CreateOptionsDialog());
    EXPECT_EQ(options->GetName(), "OptionsDialog");
}

} // namespace

