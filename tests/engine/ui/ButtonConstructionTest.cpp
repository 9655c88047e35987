// How buttons come into being: from the default button records, from the
// script templates, as the screen manager's window buttons; and screens that
// listen to every button of a subtree.

#include "ButtonTestSupport.h"
#include "engine/core/ButtonTemplate.h"
#include "engine/runtime/Font.h"
#include "engine/ui/Label.h"

#include <gmock/gmock.h>

using namespace buttontest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class ButtonConstructionTest : public ButtonFixture
{
protected:
    Button* FromScript(const std::string& table)
    {
        LuaState lua = app->GetLuaState();
        if (lua.DoString("_made = CreateObject(" + table + ")") != 0)
            ADD_FAILURE() << lua.PopErrorMessage();
        auto* button = dynamic_cast<Button*>(Object::FromLuaObject(lua.GetGlobal("_made")));
        if (button)
            recorder->AddChild(button);
        return button;
    }
};

// A screen that writes down the clicks and looks of the buttons it listens to.
class ListeningScreen : public Screen
{
public:
    ListeningScreen() : Screen("", "Listening", nullptr) {}
    bool OnButtonClick(const EventRecord& e) override
    {
        log.push_back("click " + static_cast<Actor*>(e.user.data1)->GetName());
        return true;
    }
    bool OnButtonAppearanceChange(Event* e) override
    {
        log.push_back("look " + (*e->payload)["appearanceState"].GetString());
        return true;
    }
    std::vector<std::string> log;
};

} // namespace

TEST_F(ButtonConstructionTest, EveryDefaultButtonRecordMakesItsButton)
{
    for (const ButtonTemplate& record : ButtonTemplateRegistration::GetAll()) {
        SCOPED_TRACE(std::string(record.templateName) + " " + record.label);
        std::unique_ptr<Button> button(Button::MakeFromTemplate(record));
        EXPECT_EQ(button->GetName(), record.templateName);
        EXPECT_EQ(button->GetImageName(), record.image);
        EXPECT_EQ(button->GetShortcutKey(), record.key);
        Label* label = button->GetLabel();
        EXPECT_EQ(label->GetText(), record.label);
        EXPECT_EQ(label->GetFont()->GetFontName(), "DejaVuSans.ttf");
        EXPECT_EQ(label->GetFont()->GetPointSize(), 26);
        EXPECT_EQ(button->GetPosition(), Point<int>(0, 0));
        EXPECT_FALSE(button->HasReceivers());
    }

    // The arrow has no tip; the two "CancelButton" records differ in text and key.
    std::unique_ptr<Button> next(Button::MakeFromTemplate(ButtonTemplateRegistration::Find("NextArrowButton")[0]));
    EXPECT_EQ(next->GetKeyTip(), nullptr);
    std::vector<ButtonTemplate> cancel = ButtonTemplateRegistration::Find("CancelButton");
    std::unique_ptr<Button> cancelButton(Button::MakeFromTemplate(cancel[0], recorder));
    std::unique_ptr<Button> noButton(Button::MakeFromTemplate(cancel[1]));
    EXPECT_EQ(cancelButton->GetName(), noButton->GetName());
    EXPECT_EQ(cancelButton->GetKeyTipCharacter(), 'C');
    EXPECT_EQ(noButton->GetKeyTipCharacter(), 'N');
    EXPECT_EQ(noButton->GetLabel()->GetText(), "No");
    EXPECT_TRUE(cancelButton->HasReceivers());

    // A font key the configuration lacks is refused.
    ButtonTemplate missing = cancel[0];
    missing.fontKey = "NoSuchFont";
    EXPECT_EQ(FailureOf([&] { Button::MakeFromTemplate(missing); }),
              "Assertion failed: (value.IsString())\nMessage: The configuration value \"NoSuchFont\" must be a "
              "string.");
}

