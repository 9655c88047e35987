#pragma once

#include "engine/ui/ActorGroup.h"
#include "engine/ui/Screen.h"

#include <cstdint>
#include <string>
#include <vector>

class Button;
class Label;
class ParticleEmitter;
class ParticleManager;

// A modal panel on a screen: an optional title, a row of "lower buttons" along
// its bottom edge, a slide-in intro script and an exit script that ends it, a
// particle layer of its own and a layer for its buttons' key tips. A screen
// shows it with StartDialog and ends it with StopDialog; the dialog tells the
// application VELK_DIALOGSTOPPED when it closes (the owner reads the result
// button then) and its screen VELK_DIALOGDELETE when it is destroyed. Keys and
// the mouse stop at an open dialog, handled or not.
class Dialog : public Actor, public ScreenDialog
{
    VELK_DECLARE_CLASS(Dialog)
public:
    // The kinds of CreateButtons.
    enum ButtonKind
    {
        BUTTONS_OKAY = 1,
        BUTTONS_OKAY_CANCEL = 2,
        BUTTONS_YES = 3,
        BUTTONS_YES_NO = 4,
    };

    explicit Dialog(std::uint32_t flags = 0);
    // The actor part is built from the resource (a picture or a template)
    // before the dialog's own members exist: a template's dialog keys are not
    // applied, so subclasses set title and buttons by calls.
    Dialog(const std::string& resourceName, std::uint32_t flags);
    ~Dialog() override;

    // ---- Object and Actor
    // The actor's walk first; keys, the mouse and joysticks are then handled
    // whatever the walk said.
    bool OnEvent(const EventRecord& event) override;
    // Deferred deletion, then VELK_DIALOGDELETE to the screen. A dialog that was
    // stopped and has not told its owner yet (its screen went away during the
    // exit script) closes first.
    void Destroy() override;
    // The particle manager and the emitters, then the actor.
    void Update() override;
    void ApplyClassicProperty(const std::string& name, const LuaObject& value) override;
    void StoreProperties(LuaObject& table) override;
    // "lowerbutton" joins the row of lower buttons and always closes the
    // dialog; "title" replaces the title.
    void AddChild(Actor* child, const std::string& name = std::string()) override;
    // A click on one of the dialog's own buttons becomes the result; a closing
    // button has the screen stop the dialog. Clicks after the dialog was stopped
    // change nothing.
    bool OnButtonClick(const EventRecord& event) override;

    // ---- ScreenDialog
    std::uint32_t GetDialogFlags() const override { return m_DialogFlags; }
    // Hides the dialog and runs the intro script (tag "placement") when
    // introScriptName names a script; else the dialog shows as it is.
    void StartIntro() override;
    // Runs the exit script, which must end with PostDialogStopped and Destroy;
    // without one the dialog closes and is destroyed at once. Only the first
    // call does anything.
    void StartExit() override;

    // ---- the dialog
    // VELK_DIALOGSTOPPED at once to the application; neither hides nor destroys.
    virtual void Close();
    // Size -1: the setting "DialogTitleFontSize". The font is the setting
    // "DialogTitleFont"; the template "OptionsTitleLabel" is applied after.
    virtual void CreateTitle(const std::string& text, int fontSize);
    // Replaces "OkayButton" and "CancelButton" by the kind's buttons (ButtonKind),
    // added as lower buttons; another kind only removes them.
    virtual void CreateButtons(int kind);
    // Each acts on the direct child of that name and does nothing without one.
    virtual void SetButtonText(const std::string& childName, const std::string& text);
    virtual void SetButtonFontSize(const std::string& childName, int pointSize);
    virtual void SetButtonShortcutKey(const std::string& childName, int key);
    Button* GetButton(const std::string& childName) const;

    // The last of the dialog's own buttons that was clicked, or null.
    Button* GetResultButton() const;
    // Empty when there is no result.
    std::string GetResultButtonName() const;
    Label* GetTitle() const;
    std::vector<Button*> GetLowerButtons() const;
    Point<int> GetTitleAlignmentOffset() const { return m_TitleAlignmentOffset; }
    const std::string& GetIntroScriptName() const { return m_IntroScriptName; }
    void SetIntroScriptName(const std::string& name) { m_IntroScriptName = name; }
    const std::string& GetExitAndDestroyScriptName() const { return m_ExitAndDestroyScriptName; }
    void SetExitAndDestroyScriptName(const std::string& name) { m_ExitAndDestroyScriptName = name; }
    // Whether StopDialog has reached it.
    bool IsStopping() const { return m_Stopping; }
    Actor* GetKeyTipLayer() const;

    // An identical emitter of the particle resource centred on (x, y), started;
    // the dialog's particle manager (z-order 1000) is made on first use.
    ParticleEmitter* StartParticleEmitter(const std::string& resourceName, int x, int y);
    ParticleManager* GetParticleManager() const;
    const ActorGroup& GetEmitterGroup() const { return m_EmitterGroup; }

    // The screen the dialog was started on, while it lives.
    Screen* GetScreen() const;

    bool OnScreenTransition(Event* event) override;

protected:
    friend void DialogClassHook(Class* c);

    // Places the lower buttons in one centred row along the bottom edge.
    void LayOutLowerButtons();
    // The exit without a script: close, then destroy.
    void CloseAndDestroy();

private:
    void Construct();
    void EnsureKeyTipLayer();
    void MoveTitleBy(const Point<int>& offset);
    void ForgetLowerButton(const Actor* button);

    // Children are held through their script selves, which read as nothing
    // once something else has deleted them.
    LuaObject m_Title;
    Point<int> m_TitleAlignmentOffset;
    std::vector<LuaObject> m_LowerButtons;
    LuaObject m_ResultButton;
    std::uint32_t m_DialogFlags = 0;
    std::string m_IntroScriptName = "DefaultDialogIntroScript";
    std::string m_ExitAndDestroyScriptName = "DefaultExitAndDestroyDialogScript";
    ActorGroup m_EmitterGroup;
    LuaObject m_ParticleManager;
    LuaObject m_Screen;
    Script* m_ExitScript = nullptr;
    bool m_Stopping = false;
    bool m_Closed = false;
};
