// Radio buttons: groups that keep one check, found by name now or later,
// grids of radio buttons from templates and from code, and the grid's cells.

#include "ButtonTestSupport.h"
#include "engine/ui/Grid.h"
#include "engine/ui/Label.h"
#include "engine/ui/RadioButton.h"
#include "engine/ui/RadioButtonGrid.h"
#include "platform/lua/LuaFunction.h"

#include <gmock/gmock.h>

using namespace buttontest;
using ::testing::HasSubstr;

namespace {

class RadioButtonTest : public ButtonFixture
{
protected:
    void Run(const std::string& source)
    {
        LuaState lua = app->GetLuaState();
        if (lua.DoString(source) != 0)
            VELK_THROW(ScriptError, lua.PopErrorMessage());
    }

    // The actor's "groups" property set to the Lua table.
    void AddGroups(Actor* actor, const std::string& groups)
    {
        Run("function _AddGroups(actor) actor.groups = " + groups + " end");
        LuaFunction<void>(app->GetLuaState().GetGlobal("_AddGroups"))(actor->GetLuaObject());
    }

    template <typename T = Actor>
    T* Global(const std::string& name)
    {
        return dynamic_cast<T*>(Object::FromLuaObject(app->GetLuaState().GetGlobal(name.c_str())));
    }

    // Which of the named buttons under the root are checked, as "a-b-".
    static std::string Checks(Actor* root, std::initializer_list<const char*> names)
    {
        std::string marks;
        for (const char* name : names) {
            auto* button = dynamic_cast<RadioButton*>(root->FindChild(name, true));
            marks += button ? (button->IsChecked() ? name : "-") : "?";
        }
        return marks;
    }
};

} // namespace

TEST_F(RadioButtonTest, AGroupChecksTheButtonLastPressedAndOnlyThatOne)
{
    // The group comes with the parent's "groups", the buttons with its
    // "children": whichever the table applies first, the buttons join.
    Run("panel = CreateObject{ class = 'Actor', groups = { skill = { class = 'RadioButtonGroup' } },"
        "  children = { a = { resource = 'RadioButton', radioButtonGroup = 'skill' },"
        "               b = { resource = 'RadioButton', radioButtonGroup = 'skill' },"
        "               c = { resource = 'RadioButton', radioButtonGroup = 'skill' } } }");
    auto* panel = Global("panel");
    ASSERT_NE(panel, nullptr);
    screen->AddChild(panel);
    Pass();
    auto* b = dynamic_cast<RadioButton*>(panel->FindChild("b"));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetGroup(), panel->FindGroup("skill", false));
    EXPECT_EQ(Checks(panel, {"a", "b", "c"}), "---");

    // The press moves the check; no release is needed.
    b->ManuallyPressButton();
    Pass();
    EXPECT_EQ(Checks(panel, {"a", "b", "c"}), "-b-");
    b->ManuallyReleaseButton();
    b->ManuallyPressButton();
    Pass();
    EXPECT_EQ(Checks(panel, {"a", "b", "c"}), "-b-");
    dynamic_cast<Button*>(panel->FindChild("c"))->ManuallyPressButton();
    Pass();
    EXPECT_EQ(Checks(panel, {"a", "b", "c"}), "--c");
}

TEST_F(RadioButtonTest, AButtonJoinsAGroupItsParentAddsLater)
{
    auto* panel = new Actor;
    screen->AddChild(panel);
    auto* later = new RadioButton;
    later->ApplyStringProperty("radioButtonGroup", "later");
    panel->AddChild(later);
    Pass();
    EXPECT_EQ(later->GetGroup(), nullptr);
    EXPECT_EQ(later->GetPendingGroupName(), "later");

    AddGroups(panel, "{ later = { class = 'RadioButtonGroup' } }");
    Pass();
    ASSERT_NE(later->GetGroup(), nullptr);
    EXPECT_EQ(later->GetGroup()->GetName(), "later");
    EXPECT_TRUE(later->GetPendingGroupName().empty());
    EXPECT_TRUE(later->GetGroup()->HasMember(later));
}

TEST_F(RadioButtonTest, GroupsTakeOnlyRadioButtonsAndButtonsTakeOnlyRadioButtonGroups)
{
    RadioButtonGroup group;
    Button plain("frames.png");
    EXPECT_EQ(FailureOf([&] { group.AddMember(&plain); }),
              "Assertion failed: (dynamic_cast<RadioButton *>(radioButtonActor) != 0)\nMessage: Cannot add a "
              "non-radio button to a RadioButtonGroup.");

    auto* panel = new Actor;
    screen->AddChild(panel);
    auto* radio = new RadioButton;
    panel->AddChild(radio);
    AddGroups(panel, "{ plain = { class = 'ActorGroup' } }");
    Pass();
    EXPECT_EQ(FailureOf([&] { radio->ApplyStringProperty("radioButtonGroup", "plain"); }),
              "Assertion failed: (group != 0)\nMessage: The group with the name \"plain\" is not a "
              "RadioButtonGroup.");
    EXPECT_EQ(radio->GetGroup(), nullptr);
}

