#include "engine/core/ButtonTemplate.h"

namespace {

std::vector<ButtonTemplate>& Records()
{
    static std::vector<ButtonTemplate> records;
    return records;
}

// The engine's default buttons.
const ButtonTemplateRegistration s_Buttons[] = {
    ButtonTemplateRegistration({"NextArrowButton", ">", "btnBlankSmall.png", "ButtonFont", "ButtonFontSize", 275}),
    ButtonTemplateRegistration({"PrevArrowButton", "<", "btnBlankSmall.png", "ButtonFont", "ButtonFontSize", 276}),
    ButtonTemplateRegistration({"CancelButton", "Cancel", "Button.png", "ButtonFont", "ButtonFontSizeBigger", 99}),
    ButtonTemplateRegistration({"CancelButton", "No", "Button.png", "ButtonFont", "ButtonFontSize", 110}),
    ButtonTemplateRegistration({"ChangeNameButton", "Rename", "Button.small.png", "SmallButtonFont", "ButtonFontSize", 114}),
    ButtonTemplateRegistration({"ClearPlayerButton", "Clear", "Button.small.png", "SmallButtonFont", "ButtonFontSize", 99}),
    ButtonTemplateRegistration({"ChangeButton", "Change", "Button.small.png", "SmallButtonFont", "ButtonFontSize", 99}),
    ButtonTemplateRegistration({"UpdateButton", "Update", "Button.small.png", "SmallButtonFont", "ButtonFontSize", 117}),
    ButtonTemplateRegistration({"OkayButton", "Okay", "Button.png", "ButtonFont", "ButtonFontSize", 111}),
    ButtonTemplateRegistration({"OkayButton", "Yes", "Button.png", "ButtonFont", "ButtonFontSize", 121}),
    ButtonTemplateRegistration({"OptionsButton", "Options", "Button.png", "ButtonFont", "ButtonFontSize", 111}),
    ButtonTemplateRegistration({"QuitButton", "Quit", "Button.png", "ButtonFont", "ButtonFontSize", 113}),
    ButtonTemplateRegistration({"OptionsButton", "Options", "Button.small.png", "ButtonFont", "ButtonFontSize", 111}),
    ButtonTemplateRegistration({"QuitButton", "Quit", "Button.small.png", "ButtonFont", "ButtonFontSize", 113}),
};

} // namespace

ButtonTemplateRegistration::ButtonTemplateRegistration(const ButtonTemplate& record)
{
    Records().push_back(record);
}

const std::vector<ButtonTemplate>& ButtonTemplateRegistration::GetAll()
{
    return Records();
}

std::vector<ButtonTemplate> ButtonTemplateRegistration::Find(const std::string& templateName)
{
    std::vector<ButtonTemplate> found;
    for (const ButtonTemplate& record : Records())
        if (templateName == record.templateName)
            found.push_back(record);
    return found;
}
