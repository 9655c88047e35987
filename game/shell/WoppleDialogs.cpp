#include "game/shell/WoppleDialogs.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/runtime/DrawableImageCollection.h"
#include "engine/ui/Button.h"
#include "engine/ui/Label.h"
#include "engine/ui/ScreenManager.h"

#include <boost/format.hpp>

#include <memory>

namespace {

void NoHook(Class*) {}

template <typename T>
Object* InstantiateDefault(const LuaObject& params)
{
    std::unique_ptr<T> object(new T());
    object->ApplyProperties(params);
    object->OnPostSpawn();
    return object.release();
}

void SetLabelText(Actor& parent, const std::string& childName, const std::string& text)
{
    if (auto* label = dynamic_cast<Label*>(parent.FindChild(childName)))
        label->SetText(text, true);
}

std::string StringArgument(lua_State* L, int index)
{
    return lua_type(L, index) == LUA_TSTRING ? lua_tostring(L, index) : "";
}

// Started modal on the current screen; the dialog is the result.
int StartOnCurrentScreen(lua_State* L, std::unique_ptr<Dialog> dialog, bool pauseGame)
{
    ScreenManager* screens = ScreenManager::GetInstance();
    Screen* screen = screens ? screens->GetCurrentScreen() : nullptr;
    if (!screen)
        VELK_THROW(Exception, "There is no current screen to show a dialog on.");
    Dialog* shown = dialog.release();
    screen->StartDialog(shown, pauseGame);
    shown->GetLuaObject().Push(LuaState(L));
    return 1;
}

// StartHelpDialog(heading, text, [big]) -> the dialog.
int Script_StartHelpDialog(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        const std::string heading = StringArgument(L, 1);
        const std::string text = StringArgument(L, 2);
        if (lua_toboolean(L, 3))
            return StartOnCurrentScreen(L, std::make_unique<WoppleBigHelpDialog>(heading, text), true);
        return StartOnCurrentScreen(L, std::make_unique<WoppleHelpDialog>(heading, text), true);
    });
}

// StartGameCompleteDialog(key) -> the dialog. The game goes on behind it: its
// celebration waits on the game's timers.
int Script_StartGameCompleteDialog(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        return StartOnCurrentScreen(L, std::make_unique<WoppleGameCompleteDialog>(StringArgument(L, 1)), false);
    });
}

ScriptFunctionRegistration s_StartHelpDialog(Script_StartHelpDialog, "StartHelpDialog");
ScriptFunctionRegistration s_StartGameCompleteDialog(Script_StartGameCompleteDialog, "StartGameCompleteDialog");

} // namespace

VELK_REGISTER_CLASS(WoppleHelpDialog, "Dialog", NoHook, InstantiateDefault<WoppleHelpDialog>);
VELK_REGISTER_CLASS(WoppleBigHelpDialog, "WoppleHelpDialog", NoHook, InstantiateDefault<WoppleBigHelpDialog>);
VELK_REGISTER_CLASS(WoppleGameCompleteDialog, "Dialog", NoHook, InstantiateDefault<WoppleGameCompleteDialog>);

WoppleHelpDialog::WoppleHelpDialog(const std::string& heading, const std::string& text)
    : WoppleHelpDialog("WoppleHelpDialog", heading, text, kOkayRaise)
{
}

WoppleHelpDialog::WoppleHelpDialog(const std::string& templateName, const std::string& heading,
                                   const std::string& text, int okayRaise)
    : Dialog(templateName, 0)
{
    SetName("WoppleHelpDialog");
    if (!text.empty())
        SetLabelText(*this, "Text", text);
    if (!heading.empty())
        SetLabelText(*this, "Header", heading);
    CreateTitle("", -1);
    CreateButtons(BUTTONS_OKAY);
    if (Button* okay = GetButton("OkayButton"))
        okay->SetPosition(okay->GetX(), okay->GetY() - okayRaise);
}

WoppleBigHelpDialog::WoppleBigHelpDialog(const std::string& heading, const std::string& text)
    : WoppleHelpDialog("WoppleBigHelpDialog", heading, text, kOkayRaise)
{
}

WoppleGameCompleteDialog::WoppleGameCompleteDialog(const std::string& key)
    : Dialog("WoppleGameCompleteDialog", 0)
{
    SetName("WoppleGameCompleteDialog");
    for (int n = 1; n <= 5; ++n)
        if (Actor* star = FindChild((boost::format("Star%1%") % n).str()))
            star->SetShaderType(SHADERTYPE_BLENDCOMBINEDALPHA);

    LuaObject entry = ObjectLuaState().GetGlobal("WoppleGameCompleteList");
    if (entry.IsTable())
        entry = entry[key.c_str()];
    VELK_ASSERT_MSG(entry.IsTable(), (boost::format("No game-complete texts for \"%1%\".") % key).str());
    SetLabelText(*this, "Title", entry["title"].IsString() ? entry["title"].GetString() : "");
    SetLabelText(*this, "Text", entry["text"].IsString() ? entry["text"].GetString() : "");

    if (auto* okay = dynamic_cast<Button*>(FindChild("okayButton")))
        okay->SetBlink(true, Colors::Green);
    RunScript("WoppleGameCompleteDialog", "WoppleGameCompleteDialog");
}

WoppleGameCompleteDialog::~WoppleGameCompleteDialog()
{
    try {
        StopScriptsWithTag("WoppleGameCompleteDialog");
    } catch (...) {
        LogWrite("WARNING: WoppleGameCompleteDialog::~WoppleGameCompleteDialog: %s\n",
                 CurrentExceptionMessage().c_str());
    }
}
