#include "engine/ui/CommonDialogs.h"

#include "engine/core/ButtonTemplate.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/runtime/ScreenHost.h"
#include "engine/runtime/Sound.h"
#include "engine/ui/Button.h"
#include "engine/ui/CardViewDialog.h"
#include "engine/ui/CreditsDialog.h"
#include "engine/ui/Label.h"
#include "engine/ui/OptionsDialog.h"
#include "engine/ui/ScreenManager.h"
#include "engine/ui/TextBox.h"

#include <memory>

namespace {

constexpr int kNameLimit = 9;
constexpr int kNameBoxWidth = 180;
constexpr int kNameBoxHeight = 24;
constexpr int kNameFrame = 2;

// The left button of a pair is centred this far left of the middle, the right one this far right.
constexpr int kLeftButtonCentre = -70;
constexpr int kRightButtonCentre = 60;

// Puts the button's centre at x and its bottom at bottom.
void PlaceByBottomCentre(Actor* actor, int x, int bottom)
{
    if (actor)
        actor->SetPosition(x - actor->GetWidth() / 2, bottom - actor->GetHeight());
}

void PlacePair(Dialog& dialog, int bottom)
{
    const int middle = dialog.GetWidth() / 2;
    PlaceByBottomCentre(dialog.GetButton("OkayButton"), middle + kLeftButtonCentre, bottom);
    PlaceByBottomCentre(dialog.GetButton("CancelButton"), middle + kRightButtonCentre, bottom);
}

// The title in its own look, centred across the dialog.
void StyleTitle(Dialog& dialog, const std::string& resourceName)
{
    Label* title = dialog.GetTitle();
    if (!title)
        return;
    title->ApplyNamedResource(resourceName);
    // Measured in its new font before it is centred.
    title->Render();
    title->SetPosition(dialog.GetWidth() / 2 - title->GetWidth() / 2, title->GetY());
}

Label* AddTextLabel(Dialog& dialog, const std::string& resourceName, const std::string& text)
{
    std::unique_ptr<Label> label(Label::CreateWithText(resourceName, text));
    Label* raw = label.get();
    dialog.AddChild(label.release());
    return raw;
}

// ---------------------------------------------------------------- the console's way in

Dialog* MakeCommonDialog(lua_State* L, const std::string& kind)
{
    Application* app = Application::GetInstance();
    CommonDialogLibrary* library = app ? app->GetCommonDialogs() : nullptr;
    if (!library)
        VELK_THROW(Exception, "There is no dialog library yet.");
    if (kind == "Options")
        return library->CreateOptionsDialog();
    if (kind == "EnterName")
        return library->CreateEnterNameDialog(lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : "");
    if (kind == "LoadSavedGame")
        return library->CreateLoadSavedGameDialog();
    if (kind == "AreYouSureQuit")
        return library->CreateAreYouSureQuitDialog();
    if (kind == "ChooseActivePlayer")
        return library->CreateChooseActivePlayerDialog(lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : "",
                                                       lua_type(L, 3) == LUA_TNUMBER ? lua_tointeger(L, 3) : 2);
    if (kind == "Credits")
        return new CreditsDialog();
    VELK_THROW(Exception, (boost::format("There is no common dialog \"%1%\" (Options, EnterName, LoadSavedGame, "
                                         "AreYouSureQuit, ChooseActivePlayer, Credits).") %
                           kind)
                              .str());
}

// StartCommonDialog(kind, ...) -> the dialog, started modal on the current screen.
int Script_StartCommonDialog(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        const std::string kind = lua_type(L, 1) == LUA_TSTRING ? lua_tostring(L, 1) : "";
        ScreenManager* screens = ScreenManager::GetInstance();
        Screen* screen = screens ? screens->GetCurrentScreen() : nullptr;
        if (!screen)
            VELK_THROW(Exception, "There is no current screen to show a dialog on.");
        std::unique_ptr<Dialog> dialog(MakeCommonDialog(L, kind));
        if (!dialog) {
            lua_pushnil(L);
            return 1;
        }
        Dialog* shown = dialog.release();
        screen->StartDialog(shown, true);
        shown->GetLuaObject().Push(LuaState(L));
        return 1;
    });
}

ScriptFunctionRegistration s_StartCommonDialog(Script_StartCommonDialog, "StartCommonDialog");

// The application makes the engine's library at start-up and frees whichever it holds at exit.
const bool s_DialogLibraryHooks = (SetDialogLibraryHooks({[]() -> CommonDialogLibrary* { return new CommonDialogLibrary; },
                                                          [](CommonDialogLibrary* library) { delete library; }}),
                                   true);

} // namespace

Color DialogTextColor()
{
    return Colors::Exists("Ink") ? Colors::ByName("Ink") : Colors::Black;
}

// ---------------------------------------------------------------- the library

Dialog* CommonDialogLibrary::CreateEnterNameDialog(const std::string& initialName)
{
    return new EnterNameDialog(initialName);
}

Dialog* CommonDialogLibrary::CreateOptionsDialog()
{
    return new OptionsDialog();
}

Dialog* CommonDialogLibrary::CreateLoadSavedGameDialog()
{
    return new LoadSavedGameDialog();
}

Dialog* CommonDialogLibrary::CreateChooseActivePlayerDialog(const std::string& cardName, int cardMode)
{
    return new ChooseActivePlayerDialog(cardName, cardMode);
}

Dialog* CommonDialogLibrary::CreateAreYouSureQuitDialog()
{
    return new AreYouSureQuitDialog(false);
}

// ---------------------------------------------------------------- EnterNameDialog

