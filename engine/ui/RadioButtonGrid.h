#pragma once

#include "engine/ui/Grid.h"

#include <string>

class RadioButton;

// Radio buttons laid out in the cells of a grid, with an optional header
// label above it. The grid checks a button only when told to.
class RadioButtonGrid : public Grid
{
    VELK_DECLARE_CLASS(RadioButtonGrid)
public:
    RadioButtonGrid() = default;
    ~RadioButtonGrid() override;

    // A grid on the resource (empty: none) at (x, y): margins and spacing
    // first, then columns, rows and cell size.
    static RadioButtonGrid* Make(const std::string& resourceName, int x, int y, int zorder, int columns, int rows,
                                 int cellWidth, int cellHeight, int marginX, int marginY, int spacingX, int spacingY,
                                 EventReceiver* group = nullptr);

    void ApplyClassicProperty(const std::string& name, const LuaObject& value) override;

    // Entry {cellPosition = {column, row}, buttonSpec = a radio-button table}.
    void AddRadioButton(const LuaObject& radioButtonTemplate);
    // A radio button with a label that leaves room for the check mark on its left.
    RadioButton* AddTextRadioButton(const std::string& name, const std::string& text, const std::string& buttonImage,
                                    const std::string& fontFace, int fontSize, int shortcutKey,
                                    const std::string& checkMarkImage, int checkMarkX, int checkMarkY, int column,
                                    int row);
    // Centred above the grid.
    void AddHeaderLabel(const std::string& text, const std::string& fontFace, int fontSize, const Color& color);
    Actor* GetHeaderLabel() const;
    // Checks the named descendant and unchecks the rest; an unknown name changes nothing.
    void SelectButton(const std::string& name);
    void ClearChecks();

private:
    LuaObject m_HeaderLabel;
};
