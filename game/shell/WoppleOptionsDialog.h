#pragma once

#include "engine/ui/OptionsDialog.h"

// The engine's options dialog on the game's paper with the rope and the
// butterflies: its labels, volumes, credits and okay re-laid out, and two
// pairs of picture buttons in place of the engine's display and acceleration
// switches (template "WoppleOptionsDialog"). In each pair the button of the
// current state is disabled. The pairs follow the settings, so a switch shows
// once the application has made it, not when it is asked for.
class WoppleOptionsDialog : public OptionsDialog
{
public:
    WoppleOptionsDialog();
    ~WoppleOptionsDialog() override;

    // The engine's controls, then the two pairs: "full_screen" and the
    // application's acceleration.
    void UpdateControls() override;
    void UpdateButtons();

    // The picture buttons switch; every other click is the engine dialog's.
    bool OnButtonClick(const EventRecord& event) override;
};
