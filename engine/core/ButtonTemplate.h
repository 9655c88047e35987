#pragma once

#include <string>
#include <vector>

// A default button that dialogs show: its label, picture, the constant
// configuration keys of its font and font size, and its shortcut (an SDL key).
// Several records may share one template name and differ in label, image or key.
struct ButtonTemplate
{
    const char* templateName;
    const char* label;
    const char* image;
    const char* fontKey;
    const char* fontSizeKey;
    int key;
};

class ButtonTemplateRegistration
{
public:
    explicit ButtonTemplateRegistration(const ButtonTemplate& record);
    // Every registered record, in registration order.
    static const std::vector<ButtonTemplate>& GetAll();
    // The records filed under a template name.
    static std::vector<ButtonTemplate> Find(const std::string& templateName);
};