TEST_F(RadioButtonTest, ARadioButtonHasOneParentAndForgetsTheOneItLeft)
{
    auto* first = new Actor;
    auto* second = new Actor;
    screen->AddChild(first);
    screen->AddChild(second);
    auto* radio = new RadioButton;
    radio->ApplyStringProperty("radioButtonGroup", "g");
    first->AddChild(radio);
    EXPECT_EQ(FailureOf([&] { radio->SetParent(second); }), "Assertion failed: (parent == 0)");

    // Moved on, it does not join a group of its former parent.
    second->AddChild(radio);
    AddGroups(first, "{ g = { class = 'RadioButtonGroup' } }");
    Pass();
    EXPECT_EQ(radio->GetGroup(), nullptr);
    AddGroups(second, "{ g = { class = 'RadioButtonGroup' } }");
    Pass();
    EXPECT_NE(radio->GetGroup(), nullptr);
}

TEST_F(RadioButtonTest, AGridFromTemplatesPlacesItsButtonsAndChecksOnlyWhenTold)
{
    Run("Resources.SkillGrid = Resources.RadioButtonGrid:new{ resource = 'RadioButtonGrid',"
        "  cellSize = { { 2, 1 }, { 40, 20 } } }\n"
        "grid = CreateObject{ resource = 'SkillGrid', radioButtons = {"
        "  { cellPosition = { 1, 1 }, buttonSpec = { resource = 'RadioButton', name = 'kid' } },"
        "  { cellPosition = { 2, 1 }, buttonSpec = { resource = 'RadioButton', name = 'gamer' } } } }");
    auto* grid = Global<RadioButtonGrid>("grid");
    ASSERT_NE(grid, nullptr);
    screen->AddChild(grid);
    ASSERT_NE(grid->GetCellContent(1, 1), nullptr);
    ASSERT_NE(grid->GetCellContent(2, 1), nullptr);
    EXPECT_EQ(grid->GetCellContent(1, 1)->GetName(), "kid");
    EXPECT_EQ(grid->GetCellContent(2, 1)->GetName(), "gamer");
    EXPECT_EQ(grid->GetCellContent(2, 1)->GetGlobalRect().x, 40);

    auto* kid = dynamic_cast<RadioButton*>(grid->GetCellContent(1, 1));
    kid->ManuallyPressButton();
    Pass();
    EXPECT_EQ(Checks(grid, {"kid", "gamer"}), "--") << "a grid is no group";
    grid->SelectButton("gamer");
    EXPECT_EQ(Checks(grid, {"kid", "gamer"}), "-gamer");
    grid->SelectButton("nobody");
    EXPECT_EQ(Checks(grid, {"kid", "gamer"}), "-gamer");
    grid->SelectButton("kid");
    EXPECT_EQ(Checks(grid, {"kid", "gamer"}), "kid-");
    grid->ClearChecks();
    EXPECT_EQ(Checks(grid, {"kid", "gamer"}), "--");

    EXPECT_THAT(FailureOf([&] { Run("grid.radioButtons = { { cellPosition = 3, buttonSpec = {} } }"); }),
                HasSubstr("Point<int>::IsPoint(radioButtonTemplate[\"cellPosition\"])"));
    EXPECT_THAT(FailureOf([&] { Run("grid.radioButtons = { { cellPosition = { 1, 1 }, buttonSpec = 'x' } }"); }),
                HasSubstr("realButtonTemplate.IsTable()"));
    EXPECT_THAT(FailureOf([&] {
                    Run("grid.radioButtons = { { cellPosition = { 1, 1 }, buttonSpec = { class = 'Button' } } }");
                }),
                HasSubstr("dynamic_cast<RadioButton *>(buttonObject.get()) != 0"));
    EXPECT_EQ(grid->GetCellContent(1, 1)->GetName(), "kid") << "a refused entry changes nothing";
}

TEST_F(RadioButtonTest, CodeBuildsAGridWithTextButtonsAndAHeader)
{
    RadioButtonGrid* grid = RadioButtonGrid::Make("", 1, 30, 1, 3, 1, 100, 35, 0, 0, 10, 10);
    screen->AddChild(grid);
    EXPECT_EQ(grid->GetPosition(), Point<int>(1, 30));
    EXPECT_EQ(grid->GetZOrder(), 1);
    EXPECT_EQ(grid->GetWidth(), 320);
    EXPECT_EQ(grid->GetHeight(), 35);

    RadioButton* casual = grid->AddTextRadioButton("casual", "Casual", "Button.small.png", "DejaVuSans.ttf", 18, 'c',
                                                   "boxCheck.png", 2, 4, 2, 1);
    ASSERT_NE(casual, nullptr);
    EXPECT_EQ(grid->GetCellContent(2, 1), casual);
    EXPECT_EQ(casual->GetName(), "casual");
    EXPECT_EQ(casual->GetKeyTipCharacter(), 'C');
    EXPECT_EQ(casual->GetCheckMark()->GetPosition(), Point<int>(2, 4));
    Label* label = casual->GetLabel();
    EXPECT_EQ(label->GetText(), "Casual");
    EXPECT_EQ(label->GetX(), casual->GetWidth() / 2 - label->GetWidth() / 2 + 10);
    EXPECT_EQ(grid->AddTextRadioButton("x", "X", "Button.small.png", "DejaVuSans.ttf", 18, 'x', "boxCheck.png", 1, 3,
                                       4, 1),
              nullptr)
        << "no fourth column";

    grid->AddHeaderLabel("Set Skill", "DejaVuSans.ttf", 18, Colors::Black);
    Actor* header = grid->GetHeaderLabel();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->GetName(), "headerLabel");
    EXPECT_EQ(header->GetY(), -header->GetHeight());
    EXPECT_EQ(header->GetX(), 160 - header->GetWidth() / 2);
}
