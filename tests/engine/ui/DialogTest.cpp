// The dialog: made from its template or in code, its slide in and out, the
// events that end it, the lower buttons' row and keys, its title, the input it
// keeps from what lies behind it, its particles, and what happens when its
// screen goes while it slides.

#include "DialogTestSupport.h"
#include "engine/runtime/Font.h"
#include "engine/ui/Label.h"
#include "engine/ui/ParticleEmitter.h"

#include <gmock/gmock.h>

using namespace dialogtest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class DialogTest : public DialogFixture
{
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        AddImage("panel.png", 500, 300, 0xFFF8E7BD);
        AddImage("wide.png", 100, 40, 0xFF3F9A1C);
    }

    // A dialog on "panel.png" (500 x 300), named.
    static Dialog* Panel(const std::string& name)
    {
        auto* dialog = new Dialog("panel.png", 0);
        dialog->SetName(name);
        return dialog;
    }

    static Button* WideButton(const std::string& name)
    {
        auto* button = new Button("wide.png");
        button->SetName(name);
        // One picture for every look.
        button->SetUseFrames(false);
        return button;
    }
};

// Takes every key and pointer event it is offered.
class Catcher : public Actor
{
public:
    bool OnKeyDown(const EventRecord&) override
    {
        ++keys;
        return true;
    }
    bool OnMouseButtonDown(const EventRecord&) override
    {
        ++clicks;
        return true;
    }
    int keys = 0;
    int clicks = 0;
};

} // namespace

TEST_F(DialogTest, ATemplateDialogShowsAtOnceAndEndsWithStoppedThenDeleteWithoutAnimation)
{
    Lua("_dialog = CreateObject(Resources.Dialog)");
    auto* dialog = dynamic_cast<Dialog*>(Object::FromLuaObject(app->GetLuaState().GetGlobal("_dialog")));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->GetClass()->GetParentName(), "Actor");
    EXPECT_EQ(dialog->GetIntroScriptName(), "");
    EXPECT_EQ(dialog->GetExitAndDestroyScriptName(), "");
    ASSERT_NE(dialog->GetTitle(), nullptr);
    EXPECT_EQ(dialog->GetTitle()->GetText(), "Untitled Dialog");
    EXPECT_EQ(dialog->GetZOrder(), 255);
    EXPECT_TRUE(dialog->GetFlags() & ACTORFLAG_UPDATE_WHILE_PAUSED);
    ASSERT_NE(dialog->GetKeyTipLayer(), nullptr);
    EXPECT_EQ(dialog->GetKeyTipLayer()->GetZOrder(), 1005);
    EXPECT_EQ(dialog->GetKeyTipLayer()->GetName(), "DialogKeyTipLayer");
    dialog->SetName("Plain");
    dialog->SetSize(200, 100);

    screen->StartDialog(dialog, false);
    EXPECT_TRUE(dialog->IsVisible());
    EXPECT_EQ(dialog->GetPosition(), Point<int>(300, 250));
    EXPECT_EQ(dialog->GetLayer(), 1004);
    Pass();
    EXPECT_EQ(dialog->GetPosition(), Point<int>(300, 250));

    screen->StopDialog(dialog);
    EXPECT_THAT(screen->Take(), ElementsAre("stopped Plain ", "delete Plain"));
    EXPECT_TRUE(dialog->IsBeingDestroyed());
    EXPECT_TRUE(screen->GetDialogs().empty());
    Pass();
    EXPECT_EQ(screen->FindChild("Plain"), nullptr);
}

TEST_F(DialogTest, ACodeDialogDropsInAndRisesOutWithItsTimings)
{
    Dialog* dialog = Panel("Dropped");
    EXPECT_EQ(dialog->GetIntroScriptName(), "DefaultDialogIntroScript");
    EXPECT_EQ(dialog->GetExitAndDestroyScriptName(), "DefaultExitAndDestroyDialogScript");
    screen->StartDialog(dialog, false);
    const Point<int> rest(150, 150);
    EXPECT_EQ(dialog->GetPosition(), rest);
    EXPECT_FALSE(dialog->IsVisible()) << "hidden until the intro shows it";

    // Down from above the window to 40 past its place in 300 ms (10 passes)...
    Pass();
    EXPECT_TRUE(dialog->IsVisible());
    EXPECT_LT(dialog->GetY(), 0);
    Passes(8);
    EXPECT_LT(dialog->GetY(), rest.y + 40);
    Pass();
    EXPECT_EQ(dialog->GetPosition(), Point<int>(150, 190));
    // ...and back up in 100 ms (4 passes).
    Passes(3);
    EXPECT_GT(dialog->GetY(), rest.y);
    Pass();
    EXPECT_EQ(dialog->GetPosition(), rest);
    Pass();
    EXPECT_EQ(dialog->FindScriptsWithTag("placement", nullptr), 0);

    // Out: 40 down in 100 ms, up out of the window in 300 ms, then the events.
    screen->StopDialog(dialog);
    EXPECT_THAT(screen->Take(), IsEmpty());
    Passes(4);
    EXPECT_EQ(dialog->GetPosition(), Point<int>(150, 190));
    Passes(10);
    EXPECT_EQ(dialog->GetPosition(), Point<int>(150, -300));
    EXPECT_THAT(screen->Take(), IsEmpty());
    Pass();
    EXPECT_THAT(screen->Take(), ElementsAre("stopped Dropped ", "delete Dropped"));
    EXPECT_TRUE(screen->GetDialogs().empty());
}

