#include "game/shell/WoppleOptionsDialog.h"

#include "engine/core/Config.h"
#include "engine/runtime/Application.h"
#include "engine/ui/Button.h"
#include "engine/ui/RadioButtonGrid.h"

namespace {

constexpr int kSkillTop = 396;

bool FullScreenSetting()
{
    Config* config = GetConfig();
    Variant value = config ? config->Retrieve("full_screen") : Variant();
    return value.IsBool() && value.ToBool();
}

// The button of the current state is the disabled one.
void SetPair(Actor& dialog, const char* onName, const char* offName, bool on)
{
    if (auto* onButton = dynamic_cast<Button*>(dialog.FindChild(onName, true)))
        on ? onButton->Disable() : onButton->Enable();
    if (auto* offButton = dynamic_cast<Button*>(dialog.FindChild(offName, true)))
        on ? offButton->Enable() : offButton->Disable();
}

void Restyle(Actor& dialog, const char* childName, int x, int y, const char* templateName, bool visible = true)
{
    Actor* child = dialog.FindChild(childName, true);
    if (!child)
        return;
    if (x >= 0)
        child->SetPosition(x, y);
    if (templateName)
        child->ApplyNamedResource(templateName);
    child->SetVisible(visible);
}

bool IsOneOf(const std::string& name, const char* first, const char* second)
{
    return name == first || name == second;
}

} // namespace

WoppleOptionsDialog::WoppleOptionsDialog()
{
    CreateTitle("", -1);
    ApplyNamedResource("WoppleOptionsDialog");

    // Rows some 55 pixels apart under the title, so that the skill fits above Okay.
    Restyle(*this, "MusicVolume", 70, 160, "WoppleOptionsLabelProperties");
    Restyle(*this, "MusicVolumeScrollbar", 204, 154, nullptr);
    Restyle(*this, "SoundEffects", 70, 212, "WoppleOptionsLabelProperties");
    Restyle(*this, "SoundEffectsScrollbar", 204, 206, nullptr);
    Restyle(*this, "ScreenMode", 70, 268, "WoppleOptionsLabelProperties");
    Restyle(*this, "DisplayLabel", -1, -1, nullptr, false);
    Restyle(*this, "FullScreenButton", -1, -1, nullptr, false);
    Restyle(*this, "3DAcceleration", 70, 320, "WoppleOptionsLabelProperties");
    Restyle(*this, "3DAccelerationLabel", -1, -1, nullptr, false);
    Restyle(*this, "3DAccelerationButton", -1, -1, nullptr, false);
    Restyle(*this, "CreditsButton", 288, 438, "WoppleOptionsCreditsButton");
    Restyle(*this, "OkayButton", 60, 438, "WoppleOptionsOkayButton");
    // The skill row under its heading, centred, ending 7 pixels above Okay.
    if (RadioButtonGrid* grid = GetSkillGrid())
        grid->SetPosition(GetWidth() / 2 - grid->GetWidth() / 2, kSkillTop);

    UpdateButtons();
}

WoppleOptionsDialog::~WoppleOptionsDialog() = default;

void WoppleOptionsDialog::UpdateControls()
{
    UpdateButtons();
}

void WoppleOptionsDialog::UpdateButtons()
{
    OptionsDialog::UpdateControls();
    SetPair(*this, "Fullscreen_On_Button", "Fullscreen_Off_Button", FullScreenSetting());
    Application* app = Application::GetInstance();
    SetPair(*this, "Acceleration_On_Button", "Acceleration_Off_Button", app && app->IsHWAccelEnabled());
}

bool WoppleOptionsDialog::OnButtonClick(const EventRecord& event)
{
    auto* button = static_cast<Actor*>(event.user.data1);
    const std::string name = button && HasChild(button, true) ? button->GetName() : std::string();
    if (IsOneOf(name, "Fullscreen_On_Button", "Fullscreen_Off_Button")) {
        // The application switches in its next pass and the buttons follow the
        // setting then: refreshed now they would show the old mode.
        if (Application* app = Application::GetInstance())
            app->RequestFullScreenToggle();
        RequireCoreHost().PostEvent(nullptr, MakeEventRecord(VELK_VALUECHANGE));
        return true;
    }
    if (IsOneOf(name, "Acceleration_On_Button", "Acceleration_Off_Button")) {
        // Switched first, so that the refresh shows the new state.
        if (Application* app = Application::GetInstance())
            app->EnableHWAccel(!app->IsHWAccelEnabled());
        UpdateButtons();
    }
    return OptionsDialog::OnButtonClick(event);
}
