#pragma once

#include "engine/core/Object.h"

#include <string>

class Dialog;
class WoppleScreen;

// States that the game's screens share, each going back to the screen's
// "Normal" when it is done. Their names are their class names.
namespace WoppleScreenStates {

// A state of a screen, with the name it reports.
class ScreenState : public State
{
public:
    ScreenState(WoppleScreen& screen, const char* name) : m_Screen(screen), m_Name(name) {}
    std::string GetName() const override { return m_Name; }

protected:
    // The dialog of a VELK_DIALOGSTOPPED event and its name ("" without one).
    static Dialog* StoppedDialog(const EventRecord& event);
    static std::string StoppedName(const EventRecord& event);

    WoppleScreen& m_Screen;
    const char* m_Name;
};

// The options dialog over the screen, made by the dialog library.
class ShowingOptions : public ScreenState
{
public:
    explicit ShowingOptions(WoppleScreen& screen) : ScreenState(screen, "ShowingOptions") {}
    void OnEnterState() override;
    // "OptionsDialog" stopped: back to Normal; the event goes on.
    bool OnDialogStopped(const EventRecord& event) override;
};

// The screen's help tour of the section.
class ShowingHelp : public ScreenState
{
public:
    ShowingHelp(WoppleScreen& screen, std::string section)
        : ScreenState(screen, "ShowingHelp"), m_Section(std::move(section))
    {
    }
    void OnEnterState() override;
    // "WoppleHelpDialog" stopped: back to Normal; the event goes on.
    bool OnDialogStopped(const EventRecord& event) override;
    // The tour's script on the note manager ended: back to Normal, handled.
    bool OnActorScriptFinished(Event* event) override;

private:
    std::string m_Section;
};

} // namespace WoppleScreenStates