EnterNameDialog::EnterNameDialog(const std::string& initialName) : Dialog("bkgAreYouSureDlg.png", 0)
{
    SetName("EnterNameDialog");
    CreateTitle("Enter Name", -1);
    StyleTitle(*this, "EnterNameTitleLabel");
    CreateButtons(BUTTONS_OKAY_CANCEL);
    // The letters belong to the name box; the buttons take theirs with Alt.
    for (Button* button : GetLowerButtons())
        button->SetUseAltShortcutKey(true);
    PlacePair(*this, GetHeight() - 35);

    auto box = std::make_unique<TextBox>(kNameBoxWidth, kNameBoxHeight, initialName);
    box->SetLimit(kNameLimit);
    box->SetPosition(GetWidth() / 2 - box->GetWidth() / 2, GetHeight() / 2 - box->GetHeight() / 2);
    // An ink frame round the white box, so that it reads as a field on the paper.
    std::unique_ptr<Actor> frame(Actor::CreateRectangle(DialogTextColor(), box->GetX() - kNameFrame,
                                                        box->GetY() - kNameFrame, box->GetWidth() + 2 * kNameFrame,
                                                        box->GetHeight() + 2 * kNameFrame, 0, nullptr));
    frame->SetName("NameFrame");
    AddChild(frame.release());
    m_TextBox = box->GetLuaObject();
    AddChild(box.release());

    if (PlayerManager* players = PlayerManager::GetInstance())
        SetSubjectPlayer(players->GetCurrentPlayer(1));
}

TextBox* EnterNameDialog::GetTextBox() const
{
    return dynamic_cast<TextBox*>(Object::FromLuaObject(m_TextBox));
}

std::string EnterNameDialog::GetEnteredName() const
{
    TextBox* box = GetTextBox();
    return box ? box->GetText() : std::string();
}

void EnterNameDialog::SetSubjectPlayer(Player* player)
{
    m_SubjectTable = player ? player->GetTable() : LuaObject();
}

bool EnterNameDialog::OnButtonClick(const EventRecord& event)
{
    auto* button = static_cast<Actor*>(event.user.data1);
    if (button && button->GetParent() == this && button->GetName() == "OkayButton" && !IsStopping() &&
        m_SubjectTable.IsTable()) {
        const std::string text = GetEnteredName();
        const auto first = text.find_first_not_of(' ');
        if (first != std::string::npos) {
            const std::string name = text.substr(first, text.find_last_not_of(' ') - first + 1);
            m_SubjectTable.SetString("Name", name);
            Log(2, "EnterNameDialog: the player is now named \"%s\"\n", name.c_str());
        }
    }
    return Dialog::OnButtonClick(event);
}

// ---------------------------------------------------------------- LoadSavedGameDialog

LoadSavedGameDialog::LoadSavedGameDialog() : Dialog("dlgSquare.png", 0)
{
    SetName("LoadSavedGameDialog");
    CreateTitle("Load Last Game?", -1);
    StyleTitle(*this, "LoadGameTitleLabel");
    CreateButtons(BUTTONS_OKAY_CANCEL);
    PlacePair(*this, GetHeight() - 45);
    SetButtonText("OkayButton", "New");
    SetButtonShortcutKey("OkayButton", 'n');
    if (Button* fresh = GetButton("OkayButton"))
        fresh->SetEnterKey(false);

    Label* saved = AddTextLabel(*this, "LoadGameText", "Your last game was saved.");
    const int titleBottom = GetTitle() ? GetTitle()->GetY() + GetTitle()->GetHeight() : 0;
    saved->SetPosition(GetWidth() / 2 - saved->GetWidth() / 2, titleBottom + 5);
    Label* question = AddTextLabel(*this, "LoadGameText", "Would you like to\nRESUME playing or\nbegin a NEW game?");
    question->SetPosition(GetWidth() / 2 - question->GetWidth() / 2, GetHeight() / 2 - 10 - question->GetHeight() / 2);

    std::unique_ptr<Button> resume(
        Button::MakeFromTemplate(ButtonTemplateRegistration::Find("OkayButton").front(), this));
    resume->SetName("ResumeButton");
    resume->SetText("Resume");
    resume->SetShortcutKey('r');
    resume->SetEnterKey(true);
    resume->ApplyBoolProperty("buttonClosesDialog", true);
    if (Button* fresh = GetButton("OkayButton"))
        resume->SetPosition(fresh->GetX() + fresh->GetWidth() / 2 - resume->GetWidth() / 2,
                            fresh->GetY() - 5 - resume->GetHeight());
    AddChild(resume.release(), "ResumeButton");
    SetButtonFontSize("ResumeButton", 29);
    SetButtonText("ResumeButton", "Resume");

    Sound::Play("attention4.ogg");
}

// ---------------------------------------------------------------- AreYouSureQuitDialog

AreYouSureQuitDialog::AreYouSureQuitDialog(bool showSavedLine) : Dialog("bkgAreYouSureDlg.png", 0)
{
    SetName("QuitDialog");
    CreateTitle("Are You Sure\nYou Want To Quit?", -1);
    StyleTitle(*this, "AreYouSureTitleLabel");
    CreateButtons(BUTTONS_YES_NO);
    if (showSavedLine) {
        Label* saved = AddTextLabel(*this, "AreYouSureText", "Your game will be saved");
        saved->SetName("SavedGameLabel");
        saved->SetPosition(GetWidth() / 2 - saved->GetWidth() / 2, GetHeight() / 2 + 10 - saved->GetHeight() / 2);
    }
    PlacePair(*this, GetHeight() - 35);
}