TEST_F(ButtonConstructionTest, ScriptTemplatesMakeButtonsThatNeedAltWithTheirShortcut)
{
    Button* okay = FromScript("{ resource = 'OkayButton' }");
    ASSERT_NE(okay, nullptr);
    EXPECT_EQ(okay->GetName(), "OkayButton");
    EXPECT_EQ(okay->GetImageName(), "Button.png");
    EXPECT_TRUE(okay->GetUseFrames());
    EXPECT_TRUE(okay->GetPressUpOnMouseLeave());
    Label* label = okay->GetLabel();
    EXPECT_EQ(label->GetText(), "Okay");
    EXPECT_EQ(label->GetFgColor(), Colors::White);
    EXPECT_EQ(label->GetFont()->GetFontName(), "Dosis-ExtraBold.otf");
    EXPECT_EQ(label->GetFont()->GetPointSize(), 22);
    EXPECT_EQ(okay->GetKeyTipCharacter(), 'O');

    Pass();
    recorder->Take();
    Stroke('o');
    EXPECT_THAT(recorder->TakeEvents(), ElementsAre());
    Pass();
    Stroke('o', KMOD_LALT);
    EXPECT_THAT(recorder->TakeEvents(), ElementsAre("press OkayButton", "click OkayButton"));

    // The small ones keep the large ones' names; without a small font the button font stays.
    Button* quit = FromScript("{ resource = 'SmallQuitButton' }");
    EXPECT_EQ(quit->GetName(), "QuitButton");
    EXPECT_EQ(quit->GetImageName(), "Button.small.red.png");
    Button* rename = FromScript("Resources.ChangeNameButton");
    EXPECT_EQ(rename->GetName(), "ChangeNameButton");
    EXPECT_EQ(rename->GetLabel()->GetText(), "Rename");
    EXPECT_EQ(rename->GetLabel()->GetFont()->GetFontName(), "Dosis-ExtraBold.otf");

    // The class alone: a button on "Button.png" with the constructor's defaults.
    Button* plain = FromScript("{ class = 'Button', name = 'plain' }");
    EXPECT_EQ(plain->GetImageName(), "Button.png");
    EXPECT_TRUE(plain->GetUseFrames());
    EXPECT_FALSE(plain->GetPressUpOnMouseLeave());
}

TEST_F(ButtonConstructionTest, TheWindowButtonsStandTopRightAndAnswerAltKeysInFullScreen)
{
    Actor* buttons = manager->GetWindowButtons();
    const int width = buttons->GetWidth();
    struct Expected
    {
        const char* name;
        const char* image;
        int x;
    };
    for (const Expected& e : {Expected{"MinimizeButton", "btnMin.png", width - 63},
                              Expected{"RestoreButton", "btnRes.png", width - 43},
                              Expected{"CloseButton", "btnClose.png", width - 23}}) {
        auto* button = dynamic_cast<Button*>(buttons->FindChild(e.name));
        ASSERT_NE(button, nullptr) << e.name;
        EXPECT_EQ(button->GetImageName(), e.image);
        EXPECT_EQ(button->GetPosition(), Point<int>(e.x, 5));
        EXPECT_EQ(button->GetImage()->GetNumFrames(), 4);
    }
    EXPECT_EQ(dynamic_cast<Button*>(buttons->FindChild("MinimizeButton"))->GetShortcutKey(), SDLK_SPACE);
    EXPECT_EQ(dynamic_cast<Button*>(buttons->FindChild("RestoreButton"))->GetShortcutKey(), SDLK_RETURN);

    // Full screen without a dialog: the application leaves Alt+F4 to the close button.
    app->m_FullScreen = true;
    manager->UpdateWindowButtons();
    Pass();
    Stroke(SDLK_F4);
    EXPECT_TRUE(app->IsRunning()) << "F4 alone";
    Stroke(SDLK_F4, KMOD_LALT);
    EXPECT_FALSE(app->IsRunning());
}

TEST_F(ButtonConstructionTest, AScreenListensToEveryButtonOfASubtreeOnce)
{
    auto* listening = AddScreen<ListeningScreen>();
    auto* panel = new Actor;
    listening->AddChild(panel);
    auto* inner = new Actor;
    panel->AddChild(inner);
    auto* top = new Button("frames.png");
    top->SetName("top");
    panel->AddChild(top);
    auto* deep = new Button("frames.png");
    deep->SetName("deep");
    inner->AddChild(deep);
    auto* other = new Button("frames.png");
    other->SetName("other");
    listening->AddChild(other);

    listening->AttachToChildButtons(panel);
    listening->AttachToChildButtons(panel);
    EXPECT_TRUE(deep->HasReceivers());
    EXPECT_FALSE(other->HasReceivers());
    Pass();
    deep->ManuallyPressButton();
    deep->ManuallyReleaseButton();
    Pass();
    EXPECT_THAT(listening->log, ElementsAre("look Pressed", "click deep", "look Active"));
}
