#pragma once

#include "engine/ui/Dialog.h"

class RadioButtonGrid;

// The player's settings: music and sound-effect volumes (scrollbars bound to
// "music_volume" and "sfx_volume"), window or full screen and 3D acceleration
// (switched through the application, which re-creates its window in the next
// pass), the skill of current player 1 ("player.skill" in its options), and
// the way to the credits. It follows "full_screen" and "use_3d_acceleration"
// while it is open. The game's own options dialog derives from it and extends
// UpdateControls.
class OptionsDialog : public Dialog
{
public:
    OptionsDialog();
    ~OptionsDialog() override;

    // The screen-mode and acceleration labels, the dictionary label when there
    // is one, and the skill's check mark.
    virtual void UpdateControls();

    bool OnButtonClick(const EventRecord& event) override;
    // Each refreshes the controls and leaves the event to others.
    bool OnConfigUpdate(const EventRecord& event) override;
    bool OnValueChange(const EventRecord& event) override;
    bool OnResetWindow(const EventRecord& event) override;

    RadioButtonGrid* GetSkillGrid() const;

private:
    // Column and top row of the controls, from "DialogXAlign" and "DialogYAlign".
    int m_Column = 0;
    int m_Top = 0;
    // Where the state labels are centred across.
    int m_StateLabelX = 0;
};
