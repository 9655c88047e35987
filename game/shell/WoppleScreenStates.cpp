#include "game/shell/WoppleScreenStates.h"

#include "engine/core/Script.h"
#include "engine/runtime/Application.h"
#include "engine/ui/CommonDialogs.h"
#include "engine/ui/Dialog.h"
#include "engine/ui/NoteManager.h"
#include "game/shell/WoppleScreen.h"

namespace WoppleScreenStates {

Dialog* ScreenState::StoppedDialog(const EventRecord& event)
{
    return static_cast<Dialog*>(event.user.data1);
}

std::string ScreenState::StoppedName(const EventRecord& event)
{
    Dialog* dialog = StoppedDialog(event);
    return dialog ? dialog->GetName() : std::string();
}

void ShowingOptions::OnEnterState()
{
    Application* app = Application::GetInstance();
    CommonDialogLibrary* dialogs = app ? app->GetCommonDialogs() : nullptr;
    if (dialogs)
        if (Dialog* dialog = dialogs->CreateOptionsDialog())
            m_Screen.StartDialog(dialog, false);
}

bool ShowingOptions::OnDialogStopped(const EventRecord& event)
{
    if (StoppedName(event) == "OptionsDialog")
        m_Screen.SetState("Normal");
    return false;
}

void ShowingHelp::OnEnterState()
{
    m_Screen.PointOutScreen(m_Section);
}

bool ShowingHelp::OnDialogStopped(const EventRecord& event)
{
    if (StoppedName(event) == "WoppleHelpDialog")
        m_Screen.SetState("Normal");
    return false;
}

bool ShowingHelp::OnActorScriptFinished(Event* event)
{
    if (!event || !event->payload)
        return false;
    NoteManager* notes = m_Screen.GetNoteManager();
    Object* actor = Object::FromLuaObject((*event->payload)["actor"]);
    if (!notes || actor != notes)
        return false;
    // The event is posted, and the script is deleted by the time it comes:
    // the tour is over when no script tagged "PointOut" runs on the notes any more.
    auto* script = dynamic_cast<Script*>(Object::FromLuaObject((*event->payload)["script"]));
    if ((script && !script->HasTag("PointOut")) || notes->FindScriptsWithTag("PointOut", nullptr) > 0)
        return false;
    m_Screen.SetState("Normal");
    return true;
}

} // namespace WoppleScreenStates