TEST_F(DialogTest, LowerButtonsStandInOneCentredRowAndAlwaysCloseTheDialog)
{
    std::unique_ptr<Dialog> dialog(Panel("Row"));
    Button* first = WideButton("first");
    first->ApplyBoolProperty("buttonClosesDialog", false);
    dialog->AddChild(first, "lowerbutton");
    // One: in the middle; its bottom 34 pixels above the dialog's ("DialogButtonOffset").
    EXPECT_EQ(first->GetPosition(), Point<int>(200, 300 - 40 - 34));
    EXPECT_EQ(first->GetName(), "first");
    EXPECT_TRUE(first->RetrieveProperty("buttonClosesDialog").GetBoolean());

    Button* second = WideButton("second");
    Button* third = WideButton("third");
    dialog->AddChild(second, "lowerbutton");
    dialog->AddChild(third, "lowerbutton");
    EXPECT_EQ(first->GetX(), 68);
    EXPECT_EQ(second->GetX(), 200);
    EXPECT_EQ(third->GetX(), 332);
    EXPECT_EQ(third->GetY(), 226);
    EXPECT_THAT(dialog->GetLowerButtons(), ElementsAre(first, second, third));
}

TEST_F(DialogTest, EachKindOfButtonsAnswersReturnAndEscape)
{
    struct Case
    {
        int kind;
        std::vector<std::string> texts;
        std::string onReturn;
        std::string onEscape;
    };
    const Case cases[] = {
        {Dialog::BUTTONS_OKAY, {"Okay"}, "OkayButton", "OkayButton"},
        {Dialog::BUTTONS_OKAY_CANCEL, {"Okay", "Cancel"}, "OkayButton", "CancelButton"},
        {Dialog::BUTTONS_YES, {"Yes"}, "OkayButton", "OkayButton"},
        {Dialog::BUTTONS_YES_NO, {"Yes", "No"}, "OkayButton", "CancelButton"},
    };
    for (const Case& c : cases) {
        for (int key : {SDLK_RETURN, SDLK_ESCAPE}) {
            SCOPED_TRACE("kind " + std::to_string(c.kind) + (key == SDLK_RETURN ? " Return" : " Escape"));
            Dialog* dialog = Panel("Asking");
            dialog->SetIntroScriptName("");
            dialog->SetExitAndDestroyScriptName("");
            dialog->CreateButtons(c.kind);
            std::vector<std::string> texts;
            for (Button* button : dialog->GetLowerButtons())
                texts.push_back(button->GetLabel()->GetText());
            EXPECT_EQ(texts, c.texts);
            screen->StartDialog(dialog, false);
            Stroke(key);
            const std::string expected = key == SDLK_RETURN ? c.onReturn : c.onEscape;
            EXPECT_THAT(screen->Take(), ElementsAre("stopped Asking " + expected, "delete Asking"));
            Pass();
        }
    }

    // Made again, the buttons replace the old ones; another kind only removes them.
    std::unique_ptr<Dialog> dialog(Panel("Again"));
    dialog->CreateButtons(Dialog::BUTTONS_OKAY_CANCEL);
    dialog->CreateButtons(Dialog::BUTTONS_YES);
    ASSERT_EQ(dialog->GetLowerButtons().size(), 1u);
    EXPECT_EQ(dialog->GetLowerButtons()[0]->GetLabel()->GetText(), "Yes");
    EXPECT_EQ(dialog->GetLowerButtons()[0]->GetX(), 250 - 62);
    EXPECT_EQ(dialog->GetButton("CancelButton"), nullptr);
    dialog->CreateButtons(7);
    EXPECT_TRUE(dialog->GetLowerButtons().empty());
    EXPECT_EQ(dialog->GetButton("OkayButton"), nullptr);
}

