#include "engine/ui/RadioButtonGrid.h"

#include "engine/core/Exception.h"
#include "engine/core/Point.h"
#include "engine/runtime/Font.h"
#include "engine/ui/Label.h"
#include "engine/ui/RadioButton.h"

#include <memory>

namespace {

void RadioButtonGridClassHook(Class* c)
{
    c->RegisterPropertySetter(MakeNamedProperty("radioButtons"));
}

} // namespace

VELK_REGISTER_CLASS(RadioButtonGrid, "Grid", RadioButtonGridClassHook, InstantiateObjectOfClass<RadioButtonGrid>);

RadioButtonGrid::~RadioButtonGrid() = default;

RadioButtonGrid* RadioButtonGrid::Make(const std::string& resourceName, int x, int y, int zorder, int columns,
                                       int rows, int cellWidth, int cellHeight, int marginX, int marginY,
                                       int spacingX, int spacingY, EventReceiver* group)
{
    auto grid = std::make_unique<RadioButtonGrid>();
    if (!resourceName.empty())
        grid->ApplyNamedResource(resourceName);
    grid->SetPosition(x, y);
    grid->SetZOrder(zorder);
    grid->SetMargins(marginX, marginY, spacingX, spacingY);
    grid->Build(columns, rows, cellWidth, cellHeight);
    if (group)
        grid->AddToGroup(group);
    return grid.release();
}

void RadioButtonGrid::ApplyClassicProperty(const std::string& name, const LuaObject& value)
{
    if (name != "radioButtons") {
        Grid::ApplyClassicProperty(name, value);
        return;
    }
    VELK_ASSERT_MSG(value.IsTable(), "\"radioButtons\" must be a list of radio-button entries.");
    const int n = value.GetN();
    for (int i = 1; i <= n; ++i)
        AddRadioButton(value[i]);
}

void RadioButtonGrid::AddRadioButton(const LuaObject& radioButtonTemplate)
{
    VELK_ASSERT(Point<int>::IsPoint(radioButtonTemplate["cellPosition"]));
    Point<int> cell(radioButtonTemplate["cellPosition"]);
    LuaObject realButtonTemplate = radioButtonTemplate["buttonSpec"];
    VELK_ASSERT(realButtonTemplate.IsTable());
    std::unique_ptr<Object> buttonObject(ClassManager::GetInstance()->InstantiateObject(realButtonTemplate));
    VELK_ASSERT(dynamic_cast<RadioButton *>(buttonObject.get()) != 0);
    auto* button = static_cast<RadioButton*>(buttonObject.get());
    // A cell that does not exist takes nothing; the button goes again.
    if (SetCellContent(button, cell.x, cell.y))
        buttonObject.release();
}

RadioButton* RadioButtonGrid::AddTextRadioButton(const std::string& name, const std::string& text,
                                                 const std::string& buttonImage, const std::string& fontFace,
                                                 int fontSize, int shortcutKey, const std::string& checkMarkImage,
                                                 int checkMarkX, int checkMarkY, int column, int row)
{
    std::unique_ptr<RadioButton> button(RadioButton::Make(buttonImage, text, fontFace, fontSize, 0, 0, name));
    button->SetShortcutKey(shortcutKey);
    button->SetCheckMark(checkMarkImage, checkMarkX, checkMarkY);
    button->GetLabel()->SetText(text, true);
    // Centred 10 pixels to the right, as the label's offset so that it stays
    // there whenever the button is aligned again.
    button->SetTextAlignmentOffset(10, 0);
    RadioButton* placed = button.get();
    if (!SetCellContent(placed, column, row))
        return nullptr;
    button.release();
    return placed;
}

void RadioButtonGrid::AddHeaderLabel(const std::string& text, const std::string& fontFace, int fontSize,
                                     const Color& color)
{
    if (Actor* old = GetHeaderLabel())
        DestroyChild(old);
    auto font = std::make_unique<Font>(fontFace, fontSize, 0);
    auto label = std::make_unique<Label>(text, font.release(), color, TEXTALIGN_CENTER);
    label->SetPosition(GetWidth() / 2 - label->GetWidth() / 2, -label->GetHeight());
    label->SetName("headerLabel");
    m_HeaderLabel = label->GetLuaObject();
    AddCellChild(label.release());
}

Actor* RadioButtonGrid::GetHeaderLabel() const
{
    auto* label = dynamic_cast<Actor*>(Object::FromLuaObject(m_HeaderLabel));
    return label && label->GetParent() == this && !label->IsBeingDestroyed() ? label : nullptr;
}

void RadioButtonGrid::SelectButton(const std::string& name)
{
    auto* button = dynamic_cast<RadioButton*>(FindChild(name, true));
    if (!button)
        return;
    ClearChecks();
    button->SetChecked(true);
}

void RadioButtonGrid::ClearChecks()
{
    for (int column = 1; column <= GetColumns(); ++column)
        for (int row = 1; row <= GetRows(); ++row)
            if (auto* button = dynamic_cast<RadioButton*>(GetCellContent(column, row)))
                button->SetChecked(false);
}
