#pragma once

#include "engine/runtime/Application.h"

// The game's application: its names, its window, its configuration files and
// the game's own start-up steps.
class WoppleApp : public Application
{
public:
    WoppleApp();

    void InitEngine(int argc, const char* const* argv) override;
    void SetConfigDefaults() override;
    void LoadScripts() override;
    void InitEventDataTypes() override;
    void InitGame() override;

protected:
    // The game's screens, the splash first.
    virtual void AddScreens();
};