TEST_F(DialogTest, OnlyItsOwnButtonsAnswerTheDialogAndAClickAfterTheStopChangesNothing)
{
    Dialog* dialog = Show(Panel("Owner"));
    dialog->CreateButtons(Dialog::BUTTONS_OKAY_CANCEL);
    // A button further down, and one of another dialog.
    auto* holder = new Actor;
    dialog->AddChild(holder);
    Button* nested = WideButton("nested");
    holder->AddChild(nested);
    nested->AddToGroup(dialog);
    Click(*nested);
    EXPECT_EQ(dialog->GetResultButton(), nullptr);

    // A plain child button records the result without closing.
    Button* plain = WideButton("plain");
    dialog->AddChild(plain);
    Click(*plain);
    EXPECT_EQ(dialog->GetResultButtonName(), "plain");
    EXPECT_FALSE(dialog->IsStopping());

    Click(*dialog->GetButton("OkayButton"));
    EXPECT_TRUE(dialog->IsStopping());
    // Escape while it rises: still Okay, and only one answer.
    Stroke(SDLK_ESCAPE);
    Passes(20);
    EXPECT_THAT(screen->Take(), ElementsAre("stopped Owner OkayButton", "delete Owner"));
}

TEST_F(DialogTest, KeysAndThePointerStopAtTheFrontDialog)
{
    auto* behind = new Catcher;
    behind->SetSize(800, 600);
    screen->AddChild(behind);
    Dialog* back = Show(Panel("Back"));
    Dialog* front = Show(Panel("Front"));
    EXPECT_EQ(screen->GetTopDialog(""), front);
    back->CreateButtons(Dialog::BUTTONS_OKAY);
    front->CreateButtons(Dialog::BUTTONS_OKAY_CANCEL);

    Stroke(SDLK_q);
    SDL_Event down{};
    down.button.type = SDL_MOUSEBUTTONDOWN;
    down.button.button = SDL_BUTTON_LEFT;
    down.button.x = 5;
    down.button.y = 5;
    ASSERT_EQ(SDL_PushEvent(&down), 0);
    Pass();
    EXPECT_EQ(behind->keys, 0);
    EXPECT_EQ(behind->clicks, 0);

    // Return belongs to the front dialog, not to the Okay of the one behind it.
    Stroke(SDLK_RETURN);
    Passes(20);
    EXPECT_THAT(screen->Take(), ElementsAre("stopped Front OkayButton", "delete Front"));
    EXPECT_EQ(back->GetResultButton(), nullptr);
    EXPECT_EQ(screen->GetTopDialog(""), back);
}

TEST_F(DialogTest, TheTitleIsCentredAndItsOffsetMovesItEachTimeItIsSet)
{
    std::unique_ptr<Dialog> dialog(Panel("Titled"));
    dialog->CreateTitle("Hello", -1);
    Label* title = dialog->GetTitle();
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->GetName(), "title");
    EXPECT_EQ(title->GetText(), "Hello");
    // "OptionsTitleLabel": the middle of its top 35 pixels down.
    EXPECT_EQ(title->GetX() + title->GetWidth() / 2, 250);
    EXPECT_EQ(title->GetY(), 35);

    LuaState lua = app->GetLuaState();
    LuaObject offset;
    offset.AssignNewTable(lua);
    offset.SetInteger(1, 4);
    offset.SetInteger(2, 6);
    dialog->ApplyProperty("titleAlignmentOffset", offset);
    EXPECT_EQ(title->GetY(), 41);
    dialog->ApplyProperty("titleAlignmentOffset", offset);
    EXPECT_EQ(title->GetY(), 47);

    // Set before the title, the offset moves the new title once.
    std::unique_ptr<Dialog> other(Panel("Other"));
    other->ApplyProperty("titleAlignmentOffset", offset);
    LuaObject text;
    text.AssignString(lua, "Later");
    other->ApplyProperty("title", text);
    EXPECT_EQ(other->GetTitle()->GetY(), 41);
    EXPECT_EQ(other->GetTitle()->GetText(), "Later");

    // A new title replaces the old one.
    other->CreateTitle("Again", -1);
    int titles = 0;
    for (Actor* child : other->GetChildren())
        titles += dynamic_cast<Label*>(child) && !child->IsBeingDestroyed() ? 1 : 0;
    EXPECT_EQ(titles, 1);
}

TEST_F(DialogTest, ButtonsCanBeRelabelledResizedAndGivenKeysByName)
{
    std::unique_ptr<Dialog> dialog(Panel("Labels"));
    dialog->CreateButtons(Dialog::BUTTONS_OKAY);
    dialog->SetButtonText("OkayButton", "Go");
    dialog->SetButtonFontSize("OkayButton", 30);
    dialog->SetButtonShortcutKey("OkayButton", 'g');
    Button* okay = dialog->GetButton("OkayButton");
    EXPECT_EQ(okay->GetLabel()->GetText(), "Go");
    EXPECT_EQ(okay->GetLabel()->GetFont()->GetPointSize(), 30);
    EXPECT_EQ(okay->GetShortcutKey(), 'g');
    // Unknown names change nothing.
    dialog->SetButtonText("Nothing", "x");
    dialog->SetButtonFontSize("Nothing", 3);
    dialog->SetButtonShortcutKey("Nothing", 'x');
}

TEST_F(DialogTest, ScriptsStopADialogAndStartItsParticles)
{
    Dialog* dialog = Show(Panel("Scripted"));
    app->GetLuaState().GetGlobals().SetObject("_dialog", dialog->GetLuaObject());
    Lua("Resources.Sparkle = Resources.IdenticalParticleEmitter:new{ emitCount = 5, interval = 100, "
        "numParticles = 1, particleTemplate = { lifetime = 500, size = { 4, 4 }, color = 'White' } }");
    Lua("_emitter = _dialog:StartParticleEmitter('Sparkle', { 100, 50 })");
    auto* emitter = dynamic_cast<ParticleEmitter*>(Object::FromLuaObject(app->GetLuaState().GetGlobal("_emitter")));
    ASSERT_NE(emitter, nullptr);
    EXPECT_EQ(emitter->GetParent(), dialog);
    EXPECT_TRUE(emitter->IsRunning());
    ASSERT_NE(dialog->GetParticleManager(), nullptr);
    EXPECT_EQ(dialog->GetParticleManager()->GetZOrder(), 1000);
    EXPECT_EQ(dialog->GetEmitterGroup().GetNumMembers(), 1u);
    // Stepped once a pass, not twice.
    const int before = emitter->GetElapsed();
    Pass();
    EXPECT_EQ(emitter->GetElapsed() - before, ParticleEmitter::kStepMilliseconds);

    Lua("_dialog:PostDialogStopped()");
    EXPECT_THAT(screen->Take(), ElementsAre("stopped Scripted "));
    EXPECT_FALSE(dialog->IsBeingDestroyed());
}

TEST_F(DialogTest, ADialogRisingFromAScreenThatIsLeftFinishesLeaving)
{
    auto* other = new DialogScreen("Other");
    ScreenManager::GetInstance()->AddScreen(other);
    Dialog* dialog = Show(Panel("Leaving"), true);
    EXPECT_TRUE(app->IsGamePaused());
    screen->StopDialog(dialog);
    Passes(3);

    ScreenManager::GetInstance()->SwitchToScreen("Other");
    // The application hears of the stop, through the screen now current.
    EXPECT_THAT(other->Take(), ElementsAre("stopped Leaving "));
    EXPECT_THAT(screen->Take(), ElementsAre("delete Leaving"));
    EXPECT_TRUE(screen->GetDialogs().empty());
    EXPECT_FALSE(app->IsGamePaused());
    EXPECT_TRUE(dialog->GetScripts().empty());

    // A dialog still coming in waits for the player's return.
    ScreenManager::GetInstance()->SwitchToScreen("Dialogs");
    Pass();
    Dialog* arriving = Panel("Arriving");
    screen->StartDialog(arriving, false);
    Passes(2);
    ScreenManager::GetInstance()->SwitchToScreen("Other");
    EXPECT_THAT(screen->Take(), IsEmpty());
    EXPECT_TRUE(screen->IsDialogOpen(arriving));
}

TEST_F(DialogTest, AScreenDestroyedWhileItsDialogRisesAnswersTheOwnerOnceAndKeepsNoEntry)
{
    Dialog* dialog = Show(Panel("Doomed"), true);
    screen->StopDialog(dialog);
    Passes(3);
    ASSERT_FALSE(dialog->GetScripts().empty());

    screen->Destroy();
    EXPECT_THAT(screen->Take(), ElementsAre("stopped Doomed ", "delete Doomed (not stacked)"));
    EXPECT_TRUE(screen->GetDialogs().empty());
    EXPECT_FALSE(app->IsGamePaused());
    // The deletion phase takes both; nothing of the dialog runs on.
    Passes(2);
}

TEST_F(DialogTest, ADialogThatWasNeverShownCanBeDestroyed)
{
    Dialog* dialog = Panel("Spare");
    dialog->Destroy();
    EXPECT_TRUE(dialog->IsBeingDestroyed());
    EXPECT_THAT(screen->Take(), IsEmpty());
    Pass();
}
